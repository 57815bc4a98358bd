// Pinyin syllables as a sort value spells them: letters a-z only (no tone
// marks, ü written "yu" after l and n, as in Lyu and Nyu), syllables of one
// word joined with an apostrophe where the next one begins with a, o or e
// (Xi'an), and the same syllables in zhuyin (bopomofo) for Taiwanese
// listeners.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace yomi::chinese {

// One syllable in the sort spelling: lower case, tone digits and marks
// dropped, "v" and "ü" written "yu" after l and n and "u" elsewhere
// ("lv" lyu, "nve" nyue, "lü" lyu). Empty when the text is not a syllable
// (holds something besides letters, a trailing tone digit and ü).
std::string sortSyllable(std::string_view syllable);

// The syllables of one word joined (Zhi wei → zhiwei, xi an → xi'an).
std::string joinSyllables(const std::vector<std::string>& syllables);

// The zhuyin of one syllable in the sort spelling (zhong → ㄓㄨㄥ); empty for
// a syllable zhuyin does not spell.
std::u16string zhuyin(std::string_view syllable);
// The same with its tone marked as Taiwanese writing marks it: the first
// tone (and 0, an unknown one) unmarked, ˊ ˇ ˋ after the syllable for the
// second to the fourth, ˙ before it for the neutral tone (5).
std::u16string zhuyin(std::string_view syllable, int tone);

} // namespace yomi::chinese
