#include "Bridge/Bytes/Precheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "Bridge/Bytes/Containers.h"

namespace yomi::bridge::folder {
namespace {

using u64 = std::uint64_t;

// Thrown inside the walk; precheck() turns it into its answer.
struct Refused {
    std::string why;
};

[[noreturn]] void refuse(std::string why) { throw Refused{std::move(why)}; }

using bytes::be32;
using bytes::be64;
using bytes::le16;
using bytes::le32;
using bytes::le64;

unsigned byteAt(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// A 28-bit ID3v2 "synchsafe" integer; four plain bytes when any has its top
// bit set, as TagLib reads the frame sizes some taggers write.
std::uint32_t synchsafe(std::string_view s, std::size_t i)
{
    for (std::size_t k = 0; k < 4; ++k) {
        if (byteAt(s, i + k) & 0x80)
            return be32(s, i);
    }
    return id3::synchsafe(s, i);
}

// ID3v2 unsynchronisation undone: every 0xFF 0x00 becomes 0xFF.
std::string resynch(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        out.push_back(s[i]);
        if (byteAt(s, i) == 0xFF && i + 1 < s.size() && s[i + 1] == '\0')
            ++i;
    }
    return out;
}

class Walk {
public:
    explicit Walk(ByteSource& file) : file_(file), size_(file.size()), inflateBudget_(size_) {}

    void run(Format format);

private:
    // Exactly `n` bytes at `offset`; the caller has checked they lie in the file.
    std::string bytes(u64 offset, u64 n)
    {
        std::string out(static_cast<std::size_t>(n), '\0');
        if (n && file_.read(offset, out.data(), out.size()) != out.size())
            refuse("the file could not be read");
        return out;
    }
    // Up to `n` bytes at `offset` (fewer at the end of the file).
    std::string some(u64 offset, u64 n)
    {
        if (offset >= size_)
            return {};
        return bytes(offset, std::min(n, size_ - offset));
    }
    // The offset of the first `needle` at or after `from`; nullopt when none.
    std::optional<u64> find(std::string_view needle, u64 from);

    void counted()
    {
        if (++items_ > kMaxItems)
            refuse("the file holds too many boxes, frames or chunks");
    }

    void mpeg();
    std::optional<u64> mpegId3v2Offset();
    bool mpegFrameAt(u64 offset, std::uint32_t header);
    u64 id3v2At(u64 offset, u64 end, bool frames);
    void id3v2Frames(std::string_view data, int style, bool tagUnsynch, int depth);
    void id3v2Embedded(std::string_view body, bool chap, int style, bool tagUnsynch, int depth);
    std::string inflated(std::string_view compressed);
    void ape();
    void flac();
    void mp4();
    bool mp4MetaIsBare(u64 body);
    bool mp4Atom(u64& cursor, int depth, u64 parentEnd, std::string_view parent);
    void mp4Item(u64 begin, u64 end);
    void ogg(int headerPackets);
    void riff(bool bigEndian);
    void asf();
    void asfObjects(u64 begin, u64 end, u64 count, int depth);

    static constexpr u64 kMaxItems = 1'000'000;

