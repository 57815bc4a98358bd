// Tag details: ID3v2 versions and the other tags of an MP3, podcast and video
// detection, absent versus empty values, text outside Latin-1.
#include <gtest/gtest.h>

#include <filesystem>

#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kV23Tags = {
    {"@id3", "3"},
    {"ARTIST", "Artist"},
    {"ARTISTSORT", "artist sort"},
    {"ALBUM", "Album"},
    {"ALBUMSORT", "album sort"},
    {"TITLE", "Title"},
    {"TITLESORT", "title sort"},
    {"ALBUMARTISTSORT", "album artist sort"},
    {"COMPOSERSORT", "composer sort"},
    {"@picture", "1"},
    {"@v1", "1"},
};

TEST(FolderTags, Id3v23TagStaysV23WithItsSortFramesAndKeepsItsSize)
{
    TempFolder library;
    const auto file = library.copyTemplate("template-v23.mp3", "a.mp3");
    tagWithMutagen(file, kV23Tags);
    const std::string before = readBytes(file);
    ASSERT_EQ(before[3], 3);
    const std::string v1Before = before.substr(before.size() - 128);

    withTrack(library.path(), 0, [](bridge::Track& track) {
        const auto result = track.setValue(u"やまだ", "sortArtist");
        EXPECT_TRUE(result.ok()) << result.reason();
    });

    const std::string after = readBytes(file);
    EXPECT_EQ(after[3], 3);
    EXPECT_EQ(after.size(), before.size()) << "the frame fits in the padding";
    EXPECT_EQ(after.substr(after.size() - 128), v1Before) << "ID3v1 kept as it was";
    const auto raw = readWithMutagen(file);
    EXPECT_EQ(raw.at("@id3version"), "2.3");
    EXPECT_EQ(raw.at("TSOP"), "やまだ");
    EXPECT_EQ(raw.at("TSOA"), "album sort");
    EXPECT_EQ(raw.at("TSOT"), "title sort");
    EXPECT_EQ(raw.at("TSO2"), "album artist sort");
    EXPECT_EQ(raw.at("TSOC"), "composer sort");
    EXPECT_EQ(raw.at("TPE1"), "Artist");
    EXPECT_EQ(raw.at("@pictures"), "1");
}

TEST(FolderTags, Id3v23TagGrowsWhenTheValueDoesNotFit)
{
    TempFolder library;
    const auto file = library.copyTemplate("template-v23.mp3", "a.mp3");
    tagWithMutagen(file, kV23Tags);
    const AudioInfo audio = audioInfo(file);
    const std::string before = readBytes(file);
    const String longValue(3000, u'漢');

    withTrack(library.path(), 0, [&](bridge::Track& track) {
        const auto result = track.setValue(longValue, "sortShow");
        EXPECT_TRUE(result.ok()) << result.reason();
    });
    const std::string after = readBytes(file);
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(after[3], 3);
    EXPECT_EQ(audioInfo(file), audio);
    const auto raw = readWithMutagen(file);
    EXPECT_EQ(raw.at("TXXX:SHOWSORT"), toUtf8(longValue));
    EXPECT_EQ(raw.at("TSOP"), "artist sort");
    withTrack(library.path(), 0, [&](bridge::Track& track) {
        EXPECT_EQ(stringOf(track.valueForKey("sortShow")), OptString(longValue));
        EXPECT_EQ(stringOf(track.valueForKey("sortArtist")), OptString(u"artist sort"));
    });
}

TEST(FolderTags, Id3v24WriteKeepsTheId3v1TagAndAddsNone)
{
    TempFolder library;
    const auto withV1 = library.copyTemplate("template.mp3", "a.mp3");
    const auto withoutV1 = library.copyTemplate("template.mp3", "b.mp3");
    tagWithMutagen(withV1, {{"ARTIST", "Artist"}, {"@v1", "1"}});
    tagWithMutagen(withoutV1, {{"ARTIST", "Artist"}});
    const std::string v1 = readBytes(withV1).substr(readBytes(withV1).size() - 128);

    walkLibrary(library.path(), [](std::size_t, bridge::Track& track) {
        const auto result = track.setValue(u"漢字", "sortArtist");
        EXPECT_TRUE(result.ok()) << result.reason();
    });
    const std::string after = readBytes(withV1);
    EXPECT_EQ(after.substr(after.size() - 128), v1);
    EXPECT_FALSE(hasId3v1(withoutV1));
    EXPECT_EQ(readWithMutagen(withoutV1).at("@id3version"), "2.4");
}

