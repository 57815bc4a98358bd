#include "Reading/Chinese/PinyinDictionary.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "Category/Reading.h"
#include "Platform/Text.h"
#include "Reading/Chinese/Pinyin.h"
#include "Reading/NameIndex.h"
#include "Storage/FileCommit.h"

namespace yomi::chinese {
namespace {

constexpr char kMagic[8] = {'Y', 'O', 'M', 'I', 'Z', 'H', '0', '2'};
constexpr std::size_t kHeader = 32;
// Longer keys are left out: a value's words are looked up up to this length.
constexpr std::size_t kLongestKey = 12;

std::size_t padded(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

template <typename T>
T readAt(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void append(std::string& out, T v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

struct Raw {
    std::u16string key;
    std::string reading;
    double weight;
    std::size_t source;
};

// The code points of a key, when each is a Han character.
bool hanOnly(std::u16string_view key, std::size_t& points)
{
    points = 0;
    for (std::size_t i = 0; i < key.size();) {
        char32_t c = key[i++];
        if (c >= 0xD800 && c < 0xDC00 && i < key.size() && key[i] >= 0xDC00 && key[i] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (key[i++] - 0xDC00);
        if (!isHanCharacter(c))
            return false;
        ++points;
    }
    return points > 0;
}

// The entries of one Rime table: "word TAB syllables [TAB weight]" lines
// after the header; lines whose syllables do not match the word's
// characters one for one are left out.
void parseTable(std::string_view text, bool traditional, std::size_t source, std::vector<Raw>& out,
                std::vector<bool>& fromTraditional)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        const std::size_t tab2 = line.find('\t', tab + 1);
        const std::string_view word = line.substr(0, tab);
        const std::string_view code =
            line.substr(tab + 1, (tab2 == std::string_view::npos ? line.size() : tab2) - tab - 1);
        double weight = 0;
        if (tab2 != std::string_view::npos) {
            const std::string w(line.substr(tab2 + 1));
            char* stop = nullptr;
            weight = std::strtod(w.c_str(), &stop);
            if (stop && *stop == '%')
                weight = 0; // a share, not a weight: the compiled tables carry weights
            if (!std::isfinite(weight) || weight < 0)
                weight = 0;
        }
        std::u16string key = toUtf16(word);
        std::size_t points = 0;
        if (!hanOnly(key, points) || points > kLongestKey)
            continue;
        std::string reading;
        std::size_t syllables = 0;
        bool good = true;
        std::size_t s = 0;
        while (s <= code.size()) {
            const std::size_t space = std::min(code.find(' ', s), code.size());
            if (space > s) {
                const std::string one = sortSyllable(code.substr(s, space - s));
                if (one.empty()) {
                    good = false;
                    break;
                }
                if (!reading.empty())
                    reading += ' ';
                reading += one;
                ++syllables;
            }
            s = space + 1;
        }
        if (!good || syllables != points || reading.size() > 255)
            continue;
        out.push_back(Raw{std::move(key), std::move(reading), weight, source});
        fromTraditional.push_back(traditional);
    }
}

// The simplified form of each character of the traditional keys (ICU's
// Hant-Hans transform), for those it changes.
std::unordered_map<char16_t, char16_t> simplifiedForms(const std::vector<Raw>& raws,
                                                       const std::vector<bool>& fromTraditional)
{
    std::unordered_set<char16_t> characters;
    for (std::size_t i = 0; i < raws.size(); ++i)
        if (fromTraditional[i])
            for (const char16_t c : raws[i].key)
                if (c < 0xD800 || c >= 0xE000)
                    characters.insert(c);
    std::unordered_map<char16_t, char16_t> out;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance("Hant-Hans", UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !t)
        return out;
    for (const char16_t c : characters) {
        icu::UnicodeString s(static_cast<UChar>(c));
        t->transliterate(s);
        if (s.length() == 1 && s.charAt(0) != c)
            out[c] = s.charAt(0);
    }
    return out;
}

bool mapWhole(const std::filesystem::path& file, const unsigned char*& map, std::size_t& size)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kHeader)) {
        ::close(fd);
        return false;
    }
    void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED)
        return false;
    map = static_cast<const unsigned char*>(p);
    size = static_cast<std::size_t>(st.st_size);
    return true;
}

} // namespace

std::vector<TableSource> systemTables()
{
    const std::filesystem::path build = "/usr/share/rime-data/build";
    return {{build / "luna_pinyin.table.txt", true}, {build / "pinyin_simp.table.txt", false}};
}

PinyinDictionary::~PinyinDictionary()
{
    if (map_)
        ::munmap(const_cast<unsigned char*>(map_), mapSize_);
}

std::string PinyinDictionary::stampOf(const std::vector<TableSource>& sources)
{
    std::string stamp = "format 2\n";
    for (const TableSource& s : sources) {
        std::uint64_t size = 0;
        std::int64_t time = 0;
        if (reading::sourceStamp(s.file, size, time))
            stamp += s.file.string() + (s.traditional ? " t " : " s ") + std::to_string(size) + ' ' +
                std::to_string(time) + '\n';
    }
    return stamp;
}

