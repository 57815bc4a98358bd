#include "Reading/NameIndex.h"

#include <string.h> // memrchr

#include <unicode/ucnv.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "Platform/Log.h"
#include "Reading/DictionaryText.h"
#include "Platform/Text.h"
#include "Storage/FileCommit.h"

namespace yomi::reading {
namespace {

// The table's layout is NameTableHeader's (NameIndex.h). The layouts before
// it began "YOMINAM" (an index of UTF-8 keys, or a note that the text was
// sorted), "YOMIDIC1" (this layout, with the readings the word dictionary
// marks as old kana in its order), "YOMIDIC2" (without the word
// dictionary's affixes marked) or "YOMIDIC3" (without its archaic words
// marked); they are made again.
constexpr char kMagic[8] = {'Y', 'O', 'M', 'I', 'D', 'I', 'C', '4'};
constexpr char kOlderMagic[7] = {'Y', 'O', 'M', 'I', 'N', 'A', 'M'};
constexpr char kOldKanaMagic[8] = {'Y', 'O', 'M', 'I', 'D', 'I', 'C', '1'};
constexpr char kNoAffixMagic[8] = {'Y', 'O', 'M', 'I', 'D', 'I', 'C', '2'};
constexpr char kNoArchaicMagic[8] = {'Y', 'O', 'M', 'I', 'D', 'I', 'C', '3'};
// Keys a block holds at most: a lookup decodes at most this many.
constexpr std::size_t kBlockKeys = 32;
// The longest key a lookup can ask for (its EUC-JP in 255 bytes).
constexpr std::size_t kLongestKey = 255;

unsigned kindsOf(std::string_view tags)
{
    // Tags of prefixes and suffixes alone: the word dictionary's affix.
    bool affixes = !tags.empty();
    for (std::size_t start = 0; start <= tags.size() && affixes;) {
        const std::size_t end = std::min(tags.find(',', start), tags.size());
        const std::string_view t = tags.substr(start, end - start);
        affixes = t == "n-suf" || t == "suf" || t == "pref" || t == "n-pref";
        start = end + 1;
    }
    if (affixes)
        return kAffixOnly;
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

// Whether a parenthesis of tags ("n,ok") holds the tag.
bool hasTag(std::string_view tags, std::string_view tag)
{
    std::size_t start = 0;
    while (start <= tags.size()) {
        const std::size_t end = std::min(tags.find(',', start), tags.size());
        if (tags.substr(start, end - start) == tag)
            return true;
        start = end + 1;
    }
    return false;
}

// Whether the parentheses that follow a line's first one, before its first
// gloss, call the first sense archaic or obsolete ("/(exp) (arch) under a
// tree/", "/(n) (1) (obs) ...").
bool archaicFirstSense(std::string_view line, std::size_t after)
{
    std::size_t at = after;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        if (at >= line.size() || line[at] != '(')
            return false;
        const std::size_t close = line.find(')', at);
        if (close == std::string_view::npos)
            return false;
        const std::string_view tag = line.substr(at + 1, close - at - 1);
        if (tag == "arch" || tag == "obs")
            return true;
        at = close + 1;
    }
    return false;
}

// The entry of one dictionary line "KEY [READING] /(kinds) gloss/…/" whose
// key is its first `keyLength` bytes: the reading decoded from EUC-JP into
// katakana, the kinds of its first parenthesis, kCommon for "(P)". False for
// a line of another form or a reading that cannot be decoded whole.
bool entryOfLine(std::string_view line, std::size_t keyLength, UConverter* converter, NameEntry& entry)
{
    const std::size_t open = keyLength;
    const std::size_t close = line.find("] /(", open);
    if (line.compare(open, 2, " [") != 0 || close == std::string_view::npos || close == open + 2)
        return false;
    const std::size_t tagsEnd = line.find(')', close + 4);
    if (tagsEnd == std::string_view::npos)
        return false;
    const std::string_view reading = line.substr(open + 2, close - open - 2);
    UChar decoded[128];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter);
    const int32_t n =
        ucnv_toUChars(converter, decoded, 128, reading.data(), static_cast<int32_t>(reading.size()), &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
        return false;
    const std::string utf8 = toUtf8(std::u16string_view(decoded, static_cast<std::size_t>(n)));
    const std::string_view tags = line.substr(close + 4, tagsEnd - close - 4);
    entry.oldKana = hasTag(tags, "ok") || hasTag(tags, "ik");
    unsigned kinds = kindsOf(tags);
    if (!(kinds & (kSurname | kGiven | kUnclassified | kFullName | kPlace)) && archaicFirstSense(line, tagsEnd + 1))
        kinds |= kArchaic;
    if (line.find("/(P)/") != std::string_view::npos)
        kinds |= kCommon;
    entry.reading = katakana(utf8);
    entry.kinds = hasKatakana(utf8) ? kinds | kTranscribed : kinds;
    return true;
}

// A key's readings that the word dictionary marks as old or irregular kana
// (九日 ここぬか (ok), beside ここのか) after the others, the order kept
// among each: a name may still be read so (旅人 たびと), a word seldom.
void lastOldKana(std::vector<NameEntry>& entries)
{
    std::stable_partition(entries.begin(), entries.end(), [](const NameEntry& e) { return !e.oldKana; });
}

// The key of a line: its bytes up to the first space or its end.
std::string_view keyOfLine(std::string_view line)
{
    return line.substr(0, std::min(line.find(' '), line.size()));
}

void putNumber(std::string& out, std::size_t n)
{
    while (n >= 0x80) {
        out += static_cast<char>(0x80 | (n & 0x7F));
        n >>= 7;
    }
    out += static_cast<char>(n);
}

// A reading in the table: a katakana letter (E3 82 A0 .. E3 83 BF) as one
// byte 0x80 + (code point - U+30A0), ASCII as itself, any other byte as 0xE0
// and the byte.
void putReading(std::string& out, std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b == 0xE3 && i + 2 < utf8.size()) {
            const auto b1 = static_cast<unsigned char>(utf8[i + 1]), b2 = static_cast<unsigned char>(utf8[i + 2]);
            if ((b1 == 0x82 && b2 >= 0xA0 && b2 <= 0xBF) || (b1 == 0x83 && b2 >= 0x80 && b2 <= 0xBF)) {
                const unsigned cp = 0x3000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
                out += static_cast<char>(0x80 + (cp - 0x30A0));
                i += 2;
                continue;
            }
        }
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xE0);
            out += static_cast<char>(b);
        }
    }
}

