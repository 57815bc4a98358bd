// Writes keep every byte but the written item's: the proof over a real write
// of every format, and files other tools leave in a state TagLib cannot keep.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "Bridge/Bytes/Containers.h"
#include "Bridge/Bytes/Precheck.h"
#include "Bridge/Bytes/Proof/ByteProof.h"
#include "Bridge/Write/TagWriter.h"
#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/HostileFiles.h"
#include "support/Outcome.h"

namespace yomi::test {
namespace {

using bridge::folder::Format;
using bridge::folder::Property;
using bridge::folder::proveEdit;

// Sets the sort artist of every track of a fresh walk; the results by index.
std::vector<Status> writeSortArtist(const std::filesystem::path& root)
{
    std::vector<Status> results;
    walkLibrary(root, [&](std::size_t, bridge::Track& track) {
        results.push_back(track.setValue(u"やまだ たろう", "sortArtist"));
    });
    return results;
}

// The offset of a byte of audio data in a file of the templates' formats.
std::size_t audioByte(std::string_view extension, const std::string& bytes)
{
    if (extension == "m4a" || extension == "m4v")
        return bytes.find("mdat") + 8;
    if (extension == "wv")
        return bytes.find("wvpk") + 32;
    if (extension == "aiff")
        return bytes.find("SSND") + 20;
    if (extension == "wav")
        return bytes.find("data") + 8;
    return bytes.size() - 1;
}

// How the proof refuses the damage the tests below make of a real write, by
// template: the write taken for one of the sort album, a byte of audio
// flipped, the last byte cut, and the reasons for a cut anywhere.
struct Refusals {
    std::string asSortAlbum, audioFlipped, lastByteCut;
    std::set<std::string> cuts;
};

const Refusals& refusalsOf(const std::string& label)
{
    const std::string edited = "the edited file: ";
    const std::string audio = "the edit would change the audio data";
    const std::string id3 = "the edit would change TSOP in the ID3v2 tag";
    const std::string vorbis = "the edit would change ARTISTSORT in the Vorbis comment";
    const std::string mp4 = "the edit would change soar in the MP4 tag";
    const std::string oggChecksum = "the edit would leave an Ogg page with a wrong checksum";
    const std::string oggPages = edited + "the Ogg pages do not parse";
    const std::set<std::string> id3Cuts{audio, edited + "no ID3v2 tag",
                                        edited + "the ID3v2 tag is longer than the file"};
    const std::set<std::string> mp4Cuts{audio, edited + "malformed MP4 box"};
    static const std::map<std::string, Refusals> table{
        {"mp3_v23", {id3, audio, audio, id3Cuts}},
        {"mp3_v24", {id3, audio, audio, id3Cuts}},
        {"trueaudio", {id3, audio, audio, id3Cuts}},
        {"wav",
         {id3,
          "the edit would change the data chunk",
          edited + "the chunk sizes do not fit the file",
          {edited + "not a RIFF file", edited + "the chunk sizes do not fit the file"}}},
        {"aiff",
         {id3,
          "the edit would change the SSND chunk",
          edited + "the chunk sizes do not fit the file",
          {edited + "not a FORM file", edited + "the chunk sizes do not fit the file"}}},
        {"flac",
         {vorbis, audio, audio, {audio, edited + "no FLAC stream marker", edited + "malformed FLAC metadata block"}}},
        {"ogg_vorbis", {vorbis, oggChecksum, oggPages, {audio, oggPages}}},
        {"opus", {vorbis, oggChecksum, oggPages, {audio, oggPages}}},
        {"speex", {vorbis, oggChecksum, oggPages, {audio, oggPages}}},
        {"m4a", {mp4, audio, edited + "malformed MP4 box", mp4Cuts}},
        {"m4v_video", {mp4, audio, edited + "malformed MP4 box", mp4Cuts}},
        {"wavpack",
         {"the edit would change ARTISTSORT in the APE tag",
          audio,
          audio,
          // A cut inside the tag leaves an APE footer of an older item.
          {audio, "the edit would change ALBUMSORT in the APE tag", edited + "the APE tag is longer than the file"}}},
        {"wma",
         {"the edit would change WM/ArtistSortOrder in the ASF tag",
          audio,
          audio,
          {audio, edited + "not an ASF file", edited + "the ASF header object does not fit its objects"}}},
    };
    return table.at(label);
}

class Proof : public ::testing::TestWithParam<AudioTemplate> {
protected:
    TempFolder library;
};

TEST_P(Proof, AWriteIsProvenAndNoOtherChangeIs)
{
    const AudioTemplate& t = GetParam();
    const Refusals& refusals = refusalsOf(t.label);
    const auto file = library.copyTemplate(t.file, "track." + t.extension);
    std::map<std::string, std::string> tags{{"ARTIST", "山田"}, {"ARTISTSORT", "old"}, {"ALBUMSORT", "album"}};
    if (t.extension != "wma" && t.extension != "spx")
        tags["@picture"] = "1";
    tagWithMutagen(file, tags);
    const std::string before = readBytes(file);
    const auto results = writeSortArtist(library.path());
    ASSERT_EQ(results.size(), 1U);
    ASSERT_TRUE(results[0].ok()) << results[0].reason();
    const std::string after = readBytes(file);
    ASSERT_NE(after, before);

    const Format format = *bridge::folder::formatForName(file.filename().string());
    EXPECT_EQ(outcomeOf(proveEdit(format, before, after, Property::SortArtist)), kOk);
    // Seen as a write of another property, the sort artist changed.
    EXPECT_EQ(outcomeOf(proveEdit(format, before, after, Property::SortAlbum)), refusals.asSortAlbum);
    std::string flipped = after;
    flipped[audioByte(t.extension, after)] ^= 0x01;
    EXPECT_EQ(outcomeOf(proveEdit(format, before, flipped, Property::SortArtist)), refusals.audioFlipped);
    EXPECT_EQ(outcomeOf(proveEdit(format, before, after.substr(0, after.size() - 1), Property::SortArtist)),
              refusals.lastByteCut);
}

TEST_P(Proof, EveryCutOfAWrittenFileIsRefused)
{
    const AudioTemplate& t = GetParam();
    const auto file = library.copyTemplate(t.file, "track." + t.extension);
    tagWithMutagen(file, {{"ARTIST", "山田"}, {"ALBUMSORT", "album"}});
    const std::string before = readBytes(file);
    ASSERT_TRUE(writeSortArtist(library.path()).at(0).ok());
    const std::string after = readBytes(file);
    const Format format = *bridge::folder::formatForName(file.filename().string());
    const std::set<std::string>& reasons = refusalsOf(t.label).cuts;
    for (std::size_t n = 0; n < after.size(); n += 1 + after.size() / 300)
        EXPECT_THAT(reasons,
                    ::testing::Contains(outcomeOf(proveEdit(format, before, after.substr(0, n), Property::SortArtist))))
            << n;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, Proof, ::testing::ValuesIn(audioTemplates()),
                         [](const auto& info) { return info.param.label; });

// Replaces the first `from` in the file by `to` (of the same length).
void patch(const std::filesystem::path& file, std::string_view from, std::string_view to)
{
    std::string bytes = readBytes(file);
    const auto at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    if (file.extension() == ".ogg" || file.extension() == ".opus")
        bytes = withOggChecksums(bytes);
    std::ofstream(file, std::ios::binary) << bytes;
}

using DamagedFiles = AudioLibraryTest;

TEST_F(DamagedFiles, Latin1CommentsAreKeptAndTheOthersAreWritten)
{
    for (const char* ext : {"flac", "ogg", "opus"}) {
        TempFolder root;
        const auto bad = root.copyTemplate(std::string("template.") + ext, std::string("a/bad.") + ext);
        const auto good = root.copyTemplate(std::string("template.") + ext, std::string("b/good.") + ext);
        tagWithMutagen(bad, {{"COMPOSER", "Dvořák"}, {"COMMENT", "café au lait"}});
        tagWithMutagen(good, {{"COMPOSER", "Dvořák"}});
        patch(bad, "caf\xC3\xA9 ", "caf\xE9  "); // as an old rip holds it, in Latin-1
        const std::string before = readBytes(bad);

        const auto results = writeSortArtist(root.path());
        ASSERT_EQ(results.size(), 2U) << ext;
        EXPECT_TRUE(results[1].ok()) << ext << ": " << results[1].reason();
        // Both comments are edited on the bytes: the Latin-1 entry stays.
        EXPECT_TRUE(results[0].ok()) << ext << ": " << results[0].reason();
        EXPECT_NE(readBytes(bad).find("COMMENT=caf\xE9  au lait"), std::string::npos) << ext;
        EXPECT_EQ(readWithMutagen(bad).at("ARTISTSORT"), "やまだ たろう") << ext;
        EXPECT_EQ(outcomeOf(proveEdit(*bridge::folder::formatForName(bad.filename().string()), before, readBytes(bad),
                                      Property::SortArtist)),
                  kOk)
            << ext;
    }
}

TEST_F(DamagedFiles, AnOggCommentThatOutgrowsItsPagesIsPagedAnew)
{
    // 100 KB of sort artist: the header pages grow, the audio pages after
    // them are numbered anew with their checksums.
    const std::string value(100000, 'a');
    for (const char* ext : {"ogg", "opus"}) {
        TempFolder root;
        const auto file = root.copyTemplate(std::string("template.") + ext, std::string("track.") + ext);
        tagWithMutagen(file, {{"ARTIST", "artist"}, {"COMPOSER", "Dvořák"}});
        const std::string before = readBytes(file);
        walkLibrary(root.path(), [&](std::size_t, bridge::Track& track) {
            const auto result = track.setValue(String(value.begin(), value.end()), "sortArtist");
            EXPECT_TRUE(result.ok()) << ext << ": " << result.reason();
        });
        const std::string after = readBytes(file);
        EXPECT_EQ(withOggChecksums(after), after) << ext;
        EXPECT_EQ(outcomeOf(proveEdit(*bridge::folder::formatForName(file.filename().string()), before, after,
                                      Property::SortArtist)),
                  kOk)
            << ext;
        const auto tags = readWithMutagen(file);
        EXPECT_EQ(tags.at("ARTISTSORT"), value) << ext;
        EXPECT_EQ(tags.at("COMPOSER"), "Dvořák") << ext;
    }
}

// The Ogg editor keeps the audio pages as they are, so it refuses a stream
// whose page claims to continue a packet that ended, as the proof would.
TEST_F(DamagedFiles, AnOggPageContinuingNoPacketIsNotEdited)
{
    for (const char* ext : {"ogg", "opus"}) {
        const auto file = library.copyTemplate(std::string("template.") + ext, std::string("track.") + ext);
        const Format format = *bridge::folder::formatForName(file.filename().string());
        std::string bytes = readBytes(file);
        const auto edit = bridge::folder::spliceEdit(format, 0, bytes, Property::SortArtist, u"x");
        ASSERT_TRUE(edit && *edit) << ext;
        EXPECT_EQ(outcomeOf(proveEdit(format, bytes, **edit, Property::SortArtist)), kOk) << ext;

        bytes[bytes.rfind("OggS") + 5] |= 1;
        const auto refused = bridge::folder::spliceEdit(format, 0, bytes, Property::SortArtist, u"x");
        ASSERT_FALSE(refused) << ext;
        EXPECT_EQ(refused.reason(), "the Ogg pages do not parse") << ext;
    }
}

// TagLib, asked to put back an APE tag whose footer points past the end of
// the file, would move a negative number of bytes (found by
// fuzz_write_verify): the write is refused and the file kept.
TEST_F(DamagedFiles, AnApeTagPointingPastTheEndIsNotWritten)
{
    const std::string bytes(
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xfe\xff\xff"
        "\xff\x00\x00\x00\x00\x00\xff\xff\xff\xff\x00\x00\x00\x00\x00\x00\x1f\x04\x33\x44\x4d\x49\x00\xe4"
        "APETAGEX\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\xe0\x00\x00\x02\x92\x81\xff\xff\xff\xff\xff"
        "\xfe\xc1\x00",
        82);
    const auto file = library.writeFile("bad.mpc", bytes);
    withTrack(library.path(), 0, [](bridge::Track& track) {
        const auto result = track.setValue(u"やまだ たろう", "artist");
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.reason(), "TagLib would write the tag past the end of the file");
    });
    EXPECT_EQ(readBytes(file), bytes);
}

TEST_F(DamagedFiles, AnMp4ItemWithADamagedDataAtomIsKeptOrTheWriteRefused)
{
    const auto file = library.copyTemplate("template.m4a", "track.m4a");
    tagWithMutagen(file, {{"COMPOSER", "composer"}, {"ARTISTSORT", "old"}});
    std::string bytes = readBytes(file);
    const auto item = bytes.find("\xA9wrt");
    ASSERT_NE(item, std::string::npos);
    bytes[item + 7] = static_cast<char>(bytes[item + 7] - 1); // the data atom claims a byte less
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string damaged = bytes.substr(item - 4, static_cast<unsigned char>(bytes[item - 1]));

    const auto results = writeSortArtist(library.path());
    ASSERT_EQ(results.size(), 1U);
    if (results[0].ok())
        EXPECT_NE(readBytes(file).find(damaged), std::string::npos);
    else
        EXPECT_EQ(readBytes(file), bytes) << results[0].reason();
}

TEST_F(DamagedFiles, AnAsfHeaderOfTheWrongSizeIsNotWritten)
{
    const auto file = library.copyTemplate("template.wma", "track.wma");
    tagWithMutagen(file, {{"ARTIST", "artist"}});
    std::string bytes = readBytes(file);
    bytes[16] = static_cast<char>(bytes[16] + 40); // the header object's size
    std::ofstream(file, std::ios::binary) << bytes;

    const auto results = writeSortArtist(library.path());
    ASSERT_EQ(results.size(), 1U);
    EXPECT_FALSE(results[0].ok());
    EXPECT_EQ(readBytes(file), bytes);
}

TEST_F(DamagedFiles, AnId3v22TagIsWrittenAsV24WithItsFrames)
{
    std::string audio = readBytes(audioTemplate("template.mp3"));
    ASSERT_GE(audio.size(), 10U);
    audio.erase(0, 10 + ((audio[8] & 0x7F) << 7) + (audio[9] & 0x7F)); // the template's own tag
    auto frame = [](std::string id, std::string text) {
        text.insert(0, 1, '\0'); // Latin-1
        return id + std::string{'\0', '\0', static_cast<char>(text.size())} + text;
    };
    const std::string frames = frame("TT2", "title") + frame("TP1", "artist") + std::string(64, '\0');
    const std::string tag = std::string("ID3\x02\0\0\0\0", 8) + std::string{'\0', static_cast<char>(frames.size())};
    const auto file = library.writeFile("old.mp3", tag + frames + audio);

    const auto results = writeSortArtist(library.path());
    ASSERT_EQ(results.size(), 1U);
    EXPECT_TRUE(results[0].ok()) << results[0].reason();
    const auto raw = readWithMutagen(file);
    EXPECT_EQ(raw.at("TIT2"), "title");
    EXPECT_EQ(raw.at("TPE1"), "artist");
    EXPECT_EQ(raw.at("TSOP"), "やまだ たろう");
}

// A real write of the format's template, as the bytes before and after.
std::pair<std::string, std::string> writtenTemplate(const TempFolder& root, const std::string& ext)
{
    const auto file = root.copyTemplate("template." + ext, ext + "/track." + ext);
    tagWithMutagen(file, {{"ARTIST", "山田"}, {"ARTISTSORT", "old"}});
    std::pair<std::string, std::string> bytes{readBytes(file), ""};
    walkLibrary(file.parent_path(),
                [](std::size_t, bridge::Track& track) { EXPECT_TRUE(track.setValue(u"やまだ", "sortArtist").ok()); });
    bytes.second = readBytes(file);
    return bytes;
}

TEST_F(DamagedFiles, OnlyTheNamedDifferencesPassTheProof)
{
    const auto prove = [](Format format, const auto& bytes, const std::string& after) {
        return outcomeOf(proveEdit(format, bytes.first, after, Property::SortArtist));
    };
    const auto flac = writtenTemplate(library, "flac");
    std::string renamed = flac.second;
    renamed.replace(renamed.find("ARTIST=\xE5"), 6, "artist"); // Vorbis names have no case
    EXPECT_EQ(prove(Format::Flac, flac, renamed), kOk);

    const auto mp3 = writtenTemplate(library, "mp3");
    std::string padded = mp3.second; // the tag's padding grows by 100 bytes
    const std::size_t size =
        ((padded[6] & 0x7F) << 21) | ((padded[7] & 0x7F) << 14) | ((padded[8] & 0x7F) << 7) | (padded[9] & 0x7F);
    padded.insert(10 + size, 100, '\0');
    for (int i = 0; i < 4; ++i)
        padded[6 + i] = static_cast<char>(((size + 100) >> (21 - 7 * i)) & 0x7F);
    EXPECT_EQ(prove(Format::Mpeg, mp3, padded), kOk);
    std::string flagged = mp3.second;
    flagged[flagged.find("TPE1") + 9] = 0x40; // a frame flag of another frame
    EXPECT_EQ(prove(Format::Mpeg, mp3, flagged), "the edit would change TPE1 in the ID3v2 tag");

    const auto m4a = writtenTemplate(library, "m4a");
    std::string moved = m4a.second;
    ++moved[moved.find("stco") + 15]; // one chunk offset off by one
    EXPECT_EQ(prove(Format::Mp4, m4a, moved), "the edit would move a chunk offset away from its data");

    const auto wv = writtenTemplate(library, "wv");
    std::string readOnly = wv.second;
    readOnly[readOnly.find(std::string("ARTIST\0", 7)) - 4] = 0x01; // the item's flags
    EXPECT_EQ(prove(Format::WavPack, wv, readOnly), "the edit would change ARTIST in the APE tag");
}

TEST_F(DamagedFiles, OtherItemsKeepTheirNamesAndNoneIsAdded)
{
    // Ogg Vorbis with a big cover in its comment; WavPack with an APE Date;
    // WMA with no copyright or description; WAVE with an ID3v2.3 tag.
    const auto ogg = library.copyTemplate("template.ogg", "a/cover.ogg");
    const auto wv = library.copyTemplate("template.wv", "b/date.wv");
    const auto wma = library.copyTemplate("template.wma", "c/plain.wma");
    const auto wav = library.copyTemplate("template.wav", "d/v23.wav");
    tagWithMutagen(ogg, {{"ARTIST", "artist"}, {"@picture", "200000"}});
    tagWithMutagen(wv, {{"ARTIST", "artist"}, {"Date", "2001"}});
    tagWithMutagen(wma, {{"ARTIST", "artist"}, {"TITLE", "title"}});
    tagWithMutagen(wav, {{"ARTIST", "artist"}, {"@id3", "3"}});

    for (const auto& result : writeSortArtist(library.path()))
        EXPECT_TRUE(result.ok()) << result.reason();
    const auto cover = readWithMutagen(ogg);
    EXPECT_EQ(cover.at("@pictures"), "1");
    EXPECT_EQ(cover.at("ARTISTSORT"), "やまだ たろう");
    EXPECT_NE(readBytes(wv).find(std::string("Date\0002001", 9)), std::string::npos);
    EXPECT_FALSE(readWithMutagen(wv).contains("YEAR"));
    const auto plain = readWithMutagen(wma);
    EXPECT_EQ(plain.at("WM/ArtistSortOrder"), "やまだ たろう");
    EXPECT_EQ(plain.at("Title"), "title");
    EXPECT_FALSE(plain.contains("Copyright"));
    EXPECT_FALSE(plain.contains("Description"));
    const auto v23 = readWithMutagen(wav);
    EXPECT_EQ(v23.at("@id3version"), "2.3");
    EXPECT_EQ(v23.at("TSOP"), "やまだ たろう");
}

// Faults an edit must not bring, each made on the bytes of a real write of a
// template tagged with an artist, a composer and an old sort artist, and the
// differences it may bring.
struct Fault {
    const char* extension;
    const char* label;
    void (*make)(std::string& after);
    const char* reason; // kOk for a difference the proof lets through
};

inline void PrintTo(const Fault& f, std::ostream* os) { *os << f.extension << " " << f.label; }

void put(std::string& s, std::size_t at, std::uint32_t v, bool little)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (little ? 8 * i : 24 - 8 * i));
}

