#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, CountsFromProcessStartWithoutZeroAndNeverGoesBack)
{
    const uint32_t first = platform::milliseconds();
    EXPECT_NE(first, 0u);
    // A test program has not been running for a day.
    EXPECT_LT(first, 24u * 3600u * 1000u);
    uint32_t previous = first;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t now = platform::milliseconds();
        EXPECT_GE(now, previous);
        previous = now;
    }
}

TEST(Clock, CanBeReplacedAndRestored)
{
    uint32_t fake = 0xFFFFFFF0u;
    platform::setMillisecondSource([&] { return fake; });
    EXPECT_EQ(platform::milliseconds(), 0xFFFFFFF0u);
    fake += 0x20;  // wraps like the 32-bit clock it stands for
    EXPECT_EQ(platform::milliseconds(), 0x10u);
    platform::setMillisecondSource({});
    EXPECT_LT(platform::milliseconds(), 24u * 3600u * 1000u);
}

}  // namespace
