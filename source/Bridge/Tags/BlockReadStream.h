// A read-only stream over a file descriptor (which it owns) that reads
// aligned 64 KiB blocks with pread and keeps the last few: a parse makes
// many small seeks and reads, which then cost no system call each. The
// file's length is the one it had when opened. Internal to the folder
// library (it is a TagLib stream).
#pragma once

#include <sys/types.h>

#include <taglib/tiostream.h>

#include <array>
#include <cstddef>
#include <memory>

namespace yomi::bridge::folder {

class BlockReadStream final : public TagLib::IOStream {
public:
    BlockReadStream(int fd, off_t size) : fd_(fd), size_(size) {}
    ~BlockReadStream() override;
    BlockReadStream(const BlockReadStream&) = delete;
    BlockReadStream& operator=(const BlockReadStream&) = delete;

    TagLib::FileName name() const override { return ""; }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    long tell() const override { return static_cast<long>(pos_); }
    long length() override { return static_cast<long>(size_); }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}
    void seek(long offset, Position p) override;
    TagLib::ByteVector readBlock(unsigned long length) override;

    // Copies up to `count` bytes at `offset` into `out` through the same
    // blocks, without moving the stream's position; returns how many (fewer
    // at the end of the file, or where it was cut short).
    std::size_t copy(off_t offset, char* out, std::size_t count);

    static constexpr std::size_t kBlock = 64 * 1024;

private:
    struct Block {
        off_t index = -1;
        std::size_t size = 0;        // bytes read into data
        std::unique_ptr<char[]> data; // kBlock bytes once used, never zeroed
    };
    const Block* block(off_t index);
    // Reads `count` bytes at `offset` straight from the file; returns how
    // many it got.
    std::size_t readDirect(off_t offset, char* out, std::size_t count) const;

    int fd_;
    off_t size_;
    off_t pos_ = 0;
    std::array<Block, 4> blocks_;
    std::size_t next_ = 0;
};

} // namespace yomi::bridge::folder