std::uint32_t be32At(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

// Where `needle` starts in `s`; fails the test (and answers 0) when nowhere.
std::size_t at(const std::string& s, std::string_view needle)
{
    const std::size_t found = s.find(needle);
    EXPECT_NE(found, std::string::npos) << needle;
    return found == std::string::npos ? 0 : found;
}

void bump(std::string& s, std::size_t at)
{
    ASSERT_LT(at, s.size());
    ++s[at];
}

// An empty free box before the media data; with `follow` the chunk offsets
// (of an stco or a co64 box) move with it.
void freeBoxBeforeMedia(std::string& s, bool follow)
{
    s.insert(s.find("mdat") - 4,
             std::string("\0\0\0\x08"
                         "free",
                         8));
    const bool wide = s.find("co64") != std::string::npos;
    const std::size_t table = s.find(wide ? "co64" : "stco") + 4;
    for (std::uint32_t i = 0; follow && i < be32At(s, table + 4); ++i) {
        const std::size_t low = table + 8 + (wide ? 8 * i + 4 : 4 * i);
        put(s, low, be32At(s, low) + 8, false);
    }
}

// The file with its stco box widened to co64, the boxes around it grown.
std::string withCo64(std::string s)
{
    const std::size_t box = s.find("stco") - 4;
    const std::uint32_t count = be32At(s, box + 12);
    std::string wide = hostile::be32(16 + 8 * count) + "co64" + s.substr(box + 8, 8);
    for (std::uint32_t i = 0; i < count; ++i)
        wide += std::string(4, '\0') + s.substr(box + 16 + 4 * i, 4);
    for (const char* parent : {"moov", "trak", "mdia", "minf", "stbl"}) {
        const std::size_t at = s.rfind(parent, box) - 4;
        put(s, at, be32At(s, at) + 4 * count, false);
    }
    return s.replace(box, 16 + 4 * count, wide);
}

constexpr const char* kAudio = "the edit would change the audio data";

const Fault kFaults[] = {
    {"mp3", "audio", [](std::string& s) { bump(s, audioByte("mp3", s)); }, kAudio},
    {"mp3", "composer", [](std::string& s) { s[at(s, "composer")] = 'C'; },
     "the edit would change TCOM in the ID3v2 tag"},
    {"mp3", "tagSize", [](std::string& s) { bump(s, 9); }, kAudio},
    {"flac", "audio", [](std::string& s) { bump(s, audioByte("flac", s)); }, kAudio},
    {"flac", "composer", [](std::string& s) { s[at(s, "composer")] = 'C'; },
     "the edit would change COMPOSER in the Vorbis comment"},
    {"flac", "streamInfoSize", [](std::string& s) { bump(s, 7); }, "the edited file: malformed FLAC metadata block"},
    {"flac", "streamInfo", [](std::string& s) { bump(s, 8 + 10); }, "the edit would change the stream information"},
    {"ogg", "audio", [](std::string& s) { bump(s, audioByte("ogg", s)), s = withOggChecksums(s); }, kAudio},
    {"ogg", "composer", [](std::string& s) { s[at(s, "composer")] = 'C', s = withOggChecksums(s); },
     "the edit would change COMPOSER in the Vorbis comment"},
    {"ogg", "setupPacket", [](std::string& s) { bump(s, at(s, "\x05vorbis") + 12), s = withOggChecksums(s); }, kAudio},
    {"ogg", "lacing", [](std::string& s) { bump(s, 27); }, "the edited file: the Ogg pages do not parse"},
    {"ogg", "checksum", [](std::string& s) { bump(s, s.rfind("OggS") + 22); },
     "the edit would leave an Ogg page with a wrong checksum"},
    {"ogg", "sequence", [](std::string& s) { bump(s, s.rfind("OggS") + 18), s = withOggChecksums(s); },
     "the edit would leave the Ogg pages out of sequence"},
    {"opus", "headerPacket", [](std::string& s) { bump(s, at(s, "OpusHead") + 10), s = withOggChecksums(s); }, kAudio},
    {"opus", "composer", [](std::string& s) { s[at(s, "composer")] = 'C', s = withOggChecksums(s); },
     "the edit would change COMPOSER in the Vorbis comment"},
    {"m4a", "audio", [](std::string& s) { bump(s, audioByte("m4a", s)); }, kAudio},
    {"m4a", "composer", [](std::string& s) { s[at(s, "composer")] = 'C'; },
     "the edit would change \u00A9wrt in the MP4 tag"},
    {"m4a", "moovSize", [](std::string& s) { bump(s, at(s, "moov") - 1); }, "the edited file: malformed MP4 box"},
    {"m4a", "offsetsStay", [](std::string& s) { freeBoxBeforeMedia(s, false); },
     "the edit would move a chunk offset away from its data"},
    {"m4a", "offsetsFollow", [](std::string& s) { freeBoxBeforeMedia(s, true); }, kOk},
    {"wav", "audio", [](std::string& s) { bump(s, audioByte("wav", s)); }, "the edit would change the data chunk"},
    {"wav", "composer", [](std::string& s) { s[at(s, "composer")] = 'C'; },
     "the edit would change TCOM in the ID3v2 tag"},
    {"wav", "riffSize", [](std::string& s) { bump(s, 4); }, "the edited file: the chunk sizes do not fit the file"},
    {"aiff", "audio", [](std::string& s) { bump(s, audioByte("aiff", s)); }, "the edit would change the SSND chunk"},
    {"aiff", "formSize", [](std::string& s) { bump(s, 7); }, "the edited file: the chunk sizes do not fit the file"},
    {"wv", "audio", [](std::string& s) { bump(s, audioByte("wv", s)); }, kAudio},
    {"wv", "composer", [](std::string& s) { s[at(s, "composer")] = 'C'; },
     "the edit would change COMPOSER in the APE tag"},
    {"wv", "footerSize", [](std::string& s) { bump(s, s.size() - 20); }, "the edited file: malformed APE item"},
    {"wv", "nameCase", [](std::string& s) { s.replace(at(s, "COMPOSER"), 8, "Composer"); }, kOk},
    {"wma", "audio", [](std::string& s) { bump(s, s.size() - 1); }, kAudio},
    {"wma", "composer", [](std::string& s) { s[at(s, std::string("c\0o\0m\0p", 7))] = 'C'; },
     "the edit would change WM/Composer in the ASF tag"},
    {"wma", "headerSize", [](std::string& s) { bump(s, 16); },
     "the edited file: the ASF header object does not fit its objects"},
};

// A real write of the template, with a composer and, when `album`, an album;
// made once per file.
const std::pair<std::string, std::string>& writtenWithComposer(const std::string& ext, bool album)
{
    static std::map<std::string, std::pair<std::string, std::string>> made;
    const std::string key = ext + (album ? "+album" : "");
    if (const auto it = made.find(key); it != made.end())
        return it->second;
    TempFolder root;
    const auto file = root.copyTemplate("template." + ext, "track." + ext);
    std::map<std::string, std::string> tags{{"ARTIST", "山田"}, {"COMPOSER", "composer"}, {"ARTISTSORT", "old"}};
    if (album)
        tags["ALBUM"] = "album";
    tagWithMutagen(file, tags);
    std::pair<std::string, std::string> bytes{readBytes(file), ""};
    EXPECT_TRUE(writeSortArtist(root.path()).at(0).ok()) << ext;
    bytes.second = readBytes(file);
    return made[key] = bytes;
}

class ProofFault : public ::testing::TestWithParam<Fault> {};

TEST_P(ProofFault, IsRefusedWithItsReason)
{
    const Fault& f = GetParam();
    const auto& [before, after] = writtenWithComposer(f.extension, false);
    const Format format = *bridge::folder::formatForName(std::string("a.") + f.extension);
    ASSERT_EQ(outcomeOf(proveEdit(format, before, after, Property::SortArtist)), kOk);
    std::string damaged = after;
    f.make(damaged);
    ASSERT_NE(damaged, after);
    EXPECT_EQ(outcomeOf(proveEdit(format, before, damaged, Property::SortArtist)), f.reason);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, ProofFault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.extension) + "_" + info.param.label; });

