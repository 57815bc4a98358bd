#include "Bridge/Bytes/OggEdit.h"

#include <cstdint>
#include <vector>

#include "Bridge/Bytes/Containers.h"
#include "Bridge/Bytes/FlacEdit.h"

namespace yomi::bridge::folder::ogg {
namespace {

using bytes::le32;
using bytes::le64;
using bytes::storeLe;

constexpr std::size_t kMaxPages = 1U << 22;
constexpr std::size_t kMaxLace = 255;     // a lacing value of 255: the packet goes on
constexpr std::size_t kMaxSegments = 255; // lacing values a page holds at most

struct Page {
    std::size_t at, size;
    std::size_t segments; // lacing values
    std::size_t body;     // where the body starts
};

unsigned typeOf(std::string_view b, const Page& page) { return static_cast<unsigned char>(b[page.at + kTypeAt]); }
bool continues(std::string_view b, const Page& page) { return (typeOf(b, page) & kContinued) != 0; }
std::size_t lacing(std::string_view b, const Page& page, std::size_t i)
{
    return static_cast<unsigned char>(b[page.at + kHeaderSize + i]);
}

// The page with its checksum made again.
void setChecksum(std::string& out, std::size_t at, std::size_t size)
{
    storeLe(out, at + kChecksumAt, checksum(std::string_view(out).substr(at, size)), 4);
}

// Every page of the file, each fitting in it; nullopt when they do not parse.
std::optional<std::vector<Page>> readPages(std::string_view b)
{
    std::vector<Page> pages;
    for (std::size_t pos = 0; pos < b.size();) {
        if (b.size() - pos < kHeaderSize || b.substr(pos, 4) != "OggS" || b[pos + kVersionAt] != '\0' ||
            pages.size() >= kMaxPages)
            return std::nullopt;
        const std::size_t segments = static_cast<unsigned char>(b[pos + kSegmentsAt]);
        if (b.size() - pos - kHeaderSize < segments)
            return std::nullopt;
        Page page{pos, kHeaderSize + segments, segments, pos + kHeaderSize + segments};
        for (std::size_t i = 0; i < segments; ++i)
            page.size += lacing(b, page, i);
        if (page.size > b.size() - pos)
            return std::nullopt;
        pages.push_back(page);
        pos += page.size;
    }
    return pages;
}

// The header packets of a Vorbis (3), Opus or Speex (2) or Ogg FLAC (1 and
// the count its first packet gives) stream and the pages that carry them: the
// first packet alone on the first page, the others on pages of their own,
// which they may share with each other but not with audio.
struct Headers {
    std::vector<std::string> packets;
    std::size_t pages = 0;
};

// How many header packets a stream whose first packet is `first` has; 0 for
// a stream this code does not edit.
std::size_t headerPackets(std::string_view first)
{
    if (first.starts_with("\x01vorbis"))
        return 3;
    if (first.starts_with("OpusHead") || first.starts_with("Speex   "))
        return 2;
    // Ogg FLAC: 0x7F "FLAC", the mapping's version (2), the number of header
    // packets after this one (2, big-endian; 0 for unknown), then "fLaC".
    if (first.starts_with("\x7F"
                          "FLAC") &&
        first.size() >= 13 && first.substr(9, 4) == "fLaC")
        return 1 + static_cast<std::size_t>(bytes::readBe(first, 7, 2));
    return 0;
}

std::optional<Headers> readHeaders(std::string_view b, const std::vector<Page>& pages)
{
    Headers h;
    std::size_t wanted = 0;
    bool open = false; // the last packet goes on on the next page
    for (; h.pages < pages.size() && (wanted == 0 || h.packets.size() < wanted || open); ++h.pages) {
        const Page& page = pages[h.pages];
        if (continues(b, page) != open)
            return std::nullopt;
        // Header pages carry no position: a page that does is not one.
        const std::uint64_t granule = le64(b, page.at + kGranuleAt);
        if (granule != 0 && granule != kNoPacketEnds)
            return std::nullopt;
        std::size_t at = page.body;
        for (std::size_t i = 0; i < page.segments; ++i) {
            const std::size_t lace = lacing(b, page, i);
            if (!open)
                h.packets.emplace_back();
            if (wanted != 0 && h.packets.size() > wanted)
                return std::nullopt; // audio shares the last header page
            h.packets.back().append(b.substr(at, lace));
            open = lace == kMaxLace;
            at += lace;
        }
        if (wanted == 0 && !h.packets.empty() && !open) {
            wanted = headerPackets(h.packets[0]);
            if (wanted < 2 || h.packets.size() != 1 || h.pages != 0)
                return std::nullopt;
        }
    }
    if (wanted == 0 || h.packets.size() != wanted || open)
        return std::nullopt;
    return h;
}

// Whether each page from `first` on continues a packet exactly when the
// page before left one open, as pages kept byte for byte must.
bool packetsFollowOn(std::string_view b, const std::vector<Page>& pages, std::size_t first)
{
    bool open = false;
    for (std::size_t i = first; i < pages.size(); ++i) {
        if (continues(b, pages[i]) != open)
            return false;
        if (pages[i].segments != 0)
            open = lacing(b, pages[i], pages[i].segments - 1) == kMaxLace;
    }
    return true;
}

// Pages of one stream carrying `packets` from sequence number `sequence`:
// full pages of 255 lacing values, a packet that fills its last lacing value
// ending in a zero one; the granule 0 on a page where a packet ends, else -1;
// with `last`, the last page ends the stream.
std::string paginate(const std::vector<std::string>& packets, std::uint32_t serial, std::uint32_t sequence, bool last,
                     std::uint32_t& pages)
{
    std::vector<unsigned char> lacings;
    std::vector<bool> ends; // a packet ends with this lacing value
    std::string data;
    for (const std::string& packet : packets) {
        for (std::size_t left = packet.size();; left -= kMaxLace) {
            lacings.push_back(static_cast<unsigned char>(left < kMaxLace ? left : kMaxLace));
            ends.push_back(left < kMaxLace);
            if (left < kMaxLace)
                break;
        }
        data += packet;
    }
    std::string out;
    std::size_t lace = 0, from = 0;
    bool continued = false;
    pages = 0;
    while (lace < lacings.size()) {
        const std::size_t n = std::min(kMaxSegments, lacings.size() - lace); // lacing values on this page
        std::string page("OggS", 4);
        page.resize(kHeaderSize, '\0'); // version 0
        page[kTypeAt] =
            static_cast<char>((continued ? kContinued : 0) | (last && lace + n == lacings.size() ? kLastPage : 0));
        bool ended = false;
        std::size_t body = 0;
        for (std::size_t i = lace; i < lace + n; ++i) {
            page.push_back(static_cast<char>(lacings[i]));
            body += lacings[i];
            ended = ended || ends[i];
        }
        storeLe(page, kGranuleAt, ended ? 0 : kNoPacketEnds, 8);
        storeLe(page, kSerialAt, serial, 4);
        storeLe(page, kSequenceAt, sequence + pages, 4);
        page[kSegmentsAt] = static_cast<char>(n);
        page.append(data, from, body);
        setChecksum(page, 0, page.size());
        out += page;
        continued = !ends[lace + n - 1];
        lace += n;
        from += body;
        ++pages;
    }
    return out;
}

// The header packets after the first, the comment edited: Vorbis's and
// Opus's second packet after its magic, Speex's second packet as it is (no
// framing byte follows its comment), and Ogg FLAC's VORBIS_COMMENT block after
// its header, whose size follows the comment and whose type and last-block
// flag stay.
Result<std::vector<std::string>> editedHeaders(std::vector<std::string> packets, std::string_view name,
                                               std::string_view value)
{
    const Failure unknown{"the Ogg stream's comment packet is not recognised"};
    std::size_t index = 1;
    std::string_view magic;
    if (packets[0].starts_with("\x01vorbis")) {
        magic = "\x03vorbis";
    } else if (packets[0].starts_with("OpusHead")) {
        magic = "OpusTags";
    } else if (packets[0].starts_with("\x7F"
                                      "FLAC")) {
        while (index < packets.size() && (packets[index].empty() || (packets[index][0] & 0x7F) != 4))
            ++index;
        if (index == packets.size())
            return Failure{"the Ogg FLAC stream has no Vorbis comment"};
        if (packets[index].size() < 4 || bytes::be24(packets[index], 1) != packets[index].size() - 4)
            return unknown;
        magic = std::string_view(packets[index]).substr(0, 4);
    }
    if (!packets[index].starts_with(magic))
        return unknown;
    const auto comment = flac::editComment(std::string_view(packets[index]).substr(magic.size()), name, value);
    if (!comment)
        return Failure{"malformed Vorbis comment"};
    std::string packet = std::string(magic) + *comment;
    if (packets[0].starts_with("\x7F")) {
        if (comment->size() >= (1U << 24))
            return Failure{"the Vorbis comment would grow too large"};
        for (int k = 0; k < 3; ++k)
            packet[1 + k] = static_cast<char>(comment->size() >> (8 * (2 - k)));
    }
    packets[index] = std::move(packet);
    packets.erase(packets.begin());
    return packets;
}

} // namespace

Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value)
{
    const std::string_view b(bytes);
    const Failure unparsed{"the Ogg pages do not parse"};
    const std::optional<std::string> notEdited; // left to TagLib
    const std::optional<std::vector<Page>> read = readPages(b);
    if (!read)
        return unparsed;
    const std::vector<Page>& pages = *read;
    if (pages.empty())
        return notEdited;
    const std::uint32_t serial = le32(b, pages[0].at + kSerialAt);
    for (const Page& page : pages) {
        if (le32(b, page.at + kSerialAt) != serial)
            return notEdited; // chained or multiplexed
    }
    const std::optional<Headers> headers = readHeaders(b, pages);
    if (!headers)
        return notEdited;
    if (!packetsFollowOn(b, pages, headers->pages))
        return unparsed;
    Result<std::vector<std::string>> packets = editedHeaders(headers->packets, name, value);
    if (!packets)
        return packets.failure();

    // The first page stays; the other header pages are made anew, and the
    // audio pages after them are numbered on from the last of those.
    std::uint32_t made = 0;
    const std::uint32_t first = le32(b, pages[1].at + kSequenceAt);
    std::string out(b.substr(0, pages[1].at));
    // A stream of header pages alone ends on its new last page.
    const bool ends = headers->pages == pages.size() && (typeOf(b, pages.back()) & kLastPage) != 0;
    out += paginate(*packets, serial, first, ends, made);
    const std::uint32_t shift =
        first + made - (headers->pages < pages.size() ? le32(b, pages[headers->pages].at + kSequenceAt) : first + made);
    for (std::size_t i = headers->pages; i < pages.size(); ++i) {
        const std::size_t at = out.size();
        out += b.substr(pages[i].at, pages[i].size);
        if (shift != 0) {
            storeLe(out, at + kSequenceAt, le32(b, pages[i].at + kSequenceAt) + shift, 4);
            setChecksum(out, at, pages[i].size);
        }
    }
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::ogg
