#include "Category/Reading.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <unordered_set>

#include "Category/StringUtility.h"
#include "Platform/Paths.h"
#include "Storage/FileCommit.h"

namespace yomi {
namespace {

char32_t next(std::u16string_view text, std::size_t& i) { return nextCodePoint(text, i); }

bool isJapaneseCharacter(char32_t c) { return isHanCharacter(c) || isKanaCharacter(c); }

bool isLetterOrDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c > 0x7F;
}

std::string escape(const String& text)
{
    std::string out;
    for (const char c : toUtf8(text)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<String> unescape(std::string_view field)
{
    if (!isValidUtf8(field))
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return toUtf16(out);
}

// One stretch of a value: text kept as it is, or readings (katakana words
// separated by spaces, best first).
struct Piece {
    bool literal = false;
    String text;
    std::vector<String> readings;
    // How far the first reading can be trusted, and why.
    Confidence confidence = Confidence::Sure;
    std::string reason;
};

String styled(const String& words, ReadingStyle style)
{
    String out;
    if (style == ReadingStyle::Romaji) {
        std::size_t start = 0;
        while (start <= words.size()) {
            std::size_t end = words.find(u' ', start);
            if (end == String::npos)
                end = words.size();
            const String word = words.substr(start, end - start);
            if (!word.empty()) {
                if (!out.empty())
                    out += u' ';
                out += isKanaOnly(word) ? romaji(std::u16string_view(word)) : word;
            }
            start = end + 1;
        }
        return out;
    }
    for (const char16_t c : words)
        if (c != u' ')
            out += c;
    return style == ReadingStyle::Hiragana ? toHiragana(out) : toKatakana(out);
}

String assemble(const std::vector<Piece>& pieces, const std::vector<std::size_t>& choice, ReadingStyle style)
{
    String out;
    for (std::size_t j = 0; j < pieces.size(); ++j) {
        const String part = pieces[j].literal ? pieces[j].text : styled(pieces[j].readings[choice[j]], style);
        if (part.empty())
            continue;
        // Romanised words stand apart from their neighbours.
        if (style == ReadingStyle::Romaji && !out.empty() && out.back() != u' ' && part.front() != u' ' &&
            (!pieces[j].literal || isLetterOrDigit(part.front())) &&
            (j == 0 || !pieces[j - 1].literal || isLetterOrDigit(out.back())))
            out += u' ';
        out += part;
    }
    return out;
}

// Kana as a reading spells it: katakana, with the counters ヵ and ヶ (and
// their hiragana forms) spelt カ (八十八ヶ所: ハチジュウハッカショ), whether
// they come from the value or from the engine's reading; an iteration mark
// as the kana it repeats (あゝ: アア, いすゞ: イスズ), and ヰ and ヱ, kana no
// longer in use, as the イ and エ they are said (まゐご: マイゴ).
String readingKana(std::u16string_view text)
{
    String out = toKatakana(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        char16_t& c = out[i];
        if (c == u'ヵ' || c == u'ヶ')
            c = u'カ';
        else if (c == u'ヰ')
            c = u'イ';
        else if (c == u'ヱ')
            c = u'エ';
        else if (c == u'ヽ' || c == u'ヾ') {
            // The kana before it, words apart (ア ヽ) or not.
            std::size_t b = i;
            while (b > 0 && out[b - 1] == u' ')
                --b;
            if (b == 0 || out[b - 1] < u'ァ' || out[b - 1] > u'ヶ')
                continue;
            const char16_t before = out[b - 1];
            // The voiced mark voices a kana of the カ to ホ rows (ス: ズ), which
            // sit just before their voiced forms.
            const bool voiceable = std::u16string_view(u"カキクケコサシスセソタチツテトハヒフヘホ").find(before) !=
                std::u16string_view::npos;
            c = c == u'ヾ' && voiceable ? static_cast<char16_t>(before + 1) : before;
        }
    }
    return out;
}

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'０' && c <= u'９')
        return c - u'０';
    return -1;
}

// The value of a run of digits (at most 19, as callers see to).
std::uint64_t valueOfDigits(std::u16string_view digits)
{
    std::uint64_t n = 0;
    for (const char16_t c : digits)
        n = n * 10 + static_cast<std::uint64_t>(digitValue(c));
    return n;
}

char16_t capitalLetter(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c;
    if (c >= u'Ａ' && c <= u'Ｚ')
        return static_cast<char16_t>(u'A' + (c - u'Ａ'));
    return 0;
}

bool isLatinLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'ａ' && c <= u'ｚ') || capitalLetter(c) != 0;
}

// A Latin letter, half or full width, as a small ASCII letter.
char smallLetter(char16_t c)
{
    if (const char16_t capital = capitalLetter(c))
        return static_cast<char>(capital - u'A' + 'a');
    return static_cast<char>(c >= u'ａ' ? c - u'ａ' + 'a' : c);
}

// English words too common to be glossed by one loanword of their own,
// as a sort reading says them; yeah as Japanese writes it, where its
// sounds would make it ヤ.
constexpr std::pair<std::string_view, std::u16string_view> kSmallWords[] = {
    {"a", u"ア"},       {"all", u"オール"},   {"am", u"アム"},     {"and", u"アンド"},  {"are", u"アー"},
    {"at", u"アット"},  {"be", u"ビー"},      {"by", u"バイ"},     {"can't", u"キャント"}, {"don't", u"ドント"},
    {"for", u"フォー"}, {"from", u"フロム"},  {"i", u"アイ"},      {"i'm", u"アイム"},  {"in", u"イン"},
    {"is", u"イズ"},    {"it", u"イット"},    {"it's", u"イッツ"}, {"me", u"ミー"},     {"my", u"マイ"},
    {"no", u"ノー"},    {"not", u"ノット"},   {"of", u"オブ"},     {"on", u"オン"},     {"so", u"ソー"},
    {"the", u"ザ"},     {"to", u"トゥー"},    {"up", u"アップ"},   {"we", u"ウィー"},   {"with", u"ウィズ"},
    {"you", u"ユー"},   {"your", u"ユア"},    {"yeah", u"イエー"}};

bool isApostrophe(char16_t c) { return c == u'\'' || c == u'’'; }

// A word's letters as small ASCII letters and its apostrophes as '; empty
// when it holds anything else.
std::string smallLetters(std::u16string_view word)
{
    std::string small;
    for (const char16_t c : word) {
        if (!isLatinLetter(c) && !isApostrophe(c))
            return {};
        small += isLatinLetter(c) ? smallLetter(c) : '\'';
    }
    return small;
}

// Where each word of Latin letters in the text begins and ends; an
// apostrophe between letters belongs to its word (don't).
std::vector<std::pair<std::size_t, std::size_t>> latinWordSpans(std::u16string_view text)
{
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < text.size();) {
        if (!isLatinLetter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() &&
               (isLatinLetter(text[end]) ||
                (isApostrophe(text[end]) && end + 1 < text.size() && isLatinLetter(text[end + 1]))))
            ++end;
        spans.emplace_back(i, end);
        i = end;
    }
    return spans;
}

// The katakana of an English word that is one of the small words, any case.
std::optional<String> smallWordKana(std::u16string_view word)
{
    const std::string small = smallLetters(word);
    for (const auto& [english, kana] : kSmallWords)
        if (english == small)
            return String(kana);
    return std::nullopt;
}

// How a word of Latin letters came to be said in katakana.
enum class LatinSource { Loanword, Sounds, Romaji };

struct LatinKana {
    String kana;
    LatinSource source = LatinSource::Loanword;
};

// The reason a reading gives for Latin words said in katakana, by how the
// least sure of them was found.
const char* latinReason(LatinSource source, bool several)
{
    switch (source) {
    case LatinSource::Sounds:
        return several ? "English words said by their sounds" : "an English word said by its sounds";
    case LatinSource::Romaji:
        return several ? "words of romaji written in katakana" : "a word of romaji written in katakana";
    case LatinSource::Loanword:
        break;
    }
    return several ? "English words read as loanwords" : "an English word read as its loanword";
}

// An English word in katakana: a small word, else the loanword the engine
// gives it, else the word's sounds or its romaji.
std::optional<LatinKana> englishWordKana(ReadingEngine& engine, std::u16string_view word)
{
    if (std::optional<String> small = smallWordKana(word))
        return LatinKana{std::move(*small)};
    if (word.size() < 2)
        return std::nullopt;
    if (std::optional<String> loan = engine.loanword(word))
        return LatinKana{readingKana(*loan)};
    std::optional<SpokenWord> spoken = engine.spoken(word);
    // The first sound of a katakana word, with its small kana (キャ).
    const auto opening = [](std::u16string_view kana) {
        std::size_t n = kana.empty() ? 0 : 1;
        while (n < kana.size() && std::u16string_view(u"ァィゥェォャュョヮ").find(kana[n]) != String::npos)
            ++n;
        return String(kana.substr(0, n));
    };
    // A plural the dictionary does not hold, of a word it does (Dolls,
    // Boys): the loanword with the plural's sound, ツ and ズ where it meets
    // ト and ド (Kids キッズ), ス after the other voiceless ends (Books
    // ブックス); not where the plural's own sounds begin otherwise (cat's
    // loanwords include カト: Cats stays キャッツ).
    if (word.size() >= 4 && (word.back() == u's' || word.back() == u'S') && word[word.size() - 2] != word.back()) {
        std::optional<String> loan = engine.loanword(word.substr(0, word.size() - 1));
        if (loan && spoken && opening(readingKana(spoken->kana)) != opening(readingKana(*loan)))
            loan.reset();
        if (loan) {
            String kana = readingKana(*loan);
            const char16_t last = kana.empty() ? 0 : kana.back();
            if (last == u'ト' || last == u'ド')
                kana.back() = last == u'ト' ? u'ツ' : u'ズ';
            else if (last == u'ク' || last == u'プ' || last == u'フ')
                kana += u'ス';
            else if (last && last != u'ス' && last != u'ズ' && last != u'チ' && last != u'ジ')
                kana += u'ズ';
            else
                kana.clear();
            if (!kana.empty())
                return LatinKana{std::move(kana)};
        }
    }
    if (spoken)
        return LatinKana{readingKana(spoken->kana), spoken->romaji ? LatinSource::Romaji : LatinSource::Sounds};
    return std::nullopt;
}

