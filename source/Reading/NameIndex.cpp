#include "Reading/NameIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Platform/Text.h"
#include "Storage/FileCommit.h"

namespace yomi::reading {
namespace {

// File layout: the header, `count` record offsets (into the blob), the blob.
// A record is: key, then for each reading a tab, one kind byte (0x80 | kinds)
// and the reading; records end with a line feed. The note that the source is
// sorted is a header alone, with kSourceSorted set and no records.
constexpr char kMagic[8] = {'Y', 'O', 'M', 'I', 'N', 'A', 'M', '2'};
constexpr std::uint64_t kSourceSorted = 1;

struct Header {
    char magic[8];
    std::uint64_t sourceSize;
    std::int64_t sourceTime; // nanoseconds
    std::uint64_t count;
    std::uint64_t blobSize;
    std::uint64_t flags;
};

unsigned kindsOf(std::string_view tags)
{
    unsigned kinds = 0;
    std::size_t start = 0;
    while (start <= tags.size()) {
        std::size_t end = tags.find(',', start);
        if (end == std::string_view::npos)
            end = tags.size();
        const std::string_view t = tags.substr(start, end - start);
        if (t == "s")
            kinds |= kSurname;
        else if (t == "g" || t == "f" || t == "m")
            kinds |= kGiven;
        else if (t == "u")
            kinds |= kUnclassified;
        else if (t == "h")
            kinds |= kFullName;
        else if (t == "p" || t == "st")
            kinds |= kPlace;
        else if (!t.empty())
            kinds |= kOtherName;
        start = end + 1;
    }
    return kinds;
}

// Hiragana (three-byte UTF-8 E3 81 81 .. E3 82 96) to katakana.
std::string katakana(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i + 2 < out.size(); ++i) {
        auto b0 = static_cast<unsigned char>(out[i]), b1 = static_cast<unsigned char>(out[i + 1]),
             b2 = static_cast<unsigned char>(out[i + 2]);
        if (b0 != 0xE3)
            continue;
        unsigned cp = ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
        if (cp >= 0x3041 && cp <= 0x3096) {
            cp += 0x60;
            out[i + 1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out[i + 2] = static_cast<char>(0x80 | (cp & 0x3F));
            i += 2;
        }
    }
    return out;
}

// Whether UTF-8 text holds a katakana letter (U+30A1..U+30FA: E3 82 A1 ..
// E3 83 BA).
bool hasKatakana(std::string_view text)
{
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]), b1 = static_cast<unsigned char>(text[i + 1]),
                   b2 = static_cast<unsigned char>(text[i + 2]);
        if (b0 == 0xE3 && ((b1 == 0x82 && b2 >= 0xA1) || (b1 == 0x83 && b2 <= 0xBA)))
            return true;
    }
    return false;
}

// Whether UTF-8 text holds a Han character (first byte E3..E9 in the CJK
// blocks, or a four-byte form).
bool hasHan(std::string_view text)
{
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 >= 0xF0)
            return true;
        if (b0 >= 0xE3 && b0 <= 0xE9) {
            const unsigned cp = ((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                (static_cast<unsigned char>(text[i + 2]) & 0x3F);
            if ((cp >= 0x3400 && cp <= 0x9FFF) || cp == 0x3005)
                return true;
        }
    }
    return false;
}

struct Line {
    std::string_view key;
    std::string reading;
    unsigned kinds;
};

} // namespace

