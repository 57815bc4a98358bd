// Hangul in the Revised Romanization of Korean, the way a sort value spells
// it: letters a-z only. Words are romanised with the sound changes the
// romanisation writes between syllables (같이 gachi, 독립문 dongnimmun, 신라
// silla); a person's given name syllable by syllable, hyphenated
// (Jeong-hyeon), as the romanisation sets names. And the customary spellings
// of the surnames (이 Lee, 박 Park, 최 Choi).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::korean {

bool isHangulSyllable(char32_t c);

// One word of Hangul syllables with the sound changes between them; any
// character that is not a Hangul syllable is kept as it is and ends the
// word's sound changes.
std::string romanizeWord(std::u16string_view word);

// Syllables each on their own, joined by `separator` ("Jeong-hyeon" with
// "-", lower case).
std::string romanizeSyllables(std::u16string_view syllables, std::string_view separator);

struct KoreanSurname {
    std::size_t length = 0;          // syllables it covers; 0 when none
    std::string customary;           // "Lee"
    std::vector<std::string> others; // other customary spellings and the romanisation ("Yi", "Rhee")
    std::size_t rank = 0;            // 1 for the commonest surname, on in the order of how common
};

// The surname a name begins with (two-syllable surnames first).
KoreanSurname koreanSurnameAt(std::u16string_view name);

} // namespace yomi::korean
