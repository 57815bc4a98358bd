// A walk of the library (a Load's, a Save's) on a thread of its own, and the
// steps it hands back, in order, to the thread that started it: the changes
// of the list and the progress, which only that thread may make and tell.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>

namespace yomi {

// The event loop of the thread that starts a walk (the window's), kept
// running while the walk runs on a thread of its own.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Handles the calling thread's pending events; with `wait`, first waits
    // until an event comes or wake() is called.
    virtual void serve(bool wait) = 0;
    // Ends the wait of a serve(true), or, when none waits, makes the next one
    // return at once. Called from the walk's thread.
    virtual void wake() = 0;
};

// Runs a walk and the steps it posts. Without an event loop, the walk runs on
// the caller's thread and each step at once, inside post(). With one, the
// walk runs on a thread of its own, and the caller's thread serves its events
// and, between them, runs the steps in the order posted, for about kSlice at
// a time at most: however long the walk, the caller's events wait for one
// slice (or one step, when a step alone takes longer). The events are served
// once more after the last step, before run() returns. The walk's thread,
// and the threads it starts, run at a lower priority than the caller's, so
// that on busy processors the caller's events come first.
//
// A step runs after the walk has gone on, perhaps to its end: it must capture
// what it needs by value, or by reference to what outlives run().
class WalkFeed {
public:
    static constexpr std::chrono::milliseconds kSlice{20};

    explicit WalkFeed(EventLoop* loop) : loop_(loop) {}
    WalkFeed(const WalkFeed&) = delete;
    WalkFeed& operator=(const WalkFeed&) = delete;

    // Whether the walk runs on a thread of its own.
    bool threaded() const { return loop_ != nullptr; }

    // From the walk: a step for the caller's thread.
    void post(std::function<void()> step);

    // Runs `walk`, and every step it posts; returns once all of them have
    // run. What the walk throws is thrown here, after the steps it posted.
    void run(const std::function<void()>& walk);

private:
    // Runs the steps waiting, for one slice; whether steps are left.
    bool runSlice();

    EventLoop* loop_;
    std::mutex mutex_;
    std::deque<std::function<void()>> steps_;
    bool over_ = false; // the walk has returned; under mutex_
};

} // namespace yomi
