#include "Reading/KanjiTable.h"

#include <unicode/ucnv.h>
#include <zlib.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Text.h"
#include "Reading/NameIndex.h"
#include "Storage/FileCommit.h"

namespace yomi::reading {
namespace {

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at)
            out.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

bool isKatakanaWord(std::u16string_view w) { return !w.empty() && w[0] >= u'ァ' && w[0] <= u'ヺ'; }

// Grades 1 to 8 are the characters of common use; 9 and 10 those allowed in
// names only.
bool commonUse(std::string_view grade)
{
    return grade.size() == 2 && grade[0] == 'G' && grade[1] >= '1' && grade[1] <= '8';
}

// One character's line: the character, whether it is of common use, and
// the JIS codes of the forms it refers to.
struct KanjiLine {
    char16_t c;
    bool common;
    std::vector<unsigned> refs;
};

// A reading as the dictionaries write it, in katakana: a kun reading with
// and without its okurigana (わた.る: ワタ and ワタル), a prefix or suffix
// mark dropped (-ぜん); nothing when it is not kana.
void addReading(std::string_view word, std::vector<String>& all)
{
    String reading, whole;
    bool stem = true;
    for (const char16_t c : toUtf16(word)) {
        if (c == u'-')
            continue;
        if (c == u'.')
            stem = false;
        else
            (stem ? reading : whole) += c;
    }
    if (reading.empty() || !isKanaOnly(reading))
        return;
    all.push_back(toKatakana(reading));
    if (!whole.empty() && isKanaOnly(whole))
        all.push_back(toKatakana(reading + whole));
}

// The fields of a line after the character and its code: the grade, the
// references to other forms, and the readings (the names' after T1 or T2,
// the meanings after "{"), into `all`; its first on reading into `on` and
// the number of its on readings, which come first, into `ons`.
void readFields(const std::vector<std::string_view>& w, KanjiLine& line, String& on, std::vector<String>& all,
                std::size_t& ons)
{
    bool names = false;
    for (std::size_t i = 2; i < w.size(); ++i) {
        if (w[i][0] == '{')
            break; // meanings follow
        if (w[i] == "T1" || w[i] == "T2") {
            names = true; // readings used in names follow
            continue;
        }
        if (!names && commonUse(w[i]))
            line.common = true;
        else if (!names && w[i].size() == 7 && w[i].substr(0, 3) == "XJ0")
            line.refs.push_back(static_cast<unsigned>(std::strtoul(std::string(w[i].substr(3)).c_str(), nullptr, 16)));
        const std::size_t before = all.size();
        addReading(w[i], all);
        // On readings are written in katakana.
        const std::size_t mark = w[i].find_first_not_of('-');
        if (!names && all.size() > before && mark != std::string_view::npos &&
            isKatakanaWord(toUtf16(w[i].substr(mark)))) {
            if (on.empty())
                on = all[before];
            if (ons == before)
                ons = all.size();
        }
    }
}

// The form of common use of each character outside the common-use list
// whose line refers to one in it.
std::unordered_map<char16_t, char16_t> modernFormsOf(const std::vector<KanjiLine>& lines,
                                                     const std::unordered_map<unsigned, char16_t>& byCode)
{
    std::unordered_map<char16_t, bool> common;
    for (const KanjiLine& l : lines)
        common[l.c] = l.common;
    std::unordered_map<char16_t, char16_t> modern;
    for (const KanjiLine& l : lines) {
        if (l.common)
            continue;
        for (const unsigned code : l.refs) {
            const auto it = byCode.find(code);
            if (it != byCode.end() && common[it->second]) {
                modern[l.c] = it->second;
                break;
            }
        }
    }
    return modern;
}

template <class Map>
const typename Map::mapped_type* entry(const Map& map, char16_t c)
{
    const auto it = map.find(c);
    return it == map.end() ? nullptr : &it->second;
}

// The text between a line's opening tag `open` (up to its '>') and the next
// '<'; nullopt when the line does not begin with that tag.
std::optional<std::string_view> element(std::string_view line, std::string_view open)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.substr(start, open.size()) != open)
        return std::nullopt;
    const std::size_t from = line.find('>', start + open.size());
    const std::size_t to = line.find('<', from == std::string_view::npos ? line.size() : from);
    if (from == std::string_view::npos || to == std::string_view::npos)
        return std::nullopt;
    return line.substr(from + 1, to - from - 1);
}

