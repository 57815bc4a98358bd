#include "Storage/Journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>

#include "Platform/Log.h"
#include "Platform/Paths.h"
#include "Storage/FileIo.h"
#include "Storage/RecordFrame.h"

namespace yomi::fileio::journal {
namespace {

using storage::frame::put;
using storage::frame::Reader;

constexpr std::string_view kMagic = "YJR1";
constexpr std::uint8_t kBegin = 1;
constexpr std::uint8_t kDone = 2;
constexpr std::uint8_t kTemporary = 3;
constexpr std::string_view kSuffix = ".journal";

using io::errnoText;

bool decodeBegin(std::string_view payload, Record& r)
{
    Reader in(payload);
    std::uint64_t count = 0;
    if (!in.get(r.id, 8) || !in.getAs(r.identity.device, 8) || !in.getAs(r.identity.inode, 8) ||
        !in.getAs(r.identity.size, 8) || !in.getAs(r.identity.mtimeSeconds, 8) ||
        !in.getAs(r.identity.mtimeNanoseconds, 8))
        return false;
    std::uint64_t length = 0;
    if (!in.get(length, 4) || !in.take(r.path, length) || !in.get(count, 4))
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Patch p;
        std::uint64_t offset = 0;
        if (!in.get(offset, 8) || !in.get(length, 4) || !in.take(p.oldBytes, length) || !in.take(p.newBytes, length))
            return false;
        p.offset = static_cast<off_t>(offset);
        r.patches.push_back(std::move(p));
    }
    return in.atEnd();
}

bool decodeTemporary(std::string_view payload, Temporary& t)
{
    Reader in(payload);
    return in.get(t.id, 8) && in.bytes(t.folder) && in.bytes(t.prefix) && in.atEnd();
}

// --- This process's journal ---

class Writer {
public:
    ~Writer() { close(); }

    Status begin(std::span<Record* const> records, std::span<Temporary* const> temporaries)
    {
        std::lock_guard lock(mutex_);
        if (Status open = ensureOpen(); !open)
            return open;
        std::string bytes;
        for (Record* r : records) {
            r->id = nextId();
            bytes += encodeBegin(*r);
        }
        for (Temporary* t : temporaries) {
            t->id = nextId();
            bytes += encodeTemporary(*t);
        }
        if (io::writeAll(fd_, bytes) != 0) {
            Failure failure{errnoText("write the undo journal")};
            dropTornTail();
            return failure;
        }
        if (io::fsync(fd_) != 0) {
            Failure failure{errnoText("sync the undo journal")};
            // The caller will not touch the files, so the records are
            // finished as they stand. Should even the done marks fail,
            // recovery finds the files' bytes all old and rewrites them as
            // they are, and finds no temporary.
            std::string done;
            for (Record* r : records)
                done += encodeDone(r->id);
            for (Temporary* t : temporaries)
                done += encodeDone(t->id);
            if (io::writeAll(fd_, done) != 0)
                dropTornTail();
            return failure;
        }
        for (Record* r : records)
            outstandingIds_.insert(r->id);
        for (Temporary* t : temporaries)
            outstandingIds_.insert(t->id);
        return {};
    }

    Status finish(std::uint64_t id)
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0 || !outstandingIds_.count(id))
            return Failure{"no such journal record"};
        if (io::writeAll(fd_, encodeDone(id)) != 0) {
            Failure failure{errnoText("write the undo journal")};
            dropTornTail();
            return failure;
        }
        outstandingIds_.erase(id);
        // With nothing outstanding the whole journal is history; keep it
        // from growing over a long save.
        if (outstandingIds_.empty() && size() > (1 << 20) && io::ftruncate(fd_, 0) == 0)
            ::lseek(fd_, 0, SEEK_SET);
        return {};
    }

