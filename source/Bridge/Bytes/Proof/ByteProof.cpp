#include "Bridge/Bytes/Proof/ByteProof.h"

#include <map>

#include "Bridge/Bytes/Proof/ByteProofParts.h"
#include "Platform/Text.h"

namespace yomi::bridge::folder {
namespace proof {

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

namespace {

// An item name for a reason: MP4 names start with the copyright sign as one
// Latin-1 byte; other bytes outside ASCII show as '?'.
std::string printable(std::string_view key)
{
    std::string out;
    for (const char c : key) {
        if (static_cast<unsigned char>(c) == 0xA9)
            out += "\u00A9";
        else
            out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
    }
    return out;
}

} // namespace

Status compareItems(const std::vector<Item>& before, const std::vector<Item>& after, const Written& written,
                    std::string_view what, bool newTag, bool textValue)
{
    std::map<std::string, std::vector<std::string_view>> was, is;
    for (const Item& item : before) {
        if (!written.contains(item.key))
            was[item.key].push_back(item.bytes);
    }
    for (const Item& item : after) {
        if (!written.contains(item.key))
            is[item.key].push_back(item.bytes);
    }
    for (const auto& [key, values] : was) {
        const auto it = is.find(key);
        if (it != is.end() && it->second == values)
            continue;
        if (textValue) {
            for (const std::string_view entry : values) {
                const auto eq = entry.find('=');
                if (eq == std::string_view::npos)
                    return Failure{"the file holds tags that cannot be rewritten safely: a " + std::string(what) +
                                   " entry has no name"};
                if (!isValidUtf8(entry.substr(eq + 1)))
                    return Failure{"the file holds tags that cannot be rewritten safely: " + printable(key) +
                                   " is not UTF-8"};
            }
        }
        return Failure{"the edit would change " + printable(key) + " in the " + std::string(what)};
    }
    if (!newTag) {
        for (const auto& [key, values] : is) {
            if (!was.contains(key))
                return Failure{"the edit would add " + printable(key) + " to the " + std::string(what)};
        }
    }
    return {};
}

// ID3v2 ---------------------------------------------------------------------

namespace {

using id3::kFrameHeaderSize;
using id3::synchsafe;

// The description of a TXXX frame, its ASCII letters upper-cased and any
// other character as '?'.
std::string userTextDescription(std::string_view payload)
{
    if (payload.empty())
        return {};
    const auto encoding = static_cast<unsigned char>(payload[0]);
    std::string out;
    if (encoding == 1 || encoding == 2) {
        std::size_t i = 1;
        bool little = false;
        if (payload.size() >= 3 && encoding == 1) {
            little = static_cast<unsigned char>(payload[1]) == 0xFF;
            i = 3;
        }
        for (; i + 1 < payload.size(); i += 2) {
            const auto unit = little ? bytes::readLe(payload, i, 2) : bytes::readBe(payload, i, 2);
            if (unit == 0)
                break;
            out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
    } else {
        for (std::size_t i = 1; i < payload.size() && payload[i] != '\0'; ++i)
            out.push_back(static_cast<unsigned char>(payload[i]) < 0x80 ? payload[i] : '?');
    }
    return upperAscii(out);
}

// The size of the terminator that ends the last string of a text frame
// ("T..." frames), which ID3v2 allows and TagLib drops: the same text either
// way.
std::size_t textTerminator(std::string_view id, std::string_view payload)
{
    if (payload.size() < 2 || id[0] != 'T')
        return 0;
    const auto encoding = static_cast<unsigned char>(payload[0]);
    if ((encoding == 0 || encoding == 3) && payload.back() == '\0')
        return 1;
    if ((encoding == 1 || encoding == 2) && payload.size() >= 3 && (payload.size() - 1) % 2 == 0 &&
        payload.ends_with(std::string_view("\0\0", 2)))
        return 2;
    return 0;
}

} // namespace

bool startsWithId3(std::string_view b) { return b.size() >= id3::kHeaderSize && b.substr(0, 3) == "ID3"; }

Status parseId3(std::string_view b, Id3Tag& tag)
{
    if (!startsWithId3(b))
        return Failure{"no ID3v2 tag"};
    tag.version = static_cast<unsigned char>(b[id3::kVersionAt]);
    if (tag.version != 3 && tag.version != 4)
        return Failure{"ID3v2." + std::to_string(tag.version) + " tags are not rewritten"};
    const auto flags = static_cast<unsigned char>(b[id3::kFlagsAt]);
    const std::size_t end = id3::kHeaderSize + synchsafe(b, id3::kSizeAt);
    tag.size = end + ((tag.version == 4 && (flags & id3::kFooter)) ? id3::kHeaderSize : 0);
    if (tag.size > b.size())
        return Failure{"the ID3v2 tag is longer than the file"};
    std::size_t pos = id3::kHeaderSize;
    if (flags & id3::kExtendedHeader) {
        // Its size: in v2.3 of what follows the size field (4, big-endian),
        // in v2.4 of the whole header (synchsafe).
        if (!fits(b, pos, 4))
            return Failure{"malformed ID3v2 extended header"};
        const std::size_t ext = tag.version == 3 ? 4 + std::size_t(be32(b, pos)) : synchsafe(b, pos);
        if (ext > end - pos)
            return Failure{"malformed ID3v2 extended header"};
        pos += ext;
    }
    while (pos + kFrameHeaderSize <= end && b[pos] != '\0') {
        if (tag.frames.size() >= kMaxItems)
            return Failure{"too many ID3v2 frames"};
        for (std::size_t i = 0; i < 4; ++i) {
            const char c = b[pos + i];
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                return Failure{"malformed ID3v2 frame"};
        }
        const std::size_t sizeAt = pos + id3::kFrameSizeAt;
        const std::size_t size = tag.version == 3 ? be32(b, sizeAt) : synchsafe(b, sizeAt);
        if (size > end - pos - kFrameHeaderSize)
            return Failure{"malformed ID3v2 frame size"};
        std::string key(b.substr(pos, 4));
        const std::string_view payload = b.substr(pos + kFrameHeaderSize, size);
        if (key == "TXXX")
            key += ":" + userTextDescription(payload);
        const std::size_t terminator = textTerminator(key, payload);
        // The item: the frame's flags and its payload.
        tag.frames.push_back({std::move(key), b.substr(pos + id3::kFrameFlagsAt, 2 + size - terminator)});
        pos += kFrameHeaderSize + size;
    }
    // What follows the frames up to the tag's end is padding.
    return {};
}

Status compareId3(const Id3Tag& before, const Id3Tag& after, const Written& written, bool newTag)
{
    if (before.version == after.version || newTag)
        return compareItems(before.frames, after.frames, written, "ID3v2 tag", newTag);
    // Across versions the frame flags are laid out differently: only frames
    // without flags carry over, compared by their payload.
    auto payloads = [&](const Id3Tag& tag, std::vector<Item>& out) {
        for (const Item& frame : tag.frames) {
            if (!written.contains(frame.key) && (frame.bytes[0] != '\0' || frame.bytes[1] != '\0'))
                return false;
            out.push_back({frame.key, frame.bytes.substr(2)});
        }
        return true;
    };
    std::vector<Item> was, is;
    if (!payloads(before, was) || !payloads(after, is))
        return Failure{"the ID3v2 tag holds frame flags that cannot change version"};
    return compareItems(was, is, written, "ID3v2 tag");
}

} // namespace proof

namespace {

// The proof's own names of the items each text property is written to, in
// the order of Property, kept apart from the editors' names on purpose (see
// ByteProof.h). The ID3v2 frames (a user text frame by its description):
constexpr const char* kId3Items[kTextPropertyCount] = {
    "TPE1", "TSOP", "TALB", "TSOA", "TPE2", "TSO2", "TCOM", "TSOC", "TIT2", "TSOT", "TXXX:TVSHOW", "TXXX:SHOWSORT",
};
// The MP4 items (\251 is the copyright sign):
constexpr const char* kMp4Items[kTextPropertyCount] = {
    "\251ART", "soar", "\251alb", "soal", "aART", "soaa", "\251wrt", "soco", "\251nam", "sonm", "tvsh", "sosn",
};
// The Vorbis comment and APE fields:
constexpr const char* kVorbisItems[kTextPropertyCount] = {
    "ARTIST",   "ARTISTSORT",   "ALBUM", "ALBUMSORT", "ALBUMARTIST", "ALBUMARTISTSORT",
    "COMPOSER", "COMPOSERSORT", "TITLE", "TITLESORT", "TVSHOW",      "SHOWSORT",
};
// The ASF attributes, a content description field as "CD:<field>" ("" where
// ASF has none):
constexpr const char* kAsfItems[kTextPropertyCount] = {
    "CD:Author",
    "WM/ArtistSortOrder",
    "WM/AlbumTitle",
    "WM/AlbumSortOrder",
    "WM/AlbumArtist",
    "WM/AlbumArtistSortOrder",
    "WM/Composer",
    "",
    "CD:Title",
    "WM/TitleSortOrder",
    "",
    "",
};

// The older spellings a write may bring to its value as well: ID3v2 user
// text frames of older taggers and a Vorbis field, by property.
struct LegacyItems {
    Property property;
    const char* id3[2];
    const char* vorbis;
};
constexpr LegacyItems kLegacyItems[] = {
    {Property::SortArtist, {"TXXX:ARTISTSORT", nullptr}, nullptr},
    {Property::SortAlbum, {"TXXX:ALBUMSORT", nullptr}, nullptr},
    {Property::SortAlbumArtist, {"TXXX:ALBUMARTISTSORT", "TXXX:ALBUM ARTIST SORT"}, "ALBUM ARTIST SORT"},
    {Property::SortComposer, {"TXXX:COMPOSERSORT", nullptr}, nullptr},
    {Property::SortTitle, {"TXXX:TITLESORT", nullptr}, nullptr},
};

} // namespace

std::set<std::string> legacyItems(Format format, Property property)
{
    std::set<std::string> out;
    for (const LegacyItems& row : kLegacyItems) {
        if (row.property != property)
            continue;
        switch (format) {
        case Format::Mpeg:
        case Format::TrueAudio:
        case Format::Wav:
        case Format::Aiff:
            for (const char* item : row.id3)
                if (item)
                    out.insert(item);
            break;
        case Format::Flac:
        case Format::OggVorbis:
        case Format::OggAudio:
        case Format::Opus:
        case Format::Speex:
            if (row.vorbis)
                out.insert(row.vorbis);
            break;
        default:
            break;
        }
    }
    return out;
}

std::set<std::string> writtenItems(Format format, Property property)
{
    if (!isTextProperty(property))
        return {};
    const auto i = static_cast<std::size_t>(property);
    switch (format) {
    case Format::Mpeg:
    case Format::TrueAudio:
    case Format::Wav:
    case Format::Aiff:
        return {kId3Items[i]};
    case Format::Mp4:
        return {kMp4Items[i]};
    case Format::Flac:
    case Format::OggVorbis:
    case Format::OggAudio:
    case Format::Opus:
    case Format::Speex:
        return {kVorbisItems[i]};
    case Format::Ape:
    case Format::WavPack:
    case Format::Musepack:
        // TagLib writes an album artist to the "ALBUM ARTIST" item a file
        // already has.
        if (property == Property::AlbumArtist)
            return {kVorbisItems[i], "ALBUM ARTIST"};
        return {kVorbisItems[i]};
    case Format::Asf:
        if (*kAsfItems[i] == '\0')
            return {};
        return {kAsfItems[i]};
    default:
        return {}; // a module's title is checked by its place
    }
}

namespace {

using namespace proof;

// ID3v2.2 has other frame IDs and layouts, which TagLib converts as it
// writes v2.4: its frames are left to the check through TagLib's reading.
bool isId3v22(std::string_view b) { return startsWithId3(b) && b[id3::kVersionAt] == 2; }

std::size_t id3v22Size(std::string_view b) { return id3::kHeaderSize + synchsafe(b, id3::kSizeAt); }

// MP3, TrueAudio: an ID3v2 tag at the start; everything after it unchanged.
Status proveId3Prefix(std::string_view before, std::string_view after, const Written& written)
{
    Id3Tag was, is;
    const bool newTag = !startsWithId3(before);
    if (isId3v22(before)) {
        was.size = id3v22Size(before);
        if (was.size > before.size())
            return Failure{"the ID3v2 tag is longer than the file"};
    } else if (!newTag) {
        if (Status why = parseId3(before, was); !why)
            return why;
    }
    if (Status why = parseId3(after, is); !why)
        return Failure{"the edited file: " + why.reason()};
    if (before.substr(was.size) != after.substr(is.size))
        return kAudioChanged;
    if (isId3v22(before))
        return {};
    return compareId3(was, is, written, newTag);
}

// RIFF WAVE and AIFF: the ID3v2 chunk may change; every other chunk stays.
struct Chunks {
    std::vector<Item> others; // key: chunk ID
    std::string_view id3;
    bool hasId3 = false;
    std::string_view form, trailing;
};

Status parseChunks(std::string_view b, bool aiff, Chunks& out)
{
    const std::string_view magic = aiff ? "FORM" : "RIFF";
    if (b.size() < 12 || b.substr(0, 4) != magic)
        return Failure{"not a " + std::string(aiff ? "FORM" : "RIFF") + " file"};
    const std::size_t size = aiff ? be32(b, 4) : le32(b, 4);
    if (size < 4 || size > b.size() - 8)
        return Failure{"the chunk sizes do not fit the file"};
    const std::size_t end = 8 + size;
    out.form = b.substr(8, 4);
    out.trailing = b.substr(end);
    std::size_t pos = 12;
    while (pos < end) {
        if (end - pos < 8 || out.others.size() >= kMaxItems)
            return Failure{"the chunk sizes do not fit the file"};
        const std::size_t n = aiff ? be32(b, pos + 4) : le32(b, pos + 4);
        if (n > end - pos - 8)
            return Failure{"the chunk sizes do not fit the file"};
        const std::string_view id = b.substr(pos, 4);
        const std::string_view data = b.substr(pos + 8, n);
        if (id == "ID3 " || id == "id3 ") {
            if (out.hasId3)
                return Failure{"the file holds two ID3v2 chunks"};
            out.hasId3 = true;
            out.id3 = data;
        } else {
            out.others.push_back({std::string(id), data});
        }
        // The pad byte of an odd-sized chunk may be missing at the end.
        pos += 8 + n + (n & 1);
    }
    return {};
}

Status proveChunks(std::string_view before, std::string_view after, bool aiff, const Written& written)
{
    Chunks was, is;
    const auto parse = [aiff](std::string_view b, Chunks& out) { return parseChunks(b, aiff, out); };
    if (Status parsed = parseBoth(before, after, was, is, parse); !parsed)
        return parsed;
    if (was.form != is.form || was.trailing != is.trailing || was.others.size() != is.others.size())
        return kAudioChanged;
    for (std::size_t i = 0; i < was.others.size(); ++i) {
        if (was.others[i].key != is.others[i].key || was.others[i].bytes != is.others[i].bytes)
            return Failure{"the edit would change the " + was.others[i].key + " chunk"};
    }
    if (!is.hasId3)
        return Failure{"the edited file has no ID3v2 chunk"};
    Id3Tag tagWas, tagIs;
    if (was.hasId3 && isId3v22(was.id3))
        return parseId3(is.id3, tagIs);
    if (was.hasId3) {
        if (Status why = parseId3(was.id3, tagWas); !why)
            return why;
    }
    if (Status why = parseId3(is.id3, tagIs); !why)
        return Failure{"the edited file: " + why.reason()};
    return compareId3(tagWas, tagIs, written, !was.hasId3);
}

// Monkey's Audio, WavPack, Musepack: an APE tag at the end, before an
// optional ID3v1 tag; everything before it unchanged.
struct ApeTail {
    std::string_view audio, id3v1;
    std::vector<Item> items; // key: upper-cased name; bytes: flags and value
    std::vector<std::string_view> flags;
    bool hasTag = false;
};

constexpr std::size_t kApeFooter = 32;

Status parseApeTail(std::string_view b, ApeTail& out)
{
    std::size_t end = b.size();
    if (end >= 128 && b.substr(end - 128, 3) == "TAG") {
        out.id3v1 = b.substr(end - 128);
        end -= 128;
    }
    out.audio = b.substr(0, end);
    if (end < kApeFooter || b.substr(end - kApeFooter, 8) != "APETAGEX")
        return {};
    out.hasTag = true;
    const std::size_t footer = end - kApeFooter;
    const std::size_t size = le32(b, footer + 12);
    const std::size_t count = le32(b, footer + 16);
    const bool header = (le32(b, footer + 20) & 0x80000000U) != 0;
    if (size < kApeFooter || size > end || (header && size + kApeFooter > end))
        return Failure{"the APE tag is longer than the file"};
    std::size_t pos = end - size;
    out.audio = b.substr(0, pos - (header ? kApeFooter : 0));
    if (count > kMaxItems)
        return Failure{"malformed APE tag"};
    for (std::size_t i = 0; i < count; ++i) {
        if (footer - pos < 9)
            return Failure{"malformed APE item"};
        const std::size_t valueSize = le32(b, pos);
        const std::size_t keyEnd = b.find('\0', pos + 8);
        if (keyEnd == std::string_view::npos || keyEnd >= footer || valueSize > footer - keyEnd - 1)
            return Failure{"malformed APE item"};
        const std::string key = upperAscii(b.substr(pos + 8, keyEnd - pos - 8));
        out.items.push_back({key, b.substr(keyEnd + 1, valueSize)});
        out.flags.push_back(b.substr(pos + 4, 4));
        pos = keyEnd + 1 + valueSize;
    }
    return {};
}

Status proveApeTail(std::string_view before, std::string_view after, const Written& written)
{
    ApeTail was, is;
    if (Status parsed = parseWithTheSameAudio(before, after, was, is, parseApeTail, &ApeTail::audio); !parsed)
        return parsed;
    if (was.id3v1 != is.id3v1)
        return Failure{"the edit would change the ID3v1 tag"};
    // Item flags ride with the value: the same name must keep both.
    std::vector<std::string> wasFull, isFull;
    auto withFlags = [](const ApeTail& t, std::vector<std::string>& storage) {
        std::vector<Item> items;
        storage.reserve(t.items.size());
        for (std::size_t i = 0; i < t.items.size(); ++i) {
            storage.push_back(std::string(t.flags[i]) + std::string(t.items[i].bytes));
            items.push_back({t.items[i].key, storage.back()});
        }
        return items;
    };
    const auto wasItems = withFlags(was, wasFull);
    const auto isItems = withFlags(is, isFull);
    return compareItems(wasItems, isItems, written, "APE tag", !was.hasTag);
}

// ASF: the header object's child objects; the content description fields
// and extended content descriptors may change, nothing else.
struct AsfLayout {
    std::vector<std::string_view> objects; // every other header object, whole
    std::vector<Item> items;
    bool hasContent = false, hasExtended = false;
    std::string_view reserved, rest;
};

std::string asfName(std::string_view utf16)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        const unsigned unit = le16(utf16, i);
        if (unit == 0)
            break;
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return out;
}

// The content description's strings, keyed "CD:<field>".
Status parseAsfContent(std::string_view object, AsfLayout& out)
{
    if (out.hasContent || object.size() < asf::kContentStringsAt)
        return Failure{"malformed ASF content description"};
    out.hasContent = true;
    std::size_t at = asf::kContentStringsAt;
    for (std::size_t f = 0; f < asf::kContentFields; ++f) {
        const std::size_t len = le16(object, asf::kObjectHeaderSize + 2 * f); // the field's length
        if (!fits(object, at, len))
            return Failure{"malformed ASF content description"};
        // An empty field is no field; an empty string is one.
        if (len > 0)
            out.items.push_back({"CD:" + std::string(asf::kContentFieldNames[f]), object.substr(at, len)});
        at += len;
    }
    return {};
}

// The extended content description's descriptors, keyed by name; the item
// is the value's type, length and bytes.
Status parseAsfExtended(std::string_view object, AsfLayout& out)
{
    const Failure bad{"malformed ASF extended content description"};
    if (out.hasExtended || object.size() < asf::kDescriptorsAt)
        return bad;
    out.hasExtended = true;
    const std::size_t descriptors = le16(object, asf::kObjectHeaderSize);
    std::size_t at = asf::kDescriptorsAt;
    for (std::size_t d = 0; d < descriptors; ++d) {
        // Name length (2), name, value type (2), value length (2), value.
        if (!fits(object, at, 2) || !fits(object, at + 2, le16(object, at)))
            return bad;
        const std::size_t nameLen = le16(object, at);
        const std::string name = asfName(object.substr(at + 2, nameLen));
        const std::size_t valueAt = at + 2 + nameLen;
        if (!fits(object, valueAt, 4) || !fits(object, valueAt + 4, le16(object, valueAt + 2)))
            return bad;
        const std::size_t valueEnd = valueAt + 4 + le16(object, valueAt + 2);
        out.items.push_back({name, object.substr(valueAt, valueEnd - valueAt)});
        at = valueEnd;
    }
    return {};
}

Status parseAsf(std::string_view b, AsfLayout& out)
{
    const Failure bad{"the ASF header object does not fit its objects"};
    if (b.size() < asf::kHeaderObjectSize || b.substr(0, asf::kGuidSize) != asf::kHeaderGuid)
        return Failure{"not an ASF file"};
    const std::uint64_t size = le64(b, asf::kObjectSizeAt);
    const std::size_t count = le32(b, asf::kHeaderCountAt);
    if (size < asf::kHeaderObjectSize || size > b.size() || count > kMaxItems)
        return bad;
    out.reserved = b.substr(asf::kHeaderReservedAt, 2);
    out.rest = b.substr(size);
    if (!fits(b, size, asf::kGuidSize) || b.substr(size, asf::kGuidSize) != asf::kDataGuid)
        return bad;
    std::size_t pos = asf::kHeaderObjectSize;
    std::size_t n = 0;
    for (; pos < size; ++n) {
        if (size - pos < asf::kObjectHeaderSize || n >= count)
            return bad;
        const std::uint64_t objSize = le64(b, pos + asf::kObjectSizeAt);
        if (objSize < asf::kObjectHeaderSize || objSize > size - pos)
            return bad;
        const std::string_view object = b.substr(pos, objSize);
        const std::string_view id = object.substr(0, asf::kGuidSize);
        Status why;
        if (id == asf::kContentDescriptionGuid)
            why = parseAsfContent(object, out);
        else if (id == asf::kExtendedContentDescriptionGuid)
            why = parseAsfExtended(object, out);
        else
            out.objects.push_back(object);
        if (!why)
            return why;
        pos += objSize;
    }
    if (n != count)
        return bad;
    return {};
}

Status proveAsf(std::string_view before, std::string_view after, const Written& written)
{
    AsfLayout was, is;
    if (Status parsed = parseWithTheSameAudio(before, after, was, is, parseAsf, &AsfLayout::rest); !parsed)
        return parsed;
    if (was.objects != is.objects || was.reserved != is.reserved)
        return Failure{"the edit would change an ASF header object"};
    return compareItems(was.items, is.items, written, "ASF tag");
}

// Tracker modules: the same size, and only the title field may differ.
Status proveModule(Format format, std::string_view before, std::string_view after)
{
    if (before.size() != after.size())
        return Failure{"the edit would change the module's size"};
    std::size_t from = 0, to = 20;
    if (format == Format::S3m)
        to = 28;
    else if (format == Format::It)
        from = 4, to = 30;
    else if (format == Format::Xm)
        from = 17, to = 37;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i] && (i < from || i >= to))
            return Failure{"the edit would change more than the module's title"};
    }
    return {};
}

} // namespace

