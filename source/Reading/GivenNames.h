// The readings the people of the proper-name dictionary (enamdict) give
// their given names: each full name it holds ("及川恒平 [おいかわこうへい]")
// cut into a surname and a given name that it holds apart with readings
// that make the whole ("及川" おいかわ, "恒平" こうへい), and the given
// name's readings counted. A given name most such people read one way
// (秀一: しゅういち 21 times, ひでかず 4) is read so first.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

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

} // namespace yomi::reading
