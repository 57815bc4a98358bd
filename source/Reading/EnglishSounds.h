// English words said in katakana by their sounds, from a pronouncing
// dictionary (the CMU dictionary in Festival's lexicon form, one entry a
// line: ("tropic" nil (((t r aa) 1) ((p ih k) 0)))), for the English words
// of Japanese titles that the word dictionary has no loanword for (How
// many, Maybe: ハウメニー, メイビー); and words of romaji (OMOIDE, GENJI)
// written back in katakana.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Category/Reading.h"
#include "Reading/DictionaryText.h"

namespace yomi::reading {

// A sound of the dictionary: a phone of its set (aa, k, sh) with the stress
// of its syllable for a vowel (0, 1 or 2; -1 for a consonant).
struct Phone {
    std::string name;
    int stress = -1;
    bool vowel() const { return stress >= 0; }
};

class EnglishSounds {
public:
    // Maps the lexicon and indexes its entries; empty when it is missing.
    explicit EnglishSounds(const std::filesystem::path& lexicon);
    bool empty() const { return entries_.empty(); }
    // The word's sounds (any case; the first entry of several), nullopt
    // when the lexicon does not hold it.
    std::optional<std::vector<Phone>> phones(std::u16string_view word) const;
    // The word in katakana by its sounds; nullopt when the lexicon does not
    // hold it.
    std::optional<String> of(std::u16string_view word) const;
    // A word the lexicon does not hold written as two words it holds, each
    // of three letters or more (ROCKTRANSFORMED: ROCK and TRANSFORMED), in
    // katakana; nullopt when there are no such two.
    std::optional<String> ofTwoWords(std::u16string_view word) const;

private:
    MappedText text_;
    // Offsets of the entries' lines, in the order of their words in small
    // letters.
    std::vector<std::uint32_t> entries_;
    std::string_view wordAt(std::uint32_t offset) const;
};

// The sounds in katakana as Japanese writes an English word (tropic:
// トロピック, capricorn: カプリコーン); `spelling`, the word in small
// letters, tells the vowels that are said weakly (the a, e or o of a
// schwa) and an o said short (rock ロック).
String soundsInKatakana(const std::vector<Phone>& phones, std::string_view spelling);

// A word of romaji (Hepburn or the official spelling, any case) in
// katakana (omoide: オモイデ, genji: ゲンジ); nullopt when its letters are
// not romaji throughout.
std::optional<String> romajiInKatakana(std::u16string_view word);

} // namespace yomi::reading
