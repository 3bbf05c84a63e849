// Message routing, capture, focus, pop-up, double clicks and z order of the
// window manager, on an injected clock.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/KeyListener.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace ClickEvent = Zorir::ClickEvent;
namespace MouseButton = Zorir::MouseButton;
using Zorir::Rectangle;
using Zorir::Vector2;
using zorirtest::RecordingMouseListener;
using zorirtest::TestWindow;

class WindowManagerTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    WindowManagerTest()
    {
        for (TestWindow* window : {&left_, &right_}) manager().addWindow(window);
        left_.addMessageListener(&leftListener_);
        right_.addMessageListener(&rightListener_);
    }
    ~WindowManagerTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
        manager().setFocus(nullptr);
        manager().setPopupWindow(nullptr);
    }

    std::string assertionText(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Zorir::Core::StandardException& e) {
            return e.what();
        }
        return "no exception";
    }

    TestWindow left_{Rectangle(Vector2(0, 0), Vector2(100, 100))};
    TestWindow right_{Rectangle(Vector2(150, 0), Vector2(250, 100))};
    RecordingMouseListener leftListener_;
    RecordingMouseListener rightListener_;
};

TEST_F(WindowManagerTest, DoubleClickNeedsSameButtonShortTimeAndDistance)
{
    struct Case {
        const char* name;
        uint32_t firstButton;
        uint32_t secondButton;
        uint32_t milliseconds;
        int dx, dy;
        uint32_t secondEvent;
    };
    const Case cases[] = {
        {"close and quick", MouseButton::Left, MouseButton::Left, 200, 3, 3, ClickEvent::DoubleClick},
        {"just inside limits", MouseButton::Left, MouseButton::Left, 299, 4, -4, ClickEvent::DoubleClick},
        {"0.3 s apart", MouseButton::Left, MouseButton::Left, 300, 0, 0, ClickEvent::Press},
        {"5 px apart in x", MouseButton::Left, MouseButton::Left, 100, 5, 0, ClickEvent::Press},
        {"5 px apart in y", MouseButton::Left, MouseButton::Left, 100, 0, -5, ClickEvent::Press},
        {"middle after left", MouseButton::Left, MouseButton::Middle, 100, 0, 0, ClickEvent::Press},
        {"right twice", MouseButton::Right, MouseButton::Right, 100, 1, 1, ClickEvent::DoubleClick},
    };
    const auto press = [this](uint32_t button, int x, int y) {
        if (button == MouseButton::Left) manager().onLeftButtonDown(x, y);
        if (button == MouseButton::Middle) manager().onMiddleButtonDown(x, y);
        if (button == MouseButton::Right) manager().onRightButtonDown(x, y);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        now_ += 10000;
        leftListener_.clicks_.clear();
        press(c.firstButton, 50, 50);
        now_ += c.milliseconds;
        press(c.secondButton, 50 + c.dx, 50 + c.dy);
        ASSERT_EQ(leftListener_.clicks_.size(), 2u);
        EXPECT_EQ(leftListener_.clicks_[0].event, ClickEvent::Press);
        EXPECT_EQ(leftListener_.clicks_[1].button, c.secondButton);
        EXPECT_EQ(leftListener_.clicks_[1].event, c.secondEvent);
    }
}

TEST_F(WindowManagerTest, ThirdQuickPressStartsANewPair)
{
    for (int i = 0; i < 4; ++i) {
        manager().onLeftButtonDown(50, 50);
        now_ += 100;
    }
    ASSERT_EQ(leftListener_.clicks_.size(), 4u);
    const uint32_t expected[] = {ClickEvent::Press, ClickEvent::DoubleClick, ClickEvent::Press,
                                 ClickEvent::DoubleClick};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(leftListener_.clicks_[i].event, expected[i]) << i;
}

TEST_F(WindowManagerTest, ClicksGoToTheWindowUnderThePointer)
{
    EXPECT_TRUE(manager().onLeftButtonDown(200, 50));
    EXPECT_TRUE(manager().onLeftButtonUp(200, 50));
    EXPECT_EQ(rightListener_.clicks_.size(), 2u);
    EXPECT_TRUE(leftListener_.clicks_.empty());
    EXPECT_FALSE(manager().onLeftButtonDown(120, 200));
}

