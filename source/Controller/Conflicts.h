// Where the tracks of one value disagree: the distinct non-empty sort values
// they hold, each with the number of tracks holding it, from the counts the
// scan (or the last Save) kept in the pair entries. No library read.
#pragma once

#include <cstddef>
#include <vector>

#include "Controller/PairList.h"

namespace yomi {

// A sort value some tracks of a value hold, and how many of them.
struct HeldSortValue {
    String sortValue;
    std::size_t tracks = 0;
    bool operator==(const HeldSortValue&) const = default;
};

// The distinct non-empty sort values the tracks of an entry hold: the sort
// value the scan listed first (the one the list shows unless edited), then
// the others, most tracks first; equal counts keep the order in which the
// tracks were met. Empty when no track holds one.
std::vector<HeldSortValue> heldSortValues(const PairEntry& entry);

// Whether the tracks of an entry hold more than one non-empty sort value.
bool inConflict(const PairEntry& entry);

// The tracks of an entry whose own sort value (in the spelling a write
// makes) is non-empty and not the listed one.
std::size_t tracksDisagreeing(const PairEntry& entry);

// The entries of a list whose tracks disagree, in list order.
std::vector<PairEntryRef> conflictingEntries(const PairList& list);

} // namespace yomi
