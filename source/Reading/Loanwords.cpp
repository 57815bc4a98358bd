#include "Reading/Loanwords.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Reading/DictionaryText.h"

namespace yomi::reading {
namespace {

// A gloss past its leading marks ("(n) (1) lover": "lover"); nullopt when
// a mark is not closed.
std::optional<std::string_view> withoutMarks(std::string_view gloss)
{
    while (!gloss.empty() && (gloss.front() == ' ' || gloss.front() == '(')) {
        if (gloss.front() == ' ') {
            gloss.remove_prefix(1);
            continue;
        }
        const std::size_t close = gloss.find(')');
        if (close == std::string_view::npos)
            return std::nullopt;
        gloss.remove_prefix(close + 1);
    }
    return gloss;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A gloss without its leading marks, in lower case when it is one English
// word of letters, else empty.
std::string oneWord(std::string_view gloss)
{
    const std::optional<std::string_view> word = withoutMarks(gloss);
    if (!word || !std::all_of(word->begin(), word->end(), isLetter))
        return {};
    std::string out;
    for (const char c : *word)
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

// The word a gloss begins with, after its marks ("(n) (1) blue (colour,
// color)": blue), in small letters; empty when it begins otherwise.
std::string leadingWord(std::string_view gloss)
{
    const std::optional<std::string_view> rest = withoutMarks(gloss);
    if (!rest)
        return {};
    const auto end = std::find_if_not(rest->begin(), rest->end(), isLetter);
    return oneWord(rest->substr(0, static_cast<std::size_t>(end - rest->begin())));
}

// Whether the EUC-JP head is katakana and the prolonged-sound mark alone.
bool katakanaHead(std::string_view head)
{
    if (head.empty() || head.size() % 2)
        return false;
    for (std::size_t i = 0; i < head.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(head[i]), lo = static_cast<unsigned char>(head[i + 1]);
        if (!(hi == 0xA5 && lo >= 0xA1 && lo <= 0xF6) && !(hi == 0xA1 && lo == 0xBC))
            return false;
    }
    return true;
}

// A loanword with its spelling variants made one: ヴ as ブ, without a
// prolonged-sound mark at its end.
String folded(const String& katakana)
{
    String out = katakana;
    std::replace(out.begin(), out.end(), u'ヴ', u'ブ');
    // The old kana of ジ and ズ (ラヂオ) spell the same sounds.
    std::replace(out.begin(), out.end(), u'ヂ', u'ジ');
    std::replace(out.begin(), out.end(), u'ヅ', u'ズ');
    while (!out.empty() && out.back() == u'ー')
        out.pop_back();
    return out;
}

// The class of a sound, by which an English spelling and a katakana word
// are compared: 'v' for a vowel, else a consonant letter (voiced and
// unvoiced pairs apart: b and p, but g with k, z with s, d with t as
// katakana's rows hold them).
char kanaClass(char16_t c)
{
    static constexpr std::pair<std::u16string_view, char> kRows[] = {
        {u"アイウエオァィゥェォ", 'v'}, {u"カキクケコガギグゲゴ", 'k'}, {u"サシスセソザジズゼゾ", 's'},
        {u"タチツテトダヂヅデドッ", 't'}, {u"ナニヌネノ", 'n'}, {u"ハヒヘホ", 'h'}, {u"フ", 'f'},
        {u"バビブベボヴ", 'b'}, {u"パピプペポ", 'p'}, {u"マミムメモ", 'm'}, {u"ヤユヨャュョ", 'y'},
        {u"ラリルレロ", 'r'}, {u"ワヲ", 'w'}, {u"ン", 'n'}};
    for (const auto& [row, sound] : kRows)
        if (row.find(c) != std::u16string_view::npos)
            return sound;
    return 0;
}

char letterClass(const std::string& word, std::size_t i)
{
    const char c = word[i];
    const char after = i + 1 < word.size() ? word[i + 1] : 0;
    switch (c) {
    case 'a': case 'e': case 'i': case 'o': case 'u': return 'v';
    case 'c': return after == 'e' || after == 'i' || after == 'y' ? 's' : after == 'h' ? 't' : 'k';
    case 'g': case 'k': case 'q': case 'x': return 'k';
    case 'j': case 'z': case 's': return 's';
    case 'd': return 't';
    case 't': return after == 'h' ? 's' : 't';
    case 'l': case 'r': return 'r';
    case 'v': return 'b';
    case 'p': return after == 'h' ? 'f' : 'p';
    case 'y': return i == 0 ? 'y' : 'v';
    default: return c;
    }
}

// A katakana word's sounds as classes: its first sound, then its
// consonants, each once in a row.
std::string kanaSounds(const String& katakana)
{
    std::string b;
    for (const char16_t k : katakana) {
        const char c = kanaClass(k);
        if (c && (b.empty() || c != 'v') && (b.empty() || b.back() != c))
            b += c;
    }
    return b;
}

// How alike an English word and a katakana word sound: 0 when their first
// sounds differ, else one more than the longest run of consonant classes
// the two share in order.
std::size_t soundsAlike(const std::string& english, const String& katakana)
{
    std::string a;
    for (std::size_t i = 0; i < english.size(); ++i) {
        const char c = letterClass(english, i);
        if ((a.empty() || c != 'v') && (a.empty() || a.back() != c) && !(i > 0 && english[i] == 'h'))
            a += c;
    }
    const std::string b = kanaSounds(katakana);
    if (a.empty() || b.empty())
        return 0;
    // English h is silent often enough, w begins ウ and a vowel may be said
    // with a w (one ワン): they may meet a vowel or a w.
    const bool firstAlike = a[0] == b[0] || ((a[0] == 'h' || a[0] == 'w' || a[0] == 'y') && b[0] == 'v') ||
        (a[0] == 'v' && b[0] == 'w') || (a[0] == 'f' && b[0] == 'h');
    if (!firstAlike)
        return 0;
    std::vector<std::vector<std::size_t>> common(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            common[i][j] = a[i - 1] == b[j - 1] ? common[i - 1][j - 1] + 1
                                                : std::max(common[i - 1][j], common[i][j - 1]);
    return 1 + common[a.size()][b.size()];
}

} // namespace

Loanwords::Loanwords(const std::filesystem::path& words)
{
    forEachEucJpLine(words, [&](std::string_view line, UConverter* converter) {
        if (!line.empty() && static_cast<unsigned char>(line[0]) == 0xA5)
            add(line, converter);
    });
}

// One line of the dictionary: "ラバー /(n) (1) lover/(n) (2) rubber/(P)/".
void Loanwords::add(std::string_view line, void* converter)
{
    const std::size_t space = line.find(" /");
    if (space == std::string_view::npos || !katakanaHead(line.substr(0, space)))
        return;
    const std::string_view glosses = line.substr(space + 2);
    // Slang, a joke or a slur (トンキン, a gibe at Tokyo) is not how a word
    // of a title is said.
    for (const std::string_view mark : {"(sl)", "(joc)", "(derog)", "(vulg)", "(X)"})
        if (glosses.find(mark) != std::string_view::npos)
            return;
    std::vector<std::string> english;
    std::string first; // the word the first gloss begins with
    bool common = false;
    for (std::size_t start = 0; start < glosses.size();) {
        std::size_t end = glosses.find('/', start);
        if (end == std::string_view::npos)
            end = glosses.size();
        const std::string_view gloss = glosses.substr(start, end - start);
        if (start == 0)
            first = leadingWord(gloss);
        common = common || gloss == "(P)";
        if (std::string word = oneWord(gloss); !word.empty())
            english.push_back(std::move(word));
        start = end + 1;
    }
    if (english.empty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    UChar decoded[128];
    const int32_t n = ucnv_toUChars(static_cast<UConverter*>(converter), decoded, 128, line.data(),
                                    static_cast<int32_t>(space), &status);
    if (U_FAILURE(status) || n <= 0)
        return;
    const String katakana(reinterpret_cast<const char16_t*>(decoded), static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < english.size(); ++i) {
        std::vector<Word>& known = table_[english[i]];
        if (std::none_of(known.begin(), known.end(), [&](const Word& w) { return w.katakana == katakana; }))
            known.push_back(Word{katakana, common, english[i] == first});
    }
}

std::optional<String> Loanwords::of(std::u16string_view english) const
{
    std::string key;
    for (const char16_t c : english) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return std::nullopt;
        key += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
    }
    // A loanword is the English word's sounds written in katakana: a word
    // that glosses it but begins with other sounds (ワンチャン for maybe,
    // ホイ for yeah) is no reading of it.
    std::optional<String> word = glossedBy(key);
    if (!word || soundsAlike(key, *word) == 0)
        return std::nullopt;
    // Of the two spellings of an English "ay" the dictionary gives (ステー
    // and ステイ, クレージー and クレイジー), titles today write the second.
    String diphthong = *word;
    for (std::size_t i = 1; i < diphthong.size(); ++i)
        if (diphthong[i] == u'ー' && std::u16string_view(u"エケセテネヘメレゲゼデベペェ").find(diphthong[i - 1]) !=
                                          std::u16string_view::npos)
            diphthong[i] = u'イ';
    if (diphthong != *word) {
        const std::vector<Word>& spellings = table_.find(key)->second;
        if (std::any_of(spellings.begin(), spellings.end(), [&](const Word& w) { return w.katakana == diphthong; }))
            return diphthong;
    }
    return word;
}

std::optional<String> Loanwords::glossedBy(const std::string& key) const
{
    const auto found = table_.find(key);
    if (found == table_.end())
        return std::nullopt;
    // Spellings of one word (ラブ and ラヴ, メロディー and メロディ: one form
    // by `form`) are one reading: the first in common use stands for them;
    // of none in common use, the first that keeps a last long vowel, as a
    // word is spelt outside technical writing (プレジャー, not プレジャ),
    // but not after a vowel of its own (ディザイア, not ディザイアー).
    const auto one = [](const std::vector<const Word*>& words, auto form) -> std::optional<String> {
        if (words.empty() || std::any_of(words.begin(), words.end(), [&](const Word* w) {
                return form(w->katakana) != form(words.front()->katakana);
            }))
            return std::nullopt;
        auto chosen = std::find_if(words.begin(), words.end(), [](const Word* w) { return w->common; });
        if (chosen == words.end())
            chosen = std::find_if(words.begin(), words.end(), [](const Word* w) {
                const String& k = w->katakana;
                return k.size() > 1 && k.back() == u'ー' &&
                    std::u16string_view(u"アイウエオァィゥェォ").find(k[k.size() - 2]) == std::u16string_view::npos;
            });
        return (chosen == words.end() ? words.front() : *chosen)->katakana;
    };
    std::vector<const Word*> all, common;
    for (const Word& w : found->second) {
        all.push_back(&w);
        if (w.common)
            common.push_back(&w);
    }
    if (auto word = one(all, folded))
        return word;
    // The one in common use; none when it does not mean the word first
    // and another that does sounds more like it (mother: ママ, in common
    // use, means mama first, マザー means mother): the word's sounds say it.
    if (auto word = one(common, folded)) {
        const std::size_t own = soundsAlike(key, *word);
        const bool first = std::any_of(common.begin(), common.end(), [](const Word* w) { return w->first; });
        const bool better = std::any_of(all.begin(), all.end(), [&](const Word* w) {
            return w->first && !w->common && soundsAlike(key, w->katakana) > own;
        });
        return better && !first ? std::nullopt : word;
    }
    // Several loanwords share the gloss (desire: デザイア, ウィル,
    // アスピレーション): the one that sounds like the English word, when
    // one sounds more like it than every other; of those alike, the ones
    // made of the English word's sounds alone when there are such
    // (romance: ロマンス, not ラブロマンス).
    std::size_t best = 0;
    std::vector<const Word*> alike;
    for (const Word* w : all) {
        const std::size_t score = soundsAlike(key, w->katakana);
        if (score > best) {
            best = score;
            alike.clear();
        }
        if (score == best && score > 0)
            alike.push_back(w);
    }
    std::vector<const Word*> exact;
    for (const Word* w : alike)
        if (kanaSounds(w->katakana).size() + 1 == best)
            exact.push_back(w);
    if (!exact.empty())
        alike = std::move(exact);
    if (auto word = one(alike, folded))
        return word;
    // Spellings the folding does not join (ステイ and ステー) have the same
    // sounds.
    return one(alike, kanaSounds);
}

} // namespace yomi::reading
