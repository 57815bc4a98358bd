#include "Platform/Launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace yomi {
namespace {

// The search path used when PATH is not set.
constexpr const char* kDefaultPath = "/usr/local/bin:/usr/bin:/bin";

// An executable regular file named `program` in an absolute directory of PATH.
// Empty and relative entries are skipped: they would name programs in
// whatever the working directory happens to be.
std::optional<std::string> findOnPath(std::string_view program)
{
    const char* env = std::getenv("PATH");
    const std::string_view path = env ? env : kDefaultPath;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view dir = path.substr(start, end - start);
        start = end + 1;
        if (dir.empty() || dir.front() != '/')
            continue;
        std::string candidate(dir);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += program;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

// Reads exactly `size` bytes from a pipe; false at its end or on an error.
bool readFully(int fd, void* into, std::size_t size)
{
    auto* p = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Starts `argv` (argv[0] is the program's path) in a new session with
// standard input and output on /dev/null, as a grandchild that init adopts,
// so that no zombie is left behind. Returns the program's pid when it was
// really executed, else nullopt: an exec failure in the grandchild comes back
// through a pipe that closes on a successful exec, and the intermediate child
// reports the grandchild's pid through another.
// In the grandchild, after fork (async-signal-safe calls only): standard
// input and output on /dev/null, every other descriptor but the status pipe
// closed, default signal handling, then the program; an exec that fails
// writes its errno to the status pipe.
[[noreturn]] void execInGrandchild(const char* program, char* const argv[], int statusFd)
{
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (null > 2)
            ::close(null);
    }
    // Descriptors the caller left inheritable stay with the caller; the
    // status pipe is close-on-exec already.
    const unsigned keep = static_cast<unsigned>(statusFd);
    if ((keep > 3 && ::close_range(3, keep - 1, 0) != 0) || ::close_range(keep + 1, ~0U, 0) != 0) {
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != statusFd)
                ::close(fd);
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &dfl, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    ::execve(program, argv, environ);
    const int error = errno;
    ssize_t ignored = ::write(statusFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

// In the intermediate child, after fork: a session of its own and the
// grandchild, whose pid goes to the pid pipe; it exits at once, so that init
// adopts the grandchild.
[[noreturn]] void runIntermediateChild(const char* program, char* const argv[], const int status[2],
                                       const int pidPipe[2])
{
    ::close(status[0]);
    ::close(pidPipe[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
        ::close(pidPipe[1]);
        execInGrandchild(program, argv, status[1]);
    }
    if (grandchild > 0) {
        ssize_t ignored = ::write(pidPipe[1], &grandchild, sizeof grandchild);
        (void)ignored;
    }
    ::_exit(grandchild < 0 ? 1 : 0);
}

// In the parent: the intermediate child reaped, the grandchild's pid read,
// and the status pipe read to its end (closed by a successful exec).
std::optional<pid_t> awaitGrandchild(pid_t child, int statusFd, int pidFd)
{
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {}
    pid_t grandchild = 0;
    const bool havePid = readFully(pidFd, &grandchild, sizeof grandchild);
    ::close(pidFd);
    int error = 0;
    ssize_t n;
    do {
        n = ::read(statusFd, &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(statusFd);
    const bool forked = WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0;
    if (!forked || n != 0 || !havePid)
        return std::nullopt;
    return grandchild;
}

std::optional<pid_t> spawnDetached(const std::vector<std::string>& args)
{
    // Everything the children need is made before fork: after it, only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* program = args.front().c_str();

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return std::nullopt;
    int pidPipe[2];
    if (::pipe2(pidPipe, O_CLOEXEC) != 0) {
        ::close(status[0]);
        ::close(status[1]);
        return std::nullopt;
    }

    const pid_t child = ::fork();
    if (child < 0) {
        for (int fd : {status[0], status[1], pidPipe[0], pidPipe[1]})
            ::close(fd);
        return std::nullopt;
    }
    if (child == 0)
        runIntermediateChild(program, argv.data(), status, pidPipe);
    ::close(status[1]);
    ::close(pidPipe[1]);
    return awaitGrandchild(child, status[0], pidPipe[0]);
}

// The log viewer this process started, followed through a pidfd so that a
// recycled pid is never taken for it.
class StartedViewer {
public:
    ~StartedViewer() { forget(); }

    void remember(pid_t pid)
    {
        forget();
        fd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    }

    // True while the remembered process has not exited. Without a pidfd
    // (kernel before 5.3, or the process was already gone) nothing counts as
    // running, so a viewer is started as before.
    bool running()
    {
        if (fd_ < 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, 0);
        } while (r < 0 && errno == EINTR);
        if (r == 0)
            return true;
        forget();
        return false;
    }

private:
    void forget()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
};

// One way to show the system log: a program, the arguments that follow its
// path, and the programs it needs beside itself on PATH.
struct Candidate {
    const char* program;
    std::vector<const char*> argsBeforeCommand; // empty and no command: run alone
    bool followsJournal;
};

// The log viewer for "Console": a terminal following the journal for our
// identifier (each terminal with its own convention for the command that
// follows), else the desktop's log applications.
const std::vector<Candidate>& consoleCandidates()
{
    static const std::vector<Candidate> candidates = {
        {"x-terminal-emulator", {"-e"}, true},
        {"gnome-terminal", {"--"}, true},
        {"konsole", {"-e"}, true},
        {"xfce4-terminal", {"-x"}, true},
        {"xterm", {"-e"}, true},
        {"gnome-logs", {}, false},
        {"ksystemlog", {}, false},
    };
    return candidates;
}

bool launchConsole(StartedViewer& viewer)
{
    if (viewer.running())
        return true;
    const std::optional<std::string> journalctl = findOnPath("journalctl");
    for (const Candidate& c : consoleCandidates()) {
        if (c.followsJournal && !journalctl)
            continue;
        const std::optional<std::string> program = findOnPath(c.program);
        if (!program)
            continue;
        std::vector<std::string> args{*program};
        for (const char* a : c.argsBeforeCommand)
            args.emplace_back(a);
        if (c.followsJournal) {
            args.push_back(*journalctl);
            args.emplace_back("--follow");
            args.emplace_back("--identifier=yomi");
        }
        if (const std::optional<pid_t> pid = spawnDetached(args)) {
            viewer.remember(*pid);
            return true;
        }
    }
    return false;
}

class DesktopLauncher final : public Launcher {
public:
    bool launch(std::string_view applicationName) override
    {
        std::lock_guard lock(mutex_);
        if (applicationName == "Console")
            return launchConsole(console_);
        return false;
    }

    bool consoleRunning()
    {
        std::lock_guard lock(mutex_);
        return console_.running();
    }

private:
    std::mutex mutex_;
    StartedViewer console_;
};

DesktopLauncher& desktopLauncher()
{
    static DesktopLauncher desktop;
    return desktop;
}

struct LauncherState {
    std::mutex mutex;
    std::shared_ptr<Launcher> replacement;
};

LauncherState& launcherState()
{
    static LauncherState s;
    return s;
}

} // namespace

Launcher& currentLauncher()
{
    std::lock_guard lock(launcherState().mutex);
    if (launcherState().replacement)
        return *launcherState().replacement;
    return desktopLauncher();
}

bool logViewerRunning() { return desktopLauncher().consoleRunning(); }

std::shared_ptr<Launcher> setLauncher(std::shared_ptr<Launcher> launcher)
{
    std::lock_guard lock(launcherState().mutex);
    std::swap(launcherState().replacement, launcher);
    return launcher;
}

} // namespace yomi
