#include "Storage/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace yomi::fileio::io {
namespace {

struct Injector {
    std::mutex mutex;
    bool armed = false;
    Fault fault;
    std::array<int, static_cast<std::size_t>(Op::Count)> counts{};
    int total = 0;
    std::shared_ptr<std::function<void(Op)>> hook;
};

Injector& injector()
{
    static Injector s;
    return s;
}

// True when anything (a fault, a hook or counting) needs to see the calls.
std::atomic<bool> g_active{false};

enum class Verdict { Proceed, Fail, Short };

// Counts the call and says whether the armed fault hits it; the errno to fail
// with is left in `error`.
Verdict check(Op op, int& error)
{
    if (!g_active.load(std::memory_order_relaxed))
        return Verdict::Proceed;
    std::shared_ptr<std::function<void(Op)>> hook;
    Verdict verdict = Verdict::Proceed;
    {
        Injector& s = injector();
        std::lock_guard lock(s.mutex);
        const int n = ++s.counts[static_cast<std::size_t>(op)];
        ++s.total;
        hook = s.hook;
        if (s.armed && s.fault.op == op && (n == s.fault.nth || (s.fault.sticky && n > s.fault.nth))) {
            error = s.fault.error;
            verdict = error == 0 ? Verdict::Short : Verdict::Fail;
        }
    }
    if (hook)
        (*hook)(op);
    return verdict;
}

int fail(int error)
{
    errno = error;
    return -1;
}

} // namespace

const char* opName(Op op)
{
    switch (op) {
    case Op::Open:
        return "open";
    case Op::Read:
        return "read";
    case Op::Write:
        return "write";
    case Op::PWrite:
        return "pwrite";
    case Op::Fsync:
        return "fsync";
    case Op::Rename:
        return "rename";
    case Op::Chmod:
        return "fchmod";
    case Op::Chown:
        return "fchown";
    case Op::SetXattr:
        return "fsetxattr";
    case Op::Truncate:
        return "ftruncate";
    case Op::Count:
        break;
    }
    return "?";
}

int open(const char* path, int flags, mode_t mode) { return openat(AT_FDCWD, path, flags, mode); }

