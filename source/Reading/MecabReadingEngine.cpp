#include "Reading/MecabReadingEngine.h"

#include <malloc.h>
#include <mecab.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "Platform/Paths.h"
#include "Reading/KanjiTable.h"
#include "Reading/GivenNames.h"
#include "Reading/EnglishSounds.h"
#include "Reading/Loanwords.h"
#include "Reading/Rendaku.h"
#include "Reading/NameIndex.h"
#include "Reading/SkkDictionary.h"

namespace yomi::reading {
namespace {

constexpr std::size_t kBestPaths = 3;
constexpr std::size_t kLongestName = 8; // code units; longer runs are not split into names
constexpr std::size_t kReadingsPerPart = 3;
// How much more a rival reading of a surname may cost in MeCab's dictionary
// than the one it chose, for the choice to be no choice at all.
constexpr int kRivalSurnameCost = 1000;
constexpr std::size_t kLongestWord = 4; // words of MeCab's put together as one of the word dictionary

bool fileExists(const std::filesystem::path& p)
{
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

std::vector<std::string_view> splitFeature(std::string_view feature)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= feature.size()) {
        std::size_t end = feature.find(',', start);
        if (end == std::string_view::npos)
            end = feature.size();
        fields.push_back(feature.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// A reading with a small vowel kana or ヴ is a foreign sound: the native
// reading of a Chinese name, never a Japanese reading of Han characters.
bool isForeignReading(std::u16string_view reading)
{
    return reading.find_first_of(u"ァィゥェォヴヮ") != std::u16string_view::npos;
}

// An entry of the name dictionary that transcribes a foreign name: one the
// dictionary writes in katakana, or with a foreign sound (isForeignReading)
// or a prolonged-sound mark, which its readings of Han characters, written
// in hiragana, never hold. Tested on the entry's UTF-8 as it is (this runs
// for every entry looked up).
bool isForeignEntry(const NameEntry& e)
{
    if (e.kinds & kTranscribed)
        return true;
    // ァィゥェォ are E3 82 A1..A9 (odd), ヮ ヴ ー are E3 83 AE, B4, BC.
    const std::string& r = e.reading;
    for (std::size_t i = 0; i + 2 < r.size(); ++i) {
        if (static_cast<unsigned char>(r[i]) != 0xE3)
            continue;
        const unsigned char b = static_cast<unsigned char>(r[i + 1]), c = static_cast<unsigned char>(r[i + 2]);
        if ((b == 0x82 && c >= 0xA1 && c <= 0xA9 && (c & 1)) || (b == 0x83 && (c == 0xAE || c == 0xB4 || c == 0xBC)))
            return true;
        i += 2;
    }
    return false;
}

struct Token {
    String surface;
    String reading; // katakana; empty when the dictionary has none
    std::string pos0, pos1, pos2, pos3;
    // The inflected form of a verb or adjective (連用形, ...), else "*".
    std::string form;
    bool han = false;
    // MeCab did not know the word: its reading is made of its characters'
    // on readings.
    bool guessed = false;
    // Its reading is the form it takes opening a compound (八つ: ヤツ, not
    // ヤッツ), which no dictionary gives the word alone.
    bool compoundForm = false;
    // The distinct readings MeCab's dictionary has for this surface here
    // (1 for a word it knows one way; 0 when it does not know it).
    std::size_t readingsKnown = 0;
    // A surname MeCab's dictionary also holds with another reading (not
    // only voiced otherwise) at nearly the same cost: it cannot tell which
    // one its bearer has (松前 マツマエ and マサキ).
    bool rivalSurname = false;
    bool personName() const { return pos1 == "固有名詞" && pos2 == "人名"; }
    bool surname() const { return personName() && pos3 == "姓"; }
    bool givenName() const { return personName() && pos3 == "名"; }
    // A noun of one Han character that stands as a word (not a number, a
    // suffix or a name).
    bool nounOfOneCharacter() const
    {
        return han && surface.size() == 1 && pos0 == "名詞" && pos1 != "接尾" && pos1 != "数" && !personName();
    }
    // A verb in the form that also makes nouns and compounds (追い, 詠み).
    bool verbStem() const { return pos0 == "動詞" && form.starts_with("連用"); }
    // Attached to the word before it when words are spaced.
    bool attaches() const
    {
        return pos0 == "助動詞" || pos0 == "接尾辞" || (pos0 == "助詞" && pos1 == "接続助詞") || pos1 == "接尾" ||
            pos1 == "非自立";
    }
};

struct Split {
    long cost;
    std::vector<String> surnames, givens;
    std::size_t at = 0; // the surname's length
};

struct Path {
    std::vector<Token> tokens;
    long cost = 0;
    // Every token has a reading.
    bool complete() const
    {
        return std::all_of(tokens.begin(), tokens.end(), [](const Token& t) { return !t.reading.empty(); });
    }
    bool foreign() const
    {
        return std::any_of(tokens.begin(), tokens.end(),
                           [](const Token& t) { return t.han && isForeignReading(t.reading); });
    }
    // The readings of the tokens from `from` on, run together (the given
    // name MeCab reads after a surname).
    String reading(std::size_t from = 0) const
    {
        String out;
        for (std::size_t i = from; i < tokens.size(); ++i)
            out += tokens[i].reading;
        return out;
    }
    String words(std::size_t from = 0) const
    {
        String out;
        for (std::size_t i = from; i < tokens.size(); ++i) {
            if (!out.empty() && !tokens[i].attaches())
                out += u' ';
            out += tokens[i].reading;
        }
        return out;
    }
};

// Where a candidate reading came from, for how far it can be trusted.
enum class Origin {
    SkkFullName,   // a well-known person's full name in the SKK dictionary
    FullName,      // a full-name entry of the name dictionary
    WholeName,     // the name dictionary's entry of the whole run closest to MeCab's reading
    SurnameGiven,  // MeCab's surname and the name dictionary's given names
    WholeWords,    // words MeCab cut apart that the word dictionary has whole
    JoinedNames,   // characters MeCab read one by one that the name dictionary has together
    Mecab,         // MeCab's best reading
    Title,         // a reading song titles give a word
    Word,          // another reading of a word in the word dictionary
    NameEntry,     // another reading of the whole run in the name dictionary
    Variant,       // a sound change in a compound
    Split,         // a surname and a given name the name dictionary has apart
    ComposedGiven, // MeCab's surname and a given name read as given names read its characters
    OtherPath,     // MeCab's second or third reading
    OnReadings,    // each character by its on reading
};

// A reading without the spaces between its words.
String withoutSpaces(const String& reading)
{
    String joined;
    for (const char16_t c : reading)
        if (c != u' ')
            joined += c;
    return joined;
}

// Candidates in order, each once (readings that differ only in their word
// spaces are one), with where each came from. Readings that change the kana
// written in the run go after those that keep it.
class Candidates {
public:
    void add(String reading, Origin origin)
    {
        String joined = withoutSpaces(reading);
        if (!joined.empty() && seen_.insert(std::move(joined)).second)
            list_.push_back({std::move(reading), origin});
    }
    std::size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }
    // The candidates, best first, at most `limit`.
    std::vector<std::pair<String, Origin>> take(std::u16string_view run, std::size_t limit)
    {
        std::stable_partition(list_.begin(), list_.end(), [&](const auto& r) { return keepsKana(run, r.first); });
        if (list_.size() > limit)
            list_.resize(limit);
        return std::move(list_);
    }

private:
    // Whether every stretch of kana of the run is in the reading, in order.
    static bool keepsKana(std::u16string_view run, const String& reading)
    {
        const String joined = withoutSpaces(reading);
        std::size_t at = 0;
        const auto kana = [](char16_t c) { return isKanaCharacter(c) && !isHanCharacter(c); };
        for (std::size_t i = 0; i < run.size();) {
            if (!kana(run[i])) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < run.size() && kana(run[end]))
                ++end;
            at = joined.find(toKatakana(run.substr(i, end - i)), at);
            if (at == String::npos)
                return false;
            i = end;
        }
        return true;
    }

    std::vector<std::pair<String, Origin>> list_;
    std::unordered_set<String> seen_;
};

// Edit distance in code units.
std::size_t distance(std::u16string_view a, std::u16string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The voiced form of a kana at the start of the second part of a compound
// (rendaku: ヒヨリ after グンジョウ is ビヨリ); 0 when it has none.
char16_t voiced(char16_t c)
{
    return voicedKana(c);
}

// The katakana with each voiced or half-voiced sound plain (ガ カ, パ ハ).
String withoutVoicing(String s)
{
    for (char16_t& c : s) {
        if (voicedKana(static_cast<char16_t>(c - 1)) == c)
            c = static_cast<char16_t>(c - 1);
        else if (c >= u'パ' && c <= u'ポ' && (c - u'パ') % 3 == 0)
            c = static_cast<char16_t>(c - 2);
    }
    return s;
}

// The last kana of a word of one Han character as the first part of a
// compound, where it changes (アメ: アマ); 0 when it does not.
char16_t compoundFirst(char16_t c)
{
    switch (c) {
    case u'ケ':
        return u'カ';
    case u'メ':
        return u'マ';
    case u'ネ':
        return u'ナ';
    case u'ゼ':
        return u'ザ';
    default:
        return 0;
    }
}

// The reading of `surface` in `index` closest to `joined` (the reading of
// its parts), of the entries `fits` takes, or empty when it has none that
// is not a foreign name's. With `loanwords` set a reading in katakana is
// taken too: the word dictionary's word of Han characters read so is a
// foreign word written with them (燐寸 マッチ, 伯林 ベルリン).
template <typename Fits>
String closestReading(const NameIndex& index, const String& surface, const String& joined, Fits&& fits,
                      bool loanwords = false)
{
    String reading;
    std::size_t closest = 0;
    for (const NameEntry& e : index.lookup(toUtf8(surface))) {
        if ((!loanwords && isForeignEntry(e)) || !fits(e))
            continue;
        String r = toUtf16(e.reading);
        const std::size_t d = distance(r, joined);
        if (reading.empty() || d < closest) {
            reading = std::move(r);
            closest = d;
        }
    }
    return reading;
}

// Readings that song titles give words (本気: マジ, 宇宙: ソラ, 故郷: フルサト).
const std::pair<std::u16string_view, std::u16string_view> kTitleReadings[] = {
    {u"詩", u"ウタ"},       {u"唄", u"ウタ"},   {u"女", u"ヒト"},     {u"宇宙", u"ソラ"}, {u"宙", u"ソラ"},
    {u"地球", u"ホシ"},     {u"本気", u"マジ"}, {u"運命", u"サダメ"}, {u"未来", u"アス"}, {u"明日", u"アス"},
    {u"時代", u"トキ"},     {u"瞬間", u"トキ"}, {u"永遠", u"トワ"},   {u"理由", u"ワケ"}, {u"強敵", u"トモ"},
    {u"故郷", u"フルサト"}, {u"心", u"ココロ"}, {u"刻", u"トキ"},     {u"夜", u"ヨ"},     {u"人", u"ヒト"},
    {u"夕", u"ユウベ"}};

// Whether titles give the word a reading other than the one it has.
bool hasTitleReading(const Token& t)
{
    return std::any_of(std::begin(kTitleReadings), std::end(kTitleReadings),
                       [&](const auto& r) { return t.surface == r.first && t.reading != r.second; });
}

// The readings of kTitleReadings as candidates. A song (詩, 唄) at the end
// of a title after の or a word that qualifies it is read ウタ first
// (防人の詩, 名もなき詩), a woman of a place ending it ヒト (函館の女), and an
// evening (夕) standing as a word of its own ユウベ (港の夕, 楽しい夕に);
// with `first` set only those are added, else every other such reading.
void addTitleReadings(const Path& path, Candidates& out, bool first)
{
    for (std::size_t j = 0; j < path.tokens.size(); ++j) {
        const Token& t = path.tokens[j];
        if (!t.han || t.personName())
            continue;
        for (const auto& [surface, reading] : kTitleReadings) {
            if (t.surface != surface || t.reading == reading)
                continue;
            const Token* before = j > 0 ? &path.tokens[j - 1] : nullptr;
            const bool attributive = before &&
                (before->pos0 == "形容詞" || before->pos0 == "動詞" || before->pos0 == "助動詞") &&
                (before->form == "基本形" || before->form.starts_with("体言接続"));
            const bool song = (surface == u"詩" || surface == u"唄") && j + 1 == path.tokens.size() && before &&
                (before->surface == u"の" || attributive);
            // A woman of a place, ending a title (函館の女, 長崎の女), is ヒト
            // as the songs of ports and towns say it.
            const bool ofPlace = surface == u"女" && j + 1 == path.tokens.size() && j >= 2 &&
                before->surface == u"の" && path.tokens[j - 2].pos2 == "地域";
            const bool evening = surface == u"夕" &&
                (j == 0 || (path.tokens[j - 1].pos0 != "名詞" && path.tokens[j - 1].pos0 != "接頭詞")) &&
                (j + 1 == path.tokens.size() || path.tokens[j + 1].pos0 == "助詞");
            if ((song || evening || ofPlace) != first)
                continue;
            Path variant = path;
            variant.tokens[j].reading = String(reading);
            out.add(variant.words(), Origin::Title);
        }
    }
}

// Compounds of two nouns may voice the second one's first sound, or double
// it.
void addCompoundSounds(const Path& path, Candidates& out)
{
    for (std::size_t j = path.tokens.size(); j-- > 1;) {
        const Token& before = path.tokens[j - 1];
        const Token& t = path.tokens[j];
        // A word of kana or a verb's stem before a noun of Han characters
        // voices it too (ふたり and 酒: フタリザケ; 追い and 酒: オイザケ).
        const bool head = (before.pos0 == "名詞" && (before.han || isKanaOnly(before.surface))) ||
            (before.pos0 == "動詞" && before.han);
        // A verb's stem after a noun, ending the value or before a particle,
        // is a noun compounded with it (天城 and 越え: アマギゴエ).
        const bool stemAsNoun = t.verbStem() && before.pos0 == "名詞" && before.han &&
            (j + 1 == path.tokens.size() || path.tokens[j + 1].pos0 == "助詞");
        if (!head || (t.pos0 != "名詞" && !stemAsNoun) || !t.han || t.personName() || before.personName() ||
            t.reading.empty() || before.reading.empty())
            continue;
        if (const char16_t v = voiced(t.reading.front())) {
            Path variant = path;
            variant.tokens[j].reading.front() = v;
            out.add(variant.words(), Origin::Variant);
        }
        // A number, or one character before another, ending in ク, ツ, チ
        // or キ doubles a voiceless sound after it (ヒャク and ケイ are
        // ヒャッケイ; ハ becomes パ).
        const char16_t last = before.reading.back(), first = t.reading.front();
        const bool sino = before.pos1 == "数" || (before.surface.size() == 1 && t.surface.size() == 1);
        if (sino && before.reading.size() >= 2 && voiced(first) &&
            std::u16string_view(u"クツチキ").find(last) != std::u16string_view::npos) {
            Path variant = path;
            variant.tokens[j - 1].reading.back() = u'ッ';
            if (first >= u'ハ' && first <= u'ホ')
                variant.tokens[j].reading.front() = static_cast<char16_t>(first + 2);
            out.add(variant.words(), Origin::Variant);
        }
        // A number ending in ン voices a counter of the ハ row, or makes it
        // パ (サン and フン: サンプン; サン and ホン: サンボン).
        if (before.pos1 == "数" && last == u'ン' && first >= u'ハ' && first <= u'ホ' && (first - u'ハ') % 3 == 0) {
            Path variant = path;
            variant.tokens[j].reading.front() = static_cast<char16_t>(first + 2);
            out.add(variant.words(), Origin::Variant);
        }
    }
}

// Whether a name of Han characters alone begins with one of the common
// Chinese surnames (in traditional and simplified forms). Surnames that
// begin many Japanese words and names (田, 原, 石, 吉) count only when
// `shared` is set.
bool chineseSurnameFirst(std::u16string_view run, bool shared = false)
{
    if (shared && !run.empty() &&
        std::u16string_view(u"田原石吉古南明和谷成安文武平").find(run[0]) != std::u16string_view::npos)
        return true;
    static const std::u16string_view surnames =
        u"王李張张劉刘陳陈楊杨黃黄趙赵吳吴周徐孫孙馬马朱胡郭何高林羅罗鄭郑梁謝谢宋唐許许韓韩馮冯鄧邓曹彭曾蕭萧"
        u"董袁潘于蔣蒋蔡余杜葉叶程蘇苏魏呂吕丁任沈姚盧卢姜崔鍾钟譚谭陸陆汪范金廖賈贾夏韋韦付傅方白鄒邹孟熊秦邱江"
        u"尹薛閻闫段雷侯龍龙史陶黎賀贺顧顾毛郝龔龚邵萬万錢钱嚴严覃戴莫孔湯汤溫温康施牛樊葛邢齊齐易喬乔伍龐庞顏颜"
        u"倪莊庄聶聂章魯鲁岳翟殷詹申歐欧耿關关蘭兰焦俞左柳甘祝包寧宁尚舒阮柯紀纪梅童凌畢毕單单季裴霍涂苗盛曲翁"
        u"冉駱骆藍蓝游辛靳管柴蒙鮑鲍華华喻祁蒲滕屈饒饶牟艾尤陽阳穆農农卓繆缪簡简項项連连麥麦褚婁娄竇窦戚岑費费"
        u"卜晏衛卫柏瞿佟應应臧閔闵苟鄔邬卞姬師师仇欒栾隋刁榮荣巫寇桑郎甄叢丛仲虞敖鞏巩佘查苑遲迟鄺邝匡鞠荊荆那"
        u"冀郁胥班儲储楚鄢勞劳諶谌奚冼藺蔺樓楼練练賴赖容鳳凤";
    return !run.empty() && surnames.find(run[0]) != std::u16string_view::npos;
}

// The value of a number in kanji numerals (三百六十五, 二億四千万, 千); nullopt
// for text that is not one, or that names its digits one by one (二〇二〇).
std::optional<std::uint64_t> numeralValue(std::u16string_view text)
{
    static const std::u16string_view digits = u"〇一二三四五六七八九";
    std::uint64_t total = 0, group = 0;
    int pending = -1;
    for (const char16_t c : text) {
        const std::size_t d = digits.find(c);
        if (d != std::u16string_view::npos) {
            if (pending >= 0)
                return std::nullopt;
            pending = static_cast<int>(d);
            continue;
        }
        const std::uint64_t unit = c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
        const std::uint64_t big = c == u'万' ? 10000ull : c == u'億' ? 100000000ull : c == u'兆' ? 1000000000000ull : 0;
        if (unit) {
            group += (pending < 0 ? 1 : static_cast<std::uint64_t>(pending)) * unit;
        } else if (big) {
            group += pending < 0 ? 0 : static_cast<std::uint64_t>(pending);
            total += (group == 0 ? 1 : group) * big;
            group = 0;
        } else {
            return std::nullopt;
        }
        pending = -1;
    }
    if (text.empty())
        return std::nullopt;
    return total + group + (pending < 0 ? 0 : static_cast<std::uint64_t>(pending));
}

// MeCab reads a number one numeral at a time (三 サン, 百 ヒャク): the numerals
// are put together as one number read aloud (サンビャク), and a counter after
// it takes the number's form that goes with it (二人: フタリ, 四時: ヨジ,
// 九時: クジ, 七時: シチジ).
void joinNumbers(std::vector<Token>& tokens)
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::size_t end = i;
        String surface;
        while (end < tokens.size() && tokens[end].pos1 == "数" && tokens[end].han) {
            surface += tokens[end].surface;
            ++end;
        }
        const auto value = numeralValue(surface);
        if (!value ||
            (end - i < 2 && end < tokens.size() && tokens[end].surface != u"人" && tokens[end].surface != u"時"))
            continue;
        Token& number = tokens[i];
        number.surface = surface;
        number.reading = cardinalReading(*value);
        // A thousand written with its one (一千, 一千万) says it: イッセン.
        if (surface.starts_with(u"一千") && number.reading.starts_with(u"セン"))
            number.reading.insert(0, u"イッ");
        number.readingsKnown = 1;
        tokens.erase(tokens.begin() + static_cast<long>(i) + 1, tokens.begin() + static_cast<long>(end));
        if (i + 1 >= tokens.size())
            continue;
        Token& counter = tokens[i + 1];
        if ((*value == 1 || *value == 2) && counter.surface == u"人") {
            number.reading = *value == 1 ? u"ヒト" : u"フタ";
            counter.reading = u"リ";
        } else if (*value % 10 == 4 &&
                   (counter.surface == u"時" || counter.surface == u"人" || counter.surface == u"年")) {
            number.reading.pop_back(); // ヨン: ヨ
        } else if (*value % 10 == 9 && counter.surface == u"時") {
            number.reading.replace(number.reading.size() - 3, 3, u"ク");
        } else if (*value % 10 == 7 && counter.surface == u"時") {
            number.reading.replace(number.reading.size() - 2, 2, u"シチ");
        }
    }
}

// A native number with つ (三つ ミッツ, 八つ ヤッツ) as the first part of a
// compound drops its doubled sound (八つ墓 ヤツハカ, 三つ子 ミツゴ, 八つ当たり
// ヤツアタリ): before a noun of Han characters, or a verb's stem that makes
// one with what follows (六つ見 and a name).
void nativeNumeralsInCompounds(std::vector<Token>& tokens)
{
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        Token& number = tokens[i];
        const Token& next = tokens[i + 1];
        if (number.surface.size() != 2 || std::u16string_view(u"三四六八").find(number.surface[0]) == String::npos ||
            (number.surface[1] != u'つ' && number.surface[1] != u'ツ') || !number.reading.ends_with(u"ッツ") ||
            !next.han || !isHanCharacter(next.surface.front()))
            continue;
        const bool stemBeforeWord = next.verbStem() && i + 2 < tokens.size() && tokens[i + 2].han;
        if (next.pos0 != "名詞" && !stemBeforeWord)
            continue;
        number.reading.erase(number.reading.size() - 2, 1);
        number.compoundForm = true;
    }
}