namespace {

// The entries of every table there is, each marked with the form of its
// table; a failure when no table is installed or none holds an entry.
Status readTables(const std::vector<TableSource>& sources, std::vector<Raw>& raws, std::vector<bool>& fromTraditional)
{
    bool any = false;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        std::error_code ec;
        if (!std::filesystem::exists(sources[k].file, ec))
            continue;
        any = true;
        parseTable(fileio::readWholeFile(sources[k].file).value_or(std::string()), sources[k].traditional, k, raws,
                   fromTraditional);
    }
    if (!any)
        return Failure{"no Chinese dictionary is installed"};
    if (raws.empty())
        return Failure{"the Chinese dictionaries hold no entry"};
    return {};
}

// Traditional keys in their simplified forms too; a single character only
// when no simplified table has it (the simplified table's readings of 干 are
// not those of 乾, which maps to it). And the other way, a trace of the
// simplified table's weight on a traditional word's same reading, which
// settles the ties of the traditional table (長大 chang da and zhang da
// alike; 长大 zhang da) and nothing more (a thousandth).
void addSimplifiedKeys(std::vector<Raw>& raws, const std::vector<bool>& fromTraditional)
{
    const auto simple = simplifiedForms(raws, fromTraditional);
    std::unordered_set<std::u16string> simplifiedCharacters;
    std::unordered_map<std::u16string, std::vector<std::size_t>> simplifiedWords;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        if (!fromTraditional[i] && raws[i].key.size() == 1)
            simplifiedCharacters.insert(raws[i].key);
        if (!fromTraditional[i] && raws[i].key.size() > 1)
            simplifiedWords[raws[i].key].push_back(i);
    }
    std::vector<Raw> traces;
    const std::size_t original = raws.size();
    for (std::size_t i = 0; i < original; ++i) {
        if (!fromTraditional[i])
            continue;
        std::u16string key = raws[i].key;
        bool changed = false;
        for (char16_t& c : key)
            if (const auto found = simple.find(c); found != simple.end()) {
                c = found->second;
                changed = true;
            }
        if (!changed || (key.size() == 1 && simplifiedCharacters.count(key)))
            continue;
        if (const auto words = simplifiedWords.find(key); words != simplifiedWords.end())
            for (const std::size_t j : words->second)
                if (raws[j].reading == raws[i].reading)
                    traces.push_back(Raw{raws[i].key, raws[i].reading, raws[j].weight / 1000, raws[j].source});
        raws.push_back(Raw{std::move(key), raws[i].reading, raws[i].weight, raws[i].source});
    }
    raws.insert(raws.end(), std::make_move_iterator(traces.begin()), std::make_move_iterator(traces.end()));
}

// The entries as the file holds them: a record per key, and the offset of
// each record.
struct Packed {
    std::string blob, offsets;
    std::uint32_t count = 0;
    double total = 0;
};

// One record per key; one reading per key and reading: the heaviest of each
// table, the tables added up (the traditional table splits a word's weight
// evenly among its readings, 便宜 bianyi and pianyi; the simplified one,
// which holds the common reading, tips the balance). A key's readings by
// weight.
Packed pack(std::vector<Raw>& raws)
{
    std::sort(raws.begin(), raws.end(), [](const Raw& a, const Raw& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.reading != b.reading)
            return a.reading < b.reading;
        if (a.source != b.source)
            return a.source < b.source;
        return a.weight > b.weight;
    });
    Packed p;
    std::vector<Raw> readings;
    for (std::size_t i = 0, j = 0; i < raws.size(); i = j) {
        readings.clear();
        std::size_t lastSource = 0;
        for (j = i; j < raws.size() && raws[j].key == raws[i].key; ++j) {
            if (readings.empty() || readings.back().reading != raws[j].reading)
                readings.push_back(raws[j]);
            else if (raws[j].source != lastSource)
                readings.back().weight += raws[j].weight;
            lastSource = raws[j].source;
        }
        std::stable_sort(readings.begin(), readings.end(),
                         [](const Raw& a, const Raw& b) { return a.weight > b.weight; });
        if (readings.size() > 0xFFFF)
            readings.resize(0xFFFF);
        append(p.offsets, static_cast<std::uint32_t>(p.blob.size()));
        append(p.blob, static_cast<std::uint16_t>(raws[i].key.size()));
        append(p.blob, static_cast<std::uint16_t>(readings.size()));
        p.blob.append(reinterpret_cast<const char*>(raws[i].key.data()), raws[i].key.size() * 2);
        for (const Raw& r : readings) {
            append(p.blob, static_cast<float>(r.weight));
            p.blob += static_cast<char>(r.reading.size());
            p.blob += r.reading;
            p.total += r.weight;
        }
        if (p.blob.size() % 2)
            p.blob += '\0';
        ++p.count;
    }
    return p;
}

} // namespace

