// The block stream every parse of the walk reads through: what TagLib and
// the pre-check see must be the file's bytes, whatever the mix of small
// reads, reads across blocks, large reads and direct copies, and a file cut
// short after it was opened reads as what is left.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Bridge/Tags/BlockReadStream.h"
#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

using bridge::folder::BlockReadStream;
constexpr std::size_t kBlock = BlockReadStream::kBlock;

std::string patterned(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    return bytes;
}

class BlockStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.path() / "file.bin";
        bytes_ = patterned(3 * kBlock + 1234);
        std::ofstream(path_, std::ios::binary) << bytes_;
    }
    std::unique_ptr<BlockReadStream> open(off_t size)
    {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        return std::make_unique<BlockReadStream>(fd, size);
    }
    std::string read(BlockReadStream& s, long at, unsigned long n)
    {
        s.seek(at, TagLib::IOStream::Beginning);
        const TagLib::ByteVector v = s.readBlock(n);
        return std::string(v.data(), v.size());
    }

    TempFolder dir_;
    std::filesystem::path path_;
    std::string bytes_;
};

TEST_F(BlockStreamTest, EveryKindOfReadSeesTheFileBytes)
{
    const auto s = open(static_cast<off_t>(bytes_.size()));
    struct Case {
        long at;
        unsigned long n;
    };
    // Inside a block, across one and two block boundaries, larger than a
    // block (read straight from the file), up to and past the end.
    const Case cases[] = {{0, 10},
                          {100, 4000},
                          {static_cast<long>(kBlock) - 3, 8},
                          {static_cast<long>(kBlock) - 10, static_cast<unsigned long>(kBlock) + 20},
                          {5, static_cast<unsigned long>(2 * kBlock)},
                          {static_cast<long>(bytes_.size()) - 4, 100},
                          {static_cast<long>(bytes_.size()), 10},
                          {0, 0}};
    for (int round = 0; round < 2; ++round) { // the second round from blocks kept
        for (const Case& c : cases) {
            const std::size_t at = std::min(static_cast<std::size_t>(c.at), bytes_.size());
            const std::string expected = bytes_.substr(at, c.n);
            EXPECT_EQ(read(*s, c.at, c.n), expected) << c.at << "+" << c.n;
            EXPECT_EQ(s->tell(), static_cast<long>(at + expected.size())) << "position after " << c.at;
            std::string copied(c.n, '\0');
            copied.resize(s->copy(c.at, copied.data(), c.n));
            EXPECT_EQ(copied, expected) << "copy " << c.at << "+" << c.n;
        }
    }
    // A copy does not move the stream.
    s->seek(7, TagLib::IOStream::Beginning);
    char four[4];
    EXPECT_EQ(s->copy(static_cast<off_t>(kBlock), four, 4), 4u);
    EXPECT_EQ(s->tell(), 7);
    EXPECT_EQ(s->copy(-1, four, 4), 0u);
}

TEST_F(BlockStreamTest, AFileCutShortAfterOpeningReadsAsWhatIsLeft)
{
    const auto s = open(static_cast<off_t>(bytes_.size()));
    std::filesystem::resize_file(path_, kBlock + 100);
    EXPECT_EQ(read(*s, static_cast<long>(kBlock) - 50, 1000), bytes_.substr(kBlock - 50, 150));
    EXPECT_EQ(read(*s, static_cast<long>(2 * kBlock), 10), "");
    std::string copied(300, '\0');
    copied.resize(s->copy(static_cast<off_t>(kBlock), copied.data(), copied.size()));
    EXPECT_EQ(copied, bytes_.substr(kBlock, 100));
}

} // namespace
} // namespace yomi::test