TEST(FolderTags, Mp3WithoutId3v2GetsOneThatKeepsTheId3v1Values)
{
    TempFolder library;
    const auto file = library.copyTemplate("template.mp3", "a.mp3");
    // An ID3v1 tag only: strip the template's ID3v2 header and append one.
    std::string bytes = readBytes(file);
    const std::size_t tagSize =
        10 + ((bytes[6] & 0x7f) << 21 | (bytes[7] & 0x7f) << 14 | (bytes[8] & 0x7f) << 7 | (bytes[9] & 0x7f));
    bytes.erase(0, tagSize);
    std::string v1(128, '\0');
    v1.replace(0, 3, "TAG");
    v1.replace(3, 5, "Title");
    v1.replace(33, 6, "Artist");
    v1[127] = static_cast<char>(255);
    library.writeFile("a.mp3", bytes + v1);

    withTrack(library.path(), 0, [](bridge::Track& track) {
        EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"Artist"));
        EXPECT_EQ(stringOf(track.valueForKey("sortArtist")), OptString(u""));
        const auto result = track.setValue(u"sort", "sortArtist");
        EXPECT_TRUE(result.ok()) << result.reason();
    });
    withTrack(library.path(), 0, [](bridge::Track& track) {
        EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"Artist"));
        EXPECT_EQ(stringOf(track.valueForKey("name")), OptString(u"Title"));
        EXPECT_EQ(stringOf(track.valueForKey("sortArtist")), OptString(u"sort"));
    });
    EXPECT_TRUE(hasId3v1(file));
}

struct KindCase {
    const char* label;
    const char* templateFile;
    std::map<std::string, std::string> tags;
    bool podcast;
    std::int32_t videoKind;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.label; }

class PodcastAndVideo : public ::testing::TestWithParam<KindCase> {};

TEST_P(PodcastAndVideo, AreDetected)
{
    const KindCase& c = GetParam();
    TempFolder library;
    const std::string name = c.templateFile;
    const auto file = library.copyTemplate(c.templateFile, "t" + name.substr(name.rfind('.')));
    auto tags = c.tags;
    tags["ARTIST"] = "Artist";
    tagWithMutagen(file, tags);
    withTrack(library.path(), 0, [&](bridge::Track& track) {
        EXPECT_EQ(track.valueForKey("podcast").boolValue(), c.podcast);
        EXPECT_EQ(track.valueForKey("videoKind").intValue(), c.videoKind);
    });
}

constexpr std::int32_t kNon = bridge::kVideoKindNone;
constexpr std::int32_t kMovie = 0x6B56644D;      // 'kVdM'
constexpr std::int32_t kMusicVideo = 0x6B566456; // 'kVdV'
constexpr std::int32_t kTVShow = 0x6B566454;     // 'kVdT'

