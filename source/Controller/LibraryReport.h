// How far a library's sort fields are filled, per field, in one walk: a
// half-filled library, tracks that disagree and older taggers' spellings
// show at once.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "Bridge/Fields.h"

namespace yomi {

// One field of the report. The tracks counted are those whose value needs a
// reading (not made only of kana and Latin letters), podcasts and videos
// included, as a Save writes them.
struct FieldReport {
    std::size_t values = 0;       // distinct such values
    std::size_t tracks = 0;       // tracks holding one
    std::size_t withSort = 0;     // of them, with a sort value
    std::size_t conflicts = 0;    // values whose tracks hold different sort values
    std::size_t olderSpelled = 0; // tracks holding the sort value in an older tagger's spelling
    std::size_t unreadable = 0;   // tracks whose value could not be read

    std::size_t needReading() const { return tracks - withSort; }
};

struct LibraryReport {
    std::size_t tracks = 0; // tracks visited
    std::array<FieldReport, kFieldTable.size()> fields;

    // A table a user reads: one line per field with its counts, then what
    // the counts mean.
    std::string text() const;
};

// Walks the music library once and counts every field.
LibraryReport reportLibrary();

} // namespace yomi