    ByteSource& file_;
    const u64 size_;
    u64 items_ = 0;
    u64 inflateBudget_; // what compressed ID3v2 frames may inflate to, together
};

std::optional<u64> Walk::find(std::string_view needle, u64 from)
{
    constexpr u64 kChunk = 64 * 1024;
    for (u64 pos = from; pos < size_;) {
        const std::string chunk = some(pos, kChunk + needle.size() - 1);
        const auto at = chunk.find(needle);
        if (at != std::string::npos)
            return pos + at;
        if (chunk.size() < kChunk + needle.size() - 1)
            return std::nullopt;
        pos += kChunk;
    }
    return std::nullopt;
}

void Walk::run(Format format)
{
    switch (format) {
    case Format::Mpeg:
        mpeg();
        break;
    case Format::TrueAudio:
        id3v2At(0, size_, true);
        break;
    case Format::Ape:
    case Format::Musepack:
        id3v2At(0, size_, false); // skipped by TagLib, never parsed
        ape();
        break;
    case Format::WavPack:
        ape();
        break;
    case Format::Flac:
        flac();
        break;
    case Format::Mp4:
        mp4();
        break;
    case Format::OggVorbis:
    case Format::Opus:
    case Format::Speex:
        ogg(3);
        break;
    case Format::OggAudio:
        ogg(16); // Ogg FLAC keeps each metadata block in a packet of its own
        break;
    case Format::Wav:
        riff(false);
        break;
    case Format::Aiff:
        riff(true);
        break;
    case Format::Asf:
        asf();
        break;
    case Format::Mod:
    case Format::S3m:
    case Format::It:
    case Format::Xm:
        break; // fixed-size headers, each read bounded by TagLib
    }
}

// ---- MPEG audio and ID3v2 ------------------------------------------------

void Walk::mpeg()
{
    if (const auto at = mpegId3v2Offset())
        id3v2At(*at, size_, true);
    ape();
}

// The length of the MPEG audio frame a header starts; 0 when the header is
// not one TagLib takes.
u64 mpegFrameLength(std::uint32_t h)
{
    static constexpr int kBitrates[2][3][16] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    if ((h >> 24) != 0xFF || ((h >> 16) & 0xFF) == 0xFF || ((h >> 21) & 7) != 7)
        return 0;
    const unsigned versionBits = (h >> 19) & 3, layerBits = (h >> 17) & 3;
    if (versionBits == 1 || layerBits == 0)
        return 0;
    const int version = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2; // 1, 2, 2.5
    const int layer = 3 - static_cast<int>(layerBits);                   // 0: I, 1: II, 2: III
    const int bitrate = kBitrates[version == 0 ? 0 : 1][layer][(h >> 12) & 15];
    const unsigned rateIndex = (h >> 10) & 3;
    if (bitrate == 0 || rateIndex == 3)
        return 0;
    const int rate = kRates[version][rateIndex];
    const int samples = layer == 0 ? 384 : (layer == 2 && version != 0) ? 576 : 1152;
    const int padding = (h >> 9) & 1 ? (layer == 0 ? 4 : 1) : 0;
    return static_cast<u64>(samples / 8 * bitrate * 1000 / rate + padding);
}

// A frame whose successor has the same version, layer and sample rate, as
// TagLib requires before it takes the bytes for audio.
bool Walk::mpegFrameAt(u64 offset, std::uint32_t header)
{
    const u64 length = mpegFrameLength(header);
    if (length == 0)
        return false;
    const std::string next = some(offset + length, 4);
    constexpr std::uint32_t kMask = 0xFFFE0C00;
    return next.size() == 4 && (be32(next, 0) & kMask) == (header & kMask);
}

// Where TagLib looks for the ID3v2 tag of an MPEG file: at the start, else
// the first "ID3" before the first MPEG frame.
std::optional<u64> Walk::mpegId3v2Offset()
{
    const std::string head = some(0, 4);
    if (head.starts_with("ID3"))
        return 0;
    if (head.size() == 4 && mpegFrameAt(0, be32(head, 0)))
        return std::nullopt;
    constexpr u64 kChunk = 64 * 1024;
    for (u64 pos = 0; pos < size_; pos += kChunk) {
        const std::string chunk = some(pos, kChunk + 3);
        const std::size_t stop = std::min<std::size_t>(chunk.size(), kChunk);
        for (std::size_t i = 0; i < stop; ++i) {
            if (byteAt(chunk, i) == 0xFF && i + 3 < chunk.size() && mpegFrameAt(pos + i, be32(chunk, i)))
                return std::nullopt;
            if (chunk.compare(i, 3, "ID3") == 0)
                return pos + i;
        }
    }
    return std::nullopt;
}

// Checks the ID3v2 tag at `offset`, which must end by `end`; returns its
// size, 0 when no tag header is there. `frames` walks its frames too.
u64 Walk::id3v2At(u64 offset, u64 end, bool frames)
{
    if (offset > end || end - offset < 10)
        return 0;
    const std::string header = bytes(offset, 10);
    if (!header.starts_with("ID3"))
        return 0;
    for (std::size_t i = 6; i < 10; ++i) {
        if (byteAt(header, i) & 0x80)
            return 0; // not a tag header to TagLib either
    }
    const u64 tagSize = synchsafe(header, 6);
    const unsigned flags = byteAt(header, 5);
    const u64 total = 10 + tagSize + (flags & 0x10 ? 10 : 0);
    if (total > end - offset)
        refuse("the ID3v2 tag is larger than the space that holds it");
    counted();
    const unsigned major = byteAt(header, 3);
    if (frames && tagSize > 0) {
        std::string data = bytes(offset + 10, tagSize);
        const bool unsynch = flags & 0x80;
        if (unsynch && major <= 3)
            data = resynch(data);
        std::size_t pos = 0;
        std::size_t length = data.size();
        if (flags & 0x40) { // extended header
            if (data.size() < 4 || synchsafe(data, 0) > data.size())
                refuse("the ID3v2 extended header is larger than the tag");
            pos = synchsafe(data, 0);
        }
        if (flags & 0x10 && length - pos >= 10)
            length -= 10; // TagLib keeps room for the footer
        const int style = major < 3 ? 2 : major == 3 ? 3 : 4;
        id3v2Frames(std::string_view(data).substr(pos, length - pos), style, unsynch, 1);
    }
    return total;
}

// Walks the frames of `data` (a tag's frame area, or what a CHAP or CTOC
// frame embeds) the way TagLib does, refusing what does not fit.
void Walk::id3v2Frames(std::string_view data, int style, bool tagUnsynch, int depth)
{
    if (depth > kMaxNesting)
        refuse("the ID3v2 frames nest more than " + std::to_string(kMaxNesting) + " deep");
    const std::size_t headerSize = style == 2 ? 6 : 10;
    const std::size_t idSize = style == 2 ? 3 : 4;
    std::size_t pos = 0;
    // At top level a zero byte starts the padding; embedded frames have none.
    while (pos + headerSize < data.size()) {
        if (depth == 1 && data[pos] == '\0')
            return;
        const std::string_view head = data.substr(pos, headerSize);
        std::string_view id = head.substr(0, idSize);
        if (style == 3 && id[3] == '\0')
            id = id.substr(0, 3); // an ID3v2.2 frame in a v2.3 tag, which TagLib reads on past
        if (!std::all_of(id.begin(), id.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }))
            return; // TagLib stops at a frame ID it cannot read
        const std::size_t size = style == 2 ? bytes::be24(head, 3) : style == 3 ? be32(head, 4) : synchsafe(head, 4);
        if (size == 0)
            return;
        if (size > data.size() - pos - headerSize)
            refuse("an ID3v2 frame is larger than the tag or frame that holds it");
        counted();
        std::string_view body = data.substr(pos + headerSize, size);
        pos += headerSize + size;

        const unsigned flags = style == 2 ? 0 : byteAt(head, 9);
        const bool compressed = style == 3 ? flags & 0x80 : style == 4 && (flags & 0x08);
        const bool encrypted = style == 3 ? flags & 0x40 : style == 4 && (flags & 0x04);
        const bool lengthField = style == 4 && (flags & 0x01);
        const bool frameUnsynch = style == 4 && (flags & 0x02);
        const bool chapter = id == "CHAP" || id == "CTOC";
        if (encrypted || (!compressed && !chapter))
            continue;

        std::string decoded;
        if (style == 4 && (tagUnsynch || frameUnsynch)) {
            decoded = resynch(body);
            body = decoded;
        }
        if (compressed || lengthField)
            body = body.size() >= 4 ? body.substr(4) : std::string_view();
        std::string expanded;
        if (compressed) {
            expanded = inflated(body);
            body = expanded;
        }
        if (chapter)
            id3v2Embedded(body, id == "CHAP", style, tagUnsynch, depth + 1);
    }
}

// The frames a CHAP or CTOC frame embeds after its own fields.
void Walk::id3v2Embedded(std::string_view body, bool chap, int style, bool tagUnsynch, int depth)
{
    // Each field string ends with a NUL; where none is left TagLib reads the
    // next field from the same place.
    std::size_t pos = 0;
    const auto skipString = [&] {
        const std::size_t nul = body.find('\0', pos);
        if (nul != std::string_view::npos)
            pos = nul + 1;
    };
    if (chap) {
        if (body.size() < 18)
            return;
        skipString(); // element ID
        pos += 16;    // start and end time, start and end offset
    } else {
        if (body.size() < 6)
            return;
        skipString(); // element ID
        if (pos + 2 > body.size())
            return;
        const unsigned entries = byteAt(body, pos + 1);
        pos += 2; // flags, entry count
        for (unsigned i = 0; i < entries; ++i)
            skipString();
    }
    if (pos < body.size())
        id3v2Frames(body.substr(pos), style, tagUnsynch, depth);
}

std::string Walk::inflated(std::string_view compressed)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        refuse("out of memory");
    std::string out;
    char buffer[16384];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t n = sizeof buffer - z.avail_out;
        if (n > inflateBudget_) {
            inflateEnd(&z);
            refuse("a compressed ID3v2 frame inflates to more than the file's size");
        }
        inflateBudget_ -= n;
        out.append(buffer, n);
        if (n == 0 && status == Z_OK)
            break;
    }
    inflateEnd(&z);
    return out;
}

