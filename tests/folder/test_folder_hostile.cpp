// Hostile nesting through every way a file reaches TagLib: the scan's
// read-ahead workers, the index's rescan of a changed file, the write path,
// a revert and the scan after it. Each shape nests 10, 100 and 1,000 times
// deeper than the pre-check lets through, beside ordinary files that must
// still be read and written; and each shape just inside the bound parses on
// a thread with a quarter of the workers' stack.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Bridge/Bytes/Precheck.h"
#include "Bridge/Tags/TrackValues.h"
#include "Bridge/Walk/ParseAhead.h"
#include "Bridge/Write/TagWriter.h"
#include "Platform/Thread.h"
#include "Storage/FileIdentity.h"
#include "folder/ControllerOnFolder.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/HostileFiles.h"
#include "support/Outcome.h"

using ::testing::HasSubstr;

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::Format;
using bridge::folder::kMaxNesting;

const std::string kArtist = "山田";

struct Shape {
    std::string name; // the file name; its extension picks the format
    std::string bytes;
};

// Every shape whose nesting TagLib follows by recursion, `depth` levels deep,
// each holding kArtist where a read would find it.
std::vector<Shape> shapes(int depth)
{
    const std::string mp3 = readBytes(audioTemplate("template.mp3"));
    const std::string flac = readBytes(audioTemplate("template.flac"));
    const std::string tta = readBytes(audioTemplate("template.tta"));
    std::vector<Shape> out;
    for (const std::string_view type : hostile::kMp4Containers)
        out.push_back({"mp4 " + std::string(type) + ".m4a", hostile::mp4Nested(type, depth, kArtist)});
    out.push_back({"mp4 qtmeta.m4a", hostile::mp4Nested("qtmeta", depth, kArtist)});
    out.push_back({"mp4 item meta.m4a", hostile::mp4Nested("meta", depth, kArtist, true)});
    out.push_back({"mp4 item qtmeta.m4a", hostile::mp4Nested("qtmeta", depth, kArtist, true)});
    out.push_back({"id3 v24.mp3", hostile::id3Nested(depth, kArtist, mp3)});
    // TagLib reads on past an ID3v2.2 frame in a v2.3 tag (its iTunes rule).
    const std::string v22Frame =
        std::string("TT2\0", 4) + hostile::be32(2) + std::string(2, '\0') + std::string("\0x", 2);
    out.push_back({"id3 v23 after v22 frame.mp3", hostile::id3Nested(depth, kArtist, mp3, 3, v22Frame)});
    out.push_back({"id3 in front.flac", hostile::id3Nested(depth, kArtist, flac)});
    out.push_back({"id3.tta", hostile::id3Nested(depth, kArtist, tta)});
    out.push_back({"id3 chunk.wav", hostile::riffWithId3(false, hostile::id3Nested(depth, kArtist, ""))});
    out.push_back({"id3 chunk.aiff", hostile::riffWithId3(true, hostile::id3Nested(depth, kArtist, ""))});
    return out;
}

class HostileNesting : public ::testing::TestWithParam<int>, protected ControllerOnFolder {
protected:
    std::size_t linesNaming(const std::string& what, const std::string& name) const
    {
        return static_cast<std::size_t>(std::count_if(log.lines.begin(), log.lines.end(), [&](const std::string& l) {
            return l.find(what) != l.npos && l.find(name) != l.npos && l.find("nest") != l.npos;
        }));
    }
};