// A number in kanji numerals (365: 三百六十五, 2000: 二千, 10000: 一万, 0:
// 零), so that the engine reads it with the word after it (0時 レイジ); empty
// for digits that are not an amount (a leading zero, more than 16 digits).
String kanjiNumeral(std::u16string_view digits)
{
    // Zero is 零, the character the engines read (〇 they do not).
    if (digits.size() == 1 && digitValue(digits[0]) == 0)
        return u"零";
    if (digits.empty() || digits.size() > 16 || digitValue(digits[0]) == 0)
        return {};
    static const std::u16string_view numerals = u"〇一二三四五六七八九";
    static const std::u16string_view groups[] = {u"", u"万", u"億", u"兆"};
    static const std::u16string_view places[] = {u"", u"十", u"百", u"千"};
    if (digits.size() == 1)
        return String(1, numerals[static_cast<std::size_t>(digitValue(digits[0]))]);
    String out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::size_t position = digits.size() - 1 - i;
        const int d = digitValue(digits[i]);
        const std::size_t place = position % 4, group = position / 4;
        // 一 is not said before 十, 百 and 千 (千, not 一千).
        if (d > 1 || (d == 1 && place == 0))
            out += numerals[static_cast<std::size_t>(d)];
        if (d > 0)
            out += places[place];
        if (place == 0 && group > 0) {
            // A group of four zeros names no group (1000万, not 1000万0000).
            bool any = false;
            for (std::size_t k = 0; k < 4 && i >= k; ++k)
                any = any || digitValue(digits[i - k]) > 0;
            if (any)
                out += groups[group];
        }
    }
    return out;
}

// A day of the month from `begin`, right after 月 and before 日 (3月9日,
// 一月一日): its reading as a date says it (ココノカ, ツイタチ, ハツカ,
// ジュウシチニチ), `end` moved past 日. Digits, or in a title kanji
// numerals up to 三十一 (in a name 四月一日 is a surname, ワタヌキ). Empty
// for anything else.
String dayOfMonth(std::u16string_view text, std::size_t begin, std::size_t& end, NameKind kind)
{
    if (begin == 0 || text[begin - 1] != u'月')
        return {};
    static const std::u16string_view numerals = u"〇一二三四五六七八九";
    std::size_t at = begin;
    int day = 0;
    if (digitValue(text[at]) >= 0) {
        while (at < text.size() && digitValue(text[at]) >= 0 && day <= 31)
            day = day * 10 + digitValue(text[at++]);
    } else if (kind == NameKind::Title) {
        // 九, 十, 十九, 二十, 二十九, 三十一.
        int tens = 0, ones = 0;
        if (at < text.size() && numerals.find(text[at]) != std::u16string_view::npos && text[at] != u'〇' &&
            at + 1 < text.size() && text[at + 1] == u'十')
            tens = static_cast<int>(numerals.find(text[at++]));
        if (at < text.size() && text[at] == u'十') {
            tens = tens ? tens : 1;
            ++at;
        }
        if (at < text.size() && numerals.find(text[at]) != std::u16string_view::npos && text[at] != u'〇')
            ones = static_cast<int>(numerals.find(text[at++]));
        day = tens * 10 + ones;
    }
    if (day < 1 || day > 31 || at >= text.size() || text[at] != u'日')
        return {};
    static const std::u16string_view own[] = {u"",       u"ツイタチ", u"フツカ", u"ミッカ", u"ヨッカ", u"イツカ",
                                              u"ムイカ", u"ナノカ",   u"ヨウカ", u"ココノカ", u"トオカ"};
    end = at + 1;
    if (day <= 10)
        return String(own[day]);
    if (day == 20)
        return u"ハツカ";
    if (day % 10 == 4)
        return cardinalReading(static_cast<std::uint64_t>(day - 4)) + u"ヨッカ";
    String said = cardinalReading(static_cast<std::uint64_t>(day));
    if (day % 10 == 7)
        said.replace(said.size() - 2, 2, u"シチ");
    else if (day % 10 == 9)
        said.replace(said.size() - 3, 3, u"ク");
    return said + u"ニチ";
}

// Kanji digits from `begin` written place by place, as years are (二〇〇一年):
// the number they write as an amount (二千一), `end` moved past them. Empty
// where the run holds no 〇 (一二三 is a name), begins with it (〇〇 is a
// blank to fill) or does not begin at `begin`.
String placeByPlace(std::u16string_view text, std::size_t begin, std::size_t& end)
{
    static const std::u16string_view kanjiDigits = u"〇一二三四五六七八九";
    const auto kanjiDigitAt = [&](std::size_t at) {
        return at < text.size() && kanjiDigits.find(text[at]) != std::u16string_view::npos;
    };
    if (!kanjiDigitAt(begin) || text[begin] == u'〇' || (begin > 0 && kanjiDigitAt(begin - 1)))
        return {};
    std::size_t after = begin;
    while (kanjiDigitAt(after))
        ++after;
    const std::u16string_view run = text.substr(begin, after - begin);
    if (run.find(u'〇') == std::u16string_view::npos)
        return {};
    String digits;
    for (const char16_t c : run)
        digits += static_cast<char16_t>(u'0' + kanjiDigits.find(c));
    String amount = kanjiNumeral(digits);
    if (!amount.empty())
        end = after;
    return amount;
}

// The digits from `begin` to `end` of the text with the signs that make
// them one amount, as said: a decimal (9.5: 九点五), a percentage (100%:
// 百パーセント), a fraction (1/3: 三分の一); `end` is moved past what was
// read. Empty for digits with no such sign.
String spoken(std::u16string_view text, std::size_t begin, std::size_t& end)
{
    static const std::u16string_view numerals = u"〇一二三四五六七八九";
    const auto digitsFrom = [&](std::size_t at) {
        std::size_t e = at;
        while (e < text.size() && digitValue(text[e]) >= 0)
            ++e;
        return e;
    };
    const String whole = kanjiNumeral(text.substr(begin, end - begin));
    const auto percent = [&](std::size_t at) { return at < text.size() && (text[at] == u'%' || text[at] == u'％'); };
    if (whole.empty() || end >= text.size())
        return {};
    if (percent(end)) {
        ++end;
        return (whole == u"零" ? String(u"ゼロ") : whole) + u"パーセント";
    }
    const char16_t sign = text[end];
    const std::size_t after = digitsFrom(end + 1);
    if (after == end + 1)
        return {};
    if (sign == u'.' || sign == u'．') {
        String out = whole + u"点";
        for (std::size_t k = end + 1; k < after; ++k)
            out += numerals[static_cast<std::size_t>(digitValue(text[k]))];
        end = after;
        if (percent(end)) {
            ++end;
            out += u"パーセント";
        }
        return out;
    }
    if (sign == u'/' || sign == u'／') {
        const String denominator = kanjiNumeral(text.substr(end + 1, after - end - 1));
        if (denominator.empty() || denominator == u"零")
            return {};
        end = after;
        return denominator + u"分の" + whole;
    }
    return {};
}

// A number under 10,000 read aloud (300: サンビャク, 8000: ハッセン).
String readFourDigits(unsigned n)
{
    static const std::u16string_view ones[] = {u"",   u"イチ", u"ニ",   u"サン", u"ヨン",
                                               u"ゴ", u"ロク", u"ナナ", u"ハチ", u"キュウ"};
    static const std::u16string_view thousands[] = {u"",       u"セン",     u"ニセン",   u"サンゼン", u"ヨンセン",
                                                    u"ゴセン", u"ロクセン", u"ナナセン", u"ハッセン", u"キュウセン"};
    static const std::u16string_view hundreds[] = {u"",           u"ヒャク",      u"ニヒャク",   u"サンビャク",
                                                   u"ヨンヒャク", u"ゴヒャク",    u"ロッピャク", u"ナナヒャク",
                                                   u"ハッピャク", u"キュウヒャク"};
    String out;
    out += thousands[n / 1000 % 10];
    out += hundreds[n / 100 % 10];
    if (const unsigned tens = n / 10 % 10) {
        if (tens > 1)
            out += ones[tens];
        out += u"ジュウ";
    }
    out += ones[n % 10];
    return out;
}

const char* const kCardinal = "a number read as a cardinal";

