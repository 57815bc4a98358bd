#include "Reading/GivenNames.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "Reading/SkkDictionary.h"

namespace yomi::reading {
namespace {

// Memory mapped for each array and unmapped when it goes, not the
// allocator's: arrays of megabytes freed through it would leave it keeping
// later blocks of that size in the heap, where they stay resident.
template <typename T>
struct Mapped {
    using value_type = T;
    Mapped() = default;
    template <typename U>
    Mapped(const Mapped<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        void* m = ::mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(m);
    }
    void deallocate(T* p, std::size_t n) noexcept { ::munmap(p, n * sizeof(T)); }
    template <typename U>
    bool operator==(const Mapped<U>&) const noexcept
    {
        return true;
    }
};

struct Line {
    std::string_view key, reading, kinds;
};

// A line of the dictionary ("名 [よみ] /(s,g) ...") cut into its parts;
// false for a line of another form (the first, or one without a reading).
bool cut(std::string_view line, Line& out)
{
    const std::size_t open = line.find(" [");
    const std::size_t close = line.find("] /(", open == std::string_view::npos ? 0 : open);
    if (open == std::string_view::npos || close == std::string_view::npos)
        return false;
    const std::size_t end = line.find(')', close + 4);
    if (end == std::string_view::npos)
        return false;
    out = Line{line.substr(0, open), line.substr(open + 2, close - open - 2), line.substr(close + 4, end - close - 4)};
    return !out.key.empty() && !out.reading.empty();
}

// Whether the kinds ("s,g") hold one of the one-letter kinds of `any`.
bool hasKind(std::string_view kinds, std::string_view any)
{
    for (std::size_t at = 0; at <= kinds.size();) {
        std::size_t comma = kinds.find(',', at);
        if (comma == std::string_view::npos)
            comma = kinds.size();
        if (comma == at + 1 && any.find(kinds[at]) != std::string_view::npos)
            return true;
        at = comma + 1;
    }
    return false;
}

// The length in bytes of the EUC-JP character that begins with `lead`.
std::size_t charLength(unsigned char lead)
{
    return lead == 0x8F ? 3 : lead >= 0x80 ? 2 : 1;
}

} // namespace

std::vector<std::string> usualGivenNameLines(std::string_view text)
{
    // Kept in large sorted arrays, not in maps of small pieces: their memory
    // goes back whole when the lines are made.
    using Pair = std::pair<std::string_view, std::string_view>; // key, reading
    using Pairs = std::vector<Pair, Mapped<Pair>>;
    Pairs surnames, givens, full;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        Line l;
        if (cut(text.substr(at, end - at), l)) {
            // s: a surname, u: a surname or a given name, g, f, m: given
            // names, h: a person's full name.
            if (hasKind(l.kinds, "su"))
                surnames.emplace_back(l.key, l.reading);
            if (hasKind(l.kinds, "gfmu"))
                givens.emplace_back(l.key, l.reading);
            if (hasKind(l.kinds, "h"))
                full.emplace_back(l.key, l.reading);
        }
        at = end + 1;
    }
    std::sort(surnames.begin(), surnames.end());
    std::sort(givens.begin(), givens.end());
    const auto readingsOf = [](const Pairs& list, std::string_view key) {
        return std::equal_range(list.begin(), list.end(), Pair{key, {}},
                                [](const Pair& a, const Pair& b) { return a.first < b.first; });
    };
    // Each full name at the first cut whose surname and given name read so:
    // the given name and its reading.
    Pairs found;
    for (const auto& [key, reading] : full) {
        bool cutHere = false;
        for (std::size_t k = charLength(static_cast<unsigned char>(key[0])); k < key.size() && !cutHere;
             k += charLength(static_cast<unsigned char>(key[k]))) {
            const auto [s, sEnd] = readingsOf(surnames, key.substr(0, k));
            const auto [g, gEnd] = readingsOf(givens, key.substr(k));
            if (s == sEnd || g == gEnd)
                continue;
            for (auto sr = s; sr != sEnd && !cutHere; ++sr) {
                if (sr->second.size() >= reading.size() || !reading.starts_with(sr->second))
                    continue;
                const std::string_view gr = reading.substr(sr->second.size());
                if (std::any_of(g, gEnd, [&](const Pair& p) { return p.second == gr; })) {
                    found.emplace_back(g->first, gr);
                    cutHere = true;
                }
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (std::size_t first = 0, next = 0; first < found.size(); first = next) {
        std::size_t total = 0, bestCount = 0;
        std::string_view best;
        for (next = first; next < found.size() && found[next].first == found[first].first;) {
            std::size_t run = next;
            while (run < found.size() && found[run] == found[next])
                ++run;
            total += run - next;
            if (run - next > bestCount) {
                bestCount = run - next;
                best = found[next].second;
            }
            next = run;
        }
        if (bestCount >= kUsualGivenAtLeast && bestCount * 100 >= total * kUsualGivenShare)
            out.push_back(std::string(found[first].first) + " [" + std::string(best) + "] /(g) usual/");
    }
    return out;
}

namespace {

std::vector<std::string> usualLinesOf(std::string_view text, std::string_view)
{
    return usualGivenNameLines(text);
}

} // namespace

Result<std::filesystem::path> prepareUsualGivenNames(const std::filesystem::path& names,
                                                     const std::filesystem::path& cacheDir, std::string_view name,
                                                     bool* made)
{
    // The stamp holds the rule's numbers: the text is made again when they change.
    const std::string rule =
        "usual given " + std::to_string(kUsualGivenAtLeast) + ' ' + std::to_string(kUsualGivenShare);
    return prepareText({SkkSource{names, rule}}, cacheDir, name, made, &usualLinesOf);
}

} // namespace yomi::reading
