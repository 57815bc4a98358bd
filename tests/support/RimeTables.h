// Small Rime pinyin tables written into a temporary folder, and Chinese
// engine paths over them, for tests that must not depend on the installed
// dictionaries.
#pragma once

#include <string>

#include "Reading/Chinese/ChineseValueReader.h"
#include "support/AudioFixtures.h"

namespace yomi::test {

// A table file of "word TAB syllables TAB weight" lines after a header, as
// the Rime packages ship them.
inline std::filesystem::path writeRimeTable(const TempFolder& folder, const std::string& name, const std::string& lines)
{
    return folder.writeFile(name, "# Rime table\n# syllabary:\n# - a\n\n" + lines);
}

// Paths of a Chinese engine over a traditional and a simplified table in
// `folder` (either may be empty text: that table is then not written), a
// cache folder inside it, and a toned table of `toned` lines (none when
// empty: the tones are then ICU's).
inline chinese::ChinesePaths rimePaths(const TempFolder& folder, const std::string& traditional,
                                       const std::string& simplified, const std::string& toned = {})
{
    chinese::ChinesePaths paths;
    paths.cacheDir = folder.path() / "cache";
    paths.tones = folder.path() / "terra.dict.yaml";
    if (!toned.empty())
        folder.writeFile("terra.dict.yaml", "# Rime dictionary\n---\nname: terra\n...\n\n" + toned);
    const auto t = folder.path() / "luna.table.txt", s = folder.path() / "simp.table.txt";
    if (!traditional.empty())
        writeRimeTable(folder, "luna.table.txt", traditional);
    if (!simplified.empty())
        writeRimeTable(folder, "simp.table.txt", simplified);
    paths.tables = {{t, true}, {s, false}};
    return paths;
}

} // namespace yomi::test
