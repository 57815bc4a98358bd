#include "Bridge/Bytes/Mp4Edit.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "Bridge/Bytes/Containers.h"

namespace yomi::bridge::folder::mp4 {
namespace {

using bytes::appendBe;
using bytes::be32;
using bytes::be64;

// A box: where it starts, its header's size (8, or 16 with a 64-bit size),
// where it ends and its type. `toEnd` when its size field is 0 (it runs to
// the end of the file).
struct Box {
    std::size_t at = 0, header = 8, end = 0;
    std::string_view type;
    bool toEnd = false;

    std::size_t payload() const { return at + header; }
};

// The boxes of [begin, end); false when a size does not fit.
bool boxesIn(std::string_view b, std::size_t begin, std::size_t end, std::vector<Box>& out)
{
    constexpr std::size_t kMaxBoxes = 1U << 20;
    for (std::size_t pos = begin; pos < end;) {
        if (end - pos < 8 || out.size() >= kMaxBoxes)
            return false;
        Box box{pos, 8, 0, b.substr(pos + 4, 4), false};
        std::uint64_t size = be32(b, pos);
        if (size == 1) {
            if (end - pos < 16)
                return false;
            size = be64(b, pos + 8);
            box.header = 16;
        } else if (size == 0) {
            size = end - pos;
            box.toEnd = true;
        }
        if (size < box.header || size > end - pos)
            return false;
        box.end = pos + static_cast<std::size_t>(size);
        out.push_back(box);
        pos = box.end;
    }
    return true;
}

const Box* find(const std::vector<Box>& boxes, std::string_view type)
{
    for (const Box& box : boxes)
        if (box.type == type)
            return &box;
    return nullptr;
}

// A QuickTime meta box has no version and flags: its payload starts with a
// child, one of these.
bool metaIsBare(std::string_view b, const Box& meta)
{
    if (meta.end - meta.payload() < 8)
        return false;
    const std::string_view first = b.substr(meta.payload() + 4, 4);
    return first == "hdlr" || first == "ilst" || first == "mhdr" || first == "ctry" || first == "lang";
}

void storeBe(std::string& out, std::size_t at, std::uint64_t v, int width)
{
    for (int i = 0; i < width; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * (width - 1 - i))) & 0xFF);
}

// The box's size field made `delta` bigger; false when it would not fit.
bool resize(std::string& out, const Box& box, std::int64_t delta)
{
    if (box.toEnd)
        return true; // it still runs to the end of the file
    const auto size = static_cast<std::int64_t>(box.end - box.at) + delta;
    if (box.header == 16) {
        storeBe(out, box.at + 8, static_cast<std::uint64_t>(size), 8);
        return true;
    }
    if (size < 8 || size > std::numeric_limits<std::uint32_t>::max())
        return false;
    storeBe(out, box.at, static_cast<std::uint64_t>(size), 4);
    return true;
}

// What the whole tree tells the edit: the chunk offset tables (stco, co64),
// found where they are read to prove the edit, and whether a box other than
// the media data has no size (it runs to the end of what holds it), which
// this editor leaves to TagLib.
struct Tree {
    std::vector<Box> tables;
    bool unsized = false;
};

bool isContainer(std::string_view path)
{
    return path == "moov" || path == "moov/trak" || path == "moov/trak/mdia" || path == "moov/trak/mdia/minf" ||
        path == "moov/trak/mdia/minf/stbl" || path == "moov/udta" || path == "moov/udta/meta";
}

// Reads the boxes of [begin, end) under `parent` into `tree`, every size
// held against the box around it, every table's count and every item's size
// (32 bits, at least its header) too. False when one does not fit: the edit
// is made only of a tree read whole.
bool readTree(std::string_view b, std::size_t begin, std::size_t end, const std::string& parent, Tree& tree)
{
    std::vector<Box> boxes;
    if (!boxesIn(b, begin, end, boxes))
        return false;
    for (const Box& box : boxes) {
        const std::string path = (parent.empty() ? "" : parent + "/") + std::string(box.type);
        tree.unsized = tree.unsized || (box.toEnd && path != "mdat");
        if (box.type == "free" || box.type == "skip")
            continue; // padding, wherever it stands
        if (path == "moov/udta/meta/ilst") {
            for (std::size_t at = box.payload(); at < box.end; at += be32(b, at)) {
                if (box.end - at < 8 || be32(b, at) < 8 || be32(b, at) > box.end - at)
                    return false;
            }
        } else if (path.ends_with("/stco") || path.ends_with("/co64")) {
            // version and flags (4), the count (4), the offsets (4 or 8 each)
            const std::size_t width = box.type == "co64" ? 8 : 4, table = box.payload();
            if (box.end - table < 8 || be32(b, table + 4) > (box.end - table - 8) / width)
                return false;
            tree.tables.push_back(box);
        } else if (isContainer(path)) {
            const bool full = box.type == "meta" && !metaIsBare(b, box);
            if (full && box.end - box.payload() < 4)
                return false;
            if (!readTree(b, box.payload() + (full ? 4 : 0), box.end, path, tree))
                return false;
        }
    }
    return true;
}

