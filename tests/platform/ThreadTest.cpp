#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Runs until told to stop, as the library's reader thread does.
class LoopingThread : public platform::Thread {
public:
    ~LoopingThread() override
    {
        stop = true;
        join();
    }
    std::atomic<bool> stop{false};
    std::atomic<int> passes{0};

protected:
    void run() override
    {
        while (!stop) {
            ++passes;
            platform::sleepMilliseconds(1);
        }
    }
};

TEST(Thread, StartReturnsOnceTheBodyRunsAndStopsWhenToldTo)
{
    LoopingThread thread;
    EXPECT_FALSE(thread.isRunning());
    ASSERT_TRUE(thread.start(true));
    EXPECT_TRUE(thread.isRunning());
    EXPECT_FALSE(thread.start());  // already running
    while (thread.passes == 0) platform::sleepMilliseconds(1);
    thread.stop = true;
    thread.join();
    EXPECT_FALSE(thread.isRunning());
}

TEST(Thread, CanRunAgainAfterItsBodyReturned)
{
    LoopingThread thread;
    for (int round = 0; round < 3; ++round) {
        thread.stop = false;
        ASSERT_TRUE(thread.start());
        thread.stop = true;
        thread.join();
        EXPECT_FALSE(thread.isRunning());
    }
}

TEST(Thread, JoinWithoutStartIsHarmless)
{
    LoopingThread thread;
    thread.join();
    EXPECT_FALSE(thread.isRunning());
}

TEST(Mutex, IsRecursiveForItsHolderAndExcludesOthers)
{
    platform::Mutex mutex;
    platform::MutexLock outer(mutex);
    {
        platform::MutexLock inner(mutex);  // a log callback that logs
    }
    std::atomic<bool> otherGotIt{true};
    std::thread other([&] {
        otherGotIt = mutex.tryLock();
        if (otherGotIt) mutex.unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt);
}

}  // namespace
