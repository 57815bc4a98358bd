// The walk: which files, in which order, fixed when it starts; the library
// root; files that are gone, unwritable, changed or no audio at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>

#include "Bridge/Folder/FolderLibrary.h"
#include "Bridge/Walk/FileList.h"
#include "Platform/Log.h"
#include "folder/FolderHelpers.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/FileFlags.h"
#include "support/ScopedEnv.h"

using ::testing::HasSubstr;

namespace yomi::test {

// The relative paths of a file list, in its order.
std::vector<std::string> pathsOf(const bridge::folder::FileList& list)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.push_back(list.path(i));
    return out;
}

namespace {

namespace fs = std::filesystem;
using bridge::folder::listAudioFiles;

TEST(FolderWalk, ListsAudioFilesInByteOrderSkippingHiddenAndFolderLinks)
{
    TempFolder library;
    for (const char* name : {"a/y.mp3", "a-b/x.mp3", "B.MP3", "b.Flac", "z/deep/er/t.opus", "\xC3\xA9t\xC3\xA9.ogg",
                             ".hidden.mp3", ".hiddendir/h.mp3", "notes.txt", "cover.jpg", "noext", "a/.mp3"})
        library.writeFile(name, "x");
    fs::create_symlink(library.path() / "a/y.mp3", library.path() / "link.m4a");
    fs::create_symlink(library.path() / "a", library.path() / "linkdir");
    fs::create_symlink(library.path() / "missing.mp3", library.path() / "dangling.mp3");
    fs::create_symlink(library.path() / "a", library.path() / "dirlink.mp3");

    const std::vector<std::string> expected = {
        "B.MP3", "a-b/x.mp3", "a/y.mp3", "b.Flac", "link.m4a", "z/deep/er/t.opus", "\xC3\xA9t\xC3\xA9.ogg"};
    EXPECT_EQ(pathsOf(*listAudioFiles(library.path())), expected);

    std::vector<OptString> names;
    walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) { names.push_back(track.name()); });
    ASSERT_EQ(names.size(), expected.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], OptString(toUtf16(expected[i])));
}

TEST(FolderWalk, MissingRootLogsOnceAndWalksNoTracks)
{
    TempFolder library;
    std::vector<std::string> lines;
    log::ScopedSink sink([&](std::string_view text) { lines.emplace_back(text); });
    std::size_t count = 0;
    walkLibrary(library.path() / "nowhere", [&](std::size_t, bridge::Track&) { ++count; });
    EXPECT_EQ(count, 0U);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_THAT(lines[0], HasSubstr("nowhere"));
    EXPECT_THAT(lines[0], HasSubstr("No such file or directory"));

    library.writeFile("file", "x");
    lines.clear();
    walkLibrary(library.path() / "file", [&](std::size_t, bridge::Track&) { ++count; });
    EXPECT_EQ(count, 0U);
    EXPECT_EQ(lines.size(), 1U);
}

TEST(FolderWalk, BatchesHoldAtMostSixteenAndTheListIsFixedAtTheStart)
{
    TempFolder library;
    for (int i = 0; i < 40; ++i)
        library.copyTemplate("template.flac", "t" + std::to_string(100 + i) + ".flac");
    auto sequence = bridge::tracksOf(bridge::libraryPlaylist(bridge::folder::openFolderLibrary(library.path())));
    std::array<bridge::Track*, bridge::kBatchSize> batch{};
    std::vector<std::size_t> sizes;
    std::size_t absent = 0;
    for (std::size_t n; (n = sequence->nextBatch(batch)) != 0;) {
        sizes.push_back(n);
        if (sizes.size() == 1) {
            // Files added and removed during the walk do not change it.
            library.copyTemplate("template.flac", "t000.flac");
            library.copyTemplate("template.flac", "t999.flac");
            fs::remove(library.path() / "t139.flac");
        }
        for (std::size_t i = 0; i < n; ++i) {
            absent += batch[i]->valueForKey("podcast").isAbsent() ? 1 : 0;
            batch[i]->endVisit();
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{16, 16, 8}));
    // The removed file reads as absent unless it was read ahead before it went.
    EXPECT_LE(absent, 1U) << "only the removed file may read as absent";
}

