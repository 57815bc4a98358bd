// The readings the people of the proper-name dictionary (enamdict) give
// their given names: each full name it holds ("及川恒平 [おいかわこうへい]")
// cut into a surname and a given name that it holds apart with readings
// that make the whole ("及川" おいかわ, "恒平" こうへい), and the given
// name's readings counted. A given name most such people read one way
// (秀一: しゅういち 21 times, ひでかず 4) is read so first.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Platform/Result.h"
#include "Platform/Text.h"

namespace yomi::reading {

// A reading counts as the given name's usual one when at least this many
// full names read it so, and this share of them (in percent).
inline constexpr std::size_t kUsualGivenAtLeast = 2;
inline constexpr std::size_t kUsualGivenShare = 60;

// For the EUC-JP text of the proper-name dictionary, one line
// "名 [よみ] /(g) usual/" for each given name with a usual reading, unsorted.
std::vector<std::string> usualGivenNameLines(std::string_view text);

// Those lines as a sorted text in `cacheDir` (named `name`), made when it is
// missing or the dictionary changed (prepareText).
Result<std::filesystem::path> prepareUsualGivenNames(const std::filesystem::path& names,
                                                     const std::filesystem::path& cacheDir, std::string_view name,
                                                     bool* made = nullptr);

// How the name dictionary's given names of two Han characters read each
// character at their head and at their tail (保 at the head: ヤス 174 times,
// ホ 26; at the tail: ホ 181, ヤス 98). A name counts where its reading cuts
// one way only into a reading of each character as the character
// dictionary gives them, the second maybe voiced (次郎 ジ) and the first
// maybe doubled (吉平 キッ). At most this many readings a character and
// place are kept, each read so by this many names at least.
inline constexpr std::size_t kGivenPartReadings = 4;
inline constexpr std::size_t kGivenPartAtLeast = 2;

class KanjiTable;

// For the EUC-JP text of the proper-name dictionary, one line
// "保 < 206 ヤス 174 ホ 26 ..." (UTF-8) for each character and place (< the
// head, > the tail): the names that count, then the readings kept with
// their counts, commonest first; unsorted.
std::vector<std::string> givenPartLines(std::string_view text, const KanjiTable& kanji);

// Those lines as a sorted text in `cacheDir` (named `name`), made when it is
// missing or either dictionary changed.
Result<std::filesystem::path> prepareGivenParts(const std::filesystem::path& names,
                                                const std::filesystem::path& kanjiSource, const KanjiTable& kanji,
                                                const std::filesystem::path& cacheDir, std::string_view name,
                                                bool* made = nullptr);

// The readings of the characters of given names at their places, for a
// given name of two characters no dictionary holds (保克): the readings most
// names give each character there, put together.
class GivenParts {
public:
    // The table of a text givenPartLines made; null when it cannot be read
    // or holds no line.
    static std::unique_ptr<GivenParts> open(const std::filesystem::path& text);
    static GivenParts parse(std::string_view text);
    // Readings of the given name of two characters, made of a reading of
    // each at its place, the likeliest first (by the share of names that
    // read each so, multiplied), at most `limit`; empty when either
    // character has no readings at its place.
    std::vector<String> composed(std::u16string_view given, std::size_t limit) const;
    bool empty() const { return heads_.empty() && tails_.empty(); }

private:
    struct Part {
        String reading;
        double share = 0;
    };
    std::unordered_map<char16_t, std::vector<Part>> heads_, tails_;
};

} // namespace yomi::reading