private:
    Status ensureOpen()
    {
        const std::filesystem::path dir = folder();
        if (dir.empty())
            return Failure{"no folder for the undo journal (neither XDG_STATE_HOME nor a home folder is set)"};
        if (fd_ >= 0 && owner_ != ::getpid()) {
            // A child after fork: the journal and its lock belong to the
            // parent. Records of this process go to a journal of its own, or
            // a kill of this process would leave them where recovery cannot
            // see them while the parent lives.
            ::close(fd_);
            fd_ = -1;
            dir_.clear();
            path_.clear();
        }
        if (fd_ >= 0 && dir == dir_)
            return {};
        if (fd_ >= 0 && !outstandingIds_.empty()) {
            // A record of the old journal is unfinished: keep that journal
            // for recovery and start another one.
            ::close(fd_);
            fd_ = -1;
        } else {
            close();
        }
        if (Status made = io::makeFolders(dir); !made)
            return made;
        std::random_device random;
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            const std::filesystem::path file =
                dir / (std::to_string(::getpid()) + "-" + std::to_string(random()) + std::string(kSuffix));
            const int fd = io::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND, 0600);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                return Failure{errnoText("create the undo journal " + file.string())};
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                Failure failure{errnoText("lock the undo journal")};
                io::close(fd);
                ::unlink(file.c_str());
                return failure;
            }
            fd_ = fd;
            path_ = file;
            owner_ = ::getpid();
        }
        if (fd_ < 0)
            return Failure{"create the undo journal: no free name"};
        dir_ = dir;
        outstandingIds_.clear();
        // Without the folder synced the journal might vanish in a power loss
        // together with its records.
        const int dirFd = io::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        const bool synced = dirFd >= 0 && io::fsync(dirFd) == 0;
        if (!synced) {
            Failure failure{errnoText("sync the journal folder")};
            io::close(dirFd);
            close();
            return failure;
        }
        io::close(dirFd);
        return {};
    }

    off_t size() const
    {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    }

    // A failed append may have left part of a record; cut it off so that the
    // next record is not read as part of garbage. Where that fails too, the
    // journal is abandoned (kept for recovery) and a new one is started.
    void dropTornTail()
    {
        const off_t good = validLength_();
        if (io::ftruncate(fd_, good) != 0) {
            ::close(fd_);
            fd_ = -1;
            dir_.clear();
        }
    }

    off_t validLength_() const
    {
        std::string bytes;
        if (::lseek(fd_, 0, SEEK_SET) != 0 || io::readToEnd(fd_, bytes) != 0)
            return 0;
        std::string_view rest = bytes;
        while (storage::frame::next(rest, kMagic)) {}
        return static_cast<off_t>(bytes.size() - rest.size());
    }

    std::uint64_t nextId() { return (static_cast<std::uint64_t>(::getpid()) << 32) | ++counter_; }

    void close()
    {
        if (fd_ >= 0) {
            if (outstandingIds_.empty() && owner_ == ::getpid())
                ::unlink(path_.c_str());
            ::close(fd_);
        }
        fd_ = -1;
        dir_.clear();
        path_.clear();
    }

    std::mutex mutex_;
    int fd_ = -1;
    pid_t owner_ = 0;
    std::filesystem::path dir_;
    std::filesystem::path path_;
    std::uint32_t counter_ = 0;
    std::set<std::uint64_t> outstandingIds_;
};

Writer& writer()
{
    static Writer w;
    return w;
}

} // namespace

std::uint32_t crc32(std::string_view bytes) { return storage::frame::crc32(bytes); }

std::filesystem::path folder()
{
    const std::filesystem::path state = paths::ownFolder(paths::stateHome());
    return state.empty() ? state : state / "journal";
}

std::string encodeBegin(const Record& r)
{
    std::string p;
    put(p, r.id, 8);
    put(p, static_cast<std::uint64_t>(r.identity.device), 8);
    put(p, static_cast<std::uint64_t>(r.identity.inode), 8);
    put(p, static_cast<std::uint64_t>(r.identity.size), 8);
    put(p, static_cast<std::uint64_t>(r.identity.mtimeSeconds), 8);
    put(p, static_cast<std::uint64_t>(r.identity.mtimeNanoseconds), 8);
    put(p, r.path.size(), 4);
    p += r.path;
    put(p, r.patches.size(), 4);
    for (const Patch& patch : r.patches) {
        put(p, static_cast<std::uint64_t>(patch.offset), 8);
        put(p, patch.oldBytes.size(), 4);
        p += patch.oldBytes;
        p += patch.newBytes;
    }
    return storage::frame::encode(kMagic, kBegin, p);
}

std::string encodeDone(std::uint64_t id)
{
    std::string p;
    put(p, id, 8);
    return storage::frame::encode(kMagic, kDone, p);
}

std::string encodeTemporary(const Temporary& t)
{
    std::string p;
    put(p, t.id, 8);
    put(p, t.folder.size(), 4);
    p += t.folder;
    put(p, t.prefix.size(), 4);
    p += t.prefix;
    return storage::frame::encode(kMagic, kTemporary, p);
}

Parsed parse(std::string_view bytes)
{
    Parsed out;
    std::vector<Record> begun;
    std::vector<Temporary> temporaries;
    std::set<std::uint64_t> done;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const auto f = storage::frame::next(rest, kMagic);
        if (!f) {
            out.tornTail = true;
            break;
        }
        if (f->type == kBegin) {
            Record r;
            if (decodeBegin(f->payload, r))
                begun.push_back(std::move(r));
        } else if (f->type == kTemporary) {
            Temporary t;
            if (decodeTemporary(f->payload, t))
                temporaries.push_back(std::move(t));
        } else if (f->type == kDone) {
            std::uint64_t id = 0;
            if (Reader(f->payload).get(id, 8))
                done.insert(id);
        }
        ++out.records;
    }
    for (Record& r : begun)
        if (!done.count(r.id))
            out.unfinished.push_back(std::move(r));
    for (Temporary& t : temporaries)
        if (!done.count(t.id))
            out.temporaries.push_back(std::move(t));
    return out;
}

Status begin(std::span<Record* const> records, std::span<Temporary* const> temporaries)
{
    return writer().begin(records, temporaries);
}

