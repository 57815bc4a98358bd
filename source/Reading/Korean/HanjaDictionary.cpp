#include "Reading/Korean/HanjaDictionary.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "Category/Reading.h"
#include "Platform/Text.h"
#include "Reading/Korean/Romanization.h"

namespace yomi::korean {
namespace {

bool isBmpHan(char16_t c) { return !(c >= 0xD800 && c < 0xE000) && isHanCharacter(c); }

// The vowels a syllable's initial ㄴ or ㄹ is dropped before at the start
// of a word: ㅑ ㅒ ㅕ ㅖ ㅛ ㅠ ㅣ.
bool beginsWithI(unsigned vowel)
{
    return vowel == 2 || vowel == 3 || vowel == 6 || vowel == 7 || vowel == 12 || vowel == 17 || vowel == 20;
}

} // namespace

char16_t initialSoundRule(char16_t syllable)
{
    if (!isHangulSyllable(syllable))
        return syllable;
    const unsigned s = syllable - 0xAC00;
    unsigned initial = s / 588;
    const unsigned vowel = (s % 588) / 28, final = s % 28;
    constexpr unsigned n = 2, r = 5, none = 11;
    if (initial == r)
        initial = beginsWithI(vowel) ? none : n;
    else if (initial == n && beginsWithI(vowel))
        initial = none;
    return static_cast<char16_t>(0xAC00 + initial * 588 + vowel * 28 + final);
}

HanjaDictionary::HanjaDictionary(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path HanjaDictionary::systemFile() { return "/usr/share/libhangul/hanja/hanja.txt"; }

bool HanjaDictionary::available()
{
    std::call_once(loaded_, [this] { load(); });
    return available_;
}

void HanjaDictionary::load()
{
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        return;
    // How often each character has each sound where it is not a word's
    // first (no initial sound rule there), and as a word of its own.
    std::map<std::pair<char16_t, char16_t>, std::size_t> inside, alone;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos)
            continue;
        const std::u16string hangul = toUtf16(std::string_view(line).substr(0, first));
        const std::u16string hanja = toUtf16(std::string_view(line).substr(first + 1, second - first - 1));
        if (hanja.empty() || hanja.size() != hangul.size() || !std::all_of(hanja.begin(), hanja.end(), isBmpHan) ||
            !std::all_of(hangul.begin(), hangul.end(), [](char16_t c) { return isHangulSyllable(c); }))
            continue;
        if (hanja.size() == 1) {
            ++alone[{hanja[0], hangul[0]}];
            alone_[hanja[0]] += hangul[0];
            continue;
        }
        for (std::size_t i = 1; i < hanja.size(); ++i)
            ++inside[{hanja[i], hangul[i]}];
        words_.push_back(static_cast<std::uint32_t>(pool_.size()));
        pool_ += static_cast<char16_t>(hanja.size());
        pool_ += hanja;
        pool_ += hangul;
        longest_ = std::max(longest_, hanja.size());
    }
    const auto hanjaAt = [this](std::uint32_t at) { return std::u16string_view(pool_).substr(at + 1, pool_[at]); };
    std::stable_sort(words_.begin(), words_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return hanjaAt(a) < hanjaAt(b); });
    // A word the table lists both as said inside a word and with the
    // initial sound rule (녀자 and 여자 for 女子): the first goes first, and
    // read() applies the rule where the word begins one.
    const auto hangulAt = [this](std::uint32_t at) {
        return std::u16string_view(pool_).substr(at + 1 + pool_[at], pool_[at]);
    };
    for (auto from = words_.begin(); from != words_.end();) {
        auto to = std::find_if(from, words_.end(), [&](std::uint32_t at) { return hanjaAt(at) != hanjaAt(*from); });
        const auto original = std::find_if(from, to, [&](std::uint32_t at) {
            const std::u16string_view h = hangulAt(at);
            const char16_t ruled = initialSoundRule(h[0]);
            return ruled != h[0] && std::any_of(from, to, [&](std::uint32_t other) {
                       const std::u16string_view o = hangulAt(other);
                       return o[0] == ruled && o.substr(1) == h.substr(1);
                   });
        });
        if (original != to)
            std::rotate(from, original, original + 1);
        from = to;
    }
    // A character's sound: the one it has most often inside words; one
    // never seen inside a word takes its first sound as a word of its own
    // (the table lists those in Hangul order).
    std::unordered_map<char16_t, std::size_t> best;
    for (const auto& [pair, count] : inside) {
        if (count > best[pair.first]) {
            best[pair.first] = count;
            sounds_[pair.first] = pair.second;
        }
    }
    for (const auto& [pair, count] : alone)
        sounds_.emplace(pair.first, pair.second);
    available_ = !sounds_.empty();
}

