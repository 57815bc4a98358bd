#include "Reading/Chinese/Pinyin.h"

#include <array>
#include <utility>

namespace yomi::chinese {

std::string sortSyllable(std::string_view syllable)
{
    std::string letters;
    std::size_t i = 0;
    while (i < syllable.size()) {
        const unsigned char c = static_cast<unsigned char>(syllable[i]);
        if (c >= 'a' && c <= 'z') {
            letters += static_cast<char>(c);
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            letters += static_cast<char>(c - 'A' + 'a');
            ++i;
        } else if ((c == 0xC3 && i + 1 < syllable.size() && static_cast<unsigned char>(syllable[i + 1]) == 0xBC) ||
                   (c == 0xC3 && i + 1 < syllable.size() && static_cast<unsigned char>(syllable[i + 1]) == 0x9C)) {
            letters += 'v'; // ü or Ü
            i += 2;
        } else if (c >= '1' && c <= '5' && i + 1 == syllable.size() && !letters.empty()) {
            ++i; // a tone digit
        } else {
            return {};
        }
    }
    if (letters.empty())
        return {};
    // "lue" and "nue" are other spellings of lüe and nüe.
    if ((letters == "lue" || letters == "nue"))
        letters = std::string(1, letters[0]) + "ve";
    std::string out;
    for (std::size_t k = 0; k < letters.size(); ++k) {
        if (letters[k] != 'v') {
            out += letters[k];
            continue;
        }
        out += (k > 0 && (letters[k - 1] == 'l' || letters[k - 1] == 'n')) ? "yu" : "u";
    }
    return out;
}

std::string joinSyllables(const std::vector<std::string>& syllables)
{
    std::string out;
    for (const std::string& s : syllables) {
        if (s.empty())
            continue;
        if (!out.empty() && (s[0] == 'a' || s[0] == 'o' || s[0] == 'e'))
            out += '\'';
        out += s;
    }
    return out;
}

namespace {

struct Part {
    std::string_view pinyin;
    std::u16string_view zhuyin;
};

constexpr std::array<Part, 21> kInitials{{
    {"zh", u"ㄓ"}, {"ch", u"ㄔ"}, {"sh", u"ㄕ"}, {"b", u"ㄅ"}, {"p", u"ㄆ"}, {"m", u"ㄇ"}, {"f", u"ㄈ"},
    {"d", u"ㄉ"},  {"t", u"ㄊ"},  {"n", u"ㄋ"},  {"l", u"ㄌ"}, {"g", u"ㄍ"}, {"k", u"ㄎ"}, {"h", u"ㄏ"},
    {"j", u"ㄐ"},  {"q", u"ㄑ"},  {"x", u"ㄒ"},  {"r", u"ㄖ"}, {"z", u"ㄗ"}, {"c", u"ㄘ"}, {"s", u"ㄙ"},
}};

// Finals in their full form (iou, uei, uen; ü written v).
constexpr std::array<Part, 38> kFinals{{
    {"a", u"ㄚ"},     {"o", u"ㄛ"},      {"e", u"ㄜ"},      {"eh", u"ㄝ"},     {"ai", u"ㄞ"},    {"ei", u"ㄟ"},
    {"ao", u"ㄠ"},    {"ou", u"ㄡ"},     {"an", u"ㄢ"},     {"en", u"ㄣ"},     {"ang", u"ㄤ"},   {"eng", u"ㄥ"},
    {"er", u"ㄦ"},    {"i", u"ㄧ"},      {"ia", u"ㄧㄚ"},   {"io", u"ㄧㄛ"},   {"ie", u"ㄧㄝ"},  {"iao", u"ㄧㄠ"},
    {"iou", u"ㄧㄡ"}, {"ian", u"ㄧㄢ"},  {"in", u"ㄧㄣ"},   {"iang", u"ㄧㄤ"}, {"ing", u"ㄧㄥ"}, {"iong", u"ㄩㄥ"},
    {"u", u"ㄨ"},     {"ua", u"ㄨㄚ"},   {"uo", u"ㄨㄛ"},   {"uai", u"ㄨㄞ"},  {"uei", u"ㄨㄟ"}, {"uan", u"ㄨㄢ"},
    {"uen", u"ㄨㄣ"}, {"uang", u"ㄨㄤ"}, {"ueng", u"ㄨㄥ"}, {"ong", u"ㄨㄥ"},  {"v", u"ㄩ"},     {"ve", u"ㄩㄝ"},
    {"van", u"ㄩㄢ"}, {"vn", u"ㄩㄣ"},
}};

} // namespace

std::u16string zhuyin(std::string_view syllable)
{
    std::string s(syllable);
    // Back from the sort spelling: lyu, nyu → lv, nv.
    if (s.size() >= 3 && (s[0] == 'l' || s[0] == 'n') && s[1] == 'y' && s[2] == 'u')
        s = std::string(1, s[0]) + "v" + s.substr(3);
    std::u16string out;
    std::string_view initial;
    for (const Part& p : kInitials)
        if (s.compare(0, p.pinyin.size(), p.pinyin) == 0) {
            initial = p.pinyin;
            out = p.zhuyin;
            break;
        }
    std::string final = s.substr(initial.size());
    if (initial.empty() && !final.empty() && (final[0] == 'y' || final[0] == 'w')) {
        const char glide = final[0];
        final = final.substr(1);
        if (glide == 'y') {
            if (!final.empty() && final[0] == 'u')
                final = "v" + final.substr(1); // yu, yue, yuan, yun
            else if (final.empty() || final[0] != 'i')
                final = "i" + final; // ya, ye, yao, you, yan, yang, yong
        } else if (final != "u") {
            final = "u" + final; // wa, wo, wai, wei, wan, wen, wang, weng
        }
    }
    if (!initial.empty() && (initial == "j" || initial == "q" || initial == "x") && !final.empty() && final[0] == 'u')
        final = "v" + final.substr(1);
    if (final == "i" &&
        (initial == "zh" || initial == "ch" || initial == "sh" || initial == "r" || initial == "z" || initial == "c" ||
         initial == "s"))
        return out; // zhi, chi, shi, ri, zi, ci, si: the initial alone
    if (final == "iu")
        final = "iou";
    else if (final == "ui")
        final = "uei";
    else if (final == "un")
        final = "uen";
    else if (final == "io")
        final = "io";
    for (const Part& p : kFinals)
        if (final == p.pinyin)
            return out + std::u16string(p.zhuyin);
    return {};
}

std::u16string zhuyin(std::string_view syllable, int tone)
{
    std::u16string z = zhuyin(syllable);
    if (z.empty())
        return z;
    switch (tone) {
    case 2:
        return z + u'\u02CA';
    case 3:
        return z + u'\u02C7';
    case 4:
        return z + u'\u02CB';
    case 5:
        return u'\u02D9' + z;
    default:
        return z;
    }
}

} // namespace yomi::chinese
