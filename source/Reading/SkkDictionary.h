// The SKK dictionaries of names and proper nouns (skkdic-extra: full names of
// well-known people, Okinawan words, and the like), turned
// once into a text of the proper-name dictionary's form, so that NameIndex
// searches it where it lies. Each SKK line "よみ /候補/候補;注釈/" gives one
// line "候補 [よみ] /(kind) skk/" for each word holding a Han character,
// sorted by the bytes of its key. The text is kept in the cache folder and
// made again when a source's size or time changes.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

namespace yomi::reading {

// For a given name's first reading to count as its common one, the name
// stands among the first kJinmeiFront candidates of that reading, and at
// least kJinmeiMargin places further back under any other.
inline constexpr std::size_t kJinmeiFront = 3;
inline constexpr std::size_t kJinmeiMargin = 2;

struct SkkSource {
    std::filesystem::path file;
    // The kind the entries get, as the proper-name dictionary writes it
    // ("h" a full name, "u" a name, "o" another proper noun).
    std::string kind;
};

// The lines of the converted text for the EUC-JP text of one SKK
// dictionary, unsorted.
std::vector<std::string> skkLines(std::string_view text, std::string_view kind);

// The sorted text of the lines `convert` makes of each source's text (with
// the source's kind), with the sources' stamp, in `cacheDir` as `name`,
// unless it is there and made from the sources as they are. Sources that do
// not exist are left out; a failure when none exists or the text cannot be
// written. `made`, when given, tells whether the text was made now.
Result<std::filesystem::path> prepareText(const std::vector<SkkSource>& sources,
                                          const std::filesystem::path& cacheDir, std::string_view name, bool* made,
                                          const std::function<std::vector<std::string>(std::string_view, std::string_view)>& convert);

// The converted text of `sources` in `cacheDir` (named `name`), made when it
// is missing or a source changed. Sources that do not exist are left out;
// a failure when none exists or the text cannot be written. `made`, when
// given, tells whether the text was made now.
Result<std::filesystem::path> prepareSkkText(const std::vector<SkkSource>& sources,
                                             const std::filesystem::path& cacheDir, std::string_view name,
                                             bool* made = nullptr);

// The SKK dictionary of given names (SKK-JISYO.jinmei) turned around: for
// each given name of Han characters, one line "名 [よみ] /(kind) skk/" for
// each reading it is listed under, the reading under which it stands
// nearest the front of the candidates first (SKK lists the common names of
// a reading first). The first line's kind is "g" when that reading is
// clearly the name's common one: the name stands among the first `front`
// candidates of that reading and has no other reading, or stands at least
// `margin` places further back under each other; every other line's kind
// is "u". Surnames and full names are left out.
std::vector<std::string> jinmeiLines(std::string_view text, std::size_t front = kJinmeiFront,
                                     std::size_t margin = kJinmeiMargin);

// The converted text of the SKK dictionary of given names in `cacheDir`,
// as prepareSkkText makes its own.
Result<std::filesystem::path> prepareJinmeiText(const std::filesystem::path& source,
                                                const std::filesystem::path& cacheDir, std::string_view name,
                                                bool* made = nullptr);

} // namespace yomi::reading