// Reads a block's bytes; every read is checked against the block's end, so
// a damaged block ends a lookup instead of reading past it.
struct Cursor {
    const unsigned char* at;
    const unsigned char* end;
    bool ok = true;

    std::size_t number()
    {
        std::size_t n = 0;
        for (unsigned shift = 0; shift < 32; shift += 7) {
            if (at == end)
                break;
            const unsigned char b = *at++;
            n |= static_cast<std::size_t>(b & 0x7F) << shift;
            if (!(b & 0x80))
                return n;
        }
        ok = false;
        at = end;
        return 0;
    }
    std::string_view bytes(std::size_t n)
    {
        if (!ok || n > static_cast<std::size_t>(end - at)) {
            ok = false;
            at = end;
            return {};
        }
        const std::string_view out(reinterpret_cast<const char*>(at), n);
        at += n;
        return out;
    }
};

// The UTF-8 of a reading as putReading wrote it; false when it ends inside
// an escape.
bool takeReading(std::string_view stored, std::string& out)
{
    out.clear();
    out.reserve(stored.size() * 3);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto b = static_cast<unsigned char>(stored[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b < 0xE0) {
            const unsigned cp = 0x30A0 + (b - 0x80);
            out += static_cast<char>(0xE3);
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (b == 0xE0 && i + 1 < stored.size()) {
            out += stored[++i];
        } else {
            return false;
        }
    }
    return true;
}

// The parts of a table, written in key order one key at a time.
class TableWriter {
public:
    std::vector<std::uint32_t> blockStarts, keyStarts;
    std::string keyArea, blob;
    std::uint64_t keys = 0;

    void add(std::string_view key, const std::vector<NameEntry>& entries)
    {
        if (inBlock_ == kBlockKeys || blockStarts.empty()) {
            blockStarts.push_back(static_cast<std::uint32_t>(blob.size()));
            keyStarts.push_back(static_cast<std::uint32_t>(keyArea.size()));
            keyArea += key;
            previous_.clear();
            inBlock_ = 0;
        }
        std::size_t shared = 0;
        while (shared < previous_.size() && shared < key.size() && previous_[shared] == key[shared])
            ++shared;
        putNumber(blob, shared);
        putNumber(blob, key.size() - shared);
        blob += key.substr(shared);
        putNumber(blob, entries.size());
        for (const NameEntry& e : entries) {
            blob += static_cast<char>(e.kinds & 0xFF);
            stored_.clear();
            putReading(stored_, e.reading);
            putNumber(blob, stored_.size());
            blob += stored_;
        }
        previous_.assign(key);
        ++inBlock_;
        ++keys;
    }
    void finish()
    {
        blockStarts.push_back(static_cast<std::uint32_t>(blob.size()));
        keyStarts.push_back(static_cast<std::uint32_t>(keyArea.size()));
    }

private:
    std::string previous_, stored_;
    std::size_t inBlock_ = 0;
};

// Whether a key written in EUC-JP holds a Han character once decoded; a key
// that cannot be decoded is kept.
bool eucKeyHasHan(std::string_view key, UConverter* converter)
{
    UChar decoded[kLongestKey + 1];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter);
    const int32_t n = ucnv_toUChars(converter, decoded, static_cast<int32_t>(kLongestKey + 1), key.data(), static_cast<int32_t>(key.size()),
                                    &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
        return true;
    return hasHan(toUtf8(std::u16string_view(decoded, static_cast<std::size_t>(n))));
}

UConverter* eucJpConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("EUC-JP", &status);
    if (U_FAILURE(status))
        return nullptr;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return converter;
}

} // namespace

