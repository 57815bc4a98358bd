// Committing a new content of a file so that the file is never left damaged:
// either the old bytes or the new bytes, whatever happens part way.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"
#include "Storage/FileIdentity.h"

namespace yomi::fileio {

// What a commit that succeeded did.
struct CommitOutcome {
    bool changed = true; // false when the new content equals the old one
};

// The outcome of a commit, or the reason it failed.
using CommitResult = Result<CommitOutcome>;

// Replaces the content of `file`, which must still be the version `expected`
// names, whose bytes were `original`, by `edited`, so that at every moment
// (a kill, a crash, a full disk) the file holds either all of the old bytes
// or all of the new ones.
//
// - Content equal to the old one writes nothing: bytes and modification
//   time stay (success, changed == false), whatever the file's state.
// - The file at the path (symbolic links followed) must still have the
//   expected device, inode, size and modification time to the nanosecond,
//   and hold exactly `original` (a writer that kept the size and put the
//   modification time back is caught); otherwise nothing is written and the
//   reason is exactly "changed on disk" (also for a file that vanished).
// - The file is locked (flock) from these checks to the last write, so that
//   two processes committing the same file go one after the other and the
//   second finds the first's bytes ("changed on disk"); a lock held for
//   longer than 20 seconds fails with "the file is being written by another
//   process".
// - Same length: the changed ranges are patched in place, behind a synced
//   undo record in the journal (see Journal.h); the inode stays.
// - Other length: behind a synced journal record of the temporary file to
//   come, a temporary file beside the file (".<name>.yomi-XXXXXX.tmp",
//   O_EXCL) gets the new bytes, the owner where allowed, the extended
//   attributes and the mode; it is synced and renamed over the file, and the
//   folder is synced. Fails with "file has several hard links" or "folder is
//   not writable" instead where the rename would break the links or cannot
//   be made.
// - A file the process may not open for writing fails with "file is not
//   writable", on either path.
// Any other failure names the call and the system's message ("write: No
// space left on device"); the file then holds its old bytes. The one
// exception is a failed sync of the folder after the rename: the new bytes
// are in place, and the reason says they may not be durable.
CommitResult commitFile(const std::filesystem::path& file, const FileIdentity& expected, std::span<const char> original,
                        std::span<const char> edited);

// Commits of several files that pay for durability once: every journal record
// of the group is written and synced with one sync, every file is then patched
// or its temporary written, all of them are synced together (fsyncs issued at
// once from a few threads), the renames are made and each folder is synced
// once. Each file's outcome is the one commitFile gives it, with the same
// reasons, and none is final before every sync of its file is: a crash at any
// point leaves each file of the group with its old or its new bytes, and the
// next recoverAfterCrash rolls back the unfinished ones.
class CommitGroup {
public:
    CommitGroup();
    ~CommitGroup();
    CommitGroup(const CommitGroup&) = delete;
    CommitGroup& operator=(const CommitGroup&) = delete;

    // Adds the commit of one file, as commitFile takes it. The bytes must
    // stay valid until commit() returns. Nothing is checked or written yet.
    void add(const std::filesystem::path& file, const FileIdentity& expected, std::span<const char> original,
             std::span<const char> edited);
    std::size_t size() const;

    // Commits every file added, and returns their outcomes in the order they
    // were added. The group is empty afterwards.
    std::vector<CommitResult> commit();

    struct Entry;

private:
    std::vector<std::unique_ptr<Entry>> entries_;
};

// Reads a whole regular file; fails, with the reason, when it cannot (a FIFO,
// device or folder is refused without blocking).
Result<std::string> readWholeFile(const std::filesystem::path& file);

// Writes the parts, in order, as the whole new content of `file` (made with
// its folders when missing), so that the file holds its old content or all
// of the new one whatever happens part way: a temporary file beside it
// (".<name>.yomi-XXXXXX.tmp") gets the bytes and is synced, then renamed over
// the file, and the folder is synced. For the files the program keeps whole
// (the user's readings, the dictionaries' indexes and notes). Fails with the
// call and the system's message ("write: No space left on device"); the file
// then holds its old content, except when only the folder's sync failed,
// which the reason says.
Status writeFileAtomically(const std::filesystem::path& file, std::span<const std::string_view> parts);
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// What recoverAfterCrash did.
struct RecoveryReport {
    int journalsRead = 0;       // journals of processes that are gone
    int rolledBack = 0;         // files given back their old bytes
    int completed = 0;          // unfinished records whose file held the new bytes
    int leftAlone = 0;          // records whose file changed or vanished since
    int failed = 0;             // rollbacks that met an I/O error (retried next time)
    int temporariesRemoved = 0; // leftover temporary files of ours removed
};

// Made when a library is opened, before anything else: rolls back every
// in-place commit that a process which is gone left unfinished, and removes
// the temporary files its unfinished commits by rename left, in whichever
// folder they are (the journal is per user; `root` is not walked, so a
// temporary file that no journal names is left alone). A temporary file that
// a running commit holds is left alone. Each action is logged.
RecoveryReport recoverAfterCrash(const std::filesystem::path& root);

// True for the name of one of our temporary files
// (".<name>.yomi-XXXXXX.tmp").
bool isTemporaryName(std::string_view name);

} // namespace yomi::fileio
