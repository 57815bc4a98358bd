// MP4: the box tree around moov/udta/meta/ilst.
#include "Bridge/Bytes/Proof/ByteProofParts.h"

namespace yomi::bridge::folder::proof {
namespace {

struct Mp4 {
    std::vector<Item> leaves; // every box not walked into, by path
    std::vector<std::string_view> media;
    std::vector<std::size_t> mediaAt; // where each mdat's payload starts
    std::vector<std::uint64_t> offsets;
    std::vector<Item> items; // ilst children
    bool hasMeta = false, hasIlst = false;
    std::size_t boxes = 0;
};

bool isContainer(std::string_view path)
{
    return path == "moov" || path == "moov/trak" || path == "moov/trak/mdia" || path == "moov/trak/mdia/minf" ||
        path == "moov/trak/mdia/minf/stbl" || path == "moov/udta" || path == "moov/udta/meta";
}

// The items of the ilst box whose payload is [begin, end), keyed by type, a
// freeform item ("----") by its mean and name too.
Status readItems(std::string_view b, std::size_t begin, std::size_t end, Mp4& out)
{
    out.hasIlst = true;
    for (std::size_t at = begin; at < end;) {
        // An item: its size (4, big-endian), its type (4), then its boxes.
        if (end - at < 8 || be32(b, at) < 8 || be32(b, at) > end - at || ++out.boxes > kMaxItems)
            return Failure{"malformed MP4 item"};
        const std::size_t itemSize = be32(b, at);
        std::string key(b.substr(at + 4, 4));
        if (key == "----") {
            // Freeform items are told apart by their mean and name boxes,
            // each a full box: size, type, version and flags, then the text.
            for (std::size_t sub = at + 8; sub + 12 <= at + itemSize;) {
                const std::size_t n = be32(b, sub);
                if (n < 12 || n > at + itemSize - sub)
                    break;
                const std::string_view subType = b.substr(sub + 4, 4);
                if (subType == "mean" || subType == "name")
                    key += ":" + std::string(b.substr(sub + 12, n - 12));
                sub += n;
            }
        }
        out.items.push_back({key, b.substr(at, itemSize)});
        at += itemSize;
    }
    return {};
}

// The offsets of a chunk offset table (stco, or co64 when `wide`) whose
// payload is [begin, end): version and flags (4), the count (4), then the
// offsets (4 or 8 bytes each, big-endian). False when they do not fit.
bool readChunkOffsets(std::string_view b, std::size_t begin, std::size_t end, bool wide, Mp4& out)
{
    const std::size_t width = wide ? 8 : 4;
    if (end - begin < 8)
        return false;
    const std::size_t count = be32(b, begin + 4);
    if (count > (end - begin - 8) / width)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = begin + 8 + i * width;
        out.offsets.push_back(wide ? be64(b, at) : be32(b, at));
    }
    return true;
}

Status walk(std::string_view b, std::size_t begin, std::size_t end, const std::string& parent, int depth, Mp4& out)
{
    const Failure bad{"malformed MP4 box"};
    if (depth > kMaxDepth)
        return Failure{"MP4 boxes nest too deep"};
    std::size_t pos = begin;
    while (pos < end) {
        if (end - pos < 8 || ++out.boxes > kMaxItems)
            return bad;
        std::uint64_t size = be32(b, pos);
        std::size_t header = 8;
        if (size == 1) {
            if (end - pos < 16)
                return bad;
            size = be64(b, pos + 8);
            header = 16;
        } else if (size == 0) {
            size = end - pos;
        }
        if (size < header || size > end - pos)
            return bad;
        const std::string type(b.substr(pos + 4, 4));
        const std::string path = parent.empty() ? type : parent + "/" + type;
        const std::size_t payload = pos + header, boxEnd = pos + size;
        if (type == "free" || type == "skip") {
            // padding
        } else if (path == "mdat") {
            out.media.push_back(b.substr(payload, boxEnd - payload));
            out.mediaAt.push_back(payload);
        } else if (path == "moov/udta/meta/ilst") {
            if (Status read = readItems(b, payload, boxEnd, out); !read)
                return read;
        } else if (path.ends_with("/stco") || path.ends_with("/co64")) {
            if (!readChunkOffsets(b, payload, boxEnd, type == "co64", out))
                return bad;
            out.leaves.push_back({path, b.substr(payload, 4)}); // version and flags
        } else if (isContainer(path)) {
            std::size_t inner = payload;
            if (type == "meta") { // a full box: version and flags first
                out.hasMeta = true;
                if (boxEnd - payload < 4)
                    return bad;
                inner += 4;
            }
            if (Status why = walk(b, inner, boxEnd, path, depth + 1, out); !why)
                return why;
        } else {
            out.leaves.push_back({path, b.substr(payload, boxEnd - payload)});
        }
        pos = boxEnd;
    }
    return {};
}

} // namespace

Status proveMp4(std::string_view before, std::string_view after, const Written& written)
{
    Mp4 was, is;
    const auto parse = [](std::string_view b, Mp4& out) { return walk(b, 0, b.size(), "", 0, out); };
    if (Status parsed = parseWithTheSameAudio(before, after, was, is, parse, &Mp4::media); !parsed)
        return parsed;
    // A meta box the file did not have comes with its handler.
    if (!was.hasMeta) {
        std::erase_if(is.leaves, [](const Item& leaf) { return leaf.key.starts_with("moov/udta/meta/"); });
    }
    if (was.leaves.size() != is.leaves.size())
        return Failure{"the edit would change the MP4 boxes"};
    for (std::size_t i = 0; i < was.leaves.size(); ++i) {
        if (was.leaves[i].key != is.leaves[i].key || was.leaves[i].bytes != is.leaves[i].bytes)
            return Failure{"the edit would change the MP4 box " + was.leaves[i].key};
    }
    // Chunk offsets all move with the media data, by one delta.
    if (was.offsets.size() != is.offsets.size())
        return Failure{"the edit would change the chunk offsets"};
    if (!was.offsets.empty()) {
        if (was.mediaAt.empty())
            return Failure{"the file has chunk offsets but no media data"};
        const std::uint64_t delta = is.mediaAt.front() - was.mediaAt.front();
        for (std::size_t i = 0; i < was.mediaAt.size(); ++i) {
            if (is.mediaAt[i] - was.mediaAt[i] != delta)
                return Failure{"the edit would move the media data unevenly"};
        }
        for (std::size_t i = 0; i < was.offsets.size(); ++i) {
            if (is.offsets[i] - was.offsets[i] != delta)
                return Failure{"the edit would move a chunk offset away from its data"};
        }
    }
    if (!is.hasIlst)
        return Failure{"the edited file has no MP4 item list"};
    return compareItems(was.items, is.items, written, "MP4 tag", !was.hasIlst);
}

} // namespace yomi::bridge::folder::proof
