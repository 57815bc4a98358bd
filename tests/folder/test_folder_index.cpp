// The library index: a walk over settled, unchanged files takes their values
// from the index and sees exactly what a parse sees; a file changed behind
// its back, and a damaged index, are read anew.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "Bridge/SortValueSource.h"
#include "Bridge/Tags/TrackValues.h"
#include "Bridge/Walk/LibraryIndex.h"
#include "Platform/Log.h"
#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"

using ::testing::HasSubstr;

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::LibraryIndex;
using bridge::folder::tracksRead;

class LibraryIndexTest : public AudioLibraryTest {
protected:
    void TearDown() override
    {
        ::unsetenv("YOMI_PARSE_THREADS");
        const fs::path db = LibraryIndex::fileFor(library.path());
        for (const char* suffix : {"", "-wal", "-shm", ".set-aside", ".set-aside-wal", ".set-aside-shm"})
            fs::remove(db.string() + suffix);
    }

    fs::path add(const char* templateFile, const char* name, const std::map<std::string, std::string>& tags)
    {
        const fs::path file = library.copyTemplate(templateFile, name);
        if (!tags.empty())
            tagWithMutagen(file, tags);
        return file;
    }

    // Rows answer only for files whose ctime lies a second before the read.
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(1100)); }

    // Every property of every track of a fresh walk, one line a track; and
    // the number of files the walk parsed.
    std::vector<std::string> walk(std::uint64_t* parsed = nullptr)
    {
        const std::uint64_t before = tracksRead();
        std::vector<std::string> lines;
        walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) {
            std::string line = toUtf8(track.name().value_or(u"?"));
            for (const char* key : {"artist", "sortArtist", "album", "sortAlbum", "albumArtist", "sortAlbumArtist",
                                    "composer", "sortComposer", "name", "sortName", "show", "sortShow"}) {
                const OptString v = track.valueForKey(key).copy();
                line += v ? "|\"" + toUtf8(*v) + "\"" : "|absent";
            }
            const bridge::Value podcast = track.valueForKey("podcast");
            const bridge::Value kind = track.valueForKey("videoKind");
            line += podcast.isAbsent() ? "|absent" : podcast.boolValue() ? "|podcast" : "|-";
            line += kind.isAbsent() ? "|absent" : "|" + std::to_string(kind.intValue());
            lines.push_back(line);
        });
        if (parsed)
            *parsed = tracksRead() - before;
        return lines;
    }

    std::vector<bridge::KnownSortValue> sortValuesFor(const String& value)
    {
        auto app = bridge::folder::openFolderLibrary(library.path());
        auto* source = dynamic_cast<bridge::SortValueSource*>(app.get());
        return source ? source->sortValuesFor(value) : std::vector<bridge::KnownSortValue>{{"none", u""}};
    }
};

TEST_F(LibraryIndexTest, SettledFilesComeFromTheIndexAsTheyParse)
{
    add("template.flac", "a.flac", {{"ARTIST", "漢字"}, {"ARTISTSORT", "kanji"}, {"TITLE", "題"}});
    add("template.mp3", "b.mp3",
        {{"ARTIST", "坂本龍一"}, {"COMPOSER", "坂本龍一"}, {"COMPOSERSORT", "さかもとりゅういち"}, {"ALBUM", ""}});
    add("template.m4a", "c.m4a", {{"ARTIST", "鈴木"}, {"@podcast", "1"}});
    add("template.m4v", "d.m4v", {{"TVSHOW", "番組"}, {"@stik", "10"}});
    add("template.ogg", "e.ogg", {});
    library.writeFile("f-not-audio.mp3", "no audio here");
    settle();

    ::setenv("YOMI_PARSE_THREADS", "1", 1);
    std::uint64_t parsed = 0;
    const auto parsedWalk = walk(&parsed);
    EXPECT_EQ(parsed, 6U);
    ::setenv("YOMI_PARSE_THREADS", "4", 1);
    EXPECT_EQ(walk(&parsed), parsedWalk);
    EXPECT_EQ(parsed, 0U) << "every file came from the index";

    using Known = std::vector<bridge::KnownSortValue>;
    EXPECT_EQ(sortValuesFor(u"坂本龍一"), (Known{{"sortComposer", u"さかもとりゅういち"}}));
    EXPECT_EQ(sortValuesFor(u"漢字"), (Known{{"sortArtist", u"kanji"}}));

    // A write through the library updates the row; the file is parsed again
    // on the next walk all the same, its new version not being settled.
    withTrack(library.path(), 0,
              [](bridge::Track& track) { EXPECT_TRUE(track.setValue(u"かんじ", "sortArtist").ok()); });
    EXPECT_EQ(sortValuesFor(u"漢字"), (Known{{"sortArtist", u"かんじ"}}));
    const auto afterWrite = walk(&parsed);
    EXPECT_EQ(parsed, 1U);
    EXPECT_THAT(afterWrite[0], HasSubstr("|\"かんじ\"|"));
    EXPECT_EQ(std::vector(afterWrite.begin() + 1, afterWrite.end()),
              std::vector(parsedWalk.begin() + 1, parsedWalk.end()));
}

