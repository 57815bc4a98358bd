// The cost of fileio::commitFile over many files against a plain write of
// the same bytes, in one run: each measurement gets its own fresh files.
//
//   direct            open(O_TRUNC) + write of the new bytes (how a tag
//                     library writes straight into the file)
//   direct+fsync      the same, synced
//   commit in place   same-length edits: journal record, pwrite, fsync
//   commit rename     other-length edits: temporary file, fsync, rename,
//                     folder fsync
//
// Usage: yomi-commit-cost [--files N] [--size BYTES] [--dir DIR]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "Storage/FileCommit.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Set {
    std::vector<fs::path> paths;
    std::vector<std::string> before, after;
};

// `files` files of `size` bytes, with their edits: a tag-sized region near
// the start rewritten, and `grow` bytes inserted there.
Set makeSet(const fs::path& dir, int files, std::size_t size, std::size_t grow, std::mt19937& random)
{
    fs::create_directories(dir);
    Set s;
    std::string base(size, '\0');
    for (char& c : base)
        c = static_cast<char>(random() & 0xff);
    for (int i = 0; i < files; ++i) {
        std::string b = base;
        b[size / 2] = static_cast<char>(i);
        std::string a = b;
        for (std::size_t k = 100; k < 160; ++k)
            a[k] = static_cast<char>(random() & 0xff);
        if (grow)
            a.insert(200, std::string(grow, 'p'));
        const fs::path p = dir / ("f" + std::to_string(i) + ".mp3");
        writeFile(p, b);
        s.paths.push_back(p);
        s.before.push_back(std::move(b));
        s.after.push_back(std::move(a));
    }
    ::sync();
    return s;
}

template <typename F>
double timeIt(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void directWrite(const Set& s, bool sync)
{
    for (std::size_t i = 0; i < s.paths.size(); ++i) {
        const int fd = ::open(s.paths[i].c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0 || ::write(fd, s.after[i].data(), s.after[i].size()) != static_cast<ssize_t>(s.after[i].size()) ||
            (sync && ::fsync(fd) != 0)) {
            std::perror("direct write");
            std::exit(1);
        }
        ::close(fd);
    }
}

void commitAll(const Set& s)
{
    for (std::size_t i = 0; i < s.paths.size(); ++i) {
        const auto id = yomi::fileio::identify(s.paths[i]);
        const auto r = yomi::fileio::commitFile(s.paths[i], *id, s.before[i], s.after[i]);
        if (!r) {
            std::cerr << "commit failed: " << r.reason() << "\n";
            std::exit(1);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    int files = 1000;
    std::size_t size = 256 * 1024;
    fs::path dir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--files")
            files = std::atoi(argv[i + 1]);
        else if (a == "--size")
            size = static_cast<std::size_t>(std::atoll(argv[i + 1]));
        else if (a == "--dir")
            dir = argv[i + 1];
    }
    if (files <= 0 || size < 4096) {
        std::cerr << "usage: yomi-commit-cost [--files N] [--size BYTES>=4096] [--dir DIR]\n";
        return 2;
    }
    if (dir.empty()) {
        std::string pattern = (fs::temp_directory_path() / "yomi-cost-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return 2;
        dir = pattern;
    }
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);

    std::mt19937 random(1);
    const Set direct = makeSet(dir / "direct", files, size, 0, random);
    const Set directSync = makeSet(dir / "direct-sync", files, size, 0, random);
    const Set inPlace = makeSet(dir / "in-place", files, size, 0, random);
    const Set renamed = makeSet(dir / "rename", files, size, 2048, random);

    struct Row {
        const char* name;
        double seconds;
    };
    const Row rows[] = {
        {"direct write", timeIt([&] { directWrite(direct, false); })},
        {"direct write+fsync", timeIt([&] { directWrite(directSync, true); })},
        {"commit in place", timeIt([&] { commitAll(inPlace); })},
        {"commit rename", timeIt([&] { commitAll(renamed); })},
    };
    std::printf("%d files of %zu bytes\n", files, size);
    for (const Row& r : rows)
        std::printf("%-20s %9.1f ms total %8.3f ms/file  %6.1fx direct\n", r.name, r.seconds * 1000,
                    r.seconds * 1000 / files, r.seconds / rows[0].seconds);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