std::uint64_t NameIndex::checksum(std::string_view bytes)
{
    // Four lanes of multiply and rotate over 8-byte words, folded together.
    constexpr std::uint64_t kPrime = 0x9E3779B97F4A7C15ull;
    std::uint64_t lane[4] = {kPrime, kPrime ^ 1, kPrime ^ 2, kPrime ^ bytes.size()};
    std::size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32)
        for (int l = 0; l < 4; ++l) {
            std::uint64_t w;
            std::memcpy(&w, bytes.data() + i + 8 * l, 8);
            lane[l] = (lane[l] ^ w) * kPrime;
            lane[l] ^= lane[l] >> 31;
        }
    std::uint64_t h = lane[0] ^ (lane[1] * 3) ^ (lane[2] * 5) ^ (lane[3] * 7);
    for (; i < bytes.size(); ++i)
        h = (h ^ static_cast<unsigned char>(bytes[i])) * kPrime;
    return h ^ (h >> 29);
}

std::uint64_t NameIndex::tableChecksum(const NameTableHeader& header, std::string_view body)
{
    NameTableHeader zeroed = header;
    zeroed.checksum = 0;
    const std::uint64_t head = checksum(std::string_view(reinterpret_cast<const char*>(&zeroed), sizeof zeroed));
    return head ^ (checksum(body) * 0xC2B2AE3D27D4EB4Full);
}

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
    if (converter_)
        ucnv_close(converter_);
}

