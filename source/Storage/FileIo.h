// The small layer of system calls under the file commit and its journal, with
// a fault injector so that tests can make any one call fail.
//
// Every function is the system call of the same name, restarted on EINTR, and
// reports failure like it (-1 and errno). The *All functions loop until every
// byte is written or read, so a short transfer is never mistaken for success.
//
// The injector is process-wide. It is armed by tests and by the kill harness;
// until the first armFault, resetCounts or setCallHook each call costs one
// relaxed atomic load and nothing is counted.
#pragma once

#include <sys/types.h>

#include <cerrno>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Result.h"

namespace yomi::fileio::io {

// The kinds of calls the injector counts and can make fail.
enum class Op {
    Open,     // open / openat, for any purpose
    Read,     // read and pread
    Write,    // write (appends, temporary file contents)
    PWrite,   // pwrite (patches in place, rollbacks)
    Fsync,    // fsync of files and folders
    Rename,   // rename over the original
    Chmod,    // fchmod
    Chown,    // fchown
    SetXattr, // fsetxattr
    Truncate, // ftruncate
    Count
};

const char* opName(Op op);

int open(const char* path, int flags, mode_t mode = 0);
int openat(int dirfd, const char* path, int flags, mode_t mode = 0);
// Closes without reporting (the descriptors this layer closes were synced).
void close(int fd);

// Writes every byte at the current position; 0 on success, -1 with errno.
int writeAll(int fd, std::span<const char> bytes);
// Writes every byte at `offset`; 0 on success, -1 with errno.
int pwriteAll(int fd, std::span<const char> bytes, off_t offset);
// Reads exactly bytes.size() bytes at `offset`; -1 with errno, or with EIO
// when the file ends first.
int preadAll(int fd, std::span<char> bytes, off_t offset);
// Reads from the current position to the end of the file into `out`.
int readToEnd(int fd, std::string& out);

int fsync(int fd);
int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath);
int fchmod(int fd, mode_t mode);
int fchown(int fd, uid_t owner, gid_t group);
int fsetxattr(int fd, const char* name, const void* value, std::size_t size, int flags);
int ftruncate(int fd, off_t length);

// --- Fault injection -------------------------------------------------------

struct Fault {
    Op op = Op::Write;
    int nth = 1;         // the 1-based call of `op`, counted from arming
    int error = 0;       // errno to fail with; 0 makes a Write/PWrite short
                         // (half the bytes written, then the call reports
                         // success as the kernel would)
    bool sticky = false; // fail that call and every later one of `op`
};

// Arms one fault (replacing any armed one) and resets the call counters.
void armFault(const Fault& fault);
// Disarms the fault; the counters keep counting.
void disarmFault();
// Resets the call counters.
void resetCounts();
// Calls of `op` since the last arming or reset.
int callCount(Op op);
// Calls of any kind since the last arming or reset.
int totalCalls();

// Called before every call of this layer with its kind (the kill harness uses
// it to die at a chosen call). Empty to remove.
void setCallHook(std::function<void(Op)> hook);

// Arms a fault for the lifetime of the object, counting from construction.
class ScopedFault {
public:
    explicit ScopedFault(const Fault& fault) { armFault(fault); }
    ~ScopedFault() { disarmFault(); }
    ScopedFault(const ScopedFault&) = delete;
    ScopedFault& operator=(const ScopedFault&) = delete;
};

// The reason a call failed, as the failures of this layer give it:
// "<what>: <the system's message for `error`>" ("write: No space left on
// device").
std::string errnoText(std::string_view what, int error = errno);

// Syncs a folder's entries (after a file in it was created or renamed);
// failures are ignored, as the folder may not allow it.
void syncFolder(const std::filesystem::path& dir);

// mkdir -p (mode 0700), syncing the parent of every folder it makes. Fails
// with "<path>: Not a directory" or "create <path>: <system message>".
Status makeFolders(const std::filesystem::path& dir);

// Syncs every descriptor, several at once (from a few threads), so that the
// file system can make them durable in one go; the errno of each, 0 for the
// ones synced, in the order given.
std::vector<int> fsyncAll(std::span<const int> fds);

} // namespace yomi::fileio::io
