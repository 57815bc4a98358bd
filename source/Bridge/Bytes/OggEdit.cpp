#include "Bridge/Bytes/OggEdit.h"

#include <cstdint>
#include <vector>

#include "Bridge/Bytes/Containers.h"
#include "Bridge/Bytes/FlacEdit.h"

namespace yomi::bridge::folder::ogg {
namespace {

constexpr std::size_t kPageHeader = 27;
constexpr std::size_t kMaxPages = 1U << 22;
constexpr std::uint64_t kNoPacketEnds = ~std::uint64_t(0);

std::uint32_t le32(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void putLe(std::string& out, std::size_t at, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Page {
    std::size_t at, size;
    std::size_t segments; // lacing values
    std::size_t body;     // where the body starts
};

// The page with its checksum made again.
void checksum(std::string& out, std::size_t at, std::size_t size)
{
    putLe(out, at + 22, oggPageChecksum(std::string_view(out).substr(at, size)), 4);
}

// Pages of one stream carrying `packets` from sequence number `sequence`:
// full pages of 255 lacing values, a packet that fills its last lacing value
// ending in a zero one; the granule 0 on a page where a packet ends, else -1;
// with `last`, the last page ends the stream.
std::string paginate(const std::vector<std::string>& packets, std::uint32_t serial, std::uint32_t sequence, bool last,
                     std::uint32_t& pages)
{
    std::vector<unsigned char> lacing;
    std::vector<bool> ends; // a packet ends with this lacing value
    std::string data;
    for (const std::string& packet : packets) {
        for (std::size_t left = packet.size();; left -= 255) {
            lacing.push_back(static_cast<unsigned char>(left < 255 ? left : 255));
            ends.push_back(left < 255);
            if (left < 255)
                break;
        }
        data += packet;
    }
    std::string out;
    std::size_t lace = 0, from = 0;
    bool continued = false;
    pages = 0;
    while (lace < lacing.size()) {
        const std::size_t n = std::min<std::size_t>(255, lacing.size() - lace);
        std::string page("OggS", 4);
        page.resize(kPageHeader, '\0');
        page[5] = static_cast<char>((continued ? 1 : 0) | (last && lace + n == lacing.size() ? 4 : 0));
        bool ended = false;
        std::size_t body = 0;
        for (std::size_t i = lace; i < lace + n; ++i) {
            page.push_back(static_cast<char>(lacing[i]));
            body += lacing[i];
            ended = ended || ends[i];
        }
        putLe(page, 6, ended ? 0 : kNoPacketEnds, 8);
        putLe(page, 14, serial, 4);
        putLe(page, 18, sequence + pages, 4);
        page[26] = static_cast<char>(n);
        page.append(data, from, body);
        checksum(page, 0, page.size());
        out += page;
        continued = !ends[lace + n - 1];
        lace += n;
        from += body;
        ++pages;
    }
    return out;
}

} // namespace

Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value)
{
    const std::string_view b(bytes);
    const Failure unparsed{"the Ogg pages do not parse"};
    const std::optional<std::string> notEdited; // left to TagLib
    std::vector<Page> pages;
    for (std::size_t pos = 0; pos < b.size();) {
        if (b.size() - pos < kPageHeader || b.substr(pos, 4) != "OggS" || b[pos + 4] != '\0' ||
            pages.size() >= kMaxPages)
            return unparsed;
        const std::size_t segments = static_cast<unsigned char>(b[pos + 26]);
        if (b.size() - pos - kPageHeader < segments)
            return unparsed;
        std::size_t size = kPageHeader + segments;
        for (std::size_t i = 0; i < segments; ++i)
            size += static_cast<unsigned char>(b[pos + kPageHeader + i]);
        if (size > b.size() - pos)
            return unparsed;
        pages.push_back({pos, size, segments, pos + kPageHeader + segments});
        pos += size;
    }
    if (pages.empty())
        return notEdited;
    const std::uint32_t serial = le32(b, pages[0].at + 14);
    for (const Page& page : pages) {
        if (le32(b, page.at + 14) != serial)
            return notEdited; // chained or multiplexed
    }

    // The header packets, each on pages of its own but for the ones that
    // follow the first, which may share theirs.
    std::vector<std::string> packets;
    std::size_t headerPages = 0;
    std::size_t wanted = 0;
    bool open = false;
    for (; headerPages < pages.size() && (wanted == 0 || packets.size() < wanted || open); ++headerPages) {
        const Page& page = pages[headerPages];
        if (((b[page.at + 5] & 1) != 0) != open)
            return notEdited;
        // Header pages carry no position: a page that does is not one.
        const std::uint64_t granule = le32(b, page.at + 6) | (std::uint64_t(le32(b, page.at + 10)) << 32);
        if (granule != 0 && granule != kNoPacketEnds)
            return notEdited;
        std::size_t at = page.body;
        for (std::size_t i = 0; i < page.segments; ++i) {
            const std::size_t lace = static_cast<unsigned char>(b[page.at + kPageHeader + i]);
            if (!open)
                packets.emplace_back();
            if (wanted != 0 && packets.size() > wanted)
                return notEdited; // audio shares the last header page
            packets.back().append(b.substr(at, lace));
            open = lace == 255;
            at += lace;
        }
        if (wanted == 0 && !packets.empty() && !open) {
            if (packets[0].starts_with("\x01vorbis"))
                wanted = 3;
            else if (packets[0].starts_with("OpusHead"))
                wanted = 2;
            else
                return notEdited;
            if (packets.size() != 1 || headerPages != 0)
                return notEdited;
        }
    }
    if (wanted == 0 || packets.size() != wanted || open)
        return notEdited;
    // The later pages are kept as they are: each must continue a packet
    // exactly when the page before left one open.
    for (std::size_t i = headerPages; i < pages.size(); ++i) {
        const Page& page = pages[i];
        if (((b[page.at + 5] & 1) != 0) != open)
            return unparsed;
        if (page.segments != 0)
            open = static_cast<unsigned char>(b[page.at + kPageHeader + page.segments - 1]) == 255;
    }

    const std::size_t prefix = wanted == 3 ? 7 : 8;
    const std::string_view magic = wanted == 3 ? std::string_view("\x03vorbis") : std::string_view("OpusTags");
    if (!packets[1].starts_with(magic))
        return Failure{"the Ogg stream's comment packet is not recognised"};
    const auto comment = flac::editComment(std::string_view(packets[1]).substr(prefix), name, value);
    if (!comment)
        return Failure{"malformed Vorbis comment"};
    packets[1] = std::string(magic) + *comment;
    packets.erase(packets.begin());

    std::uint32_t made = 0;
    const std::uint32_t first = le32(b, pages[1].at + 18);
    std::string out(b.substr(0, pages[1].at));
    // A stream of header pages alone ends on its new last page.
    const bool ends = headerPages == pages.size() && (b[pages.back().at + 5] & 4) != 0;
    out += paginate(packets, serial, first, ends, made);
    const std::uint32_t shift =
        first + made - (headerPages < pages.size() ? le32(b, pages[headerPages].at + 18) : first + made);
    for (std::size_t i = headerPages; i < pages.size(); ++i) {
        const std::size_t at = out.size();
        out += b.substr(pages[i].at, pages[i].size);
        if (shift != 0) {
            putLe(out, at + 18, le32(b, pages[i].at + 18) + shift, 4);
            checksum(out, at, pages[i].size);
        }
    }
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::ogg