// Katakana names of the capital letters.
// Capital letters each followed by a stop, two or more (U.N., D.N.A.),
// from `begin`: the letters, `end` moved past the last stop; empty for
// anything else (a capital before a Latin letter or a digit, Mr.).
String initialsAt(std::u16string_view text, std::size_t begin, std::size_t& end)
{
    String letters;
    std::size_t at = begin;
    while (at + 1 < text.size() && capitalLetter(text[at]) && (text[at + 1] == u'.' || text[at + 1] == u'．')) {
        letters += capitalLetter(text[at]);
        at += 2;
    }
    if (letters.size() < 2 || (at < text.size() && (isLatinLetter(text[at]) || digitValue(text[at]) >= 0)))
        return {};
    end = at;
    return letters;
}

std::u16string_view letterName(char16_t capital)
{
    static const std::u16string_view names[] = {
        u"エー",   u"ビー",   u"シー", u"ディー", u"イー",       u"エフ",     u"ジー", u"エイチ", u"アイ",
        u"ジェー", u"ケー",   u"エル", u"エム",   u"エヌ",       u"オー",     u"ピー", u"キュー", u"アール",
        u"エス",   u"ティー", u"ユー", u"ブイ",   u"ダブリュー", u"エックス", u"ワイ", u"ゼット"};
    return names[capital - u'A'];
}

// Whether a run of capital letters is said by the letters' names: one or
// two letters (Bメロ, 少女A, DJ), or three that do not read as a word, that
// is, with no vowel between two consonants (MAN, ROY) and fewer than two
// vowels (UFO, ONE): NHK, ABC, DVD. Y ending a run is a vowel (SKY). A
// Roman numeral of two or three letters (II, IV, XII) is no such run.
bool saidByLetters(std::u16string_view run)
{
    if (run.empty() || run.size() > 3 || (run.size() == 3 && smallWordKana(run)))
        return false;
    if (run.size() > 1 && std::all_of(run.begin(), run.end(), [](char16_t c) {
            return std::u16string_view(u"IVX").find(capitalLetter(c)) != std::u16string_view::npos;
        }))
        return false;
    if (run.size() < 3)
        return true;
    const auto vowel = [&](std::size_t k) {
        const char16_t c = capitalLetter(run[k]);
        return std::u16string_view(u"AEIOU").find(c) != std::u16string_view::npos || (c == u'Y' && k == 2);
    };
    const int vowels = vowel(0) + vowel(1) + vowel(2);
    return vowels < 2 && !(vowels == 1 && vowel(1));
}

// The value of a Roman numeral of two or more letters from II to XX (IV,
// XII); 0 for any other run of capitals.
int romanNumeral(std::u16string_view run)
{
    static constexpr std::u16string_view kNumerals[] = {u"",     u"",     u"II",    u"III",  u"IV",  u"V",   u"VI",
                                                        u"VII",  u"VIII", u"IX",    u"X",    u"XI",  u"XII", u"XIII",
                                                        u"XIV",  u"XV",   u"XVI",   u"XVII", u"XVIII", u"XIX", u"XX"};
    if (run.size() < 2)
        return 0;
    String capitals;
    for (const char16_t c : run)
        capitals += capitalLetter(c);
    for (int n = 2; n <= 20; ++n)
        if (capitals == kNumerals[n])
            return n;
    return 0;
}

// A number from 2 to 20 said in English, in katakana.
String englishNumber(int n)
{
    static constexpr std::u16string_view kSaid[] = {
        u"",           u"",           u"ツー",         u"スリー",         u"フォー",         u"ファイブ",     u"シックス",
        u"セブン",     u"エイト",     u"ナイン",       u"テン",           u"イレブン",       u"トゥエルブ",   u"サーティーン",
        u"フォーティーン", u"フィフティーン", u"シックスティーン", u"セブンティーン", u"エイティーン", u"ナインティーン", u"トゥエンティ"};
    return String(kSaid[n]);
}

// A number from 0 to 99 as English says it in katakana, as bands and
// singers with a number in their name have it said (46 フォーティー
// シックス); empty past 99.
String englishCardinal(std::uint64_t n)
{
    static constexpr std::u16string_view kOnes[] = {u"ゼロ",   u"ワン",     u"ツー",   u"スリー", u"フォー",
                                                    u"ファイブ", u"シックス", u"セブン", u"エイト", u"ナイン"};
    static constexpr std::u16string_view kTens[] = {u"",           u"",             u"トゥエンティー", u"サーティー",
                                                    u"フォーティー", u"フィフティー", u"シックスティー", u"セブンティー",
                                                    u"エイティー",   u"ナインティー"};
    if (n < 10)
        return String(kOnes[n]);
    if (n < 20)
        return n == 10 ? String(u"テン") : englishNumber(static_cast<int>(n));
    if (n < 100)
        return String(kTens[n / 10]) + (n % 10 ? String(kOnes[n % 10]) : String());
    return {};
}

String lettersSpelt(std::u16string_view run)
{
    String out;
    for (const char16_t c : run)
        out += letterName(capitalLetter(c));
    return out;
}

// Digits said one at a time (0120: ゼロイチニゼロ), zero as ゼロ or レイ.
String digitByDigit(std::u16string_view digits, bool rei = false)
{
    static const std::u16string_view names[] = {u"ゼロ", u"イチ", u"ニ",   u"サン", u"ヨン",
                                                u"ゴ",   u"ロク", u"ナナ", u"ハチ", u"キュウ"};
    String out;
    for (const char16_t c : digits)
        out += digitValue(c) == 0 && rei ? std::u16string_view(u"レイ") : names[digitValue(c)];
    return out;
}

// A stretch of a value as a sort reading spells it: text that the engine
// reads, or the readings of a number or of letters that the rules below
// give, best first.
struct Spelt {
    String text;
    std::vector<String> readings;
    Confidence confidence = Confidence::Sure;
    std::string reason;
};

// What a number is written right after: a word of katakana, one of Han
// characters, or anything else.
enum class Before { Other, Katakana, Han };

// The readings of a number that stands after a Japanese word with no
// counter after it (夏の日の1993, サクラ大戦2, 第9), as a sort reading says
// it: a Japanese cardinal (センキュウヒャクキュウジュウサン, ニ, ダイキュウ),
// with the other ways to say it as alternatives: 9 as ク and 7 as シチ at
// its end, a number of four digits or more digit by digit. Digits with a
// leading zero (0120) or too many for an amount are no quantity: read
// digit by digit. In a person's or a band's name a number of one or two
// digits is said in English (乃木坂46, 清竜人25); a longer one there, and
// one digit repeated (777, 999), a name of its own, are kept as written.
// One digit right after a word of katakana numbers a work as borrowed
// names do, in English (ダイターン3 スリー, ロッキー2); right after a word of
// Han characters it is said either way (サクラ大戦2 ニ, 聖剣伝説3 スリー): a
// guess, the Japanese cardinal first. `before` tells what it is written
// right after.
std::optional<Spelt> standingNumber(std::u16string_view digits, NameKind kind, Before before = Before::Other)
{
    if (digits.size() >= 3 &&
        std::all_of(digits.begin(), digits.end(), [&](char16_t c) { return digitValue(c) == digitValue(digits[0]); }))
        return Spelt{{}, {}, Confidence::Check, "a number of one repeated digit kept as written"};
    const bool leadingZero = digits.size() > 1 && digitValue(digits[0]) == 0;
    if (kind == NameKind::Person && (leadingZero || digits.size() > 2))
        return Spelt{{}, {}, Confidence::Check, "a number in a name kept as written"};
    if (leadingZero || digits.size() > 16)
        return Spelt{{},
                     {digitByDigit(digits), digitByDigit(digits, true)},
                     Confidence::Likely,
                     "a number that is no amount, read digit by digit"};
    const std::uint64_t n = valueOfDigits(digits);
    // A singer's or a band's number is said in English (乃木坂46
    // ノギザカフォーティーシックス, 清竜人25), the Japanese cardinal after it.
    if (kind == NameKind::Person)
        return Spelt{{}, {englishCardinal(n), cardinalReading(n)}, Confidence::Likely, "a number in a name said in English"};
    if (before == Before::Katakana && digits.size() == 1 && n > 0)
        return Spelt{{},
                     {englishCardinal(n), cardinalReading(n)},
                     Confidence::Check,
                     "a number after a word of katakana said in English"};
    if (before == Before::Han && digits.size() == 1 && n > 0)
        return Spelt{{},
                     {cardinalReading(n), englishCardinal(n)},
                     Confidence::Check,
                     "a number after a word, said in Japanese or in English"};
    Spelt out{{}, {cardinalReading(n)}, Confidence::Sure, kCardinal};
    const String& read = out.readings.front();
    if (read.ends_with(u"キュウ"))
        out.readings.push_back(read.substr(0, read.size() - 3) + u"ク");
    else if (read.ends_with(u"ナナ"))
        out.readings.push_back(read.substr(0, read.size() - 2) + u"シチ");
    if (digits.size() >= 4)
        out.readings.push_back(digitByDigit(digits));
    return out;
}

// Whether the character before `at`, past spaces, is a Japanese one.
bool followsJapanese(std::u16string_view text, std::size_t at)
{
    while (at > 0 && (text[at - 1] == u' ' || text[at - 1] == u'　'))
        --at;
    return at > 0 && isJapaneseCharacter(text[at - 1]);
}

// Whether the character at `at`, past spaces, is a Japanese one.
bool precedesJapanese(std::u16string_view text, std::size_t at)
{
    while (at < text.size() && (text[at] == u' ' || text[at] == u'　'))
        ++at;
    return at < text.size() && isJapaneseCharacter(text[at]);
}

