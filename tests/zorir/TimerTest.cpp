// Timers polled by the window manager's drawing pass, on an injected clock.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/Timer.h"
#include "libs/zorir/core/StandardException.h"
#include "tests/support/GlTestContext.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using Zorir::Timer;

// Counts a timer's expiries and may run an action on each.
struct Counter : Zorir::SlotHolder {
    void expired()
    {
        ++count;
        if (action) action();
    }
    int count = 0;
    std::function<void()> action;
};

class TimerTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    // One frame of the host: 16 ms pass, then the window manager's pass,
    // whose first step polls the timers.
    void frame()
    {
        now_ += 16;
        poll();
    }
    static void poll()
    {
        // The drawing pass needs a context for its 2D set-up.
        quillow::test::ensureGlContext();
        manager().draw();
    }

    // A started timer whose expiries are counted.
    struct CountedTimer {
        explicit CountedTimer(float interval) : timer(interval)
        {
            timer.expired().connect(&counter, &Counter::expired);
            timer.start();
        }
        Counter counter;
        Timer timer;
    };
};

TEST_F(TimerTest, FiresOnTheFirstFrameAfterTheInterval)
{
    CountedTimer counted(0.1f);
    const Counter& counter = counted.counter;
    std::vector<int> firingFrames;
    for (int i = 1; i <= 20; ++i) {
        const int before = counter.count;
        frame();
        if (counter.count != before) firingFrames.push_back(i);
    }
    // 7 frames are 112 ms, the first past 100 ms; the next period counts
    // from that frame.
    EXPECT_EQ(firingFrames, (std::vector<int>{7, 14}));
}

TEST_F(TimerTest, AtMostOneEmissionPerPassHoweverLate)
{
    CountedTimer counted(0.1f);
    const Counter& counter = counted.counter;
    now_ += 5000;
    poll();
    EXPECT_EQ(counter.count, 1);
    poll();
    EXPECT_EQ(counter.count, 1);
}

TEST_F(TimerTest, StartingTwiceDoesNotRestart)
{
    CountedTimer counted(0.1f);
    Timer& timer = counted.timer;
    const Counter& counter = counted.counter;
    now_ += 80;
    timer.start();
    now_ += 40;
    poll();
    EXPECT_EQ(counter.count, 1);
    timer.stop();
    now_ += 500;
    poll();
    EXPECT_EQ(counter.count, 1);
    EXPECT_FALSE(timer.isRunning());
}

TEST_F(TimerTest, IntervalMustBePositive)
{
    Timer timer(0.0f);
    EXPECT_THROW(timer.start(), Zorir::Core::StandardException);
    EXPECT_FALSE(timer.isRunning());
    timer.setInterval(0.05f);
    timer.start();
    EXPECT_TRUE(timer.isRunning());
}

TEST_F(TimerTest, HandlersMayStopOrDestroyTimersDuringThePoll)
{
    struct Case {
        const char* name;
        std::vector<int> expected;  // expiries of first, second, third
    };
    const Case cases[] = {
        {"stops itself", {1, 1, 1}},
        {"stops the next", {1, 0, 1}},
        {"destroys the next", {1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Timer first(0.1f), third(0.1f);
        auto second = std::make_unique<Timer>(0.1f);
        Counter counters[3];
        first.expired().connect(&counters[0], &Counter::expired);
        second->expired().connect(&counters[1], &Counter::expired);
        third.expired().connect(&counters[2], &Counter::expired);
        const std::string name = c.name;
        if (name == "stops itself") counters[0].action = [&] { first.stop(); };
        if (name == "stops the next") counters[0].action = [&] { second->stop(); };
        if (name == "destroys the next") counters[0].action = [&] { second.reset(); };
        for (Timer* timer : {&first, second.get(), &third}) timer->start();
        now_ += 200;
        poll();
        EXPECT_EQ((std::vector<int>{counters[0].count, counters[1].count, counters[2].count}), c.expected);
        // A stopped timer stays out of later passes.
        now_ += 200;
        poll();
        EXPECT_EQ(counters[0].count, name == "stops itself" ? 1 : 2);
        EXPECT_EQ(counters[2].count, 2);
    }
}

TEST_F(TimerTest, ShorterIntervalTakesEffectWhileRunning)
{
    CountedTimer counted(1.0f);
    Timer& timer = counted.timer;
    const Counter& counter = counted.counter;
    now_ += 150;
    timer.setInterval(0.1f);
    poll();
    EXPECT_EQ(counter.count, 1);
}

}  // namespace
