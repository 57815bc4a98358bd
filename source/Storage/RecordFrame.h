// The record framing shared by the commit journal and the undo log: a magic of
// four bytes, a type byte, the payload length (4 bytes, little-endian), the
// payload and a CRC-32 of type, length and payload. Reading stops at the first
// frame that does not check out: a file with one writer that syncs its records
// can only be torn in its last one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yomi::storage::frame {

// Larger payloads are taken for damage rather than allocated.
inline constexpr std::uint32_t kMaxPayload = 1u << 30;
inline constexpr std::size_t kHeadSize = 4 + 1 + 4;

// The standard CRC-32 (reflected 0xEDB88320, all ones in and out, as zlib
// and PNG have it).
std::uint32_t crc32(std::string_view bytes);

// Appends `v` in `width` little-endian bytes.
void put(std::string& out, std::uint64_t v, int width);

// Reads little-endian fields off a payload; every call fails, leaving the
// position, when the payload is too short.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool get(std::uint64_t& v, int n);
    template <typename T>
    bool getAs(T& out, int n)
    {
        std::uint64_t v = 0;
        if (!get(v, n))
            return false;
        out = static_cast<T>(v);
        return true;
    }
    // `n` raw bytes.
    bool take(std::string& out, std::size_t n);
    // A 4-byte length, then that many bytes.
    bool bytes(std::string& out);
    std::size_t left() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// One whole frame.
std::string encode(std::string_view magic, std::uint8_t type, std::string_view payload);

struct Frame {
    std::uint8_t type = 0;
    std::string_view payload;
};

// The frame at the start of `rest`, which is then moved past it; nullopt
// (rest unchanged) when the bytes there do not check out.
std::optional<Frame> next(std::string_view& rest, std::string_view magic);

} // namespace yomi::storage::frame
