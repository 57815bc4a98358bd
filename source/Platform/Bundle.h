// The application's resources: localized strings tables and other files.
//
// The main bundle searches, in order: $YOMI_RESOURCE_DIR, `resources/` next
// to the executable, `../resources` from it (the build tree), `../share/yomi`
// from it (a relocated install), and the install prefix's `share/yomi/`.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/StringsFile.h"
#include "Platform/Text.h"

namespace yomi {

class Bundle {
public:
    // The application's own resources. Search folders and languages are
    // taken from the environment on first use and kept for the run.
    static Bundle& mainBundle();

    // A bundle over the given folders (searched in order) and languages (in
    // order of preference; "en" is tried last when not among them).
    Bundle(std::vector<std::filesystem::path> searchDirs, std::vector<std::string> languages);

    // The text under `key` in `<lang>.lproj/<table>.strings`, the table being
    // the first file found for the most preferred language; `fallback` when
    // no such file exists, when it is malformed, or when it lacks the key.
    // A table file is read once and kept. A missing table or key is logged
    // once per (table, key) for the bundle's lifetime; a malformed file is
    // logged once, by the parser, with its line number.
    String localizedStringForKey(std::u16string_view key, std::u16string_view fallback, std::string_view table);

    // The same lookup without a copy: a view of the text kept by the bundle
    // (valid as long as the bundle), or `fallback` itself.
    std::u16string_view localizedStringViewForKey(std::u16string_view key, std::u16string_view fallback,
                                                  std::string_view table);

    const std::vector<std::filesystem::path>& searchDirs() const { return dirs_; }
    const std::vector<std::string>& languages() const { return languages_; }

    // The languages to try, from LANGUAGE (a colon-separated list), then the
    // first set of LC_ALL, LC_MESSAGES, LANG. Each locale name loses its
    // encoding and modifier ("ja_JP.UTF-8@x" gives "ja_JP", then "ja");
    // "C" and "POSIX" and names with characters other than letters, digits,
    // '_' and '-' are skipped; duplicates are dropped; "en" ends the list.
    // `getenv` returns nullptr for an unset variable.
    static std::vector<std::string> languagesFromEnvironment(const std::function<const char*(const char*)>& getenv);

    // The default search folders for an executable in `exeDir`.
    static std::vector<std::filesystem::path> defaultSearchDirs(const char* resourceDirEnv,
                                                                const std::filesystem::path& exeDir);

private:
    struct LoadedTable {
        std::optional<strings::Table> entries; // nullopt: missing or malformed
        std::filesystem::path path;            // empty when no file was found
    };

    const LoadedTable& loadTable(std::string_view table);

    std::vector<std::filesystem::path> dirs_;
    std::vector<std::string> languages_;
    std::map<std::string, LoadedTable, std::less<>> tables_;
    std::set<std::pair<std::string, String>> reported_;
};

} // namespace yomi
