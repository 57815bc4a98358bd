// MP4 files in the layouts other tools leave, written with their items in
// their order: every codec an MP4 may hold (TagLib knows two), the media data
// before or after the moov box, a QuickTime meta box, the media data cut off.
// Each write is held on the bytes here with a reader of the tests' own; the
// proof refuses what moves, reorders or damages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Tags/TrackValues.h"
#include "Bridge/Write/TagWriter.h"
#include "Storage/FileIdentity.h"
#include "folder/ControllerOnFolder.h"
#include "support/AudioFixtures.h"
#include "support/Mp4Shapes.h"
#include "support/Outcome.h"
#include "support/StateHome.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::Format;
using bridge::folder::Property;
using bridge::folder::proveEdit;

const std::string kSort = "やまだ";

std::string write(const fs::path& file, Property property, const String& value)
{
    const auto opened = fileio::identify(file);
    EXPECT_TRUE(opened);
    return outcomeOf(bridge::folder::writeProperty(file, *opened, Format::Mp4, property, value));
}

std::string writeSortArtist(const fs::path& file) { return write(file, Property::SortArtist, u"やまだ"); }

// The item the write makes: the item box, its one data box (UTF-8), the text.
std::string soarItem(const std::string& value)
{
    std::string item;
    for (const std::size_t size : {24 + value.size(), 16 + value.size()}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            item += static_cast<char>(size >> shift);
        item += item.size() == 4 ? "soar" : "data";
    }
    return item + std::string("\0\0\0\x01\0\0\0\0", 8) + value;
}

// The chunk offsets of `was` as a write that grew the moov box by `growth`
// must leave them: those at or past the moov box's end moved with the data
// there, those before it where they were.
std::vector<std::uint64_t> offsetsAfterGrowth(const Mp4Layout& was, std::int64_t growth)
{
    std::vector<std::uint64_t> out;
    for (const std::uint64_t offset : was.offsets)
        out.push_back(offset >= was.moovEnd ? offset + static_cast<std::uint64_t>(growth) : offset);
    return out;
}

class Mp4Write : public ::testing::TestWithParam<Mp4Shape> {
protected:
    TempFolder folder;
};

TEST_P(Mp4Write, IsListedWrittenInItsOrderAndProvenOnTheBytes)
{
    const std::string before = mp4ShapeBytes(GetParam());
    ASSERT_FALSE(before.empty());
    const Mp4Layout was = mp4Layout(before);
    ASSERT_TRUE(was.parsed);
    ASSERT_EQ(was.bareMeta, GetParam().variant == Mp4Variant::BareMeta);
    ASSERT_EQ(was.media.empty(), GetParam().variant == Mp4Variant::NoMediaData);
    ASSERT_EQ(was.itemTypes.size(), 4U) << "ffmpeg's title, artist, album and comment";
    const fs::path file = folder.writeFile("track.m4a", before);

    // Read as audio with its values, whatever the codec.
    const auto read = bridge::folder::readTrack(file.string(), Format::Mp4);
    ASSERT_TRUE(read.readable) << read.openError;
    EXPECT_EQ(read.texts[static_cast<int>(Property::Artist)], OptString(u"東京事変"));
    EXPECT_EQ(read.videoKind, bridge::kVideoKindNone);

    ASSERT_EQ(writeSortArtist(file), kOk);
    const std::string after = readBytes(file);
    const auto reread = bridge::folder::readTrack(file.string(), Format::Mp4);
    EXPECT_EQ(reread.texts[static_cast<int>(Property::SortArtist)], OptString(u"やまだ"));
    EXPECT_EQ(reread.texts[static_cast<int>(Property::Title)], OptString(u"群青日和"));
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, after, Property::SortArtist)), kOk);

    // Every other item byte for byte and in its place, the new one last.
    const Mp4Layout is = mp4Layout(after);
    ASSERT_TRUE(is.parsed);
    std::vector<std::string> expected = was.itemBytes;
    expected.push_back(soarItem(kSort));
    EXPECT_EQ(is.itemBytes, expected);
    EXPECT_EQ(is.bareMeta, was.bareMeta);
    // The media data whole, the chunk offsets with it.
    EXPECT_TRUE(is.media == was.media) << "the media data changed";
    const std::size_t growth = after.size() - before.size();
    EXPECT_EQ(growth, soarItem(kSort).size());
    EXPECT_EQ(is.moovEnd, was.moovEnd + growth);
    EXPECT_EQ(is.offsets, offsetsAfterGrowth(was, static_cast<std::int64_t>(growth)));
    if (!was.media.empty()) {
        EXPECT_EQ(was.offsets.front(), was.mediaBegin) << "the first chunk starts the media data";
        EXPECT_EQ(is.offsets.front(), is.mediaBegin) << "and still does";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, Mp4Write, ::testing::ValuesIn(mp4Shapes()),
                         [](const auto& info) { return info.param.label; });

