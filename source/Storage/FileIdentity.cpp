#include "Storage/FileIdentity.h"

#include <sys/stat.h>

namespace yomi::fileio {

void FileIdentity::setCtime(std::int64_t nanoseconds)
{
    // Floored, so that a time before the epoch keeps its nanoseconds in
    // [0, 1e9) as stat gives them.
    constexpr std::int64_t kSecond = 1000000000;
    ctimeSeconds = nanoseconds / kSecond - (nanoseconds % kSecond < 0 ? 1 : 0);
    ctimeNanoseconds = nanoseconds - ctimeSeconds * kSecond;
}

FileIdentity identityOf(const struct stat& st)
{
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeSeconds = st.st_mtim.tv_sec;
    id.mtimeNanoseconds = st.st_mtim.tv_nsec;
    id.ctimeSeconds = st.st_ctim.tv_sec;
    id.ctimeNanoseconds = st.st_ctim.tv_nsec;
    return id;
}

std::optional<FileIdentity> identify(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return std::nullopt;
    return identityOf(st);
}

} // namespace yomi::fileio