TEST(ProofMp4, WideChunkOffsetsMustMoveWithTheMediaData)
{
    const auto& [before, after] = writtenWithComposer("m4a", false);
    const std::string wideBefore = withCo64(before), wideAfter = withCo64(after);
    ASSERT_EQ(outcomeOf(bridge::folder::precheck(Format::Mp4, wideBefore)), kOk);
    ASSERT_EQ(outcomeOf(proveEdit(Format::Mp4, wideBefore, wideAfter, Property::SortArtist)), kOk);
    for (const bool follow : {false, true}) {
        std::string moved = wideAfter;
        freeBoxBeforeMedia(moved, follow);
        EXPECT_EQ(outcomeOf(proveEdit(Format::Mp4, wideBefore, moved, Property::SortArtist)),
                  follow ? kOk : "the edit would move a chunk offset away from its data");
    }
}

TEST(ProofItems, AnItemAddedOrRemovedIsRefused)
{
    const std::map<std::string, std::string> album{
        {"mp3", "TALB in the ID3v2 tag"},       {"flac", "ALBUM in the Vorbis comment"},
        {"ogg", "ALBUM in the Vorbis comment"}, {"m4a", "\u00A9alb in the MP4 tag"},
        {"wav", "TALB in the ID3v2 tag"},       {"wv", "ALBUM in the APE tag"},
        {"wma", "WM/AlbumTitle in the ASF tag"}};
    for (const auto& [ext, item] : album) {
        const Format format = *bridge::folder::formatForName("a." + ext);
        const auto& plain = writtenWithComposer(ext, false);
        const auto& more = writtenWithComposer(ext, true);
        const std::size_t in = item.find(" in ");
        EXPECT_EQ(outcomeOf(proveEdit(format, plain.first, more.second, Property::SortArtist)),
                  "the edit would add " + item.substr(0, in) + " to" + item.substr(in + 3))
            << ext;
        EXPECT_EQ(outcomeOf(proveEdit(format, more.first, plain.second, Property::SortArtist)),
                  "the edit would change " + item)
            << ext;
    }
}

