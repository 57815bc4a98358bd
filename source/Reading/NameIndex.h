// The proper-name dictionary (the EUC-JP text of the enamdict package), or
// the word dictionary of the same form (edict), searched by key. The text is
// turned once into a compact table in the cache folder: only what a lookup
// gives (each written form holding a Han character, its readings in katakana
// and their kinds), keys front-coded in blocks of a few dozen, readings one
// byte a kana. The table is mapped and searched where it lies: a lookup reads
// the small index of the blocks' first keys and one block. It is made again
// when the text's size or time changes, or when it is cut short, damaged or of
// an older layout. When the cache folder cannot hold it, a text sorted by key
// (as the package ships it) is searched in place instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

struct UConverter;

namespace yomi::reading {

class MappedText;

// The kinds of an entry, as bits.
enum NameKind : unsigned {
    kSurname = 1,
    kGiven = 2,        // given name, male or female
    kUnclassified = 4, // surname or given name
    kFullName = 8,     // the full name of one person
    // In the word dictionary, whose entries are no person's names, the bit
    // of a full name marks an entry that is only a prefix or a suffix
    // ("(n-suf,pref)": 街 がい, beside the noun まち).
    kAffixOnly = kFullName,
    // And the bit of a surname an entry whose first sense it calls archaic
    // or obsolete ("(arch)": 木の下 このした, under a tree).
    kArchaic = kSurname,
    kPlace = 16,
    kOtherName = 32, // companies, products, works, organisations
    // The dictionary writes the reading in katakana: for a name of Han
    // characters alone, the transcription of a foreigner's name.
    kTranscribed = 64,
    // The word dictionary marks the entry as a word in common use ("(P)");
    // known only of a text searched in place.
    kCommon = 128,
};

struct NameEntry {
    std::string reading; // UTF-8 katakana
    unsigned kinds = 0;
    // Marked as old or irregular kana ("(ok)", "(ik)"); such entries come
    // after a key's others. Known while a table is made and of a text
    // searched in place.
    bool oldKana = false;
};

// The table file: this header, then (blocks + 1) offsets of the blocks in
// the blob, (blocks + 1) offsets of the blocks' first keys in the key area
// (both 32-bit, the last one the area's size), the key area (each block's
// first key, EUC-JP), the blob. A block holds up to 32 records in key
// order: the number of bytes its key shares with the key before it in the
// block, the length and bytes of the rest, the number of readings, and for
// each its kinds (one byte), length and bytes (a katakana letter U+30A0..
// U+30FF as one byte 0x80 + its offset, an ASCII byte as itself, any other
// byte as 0xE0 and the byte). Numbers in records are LEB128.
struct NameTableHeader {
    char magic[8];
    std::uint64_t sourceSize;
    std::int64_t sourceTime; // nanoseconds
    std::uint64_t keys;
    std::uint64_t blocks;
    std::uint64_t keyAreaSize;
    std::uint64_t blobSize;
    std::uint64_t checksum; // NameIndex::tableChecksum
};

class NameIndex {
public:
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The index of `source`, with its table in `cacheDir` (created when
    // missing): the cached table when checkTable finds it whole and made from
    // the source as it is, else a new one built and written atomically (the
    // reason the old one was not used goes to the log); when no table can be
    // written, the text itself searched in place if it is sorted by key.
    // Fails, with the reason, when the source cannot be read or none of these
    // can be had. `indexName` names the table file in `cacheDir`.
    static Result<std::unique_ptr<NameIndex>> open(const std::filesystem::path& source,
                                                   const std::filesystem::path& cacheDir,
                                                   std::string_view indexName = "names.idx");

    // The entries of a written form (UTF-8) holding a Han character, in the
    // dictionary's order. Not for use from two threads at once.
    std::vector<NameEntry> lookup(std::string_view key) const;
    // The number of written forms; for a text searched in place, its lines.
    std::size_t size() const { return count_; }
    // Whether the dictionary text is searched where it lies.
    bool inPlace() const { return inPlace_; }
    // Whether open() made the table (its memory was then used and freed).
    bool madeNow() const { return madeNow_; }

    // Builds the table file from the dictionary text; fails with the reason.
    static Status build(const std::filesystem::path& source, const std::filesystem::path& target);
    // Whether the table file `table` can be used for `source` as it is now;
    // else why not: missing, of an older layout, cut short or too long,
    // damaged (its checksum or its structure), or made from another version
    // of the source.
    static Status checkTable(const std::filesystem::path& table, const std::filesystem::path& source);
    // A checksum of bytes, and the one a table keeps: of its header (with
    // the checksum field zero) and of the bytes after it.
    static std::uint64_t checksum(std::string_view bytes);
    static std::uint64_t tableChecksum(const NameTableHeader& header, std::string_view body);

    // Whether every line's key (its bytes up to the first space) is no
    // smaller than the one before it; when so, the number of lines.
    static bool sortedByKey(std::string_view text, std::size_t* lines = nullptr);

private:
    NameIndex() = default;
    bool mapFile(const std::filesystem::path& file);
    bool openConverter();
    static std::unique_ptr<NameIndex> openTable(const std::filesystem::path& file, std::uint64_t sourceSize,
                                                std::int64_t sourceTime, std::string& why);
    static std::unique_ptr<NameIndex> openInPlace(const std::filesystem::path& source);
    // The key in EUC-JP in `out` (256 bytes); its length, 0 when it holds no
    // Han character or one that EUC-JP cannot hold.
    std::size_t eucKey(std::string_view key, char* out) const;
    std::string_view firstKey(std::size_t block) const;
    std::vector<NameEntry> lookupInTable(std::string_view target) const;
    std::vector<NameEntry> lookupInPlace(std::string_view target) const;

    // The table, or the dictionary text searched in place.
    std::unique_ptr<MappedText> mapped_;
    bool inPlace_ = false;
    bool madeNow_ = false;
    const std::uint32_t* blockStarts_ = nullptr;
    const std::uint32_t* keyStarts_ = nullptr;
    const char* keyArea_ = nullptr;
    const char* blob_ = nullptr;
    std::size_t blocks_ = 0;
    std::size_t count_ = 0;
    // EUC-JP: the keys of both the table and the text are in it.
    UConverter* converter_ = nullptr;
};

// The size and modification time (ns) of `source`; false when it cannot be
// stat'ed.
bool sourceStamp(const std::filesystem::path& source, std::uint64_t& size, std::int64_t& time);

} // namespace yomi::reading
