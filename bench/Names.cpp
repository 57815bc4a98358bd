#include "Names.h"

#include <array>
#include <cctype>
#include <set>

namespace yomi::bench {

std::uint64_t Random::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t Random::below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

double Random::unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

namespace {

struct Piece {
    const char* text;
    const char* reading;
};

template <std::size_t N>
const Piece& pick(Random& rng, const std::array<Piece, N>& pieces)
{
    return pieces[rng.below(N)];
}

constexpr std::array<Piece, 30> kJapaneseSurnames{{
    {"佐藤", "sato"},    {"鈴木", "suzuki"},    {"高橋", "takahashi"},  {"田中", "tanaka"},    {"渡辺", "watanabe"},
    {"伊藤", "ito"},     {"山本", "yamamoto"},  {"中村", "nakamura"},   {"小林", "kobayashi"}, {"加藤", "kato"},
    {"吉田", "yoshida"}, {"山田", "yamada"},    {"佐々木", "sasaki"},   {"山口", "yamaguchi"}, {"松本", "matsumoto"},
    {"井上", "inoue"},   {"木村", "kimura"},    {"林", "hayashi"},      {"清水", "shimizu"},   {"森", "mori"},
    {"池田", "ikeda"},   {"橋本", "hashimoto"}, {"石川", "ishikawa"},   {"前田", "maeda"},     {"藤田", "fujita"},
    {"岡田", "okada"},   {"後藤", "goto"},      {"長谷川", "hasegawa"}, {"村上", "murakami"},  {"近藤", "kondo"},
}};

constexpr std::array<Piece, 24> kJapaneseGivenNames{{
    {"太郎", "taro"},  {"花子", "hanako"},   {"健一", "kenichi"}, {"美咲", "misaki"}, {"翔太", "shota"},
    {"陽菜", "hina"},  {"大輔", "daisuke"},  {"由美", "yumi"},    {"拓也", "takuya"}, {"愛", "ai"},
    {"直樹", "naoki"}, {"真由美", "mayumi"}, {"浩二", "koji"},    {"恵", "megumi"},   {"誠", "makoto"},
    {"優子", "yuko"},  {"亮", "ryo"},        {"千尋", "chihiro"}, {"悠人", "yuto"},   {"明美", "akemi"},
    {"蓮", "ren"},     {"葵", "aoi"},        {"湊", "minato"},    {"結衣", "yui"},
}};

constexpr std::array<Piece, 20> kChineseSurnames{{
    {"王", "wang"}, {"李", "li"},  {"张", "zhang"}, {"刘", "liu"}, {"陈", "chen"}, {"杨", "yang"}, {"黄", "huang"},
    {"赵", "zhao"}, {"吴", "wu"},  {"周", "zhou"},  {"徐", "xu"},  {"孙", "sun"},  {"马", "ma"},   {"朱", "zhu"},
    {"胡", "hu"},   {"郭", "guo"}, {"林", "lin"},   {"何", "he"},  {"高", "gao"},  {"罗", "luo"},
}};

constexpr std::array<Piece, 24> kChineseGivenNames{{
    {"伟", "wei"},   {"芳", "fang"}, {"娜", "na"},         {"敏", "min"},      {"静", "jing"},     {"丽", "li"},
    {"强", "qiang"}, {"磊", "lei"},  {"军", "jun"},        {"洋", "yang"},     {"艳", "yan"},      {"勇", "yong"},
    {"杰", "jie"},   {"娟", "juan"}, {"涛", "tao"},        {"明", "ming"},     {"超", "chao"},     {"秀英", "xiuying"},
    {"华", "hua"},   {"慧", "hui"},  {"志强", "zhiqiang"}, {"嘉欣", "jiaxin"}, {"宇轩", "yuxuan"}, {"雨桐", "yutong"},
}};

constexpr std::array<Piece, 40> kKatakana{{
    {"ア", "a"},  {"イ", "i"},  {"ウ", "u"},   {"エ", "e"},  {"オ", "o"},  {"カ", "ka"}, {"キ", "ki"},  {"ク", "ku"},
    {"コ", "ko"}, {"サ", "sa"}, {"シ", "shi"}, {"ス", "su"}, {"ソ", "so"}, {"タ", "ta"}, {"チ", "chi"}, {"ツ", "tsu"},
    {"ト", "to"}, {"ナ", "na"}, {"ニ", "ni"},  {"ノ", "no"}, {"ハ", "ha"}, {"ヒ", "hi"}, {"フ", "fu"},  {"ホ", "ho"},
    {"マ", "ma"}, {"ミ", "mi"}, {"ム", "mu"},  {"モ", "mo"}, {"ヤ", "ya"}, {"ユ", "yu"}, {"ヨ", "yo"},  {"ラ", "ra"},
    {"リ", "ri"}, {"ル", "ru"}, {"レ", "re"},  {"ロ", "ro"}, {"ワ", "wa"}, {"ン", "n"},  {"ガ", "ga"},  {"ド", "do"},
}};

constexpr std::array<Piece, 36> kHiragana{{
    {"あ", "a"},  {"い", "i"},  {"う", "u"},   {"え", "e"},  {"お", "o"},  {"か", "ka"}, {"き", "ki"},  {"く", "ku"},
    {"こ", "ko"}, {"さ", "sa"}, {"し", "shi"}, {"す", "su"}, {"そ", "so"}, {"た", "ta"}, {"ち", "chi"}, {"つ", "tsu"},
    {"と", "to"}, {"な", "na"}, {"に", "ni"},  {"の", "no"}, {"は", "ha"}, {"ひ", "hi"}, {"ふ", "fu"},  {"ほ", "ho"},
    {"ま", "ma"}, {"み", "mi"}, {"む", "mu"},  {"も", "mo"}, {"や", "ya"}, {"ゆ", "yu"}, {"よ", "yo"},  {"ら", "ra"},
    {"り", "ri"}, {"る", "ru"}, {"れ", "re"},  {"ろ", "ro"},
}};

constexpr std::array<Piece, 40> kLatinWords{{
    {"Blue", "blue"},       {"Night", "night"},   {"Echo", "echo"},       {"River", "river"},   {"Silver", "silver"},
    {"Moon", "moon"},       {"Paper", "paper"},   {"Garden", "garden"},   {"Neon", "neon"},     {"Velvet", "velvet"},
    {"Summer", "summer"},   {"Static", "static"}, {"Golden", "golden"},   {"Atlas", "atlas"},   {"Coral", "coral"},
    {"Drift", "drift"},     {"Harbor", "harbor"}, {"Lantern", "lantern"}, {"Mirror", "mirror"}, {"Orchid", "orchid"},
    {"Pilot", "pilot"},     {"Quartz", "quartz"}, {"Rain", "rain"},       {"Signal", "signal"}, {"Tide", "tide"},
    {"Union", "union"},     {"Vapor", "vapor"},   {"Winter", "winter"},   {"Yellow", "yellow"}, {"Zephyr", "zephyr"},
    {"Canyon", "canyon"},   {"Dawn", "dawn"},     {"Ember", "ember"},     {"Forest", "forest"}, {"Glass", "glass"},
    {"Horizon", "horizon"}, {"Island", "island"}, {"Jade", "jade"},       {"Kite", "kite"},     {"Lotus", "lotus"},
}};

constexpr std::array<Piece, 12> kLatinBandNouns{{
    {"Orchestra", "orchestra"},
    {"Quartet", "quartet"},
    {"Trio", "trio"},
    {"Band", "band"},
    {"Collective", "collective"},
    {"Ensemble", "ensemble"},
    {"Club", "club"},
    {"Project", "project"},
    {"Brothers", "brothers"},
    {"Sisters", "sisters"},
    {"Unit", "unit"},
    {"Machine", "machine"},
}};

constexpr std::array<Piece, 24> kJapaneseWords{{
    {"夏", "natsu"},  {"冬", "fuyu"},  {"春", "haru"},   {"秋", "aki"},       {"空", "sora"},       {"海", "umi"},
    {"星", "hoshi"},  {"月", "tsuki"}, {"花", "hana"},   {"風", "kaze"},      {"雨", "ame"},        {"雪", "yuki"},
    {"光", "hikari"}, {"夢", "yume"},  {"道", "michi"},  {"心", "kokoro"},    {"街", "machi"},      {"森", "mori"},
    {"川", "kawa"},   {"夜", "yoru"},  {"桜", "sakura"}, {"青春", "seishun"}, {"約束", "yakusoku"}, {"記憶", "kioku"},
}};

constexpr std::array<Piece, 20> kChineseWords{{
    {"青春", "qingchun"}, {"时光", "shiguang"}, {"记忆", "jiyi"},     {"远方", "yuanfang"}, {"梦想", "mengxiang"},
    {"城市", "chengshi"}, {"星空", "xingkong"}, {"故乡", "guxiang"},  {"爱情", "aiqing"},   {"旅行", "lüxing"},
    {"月光", "yueguang"}, {"海洋", "haiyang"},  {"春天", "chuntian"}, {"雨夜", "yuye"},     {"微风", "weifeng"},
    {"山河", "shanhe"},   {"花园", "huayuan"},  {"未来", "weilai"},   {"回忆", "huiyi"},    {"心愿", "xinyuan"},
}};

constexpr std::array<Piece, 6> kShowPrefixes{{
    {"ラジオ", "rajio"},
    {"深夜の", "shin'ya no"},
    {"週刊", "shukan"},
    {"今夜の", "kon'ya no"},
    {"音楽の", "ongaku no"},
    {"听", "ting"},
}};

constexpr std::array<Piece, 6> kShowSuffixes{{
    {" Podcast", " podcast"},
    {" Radio", " radio"},
    {" Hour", " hour"},
    {" Talk", " talk"},
    {" Live", " live"},
    {" Weekly", " weekly"},
}};

std::string capitalized(std::string s)
{
    if (!s.empty())
        s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

template <std::size_t N>
Named kanaWord(Random& rng, const std::array<Piece, N>& syllables, std::size_t minLength, std::size_t maxLength)
{
    Named out;
    const std::size_t length = minLength + rng.below(maxLength - minLength + 1);
    for (std::size_t i = 0; i < length; ++i) {
        const Piece& p = pick(rng, syllables);
        out.value += p.text;
        out.reading += p.reading;
    }
    return out;
}

Named kanaName(Random& rng)
{
    if (rng.chance(60))
        return kanaWord(rng, kKatakana, 2, 5);
    return kanaWord(rng, kHiragana, 2, 5);
}

Named latinWord(Random& rng)
{
    const Piece& p = pick(rng, kLatinWords);
    return {p.text, p.reading};
}

} // namespace

Script drawScript(Random& rng)
{
    const std::size_t r = rng.below(100);
    if (r < 35)
        return Script::HanJapanese;
    if (r < 50)
        return Script::HanChinese;
    if (r < 70)
        return Script::Kana;
    if (r < 90)
        return Script::Latin;
    return Script::Mixed;
}

Named personName(Random& rng, Script script)
{
    switch (script) {
    case Script::HanJapanese: {
        const Piece& s = pick(rng, kJapaneseSurnames);
        const Piece& g = pick(rng, kJapaneseGivenNames);
        return {std::string(s.text) + g.text, capitalized(s.reading) + " " + capitalized(g.reading)};
    }
    case Script::HanChinese: {
        const Piece& s = pick(rng, kChineseSurnames);
        const Piece& g = pick(rng, kChineseGivenNames);
        return {std::string(s.text) + g.text, capitalized(s.reading) + " " + capitalized(g.reading)};
    }
    case Script::Kana: {
        Named n = kanaName(rng);
        n.reading = capitalized(n.reading);
        return n;
    }
    case Script::Latin: {
        Named a = latinWord(rng);
        const Piece& b = pick(rng, kLatinBandNouns);
        if (rng.chance(50))
            return {"The " + a.value + " " + b.text, a.reading + " " + b.reading};
        return {a.value + " " + b.text, a.reading + " " + b.reading};
    }
    case Script::Mixed:
        break;
    }
    // Han with Latin or kana: "山田 Jazz Band", "DJ 佐藤", "李娜 feat. サクラ".
    const Piece& s = pick(rng, kJapaneseSurnames);
    switch (rng.below(3)) {
    case 0: {
        Named a = latinWord(rng);
        const Piece& b = pick(rng, kLatinBandNouns);
        return {std::string(s.text) + " " + a.value + " " + b.text,
                capitalized(s.reading) + " " + a.reading + " " + b.reading};
    }
    case 1:
        return {std::string("DJ ") + s.text, std::string("DJ ") + capitalized(s.reading)};
    default: {
        const Piece& cs = pick(rng, kChineseSurnames);
        const Piece& cg = pick(rng, kChineseGivenNames);
        Named k = kanaWord(rng, kKatakana, 2, 3);
        return {std::string(cs.text) + cg.text + " feat. " + k.value,
                capitalized(cs.reading) + " " + cg.reading + " feat. " + capitalized(k.reading)};
    }
    }
}

Named workName(Random& rng, Script script)
{
    switch (script) {
    case Script::HanJapanese: {
        const Piece& a = pick(rng, kJapaneseWords);
        const Piece& b = pick(rng, kJapaneseWords);
        if (rng.chance(30))
            return {std::string(a.text) + b.text, std::string(a.reading) + b.reading};
        return {std::string(a.text) + "の" + b.text, std::string(a.reading) + " no " + b.reading};
    }
    case Script::HanChinese: {
        const Piece& a = pick(rng, kChineseWords);
        const Piece& b = pick(rng, kChineseWords);
        return {std::string(a.text) + "的" + b.text, std::string(a.reading) + " de " + b.reading};
    }
    case Script::Kana:
        return kanaName(rng);
    case Script::Latin: {
        Named a = latinWord(rng);
        Named b = latinWord(rng);
        if (rng.chance(40))
            return {"Songs of " + a.value + " " + b.value, "songs of " + a.reading + " " + b.reading};
        return {a.value + " " + b.value, a.reading + " " + b.reading};
    }
    case Script::Mixed:
        break;
    }
    const Piece& a = pick(rng, kJapaneseWords);
    Named b = latinWord(rng);
    switch (rng.below(3)) {
    case 0:
        return {std::string(a.text) + " " + b.value, std::string(a.reading) + " " + b.reading};
    case 1:
        return {"Re:" + std::string(a.text), "re " + std::string(a.reading)};
    default: {
        Named k = kanaWord(rng, kHiragana, 2, 3);
        return {std::string(a.text) + k.value + "!", std::string(a.reading) + k.reading};
    }
    }
}

Named showName(Random& rng, Script script)
{
    if (script == Script::Latin) {
        Named a = latinWord(rng);
        const Piece& s = pick(rng, kShowSuffixes);
        return {"The " + a.value + s.text, a.reading + s.reading};
    }
    Named w = workName(rng, script);
    if (rng.chance(50)) {
        const Piece& p = pick(rng, kShowPrefixes);
        return {std::string(p.text) + w.value, std::string(p.reading) + " " + w.reading};
    }
    const Piece& s = pick(rng, kShowSuffixes);
    return {w.value + s.text, w.reading + s.reading};
}

std::vector<Named> makePool(Random& rng, Field field, std::size_t count)
{
    std::vector<Named> pool;
    std::set<std::string> seen;
    // The generators can make far more than a few hundred distinct values;
    // the bound only guards against a pool size beyond what they can give.
    for (std::size_t attempts = 0; pool.size() < count && attempts < count * 50; ++attempts) {
        const Script script = drawScript(rng);
        Named n;
        switch (field) {
        case Artist:
        case AlbumArtist:
        case Composer:
            n = personName(rng, script);
            break;
        case Show:
            n = showName(rng, script);
            break;
        default:
            n = workName(rng, script);
            break;
        }
        if (seen.insert(n.value).second)
            pool.push_back(std::move(n));
    }
    return pool;
}

} // namespace yomi::bench
