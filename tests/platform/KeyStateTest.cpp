#include "platform/KeyCodes.h"
#include "platform/KeyState.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

namespace {

// Real key events sent to the test's private X server.
void xdotool(const std::string& action, const std::string& key)
{
    const std::string command = "xdotool " + action + " " + key;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

bool waitForKey(int virtualKey, bool down)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (platform::isKeyDown(virtualKey) == down) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

struct KeyCase {
    int virtualKey;
    const char* xKey;
};

TEST(KeyState, FollowsRealKeyEventsOfTheXServer)
{
    namespace vk = platform::vk;
    const KeyCase cases[] = {
        {vk::kShift, "shift"},     {vk::kControl, "ctrl"},    {vk::kMenu, "alt"},
        {'A', "a"},                {'S', "s"},                {'1', "1"},
        {vk::kSpace, "space"},     {vk::kLeft, "Left"},       {vk::kDown, "Down"},
        {vk::kOemMinus, "minus"},  {vk::kOemPlus, "equal"},   {vk::kDelete, "Delete"},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.xKey);
        EXPECT_TRUE(waitForKey(c.virtualKey, false));
        xdotool("keydown", c.xKey);
        EXPECT_TRUE(waitForKey(c.virtualKey, true));
        EXPECT_EQ(platform::getKeyState(c.virtualKey) & 0x8000, 0x8000);
        EXPECT_LT(platform::getKeyState(c.virtualKey), 0);  // high bit of a short
        xdotool("keyup", c.xKey);
        EXPECT_TRUE(waitForKey(c.virtualKey, false));
        EXPECT_EQ(platform::getKeyState(c.virtualKey), 0);
    }
}

TEST(KeyState, OneHeldKeyDoesNotLightOthers)
{
    xdotool("keydown", "w");
    ASSERT_TRUE(waitForKey('W', true));
    EXPECT_FALSE(platform::isKeyDown('S'));
    EXPECT_FALSE(platform::isKeyDown(platform::vk::kShift));
    xdotool("keyup", "w");
    EXPECT_TRUE(waitForKey('W', false));
}

class FakeKeys : public platform::KeyStateSource {
public:
    explicit FakeKeys(std::set<int> down) : down_(std::move(down)) {}
    bool isDown(int virtualKey) override { return down_.count(virtualKey) != 0; }

private:
    std::set<int> down_;
};

TEST(KeyState, SourceCanBeReplacedForTests)
{
    platform::setKeyStateSource(std::make_unique<FakeKeys>(std::set<int>{'Q'}));
    EXPECT_TRUE(platform::isKeyDown('Q'));
    EXPECT_FALSE(platform::isKeyDown('E'));
    platform::setKeyStateSource(nullptr);
    EXPECT_FALSE(platform::isKeyDown('Q'));
}

}  // namespace
