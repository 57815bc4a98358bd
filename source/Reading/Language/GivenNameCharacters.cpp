#include "Reading/Language/GivenNameCharacters.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <string>

#include "Category/Reading.h"
#include "Platform/Text.h"
#include "Storage/FileCommit.h"

namespace yomi::language {

std::unique_ptr<GivenNameCharacters> GivenNameCharacters::parse(std::string_view text)
{
    std::unique_ptr<GivenNameCharacters> table(new GivenNameCharacters());
    std::call_once(table->loaded_, [] {});
    table->add(text);
    return table;
}

// Each line: the character, then fields separated by spaces; a grade is a
// field "G" and its number (1 to 6 the school years, 8 the rest of the
// common-use list, 9 and 10 the list for names).
void GivenNameCharacters::add(std::string_view text) const
{
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            continue;
        bool graded = false;
        for (std::size_t at = line.find(" G", space); at != std::string_view::npos; at = line.find(" G", at + 1))
            if (at + 2 < line.size() && line[at + 2] >= '1' && line[at + 2] <= '9') {
                graded = true;
                break;
            }
        if (!graded)
            continue;
        const std::u16string c = toUtf16(line.substr(0, space));
        std::size_t i = 0;
        if (!c.empty())
            graded_.insert(nextCodePoint(c, i));
    }
}

void GivenNameCharacters::load() const
{
    std::call_once(loaded_, [this] {
        const std::string euc = fileio::readWholeFile(source_).value_or(std::string());
        if (euc.empty())
            return;
        std::string utf8(euc.size() * 2 + 16, '\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = ucnv_convert("UTF-8", "EUC-JP", utf8.data(), static_cast<int32_t>(utf8.size()),
                                            euc.data(), static_cast<int32_t>(euc.size()), &status);
        if (U_FAILURE(status))
            return;
        utf8.resize(static_cast<std::size_t>(length));
        add(utf8);
    });
}

bool GivenNameCharacters::available() const
{
    load();
    return !graded_.empty();
}

bool GivenNameCharacters::allowed(char32_t c) const
{
    load();
    return graded_.empty() || graded_.count(c) > 0;
}

} // namespace yomi::language
