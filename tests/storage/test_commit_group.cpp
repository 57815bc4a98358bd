// Commits in a group: one failure among others, and a process killed part
// way through a group, between the journal's sync and the files' syncs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <tuple>

#include "Platform/Log.h"
#include "storage/test_file_support.h"

namespace yomi::test {
namespace {

using fileio::io::Op;
using ::testing::HasSubstr;

// Six files, alternately patched in place and replaced by a rename.
class GroupTest : public ::testing::Test {
protected:
    static constexpr int kFiles = 6;

    GroupTest()
    {
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back(scratch.library() / ("f" + std::to_string(i) + ".mp3"));
            before.push_back(makeBytes(4096, 10 + i));
            std::string next = before.back();
            // Two ranges apart, so that a patch can be cut between them.
            next[50] = static_cast<char>(next[50] ^ 0x5a);
            next[3000] = static_cast<char>(next[3000] ^ 0x5a);
            if (i % 2 == 1)
                next.insert(200, "longer");
            after.push_back(std::move(next));
            writeFile(paths.back(), before.back());
        }
    }

    std::vector<fileio::CommitResult> commitAll()
    {
        fileio::CommitGroup group;
        for (int i = 0; i < kFiles; ++i)
            group.add(paths[i], identityOf(paths[i]), bytesOf(before[i]), bytesOf(after[i]));
        return group.commit();
    }

    Scratch scratch;
    std::vector<fs::path> paths;
    std::vector<std::string> before, after;
};

TEST_F(GroupTest, OneFailureIsReportedInItsPlaceWhileTheOthersCommit)
{
    log::ScopedSink quiet([](std::string_view) {});
    // File 2 changed behind the caller's back; file 4's first patch fails
    // (file 0's two ranges and file 2's none come before it).
    writeFile(paths[2], before[2] + "x");
    io::ScopedFault fault({Op::PWrite, 3, EIO});
    const auto results = commitAll();

    ASSERT_EQ(results.size(), std::size_t(kFiles));
    for (const int i : {0, 1, 3, 5}) {
        EXPECT_TRUE(results[i].ok()) << i << ": " << results[i].reason();
        EXPECT_EQ(readFile(paths[i]), after[i]) << i;
    }
    EXPECT_EQ(results[2].reason(), "changed on disk");
    EXPECT_EQ(readFile(paths[2]), before[2] + "x");
    EXPECT_THAT(results[4].reason(), HasSubstr("write: "));
    EXPECT_EQ(readFile(paths[4]), before[4]);
    EXPECT_TRUE(scratch.temporaries().empty());
    EXPECT_EQ(scratch.unfinishedRecords(), 0u);
}

// Where the child dies: the n-th call of a kind after the group's journal
// records were synced (the first patch comes right after that sync); and how
// many in-place commits are still unfinished then (each is marked done once
// every file of the group is synced, in the group's order).
using KillPoint = std::tuple<Op, int, int>;

class GroupKillTest : public GroupTest, public ::testing::WithParamInterface<KillPoint> {};

TEST_P(GroupKillTest, RecoveryLeavesEveryFileOldOrNewAndNoTemporary)
{
    const auto [op, nth, unfinished] = GetParam();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        io::setCallHook([op = op, nth = nth, started = false, n = 0](Op o) mutable {
            started = started || o == Op::PWrite;
            if (started && o == op && ++n == nth)
                ::raise(SIGKILL);
        });
        (void)commitAll();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child finished the group";

    log::ScopedSink quiet([](std::string_view) {});
    const auto report = fileio::recoverAfterCrash(scratch.library());
    EXPECT_EQ(report.journalsRead, 1);
    EXPECT_EQ(report.rolledBack + report.completed, unfinished);
    for (int i = 0; i < kFiles; ++i) {
        const std::string now = readFile(paths[i]);
        EXPECT_TRUE(now == before[i] || now == after[i]) << "file " << i << " is damaged";
    }
    EXPECT_TRUE(scratch.temporaries().empty());
    EXPECT_TRUE(fs::is_empty(scratch.journalFolder()));
}

INSTANTIATE_TEST_SUITE_P(Points, GroupKillTest,
                         ::testing::Values(KillPoint{Op::PWrite, 1, 3}, KillPoint{Op::PWrite, 4, 3},
                                           KillPoint{Op::Write, 2, 3}, KillPoint{Op::Fsync, 1, 3},
                                           KillPoint{Op::Rename, 2, 1}, KillPoint{Op::Fsync, 7, 0}),
                         [](const auto& info) {
                             return std::string(io::opName(std::get<0>(info.param))) + "_" +
                                 std::to_string(std::get<1>(info.param));
                         });

} // namespace
} // namespace yomi::test
