#include "Reading/GivenNames.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "Reading/SkkDictionary.h"

namespace yomi::reading {
namespace {

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
    std::unordered_map<std::string_view, std::vector<std::string_view>> surnames, givens;
    std::vector<Line> full;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        Line l;
        if (cut(text.substr(at, end - at), l)) {
            // s: a surname, u: a surname or a given name, g, f, m: given
            // names, h: a person's full name.
            if (hasKind(l.kinds, "su"))
                surnames[l.key].push_back(l.reading);
            if (hasKind(l.kinds, "gfmu"))
                givens[l.key].push_back(l.reading);
            if (hasKind(l.kinds, "h"))
                full.push_back(l);
        }
        at = end + 1;
    }
    // Each full name at the first cut whose surname and given name read so.
    std::unordered_map<std::string_view, std::vector<std::pair<std::string_view, std::size_t>>> counts;
    for (const Line& f : full) {
        bool found = false;
        for (std::size_t k = charLength(static_cast<unsigned char>(f.key[0])); k < f.key.size() && !found;
             k += charLength(static_cast<unsigned char>(f.key[k]))) {
            const auto s = surnames.find(f.key.substr(0, k));
            const auto g = givens.find(f.key.substr(k));
            if (s == surnames.end() || g == givens.end())
                continue;
            for (const std::string_view sr : s->second) {
                if (sr.size() >= f.reading.size() || !f.reading.starts_with(sr))
                    continue;
                const std::string_view gr = f.reading.substr(sr.size());
                if (std::find(g->second.begin(), g->second.end(), gr) == g->second.end())
                    continue;
                auto& list = counts[g->first];
                const auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.first == gr; });
                if (it == list.end())
                    list.emplace_back(gr, 1);
                else
                    ++it->second;
                found = true;
                break;
            }
        }
    }
    std::vector<std::string> out;
    for (const auto& [name, list] : counts) {
        std::size_t total = 0;
        const std::pair<std::string_view, std::size_t>* best = nullptr;
        for (const auto& c : list) {
            total += c.second;
            if (!best || c.second > best->second)
                best = &c;
        }
        if (best->second >= kUsualGivenAtLeast && best->second * 100 >= total * kUsualGivenShare)
            out.push_back(std::string(name) + " [" + std::string(best->first) + "] /(g) usual/");
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
