#include "Storage/FileCommit.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "Platform/Log.h"
#include "Storage/FileIo.h"
#include "Storage/Journal.h"

namespace yomi::fileio {
namespace {

constexpr std::string_view kTempMarker = ".yomi-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempRandomLength = 6;

using io::errnoText;

CommitResult failure(std::string reason) { return Failure{std::move(reason)}; }

bool notPermitted(int error) { return error == EACCES || error == EPERM || error == EROFS; }

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { io::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            io::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
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

// ".<name>.yomi-": what every temporary file of `name` starts with.
std::string temporaryPrefix(const std::string& name)
{
    // Keep within NAME_MAX however long the original name is.
    const std::size_t room = NAME_MAX - 1 - kTempMarker.size() - kTempRandomLength - kTempSuffix.size();
    std::string prefix(1, '.');
    prefix.append(name, 0, std::min(name.size(), room));
    prefix.append(kTempMarker);
    return prefix;
}

std::string temporaryName(const std::string& prefix)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = prefix;
    for (std::size_t i = 0; i < kTempRandomLength; ++i)
        name.push_back(kAlphabet[random() % (sizeof kAlphabet - 1)]);
    return name + std::string(kTempSuffix);
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

} // namespace

struct CommitGroup::Entry {
    std::filesystem::path file;
    FileIdentity expected;
    std::span<const char> original;
    std::span<const char> edited;
    std::optional<CommitResult> result; // set once the outcome is known

    std::string path; // symbolic links resolved
    Fd fd;
    struct stat st {};
    bool inPlace = false;
    journal::Record record;       // in place
    journal::Temporary temporary; // by rename
    std::string name;             // by rename: the file's name in its folder
    Fd dirFd;
    std::string temp;
    Fd tempFd;

