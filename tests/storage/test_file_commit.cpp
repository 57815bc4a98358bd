#include <gtest/gtest.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <cstring>
#include <tuple>

#include "Platform/Log.h"
#include "storage/test_file_support.h"

namespace yomi::test {
namespace {

using fileio::commitFile;
using fileio::CommitResult;
using fileio::io::Op;

enum class Edit { SameLength, Longer, Shorter };

const char* editName(Edit e)
{
    switch (e) {
    case Edit::SameLength:
        return "SameLength";
    case Edit::Longer:
        return "Longer";
    case Edit::Shorter:
        return "Shorter";
    }
    return "?";
}

// An edited copy of `base` as a tag editor makes one: a few bytes changed
// near the start (the tag), and for the other lengths bytes inserted or
// removed there, with the rest (the audio) shifted along.
std::string edited(const std::string& base, Edit e)
{
    std::string s = base;
    for (std::size_t i = 40; i < 60 && i < s.size(); ++i)
        s[i] = static_cast<char>(s[i] ^ 0x5a);
    s[s.size() / 2] = static_cast<char>(s[s.size() / 2] ^ 0x01);
    if (e == Edit::Longer)
        s.insert(100, std::string(37, 'L'));
    else if (e == Edit::Shorter)
        s.erase(100, 23);
    return s;
}

class CommitTest : public ::testing::Test {
protected:
    fs::path file() const { return scratch.library() / "song.mp3"; }
    void makeOriginal()
    {
        writeFile(file(), original);
        fs::permissions(file(), fs::perms(0640));
        ASSERT_EQ(::setxattr(file().c_str(), "user.yomi-test", "kept", 4, 0), 0) << std::strerror(errno);
    }
    CommitResult commit(const std::string& after)
    {
        return commitFile(file(), identityOf(file()), bytesOf(original), bytesOf(after));
    }

    Scratch scratch;
    std::string original = makeBytes(8192, 7);
};

// One identity for every part of the program: a commit asks for the same
// version of the content, the index and a revert for the very same stat.
TEST(FileIdentityTest, TheChangeTimeCountsForEqualityNotForTheVersion)
{
    fileio::FileIdentity a;
    a.device = 1, a.inode = 2, a.size = 3, a.mtimeSeconds = 4, a.mtimeNanoseconds = 5;
    a.setCtime(6'000000007);
    EXPECT_EQ(a.ctimeSeconds, 6);
    EXPECT_EQ(a.ctimeNanoseconds, 7);
    fileio::FileIdentity b = a;
    b.setCtime(a.ctime() + 1);
    EXPECT_TRUE(a.sameVersion(b));
    EXPECT_NE(a, b);
    b = a;
    b.mtimeNanoseconds += 1;
    EXPECT_FALSE(a.sameVersion(b));
    // Before the epoch the nanoseconds stay in [0, 1e9), as stat gives them.
    a.setCtime(-1);
    EXPECT_EQ(a.ctimeSeconds, -1);
    EXPECT_EQ(a.ctimeNanoseconds, 999999999);
    EXPECT_EQ(a.ctime(), -1);
}

TEST_F(CommitTest, EqualContentWritesNothing)
{
    makeOriginal();
    const auto before = identityOf(file());
    // Even a stale identity does not matter when there is nothing to write.
    fileio::FileIdentity stale = before;
    stale.mtimeNanoseconds += 1;
    const CommitResult r = commitFile(file(), stale, bytesOf(original), bytesOf(original));
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r->changed);
    EXPECT_EQ(identityOf(file()), before);
    EXPECT_EQ(readFile(file()), original);
    EXPECT_FALSE(fs::exists(scratch.journalFolder()));
}

// The write path reads the whole file first: a file swapped for a FIFO (or a
// folder) is refused at once, never waited on.
TEST_F(CommitTest, ReadingANonRegularFileIsRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0) << std::strerror(errno);
    const auto fifo = fileio::readWholeFile(file());
    ASSERT_FALSE(fifo);
    EXPECT_EQ(fifo.reason(), "not a regular file");
    const auto folder = fileio::readWholeFile(scratch.library());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.reason(), "not a regular file");
}