TEST_F(LibraryIndexTest, EditKeepingSizeAndModificationTimeIsCaughtByTheChangeTime)
{
    const fs::path a = add("template.flac", "a.flac", {{"ARTIST", "漢字A"}});
    add("template.flac", "b.flac", {{"ARTIST", "別B"}});
    settle();
    walk();

    struct stat before {};
    ASSERT_EQ(::stat(a.c_str(), &before), 0);
    std::string bytes = readBytes(a);
    const auto at = bytes.find("漢字A");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, std::string("漢字A").size(), "漢字C");
    library.writeFile("a.flac", bytes);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), times, 0), 0);
    struct stat after {};
    ASSERT_EQ(::stat(a.c_str(), &after), 0);
    ASSERT_EQ(after.st_size, before.st_size);
    ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    ASSERT_EQ(after.st_ino, before.st_ino);

    std::uint64_t parsed = 0;
    const auto lines = walk(&parsed);
    EXPECT_EQ(parsed, 1U);
    EXPECT_EQ(lines[0].substr(0, lines[0].find("|", 8)), "a.flac|\"漢字C\"");
}

TEST_F(LibraryIndexTest, DamagedIndexIsSetAsideWithOneLineAndMadeAnew)
{
    add("template.flac", "a.flac", {{"ARTIST", "漢字"}});
    add("template.flac", "b.flac", {{"ARTIST", "別"}});
    settle();
    const auto truth = walk();
    const fs::path db = LibraryIndex::fileFor(library.path());
    ASSERT_TRUE(fs::exists(db));

    std::vector<std::string> lines;
    log::ScopedSink sink([&](std::string_view text) { lines.emplace_back(text); });
    std::uint64_t parsed = 0;

    // A row whose value no longer matches its checksum.
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "UPDATE files SET t0 = x'fd5f' WHERE path = CAST('a.flac' AS BLOB)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_changes(handle), 1);
    sqlite3_close(handle);
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 2U);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_THAT(lines[0], HasSubstr("set aside"));

    // A file that is no database at all.
    lines.clear();
    for (const char* suffix : {"-wal", "-shm"})
        fs::remove(db.string() + suffix);
    {
        std::ofstream(db, std::ios::trunc) << "not a database";
    }
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 2U);
    EXPECT_EQ(lines.size(), 1U);

    lines.clear();
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 0U) << "the new index answers";
    EXPECT_TRUE(lines.empty());
}

// An unreadable file's reason is kept in its row: a walk from the index names
// it as the parse did. An index of the previous version, which kept no
// reasons nor older taggers' spellings, is taken over, not set aside; its
// files are parsed again, to learn those spellings.
TEST_F(LibraryIndexTest, UnreadableFilesKeepTheirReasonInTheIndex)
{
    add("template.flac", "a.flac", {{"ARTIST", "漢字"}});
    library.writeFile("b.flac", "fLaC but nothing else");
    settle();
    std::vector<std::string> lines;
    log::ScopedSink sink([&](std::string_view text) { lines.emplace_back(text); });
    std::uint64_t parsed = 0;
    const auto truth = walk(&parsed);
    ASSERT_EQ(lines.size(), 1U);
    const std::string named = lines[0];
    EXPECT_THAT(named, HasSubstr("b.flac: "));
    EXPECT_THAT(named, ::testing::Not(HasSubstr("not an audio file that parses")));

    lines.clear();
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 0U);
    EXPECT_EQ(lines, std::vector{named});

    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(LibraryIndex::fileFor(library.path()).c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(handle, "ALTER TABLE files DROP COLUMN legacy; ALTER TABLE files DROP COLUMN why; PRAGMA user_version=1",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(handle);
    lines.clear();
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 2U) << "every file is parsed again";
    EXPECT_EQ(lines, std::vector{named}) << "and nothing is set aside";
    lines.clear();
    EXPECT_EQ(walk(&parsed), truth);
    EXPECT_EQ(parsed, 0U);
    EXPECT_EQ(lines, std::vector{named});
}

} // namespace
} // namespace yomi::test
