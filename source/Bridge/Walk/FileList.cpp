#include "Bridge/Walk/FileList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "Bridge/Bytes/Formats.h"
#include "Platform/Log.h"

namespace yomi::bridge::folder {

std::string FileList::path(std::size_t i) const
{
    const File& f = files_.at(i);
    std::string out = folders_[f.folder];
    out += nameOf(f);
    return out;
}

std::uint32_t FileList::addFolder(std::string relative)
{
    folders_.push_back(std::move(relative));
    return static_cast<std::uint32_t>(folders_.size() - 1);
}

void FileList::addFile(std::uint32_t folder, std::string_view name)
{
    files_.push_back(File{folder, static_cast<std::uint32_t>(names_.size())});
    names_.append(name);
    names_.push_back('\0');
}

bool FileList::less(const File& a, const File& b) const
{
    // Files of one folder: their names decide.
    if (a.folder == b.folder)
        return nameOf(a) < nameOf(b);
    // Folders that differ within the shorter one: the folders decide.
    const std::string_view folderA = folders_[a.folder], folderB = folders_[b.folder];
    const std::size_t shorter = std::min(folderA.size(), folderB.size());
    if (const int c = folderA.substr(0, shorter).compare(folderB.substr(0, shorter)); c != 0)
        return c < 0;
    // Otherwise compare folder + name of each as one string, byte by byte
    // (unsigned, as std::string does), without joining them.
    const std::string_view partsA[2] = {folders_[a.folder], nameOf(a)};
    const std::string_view partsB[2] = {folders_[b.folder], nameOf(b)};
    std::size_t pa = 0, pb = 0, ia = 0, ib = 0;
    for (;;) {
        while (pa < 2 && ia == partsA[pa].size()) {
            ++pa;
            ia = 0;
        }
        while (pb < 2 && ib == partsB[pb].size()) {
            ++pb;
            ib = 0;
        }
        if (pa == 2 || pb == 2)
            return pa == 2 && pb != 2;
        // Compare the longest run both parts still have.
        const std::size_t n = std::min(partsA[pa].size() - ia, partsB[pb].size() - ib);
        const int c = partsA[pa].substr(ia, n).compare(partsB[pb].substr(ib, n));
        if (c != 0)
            return c < 0;
        ia += n;
        ib += n;
    }
}

void FileList::sort()
{
    std::sort(files_.begin(), files_.end(), [this](const File& a, const File& b) { return less(a, b); });
    files_.shrink_to_fit();
    names_.shrink_to_fit();
    folders_.shrink_to_fit();
}

std::string rootPrefix(const std::filesystem::path& root)
{
    std::string prefix = root.empty() ? std::string(".") : root.string();
    if (prefix.back() != '/')
        prefix.push_back('/');
    return prefix;
}

Result<FileList> listAudioFiles(const std::filesystem::path& root)
{
    const std::string base = rootPrefix(root);

    FileList files;
    std::vector<std::string> pending{std::string()}; // folders still to read, relative, ending in '/'
    bool atRoot = true;
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        const std::string full = base + folder;
        DIR* dir = ::opendir(full.c_str());
        if (!dir) {
            const std::string reason = std::strerror(errno);
            if (atRoot)
                return Failure{reason};
            log::write(log::escapeControls("cannot read the folder " + full + ": " + reason), log::Priority::Warning);
            // Listed as an entry of its parent ("name/"): the walk reads it
            // as a file that cannot be read, so that the scan and the Save
            // count it and name it, not pass its files over unseen.
            const std::size_t cut = folder.rfind('/', folder.size() - 2);
            const std::string parent = cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
            files.addFile(files.addFolder(parent), std::string_view(folder).substr(parent.size()));
            continue;
        }
        atRoot = false;
        std::optional<std::uint32_t> folderIndex; // added with its first file
        const auto addFile = [&](const char* name) {
            if (!folderIndex)
                folderIndex = files.addFolder(folder);
            files.addFile(*folderIndex, name);
        };
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.')
                continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::lstat((full + name).c_str(), &st) != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : 0;
            }
            if (type == DT_DIR) {
                pending.push_back(folder + name + '/');
                continue;
            }
            if (!formatForName(name))
                continue;
            if (type == DT_REG) {
                addFile(name);
            } else if (type == DT_LNK) {
                struct stat st {};
                const bool found = ::stat((full + name).c_str(), &st) == 0;
                if (found && S_ISREG(st.st_mode))
                    addFile(name);
                else if (!found && errno == ELOOP)
                    // A loop of links is named; a link to nothing is passed over.
                    log::write(log::escapeControls("cannot read " + full + name + ": " + std::strerror(ELOOP)),
                               log::Priority::Warning);
            }
        }
        ::closedir(dir);
    }
    files.sort();
    return files;
}

} // namespace yomi::bridge::folder