Status begin(Record& record)
{
    Record* one[] = {&record};
    return writer().begin(one, {});
}

Status finish(std::uint64_t id) { return writer().finish(id); }

Outcome rollBack(const Record& record, std::string& detail)
{
    const int fd = io::open(record.path.c_str(), O_RDWR | O_NOFOLLOW);
    if (fd < 0) {
        detail = std::strerror(errno);
        return errno == ENOENT ? Outcome::Gone : errno == EIO ? Outcome::Failed : Outcome::Changed;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { io::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        detail = std::strerror(errno);
        return Outcome::Failed;
    }
    if (st.st_dev != record.identity.device || st.st_ino != record.identity.inode ||
        st.st_size != record.identity.size) {
        detail = "the file was replaced or its size changed";
        return Outcome::Changed;
    }
    bool allNew = true;
    for (const Patch& p : record.patches) {
        std::string now(p.oldBytes.size(), '\0');
        if (io::preadAll(fd, now, p.offset) != 0) {
            detail = errnoText("read");
            return Outcome::Failed;
        }
        if (now != p.newBytes)
            allNew = false;
        // An interrupted patch leaves every byte either old or new; anything
        // else was written by someone else since, and undoing would damage it.
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i] != p.oldBytes[i] && now[i] != p.newBytes[i]) {
                detail = "the patched bytes were changed since";
                return Outcome::Changed;
            }
        }
    }
    if (allNew)
        return Outcome::Completed;
    for (const Patch& p : record.patches) {
        if (io::pwriteAll(fd, p.oldBytes, p.offset) != 0) {
            detail = errnoText("write");
            return Outcome::Failed;
        }
    }
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(record.identity.mtimeSeconds), static_cast<long>(record.identity.mtimeNanoseconds)}};
    ::futimens(fd, times);
    if (io::fsync(fd) != 0) {
        detail = errnoText("fsync");
        return Outcome::Failed;
    }
    return Outcome::RolledBack;
}

namespace {

// The journals in the folder.
std::vector<std::string> journalNames(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
            names.emplace_back(name);
    }
    ::closedir(d);
    return names;
}

// Rolls one unfinished record back and logs what it did; false when the
// record must be kept to try again.
bool recoverRecord(const Record& r, RecoveryReport& report)
{
    std::string detail;
    const std::string path = log::escapeControls(r.path);
    switch (rollBack(r, detail)) {
    case Outcome::RolledBack:
        ++report.rolledBack;
        log::write("Rolled back an interrupted change of " + path);
        break;
    case Outcome::Completed:
        ++report.completed;
        break;
    case Outcome::Changed:
    case Outcome::Gone:
        ++report.leftAlone;
        log::write("Left " + path + " alone after an interrupted change: " + detail);
        break;
    case Outcome::Failed:
        ++report.failed;
        log::write("Could not roll back an interrupted change of " + path + ": " + detail);
        return false;
    }
    return true;
}

// Removes the temporary files of an unfinished commit by rename. One that a
// running commit holds (locked) is not a leftover.
void removeTemporaries(const Temporary& t, RecoveryReport& report)
{
    DIR* d = ::opendir(t.folder.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (!name.starts_with(t.prefix) || !isTemporaryName(name))
            continue;
        const std::string path = t.folder + "/" + std::string(name);
        const int fd = io::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::unlink(path.c_str()) == 0) {
            ++report.temporariesRemoved;
            log::write("Removed the leftover temporary file " + log::escapeControls(path));
        }
        io::close(fd);
    }
    ::closedir(d);
}

// Recovers what one journal of a process that is gone left unfinished;
// false when the journal must be kept.
bool recoverJournal(const std::filesystem::path& file, int fd, RecoveryReport& report)
{
    std::string bytes;
    if (io::readToEnd(fd, bytes) != 0) {
        log::write("Undo journal " + log::escapeControls(file.string()) + " unreadable: " + std::strerror(errno));
        return true;
    }
    const Parsed parsed = parse(bytes);
    bool keep = false;
    // Newest first, so that two unfinished patches of one file unwind in the
    // reverse order of their writing.
    for (auto it = parsed.unfinished.rbegin(); it != parsed.unfinished.rend(); ++it)
        keep = !recoverRecord(*it, report) || keep;
    for (const Temporary& t : parsed.temporaries)
        removeTemporaries(t, report);
    return keep;
}

} // namespace

RecoveryReport recover()
{
    RecoveryReport report;
    const std::filesystem::path dir = folder();
    if (dir.empty())
        return report;
    bool removedAny = false;
    for (const std::string& name : journalNames(dir)) {
        const std::filesystem::path file = dir / name;
        const int fd = io::open(file.c_str(), O_RDWR | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // Held by a live process (this one included): not ours to touch.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            io::close(fd);
            continue;
        }
        ++report.journalsRead;
        if (!recoverJournal(file, fd, report)) {
            ::unlink(file.c_str());
            removedAny = true;
        }
        io::close(fd);
    }
    if (removedAny)
        io::syncFolder(dir);
    return report;
}

} // namespace yomi::fileio::journal