Status proveEdit(Format format, std::string_view before, std::string_view after, Property written, bool legacyToo)
{
    if (!isTextProperty(written))
        return Failure{"cannot write this property"};
    Written items = writtenItems(format, written);
    if (legacyToo)
        items.merge(legacyItems(format, written));
    switch (format) {
    case Format::Mpeg:
        // An MP3 whose only tag is APE is written in that tag and gets no
        // ID3v2 tag: everything before the APE tag stays.
        if (!startsWithId3(before)) {
            ApeTail tail;
            if (parseApeTail(before, tail) && tail.hasTag)
                return proveApeTail(before, after, writtenItems(Format::Ape, written));
        }
        return proveId3Prefix(before, after, items);
    case Format::TrueAudio:
        return proveId3Prefix(before, after, items);
    case Format::Wav:
    case Format::Aiff:
        return proveChunks(before, after, format == Format::Aiff, items);
    case Format::Flac:
    case Format::OggVorbis:
    case Format::OggAudio:
    case Format::Opus:
    case Format::Speex:
        return proveXiph(format, before, after, items);
    case Format::Mp4:
        return proveMp4(before, after, items);
    case Format::Ape:
    case Format::WavPack:
    case Format::Musepack:
        return proveApeTail(before, after, items);
    case Format::Asf:
        return proveAsf(before, after, items);
    case Format::Mod:
    case Format::S3m:
    case Format::It:
    case Format::Xm:
        return proveModule(format, before, after);
    }
    return Failure{"unknown format"};
}

} // namespace yomi::bridge::folder
