// The character dictionary (the EUC-JP text of the kanjidic package): for each
// Han character it lists, its on readings, and for an old or variant form
// (國, 團, 樂) the form in common use today (国, 団, 楽).
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Category/Reading.h"

namespace yomi::reading {

class KanjiTable {
public:
    // The table of the dictionary text at `source`; null when it cannot be
    // read or holds no character.
    static std::unique_ptr<KanjiTable> open(const std::filesystem::path& source);
    // The table of dictionary lines already in UTF-8.
    static KanjiTable parse(std::string_view text);

    // The character's first on reading in katakana; empty when it has none.
    String onReading(char16_t c) const;
    // Every reading of the character in katakana: on readings, kun readings
    // without their okurigana, and the readings used in names.
    const std::vector<String>& readings(char16_t c) const;
    // The form in common use of an old or variant form: a character outside
    // the common-use list whose dictionary line points to one in it, or one
    // of a few old and compatibility forms used in names that the dictionary
    // cannot hold (德, 髙, 﨑). Else the character itself.
    char16_t modernForm(char16_t c) const;
    // `text` with every character in its modern form.
    String modernForms(std::u16string_view text) const;
    bool empty() const { return on_.empty(); }

private:
    std::unordered_map<char16_t, String> on_;
    std::unordered_map<char16_t, std::vector<String>> readings_;
    std::unordered_map<char16_t, char16_t> modern_;
};

} // namespace yomi::reading
