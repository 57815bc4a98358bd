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
    return category == "album" || category == "song" ? NameKind::Title : NameKind::Person;
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
        return std::find(c.accepted.begin(), c.accepted.end(), toUtf8(got)) != c.accepted.end();
    };
    const bool top = ok(*r.reading);
    return {top, top || std::any_of(r.alternatives.begin(), r.alternatives.end(), ok)};
}

} // namespace yomi::test
