// Reading the dictionaries' texts: a file mapped whole, and a text of
// EUC-JP lines (edict's form) read line by line with a converter to hand.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/ucnv.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace yomi::reading {

// A file's bytes mapped for reading, empty when it cannot be read; unmapped
// when it goes. A text of tens of megabytes read into the heap instead
// would, once freed, leave the allocator keeping later blocks of that size
// in the heap, where they stay resident.
class MappedText {
public:
    explicit MappedText(const std::filesystem::path& file, bool sequential = false)
    {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > 0) {
            void* m = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
            if (m != MAP_FAILED) {
                data_ = static_cast<const char*>(m);
                size_ = static_cast<std::size_t>(st.st_size);
                if (sequential)
                    ::madvise(m, size_, MADV_SEQUENTIAL);
            }
        }
        ::close(fd);
    }
    ~MappedText()
    {
        if (data_)
            ::munmap(const_cast<char*>(data_), size_);
    }
    MappedText(const MappedText&) = delete;
    MappedText& operator=(const MappedText&) = delete;
    std::string_view text() const { return data_ ? std::string_view(data_, size_) : std::string_view(); }
    // Lets the pages read so far go from the process's memory (a text read
    // through once to index it, then searched in few places); they come
    // back from the file when read again.
    void release() const
    {
        if (data_)
            ::madvise(const_cast<char*>(data_), size_, MADV_DONTNEED);
    }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

// Calls `each(line, converter)` for each line of the EUC-JP text `file`,
// with an EUC-JP converter; false (and no call) when the file cannot be
// read or ICU has no such converter.
template <typename Each>
bool forEachEucJpLine(const std::filesystem::path& file, Each&& each)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("EUC-JP", &status);
    if (U_FAILURE(status))
        return false;
    std::string line;
    while (std::getline(in, line))
        each(std::string_view(line), converter);
    ucnv_close(converter);
    return true;
}

} // namespace yomi::reading
