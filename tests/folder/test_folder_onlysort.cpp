// Only the sort item changes, in the tags the file already has: a Speex
// comment gets no framing byte, an Ogg FLAC comment block keeps its
// last-block flag, an MP3 whose only tag is APE gets the value there and no
// ID3v2 tag; and the byte proof refuses the edits that did otherwise.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Write/TagWriter.h"
#include "Storage/FileIdentity.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/Outcome.h"

using ::testing::HasSubstr;

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::Format;
using bridge::folder::Property;

std::string writeSortArtist(const fs::path& file, Format format)
{
    const auto opened = fileio::identify(file);
    EXPECT_TRUE(opened);
    return outcomeOf(bridge::folder::writeProperty(file, *opened, format, Property::SortArtist, u"やまだ"));
}

std::string le32(std::uint32_t n)
{
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

// An APEv2 tag (footer only) with one text item.
std::string apeTag(std::string_view key, std::string_view value)
{
    const std::string item = le32(static_cast<std::uint32_t>(value.size())) + le32(0) + std::string(key) +
        std::string(1, '\0') + std::string(value);
    return item + "APETAGEX" + le32(2000) + le32(static_cast<std::uint32_t>(item.size() + 32)) + le32(1) + le32(0) +
        std::string(8, '\0');
}

TEST(OnlyTheSortItem, XiphCommentsOfSpeexAndOggFlacKeepTheirLayout)
{
    TempFolder folder;
    const fs::path spx = folder.copyTemplate("template.spx", "a.spx");
    tagWithMutagen(spx, {{"ARTIST", "山田"}});
    EXPECT_EQ(writeSortArtist(spx, Format::Speex), kOk);
    const std::string written = readBytes(spx);
    EXPECT_NE(written.find("ARTISTSORT=やまだ"), std::string::npos);
    EXPECT_EQ(written.find("ARTISTSORT=やまだ\x01"), std::string::npos) << "a Speex comment has no framing byte";
    EXPECT_EQ(readWithMutagen(spx).at("ARTISTSORT"), "やまだ");

    // TagLib cleared the comment block's last-block flag, which the proof
    // refused; the byte editor keeps it.
    const fs::path oga = folder.copyTemplate("template-flac.oga", "b.oga");
    const std::string before = readBytes(oga);
    EXPECT_EQ(writeSortArtist(oga, Format::OggAudio), kOk);
    EXPECT_EQ(readWithMutagen(oga).at("ARTISTSORT"), "やまだ");
    // The block header (type and flag, size), the vendor's length, "ffmpeg".
    const std::string after = readBytes(oga);
    const std::size_t vendor = after.find("ffmpeg");
    ASSERT_TRUE(vendor != std::string::npos && vendor >= 8);
    ASSERT_EQ(before[before.find("ffmpeg") - 8], '\x84');
    EXPECT_EQ(after[vendor - 8], '\x84') << "the comment block is still the last metadata block";
}

TEST(OnlyTheSortItem, AnApeOnlyMp3GetsTheValueInItsApeTag)
{
    TempFolder folder;
    std::string mp3 = readBytes(audioTemplate("template.mp3"));
    const std::size_t tagSize =
        10 + ((mp3[6] & 0x7F) << 21 | (mp3[7] & 0x7F) << 14 | (mp3[8] & 0x7F) << 7 | (mp3[9] & 0x7F));
    const std::string audio = mp3.substr(tagSize);
    const std::string original = audio + apeTag("Artist", "山田");
    const fs::path file = folder.writeFile("a.mp3", original);
    EXPECT_EQ(writeSortArtist(file, Format::Mpeg), kOk);
    const std::string edited = readBytes(file);
    EXPECT_FALSE(edited.starts_with("ID3")) << "no ID3v2 tag with copies of the APE items";
    EXPECT_TRUE(edited.starts_with(audio));
    EXPECT_NE(edited.find(std::string("ARTISTSORT") + '\0' + "やまだ"), std::string::npos);

    // The old edit, a new ID3v2 tag in front, is refused on the bytes.
    const std::string frame = "TSOP" + std::string{0, 0, 0, 7} + std::string(2, '\0') + "\x03やま";
    const std::string withId3 =
        "ID3\x04" + std::string(2, '\0') + std::string{0, 0, 0, static_cast<char>(frame.size())} + frame + original;
    EXPECT_NE(outcomeOf(bridge::folder::proveEdit(Format::Mpeg, original, withId3, Property::SortArtist)), kOk);
}

} // namespace
} // namespace yomi::test
