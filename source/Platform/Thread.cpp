#include "Platform/Thread.h"

#include <limits.h>

#include <algorithm>
#include <system_error>

namespace yomi {
namespace {

void* start(void* arg)
{
    const std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(arg));
    (*run)();
    return nullptr;
}

} // namespace

SizedThread::SizedThread(std::size_t stackBytes, std::function<void()> run)
{
    pthread_attr_t attr;
    if (int e = pthread_attr_init(&attr); e != 0)
        throw std::system_error(e, std::generic_category(), "pthread_attr_init");
    // Whole pages, and at least what the system takes.
    const std::size_t page = 4096;
    const std::size_t size = std::max<std::size_t>(PTHREAD_STACK_MIN, (stackBytes + page - 1) / page * page);
    int e = pthread_attr_setstacksize(&attr, size);
    auto* arg = new std::function<void()>(std::move(run));
    if (e == 0)
        e = pthread_create(&thread_, &attr, start, arg);
    pthread_attr_destroy(&attr);
    if (e != 0) {
        delete arg;
        throw std::system_error(e, std::generic_category(), "pthread_create");
    }
    joinable_ = true;
}

SizedThread::~SizedThread() { join(); }

SizedThread::SizedThread(SizedThread&& other) noexcept : thread_(other.thread_), joinable_(other.joinable_)
{
    other.joinable_ = false;
}

void SizedThread::join()
{
    if (joinable_) {
        pthread_join(thread_, nullptr);
        joinable_ = false;
    }
}

} // namespace yomi