// Moves, in `out` (a copy of `b`), every chunk offset of the tables that
// points at or past the moov box's end by `delta`; those before the moov box
// stay.
Status moveChunkOffsets(std::string_view b, std::string& out, const std::vector<Box>& tables, const Box& moov,
                        std::int64_t delta)
{
    for (const Box& box : tables) {
        const int width = box.type == "co64" ? 8 : 4;
        const std::size_t table = box.payload();
        for (std::size_t i = 0, n = be32(b, table + 4); i < n; ++i) {
            const std::size_t at = table + 8 + i * static_cast<std::size_t>(width);
            const std::uint64_t offset = width == 8 ? be64(b, at) : be32(b, at);
            if (offset < moov.at)
                continue;
            if (offset < moov.end)
                return Failure{"the file has a chunk offset inside its moov box"};
            const std::uint64_t moved = offset + static_cast<std::uint64_t>(delta);
            if (width == 4 && moved > std::numeric_limits<std::uint32_t>::max())
                return Failure{"a chunk offset would no longer fit its 32 bits"};
            storeBe(out, at, moved, width);
        }
    }
    return {};
}

// One item of UTF-8 text: the item box, and in it one data box (type 1,
// UTF-8; locale 0) holding the text.
std::optional<std::string> textItem(std::string_view type, std::string_view value)
{
    constexpr std::size_t kItemHeader = 8, kDataHeader = 16;
    if (value.size() > std::numeric_limits<std::uint32_t>::max() - kItemHeader - kDataHeader)
        return std::nullopt;
    std::string item;
    appendBe(item, kItemHeader + kDataHeader + value.size(), 4);
    item += type;
    appendBe(item, kDataHeader + value.size(), 4);
    item += "data";
    appendBe(item, 1, 4);
    appendBe(item, 0, 4);
    item += value;
    return item;
}

// The item list's payload with `item` in the place of the first item of its
// type (the others of that type dropped), or at the end; every other item
// keeps its bytes and its place.
std::string listWith(std::string_view b, const std::vector<Box>& items, std::string_view type, const std::string& item)
{
    std::string list;
    bool placed = false;
    for (const Box& other : items) {
        if (other.type != type)
            list.append(b.substr(other.at, other.end - other.at));
        else if (!std::exchange(placed, true))
            list += item;
    }
    if (!placed)
        list += item;
    return list;
}

} // namespace

Result<std::optional<std::string>> setText(const std::string& bytes, std::string_view type, std::string_view value)
{
    const Failure bad{"malformed MP4 box"};
    const std::string_view b = bytes;
    std::vector<Box> top;
    Tree tree;
    if (type.size() != 4 || !boxesIn(b, 0, b.size(), top) || !readTree(b, 0, b.size(), "", tree))
        return bad;
    if (find(top, "moof") || tree.unsized)
        return std::optional<std::string>();
    const Box* moov = find(top, "moov");
    if (!moov)
        return std::optional<std::string>();
    if (std::count_if(top.begin(), top.end(), [](const Box& box) { return box.type == "moov"; }) > 1)
        return Failure{"the file has more than one moov box"};

    // moov/udta/meta/ilst, each the first of its type.
    std::vector<Box> inMoov, inUdta, inMeta, items;
    if (!boxesIn(b, moov->payload(), moov->end, inMoov))
        return bad;
    const Box* udta = find(inMoov, "udta");
    if (!udta)
        return std::optional<std::string>();
    if (!boxesIn(b, udta->payload(), udta->end, inUdta))
        return bad;
    const Box* meta = find(inUdta, "meta");
    if (!meta)
        return std::optional<std::string>();
    const std::size_t metaChildren = meta->payload() + (metaIsBare(b, *meta) ? 0 : 4);
    if (metaChildren > meta->end || !boxesIn(b, metaChildren, meta->end, inMeta))
        return bad;
    const Box* ilst = find(inMeta, "ilst");
    if (!ilst)
        return std::optional<std::string>();
    if (!boxesIn(b, ilst->payload(), ilst->end, items))
        return Failure{"malformed MP4 item"};

    const std::optional<std::string> item = textItem(type, value);
    if (!item)
        return Failure{"the value is too long for an MP4 item"};
    const std::string list = listWith(b, items, type, *item);
    const auto delta = static_cast<std::int64_t>(list.size()) - static_cast<std::int64_t>(ilst->end - ilst->payload());

    // A free box right after the list takes the change while it can; nothing
    // else moves then.
    const Box* next = ilst + 1 < inMeta.data() + inMeta.size() ? ilst + 1 : nullptr;
    if (delta != 0 && next && next->type == "free" && next->header == 8 && !next->toEnd) {
        const std::int64_t freeSize = static_cast<std::int64_t>(next->end - next->at) - delta;
        if (freeSize >= 8 && freeSize <= std::numeric_limits<std::uint32_t>::max()) {
            std::string out = bytes.substr(0, ilst->payload()) + list;
            appendBe(out, static_cast<std::uint64_t>(freeSize), 4);
            out += "free";
            const auto freePayload = static_cast<std::size_t>(freeSize - 8);
            const std::string_view kept = b.substr(next->payload(), next->end - next->payload());
            out += kept.substr(0, freePayload);
            out.append(freePayload - std::min(freePayload, kept.size()), '\0');
            out += b.substr(next->end);
            if (!resize(out, *ilst, delta))
                return Failure{"the MP4 item list would outgrow its size field"};
            return std::optional<std::string>(std::move(out));
        }
    }

    std::string moved = bytes;
    if (delta != 0) {
        if (Status offsets = moveChunkOffsets(b, moved, tree.tables, *moov, delta); !offsets)
            return offsets.failure();
    }
    std::string out = moved.substr(0, ilst->payload()) + list + moved.substr(ilst->end);
    // The boxes around the list start before it: their headers stand where
    // they stood.
    for (const Box* box : {ilst, meta, udta, moov}) {
        if (!resize(out, *box, delta))
            return Failure{"an MP4 box would outgrow its size field"};
    }
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::mp4
