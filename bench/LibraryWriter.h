// Writes synthetic audio files: the bytes of a tiny silent template with the
// tags of one planned track, tagged in memory through TagLib and written to
// disk in one go.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "Names.h"

namespace yomi::bench {

enum class Format { Mp3v24, Mp3v23, Flac, M4a, M4v, Ogg };

const char* extensionOf(Format format);
const char* formatName(Format format);

// One field of a planned track. An absent value writes no frame; a sort value
// is absent, empty (a frame holding "") or set. Xiph comments cannot hold an
// empty field (TagLib drops it on save), so an empty sort value there is
// written as absent.
struct FieldPlan {
    std::optional<std::string> value;
    std::optional<std::string> sort;
};

struct TrackPlan {
    Format format = Format::Mp3v24;
    std::string relativePath; // UTF-8, '/' separated, under the library root
    FieldPlan fields[kFieldCount];
    bool podcast = false;
    // MP4 media kind (stik) to write; absent writes none. 6 is a music video,
    // 21 a podcast.
    std::optional<unsigned char> mediaKind;
};

// The template files of scripts/make-audio-templates, read once.
class Templates {
public:
    // Reads the templates from `dir`; throws std::runtime_error naming the
    // first one missing.
    explicit Templates(const std::filesystem::path& dir);
    const std::string& bytes(Format format) const { return bytes_.at(format); }

    // The file names the templates have in their folder.
    static const char* fileName(Format format);

private:
    std::map<Format, std::string> bytes_;
};

// Writes one track under `root`, creating its folder when missing. Throws
// std::runtime_error when the file cannot be tagged or written.
void writeTrack(const Templates& templates, const std::filesystem::path& root, const TrackPlan& track);

} // namespace yomi::bench
