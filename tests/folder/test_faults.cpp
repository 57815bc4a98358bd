// Faults around the scan and the write: a file or a folder that changes
// between a Load and its Save, a file rewritten while its Save commits it,
// links that loop, paths at the system's limit, an undo log that cannot be
// written, and two processes that commit the same file. Each is named where
// the user looks, and no file is damaged or written from stale bytes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Bridge/Write/TagWriter.h"
#include "Storage/FileCommit.h"
#include "Storage/FileIo.h"
#include "Storage/UndoLog.h"
#include "folder/ControllerOnFolder.h"
#include "folder/TagTools.h"
#include "support/AudioFixtures.h"
#include "support/FileFlags.h"
#include "support/FsUser.h"
#include "support/ScopedEnv.h"
#include "support/StateHome.h"

using ::testing::HasSubstr;

namespace yomi::test {
namespace {

namespace fs = std::filesystem;
using bridge::folder::Format;

class Faults : public ::testing::Test, protected ControllerOnFolder {
protected:
    fs::path add(std::string_view templateFile, const std::string& relative, const std::string& artist = "漢字")
    {
        const fs::path file = library.copyTemplate(templateFile, relative);
        tagWithMutagen(file, {{"ARTIST", artist}});
        return file;
    }

    // Loads the artist field and gives every listed value `sort`.
    void loadAndSet(const String& sort)
    {
        c.setKeyTag(0);
        c.load(nullptr);
        for (auto& [value, entry] : *c.pairDict())
            entry->sortStr = sort;
    }

    // The log lines that hold every one of `parts`.
    std::vector<std::string> linesWith(std::initializer_list<std::string> parts) const
    {
        std::vector<std::string> out;
        for (const std::string& line : log.lines)
            if (std::all_of(parts.begin(), parts.end(),
                            [&](const std::string& p) { return line.find(p) != std::string::npos; }))
                out.push_back(line);
        return out;
    }