const Mp4Shape& shape(std::string_view label)
{
    for (const Mp4Shape& s : mp4Shapes())
        if (s.label == label)
            return s;
    ADD_FAILURE() << "no shape " << label;
    return mp4Shapes().front();
}

TEST(Mp4Items, AnItemTheFileHasIsReplacedInItsPlace)
{
    // A sort artist, then a sort album after it: the sort artist is no
    // longer the last item.
    TempFolder folder;
    const fs::path file = folder.writeFile("a.m4a", mp4ShapeBytes(shape("aac_moov_first")));
    ASSERT_EQ(write(file, Property::SortArtist, u"old"), kOk);
    ASSERT_EQ(write(file, Property::SortAlbum, u"きょういく"), kOk);
    const std::string before = readBytes(file);
    const Mp4Layout was = mp4Layout(before);
    ASSERT_EQ(was.itemTypes, (std::vector<std::string>{"\251nam", "\251ART", "\251alb", "\251cmt", "soar", "soal"}));

    ASSERT_EQ(writeSortArtist(file), kOk);
    const std::string after = readBytes(file);
    const Mp4Layout is = mp4Layout(after);
    std::vector<std::string> expected = was.itemBytes;
    expected[4] = soarItem(kSort);
    EXPECT_EQ(is.itemBytes, expected);
    // The item grew by the value's difference; the data after the moov box
    // moved by as much.
    EXPECT_EQ(after.size() - before.size(), kSort.size() - 3);
    EXPECT_EQ(is.offsets, offsetsAfterGrowth(was, static_cast<std::int64_t>(kSort.size()) - 3));
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, after, Property::SortArtist)), kOk);

    // A shorter value shrinks the list; the data moves back.
    ASSERT_EQ(write(file, Property::SortArtist, u"y"), kOk);
    EXPECT_EQ(readBytes(file).size(), before.size() - 2);
    EXPECT_EQ(mp4Layout(readBytes(file)).offsets, offsetsAfterGrowth(was, -2));
}

void putBe32(std::string& b, std::size_t at, std::uint64_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
}

