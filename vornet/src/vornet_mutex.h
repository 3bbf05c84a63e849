#pragma once

#include <mutex>

namespace Vornet_Private {

// A lock that any thread may take with an unbounded wait.
class Mutex {
public:
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};

class MutexLock {
public:
    explicit MutexLock(Mutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    ~MutexLock() { m_mutex.Unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& m_mutex;
};

}  // namespace Vornet_Private
