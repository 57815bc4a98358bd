// Hanja read by their Korean sounds, from libhangul's hanja table
// (libhangul-data: lines of "hangul:hanja:meaning", words and single
// characters). A run of hanja is read by its longest words the table holds
// (少女時代 소녀시대); a character no word covers takes the sound it has
// inside the table's words, where no word's first sound changes it, and at
// the start of a word the initial sound rule (李 이, 林 임, 女 여).
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace yomi::korean {

class HanjaDictionary {
public:
    explicit HanjaDictionary(std::filesystem::path file);
    // Debian's libhangul-data.
    static std::filesystem::path systemFile();

    // Whether the table could be read (it is read on first use).
    bool available();

    struct Reading {
        std::u16string hangul;
        bool wholeWords = false; // every character was read inside a word of the table
    };
    // The run of Han characters in Hangul; `wordStart` when the run begins a
    // word. A `name` of two to four characters begins with a surname, said
    // as the commonest surname among its characters' sounds (金 김, not 금),
    // and its given name begins a word of its own (李蘭影 이난영).
    // Nullopt when a character has no sound in the table.
    std::optional<Reading> read(std::u16string_view hanja, bool wordStart, bool name = false);

private:
    void load();
    std::optional<std::u16string> word(std::u16string_view hanja) const;
    std::optional<char16_t> sound(char16_t c) const;
    std::optional<std::u16string> surname(std::u16string_view hanja) const;

    std::filesystem::path file_;
    std::once_flag loaded_;
    bool available_ = false;
    // The words of two or more characters, each as its length, its hanja
    // and its Hangul one after another in one buffer, and their offsets in
    // the order of their hanja; each character's sound.
    std::u16string pool_;
    std::vector<std::uint32_t> words_;
    std::unordered_map<char16_t, char16_t> sounds_;
    std::unordered_map<char16_t, std::u16string> alone_; // every sound of a character
    std::size_t longest_ = 0;
};

// The initial sound rule of South Korean spelling: a syllable that begins a
// word with ㄹ is said with ㄴ, or with none before i and y (리 이, 로 노);
// one with ㄴ before i and y with none (녀 여).
char16_t initialSoundRule(char16_t syllable);

} // namespace yomi::korean