// A character MeCab reads in the doubled form it takes before another
// sound (絶 ゼッ, as in 絶対) where no sound that doubles follows it (痛絶 at
// the value's end, 絶 before a vowel) is read in full, as its on reading
// (ゼツ) when that begins the same.
void geminateInFull(std::vector<Token>& tokens, const KanjiTable* kanji)
{
    if (!kanji)
        return;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (!t.han || t.surface.size() != 1 || t.reading.size() < 2 || !t.reading.ends_with(u"ッ"))
            continue;
        if (i + 1 < tokens.size() && !tokens[i + 1].reading.empty() &&
            String(u"カキクケコサシスセソタチツテトパピプペポ").find(tokens[i + 1].reading.front()) != String::npos)
            continue;
        const String stem = t.reading.substr(0, t.reading.size() - 1);
        const String on = kanji->onReading(t.surface.front());
        if (on.size() > stem.size() && on.starts_with(stem))
            t.reading = on;
    }
}

// ヶ (ヵ) between a word of Han characters that is no number and another
// Han character is the old genitive が of place and house names (虹ヶ咲
// ニジガサキ, 夢ヶ浜 ユメガハマ; the name dictionary reads it so in 4,733 of
// its 4,886 names that hold it after such a word); after a number it is
// the counter's カ (三ヶ月, 八ヶ所), which the counter rules read.
void genitiveGa(std::vector<Token>& tokens)
{
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
        Token& t = tokens[i];
        const Token& before = tokens[i - 1];
        const Token& after = tokens[i + 1];
        if ((t.surface != u"ヶ" && t.surface != u"ヵ") || !before.han || before.pos1 == "数" || !after.han ||
            !isHanCharacter(after.surface.front()) || numeralValue(before.surface.substr(before.surface.size() - 1)))
            continue;
        t.reading = u"ガ";
        t.guessed = false;
        t.pos0 = "助詞";
        t.pos1 = "連体化";
    }
}

// A counter read in Sino-Japanese sounds after a number changes the sounds
// where they meet (一回 イッカイ, 八ヶ所 ハッカショ, 六本 ロッポン, 十歳
// ジュッサイ, 三本 サンボン, 三分 サンプン): a number ending in イチ, ハチ or
// ジュウ doubles a following カ, サ, タ or ハ row sound (ハ becoming パ), one
// ending in ロク or ヒャク (ビャク, ピャク) a カ or ハ row sound; one ending in ン (but ヨン)
// voices a ハ row sound, or makes it パ for the counters フン, ハク, ハツ and
// ヘン. Counters read in native sounds (組 クミ) keep theirs; without the
// character table every counter changes (the caller knows it does).
void counterSounds(Token& number, Token& counter, const KanjiTable* kanji)
{
    String& n = number.reading;
    String& c = counter.reading;
    if (n.size() < 2 || c.empty() || !counter.han)
        return;
    // A counter read in its on reading, or a counter of two characters in
    // that reading unvoiced (分間: ブン listed, フン said; 十分 alone is
    // mostly the word ジュウブン, enough).
    if (kanji && !kanji->onReading(counter.surface.front()).empty()) {
        const String on = kanji->onReading(counter.surface.front());
        const bool sino = c.starts_with(on) ||
            (counter.surface.size() > 1 && c.size() >= on.size() && voiced(c.front()) == on.front() &&
             c.compare(1, on.size() - 1, on, 1) == 0);
        if (!sino)
            return;
    }
    const auto row = [&](std::u16string_view kana) { return kana.find(c.front()) != std::u16string_view::npos; };
    const bool k = row(u"カキクケコ"), s = row(u"サシスセソ"), t = row(u"タチツテト"), h = row(u"ハヒフヘホ");
    const auto endsWith = [&](std::u16string_view e) { return n.size() >= e.size() && n.ends_with(e); };
    const bool doubles = ((endsWith(u"イチ") || endsWith(u"ハチ")) && (k || s || t || h)) ||
        (endsWith(u"ジュウ") && (k || s || t || h)) || ((endsWith(u"ロク") || endsWith(u"ャク")) && (k || h));
    if (doubles) {
        n.back() = u'ッ';
        if (h)
            c.front() = static_cast<char16_t>(c.front() + 2);
        return;
    }
    if (endsWith(u"ン") && !endsWith(u"ヨン") && h) {
        const bool p = c.starts_with(u"フン") || c.starts_with(u"ハク") || c.starts_with(u"ハツ") || c.starts_with(u"ヘン");
        c.front() = static_cast<char16_t>(c.front() + (p ? 2 : 1));
    }
}

// The text with each iteration mark 々 after a Han character written as
// that character (妖々 妖妖).
String withoutIterationMarks(std::u16string_view text)
{
    String out(text);
    for (std::size_t i = 1; i < out.size(); ++i)
        if (out[i] == u'々' && isHanCharacter(out[i - 1]) && out[i - 1] != u'々')
            out[i] = out[i - 1];
    return out;
}

bool hanOnly(std::u16string_view text)
{
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char16_t c) { return isKanaCharacter(c); });
}

// What the stages of one reading share: the run, MeCab's parses of it and
// what the dictionaries hold for it whole.
struct Look {
    std::u16string_view run;
    std::string text;
    std::vector<Path> paths;
    bool onlyHan = false;
    // The name dictionary's entries of the whole run (before and after the
    // foreign ones are left out), and the SKK dictionaries' Japanese ones.
    std::vector<NameEntry> allExact, exact, skk;
    String mecab; // MeCab's best reading, when it reads every word
    // MeCab read three or more Han characters one by one after a Chinese
    // surname: its reading says little.
    bool fragmented = false;
    bool person = false;    // MeCab found a person's name in the run
    bool wholeName = false; // the name dictionary has the whole run as a person's name
    // The name dictionary has the run only in sounds its characters do not
    // have in Japanese (after a Chinese surname).
    bool soundsForeign = false;
    Path merged; // the best path with the word dictionary's whole words, if any
    std::optional<std::vector<Split>> splits;
    const Path& best() const { return paths.front(); }
    bool read() const { return !mecab.empty() && !fragmented; }
};

// What a run reads as, best first, with the origin of the first.
struct Outcome {
    std::vector<std::pair<String, Origin>> candidates;
    std::vector<std::string> chinese; // the signs of a Chinese name seen
    // How far the first candidate can be trusted, and why.
    Confidence confidence = Confidence::Check;
    std::string reason;
};

// The distinct readings of entries.
std::size_t distinctReadings(const std::vector<NameEntry>& entries, unsigned kinds = ~0u)
{
    std::vector<std::string_view> seen;
    for (const NameEntry& e : entries)
        if ((e.kinds & kinds) && std::find(seen.begin(), seen.end(), e.reading) == seen.end())
            seen.push_back(e.reading);
    return seen.size();
}

} // namespace

struct MecabReadingEngine::State {
    MeCab::Model* model = nullptr;
    MeCab::Tagger* tagger = nullptr;
    MeCab::Lattice* lattice = nullptr;
    std::size_t readingField = 7;
    std::unique_ptr<NameIndex> names;
    std::unique_ptr<NameIndex> words;
    std::unique_ptr<KanjiTable> kanji;
    std::unique_ptr<NameIndex> skk;
    std::unique_ptr<NameIndex> jinmei; // given names, their common reading first
    // Given names and the reading most of the name dictionary's people
    // with that name give it (GivenNames).
    std::unique_ptr<NameIndex> usualGiven;
    // How given names read each character at their head and tail
    // (GivenNames).
    std::unique_ptr<GivenParts> givenParts;
    // The word dictionary's text, and how its compounds voice their last
    // word, counted on first need.
    std::filesystem::path wordsText;
    std::unique_ptr<Rendaku> rendakuCounts;
    const Rendaku& rendaku()
    {
        if (!rendakuCounts)
            rendakuCounts = std::make_unique<Rendaku>(wordsText);
        return *rendakuCounts;
    }
    // What the run being read is: a person's or band's name, or a title.
    yomi::NameKind kind = yomi::NameKind::Person;
    // The name dictionary's entries looked up during one read: a name's parts
    // are looked up many times over.
    std::unordered_map<std::string, std::vector<NameEntry>> seenNames;

    const std::vector<NameEntry>& nameEntries(const std::string& key)
    {
        auto it = seenNames.find(key);
        if (it == seenNames.end())
            it = seenNames.emplace(key, names->lookup(key)).first;
        return it->second;
    }

    ~State()
    {
        delete lattice;
        delete tagger;
        delete model;
    }

    Token token(const MeCab::Node* node) const
    {
        Token t;
        t.surface = toUtf16(std::string_view(node->surface, node->length));
        t.han = containsHan(t.surface);
        const auto fields = splitFeature(node->feature ? node->feature : "");
        if (fields.size() > 0)
            t.pos0 = fields[0];
        if (fields.size() > 1)
            t.pos1 = fields[1];
        if (fields.size() > 2)
            t.pos2 = fields[2];
        if (fields.size() > 3)
            t.pos3 = fields[3];
        if (fields.size() > 5)
            t.form = fields[5];
        if (node->stat != MECAB_UNK_NODE && fields.size() > readingField && fields[readingField] != "*")
            t.reading = toKatakana(toUtf16(fields[readingField]));
        if (fields.size() > 6 && fields[6] != "*")
            t.reading = todaysKana(t.reading, fields[6]);
        // Symbols MeCab "reads" as themselves (仝, 々) have no reading.
        if (!t.reading.empty() && !isKanaOnly(t.reading))
            t.reading.clear();
        if (t.reading.empty() && isKanaOnly(t.surface))
            t.reading = toKatakana(t.surface);
        // A word MeCab's dictionary holds without a reading, or not at all,
        // that the word dictionary holds with one (檸檬 レモン, in MeCab's
        // dictionary an organisation's name with none).
        if (t.reading.empty() && t.han && t.surface.size() > 1 && words) {
            const std::vector<NameEntry> entries = words->lookup(toUtf8(t.surface));
            if (!entries.empty() && distinctReadings(entries) == 1 && !isForeignEntry(entries.front())) {
                t.reading = toKatakana(toUtf16(entries.front().reading));
                t.readingsKnown = 1;
            }
        }
        if (t.reading.empty() && t.han && kanji) {
            t.reading = onReadings(t.surface);
            t.guessed = !t.reading.empty();
        }
        return t;
    }

    // IPADIC writes a few words in the kana of old spelling (預ける アヅケル):
    // ヅ and ヂ become ズ and ジ where the word dictionary spells the word's
    // base form only so (続く ツヅク and 鼻血 ハナヂ keep theirs).
    String todaysKana(const String& reading, std::string_view base) const
    {
        if (!words || reading.find_first_of(u"ヅヂ") == String::npos)
            return reading;
        String today = reading;
        for (char16_t& c : today)
            c = c == u'ヅ' ? u'ズ' : c == u'ヂ' ? u'ジ' : c;
        // The inflected form may end otherwise than the base form does.
        const std::size_t stem = reading.size() - 1;
        bool todays = false;
        for (const NameEntry& e : words->lookup(base)) {
            const String r = toUtf16(e.reading);
            if (r.compare(0, stem, reading, 0, stem) == 0)
                return reading;
            todays = todays || r.compare(0, stem, today, 0, stem) == 0;
        }
        return todays ? today : reading;
    }

    // Whether `reading` is made of readings of the characters of `surface`
    // in order (a later one may be voiced, a final ツ, チ, キ or ク doubled
    // as ッ, a long vowel shortened), kana standing for themselves. True when
    // a character is not in the character dictionary: nothing can be said.
    // Of their on readings alone with `onOnly` (錯乱 サクラン, 学校 ガッコウ: a
    // Sino-Japanese word), false then for a character without one.
    bool composable(std::u16string_view surface, std::u16string_view reading, bool onOnly = false) const
    {
        if (!kanji)
            return !onOnly;
        std::vector<bool> reach(reading.size() + 1, false);
        reach[0] = true;
        for (std::size_t i = 0; i < surface.size(); ++i) {
            std::vector<String> parts;
            if (isKanaCharacter(surface[i]) && !onOnly)
                parts.push_back(toKatakana(surface.substr(i, 1)));
            else if (onOnly)
                parts = kanji->onReadings(surface[i]);
            else if (kanji->readings(surface[i]).empty())
                return true;
            else
                parts = kanji->readings(surface[i]);
            if (parts.empty())
                return false;
            const std::size_t n = parts.size();
            for (std::size_t k = 0; k < n; ++k) {
                String p = parts[k];
                if (i > 0 && voiced(p.front()))
                    parts.push_back(String(1, voiced(p.front())) + p.substr(1));
                if (p.size() > 1 && std::u16string_view(u"ツチキク").find(p.back()) != std::u16string_view::npos)
                    parts.push_back(p.substr(0, p.size() - 1) + u'ッ');
                if (p.size() > 1 && std::u16string_view(u"ウイ").find(p.back()) != std::u16string_view::npos)
                    parts.push_back(p.substr(0, p.size() - 1));
            }
            std::vector<bool> next(reading.size() + 1, false);
            for (std::size_t at = 0; at < reading.size(); ++at) {
                if (!reach[at])
                    continue;
                for (const String& p : parts)
                    if (reading.substr(at, p.size()) == p)
                        next[at + p.size()] = true;
            }
            reach = std::move(next);
        }
        return reach[reading.size()];
    }

    // Every character read by its first on reading, or by its first reading
    // when it has none (彅, a character made in Japan: ナギ), kana as they
    // are; empty when one has no reading.
    String onReadings(std::u16string_view text) const
    {
        String out;
        for (const char16_t c : text) {
            if (isKanaCharacter(c)) {
                out += toKatakana(std::u16string_view(&c, 1));
                continue;
            }
            String on = kanji ? kanji->onReading(c) : String();
            if (on.empty() && kanji && !kanji->readings(c).empty())
                on = kanji->readings(c).front();
            if (on.empty())
                return {};
            doubledBefore(out, on);
            out += on;
        }
        return out;
    }

    // The last sound of on readings put together doubled before the next
    // one's, as Sino-Japanese words say it: ツ before a k, s, t or h sound
    // (裂固 レッコ, 出発 シュッパツ, h becoming p), チ before k, s, t or h
    // (八景 ハッケイ, 八方 ハッポウ), ク and キ before a k sound (国家 コッカ,
    // 石器 セッキ).
    static void doubledBefore(String& before, String& next)
    {
        if (before.empty() || next.empty())
            return;
        const std::u16string_view k = u"カキクケコ", st = u"サシスセソタチツテト", h = u"ハヒフヘホ";
        const char16_t last = before.back(), first = next.front();
        const bool kSound = k.find(first) != std::u16string_view::npos;
        const bool stSound = st.find(first) != std::u16string_view::npos;
        const bool hSound = h.find(first) != std::u16string_view::npos;
        const bool doubled = ((last == u'ツ' || last == u'チ') && (kSound || stSound || hSound)) ||
            ((last == u'ク' || last == u'キ') && kSound);
        if (!doubled || before.size() < 2)
            return;
        before.back() = u'ッ';
        if (hSound)
            next.front() = static_cast<char16_t>(first + 2); // ハ → パ
    }

