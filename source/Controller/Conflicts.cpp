#include "Controller/Conflicts.h"

#include <algorithm>

namespace yomi {

std::vector<HeldSortValue> heldSortValues(const PairEntry& entry)
{
    std::vector<HeldSortValue> held;
    held.reserve(entry.sortCounts.size() + entry.spellingCounts.size());
    const auto add = [&](const String& sort, std::size_t tracks) {
        if (sort.empty() || tracks == 0)
            return;
        const auto same = std::find_if(held.begin(), held.end(), [&](const HeldSortValue& h) { return h.sortValue == sort; });
        if (same == held.end())
            held.push_back(HeldSortValue{sort, tracks});
        else
            same->tracks += tracks;
    };
    for (const auto& [sort, tracks] : entry.sortCounts)
        add(sort, tracks);
    // A value held only in an older tagger's spelling is held all the same.
    for (const auto& [sort, tracks] : entry.spellingCounts)
        add(sort, tracks);
    // The listed one leads whatever its count: the list shows the first
    // non-empty sort value met, not the most common one.
    const auto listed = std::find_if(held.begin(), held.end(),
                                     [&](const HeldSortValue& h) { return h.sortValue == entry.loadedSort; });
    const auto rest = listed == held.end() ? held.begin() : held.begin() + 1;
    if (listed != held.end())
        std::rotate(held.begin(), listed, listed + 1);
    std::stable_sort(rest, held.end(), [](const HeldSortValue& a, const HeldSortValue& b) { return a.tracks > b.tracks; });
    return held;
}

bool inConflict(const PairEntry& entry)
{
    if (!entry.spellingCounts.empty())
        return heldSortValues(entry).size() > 1;
    std::size_t distinct = 0;
    for (const auto& [sort, tracks] : entry.sortCounts)
        if (!sort.empty() && tracks > 0 && ++distinct > 1)
            return true;
    return false;
}

std::size_t tracksDisagreeing(const PairEntry& entry)
{
    std::size_t n = 0;
    for (const auto& [sort, tracks] : entry.sortCounts)
        if (!sort.empty() && sort != entry.loadedSort)
            n += tracks;
    return n;
}

std::vector<PairEntryRef> conflictingEntries(const PairList& list)
{
    std::vector<PairEntryRef> out;
    list.forEach([&](const PairEntryRef& e) {
        if (inConflict(*e))
            out.push_back(e);
    });
    return out;
}

} // namespace yomi
