// Where the program keeps its files, from the environment at the time of
// each call: the user's home, the XDG base folders and the music folder. The
// one lookup of $HOME, the password database and the XDG variables.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace yomi::paths {

// The user's home folder: $HOME when set and not empty, else the password
// database's entry for the user (getpwuid_r); empty when neither is known.
std::filesystem::path home();

// The XDG base folders: $XDG_STATE_HOME (else ~/.local/state),
// $XDG_CACHE_HOME (else ~/.cache), $XDG_CONFIG_HOME (else ~/.config). A
// variable counts only when it holds an absolute path; empty when neither it
// nor a home folder is known.
std::filesystem::path stateHome();
std::filesystem::path cacheHome();
std::filesystem::path configHome();

// yomi's own folder in a base folder ("<base>/yomi"); empty when the base is.
std::filesystem::path ownFolder(const std::filesystem::path& base);

// The music folder named by a user-dirs.dirs text (XDG_MUSIC_DIR, either
// "$HOME/..." or an absolute path, shell quoting undone); nullopt when the
// text names none.
std::optional<std::filesystem::path> musicFolderFromUserDirs(std::string_view text, const std::string& home);

// The user's music folder, given the text of the user's user-dirs.dirs (in
// configHome(); empty when there is none): its XDG_MUSIC_DIR, else ~/Music.
std::filesystem::path musicFolder(std::string_view userDirs);

} // namespace yomi::paths
