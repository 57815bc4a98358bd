// A thread with a stack of a known size. std::thread takes the process's
// default, which follows `ulimit -s` (and is 2 MiB or less under some
// limits); a thread that parses untrusted files needs the stack its deepest
// accepted parse was measured with, whatever the user's shell set.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>
#include <memory>

namespace yomi {

class SizedThread {
public:
    // Starts `run` on a new thread whose stack holds `stackBytes` (rounded up
    // to what the system takes). Throws std::system_error when no thread can
    // be made, as std::thread does.
    SizedThread(std::size_t stackBytes, std::function<void()> run);
    // Joins the thread when it was not joined yet.
    ~SizedThread();
    SizedThread(SizedThread&& other) noexcept;
    SizedThread& operator=(SizedThread&&) = delete;
    SizedThread(const SizedThread&) = delete;
    SizedThread& operator=(const SizedThread&) = delete;

    void join();

private:
    pthread_t thread_{};
    bool joinable_ = false;
};

} // namespace yomi
