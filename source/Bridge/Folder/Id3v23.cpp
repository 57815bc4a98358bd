#include "Bridge/Folder/Id3v23.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <memory>

namespace yomi::bridge::folder::id3v23 {
namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kPadding = 1024;
constexpr std::size_t kMaxTagSize = (1U << 28) - 1; // 28-bit synchsafe size

constexpr const char* kFrameIds[kTextPropertyCount] = {
    "TPE1", "TSOP", "TALB", "TSOA", "TPE2", "TSO2", "TCOM", "TSOC", "TIT2", "TSOT", "TXXX", "TXXX",
};

std::uint32_t bigEndian(const std::string& b, std::size_t at)
{
    return (std::uint32_t(static_cast<unsigned char>(b[at])) << 24) |
           (std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 16) |
           (std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 8) |
           std::uint32_t(static_cast<unsigned char>(b[at + 3]));
}

std::uint32_t synchsafe(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 7) | (static_cast<unsigned char>(b[at + i]) & 0x7F);
    return v;
}

bool validId(const std::string& b, std::size_t at)
{
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = b[at + i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

struct FrameSpan {
    std::size_t begin;
    std::size_t size; // header included
};

} // namespace

bool startsWithTag(const std::string& bytes)
{
    return bytes.size() >= kHeaderSize && bytes.compare(0, 3, "ID3") == 0 && (bytes[3] == 3 || bytes[3] == 4);
}

std::optional<std::string> setText(const std::string& bytes, Property property, const TagLib::String& value,
                                   std::string& why)
{
    if (!startsWithTag(bytes) || !isTextProperty(property)) {
        why = "not an ID3v2.3 or v2.4 tag";
        return std::nullopt;
    }
    const int version = bytes[3];
    const std::string name = "ID3v2." + std::to_string(version);
    const auto flags = static_cast<unsigned char>(bytes[5]);
    if (flags & 0x80) {
        why = "unsynchronised " + name + " tags are not written";
        return std::nullopt;
    }
    if (flags & 0x40) {
        why = name + " tags with an extended header are not written";
        return std::nullopt;
    }
    if (flags & 0x10) {
        why = name + " tags with a footer are not written";
        return std::nullopt;
    }
    const std::size_t tagSize = synchsafe(bytes, 6);
    const std::size_t tagEnd = kHeaderSize + tagSize;
    if (tagEnd > bytes.size()) {
        why = "the " + name + " tag is longer than the file";
        return std::nullopt;
    }

    const bool userText = property == Property::Show || property == Property::SortShow;
    const TagLib::ByteVector id(kFrameIds[static_cast<int>(property)]);
    const TagLib::String description(std::string(propertyName(property)));
    TagLib::ID3v2::Header tagHeader;
    tagHeader.setMajorVersion(static_cast<unsigned int>(version));

    std::optional<FrameSpan> target;
    std::size_t pos = kHeaderSize;
    while (pos + kHeaderSize <= tagEnd && bytes[pos] != '\0') {
        if (!validId(bytes, pos)) {
            why = "malformed " + name + " frame";
            return std::nullopt;
        }
        const std::size_t size = kHeaderSize + (version == 4 ? synchsafe(bytes, pos + 4) : bigEndian(bytes, pos + 4));
        if (size > tagEnd - pos) {
            why = "malformed " + name + " frame size";
            return std::nullopt;
        }
        if (!target && bytes.compare(pos, 4, id.data(), 4) == 0) {
            bool match = true;
            if (userText) {
                const TagLib::ByteVector data(bytes.data() + pos, static_cast<unsigned int>(size));
                std::unique_ptr<TagLib::ID3v2::Frame> frame(
                    TagLib::ID3v2::FrameFactory::instance()->createFrame(data, &tagHeader));
                const auto* user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame.get());
                match = user && user->description() == description;
            }
            if (match)
                target = FrameSpan{pos, size};
        }
        pos += size;
    }
    const std::size_t framesEnd = pos;

    // Frames are rendered by TagLib as v2.4, whose 10-byte frame header
    // differs from v2.3 only in the size encoding; the fields (Latin-1 or
    // UTF-16 with BOM, both valid in v2.3) are taken as they are.
    const TagLib::String::Type encoding = value.isLatin1() ? TagLib::String::Latin1 : TagLib::String::UTF16;
    TagLib::ByteVector rendered;
    if (userText) {
        TagLib::ID3v2::UserTextIdentificationFrame frame(description, TagLib::StringList(value), encoding);
        rendered = frame.render();
    } else {
        TagLib::ID3v2::TextIdentificationFrame frame(id, encoding);
        frame.setText(value);
        rendered = frame.render();
    }
    if (rendered.size() < kHeaderSize) {
        why = "cannot render the frame";
        return std::nullopt;
    }
    const TagLib::ByteVector fields = rendered.mid(kHeaderSize);
    std::string newFrame(id.data(), 4);
    if (version == 4) {
        if (fields.size() > kMaxTagSize) {
            why = "the frame would be too large";
            return std::nullopt;
        }
        for (int shift = 21; shift >= 0; shift -= 7)
            newFrame.push_back(static_cast<char>((fields.size() >> shift) & 0x7F));
    } else {
        const TagLib::ByteVector size = TagLib::ByteVector::fromUInt(fields.size(), true);
        newFrame.append(size.data(), 4);
    }
    newFrame.append(2, '\0');
    newFrame.append(fields.data(), fields.size());

    std::string frames;
    frames.reserve(framesEnd - kHeaderSize + newFrame.size());
    if (target) {
        frames.append(bytes, kHeaderSize, target->begin - kHeaderSize);
        frames.append(newFrame);
        frames.append(bytes, target->begin + target->size, framesEnd - target->begin - target->size);
    } else {
        frames.append(bytes, kHeaderSize, framesEnd - kHeaderSize);
        frames.append(newFrame);
    }

    std::size_t newTagSize = tagSize;
    if (frames.size() > tagSize)
        newTagSize = frames.size() + kPadding;
    if (newTagSize > kMaxTagSize) {
        why = "the " + name + " tag would grow too large";
        return std::nullopt;
    }

    std::string out;
    out.reserve(kHeaderSize + newTagSize + bytes.size() - tagEnd);
    out.append(bytes, 0, 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((newTagSize >> shift) & 0x7F));
    out.append(frames);
    out.append(newTagSize - frames.size(), '\0');
    out.append(bytes, tagEnd, std::string::npos);
    return out;
}