// The big kana of a small ゃ, ゅ or ょ (either script); 0 for any other.
char16_t smallYBig(char16_t c)
{
    switch (c) {
    case u'ゃ': case u'ゅ': case u'ょ': case u'ャ': case u'ュ': case u'ョ':
        return static_cast<char16_t>(c + 1);
    default:
        return 0;
    }
}

// Whether a small ゃ, ゅ or ょ may follow the kana: one of the i row (キャ,
// ジョ), or one that borrowed sounds join it to (テュ, デュ, フュ, ヴュ).
bool takesSmallY(char16_t c)
{
    static constexpr std::u16string_view kTakers = u"きぎしじちぢにひびぴみりてでふゔキギシジチヂニヒビピミリテデフヴ";
    return kTakers.find(c) != std::u16string_view::npos;
}

// A time of the clock from `begin` (19:00, 7:30) as it is said (ジュウクジ,
// シチジサンジュップン), `end` moved past it; empty for anything else (a
// score 3:2, a ratio 16:9 are no times: the minutes have two digits).
String clockTime(std::u16string_view text, std::size_t begin, std::size_t& end)
{
    const auto digit = [&](std::size_t k) { return k < text.size() && digitValue(text[k]) >= 0; };
    const auto colon = [&](std::size_t k) { return k < text.size() && (text[k] == u':' || text[k] == u'：'); };
    if (begin > 0 && (digit(begin - 1) || colon(begin - 1)))
        return {};
    std::size_t at = begin;
    while (digit(at))
        ++at;
    if (at == begin || at - begin > 2 || !colon(at) || !digit(at + 1) || !digit(at + 2) || digit(at + 3) ||
        colon(at + 3))
        return {};
    unsigned hours = 0;
    for (std::size_t k = begin; k < at; ++k)
        hours = hours * 10 + static_cast<unsigned>(digitValue(text[k]));
    const unsigned minutes = static_cast<unsigned>(digitValue(text[at + 1]) * 10 + digitValue(text[at + 2]));
    if (hours > 24 || minutes > 59)
        return {};
    end = at + 3;
    // The hour: 4 ヨ, 7 シチ, 9 ク before ジ.
    String said = hours == 0 ? String(u"レイ") : cardinalReading(hours);
    const auto endsIn = [&](std::u16string_view tail) { return said.ends_with(tail); };
    if (endsIn(u"ヨン"))
        said.pop_back();
    else if (endsIn(u"ナナ"))
        said.replace(said.size() - 2, 2, u"シチ");
    else if (endsIn(u"キュウ"))
        said.replace(said.size() - 3, 3, u"ク");
    said += u"ジ";
    if (minutes == 0)
        return said;
    // The minutes: フン, プン after the sounds that double or nasalise it.
    String m = cardinalReading(minutes);
    if (m.ends_with(u"ジュウ") || m.ends_with(u"イチ") || m.ends_with(u"ロク") || m.ends_with(u"ハチ")) {
        m.back() = u'ッ';
        m += u"プン";
    } else if (m.ends_with(u"サン") || m.ends_with(u"ヨン")) {
        m += u"プン";
    } else {
        m += u"フン";
    }
    return said + m;
}

// Whether "No." and a number of one or two digits (No.9, NO.1, full width
// too) begin at `at`, a word of its own; `end` is moved past the digits.
bool numberSign(std::u16string_view text, std::size_t at, std::size_t& end)
{
    if (at + 3 >= text.size() || capitalLetter(text[at]) != u'N' || (at > 0 && isLatinLetter(text[at - 1])))
        return false;
    const char16_t o = text[at + 1];
    if (o != u'o' && o != u'O' && o != u'ｏ' && o != u'Ｏ')
        return false;
    if (text[at + 2] != u'.' && text[at + 2] != u'．')
        return false;
    std::size_t k = at + 3;
    while (k < text.size() && digitValue(text[k]) >= 0)
        ++k;
    if (k == at + 3 || k - (at + 3) > 2 || (k < text.size() && (isLatinLetter(text[k]) || text[k] == u'.')))
        return false;
    end = k;
    return true;
}

// The length of a word spelt out one Japanese character at a time between
// middle dots from `at` (飛・び・ま・す: 7), three characters or more, kana
// among them, with no other character against the first or the last; 0
// where there is none.
std::size_t spreadOut(std::u16string_view text, std::size_t at)
{
    const auto dot = [&](std::size_t k) { return k < text.size() && (text[k] == u'・' || text[k] == u'･'); };
    const auto single = [&](std::size_t k) {
        return k < text.size() && isJapaneseCharacter(text[k]) && !dot(k);
    };
    if (!single(at) || (at > 0 && isJapaneseCharacter(text[at - 1]) && !dot(at - 1)))
        return 0;
    std::size_t characters = 1, end = at + 1;
    while (dot(end) && single(end + 1) && !(end + 2 < text.size() && single(end + 2))) {
        ++characters;
        end += 2;
    }
    if (characters < 3 || (end < text.size() && single(end)))
        return 0;
    // Han characters alone may each be a word (夢・恋・愛); kana among them
    // make one word of a verb or its ending.
    for (std::size_t k = at; k < end; k += 2)
        if (isKanaCharacter(text[k]))
            return end - at;
    return 0;
}

// Whether an apostrophe at `at` begins a year cut to its last two digits
// ('80, ’95): not after a Latin letter (rock'n'roll), nor before a third
// digit or a letter ('80s is English's decade).
bool apostropheYear(std::u16string_view text, std::size_t at)
{
    return (text[at] == u'\'' || text[at] == u'’') && (at == 0 || !isLatinLetter(text[at - 1])) &&
        at + 2 < text.size() && digitValue(text[at + 1]) >= 0 && digitValue(text[at + 2]) >= 0 &&
        !(at + 3 < text.size() && (digitValue(text[at + 3]) >= 0 || isLatinLetter(text[at + 3])));
}

// A unit written after a number (36km, 100m, 5kg, 440Hz) as said, with the
// position after it; empty where the letters after the digits are no unit
// or go on as a word (3mix, 5gram).
String unitAfter(std::u16string_view text, std::size_t at, std::size_t& end)
{
    static const std::pair<std::u16string_view, std::u16string_view> units[] = {
        {u"km", u"キロ"},         {u"kg", u"キロ"},       {u"cm", u"センチ"},       {u"mm", u"ミリ"},
        {u"mg", u"ミリグラム"},   {u"ml", u"ミリリットル"}, {u"kHz", u"キロヘルツ"}, {u"MHz", u"メガヘルツ"},
        {u"GHz", u"ギガヘルツ"}, {u"Hz", u"ヘルツ"},     {u"dB", u"デシベル"},     {u"m", u"メートル"},
        {u"g", u"グラム"},        {u"℃", u"ド"},};
    for (const auto& [written, said] : units) {
        if (text.substr(at, written.size()) != written)
            continue;
        const std::size_t after = at + written.size();
        if (after < text.size() && (isLatinLetter(text[after]) || digitValue(text[after]) >= 0))
            return {};
        end = after;
        return String(said);
    }
    return {};
}

// Whether a zero at `at` stands alone beside Japanese (0と1の間, 0の夏:
// before kana, or standing after a word), said ゼロ as counting from it
// says it. Before a Han character it may be a counter's number (0時), after
// a sign part of an amount (1/0); beside Latin letters, part of a word.
bool zeroBesideKana(std::u16string_view text, std::size_t at, bool standing)
{
    if (digitValue(text[at]) != 0)
        return false;
    const bool before = at == 0 || isJapaneseCharacter(text[at - 1]) || text[at - 1] == u' ' || text[at - 1] == u'　';
    const bool after = at + 1 == text.size() ? standing
                                             : (isKanaCharacter(text[at + 1]) || (standing && text[at + 1] == u' '));
    return before && after;
}

// The value's stretch cut where digits or letters are spelt as a sort
// reading spells them:
// - digits just before a Japanese character become kanji numerals, read by
//   the engine with the word after them (100万回: 百万回), as do amounts
//   with their signs (9.5, 100%, 1/3) and kanji digits written place by
//   place (二〇〇一年: 二千一年);
// - a day of the month after 月 is said as a date (3月9日 ココノカ);
// - a number standing after a Japanese word is read by standingNumber;
// - a short run of capital letters (saidByLetters) just before a Japanese
//   character becomes their names in katakana (Bメロ: ビーメロ, CDショップ),
//   one standing after a Japanese character is read so too (少女A, ドラゴン
//   ボールZ);
// - a Roman numeral of two or more letters after a Japanese word, or just
//   before one, is said in English (大航海時代II ツー);
// - & beside a Japanese word is said アンド.
// Other letters and digits (光GENJI, 大事MAN, F91, Vol.2) are left as they
// are, an English word among them to keptOrLoanwords. `letters` is set when
// letters were spelt.
// The steps of spelt, each reading what it knows at a position of the
// text and moving past it; false where it knows nothing there.
class Speller {
public:
    Speller(std::u16string_view text, NameKind kind)
        : text_(text), kind_(kind),
          japanese_(std::any_of(text.begin(), text.end(), [](char16_t c) { return isJapaneseCharacter(c); }))
    {
    }

