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
