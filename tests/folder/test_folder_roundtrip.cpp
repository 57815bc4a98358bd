// Every format: write each sort key, read it back through a new walk and with
// mutagen, with every other field, the picture and the audio untouched.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

struct Field {
    const char* valueKey;
    const char* sortKey;
    const char* valueName; // TagLib property names
    const char* sortName;
};

constexpr Field kFields[] = {
    {"artist", "sortArtist", "ARTIST", "ARTISTSORT"},
    {"album", "sortAlbum", "ALBUM", "ALBUMSORT"},
    {"albumArtist", "sortAlbumArtist", "ALBUMARTIST", "ALBUMARTISTSORT"},
    {"composer", "sortComposer", "COMPOSER", "COMPOSERSORT"},
    {"name", "sortName", "TITLE", "TITLESORT"},
    {"show", "sortShow", "TVSHOW", "SHOWSORT"},
};

// New sort values: kana, Latin, Han with a character outside the BMP,
// katakana, Latin-1, Han with Latin.
const String kNewSort[] = {u"やまだ たろう", u"Latin album sort",  u"漢字 \U00020BB7",
                           u"カタカナ",      u"title sort \u00fc", u"番組 show"};

// The raw frame names an independent reader must find the sort values under.
std::vector<std::string> rawSortNames(const AudioTemplate& t)
{
    if (t.extension == "m4a" || t.extension == "m4v")
        return {"soar", "soal", "soaa", "soco", "sonm", "sosn"};
    if (t.extension == "mp3" || t.extension == "wav" || t.extension == "aiff" || t.extension == "tta")
        return {"TSOP", "TSOA", "TSO2", "TSOC", "TSOT", "TXXX:SHOWSORT"};
    if (t.extension == "wma")
        return {"WM/ArtistSortOrder", "WM/AlbumSortOrder", "WM/AlbumArtistSortOrder", "", "WM/TitleSortOrder", ""};
    return {"ARTISTSORT", "ALBUMSORT", "ALBUMARTISTSORT", "COMPOSERSORT", "TITLESORT", "SHOWSORT"};
}

// Properties a format cannot hold (TagLib maps no ASF attribute to them).
std::set<std::string> unsupported(const AudioTemplate& t)
{
    if (t.extension == "wma")
        return {"COMPOSERSORT", "TVSHOW", "SHOWSORT"};
    return {};
}

bool hasPicture(const AudioTemplate& t) { return t.extension != "wma" && t.extension != "spx"; }

class RoundTrip : public ::testing::TestWithParam<AudioTemplate> {
protected:
    TempFolder library;
};

TEST_P(RoundTrip, EachSortKeyIsWrittenAndNothingElseChanges)
{
    const AudioTemplate& t = GetParam();
    const auto file = library.copyTemplate(t.file, "Artist/track." + t.extension);
    const auto skip = unsupported(t);

    std::map<std::string, std::string> tags;
    std::map<std::string, String> expected; // bridge key -> value
    for (const Field& f : kFields) {
        const std::string value = std::string("value ") + f.valueName + " 山田";
        const std::string sort = std::string("old ") + f.sortName;
        if (!skip.contains(f.valueName)) {
            tags[f.valueName] = value;
            expected[f.valueKey] = toUtf16(value);
        }
        if (!skip.contains(f.sortName)) {
            tags[f.sortName] = sort;
            expected[f.sortKey] = toUtf16(sort);
        }
    }
    if (t.file == "template-v23.mp3")
        tags["@id3"] = "3";
    if (hasPicture(t))
        tags["@picture"] = "1";
    tagWithMutagen(file, tags);
    const AudioInfo audioBefore = audioInfo(file);
    ASSERT_GT(audioBefore.sampleRate, 0);

    withTrack(library.path(), 0, [&](bridge::Track& track) {
        for (const auto& [key, value] : expected)
            EXPECT_EQ(stringOf(track.valueForKey(key)), OptString(value)) << key;
    });

    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        withTrack(library.path(), 0, [&](bridge::Track& track) {
            const Status result = track.setValue(kNewSort[i], kFields[i].sortKey);
            if (skip.contains(kFields[i].sortName)) {
                EXPECT_FALSE(result.ok()) << kFields[i].sortKey;
                EXPECT_EQ(result.reason(), std::string("this format cannot hold ") + kFields[i].sortName);
            } else {
                EXPECT_TRUE(result.ok()) << kFields[i].sortKey << ": " << result.reason();
                expected[kFields[i].sortKey] = kNewSort[i];
            }
        });
    }

    withTrack(library.path(), 0, [&](bridge::Track& track) {
        for (const Field& f : kFields) {
            for (const char* key : {f.valueKey, f.sortKey}) {
                const auto it = expected.find(key);
                // A key the format cannot hold reads as empty, like any unset tag.
                const OptString want = it == expected.end() ? OptString(u"") : OptString(it->second);
                EXPECT_EQ(stringOf(track.valueForKey(key)), want) << key;
            }
        }
        EXPECT_FALSE(track.valueForKey("podcast").boolValue());
        const std::int32_t kind = track.valueForKey("videoKind").intValue();
        if (t.extension == "m4v") {
            EXPECT_NE(kind, bridge::kVideoKindNone);
        } else {
            EXPECT_EQ(kind, bridge::kVideoKindNone);
        }
    });
    AudioInfo audioAfter = audioInfo(file);
    if (t.extension == "opus") // TagLib's Opus bitrate is the file size over the length
        audioAfter.bitrate = audioBefore.bitrate;
    EXPECT_EQ(audioAfter, audioBefore);

    // An independent reader finds the values under the standard frames.
    const auto raw = readWithMutagen(file);
    const auto names = rawSortNames(t);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty())
            continue;
        const auto it = raw.find(names[i]);
        ASSERT_NE(it, raw.end()) << names[i];
        EXPECT_EQ(it->second, toUtf8(kNewSort[i])) << names[i];
    }
    if (t.extension == "mp3") {
        EXPECT_EQ(raw.at("@id3version"), t.file == "template-v23.mp3" ? "2.3" : "2.4");
        EXPECT_FALSE(hasId3v1(file));
        EXPECT_FALSE(raw.contains("TXXX:ALBUMARTISTSORT"));
        EXPECT_FALSE(raw.contains("TXXX:COMPOSERSORT"));
    }
    if (t.extension == "m4a" || t.extension == "m4v") {
        EXPECT_FALSE(raw.contains("stik")) << "a write must never add a media kind";
    }
    EXPECT_EQ(raw.at("@pictures"), hasPicture(t) ? "1" : "0");

    // Writing the values the file already has writes nothing.
    const std::string bytes = readBytes(file);
    const auto mtime = std::filesystem::last_write_time(file);
    withTrack(library.path(), 0, [&](bridge::Track& track) {
        for (std::size_t i = 0; i < std::size(kFields); ++i) {
            if (!skip.contains(kFields[i].sortName)) {
                EXPECT_TRUE(track.setValue(kNewSort[i], kFields[i].sortKey).ok());
            }
        }
    });
    EXPECT_EQ(readBytes(file), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), mtime);
}