bool NameIndex::openConverter()
{
    converter_ = eucJpConverter();
    return converter_ != nullptr;
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
    mapped_ = std::make_unique<MappedText>(file);
    return !mapped_->text().empty();
}


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
    const MappedText mapped(source, true);
    const std::unique_ptr<UConverter, void (*)(UConverter*)> converter(eucJpConverter(), ucnv_close);
    if (mapped.text().empty() || !converter)
        return Failure{"cannot read " + source.string()};
    const std::string_view text = mapped.text();

    TableWriter writer;
    std::string_view key;
    std::vector<NameEntry> entries;
    NameEntry entry;
    auto flush = [&] {
        lastOldKana(entries);
        if (!entries.empty() && key.size() <= kLongestKey && eucKeyHasHan(key, converter.get()))
            writer.add(key, entries);
        entries.clear();
    };
    auto take = [&](std::string_view line) {
        const std::string_view k = keyOfLine(line);
        if (k != key) {
            flush();
            key = k;
        }
        if (entryOfLine(line, k.size(), converter.get(), entry))
            entries.push_back(entry);
    };
    // The lines in key order, the text's order kept among the lines of a key;
    // a text sorted so, as the package ships it, is read as it lies.
    const bool sorted = sortedByKey(text);
    std::vector<std::string_view> order;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (sorted)
            take(text.substr(at, end - at));
        else
            order.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::stable_sort(order.begin(), order.end(),
                     [](std::string_view a, std::string_view b) { return keyOfLine(a) < keyOfLine(b); });
    for (const std::string_view line : order)
        take(line);
    flush();
    writer.finish();
    if (writer.blob.size() > UINT32_MAX || writer.keyArea.size() > UINT32_MAX)
        return Failure{source.string() + " is too large for a table"};

    NameTableHeader header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.sourceSize = sourceSize;
    header.sourceTime = sourceTime;
    header.keys = writer.keys;
    header.blocks = writer.blockStarts.size() - 1;
    header.keyAreaSize = writer.keyArea.size();
    header.blobSize = writer.blob.size();
    std::string body;
    body.reserve(8 * writer.blockStarts.size() + writer.keyArea.size() + writer.blob.size());
    body.append(reinterpret_cast<const char*>(writer.blockStarts.data()), writer.blockStarts.size() * 4);
    body.append(reinterpret_cast<const char*>(writer.keyStarts.data()), writer.keyStarts.size() * 4);
    body += writer.keyArea;
    body += writer.blob;
    header.checksum = tableChecksum(header, body);
    const std::string_view parts[] = {std::string_view(reinterpret_cast<const char*>(&header), sizeof header), body};
    if (Status written = fileio::writeFileAtomically(target, parts); !written)
        return Failure{"cannot write " + target.string() + ": " + written.reason()};
    return {};
}

