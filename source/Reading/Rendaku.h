// How often a word at the end of a compound voices its first sound, as
// the word dictionary (edict's form) shows it: of the dictionary's words
// that end in 桜 read さくら, nearly all say ざくら (夜桜, 八重桜); of those
// that end in 風 read かぜ, none says がぜ (春風). A compound the
// dictionary does not hold (恋桜) is read as such words mostly are.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace yomi::reading {

// The kana voiced (カ: ガ, ハ: バ), 0 for a kana that has no voiced form.
char16_t voicedKana(char16_t c);

class Rendaku {
public:
    // Reads the dictionary text (EUC-JP) once, through; an empty table when
    // it is missing.
    explicit Rendaku(const std::filesystem::path& words);

    struct Count {
        std::size_t voiced = 0, plain = 0;
    };
    // Of the dictionary's words that end in `word` (one or two characters,
    // a Han character first) read `reading` (katakana) after something
    // before it, how many say the reading voiced and how many as it is;
    // kept only for the words `voices` is true of (else zero).
    Count count(std::u16string_view word, std::u16string_view reading) const;
    // Whether such words mostly voice it: at least five, and three in four.
    bool voices(std::u16string_view word, std::u16string_view reading) const;
    std::size_t size() const { return table_.size(); }

private:
    std::unordered_map<std::u16string, Count> table_; // word, a tab, reading
};

} // namespace yomi::reading
