#include "Storage/RecordFrame.h"

#include <zlib.h>

#include <algorithm>

#include "Platform/ByteOrder.h"

namespace yomi::storage::frame {

std::uint32_t crc32(std::string_view bytes)
{
    // zlib's, which sums several bytes at a time.
    uLong c = 0;
    while (!bytes.empty()) {
        const auto n = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
        c = ::crc32(c, reinterpret_cast<const Bytef*>(bytes.data()), n);
        bytes.remove_prefix(n);
    }
    return static_cast<std::uint32_t>(c);
}

void put(std::string& out, std::uint64_t v, int width) { bytes::appendLe(out, v, width); }

bool Reader::get(std::uint64_t& v, int n)
{
    if (left() < static_cast<std::size_t>(n))
        return false;
    v = bytes::readLe(bytes_, pos_, n);
    pos_ += static_cast<std::size_t>(n);
    return true;
}

bool Reader::take(std::string& out, std::size_t n)
{
    if (left() < n)
        return false;
    out.assign(bytes_.substr(pos_, n));
    pos_ += n;
    return true;
}

bool Reader::bytes(std::string& out)
{
    const std::size_t start = pos_;
    std::uint64_t n = 0;
    if (get(n, 4) && take(out, n))
        return true;
    pos_ = start;
    return false;
}

std::string encode(std::string_view magic, std::uint8_t type, std::string_view payload)
{
    std::string out(magic.substr(0, 4));
    out.push_back(static_cast<char>(type));
    put(out, payload.size(), 4);
    out += payload;
    put(out, crc32(std::string_view(out).substr(4)), 4);
    return out;
}

std::optional<Frame> next(std::string_view& rest, std::string_view magic)
{
    std::uint64_t length = 0, stored = 0;
    if (rest.size() < kHeadSize + 4 || rest.substr(0, 4) != magic.substr(0, 4) ||
        !Reader(rest.substr(5, 4)).get(length, 4) || length > kMaxPayload || rest.size() - kHeadSize - 4 < length ||
        !Reader(rest.substr(kHeadSize + length, 4)).get(stored, 4) || crc32(rest.substr(4, 5 + length)) != stored)
        return std::nullopt;
    Frame f{static_cast<std::uint8_t>(rest[4]), rest.substr(kHeadSize, length)};
    rest.remove_prefix(kHeadSize + length + 4);
    return f;
}

} // namespace yomi::storage::frame
