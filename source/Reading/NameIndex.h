// The proper-name dictionary (the EUC-JP text of the enamdict package) as a
// compact read-only index: built once into a cache file, mapped into memory,
// searched by binary search. The cache file records the size and time of the
// text it was built from, and is rebuilt when either changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::reading {

// The kinds of an entry, as bits.
enum NameKind : unsigned {
    kSurname = 1,
    kGiven = 2,        // given name, male or female
    kUnclassified = 4, // surname or given name
    kFullName = 8,     // the full name of one person
    kPlace = 16,
    kOtherName = 32, // companies, products, works, organisations
};

struct NameEntry {
    std::string_view reading; // UTF-8 katakana
    unsigned kinds = 0;
};

class NameIndex {
public:
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The index of `source` kept in `cacheDir` (created when missing): the
    // cached file when it matches the source's size and time, else a new one
    // built from the source and written atomically. Null, with the reason in
    // `error`, when the source cannot be read or the index cannot be mapped.
    static std::unique_ptr<NameIndex> open(const std::filesystem::path& source,
                                           const std::filesystem::path& cacheDir, std::string* error = nullptr);

    // The entries of a written form (UTF-8), in the dictionary's order.
    std::vector<NameEntry> lookup(std::string_view key) const;
    std::size_t size() const { return count_; }

    // Builds the index file from the dictionary text; false with the reason.
    static bool build(const std::filesystem::path& source, const std::filesystem::path& target,
                      std::string* error = nullptr);

private:
    NameIndex() = default;
    std::string_view record(std::size_t i) const;

    const char* map_ = nullptr;
    std::size_t mapSize_ = 0;
    const std::uint32_t* offsets_ = nullptr;
    const char* blob_ = nullptr;
    std::size_t blobSize_ = 0;
    std::size_t count_ = 0;
};

} // namespace yomi::reading
