#include "Reading/SkkDictionary.h"

#include <algorithm>
#include <iterator>

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

} // namespace

std::vector<std::string> skkLines(std::string_view text, std::string_view kind)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t space = line.find(" /");
        if (line.empty() || line[0] == ';' || space == std::string_view::npos || line.back() != '/')
            continue;
        const std::string_view reading = line.substr(0, space);
        if (!hiraganaOnly(reading))
            continue; // an entry with okurigana, or one not read in kana
        std::size_t from = space + 2;
        while (from < line.size()) {
            const std::size_t slash = line.find('/', from);
            std::string_view word = line.substr(from, slash - from);
            from = slash + 1;
            word = word.substr(0, word.find(';'));
            if (hanWord(word))
                out.push_back(std::string(word) + " [" + std::string(reading) + "] /(" + std::string(kind) + ") skk/");
        }
    }
    return out;
}

Result<std::filesystem::path> prepareSkkText(const std::vector<SkkSource>& sources,
                                             const std::filesystem::path& cacheDir, std::string_view name,
                                             bool* made)
{
    if (made)
        *made = false;
    const std::string stamp = stampOf(sources);
    if (stamp.empty())
        return Failure{"no SKK dictionary is installed"};
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
        std::vector<std::string> more = skkLines(fileio::readWholeFile(s.file).value_or(std::string()), s.kind);
        lines.insert(lines.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    // Sorted by key, the sources' order kept among the lines of one key.
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
    if (!fileio::writeFileAtomically(text, body) || !fileio::writeFileAtomically(stampFile, stamp))
        return Failure{"cannot write " + text.string()};
    if (made)
        *made = true;
    return text;
}

} // namespace yomi::reading