int openat(int dirfd, const char* path, int flags, mode_t mode)
{
    int error = 0;
    if (check(Op::Open, error) == Verdict::Fail)
        return fail(error);
    for (;;) {
        const int fd = ::openat(dirfd, path, flags | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

void close(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

namespace {

// Moves bytes with `step` (a read or write of at most `size` bytes at a
// position `done` bytes in) until all of them are moved: restarted on EINTR,
// and a transfer of nothing (the file ended) fails with EIO. A short fault
// moves half the bytes first, as the kernel may.
template <typename Step>
int transferAll(std::size_t size, Verdict verdict, Step step)
{
    std::size_t done = 0;
    if (verdict == Verdict::Short && size > 1) {
        const ssize_t n = step(done, size / 2);
        if (n < 0)
            return -1;
        done = static_cast<std::size_t>(n);
    }
    while (done < size) {
        const ssize_t n = step(done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return fail(EIO);
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

int writeAll(int fd, std::span<const char> bytes)
{
    int error = 0;
    const Verdict verdict = check(Op::Write, error);
    if (verdict == Verdict::Fail)
        return fail(error);
    return transferAll(bytes.size(), verdict,
                       [&](std::size_t at, std::size_t n) { return ::write(fd, bytes.data() + at, n); });
}

int pwriteAll(int fd, std::span<const char> bytes, off_t offset)
{
    int error = 0;
    const Verdict verdict = check(Op::PWrite, error);
    if (verdict == Verdict::Fail)
        return fail(error);
    return transferAll(bytes.size(), verdict, [&](std::size_t at, std::size_t n) {
        return ::pwrite(fd, bytes.data() + at, n, offset + static_cast<off_t>(at));
    });
}

int preadAll(int fd, std::span<char> bytes, off_t offset)
{
    int error = 0;
    if (check(Op::Read, error) == Verdict::Fail)
        return fail(error);
    return transferAll(bytes.size(), Verdict::Proceed, [&](std::size_t at, std::size_t n) {
        return ::pread(fd, bytes.data() + at, n, offset + static_cast<off_t>(at));
    });
}

int readToEnd(int fd, std::string& out)
{
    int error = 0;
    if (check(Op::Read, error) == Verdict::Fail)
        return fail(error);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        out.reserve(out.size() + static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return 0;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

int fsync(int fd)
{
    int error = 0;
    if (check(Op::Fsync, error) == Verdict::Fail)
        return fail(error);
    for (;;) {
        const int r = ::fsync(fd);
        if (r == 0 || errno != EINTR)
            return r;
    }
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath)
{
    int error = 0;
    if (check(Op::Rename, error) == Verdict::Fail)
        return fail(error);
    return ::renameat(olddirfd, oldpath, newdirfd, newpath);
}

int fchmod(int fd, mode_t mode)
{
    int error = 0;
    if (check(Op::Chmod, error) == Verdict::Fail)
        return fail(error);
    return ::fchmod(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group)
{
    int error = 0;
    if (check(Op::Chown, error) == Verdict::Fail)
        return fail(error);
    return ::fchown(fd, owner, group);
}

int fsetxattr(int fd, const char* name, const void* value, std::size_t size, int flags)
{
    int error = 0;
    if (check(Op::SetXattr, error) == Verdict::Fail)
        return fail(error);
    return ::fsetxattr(fd, name, value, size, flags);
}

int ftruncate(int fd, off_t length)
{
    int error = 0;
    if (check(Op::Truncate, error) == Verdict::Fail)
        return fail(error);
    for (;;) {
        const int r = ::ftruncate(fd, length);
        if (r == 0 || errno != EINTR)
            return r;
    }
}

void armFault(const Fault& fault)
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    s.armed = true;
    s.fault = fault;
    s.counts.fill(0);
    s.total = 0;
    g_active.store(true);
}

void disarmFault()
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    s.armed = false;
}

void resetCounts()
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    s.counts.fill(0);
    s.total = 0;
    // Counting is switched on by the first reset, so that tests can measure
    // how many calls a commit makes before they make one of them fail.
    g_active.store(true);
}

int callCount(Op op)
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    return s.counts[static_cast<std::size_t>(op)];
}

int totalCalls()
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    return s.total;
}

void setCallHook(std::function<void(Op)> hook)
{
    Injector& s = injector();
    std::lock_guard lock(s.mutex);
    s.hook = hook ? std::make_shared<std::function<void(Op)>>(std::move(hook)) : nullptr;
    g_active.store(true);
}

std::string errnoText(std::string_view what, int error) { return std::string(what) + ": " + std::strerror(error); }

void syncFolder(const std::filesystem::path& dir)
{
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

Status makeFolders(const std::filesystem::path& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return {};
        return Failure{errnoText(dir.string(), ENOTDIR)};
    }
    if (dir.has_parent_path() && dir.parent_path() != dir) {
        if (Status parent = makeFolders(dir.parent_path()); !parent)
            return parent;
    }
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return Failure{errnoText("create " + dir.string())};
    syncFolder(dir.parent_path());
    return {};
}

std::vector<int> fsyncAll(std::span<const int> fds)
{
    std::vector<int> errors(fds.size(), 0);
    const auto syncOne = [&](std::size_t i) { errors[i] = fsync(fds[i]) == 0 ? 0 : errno; };
    constexpr std::size_t kThreads = 8;
    if (fds.size() < 2) {
        for (std::size_t i = 0; i < fds.size(); ++i)
            syncOne(i);
        return errors;
    }
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < fds.size(); i = next++)
            syncOne(i);
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < std::min(kThreads, fds.size()); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return errors;
}

} // namespace yomi::fileio::io