    // Whether a word of Han characters is read as their on readings put
    // together (夢想 ムソウ, 月光 ゲッコウ, 度胸 ドキョウ): a Sino-Japanese
    // word. A final ツ, チ, キ or ク may be doubled as ッ, a later
    // character's first sound voiced.
    bool soundsSino(const Token& t) const
    {
        if (!kanji || !t.han || !hanOnly(t.surface))
            return false;
        std::u16string_view rest = t.reading;
        for (std::size_t i = 0; i < t.surface.size(); ++i) {
            String on = kanji->onReading(t.surface[i]);
            if (on.empty() || rest.size() < on.size())
                return false;
            String variant = on;
            if (i > 0 && voiced(on.front()) && rest.front() == voiced(on.front()))
                variant.front() = rest.front();
            if (on.size() > 1 && rest[on.size() - 1] == u'ッ' &&
                std::u16string_view(u"ツチキク").find(on.back()) != std::u16string_view::npos)
                variant.back() = u'ッ';
            if (rest.substr(0, variant.size()) != variant)
                return false;
            rest.remove_prefix(variant.size());
        }
        return rest.empty();
    }

    // MeCab takes kana after a Han character for a filler (越 the old
    // province and え: 天城越え アマギエツエ) where they are the word's
    // okurigana: the two read as MeCab reads them alone, where that is one
    // word it knows (越え, of 越える: コエ).
    void joinFillers(Path& path)
    {
        for (std::size_t j = 1; j < path.tokens.size(); ++j) {
            const Token& before = path.tokens[j - 1];
            const Token& t = path.tokens[j];
            if (t.pos0 != "フィラー" || !before.han || before.personName() || !isKanaOnly(t.surface))
                continue;
            const std::vector<Path> alone = parse(toUtf8(before.surface + t.surface), 1);
            if (alone.empty() || alone.front().tokens.size() != 1)
                continue;
            const Token& word = alone.front().tokens.front();
            if (word.guessed || word.reading.empty() || (word.pos0 != "名詞" && word.pos0 != "動詞"))
                continue;
            path.tokens[j - 1] = word;
            path.tokens.erase(path.tokens.begin() + static_cast<long>(j));
        }
    }

    // An adjective's stem standing alone, no ending after it (幽 カソケ of
    // 幽けし, 憂 ウ of 憂い: before a sign, another Han character or the
    // end), is no word: a character in common use is read by its on
    // reading, as in the coinages such values are (幽☆遊☆白書
    // ユウユウハクショ), one of its several readings; one outside that list
    // keeps the stem (儚 ハカナ: its on reading ボウ is in no word a
    // listener knows). In titles: in a person's name the stem is a name's
    // (石若駿: 若 ワカ).
    void readStemsAloneByOn(Path& path) const
    {
        if (!kanji)
            return;
        for (std::size_t j = 0; j < path.tokens.size(); ++j) {
            Token& t = path.tokens[j];
            const bool ending = j + 1 < path.tokens.size() && isKanaOnly(path.tokens[j + 1].surface);
            if (kind != yomi::NameKind::Title || t.pos0 != "形容詞" || t.surface.size() != 1 || !t.han || ending ||
                !kanji->inCommonUse(t.surface.front()))
                continue;
            const String on = kanji->onReading(t.surface.front());
            if (on.empty())
                continue;
            t.reading = on;
            t.pos0 = "名詞";
            t.pos1 = "一般";
            // Alone before a sign or the end, the stem is a word of one
            // character, read several ways; before another Han character
            // the two may be a word the dictionaries hold (幽雅 ユウガ).
            if (j + 1 == path.tokens.size() || !path.tokens[j + 1].han)
                t.readingsKnown = std::max<std::size_t>(t.readingsKnown, 2);
        }
    }

    // Suffixes MeCab reads as words of their own: 河 after a foreign place's
    // name in katakana is its river, voiced as MeCab voices 川 there
    // (イムジン河 イムジンガワ, as セーヌ川 セーヌガワ); 節 ending a title after
    // Han characters is the song of the place, person or thing before it
    // (黒田節 クロダブシ, where MeCab reads 節 as the given name タカシ).
    void songAndRiverSuffixes(Path& path) const
    {
        for (std::size_t j = 1; j < path.tokens.size(); ++j) {
            Token& t = path.tokens[j];
            const Token& before = path.tokens[j - 1];
            if (t.surface == u"河" && t.reading == u"カワ" && isKanaOnly(before.surface) &&
                toKatakana(before.surface) == before.surface) {
                t.reading = u"ガワ";
            } else if (kind == yomi::NameKind::Title && t.surface == u"節" && j + 1 == path.tokens.size() &&
                       before.han && isHanCharacter(before.surface.back())) {
                t.reading = u"ブシ";
                t.pos0 = "名詞";
                t.pos1 = "接尾";
                t.pos2 = "一般";
                t.pos3.clear();
            }
        }
    }

    // A phrase MeCab's dictionary holds as one word (木の下 コノシタ), kana
    // between Han characters, that the word dictionary calls archaic in
    // every reading it gives it: its words as MeCab reads each alone (木, の
    // and 下: キノシタ), where each is one word. A word's okurigana (愛し)
    // make no phrase.
    void splitArchaicPhrases(Path& path)
    {
        if (!words)
            return;
        for (std::size_t j = 0; j < path.tokens.size(); ++j) {
            const Token& t = path.tokens[j];
            if (!t.han || hanOnly(t.surface) || t.personName() || !isHanCharacter(t.surface.front()) ||
                !isHanCharacter(t.surface.back()))
                continue;
            const std::vector<NameEntry> entries = words->lookup(toUtf8(t.surface));
            if (entries.empty() ||
                !std::all_of(entries.begin(), entries.end(), [](const NameEntry& e) { return e.kinds & kArchaic; }))
                continue;
            std::vector<Token> parts;
            std::size_t start = 0;
            for (std::size_t k = 1; k <= t.surface.size(); ++k) {
                if (k < t.surface.size() && isKanaCharacter(t.surface[k]) == isKanaCharacter(t.surface[k - 1]))
                    continue;
                const std::vector<Path> alone = parse(toUtf8(t.surface.substr(start, k - start)), 1);
                if (alone.empty() || alone.front().tokens.size() != 1 || alone.front().tokens.front().reading.empty())
                    break;
                parts.push_back(alone.front().tokens.front());
                start = k;
            }
            if (start != t.surface.size())
                continue;
            path.tokens.erase(path.tokens.begin() + static_cast<long>(j));
            path.tokens.insert(path.tokens.begin() + static_cast<long>(j), parts.begin(), parts.end());
            j += parts.size() - 1;
        }
    }

    // A word in its dictionary form that MeCab reads as the word dictionary
    // has it only archaic (如く シク, "to equal"), where the dictionary has
    // one reading of the same writing in use today (ごとく, "like"): that
    // reading.
    void currentOverArchaic(Path& path) const
    {
        if (!words)
            return;
        for (Token& t : path.tokens) {
            if (!t.han || t.reading.empty() || t.personName() || t.form != "基本形")
                continue;
            const std::vector<NameEntry> entries = words->lookup(toUtf8(t.surface));
            std::unordered_set<String> current;
            bool archaic = false;
            for (const NameEntry& e : entries) {
                const String r = toKatakana(toUtf16(e.reading));
                if (e.kinds & kArchaic)
                    archaic = archaic || r == t.reading;
                else
                    current.insert(r);
            }
            if (archaic && current.size() == 1 && !current.contains(t.reading))
                t.reading = *current.begin();
        }
    }

    // A suffix of one Han character right after an adjective or a verb that
    // ends there (儚い and 者): no suffix follows such a word, so it is the
    // noun it is alone (モノ, not シャ).
    void nounsAfterInflectedWords(Path& path)
    {
        for (std::size_t j = 1; j < path.tokens.size(); ++j) {
            Token& t = path.tokens[j];
            const Token& before = path.tokens[j - 1];
            if (t.pos1 != "接尾" || !t.han || t.surface.size() != 1 ||
                (before.pos0 != "形容詞" && before.pos0 != "動詞") ||
                (before.form != "基本形" && before.form != "体言接続"))
                continue;
            const std::vector<Path> alone = parse(toUtf8(t.surface), 1);
            if (alone.empty() || alone.front().tokens.size() != 1)
                continue;
            const Token& word = alone.front().tokens.front();
            if (word.pos0 != "名詞" || word.pos1 == "接尾" || word.personName() || word.reading.empty())
                continue;
            t.reading = word.reading;
            t.pos1 = word.pos1;
        }
    }

    // A character read by its on reading ending in ツ, before another
    // read by its on reading that begins with a voiceless sound, doubles it
    // (鉄 and 風: テップウ, ハ becoming パ; 密 and 室: ミッシツ): the two-character
    // compound says it so, where MeCab reads the two apart. Not before a
    // longer word (熱 and 気球: ネツキキュウ, 熱 and 処理: ネツショリ), nor in
    // person names.
    void doubleAfterTsu(Path& path) const
    {
        if (!kanji)
            return;
        for (std::size_t j = 1; j < path.tokens.size(); ++j) {
            Token& before = path.tokens[j - 1];
            Token& t = path.tokens[j];
            if (!before.han || before.surface.size() != 1 || t.surface.size() != 1 || before.reading.size() != 2 ||
                before.reading.back() != u'ツ' || before.personName() || t.personName() || t.pos0 != "名詞" ||
                t.pos1 == "数" || t.reading.empty() || !voiced(t.reading.front()) ||
                before.reading != kanji->onReading(before.surface.front()) || !soundsSino(t))
                continue;
            before.reading.back() = u'ッ';
            if (t.reading.front() >= u'ハ' && t.reading.front() <= u'ホ')
                t.reading.front() = static_cast<char16_t>(t.reading.front() + 2);
        }
    }

    // The distinct readings of the dictionary's words of the node's surface
    // that begin where it begins.
    std::size_t readingsAt(const MeCab::Node* node) const
    {
        if (node->stat == MECAB_UNK_NODE)
            return 0;
        const std::size_t at = static_cast<std::size_t>(node->surface - lattice->sentence());
        std::vector<std::string_view> seen;
        for (const MeCab::Node* n = lattice->begin_nodes(at); n; n = n->bnext) {
            if (n->length != node->length || n->stat == MECAB_UNK_NODE || !n->feature)
                continue;
            // The reading field, found without splitting the whole feature.
            std::string_view feature(n->feature);
            for (std::size_t k = 0; k < readingField && !feature.empty(); ++k) {
                const std::size_t comma = feature.find(',');
                feature = comma == std::string_view::npos ? std::string_view() : feature.substr(comma + 1);
            }
            const std::string_view reading = feature.substr(0, feature.find(','));
            if (!reading.empty() && reading != "*" && std::find(seen.begin(), seen.end(), reading) == seen.end())
                seen.push_back(reading);
        }
        return seen.size();
    }

    // Whether another of the dictionary's surnames of the node's surface
    // has a reading other than the token's, not only by voiced sounds
    // (桑原 クワハラ beside クワバラ is the same name), and a word cost
    // less than kRivalSurnameCost above the token's own.
    bool rivalSurnameAt(const MeCab::Node* node, const Token& t) const
    {
        if (!t.surname() || node->stat == MECAB_UNK_NODE || t.reading.empty())
            return false;
        const String plain = withoutVoicing(t.reading);
        const std::size_t at = static_cast<std::size_t>(node->surface - lattice->sentence());
        for (const MeCab::Node* n = lattice->begin_nodes(at); n; n = n->bnext) {
            if (n == node || n->length != node->length || n->stat == MECAB_UNK_NODE || !n->feature ||
                n->wcost >= node->wcost + kRivalSurnameCost)
                continue;
            const auto fields = splitFeature(n->feature);
            if (fields.size() <= readingField || fields[2] != "人名" || fields[3] != "姓" ||
                fields[readingField] == "*")
                continue;
            if (withoutVoicing(toKatakana(toUtf16(fields[readingField]))) != plain)
                return true;
        }
        return false;
    }

