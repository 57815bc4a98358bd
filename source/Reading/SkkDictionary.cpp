#include "Reading/SkkDictionary.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "Reading/DictionaryText.h"
#include "Reading/NameIndex.h"
#include "Storage/FileCommit.h"

namespace yomi::reading {
namespace {

// EUC-JP hiragana (row 4) and the prolonged-sound mark.
bool hiraganaOnly(std::string_view s)
{
    if (s.empty() || s.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
        if (!((a == 0xA4 && b >= 0xA1 && b <= 0xF3) || (a == 0xA1 && b == 0xBC)))
            return false;
    }
    return true;
}

// Whole EUC-JP characters only (two bytes from 0xA1, or three after 0x8F),
// at least one of them a Han character (rows 16 and up), nothing ASCII.
bool hanWord(std::string_view s)
{
    bool han = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto a = static_cast<unsigned char>(s[i]);
        if (a == 0x8F && i + 2 < s.size()) {
            han = true;
            i += 3;
        } else if (a >= 0xA1 && a != 0xFF && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0xA1) {
            han = han || a >= 0xB0;
            i += 2;
        } else {
            return false;
        }
    }
    return han;
}

std::string stampOf(const std::vector<SkkSource>& sources)
{
    std::string stamp;
    for (const SkkSource& s : sources) {
        std::uint64_t size = 0;
        std::int64_t time = 0;
        if (sourceStamp(s.file, size, time))
            stamp += s.file.string() + ' ' + s.kind + ' ' + std::to_string(size) + ' ' + std::to_string(time) + '\n';
    }
    return stamp;
}

// The lines sorted by key (their bytes up to the first space), the order of
// `lines` kept among those of one key, each line once.
std::string sortedText(const std::vector<std::string>& lines)
{
    std::vector<std::pair<std::string_view, std::size_t>> order;
    order.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        order.emplace_back(std::string_view(lines[i]).substr(0, lines[i].find(' ')), i);
    std::sort(order.begin(), order.end());
    std::size_t bytes = 0;
    for (const std::string& l : lines)
        bytes += l.size() + 1;
    std::string body;
    body.reserve(bytes);
    std::string_view previous;
    for (const auto& [key, i] : order) {
        if (lines[i] == previous)
            continue;
        body += lines[i];
        body += '\n';
        previous = lines[i];
    }
    return body;
}

// Calls `item(reading, candidate, rank)` for each candidate of each entry
// read in hiragana alone (rank 1 the first of its entry); comments, and
// entries with okurigana or not read in kana, are passed over.
template <typename Item>
void forEachCandidate(std::string_view text, Item item)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t space = line.find(" /");
        if (line.empty() || line[0] == ';' || space == std::string_view::npos || line.back() != '/' ||
            !hiraganaOnly(line.substr(0, space)))
            continue;
        std::size_t from = space + 2, rank = 0;
        while (from < line.size()) {
            const std::size_t slash = line.find('/', from);
            item(line.substr(0, space), line.substr(from, slash - from), ++rank);
            from = slash + 1;
        }
    }
}

} // namespace

std::vector<std::string> skkLines(std::string_view text, std::string_view kind)
{
    std::vector<std::string> out;
    forEachCandidate(text, [&](std::string_view reading, std::string_view item, std::size_t) {
        const std::string_view word = item.substr(0, item.find(';'));
        if (hanWord(word))
            out.push_back(std::string(word) + " [" + std::string(reading) + "] /(" + std::string(kind) + ") skk/");
    });
    return out;
}