std::uint32_t be32At(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Where the first entry of the first stco box stands.
std::size_t firstChunkOffset(const std::string& b)
{
    const std::size_t box = b.find("stco");
    EXPECT_NE(box, std::string::npos);
    return box == std::string::npos ? 0 : box + 12;
}

// A real write of a shape: the bytes before and after.
std::pair<std::string, std::string> written(const Mp4Shape& s)
{
    TempFolder folder;
    const std::string before = mp4ShapeBytes(s);
    const fs::path file = folder.writeFile("a.m4a", before);
    EXPECT_EQ(writeSortArtist(file), kOk) << s.label;
    return {before, readBytes(file)};
}

TEST(Mp4Proof, RefusesAWriteThatReordersOrMovesTheOffsetsAway)
{
    const std::string kMoved = "the edit would move a chunk offset away from its data";
    for (const char* label : {"flac_moov_first", "bare_meta_flac_media_first", "no_media_data_aac"}) {
        SCOPED_TRACE(label);
        const auto [before, after] = written(shape(label));
        ASSERT_EQ(outcomeOf(proveEdit(Format::Mp4, before, after, Property::SortArtist)), kOk);
        const Mp4Layout was = mp4Layout(before), is = mp4Layout(after);

        // Two other items swapped, each byte for byte: TagLib's sorted list.
        std::string swapped = after;
        const std::size_t first = after.find(is.itemBytes[0]), second = after.find(is.itemBytes[1]);
        ASSERT_EQ(second, first + is.itemBytes[0].size());
        swapped.replace(first, is.itemBytes[0].size() + is.itemBytes[1].size(), is.itemBytes[1] + is.itemBytes[0]);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, swapped, Property::SortArtist)),
                  "the edit would change the order of the MP4 items");

        // The chunk offsets left where they were: refused where the moov box
        // grew before the data (or before the end of a file whose data is
        // cut off).
        std::string stayed = after;
        const std::size_t entry = firstChunkOffset(after);
        putBe32(stayed, entry, be32At(before, firstChunkOffset(before)));
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, stayed, Property::SortArtist)),
                  was.offsets.front() >= was.moovEnd ? kMoved : kOk);
        // One moved a byte further than its data.
        std::string off = after;
        putBe32(off, entry, be32At(after, entry) + 1);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, off, Property::SortArtist)), kMoved);
    }
}

TEST(Mp4Proof, AMetaBoxKeepsItsKindAndItsVersion)
{
    const auto [before, after] = written(shape("flac_media_first"));
    // The full meta box's flags changed.
    std::string flagged = after;
    flagged[after.find("meta", mp4Layout(after).moovBegin) + 7] = '\x01';
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, flagged, Property::SortArtist)),
              "the edit would change the MP4 box moov/udta/meta:full");
    // The full box made bare (the media data lies before the moov box: no
    // offset moves).
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, withBareMeta(after), Property::SortArtist)),
              "the edit would change the MP4 box moov/udta/meta:full");
}

TEST(Mp4Proof, AChunkOffsetInsideTheMoovBoxIsRefused)
{
    TempFolder folder;
    std::string before = mp4ShapeBytes(shape("opus_moov_first"));
    putBe32(before, firstChunkOffset(before), mp4Layout(before).moovBegin + 8);
    const fs::path file = folder.writeFile("a.m4a", before);
    EXPECT_EQ(writeSortArtist(file), "the file has a chunk offset inside its moov box");
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, before, Property::SortArtist)),
              "the file has a chunk offset inside its moov box");
}

// A movie fragment: its track fragment header names an absolute base offset
// when `baseOffset`.
std::string movieFragment(bool baseOffset)
{
    // size, type, version and flags, track ID, base data offset
    std::string tfhd("\0\0\0\x18tfhd\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0", 24);
    if (baseOffset)
        tfhd[11] = '\x01';
    std::string traf = std::string("\0\0\0\0traf", 8) + tfhd;
    putBe32(traf, 0, traf.size());
    std::string moof = std::string("\0\0\0\0moof", 8) + traf;
    putBe32(moof, 0, moof.size());
    return moof;
}

TEST(Mp4Proof, MovieFragmentsFoundByTheirOffsetsMustNotMove)
{
    const auto [before, after] = written(shape("aac_moov_first"));
    for (const bool baseOffset : {false, true}) {
        const std::string fragment = movieFragment(baseOffset);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before + fragment, after + fragment, Property::SortArtist)),
                  baseOffset ? "the edit would move movie fragments that are found by their offsets" : kOk)
            << baseOffset;
    }
}