// The XML edition's characters, one line at a time: those `known` lacks
// (in the Basic Multilingual Plane), with their readings. The variants it
// names are left: outside JIS X 0208 many are simplified Chinese forms (吴,
// 两) that it gives as variants of a Japanese character of another use.
class XmlCharacters {
public:
    explicit XmlCharacters(const std::unordered_map<char16_t, std::vector<String>>& known) : known_(known) {}

    void line(std::string_view l)
    {
        if (const auto literal = element(l, "<literal")) {
            const std::u16string c = toUtf16(*literal);
            now_ = Character{};
            now_.c = c.size() == 1 && containsHan(c) && !known_.count(c[0]) ? c[0] : 0;
        } else if (!now_.c) {
            return;
        } else if (const auto on = element(l, "<reading r_type=\"ja_on\"")) {
            const std::size_t before = now_.readings.size();
            addReading(*on, now_.readings);
            if (now_.on.empty() && now_.readings.size() > before)
                now_.on = now_.readings[before];
        } else if (const auto kun = element(l, "<reading r_type=\"ja_kun\"")) {
            addReading(*kun, now_.readings);
        } else if (const auto name = element(l, "<nanori")) {
            addReading(*name, now_.readings);
        } else if (l.find("</character>") != std::string_view::npos) {
            if (!now_.on.empty())
                on_.emplace(now_.c, std::move(now_.on));
            if (!now_.readings.empty())
                readings_.emplace(now_.c, std::move(now_.readings));
            now_ = Character{};
        }
    }

    void into(std::unordered_map<char16_t, String>& on, std::unordered_map<char16_t, std::vector<String>>& readings)
    {
        on = std::move(on_);
        readings = std::move(readings_);
    }

private:
    struct Character {
        char16_t c = 0;
        String on;
        std::vector<String> readings;
    };
    const std::unordered_map<char16_t, std::vector<String>>& known_;
    Character now_;
    std::unordered_map<char16_t, String> on_;
    std::unordered_map<char16_t, std::vector<String>> readings_;
};

} // namespace

KanjiTable KanjiTable::parse(std::string_view text)
{
    KanjiTable table;
    std::unordered_map<unsigned, char16_t> byCode;
    std::vector<KanjiLine> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const auto w = words(text.substr(at, end - at));
        at = end + 1;
        if (w.size() < 2 || w[0][0] == '#')
            continue;
        const std::u16string head = toUtf16(w[0]);
        if (head.size() != 1 || !containsHan(head))
            continue;
        KanjiLine line{head[0], false, {}};
        byCode[static_cast<unsigned>(std::strtoul(std::string(w[1]).c_str(), nullptr, 16))] = line.c;
        String on;
        std::size_t ons = 0;
        readFields(w, line, on, table.own_.readings[line.c], ons);
        if (!on.empty())
            table.own_.on.try_emplace(line.c, std::move(on));
        if (ons > 0)
            table.ons_.try_emplace(line.c, ons);
        if (line.common)
            table.common_.insert(line.c);
        lines.push_back(std::move(line));
    }
    table.modern_ = modernFormsOf(lines, byCode);
    return table;
}

void KanjiTable::addCharacters(std::string_view xml)
{
    if (!more_)
        more_ = std::make_unique<More>();
    std::call_once(more_->once, [&] {
        XmlCharacters characters(own_.readings);
        std::size_t at = 0;
        while (at < xml.size()) {
            const std::size_t end = std::min(xml.find('\n', at), xml.size());
            characters.line(xml.substr(at, end - at));
            at = end + 1;
        }
        characters.into(more_->entries.on, more_->entries.readings);
    });
}