class CommitPathTest : public CommitTest, public ::testing::WithParamInterface<Edit> {};

TEST_P(CommitPathTest, WritesTheNewContentAndKeepsModeAndAttributes)
{
    makeOriginal();
    const auto before = identityOf(file());
    const std::string after = edited(original, GetParam());
    const CommitResult r = commit(after);
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_TRUE(r->changed);
    EXPECT_EQ(readFile(file()), after);
    EXPECT_EQ(fs::status(file()).permissions(), fs::perms(0640));
    char value[16] = {};
    EXPECT_EQ(::getxattr(file().c_str(), "user.yomi-test", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
    // Same length patches the file itself; anything else replaces it.
    const auto now = identityOf(file());
    if (GetParam() == Edit::SameLength)
        EXPECT_EQ(now.inode, before.inode);
    else
        EXPECT_NE(now.inode, before.inode);
    EXPECT_TRUE(scratch.temporaries().empty());
    EXPECT_EQ(scratch.unfinishedRecords(), 0u);
}

TEST_P(CommitPathTest, ThroughASymbolicLinkChangesTheTargetAndKeepsTheLink)
{
    fs::create_directories(scratch.library() / "real");
    const fs::path target = scratch.library() / "real" / "song.flac";
    writeFile(target, original);
    fs::create_symlink("real/song.flac", file());
    const std::string after = edited(original, GetParam());
    const CommitResult r = commitFile(file(), identityOf(file()), bytesOf(original), bytesOf(after));
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(readFile(target), after);
    EXPECT_TRUE(scratch.temporaries().empty());
}

TEST_P(CommitPathTest, AFileChangedSinceItWasIdentifiedIsLeftAlone)
{
    makeOriginal();
    const auto seen = identityOf(file());
    const std::string after = edited(original, GetParam());

    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"modification time",
         [&] {
             const struct timespec t[2] = {{0, UTIME_OMIT},
                                           {seen.mtimeSeconds, (seen.mtimeNanoseconds + 1) % 1000000000}};
             ::utimensat(AT_FDCWD, file().c_str(), t, 0);
         }},
        {"size", [&] { writeFile(file(), original + "x"); }},
        {"replaced",
         [&] {
             writeFile(scratch.library() / "other", original);
             fs::rename(scratch.library() / "other", file());
         }},
        {"vanished", [&] { fs::remove(file()); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        makeOriginal();
        const auto id = identityOf(file());
        change.apply();
        const std::string onDisk = fs::exists(file()) ? readFile(file()) : "";
        const auto idAfter = fileio::identify(file());
        const CommitResult r = commitFile(file(), id, bytesOf(original), bytesOf(after));
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.reason(), "changed on disk");
        EXPECT_EQ(fs::exists(file()) ? readFile(file()) : "", onDisk);
        EXPECT_EQ(fileio::identify(file()), idAfter);
        EXPECT_TRUE(scratch.temporaries().empty());
    }
}

TEST_P(CommitPathTest, AFileUnwritableEvenForRootIsNotWritten)
{
    makeOriginal();
    const auto id = identityOf(file());
    if (!scratch.makeImmutable(file()))
        GTEST_SKIP() << "the immutable flag is not available here";
    const CommitResult r = commit(edited(original, GetParam()));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.reason(), "file is not writable");
    EXPECT_EQ(readFile(file()), original);
    EXPECT_EQ(identityOf(file()), id);
    EXPECT_TRUE(scratch.temporaries().empty());
}

TEST_P(CommitPathTest, AReadOnlyFileIsNotWritten)
{
    makeOriginal();
    fs::permissions(file(), fs::perms(0444));
    const std::string after = edited(original, GetParam());
    if (::geteuid() == 0) {
        // Mode bits do not stop root; the refusal of the open is what the
        // commit acts on, so make the open fail as it would for a user.
        io::ScopedFault fault({Op::Open, 1, EACCES});
        const CommitResult r = commit(after);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.reason(), "file is not writable");
    } else {
        const CommitResult r = commit(after);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.reason(), "file is not writable");
    }
    EXPECT_EQ(readFile(file()), original);
    EXPECT_TRUE(scratch.temporaries().empty());
}