TEST(FolderWalk, VanishedFileIsNeverWritten)
{
    TempFolder library;
    const auto a = library.copyTemplate("template.ogg", "a.ogg");
    const auto b = library.copyTemplate("template.ogg", "b.ogg");
    tagWithMutagen(a, {{"ARTIST", "漢字"}});
    tagWithMutagen(b, {{"ARTIST", "漢字"}});
    walkLibrary(library.path(), [&](std::size_t i, bridge::Track& track) {
        if (i == 0) {
            // Gone after the walk read it ahead, before the visit's first
            // look: the visit sees what was read, the write finds it gone.
            fs::remove(a);
            EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"漢字"));
            const auto result = track.setValue(u"kanji", "sortArtist");
            EXPECT_FALSE(result.ok());
            EXPECT_EQ(result.reason(), "cannot read the file: open: No such file or directory");
            // Read anew after the write: nothing there.
            EXPECT_TRUE(track.valueForKey("artist").isAbsent());
            EXPECT_EQ(track.name(), OptString(u"a.ogg"));
        } else {
            // Gone between the read and the write.
            EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"漢字"));
            fs::remove(b);
            const auto result = track.setValue(u"kanji", "sortArtist");
            EXPECT_FALSE(result.ok());
            EXPECT_EQ(result.reason(), "cannot read the file: open: No such file or directory");
        }
    });
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
}

TEST(FolderWalk, FileChangedSinceTheWalkOpenedItIsNotWritten)
{
    TempFolder library;
    const auto file = library.copyTemplate("template.flac", "a.flac");
    tagWithMutagen(file, {{"ARTIST", "漢字"}});
    std::string changed;
    withTrack(library.path(), 0, [&](bridge::Track& track) {
        EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"漢字"));
        tagWithMutagen(file, {{"ALBUM", "another program wrote this"}});
        changed = readBytes(file);
        const auto result = track.setValue(u"kanji", "sortArtist");
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.reason(), "changed on disk");
    });
    EXPECT_EQ(readBytes(file), changed);
}

TEST(FolderWalk, ReadOnlyFileFailsWithItsReasonAndStaysAsItWas)
{
    // Permission bits do not stop root, so the file is made immutable
    // (chattr +i), which stops every user.
    TempFolder library;
    const auto file = library.copyTemplate("template.mp3", "a.mp3");
    tagWithMutagen(file, {{"ARTIST", "漢字"}});
    if (!setImmutable(file, true))
        GTEST_SKIP() << "the temporary folder's file system has no immutable attribute";
    const std::string before = readBytes(file);
    withTrack(library.path(), 0, [&](bridge::Track& track) {
        EXPECT_EQ(stringOf(track.valueForKey("artist")), OptString(u"漢字"));
        const auto result = track.setValue(u"kanji", "sortArtist");
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.reason().empty());
    });
    setImmutable(file, false);
    EXPECT_EQ(readBytes(file), before);
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(library.path()))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"a.mp3"}) << "no temporary file left behind";
}

TEST(FolderWalk, FilesThatAreNotAudioReadAbsentAndAreNeverWritten)
{
    TempFolder library;
    const std::string flac = readBytes(audioTemplate("template.flac"));
    const std::string m4a = readBytes(audioTemplate("template.m4a"));
    library.writeFile("a-text.mp3", "This is not an MP3 file at all.\n");
    library.writeFile("b-text.flac", "fLaC but nothing else");
    library.writeFile("c-empty.m4a", "");
    library.writeFile("d-truncated.flac", flac.substr(0, flac.size() / 3));
    library.writeFile("e-truncated.m4a", m4a.substr(0, 40));
    library.writeFile("f-garbage.ogg", std::string(5000, '\xff'));
    library.writeFile("g-png.opus", "\x89PNG\r\n\x1a\n");
    std::vector<std::pair<fs::path, std::string>> files;
    for (const auto& entry : fs::directory_iterator(library.path()))
        files.emplace_back(entry.path(), readBytes(entry.path()));

    std::size_t count = 0;
    walkLibrary(library.path(), [&](std::size_t, bridge::Track& track) {
        ++count;
        SCOPED_TRACE(toUtf8(track.name().value_or(u"")));
        for (const char* key : {"artist", "sortArtist", "name", "show", "sortShow", "podcast", "videoKind"})
            EXPECT_TRUE(track.valueForKey(key).isAbsent()) << key;
        const auto result = track.setValue(u"sort", "sortArtist");
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.reason().empty());
    });
    EXPECT_EQ(count, files.size());
    for (const auto& [path, bytes] : files)
        EXPECT_EQ(readBytes(path), bytes) << path;
}