TEST_F(WindowManagerTest, CaptureTakesEveryMouseMessage)
{
    manager().captureMouse(&left_);
    manager().onLeftButtonDown(200, 50);
    manager().onMouseMove(220, 60);
    manager().onRightButtonUp(240, 240);
    EXPECT_TRUE(rightListener_.events_.empty());
    EXPECT_EQ(leftListener_.clicks_.size(), 2u);
    EXPECT_NE(std::find(leftListener_.events_.begin(), leftListener_.events_.end(), "move"),
              leftListener_.events_.end());
    manager().releaseMouse();
    manager().onLeftButtonDown(200, 50);
    EXPECT_EQ(rightListener_.clicks_.size(), 1u);
}

TEST_F(WindowManagerTest, CaptureAssertions)
{
    const auto startsWith = [](const std::string& text, const std::string& start) {
        return text.rfind(start, 0) == 0;
    };
    EXPECT_TRUE(startsWith(assertionText([this] { manager().releaseMouse(); }),
                           "Assertion <windowCapture_ != 0> failedfilename: WindowManager.cpp   line: "));
    EXPECT_TRUE(startsWith(assertionText([this] { manager().captureMouse(nullptr); }), "Assertion <window != 0> failed"));
    manager().captureMouse(&left_);
    // The second capture is checked before the window.
    EXPECT_TRUE(startsWith(assertionText([this] { manager().captureMouse(nullptr); }),
                           "Assertion <windowCapture_ == 0> failed"));
    EXPECT_EQ(manager().windowCapture(), &left_);
}

TEST_F(WindowManagerTest, ZValueOfAnUnknownWindowThrows)
{
    TestWindow loose(Rectangle(Vector2(0, 0), Vector2(5, 5)));
    const std::string text = assertionText([&] { manager().zValue(&loose); });
    EXPECT_EQ(text.rfind("Trying to get the zValue of a window that is not a top level windowfilename: "
                         "WindowManager.cpp   line: ",
                         0),
              0u)
        << text;
}

TEST_F(WindowManagerTest, VisiblePopupSwallowsKeys)
{
    struct Keys : Zorir::KeyListener {
        bool onCharacter(uint8_t c) override
        {
            typed += static_cast<char>(c);
            return true;
        }
        std::string typed;
    };
    TestWindow popup(Rectangle(Vector2(10, 110), Vector2(90, 200)));
    Keys leftKeys, popupKeys;
    left_.addMessageListener(&leftKeys);
    popup.addMessageListener(&popupKeys);
    manager().setFocus(&left_);
    EXPECT_FALSE(manager().onKeyPressed('a'));
    manager().setPopupWindow(&popup);
    manager().setFocus(&popup);
    EXPECT_FALSE(manager().onKeyPressed('b'));
    popup.hide();
    EXPECT_EQ(manager().popupWindow(), nullptr);
    manager().setFocus(&left_);
    manager().onKeyPressed('c');
    EXPECT_EQ(leftKeys.typed, "ac");
    EXPECT_EQ(popupKeys.typed, "b");
    left_.removeMessageListener(&leftKeys);
}

TEST_F(WindowManagerTest, LeftPressMovesTheFocus)
{
    TestWindow* child = left_.addChild(Rectangle(Vector2(10, 10), Vector2(30, 30)));
    manager().onLeftButtonDown(20, 20);
    EXPECT_EQ(manager().focusWindow(), child);
    EXPECT_EQ(child->focusGained_, 1);
    // Other buttons leave it alone.
    manager().onRightButtonDown(200, 50);
    EXPECT_EQ(manager().focusWindow(), child);
    manager().onLeftButtonDown(200, 50);
    EXPECT_EQ(manager().focusWindow(), &right_);
    EXPECT_EQ(child->focusLost_, 1);
    // Empty screen space takes the focus away.
    manager().onLeftButtonDown(120, 200);
    EXPECT_EQ(manager().focusWindow(), nullptr);
    EXPECT_EQ(right_.focusLost_, 1);
}

