// Reads the files of a walk ahead of the walk, on a small pool of threads.
//
// Workers take the files in walk order, a few at a time, at most `ahead`
// files beyond the one the walk takes next, so memory stays bounded whatever the library's size.
// Each file is stat'ed; a row of the library index that answers for it gives
// its values, otherwise the file is parsed and its row stored. What a worker
// hands over is plain values (TrackValues), never a live parse.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "Bridge/Tags/TrackValues.h"
#include "Bridge/Walk/FileList.h"
#include "Bridge/Walk/LibraryIndex.h"
#include "Platform/Thread.h"

namespace yomi::bridge::folder {

// The number of workers a walk uses: YOMI_PARSE_THREADS when set to 1..64,
// else one per core.
unsigned parseThreadCount();

// The stack of each worker, whatever `ulimit -s` says: the deepest parse the
// pre-check lets through (Precheck.h, kMaxNesting) was measured to need far
// less (a test parses every hostile shape at its limit within a quarter of it).
inline constexpr std::size_t kParseStackBytes = 4 << 20;

// The time on the clock that file time stamps come from, in nanoseconds.
std::int64_t nowNanoseconds();

class ParseAhead {
public:
    struct Read {
        TrackValues values;
        // The caller's stamp (see take) when the worker began this file.
        std::uint64_t stamp = 0;
    };

    // `root` ends in '/'. `index` may be null. `stamp` is read once per file,
    // before it is stat'ed.
    ParseAhead(const std::string& root, const FileList& files, LibraryIndex* index, unsigned workers, std::size_t ahead,
               const std::atomic<std::uint64_t>* stamp);
    // Stops the workers once their current file is done.
    ~ParseAhead();
    ParseAhead(const ParseAhead&) = delete;
    ParseAhead& operator=(const ParseAhead&) = delete;

    // The values of files first .. first + out.size() - 1, waiting for them;
    // batches follow each other from file 0 on. Called from the walk's
    // thread only.
    void take(std::size_t first, std::span<Read> out);

    // Stops and joins the workers (take may no longer be called).
    void stop();

    // With YOMI_WALK_TRACE set, stop() writes one line to standard error:
    // how long the walk's thread waited for batches, how long the workers
    // waited for room ahead, read index rows, parsed and wrote the index (a
    // trace of where a Load waits, for the benchmarks).
    struct Trace {
        std::atomic<std::int64_t> walkWaitNs{0}, walkWaits{0};
        std::atomic<std::int64_t> workerIdleNs{0}, rowsNs{0}, parseNs{0}, indexNs{0}, parsed{0};
    };

private:
    void work();
    bool batchReady() const;
    void writeTrace();

    const std::string& root_;
    const FileList& files_;
    LibraryIndex* index_;
    const std::atomic<std::uint64_t>* stamp_;
    std::vector<Read> ring_;
    std::vector<char> ready_;
    std::size_t claimed_ = 0;                 // next file to hand to a worker
    std::size_t taken_ = 0;                   // next file the walk takes
    std::size_t waitFirst_ = 0, waitEnd_ = 0; // the batch the walk waits for
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable workersWait_, walkWaits_;
    std::vector<SizedThread> threads_;
    const bool tracing_;
    Trace trace_;
};

} // namespace yomi::bridge::folder
