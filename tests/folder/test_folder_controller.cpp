// A scan and a save of the editor controller over a generated folder library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "folder/ControllerOnFolder.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/FixedValueReader.h"
#include "support/HostileFiles.h"
#include "support/RecordingDecider.h"
#include "support/WindowFakes.h"

using ::testing::HasSubstr;

namespace yomi::test {
namespace {

namespace fs = std::filesystem;

class FolderController : public ::testing::Test, protected ControllerOnFolder {
protected:
    fs::path add(std::string_view templateFile, const std::string& relative,
                 const std::map<std::string, std::string>& tags)
    {
        const auto file = library.copyTemplate(templateFile, relative);
        tagWithMutagen(file, tags);
        return file;
    }
};

TEST_F(FolderController, ScanListsAndSaveWritesTheFiles)
{
    const auto a = add("template.mp3", "A/01 a.mp3", {{"ARTIST", "山田太郎"}, {"ARTISTSORT", "yamada taro"}});
    const auto b = add("template.flac", "A/02 b.flac", {{"ARTIST", "山田太郎"}, {"TITLE", "曲"}});
    const auto c1 = add("template.m4a", "B/c.m4a", {{"ARTIST", "鈴木"}, {"ARTISTSORT", "old"}});
    const auto d = add("template.m4a", "B/d.m4a", {{"ARTIST", "鈴木"}, {"ARTISTSORT", "old"}, {"@podcast", "1"}});
    const auto e = add("template.ogg", "C/e.ogg", {{"ARTIST", "Latin"}, {"ARTISTSORT", "latin"}});
    const auto v = add("template.m4v", "C/v.m4v", {{"ARTIST", "動画"}, {"ARTISTSORT", "douga"}});
    library.writeFile("C/not audio.mp3", "text");

    c.setKeyTag(0);
    c.load(nullptr);
    const std::vector<std::pair<String, String>> scanned = {{u"山田太郎", u"yamada taro"}, {u"鈴木", u"old"}};
    EXPECT_EQ(rows(), scanned);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_THAT(log.lines.back(), HasSubstr(" sec"));

    c.pairDict()->at(u"鈴木")->sortStr = u"すずき";
    const std::string aBytes = readBytes(a);
    const std::string eBytes = readBytes(e);
    const std::string vBytes = readBytes(v);
    log.lines.clear();
    c.save(nullptr);

    EXPECT_EQ(c.lastSaveReport().written, 3U);
    EXPECT_EQ(c.lastSaveReport().failed, 0U);
    const std::vector<std::string> expectedLog = {"曲:山田太郎->yamada taro\n", "B/c.m4a:鈴木->すずき\n",
                                                  "B/d.m4a:鈴木->すずき\n"};
    std::vector<std::string> changes;
    std::copy_if(log.lines.begin(), log.lines.end(), std::back_inserter(changes),
                 [](const std::string& line) { return line.find("->") != std::string::npos; });
    EXPECT_EQ(changes, expectedLog) << "the title names a track, else its path";

    EXPECT_EQ(readWithMutagen(b).at("ARTISTSORT"), "yamada taro");
    EXPECT_EQ(readWithMutagen(c1).at("soar"), "すずき");
    EXPECT_EQ(readWithMutagen(d).at("soar"), "すずき");
    EXPECT_EQ(readBytes(a), aBytes);
    EXPECT_EQ(readBytes(e), eBytes);
    EXPECT_EQ(readBytes(v), vBytes);

    // A second save finds every track equal and writes nothing.
    const std::string bBytes = readBytes(b);
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 0U);
    EXPECT_EQ(readBytes(b), bBytes);