std::unique_ptr<NameIndex> NameIndex::openTable(const std::filesystem::path& file, std::uint64_t sourceSize,
                                                std::int64_t sourceTime, std::string& why)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        why = "missing";
        return nullptr;
    }
    std::unique_ptr<NameIndex> index(new NameIndex);
    if (!index->mapFile(file)) {
        why = std::filesystem::file_size(file, ec) == 0 && !ec ? "cut short (empty)" : "unreadable";
        return nullptr;
    }
    const std::string_view mapped = index->mapped_->text();
    const std::size_t size = mapped.size();
    NameTableHeader h{};
    std::memcpy(&h, mapped.data(), std::min(size, sizeof h));
    if ((size >= sizeof kOlderMagic && std::memcmp(h.magic, kOlderMagic, sizeof kOlderMagic) == 0) ||
        (size >= sizeof kOldKanaMagic && std::memcmp(h.magic, kOldKanaMagic, sizeof kOldKanaMagic) == 0) ||
        (size >= sizeof kNoAffixMagic && std::memcmp(h.magic, kNoAffixMagic, sizeof kNoAffixMagic) == 0) ||
        (size >= sizeof kNoArchaicMagic && std::memcmp(h.magic, kNoArchaicMagic, sizeof kNoArchaicMagic) == 0)) {
        why = "of an older layout";
        return nullptr;
    }
    if (std::memcmp(h.magic, kMagic, std::min(size, sizeof kMagic)) != 0) {
        why = "of an unknown layout";
        return nullptr;
    }
    if (size < sizeof h) {
        why = "cut short (" + std::to_string(size) + " bytes, less than its header)";
        return nullptr;
    }
    if (h.sourceSize != sourceSize || h.sourceTime != sourceTime) {
        why = "made from another version of the dictionary";
        return nullptr;
    }
    // Each part no larger than the file, so that their sum cannot overflow.
    const std::uint64_t parts[] = {h.blocks, h.keyAreaSize, h.blobSize};
    if (std::any_of(std::begin(parts), std::end(parts), [&](std::uint64_t p) { return p > size; })) {
        why = "damaged (its header gives parts larger than the file)";
        return nullptr;
    }
    const std::uint64_t expected = sizeof h + 8 * (h.blocks + 1) + h.keyAreaSize + h.blobSize;
    if (size != expected) {
        why = (size < expected ? "cut short (" : "longer than its header says (") + std::to_string(size) +
            " bytes, not " + std::to_string(expected) + ")";
        return nullptr;
    }
    const std::string_view body = mapped.substr(sizeof h);
    const bool intact = tableChecksum(h, body) == h.checksum;
    // The check read every page; a lookup needs only the index and a block.
    index->mapped_->release();
    if (!intact) {
        why = "damaged (its checksum does not match)";
        return nullptr;
    }
    index->blocks_ = h.blocks;
    index->blockStarts_ = reinterpret_cast<const std::uint32_t*>(body.data());
    index->keyStarts_ = index->blockStarts_ + h.blocks + 1;
    index->keyArea_ = body.data() + 8 * (h.blocks + 1);
    index->blob_ = index->keyArea_ + h.keyAreaSize;
    // Offsets that run backwards or past their area would send a lookup
    // outside the file.
    auto ordered = [&](const std::uint32_t* starts, std::uint64_t areaSize) {
        for (std::size_t b = 0; b < h.blocks; ++b)
            if (starts[b] > starts[b + 1])
                return false;
        return starts[0] == 0 && starts[h.blocks] == areaSize;
    };
    if (!ordered(index->blockStarts_, h.blobSize) || !ordered(index->keyStarts_, h.keyAreaSize)) {
        why = "damaged (its offsets run backwards or past their part)";
        return nullptr;
    }
    if (!index->openConverter()) {
        why = "unreadable: no EUC-JP converter";
        return nullptr;
    }
    index->count_ = h.keys;
    return index;
}

std::unique_ptr<NameIndex> NameIndex::openInPlace(const std::filesystem::path& source)
{
    std::unique_ptr<NameIndex> index(new NameIndex);
    if (!index->mapFile(source))
        return nullptr;
    const bool sorted = sortedByKey(index->mapped_->text(), &index->count_);
    // The check read every page; the searches need only a few.
    index->mapped_->release();
    if (!sorted || !index->openConverter())
        return nullptr;
    index->inPlace_ = true;
    return index;
}

Status NameIndex::checkTable(const std::filesystem::path& table, const std::filesystem::path& source)
{
    std::uint64_t sourceSize = 0;
    std::int64_t sourceTime = 0;
    if (!sourceStamp(source, sourceSize, sourceTime))
        return Failure{"cannot read " + source.string()};
    std::string why;
    if (!openTable(table, sourceSize, sourceTime, why))
        return Failure{table.string() + " is " + why};
    return {};
}

Result<std::unique_ptr<NameIndex>> NameIndex::open(const std::filesystem::path& source,
                                                   const std::filesystem::path& cacheDir, std::string_view indexName)
{
    std::uint64_t sourceSize = 0;
    std::int64_t sourceTime = 0;
    if (!sourceStamp(source, sourceSize, sourceTime))
        return Failure{"cannot read " + source.string()};
    const std::filesystem::path file = cacheDir / indexName;
    std::string why;
    if (auto table = openTable(file, sourceSize, sourceTime, why))
        return table;
    const std::string before = why;
    if (Status built = build(source, file); !built) {
        why = built.reason();
    } else if (auto table = openTable(file, sourceSize, sourceTime, why)) {
        if (before != "missing" && before != "made from another version of the dictionary")
            log::write(file.string() + " was " + before + "; it was made again from " + source.string() + "\n",
                       log::Priority::Warning);
        table->madeNow_ = true;
        return table;
    } else {
        why = file.string() + " is " + why + " right after it was made";
    }
    // No table can be had: the text searched where it lies, if it is sorted.
    if (auto direct = openInPlace(source))
        return direct;
    return Failure{why + ", and " + source.string() + " is not sorted by key to be searched in place"};
}

