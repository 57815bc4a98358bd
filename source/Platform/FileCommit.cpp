#include "Platform/FileCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace yomi::fileio {
namespace {

std::string errnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::span<const char> bytes, std::string& error)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errnoText("write");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<FileIdentity> identify(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return std::nullopt;
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeSeconds = st.st_mtim.tv_sec;
    id.mtimeNanoseconds = st.st_mtim.tv_nsec;
    return id;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::string* error)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errnoText("open");
        return std::nullopt;
    }
    std::string data;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errnoText("read");
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

CommitResult commitFile(const std::filesystem::path& file, const FileIdentity& expected,
                        std::span<const char> original, std::span<const char> edited)
{
    CommitResult result;
    if (original.size() == edited.size() && std::memcmp(original.data(), edited.data(), edited.size()) == 0)
        return result;
    const auto now = identify(file);
    if (!now || !(*now == expected))
        return {false, false, "changed on disk"};

    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return {false, false, errnoText("stat")};
    const std::filesystem::path temp = file.parent_path() / (".yomi-" + file.filename().string() + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (fd < 0)
        return {false, false, errnoText("create temporary file")};
    std::string error;
    bool ok = writeAll(fd, edited, error);
    if (ok && ::fsync(fd) != 0) {
        error = errnoText("fsync");
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errnoText("close");
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
        error = errnoText("rename");
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return {false, false, error};
    }
    result.changed = true;
    return result;
}

void recoverAfterCrash(const std::filesystem::path&) {}

} // namespace yomi::fileio
