#include "Reading/Loanwords.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <fstream>

namespace yomi::reading {
namespace {

// A gloss without its leading marks ("(n) (1) lover": "lover"), in lower
// case when it is one English word of letters, else empty.
std::string oneWord(std::string_view gloss)
{
    while (!gloss.empty() && (gloss.front() == ' ' || gloss.front() == '(')) {
        if (gloss.front() == ' ') {
            gloss.remove_prefix(1);
            continue;
        }
        const std::size_t close = gloss.find(')');
        if (close == std::string_view::npos)
            return {};
        gloss.remove_prefix(close + 1);
    }
    std::string out;
    for (const char c : gloss) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return {};
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return out;
}

// Whether the EUC-JP head is katakana and the prolonged-sound mark alone.
bool katakanaHead(std::string_view head)
{
    if (head.empty() || head.size() % 2)
        return false;
    for (std::size_t i = 0; i < head.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(head[i]), lo = static_cast<unsigned char>(head[i + 1]);
        if (!(hi == 0xA5 && lo >= 0xA1 && lo <= 0xF6) && !(hi == 0xA1 && lo == 0xBC))
            return false;
    }
    return true;
}

// A loanword with its spelling variants made one: ヴ as ブ, without a
// prolonged-sound mark at its end.
String folded(const String& katakana)
{
    String out = katakana;
    std::replace(out.begin(), out.end(), u'ヴ', u'ブ');
    while (!out.empty() && out.back() == u'ー')
        out.pop_back();
    return out;
}

} // namespace

Loanwords::Loanwords(const std::filesystem::path& words)
{
    std::ifstream in(words, std::ios::binary);
    if (!in)
        return;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("EUC-JP", &status);
    if (U_FAILURE(status))
        return;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && static_cast<unsigned char>(line[0]) == 0xA5)
            add(line, converter);
    ucnv_close(converter);
}

// One line of the dictionary: "ラバー /(n) (1) lover/(n) (2) rubber/(P)/".
void Loanwords::add(std::string_view line, void* converter)
{
    const std::size_t space = line.find(" /");
    if (space == std::string_view::npos || !katakanaHead(line.substr(0, space)))
        return;
    const std::string_view glosses = line.substr(space + 2);
    std::vector<std::string> english;
    bool common = false;
    for (std::size_t start = 0; start < glosses.size();) {
        std::size_t end = glosses.find('/', start);
        if (end == std::string_view::npos)
            end = glosses.size();
        const std::string_view gloss = glosses.substr(start, end - start);
        common = common || gloss == "(P)";
        if (std::string word = oneWord(gloss); !word.empty())
            english.push_back(std::move(word));
        start = end + 1;
    }
    if (english.empty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    UChar decoded[128];
    const int32_t n = ucnv_toUChars(static_cast<UConverter*>(converter), decoded, 128, line.data(),
                                    static_cast<int32_t>(space), &status);
    if (U_FAILURE(status) || n <= 0)
        return;
    const String katakana(reinterpret_cast<const char16_t*>(decoded), static_cast<std::size_t>(n));
    for (const std::string& word : english) {
        std::vector<Word>& known = table_[word];
        if (std::none_of(known.begin(), known.end(), [&](const Word& w) { return w.katakana == katakana; }))
            known.push_back(Word{katakana, common});
    }
}

std::optional<String> Loanwords::of(std::u16string_view english) const
{
    std::string key;
    for (const char16_t c : english) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return std::nullopt;
        key += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
    }
    const auto found = table_.find(key);
    if (found == table_.end())
        return std::nullopt;
    // Spellings of one word (ラブ and ラヴ, メロディー and メロディ) are one
    // reading: the first in common use stands for them.
    const auto one = [](const std::vector<const Word*>& words) -> std::optional<String> {
        if (words.empty() || std::any_of(words.begin(), words.end(), [&](const Word* w) {
                return folded(w->katakana) != folded(words.front()->katakana);
            }))
            return std::nullopt;
        const auto common = std::find_if(words.begin(), words.end(), [](const Word* w) { return w->common; });
        return (common == words.end() ? words.front() : *common)->katakana;
    };
    std::vector<const Word*> all, common;
    for (const Word& w : found->second) {
        all.push_back(&w);
        if (w.common)
            common.push_back(&w);
    }
    if (auto word = one(all))
        return word;
    return one(common);
}

} // namespace yomi::reading