    std::vector<Spelt> run(bool& letters)
    {
        std::size_t i = 0;
        while (i < text_.size()) {
            const bool standing = japanese_ && followsJapanese(text_, i);
            if (dates(i) || numbers(i, standing) || signs(i, standing) || capitals(i, standing) || kana(i))
                continue;
            out_.back().text += text_[i++];
        }
        letters = letters || letters_;
        return std::move(out_);
    }

private:
    bool japaneseAt(std::size_t at) const { return at < text_.size() && isJapaneseCharacter(text_[at]); }
    bool latinAt(std::size_t at) const { return at < text_.size() && isLatinLetter(text_[at]); }
    // A stretch read apart, with its own readings.
    void add(Spelt s)
    {
        out_.push_back(std::move(s));
        out_.emplace_back();
    }
    // Text the engine reads with the words around it.
    void keep(std::u16string_view text) { out_.back().text += text; }

    // A day of the month, an amount written place by place, a time of the
    // clock.
    bool dates(std::size_t& i)
    {
        std::size_t end = i;
        if (String day = dayOfMonth(text_, i, end, kind_); !day.empty()) {
            add(Spelt{{}, {std::move(day)}, Confidence::Likely, "a day of the month"});
        } else if (String amount = placeByPlace(text_, i, end); !amount.empty()) {
            keep(amount);
        } else if (String time = japanese_ ? clockTime(text_, i, end) : String(); !time.empty()) {
            add(Spelt{{}, {std::move(time)}, Confidence::Likely, "a time of the clock"});
        } else {
            return false;
        }
        i = end;
        return true;
    }

    // Digits: a year after an apostrophe, zero beside kana, an amount or
    // a number before a Japanese word, a number standing after one.
    bool numbers(std::size_t& i, bool standing)
    {
        // A year after an apostrophe (流線形'80, '95年) is said as the
        // number, the apostrophe left out.
        if (japanese_ && apostropheYear(text_, i)) {
            const std::u16string_view year = text_.substr(i + 1, 2);
            if (japaneseAt(i + 3))
                keep(kanjiNumeral(year));
            else if (auto number = standingNumber(year, kind_); number && !number->readings.empty())
                add(std::move(*number));
            else
                keep(year);
            i += 3;
            return true;
        }
        if (japanese_ && zeroBesideKana(text_, i, standing)) {
            // レイ is its other name.
            add(Spelt{{}, {u"ゼロ", u"レイ"}, Confidence::Likely, "zero said as ゼロ"});
            ++i;
            return true;
        }
        if (digitValue(text_[i]) < 0 || (i > 0 && digitValue(text_[i - 1]) >= 0))
            return false;
        std::size_t end = i;
        while (end < text_.size() && digitValue(text_[end]) >= 0)
            ++end;
        String amount = japanese_ ? spoken(text_, i, end) : String();
        // A zero after a sign is part of what the sign joins (1/0).
        const bool zeroAfterSign = end == i + 1 && digitValue(text_[i]) == 0 && i > 0 &&
            !isJapaneseCharacter(text_[i - 1]) && text_[i - 1] != u' ' && text_[i - 1] != u'　';
        if (amount.empty() && japaneseAt(end) && !zeroAfterSign)
            amount = kanjiNumeral(text_.substr(i, end - i));
        // A number and its unit beside Japanese (時速36km サンジュウロクキロ,
        // 36.6℃).
        std::size_t unitEnd = end;
        if (const String unit = japanese_ ? unitAfter(text_, end, unitEnd) : String();
            !unit.empty() && ((i > 0 && japaneseAt(i - 1)) || japaneseAt(unitEnd))) {
            if (const String number = amount.empty() ? kanjiNumeral(text_.substr(i, end - i)) : amount;
                !number.empty()) {
                keep(number + unit);
                i = unitEnd;
                return true;
            }
        }
        if (!amount.empty()) {
            keep(amount);
            i = end;
            return true;
        }
        // A name's number is said only when written against it (乃木坂46;
        // 靖子 2 may number a record, not the name).
        const bool apart = i > 0 && (text_[i - 1] == u' ' || text_[i - 1] == u'　');
        if (!standing || japaneseAt(end) || latinAt(end) || (i > 0 && latinAt(i - 1)) ||
            (kind_ == NameKind::Person && apart))
            return false;
        // What the number is written right after; 第, 番 and 号 make it an
        // ordinal or a label (第9 ダイキュウ, 背番号1 セバンゴウイチ).
        const char16_t last = i > 0 ? text_[i - 1] : 0;
        const bool label = std::u16string_view(u"第番号").find(last) != std::u16string_view::npos;
        Before before = Before::Other;
        if (isKatakanaLetter(last))
            before = Before::Katakana;
        else if (isHanCharacter(last) && !label)
            before = Before::Han;
        auto number = standingNumber(text_.substr(i, end - i), kind_, before);
        if (!number)
            return false;
        if (number->readings.empty())
            number->text = text_.substr(i, end - i);
        add(std::move(*number));
        i = end;
        return true;
    }

    // & beside a Japanese word, and No. before a number.
    bool signs(std::size_t& i, bool standing)
    {
        if ((text_[i] == u'&' || text_[i] == u'＆') && (standing || precedesJapanese(text_, i + 1))) {
            // The sign that joins names (a singer & a band) is said アンド;
            // between Latin words (R&B) it is theirs.
            add(Spelt{{}, {u"アンド"}, Confidence::Likely, "& said as アンド"});
            ++i;
            return true;
        }
        std::size_t numberEnd = i;
        if (!japanese_ || !numberSign(text_, i, numberEnd))
            return false;
        // No.9 in a Japanese value is said in English, as a work's name
        // says it (ナンバーナイン, ナンバーワン).
        std::size_t k = numberEnd;
        while (k > 0 && digitValue(text_[k - 1]) >= 0)
            --k;
        const std::uint64_t n = valueOfDigits(text_.substr(k, numberEnd - k));
        add(Spelt{{}, {u"ナンバー" + englishCardinal(n)}, Confidence::Likely, "a number said in English"});
        i = numberEnd;
        return true;
    }

    // Initials, a Roman numeral, a short run of capitals beside Japanese.
    bool capitals(std::size_t& i, bool standing)
    {
        if (!capitalLetter(text_[i]) || (i > 0 && isLatinLetter(text_[i - 1])))
            return false;
        std::size_t end = i;
        // Initials with a stop after each (U.N., D.N.A.) beside a Japanese
        // word are said by their names as capitals are.
        if (const String initials = initialsAt(text_, i, end);
            !initials.empty() && (japaneseAt(end) || (i > 0 && japaneseAt(i - 1)))) {
            if (japaneseAt(end)) {
                keep(lettersSpelt(initials));
                letters_ = true;
            } else {
                add(Spelt{{}, {lettersSpelt(initials)}, Confidence::Likely, "Latin letters spelt by their names"});
            }
            i = end;
            return true;
        }
        end = i;
        while (end < text_.size() && capitalLetter(text_[end]))
            ++end;
        const std::u16string_view run = text_.substr(i, end - i);
        // A Roman numeral among Japanese words (大航海時代II) is said in
        // English, as its work's name is.
        const int roman = romanNumeral(run);
        if (roman && i > 0 && text_[i - 1] == u'第' && !latinAt(end)) {
            // After 第 it counts in Japanese (交響曲第IX番 ダイキュウバン).
            add(Spelt{{}, {cardinalReading(static_cast<std::uint64_t>(roman))}, Confidence::Likely,
                      "a Roman numeral after 第 said as its number"});
        } else if (roman && (standing || japaneseAt(end)) && !latinAt(end)) {
            add(Spelt{{}, {englishNumber(roman)}, Confidence::Likely, "a Roman numeral said in English"});
        } else if (saidByLetters(run) && japaneseAt(end)) {
            keep(lettersSpelt(run));
            letters_ = true;
        } else if (saidByLetters(run) && i > 0 && japaneseAt(i - 1) && !latinAt(end) &&
                   !(end < text_.size() && digitValue(text_[end]) >= 0)) {
            add(Spelt{{}, {lettersSpelt(run)}, Confidence::Likely, "Latin letters spelt by their names"});
        } else {
            return false;
        }
        i = end;
        return true;
    }

    // Kana written for their look: a word spread out between dots, a wave
    // dash for a long vowel, a small ャ, ュ or ョ for a big one.
    bool kana(std::size_t& i)
    {
        // A word spelt out one character at a time between middle dots
        // (飛・び・ま・す, 花・鳥・風・月: three or more) is read as the word.
        if (const std::size_t spread = spreadOut(text_, i)) {
            for (std::size_t k = i; k < i + spread; k += 2)
                keep(text_.substr(k, 1));
            i += spread;
            return true;
        }
        // A wave dash inside a word of kana, one or two kana before the word
        // ends, stands for a long vowel (エビ～ず, ら～めん); after a Han
        // character, one kana before the end, a plural's (巫女〜ず ミコーズ;
        // 少女～あい sets あい apart); where a value holds two, they set a
        // subtitle apart, and one before a longer run of kana (さくら〜さくら)
        // parts two words.
        const bool lastKana = i + 2 >= text_.size() || !isKanaCharacter(text_[i + 2]);
        if ((text_[i] == u'～' || text_[i] == u'〜') && i > 0 &&
            (isKanaCharacter(text_[i - 1]) || (isHanCharacter(text_[i - 1]) && lastKana)) &&
            i + 1 < text_.size() && isKanaCharacter(text_[i + 1]) &&
            (lastKana || i + 3 >= text_.size() || !isKanaCharacter(text_[i + 3])) &&
            text_.find_first_of(u"～〜") == i && text_.find_first_of(u"～〜", i + 1) == std::u16string_view::npos) {
            keep(u"ー");
            ++i;
            return true;
        }
        // A small ャ, ュ or ョ after a sound that takes none (だョ, ネェ is
        // left: ェ follows many) is the big one written small for its look.
        if (const char16_t big = smallYBig(text_[i]); big && (i == 0 || !takesSmallY(text_[i - 1]))) {
            keep(std::u16string_view(&big, 1));
            ++i;
            return true;
        }
        return false;
    }

