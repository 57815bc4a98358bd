#include "Bridge/Tags/TrackValues.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/tiostream.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "Bridge/Tags/TagFile.h"

namespace yomi::bridge::folder {
namespace {

std::atomic<std::uint64_t> readCount{0};

// A read-only stream over a file descriptor (which it owns) that reads
// aligned blocks with pread and keeps the last few: a parse makes many small
// seeks and reads, which then cost no system call each. The file's length is
// the one it had when opened.
class BlockReadStream final : public TagLib::IOStream {
public:
    BlockReadStream(int fd, off_t size) : fd_(fd), size_(size) {}
    ~BlockReadStream() override { ::close(fd_); }

    TagLib::FileName name() const override { return ""; }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    long tell() const override { return static_cast<long>(pos_); }
    long length() override { return static_cast<long>(size_); }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}

    void seek(long offset, Position p) override
    {
        const off_t base = p == Beginning ? 0 : p == Current ? pos_ : size_;
        if (base + offset >= 0)
            pos_ = base + offset;
    }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        if (pos_ >= size_ || length == 0)
            return {};
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(length), size_ - pos_));
        TagLib::ByteVector out(static_cast<unsigned int>(want), '\0');
        std::size_t done = 0;
        if (want > kBlock) {
            // A large read (a picture, say) goes straight to the file.
            while (done < want) {
                const ssize_t n = ::pread(fd_, out.data() + done, want - done, pos_ + static_cast<off_t>(done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
        } else {
            while (done < want) {
                const off_t at = pos_ + static_cast<off_t>(done);
                const Block* b = block(at / static_cast<off_t>(kBlock));
                const std::size_t offset = static_cast<std::size_t>(at % static_cast<off_t>(kBlock));
                if (!b || offset >= b->data.size())
                    break;
                const std::size_t n = std::min(want - done, b->data.size() - offset);
                std::memcpy(out.data() + done, b->data.data() + offset, n);
                done += n;
            }
        }
        out.resize(static_cast<unsigned int>(done));
        pos_ += static_cast<off_t>(done);
        return out;
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    struct Block {
        off_t index = -1;
        std::vector<char> data;
    };

    const Block* block(off_t index)
    {
        for (const Block& b : blocks_) {
            if (b.index == index)
                return &b;
        }
        Block& b = blocks_[next_];
        next_ = (next_ + 1) % blocks_.size();
        b.index = -1;
        const off_t start = index * static_cast<off_t>(kBlock);
        b.data.resize(static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(kBlock), size_ - start)));
        std::size_t done = 0;
        while (done < b.data.size()) {
            const ssize_t n =
                ::pread(fd_, b.data.data() + done, b.data.size() - done, start + static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        // A file cut short since it was opened reads as what is left.
        b.data.resize(done);
        b.index = index;
        return &b;
    }

    int fd_;
    off_t size_;
    off_t pos_ = 0;
    std::array<Block, 4> blocks_;
    std::size_t next_ = 0;
};

} // namespace

std::optional<fileio::FileIdentity> statFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return fileio::identityOf(st);
}

std::uint64_t tracksRead() { return readCount.load(); }

// Per property with legacy values: its number, the count of values, then
// each value's length in two units (high, low) and its units.
String packLegacy(const TrackValues& values)
{
    String out;
    for (int i = 0; i < kTextPropertyCount; ++i) {
        const auto& list = values.legacy[i];
        if (list.empty())
            continue;
        out.push_back(static_cast<char16_t>(i));
        out.push_back(static_cast<char16_t>(std::min<std::size_t>(list.size(), 0xFFFF)));
        for (std::size_t k = 0; k < list.size() && k < 0xFFFF; ++k) {
            const std::size_t n = std::min<std::size_t>(list[k].size(), 0xFFFFFFFF);
            out.push_back(static_cast<char16_t>(n >> 16));
            out.push_back(static_cast<char16_t>(n & 0xFFFF));
            out.append(list[k], 0, n);
        }
    }
    return out;
}

bool unpackLegacy(std::u16string_view packed, TrackValues& values)
{
    std::vector<String> legacy[kTextPropertyCount];
    std::size_t at = 0;
    while (at < packed.size()) {
        if (packed.size() - at < 2 || packed[at] >= kTextPropertyCount)
            return false;
        auto& list = legacy[packed[at]];
        std::size_t count = packed[at + 1];
        at += 2;
        while (count-- > 0) {
            if (packed.size() - at < 2)
                return false;
            const std::size_t n = (std::size_t(packed[at]) << 16) | packed[at + 1];
            at += 2;
            if (n > packed.size() - at)
                return false;
            list.emplace_back(packed.substr(at, n));
            at += n;
        }
    }
    for (int i = 0; i < kTextPropertyCount; ++i)
        values.legacy[i] = std::move(legacy[i]);
    return true;
}

namespace {

// What a read that failed part way leaves: the file's version and the reason.
TrackValues unreadable(const TrackValues& partial, std::string why)
{
    TrackValues values;
    values.identity = partial.identity;
    values.openError = std::move(why);
    return values;
}

} // namespace

TrackValues readTrack(const std::string& path, Format format)
{
    readCount.fetch_add(1, std::memory_order_relaxed);
    TrackValues values;
    // O_NONBLOCK: a file swapped for a FIFO since the listing must not hang
    // the walk; it is refused below as no regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        values.openError = std::strerror(errno);
        return values;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        values.openError = "not a regular file";
        ::close(fd);
        return values;
    }
    values.identity = fileio::identityOf(st);
    // An exception from TagLib (bad_alloc on a size it trusted, or anything
    // else) makes this file unreadable, never the walk.
    try {
        const auto parse = TagFile::open(format, std::make_unique<BlockReadStream>(fd, st.st_size), false);
        if (!parse->isValid()) {
            values.openError = parse->refusal();
            return values;
        }
        for (int i = 0; i < kTextPropertyCount; ++i) {
            if (auto text = parse->text(static_cast<Property>(i)))
                values.texts[i] = fromTagLib(*text);
        }
        for (int i = 0; i < kTextPropertyCount; ++i) {
            for (const LegacyText& text : parse->legacyTexts(static_cast<Property>(i))) {
                String value = fromTagLib(text.value);
                auto& list = values.legacy[i];
                if (std::find(list.begin(), list.end(), value) == list.end())
                    list.push_back(std::move(value));
            }
        }
        values.podcast = parse->podcast();
        values.videoKind = parse->videoKind();
        values.readable = true;
    } catch (const std::exception& e) {
        return unreadable(values, e.what());
    } catch (...) {
        return unreadable(values, "unknown error");
    }
    return values;
}

} // namespace yomi::bridge::folder
