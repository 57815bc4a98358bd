// The library index: what each audio file under a library root held when it
// was last read, so that a walk over unchanged files costs a stat each, not a
// parse.
//
// One SQLite database per root, in $XDG_CACHE_HOME/yomi (default
// ~/.cache/yomi), named by a hash of the root's path. A row per file, keyed
// by its relative path, holds the version that was read (device, inode, size,
// mtime and ctime to the nanosecond), the time of that read, the file's
// TrackValues (absent and empty texts kept apart, and for a file that could
// not be read, the reason) and a checksum. An index of the previous version,
// which kept no reasons, is taken over: its unreadable files are read again.
//
// A row answers for a file only while all five identity fields match, and
// only when the file's ctime lies at least kSettleNanoseconds before the read
// that made the row: a file changed within the time stamps' granularity of
// that read could otherwise keep all five.
//
// A database that cannot be opened or written, belongs to another version or
// another root, fails a query or holds a row whose checksum is wrong is never
// trusted: it is set aside (renamed "<name>.set-aside") and a new one is
// built, and note() holds one line for the log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bridge/SortValueSource.h"
#include "Bridge/Tags/TrackValues.h"
#include "Platform/Result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace yomi::bridge::folder {

inline constexpr std::int64_t kSettleNanoseconds = 1000000000;

// A row of the index.
struct IndexedFile {
    TrackValues values; // identity always set
    std::int64_t readAtNanoseconds = 0;

    // True when the row may stand for the file now at `now`.
    bool answersFor(const fileio::FileIdentity& now) const;
};

using KnownSortValue = bridge::KnownSortValue;

class LibraryIndex {
public:
    // The database file of a root.
    static std::filesystem::path fileFor(const std::filesystem::path& root);

    // Opens the index of the root for one walk, making or rebuilding it as
    // needed; fails, with a line for the log, when none can be kept. An index
    // made anew after the old one was set aside says so in openingNote().
    static Result<std::unique_ptr<LibraryIndex>> openForWalk(const std::filesystem::path& root);

    // SortValueSource::sortValuesFor over the root's index; empty when the
    // root has none that can be read.
    static std::vector<KnownSortValue> sortValuesFor(const std::filesystem::path& root, const String& value);

    ~LibraryIndex();
    LibraryIndex(const LibraryIndex&) = delete;
    LibraryIndex& operator=(const LibraryIndex&) = delete;

    // The walk. rowFor is called with the walk's paths in order (at most one
    // caller at a time); rows of paths it passes over are dropped as files
    // that vanished. store and drop may come from any thread and in any
    // order. finishWalk, after the last of them: when the walk saw every
    // file, drops the rows after its last path; then commits the walk's
    // changes as one transaction, or sets a broken index aside and fails with
    // a line for the log that says so.
    std::optional<IndexedFile> rowFor(std::string_view relative);
    void store(std::string_view relative, const TrackValues& values, std::int64_t readAtNanoseconds);
    void drop(std::string_view relative);
    Status finishWalk(bool complete);

    // One line for the log when the index was set aside and made anew as it
    // was opened; empty otherwise.
    const std::string& openingNote() const { return openingNote_; }

private:
    LibraryIndex() = default;
    // Opens the index file, made anew when empty, and checks that this
    // version made it for the folder `rootKey`.
    Status open(const std::string& rootKey);
    Status prepare();
    bool ensureWriting();
    void fail(std::string why);
    void dropLocked(std::string_view relative);
    void advanceReader();

    std::mutex mutex_;
    std::filesystem::path file_;
    sqlite3* db_ = nullptr;     // writes
    sqlite3* reader_ = nullptr; // the walk's snapshot, in path order
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* delete_ = nullptr;
    bool readerDone_ = false;
    bool writing_ = false;  // inside the walk's transaction
    bool readOnly_ = false; // another process holds the write lock
    std::string broken_;    // why the index cannot be trusted; empty while it can
    std::string openingNote_;
};

} // namespace yomi::bridge::folder
