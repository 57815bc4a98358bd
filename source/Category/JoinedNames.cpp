#include "Category/JoinedNames.h"

#include <algorithm>
#include <array>

namespace yomi {
namespace {

struct Separator {
    std::u16string_view text;
    bool word;        // stands between spaces, compared without case
    bool unambiguous; // separates whether the parts are known or not
};

// Longer texts first, so that "feat." is found before "ft.".
constexpr std::array<Separator, 17> kSeparators{{
    {u"feat.", true, true},
    {u"with", true, false},
    {u"and", true, false},
    {u"ft.", true, true},
    {u"vs.", true, true},
    {u"x", true, false},
    {u"&", false, true},
    {u"\uFF06", false, true}, // ＆
    {u"/", false, true},
    {u"\uFF0F", false, true}, // ／
    {u";", false, true},
    {u"\uFF1B", false, true}, // ；
    {u"\u00D7", false, false}, // ×
    {u"\u3001", false, false}, // 、
    {u"\u30FB", false, false}, // ・
    {u"\uFF65", false, false}, // ･
    {u"\uFF0C", false, false}, // ，
}};

bool isSpace(char16_t c) { return c == u' ' || c == u'\u3000' || c == u'\t'; }

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool sameWord(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
        std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return lowerAscii(x) == lowerAscii(y); });
}

// The separator that starts at `at`, if any, and its length.
const Separator* separatorAt(std::u16string_view value, std::size_t at, bool ambiguousToo)
{
    for (const Separator& s : kSeparators) {
        if (!s.unambiguous && !ambiguousToo)
            continue;
        if (value.size() - at < s.text.size())
            continue;
        const std::u16string_view here = value.substr(at, s.text.size());
        if (s.word) {
            // A word separator stands between spaces.
            const bool before = at > 0 && isSpace(value[at - 1]);
            const bool after = at + s.text.size() < value.size() && isSpace(value[at + s.text.size()]);
            if (before && after && sameWord(here, s.text))
                return &s;
        } else if (here == s.text) {
            return &s;
        }
    }
    return nullptr;
}

std::u16string_view trimmed(std::u16string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// The value cut at every separator (of the kinds asked); nullopt for an
// empty part or too many parts.
std::optional<JoinedName> cut(std::u16string_view value, bool ambiguousToo)
{
    JoinedName out;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i < value.size();) {
        const Separator* s = separatorAt(value, i, ambiguousToo);
        if (!s) {
            ++i;
            continue;
        }
        const std::u16string_view part = trimmed(value.substr(partStart, i - partStart));
        if (part.empty() || out.parts.size() + 1 >= kMaxJoinedParts)
            return std::nullopt;
        // The separator with the spaces around it, as written.
        std::size_t from = i, to = i + s->text.size();
        while (from > partStart && isSpace(value[from - 1]))
            --from;
        while (to < value.size() && isSpace(value[to]))
            ++to;
        out.parts.emplace_back(part);
        out.separators.emplace_back(value.substr(from, to - from));
        partStart = i = to;
    }
    const std::u16string_view last = trimmed(value.substr(partStart));
    if (last.empty())
        return std::nullopt;
    out.parts.emplace_back(last);
    if (out.parts.size() < 2)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<JoinedName> splitJoinedName(std::u16string_view value, const KnownName& known)
{
    if (known && known(value))
        return std::nullopt;
    // Every separator, where each part is a name the library knows...
    if (auto all = cut(value, true); all && known &&
        std::all_of(all->parts.begin(), all->parts.end(), [&](const String& p) { return known(p); }))
        return all;
    // ...else only those that separate whatever the parts are.
    return cut(value, false);
}

String joinParts(const JoinedName& name, const std::vector<String>& readings)
{
    String out;
    for (std::size_t i = 0; i < name.parts.size(); ++i) {
        out += i < readings.size() ? readings[i] : name.parts[i];
        if (i < name.separators.size())
            out += name.separators[i];
    }
    return out;
}

} // namespace yomi
