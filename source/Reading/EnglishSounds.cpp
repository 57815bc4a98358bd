#include "Reading/EnglishSounds.h"

#include <algorithm>
#include <array>

namespace yomi::reading {
namespace {

// No word of the lexicon is longer (its longest has 22 letters): a longer
// run of letters is not looked up, nor cut into two at every place.
constexpr std::size_t kLongestWord = 40;

char small(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The word in small ASCII letters (an apostrophe kept); empty when it holds
// anything else.
std::string smallAscii(std::u16string_view word)
{
    std::string out;
    for (const char16_t c : word) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'\'')
            out += small(static_cast<char>(c));
        else if (c >= u'ａ' && c <= u'ｚ')
            out += static_cast<char>(c - u'ａ' + 'a');
        else if (c >= u'Ａ' && c <= u'Ｚ')
            out += static_cast<char>(c - u'Ａ' + 'a');
        else
            return {};
    }
    return out;
}

int compareSmall(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = small(a[i]), y = small(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The vowel columns of katakana: a, i, u, e, o.
enum Column { A, I, U, E, O };

// Each consonant's kana before the five vowels; the glides y and w and a
// vowel with no consonant before it have rows of their own.
struct Row {
    std::string_view phone;
    std::array<std::u16string_view, 5> kana;
    std::u16string_view alone; // said with no vowel after it
};

constexpr Row kRows[] = {
    {"", {u"ア", u"イ", u"ウ", u"エ", u"オ"}, u""},
    {"k", {u"カ", u"キ", u"ク", u"ケ", u"コ"}, u"ク"},
    {"g", {u"ガ", u"ギ", u"グ", u"ゲ", u"ゴ"}, u"グ"},
    {"s", {u"サ", u"シ", u"ス", u"セ", u"ソ"}, u"ス"},
    {"z", {u"ザ", u"ジ", u"ズ", u"ゼ", u"ゾ"}, u"ズ"},
    {"th", {u"サ", u"シ", u"ス", u"セ", u"ソ"}, u"ス"},
    {"dh", {u"ザ", u"ジ", u"ズ", u"ゼ", u"ゾ"}, u"ズ"},
    {"sh", {u"シャ", u"シ", u"シュ", u"シェ", u"ショ"}, u"シュ"},
    {"zh", {u"ジャ", u"ジ", u"ジュ", u"ジェ", u"ジョ"}, u"ジュ"},
    {"ch", {u"チャ", u"チ", u"チュ", u"チェ", u"チョ"}, u"チ"},
    {"jh", {u"ジャ", u"ジ", u"ジュ", u"ジェ", u"ジョ"}, u"ジ"},
    {"t", {u"タ", u"ティ", u"トゥ", u"テ", u"ト"}, u"ト"},
    {"d", {u"ダ", u"ディ", u"ドゥ", u"デ", u"ド"}, u"ド"},
    {"n", {u"ナ", u"ニ", u"ヌ", u"ネ", u"ノ"}, u"ン"},
    {"m", {u"マ", u"ミ", u"ム", u"メ", u"モ"}, u"ム"},
    {"ng", {u"ンガ", u"ンギ", u"ング", u"ンゲ", u"ンゴ"}, u"ング"},
    {"hh", {u"ハ", u"ヒ", u"フ", u"ヘ", u"ホ"}, u"フ"},
    {"f", {u"ファ", u"フィ", u"フ", u"フェ", u"フォ"}, u"フ"},
    {"v", {u"バ", u"ビ", u"ブ", u"ベ", u"ボ"}, u"ブ"},
    {"p", {u"パ", u"ピ", u"プ", u"ペ", u"ポ"}, u"プ"},
    {"b", {u"バ", u"ビ", u"ブ", u"ベ", u"ボ"}, u"ブ"},
    {"r", {u"ラ", u"リ", u"ル", u"レ", u"ロ"}, u""},
    {"l", {u"ラ", u"リ", u"ル", u"レ", u"ロ"}, u"ル"},
    {"w", {u"ワ", u"ウィ", u"ウ", u"ウェ", u"ウォ"}, u"ウ"},
    {"y", {u"ヤ", u"イ", u"ユ", u"イェ", u"ヨ"}, u"イ"},
};

const Row* rowOf(std::string_view phone)
{
    for (const Row& r : kRows)
        if (r.phone == phone)
            return &r;
    return nullptr;
}

bool shortVowel(std::string_view v)
{
    return v == "ae" || v == "ah" || v == "aa" || v == "eh" || v == "ih" || v == "uh" || v == "ax";
}

bool isVowelLetter(char c) { return std::string_view("aeiouy").find(c) != std::string_view::npos; }

// The runs of vowel letters of the spelling (y a vowel but before one at
// the word's start), each as its first index and its letters.
std::vector<std::string_view> vowelGroups(std::string_view spelling)
{
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < spelling.size();) {
        const bool glide = spelling[i] == 'y' && i + 1 < spelling.size() && isVowelLetter(spelling[i + 1]) &&
            (i == 0 || !isVowelLetter(spelling[i - 1]));
        if (!isVowelLetter(spelling[i]) || glide) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < spelling.size() && isVowelLetter(spelling[end]) && spelling[end] != 'y')
            ++end;
        out.push_back(spelling.substr(i, end - i));
        i = end;
    }
    return out;
}

// Whether a vowel sound is commonly spelt beginning with the letter.
bool spelt(std::string_view vowel, char letter)
{
    static constexpr std::pair<std::string_view, std::string_view> kSpellings[] = {
        {"aa", "oa"}, {"ae", "a"},  {"ah", "uoa"}, {"ao", "oa"},  {"aw", "oa"},  {"ax", "aeiouy"},
        {"ay", "iyea"}, {"eh", "ea"}, {"er", "eiuoay"}, {"ey", "ae"}, {"ih", "iye"}, {"iy", "eiy"},
        {"ow", "o"},  {"oy", "o"},  {"uh", "ou"},  {"uw", "oue"}};
    for (const auto& [v, letters] : kSpellings)
        if (v == vowel)
            return letters.find(letter) != std::string_view::npos;
    return false;
}

// The spelling's vowel group of each vowel sound (empty for a sound no
// group spells: the syllable of an m or l, rhythm, prism): the sounds matched
// in order to groups their letters may spell, groups left out as silent
// (the e of dopeness) where that matches more; of equal matchings the one
// that leaves earlier groups out.
std::vector<std::string_view> alignVowels(const std::vector<Phone>& phones, std::string_view spelling)
{
    std::vector<std::string_view> vowels;
    for (const Phone& p : phones)
        if (p.vowel())
            vowels.push_back(p.name);
    std::vector<std::string_view> groups = vowelGroups(spelling);
    // A final e is silent (dope, active) unless every group is needed; after
    // a consonant and l it always is (idle: the l is a syllable of its own).
    const bool syllabicL = spelling.size() > 2 && spelling.ends_with("le") && !isVowelLetter(spelling[spelling.size() - 3]);
    if ((groups.size() > vowels.size() || syllabicL) && spelling.ends_with('e') && !groups.empty() && groups.back() == "e")
        groups.pop_back();
    const std::size_t n = vowels.size(), m = groups.size();
    // best[i][j]: the best score of vowels i.. with groups j..: 2 for a
    // sound a group may spell, 0 for one it may not, -1 for a sound left
    // without a group.
    std::vector<std::vector<int>> best(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        best[i][m] = best[i + 1][m] - 1;
    const auto assign = [&](std::size_t i, std::size_t j) {
        return (spelt(vowels[i], groups[j].front()) ? 2 : 0) + best[i + 1][j + 1];
    };
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            best[i][j] = std::max({assign(i, j), best[i][j + 1], best[i + 1][j] - 1});
    std::vector<std::string_view> out(n);
    for (std::size_t i = 0, j = 0; i < n;) {
        if (j == m) {
            ++i;
            continue;
        }
        const int here = best[i][j];
        if (best[i][j + 1] == here) {
            ++j;
        } else if (assign(i, j) == here) {
            out[i++] = groups[j++];
        } else {
            ++i;
        }
    }
    return out;
}

// The column a weak vowel (a schwa) is said in, by the letter that spells
// it, of two or more the last (asia アジア, nation ネイション, famous): a and u
// as a (album アルバム), i and y as i, e as e, o as o.
Column weakColumn(std::string_view group)
{
    // No letter spells it: the syllable of a consonant (prism: the m's),
    // said with u.
    if (group.empty())
        return U;
    switch (group.back()) {
    case 'e':
        return E;
    case 'i':
    case 'y':
        return I;
    case 'o':
        return O;
    default:
        return A;
    }
}

// A vowel sound's column and what follows it (a long mark, a second vowel).
struct Vowel {
    Column column;
    std::u16string_view tail;
};

Vowel vowelOf(const std::vector<Phone>& phones, std::size_t at, std::string_view group)
{
    const Phone& v = phones[at];
    const std::string_view n = v.name;
    const bool last = at + 1 == phones.size();
    // The consonant after the vowel in its own syllable (corn: the r), not
    // one that begins the next (category: the r of -ry).
    const std::string_view coda =
        !last && !phones[at + 1].vowel() && (at + 2 == phones.size() || !phones[at + 2].vowel()) ? phones[at + 1].name
                                                                                                 : std::string_view();
    if (n == "aa")
        return {group.starts_with('o') ? O : A, u""};
    if (n == "ae" || n == "ah")
        return {A, u""};
    if (n == "ax")
        return {weakColumn(group), u""};
    if (n == "ao") {
        // Long where an a spells it or an r or l ends its syllable (fall,
        // talk, corn), short as an o before other sounds (long ロング, soft
        // ソフト, category).
        const bool lengthened = (!group.starts_with('o') && v.stress > 0) || coda == "r" || coda == "l";
        return {O, lengthened ? u"ー" : u""};
    }
    if (n == "aw")
        return {A, u"ウ"};
    if (n == "ay")
        return {A, u"イ"};
    if (n == "eh")
        return {E, u""};
    if (n == "er")
        return {A, u"ー"};
    if (n == "ey")
        return {E, u"イ"};
    if (n == "ih")
        return {v.stress == 0 && group.starts_with('e') ? E : I, u""};
    if (n == "iy") {
        // Long where stressed, at the end or before a last s or z (memories
        // メモリーズ), short inside a word (happiness ハッピネス).
        const bool beforeLastS = at + 2 == phones.size() && (phones[at + 1].name == "z" || phones[at + 1].name == "s");
        return {I, v.stress > 0 || last || beforeLastS ? u"ー" : u""};
    }
    if (n == "ow")
        // Long where stressed or at the end (dope ドープ, hello ハロー), short
        // where weak inside a word (hostess ホステス).
        return {O, v.stress > 0 || last ? u"ー" : u""};
    if (n == "oy")
        return {O, u"イ"};
    if (n == "uh")
        return {U, u""};
    if (n == "uw")
        return {U, u"ー"};
    return {A, u""};
}

// The small kana that a consonant's i-form takes before a vowel after y
// (mew: ミ and ュ).
std::u16string_view smallGlide(Column c)
{
    switch (c) {
    case A:
        return u"ャ";
    case U:
        return u"ュ";
    case E:
        return u"ェ";
    case O:
        return u"ョ";
    case I:
        break;
    }
    return u"";
}

} // namespace

EnglishSounds::EnglishSounds(const std::filesystem::path& lexicon) : text_(lexicon)
{
    const std::string_view t = text_.text();
    if (t.size() >= UINT32_MAX)
        return;
    for (std::size_t at = 0; at < t.size();) {
        std::size_t end = t.find('\n', at);
        if (end == std::string_view::npos)
            end = t.size();
        if (t.substr(at, 2) == "(\"" && t.find('"', at + 2) < end)
            entries_.push_back(static_cast<std::uint32_t>(at));
        at = end + 1;
    }
    // Stable: of a word's several entries the lexicon's first stays first.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return compareSmall(wordAt(a), wordAt(b)) < 0; });
    // A word is looked up in a few pages of the text: the rest need not
    // stay resident.
    text_.release();
}

std::string_view EnglishSounds::wordAt(std::uint32_t offset) const
{
    const std::string_view t = text_.text();
    const std::size_t close = t.find('"', offset + 2);
    return t.substr(offset + 2, close - offset - 2);
}

std::optional<std::vector<Phone>> EnglishSounds::phones(std::u16string_view word) const
{
    if (word.size() > kLongestWord)
        return std::nullopt;
    const std::string key = smallAscii(word);
    if (key.empty() || entries_.empty())
        return std::nullopt;
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [&](std::uint32_t e, const std::string& k) {
        return compareSmall(wordAt(e), k) < 0;
    });
    if (it == entries_.end() || compareSmall(wordAt(*it), key) != 0)
        return std::nullopt;
    const std::string_view t = text_.text();
    std::size_t end = t.find('\n', *it);
    if (end == std::string_view::npos)
        end = t.size();
    const std::string_view line = t.substr(*it, end - *it);
    // After the word and its part of speech, the syllables: ((phones) stress).
    std::vector<Phone> out;
    std::size_t at = line.find('"', 2) + 1;
    while ((at = line.find('(', at)) != std::string_view::npos) {
        ++at;
        if (at >= line.size() || line[at] < 'a' || line[at] > 'z')
            continue;
        const std::size_t close = line.find(')', at);
        if (close == std::string_view::npos || close + 2 >= line.size())
            return std::nullopt;
        const int stress = line[close + 2] >= '0' && line[close + 2] <= '9' ? line[close + 2] - '0' : 0;
        std::string_view syllable = line.substr(at, close - at);
        while (!syllable.empty()) {
            const std::size_t space = syllable.find(' ');
            const std::string_view name = syllable.substr(0, space);
            if (!name.empty()) {
                const bool vowel = rowOf(name) == nullptr;
                out.push_back(Phone{std::string(name), vowel ? stress : -1});
            }
            if (space == std::string_view::npos)
                break;
            syllable.remove_prefix(space + 1);
        }
        at = close + 1;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

std::optional<String> EnglishSounds::of(std::u16string_view word) const
{
    const std::optional<std::vector<Phone>> sounds = phones(word);
    if (!sounds)
        return std::nullopt;
    String kana = soundsInKatakana(*sounds, smallAscii(word));
    if (kana.empty())
        return std::nullopt;
    return kana;
}

std::optional<String> EnglishSounds::ofTwoWords(std::u16string_view word) const
{
    if (word.size() > 2 * kLongestWord)
        return std::nullopt;
    // The longest first word first; each of three letters or more.
    constexpr std::size_t shortest = 3;
    for (std::size_t cut = word.size() >= shortest ? word.size() - shortest : 0; cut >= shortest; --cut) {
        const std::optional<String> first = of(word.substr(0, cut));
        if (!first)
            continue;
        if (const std::optional<String> second = of(word.substr(cut)))
            return *first + *second;
    }
    return std::nullopt;
}

namespace {

// Writes a word's sounds in katakana a syllable at a time: a vowel alone, a
// consonant and the vowel after it, or a consonant that ends a syllable.
class KatakanaWriter {
public:
    KatakanaWriter(const std::vector<Phone>& input, std::string_view spelling) : spelling_(spelling)
    {
        // An r-coloured vowel before another vowel is a weak vowel and an r
        // that begins the next syllable (memory: メモリー).
        for (std::size_t k = 0; k < input.size(); ++k) {
            phones_.push_back(input[k]);
            if (input[k].name == "er" && k + 1 < input.size() && input[k + 1].vowel() && input[k].stress == 0) {
                phones_.back().name = "ax";
                phones_.push_back(Phone{"r", -1});
            }
        }
        // Each vowel's spelling, for the vowels said weakly.
        groups_ = alignVowels(phones_, spelling_);
    }

    String write()
    {
        for (std::size_t k = 0; k < phones_.size(); ++k) {
            if (phones_[k].vowel())
                vowelAlone(k);
            else if (const Row* row = rowOf(phones_[k].name))
                k += consonant(k, *row);
        }
        return out_;
    }

private:
    std::string_view nextName(std::size_t k) const
    {
        return k + 1 < phones_.size() ? std::string_view(phones_[k + 1].name) : std::string_view();
    }
    bool isVowelAt(std::size_t k) const { return k < phones_.size() && phones_[k].vowel(); }
    bool afterShortVowel(std::size_t k) const
    {
        return k > 0 && phones_[k - 1].vowel() && shortVowel(phones_[k - 1].name);
    }

    // The vowel sound at `at`, the next of the word's: its column and what
    // follows it; it becomes the last vowel written.
    Vowel takeVowel(std::size_t at)
    {
        const std::string_view group = vowelIndex_ < groups_.size() ? groups_[vowelIndex_] : std::string_view();
        ++vowelIndex_;
        lastVowel_ = phones_[at].name;
        lastGroup_ = group;
        return vowelOf(phones_, at, group);
    }

    // Whether the letters after the last vowel double the consonant in
    // Japanese: pp, ck, tch and dg, sh and ss said sh (happy ハッピー,
    // locker ロッカー, kitchen キッチン, fashion ファッション).
    bool spelledDouble(std::string_view phone) const
    {
        if (lastGroup_.empty())
            return false;
        const std::size_t at = static_cast<std::size_t>(lastGroup_.data() - spelling_.data()) + lastGroup_.size();
        const std::string_view after = spelling_.substr(std::min(at, spelling_.size()));
        if (phone == "p")
            return after.starts_with("pp");
        if (phone == "k")
            return after.starts_with("ck");
        if (phone == "ch")
            return after.starts_with("tch");
        if (phone == "jh")
            return after.starts_with("dg");
        if (phone == "sh")
            return after.starts_with("sh") || after.starts_with("ss");
        return false;
    }

    // A vowel with no consonant before it. After aw an r-coloured vowel is
    // said ワー (power パワー), after ay, oy or iy ア (desire デザイア).
    void vowelAlone(std::size_t k)
    {
        const std::string_view before = lastVowel_;
        const Vowel v = takeVowel(k);
        if (phones_[k].name == "er" && before == "aw") {
            if (!out_.empty() && out_.back() == u'ウ')
                out_.pop_back();
            out_ += u"ワー";
        } else if (phones_[k].name == "er" && (before == "ay" || before == "oy" || before == "iy")) {
            out_ += u"ア";
        } else {
            out_ += kRows[0].kana[v.column];
            out_ += v.tail;
        }
    }

    // The consonant at `k` with what it takes after it; how many phones
    // after it that took.
    std::size_t consonant(std::size_t k, const Row& row)
    {
        const Phone& p = phones_[k];
        const bool glide = p.name != "y" && p.name != "w" && isVowelAt(k + 2);
        // Before y and a vowel: its i-form and a small kana (mew ミュー);
        // a weak vowel after y is u (formula フォーミュラ).
        if (glide && nextName(k) == "y") {
            Vowel v = takeVowel(k + 2);
            if (phones_[k + 2].name == "ax")
                v.column = U;
            out_ += row.kana[I];
            out_ += smallGlide(v.column);
            out_ += v.tail;
            return 2;
        }
        // Before w and a vowel: the consonant with u, the vowel plain (queen
        // クイーン, sweet スイート).
        if (glide && nextName(k) == "w") {
            out_ += row.kana[U];
            const Vowel v = takeVowel(k + 2);
            out_ += v.column == A ? u"ワ" : kRows[0].kana[v.column];
            out_ += v.tail;
            return 2;
        }
        if (isVowelAt(k + 1)) {
            if (afterShortVowel(k) && spelledDouble(p.name))
                out_ += u'ッ';
            const Phone& vowel = phones_[k + 1];
            Vowel v = takeVowel(k + 1);
            // A stressed a after k or g is キャ, ギャ (cabin キャビン, gap
            // ギャップ); t and d said with u where no letter spells the vowel
            // are ト and ド (idle アイドル).
            if (vowel.name == "ae" && vowel.stress == 1 && (p.name == "k" || p.name == "g")) {
                out_ += row.kana[I];
                out_ += u'ャ';
            } else {
                if (v.column == U && vowel.name == "ax" && lastGroup_.empty() && (p.name == "t" || p.name == "d"))
                    v.column = O;
                out_ += row.kana[v.column];
            }
            out_ += v.tail;
            return 1;
        }
        return coda(k, row);
    }

    // A consonant that ends a syllable; how many phones after it it took.
    std::size_t coda(std::size_t k, const Row& row)
    {
        const Phone& p = phones_[k];
        // An r after a vowel lengthens it (car カー) or is said ア after a
        // front vowel (care ケア).
        if (p.name == "r") {
            if (out_.empty() || out_.back() == u'ー' || out_.back() == u'ア' || lastVowel_.empty())
                return 0;
            const bool front = lastVowel_ == "ih" || lastVowel_ == "eh" || lastVowel_ == "ey" || lastVowel_ == "uh" ||
                lastVowel_ == "ay" || lastVowel_ == "aw";
            out_ += front ? u"ア" : u"ー";
            return 0;
        }
        const std::string_view next = nextName(k);
        // A stop after a short vowel at the word's end (an s after it
        // aside) is doubled (rock ロック, good グッド, hits ヒッツ); inside a
        // word it is not (doctor ドクター, napkin ナプキン).
        const bool stop = p.name == "p" || p.name == "t" || p.name == "k" || p.name == "ch" || p.name == "sh" ||
            p.name == "d" || p.name == "g";
        const bool last = k + 1 == phones_.size() || (k + 2 == phones_.size() && (next == "s" || next == "z"));
        if (stop && (last || spelledDouble(p.name)) && afterShortVowel(k))
            out_ += u'ッ';
        // t and s together are ツ, d and z ズ (hits ヒッツ, goods グッズ).
        if (((p.name == "t" && next == "s") || (p.name == "d" && next == "z")) && !isVowelAt(k + 2)) {
            out_ += p.name == "t" ? u'ツ' : u'ズ';
            return 1;
        }
        // m before p or b and ng before k or g are ン (number ナンバー,
        // think シンク).
        if ((p.name == "m" && (next == "p" || next == "b")) || (p.name == "ng" && (next == "k" || next == "g")))
            out_ += u'ン';
        else
            out_ += row.alone;
        return 0;
    }

    std::vector<Phone> phones_;
    std::string_view spelling_;
    std::vector<std::string_view> groups_;
    String out_;
    std::size_t vowelIndex_ = 0;
    std::string_view lastVowel_;
    std::string_view lastGroup_; // the spelling of the last vowel sound
};

} // namespace

String soundsInKatakana(const std::vector<Phone>& phones, std::string_view spelling)
{
    return KatakanaWriter(phones, spelling).write();
}

std::optional<String> romajiInKatakana(std::u16string_view word)
{
    const std::string w = smallAscii(word);
    if (w.empty() || w.find('\'') != std::string::npos)
        return std::nullopt;
    // The syllables of romaji, longest first where one begins another.
    static constexpr std::pair<std::string_view, std::u16string_view> kSyllables[] = {
        {"kya", u"キャ"}, {"kyu", u"キュ"}, {"kyo", u"キョ"}, {"gya", u"ギャ"}, {"gyu", u"ギュ"}, {"gyo", u"ギョ"},
        {"sha", u"シャ"}, {"shu", u"シュ"}, {"sho", u"ショ"}, {"shi", u"シ"},  {"she", u"シェ"}, {"cha", u"チャ"},
        {"chu", u"チュ"}, {"cho", u"チョ"}, {"chi", u"チ"},  {"che", u"チェ"}, {"tsu", u"ツ"},  {"nya", u"ニャ"},
        {"nyu", u"ニュ"}, {"nyo", u"ニョ"}, {"hya", u"ヒャ"}, {"hyu", u"ヒュ"}, {"hyo", u"ヒョ"}, {"mya", u"ミャ"},
        {"myu", u"ミュ"}, {"myo", u"ミョ"}, {"rya", u"リャ"}, {"ryu", u"リュ"}, {"ryo", u"リョ"}, {"bya", u"ビャ"},
        {"byu", u"ビュ"}, {"byo", u"ビョ"}, {"pya", u"ピャ"}, {"pyu", u"ピュ"}, {"pyo", u"ピョ"}, {"ja", u"ジャ"},
        {"ju", u"ジュ"},  {"jo", u"ジョ"},  {"ji", u"ジ"},   {"je", u"ジェ"},  {"fu", u"フ"},   {"ka", u"カ"},
        {"ki", u"キ"},    {"ku", u"ク"},    {"ke", u"ケ"},   {"ko", u"コ"},   {"ga", u"ガ"},   {"gi", u"ギ"},
        {"gu", u"グ"},    {"ge", u"ゲ"},    {"go", u"ゴ"},   {"sa", u"サ"},   {"su", u"ス"},   {"se", u"セ"},
        {"so", u"ソ"},    {"za", u"ザ"},    {"zu", u"ズ"},   {"ze", u"ゼ"},   {"zo", u"ゾ"},   {"ta", u"タ"},
        {"te", u"テ"},    {"to", u"ト"},    {"da", u"ダ"},   {"de", u"デ"},   {"do", u"ド"},   {"na", u"ナ"},
        {"ni", u"ニ"},    {"nu", u"ヌ"},    {"ne", u"ネ"},   {"no", u"ノ"},   {"ha", u"ハ"},   {"hi", u"ヒ"},
        {"he", u"ヘ"},    {"ho", u"ホ"},    {"ba", u"バ"},   {"bi", u"ビ"},   {"bu", u"ブ"},   {"be", u"ベ"},
        {"bo", u"ボ"},    {"pa", u"パ"},    {"pi", u"ピ"},   {"pu", u"プ"},   {"pe", u"ペ"},   {"po", u"ポ"},
        {"ma", u"マ"},    {"mi", u"ミ"},    {"mu", u"ム"},   {"me", u"メ"},   {"mo", u"モ"},   {"ya", u"ヤ"},
        {"yu", u"ユ"},    {"yo", u"ヨ"},    {"ra", u"ラ"},   {"ri", u"リ"},   {"ru", u"ル"},   {"re", u"レ"},
        {"ro", u"ロ"},    {"wa", u"ワ"},    {"wo", u"ヲ"},   {"a", u"ア"},    {"i", u"イ"},    {"u", u"ウ"},
        {"e", u"エ"},     {"o", u"オ"}};
    String out;
    std::size_t syllables = 0;
    for (std::size_t i = 0; i < w.size();) {
        const std::string_view rest = std::string_view(w).substr(i);
        // A doubled consonant (kk, tt, tch) is ッ.
        if (rest.size() > 1 && rest[0] != 'n' && !isVowelLetter(rest[0]) &&
            (rest[1] == rest[0] || (rest[0] == 't' && rest[1] == 'c'))) {
            out += u'ッ';
            ++i;
            continue;
        }
        bool found = false;
        for (const auto& [latin, kana] : kSyllables)
            if (rest.starts_with(latin)) {
                out += kana;
                i += latin.size();
                ++syllables;
                found = true;
                break;
            }
        if (found)
            continue;
        // n with no vowel after it is ン.
        if (rest[0] == 'n') {
            out += u'ン';
            ++i;
            continue;
        }
        return std::nullopt;
    }
    if (syllables == 0)
        return std::nullopt;
    return out;
}

} // namespace yomi::reading
