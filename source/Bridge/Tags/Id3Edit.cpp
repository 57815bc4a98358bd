#include "Bridge/Tags/Id3Edit.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "Bridge/Bytes/Containers.h"

namespace yomi::bridge::folder::id3 {
namespace {

using bytes::be32;
using bytes::le32;

constexpr std::size_t kPadding = 1024;

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

// The header of a tag this code edits.
struct TagHeader {
    int version;
    std::string name; // "ID3v2.3" or "ID3v2.4"
    std::size_t size; // of the frames and padding
    std::size_t end() const { return kHeaderSize + size; }
};

Result<TagHeader> readHeader(const std::string& bytes)
{
    TagHeader h{bytes[kVersionAt], "ID3v2." + std::to_string(bytes[kVersionAt]), synchsafe(bytes, kSizeAt)};
    const auto flags = static_cast<unsigned char>(bytes[kFlagsAt]);
    if (flags & kUnsynchronised)
        return Failure{"unsynchronised " + h.name + " tags are not written"};
    if (flags & kExtendedHeader)
        return Failure{h.name + " tags with an extended header are not written"};
    if (flags & kFooter)
        return Failure{h.name + " tags with a footer are not written"};
    if (h.end() > bytes.size())
        return Failure{"the " + h.name + " tag is longer than the file"};
    return h;
}

bool isUserText(Property property) { return property == Property::Show || property == Property::SortShow; }

// The description of the user text frame at `span`; nullopt for another
// frame.
std::optional<TagLib::String> descriptionAt(const std::string& bytes, FrameSpan span, const TagHeader& h)
{
    TagLib::ID3v2::Header tagHeader;
    tagHeader.setMajorVersion(static_cast<unsigned int>(h.version));
    const TagLib::ByteVector data(bytes.data() + span.begin, static_cast<unsigned int>(span.size));
    std::unique_ptr<TagLib::ID3v2::Frame> frame(TagLib::ID3v2::FrameFactory::instance()->createFrame(data, &tagHeader));
    const auto* user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame.get());
    if (!user)
        return std::nullopt;
    return user->description();
}

// Whether the frame at `span` is the user text frame of `description`.
bool describes(const std::string& bytes, FrameSpan span, const TagHeader& h, const TagLib::String& description)
{
    return descriptionAt(bytes, span, h) == description;
}

// An older tagger's user text frame of the property: where, and its
// description as the file spells it.
struct LegacyFrame {
    FrameSpan span;
    TagLib::String description;
};

// Where the frames end (at the padding), the first frame of the property and,
// when asked, its older spellings.
struct FrameScan {
    std::size_t framesEnd;
    std::optional<FrameSpan> target;
    std::vector<LegacyFrame> legacy;
};

// The older spelling of the property the frame at `span` is, if any.
std::optional<LegacyFrame> legacyAt(const std::string& bytes, FrameSpan span, const TagHeader& h, Property property)
{
    const auto names = id3LegacyDescriptions(property);
    if (names.empty() || bytes.compare(span.begin, 4, "TXXX") != 0)
        return std::nullopt;
    const std::optional<TagLib::String> description = descriptionAt(bytes, span, h);
    if (!description || std::find(names.begin(), names.end(), description->upper().to8Bit(true)) == names.end())
        return std::nullopt;
    return LegacyFrame{span, *description};
}

Result<FrameScan> scanFrames(const std::string& bytes, const TagHeader& h, Property property, bool legacyToo)
{
    const std::string_view id = id3FrameId(property);
    const TagLib::String description(std::string(propertyName(property)));
    FrameScan scan{kHeaderSize, std::nullopt, {}};
    std::size_t& pos = scan.framesEnd;
    while (pos + kFrameHeaderSize <= h.end() && bytes[pos] != '\0') {
        if (!validId(bytes, pos))
            return Failure{"malformed " + h.name + " frame"};
        const std::size_t size = kFrameHeaderSize +
            (h.version == 4 ? synchsafe(bytes, pos + kFrameSizeAt) : be32(bytes, pos + kFrameSizeAt));
        if (size > h.end() - pos)
            return Failure{"malformed " + h.name + " frame size"};
        const FrameSpan span{pos, size};
        if (!scan.target && bytes.compare(pos, 4, id) == 0 &&
            (!isUserText(property) || describes(bytes, span, h, description)))
            scan.target = span;
        else if (legacyToo)
            if (std::optional<LegacyFrame> legacy = legacyAt(bytes, span, h, property))
                scan.legacy.push_back(std::move(*legacy));
        pos += size;
    }
    return scan;
}

// The frame, header included, as the tag's version writes it. Frames are
// rendered by TagLib as v2.4, whose 10-byte frame header differs from v2.3
// only in the size encoding; the fields (Latin-1 or UTF-16 with BOM, both
// valid in v2.3) are taken as they are.
Result<std::string> renderFrame(Property property, const TagLib::String& value, int version,
                                const std::optional<TagLib::String>& legacyDescription = std::nullopt)
{
    const TagLib::ByteVector id(legacyDescription ? "TXXX" : id3FrameId(property).data(), 4);
    const bool latin1 = value.isLatin1() && (!legacyDescription || legacyDescription->isLatin1());
    const TagLib::String::Type encoding = latin1 ? TagLib::String::Latin1 : TagLib::String::UTF16;
    TagLib::ByteVector rendered;
    if (isUserText(property) || legacyDescription) {
        const TagLib::String description =
            legacyDescription ? *legacyDescription : TagLib::String(std::string(propertyName(property)));
        TagLib::ID3v2::UserTextIdentificationFrame frame(description, TagLib::StringList(value), encoding);
        rendered = frame.render();
    } else {
        TagLib::ID3v2::TextIdentificationFrame frame(id, encoding);
        frame.setText(value);
        rendered = frame.render();
    }
    if (rendered.size() < kFrameHeaderSize)
        return Failure{"cannot render the frame"};
    const TagLib::ByteVector fields = rendered.mid(kFrameHeaderSize);
    std::string out(id.data(), 4); // the frame ID, then its size
    if (version == 4) {
        if (fields.size() > kMaxSynchsafe)
            return Failure{"the frame would be too large"};
        appendSynchsafe(out, fields.size());
    } else {
        bytes::appendBe(out, fields.size(), 4);
    }
    out.append(2, '\0'); // no frame flags
    out.append(fields.data(), fields.size());
    return out;
}

// A frame's bytes put in the place of another.
struct Replacement {
    FrameSpan span;
    std::string frame;
};

// The frames of the tag with each replacement made (in the order of the
// frames) and `added`, if any, after the last one.
std::string replaceFrames(const std::string& bytes, std::size_t framesEnd, std::vector<Replacement> replacements,
                          const std::string& added)
{
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.span.begin < b.span.begin; });
    std::string frames;
    frames.reserve(framesEnd - kHeaderSize + added.size());
    std::size_t at = kHeaderSize;
    for (const Replacement& r : replacements) {
        frames.append(bytes, at, r.span.begin - at);
        frames.append(r.frame);
        at = r.span.begin + r.span.size;
    }
    frames.append(bytes, at, framesEnd - at);
    frames.append(added);
    return frames;
}

