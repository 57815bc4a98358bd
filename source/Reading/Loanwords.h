// The katakana loanwords of the word dictionary (edict's form) by the
// English word that glosses them (ラバー: lover, rubber), so that an English
// word written in a Japanese value (大阪LOVER) can be read as the loanword.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Category/Reading.h"

namespace yomi::reading {

class Loanwords {
public:
    // Reads the dictionary text (EUC-JP); an empty table when it is missing.
    explicit Loanwords(const std::filesystem::path& words);
    // The loanword that a gloss of exactly this English word (any case)
    // names: the only one, or the only one of those in common use, or of
    // several the one that sounds most like it; nullopt when there is none,
    // no single one, or it does not begin with the word's sounds.
    std::optional<String> of(std::u16string_view english) const;
    std::size_t size() const { return table_.size(); }

private:
    // The loanword a gloss of exactly this word (in small letters) names,
    // by the rules of `of` but for the sounds.
    std::optional<String> glossedBy(const std::string& key) const;
    struct Word {
        String katakana;
        bool common = false;
        bool first = false; // the English word is the first the entry gives
    };
    void add(std::string_view line, void* converter);
    std::unordered_map<std::string, std::vector<Word>> table_;
};

} // namespace yomi::reading