// ---- APE tags ------------------------------------------------------------

// The APE tag at the end of the file (before an ID3v1 tag, if any).
void Walk::ape()
{
    u64 end = size_;
    if (size_ >= 128 && bytes(size_ - 128, 3) == "TAG")
        end = size_ - 128;
    if (end < 32)
        return;
    const std::string footer = bytes(end - 32, 32);
    if (!footer.starts_with("APETAGEX"))
        return;
    const u64 tagSize = le32(footer, 12); // items and footer
    const u64 itemCount = le32(footer, 16);
    if (tagSize <= 32)
        return; // TagLib reads no items
    if (tagSize > end)
        refuse("the APE tag is larger than the file");
    const std::string items = bytes(end - tagSize, tagSize - 32);
    std::size_t pos = 0;
    for (u64 i = 0; i < itemCount && pos + 11 <= items.size(); ++i) {
        const u64 valueLength = le32(items, pos);
        const std::size_t nul = items.find('\0', pos + 8);
        if (nul == std::string::npos)
            return;
        if (valueLength > items.size() - nul - 1)
            refuse("an APE item is larger than the tag");
        counted();
        pos = nul + 1 + valueLength;
    }
}

// ---- FLAC ----------------------------------------------------------------

void Walk::flac()
{
    const u64 id3 = id3v2At(0, size_, true);
    const auto marker = find("fLaC", id3);
    if (!marker)
        return;
    u64 pos = *marker + 4;
    for (bool last = false; !last;) {
        const std::string header = some(pos, 4);
        if (header.size() < 4)
            return;
        last = byteAt(header, 0) & 0x80;
        if ((byteAt(header, 0) & 0x7F) == 127)
            refuse("a FLAC metadata block has an invalid type");
        const u64 length = be32(header, 0) & 0xFFFFFF;
        if (length > size_ - pos - 4)
            refuse("a FLAC metadata block is larger than the file");
        counted();
        pos += 4 + length;
    }
}