    std::u16string_view text_;
    NameKind kind_;
    bool japanese_;
    bool letters_ = false;
    std::vector<Spelt> out_ = std::vector<Spelt>(1);
};

std::vector<Spelt> spelt(std::u16string_view text, NameKind kind, bool& letters)
{
    return Speller(text, kind).run(letters);
}

// Whether the text holds a word of two or more Latin letters that is not
// one of the notes releases add to a title (feat., Remix, Live, ver.) nor
// a name credited after feat.: those are no part of the name a reading
// says.
bool hasLatinWord(std::u16string_view text)
{
    static constexpr std::string_view kNotes[] = {
        "feat",  "featuring", "ft",      "with",  "remix",        "mix",   "version", "ver",     "live",
        "edit",  "remaster",  "remastered", "instrumental", "inst", "acoustic", "bonus", "track", "original",
        "karaoke", "off",     "vocal",   "vol",   "op",           "no",    "part",    "pt",      "cv",
        "prod",  "cover",     "demo",    "mono",  "stereo",       "single", "radio",  "tv",      "size"};
    for (const auto& [begin, end] : latinWordSpans(text)) {
        const std::string word = smallLetters(text.substr(begin, end - begin));
        // What follows feat. is a credited artist's name, kept as it is.
        if (word == "feat" || word == "featuring" || word == "ft")
            return false;
        if (word.size() >= 2 && std::find(std::begin(kNotes), std::end(kNotes), word) == std::end(kNotes))
            return true;
    }
    return false;
}

// The signs between English words said in katakana, spaces left out, a
// number among them said in English too (disc 2 ディスクツー, 60WATTS
// シックスティーワッツ): one of up to two digits, as englishCardinal says
// it; a longer one or one with a leading zero is kept as written. With
// `keepSpaces` set spaces stay.
String numbersInEnglish(std::u16string_view signs, bool keepSpaces)
{
    String out;
    for (std::size_t i = 0; i < signs.size();) {
        std::size_t end = i;
        while (end < signs.size() && digitValue(signs[end]) >= 0)
            ++end;
        if (end == i) {
            if (keepSpaces || signs[i] != u' ')
                out += signs[i];
            ++i;
            continue;
        }
        const std::u16string_view digits = signs.substr(i, end - i);
        const bool said = digits.size() <= 2 && !(digits.size() == 2 && digitValue(digits[0]) == 0);
        out += said ? englishCardinal(valueOfDigits(digits)) : String(digits);
        i = end;
    }
    return out;
}

// An English phrase of a Japanese value (「I love you」, -Fall in love-)
// said in katakana, word by word, its signs kept: each word a common small
// word, the loanword the engine gives it, or its sounds; nullopt when a
// word has none, or the text is a release's note (feat., Live). `source`
// is set to how the least sure word was found.
std::optional<String> englishInKana(ReadingEngine& engine, std::u16string_view text, LatinSource& source)
{
    String out;
    std::size_t from = 0;
    source = LatinSource::Loanword;
    const auto signs = [&](std::size_t to) { out += numbersInEnglish(text.substr(from, to - from), false); };
    const auto spans = latinWordSpans(text);
    for (const auto& [begin, end] : spans) {
        signs(begin);
        const std::u16string_view word = text.substr(begin, end - begin);
        // A release's note (feat., Live) is no part of a phrase to say.
        if (!smallWordKana(word) && !hasLatinWord(word))
            return std::nullopt;
        const std::optional<LatinKana> kana = englishWordKana(engine, word);
        if (!kana)
            return std::nullopt;
        out += kana->kana;
        source = std::max(source, kana->source);
        from = end;
    }
    signs(text.size());
    return spans.empty() ? std::nullopt : std::optional<String>(std::move(out));
}

// Appends Latin text right against a Japanese word: an English word in
// capitals (LOVER, BOY) that the engine's dictionary gives as one loanword
// becomes that loanword (ラバー), still a guess to look at; the rest is kept
// as written, marked so where it holds letters. A word a release's notes
// use (Radio, Live) is one of the name's words where it touches the
// Japanese (壊れかけのRadio): a note stands apart. `touchesBefore` and
// `touchesAfter` tell whether Japanese is right before and after the text.
void keptOrLoanwords(ReadingEngine& engine, std::u16string_view text, bool touchesBefore, bool touchesAfter,
                     std::vector<Piece>& pieces)
{
    // A number right after a word said in katakana (STAGE 3) is said in
    // English with it.
    bool said = false;
    const auto keep = [&](std::u16string_view kept) {
        if (kept.empty())
            return;
        const bool letters = std::any_of(kept.begin(), kept.end(), isLatinLetter);
        const std::size_t first = kept.find_first_not_of(u' ');
        String text = said && !letters && first != std::u16string_view::npos && digitValue(kept[first]) >= 0
            ? numbersInEnglish(kept, true)
            : String(kept);
        pieces.push_back(Piece{true,
                               std::move(text),
                               {},
                               letters ? Confidence::Check : Confidence::Sure,
                               letters ? "Latin letters kept as written" : ""});
    };
    std::size_t from = 0;
    for (const auto& [begin, end] : latinWordSpans(text)) {
        const std::u16string_view word = text.substr(begin, end - begin);
        const bool capitals = std::all_of(word.begin(), word.end(), [](char16_t c) { return capitalLetter(c) != 0; });
        const bool touching = (begin == 0 && touchesBefore) || (end == text.size() && touchesAfter);
        const std::string small = smallLetters(word);
        const bool credit = small == "feat" || small == "featuring" || small == "ft";
        if (word.size() >= 3 && !(capitals && saidByLetters(word)) &&
            (hasLatinWord(word) || (touching && !credit))) {
            if (const std::optional<LatinKana> kana = englishWordKana(engine, word)) {
                keep(text.substr(from, begin - from));
                pieces.push_back(Piece{false, {}, {kana->kana}, Confidence::Check, latinReason(kana->source, false)});
                from = end;
                said = true;
            }
        }
    }
    keep(text.substr(from));
}

// Whether the text holds letters of a script other than Latin (Москва,
// Αθήνα): a sort value in kana keeps them only as a guess.
bool otherLetters(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = next(text, i);
        UErrorCode status = U_ZERO_ERROR;
        const UScriptCode script = uscript_getScript(static_cast<UChar32>(c), &status);
        if (u_isalpha(static_cast<UChar32>(c)) && U_SUCCESS(status) && script != USCRIPT_LATIN &&
            script != USCRIPT_COMMON && script != USCRIPT_INHERITED)
            return true;
    }
    return false;
}

// The katakana name of a Greek letter, either case (α, Ω); empty for any
// other character.
std::u16string_view greekLetterName(char16_t c)
{
    static constexpr std::u16string_view kNames[] = {
        u"アルファ", u"ベータ", u"ガンマ",     u"デルタ", u"イプシロン", u"ゼータ",     u"イータ", u"シータ", u"イオタ",
        u"カッパ",   u"ラムダ", u"ミュー",     u"ニュー", u"クサイ",     u"オミクロン", u"パイ",   u"ロー",   u"シグマ",
        u"シグマ",   u"タウ",   u"ウプシロン", u"ファイ", u"カイ",       u"プサイ",     u"オメガ"};
    if (c >= u'α' && c <= u'ω')
        return kNames[c - u'α'];
    if (c >= u'Α' && c <= u'Ω' && c != u'\u03A2')
        return kNames[c - u'Α'];
    return {};
}

// The text with each Greek letter that stands alone (観測α, Ω・メガ), no
// letter of a Greek word, said by its name; empty when it holds none such
// or holds letters of any other script, Latin too (μ's keeps its letter).
String greekLettersSaid(std::u16string_view text)
{
    String out;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::u16string_view name = greekLetterName(text[i]);
        const bool alone = (i == 0 || greekLetterName(text[i - 1]).empty()) &&
            (i + 1 == text.size() || greekLetterName(text[i + 1]).empty());
        if (!name.empty() && alone) {
            out += name;
            any = true;
        } else if (!name.empty() || isLatinLetter(text[i]) || otherLetters(text.substr(i, 1))) {
            return {};
        } else {
            out += text[i];
        }
    }
    return any ? out : String();
}

// Whether the text holds a sign that titles say as a word (×と○と: バツ,
// マル; 僕×君: カケル or クロス), which a sort reading keeps only as a
// guess; stars and notes (☆, ♪) are ornaments no one says.
bool saysASign(std::u16string_view text)
{
    return text.find_first_of(u"×✕○◯△□＋＝") != std::u16string_view::npos;
}