TEST(Mp4Write, AFreeBoxAfterTheItemsTakesTheGrowthAndNothingMoves)
{
    TempFolder folder;
    std::string before = mp4ShapeBytes(shape("alac_moov_first"));
    const Mp4Layout plain = mp4Layout(before);
    // 64 bytes of padding after the item list; the boxes around it grow and
    // the chunk offsets (all past the moov box) move with the data.
    const std::size_t ilst = before.find("ilst") - 4, ilstEnd = ilst + be32At(before, ilst);
    for (const char* box : {"moov", "udta", "meta"}) {
        const std::size_t at = before.find(box) - 4;
        putBe32(before, at, be32At(before, at) + 64);
    }
    for (std::size_t i = 0, count = before.find("stco") + 8; i < be32At(before, count); ++i)
        putBe32(before, count + 4 + 4 * i, be32At(before, count + 4 + 4 * i) + 64);
    before.insert(ilstEnd, std::string("\0\0\0\x40" "free", 8) + std::string(56, '\0'));
    const Mp4Layout was = mp4Layout(before);
    ASSERT_EQ(was.offsets.front(), was.mediaBegin);
    ASSERT_EQ(was.moovEnd, plain.moovEnd + 64);

    const fs::path file = folder.writeFile("a.m4a", before);
    ASSERT_EQ(writeSortArtist(file), kOk);
    const std::string after = readBytes(file);
    const Mp4Layout is = mp4Layout(after);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(is.moovEnd, was.moovEnd);
    EXPECT_EQ(is.offsets, was.offsets);
    EXPECT_EQ(is.itemTypes.back(), "soar");
    EXPECT_EQ(be32At(after, after.find("free", ilstEnd) - 4), 64 - soarItem(kSort).size());
    EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, after, Property::SortArtist)), kOk);
}

TEST(Mp4Write, AVideoWithoutSoundIsReadAsVideoAndNotWritten)
{
    TempFolder folder;
    const fs::path file = folder.path() / "v.mp4";
    int status = -1;
    const std::string output = runCommand("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi "
                                          "-i color=c=black:s=16x16:r=5 -t 0.4 -c:v mpeg4 -metadata artist=動画 "
                                          "-f mp4 " +
                                              shellQuote(file.string()) + " 2>&1",
                                          &status);
    ASSERT_EQ(status, 0) << output;
    const std::string before = readBytes(file);
    EXPECT_EQ(bridge::folder::readTrack(file.string(), Format::Mp4).videoKind, bridge::folder::kVideoKindMovie);
    EXPECT_EQ(writeSortArtist(file), "no audio stream found in the file");
    EXPECT_EQ(readBytes(file), before);
}

TEST(Mp4Write, SixtyFourBitSizesAndOffsetsAreFollowed)
{
    for (const bool wideMoov : {false, true}) {
        SCOPED_TRACE(wideMoov ? "a 64-bit moov size" : "a 32-bit moov size");
        TempFolder folder;
        const std::string before = withWideSizes(mp4ShapeBytes(shape("eac3_moov_first")), wideMoov);
        const Mp4Layout was = mp4Layout(before);
        ASSERT_TRUE(was.parsed);
        ASSERT_NE(before.find("co64"), std::string::npos);
        ASSERT_EQ(was.offsets.front(), was.mediaBegin);
        const fs::path file = folder.writeFile("a.m4a", before);
        ASSERT_EQ(writeSortArtist(file), kOk);
        const std::string after = readBytes(file);
        const Mp4Layout is = mp4Layout(after);
        const std::size_t growth = soarItem(kSort).size();
        EXPECT_EQ(is.offsets, offsetsAfterGrowth(was, static_cast<std::int64_t>(growth)));
        EXPECT_EQ(is.offsets.front(), is.mediaBegin);
        EXPECT_EQ(is.moovEnd, was.moovEnd + growth);
        EXPECT_EQ(be32At(after, is.moovBegin), wideMoov ? 1U : is.moovEnd - is.moovBegin);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, before, after, Property::SortArtist)), kOk);
        EXPECT_EQ(bridge::folder::readTrack(file.string(), Format::Mp4).texts[static_cast<int>(Property::SortArtist)],
                  OptString(u"やまだ"));
    }
}

