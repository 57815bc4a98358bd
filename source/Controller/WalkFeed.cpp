#include "Controller/WalkFeed.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace yomi {
namespace {

// The walk yields to the caller's thread when the processors are busy: its
// thread, and the threads it starts (they inherit it), run five steps of
// niceness below. On Linux the niceness is the thread's own.
void yieldToCaller()
{
#if defined(__linux__)
    const auto self = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, self);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, self, std::min(nice + 5, 19));
#endif
}

} // namespace

void WalkFeed::post(std::function<void()> step)
{
    if (!loop_) {
        step();
        return;
    }
    bool wasEmpty = false;
    {
        const std::lock_guard lock(mutex_);
        wasEmpty = steps_.empty();
        steps_.push_back(std::move(step));
    }
    // A queue that held steps already was announced when it got its first.
    if (wasEmpty)
        loop_->wake();
}

bool WalkFeed::runSlice()
{
    const auto end = std::chrono::steady_clock::now() + kSlice;
    for (;;) {
        std::function<void()> step;
        {
            const std::lock_guard lock(mutex_);
            if (steps_.empty())
                return false;
            step = std::move(steps_.front());
            steps_.pop_front();
        }
        step();
        if (std::chrono::steady_clock::now() >= end) {
            const std::lock_guard lock(mutex_);
            return !steps_.empty();
        }
    }
}

void WalkFeed::run(const std::function<void()>& walk)
{
    if (!loop_) {
        walk();
        return;
    }
    over_ = false;
    std::exception_ptr thrown;
    std::thread walker([&] {
        yieldToCaller();
        try {
            walk();
        } catch (...) {
            thrown = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            over_ = true;
        }
        loop_->wake();
    });
    // A step that throws leaves the others unrun; the walk still ends
    // before the exception is thrown on.
    std::exception_ptr stepThrown;
    for (;;) {
        bool over = false;
        {
            const std::lock_guard lock(mutex_);
            over = over_;
            if (stepThrown)
                steps_.clear();
        }
        // Read before the steps run: once the walk is over, the steps it
        // posted are all in the queue.
        bool left = false;
        if (!stepThrown) {
            try {
                left = runSlice();
            } catch (...) {
                stepThrown = std::current_exception();
            }
        }
        if (over && !left) {
            // What the last steps made of the caller's events (a click on
            // Cancel, a typed key) is served before the walk counts as done.
            loop_->serve(false);
            break;
        }
        loop_->serve(!left);
    }
    walker.join();
    if (stepThrown)
        std::rethrow_exception(stepThrown);
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace yomi
