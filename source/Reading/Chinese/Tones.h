// The tones of pinyin syllables chosen by the segmentation, for zhuyin with
// tone marks. The pinyin dictionary is toneless (the Rime luna-pinyin and
// pinyin-simp tables are); the tones come from the Rime terra-pinyin table
// (package rime-data-terra-pinyin: characters with each of their toned
// readings and its share, and the words whose tones the characters do not
// settle, 行為 xing2 wei2), read on the first zhuyin reading, else from ICU's
// Han-Latin transform. A tone belongs to the reading that was chosen: a
// polyphonic character's tone is the one of the same syllable (單 shan4 in a
// surname, dan1 elsewhere), never another reading's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yomi::chinese {

class ToneTable {
public:
    // The table of the terra-pinyin text at `source`; null when it cannot be
    // read or holds no entry.
    static std::unique_ptr<ToneTable> open(const std::filesystem::path& source);
    // The table of a text of the same form ("key<TAB>syl1 syl2[<TAB>share%]").
    static std::unique_ptr<ToneTable> parse(std::string text);
    // The system's table.
    static std::filesystem::path systemTable() { return "/usr/share/rime-data/terra_pinyin.dict.yaml"; }

    // The tones (1 to 4, 5 the neutral tone) of `syllables` (the sort
    // spelling, toneless) read for `text`, one a character: the table's
    // word if it has these syllables, else each character's commonest tone
    // of the same syllable (in its own form, then its traditional form). A
    // tone a character takes only in words (一 yi2 in 一個, 不 bu2 in 不要:
    // the table gives it at most 1%) gives way to the character's own. 0
    // where no tone is known. `text` and `syllables` are of one length.
    std::vector<int> tones(std::u16string_view text, const std::vector<std::string>& syllables) const;

    std::size_t size() const { return lines_.size(); }

private:
    ToneTable() = default;
    struct Reading {
        std::string_view syllables; // "xing2 wei2"
        double share = 100;
    };
    std::vector<Reading> lookup(std::u16string_view key) const;
    int characterTone(char32_t c, std::string_view syllable, int wordTone) const;

    std::string_view keyAt(std::size_t line) const
    {
        return std::string_view(text_).substr(lines_[line].at, lines_[line].keyLength);
    }

    std::string text_;
    // The entry lines of text_, ordered by key: where each begins, and the
    // length of its key.
    struct Line {
        std::uint32_t at, keyLength;
    };
    std::vector<Line> lines_;
};

} // namespace yomi::chinese