namespace {

// Whether an SKK annotation marks a person's given name: "名" or "人名"
// (EUC-JP) first, no surname ("姓") nor full name in it. A word without
// annotation counts too.
bool givenNameNote(std::string_view note)
{
    static constexpr std::string_view kName = "\xCC\xBE", kPerson = "\xBF\xCD\xCC\xBE", kSurname = "\xC0\xAB";
    if (note.empty())
        return true;
    if (!note.starts_with(kName) && !note.starts_with(kPerson))
        return false;
    for (std::size_t i = 0; i + 1 < note.size(); i += static_cast<unsigned char>(note[i]) >= 0xA1 ? 2 : 1)
        if (note.substr(i, 2) == kSurname)
            return false;
    return note.find("\xA5\xD5\xA5\xEB") == std::string_view::npos; // "フル", a full name
}

struct RankedName {
    std::string_view name, reading;
    std::size_t rank;
};

// Each given name of an SKK dictionary of names under each reading that
// lists it, with its place among that reading's candidates (1 the first).
std::vector<RankedName> givenNameRanks(std::string_view text)
{
    std::vector<RankedName> names;
    forEachCandidate(text, [&](std::string_view reading, std::string_view item, std::size_t rank) {
        const std::size_t semi = item.find(';');
        const std::string_view word = item.substr(0, semi);
        const std::string_view note = semi == std::string_view::npos ? std::string_view() : item.substr(semi + 1);
        if (hanWord(word) && givenNameNote(note))
            names.push_back(RankedName{word, reading, rank});
    });
    return names;
}

std::vector<std::string> jinmeiLinesOf(std::string_view text, std::string_view)
{
    return jinmeiLines(text);
}

} // namespace

Result<std::filesystem::path> prepareText(const std::vector<SkkSource>& sources,
                                          const std::filesystem::path& cacheDir, std::string_view name, bool* made,
                                          const std::function<std::vector<std::string>(std::string_view, std::string_view)>& convert)
{
    if (made)
        *made = false;
    const std::string stamp = stampOf(sources);
    if (stamp.empty())
        return Failure{"none of its dictionaries is installed"};
    const std::filesystem::path text = cacheDir / name;
    std::filesystem::path stampFile = text;
    stampFile += ".stamp";
    std::error_code ec;
    if (std::filesystem::exists(text, ec) && fileio::readWholeFile(stampFile).value_or(std::string()) == stamp)
        return text;

    std::vector<std::string> lines;
    for (const SkkSource& s : sources) {
        if (!std::filesystem::exists(s.file, ec))
            continue;
        std::vector<std::string> more = convert(MappedText(s.file).text(), s.kind);
        lines.insert(lines.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    if (!fileio::writeFileAtomically(text, sortedText(lines)) || !fileio::writeFileAtomically(stampFile, stamp))
        return Failure{"cannot write " + text.string()};
    if (made)
        *made = true;
    return text;
}

std::vector<std::string> jinmeiLines(std::string_view text, std::size_t front, std::size_t margin)
{
    std::vector<RankedName> ranked = givenNameRanks(text);
    std::stable_sort(ranked.begin(), ranked.end(), [](const RankedName& a, const RankedName& b) {
        return std::tie(a.name, a.rank) < std::tie(b.name, b.rank);
    });
    std::vector<std::string> out;
    for (std::size_t first = 0, next = 0; first < ranked.size(); first = next) {
        std::vector<const RankedName*> readings; // each reading once, at its best place
        for (next = first; next < ranked.size() && ranked[next].name == ranked[first].name; ++next)
            if (std::none_of(readings.begin(), readings.end(),
                             [&](const RankedName* r) { return r->reading == ranked[next].reading; }))
                readings.push_back(&ranked[next]);
        const bool clear = readings[0]->rank <= front &&
            (readings.size() == 1 || (readings[1]->rank > front && readings[1]->rank >= readings[0]->rank + margin));
        for (std::size_t i = 0; i < readings.size(); ++i)
            out.push_back(std::string(readings[i]->name) + " [" + std::string(readings[i]->reading) + "] /(" +
                          (i == 0 && clear ? "g" : "u") + ") skk/");
    }
    return out;
}

Result<std::filesystem::path> prepareSkkText(const std::vector<SkkSource>& sources,
                                             const std::filesystem::path& cacheDir, std::string_view name,
                                             bool* made)
{
    return prepareText(sources, cacheDir, name, made, &skkLines);
}

Result<std::filesystem::path> prepareJinmeiText(const std::filesystem::path& source,
                                                const std::filesystem::path& cacheDir, std::string_view name,
                                                bool* made)
{
    // The stamp holds the rule's numbers: the text is made again when they change.
    const std::string rule = "jinmei " + std::to_string(kJinmeiFront) + ' ' + std::to_string(kJinmeiMargin);
    return prepareText({SkkSource{source, rule}}, cacheDir, name, made, &jinmeiLinesOf);
}

} // namespace yomi::reading