// The proof names the items a write may change from a table of its own; the
// reads and the editors name them from Formats. Property by property, the
// proof must let change exactly the item the editors write.
TEST(ProofItems, TheProofsNamesAreTheEditors)
{
    using Items = std::set<std::string>;
    using namespace bridge::folder;
    for (int i = 0; i < kTextPropertyCount; ++i) {
        const auto p = static_cast<Property>(i);
        const std::string name(propertyName(p));
        SCOPED_TRACE(name);
        // ID3v2: the frame, a user text frame told apart by its description.
        const std::string frame(id3FrameId(p));
        for (const Format f : {Format::Mpeg, Format::TrueAudio, Format::Wav, Format::Aiff})
            EXPECT_EQ(writtenItems(f, p), Items{frame == "TXXX" ? "TXXX:" + name : frame});
        EXPECT_EQ(writtenItems(Format::Mp4, p), Items{std::string(mp4ItemName(p))});
        for (const Format f : {Format::Flac, Format::OggVorbis, Format::OggAudio, Format::Opus, Format::Speex})
            EXPECT_EQ(writtenItems(f, p), Items{name});
        // APE: TagLib keeps an album artist in the "ALBUM ARTIST" item a file
        // already has.
        const Items ape = p == Property::AlbumArtist ? Items{name, "ALBUM ARTIST"} : Items{name};
        for (const Format f : {Format::Ape, Format::WavPack, Format::Musepack})
            EXPECT_EQ(writtenItems(f, p), ape);
        // ASF: a content description field, a descriptor, or nothing.
        const std::string_view attribute = asfAttributeName(p);
        const bool field = std::find(std::begin(asf::kContentFieldNames), std::end(asf::kContentFieldNames),
                                     attribute) != std::end(asf::kContentFieldNames);
        const Items asfItems = attribute.empty() ? Items{}
            : field                              ? Items{"CD:" + std::string(attribute)}
                                                 : Items{std::string(attribute)};
        EXPECT_EQ(writtenItems(Format::Asf, p), asfItems);
        for (const Format f : {Format::Mod, Format::S3m, Format::It, Format::Xm})
            EXPECT_EQ(writtenItems(f, p), Items{});
    }
    // The names a library of other tools' files holds, spelt out once.
    EXPECT_EQ(writtenItems(Format::Mp4, Property::SortAlbumArtist), Items{"soaa"});
    EXPECT_EQ(writtenItems(Format::Mpeg, Property::SortShow), Items{"TXXX:SHOWSORT"});
    EXPECT_EQ(writtenItems(Format::Asf, Property::Artist), Items{"CD:Author"});
    EXPECT_EQ(writtenItems(Format::Asf, Property::SortComposer), Items{});
}