std::size_t NameIndex::eucKey(std::string_view key, char* out) const
{
    if (!hasHan(key))
        return 0;
    const std::u16string wide = toUtf16(key);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_);
    const int32_t length =
        ucnv_fromUChars(converter_, out, static_cast<int32_t>(kLongestKey + 1), wide.data(), static_cast<int32_t>(wide.size()), &status);
    if (U_FAILURE(status) || length <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
        return 0; // a character the dictionary cannot hold
    return static_cast<std::size_t>(length);
}

std::vector<NameEntry> NameIndex::lookup(std::string_view key) const
{
    char euc[kLongestKey + 1];
    const std::size_t length = eucKey(key, euc);
    if (length == 0)
        return {};
    const std::string_view target(euc, length);
    return inPlace_ ? lookupInPlace(target) : lookupInTable(target);
}

std::string_view NameIndex::firstKey(std::size_t block) const
{
    return std::string_view(keyArea_ + keyStarts_[block], keyStarts_[block + 1] - keyStarts_[block]);
}

std::vector<NameEntry> NameIndex::lookupInTable(std::string_view target) const
{
    // The last block whose first key is not greater than the target.
    std::size_t lo = 0, hi = blocks_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (firstKey(mid) <= target)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return {};
    const auto* blob = reinterpret_cast<const unsigned char*>(blob_);
    Cursor c{blob + blockStarts_[lo - 1], blob + blockStarts_[lo]};
    char key[kLongestKey];
    std::size_t keyLength = 0;
    while (c.at < c.end) {
        const std::size_t shared = c.number();
        const std::string_view rest = c.bytes(c.number());
        if (!c.ok || shared > keyLength || rest.size() > kLongestKey - shared)
            return {};
        std::memcpy(key + shared, rest.data(), rest.size());
        keyLength = shared + rest.size();
        const std::size_t count = c.number();
        const int order = std::string_view(key, keyLength).compare(target);
        if (order > 0)
            return {};
        std::vector<NameEntry> entries;
        for (std::size_t i = 0; i < count && c.ok; ++i) {
            const std::string_view kinds = c.bytes(1);
            const std::string_view stored = c.bytes(c.number());
            if (order == 0 && c.ok) {
                NameEntry& e = entries.emplace_back();
                e.kinds = static_cast<unsigned char>(kinds[0]);
                if (!takeReading(stored, e.reading))
                    return {};
            }
        }
        if (!c.ok)
            return {};
        if (order == 0)
            return entries;
    }
    return {};
}

std::vector<NameEntry> NameIndex::lookupInPlace(std::string_view target) const
{
    // The first line whose key is not smaller than the target; lo and hi are
    // line starts.
    std::vector<NameEntry> entries;
    const std::string_view text = mapped_->text();
    auto keyAt = [&](std::size_t at) {
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n')
            ++end;
        return text.substr(at, end - at);
    };
    std::size_t lo = 0, hi = text.size();
    while (lo < hi) {
        std::size_t line = lo + (hi - lo) / 2;
        if (const void* newline = ::memrchr(text.data() + lo, '\n', line - lo))
            line = static_cast<std::size_t>(static_cast<const char*>(newline) - text.data()) + 1;
        else
            line = lo;
        if (keyAt(line) < target) {
            const std::size_t newline = text.find('\n', line);
            lo = newline == std::string_view::npos ? text.size() : newline + 1;
        } else {
            hi = line;
        }
    }
    NameEntry entry;
    for (std::size_t at = lo; at < text.size() && keyAt(at) == target;) {
        const std::size_t newline = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, newline - at);
        at = newline + 1;
        if (entryOfLine(line, target.size(), converter_, entry))
            entries.push_back(entry);
    }
    lastOldKana(entries);
    return entries;
}

} // namespace yomi::reading