TEST(Mp4Write, AChunkOffsetThatWouldOutgrowItsThirtyTwoBitsIsRefused)
{
    TempFolder folder;
    std::string before = mp4ShapeBytes(shape("opus_moov_first"));
    putBe32(before, firstChunkOffset(before), 0xFFFFFFF0U);
    const fs::path file = folder.writeFile("a.m4a", before);
    EXPECT_EQ(writeSortArtist(file), "a chunk offset would no longer fit its 32 bits");
    EXPECT_EQ(readBytes(file), before);
}

// The editor reads every box the proof reads: an edit it makes of a damaged
// file is proven, or it makes none. Each byte of the moov box damaged three
// ways, as a fuzzer would.
TEST(Mp4Edit, EveryEditOfADamagedFileIsProvenOrNoneIsMade)
{
    for (const char* label : {"flac_moov_first", "bare_meta_aac_moov_first", "no_media_data_ac3"}) {
        const std::string file = mp4ShapeBytes(shape(label));
        const Mp4Layout layout = mp4Layout(file);
        std::map<std::string, int> outcomes;
        for (std::size_t at = layout.moovBegin; at < layout.moovEnd; ++at) {
            for (const int damage : {0x01, 0x80, 0x100}) {
                std::string damaged = file;
                damaged[at] = damage == 0x100 ? '\0' : static_cast<char>(damaged[at] ^ damage);
                const auto edit =
                    bridge::folder::spliceEdit(Format::Mp4, 0, damaged, Property::SortArtist, u"やまだ");
                if (!edit || !*edit) {
                    ++outcomes[edit ? "left to TagLib" : edit.reason()];
                    continue;
                }
                ++outcomes["edited"];
                EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, damaged, **edit, Property::SortArtist)), kOk)
                    << label << ": byte " << at << " damaged with " << damage;
            }
        }
        // Most damage leaves a file the editor still edits, some a file it
        // refuses with the reason.
        EXPECT_GT(outcomes["edited"], outcomes["malformed MP4 box"]) << label;
        EXPECT_GT(outcomes["malformed MP4 box"], 0) << label;
    }
}

// A Save over every layout: each file's value listed, every file written,
// and one revert takes them all back, byte for byte.
class Mp4Save : public ::testing::Test, protected ControllerOnFolder {
protected:
    ScopedStateHome state;
};

TEST_F(Mp4Save, WritesEveryLayoutAndARevertRestoresTheBytes)
{
    std::map<fs::path, std::string> originals;
    for (const Mp4Shape& s : mp4Shapes()) {
        const std::string bytes = mp4ShapeBytes(s);
        ASSERT_FALSE(bytes.empty()) << s.label;
        originals[library.writeFile(s.label + ".m4a", bytes)] = bytes;
    }
    c.setKeyTag(0);
    c.load(nullptr);
    ASSERT_EQ(rows(), (std::vector<std::pair<String, String>>{{u"東京事変", u""}}));
    c.pairDict()->at(u"東京事変")->sortStr = u"とうきょうじへん";
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, originals.size());
    EXPECT_EQ(c.lastSaveReport().failed, 0U);
    for (const auto& [file, bytes] : originals) {
        const auto read = bridge::folder::readTrack(file.string(), Format::Mp4);
        EXPECT_EQ(read.texts[static_cast<int>(Property::SortArtist)], OptString(u"とうきょうじへん")) << file;
    }

    c.revertLastSave(nullptr);
    EXPECT_EQ(c.lastRevertReport().failed, 0U) << c.lastRevertReport().text();
    EXPECT_EQ(c.lastRevertReport().reverted, originals.size());
    for (const auto& [file, bytes] : originals)
        EXPECT_TRUE(readBytes(file) == bytes) << file << " differs from its original";
}

} // namespace
} // namespace yomi::test
