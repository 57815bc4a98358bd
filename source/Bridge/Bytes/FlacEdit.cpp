#include "Bridge/Bytes/FlacEdit.h"

#include <cstdint>
#include <vector>

#include "Bridge/Bytes/Containers.h"

namespace yomi::bridge::folder::flac {
namespace {

using bytes::appendLe;
using bytes::le32;

bool sameName(std::string_view entry, std::string_view name)
{
    if (entry.size() <= name.size() || entry[name.size()] != '=')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = entry[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != name[i])
            return false;
    }
    return true;
}

struct Block {
    std::size_t at, size; // header included
    int type;
};

} // namespace

std::optional<std::string> editComment(std::string_view b, std::string_view name, std::string_view value)
{
    // The vendor string's length (4, little-endian) and bytes, the number of
    // entries (4), then each entry's length (4) and bytes.
    if (b.size() < 8 || le32(b, 0) > b.size() - 8)
        return std::nullopt;
    std::size_t pos = 4 + le32(b, 0);
    std::string out(b.substr(0, pos));
    const std::size_t count = le32(b, pos);
    pos += 4;
    if (count > (b.size() - pos) / 4)
        return std::nullopt;
    std::vector<std::string_view> entries;
    bool replaced = false;
    std::string_view spelling = name;
    for (std::size_t i = 0; i < count; ++i) {
        if (b.size() - pos < 4 || le32(b, pos) > b.size() - pos - 4)
            return std::nullopt;
        const std::string_view entry = b.substr(pos + 4, le32(b, pos));
        pos += 4 + entry.size();
        if (!sameName(entry, name)) {
            entries.push_back(entry);
        } else if (!replaced) {
            replaced = true;
            entries.push_back({}); // the new entry's place
            spelling = entry.substr(0, name.size());
        }
    }
    const std::string fresh = std::string(spelling) + "=" + std::string(value);
    appendLe(out, entries.size() + (replaced ? 0 : 1), 4);
    for (const std::string_view entry : entries) {
        if (entry.data() == nullptr) {
            // Keeps the spelling of the name it replaces.
            appendLe(out, fresh.size(), 4);
            out += fresh;
        } else {
            appendLe(out, entry.size(), 4);
            out += entry;
        }
    }
    if (!replaced) {
        appendLe(out, fresh.size(), 4);
        out += fresh;
    }
    out += b.substr(pos); // whatever follows the entries stays
    return out;
}

namespace {

// The metadata blocks after "fLaC", which may follow an ID3v2 tag; nullopt
// when they do not parse.
std::optional<std::vector<Block>> readBlocks(std::string_view b)
{
    std::size_t pos = 0;
    if (b.size() >= id3::kHeaderSize && b.substr(0, 3) == "ID3")
        pos = id3::declaredSize(b);
    if (pos > b.size() || b.size() - pos < 4 || b.substr(pos, 4) != "fLaC")
        return std::nullopt;
    pos += 4; // the stream marker
    std::vector<Block> blocks;
    for (bool last = false; !last;) {
        if (b.size() - pos < kBlockHeaderSize || blocks.size() > 100000)
            return std::nullopt;
        const auto head = static_cast<unsigned char>(b[pos]); // the last-block flag and the type
        last = (head & kLastBlock) != 0;
        const std::size_t size = bytes::be24(b, pos + 1);
        if (size > b.size() - pos - kBlockHeaderSize)
            return std::nullopt;
        blocks.push_back({pos, kBlockHeaderSize + size, head & 0x7F});
        pos += kBlockHeaderSize + size;
    }
    return blocks;
}

std::string blockHeader(int type, bool last, std::size_t size)
{
    std::string h(1, static_cast<char>(type | (last ? kLastBlock : 0)));
    bytes::appendBe(h, size, 3);
    return h;
}

} // namespace

Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value)
{
    const std::string_view b(bytes);
    const Failure unparsed{"the FLAC metadata blocks do not parse"};
    const std::optional<std::vector<Block>> blocks = readBlocks(b);
    if (!blocks)
        return unparsed;
    const Block* comment = nullptr;
    const Block* padding = nullptr;
    for (const Block& block : *blocks) {
        if (block.type == kVorbisComment && comment)
            return Failure{"the file holds two Vorbis comments"};
        if (block.type == kVorbisComment)
            comment = &block;
        else if (block.type == kPadding && !padding)
            padding = &block;
    }
    if (!comment)
        return std::optional<std::string>();
    const auto edited =
        editComment(b.substr(comment->at + kBlockHeaderSize, comment->size - kBlockHeaderSize), name, value);
    if (!edited)
        return unparsed;
    if (edited->size() > kMaxBlockSize)
        return Failure{"the Vorbis comment would grow too large"};
    // The padding gives or takes the change in size while it can.
    const long long growth =
        static_cast<long long>(edited->size()) - static_cast<long long>(comment->size - kBlockHeaderSize);
    const long long paddingLeft = padding ? static_cast<long long>(padding->size - kBlockHeaderSize) - growth : -1;
    const bool padded = paddingLeft >= 0 && paddingLeft <= static_cast<long long>(kMaxBlockSize);

    std::string out(b.substr(0, blocks->front().at));
    for (const Block& block : *blocks) {
        const bool last = &block == &blocks->back();
        if (&block == comment) {
            out += blockHeader(kVorbisComment, last, edited->size()) + *edited;
        } else if (&block == padding && padded) {
            out += blockHeader(kPadding, last, static_cast<std::size_t>(paddingLeft)) +
                std::string(static_cast<std::size_t>(paddingLeft), '\0');
        } else {
            out += b.substr(block.at, block.size);
        }
    }
    out += b.substr(blocks->back().at + blocks->back().size); // the audio frames
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::flac