TEST_P(CommitPathTest, AFolderThatCannotBeWrittenAllowsOnlyInPlace)
{
    makeOriginal();
    bool blocked = false;
    if (::geteuid() == 0) {
        blocked = scratch.makeImmutable(scratch.library());
    } else {
        fs::permissions(scratch.library(), fs::perms(0555));
        blocked = true;
    }
    if (!blocked)
        GTEST_SKIP() << "no way to make a folder unwritable here";
    const std::string after = edited(original, GetParam());
    const CommitResult r = commit(after);
    if (GetParam() == Edit::SameLength) {
        ASSERT_TRUE(r.ok()) << r.reason();
        EXPECT_EQ(readFile(file()), after);
    } else {
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.reason(), "folder is not writable");
        EXPECT_EQ(readFile(file()), original);
    }
    setImmutable(scratch.library(), false);
    fs::permissions(scratch.library(), fs::perms(0755));
    EXPECT_TRUE(scratch.temporaries().empty());
}

TEST_P(CommitPathTest, AHardLinkedFileIsPatchedInPlaceOrRefused)
{
    makeOriginal();
    const fs::path other = scratch.library() / "link.mp3";
    fs::create_hard_link(file(), other);
    const std::string after = edited(original, GetParam());
    const CommitResult r = commit(after);
    if (GetParam() == Edit::SameLength) {
        ASSERT_TRUE(r.ok()) << r.reason();
        EXPECT_EQ(readFile(other), after);
        EXPECT_EQ(fs::hard_link_count(file()), 2u);
    } else {
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.reason(), "file has several hard links");
        EXPECT_EQ(readFile(file()), original);
    }
    EXPECT_TRUE(scratch.temporaries().empty());
}

INSTANTIATE_TEST_SUITE_P(Edits, CommitPathTest, ::testing::Values(Edit::SameLength, Edit::Longer, Edit::Shorter),
                         [](const auto& info) { return std::string(editName(info.param)); });

TEST_F(CommitTest, TheFolderCheckAlsoHoldsWhenOnlyCreatingTheTemporaryFileIsRefused)
{
    makeOriginal();
    // An in-place commit first, so that the journal is open.
    const std::string patched = edited(original, Edit::SameLength);
    ASSERT_TRUE(commit(patched).ok());
    original = patched;
    // Opens of a rename commit: the file, its folder, the temporary file.
    io::ScopedFault fault({Op::Open, 3, EACCES});
    const CommitResult r = commit(edited(original, Edit::Longer));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.reason(), "folder is not writable");
    EXPECT_EQ(readFile(file()), original);
}

TEST_F(CommitTest, ACallerWhoseOriginalBytesAreStaleIsRefused)
{
    makeOriginal();
    // Same identity, but the bytes the caller edited are not the file's.
    std::string believed = original;
    believed[45] = static_cast<char>(believed[45] + 1);
    std::string after = believed;
    after[45] = 'Z';
    const CommitResult r = commitFile(file(), identityOf(file()), bytesOf(believed), bytesOf(after));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.reason(), "changed on disk");
    EXPECT_EQ(readFile(file()), original);
}

TEST_F(CommitTest, AVeryLongNameStillGetsATemporaryFile)
{
    const fs::path longName = scratch.library() / (std::string(240, 'n') + ".flac");
    writeFile(longName, original);
    const std::string after = edited(original, Edit::Longer);
    const CommitResult r = commitFile(longName, identityOf(longName), bytesOf(original), bytesOf(after));
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(readFile(longName), after);
}

TEST_F(CommitTest, ShortTransfersAreCarriedOn)
{
    for (const Edit e : {Edit::SameLength, Edit::Longer}) {
        SCOPED_TRACE(editName(e));
        makeOriginal();
        const std::string after = edited(original, e);
        io::ScopedFault fault({e == Edit::SameLength ? Op::PWrite : Op::Write, 1, 0, true});
        const CommitResult r = commit(after);
        ASSERT_TRUE(r.ok()) << r.reason();
        EXPECT_EQ(readFile(file()), after);
    }
}

