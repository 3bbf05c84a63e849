#include "platform/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>

namespace platform {

namespace {

// One step above the normal priority; refused without the right to raise
// priorities, which is harmless.
void requestAboveNormalPriority()
{
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), current - 1);
}

}  // namespace

Thread::~Thread()
{
    // The body must have been joined by the owner; a detached body would
    // call into a destroyed object.
    if (thread_.joinable()) thread_.join();
}

bool Thread::start(bool aboveNormal)
{
    if (running_.load() || thread_.joinable()) {
        if (running_.load()) return false;
        thread_.join();
    }
    hasStarted_ = false;
    running_ = true;
    try {
        thread_ = std::thread(&Thread::body, this, aboveNormal);
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    std::unique_lock<std::mutex> lock(startMutex_);
    started_.wait(lock, [this] { return hasStarted_; });
    return true;
}

void Thread::body(bool aboveNormal)
{
    if (aboveNormal) requestAboveNormalPriority();
    {
        std::lock_guard<std::mutex> lock(startMutex_);
        hasStarted_ = true;
    }
    started_.notify_all();
    run();
    running_ = false;
    finished();
}

void Thread::join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void Thread::detach()
{
    if (thread_.joinable()) thread_.detach();
}

uint64_t Notifier::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

void Notifier::notifyAll()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
    }
    changed_.notify_all();
}

bool Notifier::waitChange(uint64_t seen, unsigned timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return count_ != seen; });
}

void sleepMilliseconds(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