// ---- MP4 -----------------------------------------------------------------

// Walks the atoms as TagLib 1.13's MP4::Atom does, one cursor for the whole
// file: an atom named like a container is read into wherever it stands (an
// ilst item or an stsd entry too), a meta box is a full box unless its first
// child is one a QuickTime meta starts with, and a container leaves the
// cursor after its last child, even one that ran past the container's end.
// So every atom TagLib builds, and so every level of its recursion, is
// walked here first.
void Walk::mp4()
{
    for (u64 cursor = 0; cursor + 8 <= size_;) {
        if (!mp4Atom(cursor, 1, size_, {}))
            return;
    }
}

// Whether a meta box whose payload starts at `body` has no version and flags:
// TagLib takes it so when its first child is one of these.
bool Walk::mp4MetaIsBare(u64 body)
{
    static constexpr std::string_view kFirstChildren[] = {"hdlr", "ilst", "mhdr", "ctry", "lang"};
    const std::string next = some(body, 8);
    const std::string_view type = next.size() == 8 ? std::string_view(next).substr(4) : std::string_view();
    return std::find(std::begin(kFirstChildren), std::end(kFirstChildren), type) != std::end(kFirstChildren);
}

// The atom at `cursor`, at nesting `depth` (1 at the top) inside a parent
// that ends at `parentEnd`; moves the cursor as TagLib does. False once
// TagLib stops reading the file.
bool Walk::mp4Atom(u64& cursor, int depth, u64 parentEnd, std::string_view parent)
{
    static constexpr std::string_view kContainers[] = {"moov", "udta", "mdia", "meta", "ilst", "stbl",
                                                       "minf", "moof", "traf", "trak", "stsd"};
    const u64 offset = cursor;
    const std::string header = some(offset, 16);
    u64 size = header.size() >= 8 ? be32(header, 0) : 0, headerSize = 8;
    if (size == 0 && header.size() >= 8) {
        size = size_ - offset; // TagLib: to the end of the file
    } else if (size == 1) {
        size = header.size() == 16 ? be64(header, 8) : 0;
        headerSize = 16;
    }
    const std::string type = header.size() >= 8 ? header.substr(4, 4) : std::string();
    // TagLib 1.13 reads on past a box whose type is not printable, wherever
    // its size leads, but stops reading the file at a size below 8 bytes: so
    // does the walk for such a box, which is taken for junk.
    const bool printable = header.size() >= 8 &&
        std::all_of(type.begin(), type.end(), [](char c) { return (c >= ' ' && c <= '~') || c == '\251'; });
    if (!printable && (size < 8 || size > (1ULL << 62))) {
        cursor = size_;
        return false;
    }
    if (printable && size < headerSize)
        refuse("an MP4 box is smaller than its header");
    if (printable && size > parentEnd - offset)
        refuse("an MP4 box is larger than the box or file around it");
    counted();
    const u64 boxEnd = offset + size;
    cursor = boxEnd;
    if (!printable)
        return true;
    if (type == "stco" || type == "co64") {
        // A save rewrites every chunk offset the table claims to hold.
        const u64 entrySize = type == "stco" ? 4 : 8;
        const std::string table = size - headerSize >= 8 ? bytes(offset + headerSize, 8) : std::string();
        if (table.empty() || be32(table, 4) > (size - headerSize - 8) / entrySize)
            refuse("an MP4 chunk offset table claims more entries than it holds");
        // Its place is a sample table. TagLib finds one anywhere below moov,
        // and one where a new item list goes in (first in moov or udta) is
        // rewritten from the moved bytes, whose count may claim billions.
        if (parent != "stbl")
            refuse("an MP4 chunk offset table outside a sample table");
    }
    if (parent == "ilst")
        mp4Item(offset + headerSize, boxEnd);
    if (std::find(std::begin(kContainers), std::end(kContainers), type) == std::end(kContainers))
        return true;
    if (depth >= kMaxNesting)
        refuse("the MP4 boxes nest more than " + std::to_string(kMaxNesting) + " deep");
    const u64 body = offset + headerSize;
    // TagLib skips a full meta box's version and flags, and stsd's as well as
    // its entry count.
    cursor = body + (type == "meta" ? (mp4MetaIsBare(body) ? 0 : 4) : type == "stsd" ? 8 : 0);
    while (cursor < boxEnd) {
        if (!mp4Atom(cursor, depth + 1, boxEnd, type))
            return false;
    }
    return true;
}