    bool pending() const { return !result; }
    void fail(std::string reason) { result = failure(std::move(reason)); }
    void succeed() { result = CommitOutcome{true}; }
};

namespace {

using Entry = CommitGroup::Entry;

void finishRecord(std::uint64_t id, const std::string& path)
{
    if (const Status done = journal::finish(id); !done)
        log::write("Could not mark a change of " + log::escapeControls(path) +
                   " done in the undo journal: " + done.reason());
}

// Takes the file's commit lock (flock), waiting for a commit of another
// process for at most kLockWait; false when it is still held then.
bool lockForCommit(int fd)
{
    constexpr auto kLockWait = std::chrono::seconds(20);
    const auto until = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true; // a file system without locks: the checks below still run
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// 1 when the file holds exactly `bytes`, 0 when it holds others, -1 (errno
// set) when it cannot be read. Plain reads, not the fault-injected layer's:
// this check is no step of the commit that a test makes fail.
int holds(int fd, std::span<const char> bytes)
{
    char buffer[1 << 16];
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return static_cast<std::size_t>(at) == bytes.size() ? 1 : 0;
        if (static_cast<std::size_t>(at) + static_cast<std::size_t>(n) > bytes.size() ||
            std::memcmp(buffer, bytes.data() + at, static_cast<std::size_t>(n)) != 0)
            return 0;
        at += n;
    }
}

// The ranges to patch, checked against what is really on disk: the undo
// record must hold the file's bytes, not what the caller believes is there.
void planInPlace(Entry& e)
{
    e.record.identity = identityOf(e.st);
    e.record.path = e.path;
    e.record.patches = differingRanges(e.original, e.edited);
    for (const journal::Patch& p : e.record.patches) {
        std::string now(p.oldBytes.size(), '\0');
        if (io::preadAll(e.fd.get(), now, p.offset) != 0)
            return e.fail(errnoText("read"));
        if (now != p.oldBytes)
            return e.fail("changed on disk");
    }
}

// The folder a temporary file will be made in, and its name prefix.
void planRename(Entry& e)
{
    if (e.st.st_nlink > 1)
        return e.fail("file has several hard links");
    const std::size_t slash = e.path.rfind('/');
    const std::string dir = slash == 0 ? "/" : e.path.substr(0, slash);
    e.name = e.path.substr(slash + 1);
    e.dirFd = Fd(io::open(dir.c_str(), O_RDONLY | O_DIRECTORY));
    if (!e.dirFd)
        return e.fail(notPermitted(errno) ? "folder is not writable" : errnoText("open folder"));
    if (::faccessat(e.dirFd.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        return e.fail(notPermitted(errno) ? "folder is not writable" : errnoText("check folder"));
    e.temporary.folder = dir;
    e.temporary.prefix = temporaryPrefix(e.name);
}

// The checks before anything is written: the file is still the expected
// version and can be written; then what the journal must hold for it.
void open(Entry& e)
{
    if (e.original.size() == e.edited.size() && std::memcmp(e.original.data(), e.edited.data(), e.edited.size()) == 0) {
        e.result = CommitOutcome{false};
        return;
    }
    if (static_cast<off_t>(e.original.size()) != e.expected.size)
        return e.fail("changed on disk");

    // Symbolic links are followed: the target is the file to change, and a
    // rename must land beside it, not replace the link.
    char resolved[PATH_MAX];
    if (!::realpath(e.file.c_str(), resolved))
        return e.fail(errno == ENOENT ? "changed on disk" : errnoText("resolve path"));
    e.path = resolved;

    if (::stat(e.path.c_str(), &e.st) != 0)
        return e.fail(errno == ENOENT ? "changed on disk" : errnoText("stat"));
    if (!identityOf(e.st).sameVersion(e.expected))
        return e.fail("changed on disk");

    // Opened for writing in both paths: a file the user may not write is not
    // replaced by a rename either.
    e.fd = Fd(io::open(e.path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK));
    if (!e.fd) {
        if (errno == ENOENT || errno == ELOOP)
            return e.fail("changed on disk");
        return e.fail(notPermitted(errno) || errno == ETXTBSY ? "file is not writable" : errnoText("open"));
    }
    // Another process of ours that commits this file holds its lock from
    // its checks to its last write: this one waits, then sees what it wrote.
    if (!lockForCommit(e.fd.get()))
        return e.fail("the file is being written by another process");
    if (::fstat(e.fd.get(), &e.st) != 0)
        return e.fail(errnoText("stat"));
    if (!S_ISREG(e.st.st_mode))
        return e.fail("not a regular file");
    if (!identityOf(e.st).sameVersion(e.expected))
        return e.fail("changed on disk");
    // The path must still name the file locked (a commit by rename replaces
    // it), and the file must hold every byte it held when it was read: a
    // writer that kept the size and put the modification time back is seen.
    struct stat atPath {};
    if (::stat(e.path.c_str(), &atPath) != 0 || atPath.st_dev != e.st.st_dev || atPath.st_ino != e.st.st_ino)
        return e.fail("changed on disk");
    if (const int same = holds(e.fd.get(), e.original); same < 0)
        return e.fail(errnoText("read"));
    else if (same == 0)
        return e.fail("changed on disk");

    e.inPlace = e.original.size() == e.edited.size();
    e.inPlace ? planInPlace(e) : planRename(e);
}

// Writes the journal records of every pending commit with one sync.
void journalGroup(std::vector<Entry*>& pending)
{
    std::vector<journal::Record*> records;
    std::vector<journal::Temporary*> temporaries;
    for (Entry* e : pending) {
        if (e->inPlace)
            records.push_back(&e->record);
        else
            temporaries.push_back(&e->temporary);
    }
    if (const Status begun = journal::begin(records, temporaries); !begun) {
        for (Entry* e : pending)
            e->fail("cannot write the undo journal: " + begun.reason());
    }
}

// Puts the old bytes back after a failed patch or sync; whatever fails here
// is left to the journal.
void restoreInPlace(Entry& e, const std::string& reason, std::size_t written)
{
    const journal::Record& record = e.record;
    bool restored = true;
    for (std::size_t k = 0; k < written && restored; ++k)
        restored = io::pwriteAll(e.fd.get(), record.patches[k].oldBytes, record.patches[k].offset) == 0;
    if (restored) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, e.st.st_mtim};
        ::futimens(e.fd.get(), times);
        restored = io::fsync(e.fd.get()) == 0;
    }
    if (!restored)
        return e.fail(reason + "; the old content will be restored when the library is next opened");
    finishRecord(record.id, e.path);
    e.fail(reason);
}

void patch(Entry& e)
{
    std::size_t written = 0;
    for (const journal::Patch& p : e.record.patches) {
        // A failed pwrite may still have written part of its range.
        ++written;
        if (io::pwriteAll(e.fd.get(), p.newBytes, p.offset) != 0)
            return restoreInPlace(e, errnoText("write"), written);
    }
}

void abandon(Entry& e, std::string reason)
{
    if (e.tempFd) {
        e.tempFd = Fd();
        ::unlinkat(e.dirFd.get(), e.temp.c_str(), 0);
    }
    if (const Status done = journal::finish(e.temporary.id); !done)
        log::write("Could not mark the temporary file of " + log::escapeControls(e.path) +
                   " done in the undo journal: " + done.reason());
    e.fail(std::move(reason));
}

// The temporary file with the new bytes, the owner, the extended attributes
// and the mode; not synced yet.
void writeTemporary(Entry& e)
{
    int tempFd = -1;
    for (int attempt = 0; attempt < 16 && tempFd < 0; ++attempt) {
        e.temp = temporaryName(e.temporary.prefix);
        tempFd = io::openat(e.dirFd.get(), e.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (tempFd < 0 && errno != EEXIST)
            break;
    }
    if (tempFd < 0)
        return abandon(e, notPermitted(errno) ? "folder is not writable" : errnoText("create temporary file"));
    e.tempFd = Fd(tempFd);
    // Held while the file is ours, so that recovery in another process
    // leaves it alone.
    ::flock(tempFd, LOCK_EX | LOCK_NB);

    if (io::writeAll(tempFd, e.edited) != 0)
        return abandon(e, errnoText("write"));
    // Owner first: a change of owner clears the set-user-ID bits that the
    // mode then puts back.
    if (io::fchown(tempFd, e.st.st_uid, e.st.st_gid) != 0) {
        if (errno != EPERM)
            return abandon(e, errnoText("copy owner"));
        if (io::fchown(tempFd, static_cast<uid_t>(-1), e.st.st_gid) != 0 && errno != EPERM)
            return abandon(e, errnoText("copy group"));
    }
    std::string error;
    if (!copyExtendedAttributes(e.fd.get(), tempFd, e.path, error))
        return abandon(e, error);
    if (io::fchmod(tempFd, e.st.st_mode & 07777) != 0)
        return abandon(e, errnoText("copy mode"));
}

// Syncs every patched file and every temporary file at once.
void syncGroup(std::vector<Entry*>& pending)
{
    std::vector<int> fds;
    std::vector<Entry*> synced;
    for (Entry* e : pending) {
        if (e->pending()) {
            fds.push_back(e->inPlace ? e->fd.get() : e->tempFd.get());
            synced.push_back(e);
        }
    }
    const std::vector<int> errors = io::fsyncAll(fds);
    for (std::size_t i = 0; i < synced.size(); ++i) {
        if (errors[i] == 0)
            continue;
        Entry& e = *synced[i];
        if (e.inPlace)
            restoreInPlace(e, errnoText("fsync", errors[i]), e.record.patches.size());
        else
            abandon(e, errnoText("fsync", errors[i]));
    }
}

void rename(Entry& e)
{
    // Narrow the window between the first check and the rename.
    struct stat now {};
    if (::fstatat(e.dirFd.get(), e.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !identityOf(now).sameVersion(e.expected))
        return abandon(e, "changed on disk");
    if (io::renameat(e.dirFd.get(), e.temp.c_str(), e.dirFd.get(), e.name.c_str()) != 0)
        return abandon(e, errnoText("rename"));
    e.tempFd = Fd();
}

// Syncs each folder where a rename was made, once; a rename whose folder
// cannot be synced is not reported as made.
void syncFolders(std::vector<Entry*>& renamed)
{
    std::vector<std::pair<std::string, int>> folders; // folder, errno of its sync
    for (Entry* e : renamed) {
        auto it =
            std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return f.first == e->temporary.folder; });
        if (it == folders.end()) {
            folders.emplace_back(e->temporary.folder, io::fsync(e->dirFd.get()) == 0 ? 0 : errno);
            it = folders.end() - 1;
        }
        finishRecord(e->temporary.id, e->path);
        if (it->second != 0) {
            // The new content is in place, but the rename may not survive a
            // power loss: not a success to report.
            e->fail(errnoText("fsync folder", it->second) + " (the new content is in place but may not be durable)");
        } else {
            e->succeed();
        }
    }
}

} // namespace

CommitGroup::CommitGroup() = default;
CommitGroup::~CommitGroup() = default;

void CommitGroup::add(const std::filesystem::path& file, const FileIdentity& expected, std::span<const char> original,
                      std::span<const char> edited)
{
    auto e = std::make_unique<Entry>();
    e->file = file;
    e->expected = expected;
    e->original = original;
    e->edited = edited;
    entries_.push_back(std::move(e));
}

std::size_t CommitGroup::size() const { return entries_.size(); }

std::vector<CommitResult> CommitGroup::commit()
{
    std::vector<Entry*> pending;
    for (const auto& e : entries_) {
        open(*e);
        if (e->pending())
            pending.push_back(e.get());
    }
    if (!pending.empty())
        journalGroup(pending);
    for (Entry* e : pending) {
        if (e->pending())
            e->inPlace ? patch(*e) : writeTemporary(*e);
    }
    syncGroup(pending);
    std::vector<Entry*> renamed;
    for (Entry* e : pending) {
        if (!e->pending())
            continue;
        if (e->inPlace) {
            finishRecord(e->record.id, e->path);
            e->succeed();
            continue;
        }
        rename(*e);
        if (e->pending())
            renamed.push_back(e);
    }
    syncFolders(renamed);

    std::vector<CommitResult> results;
    results.reserve(entries_.size());
    for (const auto& e : entries_)
        results.push_back(std::move(*e->result));
    entries_.clear();
    return results;
}

Result<std::string> readWholeFile(const std::filesystem::path& file)
{
    // O_NONBLOCK: a file swapped for a FIFO must not hang the caller; it is
    // refused below as no regular file.
    Fd fd(io::open(file.c_str(), O_RDONLY | O_NONBLOCK));
    if (!fd)
        return Failure{errnoText("open")};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Failure{"not a regular file"};
    std::string data;
    if (io::readToEnd(fd.get(), data) != 0)
        return Failure{errnoText("read")};
    return data;
}

CommitResult commitFile(const std::filesystem::path& file, const FileIdentity& expected, std::span<const char> original,
                        std::span<const char> edited)
{
    CommitGroup group;
    group.add(file, expected, original, edited);
    return group.commit().front();
}

Status writeFileAtomically(const std::filesystem::path& file, std::span<const std::string_view> parts)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const std::string name = file.filename().string();
    if (Status made = io::makeFolders(folder); !made)
        return made;
    const Fd dir(io::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return Failure{errnoText("open folder")};
    const std::string prefix = temporaryPrefix(name);
    std::string temp;
    Fd fd;
    for (int attempt = 0; attempt < 16 && !fd; ++attempt) {
        temp = temporaryName(prefix);
        fd = Fd(io::openat(dir.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd && errno != EEXIST)
            break;
    }
    if (!fd)
        return Failure{errnoText("create temporary file")};
    const auto discard = [&](std::string why) {
        ::unlinkat(dir.get(), temp.c_str(), 0);
        return Status(Failure{std::move(why)});
    };
    for (const std::string_view part : parts) {
        if (io::writeAll(fd.get(), part) != 0)
            return discard(errnoText("write"));
    }
    if (io::fsync(fd.get()) != 0)
        return discard(errnoText("fsync"));
    if (io::renameat(dir.get(), temp.c_str(), dir.get(), name.c_str()) != 0)
        return discard(errnoText("rename"));
    if (io::fsync(dir.get()) != 0)
        return Failure{errnoText("fsync folder") + " (the new content is in place but may not be durable)"};
    return {};
}

Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes)
{
    return writeFileAtomically(file, std::span(&bytes, 1));
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

RecoveryReport recoverAfterCrash(const std::filesystem::path&) { return journal::recover(); }

} // namespace yomi::fileio