// The file with the tag's frames replaced: the size is kept while they fit.
Result<std::string> withFrames(const std::string& bytes, const TagHeader& h, const std::string& frames)
{
    const std::size_t newTagSize = frames.size() > h.size ? frames.size() + kPadding : h.size;
    if (newTagSize > kMaxSynchsafe)
        return Failure{"the " + h.name + " tag would grow too large"};
    std::string out;
    out.reserve(kHeaderSize + newTagSize + bytes.size() - h.end());
    out.append(bytes, 0, kSizeAt); // "ID3", version, revision, flags
    appendSynchsafe(out, newTagSize);
    out.append(frames);
    out.append(newTagSize - frames.size(), '\0');
    out.append(bytes, h.end(), std::string::npos);
    return out;
}

} // namespace

bool startsWithTag(const std::string& bytes)
{
    return bytes.size() >= kHeaderSize && bytes.compare(0, 3, "ID3") == 0 &&
        (bytes[kVersionAt] == 3 || bytes[kVersionAt] == 4);
}

Result<std::string> setText(const std::string& bytes, Property property, const TagLib::String& value, bool legacyToo)
{
    if (!startsWithTag(bytes) || !isTextProperty(property))
        return Failure{"not an ID3v2.3 or v2.4 tag"};
    const Result<TagHeader> header = readHeader(bytes);
    if (!header)
        return header.failure();
    const Result<FrameScan> scan = scanFrames(bytes, *header, property, legacyToo);
    if (!scan)
        return scan.failure();
    const Result<std::string> frame = renderFrame(property, value, header->version);
    if (!frame)
        return frame;
    std::vector<Replacement> replacements;
    if (scan->target)
        replacements.push_back(Replacement{*scan->target, *frame});
    for (const LegacyFrame& legacy : scan->legacy) {
        Result<std::string> rendered = renderFrame(property, value, header->version, legacy.description);
        if (!rendered)
            return rendered;
        replacements.push_back(Replacement{legacy.span, std::move(*rendered)});
    }
    return withFrames(bytes, *header,
                      replaceFrames(bytes, scan->framesEnd, std::move(replacements), scan->target ? "" : *frame));
}

