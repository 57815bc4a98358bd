#include "Platform/Bundle.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "Platform/Log.h"

#ifndef YOMI_INSTALL_DATADIR
#define YOMI_INSTALL_DATADIR "/usr/local/share/yomi"
#endif

namespace yomi {
namespace fs = std::filesystem;

namespace {

fs::path executableDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path();
}

bool isSafeName(std::string_view name)
{
    if (name.empty() || name.front() == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
            c == '.';
    });
}

bool isRegularFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

} // namespace

Bundle& Bundle::mainBundle()
{
    static Bundle bundle(defaultSearchDirs(std::getenv("YOMI_RESOURCE_DIR"), executableDir()),
                         languagesFromEnvironment([](const char* n) { return std::getenv(n); }));
    return bundle;
}

Bundle::Bundle(std::vector<fs::path> searchDirs, std::vector<std::string> languages)
    : dirs_(std::move(searchDirs)), languages_(std::move(languages))
{
    if (std::find(languages_.begin(), languages_.end(), "en") == languages_.end())
        languages_.emplace_back("en");
}

std::vector<fs::path> Bundle::defaultSearchDirs(const char* resourceDirEnv, const fs::path& exeDir)
{
    std::vector<fs::path> dirs;
    if (resourceDirEnv && *resourceDirEnv)
        dirs.emplace_back(resourceDirEnv);
    if (!exeDir.empty()) {
        dirs.push_back(exeDir / "resources");
        dirs.push_back(exeDir / ".." / "resources");
        dirs.push_back(exeDir / ".." / "share" / "yomi");
    }
    dirs.emplace_back(YOMI_INSTALL_DATADIR);
    return dirs;
}

std::vector<std::string> Bundle::languagesFromEnvironment(const std::function<const char*(const char*)>& getenv)
{
    std::vector<std::string> out;
    const auto addLocale = [&out](std::string_view name) {
        name = name.substr(0, name.find_first_of(".@"));
        if (name.empty() || name == "C" || name == "POSIX" || !isSafeName(name))
            return;
        const auto add = [&out](std::string_view lang) {
            if (std::find(out.begin(), out.end(), lang) == out.end())
                out.emplace_back(lang);
        };
        add(name);
        const std::size_t sep = name.find_first_of("_-");
        if (sep != std::string_view::npos && sep > 0)
            add(name.substr(0, sep));
    };

    if (const char* list = getenv("LANGUAGE"); list && *list) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            addLocale(rest.substr(0, colon));
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = getenv(var); value && *value) {
            addLocale(value);
            break;
        }
    }
    if (std::find(out.begin(), out.end(), "en") == out.end())
        out.emplace_back("en");
    return out;
}

const Bundle::LoadedTable& Bundle::loadTable(std::string_view table)
{
    if (const auto it = tables_.find(table); it != tables_.end())
        return it->second;

    LoadedTable loaded;
    if (isSafeName(table)) {
        const std::string file = std::string(table) + ".strings";
        for (const std::string& lang : languages_) {
            for (const fs::path& dir : dirs_) {
                fs::path candidate = dir / (lang + ".lproj") / file;
                if (isRegularFile(candidate)) {
                    loaded.path = std::move(candidate);
                    break;
                }
            }
            if (!loaded.path.empty())
                break;
        }
        if (!loaded.path.empty())
            loaded.entries = strings::loadFile(loaded.path);
    }
    return tables_.emplace(std::string(table), std::move(loaded)).first->second;
}

String Bundle::localizedStringForKey(std::u16string_view key, std::u16string_view fallback, std::string_view table)
{
    return String(localizedStringViewForKey(key, fallback, table));
}

std::u16string_view Bundle::localizedStringViewForKey(std::u16string_view key, std::u16string_view fallback,
                                                      std::string_view table)
{
    const LoadedTable& loaded = loadTable(table);
    if (loaded.entries) {
        if (const auto it = loaded.entries->find(key); it != loaded.entries->end())
            return it->second;
    }
    // A malformed file has been reported by the parser already.
    const bool malformed = !loaded.path.empty() && !loaded.entries;
    if (!malformed && reported_.emplace(std::string(table), String(key)).second) {
        if (loaded.path.empty()) {
            std::string langs;
            for (const std::string& l : languages_)
                langs += (langs.empty() ? "" : ", ") + l;
            log::write("strings table " + log::escapeControls(table) + " not found (languages " + langs +
                       "); using the fallback for key " + log::escapeControls(toUtf8(key)));
        } else {
            log::write("strings table " + log::escapeControls(loaded.path.string()) + ": no key " +
                       log::escapeControls(toUtf8(key)) + "; using the fallback");
        }
    }
    return fallback;
}

} // namespace yomi