    // A new scan reads the values written.
    c.load(nullptr);
    const std::vector<std::pair<String, String>> rescanned = {{u"山田太郎", u"yamada taro"}, {u"鈴木", u"すずき"}};
    EXPECT_EQ(rows(), rescanned);
}

TEST_F(FolderController, AValuesContextIsTheTextsOfItsAlbumFolders)
{
    add("template.mp3", "A/01.mp3", {{"ARTIST", "陳昇"}, {"TITLE", "把悲傷留給自己"}, {"ALBUM", "別讓我哭"}});
    add("template.flac", "A/02.flac", {{"ARTIST", "Guest"}, {"TITLE", "鼓聲若響"}, {"ALBUM", "別讓我哭"}});
    add("template.flac", "A/CD2/03.flac", {{"ARTIST", "陳昇"}, {"TITLE", "一個人去旅行"}});
    add("template.flac", "B/01.flac", {{"ARTIST", "平井堅"}, {"TITLE", "瞳をとじて"}, {"COMPOSER", "平井堅"}});
    FixedValueReader japanese(Language::Japanese, u"ヨミ");
    RecordingDecider decider;
    Reader reader;
    reader.japanese = &japanese;
    reader.decider = &decider;
    c.reader = &reader;
    c.setKeyTag(0);
    c.load(nullptr);
    wired.arrayController.selection = c.dataArray()->entries();
    c.copyOriginalToReading(nullptr);

    // Folder A: 把悲傷留給自己, 別讓我哭, Guest, 鼓聲若響; A/CD2: 一個人去旅行.
    const ValueContext& chen = decider.seen[u"陳昇"];
    EXPECT_EQ(chen.texts, 5u);
    EXPECT_EQ(chen.hanTexts, 4u);
    EXPECT_EQ(chen.kanaTexts, 0u);
    // Folder B alone: the title; the composer is the value itself.
    const ValueContext& hirai = decider.seen[u"平井堅"];
    EXPECT_EQ(hirai.texts, 1u);
    EXPECT_EQ(hirai.kanaTexts, 1u);
}

TEST_F(FolderController, ScanOfAMissingFolderEndsNormally)
{
    bridge::folder::registerFolderLibrary(library.path() / "missing");
    c.setKeyTag(1);
    c.load(nullptr);
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(wired.progress.animating);
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 0U);
}

TEST_F(FolderController, HostileFilesAreRefusedWhileTheRestIsScannedAndWritten)
{
    // Each would overflow TagLib's stack or make it allocate 4 GiB; each holds
    // the artist of the ordinary files, so a read of it would list it.
    const std::string artist = "山田";
    const std::string mp3 = readBytes(audioTemplate("template.mp3"));
    const std::vector<std::pair<std::string, std::string>> hostiles = {
        {"b padding.m4a", hostile::mp4PaddingClaim(artist)},
        {"c moov.m4a", hostile::mp4Nested("moov", 50000, artist)},
        {"d udta.m4a", hostile::mp4Nested("udta", 50000, artist)},
        {"e meta.m4a", hostile::mp4Nested("meta", 50000, artist)},
        {"f chapters.mp3", hostile::id3Nested(17000, artist, mp3)},
    };
    const auto a = add("template.mp3", "a.mp3", {{"ARTIST", artist}, {"ARTISTSORT", "old"}});
    for (const auto& [name, bytes] : hostiles)
        library.writeFile(name, bytes);
    const auto z = add("template.m4a", "z.m4a", {{"ARTIST", artist}, {"ARTISTSORT", "old"}});

    c.setKeyTag(0);
    c.load(nullptr);
    const std::vector<std::pair<String, String>> scanned = {{u"山田", u"old"}};
    EXPECT_EQ(rows(), scanned);
    for (const auto& [name, bytes] : hostiles) {
        EXPECT_EQ(std::count_if(
                      log.lines.begin(), log.lines.end(),
                      [&](const std::string& l) { return l.find("cannot read") != l.npos && l.find(name) != l.npos; }),
                  1)
            << name;
    }

    c.pairDict()->at(u"山田")->sortStr = u"やまだ";
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 2U);
    EXPECT_EQ(c.lastSaveReport().failed, 0U);
    EXPECT_EQ(readWithMutagen(a).at("TSOP"), "やまだ");
    EXPECT_EQ(readWithMutagen(z).at("soar"), "やまだ");
    for (const auto& [name, bytes] : hostiles)
        EXPECT_EQ(readBytes(library.path() / name), bytes) << name;
}

} // namespace
} // namespace yomi::test
