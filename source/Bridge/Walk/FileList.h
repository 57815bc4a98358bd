// The walk's list of files: the audio files under a library root, listed
// once at the start of a walk and fixed from then on (see FolderLibrary.h for
// which files count).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

namespace yomi::bridge::folder {

// The relative paths of the audio files under a root, in walk order, packed
// so that a list of a large library stays small: each folder's path is held
// once, and a file costs its name plus 9 bytes.
class FileList {
public:
    std::size_t size() const { return files_.size(); }
    bool empty() const { return files_.empty(); }
    // The relative path of the i-th file, '/' between its parts.
    std::string path(std::size_t i) const;

    // Listing: a folder (relative, "" or ending in '/'), then its files.
    std::uint32_t addFolder(std::string relative);
    void addFile(std::uint32_t folder, std::string_view name);
    // Puts the files in the byte order of their whole relative paths.
    void sort();

private:
    struct File {
        std::uint32_t folder;
        std::uint32_t name; // offset in names_ of a NUL-terminated name
    };
    std::string_view nameOf(const File& f) const { return std::string_view(names_.data() + f.name); }
    bool less(const File& a, const File& b) const;

    std::vector<std::string> folders_;
    std::string names_;
    std::vector<File> files_;
};

// The root as the walk's paths start: with a trailing '/', "./" for an empty
// root.
std::string rootPrefix(const std::filesystem::path& root);

// The audio files under the root, in walk order; fails, with the reason, for
// a root that cannot be read. A folder below it that cannot be read is
// logged and listed in its place as "name/" (which the walk reads as a file
// that cannot be read); a link that loops is logged and passed over, as a
// link to nothing is.
Result<FileList> listAudioFiles(const std::filesystem::path& root);

} // namespace yomi::bridge::folder