// The data, mean and name boxes of one metadata item.
void Walk::mp4Item(u64 begin, u64 end)
{
    for (u64 pos = begin; end - pos >= 8;) {
        const std::string header = bytes(pos, 8);
        const u64 size = be32(header, 0);
        if (size < 8)
            return; // TagLib stops reading the item here
        if (size > end - pos)
            refuse("an MP4 metadata item holds a box that does not fit in it");
        counted();
        pos += size;
    }
}

// ---- Ogg -----------------------------------------------------------------

// The pages that carry the first `headerPackets` packets.
void Walk::ogg(int headerPackets)
{
    int packets = 0;
    for (u64 pos = 0; pos < size_ && packets < headerPackets;) {
        const std::string header = some(pos, ogg::kHeaderSize);
        if (header.size() < ogg::kHeaderSize || !header.starts_with("OggS"))
            return; // TagLib finds no page here
        const unsigned segments = byteAt(header, ogg::kSegmentsAt);
        if (segments > size_ - pos - ogg::kHeaderSize)
            refuse("an Ogg page is larger than the file");
        const std::string table = bytes(pos + ogg::kHeaderSize, segments);
        u64 length = ogg::kHeaderSize + segments;
        for (const char lacing : table) {
            length += static_cast<unsigned char>(lacing);
            if (static_cast<unsigned char>(lacing) < 255)
                ++packets;
        }
        if (length > size_ - pos)
            refuse("an Ogg page is larger than the file");
        counted();
        pos += length;
    }
}