    // A stem in し before の that MeCab takes for a verb's (愛し of 愛す,
    // アイシ) is the adjective's the word dictionary holds with い (愛しい
    // イトシイ), its stem standing before a noun as old poems have it: 愛しの
    // イトシノ, as MeCab reads 恋しの and 悲しの.
    void adjectiveStemsBeforeNo(std::vector<Token>& tokens) const
    {
        if (!words)
            return;
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
            Token& t = tokens[i];
            if (t.pos0 != "動詞" || !t.form.starts_with("連用") || !t.han || !t.surface.ends_with(u"し") ||
                tokens[i + 1].surface != u"の")
                continue;
            for (const NameEntry& e : words->lookup(toUtf8(t.surface + u"い"))) {
                const String r = toKatakana(toUtf16(e.reading));
                if (!e.oldKana && r.size() > 2 && r.ends_with(u"シイ")) {
                    t.reading = r.substr(0, r.size() - 1);
                    t.pos0 = "形容詞";
                    break;
                }
            }
        }
    }

    // Whether a counter read in native sounds changes them after a number
    // all the same, as the word dictionary writes it after 一 (一匹 イッピキ,
    // and so 三匹 サンビキ, 六匹 ロッピキ); 一組 ヒトクミ shows 組 does not.
    // Not a counter in one of its on readings (分 フン, ブン: 十分 alone is
    // the word ジュウブン), which the rule takes as it finds it.
    bool changesLikeSino(const Token& counter) const
    {
        if (!words || !kanji || counter.reading.empty() || counter.surface.size() != 1 || !counter.han)
            return false;
        const std::vector<String> on = kanji->onReadings(counter.surface.front());
        if (on.empty() || std::find(on.begin(), on.end(), counter.reading) != on.end())
            return false;
        Token one;
        one.reading = u"イチ";
        Token after = counter;
        counterSounds(one, after, nullptr);
        const String changed = one.reading + after.reading;
        if (changed == u"イチ" + counter.reading)
            return false;
        const std::vector<NameEntry> entries = words->lookup(toUtf8(u"一" + counter.surface));
        return std::any_of(entries.begin(), entries.end(),
                           [&](const NameEntry& e) { return toKatakana(toUtf16(e.reading)) == changed; });
    }

    // MeCab's best parses of the text, at most `paths`, the first cut at
    // `boundary` when it is given; with `countReadings`, the first parse's
    // words count the readings the dictionary has for them.
    std::vector<Path> parse(const std::string& text, std::size_t paths, long boundary = -1, bool countReadings = false)
    {
        std::vector<Path> out;
        lattice->clear();
        lattice->set_request_type(paths > 1 ? MECAB_NBEST : MECAB_ONE_BEST);
        lattice->set_sentence(text.c_str());
        if (boundary > 0)
            lattice->set_boundary_constraint(static_cast<std::size_t>(boundary), MECAB_TOKEN_BOUNDARY);
        if (!tagger->parse(lattice))
            return out;
        do {
            Path p;
            for (const MeCab::Node* n = lattice->bos_node(); n; n = n->next) {
                if (n->stat == MECAB_BOS_NODE)
                    continue;
                if (n->stat == MECAB_EOS_NODE) {
                    p.cost = n->cost;
                    break;
                }
                p.tokens.push_back(token(n));
                if (countReadings && out.empty()) {
                    p.tokens.back().readingsKnown = readingsAt(n);
                    p.tokens.back().rivalSurname = rivalSurnameAt(n, p.tokens.back());
                }
            }
            joinNumbers(p.tokens);
            nativeNumeralsInCompounds(p.tokens);
            geminateInFull(p.tokens, kanji.get());
            genitiveGa(p.tokens);
            adjectiveStemsBeforeNo(p.tokens);
            givenNameOpeningWords(p.tokens);
            for (std::size_t i = 0; i + 1 < p.tokens.size(); ++i)
                if (p.tokens[i].pos1 == "数" && p.tokens[i].han && p.tokens[i + 1].pos2 == "助数詞")
                    counterSounds(p.tokens[i], p.tokens[i + 1],
                                  changesLikeSino(p.tokens[i + 1]) ? nullptr : kanji.get());
            out.push_back(std::move(p));
        } while (out.size() < paths && lattice->next());
        return out;
    }

    // Whether MeCab read part of the run as a known word of two or more
    // characters, or the name dictionary has a name of two or more of its
    // characters in a row.
    bool knowsBeyondCharacters(std::u16string_view run, const Path& best)
    {
        if (std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) {
                return t.han && t.surface.size() > 1 && !t.reading.empty() && !t.guessed;
            }))
            return true;
        for (std::size_t i = 0; i + 1 < run.size(); ++i)
            for (std::size_t n = 2; i + n <= run.size() && n <= kLongestName; ++n)
                if (!nameReadings(run.substr(i, n), ~0u, {}).empty())
                    return true;
        return false;
    }

    // Readings of a name part from the name dictionary, of the given kinds,
    // with `preferred` (MeCab's own reading) first when it is among them.
    std::vector<String> nameReadings(std::u16string_view part, unsigned kinds, const String& preferred,
                                     bool skkOrder = true)
    {
        std::vector<String> out;
        if (isKanaOnly(part)) {
            out.push_back(toKatakana(part));
            return out;
        }
        if (!names)
            return out;
        const bool checkForeign = hanOnly(part);
        std::vector<String> rare, unclassified;
        for (const NameEntry& e : nameEntries(toUtf8(part))) {
            if (!(e.kinds & kinds) || (checkForeign && isForeignEntry(e)))
                continue;
            // Of a surname's readings, those that are a place's name too
            // come first: the dictionary marks the common ones so (坂本
            // サカモト; サカモト, サトウ before the rare カルメラ, サイウ);
            // those it knows as a surname before those of no known kind.
            const bool surnameOnly = (kinds & kSurname) && !(kinds & kGiven) && !(e.kinds & kPlace);
            if (surnameOnly && !(e.kinds & kSurname))
                unclassified.push_back(toUtf16(e.reading));
            else
                (surnameOnly ? rare : out).push_back(toUtf16(e.reading));
        }
        out.insert(out.end(), rare.begin(), rare.end());
        out.insert(out.end(), unclassified.begin(), unclassified.end());
        if ((kinds & kGiven) && out.size() > 1)
            rankByParts(part, out);
        if (!preferred.empty()) {
            if (auto it = std::find(out.begin(), out.end(), preferred); it != out.end())
                std::rotate(out.begin(), it, it + 1);
        }
        // A given name's usual reading among people first, before MeCab's;
        // where the people give none, the SKK dictionary's common reading
        // of it (淳弥: ジュンヤ there, and アツヤ is no one's given name in
        // the name dictionary but of no known kind), unless `skkOrder` is
        // false (the confidence asks whether the others agree).
        if ((kinds & kGiven) && out.size() > 1) {
            const String usual = usualGivenReading(part);
            if (auto it = std::find(out.begin(), out.end(), usual); !usual.empty() && it != out.end())
                std::rotate(out.begin(), it, it + 1);
            else if (skkOrder && jinmei && hanOnly(part)) {
                const std::vector<NameEntry> listed = jinmei->lookup(toUtf8(part));
                if (!listed.empty())
                    if (auto at = std::find(out.begin(), out.end(), toUtf16(listed.front().reading)); at != out.end())
                        std::rotate(out.begin(), at, at + 1);
            }
        }
        if (out.size() > kReadingsPerPart)
            out.resize(kReadingsPerPart);
        return out;
    }

    // The reading most of the name dictionary's people with the given name
    // give it, when most do; empty else.
    String usualGivenReading(std::u16string_view given)
    {
        if (!usualGiven || !hanOnly(given))
            return {};
        const std::vector<NameEntry> found = usualGiven->lookup(toUtf8(given));
        return found.empty() ? String() : toUtf16(found.front().reading);
    }

    // The dictionary lists a name's readings in kana order. A given name of
    // two Han characters is read more often with the characters' own name
    // readings (靖子: セイ and コ), and the more so the more kinds of name
    // use them (セイ is a surname and a given name): such readings go first,
    // the others after them in the dictionary's order.
    void rankByParts(std::u16string_view part, std::vector<String>& list)
    {
        if (part.size() != 2 || !hanOnly(part) || (part[0] >= 0xD800 && part[0] < 0xE000))
            return;
        const auto first = nameEntries(toUtf8(part.substr(0, 1)));
        const auto second = nameEntries(toUtf8(part.substr(1)));
        const auto weight = [](const NameEntry& e) {
            return std::popcount(e.kinds & (kSurname | kGiven | kUnclassified | kFullName)) +
                ((e.kinds & kGiven) ? 1 : 0);
        };
        std::vector<std::pair<String, int>> heads, tails;
        for (const NameEntry& a : first)
            if (!isForeignEntry(a))
                heads.emplace_back(toUtf16(a.reading), weight(a));
        for (const NameEntry& b : second)
            if (!isForeignEntry(b))
                tails.emplace_back(toUtf16(b.reading), weight(b));
        std::vector<std::pair<int, String>> scored;
        for (String& r : list) {
            int best = 0;
            for (const auto& [head, w] : heads) {
                if (head.size() >= r.size() || r.compare(0, head.size(), head) != 0)
                    continue;
                const std::u16string_view tail = std::u16string_view(r).substr(head.size());
                for (const auto& [t, v] : tails)
                    if (t == tail)
                        best = std::max(best, w + v);
            }
            scored.emplace_back(best, std::move(r));
        }
        std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = std::move(scored[i].second);
    }

    // The path with each longest run of two or more words that the word
    // dictionary has whole (瑠璃 and 色: ルリイロ; 冬 and 景色: フユゲシキ) read
    // as that word, with its reading closest to MeCab's; empty when there is
    // none. Words without Han characters and person names are left as MeCab
    // read them.
    Path wholeWords(const Path& best)
    {
        if (!words)
            return {};
        Path merged = best;
        bool changed = false;
        for (std::size_t i = 0; i + 1 < merged.tokens.size(); ++i) {
            for (std::size_t end = std::min(merged.tokens.size(), i + kLongestWord); end >= i + 2; --end) {
                String surface, joined;
                bool fits = true, plural = false;
                for (std::size_t k = i; k < end; ++k) {
                    const Token& t = merged.tokens[k];
                    surface += t.surface;
                    joined += t.reading;
                    // Kana inside a word (空きっ腹: 空き, っ, 腹) or ending it
                    // (碧 and い: 碧い アオイ, where MeCab reads 碧 ヘキ and い
                    // a verb; 胸 and さわぎ: 胸さわぎ ムナサワギ) may join it; a
                    // particle (の, が) or an auxiliary parts words, unless
                    // the word's reading already spells it (或 アル and る:
                    // 或る アル, not アルル).
                    const bool inner = k > i && t.pos0 != "助詞" && t.pos0 != "助動詞";
                    const bool echoed = k == i + 1 && k + 1 == end && isKanaOnly(t.surface) &&
                        merged.tokens[i].reading.ends_with(toKatakana(t.surface));
                    plural = plural ||
                        (k > i && t.pos1 == "接尾" &&
                         (t.surface == u"達" || t.surface == u"等" || t.surface == u"共" || t.surface == u"たち"));
                    // In a title, a word the dictionary holds whole wins over
                    // a person's name MeCab finds in it (青海 and 波: 青海波
                    // セイガイハ, not the name アオミナミ).
                    fits = fits && (t.han || inner || echoed) && (!t.personName() || kind == yomi::NameKind::Title) &&
                        !t.reading.empty();
                }
                if (!fits)
                    continue;
                // A phrase the word dictionary holds only as an archaic word
                // is read as its words (木の下 キノシタ, not このした).
                const String reading = closestReading(
                    *words, surface, joined, [](const NameEntry& e) { return !(e.kinds & kArchaic); },
                    hanOnly(surface));
                // A noun and the suffix of its plural are two words where
                // the word written the same is read otherwise (男 and 達:
                // オトコタチ, not the word おとこだて, a gallant).
                if (reading.empty() || (plural && reading != joined))
                    continue;
                merged.tokens[i].surface = surface;
                merged.tokens[i].reading = reading;
                merged.tokens[i].pos0 = "名詞";
                merged.tokens[i].pos1 = "一般";
                merged.tokens.erase(merged.tokens.begin() + static_cast<long>(i) + 1,
                                    merged.tokens.begin() + static_cast<long>(end));
                changed = true;
                break;
            }
        }
        return changed ? merged : Path();
    }

    // Each word of two or more Han characters read as the word dictionary
    // reads it, where that differs from MeCab's (粉雪: コナユキ beside コユキ).
    // MeCab's words read as the word dictionary reads them in common use
    // where it has one such reading and MeCab read otherwise (港町 ミナトマチ,
    // not ミナトチョウ; 一途 イチズ).
    void addCommonWordReadings(const Path& best, Candidates& out)
    {
        if (!words)
            return;
        Path variant = best;
        bool changed = false;
        // In a title, a word MeCab takes for a surname or a given name beside
        // words that are none (深海 and 少女) is the common word it also is.
        const bool titleOfWords = kind == yomi::NameKind::Title &&
            std::any_of(best.tokens.begin(), best.tokens.end(),
                        [](const Token& t) { return t.pos0 == "名詞" && !t.personName() && t.pos1 != "数"; });
        // A title's character standing alone between signs is a word, not
        // the name MeCab may take it for (美・サイレント).
        const bool loneInTitle = kind == yomi::NameKind::Title && best.tokens.size() == 1;
        for (std::size_t j = 0; j < variant.tokens.size(); ++j) {
            Token& t = variant.tokens[j];
            // Common nouns only: numbers, names and verbs MeCab reads in
            // context (十七 ジュウナナ, 青山, 向いて).
            const bool nameInTitle = (titleOfWords || loneInTitle) && t.personName();
            // A proper noun of no kind (港町, a place MeCab's dictionary
            // reads ミナトチョウ) that is a common word too.
            const bool properWord = t.pos1 == "固有名詞" && t.pos2 == "一般";
            // A noun of one character standing as a word before a particle
            // (我は: MeCab reads 我 ワガ, its form before a noun), the の of
            // names written ノ among them (蓮ノ空: MeCab's ハチス is the old
            // word, ハス today's).
            const bool wordAlone = t.surface.size() == 1 &&
                (loneInTitle ||
                 (j + 1 < variant.tokens.size() &&
                  (variant.tokens[j + 1].pos0 == "助詞" || variant.tokens[j + 1].surface == u"ノ") &&
                  (j == 0 || variant.tokens[j - 1].pos0 == "助詞" || variant.tokens[j - 1].pos0 == "記号")));
            if (!t.han || t.compoundForm || (t.surface.size() < 2 && !wordAlone) || t.reading.empty() ||
                t.pos0 != "名詞" ||
                (t.pos1 != "一般" && t.pos1 != "サ変接続" && t.pos1 != "形容動詞語幹" && !nameInTitle && !properWord))
                continue;
            // A proper noun's one reading as a word, common or not (港町 is
            // no word of everyday use to the word dictionary).
            const std::vector<NameEntry> common =
                properWord && !t.personName() ? dictionaryReadings(t) : commonReadings(t);
            if (distinctReadings(common) == 1 && readsOtherwise(t, common)) {
                t.reading = toUtf16(common.front().reading);
                changed = true;
            }
        }
        if (changed)
            out.add(variant.words(), Origin::Word);
    }

    void otherWordReadings(const Path& best, Candidates& out)
    {
        if (!words)
            return;
        for (std::size_t j = 0; j < best.tokens.size(); ++j) {
            const Token& t = best.tokens[j];
            if (!t.han || t.surface.size() < 2 || t.personName() || t.reading.empty() || t.compoundForm)
                continue;
            for (const NameEntry& e : words->lookup(toUtf8(t.surface))) {
                if (isForeignEntry(e))
                    continue;
                Path variant = best;
                variant.tokens[j].reading = toUtf16(e.reading);
                out.add(variant.words(), Origin::Word);
            }
        }
    }

    // Surname + given-name splits of a run short enough to be a name, in the
    // order of MeCab's cost for a parse cut at the split, with MeCab's
    // readings of the two parts in that parse first among the dictionary's.
    std::vector<Split> splits(std::u16string_view run, const std::string& text)
    {
        std::vector<Split> out;
        if (run.size() > kLongestName || !names)
            return out;
        for (std::size_t i = 1; i < run.size(); ++i) {
            if (run[i] >= 0xDC00 && run[i] < 0xE000)
                continue;
            const std::u16string_view sur = run.substr(0, i), giv = run.substr(i);
            if (isKanaOnly(sur) || nameReadings(sur, kSurname | kUnclassified, {}).empty() ||
                nameReadings(giv, kGiven | kUnclassified, {}).empty())
                continue;
            const auto cut = parse(text, 1, static_cast<long>(toUtf8(sur).size()));
            String before, after;
            long cost = 0;
            if (!cut.empty()) {
                cost = cut.front().cost;
                std::size_t at = 0;
                for (const Token& t : cut.front().tokens) {
                    (at < sur.size() ? before : after) += t.reading;
                    at += t.surface.size();
                }
            }
            out.push_back(Split{cost, nameReadings(sur, kSurname | kUnclassified, before),
                                nameReadings(giv, kGiven | kUnclassified, after), i});
        }
        std::stable_sort(out.begin(), out.end(), [](const Split& a, const Split& b) { return a.cost < b.cost; });
        return out;
    }

    // A full-name reading with a space between surname and given name: where
    // a surname reading of the run's first characters begins it and a given
    // name reading of the rest ends it, else after MeCab's first word when
    // its reading begins it, else none.
    String spaced(std::u16string_view run, const String& reading, const Path& best)
    {
        for (std::size_t i = 1; i < run.size(); ++i) {
            if (run[i] >= 0xDC00 && run[i] < 0xE000)
                continue;
            const auto givens = nameReadings(run.substr(i), kGiven | kUnclassified, {});
            for (const String& s : nameReadings(run.substr(0, i), kSurname | kUnclassified, {})) {
                if (s.size() < reading.size() && reading.compare(0, s.size(), s) == 0 &&
                    std::find(givens.begin(), givens.end(), reading.substr(s.size())) != givens.end())
                    return s + u' ' + reading.substr(s.size());
            }
        }
        if (best.tokens.size() > 1) {
            const String& first = best.tokens.front().reading;
            if (!first.empty() && first.size() < reading.size() && reading.compare(0, first.size(), first) == 0)
                return first + u' ' + reading.substr(first.size());
        }
        return reading;
    }
    // Whether MeCab knows every Han character of the text in its best
    // parse, and in how many words.
    bool known(std::u16string_view text, std::size_t& words)
    {
        const std::vector<Path> p = parse(toUtf8(text), 1);
        words = p.empty() ? 0 : p.front().tokens.size();
        return !p.empty() && std::none_of(p.front().tokens.begin(), p.front().tokens.end(), [](const Token& t) {
            return t.han && (t.guessed || t.reading.empty());
        });
    }

    // The run with each character of the words MeCab does not know in the
    // form in use today; the run itself when a name dictionary has it whole
    // (倖田來未).
    String todayWhereUnknown(std::u16string_view run)
    {
        String out(run);
        if (!kanji || kanji->modernForms(run) == run)
            return out;
        const std::string text = toUtf8(run);
        if ((names && !nameEntries(text).empty()) || (skk && !skk->lookup(text).empty()))
            return out;
        const std::vector<Path> p = parse(text, 1);
        if (p.empty())
            return out;
        std::size_t at = 0;
        for (const Token& t : p.front().tokens) {
            if (t.han && (t.guessed || t.reading.empty()))
                for (std::size_t k = at; k < at + t.surface.size() && k < out.size(); ++k)
                    out[k] = kanji->modernForm(out[k]);
            at += t.surface.size();
        }
        return out;
    }

    // The run with 乃 written for the particle の between two Han
    // characters (湘南乃風, 花乃舞) where MeCab knows no word holding it;
    // names it knows (乃木坂) and the name dictionary's whole names keep it.
    String noWhereUnknown(std::u16string_view run)
    {
        String out(run);
        const std::size_t first = run.find(u'乃');
        if (first == std::u16string_view::npos || first == 0)
            return out;
        const std::string text = toUtf8(run);
        if ((names && !nameEntries(text).empty()) || (skk && !skk->lookup(text).empty()))
            return out;
        const std::vector<Path> p = parse(text, 1);
        if (p.empty())
            return out;
        std::size_t at = 0;
        for (const Token& t : p.front().tokens) {
            for (std::size_t k = at; k < at + t.surface.size() && k < out.size(); ++k)
                if (out[k] == u'乃' && k > 0 && k + 1 < out.size() && isHanCharacter(out[k - 1]) &&
                    isHanCharacter(out[k + 1]) && (t.guessed || t.reading.empty()))
                    out[k] = u'の';
            at += t.surface.size();
        }
        return out;
    }

    // The run with okurigana written in katakana (走リ出ス, 歩ケ) in hiragana
    // where MeCab then reads them as the ending of the word before them: a
    // stretch of katakana right after a Han character, which
    // MeCab reads together with that character once it is hiragana. Kana
    // sound the same in either script, so the reading keeps the run's kana.
    // Kana of the old spelling read as today's: ゐ and ゑ as い and え; ひ
    // and ふ after a Han character as the い and う of a word's ending (想ふ
    // 想う, 唄ひ手 唄い手, 逢ひたくて), where MeCab then reads the character
    // and the kana as one word. ふ only at the end of the run or before a
    // character that is no kana: 夜ふけ and 胸ふくらませ are today's kana;
    // 心ひとつ stays as MeCab finds no word 心い.
    String kanaOfToday(std::u16string_view run)
    {
        String out(run);
        for (char16_t& c : out)
            c = c == u'ゐ' ? u'い' : c == u'ゑ' ? u'え' : c;
        std::vector<Token> asWritten;
        for (std::size_t i = 1; i < out.size(); ++i) {
            if ((out[i] != u'ひ' && out[i] != u'ふ') || !isHanCharacter(out[i - 1]))
                continue;
            if (out[i] == u'ふ' && i + 1 < out.size() && isKanaCharacter(out[i + 1]))
                continue;
            // A word MeCab knows that begins with the kana is today's
            // spelling (薬師丸 and ひろ子, a given name).
            if (asWritten.empty()) {
                const std::vector<Path> p = parse(toUtf8(out), 1);
                if (!p.empty())
                    asWritten = p.front().tokens;
            }
            std::size_t from = 0;
            bool wordOfItsOwn = false;
            for (const Token& t : asWritten) {
                if (from == i)
                    wordOfItsOwn = t.surface.size() > 1 && !t.guessed && !t.reading.empty();
                from += t.surface.size();
            }
            if (wordOfItsOwn)
                continue;
            String trial = out;
            trial[i] = out[i] == u'ひ' ? u'い' : u'う';
            const std::vector<Path> p = parse(toUtf8(trial), 1);
            std::size_t at = 0;
            for (const Token& t : p.empty() ? std::vector<Token>{} : p.front().tokens) {
                const bool word = !t.guessed && !t.reading.empty() &&
                    (t.pos0 == "動詞" || t.pos0 == "形容詞" || t.pos0 == "名詞");
                if (at < i && at + t.surface.size() > i) {
                    if (word)
                        out = std::move(trial);
                    break;
                }
                at += t.surface.size();
            }
        }
        return out;
    }

    // Whether the Han characters before `at` open the text (or follow a
    // space) and the name dictionary holds them as a surname.
    bool surnameOpens(std::u16string_view text, std::size_t at)
    {
        std::size_t from = at;
        while (from > 0 && isHanCharacter(text[from - 1]))
            --from;
        if (at - from < 2 || (from > 0 && text[from - 1] != u' ' && text[from - 1] != u'　'))
            return false;
        const std::vector<NameEntry>& entries = nameEntries(toUtf8(text.substr(from, at - from)));
        return std::any_of(entries.begin(), entries.end(),
                           [](const NameEntry& e) { return (e.kinds & kSurname) != 0; });
    }

    String okuriganaInHiragana(std::u16string_view run)
    {
        String out(run);
        const auto katakana = [](char16_t c) { return c >= u'ァ' && c <= u'ヶ'; };
        for (std::size_t i = 1; i < out.size(); ++i) {
            if (!katakana(out[i]) || !isHanCharacter(out[i - 1]) || katakana(out[i - 1]))
                continue;
            std::size_t end = i;
            while (end < out.size() && katakana(out[end]))
                ++end;
            // In a person's name, katakana after a surname that opens the
            // name is the given name (柴咲コウ, 家入レオ), no verb's ending.
            if (kind == yomi::NameKind::Person && surnameOpens(out, i)) {
                i = end;
                continue;
            }
            // The whole stretch first (up to three), then all but its last
            // kana (殺シノ, 悲シミノ: the particle ノ after the word); before
            // a longer rest, a word of its own, one or two kana that end a
            // noun, or a verb or an adjective in a form that stands alone
            // (晴レユカイ: 晴れ; 伝ワタル is no 伝わ, a form that wants more
            // after it).
            std::size_t taken = 0;
            for (std::size_t length = std::min<std::size_t>(end - i, 3); length >= 1 && taken == 0; --length) {
                const bool shortRest = length + 1 >= end - i;
                if (!shortRest && length > 2)
                    continue;
                String trial = out;
                for (std::size_t k = i; k < i + length; ++k)
                    trial[k] = static_cast<char16_t>(trial[k] - 0x60);
                const std::vector<Path> p = parse(toUtf8(trial), 1);
                std::size_t at = 0;
                for (const Token& t : p.empty() ? std::vector<Token>{} : p.front().tokens) {
                    const bool standsAlone = at + t.surface.size() == i + length &&
                        (t.pos0 == "名詞" ||
                         ((t.pos0 == "動詞" || t.pos0 == "形容詞") && (t.form.starts_with("連用") || t.form == "基本形")));
                    if (at < i && at + t.surface.size() >= i + length &&
                        (shortRest ? (t.pos0 == "動詞" || t.pos0 == "形容詞" || t.pos0 == "名詞") : standsAlone)) {
                        out = std::move(trial);
                        taken = length;
                        break;
                    }
                    at += t.surface.size();
                }
            }
            i = taken ? i + taken - 1 : end;
        }
        return out;
    }

    // Whether MeCab reads the text as one word it knows, not a name.
    bool oneWord(std::u16string_view text)
    {
        const std::vector<Path> p = parse(toUtf8(text), 1);
        return !p.empty() && p.front().tokens.size() == 1 && !p.front().tokens[0].personName() &&
            !p.front().tokens[0].guessed && !p.front().tokens[0].reading.empty();
    }

    // The first stage: MeCab's parses of the run and the dictionaries'
    // entries of it whole. Empty paths when MeCab cannot parse it.
    Look look(std::u16string_view run)
    {
        Look l;
        l.run = run;
        l.text = toUtf8(run);
        l.paths = parse(l.text, kBestPaths, -1, true);
        if (l.paths.empty())
            return l;
        l.onlyHan = hanOnly(run);
        if (names)
            l.allExact = nameEntries(l.text);
        l.exact = l.allExact;
        if (skk)
            l.skk = skk->lookup(l.text);
        std::erase_if(l.skk, isForeignEntry);
        if (l.onlyHan)
            std::erase_if(l.exact, isForeignEntry);
        // A name that begins with a Chinese surname, which the dictionaries
        // read with sounds its characters do not have in Japanese (周慧敏:
        // チョウワイマン), is a Chinese name in its own sounds.
        if (l.onlyHan && run.size() >= 3 && chineseSurnameFirst(run)) {
            const std::size_t known = l.exact.size();
            const auto foreignSounds = [&](const NameEntry& e) { return !composable(run, toUtf16(e.reading)); };
            std::erase_if(l.exact, foreignSounds);
            l.soundsForeign = known > 0 && l.exact.empty();
        }
        joinFillers(l.paths.front());
        readStemsAloneByOn(l.paths.front());
        songAndRiverSuffixes(l.paths.front());
        splitArchaicPhrases(l.paths.front());
        currentOverArchaic(l.paths.front());
        nounsAfterInflectedWords(l.paths.front());
        doubleAfterTsu(l.paths.front());
        const Path& best = l.best();
        l.fragmented = l.onlyHan && run.size() >= 3 && best.tokens.size() > 1 && chineseSurnameFirst(run) &&
            std::all_of(best.tokens.begin(), best.tokens.end(),
                        [](const Token& t) { return t.surface.size() == 1 || t.guessed; });
        l.mecab = best.complete() && !best.foreign() ? best.words() : String();

        l.person = std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.personName(); });
        l.wholeName = std::any_of(l.exact.begin(), l.exact.end(), [](const NameEntry& e) {
            return (e.kinds & (kGiven | kUnclassified | kSurname)) != 0;
        });
        if (l.read())
            l.merged = wholeWords(best);
        return l;
    }

    const std::vector<Split>& splitsOf(Look& l)
    {
        if (!l.splits)
            l.splits = splits(l.run, l.text);
        return *l.splits;
    }

    // A name opened by one Han character MeCab takes for a given name
    // before a word of Han characters that is no name (聖 キヨシ and 飢魔,
    // 晋 ススム and 友会): no person's name begins with its given name, and
    // a band's or a title's begins so with the Sino-Japanese prefix of a
    // coinage, said by its on reading (セイキマ, シンユウカイ).
    void givenNameOpeningWords(std::vector<Token>& tokens) const
    {
        if (!kanji || tokens.size() < 2)
            return;
        Token& t = tokens[0];
        const Token& next = tokens[1];
        if (!t.givenName() || !t.han || t.surface.size() != 1 || !next.han || next.pos0 != "名詞" ||
            next.personName() || next.pos1 == "数" || next.pos1 == "接尾")
            return;
        const String on = kanji->onReading(t.surface.front());
        if (on.empty())
            return;
        t.reading = on;
        t.pos0 = "接頭詞";
        t.pos1 = "名詞接続";
        t.pos2 = t.pos3 = "*";
    }

    // Whether MeCab reads the run as one Japanese person's name: a surname
    // and a given name of two or more characters of its own dictionary, the
    // given name read with its characters' Japanese readings, the surname
    // too unless it is one of two or more characters that the name
    // dictionary has with that reading (周防 スオウ 正行, 林 大輔). A given
    // name it cuts apart is no such sign: Chinese names cut so (郭 富 城) are
    // as many as Japanese ones (秦 基 博).
    bool mecabReadsAJapaneseName(const Look& l)
    {
        const auto& t = l.best().tokens;
        if (t.size() != 2 || !t[0].surname() || !t[1].givenName() || t[0].guessed || t[1].guessed ||
            t[1].surface.size() < 2 || !composable(t[1].surface, t[1].reading))
            return false;
        if (composable(t[0].surface, t[0].reading))
            return true;
        const auto surnames = nameReadings(t[0].surface, kSurname, {});
        return t[0].surface.size() > 1 && std::find(surnames.begin(), surnames.end(), t[0].reading) != surnames.end();
    }

    // The engine's signs that a run is a Chinese name, each named; none
    // for a run with kana.
    std::vector<std::string> chineseSigns(const Look& l)
    {
        std::vector<std::string> signs;
        if (l.best().foreign())
            signs.push_back("MeCab reads it in a foreign language's sounds");
        if (!l.onlyHan)
            return signs;
        // MeCab knows the run as one common word (万華鏡) in Japanese sounds:
        // what the name dictionary says of it is no sign.
        const auto& tokens = l.best().tokens;
        if (tokens.size() == 1 && !tokens[0].personName() && !tokens[0].guessed && !tokens[0].reading.empty() &&
            composable(l.run, tokens[0].reading))
            return signs;
        if (mecabReadsAJapaneseName(l))
            return signs;
        if (!l.allExact.empty() && l.exact.empty())
            signs.push_back("the name dictionary knows it only as a foreign name");
        const Path& best = l.best();
        const std::u16string_view run = l.run;
        if (run.size() >= 3 && chineseSurnameFirst(run)) {
            if (l.soundsForeign)
                signs.push_back("the name dictionary reads it in sounds its characters do not have in Japanese");
            // A surname the name dictionary gives that reading as a Japanese
            // one (周防 スオウ) is no such name.
            const auto japaneseSurname = [&](const Token& t) {
                if (!t.surname())
                    return false;
                const auto surnames = nameReadings(t.surface, kSurname, {});
                return std::find(surnames.begin(), surnames.end(), t.reading) != surnames.end();
            };
            if (std::any_of(best.tokens.begin(), best.tokens.end(), [&](const Token& t) {
                    return t.personName() && t.surface.size() > 1 && !composable(t.surface, t.reading) &&
                        !japaneseSurname(t);
                }))
                signs.push_back("MeCab reads a name in it in sounds its characters do not have in Japanese");
            if (run.size() == 3 && l.exact.empty() && best.tokens.size() == 2 && best.tokens[0].surname() &&
                best.tokens[1].surface.size() == 2 && best.tokens[1].pos0 == "名詞" && !best.tokens[1].personName() &&
                !best.tokens[1].guessed && l.skk.empty())
                signs.push_back("a Chinese surname followed by a common word");
        }
        const bool unknown = std::any_of(best.tokens.begin(), best.tokens.end(),
                                         [](const Token& t) { return t.han && (t.reading.empty() || t.guessed); });
        // A name MeCab finds in a title (夏 ナツ as a surname in 夏影) is no
        // sign that the title is a person's name.
        const bool person = kind == yomi::NameKind::Person &&
            std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.pos2 == "人名"; });
        if (l.exact.empty() && (unknown || person) && chineseSurnameFirst(run, unknown) &&
            !knowsBeyondCharacters(run, best))
            signs.push_back("a Chinese surname and characters no dictionary knows together");
        else if (l.fragmented && l.exact.empty())
            signs.push_back("a Chinese surname and characters MeCab reads one by one");
        return signs;
    }

    // Whole names first: the SKK dictionaries' full names of well-known
    // people, then the name dictionary's; then, when MeCab read the run as a
    // surname and more, the name dictionary's given names after the surname
    // (after the name dictionary's reading of the whole run when it has the
    // run as a person's name: 喜多郎).
    void addNames(Look& l, Candidates& out)
    {
        const Path& best = l.best();
        for (const NameEntry& e : l.skk)
            if (e.kinds & kFullName)
                out.add(spaced(l.run, toUtf16(e.reading), best), Origin::SkkFullName);
        for (const NameEntry& e : l.exact)
            if (e.kinds & kFullName)
                out.add(spaced(l.run, toUtf16(e.reading), best), Origin::FullName);
        if (!l.wholeName)
            addSurnameAndGivenNames(l, out);
        addUnknownSurname(l, out);
        addSplitOfNames(l, out);
        // When MeCab put words together and the name dictionary has the
        // whole run, the entry closest to MeCab's reading: it knows the sound
        // changes of the compound.
        const auto words =
            std::count_if(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return !t.attaches(); });
        if (l.read() && words > 1 && !l.exact.empty()) {
            const String joined = best.reading();
            const NameEntry* closest = nullptr;
            std::size_t closestDistance = 0;
            for (const NameEntry& e : l.exact) {
                const std::size_t d = distance(toUtf16(e.reading), joined);
                if (!closest || d < closestDistance) {
                    closest = &e;
                    closestDistance = d;
                }
            }
            out.add(toUtf16(closest->reading), Origin::WholeName);
        }
        if (l.wholeName)
            addSurnameAndGivenNames(l, out);
    }

    // A person's name MeCab reads as a surname and a given name of two Han
    // characters that no dictionary holds (大島 and 保克): the given name read
    // as most given names read each of its characters at its place (保 at the
    // head ヤス, 克 at the tail カツ), the likeliest two; empty for any other
    // run.
    std::vector<String> composedGivenNames(const Look& l)
    {
        const Path& best = l.best();
        if (kind != yomi::NameKind::Person || !givenParts || !l.onlyHan || !best.complete() ||
            best.tokens.size() < 2 || !best.tokens.front().surname())
            return {};
        const std::u16string_view given = std::u16string_view(l.run).substr(best.tokens.front().surface.size());
        if (given.size() != 2 || !hanOnly(given) || !nameReadings(given, kGiven | kUnclassified, {}).empty())
            return {};
        return givenParts->composed(given, 2);
    }

    // The surname and those given names (composedGivenNames). With `first`,
    // only where MeCab reads the given name as two words (保 and 克:
    // タモツカツ) and neither of the two is MeCab's reading: they go before
    // it then. Else they are alternatives after the words' sound changes.
    void addComposedGivenNames(const Look& l, const std::vector<String>& composed, Candidates& out, bool first)
    {
        if (composed.empty())
            return;
        const Path& best = l.best();
        if (first) {
            const String mecab = best.reading(1);
            if (best.tokens.size() < 3 || std::find(composed.begin(), composed.end(), mecab) != composed.end())
                return;
        }
        for (const String& g : composed)
            out.add(best.tokens.front().reading + u' ' + g, Origin::ComposedGiven);
    }

    // A person's name of two Han characters alone that no dictionary holds
    // (a stage name, 鋭児) read as given names read its characters. With
    // `first`, only the likeliest and only where MeCab reads a verb's or an
    // adjective's stem in it (鋭 スルド of 鋭い): no name is read so. Else the
    // two likeliest are alternatives after the words.
    void addLoneGivenName(const Look& l, Candidates& out, bool first)
    {
        if (kind != yomi::NameKind::Person || !givenParts || !l.onlyHan || l.run.size() != 2 ||
            !nameEntries(toUtf8(l.run)).empty())
            return;
        const auto stem = [](const Token& t) { return t.pos0 == "動詞" || t.pos0 == "形容詞"; };
        if (first && std::none_of(l.best().tokens.begin(), l.best().tokens.end(), stem))
            return;
        for (const String& g : givenParts->composed(l.run, first ? 1 : 2))
            out.add(g, Origin::ComposedGiven);
    }

    // MeCab read the run as a surname and something that is not one given
    // name: the surname and the name dictionary's given names of the rest.
    void addSurnameAndGivenNames(const Look& l, Candidates& out)
    {
        const Path& best = l.best();
        if (!best.complete() || best.tokens.size() < 2 || !best.tokens.front().surname())
            return;
        const Token& sur = best.tokens.front();
        // A title MeCab reads as a surname and words (夏 and 影) is those
        // words, not a person's name.
        if (kind == yomi::NameKind::Title &&
            std::none_of(best.tokens.begin() + 1, best.tokens.end(), [](const Token& t) { return t.personName(); }))
            return;
        // MeCab read a surname and a given name: the given name's usual
        // reading among people, where MeCab reads it otherwise (村上秀一:
        // ヒデカズ to MeCab, シュウイチ to most of its people).
        if (best.tokens.size() == 2 && best.tokens[1].givenName()) {
            const String usual = usualGivenReading(best.tokens[1].surface);
            if (!usual.empty() && usual != best.tokens[1].reading)
                out.add(sur.reading + u' ' + usual, Origin::SurnameGiven);
            return;
        }
        // Two surnames (a duo named by its members: 吉田 and 山田): the
        // second as MeCab reads it, not as a given name written the same.
        if (best.tokens.size() == 2 && best.tokens[1].surname())
            out.add(sur.reading + u' ' + best.tokens[1].reading, Origin::SurnameGiven);
        const std::u16string_view rest = l.run.substr(sur.surface.size());
        for (const String& g : nameReadings(rest, kGiven | kUnclassified, best.reading(1)))
            out.add(sur.reading + u' ' + g, Origin::SurnameGiven);
    }

    // A person's name MeCab reads as a surname and two more names, two
    // given names (安, 済 and 知佳) or a second surname before either (木田,
    // 林 and 松栄), or begins with a word no name begins with: the name
    // dictionary's surname and given name that make it, the split MeCab
    // finds cheapest first, before MeCab's reading.
    void addSplitOfNames(Look& l, Candidates& out)
    {
        const Path& best = l.best();
        // A person's name MeCab begins with a word no name begins with, a
        // prefix, a number or a verb (大 and 森元, 三 and 山): the same
        // split, where both parts have two characters or more (超 and
        // ときめき, 純 and 烈 are no surname and given name; a band's name
        // is read here too).
        // So too a name of four characters or more that MeCab reads one
        // character at a time, beginning with no surname (志, 磨, 遼 and 平:
        // 志磨 and 遼平).
        const bool oneByOne = l.onlyHan && l.run.size() >= 4 && !best.tokens.empty() && !best.tokens[0].surname() &&
            std::all_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.surface.size() == 1; });
        if (kind == yomi::NameKind::Person && best.complete() && best.tokens.size() >= 2 && best.tokens[0].han &&
            (best.tokens[0].pos0 == "接頭詞" || best.tokens[0].pos1 == "数" || best.tokens[0].pos0 == "動詞" ||
             oneByOne)) {
            for (const Split& sp : splitsOf(l))
                if (!sp.surnames.empty() && !sp.givens.empty() && sp.at >= 2 && l.run.size() - sp.at >= 2) {
                    out.add(sp.surnames.front() + u' ' + sp.givens.front(), Origin::Split);
                    return;
                }
        }
        // So too a person's name with characters no dictionary knows where
        // MeCab finds no given name (仁, 後, 真 and 耶子: 仁後 and 真耶子):
        // read one by one they are a coinage's sounds, not a name's.
        const bool unknownGiven = l.onlyHan && l.run.size() >= 4 &&
            std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.guessed; }) &&
            std::none_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.givenName(); });
        if (kind == yomi::NameKind::Person && unknownGiven) {
            for (const Split& sp : splitsOf(l))
                if (!sp.surnames.empty() && !sp.givens.empty() && sp.at >= 2 && l.run.size() - sp.at >= 2) {
                    out.add(sp.surnames.front() + u' ' + sp.givens.front(), Origin::Split);
                    return;
                }
        }
        // A surname of three characters or more that the name dictionary
        // holds and MeCab cuts, its first word no surname (普 and 久原, 四月
        // and 朔日: 普久原 フクハラ, 四月朔日 ワタヌキ), before a given name.
        // A given name of one character after it only where MeCab's words
        // end where the surname does (羽 多野 渉: 羽多野 and 渉; not 杵 屋
        // 佐吉, whose given name 佐吉 the cut would split).
        if (kind == yomi::NameKind::Person && l.onlyHan && best.complete() && best.tokens.size() >= 2 &&
            !best.tokens[0].surname()) {
            std::vector<std::size_t> ends;
            std::size_t end = 0;
            for (const Token& t : best.tokens)
                ends.push_back(end += t.surface.size());
            const auto wordEnd = [&](std::size_t at) { return std::find(ends.begin(), ends.end(), at) != ends.end(); };
            for (const Split& sp : splitsOf(l))
                if (!sp.surnames.empty() && !sp.givens.empty() && sp.at >= 3 && sp.at > best.tokens[0].surface.size() &&
                    (l.run.size() - sp.at >= 2 || (l.run.size() - sp.at == 1 && wordEnd(sp.at)))) {
                    out.add(sp.surnames.front() + u' ' + sp.givens.front(), Origin::Split);
                    return;
                }
        }
        if (kind != yomi::NameKind::Person || !l.onlyHan || !best.complete() || best.tokens.size() != 3 ||
            !best.tokens[0].surname() ||
            !std::all_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.personName(); }))
            return;
        const Token& a = best.tokens[1];
        const Token& b = best.tokens[2];
        if (!((a.givenName() && b.givenName()) || (a.surname() && b.surname()) || (a.surname() && b.givenName())))
            return;
        for (const Split& sp : splitsOf(l))
            if (!sp.surnames.empty() && !sp.givens.empty()) {
                out.add(sp.surnames.front() + u' ' + sp.givens.front(), Origin::Split);
                return;
            }
    }

    // A person's surname with a character MeCab does not know (草彅, 蓜島:
    // outside the character set its dictionary was made from) before a
    // given name of the name dictionary: the surname as its characters
    // read, the given name's readings after it, the commonest first.
    void addUnknownSurname(const Look& l, Candidates& out)
    {
        const Path& best = l.best();
        if (kind != yomi::NameKind::Person || !l.onlyHan || !best.complete() || l.run.size() < 3 || l.run.size() > 5)
            return;
        // A name that ends in a suffix MeCab finds (族, 組, 団) is a group's,
        // no person's (妄走族 モウソウゾク).
        if (best.tokens.size() > 1 && best.tokens.back().pos1 == "接尾" && !best.tokens.back().personName())
            return;
        // Where MeCab's first word it does not know ends: the surname holds
        // it (MeCab joins characters it does not know: 彅剛 is one word).
        std::size_t unknownAt = String::npos, at = 0;
        for (const Token& t : best.tokens) {
            if (t.guessed) {
                unknownAt = at;
                break;
            }
            at += t.surface.size();
        }
        if (unknownAt == String::npos || unknownAt >= 3)
            return;
        for (std::size_t end = std::max<std::size_t>(2, unknownAt + 1); end <= 3 && end < l.run.size(); ++end) {
            const std::u16string_view given = l.run.substr(end);
            const std::vector<String> givens = nameReadings(given, kGiven, {});
            const String surname = surnameOfUnknown(l.run.substr(0, end));
            if (givens.empty() || surname.empty())
                continue;
            // The given name's readings in the order of the SKK dictionary of
            // given names (most common first), then the name dictionary's.
            if (jinmei)
                for (const NameEntry& e : jinmei->lookup(toUtf8(given)))
                    out.add(surname + u' ' + toUtf16(e.reading), Origin::Split);
            for (const String& g : givens)
                out.add(surname + u' ' + g, Origin::Split);
            return;
        }
    }

    // A surname MeCab does not know all of, read by its words, and where
    // MeCab joined characters it does not know to others, each character
    // as MeCab reads it alone or else by its reading in the character
    // dictionary (蓜島: ハイ and シマ, not the on readings ハイトウ).
    String surnameOfUnknown(std::u16string_view surname)
    {
        const std::vector<Path> p = parse(toUtf8(surname), 1);
        if (p.empty() || !p.front().complete())
            return {};
        String out;
        for (const Token& t : p.front().tokens) {
            if (!t.guessed || t.surface.size() < 2) {
                out += t.reading;
                continue;
            }
            for (std::size_t i = 0; i < t.surface.size(); ++i) {
                const std::vector<Path> alone = parse(toUtf8(t.surface.substr(i, 1)), 1);
                const bool known = !alone.empty() && alone.front().complete() && alone.front().tokens.size() == 1 &&
                    !alone.front().tokens[0].guessed;
                out += known ? alone.front().tokens[0].reading : onReadings(t.surface.substr(i, 1));
            }
        }
        return out;
    }

    // Han characters MeCab read one by one that the name dictionary knows
    // together, read as that word; empty when there are none.
    Path joinedNames(const Path& best)
    {
        Path joined = best;
        bool changed = joinCharactersAsNames(joined);
        changed = joinSurnameAndCharacter(joined) || changed;
        changed = joinPlaceSuffix(joined) || changed;
        return changed ? joined : Path();
    }

    // Characters MeCab reads one by one that the name dictionary has
    // together: the entry nearest MeCab's reading of them.
    bool joinCharactersAsNames(Path& joined)
    {
        bool changed = false;
        for (std::size_t i = 0; i < joined.tokens.size();) {
            std::size_t end = i;
            String surface, reading;
            while (end < joined.tokens.size() && joined.tokens[end].surface.size() == 1 && joined.tokens[end].han &&
                   !joined.tokens[end].personName()) {
                surface += joined.tokens[end].surface;
                reading += joined.tokens[end].reading;
                ++end;
            }
            if (end - i < 2 || end - i == joined.tokens.size()) {
                i = std::max(end, i + 1);
                continue;
            }
            // In a title a person's name must keep a word's reading, its
            // first or its last (夏 and 色: ナツイロ, not the given name ナイロ);
            // a place or a work's name need not (言問橋 コトトイバシ).
            const String& first = joined.tokens[i].reading;
            const String& last = joined.tokens[end - 1].reading;
            // A prefix that MeCab found before what follows the name (入
            // of 家入レオ) is no word the name keeps.
            const bool lastIsWord = joined.tokens[end - 1].pos0 != "接頭詞";
            const auto keepsAWord = [&](const NameEntry& e) {
                const String r = toUtf16(e.reading);
                return r.starts_with(first) || (lastIsWord && r.ends_with(last));
            };
            // MeCab's reading of the characters on their own, where it
            // reads them as one word, is nearer than its reading of them one
            // by one in the value (二 a number and 郎 a word; 二郎 alone
            // ジロウ, which the name dictionary has beside the place ニロウ).
            if (!names->lookup(toUtf8(surface)).empty()) {
                const std::vector<Path> alone = parse(toUtf8(surface), 1);
                if (!alone.empty() && alone.front().tokens.size() == 1 && !alone.front().tokens.front().guessed)
                    reading = alone.front().tokens.front().reading;
            }
            String known;
            if (kind == yomi::NameKind::Person)
                known = closestReading(*names, surface, reading, keepsAWord);
            if (known.empty())
                known = closestReading(*names, surface, reading, [&](const NameEntry& e) {
                    const bool personOnly = !(e.kinds & (kPlace | kOtherName));
                    return !(kind == yomi::NameKind::Title && personOnly && !keepsAWord(e));
                });
            if (!known.empty()) {
                joined.tokens[i].surface = surface;
                joined.tokens[i].reading = known;
                joined.tokens.erase(joined.tokens.begin() + static_cast<long>(i) + 1,
                                    joined.tokens.begin() + static_cast<long>(end));
                changed = true;
            }
            ++i;
        }
        return changed;
    }

    // A surname of one character MeCab reads whole and the character after
    // it that it takes for a word (蒼 アオイ and 井 イ) that the name
    // dictionary holds together as a surname: the surname's reading nearest
    // MeCab's (蒼井 アオイ, not アオイイ).
    bool joinSurnameAndCharacter(Path& joined)
    {
        bool changed = false;
        for (std::size_t i = 0; i + 2 < joined.tokens.size(); ++i) {
            Token& sur = joined.tokens[i];
            const Token& next = joined.tokens[i + 1];
            if (!sur.surname() || sur.surface.size() != 1 || !next.han || next.surface.size() != 1 ||
                next.personName() || next.pos0 != "名詞" || !joined.tokens[i + 2].han)
                continue;
            const String reading = sur.reading + next.reading;
            const String known = closestReading(*names, sur.surface + next.surface, reading,
                                                [](const NameEntry& e) { return (e.kinds & kSurname) != 0; });
            if (known.empty() || known == reading)
                continue;
            sur.surface += next.surface;
            sur.reading = known;
            joined.tokens.erase(joined.tokens.begin() + static_cast<long>(i) + 1);
            changed = true;
        }
        return changed;
    }

    // A word and a place's suffix after it (思案 and 橋) that the name
    // dictionary holds together as one place: the place's reading
    // (シアンバシ, where MeCab says キョウ).
    bool joinPlaceSuffix(Path& joined)
    {
        bool changed = false;
        for (std::size_t i = 0; i + 1 < joined.tokens.size(); ++i) {
            Token& word = joined.tokens[i];
            const Token& suffix = joined.tokens[i + 1];
            if (!word.han || word.personName() || word.pos0 != "名詞" || word.surface.size() < 2 || !suffix.han ||
                suffix.surface.size() != 1 || suffix.pos1 != "接尾")
                continue;
            const String surface = word.surface + suffix.surface;
            String place;
            bool several = false;
            for (const NameEntry& e : names->lookup(toUtf8(surface))) {
                if (!(e.kinds & kPlace) || isForeignEntry(e))
                    continue;
                several = several || (!place.empty() && place != toUtf16(e.reading));
                place = toUtf16(e.reading);
            }
            // One place of that name only: 天神町 is テンジンチョウ here and
            // テンジンマチ there.
            if (place.empty() || several || !place.starts_with(word.reading) ||
                place == word.reading + suffix.reading)
                continue;
            word.surface = surface;
            word.reading = place;
            joined.tokens.erase(joined.tokens.begin() + static_cast<long>(i) + 1);
            changed = true;
        }
        return changed;
    }

    // MeCab's words: with the word dictionary's whole words, with the name
    // dictionary's words of characters read one by one, then as MeCab read
    // them; then the other readings of the whole run the dictionaries hold.
    void addWords(Look& l, Candidates& out)
    {
        const Path& best = l.best();
        if (l.read()) {
            if (!l.merged.tokens.empty())
                addUsualVoicing(l.merged, l.merged, out);
            addUsualVoicing(best, l.merged, out);
        }
        // A compound that ends in a suffix after a native word, at the
        // value's end or before a particle or a word of kana (夏色の,
        // 夢色チェイサー), is read first with the suffix as a word of its own
        // (addSuffixWords), in the path of whole words too (夏色の招待状);
        // so are a title's song and woman read as titles read them
        // (三階建の詩: 三階 is one of the dictionary's words).
        if (l.read() && !l.merged.tokens.empty()) {
            addNativeSuffixes(l.merged, out);
            addTitleReadings(l.merged, out, true);
        }
        if (!l.merged.tokens.empty())
            out.add(l.merged.words(), Origin::WholeWords);
        if (!l.mecab.empty() && names) {
            const Path joined = joinedNames(best);
            if (!joined.tokens.empty())
                out.add(joined.words(), Origin::JoinedNames);
        }
        if (l.read()) {
            addCommonWordReadings(best, out);
            addTitleReadings(best, out, true);
            addNativeSuffixes(best, out);
            out.add(l.mecab, Origin::Mecab);
        }
        // A value MeCab finds no person's name in is a word before it is a
        // name: the word dictionary's readings come before the name
        // dictionary's.
        if (l.read() && !l.person)
            otherWordReadings(best, out);
        for (const NameEntry& e : l.exact)
            out.add(toUtf16(e.reading), Origin::NameEntry);
        for (const NameEntry& e : l.skk)
            out.add(toUtf16(e.reading), Origin::NameEntry);
    }

    // A compound's last word that the word dictionary's compounds mostly
    // voice (桜: 夜桜 ヨザクラ, 八重桜; 囃子, 酒, 髪) voiced after the word
    // before it (恋 and 桜: コイザクラ; 四人 and 囃子: ヨニンバヤシ), where
    // the dictionary does not hold the compound whole. Before it a noun or a
    // verb's stem of Han characters or of two or more hiragana (ふたり,
    // あばれ and 太鼓: アバレダイコ); not a word of katakana (ハレ and 晴レ, a
    // title's play on words).
    // `merged` is the path with the dictionary's whole words: a compound it
    // holds whole there needs no second guess.
    void addUsualVoicing(const Path& best, const Path& merged, Candidates& out)
    {
        if (!words || wordsText.empty())
            return;
        for (std::size_t j = 1; j < best.tokens.size(); ++j) {
            const Token& before = best.tokens[j - 1];
            const Token& t = best.tokens[j];
            const bool hiragana =
                before.surface.size() >= 2 && std::all_of(before.surface.begin(), before.surface.end(), [](char16_t c) {
                    return (c >= u'ぁ' && c <= u'ゖ') || c == u'ー';
                });
            const bool head = (before.pos0 == "名詞" || before.verbStem()) && (before.han || hiragana);
            if (!head || t.pos0 != "名詞" || !t.han || t.surface.size() > 2 || !isHanCharacter(t.surface.front()) ||
                t.personName() || (before.personName() && !(kind == yomi::NameKind::Title && before.surname())) ||
                t.reading.empty() || before.reading.empty() ||
                !voiced(t.reading.front()))
                continue;
            // The end of a compound: no word of Han characters after it.
            if (j + 1 < best.tokens.size() && best.tokens[j + 1].han && best.tokens[j + 1].pos0 == "名詞")
                continue;
            if (before.pos1 == "数" || !rendaku().voices(t.surface, t.reading))
                continue;
            String said = t.reading;
            said.front() = voiced(said.front());
            // A compound the dictionary holds (天晴れ アッパレ) is read its way.
            const String compound = before.surface + t.surface;
            const std::vector<NameEntry> known = words->lookup(toUtf8(compound));
            if (!known.empty() && std::none_of(known.begin(), known.end(), [&](const NameEntry& e) {
                    return toUtf16(e.reading) == before.reading + said;
                }))
                continue;
            if (std::any_of(merged.tokens.begin(), merged.tokens.end(),
                            [&](const Token& w) { return w.surface.find(compound) != String::npos; }))
                continue;
            Path variant = best;
            variant.tokens[j].reading = said;
            out.add(variant.words(), Origin::Variant);
        }
    }

    // Sound changes of compounds: voicing and doubling, a one-character
    // suffix read as its own word, a first word's last vowel changed.
    void addSoundChanges(const Look& l, Candidates& out)
    {
        if (!l.read())
            return;
        const Path& best = l.best();
        if (!l.merged.tokens.empty())
            addCompoundSounds(l.merged, out);
        addCompoundSounds(best, out);
        addTitleReadings(best, out, false);
        addSuffixWords(best, out);
        // The first word of a compound may change its last vowel (アメ and
        // オト are アマオト, カゼ and グルマ カザグルマ).
        for (std::size_t j = 0; j + 1 < best.tokens.size(); ++j) {
            const Token& t = best.tokens[j];
            const Token& after = best.tokens[j + 1];
            if (!t.han || t.surface.size() != 1 || t.reading.size() != 2 || t.personName() || after.reading.empty() ||
                after.pos0 == "助詞" || after.pos0 == "助動詞")
                continue;
            if (const char16_t a = compoundFirst(t.reading.back())) {
                Path variant = best;
                variant.tokens[j].reading.back() = a;
                out.add(variant.words(), Origin::Variant);
            }
        }
        if (l.person)
            otherWordReadings(best, out);
    }

    // Each suffix of the path that ends a compound after a native word, at
    // the path's end or before a particle or a word that is no Han
    // character's, read as a word of its own (addSuffixWords).
    void addNativeSuffixes(const Path& path, Candidates& out)
    {
        for (std::size_t j = 1; j < path.tokens.size(); ++j)
            if (j + 1 == path.tokens.size() || path.tokens[j + 1].pos0 == "助詞" || !path.tokens[j + 1].han)
                addSuffixWords(path, out, j, true, j + 1);
    }

    // A suffix of one Han character after a noun may be a word of its own,
    // read as it is alone, and voiced (兄弟 and 船: キョウダイブネ, 犬 and 神:
    // イヌガミ); from the word `from` on. With `native`, only after a word
    // that is neither Sino-Japanese nor a number, and not when the suffix
    // alone is read as a name: a native word makes a compound with the
    // suffix's own native reading (ふたり and 酒: フタリザケ, 童 and 神:
    // ワラベガミ), where a Sino-Japanese one keeps its on reading (夢想歌
    // ムソウカ, 月光蟲 ゲッコウチュウ). The words before `to` only.
    void addSuffixWords(const Path& best, Candidates& out, std::size_t from = 1, bool native = false,
                        std::size_t to = SIZE_MAX)
    {
        for (std::size_t j = std::max<std::size_t>(from, 1); j < std::min(to, best.tokens.size()); ++j) {
            const Token& before = best.tokens[j - 1];
            const Token& t = best.tokens[j];
            if (t.pos1 != "接尾" || !t.han || t.surface.size() != 1 || before.pos0 != "名詞" ||
                !(before.han || isKanaOnly(before.surface)) || before.personName())
                continue;
            // Read alone it must be a noun: a verb's stem (葬 ホウム, of 葬る)
            // is no word a compound ends in.
            const std::vector<Path> alone = parse(toUtf8(t.surface), 1);
            if (alone.empty() || alone.front().tokens.size() != 1 || alone.front().tokens.front().pos0 != "名詞")
                continue;
            const String word = alone.front().tokens.front().reading;
            // A word of katakana is a borrowed one, no native word (バンド and
            // 名: バンドメイ).
            const bool katakana = std::all_of(before.surface.begin(), before.surface.end(), [](char16_t c) { return isKatakanaLetter(c); });
            if (word.empty() || word == t.reading || alone.front().foreign() ||
                (native && (alone.front().tokens.front().personName() || before.pos1 == "数" || soundsSino(before) ||
                            katakana)))
                continue;
            Path variant = best;
            variant.tokens[j].reading = word;
            if (const char16_t v = voiced(word.front())) {
                variant.tokens[j].reading.front() = v;
                out.add(variant.words(), Origin::Variant);
                variant.tokens[j].reading.front() = word.front();
            }
            out.add(variant.words(), Origin::Variant);
        }
    }

    // When there is room: surname + given-name splits, in the order of
    // MeCab's cost for a parse cut at the split (MeCab's readings of the two
    // parts in that parse first among the dictionary's); MeCab's other
    // parses; each character by its on reading (a Sino-Japanese coinage:
    // 秋止符 シュウシフ); the nouns of one Han character read by the name
    // dictionary's readings of their character (詩: ウタ).
    void addLastResorts(Look& l, Candidates& out, std::size_t limit)
    {
        if (out.size() < limit) {
            for (std::size_t rank = 0; rank < kReadingsPerPart * 2 && out.size() < limit; ++rank)
                for (const Split& sp : splitsOf(l))
                    for (std::size_t a = 0; a <= rank; ++a)
                        if (a < sp.surnames.size() && rank - a < sp.givens.size())
                            out.add(sp.surnames[a] + u' ' + sp.givens[rank - a], Origin::Split);
        }
        if (!l.mecab.empty())
            out.add(l.mecab, Origin::Mecab);
        for (std::size_t i = 1; i < l.paths.size(); ++i)
            if (l.paths[i].complete() && !l.paths[i].foreign())
                out.add(l.paths[i].words(), Origin::OtherPath);
        if (l.onlyHan && l.run.size() > 1 && out.size() < limit)
            out.add(onReadings(l.run), Origin::OnReadings);
        const Path& best = l.best();
        if (!l.read() || !names || best.tokens.size() < 2)
            return;
        for (std::size_t j = 0; j < best.tokens.size() && out.size() < limit; ++j) {
            const Token& t = best.tokens[j];
            if (!t.han || t.surface.size() != 1 || t.pos0 != "名詞" || t.pos1 != "一般")
                continue;
            for (const String& r : nameReadings(t.surface, kGiven | kSurname | kUnclassified, t.reading)) {
                Path variant = best;
                variant.tokens[j].reading = r;
                out.add(variant.words(), Origin::Variant);
            }
        }
    }

    // The readings of a run as it is written, best first. A run that looks
    // like a Chinese name has none unless `settled` (its signs are given).
    // A bandleader's name and his band's, joined by と (原信夫とシャープス,
    // 森雄二とサザンクロス): a run of Han characters that a name dictionary
    // holds whole as a full name, と, and katakana. The name is read as that
    // person's, not as words of the whole run. Empty when the run is not so.
    Outcome leaderAndBand(std::u16string_view run, std::size_t limit, bool settled)
    {
        Outcome result;
        if (kind != yomi::NameKind::Person)
            return result;
        const std::size_t joint = run.find(u'と');
        if (joint == std::u16string_view::npos || joint < 2 || joint + 1 >= run.size())
            return result;
        const std::u16string_view leader = run.substr(0, joint), band = run.substr(joint + 1);
        if (!hanOnly(leader) || !std::all_of(band.begin(), band.end(), [](char16_t c) { return isKatakanaLetter(c); }))
            return result;
        Outcome name = readAsWritten(leader, limit, settled);
        if (name.candidates.empty() || name.confidence != Confidence::Sure ||
            (name.candidates.front().second != Origin::FullName && name.candidates.front().second != Origin::SkkFullName))
            return result;
        for (const auto& [reading, origin] : name.candidates)
            result.candidates.emplace_back(reading + u"ト" + String(band), origin);
        result.confidence = Confidence::Likely;
        result.reason = "a full name the name dictionary holds and a band's name in kana";
        return result;
    }

    // A person's name and a word of katakana after it that makes a band of
    // the person (鈴木実貴子ズ, 井上堯之バンド): the name read alone, as a
    // person's, the katakana after it as written. Empty when the run is not
    // so or MeCab finds no person's name in the Han characters.
    Outcome nameBeforeKatakana(std::u16string_view run, std::size_t limit, bool settled)
    {
        Outcome result;
        if (kind != yomi::NameKind::Person)
            return result;
        std::size_t end = run.size();
        while (end > 0 && isKatakanaLetter(run[end - 1]))
            --end;
        const std::u16string_view name = run.substr(0, end), band = run.substr(end);
        if (band.empty() || name.size() < 3 || !hanOnly(name))
            return result;
        // A surname alone before katakana has its given name there (宇多田
        // ヒカル).
        const Look l = look(name);
        if (l.paths.empty())
            return result;
        const bool given = std::any_of(l.best().tokens.begin(), l.best().tokens.end(),
                                       [](const Token& t) { return t.givenName(); }) ||
            std::any_of(l.exact.begin(), l.exact.end(), [](const NameEntry& e) { return (e.kinds & kFullName) != 0; });
        if (!l.person || !given)
            return result;
        result = readAsWritten(name, limit, settled);
        for (auto& [reading, origin] : result.candidates)
            reading += band;
        // The dictionaries hold the person, not the band.
        if (result.confidence == Confidence::Sure) {
            result.confidence = Confidence::Likely;
            result.reason += "; a word of katakana after the name";
        }
        return result;
    }

    // Old forms (團, 國, 氣) are read as the forms in use today: `own`, the
    // reading of the run as `written`, and `today`, of its `modern` forms,
    // swap places where today's come first. They do when MeCab knows the
    // value better in today's forms (fewer words, none it does not know);
    // names that keep an old form (龍) are read as written first. They do
    // too when the reading as written is a guess and the dictionaries trust
    // the reading of today's forms (渡邉曉雄: the name dictionary holds
    // 渡辺暁雄, where MeCab reads 曉 alone サトル), still a guess, the
    // reading as written next to it: the person may read the name as its
    // old forms were read.
    void preferTodaysForms(const String& written, const String& modern, Outcome& own, Outcome& today)
    {
        if (today.candidates.empty())
            return;
        std::size_t ownWords = 0, todayWords = 0;
        const bool ownKnown = known(written, ownWords), todayKnown = known(modern, todayWords);
        if (todayKnown && (!ownKnown || todayWords < ownWords)) {
            std::swap(own, today);
            own.reason += "; old character forms read as today's";
        } else if (own.confidence == Confidence::Check && today.confidence > own.confidence) {
            std::swap(own, today);
            own.confidence = Confidence::Check;
            own.reason += "; old character forms read as today's, as the dictionaries read them";
            if (!today.candidates.empty()) {
                std::vector<std::pair<String, Origin>> joined{own.candidates.front(), today.candidates.front()};
                joined.insert(joined.end(), std::next(own.candidates.begin()), own.candidates.end());
                own.candidates = std::move(joined);
            }
        }
    }

    // A run of three or more Han characters, one of which no dictionary
    // knows, is a coinage of Sino-Japanese sounds (封印廻濫 フウインカイラン,
    // 歌窈曲 カヨウキョク, 海援隊): its characters that stand alone are read
    // by their on readings, not as the native words MeCab makes of them
    // (廻 マワリ, 歌 ウタ); its words of two or more characters and the names
    // MeCab finds keep their readings (風神界逅: 風神 フウジン). Not where MeCab
    // finds a person's name in the run, nor in a person's value that begins
    // with a word that may be a surname (川崎鷹也: 鷹也 is a given name).
    void addCoinage(const Look& l, Candidates& out)
    {
        const Path& best = l.best();
        if (!kanji || !l.onlyHan || l.run.size() < 3 || !best.complete() ||
            std::none_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.guessed; }) ||
            std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.personName(); }) ||
            (kind == yomi::NameKind::Person && best.tokens.front().surface.size() > 1))
            return;
        Path coined = best;
        bool changed = false;
        for (Token& t : coined.tokens) {
            if (t.guessed || t.surface.size() != 1 || t.personName())
                continue;
            const String on = kanji->onReading(t.surface.front());
            if (!on.empty() && on != t.reading) {
                t.reading = on;
                changed = true;
            }
        }
        if (changed)
            out.add(coined.words(), Origin::OnReadings);
    }

    // A Sino-Japanese compound MeCab reads in part as native words: the
    // characters it reads alone after a word of two or more characters
    // read by their on readings (錯乱 and 前, 戦: サクランゼンセン, not
    // マエセン; 東方 and 紅, 魔, 郷) are read by their on readings too, the
    // coinage of Sino-Japanese sounds a title makes. Not a suffix (無縁坂
    // ムエンザカ, 石鹸屋), nor a character before kana (路地裏の少年: a word
    // of a sentence), nor where MeCab finds a person's name. The word
    // dictionary's whole words come first (夢幻泡影 ムゲンホウヨウ).
    void addSinoCompound(const Look& l, Candidates& out)
    {
        const Path& best = l.merged.tokens.empty() ? l.best() : l.merged;
        if (!kanji || !best.complete() ||
            std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.personName(); }))
            return;
        Path coined = best;
        bool sino = false, changed = false;
        for (std::size_t i = 0; i < coined.tokens.size(); ++i) {
            Token& t = coined.tokens[i];
            const bool beforeKana = i + 1 < coined.tokens.size() && !coined.tokens[i + 1].han;
            if (sino && t.han && t.surface.size() == 1 && !t.guessed && !t.reading.empty() && t.pos1 != "接尾" &&
                !beforeKana && !kanji->isOnReading(t.surface.front(), t.reading)) {
                const String on = kanji->onReading(t.surface.front());
                if (!on.empty()) {
                    t.reading = on;
                    changed = true;
                    continue;
                }
            }
            // So a word of two characters MeCab reads natively that the word
            // dictionary reads by its on readings too (桃源 and 恋歌: レンカ,
            // not コイウタ).
            if (sino && words && t.han && t.surface.size() == 2 && hanOnly(t.surface) && !t.guessed &&
                !t.reading.empty() && t.pos0 == "名詞" && t.pos1 != "接尾" && t.pos1 != "固有名詞" && !beforeKana &&
                !composable(t.surface, t.reading, true)) {
                String on;
                for (const NameEntry& e : words->lookup(toUtf8(t.surface)))
                    if (!(e.kinds & kArchaic) && composable(t.surface, toKatakana(toUtf16(e.reading)), true))
                        on = toKatakana(toUtf16(e.reading));
                if (!on.empty()) {
                    t.reading = on;
                    changed = true;
                    continue;
                }
            }
            // A number and its counter (三人, 10年) begin no such coinage
            // (旅姿三人男 サンニンオトコ, 10年桜).
            const bool number =
                t.pos1 == "数" || std::any_of(t.surface.begin(), t.surface.end(), [](const char16_t& c) {
                    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９') ||
                        numeralValue(std::u16string_view(&c, 1));
                });
            sino = t.han && !number && !t.reading.empty() && (t.surface.size() >= 2 || (changed && sino)) &&
                composable(t.surface, t.reading, true);
        }
        if (changed)
            out.add(coined.words(), Origin::OnReadings);
    }

    Outcome readAsWritten(std::u16string_view run, std::size_t limit, bool settled)
    {
        Outcome result;
        Look l = look(run);
        if (l.paths.empty())
            return result;
        result.chinese = chineseSigns(l);
        if (!result.chinese.empty() && !settled)
            return result;
        Candidates out;
        addNames(l, out);
        addCoinage(l, out);
        addSinoCompound(l, out);
        const std::vector<String> composed = composedGivenNames(l);
        addComposedGivenNames(l, composed, out, true);
        addLoneGivenName(l, out, true);
        addWords(l, out);
        addSoundChanges(l, out);
        addComposedGivenNames(l, composed, out, false);
        addLoneGivenName(l, out, false);
        addLastResorts(l, out, limit);
        result.candidates = out.take(run, limit);
        keepOnReadings(l, limit, result.candidates);
        if (!result.candidates.empty())
            judge(l, result.candidates.front().second, result);
        return result;
    }


    // A title of Han characters alone may be a coinage read
    // by its characters' on readings (鬼葬 キソウ, 巡恋歌): where the
    // candidates are full without that reading, it takes the last place.
    void keepOnReadings(const Look& l, std::size_t limit, std::vector<std::pair<String, Origin>>& candidates)
    {
        if (kind != yomi::NameKind::Title || !l.onlyHan || l.run.size() < 2 || limit < 3 ||
            candidates.size() < limit)
            return;
        String on = onReadings(l.run);
        if (on.empty())
            return;
        if (std::any_of(candidates.begin(), candidates.end(),
                        [&](const auto& c) { return withoutSpaces(c.first) == on; }))
            return;
        candidates.back() = {std::move(on), Origin::OnReadings};
    }

    // How far the reading of a path of MeCab's words can be trusted: sure
    // for one word of the dictionaries with one reading; likely when every
    // word is read from a dictionary and nothing gives a doubt about it
    // (doubtAbout); else check, with the first doubt as the reason.
    std::pair<Confidence, std::string> trustWords(const Look& l, const Path& path)
    {
        const auto& tokens = path.tokens;
        if (std::any_of(tokens.begin(), tokens.end(), [](const Token& t) { return t.guessed; }))
            return {Confidence::Check, "characters no dictionary knows, read one by one"};
        if (tokens.size() == 1 && tokens[0].han && !tokens[0].personName() && readingsOf(tokens[0]) == 1 &&
            distinctReadings(l.exact) <= 1 && !(tokens[0].surface.size() == 1 && tokens[0].readingsKnown > 1))
            return {Confidence::Sure, "a whole word of the dictionary with one reading"};
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (const char* doubt = doubtAbout(path, i))
                return {Confidence::Check, doubt};
        return {Confidence::Likely, "every word read from the dictionary"};
    }

    // Whether a word of Han characters after another is a native word (its
    // reading does not begin with its first character's on reading; a
    // looser test than soundsSino, which wants every character's first on
    // reading: 喫茶 キッサ is Sino-Japanese here) that begins with a sound a
    // compound may voice (囃子 ハヤシ, 日和 ヒヨリ): the compound may well
    // say it バヤシ, ビヨリ. Sino-Japanese words (警察, 少年) seldom change so.
    bool nativeWordAfterAnother(const Path& path) const
    {
        if (!kanji)
            return false;
        const auto& tokens = path.tokens;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (!t.han || !tokens[i - 1].han || t.reading.empty() || !voiced(t.reading.front()))
                continue;
            // The on reading's last sound may be doubled instead (百景
            // ヒャッケイ, 喫茶 キッサ).
            String on = kanji->onReading(t.surface.front());
            if (on.size() > 1)
                on.pop_back();
            if (!on.empty() && !t.reading.starts_with(on))
                return true;
        }
        return false;
    }

    // Whether the run, all Han characters, is two or more words of their
    // own (not numbers nor suffixes) that no dictionary holds as one: a
    // name or title made of words (浪漫飛行, 四人囃子), whose reading may
    // well be one its writer gave it, not the words' own. Person names
    // read as such are judged by their own rules.
    bool coinedCompound(const Look& l, const Path& path)
    {
        if (!l.onlyHan || l.run.size() < 3 || !l.exact.empty() || !l.skk.empty())
            return false;
        std::size_t words = 0;
        for (const Token& t : path.tokens) {
            if (t.personName())
                return false;
            if (t.han && t.pos1 != "数" && t.pos1 != "接尾" && t.pos2 != "助数詞")
                ++words;
        }
        if (words < 2)
            return false;
        return this->words == nullptr || this->words->lookup(toUtf8(l.run)).empty();
    }

    // What speaks against the reading of the path's word `i`, as the reason
    // a user reads; null when nothing does. The doubts are those that the
    // name sets showed to go with wrong readings more than once in three:
    // - a given name the name dictionary reads several ways;
    // - a character standing as a word of its own beside another word (of
    //   Han characters, or a noun of kana: ふたり酒, 雨やどり), a compound no
    //   dictionary has whole (not a number, nor a counter or suffix after
    //   its word: 三年, 幸福論);
    // - a word with several readings in common use (the word dictionary's,
    //   else MeCab's);
    // - MeCab's reading is not one the word dictionary gives the word in
    //   common use (一途 イット, where the word dictionary says イチズ): two
    //   sources that disagree;
    // - a suffix of one character that read alone is another word (道 ドウ
    //   and ミチ, 船 セン and フネ);
    // - in a title, a word of one character that titles read another way
    //   (詩 ウタ, 夜 ヨ);
    // - a noun of one character before a verb's stem, the two maybe one
    //   compound whose noun changes its sound (雨やどり アマヤドリ, 月詠み
    //   ツクヨミ) or whose next word is voiced (夢追い酒);
    // - a place's suffix that MeCab's dictionary reads several ways (町
    //   マチ and チョウ);
    // - a proper noun (not a person's name) that the word dictionary holds,
    //   but not as MeCab reads it (港町).
    // A word of one character that MeCab's dictionary reads several ways is
    // no doubt on its own: beside other words MeCab's choice is mostly
    // right (雨の慕情, 月と専制君主); nor is one with several readings in
    // common use between particles, where it stands as a word of a
    // sentence (風の歌を聴け, 君をのせて), nor a counter between a number
    // and a particle (千年の恋, 百万本の: the number's sounds have chosen
    // its reading; one before another word may be part of a compound with
    // it, 六文銭 ロクモンセン).
    const char* doubtAbout(const Path& path, std::size_t i)
    {
        const auto& tokens = path.tokens;
        const Token& t = tokens[i];
        if (!t.han || t.compoundForm)
            return nullptr;
        if (t.givenName() && nameReadings(t.surface, kGiven | kUnclassified, {}).size() > 1 &&
            !commonGivenReading(t.surface, t.reading))
            return "a given name with several readings";
        // Names MeCab finds one after another where a person's name has one
        // of each (two surnames: 草野 and 華 before 余子; two given names:
        // 晋平 and 太), or a name right after a word of Han characters
        // (魂 and 音泉): characters read as names that may be no name.
        if (t.personName() && i > 0) {
            const Token& before = tokens[i - 1];
            if ((t.surname() && before.surname()) || (t.givenName() && before.givenName()) ||
                (t.surname() && before.han && !before.personName() && before.pos0 == "名詞"))
                return "names found one after another inside a word";
        }
        if (kind == yomi::NameKind::Title && t.surname() && nameReadings(t.surface, kSurname, {}).size() > 1)
            return "a surname in a title, read several ways";
        if (t.rivalSurname && kind == yomi::NameKind::Person)
            return "a surname read two ways almost as often";
        if (kind == yomi::NameKind::Person && t.surname() && uncommonSurnameReading(t))
            return "a surname of many readings, read in one the name dictionary does not mark common";
        if (t.personName() || countsBeforeParticle(tokens, i))
            return nullptr;
        if (t.nounOfOneCharacter() && i + 1 < tokens.size() && tokens[i + 1].verbStem())
            return "a noun and a verb that may be one compound";
        if (t.pos0 == "名詞" && i + 1 < tokens.size() && tokens[i + 1].verbStem() && tokens[i + 1].han &&
            (i + 2 == tokens.size() || tokens[i + 2].pos0 == "助詞"))
            return "a noun and a verb that may be one compound";
        if (t.pos1 == "接尾" && t.pos2 == "地域" && t.readingsKnown > 1)
            return "a place's suffix with several readings";
        if (t.pos1 == "固有名詞" && t.surface.size() > 1 && readsOtherwise(t, dictionaryReadings(t)))
            return "MeCab and the word dictionary read a word differently";
        const auto partOfCompound = [&](std::size_t j) {
            const Token& o = tokens[j];
            return !o.personName() && o.pos1 != "数" && o.pos0 == "名詞" && (o.han || t.pos0 == "名詞");
        };
        if (t.surface.size() == 1 && t.pos1 != "接尾" && t.pos1 != "数" &&
            ((i > 0 && partOfCompound(i - 1)) || (i + 1 < tokens.size() && partOfCompound(i + 1))))
            return "a compound no dictionary has whole";
        const std::vector<NameEntry> common = commonReadings(t);
        if ((common.empty() ? t.readingsKnown : distinctReadings(common)) > 1 && !betweenParticles(tokens, i))
            return "a word with several readings";
        if (readsOtherwise(t, common))
            return "MeCab and the word dictionary read a word differently";
        if (tokens.size() == 1 && t.surface.size() == 1 && t.readingsKnown > 1)
            return "one character with several readings";
        if (i > 0 && t.pos1 == "接尾" && t.surface.size() == 1 && t.readingsKnown > 1 && readsOtherwiseAlone(t))
            return "a suffix that may be read as a word of its own";
        if (kind == yomi::NameKind::Title && t.surface.size() == 1 && hasTitleReading(t))
            return "a word titles read two ways";
        return nullptr;
    }

    // Whether MeCab reads a surname that the name dictionary reads four
    // ways or more in a reading it does not mark as a place's name too,
    // as it marks the common ones (百々: MeCab's トド is one of eleven
    // surnames, ドド another; ドウドウ alone is a place too). Over the
    // sets' persons read "every word from the dictionary", such readings
    // were wrong about half the time, the other surnames one time in twenty.
    bool uncommonSurnameReading(const Token& t)
    {
        if (!names || !hanOnly(t.surface))
            return false;
        std::vector<String> readings;
        bool common = false;
        for (const NameEntry& e : nameEntries(toUtf8(t.surface))) {
            if (!(e.kinds & kSurname) || isForeignEntry(e))
                continue;
            const String r = toUtf16(e.reading);
            if (std::find(readings.begin(), readings.end(), r) == readings.end())
                readings.push_back(r);
            common = common || ((e.kinds & kPlace) && r == t.reading);
        }
        return readings.size() >= 4 && !common;
    }

    // Whether `reading` is clearly the common reading of the given name
    // `name` by the SKK dictionary of given names (its first reading, with
    // a margin over the next).
    bool commonGivenReading(std::u16string_view name, const String& reading)
    {
        if (!jinmei || reading.empty())
            return false;
        const std::vector<NameEntry> entries = jinmei->lookup(toUtf8(name));
        return !entries.empty() && (entries.front().kinds & kGiven) && toUtf16(entries.front().reading) == reading;
    }

    // Whether the word is a noun of one character with particles (and
    // nothing else) beside it, in a path of more than one word.
    static bool betweenParticles(const std::vector<Token>& tokens, std::size_t i)
    {
        if (!tokens[i].nounOfOneCharacter() || tokens.size() < 2)
            return false;
        return (i == 0 || tokens[i - 1].pos0 == "助詞") && (i + 1 == tokens.size() || tokens[i + 1].pos0 == "助詞");
    }

    // Whether the word is a counter between a number and a particle.
    static bool countsBeforeParticle(const std::vector<Token>& tokens, std::size_t i)
    {
        return i > 0 && i + 1 < tokens.size() && tokens[i].pos2 == "助数詞" && tokens[i - 1].pos1 == "数" &&
            tokens[i + 1].pos0 == "助詞";
    }

    // Whether the dictionary's entries of a word are there and none reads
    // it as MeCab does.
    static bool readsOtherwise(const Token& t, const std::vector<NameEntry>& entries)
    {
        return !entries.empty() && std::none_of(entries.begin(), entries.end(), [&](const NameEntry& e) {
            return toUtf16(e.reading) == t.reading;
        });
    }

    // Whether MeCab reads the word's surface alone another way.
    bool readsOtherwiseAlone(const Token& t)
    {
        const std::vector<Path> alone = parse(toUtf8(t.surface), 1);
        return !alone.empty() && alone.front().tokens.size() == 1 && !alone.front().tokens[0].reading.empty() &&
            alone.front().tokens[0].reading != t.reading;
    }

    // The word dictionary's readings of the word in common use.
    std::vector<NameEntry> commonReadings(const Token& t)
    {
        std::vector<NameEntry> entries = dictionaryReadings(t);
        std::erase_if(entries, [](const NameEntry& e) { return !(e.kinds & kCommon); });
        return entries;
    }

    // The word dictionary's readings of the word, in common use or not;
    // those it gives only a prefix or a suffix (街 ガイ) only for a word
    // MeCab finds as one.
    std::vector<NameEntry> dictionaryReadings(const Token& t)
    {
        std::vector<NameEntry> entries;
        if (words) {
            entries = words->lookup(toUtf8(t.surface));
            const bool affix = t.pos1 == "接尾" || t.pos0 == "接頭詞";
            std::erase_if(entries, [&](const NameEntry& e) {
                return isForeignEntry(e) || (!affix && (e.kinds & ~kCommon) == kAffixOnly);
            });
        }
        return entries;
    }

    // The readings of a word in common use: those the word dictionary marks
    // so, or, for a word it does not mark, those of MeCab's dictionary.
    std::size_t readingsOf(const Token& t)
    {
        const std::vector<NameEntry> common = commonReadings(t);
        return common.empty() ? t.readingsKnown : distinctReadings(common);
    }

    // How far the first candidate of a run can be trusted, from where it
    // came from.
    void judge(const Look& l, Origin first, Outcome& result)
    {
        const auto set = [&](Confidence c, std::string why) {
            result.confidence = c;
            result.reason = std::move(why);
        };
        switch (first) {
        // A full name is sure when no dictionary that holds it reads it
        // another way: the SKK dictionary and the name dictionary each give
        // it one reading.
        case Origin::SkkFullName:
        case Origin::FullName:
            if (distinctReadings(l.skk, kFullName) > 1 || distinctReadings(l.exact, kFullName) > 1)
                return set(Confidence::Check, "a full name the dictionaries read more than one way");
            return set(Confidence::Sure, first == Origin::SkkFullName ? "a well-known person's full name"
                                                                      : "a full name in the name dictionary");
        // A title the name dictionary holds whole as a work (a book, a film,
        // a song) with one reading is that work's title; one it holds as a
        // person's or a place's name is a guess.
        case Origin::WholeName:
            if (kind == yomi::NameKind::Title && distinctReadings(l.exact) == 1 &&
                distinctReadings(l.exact, kOtherName) == 1)
                return set(Confidence::Sure, "a title the name dictionary holds as a work, with one reading");
            if (kind == yomi::NameKind::Title)
                return set(Confidence::Check, "a title read as the name dictionary reads a name");
            return distinctReadings(l.exact) == 1 ? set(Confidence::Sure, "the whole name in the name dictionary")
                                                  : set(Confidence::Check, "a name with several readings");
        // MeCab's surname and a given name of the name dictionary: as a
        // given name of MeCab's own (doubtAbout).
        case Origin::SurnameGiven: {
            const String& top = result.candidates.front().first;
            const std::size_t space = top.find(u' ');
            const std::u16string_view given = l.run.substr(l.best().tokens.front().surface.size());
            // A given name of one character has too many readings for any
            // to be likely (天: テン to most, ソラ to some).
            // Only where MeCab or the name dictionary put it first as well:
            // the order of the given names' readings follows the SKK
            // dictionary already where the name dictionary's people say
            // nothing, and it is no second voice then.
            const String mecabGiven = l.best().reading(1);
            const String chosen = space == String::npos ? String() : top.substr(space + 1);
            const auto firstByOthers = [&] {
                const std::vector<String> order = nameReadings(given, kGiven | kUnclassified, mecabGiven, false);
                return mecabGiven == chosen || (!order.empty() && order.front() == chosen);
            };
            if (space != String::npos && given.size() > 1 && commonGivenReading(given, chosen) && firstByOthers())
                return set(Confidence::Likely, "a surname and a given name in its common reading");
            return set(Confidence::Check, "a given name with several readings");
        }
        case Origin::WholeWords:
        case Origin::Mecab: {
            const Path& path = first == Origin::Mecab ? l.best() : l.merged;
            auto [c, why] = trustWords(l, path);
            if (c == Confidence::Likely && coinedCompound(l, path) && nativeWordAfterAnother(path))
                return set(Confidence::Check, "words no dictionary holds together, maybe with a sound change");
            return set(c, why);
        }
        case Origin::JoinedNames:
            return set(Confidence::Check, "characters read together as a name");
        case Origin::Title:
            return set(Confidence::Check, "a reading titles give a word");
        case Origin::Word:
        case Origin::NameEntry:
            return set(Confidence::Check, "one of several readings of a word");
        case Origin::Variant:
            return set(Confidence::Check, "a sound change in a compound");
        case Origin::Split:
            return set(Confidence::Check, "a surname and a given name found apart");
        case Origin::ComposedGiven:
            return set(Confidence::Check, "a given name no dictionary holds, read as given names read its characters");
        case Origin::OtherPath:
            return set(Confidence::Check, "MeCab's second reading");
        case Origin::OnReadings:
            return set(Confidence::Check, "characters read by their on readings");
        }
    }
};

