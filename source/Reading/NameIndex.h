// The proper-name dictionary (the EUC-JP text of the enamdict package), or
// the word dictionary of the same form (edict), searched by binary search. The package ships the text sorted by the bytes of
// its keys, so it is mapped and searched where it lies: nothing is built, and
// the cache folder keeps only a note that this text was found sorted (its
// size and time), so that the check is made once. A text that is not sorted
// is turned into a compact index file in the cache folder instead, rebuilt
// when the text's size or time changes.
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

// The kinds of an entry, as bits.
enum NameKind : unsigned {
    kSurname = 1,
    kGiven = 2,        // given name, male or female
    kUnclassified = 4, // surname or given name
    kFullName = 8,     // the full name of one person
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
};

class NameIndex {
public:
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The index of `source`, with its note or index file in `cacheDir`
    // (created when missing): the text itself when the note says it is sorted
    // or a check finds it so (the note is then written, when it can be), the
    // cached index file when it matches the source's size and time, else a
    // new one built from the source and written atomically. Fails, with the
    // reason, when the source cannot be read or the index cannot be mapped.
    // `indexName` names the note or index file in `cacheDir`.
    static Result<std::unique_ptr<NameIndex>> open(const std::filesystem::path& source,
                                                   const std::filesystem::path& cacheDir,
                                                   std::string_view indexName = "names.idx");

    // The entries of a written form (UTF-8) holding a Han character, in the
    // dictionary's order. Not for use from two threads at once.
    std::vector<NameEntry> lookup(std::string_view key) const;
    // The number of written forms; for a text searched in place, its lines.
    std::size_t size() const { return count_; }
    // Whether the dictionary text is searched where it lies.
    bool inPlace() const { return converter_ != nullptr; }

    // Builds the index file from the dictionary text; fails with the reason.
    static Status build(const std::filesystem::path& source, const std::filesystem::path& target);

    // Whether every line's key (its bytes up to the first space) is no
    // smaller than the one before it; when so, the number of lines.
    static bool sortedByKey(std::string_view text, std::size_t* lines = nullptr);

private:
    NameIndex() = default;
    std::string_view record(std::size_t i) const;
    bool mapFile(const std::filesystem::path& file);
    std::vector<NameEntry> lookupInPlace(std::string_view key) const;

    const char* map_ = nullptr;
    std::size_t mapSize_ = 0;
    const std::uint32_t* offsets_ = nullptr;
    const char* blob_ = nullptr;
    std::size_t blobSize_ = 0;
    std::size_t count_ = 0;
    // EUC-JP, for a text searched in place.
    UConverter* converter_ = nullptr;
};

// The size and modification time (ns) of `source`; false when it cannot be
// stat'ed.
bool sourceStamp(const std::filesystem::path& source, std::uint64_t& size, std::int64_t& time);

} // namespace yomi::reading
