#include "Reading/KanjiTable.h"

#include <unicode/ucnv.h>

#include <string>
#include <vector>

#include "Platform/Text.h"
#include "Reading/NameIndex.h"

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

} // namespace

KanjiTable KanjiTable::parse(std::string_view text)
{
    struct Line {
        char16_t c;
        bool common;
        std::vector<unsigned> refs;
    };
    KanjiTable table;
    std::unordered_map<unsigned, char16_t> byCode;
    std::vector<Line> lines;
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
        Line line{head[0], false, {}};
        byCode[static_cast<unsigned>(std::strtoul(std::string(w[1]).c_str(), nullptr, 16))] = line.c;
        bool names = false;
        std::vector<String>& all = table.readings_[line.c];
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
                line.refs.push_back(
                    static_cast<unsigned>(std::strtoul(std::string(w[i].substr(3)).c_str(), nullptr, 16)));
            // A kun reading counts with and without its okurigana (わた.る:
            // ワタ and ワタル).
            String reading, whole;
            bool stem = true;
            for (const char16_t c : toUtf16(w[i])) {
                if (c == u'-')
                    continue;
                if (c == u'.')
                    stem = false;
                else
                    (stem ? reading : whole) += c;
            }
            if (reading.empty() || !isKanaOnly(reading))
                continue;
            if (!names && isKatakanaWord(reading) && !table.on_.count(line.c))
                table.on_[line.c] = reading;
            all.push_back(toKatakana(reading));
            if (!whole.empty() && isKanaOnly(whole))
                all.push_back(toKatakana(reading + whole));
        }
        lines.push_back(std::move(line));
    }
    std::unordered_map<char16_t, bool> common;
    for (const Line& l : lines)
        common[l.c] = l.common;
    for (const Line& l : lines) {
        if (l.common)
            continue;
        for (const unsigned code : l.refs) {
            const auto it = byCode.find(code);
            if (it != byCode.end() && common[it->second]) {
                table.modern_[l.c] = it->second;
                break;
            }
        }
    }
    return table;
}

std::unique_ptr<KanjiTable> KanjiTable::open(const std::filesystem::path& source)
{
    const std::string euc = readWholeFile(source);
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
    return table->empty() ? nullptr : std::move(table);
}

String KanjiTable::onReading(char16_t c) const
{
    const auto it = on_.find(c);
    return it == on_.end() ? String() : it->second;
}

const std::vector<String>& KanjiTable::readings(char16_t c) const
{
    static const std::vector<String> none;
    const auto it = readings_.find(c);
    return it == readings_.end() ? none : it->second;
}

char16_t KanjiTable::modernForm(char16_t c) const
{
    const auto it = modern_.find(c);
    if (it != modern_.end())
        return it->second;
    // Old forms used in names that the dictionary, which holds only the
    // characters of JIS X 0208, cannot list, and compatibility forms of
    // common characters.
    static const std::u16string_view old =
        u"\u5FB7\u9AD9\uFA11\u9ED1\u6DF8\u9751\u6FF5\u7028\uFA10\uFA19\uFA4F\uFA1B\uFA26";
    static const std::u16string_view today = u"徳高崎黒清青浜瀬塚神祐福都";
    const std::size_t at = old.find(c);
    return at == std::u16string_view::npos ? c : today[at];
}

String KanjiTable::modernForms(std::u16string_view text) const
{
    String out(text);
    for (char16_t& c : out)
        c = modernForm(c);
    return out;
}

} // namespace yomi::reading