TEST_F(CommitTest, AForkedChildKilledMidPatchIsRolledBackWhileTheParentLives)
{
    // The parent has a journal of its own, open and locked.
    makeOriginal();
    std::string first = edited(original, Edit::SameLength);
    ASSERT_TRUE(commit(first).ok());
    original = first;

    const auto id = identityOf(file());
    const std::string after = edited(original, Edit::SameLength);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Dies with the first of the two ranges patched.
        io::setCallHook([patches = 0](Op op) mutable {
            if (op == Op::PWrite && ++patches == 2)
                ::raise(SIGKILL);
        });
        (void)commit(after);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    log::ScopedSink quiet([](std::string_view) {});
    const auto report = fileio::recoverAfterCrash(scratch.library());
    EXPECT_EQ(report.rolledBack, 1);
    EXPECT_EQ(readFile(file()), original);
    EXPECT_EQ(identityOf(file()), id);
    EXPECT_EQ(scratch.unfinishedRecords(), 0u);
}

// --- Every call site, failed in turn ---

using FaultParam = std::tuple<Edit, Op, int>;

class CommitFaultTest : public CommitTest, public ::testing::WithParamInterface<FaultParam> {};

TEST_P(CommitFaultTest, EveryFailingCallLeavesTheOldFileOrReportsSuccessTruthfully)
{
    const auto [edit, op, error] = GetParam();
    const std::string after = edited(original, edit);
    log::ScopedSink quiet([](std::string_view) {});

    // How many calls of this kind one commit makes, from the same start:
    // a new journal folder and a fresh file.
    makeOriginal();
    io::resetCounts();
    ASSERT_TRUE(commit(after).ok());
    const int calls = io::callCount(op);
    ASSERT_GT(calls, 0) << "the commit makes no " << io::opName(op) << " call";

    int failures = 0;
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE(std::string(io::opName(op)) + " #" + std::to_string(n));
        scratch.freshState();
        makeOriginal();
        const auto id = identityOf(file());
        CommitResult r = Failure{"not run"};
        {
            io::ScopedFault fault({op, n, error});
            r = commit(after);
        }
        const std::string now = readFile(file());
        if (r.ok()) {
            EXPECT_EQ(now, after);
        } else {
            ++failures;
            EXPECT_FALSE(r.reason().empty());
            if (r.reason().find("may not be durable") != std::string::npos) {
                // Only the sync of the folder after the rename can fail
                // once the new content is in place.
                EXPECT_EQ(now, after);
            } else {
                EXPECT_EQ(now, original);
                EXPECT_EQ(identityOf(file()), id);
            }
        }
        EXPECT_TRUE(scratch.temporaries().empty());
        // A record left unfinished (its done mark failed) must read as
        // complete, so that recovery keeps the reported success.
        for (const auto& record : scratch.unfinished()) {
            EXPECT_TRUE(r.ok());
            std::string detail;
            EXPECT_EQ(fileio::journal::rollBack(record, detail), fileio::journal::Outcome::Completed);
            EXPECT_EQ(readFile(file()), after);
        }
    }
    EXPECT_GT(failures, 0);
}

std::string faultName(const ::testing::TestParamInfo<FaultParam>& info)
{
    const auto [edit, op, error] = info.param;
    const char* e = error == ENOSPC ? "ENOSPC" : error == EIO ? "EIO" : "EACCES";
    return std::string(editName(edit)) + "_" + io::opName(op) + "_" + e;
}

INSTANTIATE_TEST_SUITE_P(InPlace, CommitFaultTest,
                         ::testing::Combine(::testing::Values(Edit::SameLength),
                                            ::testing::Values(Op::Open, Op::Read, Op::Write, Op::PWrite, Op::Fsync),
                                            ::testing::Values(ENOSPC, EIO, EACCES)),
                         faultName);
INSTANTIATE_TEST_SUITE_P(Rename, CommitFaultTest,
                         ::testing::Combine(::testing::Values(Edit::Longer, Edit::Shorter),
                                            ::testing::Values(Op::Open, Op::Write, Op::Fsync, Op::Rename, Op::Chmod,
                                                              Op::Chown, Op::SetXattr),
                                            ::testing::Values(ENOSPC, EIO, EACCES)),
                         faultName);

// A disk that stays broken: the patch fails and so does putting the old
// bytes back. The process gives up (here: exits); the next open of the
// library restores the file from the journal.
class CommitBrokenDiskTest : public CommitTest, public ::testing::WithParamInterface<Op> {};

