#pragma once

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

// A thread object whose body is a virtual operation. start() returns only
// once the body is running. There is no forced termination: a body must
// watch a stop flag of its owner, and the owner joins it before the derived
// object goes away.
class Thread {
public:
    Thread() = default;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // Runs run() on a new thread; false when it already runs or cannot start.
    // With aboveNormal the thread asks for a slightly higher priority and
    // goes on at normal priority when that is refused.
    bool start(bool aboveNormal = false);
    // Whether the body has started and not yet returned.
    bool isRunning() const { return running_.load(); }
    // Waits for the body to return (no-op when it never started).
    void join();
    // Lets a started body run on with nobody to join it. The object must
    // then outlive the body; finished() is where it may end its own life.
    void detach();

protected:
    virtual void run() = 0;
    // The last thing the thread does with this object, after run() has
    // returned and isRunning() has turned false.
    virtual void finished() {}

private:
    void body(bool aboveNormal);

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::mutex startMutex_;
    std::condition_variable started_;
    bool hasStarted_ = false;
};

// A recursive lock: the thread that holds it may take it again, as a log
// callback that logs does while the log lock is held.
class Mutex {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool tryLock() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a Mutex for one scope.
class MutexLock {
public:
    explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};

// A counter of events that other threads can wait for: a waiter notes the
// count, checks its condition, then waits for the count to move on, so an
// event between the check and the wait is never missed.
class Notifier {
public:
    uint64_t count() const;
    // Raises the count and wakes every waiter.
    void notifyAll();
    // Waits until the count differs from seen or the time runs out; true
    // when it moved on.
    bool waitChange(uint64_t seen, unsigned timeoutMs);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t count_ = 0;
};

// Sleeps the calling thread.
void sleepMilliseconds(unsigned milliseconds);

}  // namespace platform
