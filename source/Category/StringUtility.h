// Character classes and the Latin transliteration.
//
// Each predicate is true when every UTF-16 code unit of the string is in the
// predicate's allowed set, and true for the empty string; an absent string
// gives false. The kana and alphabet sets come from the strings table
// "StringUtility" (keys "japaneseCharacterset" and "alphabetCharacterSet"),
// looked up and built afresh on every call. A surrogate code unit is never a
// member, so a character outside the Basic Multilingual Plane always fails.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "Platform/Text.h"

namespace yomi {

using StringArg = std::optional<std::u16string_view>;

// Kana and Latin alphabet together: the scan lists a value only when this is
// false for it.
bool isHiraganaKatanakaAlphabetString(StringArg s);
// The same test for many strings in a row (a scan): the sets are looked up
// and built at the first call and kept for the later ones.
class KanaOrAlphabetTest {
public:
    KanaOrAlphabetTest();
    ~KanaOrAlphabetTest();
    KanaOrAlphabetTest(const KanaOrAlphabetTest&) = delete;
    KanaOrAlphabetTest& operator=(const KanaOrAlphabetTest&) = delete;
    bool operator()(StringArg s);

private:
    struct Set;
    std::unique_ptr<Set> set_;
};
bool isHiraganaKatanakaString(StringArg s);
bool isAlphanumericString(StringArg s);
// The ten digits "0123456789" only.
bool isNumberString(StringArg s);

// The text in lower-case Latin letters: ICU's Any-Latin over the whole text,
// then lower case by the root locale. Absent or empty gives "".
String romaji(StringArg s);

} // namespace yomi
