#pragma once

#include <atomic>
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

protected:
    virtual void run() = 0;

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

// Sleeps the calling thread.
void sleepMilliseconds(unsigned milliseconds);

}  // namespace platform
