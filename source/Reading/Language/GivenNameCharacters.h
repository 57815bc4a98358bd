// The characters a Japanese given name may be written with: those of the
// common-use list and of the list for names (kanjidic's grades 1 to 10),
// read from the character dictionary on first use. A Chinese given name
// often holds a character outside them (沛, 涛, 嬅), a Japanese one seldom
// does: the law has limited registered given names to these lists since
// 1948 (older names and stage names are the exceptions).
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_set>

namespace yomi::language {

class GivenNameCharacters {
public:
    // The characters of the dictionary text (EUC-JP, kanjidic's form) at
    // `kanjidic`, read when first asked.
    explicit GivenNameCharacters(std::filesystem::path kanjidic) : source_(std::move(kanjidic)) {}
    // The characters of dictionary lines already in UTF-8.
    static std::unique_ptr<GivenNameCharacters> parse(std::string_view text);
    // The system's character dictionary.
    static std::filesystem::path systemDictionary() { return "/usr/share/edict/kanjidic"; }

    // Whether the dictionary could be read and lists a graded character.
    bool available() const;
    // Whether a Japanese given name may hold `c`; true when the dictionary
    // is missing (no evidence then).
    bool allowed(char32_t c) const;

private:
    GivenNameCharacters() = default;
    void load() const;
    void add(std::string_view utf8Text) const;

    std::filesystem::path source_;
    mutable std::once_flag loaded_;
    mutable std::unordered_set<char32_t> graded_;
};

} // namespace yomi::language
