// What identifies one version of a file on disk, as stat reports it: the one
// identity that the file commit, its journal, the undo log and the walk of
// the folder library share.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>

struct stat;

namespace yomi::fileio {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;
    std::int64_t ctimeSeconds = 0;
    std::int64_t ctimeNanoseconds = 0;

    // Every field, the change time included: the same file, not touched
    // since (what the library index and a revert's "changed since" ask).
    bool operator==(const FileIdentity&) const = default;

    // The same version of the content: device, inode, size and modification
    // time, not the change time, which a chmod, a new link or the rollback of
    // an interrupted commit moves without touching the bytes (what a commit
    // asks of the file it replaces).
    bool sameVersion(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
            mtimeSeconds == other.mtimeSeconds && mtimeNanoseconds == other.mtimeNanoseconds;
    }

    // The change time in nanoseconds since the epoch, and back.
    std::int64_t ctime() const { return ctimeSeconds * 1000000000 + ctimeNanoseconds; }
    void setCtime(std::int64_t nanoseconds);
};

FileIdentity identityOf(const struct stat& st);

// The identity of the file at a path (following symbolic links); nullopt when
// it cannot be stat'ed.
std::optional<FileIdentity> identify(const std::filesystem::path& file);

} // namespace yomi::fileio
