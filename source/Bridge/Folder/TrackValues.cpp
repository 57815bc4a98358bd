#include "Bridge/Folder/TrackValues.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/tfilestream.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "Bridge/Folder/TagFile.h"

namespace yomi::bridge::folder {
namespace {

std::atomic<std::uint64_t> readCount{0};

FileVersion versionOf(const struct stat& st)
{
    FileVersion v;
    v.identity.device = st.st_dev;
    v.identity.inode = st.st_ino;
    v.identity.size = st.st_size;
    v.identity.mtimeSeconds = st.st_mtim.tv_sec;
    v.identity.mtimeNanoseconds = st.st_mtim.tv_nsec;
    v.ctimeNanoseconds = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return v;
}

} // namespace

std::optional<FileVersion> statFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return versionOf(st);
}

std::uint64_t tracksRead()
{
    return readCount.load();
}

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
    const FileVersion version = versionOf(st);
    values.identity = version.identity;
    values.ctimeNanoseconds = version.ctimeNanoseconds;
    auto stream = std::make_unique<TagLib::FileStream>(fd, true);
    if (!stream->isOpen()) {
        ::close(fd);
        values.openError = "cannot open the file";
        return values;
    }
    const auto parse = TagFile::open(format, std::move(stream), false);
    if (!parse->isValid())
        return values;
    values.readable = true;
    for (int i = 0; i < kTextPropertyCount; ++i) {
        if (auto text = parse->text(static_cast<Property>(i)))
            values.texts[i] = fromTagLib(*text);
    }
    values.podcast = parse->podcast();
    values.videoKind = parse->videoKind();
    return values;
}

} // namespace yomi::bridge::folder
