#include "Storage/FileCommit.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "Storage/FileIo.h"
#include "Storage/Journal.h"
#include "Platform/Log.h"

namespace yomi::fileio {
namespace {

constexpr std::string_view kTempMarker = ".yomi-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandomLength = 6;

std::string errnoText(std::string_view what, int error = errno)
{
    return std::string(what) + ": " + std::strerror(error);
}

CommitResult failure(std::string reason)
{
    return {false, false, std::move(reason)};
}

FileIdentity identityOf(const struct stat& st)
{
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeSeconds = st.st_mtim.tv_sec;
    id.mtimeNanoseconds = st.st_mtim.tv_nsec;
    return id;
}

bool notPermitted(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { io::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// The ranges where the two contents differ; differences closer than a few
// bytes are joined, so that one edited frame is one patch.
std::vector<journal::Patch> differingRanges(std::span<const char> before, std::span<const char> after)
{
    constexpr std::size_t kJoinGap = 32;
    std::vector<journal::Patch> patches;
    const std::size_t n = before.size();
    std::size_t i = 0;
    while (i < n) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        std::size_t end = i + 1; // one past the last differing byte
        for (std::size_t j = end; j < n && j < end + kJoinGap; ++j) {
            if (before[j] != after[j])
                end = j + 1;
        }
        // Keep extending while differences keep coming within the gap.
        for (;;) {
            std::size_t next = end;
            for (std::size_t j = end; j < n && j < end + kJoinGap; ++j) {
                if (before[j] != after[j])
                    next = j + 1;
            }
            if (next == end)
                break;
            end = next;
        }
        journal::Patch p;
        p.offset = static_cast<off_t>(start);
        p.oldBytes.assign(before.data() + start, end - start);
        p.newBytes.assign(after.data() + start, end - start);
        patches.push_back(std::move(p));
        i = end;
    }
    return patches;
}

// Same length: an undo record, the patch in place, sync, done.
CommitResult commitInPlace(int fd, const struct stat& st, const std::string& path,
                           std::span<const char> original, std::span<const char> edited)
{
    journal::Record record;
    record.identity = identityOf(st);
    record.path = path;
    record.patches = differingRanges(original, edited);

    // The undo record must hold what is really on disk, not what the caller
    // believes is there.
    for (const journal::Patch& p : record.patches) {
        std::string now(p.oldBytes.size(), '\0');
        if (io::preadAll(fd, now, p.offset) != 0)
            return failure(errnoText("read"));
        if (now != p.oldBytes)
            return failure("changed on disk");
    }

    std::string error;
    if (!journal::begin(record, error))
        return failure("cannot write the undo journal: " + error);

    std::string reason;
    std::size_t written = 0;
    for (const journal::Patch& p : record.patches) {
        if (io::pwriteAll(fd, p.newBytes, p.offset) != 0) {
            reason = errnoText("write");
            // A failed pwrite may still have written part of its range.
            ++written;
            break;
        }
        ++written;
    }
    if (reason.empty() && io::fsync(fd) != 0) {
        reason = errnoText("fsync");
        written = record.patches.size();
    }
    if (reason.empty()) {
        if (!journal::finish(record.id, error))
            log::write("Could not mark a change of " + log::escapeControls(path) + " done in the undo journal: " +
                       error);
        return {true, true, {}};
    }

    // Put the old bytes back now; whatever fails here is left to the journal.
    bool restored = true;
    for (std::size_t k = 0; k < written && restored; ++k)
        restored = io::pwriteAll(fd, record.patches[k].oldBytes, record.patches[k].offset) == 0;
    if (restored) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(fd, times);
        restored = io::fsync(fd) == 0;
    }
    if (!restored)
        return failure(reason + "; the old content will be restored when the library is next opened");
    if (!journal::finish(record.id, error))
        log::write("Could not mark a change of " + log::escapeControls(path) + " done in the undo journal: " +
                   error);
    return failure(reason);
}

std::string temporaryName(const std::string& name)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(kTempMarker);
    for (std::size_t i = 0; i < kTempRandomLength; ++i)
        suffix.push_back(kAlphabet[random() % (sizeof kAlphabet - 1)]);
    suffix += kTempSuffix;
    // Keep within NAME_MAX however long the original name is.
    const std::size_t room = NAME_MAX - 1 - suffix.size();
    return "." + name.substr(0, std::min(name.size(), room)) + suffix;
}

// Copies the extended attributes; an attribute the user may not set
// (trusted.*, some security.*) is logged and skipped, as the owner is.
bool copyExtendedAttributes(int from, int to, const std::string& path, std::string& error)
{
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP || errno == ENOSYS ? true : (error = errnoText("list extended attributes"), false);
    std::vector<char> names(static_cast<std::size_t>(size) + 1);
    size = ::flistxattr(from, names.data(), names.size());
    if (size < 0) {
        error = errnoText("list extended attributes");
        return false;
    }
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length >= 0) {
            value.resize(static_cast<std::size_t>(length) + 1);
            length = ::fgetxattr(from, name, value.data(), value.size());
        }
        if (length < 0) {
            if (errno == ENODATA)
                continue;
            error = errnoText(std::string("read extended attribute ") + name);
            return false;
        }
        if (io::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) != 0) {
            if (errno == EPERM || errno == ENOTSUP) {
                log::write("Extended attribute " + log::escapeControls(name) + " of " + log::escapeControls(path) +
                           " not kept: " + std::strerror(errno));
                continue;
            }
            error = errnoText(std::string("copy extended attribute ") + name);
            return false;
        }
    }
    return true;
}

