#include "editor/app/simulation/MessageConsole.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageConsole, KeepsTheNewestFifteenOnScreenAndTheNewestHundredInItsHistory)
{
    MessageConsole console;
    for (uint32_t i = 0; i < 101; ++i) console.addMessage(0.1f * static_cast<float>(i % 10), 0, 0, i);
    ASSERT_EQ(console.visible().size(), 15u);
    EXPECT_EQ(console.visible().front().stamp, 100u);
    EXPECT_EQ(console.visible().back().stamp, 86u);
    ASSERT_EQ(console.history().size(), 100u);
    EXPECT_EQ(console.history().back().stamp, 1u);
    EXPECT_EQ(console.visible().front().text, "Welcome to the Map Editor");
}

TEST(MessageConsole, AMessageIsOpaqueThenFadesOverItsLastSecondAndThenTakesNoLine)
{
    MessageConsole console;
    console.addMessage(0.5f, 0.5f, 1.0f, 1000);
    ASSERT_EQ(console.layout(1000 + 36800).size(), 1u);
    EXPECT_GE(console.layout(1000 + 36800)[0].alpha, 1.0f);
    EXPECT_NEAR(console.layout(1000 + 37400)[0].alpha, 0.5f, 1e-6f);
    EXPECT_TRUE(console.layout(1000 + 38000).empty());
}

TEST(MessageConsole, ExpiredMessagesLeaveTheirLineToTheLiveOnes)
{
    MessageConsole console;
    console.addMessage(1, 1, 1, 0);       // expires at 38000
    console.addMessage(1, 1, 1, 30000);  // newest, at the bottom line
    console.addMessage(1, 1, 1, 0);       // expired; newest first, so first in the list
    const auto lines = console.layout(40000);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].y, 110);
    EXPECT_EQ(lines[0].message->stamp, 30000u);
}

}  // namespace