std::optional<std::u16string> HanjaDictionary::word(std::u16string_view hanja) const
{
    const auto hanjaAt = [this](std::uint32_t at) { return std::u16string_view(pool_).substr(at + 1, pool_[at]); };
    const auto it = std::lower_bound(words_.begin(), words_.end(), hanja,
                                     [&](std::uint32_t at, std::u16string_view key) { return hanjaAt(at) < key; });
    if (it == words_.end() || hanjaAt(*it) != hanja)
        return std::nullopt;
    return std::u16string(std::u16string_view(pool_).substr(*it + 1 + hanja.size(), hanja.size()));
}

std::optional<char16_t> HanjaDictionary::sound(char16_t c) const
{
    const auto it = sounds_.find(c);
    return it == sounds_.end() ? std::nullopt : std::optional<char16_t>(it->second);
}

std::optional<std::u16string> HanjaDictionary::surname(std::u16string_view hanja) const
{
    // Two characters the table reads as a two-syllable surname (南宮 남궁),
    // else the first character's commonest surname sound.
    if (hanja.size() > 2) {
        if (std::optional<std::u16string> two = word(hanja.substr(0, 2)); two && koreanSurnameAt(*two).length == 2)
            return two;
    }
    const auto sounds = alone_.find(hanja[0]);
    if (sounds == alone_.end())
        return std::nullopt;
    std::optional<std::u16string> best;
    std::size_t rank = 0;
    for (const char16_t sound : sounds->second) {
        const std::u16string said(1, initialSoundRule(sound));
        const KoreanSurname s = koreanSurnameAt(said);
        if (s.length == 1 && (!best || s.rank < rank)) {
            best = said;
            rank = s.rank;
        }
    }
    return best;
}

std::optional<HanjaDictionary::Reading> HanjaDictionary::read(std::u16string_view hanja, bool wordStart, bool name)
{
    if (!available())
        return std::nullopt;
    if (name && hanja.size() >= 2 && hanja.size() <= 4) {
        if (const std::optional<std::u16string> family = surname(hanja);
            family && family->size() < hanja.size()) {
            std::optional<Reading> given = read(hanja.substr(family->size()), true);
            if (!given)
                return std::nullopt;
            given->hangul.insert(0, *family);
            given->wholeWords = false;
            return given;
        }
    }
    Reading out;
    out.wholeWords = true;
    for (std::size_t i = 0; i < hanja.size();) {
        // The longest word of the table from here.
        std::size_t length = std::min(longest_, hanja.size() - i);
        for (; length > 1; --length) {
            if (std::optional<std::u16string> w = word(hanja.substr(i, length))) {
                if (i == 0 && wordStart)
                    (*w)[0] = initialSoundRule((*w)[0]);
                out.hangul += *w;
                break;
            }
        }
        if (length <= 1) {
            const std::optional<char16_t> s = sound(hanja[i]);
            if (!s)
                return std::nullopt;
            out.hangul += i == 0 && wordStart ? initialSoundRule(*s) : *s;
            out.wholeWords = false;
            length = 1;
        }
        i += length;
    }
    return out;
}

} // namespace yomi::korean
