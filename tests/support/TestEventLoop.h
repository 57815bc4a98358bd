// An event loop for walks run on a thread of their own (WalkFeed), without a
// window: serve() runs the events posted to it on the calling thread and,
// told to wait, waits for a wake() or a posted event. A wait that nothing
// ends within ten seconds (a wake the feed forgot) gives up and is counted,
// so that such a fault fails a test instead of hanging it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "Controller/WalkFeed.h"

namespace yomi::test {

class TestEventLoop final : public EventLoop {
public:
    void serve(bool wait) override
    {
        std::unique_lock lock(mutex_);
        ++serves;
        servedOn = std::this_thread::get_id();
        if (wait && !woken_ && events_.empty()) {
            ++waits;
            if (!ready_.wait_for(lock, std::chrono::seconds(10), [this] { return woken_ || !events_.empty(); }))
                ++timedOut;
        }
        woken_ = false;
        std::vector<std::function<void()>> events = std::move(events_);
        events_.clear();
        lock.unlock();
        for (const auto& event : events)
            event();
    }

    void wake() override
    {
        {
            const std::lock_guard lock(mutex_);
            woken_ = true;
            ++wakes;
        }
        ready_.notify_all();
    }

    // An event for the next serve(), as a user's click would come; from any
    // thread.
    void postEvent(std::function<void()> event)
    {
        {
            const std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
        }
        ready_.notify_all();
    }

    std::atomic<int> serves = 0;
    std::atomic<int> waits = 0;
    std::atomic<int> wakes = 0;
    std::atomic<int> timedOut = 0;
    std::thread::id servedOn;

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    bool woken_ = false;
    std::vector<std::function<void()>> events_;
};

} // namespace yomi::test