bool sourceStamp(const std::filesystem::path& source, std::uint64_t& size, std::int64_t& time)
{
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        return false;
    size = static_cast<std::uint64_t>(st.st_size);
    time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

NameIndex::~NameIndex()
{
    if (map_)
        ::munmap(const_cast<char*>(map_), mapSize_);
    if (converter_)
        ucnv_close(converter_);
}

bool NameIndex::sortedByKey(std::string_view text, std::size_t* lines)
{
    std::string_view previous;
    std::size_t count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const char* begin = text.data() + start;
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', text.size() - start));
        const std::size_t length = newline ? static_cast<std::size_t>(newline - begin) : text.size() - start;
        const auto* space = static_cast<const char*>(std::memchr(begin, ' ', length));
        const std::string_view key(begin, space ? static_cast<std::size_t>(space - begin) : length);
        if (key < previous)
            return false;
        previous = key;
        start += length + 1;
        ++count;
    }
    if (lines)
        *lines = count;
    return true;
}

bool NameIndex::mapFile(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        void* m = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (m != MAP_FAILED) {
            map_ = static_cast<const char*>(m);
            mapSize_ = static_cast<std::size_t>(st.st_size);
        }
    }
    ::close(fd);
    return map_ != nullptr;
}

namespace {

// The dictionary text converted from EUC-JP to UTF-8.
Result<std::string> utf8Text(const std::filesystem::path& source)
{
    std::ifstream in(source, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return Failure{"cannot read " + source.string()};
    UErrorCode status = U_ZERO_ERROR;
    if (raw.size() > (std::size_t{1} << 28))
        status = U_BUFFER_OVERFLOW_ERROR; // no name dictionary is this large
    std::string text(U_SUCCESS(status) ? raw.size() * 2 + 16 : 0, '\0');
    const int32_t length = ucnv_convert("UTF-8", "EUC-JP", text.data(), static_cast<int32_t>(text.size()), raw.data(),
                                        static_cast<int32_t>(raw.size()), &status);
    if (U_FAILURE(status))
        return Failure{"cannot convert " + source.string() + " from EUC-JP"};
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Lines "KEY [READING] /(kinds) gloss/…/"; only keys with Han characters
// are kept, since kana reads as itself. In key order, the text's order kept
// within a key.
std::vector<Line> linesOf(const std::string& text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos || space == 0)
            continue;
        const std::string_view key = line.substr(0, space);
        if (!hasHan(key) || line.compare(space, 2, " [") != 0)
            continue;
        const std::size_t close = line.find("] /(", space);
        if (close == std::string_view::npos)
            continue;
        const std::string_view reading = line.substr(space + 2, close - space - 2);
        const std::size_t tagsEnd = line.find(')', close + 4);
        if (tagsEnd == std::string_view::npos || reading.empty())
            continue;
        const unsigned kinds = kindsOf(line.substr(close + 4, tagsEnd - close - 4));
        lines.push_back(Line{key, katakana(reading), hasKatakana(reading) ? kinds | kTranscribed : kinds});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.key < b.key; });
    return lines;
}

// The records of the index file: one a key, with its offset in the blob.
struct Records {
    std::vector<std::uint32_t> offsets;
    std::string blob;
};

Records recordsOf(const std::vector<Line>& lines)
{
    Records r;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].key != lines[i - 1].key) {
            if (i)
                r.blob += '\n';
            r.offsets.push_back(static_cast<std::uint32_t>(r.blob.size()));
            r.blob += lines[i].key;
        }
        r.blob += '\t';
        r.blob += static_cast<char>(0x80 | lines[i].kinds);
        r.blob += lines[i].reading;
    }
    r.blob += '\n';
    return r;
}

} // namespace

Status NameIndex::build(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::uint64_t sourceSize = 0;
    std::int64_t sourceTime = 0;
    if (!sourceStamp(source, sourceSize, sourceTime))
        return Failure{"cannot read " + source.string()};
    // A cache folder that cannot be written costs no parse.
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (::access(target.parent_path().c_str(), W_OK) != 0)
        return Failure{"cannot write " + target.string()};
    const Result<std::string> text = utf8Text(source);
    if (!text)
        return text.failure();
    const Records records = recordsOf(linesOf(*text));

    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.sourceSize = sourceSize;
    header.sourceTime = sourceTime;
    header.count = records.offsets.size();
    header.blobSize = records.blob.size();
    const std::string_view parts[] = {
        std::string_view(reinterpret_cast<const char*>(&header), sizeof header),
        std::string_view(reinterpret_cast<const char*>(records.offsets.data()),
                         records.offsets.size() * sizeof(std::uint32_t)),
        records.blob,
    };
    if (!fileio::writeFileAtomically(target, parts))
        return Failure{"cannot write " + target.string()};
    return {};
}

