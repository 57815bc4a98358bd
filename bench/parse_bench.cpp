// yomi-parse-bench: the parse of a Load alone, for instruction counts.
//
//   valgrind --tool=callgrind yomi-parse-bench LIBRARY [.EXT]
//
// Lists the audio files under LIBRARY (only those ending in .EXT when
// given), in path order, then reads each once with readTrack on one thread,
// as a read-ahead worker does, and prints how many were readable. Compare
// its count with `read_taglib --quiet [--only .EXT] LIBRARY` of the shared
// anchors in the same run.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Bridge/Bytes/Formats.h"
#include "Bridge/Tags/TrackValues.h"

using namespace yomi::bridge::folder;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: yomi-parse-bench LIBRARY [.EXT]\n");
        return 2;
    }
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(argv[1], ec), end; it != end; it.increment(ec)) {
        if (ec)
            break;
        const std::filesystem::path& p = it->path();
        if (it->is_regular_file(ec) && formatForName(p.filename().string()) && (argc < 3 || p.extension() == argv[2]))
            paths.push_back(p);
    }
    std::sort(paths.begin(), paths.end());
    std::size_t readable = 0;
    for (const std::filesystem::path& p : paths)
        readable += readTrack(p.string(), *formatForName(p.filename().string())).readable ? 1 : 0;
    std::printf("%zu of %zu files readable\n", readable, paths.size());
    return 0;
}