std::optional<std::string> setTextInChunk(const std::string& bytes, bool aiff, Property property,
                                          const TagLib::String& value, std::string& why)
{
    why.clear();
    if (bytes.size() < 12 || bytes.compare(0, 4, aiff ? "FORM" : "RIFF") != 0)
        return std::nullopt;
    auto read32 = [&](std::size_t at) {
        if (aiff)
            return bigEndian(bytes, at);
        return (std::uint32_t(static_cast<unsigned char>(bytes[at + 3])) << 24) |
               (std::uint32_t(static_cast<unsigned char>(bytes[at + 2])) << 16) |
               (std::uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 8) |
               std::uint32_t(static_cast<unsigned char>(bytes[at]));
    };
    auto put32 = [&](std::string& out, std::size_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((v >> (aiff ? 24 - 8 * i : 8 * i)) & 0xFF));
    };
    const std::size_t end = 8 + std::size_t(read32(4));
    if (end < 12 || end > bytes.size()) {
        why = "the chunk sizes do not fit the file";
        return std::nullopt;
    }
    std::optional<FrameSpan> chunk;
    for (std::size_t pos = 12; pos < end;) {
        if (end - pos < 8 || read32(pos + 4) > end - pos - 8) {
            why = "the chunk sizes do not fit the file";
            return std::nullopt;
        }
        const std::size_t n = read32(pos + 4);
        if (bytes.compare(pos, 4, "ID3 ") == 0 || bytes.compare(pos, 4, "id3 ") == 0) {
            if (chunk) {
                why = "the file holds two ID3v2 chunks";
                return std::nullopt;
            }
            chunk = FrameSpan{pos, n};
        }
        pos += 8 + n + (n & 1);
    }
    if (!chunk)
        return std::nullopt;
    const std::string tag = bytes.substr(chunk->begin + 8, chunk->size);
    if (!startsWithTag(tag))
        return std::nullopt;
    const std::optional<std::string> edited = setText(tag, property, value, why);
    if (!edited)
        return std::nullopt;
    // The pad byte of an odd-sized chunk may be missing at the end.
    const std::size_t oldEnd = std::min(end, chunk->begin + 8 + chunk->size + (chunk->size & 1));
    const std::size_t newEnd = end - (oldEnd - chunk->begin) + 8 + edited->size() + (edited->size() & 1);
    if (newEnd - 8 > 0xFFFFFFFFU) {
        why = "the file would grow too large";
        return std::nullopt;
    }
    std::string out = bytes.substr(0, 4);
    put32(out, newEnd - 8);
    out.append(bytes, 8, chunk->begin + 4 - 8);
    put32(out, edited->size());
    out += *edited;
    if (edited->size() & 1)
        out.push_back('\0');
    out.append(bytes, oldEnd, std::string::npos);
    return out;
}

} // namespace yomi::bridge::folder::id3v23