Result<std::unique_ptr<NameIndex>> NameIndex::open(const std::filesystem::path& source,
                                                   const std::filesystem::path& cacheDir, std::string_view indexName)
{
    std::uint64_t sourceSize = 0;
    std::int64_t sourceTime = 0;
    if (!sourceStamp(source, sourceSize, sourceTime))
        return Failure{"cannot read " + source.string()};

    // The source searched where it lies.
    auto inPlace = [&](bool check, std::size_t lines) -> std::unique_ptr<NameIndex> {
        std::unique_ptr<NameIndex> index(new NameIndex);
        if (!index->mapFile(source))
            return nullptr;
        index->count_ = lines;
        if (check) {
            const bool sorted = sortedByKey(std::string_view(index->map_, index->mapSize_), &index->count_);
            // The check read every page; the searches need only a few.
            ::madvise(const_cast<char*>(index->map_), index->mapSize_, MADV_DONTNEED);
            if (!sorted)
                return nullptr;
        }
        UErrorCode status = U_ZERO_ERROR;
        index->converter_ = ucnv_open("EUC-JP", &status);
        if (U_FAILURE(status))
            return nullptr;
        ucnv_setFromUCallBack(index->converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        return index;
    };

    const std::filesystem::path file = cacheDir / indexName;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<NameIndex> index(new NameIndex);
        if (index->mapFile(file) && index->mapSize_ >= sizeof(Header)) {
            Header h;
            std::memcpy(&h, index->map_, sizeof h);
            const bool sorted = h.flags & kSourceSorted;
            const std::size_t records = index->mapSize_ / sizeof(std::uint32_t);
            const bool whole = sorted ? index->mapSize_ == sizeof h
                                      : h.count <= records && h.blobSize <= index->mapSize_ &&
                    sizeof h + h.count * sizeof(std::uint32_t) + h.blobSize == index->mapSize_;
            if (std::memcmp(h.magic, kMagic, sizeof kMagic) == 0 && h.sourceSize == sourceSize &&
                h.sourceTime == sourceTime && whole) {
                if (sorted) {
                    if (auto direct = inPlace(false, h.count))
                        return direct;
                    return Failure{"cannot map " + source.string()};
                }
                index->count_ = h.count;
                index->offsets_ = reinterpret_cast<const std::uint32_t*>(index->map_ + sizeof h);
                index->blob_ = index->map_ + sizeof h + h.count * sizeof(std::uint32_t);
                index->blobSize_ = h.blobSize;
                return index;
            }
        }
        if (attempt > 0)
            break;
        if (auto direct = inPlace(true, 0)) {
            // A note that cannot be written costs the check again next time.
            Header note{};
            std::memcpy(note.magic, kMagic, sizeof kMagic);
            note.sourceSize = sourceSize;
            note.sourceTime = sourceTime;
            note.count = direct->count_;
            note.flags = kSourceSorted;
            (void)fileio::writeFileAtomically(file,
                                              std::string_view(reinterpret_cast<const char*>(&note), sizeof note));
            return direct;
        }
        if (Status built = build(source, file); !built)
            return built.failure();
    }
    return Failure{"cannot map " + file.string()};
}

std::string_view NameIndex::record(std::size_t i) const
{
    const std::size_t begin = offsets_[i];
    const std::size_t end = i + 1 < count_ ? offsets_[i + 1] - 1 : blobSize_ - 1;
    if (begin > end || end > blobSize_)
        return {};
    return std::string_view(blob_ + begin, end - begin);
}

