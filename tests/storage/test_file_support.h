// Helpers shared by the file commit and journal tests: a scratch folder with
// its own journal folder, file contents, and the flags that make a file or a
// folder unwritable even for root.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "support/AudioFixtures.h"
#include "support/FileFlags.h"
#include <sstream>
#include <string>
#include <vector>

#include "Storage/FileCommit.h"
#include "Storage/FileIo.h"
#include "Storage/Journal.h"

namespace yomi::test {

namespace fs = std::filesystem;
namespace io = fileio::io;

inline std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Pseudo-random bytes, the same for the same seed.
inline std::string makeBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(random() & 0xff);
    return s;
}

// A scratch folder holding a library folder and a journal folder
// (XDG_STATE_HOME points into it while the object lives).
class Scratch {
public:
    Scratch()
    {
        root_ = temp_.path();
        fs::create_directories(library());
        if (const char* old = std::getenv("XDG_STATE_HOME"))
            oldState_ = old;
        freshState();
    }
    ~Scratch()
    {
        io::disarmFault();
        io::setCallHook({});
        for (const fs::path& p : immutable_)
            setImmutable(p, false);
        if (oldState_)
            ::setenv("XDG_STATE_HOME", oldState_->c_str(), 1);
        else
            ::unsetenv("XDG_STATE_HOME");
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    fs::path root() const { return root_; }
    fs::path library() const { return root_ / "library"; }
    fs::path state() const { return root_ / ("state-" + std::to_string(stateCount_)); }
    fs::path journalFolder() const { return state() / "yomi" / "journal"; }

    // Points XDG_STATE_HOME at a new, not yet existing folder, so that the
    // next in-place commit creates its journal from scratch.
    void freshState()
    {
        ++stateCount_;
        ::setenv("XDG_STATE_HOME", state().c_str(), 1);
    }

    // Makes a path immutable for the rest of the test; false when not
    // possible here.
    bool makeImmutable(const fs::path& p)
    {
        if (!setImmutable(p, true))
            return false;
        immutable_.push_back(p);
        return true;
    }

    // Our temporary files anywhere under the library.
    std::vector<fs::path> temporaries() const
    {
        std::vector<fs::path> found;
        for (const auto& e : fs::recursive_directory_iterator(library()))
            if (fileio::isTemporaryName(e.path().filename().string()))
                found.push_back(e.path());
        return found;
    }

    // Unfinished records of every journal in the current journal folder.
    std::vector<fileio::journal::Record> unfinished() const
    {
        std::vector<fileio::journal::Record> out;
        std::error_code ec;
        if (!fs::exists(journalFolder(), ec))
            return out;
        for (const auto& e : fs::directory_iterator(journalFolder()))
            for (auto& r : fileio::journal::parse(readFile(e.path())).unfinished)
                out.push_back(std::move(r));
        return out;
    }
    std::size_t unfinishedRecords() const { return unfinished().size(); }

private:
    test::TempFolder temp_; // removed after the flags above are cleared
    fs::path root_;
    std::optional<std::string> oldState_;
    int stateCount_ = 0;
    std::vector<fs::path> immutable_;
};

// The version of the file's content that a commit checks (sameVersion):
// the identity without the change time, which a rollback, a chmod or a new
// link moves without touching the bytes.
inline fileio::FileIdentity identityOf(const fs::path& p)
{
    auto id = fileio::identify(p);
    if (!id)
        throw std::runtime_error("cannot identify " + p.string());
    id->ctimeSeconds = id->ctimeNanoseconds = 0;
    return *id;
}

inline std::span<const char> bytesOf(const std::string& s) { return {s.data(), s.size()}; }

} // namespace yomi::test
