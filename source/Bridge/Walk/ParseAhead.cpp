#include "Bridge/Walk/ParseAhead.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace yomi::bridge::folder {

unsigned parseThreadCount()
{
    if (const char* env = std::getenv("YOMI_PARSE_THREADS")) {
        const long n = std::strtol(env, nullptr, 10);
        if (n >= 1 && n <= 64)
            return static_cast<unsigned>(n);
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u, 64u);
}

std::int64_t nowNanoseconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

ParseAhead::ParseAhead(const std::string& root, const FileList& files, LibraryIndex* index, unsigned workers,
                       std::size_t ahead, const std::atomic<std::uint64_t>* stamp)
    : root_(root),
      files_(files),
      index_(index),
      stamp_(stamp),
      ring_(std::max<std::size_t>(ahead, 1)),
      ready_(ring_.size(), 0),
      tracing_(std::getenv("YOMI_WALK_TRACE") != nullptr)
{
    const std::size_t count = std::min<std::size_t>(std::max(workers, 1u), std::max<std::size_t>(files.size(), 1));
    threads_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        threads_.emplace_back(kParseStackBytes, [this] { work(); });
}

ParseAhead::~ParseAhead() { stop(); }

void ParseAhead::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workersWait_.notify_all();
    for (SizedThread& t : threads_)
        t.join();
    if (tracing_ && !threads_.empty())
        writeTrace();
    threads_.clear();
}

namespace {

std::int64_t since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

void ParseAhead::writeTrace()
{
    const auto ms = [](const std::atomic<std::int64_t>& ns) { return static_cast<double>(ns.load()) / 1e6; };
    std::fprintf(stderr,
                 "read-ahead: %zu files, %zu workers; the walk waited %.1f ms in %lld waits; the workers waited "
                 "%.1f ms for room, read %.1f ms of index rows (under the lock), parsed %lld files in %.1f ms and "
                 "wrote the index for %.1f ms\n",
                 files_.size(), threads_.size(), ms(trace_.walkWaitNs), static_cast<long long>(trace_.walkWaits.load()),
                 ms(trace_.workerIdleNs), ms(trace_.rowsNs), static_cast<long long>(trace_.parsed.load()), ms(trace_.parseNs),
                 ms(trace_.indexNs));
}

void ParseAhead::work()
{
    // A few files per claim: one lock for the index rows of all of them.
    constexpr std::size_t kClaim = 8;
    std::vector<std::string> relatives;
    std::vector<std::optional<IndexedFile>> rows;
    std::vector<Read> reads;
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto idleFrom = std::chrono::steady_clock::now();
        workersWait_.wait(lock,
                          [&] { return stopping_ || (claimed_ < files_.size() && claimed_ < taken_ + ring_.size()); });
        if (tracing_)
            trace_.workerIdleNs += since(idleFrom);
        if (stopping_)
            return;
        const std::size_t first = claimed_;
        const std::size_t count = std::min({kClaim, files_.size() - first, taken_ + ring_.size() - first});
        claimed_ += count;
        relatives.clear();
        rows.clear();
        // Claims are made in walk order under the lock, as the index wants.
        const auto rowsFrom = std::chrono::steady_clock::now();
        for (std::size_t i = first; i < first + count; ++i) {
            relatives.push_back(files_.path(i));
            rows.push_back(index_ ? index_->rowFor(relatives.back()) : std::nullopt);
        }
        if (tracing_)
            trace_.rowsNs += since(rowsFrom);
        const std::uint64_t stamp = stamp_->load();
        lock.unlock();

        reads.assign(count, Read{});
        for (std::size_t k = 0; k < count; ++k) {
            const std::string& relative = relatives[k];
            std::optional<IndexedFile>& row = rows[k];
            const std::string path = root_ + relative;
            Read& read = reads[k];
            read.stamp = stamp;
            const std::int64_t readAt = nowNanoseconds();
            const std::optional<fileio::FileIdentity> now = row ? statFile(path) : std::nullopt;
            if (row && now && row->answersFor(*now)) {
                read.values = std::move(row->values);
                continue;
            }
            const auto parseFrom = std::chrono::steady_clock::now();
            read.values = readTrack(path, formatForName(relative).value_or(Format::Mpeg));
            const auto indexFrom = std::chrono::steady_clock::now();
            if (index_) {
                if (read.values.identity)
                    index_->store(relative, read.values, readAt);
                else if (row)
                    index_->drop(relative);
            }
            if (tracing_) {
                trace_.parseNs += std::chrono::duration_cast<std::chrono::nanoseconds>(indexFrom - parseFrom).count();
                trace_.indexNs += since(indexFrom);
                ++trace_.parsed;
            }
        }

        lock.lock();
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t slot = (first + k) % ring_.size();
            ring_[slot] = std::move(reads[k]);
            ready_[slot] = 1;
        }
        if (waitEnd_ > waitFirst_ && batchReady())
            walkWaits_.notify_one();
    }
}

bool ParseAhead::batchReady() const
{
    for (std::size_t i = waitFirst_; i < waitEnd_; ++i) {
        if (!ready_[i % ring_.size()])
            return false;
    }
    return true;
}

void ParseAhead::take(std::size_t first, std::span<Read> out)
{
    std::unique_lock lock(mutex_);
    waitFirst_ = first;
    waitEnd_ = first + out.size();
    if (tracing_ && !batchReady()) {
        const auto waitFrom = std::chrono::steady_clock::now();
        walkWaits_.wait(lock, [&] { return batchReady(); });
        trace_.walkWaitNs += since(waitFrom);
        ++trace_.walkWaits;
    }
    walkWaits_.wait(lock, [&] { return batchReady(); });
    for (std::size_t k = 0; k < out.size(); ++k) {
        const std::size_t slot = (first + k) % ring_.size();
        out[k] = std::move(ring_[slot]);
        ready_[slot] = 0;
    }
    taken_ = waitEnd_;
    waitFirst_ = waitEnd_ = 0;
    lock.unlock();
    workersWait_.notify_all();
}

} // namespace yomi::bridge::folder
