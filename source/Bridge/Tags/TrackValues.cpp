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

#include "Bridge/Tags/BlockReadStream.h"
#include "Bridge/Tags/TagFile.h"

namespace yomi::bridge::folder {
namespace {

std::atomic<std::uint64_t> readCount{0};

} // namespace

std::optional<fileio::FileIdentity> statFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return fileio::identityOf(st);
}

std::uint64_t tracksRead() { return readCount.load(); }

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
