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

// Frees itself when the last of its two users, the thread and its starter,
// lets go, as a lookup nobody waits for does.
class SelfEndingThread : public platform::Thread {
public:
    explicit SelfEndingThread(std::atomic<int>& ended) : ended_(ended) {}
    void release()
    {
        if (references_.fetch_sub(1) != 1) return;
        std::atomic<int>& ended = ended_;
        delete this;
        ++ended;
    }

protected:
    void run() override { platform::sleepMilliseconds(1); }
    void finished() override { release(); }

private:
    std::atomic<int>& ended_;
    std::atomic<int> references_{2};
};

TEST(Thread, ADetachedBodyMayEndItsOwnObject)
{
    std::atomic<int> ended{0};
    for (int i = 0; i < 4; ++i) {
        auto* thread = new SelfEndingThread(ended);
        ASSERT_TRUE(thread->start());
        thread->detach();
        thread->release();
    }
    while (ended < 4) platform::sleepMilliseconds(1);
}

TEST(Notifier, WaitersSeeEveryChangeAfterTheyNotedTheCount)
{
    platform::Notifier notifier;
    const uint64_t seen = notifier.count();
    EXPECT_FALSE(notifier.waitChange(seen, 1));  // nothing happened
    notifier.notifyAll();
    EXPECT_TRUE(notifier.waitChange(seen, 0));   // happened before the wait

    const uint64_t before = notifier.count();
    std::thread other([&] {
        platform::sleepMilliseconds(10);
        notifier.notifyAll();
    });
    EXPECT_TRUE(notifier.waitChange(before, 10000));
    other.join();
}

}  // namespace