TEST(FolderWalk, OnlyTextPropertiesAreWritable)
{
    TempFolder library;
    library.copyTemplate("template.flac", "a.flac");
    withTrack(library.path(), 0, [](bridge::Track& track) {
        EXPECT_EQ(track.setValue(u"1", "podcast").reason(), "cannot write the property podcast");
        EXPECT_EQ(track.setValue(u"1", "noSuchKey").reason(), "cannot write the property noSuchKey");
    });
}

TEST(LibraryRoot, CommandLineThenXdgMusicDirThenMusic)
{
    TempFolder home;
    ScopedEnv homeEnv("HOME", home.path().string());
    ScopedEnv configEnv("XDG_CONFIG_HOME", (home.path() / "conf").string());
    using bridge::folder::libraryRoot;
    EXPECT_EQ(libraryRoot(fs::path("/given")), fs::path("/given"));
    EXPECT_EQ(libraryRoot(std::nullopt), home.path() / "Music");
    home.writeFile("conf/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
    EXPECT_EQ(libraryRoot(std::nullopt), home.path() / "Tunes");
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "conf"); // not absolute: ignored
        home.writeFile(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"/srv/music\"\n");
        EXPECT_EQ(libraryRoot(std::nullopt), fs::path("/srv/music"));
    }
}

TEST(LibraryRoot, RegisteredLibraryIsReachedByTheBundleIdentifier)
{
    TempFolder library;
    library.copyTemplate("template.opus", "one.opus");
    const auto previous = bridge::folder::registerFolderLibrary(library.path());
    auto sequence = bridge::tracksOf(
        bridge::libraryPlaylist(bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier)));
    std::size_t count = 0;
    bridge::forEachTrack(*sequence, [&](bridge::Track&) { ++count; });
    EXPECT_EQ(count, 1U);
    bridge::registerApplication(bridge::kMusicApplicationIdentifier, previous);
}

} // namespace
} // namespace yomi::test

namespace yomi {
namespace {

// The packed list sorts as the joined paths would: folder and name compared
// as one string, whatever the split.
TEST(FolderFileList, SortsAsTheWholePathsDo)
{
    std::mt19937 rng(11);
    const std::vector<std::string> parts = {"a", "a-b", "a.b", "ab", "B", "\xC3\xA9", "z", "a b", "0", "~"};
    bridge::folder::FileList list;
    std::vector<std::string> expected;
    std::set<std::string> seen;
    for (int f = 0; f < 40; ++f) {
        std::string folder;
        const int depth = static_cast<int>(rng() % 3);
        for (int d = 0; d < depth; ++d)
            folder += parts[rng() % parts.size()] + "/";
        const std::uint32_t index = list.addFolder(folder);
        for (int n = 0; n < 5; ++n) {
            const std::string name = parts[rng() % parts.size()] + parts[rng() % parts.size()] + ".mp3";
            if (!seen.insert(folder + name).second)
                continue;
            list.addFile(index, name);
            expected.push_back(folder + name);
        }
    }
    list.sort();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::pathsOf(list), expected);
    ASSERT_EQ(list.size(), expected.size());
    EXPECT_EQ(list.path(3), expected[3]);
}

} // namespace
} // namespace yomi