TEST_P(HostileNesting, ScanRescanSaveAndRevertGoOnBesideThem)
{
    const std::vector<Shape> hostiles = shapes(kMaxNesting * GetParam());
    const fs::path a = library.copyTemplate("template.mp3", "a.mp3");
    tagWithMutagen(a, {{"ARTIST", kArtist}, {"ARTISTSORT", "old"}});
    for (const Shape& s : hostiles)
        library.writeFile(s.name, s.bytes);
    const fs::path z = library.copyTemplate("template.m4a", "z.m4a");
    tagWithMutagen(z, {{"ARTIST", kArtist}, {"ARTISTSORT", "old"}});

    // The scan: the read-ahead workers parse every file.
    c.setKeyTag(0);
    c.load(nullptr);
    const std::vector<std::pair<String, String>> before = {{u"山田", u"old"}};
    EXPECT_EQ(rows(), before) << "only the ordinary files are read";
    for (const Shape& s : hostiles)
        EXPECT_EQ(linesNaming("cannot read", s.name), 1U) << s.name;

    // The save: the write path parses the two ordinary files again.
    c.pairDict()->at(u"山田")->sortStr = u"やまだ";
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 2U);
    EXPECT_EQ(c.lastSaveReport().failed, 0U);
    EXPECT_EQ(readWithMutagen(z).at("soar"), "やまだ");

    // The rescan: a hostile file changed since the index's row is parsed
    // anew by a worker.
    for (const Shape& s : hostiles) {
        fs::remove(library.path() / s.name);
        library.writeFile(s.name, s.bytes);
    }
    const std::uint64_t parsed = bridge::folder::tracksRead();
    c.load(nullptr);
    const std::vector<std::pair<String, String>> after = {{u"山田", u"やまだ"}};
    EXPECT_EQ(rows(), after);
    EXPECT_GE(bridge::folder::tracksRead() - parsed, hostiles.size()) << "the changed files were parsed, not looked up";

    // The revert: one written file became a hostile one since; it is left
    // alone, the other taken back, and the scan after the revert goes on.
    const std::string swapped = hostiles.front().bytes;
    writeBytes(a, swapped);
    c.revertLastSave(nullptr);
    const RevertReport& revert = c.lastRevertReport();
    EXPECT_EQ(revert.reverted, 1U);
    ASSERT_EQ(revert.leftAlone.size(), 1U);
    EXPECT_THAT(revert.leftAlone.front(), HasSubstr("a.mp3"));
    EXPECT_EQ(readBytes(a), swapped);
    EXPECT_EQ(readWithMutagen(z).at("soar"), "old");
    EXPECT_EQ(rows(), before);
    for (const Shape& s : hostiles)
        EXPECT_EQ(readBytes(library.path() / s.name), s.bytes) << s.name << " is never written";
}

TEST_P(HostileNesting, TheWritePathRefusesEachWithTheReason)
{
    for (const Shape& s : shapes(kMaxNesting * GetParam())) {
        const fs::path file = library.writeFile(s.name, s.bytes);
        const auto opened = fileio::identify(file);
        ASSERT_TRUE(opened) << s.name;
        const Status written = bridge::folder::writeProperty(file, *opened, *bridge::folder::formatForName(s.name),
                                                             bridge::folder::Property::SortArtist, u"やまだ");
        EXPECT_THAT(outcomeOf(written), HasSubstr("nest more than 32 deep")) << s.name;
        EXPECT_EQ(readBytes(file), s.bytes) << s.name;
    }
}

INSTANTIATE_TEST_SUITE_P(TimesTheBound, HostileNesting, ::testing::Values(10, 100, 1000));

// Just inside the bound TagLib follows every level: on a quarter of the
// workers' stack each shape reads (with its artist) or is refused for
// another reason than its nesting, and never overflows.
TEST(HostileNestingAtTheBound, ParsesWithinAQuarterOfTheWorkersStack)
{
    TempFolder library;
    // The outer boxes or frames around the nest take levels of their own.
    for (const Shape& s : shapes(kMaxNesting - 6)) {
        const fs::path file = library.writeFile(s.name, s.bytes);
        bridge::folder::TrackValues values;
        SizedThread worker(bridge::folder::kParseStackBytes / 4, [&] {
            values = bridge::folder::readTrack(file.string(), *bridge::folder::formatForName(s.name));
        });
        worker.join();
        EXPECT_EQ(values.openError.find("nest"), std::string::npos) << s.name << ": " << values.openError;
    }
}

} // namespace
} // namespace yomi::test
