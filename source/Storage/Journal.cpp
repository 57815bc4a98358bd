#include "Storage/Journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>

#include "Storage/FileIo.h"
#include "Platform/Log.h"

namespace yomi::fileio::journal {
namespace {

constexpr char kMagic[4] = {'Y', 'J', 'R', '1'};
constexpr std::uint8_t kBegin = 1;
constexpr std::uint8_t kDone = 2;
constexpr std::size_t kHeaderSize = 4 + 1 + 4; // magic, type, payload length
// Larger payloads are taken for damage rather than allocated.
constexpr std::uint32_t kMaxPayload = 1u << 30;
constexpr std::string_view kSuffix = ".journal";

std::string errnoText(std::string_view what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// --- Little-endian encoding ---

void put(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool get(std::uint64_t& v, int n)
    {
        if (bytes_.size() - pos_ < static_cast<std::size_t>(n))
            return false;
        v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    bool take(std::string& out, std::size_t n)
    {
        if (bytes_.size() - pos_ < n)
            return false;
        out.assign(bytes_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::string frame(std::uint8_t type, const std::string& payload)
{
    std::string out(kMagic, sizeof kMagic);
    out.push_back(static_cast<char>(type));
    put(out, payload.size(), 4);
    out += payload;
    put(out, crc32(std::string_view(out).substr(sizeof kMagic)), 4);
    return out;
}

bool decodeBegin(std::string_view payload, Record& r)
{
    Reader in(payload);
    std::uint64_t v = 0, count = 0;
    if (!in.get(r.id, 8))
        return false;
    if (!in.get(v, 8)) return false;
    r.identity.device = static_cast<dev_t>(v);
    if (!in.get(v, 8)) return false;
    r.identity.inode = static_cast<ino_t>(v);
    if (!in.get(v, 8)) return false;
    r.identity.size = static_cast<off_t>(v);
    if (!in.get(v, 8)) return false;
    r.identity.mtimeSeconds = static_cast<std::int64_t>(v);
    if (!in.get(v, 8)) return false;
    r.identity.mtimeNanoseconds = static_cast<std::int64_t>(v);
    if (!in.get(v, 4) || !in.take(r.path, v))
        return false;
    if (!in.get(count, 4))
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Patch p;
        std::uint64_t offset = 0, length = 0;
        if (!in.get(offset, 8) || !in.get(length, 4) || !in.take(p.oldBytes, length) ||
            !in.take(p.newBytes, length))
            return false;
        p.offset = static_cast<off_t>(offset);
        r.patches.push_back(std::move(p));
    }
    return in.atEnd();
}

// --- Location ---

// mkdir -p, syncing the parent of every folder it makes.
bool makeFolders(const std::filesystem::path& dir, std::string& error)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        error = errnoText(dir.string());
        return false;
    }
    if (dir.has_parent_path() && dir.parent_path() != dir && !makeFolders(dir.parent_path(), error))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = errnoText("create " + dir.string());
        return false;
    }
    fileio::io::syncFolder(dir.parent_path());
    return true;
}

// --- This process's journal ---

class Writer {
public:
    ~Writer() { close(); }

    bool begin(Record& record, std::string& error)
    {
        std::lock_guard lock(mutex_);
        if (!ensureOpen(error))
            return false;
        record.id = nextId();
        if (io::writeAll(fd_, encodeBegin(record)) != 0) {
            error = errnoText("write the undo journal");
            dropTornTail();
            return false;
        }
        if (io::fsync(fd_) != 0) {
            error = errnoText("sync the undo journal");
            // The caller will not touch the file, so the record is finished
            // as it stands. Should even the done mark fail, recovery finds the
            // file's bytes all old and rewrites them as they are.
            if (io::writeAll(fd_, encodeDone(record.id)) != 0)
                dropTornTail();
            return false;
        }
        ++outstanding_;
        outstandingIds_.insert(record.id);
        return true;
    }

    bool finish(std::uint64_t id, std::string& error)
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0 || !outstandingIds_.count(id)) {
            error = "no such journal record";
            return false;
        }
        if (io::writeAll(fd_, encodeDone(id)) != 0) {
            error = errnoText("write the undo journal");
            dropTornTail();
            return false;
        }
        outstandingIds_.erase(id);
        --outstanding_;
        // With nothing outstanding the whole journal is history; keep it
        // from growing over a long save.
        if (outstanding_ == 0 && size() > (1 << 20) && io::ftruncate(fd_, 0) == 0)
            ::lseek(fd_, 0, SEEK_SET);
        return true;
    }

private:
    bool ensureOpen(std::string& error)
    {
        const std::filesystem::path dir = folder();
        if (dir.empty()) {
            error = "no folder for the undo journal (neither XDG_STATE_HOME nor a home folder is set)";
            return false;
        }
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
            return true;
        if (fd_ >= 0 && outstanding_ > 0) {
            // A record of the old journal is unfinished: keep that journal
            // for recovery and start another one.
            ::close(fd_);
            fd_ = -1;
        } else {
            close();
        }
        if (!makeFolders(dir, error))
            return false;
        std::random_device random;
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            const std::filesystem::path file =
                dir / (std::to_string(::getpid()) + "-" + std::to_string(random()) + std::string(kSuffix));
            const int fd = io::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND, 0600);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                error = errnoText("create the undo journal " + file.string());
                return false;
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                error = errnoText("lock the undo journal");
                io::close(fd);
                ::unlink(file.c_str());
                return false;
            }
            fd_ = fd;
            path_ = file;
            owner_ = ::getpid();
        }
        if (fd_ < 0) {
            error = "create the undo journal: no free name";
            return false;
        }
        dir_ = dir;
        outstanding_ = 0;
        outstandingIds_.clear();
        // Without the folder synced the journal might vanish in a power loss
        // together with its records.
        const int dirFd = io::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        const bool synced = dirFd >= 0 && io::fsync(dirFd) == 0;
        if (!synced) {
            error = errnoText("sync the journal folder");
            io::close(dirFd);
            close();
            return false;
        }
        io::close(dirFd);
        return true;
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
        // Walk the records that check out.
        std::size_t pos = 0;
        while (bytes.size() - pos >= kHeaderSize + 4 && std::memcmp(bytes.data() + pos, kMagic, 4) == 0) {
            std::uint64_t length = 0;
            Reader(std::string_view(bytes).substr(pos + 5, 4)).get(length, 4);
            const std::size_t total = kHeaderSize + length + 4;
            if (length > kMaxPayload || bytes.size() - pos < total)
                break;
            std::uint64_t stored = 0;
            Reader(std::string_view(bytes).substr(pos + kHeaderSize + length, 4)).get(stored, 4);
            if (crc32(std::string_view(bytes).substr(pos + 4, 5 + length)) != stored)
                break;
            pos += total;
        }
        return static_cast<off_t>(pos);
    }

    std::uint64_t nextId()
    {
        return (static_cast<std::uint64_t>(::getpid()) << 32) | ++counter_;
    }

    void close()
    {
        if (fd_ >= 0) {
            if (outstanding_ == 0 && owner_ == ::getpid())
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
    int outstanding_ = 0;
    std::set<std::uint64_t> outstandingIds_;
};

Writer& writer()
{
    static Writer w;
    return w;
}

} // namespace