TEST_F(WindowManagerTest, PressInsideThePopupKeepsTheFocus)
{
    TestWindow popup(Rectangle(Vector2(10, 110), Vector2(90, 200)));
    manager().setFocus(&left_);
    manager().setPopupWindow(&popup);
    manager().onLeftButtonDown(50, 150);
    EXPECT_EQ(manager().focusWindow(), &left_);
    EXPECT_EQ(manager().windowUnderMouse(), &popup);
}

TEST_F(WindowManagerTest, ZOrderAndBringToFront)
{
    TestWindow third(Rectangle(Vector2(0, 0), Vector2(250, 100)));
    manager().addWindow(&third);
    EXPECT_EQ(manager().zValue(&left_), 1);
    EXPECT_EQ(manager().zValue(&right_), 2);
    EXPECT_EQ(manager().zValue(&third), 3);
    // The highest window is hit first.
    manager().onMouseMove(50, 50);
    EXPECT_EQ(manager().windowUnderMouse(), &third);

    TestWindow* child = left_.addChild(Rectangle(Vector2(10, 10), Vector2(30, 30)));
    manager().bringToFront(child);
    EXPECT_EQ(manager().zValue(&left_), 2);
    EXPECT_EQ(manager().zValue(&third), 1);
    EXPECT_EQ(manager().zValue(&right_), 0);
    manager().onMouseMove(50, 50);
    EXPECT_EQ(manager().windowUnderMouse(), &left_);
    // Added twice, a window has two entries; removing it removes both.
    manager().addWindow(&third);
    EXPECT_EQ(manager().zValue(&third), 3);
    manager().removeWindow(&third);
    EXPECT_FALSE(manager().isTopLevel(&third));
}

TEST_F(WindowManagerTest, HiddenAndDisabledWindowsHandleNothing)
{
    const Zorir::MouseClickMessage click({50, 50}, MouseButton::Left, ClickEvent::Press);
    left_.hide();
    EXPECT_EQ(left_.windowAt({50, 50}), nullptr);
    EXPECT_FALSE(left_.process(click));
    left_.show();
    left_.setEnabled(false);
    EXPECT_FALSE(left_.process(click));
    left_.setEnabled(true);
    EXPECT_TRUE(left_.process(click));
}

// A window that goes away or can no longer take messages leaves no pointer
// behind: not as capture, focus or pop-up, and not as a top-level window.
TEST_F(WindowManagerTest, UnavailableWindowsAreForgotten)
{
    enum class Way { Hide, Disable, Remove, Destroy };
    struct Case {
        const char* name;
        Way way;
    };
    const Case cases[] = {
        {"hidden", Way::Hide}, {"disabled", Way::Disable}, {"removed", Way::Remove}, {"destroyed", Way::Destroy}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto window = std::make_unique<TestWindow>(Rectangle(Vector2(0, 120), Vector2(100, 200)));
        TestWindow* child = window->addChild(Rectangle(Vector2(10, 130), Vector2(50, 150)));
        manager().addWindow(window.get());
        manager().onMouseMove(20, 140);
        ASSERT_EQ(manager().windowUnderMouse(), child);
        manager().captureMouse(child);
        manager().setFocus(child);
        manager().setPopupWindow(window.get());

        if (c.way == Way::Hide) window->hide();
        if (c.way == Way::Disable) window->setEnabled(false);
        if (c.way == Way::Remove) manager().removeWindow(window.get());
        if (c.way == Way::Destroy) window.reset();

        EXPECT_EQ(manager().windowCapture(), nullptr);
        EXPECT_EQ(manager().focusWindow(), nullptr);
        EXPECT_EQ(manager().popupWindow(), nullptr);
        if (c.way != Way::Disable) {
            EXPECT_EQ(manager().windowUnderMouse(), nullptr);
        }
        // Input and drawing afterwards must not reach the window.
        manager().onLeftButtonDown(20, 140);
        manager().onLeftButtonUp(20, 140);
        manager().onKeyPressed('x');
        if (window) manager().removeWindow(window.get());
    }
}