Status PinyinDictionary::convert(const std::vector<TableSource>& sources, const std::filesystem::path& target)
{
    std::vector<Raw> raws;
    std::vector<bool> fromTraditional;
    if (Status read = readTables(sources, raws, fromTraditional); !read)
        return read;
    addSimplifiedKeys(raws, fromTraditional);
    const Packed packed = pack(raws);

    const std::string stamp = stampOf(sources);
    std::string head(kMagic, sizeof kMagic);
    append(head, static_cast<std::uint32_t>(stamp.size()));
    append(head, packed.count);
    append(head, static_cast<std::uint64_t>(packed.blob.size()));
    append(head, packed.total);
    head += stamp;
    head.resize(padded(head.size(), 8), '\0');
    head += packed.offsets;
    head.resize(padded(head.size(), 8), '\0');
    const std::string_view parts[] = {head, packed.blob};
    if (!fileio::writeFileAtomically(target, parts))
        return Failure{"cannot write " + target.string()};
    return {};
}

Result<std::unique_ptr<PinyinDictionary>> PinyinDictionary::map(const std::filesystem::path& file,
                                                                std::string_view stamp)
{
    std::unique_ptr<PinyinDictionary> d(new PinyinDictionary);
    if (!mapWhole(file, d->map_, d->mapSize_))
        return Failure{"cannot read " + file.string()};
    const unsigned char* p = d->map_;
    const auto damaged = Failure{file.string() + " is damaged"};
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0)
        return damaged;
    const auto stampSize = readAt<std::uint32_t>(p + 8);
    d->count_ = readAt<std::uint32_t>(p + 12);
    d->blobSize_ = readAt<std::uint64_t>(p + 16);
    d->total_ = readAt<double>(p + 24);
    const std::size_t offsetsAt = padded(kHeader + stampSize, 8);
    const std::size_t blobAt = padded(offsetsAt + 4 * d->count_, 8);
    if (offsetsAt > d->mapSize_ || blobAt > d->mapSize_ || d->mapSize_ - blobAt != d->blobSize_ ||
        !std::isfinite(d->total_) || d->total_ < 0)
        return damaged;
    if (!stamp.empty() && std::string_view(reinterpret_cast<const char*>(p + kHeader), stampSize) != stamp)
        return Failure{file.string() + " was made from other dictionaries"};
    d->offsets_ = p + offsetsAt;
    d->blob_ = p + blobAt;
    return d;
}

Result<std::unique_ptr<PinyinDictionary>> PinyinDictionary::open(const std::vector<TableSource>& sources,
                                                                 const std::filesystem::path& cacheDir,
                                                                 std::string_view name)
{
    const std::string stamp = stampOf(sources);
    if (stamp.find('/') == std::string::npos)
        return Failure{"no Chinese dictionary is installed"};
    const std::filesystem::path file = cacheDir / name;
    if (auto mapped = map(file, stamp))
        return mapped;
    if (Status made = convert(sources, file); !made)
        return made.failure();
    return map(file, stamp);
}

const unsigned char* PinyinDictionary::record(std::size_t i, std::size_t& size) const
{
    if (i >= count_)
        return nullptr;
    const std::uint32_t at = readAt<std::uint32_t>(offsets_ + 4 * i);
    if (at % 2 != 0 || at + 4 > blobSize_)
        return nullptr;
    size = blobSize_ - at;
    return blob_ + at;
}

std::u16string_view PinyinDictionary::keyAt(std::size_t i) const
{
    std::size_t size = 0;
    const unsigned char* r = record(i, size);
    if (!r)
        return {};
    const std::size_t length = readAt<std::uint16_t>(r);
    if (4 + 2 * length > size)
        return {};
    return {reinterpret_cast<const char16_t*>(r + 4), length};
}

std::size_t PinyinDictionary::lowerBound(std::u16string_view key) const
{
    std::size_t lo = 0, hi = count_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (keyAt(mid) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::vector<Entry> PinyinDictionary::lookup(std::u16string_view key) const
{
    std::vector<Entry> out;
    if (key.empty() || !map_)
        return out;
    const std::size_t i = lowerBound(key);
    if (i >= count_ || keyAt(i) != key)
        return out;
    std::size_t size = 0;
    const unsigned char* r = record(i, size);
    const std::size_t readings = readAt<std::uint16_t>(r + 2);
    std::size_t at = 4 + 2 * key.size();
    for (std::size_t k = 0; k < readings; ++k) {
        if (at + 5 > size)
            break;
        const float weight = readAt<float>(r + at);
        const std::size_t length = r[at + 4];
        if (at + 5 + length > size)
            break;
        out.push_back(Entry{std::string(reinterpret_cast<const char*>(r + at + 5), length),
                            std::isfinite(weight) && weight > 0 ? weight : 0.0});
        at += 5 + length;
    }
    return out;
}

double PinyinDictionary::weightOf(std::u16string_view key) const
{
    double sum = 0;
    for (const Entry& e : lookup(key))
        sum += e.weight;
    return sum;
}

bool PinyinDictionary::hasPrefix(std::u16string_view prefix) const
{
    if (!map_)
        return false;
    const std::size_t i = lowerBound(prefix);
    return i < count_ && keyAt(i).substr(0, prefix.size()) == prefix;
}

} // namespace yomi::chinese
