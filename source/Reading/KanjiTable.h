// The character dictionary (the EUC-JP text of the kanjidic package): for each
// Han character it lists, its on readings, and for an old or variant form
// (國, 團, 樂) the form in common use today (国, 団, 楽). The readings of
// characters that text cannot hold (JIS X 0212: 彅, 蓜) come from the
// package's XML edition, read the first time one of them is asked for.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Category/Reading.h"

namespace yomi::reading {

class KanjiTable {
public:
    // The table of the dictionary text at `source`; null when it cannot be
    // read or holds no character.
    // `more`, the gzip'd XML edition (kanjidic2.xml.gz), may be empty or
    // missing.
    static std::unique_ptr<KanjiTable> open(const std::filesystem::path& source,
                                            const std::filesystem::path& more = {});
    // The table of dictionary lines already in UTF-8.
    static KanjiTable parse(std::string_view text);
    // Takes from XML edition text the characters the table lacks, now.
    void addCharacters(std::string_view xml);

    // The character's first on reading in katakana; empty when it has none.
    String onReading(char16_t c) const;
    // Whether the character is on the list of characters in common use
    // (the dictionary text's grades 1 to 8).
    bool inCommonUse(char16_t c) const;
    // The character's on readings in katakana, the dictionary's order (of
    // a character only the XML edition has, its first).
    std::vector<String> onReadings(char16_t c) const;
    // Whether `reading` (katakana) is one of the character's on readings.
    bool isOnReading(char16_t c, std::u16string_view reading) const;
    // Every reading of the character in katakana: on readings, kun readings
    // without their okurigana, and the readings used in names.
    const std::vector<String>& readings(char16_t c) const;
    // The form in common use of an old or variant form: a character outside
    // the common-use list whose dictionary line points to one in it, or one
    // of a few old and compatibility forms used in names that the dictionary
    // cannot hold (德, 髙, 﨑). Else the character itself.
    char16_t modernForm(char16_t c) const;
    // `text` with every character in its modern form (𠮷, outside the Basic
    // Multilingual Plane, too: the text may get shorter).
    String modernForms(std::u16string_view text) const;
    bool empty() const { return own_.on.empty(); }

private:
    // Characters' first on readings and all their readings.
    struct Entries {
        std::unordered_map<char16_t, String> on;
        std::unordered_map<char16_t, std::vector<String>> readings;
    };
    // The characters of the XML edition, read once on the first question
    // about a Han character the text lacks; never changed after.
    struct More {
        std::filesystem::path source;
        std::once_flag once;
        Entries entries;
    };
    const Entries* more(char16_t c) const;

    Entries own_;
    std::unordered_map<char16_t, char16_t> modern_;
    // How many of a character's readings, first in the list, are on
    // readings (the dictionary text's characters only).
    std::unordered_map<char16_t, std::size_t> ons_;
    std::unordered_set<char16_t> common_;
    std::unique_ptr<More> more_;
};

} // namespace yomi::reading
