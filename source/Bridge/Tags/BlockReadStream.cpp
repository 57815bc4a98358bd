#include "Bridge/Tags/BlockReadStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace yomi::bridge::folder {

BlockReadStream::~BlockReadStream() { ::close(fd_); }

void BlockReadStream::seek(long offset, Position p)
{
    const off_t base = p == Beginning ? 0 : p == Current ? pos_ : size_;
    if (base + offset >= 0)
        pos_ = base + offset;
}

std::size_t BlockReadStream::readDirect(off_t offset, char* out, std::size_t count) const
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

const BlockReadStream::Block* BlockReadStream::block(off_t index)
{
    for (const Block& b : blocks_) {
        if (b.index == index)
            return &b;
    }
    Block& b = blocks_[next_];
    next_ = (next_ + 1) % blocks_.size();
    if (!b.data)
        b.data.reset(new char[kBlock]); // filled by the read below, never zeroed first
    const off_t start = index * static_cast<off_t>(kBlock);
    const std::size_t want = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(kBlock), size_ - start));
    // A file cut short since it was opened reads as what is left.
    b.size = readDirect(start, b.data.get(), want);
    b.index = index;
    return &b;
}

std::size_t BlockReadStream::copy(off_t offset, char* out, std::size_t count)
{
    if (offset < 0 || offset >= size_ || count == 0)
        return 0;
    const std::size_t want = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(count), size_ - offset));
    if (want > kBlock)
        return readDirect(offset, out, want); // a large read (a picture, say) goes straight to the file
    std::size_t done = 0;
    while (done < want) {
        const off_t at = offset + static_cast<off_t>(done);
        const Block* b = block(at / static_cast<off_t>(kBlock));
        const std::size_t inBlock = static_cast<std::size_t>(at % static_cast<off_t>(kBlock));
        if (inBlock >= b->size)
            break;
        const std::size_t n = std::min(want - done, b->size - inBlock);
        std::memcpy(out + done, b->data.get() + inBlock, n);
        done += n;
    }
    return done;
}

TagLib::ByteVector BlockReadStream::readBlock(unsigned long length)
{
    if (pos_ >= size_ || length == 0)
        return {};
    const std::size_t want = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(length), size_ - pos_));
    const off_t index = pos_ / static_cast<off_t>(kBlock);
    const std::size_t inBlock = static_cast<std::size_t>(pos_ % static_cast<off_t>(kBlock));
    if (inBlock + want <= kBlock) {
        // Within one block: the vector is made from the block's bytes, in
        // one copy.
        const Block* b = block(index);
        const std::size_t n = inBlock < b->size ? std::min(want, b->size - inBlock) : 0;
        pos_ += static_cast<off_t>(n);
        return TagLib::ByteVector(b->data.get() + inBlock, static_cast<unsigned int>(n));
    }
    TagLib::ByteVector out(static_cast<unsigned int>(want), '\0');
    const std::size_t done = copy(pos_, out.data(), want);
    out.resize(static_cast<unsigned int>(done));
    pos_ += static_cast<off_t>(done);
    return out;
}

} // namespace yomi::bridge::folder