TEST_F(WindowManagerTest, HandlerMayDestroyAWindowDuringDispatch)
{
    // A key reaches every top-level window; the first one's handler deletes
    // the second, which must then be skipped.
    struct Closer : Zorir::KeyListener {
        bool onCharacter(uint8_t) override
        {
            victim.reset();
            return false;
        }
        std::unique_ptr<TestWindow> victim;
    };
    Closer closer;
    closer.victim = std::make_unique<TestWindow>(Rectangle(Vector2(0, 0), Vector2(10, 10)));
    manager().addWindow(closer.victim.get());
    Closer later;
    closer.victim->addMessageListener(&later);
    right_.addMessageListener(&closer);
    manager().setFocus(&right_);
    manager().bringToFront(&right_);
    EXPECT_FALSE(manager().onKeyPressed('q'));
    EXPECT_EQ(closer.victim, nullptr);
    right_.removeMessageListener(&closer);
}

TEST_F(WindowManagerTest, SetFocusTellsBothWindowsOnce)
{
    manager().setFocus(&left_);
    manager().setFocus(&left_);
    EXPECT_EQ(left_.focusGained_, 1);
    manager().setFocus(&right_);
    EXPECT_EQ(left_.focusLost_, 1);
    EXPECT_EQ(right_.focusGained_, 1);
    EXPECT_TRUE(right_.hasFocus());
    EXPECT_FALSE(left_.hasFocus());
}

bool shiftHeld() { return true; }
bool ctrlHeld() { return false; }

TEST_F(WindowManagerTest, InitializeStoresFontQueriesAndScheme)
{
    manager().deletePropertyScheme();
    EXPECT_THROW(manager().isShiftDown(), Zorir::Core::StandardException);
    manager().initialize("../../Content/Fonts/accid___.ttf", shiftHeld, nullptr, ctrlHeld);
    EXPECT_EQ(Zorir::WindowManager::defaultFontFileName(), "../../Content/Fonts/accid___.ttf");
    EXPECT_TRUE(manager().isShiftDown());
    EXPECT_FALSE(manager().isCtrlDown());
    EXPECT_NE(manager().propertyScheme(), nullptr);
    manager().deletePropertyScheme();
    EXPECT_EQ(manager().propertyScheme(), nullptr);
}

TEST_F(WindowManagerTest, ClipboardEmitsItsNewText)
{
    struct Watcher : Zorir::SlotHolder {
        void changed(const std::string& text) { seen = text; }
        std::string seen;
    } watcher;
    manager().clipboardChanged().connect(&watcher, &Watcher::changed);
    manager().setClipboardText("copied");
    EXPECT_EQ(manager().clipboardText(), "copied");
    EXPECT_EQ(watcher.seen, "copied");
}

TEST_F(WindowManagerTest, ScreenResizeMovesEveryWindowWhereItIs)
{
    left_.events_.clear();
    manager().screenResized(640, 480);
    EXPECT_EQ(manager().screenSize(), Vector2(640, 480));
    EXPECT_EQ(left_.events_, (std::vector<std::string>{"move"}));
    EXPECT_EQ(left_.position(), Vector2(0, 0));
}

TEST(Window, StartsVisibleEnabledAtOriginWithPreferredSize)
{
    struct Plain : Zorir::Window {
        Plain() : Window(nullptr, "caption") {}
        Vector2 preferredSize() const override { return {7, 9}; }
        void loadAppearance(const std::string&, const std::string&) override {}
        void draw() override {}
    } window;
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(window.position(), Vector2(0, 0));
    EXPECT_EQ(window.size(), Vector2(7, 9));
    EXPECT_EQ(window.text(), "caption");
    EXPECT_EQ(window.root(), &window);
    window.setSize({0, 0});
    EXPECT_EQ(window.size(), Vector2(0, 0));
}

TEST(Window, SetRectangleResizesBeforeMoving)
{
    TestWindow parent(Rectangle(Vector2(0, 0), Vector2(10, 10)));
    TestWindow* child = parent.addChild(Rectangle(Vector2(1, 1), Vector2(2, 2)));
    child->events_.clear();
    child->setRectangle(Rectangle(Vector2(5, 6), Vector2(25, 36)));
    EXPECT_EQ(child->events_, (std::vector<std::string>{"resize", "move"}));
    EXPECT_EQ(child->rectangle(), Rectangle(Vector2(5, 6), Vector2(25, 36)));
    EXPECT_EQ(child->root(), &parent);
}

}  // namespace
