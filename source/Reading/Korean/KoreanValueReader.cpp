#include "Reading/Korean/KoreanValueReader.h"

#include <algorithm>

#include "Reading/Korean/Romanization.h"

namespace yomi::korean {
namespace {

// Hangul jamo on their own (ㄱ, ㅏ): not syllables, so nothing to romanise.
bool isLoneJamo(char32_t c) { return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F); }

std::u16string trimmed(std::u16string_view value)
{
    std::size_t from = 0, to = value.size();
    while (from < to && (value[from] == u' ' || value[from] == 0x3000))
        ++from;
    while (to > from && (value[to - 1] == u' ' || value[to - 1] == 0x3000))
        --to;
    return std::u16string(value.substr(from, to - from));
}

} // namespace

ValueReading KoreanValueReader::read(std::u16string_view value, const ReadRequest& request)
{
    ValueReading out;
    out.language = Language::Korean;
    bool hangul = false;
    for (std::size_t i = 0; i < value.size();) {
        const char32_t c = nextCodePoint(value, i);
        if (isHanCharacter(c)) {
            out.reason = "Han characters (hanja) cannot be read in Korean";
            return out;
        }
        if (isKanaCharacter(c)) {
            out.reason = "kana cannot be read in Korean";
            return out;
        }
        hangul = hangul || isHangulSyllable(c) || isLoneJamo(c);
    }
    if (!hangul) {
        out.reason = "no Hangul to read";
        return out;
    }
    const std::u16string text = trimmed(value);
    if (request.styles.korean == KoreanStyle::Hangul) {
        out.reading = text;
        out.confidence = Confidence::Sure;
        out.reason = "Hangul kept as written";
        return out;
    }
    for (std::size_t i = 0; i < text.size();) {
        if (isLoneJamo(nextCodePoint(text, i))) {
            out.reason = "Hangul letters outside syllables cannot be romanised";
            return out;
        }
    }

    // A person's name: no space, a surname and a given name of up to two
    // syllables (a surname alone is the surname).
    const bool allSyllables = std::all_of(text.begin(), text.end(), [](char16_t c) { return isHangulSyllable(c); });
    const KoreanSurname surname = koreanSurnameAt(text);
    const std::size_t given = text.size() - surname.length;
    if (request.kind == NameKind::Person && allSyllables && surname.length > 0 && given <= 2) {
        const std::string first = capitalised(romanizeSyllables(std::u16string_view(text).substr(surname.length), "-"));
        const std::string space = first.empty() ? "" : " ";
        out.reading = toUtf16(surname.customary + space + first);
        for (const std::string& other : surname.others) {
            if (out.alternatives.size() >= request.alternatives)
                break;
            out.alternatives.push_back(toUtf16(other + space + first));
        }
        out.confidence = Confidence::Likely;
        out.reason = "the surname's customary spelling; the given name in the Revised Romanization";
        return out;
    }

    // Anything else word by word, with the sound changes inside each word.
    std::string reading;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && text[end] != u' ' && text[end] != 0x3000)
            ++end;
        if (end > i)
            reading += (reading.empty() ? "" : " ") + romanizeWord(std::u16string_view(text).substr(i, end - i));
        i = end + 1;
    }
    out.reading = toUtf16(capitalised(reading));
    out.confidence = Confidence::Likely;
    out.reason = "the Revised Romanization";
    return out;
}

} // namespace yomi::korean
