// The application's resources: localized strings tables and other files.
//
// Resources are found, in order, under $YOMI_RESOURCE_DIR, next to the
// executable (`resources/` beside it or one level up, as in the build tree),
// and under the install prefix's `share/yomi/`.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Text.h"

namespace yomi {

class Bundle {
public:
    // The application's own resources.
    static Bundle& mainBundle();

    // The text under `key` in `<lang>.lproj/<table>.strings` for the user's
    // language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG; falling back to "en");
    // `fallback` when the table or the key is missing.
    String localizedStringForKey(std::u16string_view key, std::u16string_view fallback,
                                 std::string_view table);

    // The path of a resource file, relative to the resource folder; nullopt
    // when no resource folder holds it.
    std::optional<std::filesystem::path> pathForResource(std::string_view relativePath) const;
};

} // namespace yomi
