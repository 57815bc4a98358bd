// What a library can tell at once about the sort values its tracks already
// hold, for a value that still needs a reading. An application offers it
// when it implements this interface as well (dynamic_cast); the folder
// library answers from its index.
#pragma once

#include <string>
#include <vector>

#include "Platform/Text.h"

namespace yomi::bridge {

// A sort value some track holds for a value, and the sort field it is in.
struct KnownSortValue {
    std::string sortKey; // "sortArtist", "sortAlbum", "sortAlbumArtist", "sortComposer", "sortName", "sortShow"
    String sortValue;    // never empty
    bool operator==(const KnownSortValue&) const = default;
};

class SortValueSource {
public:
    virtual ~SortValueSource() = default;
    // The distinct non-empty sort values that tracks hold beside `value` in
    // any of the six value fields (artist, album, album artist, composer,
    // name, show), by field in that order; empty when nothing is known. The
    // answer reflects the tracks as they were last read, not a new scan.
    virtual std::vector<KnownSortValue> sortValuesFor(const String& value) = 0;
};

} // namespace yomi::bridge
