// The checksum of an Ogg page, for the Ogg comment editor and the byte proof.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace yomi::bridge::folder {

// CRC-32 with the polynomial 0x04C11DB7, not reflected, over the whole page
// with its own checksum field (bytes 22 to 25) taken as zero.
inline std::uint32_t oggPageChecksum(std::string_view page)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k)
                r = (r & 0x80000000U) ? (r << 1) ^ 0x04C11DB7U : r << 1;
            t[i] = r;
        }
        return t;
    }();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const unsigned byte = i >= 22 && i < 26 ? 0U : static_cast<unsigned char>(page[i]);
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    }
    return crc;
}

} // namespace yomi::bridge::folder
