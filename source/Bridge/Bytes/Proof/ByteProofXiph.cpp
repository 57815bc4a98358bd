// FLAC and Ogg: the Vorbis comment and what surrounds it.
#include <map>

#include "Bridge/Bytes/Proof/ByteProofParts.h"

namespace yomi::bridge::folder::proof {
namespace {

// A Vorbis comment (without framing): the vendor string and the entries,
// keyed by their upper-cased field name (field names are case-insensitive).
struct Comment {
    std::string_view vendor;
    std::vector<Item> entries;
    std::string_view trailing; // after the last entry
};

Status parseComment(std::string_view b, Comment& out)
{
    const Failure bad{"malformed Vorbis comment"};
    if (b.size() < 4 || le32(b, 0) > b.size() - 4)
        return bad;
    out.vendor = b.substr(4, le32(b, 0));
    std::size_t pos = 4 + out.vendor.size();
    if (!fits(b, pos, 4))
        return bad;
    const std::size_t count = le32(b, pos);
    pos += 4;
    if (count > (b.size() - pos) / 4)
        return bad;
    for (std::size_t i = 0; i < count; ++i) {
        if (!fits(b, pos, 4) || le32(b, pos) > b.size() - pos - 4)
            return bad;
        const std::string_view entry = b.substr(pos + 4, le32(b, pos));
        const auto eq = entry.find('=');
        const std::string name = upperAscii(entry.substr(0, eq == std::string_view::npos ? 0 : eq));
        // Names compare without case; the entry keeps its value bytes.
        out.entries.push_back({name, eq == std::string_view::npos ? entry : entry.substr(eq)});
        pos += 4 + entry.size();
    }
    out.trailing = b.substr(pos);
    return {};
}

Status compareComments(const Comment& was, const Comment& is, const Written& written)
{
    if (was.vendor != is.vendor)
        return Failure{"the edit would change the Vorbis comment's vendor string"};
    // compareItems sees "=value": give it the name back for its reason.
    return compareItems(was.entries, is.entries, written, "Vorbis comment", false, true);
}

// FLAC -----------------------------------------------------------------------

struct Flac {
    Id3Tag id3;
    bool hasId3 = false;
    std::string_view prefix; // the ID3v2 tag's bytes
    std::string_view streamInfo, comment, frames;
    bool hasComment = false;
    std::vector<Item> blocks; // every other block but padding, in order
};

Status parseFlac(std::string_view b, Flac& out)
{
    std::size_t pos = 0;
    if (startsWithId3(b)) {
        // A tag this parser does not read can still stay byte for byte.
        const Status why = parseId3(b, out.id3);
        out.hasId3 = why.ok();
        pos = out.id3.size;
        if (!out.hasId3) {
            pos = id3::kHeaderSize + id3::synchsafe(b, id3::kSizeAt);
            if (pos > b.size())
                return why;
        }
        out.prefix = b.substr(0, pos);
    }
    if (!fits(b, pos, 4) || b.substr(pos, 4) != "fLaC")
        return Failure{"no FLAC stream marker"};
    pos += 4;
    for (bool last = false; !last;) {
        if (!fits(b, pos, flac::kBlockHeaderSize) || out.blocks.size() >= kMaxItems)
            return Failure{"malformed FLAC metadata block"};
        const auto head = static_cast<unsigned char>(b[pos]); // the last-block flag and the type
        last = (head & flac::kLastBlock) != 0;
        const int type = head & 0x7F;
        const std::size_t size = bytes::be24(b, pos + 1);
        if (!fits(b, pos + flac::kBlockHeaderSize, size))
            return Failure{"malformed FLAC metadata block"};
        const std::string_view data = b.substr(pos + flac::kBlockHeaderSize, size);
        if (type == flac::kStreamInfo) {
            out.streamInfo = data;
        } else if (type == flac::kVorbisComment) {
            if (out.hasComment)
                return Failure{"the file holds two Vorbis comments"};
            out.hasComment = true;
            out.comment = data;
        } else if (type != flac::kPadding) {
            out.blocks.push_back({std::to_string(type), data});
        }
        pos += flac::kBlockHeaderSize + size;
    }
    out.frames = b.substr(pos);
    return {};
}

Status proveFlac(std::string_view before, std::string_view after, const Written& written)
{
    Flac was, is;
    if (Status parsed = parseWithTheSameAudio(before, after, was, is, parseFlac, &Flac::frames); !parsed)
        return parsed;
    if (was.streamInfo != is.streamInfo)
        return Failure{"the edit would change the stream information"};
    if (was.blocks.size() != is.blocks.size())
        return Failure{"the edit would change the metadata blocks"};
    for (std::size_t i = 0; i < was.blocks.size(); ++i) {
        if (was.blocks[i].key != is.blocks[i].key || was.blocks[i].bytes != is.blocks[i].bytes)
            return Failure{"the edit would change a metadata block of type " + was.blocks[i].key};
    }
    if (was.prefix != is.prefix && (!was.hasId3 || !is.hasId3))
        return Failure{"the edit would change the ID3v2 tag"};
    if (was.prefix != is.prefix) {
        if (Status why = compareId3(was.id3, is.id3, {}, false); !why)
            return why;
    }
    if (!is.hasComment)
        return Failure{"the edited file has no Vorbis comment"};
    Comment c1, c2;
    if (was.hasComment) {
        if (Status why = parseComment(was.comment, c1); !why)
            return why;
    }
    if (Status why = parseComment(is.comment, c2); !why)
        return Failure{"the edited file: " + why.reason()};
    if (!was.hasComment)
        c1.vendor = c2.vendor;
    return compareComments(c1, c2, written);
}

// Ogg ------------------------------------------------------------------------

struct Stream {
    std::vector<std::string> packets;
    std::vector<std::uint64_t> granules; // of the audio pages
    bool open = false;                   // the last packet continues
    std::uint32_t pages = 0;
    bool inSequence = true; // each page numbered one after the one before
};

// The pages of every stream of an Ogg file.
struct OggFile {
    std::vector<std::uint32_t> order; // the streams' serial numbers, in order of first page
    std::map<std::uint32_t, Stream> streams;
    bool checksummed = true; // every page's checksum is right
};

Status parseOgg(std::string_view b, OggFile& out)
{
    std::vector<std::uint32_t>& order = out.order;
    std::map<std::uint32_t, Stream>& streams = out.streams;
    bool& checksummed = out.checksummed;
    const Failure bad{"the Ogg pages do not parse"};
    std::size_t pos = 0;
    while (pos < b.size()) {
        if (!fits(b, pos, ogg::kHeaderSize) || b.substr(pos, 4) != "OggS" || b[pos + ogg::kVersionAt] != '\0')
            return bad;
        const auto type = static_cast<unsigned char>(b[pos + ogg::kTypeAt]);
        const std::uint64_t granule = le64(b, pos + ogg::kGranuleAt);
        const std::uint32_t serial = le32(b, pos + ogg::kSerialAt);
        const std::size_t segments = static_cast<unsigned char>(b[pos + ogg::kSegmentsAt]);
        const std::size_t lacing = pos + ogg::kHeaderSize;
        if (!fits(b, lacing, segments))
            return bad;
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i)
            body += static_cast<unsigned char>(b[lacing + i]);
        std::size_t at = lacing + segments;
        if (!fits(b, at, body))
            return bad;
        auto [it, fresh] = streams.try_emplace(serial);
        if (fresh) {
            if (streams.size() > 64)
                return bad;
            order.push_back(serial);
        }
        Stream& s = it->second;
        if (le32(b, pos + ogg::kSequenceAt) != s.pages++)
            s.inSequence = false;
        if (le32(b, pos + ogg::kChecksumAt) != ogg::checksum(b.substr(pos, at + body - pos)))
            checksummed = false;
        const bool continued = (type & ogg::kContinued) != 0;
        if (continued != s.open)
            return bad;
        for (std::size_t i = 0; i < segments; ++i) {
            const std::size_t lace = static_cast<unsigned char>(b[lacing + i]);
            if (!s.open) {
                if (s.packets.size() >= kMaxItems)
                    return bad;
                s.packets.emplace_back();
            }
            s.packets.back().append(b.substr(at, lace));
            s.open = lace == 255;
            at += lace;
        }
        // Header pages carry 0, or -1 where no packet ends: how the comment
        // is paged may change.
        if (granule != 0 && granule != ogg::kNoPacketEnds)
            s.granules.push_back(granule);
        pos = at;
    }
    return {};
}

// Which packet of a stream holds the comment, and where in it.
struct CommentPacket {
    std::size_t index = 1;
    std::size_t prefix = 0;
    bool padded = false; // bytes after the comment are padding
    bool framed = false; // one framing byte, then padding
};

// Vorbis frames its comment; Opus may pad it; Speex neither: bytes after a
// Speex comment stay as they are (a framing byte added there is a change).
// Ogg FLAC keeps it in the header packet that is a VORBIS_COMMENT block.
bool commentLayout(const std::vector<std::string>& packets, CommentPacket& out)
{
    const std::string& first = packets[0];
    if (first.starts_with("\x01vorbis")) {
        out = {1, 7, false, true};
    } else if (first.starts_with("OpusHead")) {
        out = {1, 8, true};
    } else if (first.starts_with("Speex   ")) {
        out = {1, 0, false};
    } else if (first.starts_with("\x7F"
                                 "FLAC")) {
        out = {1, 4, false};
        while (out.index < packets.size() && (packets[out.index].empty() || (packets[out.index][0] & 0x7F) != 4))
            ++out.index;
        if (out.index == packets.size())
            return false;
    } else {
        return false;
    }
    return packets[out.index].size() >= out.prefix;
}

Status proveOgg(std::string_view before, std::string_view after, const Written& written)
{
    OggFile file1, file2;
    if (Status parsed = parseBoth(before, after, file1, file2, parseOgg); !parsed)
        return parsed;
    const std::vector<std::uint32_t>& order1 = file1.order;
    std::map<std::uint32_t, Stream>& was = file1.streams;
    std::map<std::uint32_t, Stream>& is = file2.streams;
    if (order1 != file2.order || order1.empty())
        return kAudioChanged;
    // Pages may be numbered and checksummed anew, but what was right stays so.
    if (file1.checksummed && !file2.checksummed)
        return Failure{"the edit would leave an Ogg page with a wrong checksum"};
    for (const std::uint32_t serial : order1) {
        if (was[serial].inSequence && !is[serial].inSequence)
            return Failure{"the edit would leave the Ogg pages out of sequence"};
    }
    Stream& s1 = was[order1.front()];
    Stream& s2 = is[order1.front()];
    if (s1.packets.size() < 2 || s2.packets.size() != s1.packets.size())
        return kAudioChanged;
    CommentPacket layout;
    if (!commentLayout(s1.packets, layout) || s2.packets[layout.index].size() < layout.prefix)
        return Failure{"the Ogg stream's comment packet is not recognised"};
    const std::string_view p1 = s1.packets[layout.index], p2 = s2.packets[layout.index];
    if (layout.prefix == 4) { // FLAC block header: the type and last-block flag stay, the size follows the comment
        if (p1[0] != p2[0])
            return Failure{"the edit would change the comment block's type or last-block flag"};
        if (bytes::be24(p1, 1) == p1.size() - 4 && bytes::be24(p2, 1) != p2.size() - 4)
            return Failure{"the edit would leave the comment block's size wrong"};
    } else if (p1.substr(0, layout.prefix) != p2.substr(0, layout.prefix)) {
        return Failure{"the edit would change the comment packet"};
    }
    Comment c1, c2;
    if (Status parsed = parseBoth(p1.substr(layout.prefix), p2.substr(layout.prefix), c1, c2, parseComment); !parsed)
        return parsed;
    // Vorbis ends the comment with a framing byte that must stay; what comes
    // after it, and after the comment of Opus and Speex, is padding.
    if (layout.framed && c1.trailing.substr(0, 1) != c2.trailing.substr(0, 1))
        return Failure{"the edit would change the comment packet's framing"};
    if (!layout.framed && !layout.padded && c1.trailing != c2.trailing)
        return Failure{"the edit would change the comment packet"};
    s1.packets[layout.index].clear();
    s2.packets[layout.index].clear();
    for (const std::uint32_t serial : order1) {
        if (was[serial].packets != is[serial].packets || was[serial].granules != is[serial].granules)
            return kAudioChanged;
    }
    return compareComments(c1, c2, written);
}

} // namespace

Status proveXiph(Format format, std::string_view before, std::string_view after, const Written& written)
{
    if (format == Format::Flac)
        return proveFlac(before, after, written);
    return proveOgg(before, after, written);
}

} // namespace yomi::bridge::folder::proof
