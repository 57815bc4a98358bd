#include "Reading/GivenNames.h"

#include <sys/mman.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Reading/DictionaryText.h"
#include "Reading/KanjiTable.h"
#include "Reading/Rendaku.h"
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

namespace {

// The text of EUC-JP bytes of the dictionary (a key or a reading); empty
// when they do not decode or are longer than a name's.
String decoded(UConverter* converter, std::string_view bytes)
{
    UChar out[32];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter);
    const int32_t n = ucnv_toUChars(converter, out, 32, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    return String(out, static_cast<std::size_t>(n));
}

// Whether `part` is the voiced or half-voiced form of the kana `plain`
// (シ: ジ, ヘ: ベ and ペ).
bool voicedFrom(char16_t part, char16_t plain)
{
    if (const char16_t v = voicedKana(plain); v != 0 && part == v)
        return true;
    return plain >= u'ハ' && plain <= u'ホ' && (plain - u'ハ') % 3 == 0 && part == plain + 2;
}

// Whether `part` is one of `readings`, or one of them with its first sound
// voiced (次郎: ジ of シ, 平 ペイ) when `voicing`, or its last ツ, ク, チ or
// キ doubling the next sound (吉平: キッ) when `doubling`.
bool readsAs(std::u16string_view part, const std::vector<String>& readings, bool voicing, bool doubling)
{
    for (const String& r : readings) {
        if (r.size() != part.size() || r.empty())
            continue;
        const std::u16string_view reading(r);
        if (part == reading)
            return true;
        if (voicing && part.substr(1) == reading.substr(1) && voicedFrom(part.front(), r.front()))
            return true;
        if (doubling && part.back() == u'ッ' && part.substr(0, part.size() - 1) == reading.substr(0, r.size() - 1) &&
            std::u16string_view(u"ツクチキ").find(r.back()) != std::u16string_view::npos)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> givenPartLines(std::string_view text, const KanjiTable& kanji)
{
    const std::unique_ptr<UConverter, void (*)(UConverter*)> converter(
        [] {
            UErrorCode status = U_ZERO_ERROR;
            UConverter* c = ucnv_open("EUC-JP", &status);
            return U_SUCCESS(status) ? c : nullptr;
        }(),
        ucnv_close);
    if (!converter)
        return {};
    // Per character and place (0 the head, 1 the tail): each reading's count.
    std::map<std::pair<char16_t, int>, std::map<String, std::size_t>> counts;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        Line l;
        // Two characters of the kanji rows (a first byte from 0xB0 on), a
        // given name's kind.
        if (cut(text.substr(at, end - at), l) && l.key.size() == 4 && static_cast<unsigned char>(l.key[0]) >= 0xB0 &&
            static_cast<unsigned char>(l.key[2]) >= 0xB0 && hasKind(l.kinds, "gfm")) {
            const String name = decoded(converter.get(), l.key);
            const String reading = toKatakana(decoded(converter.get(), l.reading));
            if (name.size() == 2 && reading.size() >= 2) {
                const std::vector<String>& first = kanji.readings(name[0]);
                const std::vector<String>& second = kanji.readings(name[1]);
                int cuts = 0;
                std::size_t where = 0;
                for (std::size_t k = 1; k < reading.size() && cuts < 2; ++k) {
                    const std::u16string_view r(reading);
                    if (readsAs(r.substr(0, k), first, false, true) && readsAs(r.substr(k), second, true, false)) {
                        ++cuts;
                        where = k;
                    }
                }
                if (cuts == 1) {
                    ++counts[{name[0], 0}][reading.substr(0, where)];
                    ++counts[{name[1], 1}][reading.substr(where)];
                }
            }
        }
        at = end + 1;
    }
    std::vector<std::string> out;
    for (const auto& [key, readings] : counts) {
        std::vector<std::pair<std::size_t, String>> ranked;
        std::size_t total = 0;
        for (const auto& [reading, count] : readings) {
            total += count;
            if (count >= kGivenPartAtLeast)
                ranked.emplace_back(count, reading);
        }
        if (ranked.empty())
            continue;
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        if (ranked.size() > kGivenPartReadings)
            ranked.resize(kGivenPartReadings);
        std::string line =
            toUtf8(std::u16string_view(&key.first, 1)) + (key.second == 0 ? " < " : " > ") + std::to_string(total);
        for (const auto& [count, reading] : ranked)
            line += ' ' + toUtf8(reading) + ' ' + std::to_string(count);
        out.push_back(std::move(line));
    }
    return out;
}

Result<std::filesystem::path> prepareGivenParts(const std::filesystem::path& names,
                                                const std::filesystem::path& kanjiSource, const KanjiTable& kanji,
                                                const std::filesystem::path& cacheDir, std::string_view name,
                                                bool* made)
{
    // Both dictionaries are in the stamp (the character dictionary's text
    // makes no lines of its own); the rule's numbers too.
    const std::string rule =
        "given parts " + std::to_string(kGivenPartReadings) + ' ' + std::to_string(kGivenPartAtLeast);
    return prepareText({SkkSource{names, rule}, SkkSource{kanjiSource, "kanji"}}, cacheDir, name, made,
                       [&kanji](std::string_view text, std::string_view kind) {
                           return kind == "kanji" ? std::vector<std::string>() : givenPartLines(text, kanji);
                       });
}

std::unique_ptr<GivenParts> GivenParts::open(const std::filesystem::path& text)
{
    const MappedText mapped(text);
    auto parts = std::make_unique<GivenParts>(parse(mapped.text()));
    return parts->empty() ? nullptr : std::move(parts);
}

GivenParts GivenParts::parse(std::string_view text)
{
    GivenParts parts;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        // The character, its place, the names counted, then readings and
        // counts, separated by single spaces.
        std::vector<std::string_view> fields;
        for (std::size_t from = at; from < end;) {
            std::size_t space = text.find(' ', from);
            if (space == std::string_view::npos || space > end)
                space = end;
            fields.push_back(text.substr(from, space - from));
            from = space + 1;
        }
        at = end + 1;
        const String character = fields.empty() ? String() : toUtf16(fields[0]);
        std::size_t total = 0;
        if (fields.size() < 5 || fields.size() % 2 == 0 || character.size() != 1 ||
            (fields[1] != "<" && fields[1] != ">") ||
            std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), total).ec != std::errc() ||
            total == 0)
            continue;
        std::vector<Part> list;
        for (std::size_t i = 3; i + 1 < fields.size(); i += 2) {
            std::size_t count = 0;
            if (std::from_chars(fields[i + 1].data(), fields[i + 1].data() + fields[i + 1].size(), count).ec !=
                    std::errc() ||
                count > total)
                continue;
            list.push_back(Part{toUtf16(fields[i]), static_cast<double>(count) / static_cast<double>(total)});
        }
        (fields[1] == "<" ? parts.heads_ : parts.tails_)[character.front()] = std::move(list);
    }
    return parts;
}

std::vector<String> GivenParts::composed(std::u16string_view given, std::size_t limit) const
{
    if (given.size() != 2)
        return {};
    const auto head = heads_.find(given[0]);
    const auto tail = tails_.find(given[1]);
    if (head == heads_.end() || tail == tails_.end())
        return {};
    std::vector<std::pair<double, String>> scored;
    for (const Part& a : head->second)
        for (const Part& b : tail->second)
            scored.emplace_back(a.share * b.share, a.reading + b.reading);
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<String> out;
    for (auto& [share, reading] : scored) {
        if (out.size() >= limit)
            break;
        if (std::find(out.begin(), out.end(), reading) == out.end())
            out.push_back(std::move(reading));
    }
    return out;
}

} // namespace yomi::reading
