#include "Platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace yomi::paths {
namespace {

// An XDG base folder: the variable when it holds an absolute path, else the
// default under the home folder.
std::filesystem::path baseFolder(const char* variable, const std::filesystem::path& fallback)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    const std::filesystem::path user = home();
    if (user.empty())
        return {};
    return user / fallback;
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

} // namespace

std::filesystem::path home()
{
    if (const char* value = std::getenv("HOME"); value && *value)
        return value;
    struct passwd pw {};
    struct passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return {};
}

std::filesystem::path stateHome() { return baseFolder("XDG_STATE_HOME", std::filesystem::path(".local") / "state"); }
std::filesystem::path cacheHome() { return baseFolder("XDG_CACHE_HOME", ".cache"); }
std::filesystem::path configHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

std::filesystem::path ownFolder(const std::filesystem::path& base) { return base.empty() ? base : base / "yomi"; }

std::optional<std::filesystem::path> musicFolderFromUserDirs(std::string_view text, const std::string& home)
{
    std::optional<std::filesystem::path> found;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        std::string_view line = trimLeft(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

        constexpr std::string_view kKey = "XDG_MUSIC_DIR";
        if (!line.starts_with(kKey))
            continue;
        line = trimLeft(line.substr(kKey.size()));
        if (line.empty() || line.front() != '=')
            continue;
        line = trimLeft(line.substr(1));

        std::string value;
        if (!line.empty() && line.front() == '"') {
            bool closed = false;
            for (std::size_t i = 1; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    value.push_back(line[++i]);
                } else if (line[i] == '"') {
                    closed = true;
                    break;
                } else {
                    value.push_back(line[i]);
                }
            }
            if (!closed)
                continue;
        } else {
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
                line.remove_suffix(1);
            value = line;
        }

        std::string_view v = value;
        for (std::string_view var : {std::string_view("$HOME"), std::string_view("${HOME}")}) {
            if (v.starts_with(var) && (v.size() == var.size() || v[var.size()] == '/')) {
                if (home.empty())
                    break;
                found = std::filesystem::path(home + std::string(v.substr(var.size())));
                v = {};
                break;
            }
        }
        if (!v.empty() && v.front() == '/')
            found = std::filesystem::path(v);
    }
    return found;
}

std::filesystem::path musicFolder(std::string_view userDirs)
{
    const std::filesystem::path user = home();
    if (auto dir = musicFolderFromUserDirs(userDirs, user.string()))
        return *dir;
    return user / "Music";
}

} // namespace yomi::paths