const KanjiTable::Entries* KanjiTable::more(char16_t c) const
{
    if (!more_ || own_.readings.count(c) || !isHanCharacter(c))
        return nullptr;
    std::call_once(more_->once, [this] {
        gzFile file = gzopen(more_->source.c_str(), "rb");
        if (!file)
            return;
        XmlCharacters characters(own_.readings);
        std::string line;
        char buffer[4096];
        while (gzgets(file, buffer, sizeof buffer)) {
            line += buffer;
            if (!line.empty() && line.back() != '\n' && !gzeof(file))
                continue; // a line longer than the buffer
            characters.line(line);
            line.clear();
        }
        gzclose(file);
        characters.into(more_->entries.on, more_->entries.readings);
    });
    return &more_->entries;
}

std::unique_ptr<KanjiTable> KanjiTable::open(const std::filesystem::path& source, const std::filesystem::path& more)
{
    const std::string euc = fileio::readWholeFile(source).value_or(std::string());
    if (euc.empty())
        return nullptr;
    std::string utf8(euc.size() * 2 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_convert("UTF-8", "EUC-JP", utf8.data(), static_cast<int32_t>(utf8.size()), euc.data(),
                                        static_cast<int32_t>(euc.size()), &status);
    if (U_FAILURE(status))
        return nullptr;
    utf8.resize(static_cast<std::size_t>(length));
    auto table = std::make_unique<KanjiTable>(parse(utf8));
    if (table->empty())
        return nullptr;
    if (!more.empty()) {
        table->more_ = std::make_unique<More>();
        table->more_->source = more;
    }
    return table;
}

String KanjiTable::onReading(char16_t c) const
{
    if (const String* on = entry(own_.on, c))
        return *on;
    const Entries* e = more(c);
    const String* on = e ? entry(e->on, c) : nullptr;
    return on ? *on : String();
}

bool KanjiTable::inCommonUse(char16_t c) const
{
    return common_.count(c) > 0;
}

std::vector<String> KanjiTable::onReadings(char16_t c) const
{
    if (const std::size_t* ons = entry(ons_, c)) {
        const std::vector<String>& all = readings(c);
        return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(*ons, all.size()))};
    }
    String first = onReading(c);
    return first.empty() ? std::vector<String>() : std::vector<String>{std::move(first)};
}

bool KanjiTable::isOnReading(char16_t c, std::u16string_view reading) const
{
    const std::vector<String> ons = onReadings(c);
    return std::find(ons.begin(), ons.end(), reading) != ons.end();
}

const std::vector<String>& KanjiTable::readings(char16_t c) const
{
    static const std::vector<String> none;
    if (const auto* all = entry(own_.readings, c))
        return *all;
    const Entries* e = more(c);
    const auto* all = e ? entry(e->readings, c) : nullptr;
    return all ? *all : none;
}