EnginePaths EnginePaths::system()
{
    EnginePaths p;
    // IPADIC first: the rules here read its parts of speech, and with UniDic
    // (unidic-mecab 3.1.1) they read fewer names right; UniDic is used when
    // IPADIC is missing.
    for (const char* dir :
         {"/var/lib/mecab/dic/ipadic-utf8", "/var/lib/mecab/dic/unidic", "/usr/share/mecab/dic/unidic",
          "/var/lib/mecab/dic/debian", "/usr/lib/x86_64-linux-gnu/mecab/dic/mecab-ipadic-neologd"})
        p.dictionaries.emplace_back(dir);
    p.names = "/usr/share/edict/enamdict";
    p.words = "/usr/share/edict/edict";
    p.kanji = "/usr/share/edict/kanjidic";
    p.kanjiMore = "/usr/share/edict/kanjidic2.xml.gz";
    for (const auto& [file, kind] : {std::pair{"fullname", "h"}, std::pair{"okinawa", "o"}})
        p.skk.emplace_back(std::filesystem::path("/usr/share/skk") / (std::string("SKK-JISYO.") + file), kind);
    p.jinmei = "/usr/share/skk/SKK-JISYO.jinmei";
    p.english = "/usr/share/festival/dicts/cmu/cmudict-0.4.out";
    p.cacheDir = paths::ownFolder(paths::cacheHome());
    return p;
}