    ScopedStateHome state;
};

TEST_F(Faults, AFileTruncatedOrReplacedAfterTheScanIsReadAgainAndNeverWrittenFromTheScan)
{
    const fs::path truncated = add("template.flac", "a.flac");
    const fs::path replaced = add("template.mp3", "b.mp3");
    const fs::path kept = add("template.ogg", "c.ogg");
    loadAndSet(u"kanji");
    ASSERT_EQ(c.lastLoadReport().tracks, 3U);
    ASSERT_EQ(c.lastLoadReport().unreadable, 0U);

    // Cut to a third in place (the same inode), and renamed over by a file
    // that another program tagged with another artist.
    fs::resize_file(truncated, fs::file_size(truncated) / 3);
    const std::string truncatedBytes = readBytes(truncated);
    const fs::path other = library.copyTemplate("template.mp3", ".other.mp3");
    tagWithMutagen(other, {{"ARTIST", "別人"}});
    fs::rename(other, replaced);
    const std::string replacedBytes = readBytes(replaced);
    log.lines.clear();
    c.save(nullptr);

    EXPECT_TRUE(readBytes(truncated) == truncatedBytes) << "a file that no longer parses is left as it is";
    EXPECT_TRUE(readBytes(replaced) == replacedBytes) << "the new file's artist was never listed: nothing to write";
    EXPECT_EQ(readWithMutagen(kept).at("ARTISTSORT"), "kanji");
    EXPECT_EQ(c.lastSaveReport().written, 1U);
    // The scan read the truncated file and the Save cannot: the Save fails
    // for it, and the log says which file and why.
    EXPECT_EQ(c.lastSaveReport().failed, 1U);
    EXPECT_EQ(c.lastSaveReport().unreadable, 1U);
    EXPECT_EQ(linesWith({"write failed: " + truncated.string(), "the scan read it"}).size(), 1U);
    EXPECT_EQ(linesWith({"cannot read " + truncated.string() + ": "}).size(), 1U);
}

// Another program rewrites the file in place between the Save's read and its
// commit, keeping its size and putting its modification time back (as taggers
// that "keep the file's date" do): only the bytes tell, and the commit must
// look at them.
TEST_F(Faults, AFileRewrittenInPlaceWithItsSizeAndTimeKeptIsNotOverwrittenWithStaleBytes)
{
    // A short value fits the tag's padding (a patch in place), a long one
    // does not (a new file renamed over the old one).
    for (const String& value : {String(u"kanji"), String(20000, u'k')}) {
        const fs::path file = add("template.mp3", "a.mp3");
        const auto opened = fileio::identify(file);
        ASSERT_TRUE(opened);
        Result<bridge::folder::PreparedWrite> prepared =
            bridge::folder::prepareWrite(file, *opened, Format::Mpeg, bridge::folder::Property::SortArtist, value);
        ASSERT_TRUE(prepared) << prepared.reason();
        SCOPED_TRACE(prepared->edited.size() == prepared->original.size() ? "in place" : "by rename");

        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        const int fd = ::open(file.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const char flipped = static_cast<char>(prepared->original.back() ^ 0x5a);
        ASSERT_EQ(::pwrite(fd, &flipped, 1, st.st_size - 1), 1);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::futimens(fd, times), 0);
        ::close(fd);
        ASSERT_TRUE(fileio::identify(file)->sameVersion(*opened)) << "the file looks as it did";
        const std::string rewritten = readBytes(file);

        const std::vector<Status> results = bridge::folder::commitWrites(std::span(&*prepared, 1), nullptr);
        ASSERT_EQ(results.size(), 1U);
        EXPECT_FALSE(results[0].ok());
        EXPECT_EQ(results[0].reason(), "changed on disk");
        EXPECT_TRUE(readBytes(file) == rewritten) << "the other program's byte is kept";
        fs::remove(file);
    }
}

TEST_F(Faults, AFolderUnreadableAtTheSaveIsNamedAndFailsTheSave)
{
    const fs::path top = add("template.mp3", "a.mp3");
    const fs::path below = add("template.flac", "sub/b.flac");
    loadAndSet(u"kanji");
    ASSERT_EQ(c.lastLoadReport().tracks, 2U);
    const std::string belowBytes = readBytes(below);

    // The Save runs with an ordinary user's permissions (root reads any
    // folder), over files that user owns.
    giveToOrdinaryUser(library.path());
    giveToOrdinaryUser(state.path());
    fs::permissions(library.path() / "sub", fs::perms::none);
    log.lines.clear();
    {
        ScopedOrdinaryUser user;
        c.save(nullptr);
    }
    fs::permissions(library.path() / "sub", fs::perms::owner_all);

    EXPECT_TRUE(readBytes(below) == belowBytes);
    EXPECT_EQ(readWithMutagen(top).at("TSOP"), "kanji");
    EXPECT_EQ(c.lastSaveReport().written, 1U);
    EXPECT_EQ(c.lastSaveReport().failed, 1U) << "the folder's files were read by the scan, not by the Save";
    const std::string folder = (library.path() / "sub").string();
    EXPECT_EQ(linesWith({"cannot read the folder " + folder + "/: Permission denied"}).size(), 1U);
    EXPECT_EQ(linesWith({"write failed: " + folder + "/", "the scan read it"}).size(), 1U);
}

TEST_F(Faults, ALibraryFolderUnreadableAtTheSaveFailsTheSave)
{
    const fs::path file = add("template.mp3", "a.mp3");
    loadAndSet(u"kanji");
    const std::string bytes = readBytes(file);
    giveToOrdinaryUser(library.path());
    giveToOrdinaryUser(state.path());
    fs::permissions(library.path(), fs::perms::none);
    log.lines.clear();
    {
        ScopedOrdinaryUser user;
        c.save(nullptr);
    }
    fs::permissions(library.path(), fs::perms::owner_all);

    EXPECT_TRUE(readBytes(file) == bytes);
    EXPECT_EQ(c.lastSaveReport().written, 0U);
    EXPECT_EQ(c.lastSaveReport().failed, 1U) << "a Save that finds none of the scan's tracks is no success";
    EXPECT_EQ(linesWith({"cannot read the music library folder " + library.path().string(), "Permission denied"}).size(),
              1U);
    EXPECT_EQ(linesWith({"write failed: the scan found 1 tracks and the Save none"}).size(), 1U);
}

TEST_F(Faults, LinksThatLoopNeitherHoldUpTheScanNorHideTheOtherFiles)
{
    const fs::path top = add("template.mp3", "a.mp3");
    const fs::path below = add("template.flac", "sub/b.flac");
    fs::create_directory_symlink(".", library.path() / "sub/again");
    fs::create_directory_symlink(library.path(), library.path() / "sub/up");
    fs::create_symlink("self.mp3", library.path() / "self.mp3");
    fs::create_symlink("two.flac", library.path() / "one.flac");
    fs::create_symlink("one.flac", library.path() / "two.flac");
    loadAndSet(u"kanji");

    EXPECT_EQ(c.lastLoadReport().tracks, 2U) << "links to folders are not followed; looping links are no files";
    EXPECT_EQ(c.lastLoadReport().unreadable, 0U);
    for (const char* name : {"self.mp3", "one.flac", "two.flac"})
        EXPECT_EQ(linesWith({"cannot read " + (library.path() / name).string() + ": Too many levels of symbolic links"})
                      .size(),
                  1U)
            << name;
    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 2U);
    EXPECT_EQ(c.lastSaveReport().failed, 0U);
    EXPECT_EQ(readWithMutagen(top).at("TSOP"), "kanji");
    EXPECT_EQ(readWithMutagen(below).at("ARTISTSORT"), "kanji");
}

// Removes a tree whose paths may be longer than the system takes in one
// call, going down by descriptors.
void removeTree(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) {
        ::unlinkat(parent, name, 0);
        return;
    }
    std::vector<std::string> names;
    if (DIR* dir = ::fdopendir(::dup(fd))) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    for (const std::string& n : names)
        removeTree(fd, n.c_str());
    ::close(fd);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

TEST_F(Faults, APathOfFourThousandBytesIsWrittenAndRevertedAndAFolderBeyondTheLimitIsNamed)
{
    // Folders below the root until the file's path is 4,000 bytes long.
    const std::size_t base = library.path().string().size() + 1;
    std::string nested;
    const auto left = [&] { return 4000 - base - nested.size() - std::string("/a.mp3").size(); };
    while (left() > 250)
        nested += std::string(199, 'd') + "/";
    nested += std::string(left(), 'e') + "/";
    const fs::path longFile = add("template.mp3", nested + "a.mp3");
    ASSERT_EQ(longFile.string().size(), 4000U);
    const std::string longBytes = readBytes(longFile);

    // A folder whose path is longer than any path the system takes, made one
    // step at a time, with a file in it.
    int fd = ::open(library.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::size_t length = base;
    for (int depth = 0; length <= 4200; ++depth) {
        const std::string name = depth == 0 ? "far" : std::string(200, 'f');
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        length += name.size() + 1;
    }
    const std::string mp3 = readBytes(audioTemplate("template.mp3"));
    const int file = ::openat(fd, "b.mp3", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(file, mp3.data(), mp3.size()), static_cast<ssize_t>(mp3.size()));
    ::close(file);
    ::close(fd);
    struct Cleanup {
        fs::path root;
        ~Cleanup()
        {
            const int dir = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
            removeTree(dir, "far");
            ::close(dir);
        }
    } cleanup{library.path()};

    loadAndSet(u"kanji");
    EXPECT_EQ(c.lastLoadReport().tracks, 2U) << "the long path's file, and the folder that could not be read";
    EXPECT_EQ(c.lastLoadReport().unreadable, 1U);
    ASSERT_EQ(c.lastLoadReport().unreadableFiles.size(), 1U);
    EXPECT_THAT(c.lastLoadReport().unreadableFiles[0], HasSubstr(library.path().string() + "/far/"));
    EXPECT_EQ(linesWith({"cannot read the folder " + library.path().string() + "/far/", "File name too long"}).size(),
              1U);

    c.save(nullptr);
    EXPECT_EQ(c.lastSaveReport().written, 1U);
    EXPECT_EQ(c.lastSaveReport().failed, 0U) << "the folder the scan could not read fails no Save";
    EXPECT_EQ(readWithMutagen(longFile).at("TSOP"), "kanji");

    c.revertLastSave(nullptr);
    EXPECT_EQ(c.lastRevertReport().reverted, 1U) << c.lastRevertReport().text();
    EXPECT_TRUE(readBytes(longFile) == longBytes);
}

TEST_F(Faults, AnUndoFolderThatCannotBeWrittenRefusesEveryWriteBeforeAnyFileChanges)
{
    const std::vector<fs::path> files = {add("template.mp3", "a.mp3"), add("template.flac", "b.flac"),
                                         add("template.m4a", "c.m4a")};
    std::vector<std::string> before;
    for (const fs::path& f : files)
        before.push_back(readBytes(f));
    loadAndSet(u"kanji");

    // Below a file (no folder can be made there), and, where the file
    // system has the attribute, an undo folder made immutable (which stops
    // root too).
    writeBytes(state.path() / "a-file", "");
    const fs::path undoFolder = state.path() / "immutable" / "yomi" / "undo";
    fs::create_directories(undoFolder);
    const bool immutable = setImmutable(undoFolder, true);
    std::vector<std::pair<std::string, std::string>> cases = {{(state.path() / "a-file").string(), "Not a directory"}};
    if (immutable)
        cases.emplace_back((state.path() / "immutable").string(), "create the undo log");
    for (const auto& [stateHome, why] : cases) {
        SCOPED_TRACE(stateHome);
        ScopedEnv env("XDG_STATE_HOME", stateHome);
        log.lines.clear();
        c.save(nullptr);
        EXPECT_EQ(c.lastSaveReport().written, 0U);
        EXPECT_EQ(c.lastSaveReport().failed, files.size());
        EXPECT_EQ(c.lastSaveReport().undoId, 0U);
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_TRUE(readBytes(files[i]) == before[i]) << files[i];
            EXPECT_EQ(linesWith({"write failed: ", files[i].string(), "cannot record the change for undo"}).size(), 1U)
                << files[i];
        }
        EXPECT_EQ(linesWith({why}).size(), 1U) << "the first refusal says why the log cannot be made";
    }
    if (immutable)
        setImmutable(undoFolder, false);
}

// A small file system of the test's own for the undo log, when the test may
// mount one (root, and a kernel that lets it); unmounted when it goes.
class SmallTmpfs {
public:
    SmallTmpfs(const fs::path& at, std::size_t bytes) : at_(at)
    {
        fs::create_directories(at);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted_)
            ::umount2(at_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

// The undo log's file system fills up part way through a Save that commits
// each write alone: every file written has its record in the log (a revert
// takes each back), and every write that found no room fails and leaves its
// file as it was. The file system is a small tmpfs where the test may mount
// one, else the writes fail with ENOSPC from the fault injector.
TEST_F(Faults, AnUndoLogThatFillsUpWritesNoFileWithoutItsRecord)
{
    std::vector<fs::path> files;
    std::vector<std::string> before;
    for (int i = 0; i < 12; ++i) {
        files.push_back(add("template.mp3", "t" + std::to_string(10 + i) + ".mp3"));
        before.push_back(readBytes(files.back()));
    }
    // Each record holds the new value (3,000 bytes) at least.
    loadAndSet(String(3000, u'k'));

    const fs::path full = state.path() / "full";
    SmallTmpfs tmpfs(full, 64 << 10);
    std::optional<fileio::io::ScopedFault> fault;
    if (tmpfs.mounted()) {
        // 16 KiB free: room for a few records only.
        writeBytes(full / "filler", std::string(48 << 10, 'x'));
    } else {
        fs::create_directories(full);
        fault.emplace(fileio::io::Fault{fileio::io::Op::Write, 5, ENOSPC, true});
    }
    RecordProperty("undo_file_system", tmpfs.mounted() ? "tmpfs of 64 KiB, 48 KiB filled" : "injected ENOSPC");
    {
        ScopedEnv home("XDG_STATE_HOME", full.string());
        ScopedEnv group("YOMI_COMMIT_GROUP", "1");
        log.lines.clear();
        c.save(nullptr);
    }
    fault.reset();
    const SaveReport report = c.lastSaveReport();
    EXPECT_GE(report.failed, 1U) << "the log must have filled up";
    EXPECT_EQ(report.written + report.failed, files.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (readBytes(files[i]) == before[i]) {
            EXPECT_EQ(linesWith({"write failed: ", files[i].string()}).size(), 1U) << files[i];
            continue;
        }
        ++changed;
        EXPECT_EQ(linesWith({"write failed: ", files[i].string()}).size(), 0U) << files[i];
    }
    EXPECT_EQ(changed, report.written);
    EXPECT_FALSE(linesWith({"write failed: ", "No space left on device"}).empty());

    // Room again: a revert takes back every file that was written.
    fs::remove(full / "filler");
    ScopedEnv home("XDG_STATE_HOME", full.string());
    c.revertLastSave(nullptr);
    if (report.written > 0) {
        EXPECT_EQ(c.lastRevertReport().reverted, report.written) << c.lastRevertReport().text();
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_TRUE(readBytes(files[i]) == before[i]) << files[i];
}

// Two processes commit the same file from the same read: the first holds the
// file from its checks to its last write (here it is held up at its first
// sync, long after its checks), the second waits for it, then finds the
// first's bytes and refuses. Without the wait the second's checks pass while
// the first is on its way, and the first then writes over the second's
// change, which reported success.
TEST(FaultsTwoProcesses, TheSecondCommitOfAFileWaitsForTheFirstAndFindsItsBytes)
{
    ScopedStateHome state;
    TempFolder folder;
    // The same length (patches in place) and another length (a new file
    // renamed over the old one).
    for (const bool inPlace : {true, false}) {
        SCOPED_TRACE(inPlace ? "in place" : "by rename");
        const fs::path file = folder.copyTemplate("template.mp3", inPlace ? "a.mp3" : "b.mp3");
        const std::string original = readBytes(file);
        const auto opened = fileio::identify(file);
        ASSERT_TRUE(opened);
        std::string first = original, second = original;
        if (inPlace) {
            first[original.size() / 2] ^= 1;
            second[original.size() / 2 + 1] ^= 1;
        } else {
            first += std::string(100, 'A');
            second += std::string(200, 'B');
        }

        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(ready[0]);
            bool told = false;
            fileio::io::setCallHook([&](fileio::io::Op op) {
                if (op == fileio::io::Op::Fsync && !told) {
                    told = true;
                    (void)!::write(ready[1], "x", 1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(400));
                }
            });
            const fileio::CommitResult r = fileio::commitFile(file, *opened, original, first);
            ::_exit(r ? 0 : 1);
        }
        ::close(ready[1]);
        char x = 0;
        ASSERT_EQ(::read(ready[0], &x, 1), 1) << "the first process reached its first sync";
        ::close(ready[0]);
        const fileio::CommitResult r = fileio::commitFile(file, *opened, original, second);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the first process committed";
        ASSERT_FALSE(r) << "the second commit reported success over the first's write";
        EXPECT_EQ(r.reason(), "changed on disk");
        EXPECT_TRUE(readBytes(file) == first);
    }
}

} // namespace
} // namespace yomi::test
