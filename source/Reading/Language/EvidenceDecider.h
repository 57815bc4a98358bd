// The language of a value from named evidence, strongest first:
//   - the value's own characters: kana (Japanese), Hangul (Korean), forms
//     only Japanese writes (々, 込, 畑, and new forms such as 桜 and 沢 whose
//     old form Chinese simplifies otherwise), characters only simplified
//     Chinese writes (们, 这, 说);
//   - the dictionaries: the Japanese engine's knowledge of the value (a whole
//     name or word, its own signs of a Chinese name) and its reading of it
//     (weaker where it doubts that reading itself), a word of the Chinese
//     dictionary that no Japanese one holds (for names), a Japanese surname at
//     the start, a common Chinese surname followed by a given name of one or
//     two characters that the Japanese dictionaries do not know whole, a
//     given name holding a character Japanese given names may not hold
//     (GivenNameCharacters), characters outside the Japanese character set;
//   - the library: the sort values its tracks hold for the value (kana:
//     Japanese; the value's pinyin: Chinese), stronger than the texts
//     around the value (kana in them: Japanese; simplified-only characters:
//     Chinese; many texts and no kana at all: Chinese), and texts most of
//     which hold Hangul and none kana: Korean, where the Korean engine can
//     read hanja (not clearly);
// and the user's default for what stays undecided.
#pragma once

#include <memory>
#include <optional>

#include "Category/Reader.h"
#include "Reading/Language/GivenNameCharacters.h"

namespace yomi::chinese {
class ChineseValueReader;
}
namespace yomi::korean {
class HanjaDictionary;
}

namespace yomi::language {

// Whether a Han character is a form only Japanese writes.
bool isJapaneseOnlyForm(char32_t c);
// Whether a Han character is outside the Japanese character set (JIS X 0208
// with the vendor extensions that Japanese names use).
bool isOutsideJapaneseSet(char32_t c);

class EvidenceDecider final : public LanguageDecider {
public:
    // Either engine may be null, and so may the characters of Japanese
    // given names: their evidence is then left out.
    EvidenceDecider(ReadingEngine* japanese, chinese::ChineseValueReader* chinese,
                    std::shared_ptr<const GivenNameCharacters> givenNames = nullptr)
        : japanese_(japanese), chinese_(chinese), givenNames_(std::move(givenNames))
    {
    }
    LanguageDecision decide(std::u16string_view value, const ValueContext& context, Language prefer) override;
    // The hanja table the Korean engine reads with; without one (or when
    // it cannot be read) no value of Han characters alone is Korean.
    void setHanja(std::shared_ptr<korean::HanjaDictionary> hanja) { hanja_ = std::move(hanja); }

    // Points for and against each language, with the evidence named; what
    // the value's own characters say.
    struct Score;
    struct Characters;

private:
    // The stages of decide() that ask the engines: the shape of a person's
    // name, and the Japanese engine's reading of a value that looks Chinese.
    void weighName(std::u16string_view value, const RunKnowledge& known, std::size_t characters, Score& score);
    void weighEngine(std::u16string_view value, const RunKnowledge& known, NameKind kind, Score& score);
    // The characters of given names; old forms.
    void weighGivenName(std::u16string_view value, std::size_t characters, Score& score);
    void weighForms(std::u16string_view value, const Characters& chars, Score& score);
    // The sort values the library holds for the value: kana, or its pinyin.
    void weighSortValues(std::u16string_view value, const ValueContext& context, Score& score);
    std::optional<LanguageDecision> byKoreanTexts(std::u16string_view value, const ValueContext& context);

    ReadingEngine* japanese_;
    chinese::ChineseValueReader* chinese_;
    std::shared_ptr<const GivenNameCharacters> givenNames_;
    std::shared_ptr<korean::HanjaDictionary> hanja_;
};

} // namespace yomi::language