MecabReadingEngine::MecabReadingEngine(EnginePaths paths) : paths_(std::move(paths)) {}

bool MecabReadingEngine::available() const
{
    if (started_.load(std::memory_order_acquire))
        return state_ != nullptr;
    return std::any_of(paths_.dictionaries.begin(), paths_.dictionaries.end(),
                       [](const std::filesystem::path& d) { return fileExists(d / "sys.dic"); });
}

std::string MecabReadingEngine::missing() const
{
    if (available())
        return {};
    return "no Japanese dictionary: install the package mecab-ipadic-utf8";
}

MecabReadingEngine::~MecabReadingEngine()
{
    if (preparing_.joinable())
        preparing_.join();
}

void MecabReadingEngine::prepare()
{
    if (!preparing_.joinable() && !started_.load(std::memory_order_acquire))
        preparing_ = std::thread([this] { start(); });
}

bool MecabReadingEngine::start()
{
    if (started_.load(std::memory_order_acquire))
        return state_ != nullptr;
    std::lock_guard lock(starting_);
    if (!started_.load(std::memory_order_relaxed)) {
        state_ = open();
        started_.store(true, std::memory_order_release);
    }
    return state_ != nullptr;
}

std::unique_ptr<MecabReadingEngine::State> MecabReadingEngine::open() const
{
    for (const auto& dir : paths_.dictionaries) {
        if (!fileExists(dir / "sys.dic"))
            continue;
        auto state = std::make_unique<State>();
        const std::string args = "-r /dev/null -d " + dir.string();
        state->model = MeCab::createModel(args.c_str());
        if (!state->model)
            continue;
        state->tagger = state->model->createTagger();
        state->lattice = state->model->createLattice();
        if (!state->tagger || !state->lattice)
            continue;
        // IPADIC keeps the reading in field 7; UniDic's kana field is 20 and
        // only its newer layouts have it, so an older UniDic is passed over.
        state->lattice->clear();
        state->lattice->set_sentence("東京");
        state->tagger->parse(state->lattice);
        const MeCab::Node* n = state->lattice->bos_node() ? state->lattice->bos_node()->next : nullptr;
        const std::size_t fields = n && n->feature ? splitFeature(n->feature).size() : 0;
        if (fields >= 21)
            state->readingField = 20;
        else if (fields < 8 || dir.string().find("unidic") != std::string::npos)
            continue;
        bool made = false;
        auto table = [&](const std::filesystem::path& source, std::string_view name) -> std::unique_ptr<NameIndex> {
            auto index = NameIndex::open(source, paths_.cacheDir, name).value_or(nullptr);
            made = made || (index && index->madeNow());
            return index;
        };
        if (!paths_.names.empty() && fileExists(paths_.names) && !paths_.cacheDir.empty())
            state->names = table(paths_.names, "names.idx");
        if (!paths_.words.empty() && fileExists(paths_.words) && !paths_.cacheDir.empty())
            state->words = table(paths_.words, "words.idx");
        state->wordsText = paths_.words;
        if (!paths_.kanji.empty())
            state->kanji = KanjiTable::open(paths_.kanji, paths_.kanjiMore);
        if (!paths_.skk.empty() && !paths_.cacheDir.empty()) {
            std::vector<SkkSource> sources;
            for (const auto& [file, kind] : paths_.skk)
                sources.push_back(SkkSource{file, kind});
            bool madeText = false;
            if (const auto text = prepareSkkText(sources, paths_.cacheDir, "skk-names", &madeText))
                state->skk = table(*text, "skk-names.idx");
            made = made || madeText;
        }
        if (!paths_.jinmei.empty() && !paths_.cacheDir.empty()) {
            bool madeText = false;
            if (const auto text = prepareJinmeiText(paths_.jinmei, paths_.cacheDir, "skk-jinmei", &madeText))
                state->jinmei = table(*text, "skk-jinmei.idx");
            made = made || madeText;
        }
        if (state->names && !paths_.names.empty() && !paths_.cacheDir.empty()) {
            bool madeText = false;
            if (const auto text = prepareUsualGivenNames(paths_.names, paths_.cacheDir, "usual-given", &madeText))
                state->usualGiven = table(*text, "usual-given.idx");
            made = made || madeText;
        }
        if (state->names && state->kanji && !paths_.names.empty() && !paths_.cacheDir.empty()) {
            bool madeText = false;
            if (const auto text =
                    prepareGivenParts(paths_.names, paths_.kanji, *state->kanji, paths_.cacheDir, "given-parts", &madeText))
                state->givenParts = GivenParts::open(*text);
            made = made || madeText;
        }
#ifdef __GLIBC__
        // A first use made the tables with memory that is freed now, but
        // between blocks that stay: hand those pages back (it takes tens of
        // milliseconds, so only then).
        if (made)
            ::malloc_trim(0);
#endif
        return state;
    }
    return nullptr;
}