// Formats whose empty field TagLib drops instead of writing: the check after
// the edit does not find the empty value, and the write is refused.
const std::set<std::string> kEmptyingRefused = {"flac", "ogg_vorbis", "opus", "speex", "wavpack"};

// Removing a sort value writes it empty through the same proven path: the
// field reads empty afterwards, every other field keeps its value, and the
// audio is untouched; where the format cannot take it, the write is refused
// with its reason and the file keeps its bytes.
TEST_P(RoundTrip, EachSortKeyCanBeEmptied)
{
    const AudioTemplate& t = GetParam();
    const auto file = library.copyTemplate(t.file, "Artist/track." + t.extension);
    const auto skip = unsupported(t);
    std::map<std::string, std::string> tags;
    for (const Field& f : kFields) {
        if (!skip.contains(f.valueName))
            tags[f.valueName] = std::string("value ") + f.valueName + " 山田";
        if (!skip.contains(f.sortName))
            tags[f.sortName] = std::string("old ") + f.sortName;
    }
    if (t.file == "template-v23.mp3")
        tags["@id3"] = "3";
    tagWithMutagen(file, tags);
    const AudioInfo audioBefore = audioInfo(file);

    for (const Field& f : kFields) {
        if (skip.contains(f.sortName))
            continue;
        const std::string before = readBytes(file);
        const bool refused = kEmptyingRefused.contains(t.label);
        withTrack(library.path(), 0, [&](bridge::Track& track) {
            const Status result = track.setValue(u"", f.sortKey);
            EXPECT_EQ(result.ok(), !refused) << f.sortKey << ": " << result.reason();
        });
        if (refused) {
            EXPECT_TRUE(readBytes(file) == before) << "a refused write changed " << f.sortKey;
            continue;
        }
        withTrack(library.path(), 0, [&](bridge::Track& track) {
            EXPECT_EQ(stringOf(track.valueForKey(f.sortKey)), OptString(u"")) << f.sortKey << " was not emptied";
            for (const Field& other : kFields) {
                if (!skip.contains(other.valueName)) {
                    EXPECT_EQ(stringOf(track.valueForKey(other.valueKey)),
                              OptString(toUtf16(std::string("value ") + other.valueName + " 山田")))
                        << other.valueKey << " changed with " << f.sortKey;
                }
            }
        });
    }
    AudioInfo audioAfter = audioInfo(file);
    if (t.extension == "opus")
        audioAfter.bitrate = audioBefore.bitrate;
    EXPECT_EQ(audioAfter, audioBefore);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::ValuesIn(audioTemplates()),
                         [](const auto& info) { return info.param.label; });

} // namespace
} // namespace yomi::test
