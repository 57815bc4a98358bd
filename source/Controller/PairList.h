// Pair entries and the two containers that hold them.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Platform/Text.h"

namespace yomi {

// One row of the list: a field value as found on a track and its sort value.
// Shared by the list and the index, so an edit through the list is what the
// write-back finds through the index.
struct PairEntry {
    PairEntry() = default;
    PairEntry(String original, String sort) : originalStr(std::move(original)), sortStr(std::move(sort)) {}

    String originalStr;
    String sortStr;
    // What the scan (or the last Save) saw: the tracks carrying the value,
    // how many of them carry each sort value, and the listed sort value, so
    // that an edit of sortStr shows and what a Save will write can be told
    // without reading the library again.
    std::size_t trackCount = 0;
    std::vector<std::pair<String, std::size_t>> sortCounts;
    String loadedSort;
    // Tracks that hold a sort value in an older tagger's spelling as well, by
    // that value where it differs from the track's own; and tracks whose
    // spellings are not all their sort value (or that hold it in an older
    // spelling alone), by their sort value: a Save writes those too.
    std::vector<std::pair<String, std::size_t>> spellingCounts;
    std::vector<std::pair<String, std::size_t>> unsettledCounts;

    // Whether sortStr differs from the sort value listed by the scan or the last Save.
    bool isEdited() const { return sortStr != loadedSort; }
    // The tracks a Save would write now: those whose sort value is not
    // sortStr (with onlyEmpty, those whose sort value is empty); none while
    // sortStr is empty.
    std::size_t tracksToWrite(bool onlyEmpty = false) const;
};

using PairEntryRef = std::shared_ptr<PairEntry>;

// The index from a field value to its pair entry; keys compare code unit by
// code unit.
using PairDict = std::unordered_map<String, PairEntryRef>;

// The ordered list of pair entries. Appending is O(1) amortized; removing an
// entry and finding the row of an entry are O(log n); reading a row is O(1)
// until entries have been removed, then O(log n). An entry stands in a list at
// most once (the scan never adds one twice).
class PairList {
public:
    PairList() = default;
    explicit PairList(std::vector<PairEntryRef> entries);

    std::size_t size() const { return live_; }
    bool empty() const { return live_ == 0; }

    // The entry at a row, 0 <= row < size().
    const PairEntryRef& at(std::size_t row) const;

    // Appends an entry; returns its row.
    std::size_t append(PairEntryRef entry);

    // The row of an entry; npos when it is not in the list.
    std::size_t rowOf(const PairEntry* entry) const;

    // Removes the entry at a row.
    void removeAt(std::size_t row);

    // The entries in list order.
    std::vector<PairEntryRef> entries() const;

    template <typename F>
    void forEach(F&& f) const
    {
        for (const auto& e : slots_)
            if (e)
                f(e);
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    std::size_t slotOfRow(std::size_t row) const;
    std::size_t liveBefore(std::size_t slot) const; // live slots in [0, slot)
    void fenwickAdd(std::size_t slot, int delta);
    void fenwickAppend(int value);
    void compact();

    std::vector<PairEntryRef> slots_; // null where an entry was removed
    std::vector<int> fenwick_;        // 1-based tree over the live flags of slots_
    std::unordered_map<const PairEntry*, std::size_t> slotOf_;
    std::size_t live_ = 0;
};

} // namespace yomi
