// Committing a new content of a file so that the file is never left damaged:
// either the old bytes or the new bytes, whatever happens part way.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace yomi::fileio {

// What identifies one version of a file on disk.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at a path (following symbolic links); nullopt when
// it cannot be read.
std::optional<FileIdentity> identify(const std::filesystem::path& file);

struct CommitResult {
    bool ok = true;
    bool changed = false; // false when the new content equals the old one
    std::string reason;   // why it failed; empty on success
};

// Replaces the content of `file`, which must still be the version `expected`
// names ("changed on disk" otherwise), whose bytes were `original`, by
// `edited`. Content equal to the old one writes nothing.
CommitResult commitFile(const std::filesystem::path& file, const FileIdentity& expected,
                        std::span<const char> original, std::span<const char> edited);

// Reads a whole file; nullopt with the reason in `error` when it cannot.
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::string* error = nullptr);

// Made when a library is opened, before anything else: finishes or rolls back
// what an interrupted commit under `root` left behind.
void recoverAfterCrash(const std::filesystem::path& root);

} // namespace yomi::fileio