INSTANTIATE_TEST_SUITE_P(
    Kinds, PodcastAndVideo,
    ::testing::Values(KindCase{"mp3_plain", "template.mp3", {}, false, kNon},
                      KindCase{"mp3_pcst", "template.mp3", {{"@podcast", "1"}}, true, kNon},
                      KindCase{"mp3_v23_pcst", "template-v23.mp3", {{"@podcast", "1"}, {"@id3", "3"}}, true, kNon},
                      KindCase{"m4a_pcst", "template.m4a", {{"@podcast", "1"}}, true, kNon},
                      KindCase{"flac_podcast", "template.flac", {{"@podcast", "1"}}, true, kNon},
                      KindCase{"ogg_podcast", "template.ogg", {{"@podcast", "1"}}, true, kNon},
                      KindCase{"m4a_plain", "template.m4a", {}, false, kNon},
                      KindCase{"m4a_stik0", "template.m4a", {{"@stik", "0"}}, false, kNon},
                      KindCase{"m4a_stik1", "template.m4a", {{"@stik", "1"}}, false, kNon},
                      KindCase{"m4a_stik21", "template.m4a", {{"@stik", "21"}}, false, kNon},
                      KindCase{"m4a_stik6", "template.m4a", {{"@stik", "6"}}, false, kMusicVideo},
                      KindCase{"m4a_stik9", "template.m4a", {{"@stik", "9"}}, false, kMovie},
                      KindCase{"m4a_stik10", "template.m4a", {{"@stik", "10"}}, false, kTVShow},
                      KindCase{"m4v_no_stik", "template.m4v", {}, false, kMovie},
                      KindCase{"m4v_stik1", "template.m4v", {{"@stik", "1"}}, false, kMovie},
                      KindCase{"m4v_stik10", "template.m4v", {{"@stik", "10"}}, false, kTVShow}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FolderTags, Mp4WriteNeverAddsAMediaKind)
{
    TempFolder library;
    const auto file = library.copyTemplate("template.m4a", "a.m4a");
    tagWithMutagen(file, {{"ARTIST", "Artist"}});
    withTrack(library.path(), 0, [](bridge::Track& track) {
        EXPECT_EQ(track.valueForKey("videoKind").intValue(), bridge::kVideoKindNone);
        EXPECT_FALSE(track.valueForKey("podcast").boolValue());
        const auto result = track.setValue(u"sort", "sortArtist");
        EXPECT_TRUE(result.ok()) << result.reason();
    });
    const auto raw = readWithMutagen(file);
    EXPECT_EQ(raw.at("soar"), "sort");
    EXPECT_FALSE(raw.contains("stik"));
    EXPECT_FALSE(raw.contains("pcst"));
}

// The template's audio behind a hand-made ID3v2.4 tag of the given frames
// (mutagen leaves empty frames out).
std::string mp3WithFrames(const std::string& frames)
{
    const std::string bytes = readBytes(audioTemplate("template.mp3"));
    const std::size_t oldSize =
        10 + ((bytes[6] & 0x7f) << 21 | (bytes[7] & 0x7f) << 14 | (bytes[8] & 0x7f) << 7 | (bytes[9] & 0x7f));
    const std::size_t size = frames.size() + 64;
    std::string tag = "ID3\x04";
    tag.push_back('\0');
    tag.push_back('\0');
    for (int shift = 21; shift >= 0; shift -= 7)
        tag.push_back(static_cast<char>((size >> shift) & 0x7f));
    return tag + frames + std::string(64, '\0') + bytes.substr(oldSize);
}

std::string frame(const std::string& id, const std::string& data)
{
    std::string f = id;
    for (int shift = 21; shift >= 0; shift -= 7)
        f.push_back(static_cast<char>((data.size() >> shift) & 0x7f));
    f.append(2, '\0');
    return f + data;
}

TEST(FolderTags, MissingAndEmptyTagsBothReadEmpty)
{
    TempFolder library;
    library.writeFile("a.mp3",
                      mp3WithFrames(frame("TPE1", std::string("\0Artist", 7)) + frame("TSOP", std::string(1, '\0')) +
                                    frame("TXXX", std::string("\0TVSHOW\0", 8))));
    const auto m4a = library.copyTemplate("template.m4a", "b.m4a");
    const auto wv = library.copyTemplate("template.wv", "c.wv");
    tagWithMutagen(m4a, {{"ARTIST", "Artist"}, {"ARTISTSORT", ""}, {"TVSHOW", ""}});
    tagWithMutagen(wv, {{"ARTIST", "Artist"}, {"ARTISTSORT", ""}, {"TVSHOW", ""}});
    std::size_t seen = 0;
    walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) {
        SCOPED_TRACE(toUtf8(track.name().value_or(u"")));
        ++seen;
        EXPECT_EQ(stringOf(track.valueForKey("sortArtist")), OptString(u""));
        EXPECT_EQ(stringOf(track.valueForKey("show")), OptString(u""));
        EXPECT_EQ(stringOf(track.valueForKey("sortAlbum")), OptString(u""));
        EXPECT_EQ(stringOf(track.valueForKey("album")), OptString(u""));
        EXPECT_EQ(stringOf(track.valueForKey("sortShow")), OptString(u""));
        EXPECT_TRUE(track.valueForKey("noSuchKey").isAbsent());
    });
    EXPECT_EQ(seen, 3U);
}

TEST(FolderTags, TextOutsideLatin1ReadsExactly)
{
    TempFolder library;
    const auto file = library.copyTemplate("template.flac", "a.flac");
    const auto mp3 = library.copyTemplate("template-v23.mp3", "b.mp3");
    const std::string han = "\xF0\xA0\xAE\xB7野家"; // U+20BB7, outside the BMP
    tagWithMutagen(file, {{"ARTIST", han}, {"ALBUM", "ひらがな カタカナ"}});
    tagWithMutagen(mp3, {{"ARTIST", han}, {"ALBUM", "ひらがな カタカナ"}, {"@id3", "3"}});
    walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) {
        const OptString artist = stringOf(track.valueForKey("artist"));
        ASSERT_TRUE(artist);
        EXPECT_EQ(*artist, u"\U00020BB7野家");
        EXPECT_EQ(artist->size(), 4U) << "a surrogate pair and two Han characters";
        EXPECT_EQ(stringOf(track.valueForKey("album")), OptString(u"ひらがな カタカナ"));
    });
}

TEST(FolderTags, NameIsTheTitleElseTheRelativePath)
{
    TempFolder library;
    const auto titled = library.copyTemplate("template.ogg", "x/titled.ogg");
    library.copyTemplate("template.ogg", "x/untitled.ogg");
    tagWithMutagen(titled, {{"TITLE", "曲名"}});
    std::vector<OptString> names;
    walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) {
        names.push_back(track.name());
        if (names.size() == 2) {
            EXPECT_EQ(stringOf(track.valueForKey("name")), OptString(u""));
        }
    });
    ASSERT_EQ(names.size(), 2U);
    EXPECT_EQ(names[0], OptString(u"曲名"));
    EXPECT_EQ(names[1], OptString(u"x/untitled.ogg"));
}

} // namespace
} // namespace yomi::test