// Appends the piece of a run of characters that are neither Japanese nor
// Hangul among Japanese ones: Latin words said in katakana where they can be
// (a guess), else letters and signs kept as written. `textBefore` and
// `textAfter` tell whether the value goes on before and after the run.
void otherRun(ReadingEngine& engine, std::u16string_view run, bool textBefore, bool textAfter, bool spell, bool mixed,
              std::vector<Piece>& pieces)
{
    // Control characters have no place in a sort value.
    String kept;
    for (const char16_t ch : run)
        if (ch >= 0x20 && (ch < 0x7F || ch > 0x9F))
            kept += ch;
    // Latin letters left as they are right against a word in kana
    // (マジンガーZ, 夕凪LOOP) may be said in kana too: a guess a person
    // should look at. Letters standing apart (東京 ONE) are a word of their
    // own.
    const bool touchesBefore = textBefore && isLatinLetter(run.front());
    const bool touchesAfter = textAfter && isLatinLetter(run.back());
    const bool latin = spell && (touchesBefore || touchesAfter);
    // An English phrase, or a word apart from the Japanese, is said in
    // katakana when every word of it has a reading (a guess).
    const std::size_t words = latinWordSpans(kept).size();
    std::optional<String> english;
    LatinSource source = LatinSource::Loanword;
    if (spell && mixed && hasLatinWord(kept) && (!latin || words > 1))
        english = englishInKana(engine, kept, source);
    if (english)
        pieces.push_back(Piece{false, {}, {std::move(*english)}, Confidence::Check, latinReason(source, words > 1)});
    else if (latin)
        keptOrLoanwords(engine, kept, touchesBefore, touchesAfter, pieces);
    else if (spell && mixed && hasLatinWord(kept))
        pieces.push_back(Piece{true, std::move(kept), {}, Confidence::Check, "Latin letters kept as written"});
    else if (String greek = greekLettersSaid(kept); !greek.empty())
        pieces.push_back(Piece{false, {}, {std::move(greek)}, Confidence::Likely, "a Greek letter said by its name"});
    else if (otherLetters(kept))
        pieces.push_back(Piece{true, std::move(kept), {}, Confidence::Check, "letters of another script kept as written"});
    else if (saysASign(kept))
        pieces.push_back(Piece{true, std::move(kept), {}, Confidence::Check, "a sign that may be said kept as written"});
    else if (!kept.empty())
        pieces.push_back(Piece{true, std::move(kept), {}, Confidence::Sure, ""});
}

// Appends the pieces of text the engine reads, a run of Japanese
// characters or of others at a time; false, with the reason, when a run
// has no Japanese reading.
bool readRuns(ReadingEngine& engine, std::u16string_view text, const RunRequest& request, bool spell, bool mixed,
              std::vector<Piece>& pieces, std::string& reason)
{
    // Runs of Japanese characters, of Hangul, and of the others.
    const auto script = [](char32_t c) { return isJapaneseCharacter(c) ? 1 : isHangulCharacter(c) ? 2 : 0; };
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t j = i;
        char32_t c = next(text, j);
        const int kind = script(c);
        const bool japanese = kind == 1;
        std::size_t end = i;
        while (end < text.size()) {
            std::size_t k = end;
            c = next(text, k);
            if (script(c) != kind)
                break;
            end = k;
        }
        const std::u16string_view run = text.substr(i, end - i);
        if (kind == 2 && mixed) {
            // Korean words among Japanese ones (서울の夜) are said in
            // katakana as Japanese writes them (ソウル), a guess a person
            // should look at; alone they are no Japanese value.
            if (std::optional<String> kana = hangulInKatakana(run))
                pieces.push_back(Piece{false, {}, {std::move(*kana)}, Confidence::Check, "Hangul written in katakana"});
            else
                pieces.push_back(Piece{true, String(run), {}, Confidence::Check, "Hangul kept as written"});
        } else if (!japanese) {
            otherRun(engine, run, i > 0, end < text.size(), spell, mixed, pieces);
        } else if (isKanaOnly(run)) {
            pieces.push_back(Piece{false, {}, {readingKana(run)}, Confidence::Sure, "written in kana"});
        } else {
            for (std::size_t k = 0; k < run.size();) {
                if (isSimplifiedOnly(next(run, k))) {
                    reason = "a character only simplified Chinese writes";
                    return false;
                }
            }
            RunReading read = engine.readRun(run, request);
            if (read.readings.empty()) {
                reason = read.reason.empty() ? "no Japanese reading" : read.reason;
                return false;
            }
            for (String& r : read.readings)
                r = readingKana(r);
            pieces.push_back(Piece{false, {}, std::move(read.readings), read.confidence, std::move(read.reason)});
        }
        i = end;
    }
    return true;
}

// Appends the pieces of a stretch no user reading covers; false, with the
// reason, when a run has no Japanese reading. With `spell`, digits and
// letters are first spelt as a sort reading spells them.
bool readStretch(ReadingEngine& engine, std::u16string_view written, const RunRequest& request, bool spell,
                 std::vector<Piece>& pieces, std::string& reason)
{
    bool letters = false;
    // A word of Latin letters beside Japanese ones, even apart from them
    // (DESIRE -情熱-) or past letters spelt (核P-MODEL), is one a sort
    // reading may well say in kana.
    const bool mixed = std::any_of(written.begin(), written.end(), [](char16_t c) { return isJapaneseCharacter(c); });
    const std::vector<Spelt> stretches =
        spell ? spelt(written, request.kind, letters) : std::vector<Spelt>{Spelt{String(written), {}, {}, {}}};
    const std::size_t first = pieces.size();
    for (const Spelt& s : stretches) {
        if (!s.readings.empty())
            pieces.push_back(Piece{false, {}, s.readings, s.confidence, s.reason});
        else if (!s.reason.empty())
            pieces.push_back(Piece{true, s.text, {}, s.confidence, s.reason});
        else if (!s.text.empty() && !readRuns(engine, s.text, request, spell, mixed, pieces, reason))
            return false;
    }
    // Letters spelt before a Japanese word are a guess at how it is said.
    for (std::size_t p = first; letters && p < pieces.size(); ++p) {
        if (!pieces[p].literal && pieces[p].confidence == Confidence::Sure && pieces[p].reason != kCardinal) {
            pieces[p].confidence = Confidence::Likely;
            pieces[p].reason = "Latin letters spelt by their names";
        }
    }
    return true;
}

} // namespace

String cardinalReading(std::uint64_t n)
{
    if (n == 0)
        return u"ゼロ";
    String out;
    const std::uint64_t cho = n / 1000000000000ull, oku = n / 100000000ull % 10000, man = n / 10000 % 10000;
    if (cho)
        out += cho == 1 ? String(u"イッチョウ")
            : cho == 8  ? String(u"ハッチョウ")
                        : readFourDigits(static_cast<unsigned>(cho % 10000)) + u"チョウ";
    if (oku)
        out += readFourDigits(static_cast<unsigned>(oku)) + u"オク";
    if (man)
        out += readFourDigits(static_cast<unsigned>(man)) + u"マン";
    return out + readFourDigits(static_cast<unsigned>(n % 10000));
}

String styleKana(std::u16string_view kana, ReadingStyle style) { return styled(readingKana(kana), style); }

std::optional<ReadingStyle> readingStyleNamed(std::string_view name)
{
    if (name == "katakana")
        return ReadingStyle::Katakana;
    if (name == "hiragana")
        return ReadingStyle::Hiragana;
    if (name == "romaji")
        return ReadingStyle::Romaji;
    return std::nullopt;
}

std::string_view readingStyleName(ReadingStyle style)
{
    switch (style) {
    case ReadingStyle::Hiragana:
        return "hiragana";
    case ReadingStyle::Romaji:
        return "romaji";
    case ReadingStyle::Katakana:
        break;
    }
    return "katakana";
}

bool isHanCharacter(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3005 || c == 0x3006 || c == 0x30F6 || c == 0x30F5;
}

bool isKanaCharacter(char32_t c)
{
    return (c >= 0x3041 && c <= 0x309F) || (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x30FC && c <= 0x30FF);
}

bool isKatakanaLetter(char32_t c) { return (c >= u'ァ' && c <= u'ヺ') || c == u'ー'; }

bool containsHan(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size();)
        if (isHanCharacter(next(text, i)))
            return true;
    return false;
}

char32_t nextCodePoint(std::u16string_view text, std::size_t& i)
{
    const char16_t c = text[i++];
    if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i++] - 0xDC00);
    return c;
}

std::string capitalised(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
            break;
        }
        if (c >= 'A' && c <= 'Z')
            break;
    }
    return text;
}

bool isHangulCharacter(char32_t c)
{
    return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) ||
        (c >= 0xA960 && c <= 0xA97F) || (c >= 0xD7B0 && c <= 0xD7FF);
}

bool isKanaOnly(std::u16string_view text)
{
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size();)
        if (!isKanaCharacter(next(text, i)))
            return false;
    return true;
}

String fullWidthKana(std::u16string_view text)
{
    // U+FF61 to U+FF9D in order; the marks U+FF9E and U+FF9F are joined below.
    static constexpr std::u16string_view wide = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
                                                u"ハヒフヘホマミムメモヤユヨラリルレロワン";
    String out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c >= 0xFF61 && c <= 0xFF9D) {
            out += wide[c - 0xFF61];
            continue;
        }
        if (c != 0xFF9E && c != 0xFF9F) {
            out += c;
            continue;
        }
        const bool voiced = c == 0xFF9E;
        const char16_t before = out.empty() ? 0 : out.back();
        // A voiced kana is the code point after its plain one (ハ バ パ are three
        // in a row); ウ takes the voiced mark as ヴ.
        const bool voiceable = before && std::u16string_view(u"カキクケコサシスセソタチツテト").find(before) != String::npos;
        const bool ha = before >= u'ハ' && before <= u'ホ' && (before - u'ハ') % 3 == 0;
        if (voiced && (voiceable || ha))
            out.back() = static_cast<char16_t>(before + 1);
        else if (!voiced && ha)
            out.back() = static_cast<char16_t>(before + 2);
        else if (voiced && before == u'ウ')
            out.back() = u'ヴ';
        else
            out += voiced ? u'゛' : u'゜';
    }
    return out;
}