std::vector<NameEntry> NameIndex::lookup(std::string_view key) const
{
    if (converter_)
        return lookupInPlace(key);
    std::vector<NameEntry> entries;
    std::size_t lo = 0, hi = count_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::string_view r = record(mid);
        const std::string_view k = r.substr(0, r.find('\t'));
        if (k < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo >= count_)
        return entries;
    const std::string_view r = record(lo);
    const std::size_t tab = r.find('\t');
    if (r.substr(0, tab) != key)
        return entries;
    std::size_t at = tab;
    while (at != std::string_view::npos && at + 1 < r.size()) {
        const std::size_t next = r.find('\t', at + 1);
        const std::string_view field = r.substr(at + 1, (next == std::string_view::npos ? r.size() : next) - at - 1);
        if (field.size() > 1)
            entries.push_back(NameEntry{std::string(field.substr(1)), static_cast<unsigned>(field[0]) & 0x7F});
        at = next;
    }
    return entries;
}

std::vector<NameEntry> NameIndex::lookupInPlace(std::string_view key) const
{
    std::vector<NameEntry> entries;
    if (!hasHan(key))
        return entries;
    const std::u16string wide = toUtf16(key);
    char euc[256];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_);
    const int32_t length =
        ucnv_fromUChars(converter_, euc, sizeof euc, wide.data(), static_cast<int32_t>(wide.size()), &status);
    if (U_FAILURE(status) || length <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
        return entries; // a character the dictionary cannot hold
    const std::string_view target(euc, static_cast<std::size_t>(length));

    // The first line whose key is not smaller than the target; lo and hi are
    // line starts.
    const std::string_view text(map_, mapSize_);
    auto keyAt = [&](std::size_t at) {
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n')
            ++end;
        return text.substr(at, end - at);
    };
    std::size_t lo = 0, hi = text.size();
    while (lo < hi) {
        std::size_t line = lo + (hi - lo) / 2;
        if (const void* newline = ::memrchr(map_ + lo, '\n', line - lo))
            line = static_cast<std::size_t>(static_cast<const char*>(newline) - map_) + 1;
        else
            line = lo;
        if (keyAt(line) < target) {
            const std::size_t newline = text.find('\n', line);
            lo = newline == std::string_view::npos ? text.size() : newline + 1;
        } else {
            hi = line;
        }
    }

    // Lines "KEY [READING] /(kinds) gloss/…/".
    for (std::size_t at = lo; at < text.size() && keyAt(at) == target;) {
        std::size_t newline = text.find('\n', at);
        if (newline == std::string_view::npos)
            newline = text.size();
        const std::string_view line = text.substr(at, newline - at);
        at = newline + 1;
        const std::size_t open = target.size();
        const std::size_t close = line.find("] /(", open);
        if (line.compare(open, 2, " [") != 0 || close == std::string_view::npos || close == open + 2)
            continue;
        const std::size_t tagsEnd = line.find(')', close + 4);
        if (tagsEnd == std::string_view::npos)
            continue;
        const std::string_view reading = line.substr(open + 2, close - open - 2);
        UChar decoded[128];
        status = U_ZERO_ERROR;
        ucnv_resetToUnicode(converter_);
        const int32_t n =
            ucnv_toUChars(converter_, decoded, 128, reading.data(), static_cast<int32_t>(reading.size()), &status);
        if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
            continue;
        const std::string utf8 = toUtf8(std::u16string_view(decoded, static_cast<std::size_t>(n)));
        unsigned kinds = kindsOf(line.substr(close + 4, tagsEnd - close - 4));
        if (line.find("/(P)/") != std::string_view::npos)
            kinds |= kCommon;
        entries.push_back(NameEntry{katakana(utf8), hasKatakana(utf8) ? kinds | kTranscribed : kinds});
    }
    return entries;
}

} // namespace yomi::reading
