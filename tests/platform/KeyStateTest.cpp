#include "platform/KeyCodes.h"
#include "platform/KeyState.h"
#include "platform/X11KeyState.h"

#include <gtest/gtest.h>
// After the test framework, whose names Xlib's macros would replace.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <memory>
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
        platform::refreshKeyState();
        if (platform::isKeyDown(virtualKey) == down) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A window of the test's own on the server, as the program's window and as
// another program's.
class TestWindow {
public:
    explicit TestWindow(Display* display, int x) : display_(display)
    {
        window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, 100, 100, 0, 0, 0);
        XMapWindow(display, window_);
    }
    ~TestWindow() { XDestroyWindow(display_, window_); }

    ::Window id() const { return window_; }
    bool takeFocus() const
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            XWindowAttributes attributes{};
            XGetWindowAttributes(display_, window_, &attributes);
            if (attributes.map_state == IsViewable) {
                XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
                XSync(display_, False);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    Display* display_;
    ::Window window_;
};

Display* sharedDisplay()
{
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

struct KeyCase {
    int virtualKey;
    const char* xKey;
};

const KeyCase kKeys[] = {
    {platform::vk::kShift, "shift"},    {platform::vk::kControl, "ctrl"},  {platform::vk::kMenu, "alt"},
    {'A', "a"},                         {'S', "s"},                        {'1', "1"},
    {platform::vk::kSpace, "space"},    {platform::vk::kLeft, "Left"},     {platform::vk::kDown, "Down"},
    {platform::vk::kOemMinus, "minus"}, {platform::vk::kOemPlus, "equal"}, {platform::vk::kDelete, "Delete"},
};

class WindowKeys : public ::testing::Test {
protected:
    WindowKeys()
    {
        platform::setKeyStateSource(std::make_unique<platform::X11KeyState>(own.id()));
        XSync(display, False);
    }
    ~WindowKeys() override { platform::setKeyStateSource(nullptr); }

    // Open for the whole run: the server resets whenever its last client
    // leaves, and would refuse the next test's connection meanwhile.
    Display* display = sharedDisplay();
    TestWindow own{display, 0};
    TestWindow other{display, 200};
};

TEST_F(WindowKeys, FollowRealKeyEventsWhileTheWindowHasTheFocus)
{
    ASSERT_TRUE(own.takeFocus());
    for (const KeyCase& c : kKeys) {
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

TEST_F(WindowKeys, OneHeldKeyDoesNotLightOthers)
{
    ASSERT_TRUE(own.takeFocus());
    xdotool("keydown", "w");
    ASSERT_TRUE(waitForKey('W', true));
    EXPECT_FALSE(platform::isKeyDown('S'));
    EXPECT_FALSE(platform::isKeyDown(platform::vk::kShift));
    xdotool("keyup", "w");
    EXPECT_TRUE(waitForKey('W', false));
}

// Keys typed while another window has the focus are that window's, the
// modifiers too; once the focus is back a held key is down again.
TEST_F(WindowKeys, NoKeyIsDownWhileAnotherWindowHasTheFocus)
{
    ASSERT_TRUE(other.takeFocus());
    for (const KeyCase& c : kKeys) {
        SCOPED_TRACE(c.xKey);
        xdotool("keydown", c.xKey);
        // Seen by the server at once: a round trip after the key event.
        XSync(display, False);
        for (int refresh = 0; refresh < 5; ++refresh) {
            platform::refreshKeyState();
            EXPECT_FALSE(platform::isKeyDown(c.virtualKey));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(own.takeFocus());
        EXPECT_TRUE(waitForKey(c.virtualKey, true));
        ASSERT_TRUE(other.takeFocus());
        EXPECT_TRUE(waitForKey(c.virtualKey, false));
        xdotool("keyup", c.xKey);
    }
}

// The key state is read once per refresh, not at every question.
TEST_F(WindowKeys, AKeyChangesOnlyAtARefresh)
{
    ASSERT_TRUE(own.takeFocus());
    xdotool("keydown", "q");
    ASSERT_TRUE(waitForKey('Q', true));
    xdotool("keyup", "q");
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(platform::isKeyDown('Q'));
    EXPECT_TRUE(waitForKey('Q', false));
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
