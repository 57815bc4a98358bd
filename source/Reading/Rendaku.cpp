#include "Reading/Rendaku.h"

#include <malloc.h>
#include <unicode/ucnv.h>

#include <string>
#include <utility>
#include <vector>

#include "Category/Reading.h"
#include "Reading/DictionaryText.h"

namespace yomi::reading {

char16_t voicedKana(char16_t c)
{
    if ((c >= u'カ' && c <= u'チ' && (c - u'カ') % 2 == 0) || c == u'ツ' || c == u'テ' || c == u'ト')
        return static_cast<char16_t>(c + 1);
    if (c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0)
        return static_cast<char16_t>(c + 1);
    return 0;
}

namespace {

std::u16string key(std::u16string_view word, std::u16string_view reading)
{
    std::u16string k(word);
    k += u'\t';
    k += reading;
    return k;
}

// A line's written form and its reading in katakana ("夜桜 [よざくら] /..."),
// or nothing for a line of another form, an old or irregular kana, or a
// written form without a Han character.
bool entry(std::string_view line, UConverter* converter, std::u16string& word, std::u16string& reading)
{
    const std::size_t open = line.find(" [");
    const std::size_t close = line.find("] /");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
        line.find("(ok)") != std::string_view::npos || line.find("(ik)") != std::string_view::npos)
        return false;
    const auto decode = [&](std::string_view bytes, std::u16string& out) {
        UErrorCode status = U_ZERO_ERROR;
        out.resize(bytes.size() + 1);
        const int32_t n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()),
                                        static_cast<int32_t>(out.size()), bytes.data(),
                                        static_cast<int32_t>(bytes.size()), &status);
        if (U_FAILURE(status) || n <= 0)
            return false;
        out.resize(static_cast<std::size_t>(n));
        return true;
    };
    if (!decode(line.substr(0, open), word) || !decode(line.substr(open + 2, close - open - 2), reading) ||
        !containsHan(word))
        return false;
    for (char16_t& c : reading) {
        if (c >= u'ぁ' && c <= u'ゖ')
            c = static_cast<char16_t>(c + 0x60);
        else if (!(c >= u'ァ' && c <= u'ヺ') && c != u'ー')
            return false;
    }
    return !reading.empty();
}

// At least five of the words voice it, and three in four.
bool voicesMostly(const Rendaku::Count& c)
{
    return c.voiced >= 5 && c.voiced * 4 >= (c.voiced + c.plain) * 3;
}

} // namespace

Rendaku::Rendaku(const std::filesystem::path& words)
{
    // The readings of the words of one or two characters, and every word.
    std::unordered_map<std::u16string, std::vector<std::u16string>> shortWords;
    std::vector<std::pair<std::u16string, std::u16string>> all;
    std::u16string word, reading;
    const bool read = forEachEucJpLine(words, [&](std::string_view line, UConverter* converter) {
        if (!entry(line, converter, word, reading))
            return;
        if (word.size() <= 2 && isHanCharacter(word.front()))
            shortWords[word].push_back(reading);
        if (word.size() >= 2)
            all.emplace_back(word, reading);
    });
    if (!read)
        return;
    for (const auto& [whole, said] : all) {
        for (std::size_t n = 1; n <= 2 && n < whole.size(); ++n) {
            const std::u16string_view end = std::u16string_view(whole).substr(whole.size() - n);
            const auto found = shortWords.find(std::u16string(end));
            if (found == shortWords.end())
                continue;
            for (const std::u16string& alone : found->second) {
                const char16_t v = voicedKana(alone.front());
                if (!v || said.size() <= alone.size())
                    continue;
                const std::u16string_view tail = std::u16string_view(said).substr(said.size() - alone.size());
                if (tail == alone)
                    ++table_[key(end, alone)].plain;
                else if (tail.front() == v && tail.substr(1) == std::u16string_view(alone).substr(1))
                    ++table_[key(end, alone)].voiced;
            }
        }
    }
    // Only the words that voice are asked after: the others go, and with
    // them the text's memory.
    std::erase_if(table_, [](const auto& entry) { return !voicesMostly(entry.second); });
    all = {};
    shortWords = {};
    malloc_trim(0);
}

Rendaku::Count Rendaku::count(std::u16string_view word, std::u16string_view reading) const
{
    const auto found = table_.find(key(word, reading));
    return found == table_.end() ? Count{} : found->second;
}

bool Rendaku::voices(std::u16string_view word, std::u16string_view reading) const
{
    return voicesMostly(count(word, reading));
}

} // namespace yomi::reading
