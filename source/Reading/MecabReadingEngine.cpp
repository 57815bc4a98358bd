#include "Reading/MecabReadingEngine.h"

#include <mecab.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "Platform/Paths.h"
#include "Reading/KanjiTable.h"
#include "Reading/NameIndex.h"
#include "Reading/SkkDictionary.h"

namespace yomi::reading {
namespace {

constexpr std::size_t kBestPaths = 3;
constexpr std::size_t kLongestName = 8; // code units; longer runs are not split into names
constexpr std::size_t kReadingsPerPart = 3;
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

// The name dictionary writes readings of Han characters in hiragana; a
// prolonged-sound mark in one is the transcription of a foreign name.
bool isForeignNameReading(std::u16string_view reading)
{
    return isForeignReading(reading) || reading.find(u'ー') != std::u16string_view::npos;
}

// An entry of the name dictionary that transcribes a foreign name.
bool isForeignEntry(const NameEntry& e) { return (e.kinds & kTranscribed) || isForeignNameReading(toUtf16(e.reading)); }

struct Token {
    String surface;
    String reading; // katakana; empty when the dictionary has none
    std::string pos0, pos1, pos2, pos3;
    bool han = false;
    // MeCab did not know the word: its reading is made of its characters'
    // on readings.
    bool guessed = false;
    bool personName() const { return pos1 == "固有名詞" && pos2 == "人名"; }
    bool surname() const { return personName() && pos3 == "姓"; }
    bool givenName() const { return personName() && pos3 == "名"; }
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

// Candidates in order, each once (readings that differ only in their word
// spaces are one). Readings that change the kana written in the run go after
// those that keep it.
class Candidates {
public:
    void add(String reading)
    {
        String joined;
        for (const char16_t c : reading)
            if (c != u' ')
                joined += c;
        if (!joined.empty() && seen_.insert(joined).second)
            list_.push_back(std::move(reading));
    }
    std::size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }
    std::vector<String> take(std::u16string_view run, std::size_t limit)
    {
        std::stable_partition(list_.begin(), list_.end(), [&](const String& r) { return keepsKana(run, r); });
        if (list_.size() > limit)
            list_.resize(limit);
        return std::move(list_);
    }

private:
    // Whether every stretch of kana of the run is in the reading, in order.
    static bool keepsKana(std::u16string_view run, const String& reading)
    {
        String joined;
        for (const char16_t c : reading)
            if (c != u' ')
                joined += c;
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

    std::vector<String> list_;
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
    if ((c >= u'カ' && c <= u'チ' && (c - u'カ') % 2 == 0) || c == u'ツ' || c == u'テ' || c == u'ト')
        return static_cast<char16_t>(c + 1);
    if (c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0)
        return static_cast<char16_t>(c + 1);
    return 0;
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
// its parts), or empty when it has none that is not a foreign name's.
String closestReading(const NameIndex& index, const String& surface, const String& joined)
{
    String reading;
    std::size_t closest = 0;
    for (const NameEntry& e : index.lookup(toUtf8(surface))) {
        String r = toUtf16(e.reading);
        const std::size_t d = distance(r, joined);
        if (!isForeignEntry(e) && (reading.empty() || d < closest)) {
            reading = std::move(r);
            closest = d;
        }
    }
    return reading;
}

// Readings that song titles give words (本気: マジ, 宇宙: ソラ, 故郷: フルサト).
// A song (詩, 唄) at the end of a title after の is read ウタ first (防人の詩);
// with `first` set only those are added, else every other such reading.
void addTitleReadings(const Path& path, Candidates& out, bool first)
{
    static const std::pair<std::u16string_view, std::u16string_view> readings[] = {
        {u"詩", u"ウタ"},       {u"唄", u"ウタ"},   {u"女", u"ヒト"},     {u"宇宙", u"ソラ"}, {u"宙", u"ソラ"},
        {u"地球", u"ホシ"},     {u"本気", u"マジ"}, {u"運命", u"サダメ"}, {u"未来", u"アス"}, {u"明日", u"アス"},
        {u"時代", u"トキ"},     {u"瞬間", u"トキ"}, {u"永遠", u"トワ"},   {u"理由", u"ワケ"}, {u"強敵", u"トモ"},
        {u"故郷", u"フルサト"}, {u"心", u"ココロ"}, {u"刻", u"トキ"},     {u"夜", u"ヨ"},     {u"人", u"ヒト"}};
    for (std::size_t j = 0; j < path.tokens.size(); ++j) {
        const Token& t = path.tokens[j];
        if (!t.han || t.personName())
            continue;
        for (const auto& [surface, reading] : readings) {
            if (t.surface != surface || t.reading == reading)
                continue;
            const bool song = (surface == u"詩" || surface == u"唄") && j + 1 == path.tokens.size() && j > 0 &&
                path.tokens[j - 1].surface == u"の";
            if (song != first)
                continue;
            Path variant = path;
            variant.tokens[j].reading = String(reading);
            out.add(variant.words());
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
        if (!head || t.pos0 != "名詞" || !t.han || t.personName() || before.personName() || t.reading.empty() ||
            before.reading.empty())
            continue;
        if (const char16_t v = voiced(t.reading.front())) {
            Path variant = path;
            variant.tokens[j].reading.front() = v;
            out.add(variant.words());
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
            out.add(variant.words());
        }
        // A number ending in ン voices a counter of the ハ row, or makes it
        // パ (サン and フン: サンプン; サン and ホン: サンボン).
        if (before.pos1 == "数" && last == u'ン' && first >= u'ハ' && first <= u'ホ' && (first - u'ハ') % 3 == 0) {
            Path variant = path;
            variant.tokens[j].reading.front() = static_cast<char16_t>(first + 2);
            out.add(variant.words());
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

bool hanOnly(std::u16string_view text)
{
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char16_t c) { return isKanaCharacter(c); });
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
        if (node->stat != MECAB_UNK_NODE && fields.size() > readingField && fields[readingField] != "*")
            t.reading = toKatakana(toUtf16(fields[readingField]));
        // Symbols MeCab "reads" as themselves (仝, 々) have no reading.
        if (!t.reading.empty() && !isKanaOnly(t.reading))
            t.reading.clear();
        if (t.reading.empty() && isKanaOnly(t.surface))
            t.reading = toKatakana(t.surface);
        if (t.reading.empty() && t.han && kanji) {
            t.reading = onReadings(t.surface);
            t.guessed = !t.reading.empty();
        }
        return t;
    }

    // Whether `reading` is made of readings of the characters of `surface`
    // in order (a later one may be voiced, a final ツ, チ, キ or ク doubled
    // as ッ, a long vowel shortened), kana standing for themselves. True when
    // a character is not in the character dictionary: nothing can be said.
    bool composable(std::u16string_view surface, std::u16string_view reading) const
    {
        if (!kanji)
            return true;
        std::vector<bool> reach(reading.size() + 1, false);
        reach[0] = true;
        for (std::size_t i = 0; i < surface.size(); ++i) {
            std::vector<String> parts;
            if (isKanaCharacter(surface[i]))
                parts.push_back(toKatakana(surface.substr(i, 1)));
            else if (kanji->readings(surface[i]).empty())
                return true;
            else
                parts = kanji->readings(surface[i]);
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

    // Every character read by its first on reading (kana as they are); empty
    // when one has none.
    String onReadings(std::u16string_view text) const
    {
        String out;
        for (const char16_t c : text) {
            if (isKanaCharacter(c)) {
                out += toKatakana(std::u16string_view(&c, 1));
                continue;
            }
            const String on = kanji ? kanji->onReading(c) : String();
            if (on.empty())
                return {};
            out += on;
        }
        return out;
    }

    std::vector<Path> parse(const std::string& text, std::size_t paths, long boundary = -1)
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
            }
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
    std::vector<String> nameReadings(std::u16string_view part, unsigned kinds, const String& preferred)
    {
        std::vector<String> out;
        if (isKanaOnly(part)) {
            out.push_back(toKatakana(part));
            return out;
        }
        if (!names)
            return out;
        const bool checkForeign = hanOnly(part);
        for (const NameEntry& e : nameEntries(toUtf8(part)))
            if ((e.kinds & kinds) && !(checkForeign && isForeignEntry(e)))
                out.push_back(toUtf16(e.reading));
        if ((kinds & kGiven) && out.size() > 1)
            rankByParts(part, out);
        if (!preferred.empty()) {
            if (auto it = std::find(out.begin(), out.end(), preferred); it != out.end())
                std::rotate(out.begin(), it, it + 1);
        }
        if (out.size() > kReadingsPerPart)
            out.resize(kReadingsPerPart);
        return out;
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
                bool fits = true;
                for (std::size_t k = i; k < end; ++k) {
                    const Token& t = merged.tokens[k];
                    surface += t.surface;
                    joined += t.reading;
                    fits = fits && t.han && !t.personName() && !t.reading.empty();
                }
                if (!fits)
                    continue;
                const String reading = closestReading(*words, surface, joined);
                if (reading.empty())
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
    void otherWordReadings(const Path& best, Candidates& out)
    {
        if (!words)
            return;
        for (std::size_t j = 0; j < best.tokens.size(); ++j) {
            const Token& t = best.tokens[j];
            if (!t.han || t.surface.size() < 2 || t.personName() || t.reading.empty())
                continue;
            for (const NameEntry& e : words->lookup(toUtf8(t.surface))) {
                if (isForeignEntry(e))
                    continue;
                Path variant = best;
                variant.tokens[j].reading = toUtf16(e.reading);
                out.add(variant.words());
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
                                nameReadings(giv, kGiven | kUnclassified, after)});
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
    for (const auto& [file, kind] : {std::pair{"fullname", "h"}, std::pair{"okinawa", "o"}})
        p.skk.emplace_back(std::filesystem::path("/usr/share/skk") / (std::string("SKK-JISYO.") + file), kind);
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
        if (!paths_.names.empty() && fileExists(paths_.names) && !paths_.cacheDir.empty())
            state->names = NameIndex::open(paths_.names, paths_.cacheDir).value_or(nullptr);
        if (!paths_.words.empty() && fileExists(paths_.words) && !paths_.cacheDir.empty())
            state->words = NameIndex::open(paths_.words, paths_.cacheDir, "words.idx").value_or(nullptr);
        if (!paths_.kanji.empty())
            state->kanji = KanjiTable::open(paths_.kanji);
        if (!paths_.skk.empty() && !paths_.cacheDir.empty()) {
            std::vector<SkkSource> sources;
            for (const auto& [file, kind] : paths_.skk)
                sources.push_back(SkkSource{file, kind});
            if (const auto text = prepareSkkText(sources, paths_.cacheDir, "skk-names"))
                state->skk = NameIndex::open(*text, paths_.cacheDir, "skk-names.idx").value_or(nullptr);
        }
        return state;
    }
    return nullptr;
}

std::vector<String> MecabReadingEngine::read(std::u16string_view run, std::size_t limit)
{
    if (!start() || run.empty() || limit == 0)
        return {};
    State& s = *state_;
    s.seenNames.clear();
    std::vector<String> own = readAsWritten(run, limit);
    const String modern = s.kanji ? s.kanji->modernForms(run) : String(run);
    // A Chinese name left without a reading stays so in today's forms too
    // (張學友 is 張学友).
    if (modern == run || (own.empty() && hanOnly(run) && chineseSurnameFirst(run)))
        return own;
    // Old forms (團, 國, 氣) are read as the forms in use today. Their
    // readings come first when MeCab knows the value better in today's forms
    // (fewer words, none it does not know); names that keep an old form
    // (龍) are read as written first.
    std::vector<String> today = readAsWritten(modern, limit);
    const auto known = [&](std::u16string_view text, std::size_t& words) {
        const std::vector<Path> p = s.parse(toUtf8(text), 1);
        words = p.empty() ? 0 : p.front().tokens.size();
        return !p.empty() && std::none_of(p.front().tokens.begin(), p.front().tokens.end(), [](const Token& t) {
            return t.han && (t.guessed || t.reading.empty());
        });
    };
    std::size_t ownWords = 0, todayWords = 0;
    const bool ownKnown = known(run, ownWords), todayKnown = known(modern, todayWords);
    if (todayKnown && (!ownKnown || todayWords < ownWords))
        std::swap(own, today);
    Candidates out;
    for (const auto* list : {&own, &today})
        for (const String& r : *list)
            out.add(r);
    return out.take(run, limit);
}

std::vector<String> MecabReadingEngine::readAsWritten(std::u16string_view run, std::size_t limit)
{
    State& s = *state_;
    const std::string text = toUtf8(run);
    const std::vector<Path> paths = s.parse(text, kBestPaths);
    if (paths.empty() || paths.front().foreign())
        return {};
    const Path& best = paths.front();
    const bool onlyHan = hanOnly(run);
    Candidates out;
    std::optional<std::vector<Split>> nameSplits;
    const auto splits = [&]() -> const std::vector<Split>& {
        if (!nameSplits)
            nameSplits = s.splits(run, text);
        return *nameSplits;
    };

    std::vector<NameEntry> exact, skkEntries;
    if (s.names)
        exact = s.nameEntries(text);
    if (s.skk)
        skkEntries = s.skk->lookup(text);
    std::erase_if(skkEntries, isForeignEntry);
    if (onlyHan) {
        // The name dictionary knows the value only as a foreigner's name.
        if (!exact.empty() && std::all_of(exact.begin(), exact.end(), isForeignEntry))
            return {};
        std::erase_if(exact, isForeignEntry);
        // A name that begins with a Chinese surname, which the dictionaries
        // read with sounds its characters do not have in Japanese (周慧敏:
        // チョウワイマン), is a Chinese name in its own sounds.
        if (run.size() >= 3 && chineseSurnameFirst(run)) {
            const std::size_t known = exact.size();
            std::erase_if(exact, [&](const NameEntry& e) { return !s.composable(run, toUtf16(e.reading)); });
            if (known > 0 && exact.empty())
                return {};
            if (std::any_of(best.tokens.begin(), best.tokens.end(), [&](const Token& t) {
                    return t.personName() && t.surface.size() > 1 && !s.composable(t.surface, t.reading);
                }))
                return {};
            // MeCab reads a surname of one character (林, 毛) and then a
            // common word of two (俊傑, 不易), not a given name: a Chinese name.
            if (run.size() == 3 && exact.empty() && best.tokens.size() == 2 && best.tokens[0].surname() &&
                best.tokens[1].surface.size() == 2 && best.tokens[1].pos0 == "名詞" && !best.tokens[1].personName() &&
                !best.tokens[1].guessed && skkEntries.empty())
                return {};
        }
        // The value begins with a Chinese surname, neither dictionary knows
        // anything in it beyond its single characters, and it is a person's
        // name to MeCab or has characters MeCab does not know (then surnames
        // Japanese shares count too: 田): Chinese names written with
        // characters Japanese also uses read that way.
        const bool unknown = std::any_of(best.tokens.begin(), best.tokens.end(),
                                         [](const Token& t) { return t.han && (t.reading.empty() || t.guessed); });
        const bool person =
            std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.pos2 == "人名"; });
        if (exact.empty() && (unknown || person) && chineseSurnameFirst(run, unknown) &&
            !s.knowsBeyondCharacters(run, best))
            return {};
    }

    // The SKK dictionaries' full names of well-known people come first; their
    // other readings of the whole value (names, proper nouns) come after
    // MeCab's.
    for (const NameEntry& e : skkEntries)
        if (e.kinds & kFullName)
            out.add(s.spaced(run, toUtf16(e.reading), best));

    // A full-name entry of the name dictionary wins.
    for (const NameEntry& e : exact)
        if (e.kinds & kFullName)
            out.add(s.spaced(run, toUtf16(e.reading), best));

    // MeCab read the run as a surname and something that is not one given
    // name: the name dictionary's given names come first, unless the name
    // dictionary has the whole run as a person's name (喜多郎).
    const auto surnameAndGivenNames = [&] {
        if (!best.complete() || best.tokens.size() < 2 || !best.tokens.front().surname() ||
            (best.tokens.size() == 2 && best.tokens[1].givenName()))
            return;
        const Token& sur = best.tokens.front();
        const std::u16string_view rest = run.substr(sur.surface.size());
        String mecabRest;
        for (std::size_t i = 1; i < best.tokens.size(); ++i)
            mecabRest += best.tokens[i].reading;
        for (const String& g : s.nameReadings(rest, kGiven | kUnclassified, mecabRest))
            out.add(sur.reading + u' ' + g);
    };
    const bool wholeName = std::any_of(exact.begin(), exact.end(), [](const NameEntry& e) {
        return (e.kinds & (kGiven | kUnclassified | kSurname)) != 0;
    });
    if (!wholeName)
        surnameAndGivenNames();

    // MeCab's reading, unless it only read a run of three or more Han
    // characters one by one. When MeCab put words together and the name
    // dictionary has the whole run, the entry closest to MeCab's reading
    // comes first: it knows the sound changes of the compound.
    const bool fragmented = onlyHan && run.size() >= 3 && best.tokens.size() > 1 && chineseSurnameFirst(run) &&
        std::all_of(best.tokens.begin(), best.tokens.end(),
                    [](const Token& t) { return t.surface.size() == 1 || t.guessed; });
    const String mecab = best.complete() ? best.words() : String();
    const auto words =
        std::count_if(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return !t.attaches(); });
    if (!mecab.empty() && words > 1 && !fragmented && !exact.empty()) {
        String joined;
        for (const Token& t : best.tokens)
            joined += t.reading;
        const NameEntry* closest = nullptr;
        std::size_t closestDistance = 0;
        for (const NameEntry& e : exact) {
            const std::size_t d = distance(toUtf16(e.reading), joined);
            if (!closest || d < closestDistance) {
                closest = &e;
                closestDistance = d;
            }
        }
        out.add(toUtf16(closest->reading));
    }
    if (wholeName)
        surnameAndGivenNames();
    const Path merged = mecab.empty() || fragmented ? Path() : s.wholeWords(best);
    if (!merged.tokens.empty())
        out.add(merged.words());
    // Han characters MeCab read one by one that the name dictionary knows
    // together are read as that word.
    if (!mecab.empty() && s.names) {
        Path joinedNames = best;
        bool changed = false;
        for (std::size_t i = 0; i < joinedNames.tokens.size();) {
            std::size_t end = i;
            String surface, joined;
            while (end < joinedNames.tokens.size() && joinedNames.tokens[end].surface.size() == 1 &&
                   joinedNames.tokens[end].han && !joinedNames.tokens[end].personName()) {
                surface += joinedNames.tokens[end].surface;
                joined += joinedNames.tokens[end].reading;
                ++end;
            }
            if (end - i < 2 || end - i == joinedNames.tokens.size()) {
                i = std::max(end, i + 1);
                continue;
            }
            const String reading = closestReading(*s.names, surface, joined);
            if (!reading.empty()) {
                joinedNames.tokens[i].surface = surface;
                joinedNames.tokens[i].reading = reading;
                joinedNames.tokens.erase(joinedNames.tokens.begin() + static_cast<long>(i) + 1,
                                         joinedNames.tokens.begin() + static_cast<long>(end));
                changed = true;
            }
            ++i;
        }
        if (changed)
            out.add(joinedNames.words());
    }
    if (!mecab.empty() && !fragmented) {
        addTitleReadings(best, out, true);
        out.add(mecab);
    }
    // A value MeCab finds no person's name in is a word before it is a name:
    // the word dictionary's readings come before the name dictionary's.
    const bool person =
        std::any_of(best.tokens.begin(), best.tokens.end(), [](const Token& t) { return t.personName(); });
    if (!mecab.empty() && !fragmented && !person)
        s.otherWordReadings(best, out);
    for (const NameEntry& e : exact)
        out.add(toUtf16(e.reading));
    for (const NameEntry& e : skkEntries)
        out.add(toUtf16(e.reading));
    if (!mecab.empty() && !fragmented) {
        if (!merged.tokens.empty())
            addCompoundSounds(merged, out);
        addCompoundSounds(best, out);
        addTitleReadings(best, out, false);
    }

    // A suffix of one Han character after a noun may be a word of its own,
    // read as it is alone, and voiced (兄弟 and 船: キョウダイブネ, 犬 and 神:
    // イヌガミ).
    if (!mecab.empty() && !fragmented) {
        for (std::size_t j = 1; j < best.tokens.size(); ++j) {
            const Token& before = best.tokens[j - 1];
            const Token& t = best.tokens[j];
            if (t.pos1 != "接尾" || !t.han || t.surface.size() != 1 || before.pos0 != "名詞" ||
                !(before.han || isKanaOnly(before.surface)) || before.personName())
                continue;
            const std::vector<Path> alone = s.parse(toUtf8(t.surface), 1);
            if (alone.empty() || alone.front().tokens.size() != 1)
                continue;
            const String word = alone.front().tokens.front().reading;
            if (word.empty() || word == t.reading || alone.front().foreign())
                continue;
            Path variant = best;
            variant.tokens[j].reading = word;
            if (const char16_t v = voiced(word.front())) {
                variant.tokens[j].reading.front() = v;
                out.add(variant.words());
                variant.tokens[j].reading.front() = word.front();
            }
            out.add(variant.words());
        }
    }

    // The first word of a compound may change its last vowel (アメ and オト
    // are アマオト, カゼ and グルマ カザグルマ).
    if (!mecab.empty() && !fragmented) {
        for (std::size_t j = 0; j + 1 < best.tokens.size(); ++j) {
            const Token& t = best.tokens[j];
            const Token& after = best.tokens[j + 1];
            if (!t.han || t.surface.size() != 1 || t.reading.size() != 2 || t.personName() || after.reading.empty() ||
                after.pos0 == "助詞" || after.pos0 == "助動詞")
                continue;
            if (const char16_t a = compoundFirst(t.reading.back())) {
                Path variant = best;
                variant.tokens[j].reading.back() = a;
                out.add(variant.words());
            }
        }
    }

    if (!mecab.empty() && !fragmented && person)
        s.otherWordReadings(best, out);

    // Surname + given-name splits, in the order of MeCab's cost for a parse
    // cut at the split; MeCab's readings of the two parts in that parse come
    // first among the dictionary's.
    if (out.size() < limit) {
        for (std::size_t rank = 0; rank < kReadingsPerPart * 2 && out.size() < limit; ++rank)
            for (const Split& sp : splits())
                for (std::size_t a = 0; a <= rank; ++a)
                    if (a < sp.surnames.size() && rank - a < sp.givens.size())
                        out.add(sp.surnames[a] + u' ' + sp.givens[rank - a]);
    }
    // A run that begins with a Chinese surname and that MeCab only read
    // character by character reads as Chinese unless the name dictionary has
    // it whole: a surname and a given name it finds apart are the shape of
    // most Chinese names too (羅 and 大佑).
    if (fragmented && exact.empty())
        return {};
    if (!mecab.empty())
        out.add(mecab);
    for (std::size_t i = 1; i < paths.size(); ++i)
        if (paths[i].complete() && !paths[i].foreign())
            out.add(paths[i].words());
    // Han characters alone may be a Sino-Japanese coinage, each character
    // read by its on reading (秋止符: シュウシフ).
    if (onlyHan && run.size() > 1 && out.size() < limit)
        out.add(s.onReadings(run));
    // A noun of one Han character in a title may have a reading of its own
    // that MeCab does not know (詩: ウタ) and the name dictionary has: when
    // there is room left, each such noun is read with the name dictionary's
    // readings of its character.
    if (!mecab.empty() && !fragmented && s.names && best.tokens.size() > 1 && out.size() < limit) {
        for (std::size_t j = 0; j < best.tokens.size() && out.size() < limit; ++j) {
            const Token& t = best.tokens[j];
            if (!t.han || t.surface.size() != 1 || t.pos0 != "名詞" || t.pos1 != "一般")
                continue;
            for (const String& r : s.nameReadings(t.surface, kGiven | kSurname | kUnclassified, t.reading)) {
                Path variant = best;
                variant.tokens[j].reading = r;
                out.add(variant.words());
            }
        }
    }
    return out.take(run, limit);
}

} // namespace yomi::reading