char16_t KanjiTable::modernForm(char16_t c) const
{
    if (const char16_t* today = entry(modern_, c))
        return *today;
    // The old forms of common characters allowed in names (the 2010 list of
    // name characters gives each with the common form it stands for: 緣 縁,
    // 櫻 桜, 佛 仏), many of them outside JIS X 0208 and so outside the
    // dictionary, and compatibility forms of common characters (﨑, 神).
    static const std::u16string_view old = u"\u4E58\u4E98\u4E9E\u4F5B\u4F86\u50B3\u50DE\u50F9\u5109\u5152\u51A8\u51C9"
                                           u"\u51DC\u5269\u528D\u52F3\u5377\u537D\u55AE\u56B4\u5708\u570B\u5713\u5718"
                                           u"\u57DC\u589E\u58D8\u58DE\u58EF\u58FD\u5967\u596C\u5B43\u5BE2\u5BE6\u5BEC"
                                           u"\u5C07\u5C08\u5C2D\u5CEF\u5CFD\u5D8B\u5DCC\u5DE2\u5E36\u5EE3\u5EF3\u5F48"
                                           u"\u5F4C\u5F9E\u5FB5\u5FB7\u6046\u60E0\u60E1\u613C\u61C9\u61F7\u6230\u6232"
                                           u"\u62C2\u62D4\u62DC\u63ED\u6416\u641C\u64CA\u651D\u6536\u654D\u6643\u665A"
                                           u"\u665D\u66C6\u66C9\u66FE\u6867\u689D\u69AE\u69D9\u6A02\u6A23\u6A6B\u6AA2"
                                           u"\u6AFB\u6B65\u6B77\u6BCF\u6C23\u6D89\u6DDA\u6DE8\u6DF8\u6E1A\u6E34\u6EAB"
                                           u"\u6EEF\u6F81\u6FD5\u6FF5\u7027\u7028\u71C8\u71D2\u722D\u7232\u72C0\u72F9"
                                           u"\u732A\u7378\u7422\u758A\u7626\u76C3\u76DC\u76E1\u771E\u788E\u7950\u7955"
                                           u"\u7962\u7977\u7984\u798E\u79AA\u79AE\u7A3B\u7A57\u7A63\u7CB9\u7DA0\u7DD6"
                                           u"\u7DE3\u7E23\u7E31\u7E96\u807D\u81DF\u8207\u838A\u840C\u842C\u8597\u85B0"
                                           u"\u85CF\u85DD\u85E5\u865B\u885E\u88DD\u89BD\u8B20\u8B93\u8CE3\u8CF4\u8F49"
                                           u"\u9065\u90DE\u9189\u91C0\u9304\u934A\u93AD\u9444\u9677\u96AA\u96DC\u9751"
                                           u"\u975C\u986F\u98DC\u99C8\u9A37\u9A57\u9AD9\u9AEE\u9DC4\u9EC3\u9ED1\u9ED8"
                                           u"\u9F4A\u9F8D\uF91D\uF928\uF929\uF936\uF9D0\uFA10\uFA11\uFA19\uFA1A\uFA1B"
                                           u"\uFA22\uFA26\uFA30\uFA31\uFA33\uFA34\uFA35\uFA37\uFA38\uFA3A\uFA3B\uFA3D"
                                           u"\uFA3F\uFA40\uFA41\uFA43\uFA44\uFA45\uFA47\uFA48\uFA4B\uFA4C\uFA4D\uFA4E"
                                           u"\uFA4F\uFA50\uFA51\uFA52\uFA54\uFA55\uFA56\uFA57\uFA59\uFA5A\uFA5B\uFA5C"
                                           u"\uFA5F\uFA61\uFA62\uFA63\uFA64\uFA65\uFA67\uFA68\uFA69";
    static const std::u16string_view today = u"乗亙亜仏来伝偽価倹児富涼"
                                             u"凛剰剣勲巻即単厳圏国円団"
                                             u"野増塁壊壮寿奥奨嬢寝実寛"
                                             u"将専堯峰峡島巖巣帯広庁弾"
                                             u"弥従徴徳恒恵悪慎応懐戦戯"
                                             u"払抜拝掲揺捜撃摂収叙晄晩"
                                             u"昼暦暁曽檜条栄槇楽様横検"
                                             u"桜歩歴毎気渉涙浄清渚渇温"
                                             u"滞渋湿浜滝瀬灯焼争為状狭"
                                             u"猪獣琢畳痩杯盗尽真砕祐秘"
                                             u"禰禱祿禎禅礼稲穂穰粋緑緒"
                                             u"縁県縦繊聴臓与荘萠万園薫"
                                             u"蔵芸薬虚衛装覧謡譲売頼転"
                                             u"遙郎酔醸録錬鎮鋳陥険雑青"
                                             u"静顕翻駆騒験高髪鶏黄黒黙"
                                             u"斉竜欄廊朗虜類塚崎神祥福"
                                             u"諸都侮僧勉勤卑嘆器墨層悔"
                                             u"憎懲敏暑梅海漢煮碑社祉祈"
                                             u"祐祖祝禍穀突節練繁署者臭"
                                             u"著視謁謹賓贈逸難響";
    const std::size_t at = old.find(c);
    return at == std::u16string_view::npos ? c : today[at];
}

String KanjiTable::modernForms(std::u16string_view text) const
{
    String out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // 𠮷 (U+20BB7), outside the Basic Multilingual Plane, is 吉.
        if (text.substr(i, 2) == u"\U00020BB7") {
            out += u'吉';
            ++i;
            continue;
        }
        out += modernForm(text[i]);
    }
    return out;
}

} // namespace yomi::reading