std::uint32_t crc32(std::string_view bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = table[(c ^ static_cast<unsigned char>(ch)) & 0xff] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::filesystem::path folder()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state && state[0] == '/')
        return std::filesystem::path(state) / "yomi" / "journal";
    const std::filesystem::path home = fileio::io::homeFolder();
    if (home.empty())
        return {};
    return home / ".local" / "state" / "yomi" / "journal";
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
    return frame(kBegin, p);
}

std::string encodeDone(std::uint64_t id)
{
    std::string p;
    put(p, id, 8);
    return frame(kDone, p);
}

Parsed parse(std::string_view bytes)
{
    Parsed out;
    std::vector<Record> begun;
    std::set<std::uint64_t> done;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::string_view rest = bytes.substr(pos);
        std::uint64_t length = 0, stored = 0;
        if (rest.size() < kHeaderSize + 4 || std::memcmp(rest.data(), kMagic, 4) != 0 ||
            !Reader(rest.substr(5, 4)).get(length, 4) || length > kMaxPayload ||
            rest.size() < kHeaderSize + length + 4 ||
            !Reader(rest.substr(kHeaderSize + length, 4)).get(stored, 4) ||
            crc32(rest.substr(4, 5 + length)) != stored) {
            out.tornTail = true;
            break;
        }
        const auto type = static_cast<std::uint8_t>(rest[4]);
        const std::string_view payload = rest.substr(kHeaderSize, length);
        if (type == kBegin) {
            Record r;
            if (decodeBegin(payload, r))
                begun.push_back(std::move(r));
        } else if (type == kDone) {
            std::uint64_t id = 0;
            if (Reader(payload).get(id, 8))
                done.insert(id);
        }
        ++out.records;
        pos += kHeaderSize + length + 4;
    }
    for (Record& r : begun)
        if (!done.count(r.id))
            out.unfinished.push_back(std::move(r));
    return out;
}

bool begin(Record& record, std::string& error)
{
    return writer().begin(record, error);
}

bool finish(std::uint64_t id, std::string& error)
{
    return writer().finish(id, error);
}

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

RecoveryReport recover()
{
    RecoveryReport report;
    const std::filesystem::path dir = folder();
    if (dir.empty())
        return report;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return report;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
            names.emplace_back(name);
    }
    ::closedir(d);

    bool removedAny = false;
    for (const std::string& name : names) {
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
        std::string bytes;
        if (io::readToEnd(fd, bytes) != 0) {
            log::write("Undo journal " + log::escapeControls(file.string()) + " unreadable: " +
                       std::strerror(errno));
            io::close(fd);
            continue;
        }
        const Parsed parsed = parse(bytes);
        bool keep = false;
        // Newest first, so that two unfinished patches of one file unwind in
        // the reverse order of their writing.
        for (auto it = parsed.unfinished.rbegin(); it != parsed.unfinished.rend(); ++it) {
            const Record& r = *it;
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
                keep = true;
                log::write("Could not roll back an interrupted change of " + path + ": " + detail);
                break;
            }
        }
        if (!keep) {
            ::unlink(file.c_str());
            removedAny = true;
        }
        io::close(fd);
    }
    if (removedAny)
        fileio::io::syncFolder(dir);
    return report;
}

} // namespace yomi::fileio::journal