// ---- RIFF (WAV) and AIFF -------------------------------------------------

bool chunkName(std::string_view name)
{
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

void Walk::riff(bool bigEndian)
{
    if (size_ < 12)
        return;
    const auto number = [&](const std::string& s, std::size_t i) { return bigEndian ? be32(s, i) : le32(s, i); };
    for (u64 pos = 12; size_ - pos >= 8;) {
        const std::string header = bytes(pos, 8);
        if (!chunkName(std::string_view(header).substr(0, 4)))
            return; // TagLib stops at a chunk name it cannot read
        const std::string name = header.substr(0, 4);
        const u64 size = number(header, 4);
        const u64 body = pos + 8;
        if (size > size_ - body) {
            // A recording cut short leaves its audio chunk longer than the
            // file; TagLib only notes where it starts.
            if (name == "data" || name == "SSND")
                return;
            refuse("a " + std::string(bigEndian ? "AIFF" : "RIFF") + " chunk is larger than the file");
        }
        counted();
        if (name == "ID3 " || name == "id3 ") {
            id3v2At(body, body + size, true);
        } else if (name == "LIST" && size >= 4 && bytes(body, 4) == "INFO") {
            for (u64 sub = body + 4; body + size - sub >= 8;) {
                const std::string subHeader = bytes(sub, 8);
                const u64 subSize = number(subHeader, 4);
                if (subSize > body + size - sub - 8)
                    refuse("a RIFF INFO entry is larger than its list");
                counted();
                sub += 8 + subSize + (subSize & 1);
            }
        }
        pos = body + size;
        // TagLib takes the byte after a chunk that ends at an odd offset for
        // padding when it is zero or a chunk name follows it.
        if (pos & 1 && pos < size_) {
            const std::string next = some(pos, 5);
            if (next[0] == '\0' || (next.size() == 5 && chunkName(std::string_view(next).substr(1))))
                ++pos;
        }
    }
}

// ---- ASF -----------------------------------------------------------------

using asf::kContentDescriptionGuid;
using asf::kExtendedContentDescriptionGuid;
using asf::kHeaderExtensionGuid;
using asf::kMetadataGuid;
using asf::kMetadataLibraryGuid;

void Walk::asf()
{
    const std::string header = some(0, asf::kHeaderObjectSize);
    if (header.size() < asf::kHeaderObjectSize ||
        std::string_view(header).substr(0, asf::kGuidSize) != asf::kHeaderGuid)
        return;
    const u64 size = le64(header, asf::kObjectSizeAt);
    if (size < asf::kHeaderObjectSize || size > size_)
        refuse("the ASF header is larger than the file");
    asfObjects(asf::kHeaderObjectSize, size, le32(header, asf::kHeaderCountAt), 1);
}

// `count` objects in [begin, end), then the attributes of those TagLib reads.
void Walk::asfObjects(u64 begin, u64 end, u64 count, int depth)
{
    const auto tooBig = [] { refuse("an ASF object is larger than the header that holds it"); };
    u64 pos = begin;
    for (u64 i = 0; i < count; ++i) {
        if (end - pos < asf::kObjectHeaderSize)
            tooBig();
        const std::string head = bytes(pos, asf::kObjectHeaderSize);
        const std::string_view guid = std::string_view(head).substr(0, asf::kGuidSize);
        const u64 size = le64(head, asf::kObjectSizeAt);
        if (size < asf::kObjectHeaderSize || size > end - pos)
            tooBig();
        counted();
        // Offsets below are into the object's body, after its GUID and size.
        const u64 body = pos + asf::kObjectHeaderSize, bodyEnd = pos + size;
        const std::string data = guid == kHeaderExtensionGuid ? bytes(body, std::min<u64>(22, bodyEnd - body))
            : guid == kContentDescriptionGuid || guid == kExtendedContentDescriptionGuid || guid == kMetadataGuid ||
                guid == kMetadataLibraryGuid
            ? bytes(body, bodyEnd - body)
            : std::string();
        const auto bad = [] { refuse("an ASF attribute is larger than the object that holds it"); };
        if (guid == kContentDescriptionGuid) {
            // Five string lengths (2 each), then the strings.
            if (data.size() < 10)
                bad();
            u64 total = 10;
            for (int k = 0; k < 5; ++k)
                total += le16(data, 2 * k);
            if (total > data.size())
                bad();
        } else if (guid == kExtendedContentDescriptionGuid) {
            if (data.size() < 2)
                bad();
            std::size_t p = 2;
            for (unsigned k = le16(data, 0); k > 0; --k) {
                if (data.size() - p < 2 || data.size() - p - 2 < le16(data, p))
                    bad();
                p += 2 + le16(data, p); // name
                if (data.size() - p < 4 || data.size() - p - 4 < le16(data, p + 2))
                    bad();
                p += 4 + le16(data, p + 2); // type, value
                counted();
            }
        } else if (guid == kMetadataGuid || guid == kMetadataLibraryGuid) {
            // A record count (2), then each record: language and stream (2
            // each), name length (2), value type (2), value length (4), the
            // name and the value.
            if (data.size() < 2)
                bad();
            std::size_t p = 2;
            for (unsigned k = le16(data, 0); k > 0; --k) {
                if (data.size() - p < 12)
                    bad();
                const u64 nameLength = le16(data, p + 4), valueLength = le32(data, p + 8);
                if (nameLength + valueLength > data.size() - p - 12)
                    bad();
                p += 12 + nameLength + valueLength;
                counted();
            }
        } else if (guid == kHeaderExtensionGuid) {
            // A GUID (16) and a reserved field (2), the size of the objects
            // (4), then the objects.
            if (depth >= 2 || data.size() < 22)
                tooBig();
            const u64 inner = le32(data, 18);
            if (inner > bodyEnd - body - 22)
                tooBig();
            // The nested objects are not counted: walk them to their end.
            for (u64 p = body + 22; p < body + 22 + inner;) {
                if (body + 22 + inner - p < 24)
                    tooBig();
                asfObjects(p, body + 22 + inner, 1, depth + 1);
                p += le64(bytes(p + asf::kObjectSizeAt, 8), 0);
            }
        }
        pos = bodyEnd;
    }
}

} // namespace

std::size_t MemorySource::read(std::uint64_t offset, char* out, std::size_t count)
{
    if (offset >= bytes_.size())
        return 0;
    const std::size_t n = std::min<std::size_t>(count, bytes_.size() - offset);
    std::memcpy(out, bytes_.data() + offset, n);
    return n;
}

Status precheck(Format format, ByteSource& file)
{
    try {
        Walk(file).run(format);
    } catch (const Refused& r) {
        return Failure{r.why};
    }
    return {};
}

Status precheck(Format format, std::string_view bytes)
{
    MemorySource source(bytes);
    return precheck(format, source);
}

} // namespace yomi::bridge::folder
