#include "Bridge/Bytes/FlacEdit.h"

#include <cstdint>
#include <vector>

namespace yomi::bridge::folder::flac {
namespace {

constexpr std::size_t kMaxBlock = (1U << 24) - 1;

std::uint32_t le32(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

void putLe32(std::string& out, std::size_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

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
    putLe32(out, entries.size() + (replaced ? 0 : 1));
    for (const std::string_view entry : entries) {
        if (entry.data() == nullptr) {
            // Keeps the spelling of the name it replaces.
            putLe32(out, fresh.size());
            out += fresh;
        } else {
            putLe32(out, entry.size());
            out += entry;
        }
    }
    if (!replaced) {
        putLe32(out, fresh.size());
        out += fresh;
    }
    out += b.substr(pos); // whatever follows the entries stays
    return out;
}

Result<std::optional<std::string>> setField(const std::string& bytes, std::string_view name, std::string_view value)
{
    const std::string_view b(bytes);
    const Failure unparsed{"the FLAC metadata blocks do not parse"};
    std::size_t pos = 0;
    if (b.size() >= 10 && b.substr(0, 3) == "ID3") {
        std::size_t size = 0;
        for (std::size_t i = 6; i < 10; ++i)
            size = (size << 7) | (static_cast<unsigned char>(b[i]) & 0x7F);
        pos = 10 + size + ((b[5] & 0x10) ? 10 : 0);
    }
    if (pos > b.size() || b.size() - pos < 4 || b.substr(pos, 4) != "fLaC")
        return unparsed;
    pos += 4;
    std::vector<Block> blocks;
    for (bool last = false; !last;) {
        if (b.size() - pos < 4 || blocks.size() > 100000)
            return unparsed;
        last = (static_cast<unsigned char>(b[pos]) & 0x80) != 0;
        const std::size_t size = (std::size_t(static_cast<unsigned char>(b[pos + 1])) << 16) |
            (std::size_t(static_cast<unsigned char>(b[pos + 2])) << 8) | static_cast<unsigned char>(b[pos + 3]);
        if (size > b.size() - pos - 4)
            return unparsed;
        blocks.push_back({pos, 4 + size, static_cast<unsigned char>(b[pos]) & 0x7F});
        pos += 4 + size;
    }
    const std::size_t metaEnd = pos;
    const Block* comment = nullptr;
    const Block* padding = nullptr;
    for (const Block& block : blocks) {
        if (block.type == 4 && comment)
            return Failure{"the file holds two Vorbis comments"};
        if (block.type == 4)
            comment = &block;
        else if (block.type == 1 && !padding)
            padding = &block;
    }
    if (!comment)
        return std::optional<std::string>();
    const auto edited = editComment(b.substr(comment->at + 4, comment->size - 4), name, value);
    if (!edited)
        return unparsed;
    if (edited->size() > kMaxBlock)
        return Failure{"the Vorbis comment would grow too large"};
    const long long growth = static_cast<long long>(edited->size()) - static_cast<long long>(comment->size - 4);
    const bool padded = padding && static_cast<long long>(padding->size - 4) - growth >= 0 &&
        static_cast<long long>(padding->size - 4) - growth <= static_cast<long long>(kMaxBlock);

    auto header = [](int type, bool last, std::size_t size) {
        std::string h(4, '\0');
        h[0] = static_cast<char>(type | (last ? 0x80 : 0));
        h[1] = static_cast<char>((size >> 16) & 0xFF);
        h[2] = static_cast<char>((size >> 8) & 0xFF);
        h[3] = static_cast<char>(size & 0xFF);
        return h;
    };
    std::string out(b.substr(0, blocks.front().at));
    for (const Block& block : blocks) {
        const bool last = &block == &blocks.back();
        if (&block == comment) {
            out += header(4, last, edited->size()) + *edited;
        } else if (&block == padding && padded) {
            const std::size_t size = static_cast<std::size_t>(static_cast<long long>(block.size - 4) - growth);
            out += header(1, last, size) + std::string(size, '\0');
        } else {
            out += b.substr(block.at, block.size);
        }
    }
    out += b.substr(metaEnd);
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::flac