// Other length: a new file beside the old one, renamed over it.
CommitResult commitByRename(int fd, const struct stat& st, const FileIdentity& expected, const std::string& path,
                            std::span<const char> edited)
{
    if (st.st_nlink > 1)
        return failure("file has several hard links");

    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    Fd dirFd(io::open(dir.c_str(), O_RDONLY | O_DIRECTORY));
    if (!dirFd)
        return failure(notPermitted(errno) ? "folder is not writable" : errnoText("open folder"));
    if (::faccessat(dirFd.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        return failure(notPermitted(errno) ? "folder is not writable" : errnoText("check folder"));

    std::string temp;
    int tempFd = -1;
    for (int attempt = 0; attempt < 16 && tempFd < 0; ++attempt) {
        temp = temporaryName(name);
        tempFd = io::openat(dirFd.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (tempFd < 0 && errno != EEXIST)
            break;
    }
    if (tempFd < 0)
        return failure(notPermitted(errno) ? "folder is not writable" : errnoText("create temporary file"));
    // Held while the file is ours, so that recovery in another process
    // leaves it alone.
    ::flock(tempFd, LOCK_EX | LOCK_NB);

    auto abandon = [&](std::string reason) {
        io::close(tempFd);
        ::unlinkat(dirFd.get(), temp.c_str(), 0);
        return failure(std::move(reason));
    };

    if (io::writeAll(tempFd, edited) != 0)
        return abandon(errnoText("write"));
    // Owner first: a change of owner clears the set-user-ID bits that the
    // mode then puts back.
    if (io::fchown(tempFd, st.st_uid, st.st_gid) != 0) {
        if (errno != EPERM)
            return abandon(errnoText("copy owner"));
        if (io::fchown(tempFd, static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM)
            return abandon(errnoText("copy group"));
    }
    std::string error;
    if (!copyExtendedAttributes(fd, tempFd, path, error))
        return abandon(error);
    if (io::fchmod(tempFd, st.st_mode & 07777) != 0)
        return abandon(errnoText("copy mode"));
    if (io::fsync(tempFd) != 0)
        return abandon(errnoText("fsync"));

    // Narrow the window between the first check and the rename.
    struct stat now {};
    if (::fstatat(dirFd.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !(identityOf(now) == expected))
        return abandon("changed on disk");
    if (io::renameat(dirFd.get(), temp.c_str(), dirFd.get(), name.c_str()) != 0)
        return abandon(errnoText("rename"));
    io::close(tempFd);
    if (io::fsync(dirFd.get()) != 0) {
        // The new content is in place, but the rename may not survive a
        // power loss: not a success to report.
        return failure(errnoText("fsync folder") + " (the new content is in place but may not be durable)");
    }
    return {true, true, {}};
}

} // namespace

std::optional<FileIdentity> identify(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return std::nullopt;
    return identityOf(st);
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::string* error)
{
    // O_NONBLOCK: a file swapped for a FIFO must not hang the caller; it is
    // refused below as no regular file.
    Fd fd(io::open(file.c_str(), O_RDONLY | O_NONBLOCK));
    if (!fd) {
        if (error)
            *error = errnoText("open");
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = "not a regular file";
        return std::nullopt;
    }
    std::string data;
    if (io::readToEnd(fd.get(), data) != 0) {
        if (error)
            *error = errnoText("read");
        return std::nullopt;
    }
    return data;
}

CommitResult commitFile(const std::filesystem::path& file, const FileIdentity& expected,
                        std::span<const char> original, std::span<const char> edited)
{
    if (original.size() == edited.size() && std::memcmp(original.data(), edited.data(), edited.size()) == 0)
        return {true, false, {}};
    if (static_cast<off_t>(original.size()) != expected.size)
        return failure("changed on disk");

    // Symbolic links are followed: the target is the file to change, and a
    // rename must land beside it, not replace the link.
    char resolved[PATH_MAX];
    if (!::realpath(file.c_str(), resolved))
        return failure(errno == ENOENT ? "changed on disk" : errnoText("resolve path"));
    const std::string path = resolved;

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return failure(errno == ENOENT ? "changed on disk" : errnoText("stat"));
    if (!(identityOf(st) == expected))
        return failure("changed on disk");

    // Opened for writing in both paths: a file the user may not write is not
    // replaced by a rename either.
    Fd fd(io::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK));
    if (!fd) {
        if (errno == ENOENT || errno == ELOOP)
            return failure("changed on disk");
        return failure(notPermitted(errno) || errno == ETXTBSY ? "file is not writable" : errnoText("open"));
    }
    if (::fstat(fd.get(), &st) != 0)
        return failure(errnoText("stat"));
    if (!S_ISREG(st.st_mode))
        return failure("not a regular file");
    if (!(identityOf(st) == expected))
        return failure("changed on disk");

    if (original.size() == edited.size())
        return commitInPlace(fd.get(), st, path, original, edited);
    return commitByRename(fd.get(), st, expected, path, edited);
}

bool isTemporaryName(std::string_view name)
{
    // "." + at least one byte of the original name + ".yomi-" + 6 + ".tmp"
    const std::size_t tail = kTempMarker.size() + kTempRandomLength + kTempSuffix.size();
    if (name.size() < 2 + tail || name[0] != '.' || !name.ends_with(kTempSuffix))
        return false;
    const std::string_view marker = name.substr(name.size() - tail, kTempMarker.size());
    if (marker != kTempMarker)
        return false;
    for (const char c : name.substr(name.size() - tail + kTempMarker.size(), kTempRandomLength)) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

RecoveryReport recoverAfterCrash(const std::filesystem::path& root)
{
    RecoveryReport report = journal::recover();

    // A walk of our own: symbolic links are not followed, and a folder that
    // cannot be read is skipped without ending the walk.
    std::vector<std::string> pending{root.string()};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        DIR* d = ::opendir(dir.c_str());
        if (!d)
            continue;
        while (const dirent* e = ::readdir(d)) {
            const std::string_view name = e->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "/" + std::string(name);
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::lstat(path.c_str(), &st) != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR) {
                pending.push_back(path);
                continue;
            }
            if (type != DT_REG || !isTemporaryName(name))
                continue;
            const int fd = io::open(path.c_str(), O_RDONLY | O_NOFOLLOW);
            // A temporary file that a running commit holds is not a leftover.
            if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0) {
                ++report.temporariesRemoved;
                log::write("Removed the leftover temporary file " + log::escapeControls(path));
            }
            io::close(fd);
        }
        ::closedir(d);
    }
    return report;
}

} // namespace yomi::fileio