// The Ogg checksum the editor writes and the proof checks is the one other
// programs write: every page of the templates (made by ffmpeg) carries it.
TEST(OggChecksum, IsTheOneOtherProgramsWrite)
{
    using namespace bridge::folder;
    for (const char* file : {"template.ogg", "template.opus", "template.spx"}) {
        const std::string bytes = readBytes(audioTemplate(file));
        std::size_t pages = 0;
        for (std::size_t pos = 0; pos + ogg::kHeaderSize <= bytes.size(); ++pages) {
            ASSERT_EQ(bytes.compare(pos, 4, "OggS"), 0) << file << " at " << pos;
            const std::size_t segments = static_cast<unsigned char>(bytes[pos + ogg::kSegmentsAt]);
            std::size_t size = ogg::kHeaderSize + segments;
            for (std::size_t i = 0; i < segments; ++i)
                size += static_cast<unsigned char>(bytes[pos + ogg::kHeaderSize + i]);
            ASSERT_LE(size, bytes.size() - pos) << file;
            EXPECT_EQ(ogg::checksum(std::string_view(bytes).substr(pos, size)),
                      yomi::bytes::le32(bytes, pos + ogg::kChecksumAt))
                << file << " page " << pages;
            pos += size;
        }
        EXPECT_GE(pages, 3U) << file;
    }
}

} // namespace
} // namespace yomi::test