bool isSimplifiedOnly(char32_t c)
{
    if (!isHanCharacter(c) || c < 0x3400)
        return false;
    static std::mutex mutex;
    static std::unordered_map<char32_t, bool> known;
    std::lock_guard lock(mutex);
    if (const auto found = known.find(c); found != known.end())
        return found->second;

    icu::UnicodeString text = icu::UnicodeString(static_cast<UChar32>(c));
    bool japanese = false;
    UErrorCode status = U_ZERO_ERROR;
    if (UConverter* conv = ucnv_open("EUC-JP", &status); U_SUCCESS(status)) {
        ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        char bytes[16];
        status = U_ZERO_ERROR;
        ucnv_fromUChars(conv, bytes, sizeof bytes, text.getBuffer(), text.length(), &status);
        japanese = U_SUCCESS(status);
        ucnv_close(conv);
    }
    bool simplified = false;
    if (!japanese) {
        static const std::unique_ptr<icu::Transliterator> toTraditional = [] {
            UErrorCode s = U_ZERO_ERROR;
            std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance("Hans-Hant", UTRANS_FORWARD, s));
            if (U_FAILURE(s))
                t.reset();
            return t;
        }();
        if (toTraditional) {
            icu::UnicodeString changed = text;
            toTraditional->transliterate(changed);
            simplified = changed != text;
        }
    }
    known.emplace(c, simplified);
    return simplified;
}

String toKatakana(std::u16string_view text)
{
    String out(text);
    for (char16_t& c : out)
        if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E)
            c = static_cast<char16_t>(c + 0x60);
    return out;
}

String toHiragana(std::u16string_view text)
{
    String out(text);
    for (char16_t& c : out)
        if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE)
            c = static_cast<char16_t>(c - 0x60);
    return out;
}

std::filesystem::path UserReadings::defaultFile()
{
    const std::filesystem::path config = paths::ownFolder(paths::configHome());
    return config.empty() ? config : config / "readings.tsv";
}

Status UserReadings::load()
{
    readings_.clear();
    longest_ = 0;
    std::error_code ec;
    if (file_.empty() || !std::filesystem::exists(file_, ec))
        return {};
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        return Failure{"cannot read " + file_.string()};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos)
            continue;
        auto value = unescape(std::string_view(line).substr(0, tab));
        auto reading = unescape(std::string_view(line).substr(tab + 1));
        if (value && reading && !value->empty() && !reading->empty())
            set(*value, *reading);
    }
    if (in.bad())
        return Failure{"cannot read " + file_.string()};
    return {};
}

Status UserReadings::save() const
{
    if (file_.empty())
        return Failure{"cannot write " + file_.string() + ": no configuration folder"};
    std::vector<std::pair<String, String>> sorted(readings_.begin(), readings_.end());
    std::sort(sorted.begin(), sorted.end());
    std::string text;
    for (const auto& [value, reading] : sorted)
        text += escape(value) + '\t' + escape(reading) + '\n';
    if (Status written = fileio::writeFileAtomically(file_, text); !written)
        return Failure{"cannot write " + file_.string() + ": " + written.reason()};
    return {};
}

void UserReadings::set(const String& value, const String& reading)
{
    readings_[value] = reading;
    longest_ = std::max(longest_, value.size());
}

const String* UserReadings::find(std::u16string_view value) const
{
    const auto found = readings_.find(String(value));
    return found == readings_.end() ? nullptr : &found->second;
}

namespace {

// The value without what no one sees and a sort value has no use for:
// control characters, and format characters (a zero-width space, marks of
// writing direction, a byte order mark). The joiners stay where they shape
// emoji, not beside a Japanese character (中\u200D島). They would cut a word in
// two (東\x01京) and stay in the reading.
String withoutInvisibles(std::u16string_view value)
{
    String out;
    out.reserve(value.size());
    char32_t kept = 0;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t at = i;
        const char32_t c = nextCodePoint(value, i);
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        bool format = u_charType(static_cast<UChar32>(c)) == U_FORMAT_CHAR;
        if (format && (c == 0x200C || c == 0x200D)) {
            std::size_t j = i;
            const char32_t after = j < value.size() ? nextCodePoint(value, j) : 0;
            format = isJapaneseCharacter(kept) || isJapaneseCharacter(after);
        }
        if (!control && !format) {
            out += value.substr(at, i - at);
            kept = c;
        }
    }
    return out;
}

} // namespace

String readingForm(std::u16string_view value)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* composed = icu::Normalizer2::getNFCInstance(status);
    const icu::Normalizer2* compatible = icu::Normalizer2::getNFKCInstance(status);
    const String visible = withoutInvisibles(value);
    if (U_FAILURE(status))
        return fullWidthKana(visible);
    // Composed first: a name tagged on a system that stores text decomposed
    // (シ and a combining voiced mark) is the name written whole.
    icu::UnicodeString text(false, visible.data(), static_cast<int32_t>(visible.size()));
    icu::UnicodeString nfc = composed->normalize(text, status);
    if (U_FAILURE(status))
        return fullWidthKana(visible);
    // Number forms (Ⅱ II), enclosed and squared characters (① 1, ㈱ (株),
    // ㍻ 平成) and full-width letters and digits as what they stand for.
    icu::UnicodeString out;
    for (int32_t i = 0; i < nfc.length();) {
        const UChar32 c = nfc.char32At(i);
        const int32_t width = U16_LENGTH(c);
        const bool spelt = (c >= 0x2150 && c <= 0x218F) || (c >= 0x2460 && c <= 0x24FF) ||
            (c >= 0x3200 && c <= 0x33FF) || (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) ||
            (c >= 0xFF41 && c <= 0xFF5A);
        icu::UnicodeString one = nfc.tempSubString(i, width);
        if (spelt) {
            UErrorCode each = U_ZERO_ERROR;
            icu::UnicodeString folded = compatible->normalize(one, each);
            if (U_SUCCESS(each))
                one = folded;
        }
        out += one;
        i += width;
    }
    return fullWidthKana(std::u16string_view(out.getBuffer(), static_cast<std::size_t>(out.length())));
}

ValueReading readValue(ReadingEngine& engine, const UserReadings* user, std::u16string_view written,
                       ReadingStyle style, std::size_t alternatives, const RunRequest& request)
{
    const String visible = readingForm(written);
    const std::u16string_view value = visible;
    ValueReading result;
    result.language = Language::Japanese;
    const std::size_t limit = alternatives + 1;
    RunRequest runs = request;
    runs.limit = limit;
    // Romaji keeps Latin letters and digits as they are.
    const bool spell = style != ReadingStyle::Romaji;
    std::vector<Piece> pieces;

    // The user's readings: the whole value, then the longest matching parts
    // from left to right; the stretches between them are read.
    std::size_t stretch = 0, i = 0;
    while (i < value.size()) {
        std::size_t matched = 0;
        const String* reading = nullptr;
        if (user && user->size()) {
            for (std::size_t n = std::min(user->longestKey(), value.size() - i); n > 0; --n) {
                if ((reading = user->find(value.substr(i, n)))) {
                    matched = n;
                    break;
                }
            }
        }
        if (!matched) {
            ++i;
            continue;
        }
        if (i > stretch && !readStretch(engine, value.substr(stretch, i - stretch), runs, spell, pieces, result.reason))
            return result;
        pieces.push_back(Piece{false, {}, {readingKana(*reading)}, Confidence::Sure, "your own reading"});
        i += matched;
        stretch = i;
    }
    if (stretch < value.size() && !readStretch(engine, value.substr(stretch), runs, spell, pieces, result.reason))
        return result;
    // Nothing in the value was read (Чайковский, 방탄소년단): it has no Japanese
    // reading, only itself.
    if (std::all_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.literal; })) {
        result.language = Language::None;
        result.reason = "nothing in it to read in Japanese";
        return result;
    }
    // The value is as sure as its least sure piece.
    result.confidence = Confidence::Sure;
    for (const Piece& p : pieces) {
        if ((!p.literal || !p.reason.empty()) && (p.confidence < result.confidence || result.reason.empty())) {
            result.confidence = p.confidence;
            result.reason = p.reason;
        }
    }

    std::vector<std::size_t> choice(pieces.size(), 0);
    result.reading = assemble(pieces, choice, style);
    std::unordered_set<String> seen{*result.reading};
    // Alternatives change one piece at a time, second-best readings first.
    for (std::size_t rank = 1; rank < limit && result.alternatives.size() < alternatives; ++rank) {
        for (std::size_t j = 0; j < pieces.size() && result.alternatives.size() < alternatives; ++j) {
            if (pieces[j].literal || rank >= pieces[j].readings.size())
                continue;
            choice[j] = rank;
            String other = assemble(pieces, choice, style);
            choice[j] = 0;
            if (seen.insert(other).second)
                result.alternatives.push_back(std::move(other));
        }
    }
    return result;
}

} // namespace yomi