std::vector<String> MecabReadingEngine::read(std::u16string_view run, std::size_t limit)
{
    RunRequest request;
    request.limit = limit;
    return readRun(run, request).readings;
}

RunReading MecabReadingEngine::readRun(std::u16string_view run, const RunRequest& request)
{
    RunReading result;
    if (!start()) {
        result.reason = missing();
        return result;
    }
    if (run.empty() || request.limit == 0)
        return result;
    State& s = *state_;
    s.seenNames.clear();
    s.kind = request.kind;
    const bool settled = request.languageSettled;
    // Old forms MeCab does not know as written are read in today's forms
    // first (佛の顏: 佛 is known, 顏 is not: 佛の顔 ホトケノカオ).
    const String unknownToday = s.todayWhereUnknown(run);
    const String spelt = s.okuriganaInHiragana(s.noWhereUnknown(unknownToday));
    const String written = s.kanaOfToday(spelt);
    Outcome own = s.leaderAndBand(written, request.limit, settled);
    if (own.candidates.empty())
        own = s.nameBeforeKatakana(written, request.limit, settled);
    if (own.candidates.empty())
        own = s.readAsWritten(written, request.limit, settled);
    if (unknownToday != run && !own.candidates.empty())
        own.reason += "; old character forms read as today's";
    if (written != spelt && !own.candidates.empty())
        own.reason += "; kana of the old spelling read as today's";
    const String modern = s.kanji ? s.kanji->modernForms(run) : String(run);
    // A Chinese name left without a reading stays so in today's forms too
    // (張學友 is 張学友), unless those are one word (萬華鏡: 万華鏡).
    Outcome today;
    if (modern != run &&
        (!own.candidates.empty() || settled || !hanOnly(run) || !chineseSurnameFirst(run) || s.oneWord(modern)))
        today = s.readAsWritten(modern, request.limit, settled);
    s.preferTodaysForms(written, modern, own, today);
    // The iteration mark after a character MeCab does not join it to (妖々夢)
    // leaves the run unread: it is read as the character it repeats.
    if (own.candidates.empty() && today.candidates.empty()) {
        const String repeated = withoutIterationMarks(written);
        if (repeated != written) {
            own = s.readAsWritten(repeated, request.limit, settled);
            if (!own.candidates.empty()) {
                own.confidence = Confidence::Check;
                own.reason = "々 read as the character it repeats; " + own.reason;
            }
        }
    }
    Candidates out;
    for (const Outcome* o : {&own, &today})
        for (const auto& [reading, origin] : o->candidates)
            out.add(reading, origin);
    // Readings that keep the kana of the run as read (乃 as の, old kana as
    // today's) first.
    for (auto& [reading, origin] : out.take(written, request.limit))
        result.readings.push_back(std::move(reading));
    if (result.readings.empty()) {
        result.reason = own.chinese.empty() ? "no Japanese reading" : "looks Chinese: " + own.chinese.front();
        return result;
    }
    const Outcome& lead = own.candidates.empty() ? today : own;
    result.confidence = lead.confidence;
    result.reason = lead.reason;
    // A run read although it looks like a Chinese name (the language was
    // settled for it) is at best likely.
    if (!lead.chinese.empty() && result.confidence == Confidence::Sure) {
        result.confidence = Confidence::Likely;
        result.reason += "; looks Chinese: " + lead.chinese.front();
    }
    return result;
}

