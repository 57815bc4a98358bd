#include "Storage/RecordFrame.h"

#include <array>

#include "Platform/ByteOrder.h"

namespace yomi::storage::frame {

std::uint32_t crc32(std::string_view bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = table[(c ^ static_cast<unsigned char>(ch)) & 0xff] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
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
