// MP4 files in the layouts other tools leave, made once per process with
// ffmpeg, and a small reader of their boxes of its own (apart from the
// editor's and the proof's) for the tests to check a write against.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::test {

// How a shape's file differs from what ffmpeg wrote.
enum class Mp4Variant {
    AsMade,      // as ffmpeg wrote it
    BareMeta,    // the meta box without version and flags (QuickTime's)
    NoMediaData, // cut after the moov box, whose item list ends the file
};

struct Mp4Shape {
    std::string label;  // a test-name fragment: "flac_moov_first", ...
    std::string codec;  // ffmpeg's encoder: "flac", "libopus", "ac3", ...
    bool moovFirst;     // -movflags +faststart: the moov box before the media data
    Mp4Variant variant; //
};

inline void PrintTo(const Mp4Shape& s, std::ostream* os) { *os << s.label; }

// Every shape: each codec (AAC, ALAC, FLAC, Opus, AC-3, E-AC-3) with the
// media data before and after the moov box, the QuickTime meta box both
// ways, and the media data cut off (AAC, which TagLib knows, and AC-3). Each file holds a title, an artist, an
// album and a comment, in ffmpeg's order (not sorted by name).
const std::vector<Mp4Shape>& mp4Shapes();

// The bytes of a shape's file (made on first use; fails the current test
// and answers "" when ffmpeg cannot make it). `extra` adds ffmpeg options,
// such as "-metadata sort_artist=old".
std::string mp4ShapeBytes(const Mp4Shape& shape, const std::string& extra = "");

// What a test checks in an MP4 file.
struct Mp4Layout {
    bool parsed = false;
    bool bareMeta = false;
    std::vector<std::string> itemTypes;  // the ilst items' types, in order
    std::vector<std::string> itemBytes;  // and their bytes
    std::vector<std::uint64_t> offsets;  // every stco/co64 entry, in order
    std::size_t moovBegin = 0, moovEnd = 0;
    std::size_t mediaBegin = 0;          // the first mdat's payload (0: none)
    std::string media;                   // every mdat payload, joined
};
Mp4Layout mp4Layout(std::string_view bytes);

// The bytes of the item of that type, or "" (for a test's message).
std::string mp4Item(const Mp4Layout& layout, std::string_view type);

// The file with its moov/udta/meta box made bare (its version and flags
// taken out, the boxes around it and the chunk offsets that point past the
// moov box following).
std::string withBareMeta(std::string bytes);

// The file with its chunk offsets widened to a co64 box and, with
// `wideMoov`, the moov box's size in a 64-bit field: the boxes around grown,
// the chunk offsets that point past the moov box moved with the data.
std::string withWideSizes(std::string bytes, bool wideMoov);

} // namespace yomi::test