std::optional<String> MecabReadingEngine::loanword(std::u16string_view english)
{
    std::call_once(loanwordsRead_, [&] { loanwords_ = std::make_unique<Loanwords>(paths_.words); });
    return loanwords_->of(english);
}

std::optional<SpokenWord> MecabReadingEngine::spoken(std::u16string_view word)
{
    std::call_once(soundsRead_, [&] { sounds_ = std::make_unique<EnglishSounds>(paths_.english); });
    if (sounds_->empty())
        return std::nullopt;
    if (std::optional<String> kana = sounds_->of(word))
        return SpokenWord{std::move(*kana), false};
    if (std::optional<String> kana = romajiInKatakana(word))
        return SpokenWord{std::move(*kana), true};
    if (std::optional<String> kana = sounds_->ofTwoWords(word))
        return SpokenWord{std::move(*kana), false};
    return std::nullopt;
}

RunKnowledge MecabReadingEngine::know(std::u16string_view run)
{
    RunKnowledge k;
    if (run.empty() || !start())
        return k;
    State& s = *state_;
    s.seenNames.clear();
    const Look l = s.look(run);
    if (l.paths.empty())
        return k;
    const auto& tokens = l.best().tokens;
    // Names only in Japanese sounds count (周慧敏 is チョウワイマン to MeCab
    // and to the SKK dictionary).
    const auto japaneseFullName = [&](const NameEntry& e) {
        return (e.kinds & kFullName) != 0 && s.composable(run, toUtf16(e.reading));
    };
    const bool fullName = std::any_of(l.exact.begin(), l.exact.end(), japaneseFullName) ||
        std::any_of(l.skk.begin(), l.skk.end(), japaneseFullName);
    const bool mecabName = s.mecabReadsAJapaneseName(l) ||
        (tokens.size() == 1 && tokens[0].personName() && !tokens[0].guessed &&
         s.composable(tokens[0].surface, tokens[0].reading));
    k.wholeName = l.wholeName || fullName || mecabName;
    if (l.wholeName || fullName)
        k.evidence.push_back("the whole name is in the Japanese name dictionary");
    else if (mecabName)
        k.evidence.push_back("MeCab's dictionary reads it as a Japanese person's name");
    const bool mecabWord = tokens.size() == 1 && tokens[0].han && !tokens[0].personName() && !tokens[0].guessed &&
        !tokens[0].reading.empty();
    bool edictWord = false;
    if (s.words) {
        const auto entries = s.words->lookup(l.text);
        edictWord = std::any_of(entries.begin(), entries.end(), [](const NameEntry& e) { return !isForeignEntry(e); });
    }
    k.wholeWord = mecabWord || edictWord;
    if (k.wholeWord)
        k.evidence.push_back("the whole value is a Japanese word");
    for (std::string& sign : s.chineseSigns(l))
        k.evidence.push_back(std::move(sign));
    k.looksChinese = k.evidence.size() > (k.wholeName ? 1u : 0u) + (k.wholeWord ? 1u : 0u);
    return k;
}

} // namespace yomi::reading
