#include "Controller/PairList.h"

#include <algorithm>
#include <stdexcept>

namespace yomi {

std::size_t PairEntry::tracksToWrite(bool onlyEmpty) const
{
    if (sortStr.empty())
        return 0;
    std::size_t kept = 0;
    for (const auto& [sort, count] : sortCounts)
        if (sort == sortStr || (onlyEmpty && !sort.empty()))
            kept += count;
    // A track that holds the value but disagrees with itself in an older
    // spelling is written all the same.
    if (!onlyEmpty)
        for (const auto& [sort, count] : unsettledCounts)
            if (sort == sortStr)
                kept -= std::min(kept, count);
    return trackCount - std::min(kept, trackCount);
}

PairList::PairList(std::vector<PairEntryRef> entries)
{
    slots_.reserve(entries.size());
    for (auto& e : entries)
        append(std::move(e));
}

const PairEntryRef& PairList::at(std::size_t row) const
{
    if (row >= live_)
        throw std::out_of_range("PairList::at");
    if (live_ == slots_.size())
        return slots_[row];
    return slots_[slotOfRow(row)];
}

std::size_t PairList::append(PairEntryRef entry)
{
    const PairEntry* key = entry.get();
    const std::size_t slot = slots_.size();
    slots_.push_back(std::move(entry));
    fenwickAppend(1);
    slotOf_.emplace(key, slot);
    return live_++;
}

std::size_t PairList::rowOf(const PairEntry* entry) const
{
    auto it = slotOf_.find(entry);
    if (it == slotOf_.end())
        return npos;
    return liveBefore(it->second);
}

void PairList::removeAt(std::size_t row)
{
    if (row >= live_)
        throw std::out_of_range("PairList::removeAt");
    const std::size_t slot = live_ == slots_.size() ? row : slotOfRow(row);
    slotOf_.erase(slots_[slot].get());
    slots_[slot].reset();
    fenwickAdd(slot, -1);
    --live_;
    // Keep holes below half of the slots, so reads and memory stay bounded.
    if (slots_.size() > 64 && live_ < slots_.size() / 2)
        compact();
}

std::vector<PairEntryRef> PairList::entries() const
{
    std::vector<PairEntryRef> out;
    out.reserve(live_);
    forEach([&](const PairEntryRef& e) { out.push_back(e); });
    return out;
}

std::size_t PairList::liveBefore(std::size_t slot) const
{
    std::size_t sum = 0;
    for (std::size_t i = slot; i > 0; i -= i & (~i + 1))
        sum += static_cast<std::size_t>(fenwick_[i - 1]);
    return sum;
}

std::size_t PairList::slotOfRow(std::size_t row) const
{
    // Descend the tree for the smallest slot with row + 1 live slots up to it.
    std::size_t pos = 0;
    std::size_t remaining = row + 1;
    std::size_t step = 1;
    while (step * 2 <= fenwick_.size())
        step *= 2;
    for (; step > 0; step /= 2) {
        const std::size_t next = pos + step;
        if (next <= fenwick_.size() && static_cast<std::size_t>(fenwick_[next - 1]) < remaining) {
            pos = next;
            remaining -= static_cast<std::size_t>(fenwick_[next - 1]);
        }
    }
    return pos; // 0-based slot
}

void PairList::fenwickAdd(std::size_t slot, int delta)
{
    for (std::size_t i = slot + 1; i <= fenwick_.size(); i += i & (~i + 1))
        fenwick_[i - 1] += delta;
}

void PairList::fenwickAppend(int value)
{
    // Node i covers slots (i - lowbit(i), i]: its sum is the new value plus the
    // live slots in (i - lowbit(i), i - 1].
    const std::size_t i = fenwick_.size() + 1;
    const std::size_t low = i & (~i + 1);
    const std::size_t covered = liveBefore(i - 1) - liveBefore(i - low);
    fenwick_.push_back(value + static_cast<int>(covered));
}

void PairList::compact()
{
    std::vector<PairEntryRef> live;
    live.reserve(live_);
    for (auto& e : slots_)
        if (e)
            live.push_back(std::move(e));
    slots_ = std::move(live);
    slotOf_.clear();
    slotOf_.reserve(slots_.size());
    fenwick_.assign(slots_.size(), 0);
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        slotOf_.emplace(slots_[s].get(), s);
        // Linear build: each node adds itself to its parent.
        fenwick_[s] += 1;
        const std::size_t parent = (s + 1) + ((s + 1) & (~(s + 1) + 1));
        if (parent <= fenwick_.size())
            fenwick_[parent - 1] += fenwick_[s];
    }
}

} // namespace yomi
