#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>

#include "Platform/Log.h"
#include "Storage/RecordFrame.h"
#include "storage/test_file_support.h"

namespace yomi::test {
namespace {

using fileio::journal::Outcome;
using fileio::journal::Patch;
using fileio::journal::Record;

Record sampleRecord(std::uint64_t id, const std::string& path)
{
    Record r;
    r.id = id;
    r.identity = {12, 345, 6789, 1700000000, 123456789};
    r.path = path;
    r.patches.push_back({10, "old-a", "new-a"});
    r.patches.push_back({4000, std::string("\0\1\2", 3), std::string("\3\4\5", 3)});
    return r;
}

TEST(JournalEncodingTest, RecordsReadBackAndDoneRecordsFinishThem)
{
    const Record a = sampleRecord(1, "/music/a.mp3");
    const Record b = sampleRecord(2, "/music/\xe9\x9f\xb3.flac");
    const std::string bytes =
        fileio::journal::encodeBegin(a) + fileio::journal::encodeBegin(b) + fileio::journal::encodeDone(1);
    const auto parsed = fileio::journal::parse(bytes);
    EXPECT_EQ(parsed.records, 3u);
    EXPECT_FALSE(parsed.tornTail);
    ASSERT_EQ(parsed.unfinished.size(), 1u);
    const Record& r = parsed.unfinished[0];
    EXPECT_EQ(r.id, 2u);
    EXPECT_EQ(r.path, b.path);
    EXPECT_EQ(r.identity, b.identity);
    ASSERT_EQ(r.patches.size(), 2u);
    EXPECT_EQ(r.patches[1].offset, 4000);
    EXPECT_EQ(r.patches[1].oldBytes, b.patches[1].oldBytes);
    EXPECT_EQ(r.patches[1].newBytes, b.patches[1].newBytes);
}

TEST(JournalEncodingTest, ATornOrDamagedTailIsIgnoredAndEverythingBeforeIsKept)
{
    const std::string first = fileio::journal::encodeBegin(sampleRecord(1, "/a"));
    const std::string second = fileio::journal::encodeBegin(sampleRecord(2, "/b"));
    // Every length a crash could leave of the second record.
    for (std::size_t cut = 0; cut < second.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const auto parsed = fileio::journal::parse(first + second.substr(0, cut));
        EXPECT_EQ(parsed.records, 1u);
        EXPECT_EQ(parsed.tornTail, cut > 0);
        ASSERT_EQ(parsed.unfinished.size(), 1u);
        EXPECT_EQ(parsed.unfinished[0].id, 1u);
    }
    // Any single damaged byte of the second record makes it unreadable,
    // never a different record.
    for (std::size_t at = 0; at < second.size(); ++at) {
        std::string damaged = second;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        const auto parsed = fileio::journal::parse(first + damaged);
        EXPECT_TRUE(parsed.tornTail) << "byte " << at;
        EXPECT_EQ(parsed.unfinished.size(), 1u) << "byte " << at;
    }
}

TEST(JournalEncodingTest, Crc32MatchesTheStandardCheckValue)
{
    EXPECT_EQ(fileio::journal::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(fileio::journal::crc32(""), 0u);
}

// Journal records, undo records and the library index's rows written before
// stay readable only while the sum is the same function: the standard CRC-32,
// here bit by bit, over lengths on both sides of any word-at-a-time path.
TEST(JournalEncodingTest, Crc32IsTheStandardOneAtEveryLength)
{
    const auto bitwise = [](std::string_view bytes) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (const char ch : bytes) {
            c ^= static_cast<unsigned char>(ch);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return c ^ 0xFFFFFFFFu;
    };
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
    for (const std::size_t length : {1, 3, 7, 8, 31, 64, 100, 1023, 3000}) {
        const std::string_view part = std::string_view(bytes).substr(3000 - length);
        EXPECT_EQ(storage::frame::crc32(part), bitwise(part)) << length << " bytes";
    }
    EXPECT_EQ(fileio::journal::crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

// A file patched part way, and the record that describes the patch.
class RollBackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = scratch.library() / "a.m4a";
        before = makeBytes(5000, 3);
        writeFile(file, before);
        const auto id = identityOf(file);
        record.id = 9;
        record.identity = id;
        record.path = fs::canonical(file).string();
        record.patches.push_back({100, before.substr(100, 50), std::string(50, 'N')});
        record.patches.push_back({3000, before.substr(3000, 10), std::string(10, 'M')});
        after = before;
        after.replace(100, 50, std::string(50, 'N'));
        after.replace(3000, 10, std::string(10, 'M'));
    }

    Scratch scratch;
    fs::path file;
    std::string before, after;
    Record record;
};

TEST_F(RollBackTest, APartialPatchIsUndoneWithItsModificationTime)
{
    // A crash in the middle of the first range, the second not reached.
    std::string torn = before;
    torn.replace(100, 20, std::string(20, 'N'));
    writeFile(file, torn);
    std::string detail;
    EXPECT_EQ(fileio::journal::rollBack(record, detail), Outcome::RolledBack) << detail;
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(identityOf(file), record.identity);
}

TEST_F(RollBackTest, AFinishedPatchIsKept)
{
    writeFile(file, after);
    const auto id = identityOf(file);
    std::string detail;
    EXPECT_EQ(fileio::journal::rollBack(record, detail), Outcome::Completed);
    EXPECT_EQ(readFile(file), after);
    EXPECT_EQ(identityOf(file), id);
}

TEST_F(RollBackTest, AFileChangedSinceIsLeftAlone)
{
    struct Case {
        const char* name;
        std::string content;
    };
    std::string foreign = before;
    foreign[120] = 'x'; // neither the old nor the new byte
    const std::vector<Case> cases = {
        {"other bytes in a range", foreign},
        {"other size", before + "tail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(file, c.content);
        std::string detail;
        EXPECT_EQ(fileio::journal::rollBack(record, detail), Outcome::Changed);
        EXPECT_EQ(readFile(file), c.content);
    }
    // Replaced by another file of the same size: another inode.
    writeFile(scratch.library() / "new", before);
    fs::rename(scratch.library() / "new", file);
    std::string detail;
    EXPECT_EQ(fileio::journal::rollBack(record, detail), Outcome::Changed);
    fs::remove(file);
    EXPECT_EQ(fileio::journal::rollBack(record, detail), Outcome::Gone);
}

TEST_F(RollBackTest, RecoveryReadsOnlyJournalsOfProcessesThatAreGone)
{
    std::string torn = before;
    torn.replace(3000, 10, std::string(10, 'M'));
    writeFile(file, torn);
    fs::create_directories(scratch.journalFolder());
    const fs::path dead = scratch.journalFolder() / "111-1.journal";
    const fs::path live = scratch.journalFolder() / "222-2.journal";
    Record other = record;
    other.id = 10;
    // A torn record after the unfinished one must not stop the rollback.
    writeFile(dead, fileio::journal::encodeBegin(record) + fileio::journal::encodeBegin(other).substr(0, 30));
    writeFile(live, fileio::journal::encodeBegin(other));
    const int holder = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    log::ScopedSink quiet([](std::string_view) {});
    auto report = fileio::recoverAfterCrash(scratch.library());
    EXPECT_EQ(report.journalsRead, 1);
    EXPECT_EQ(report.rolledBack, 1);
    EXPECT_EQ(readFile(file), before);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(live));

    // Once its process is gone, that journal's record is found: the file
    // holds the old bytes, which it rewrites as they are.
    ::close(holder);
    report = fileio::recoverAfterCrash(scratch.library());
    EXPECT_EQ(report.journalsRead, 1);
    EXPECT_EQ(readFile(file), before);
    EXPECT_FALSE(fs::exists(live));
}

TEST(TemporaryNameTest, RecognisesOnlyOurPattern)
{
    EXPECT_TRUE(fileio::isTemporaryName(".song.mp3.yomi-a1B2c3.tmp"));
    EXPECT_TRUE(fileio::isTemporaryName(".x.yomi-000000.tmp"));
    EXPECT_FALSE(fileio::isTemporaryName("song.mp3.yomi-a1B2c3.tmp")); // not hidden
    EXPECT_FALSE(fileio::isTemporaryName(".song.mp3.yomi-a1B2c.tmp")); // 5 random characters
    EXPECT_FALSE(fileio::isTemporaryName(".song.mp3.yomi-a1B2c!.tmp"));
    EXPECT_FALSE(fileio::isTemporaryName(".song.mp3.yomi-a1B2c3.tmp2"));
    EXPECT_FALSE(fileio::isTemporaryName("..yomi-a1B2c3.tmp")); // no original name
    EXPECT_FALSE(fileio::isTemporaryName(".song.mp3"));
}

TEST(TemporarySweepTest, RemovesOnlyTheLeftoversAJournalNames)
{
    Scratch scratch;
    const fs::path lib = scratch.library();
    fs::create_directories(lib / "a" / "b");
    const std::vector<fs::path> ours = {lib / ".x.mp3.yomi-abcdef.tmp", lib / "a" / "b" / ".y.flac.yomi-ZZZ999.tmp"};
    const std::vector<fs::path> theirs = {lib / "a" / "x.mp3",
                                          lib / ".hidden",
                                          lib / "a" / "x.mp3.yomi-abcdef.tmp",
                                          lib / "a" / ".x.mp3.yomi-abcdef.tmp", // no record for this folder
                                          lib / ".z.ogg.yomi-abcdef.tmp",       // no record at all
                                          lib / ".done.yomi-abcdef.tmp"};       // its commit finished
    for (const auto& p : ours)
        writeFile(p, "partial");
    for (const auto& p : theirs)
        writeFile(p, "keep");
    // One that a running commit holds is not a leftover.
    const fs::path held = lib / "a" / ".w.opus.yomi-HELD00.tmp";
    writeFile(held, "in progress");
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    // The journal of a process that is gone.
    using fileio::journal::Temporary;
    std::string journal;
    for (const Temporary& t :
         {Temporary{1, lib.string(), ".x.mp3.yomi-"}, Temporary{2, (lib / "a" / "b").string(), ".y.flac.yomi-"},
          Temporary{3, (lib / "a").string(), ".w.opus.yomi-"}, Temporary{4, lib.string(), ".done.yomi-"}})
        journal += fileio::journal::encodeTemporary(t);
    journal += fileio::journal::encodeDone(4);
    fs::create_directories(scratch.journalFolder());
    writeFile(scratch.journalFolder() / "111-1.journal", journal);

    std::vector<std::string> lines;
    log::ScopedSink capture([&](std::string_view t) { lines.emplace_back(t); });
    const auto report = fileio::recoverAfterCrash(lib);
    ::close(holder);
    EXPECT_EQ(report.temporariesRemoved, 2);
    EXPECT_EQ(lines.size(), 2u);
    for (const auto& p : ours)
        EXPECT_FALSE(fs::exists(p)) << p;
    for (const auto& p : theirs)
        EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(scratch.journalFolder() / "111-1.journal"));
}

TEST(TemporarySweepTest, AMissingRootIsNoError)
{
    Scratch scratch;
    const auto report = fileio::recoverAfterCrash(scratch.root() / "none");
    EXPECT_EQ(report.temporariesRemoved, 0);
}

} // namespace
} // namespace yomi::test