TEST_P(CommitBrokenDiskTest, TheJournalRestoresWhatTheProcessCouldNot)
{
    const std::string after = edited(original, Edit::SameLength);
    // The journal's syncs come first and the file's last: break the disk
    // from the patch on.
    makeOriginal();
    io::resetCounts();
    ASSERT_TRUE(commit(after).ok());
    const int firstBroken = GetParam() == Op::PWrite ? 1 : io::callCount(Op::Fsync);
    scratch.freshState();

    makeOriginal();
    const auto id = identityOf(file());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        log::ScopedSink quiet([](std::string_view) {});
        io::armFault({GetParam(), firstBroken, EIO, true});
        const CommitResult r = commit(after);
        const bool expected =
            !r.ok() && r.reason().find("restored when the library is next opened") != std::string::npos;
        ::_exit(expected ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the commit did not report the pending restore";
    EXPECT_EQ(scratch.unfinishedRecords(), 1u);

    std::vector<std::string> lines;
    log::ScopedSink capture([&](std::string_view t) { lines.emplace_back(t); });
    const auto report = fileio::recoverAfterCrash(scratch.library());
    EXPECT_EQ(report.rolledBack, 1);
    EXPECT_EQ(readFile(file()), original);
    EXPECT_EQ(identityOf(file()), id); // the modification time too
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Rolled back an interrupted change of " + file().string()), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch.journalFolder()) && !fs::is_empty(scratch.journalFolder()));
}

INSTANTIATE_TEST_SUITE_P(BrokenDisk, CommitBrokenDiskTest, ::testing::Values(Op::PWrite, Op::Fsync),
                         [](const auto& info) { return std::string(io::opName(info.param)); });

// A file the program keeps whole is written beside itself, synced, renamed
// over the old one and its folder synced, in that order; a failure at any
// step leaves the old content and no temporary file.
TEST(WholeFileTest, IsWrittenBesideSyncedRenamedAndItsFolderSynced)
{
    Scratch scratch;
    const fs::path file = scratch.library() / "new" / "readings.tsv";
    std::vector<Op> calls;
    io::setCallHook([&](Op op) { calls.push_back(op); });
    const std::string_view parts[] = {"value\t", "reading\n"};
    ASSERT_TRUE(fileio::writeFileAtomically(file, parts));
    io::setCallHook({});
    EXPECT_EQ(readFile(file), "value\treading\n");
    // After the folders are made: the folder, the temporary file, its bytes
    // (a write a part), its sync, the rename, the folder's sync.
    ASSERT_GE(calls.size(), 7U);
    const std::vector<Op> tail(calls.end() - 7, calls.end());
    EXPECT_EQ(tail, (std::vector<Op>{Op::Open, Op::Open, Op::Write, Op::Write, Op::Fsync, Op::Rename, Op::Fsync}));
    EXPECT_TRUE(scratch.temporaries().empty());

    struct Case {
        Op op;
        int nth;
        const char* reason;
    };
    for (const Case& c :
         {Case{Op::Write, 1, "write: No space left on device"}, Case{Op::Fsync, 1, "fsync: Input/output error"},
          Case{Op::Rename, 1, "rename: Permission denied"}}) {
        const int error = c.op == Op::Write ? ENOSPC : c.op == Op::Fsync ? EIO : EACCES;
        io::ScopedFault fault({c.op, c.nth, error});
        const Status written = fileio::writeFileAtomically(file, "other\n");
        ASSERT_FALSE(written) << c.reason;
        EXPECT_EQ(written.reason(), c.reason);
        EXPECT_EQ(readFile(file), "value\treading\n") << c.reason;
        EXPECT_TRUE(scratch.temporaries().empty()) << c.reason;
    }
    {
        io::ScopedFault fault({Op::Fsync, 2, EIO}); // the folder's
        EXPECT_EQ(fileio::writeFileAtomically(file, "last\n").reason(),
                  "fsync folder: Input/output error (the new content is in place but may not be durable)");
        EXPECT_EQ(readFile(file), "last\n");
    }
}

} // namespace
} // namespace yomi::test
