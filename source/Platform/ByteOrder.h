// Unsigned numbers kept in bytes, least significant byte first (little-endian,
// `Le`) or most significant first (big-endian, `Be`): the one reader and
// writer of the audio formats' parsers and editors and of the storage's
// record framing.
//
// Every read is checked against the end of the bytes: a number that does not
// fit reads as 0. Parsers of untrusted input still check with fits() first,
// since a 0 is no answer; the check here makes a missed one harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace yomi::bytes {

// Whether `n` bytes from `at` lie inside `b` (without overflow).
constexpr bool fits(std::string_view b, std::size_t at, std::size_t n) { return at <= b.size() && n <= b.size() - at; }

// The number in the `width` bytes (1 to 8) at `at`; 0 when they do not fit.
constexpr std::uint64_t readLe(std::string_view b, std::size_t at, int width)
{
    if (!fits(b, at, static_cast<std::size_t>(width)))
        return 0;
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

constexpr std::uint64_t readBe(std::string_view b, std::size_t at, int width)
{
    if (!fits(b, at, static_cast<std::size_t>(width)))
        return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

constexpr std::uint16_t le16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(readLe(b, at, 2));
}
constexpr std::uint32_t le32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(readLe(b, at, 4));
}
constexpr std::uint64_t le64(std::string_view b, std::size_t at) { return readLe(b, at, 8); }
constexpr std::uint32_t be24(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(readBe(b, at, 3));
}
constexpr std::uint32_t be32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(readBe(b, at, 4));
}
constexpr std::uint64_t be64(std::string_view b, std::size_t at) { return readBe(b, at, 8); }

// Appends the low `width` bytes of `v`.
inline void appendLe(std::string& out, std::uint64_t v, int width)
{
    for (int i = 0; i < width; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void appendBe(std::string& out, std::uint64_t v, int width)
{
    for (int i = width - 1; i >= 0; --i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Overwrites the `width` bytes at `at` with the low bytes of `v`; false, and
// nothing written, when they do not fit.
inline bool storeLe(std::string& out, std::size_t at, std::uint64_t v, int width)
{
    if (!fits(out, at, static_cast<std::size_t>(width)))
        return false;
    for (int i = 0; i < width; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return true;
}

} // namespace yomi::bytes
