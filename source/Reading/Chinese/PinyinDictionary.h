// The Chinese word and character dictionary: the Rime tables of the Debian
// packages rime-data-luna-pinyin (traditional characters and words, with
// weights from a corpus) and rime-data-pinyin-simp (simplified), turned once
// into one sorted file in the cache folder and searched where it lies
// (mapped, binary search), so that a start with the file made costs a map.
//
// Each key (a word or a character, in UTF-16) has its readings, best first:
// syllables in the sort spelling (Pinyin.h) separated by spaces, each with
// its weight. The traditional tables' keys are entered in their simplified
// forms too (ICU's Hant-Hans transform, character by character), so that a
// simplified value finds the traditional table's words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

namespace yomi::chinese {

struct TableSource {
    std::filesystem::path file;
    // Keys written in traditional characters, entered in simplified forms
    // too.
    bool traditional = false;
};

// The Debian tables: luna_pinyin (traditional) and pinyin_simp.
std::vector<TableSource> systemTables();

struct Entry {
    std::string reading; // "yin yue"
    double weight = 0;
};

class PinyinDictionary {
public:
    ~PinyinDictionary();
    PinyinDictionary(const PinyinDictionary&) = delete;
    PinyinDictionary& operator=(const PinyinDictionary&) = delete;

    // The dictionary of `sources` kept in `cacheDir` (file `name`), made
    // from the sources when it is missing, damaged or older than they are.
    // Sources that do not exist are left out; a failure, with the reason,
    // when none exists, none holds an entry, or the file cannot be written.
    static Result<std::unique_ptr<PinyinDictionary>> open(const std::vector<TableSource>& sources,
                                                          const std::filesystem::path& cacheDir,
                                                          std::string_view name = "pinyin.dic");

    // Converts the sources into the file `target` (written atomically).
    static Status convert(const std::vector<TableSource>& sources, const std::filesystem::path& target);

    // Maps a converted file; a failure when it is not one or is damaged.
    // `stamp`, when not empty, must be the one it was made with.
    static Result<std::unique_ptr<PinyinDictionary>> map(const std::filesystem::path& file,
                                                         std::string_view stamp = {});

    // The readings of a word or character, best first; empty when it has
    // none.
    std::vector<Entry> lookup(std::u16string_view key) const;
    // The sum of the weights of a key's readings (0 when it has none).
    double weightOf(std::u16string_view key) const;
    // Whether a key longer than or equal to `prefix` begins with it.
    bool hasPrefix(std::u16string_view prefix) const;
    // The sum of every entry's weight.
    double totalWeight() const { return total_; }
    std::size_t size() const { return count_; }

    // The stamp of the sources (paths, sizes and times) a file is made from.
    static std::string stampOf(const std::vector<TableSource>& sources);

private:
    PinyinDictionary() = default;
    std::u16string_view keyAt(std::size_t i) const;
    std::size_t lowerBound(std::u16string_view key) const;
    const unsigned char* record(std::size_t i, std::size_t& size) const;

    const unsigned char* map_ = nullptr;
    std::size_t mapSize_ = 0;
    const unsigned char* offsets_ = nullptr;
    const unsigned char* blob_ = nullptr;
    std::size_t blobSize_ = 0;
    std::size_t count_ = 0;
    double total_ = 0;
};

} // namespace yomi::chinese
