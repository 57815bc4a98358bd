// The fixed facts of the tag containers, shared by the pre-check, the byte
// editors and the byte proof: where the fields of a header lie, the ASF
// object GUIDs, ID3v2's synchsafe integers and the Ogg page checksum.
//
// These say how a container is laid out, so a mistake in one makes every
// parse of real files fail at once. Which items a write may change is
// another matter: the proof keeps its own names for those (see
// Proof/ByteProof.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Platform/ByteOrder.h"

namespace yomi::bridge::folder {

// ID3v2 ---------------------------------------------------------------------
//
// The tag header: "ID3", major version (1 byte), revision (1), flags (1),
// the size of what follows the header (4, synchsafe). A v2.3/2.4 frame
// header: ID (4), size (4: big-endian in v2.3, synchsafe in v2.4), flags (2).
namespace id3 {

inline constexpr std::size_t kVersionAt = 3, kFlagsAt = 5, kSizeAt = 6, kHeaderSize = 10;
inline constexpr std::size_t kFrameSizeAt = 4, kFrameFlagsAt = 8, kFrameHeaderSize = 10;

// Tag header flags; a v2.4 footer is a copy of the header after the tag.
inline constexpr unsigned kUnsynchronised = 0x80, kExtendedHeader = 0x40, kFooter = 0x10;

// The largest size 28 bits hold.
inline constexpr std::size_t kMaxSynchsafe = (std::size_t(1) << 28) - 1;

// A 28-bit integer in four bytes of 7 bits each (the top bit of each is
// ignored); 0 when the bytes do not fit.
constexpr std::uint32_t synchsafe(std::string_view b, std::size_t at)
{
    if (!bytes::fits(b, at, 4))
        return 0;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 7) | (static_cast<unsigned char>(b[at + i]) & 0x7F);
    return v;
}

// Appends `v` (at most kMaxSynchsafe) as a synchsafe integer.
inline void appendSynchsafe(std::string& out, std::size_t v)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((v >> shift) & 0x7F));
}

// The whole size of the tag at the start of `b` (header, frames, padding and
// the v2.4 footer the flags announce), as its header declares it.
constexpr std::size_t declaredSize(std::string_view b)
{
    const bool footer = b.size() > kFlagsAt && (static_cast<unsigned char>(b[kFlagsAt]) & kFooter) != 0;
    return kHeaderSize + synchsafe(b, kSizeAt) + (footer ? kHeaderSize : 0);
}

} // namespace id3

// FLAC ----------------------------------------------------------------------
//
// "fLaC", then metadata blocks, each with a header of 4 bytes: the last-block
// flag (top bit) and the type (7 bits), then the length of the block's data
// (3 bytes, big-endian).
namespace flac {

inline constexpr std::size_t kBlockHeaderSize = 4, kMaxBlockSize = (std::size_t(1) << 24) - 1;
inline constexpr unsigned kLastBlock = 0x80;
// Block types.
inline constexpr int kStreamInfo = 0, kPadding = 1, kVorbisComment = 4;

} // namespace flac

// RIFF (WAVE) and AIFF ------------------------------------------------------
//
// A chunk: its ID (4 bytes), the size of its data (4: little-endian in RIFF,
// big-endian in AIFF), the data, and a pad byte after data of odd size. The
// file is one chunk, "RIFF" or "FORM", whose data starts with the form type
// (4: "WAVE", "AIFF", "AIFC"), then the other chunks.
namespace riff {

inline constexpr std::size_t kChunkSizeAt = 4, kChunkHeaderSize = 8, kFirstChunkAt = 12;

} // namespace riff

// Ogg -----------------------------------------------------------------------
//
// A page header: "OggS", version (1 byte, 0), header type (1), granule
// position (8, little-endian), stream serial number (4), page sequence
// number (4), checksum (4), the number of lacing values (1); then the lacing
// values (1 byte each) and the body.
namespace ogg {

inline constexpr std::size_t kVersionAt = 4, kTypeAt = 5, kGranuleAt = 6, kSerialAt = 14, kSequenceAt = 18,
                             kChecksumAt = 22, kSegmentsAt = 26, kHeaderSize = 27;

// Header type bits: the page's first packet continues one of the page
// before; the last page of the stream.
inline constexpr unsigned kContinued = 1, kLastPage = 4;

// The granule position of a page on which no packet ends.
inline constexpr std::uint64_t kNoPacketEnds = ~std::uint64_t(0);

// CRC-32 with the polynomial 0x04C11DB7, not reflected, over the whole page
// with its own checksum field taken as zero.
inline std::uint32_t checksum(std::string_view page)
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
        const bool inField = i >= kChecksumAt && i < kChecksumAt + 4;
        const unsigned byte = inField ? 0U : static_cast<unsigned char>(page[i]);
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    }
    return crc;
}

} // namespace ogg

// ASF -----------------------------------------------------------------------
//
// Every object starts with its GUID (16 bytes) and its whole size (8,
// little-endian). The header object then holds the number of objects in it
// (4) and two reserved bytes; the content description object the lengths of
// its five strings (2 each: title, author, copyright, description, rating),
// then the strings; the extended content description object a count of
// descriptors (2), then each: name length (2), name, value type (2), value
// length (2), value. Strings are UTF-16LE.
namespace asf {

// An object; the header object (to its first child).
inline constexpr std::size_t kGuidSize = 16, kObjectSizeAt = 16, kObjectHeaderSize = 24;
inline constexpr std::size_t kHeaderCountAt = 24, kHeaderReservedAt = 28, kHeaderObjectSize = 30;
// The content description: its strings, in their order as TagLib names them,
// start after their lengths; the extended content description's descriptors
// after their count.
inline constexpr std::size_t kContentFields = 5;
inline constexpr std::string_view kContentFieldNames[kContentFields] = {"Title", "Author", "Copyright", "Description",
                                                                        "Rating"};
inline constexpr std::size_t kContentStringsAt = kObjectHeaderSize + 2 * kContentFields,
                             kDescriptorsAt = kObjectHeaderSize + 2;

constexpr std::string_view guid(const char (&g)[17]) { return std::string_view(g, kGuidSize); }

inline constexpr std::string_view kHeaderGuid =
    guid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
inline constexpr std::string_view kDataGuid = guid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
inline constexpr std::string_view kContentDescriptionGuid =
    guid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
inline constexpr std::string_view kExtendedContentDescriptionGuid =
    guid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50");
inline constexpr std::string_view kHeaderExtensionGuid =
    guid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65");
inline constexpr std::string_view kMetadataGuid =
    guid("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA");
inline constexpr std::string_view kMetadataLibraryGuid =
    guid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54");

} // namespace asf

} // namespace yomi::bridge::folder
