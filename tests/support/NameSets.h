// The project's name sets (tests/reading/*.tsv), as the reading bench and the
// reading floor test read and score them. A line is "category TAB value TAB
// accepted readings separated by |"; lines starting with # are comments.
// Category "chinese" holds Chinese names that must get no Japanese reading.
#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Category/Reading.h"

namespace yomi::test {

struct NameCase {
    std::string category, value;
    std::vector<std::string> accepted; // empty: no Japanese reading is right
};

inline std::vector<NameCase> loadNameSet(const std::string& path)
{
    std::vector<NameCase> cases;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        NameCase c;
        std::string accepted;
        std::getline(fields, c.category, '\t');
        std::getline(fields, c.value, '\t');
        std::getline(fields, accepted);
        std::istringstream alternatives(accepted);
        for (std::string a; std::getline(alternatives, a, '|');)
            if (!a.empty())
                c.accepted.push_back(a);
        cases.push_back(std::move(c));
    }
    return cases;
}

// People and bands are read as names, albums and songs as titles.
inline NameKind kindOfCategory(const std::string& category)
{
    return category == "album" || category == "song" || category == "title" ? NameKind::Title : NameKind::Person;
}

// A reading as it is compared: its kana, letters and digits, without the
// spaces, punctuation and symbols that a value may keep as written (a sort
// value with ・ or = between its words sorts as one without them). Letters
// compare without case.
inline std::string comparable(const String& reading)
{
    String kept;
    for (char16_t c : reading) {
        const bool latin = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        const bool fullwidth =
            (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
        if (latin || fullwidth || isKanaCharacter(c) || isHanCharacter(c) || (c >= 0xD800 && c < 0xE000) ||
            (c >= 0xAC00 && c <= 0xD7A3))
            kept += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    }
    return toUtf8(kept);
}

// Whether the reading is right at the top, and among the candidates (the
// reading or one of its alternatives). A case with nothing accepted is right
// when it gets no Japanese reading.
struct NameScore {
    bool top = false, among = false;
};

inline NameScore scoreName(const NameCase& c, const ValueReading& r)
{
    if (c.accepted.empty()) {
        const bool right = !r.reading || r.language != Language::Japanese;
        return {right, right};
    }
    if (!r.reading)
        return {};
    const auto ok = [&](const String& got) {
        const std::string mine = comparable(got);
        return std::any_of(c.accepted.begin(), c.accepted.end(),
                           [&](const std::string& a) { return comparable(toUtf16(a)) == mine; });
    };
    const bool top = ok(*r.reading);
    return {top, top || std::any_of(r.alternatives.begin(), r.alternatives.end(), ok)};
}

} // namespace yomi::test
