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

std::optional<KoreanValueReader::Hangul> KoreanValueReader::inHangul(std::u16string_view value, NameKind kind,
                                                                    ValueReading& out) const
{
    Hangul hangul;
    std::u16string& text = hangul.text;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t at = i;
        const char32_t c = nextCodePoint(value, i);
        if (isKanaCharacter(c)) {
            out.reason = "kana cannot be read in Korean";
            return std::nullopt;
        }
        if (!isHanCharacter(c)) {
            text.append(value.substr(at, i - at));
            continue;
        }
        if (!hanja_ || !hanja_->available()) {
            out.reason = "Han characters (hanja) cannot be read in Korean";
            return std::nullopt;
        }
        // The run of hanja, a word's start unless Hangul is right before it.
        std::size_t end = i;
        while (end < value.size()) {
            std::size_t next = end;
            if (!isHanCharacter(nextCodePoint(value, next)))
                break;
            end = next;
        }
        // A person's name in hanja is the whole value (金大中).
        const bool wordStart = text.empty() || !isHangulSyllable(text.back());
        const bool name = kind == NameKind::Person && at == 0 && end == value.size();
        const std::optional<HanjaDictionary::Reading> read =
            hanja_->read(value.substr(at, end - at), wordStart, name);
        if (!read) {
            out.reason = "a Han character the hanja table has no Korean sound for";
            return std::nullopt;
        }
        text += read->hangul;
        hangul.hanja = true;
        hangul.wholeWords = hangul.wholeWords && read->wholeWords;
        i = end;
    }
    return hangul;
}

ValueReading KoreanValueReader::read(std::u16string_view value, const ReadRequest& request)
{
    ValueReading refused;
    refused.language = Language::Korean;
    const std::optional<Hangul> hangul = inHangul(value, request.kind, refused);
    if (!hangul)
        return refused;
    ValueReading out = readHangul(hangul->text, request);
    if (out.reading && hangul->hanja) {
        // Hanja read by the table are as sure as the table's words.
        const Confidence c = hangul->wholeWords ? Confidence::Likely : Confidence::Check;
        if (c < out.confidence) {
            out.confidence = c;
            out.reason = hangul->wholeWords ? "hanja read as words of the hanja table"
                                            : "hanja read one by one by their Korean sounds";
        }
    }
    return out;
}

ValueReading KoreanValueReader::readHangul(const std::u16string& value, const ReadRequest& request)
{
    ValueReading out;
    out.language = Language::Korean;
    bool hangul = false;
    for (std::size_t i = 0; i < value.size();) {
        const char32_t c = nextCodePoint(value, i);
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
