// MP4: the box tree around moov/udta/meta/ilst.
#include <algorithm>
#include <optional>

#include "Bridge/Bytes/Proof/ByteProofParts.h"

namespace yomi::bridge::folder::proof {
namespace {

// A box at the top of the file, padding left out.
struct TopBox {
    std::string type;
    std::size_t begin = 0, end = 0;
    bool baseOffset = false; // a movie fragment whose track fragments name an absolute base offset
};

struct Mp4 {
    std::vector<Item> leaves; // every box not walked into, by path
    std::vector<std::string_view> media;
    std::vector<std::uint64_t> offsets;
    std::vector<TopBox> top;
    std::vector<Item> items; // ilst children
    bool hasMeta = false, hasIlst = false;
    std::size_t boxes = 0;
};

bool isContainer(std::string_view path)
{
    return path == "moov" || path == "moov/trak" || path == "moov/trak/mdia" || path == "moov/trak/mdia/minf" ||
        path == "moov/trak/mdia/minf/stbl" || path == "moov/udta" || path == "moov/udta/meta";
}

// A meta box is a full box (version and flags before its children), except
// the QuickTime one, whose payload starts with a child: one of these.
bool metaIsBare(std::string_view b, std::size_t payload, std::size_t end)
{
    if (end - payload < 8)
        return false;
    const std::string_view first = b.substr(payload + 4, 4);
    return first == "hdlr" || first == "ilst" || first == "mhdr" || first == "ctry" || first == "lang";
}

// The boxes [begin, end) of a payload, each by its type and payload; false
// when a size does not fit. `visit` returns false to stop.
template <typename Visit>
bool children(std::string_view b, std::size_t begin, std::size_t end, Visit&& visit)
{
    for (std::size_t pos = begin, n = 0; pos < end; ++n) {
        if (end - pos < 8 || n > kMaxItems)
            return false;
        const std::size_t size = be32(b, pos);
        if (size < 8 || size > end - pos)
            return false;
        if (!visit(b.substr(pos + 4, 4), pos + 8, pos + size))
            return true;
        pos += size;
    }
    return true;
}

// Whether a movie fragment (payload [begin, end)) has a track fragment
// header with an explicit base data offset, an absolute position in the
// file; an unreadable fragment is taken to have one.
bool namesBaseOffset(std::string_view b, std::size_t begin, std::size_t end)
{
    bool named = false;
    const bool read = children(b, begin, end, [&](std::string_view type, std::size_t from, std::size_t to) {
        if (type != "traf")
            return true;
        const bool inner = children(b, from, to, [&](std::string_view t, std::size_t p, std::size_t e) {
            // version (1), flags (3): 0x000001 says a base offset follows
            if (t == "tfhd" && (e - p < 4 || (be32(b, p) & 1U) != 0))
                named = true;
            return !named;
        });
        named = named || !inner;
        return !named;
    });
    return named || !read;
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
        const bool padding = type == "free" || type == "skip";
        if (parent.empty() && !padding)
            out.top.push_back({type, pos, boxEnd, type == "moof" && namesBaseOffset(b, payload, boxEnd)});
        if (padding) {
            // padding
        } else if (path == "mdat") {
            out.media.push_back(b.substr(payload, boxEnd - payload));
        } else if (path == "moov/udta/meta/ilst") {
            if (Status read = readItems(b, payload, boxEnd, out); !read)
                return read;
        } else if (path.ends_with("/stco") || path.ends_with("/co64")) {
            if (!readChunkOffsets(b, payload, boxEnd, type == "co64", out))
                return bad;
            out.leaves.push_back({path, b.substr(payload, 4)}); // version and flags
        } else if (isContainer(path)) {
            std::size_t inner = payload;
            if (type == "meta") {
                out.hasMeta = true;
                // A full box's version and flags are held like a leaf; a
                // bare box must stay bare.
                const bool bare = metaIsBare(b, payload, boxEnd);
                if (!bare && boxEnd - payload < 4)
                    return bad;
                out.leaves.push_back({path + (bare ? ":bare" : ":full"), bare ? "" : b.substr(payload, 4)});
                inner += bare ? 0 : 4;
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

// Where the byte at `at` of the file before stands in the edited one, the top
// boxes of both matched one to one: inside a box it moved with the box, after
// one (in padding or past the end of the file, where data another file holds
// is reached) with that box's end, before them all it stays. Nothing when it
// lies inside the moov box, which holds no media data.
std::optional<std::uint64_t> movedTo(std::uint64_t at, const Mp4& was, const Mp4& is)
{
    std::size_t k = was.top.size();
    while (k > 0 && was.top[k - 1].begin > at)
        --k;
    if (k == 0)
        return at;
    const TopBox &from = was.top[k - 1], &to = is.top[k - 1];
    if (at >= from.end)
        return at - from.end + to.end;
    if (from.type == "moov")
        return std::nullopt;
    return at - from.begin + to.begin;
}

// The keys of the items not written, in their order.
std::vector<std::string> othersInOrder(const std::vector<Item>& items, const Written& written)
{
    std::vector<std::string> keys;
    for (const Item& item : items)
        if (!written.contains(item.key))
            keys.push_back(item.key);
    return keys;
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
        std::erase_if(is.leaves, [](const Item& leaf) { return leaf.key.starts_with("moov/udta/meta"); });
    }
    if (was.leaves.size() != is.leaves.size())
        return Failure{"the edit would change the MP4 boxes"};
    for (std::size_t i = 0; i < was.leaves.size(); ++i) {
        if (was.leaves[i].key != is.leaves[i].key || was.leaves[i].bytes != is.leaves[i].bytes)
            return Failure{"the edit would change the MP4 box " + was.leaves[i].key};
    }
    const auto sameType = [](const TopBox& a, const TopBox& b) { return a.type == b.type; };
    if (!std::equal(was.top.begin(), was.top.end(), is.top.begin(), is.top.end(), sameType))
        return Failure{"the edit would change the order of the MP4 boxes"};
    // A movie fragment that names absolute offsets, or an index of the
    // fragments (mfra), must not move: neither is rewritten.
    const bool fragmentIndex =
        std::any_of(was.top.begin(), was.top.end(), [](const TopBox& box) { return box.type == "mfra"; });
    for (std::size_t i = 0; i < was.top.size(); ++i) {
        if (was.top[i].type == "moof" && was.top[i].begin != is.top[i].begin && (was.top[i].baseOffset || fragmentIndex))
            return Failure{"the edit would move movie fragments that are found by their offsets"};
    }
    // Every chunk offset moves with the byte it points at.
    if (was.offsets.size() != is.offsets.size())
        return Failure{"the edit would change the chunk offsets"};
    for (std::size_t i = 0; i < was.offsets.size(); ++i) {
        const std::optional<std::uint64_t> expected = movedTo(was.offsets[i], was, is);
        if (!expected)
            return Failure{"the file has a chunk offset inside its moov box"};
        if (is.offsets[i] != *expected)
            return Failure{"the edit would move a chunk offset away from its data"};
    }
    if (!is.hasIlst)
        return Failure{"the edited file has no MP4 item list"};
    if (Status same = compareItems(was.items, is.items, written, "MP4 tag", !was.hasIlst); !same)
        return same;
    // The other items keep their places: a write changes only its own.
    if (was.hasIlst && othersInOrder(was.items, written) != othersInOrder(is.items, written))
        return Failure{"the edit would change the order of the MP4 items"};
    return {};
}

} // namespace yomi::bridge::folder::proof
