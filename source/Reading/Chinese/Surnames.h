// Chinese surnames with the readings they take as surnames, which are often
// not the characters' common readings (曾 Zeng, 单 Shan, 解 Xie, 区 Ou, 朴 Piao,
// 查 Zha, 乐 Yue). Single and compound surnames (欧阳, 司马, 诸葛), each in its
// simplified and traditional forms. Gathered from the published lists: the
// Hundred Family Surnames, the frequency lists of the household registers of
// the mainland and Taiwan, and the surname readings of the romanisation
// standard for Chinese names (GB/T 28039-2011).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::chinese {

struct Surname {
    std::size_t length = 0; // code units of the value it covers
    std::string reading;    // sort spelling, one word ("ouyang")
    // Other readings the same characters take as a surname (朴 Pu, 覃 Tan).
    std::vector<std::string> alternatives;
    // One of the commonest surnames (about the first 150 by bearers).
    bool common = false;
    // The tones of its syllables where a surname's tone is not the one the
    // characters' same syllable usually takes (华 hua4, 纪 ji3, 令狐
    // ling2 hu2); else empty.
    std::vector<int> tones;
};

// The surname the value begins with, compound ones first; length 0 when it
// begins with none.
Surname surnameAt(std::u16string_view value);

// Whether the characters are one whole surname of the table.
bool isSurname(std::u16string_view text);

} // namespace yomi::chinese