Result<std::optional<std::string>> setTextInChunk(const std::string& bytes, bool aiff, Property property,
                                                  const TagLib::String& value, bool legacyToo)
{
    using riff::kChunkHeaderSize;
    using riff::kChunkSizeAt;
    if (bytes.size() < riff::kFirstChunkAt || bytes.compare(0, 4, aiff ? "FORM" : "RIFF") != 0)
        return std::optional<std::string>();
    auto read32 = [&](std::size_t at) { return aiff ? be32(bytes, at) : le32(bytes, at); };
    auto put32 = [&](std::string& out, std::size_t v) {
        if (aiff)
            bytes::appendBe(out, v, 4);
        else
            bytes::appendLe(out, v, 4);
    };
    const std::size_t end = kChunkHeaderSize + std::size_t(read32(kChunkSizeAt));
    if (end < riff::kFirstChunkAt || end > bytes.size())
        return Failure{"the chunk sizes do not fit the file"};
    std::optional<FrameSpan> chunk; // the ID3v2 chunk: where it starts, the size of its data
    for (std::size_t pos = riff::kFirstChunkAt; pos < end;) {
        if (end - pos < kChunkHeaderSize || read32(pos + kChunkSizeAt) > end - pos - kChunkHeaderSize)
            return Failure{"the chunk sizes do not fit the file"};
        const std::size_t n = read32(pos + kChunkSizeAt);
        if (bytes.compare(pos, 4, "ID3 ") == 0 || bytes.compare(pos, 4, "id3 ") == 0) {
            if (chunk)
                return Failure{"the file holds two ID3v2 chunks"};
            chunk = FrameSpan{pos, n};
        }
        pos += kChunkHeaderSize + n + (n & 1);
    }
    if (!chunk)
        return std::optional<std::string>();
    const std::size_t data = chunk->begin + kChunkHeaderSize;
    const std::string tag = bytes.substr(data, chunk->size);
    if (!startsWithTag(tag))
        return std::optional<std::string>();
    const Result<std::string> edited = setText(tag, property, value, legacyToo);
    if (!edited)
        return edited.failure();
    // The pad byte of an odd-sized chunk may be missing at the end.
    const std::size_t oldEnd = std::min(end, data + chunk->size + (chunk->size & 1));
    const std::size_t newEnd = end - (oldEnd - chunk->begin) + kChunkHeaderSize + edited->size() + (edited->size() & 1);
    if (newEnd - kChunkHeaderSize > 0xFFFFFFFFU)
        return Failure{"the file would grow too large"};
    std::string out = bytes.substr(0, 4); // "RIFF" or "FORM"
    put32(out, newEnd - kChunkHeaderSize);
    out.append(bytes, kChunkHeaderSize, chunk->begin + 4 - kChunkHeaderSize); // up to the ID3 chunk's size
    put32(out, edited->size());
    out += *edited;
    if (edited->size() & 1)
        out.push_back('\0');
    out.append(bytes, oldEnd, std::string::npos);
    return std::optional<std::string>(std::move(out));
}

} // namespace yomi::bridge::folder::id3
