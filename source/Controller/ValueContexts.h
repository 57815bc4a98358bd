// What the library holds around each value a scan lists, for the language
// decision of its reading: the texts of the six fields of every track in the
// same album folder (the folder of the track's file), the value's own tracks
// among them. A track with no location stands alone: only its own fields
// count.
//
// The scan hands every track over once; a value's context is counted when
// it is asked for. Each distinct text is counted once, whichever tracks and
// fields hold it; the value itself is not counted.
//
// Texts are kept as 64-bit fingerprints with their character classes, not
// as strings: a folder costs one number for each distinct text of its
// tracks. Two different texts around one value share a fingerprint with a
// chance far below one in 10^9 even for a value with thousands of texts
// around it; such a pair would be counted as one text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Category/Reader.h"

namespace yomi {

namespace bridge {
class Track;
} // namespace bridge

class ValueContexts {
public:
    // Forgets every track (a new scan).
    void clear();
    // One track of the scan, whose value in the scanned field `valueKey` is
    // `value` (absent: the track only lends its texts to its folder).
    // `listed`: the value may get a reading, so its folders are remembered.
    // Reads the track's five other text fields and its location.
    void addTrack(bridge::Track& track, std::string_view valueKey, const OptString& value, bool listed);

    // The counts of the texts around a listed value (texts, hanTexts,
    // kanaTexts, simplifiedTexts, hangulTexts); nothing for a value the scan
    // did not list.
    ValueContext contextOf(const String& value) const;

    // Tracks handed over since the last clear.
    std::size_t tracks() const { return tracks_; }

private:
    struct Around {
        std::vector<std::uint32_t> folders;  // ids, each once
        std::vector<std::uint64_t> ownTexts; // texts of its tracks without a folder
    };
    std::uint64_t fingerprint(std::u16string_view text) const;
    bool simplifiedOnly(char32_t c) const;
    void addText(std::vector<std::uint64_t>& into, std::u16string_view text);
    std::uint32_t folderOf(std::string_view location);
    // Sorts the texts of every folder and drops repeats, once after the
    // tracks were handed over.
    void settle() const;

    std::size_t tracks_ = 0;
    std::unordered_map<std::string, std::uint32_t> folderIds_;
    std::string lastFolder_;
    std::uint32_t lastFolderId_ = 0;
    mutable std::vector<std::vector<std::uint64_t>> folderTexts_;
    mutable bool settled_ = true; // the texts of every folder sorted, each once
    std::unordered_map<String, Around> values_;
    // Whether each character of the Basic Multilingual Plane is written only
    // in simplified Chinese: 0 not asked yet, 1 no, 2 yes.
    mutable std::vector<std::uint8_t> simplified_;
};

} // namespace yomi
