// Rectangles, the toolkit clock, and the listeners' routing rules.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/CurrentTime.h"
#include "libs/zorir/KeyListener.h"
#include "libs/zorir/Rectangle.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

namespace {

using Zorir::Rectangle;
using Zorir::Vector2;
using zorirtest::ManagerTest;
using zorirtest::RecordingMouseListener;
using zorirtest::TestWindow;

TEST(Rectangle, CornerConstructorsNormalise)
{
    struct Case {
        Vector2 a, b;
        float x, y, width, height;
    };
    const Case cases[] = {
        {{10, 20}, {4, 8}, 4, 8, 6, 12},
        {{4, 8}, {10, 20}, 4, 8, 6, 12},
        {{10, 8}, {4, 20}, 4, 8, 6, 12},
        {{-5, 3}, {5, -3}, -5, -3, 10, 6},
        {{3, 3}, {3, 3}, 3, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y);
        for (const Rectangle& r : {Rectangle(c.a, c.b), Rectangle(c.a.x, c.a.y, c.b.x, c.b.y)}) {
            EXPECT_EQ(r.x, c.x);
            EXPECT_EQ(r.y, c.y);
            EXPECT_EQ(r.width, c.width);
            EXPECT_EQ(r.height, c.height);
        }
    }
}

TEST(Rectangle, ContainsBothEdges)
{
    const Rectangle r(Vector2(10, 20), Vector2(30, 50));
    struct Case {
        Vector2 point;
        bool inside;
    };
    const Case cases[] = {
        {{10, 20}, true},    {{30, 50}, true},   {{30, 20}, true},   {{10, 50}, true},
        {{20, 35}, true},    {{9.99f, 30}, false}, {{30.01f, 30}, false}, {{20, 19.99f}, false},
        {{20, 50.01f}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.contains(c.point), c.inside) << c.point.x << "," << c.point.y;
    }
    const Rectangle empty(Vector2(3, 3), Vector2(3, 3));
    EXPECT_TRUE(empty.contains({3, 3}));
    EXPECT_FALSE(empty.contains({3, 3.01f}));
}

TEST(Rectangle, CornersExpandAndRound)
{
    Rectangle r(Vector2(10, 20), Vector2(30, 60));
    EXPECT_EQ(r.topRight(), Vector2(30, 20));
    EXPECT_EQ(r.bottomLeft(), Vector2(10, 60));
    EXPECT_EQ(r.bottomRight(), Vector2(30, 60));
    EXPECT_EQ(r.center(), Vector2(20, 40));
    r.expand(2);
    EXPECT_EQ(r, Rectangle(8, 18, 32, 62));
    r.expandHorizontally(-3);
    EXPECT_EQ(r, Rectangle(11, 18, 29, 62));

    struct Case {
        float value, rounded;
    };
    const Case cases[] = {{0.5f, 1}, {0.49f, 0}, {-0.5f, 0}, {-0.51f, -1}, {2.5f, 3}, {-2.5f, -2}, {7, 7}};
    for (const Case& c : cases) {
        Rectangle toRound;
        toRound.x = toRound.y = toRound.width = toRound.height = c.value;
        toRound.round();
        EXPECT_EQ(toRound.x, c.rounded) << c.value;
        EXPECT_EQ(toRound.height, c.rounded) << c.value;
    }
}

TEST(StandardException, NamesExpressionFileAndLine)
{
    try {
        ZORIR_ASSERT(1 + 1 == 3);
        FAIL() << "no exception";
    } catch (const Zorir::Core::StandardException& e) {
        const std::string text = e.what();
        const std::string expectedStart = "Assertion <1 + 1 == 3> failedfilename: BasicsTest.cpp   line: ";
        EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart) << text;
    }
}

class ClockTest : public ManagerTest, public ::testing::Test {};

TEST_F(ClockTest, SecondsFollowThePlatformMilliseconds)
{
    now_ = 1500;
    EXPECT_FLOAT_EQ(Zorir::currentTime(), 1.5f);
    now_ = 123456;
    EXPECT_FLOAT_EQ(Zorir::currentTime(), 123.456f);
}

// Enter and leave come from the window's own listener, following the moves;
// a capture decides who may hear them.
class MouseListenerTest : public ManagerTest, public ::testing::Test {
protected:
    MouseListenerTest()
    {
        window_.addMessageListener(&listener_);
        other_.addMessageListener(&otherListener_);
    }
    ~MouseListenerTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
    }

    TestWindow window_{Rectangle(Vector2(10, 10), Vector2(50, 50))};
    TestWindow other_{Rectangle(Vector2(100, 100), Vector2(120, 120))};
    RecordingMouseListener listener_;
    RecordingMouseListener otherListener_;
};

TEST_F(MouseListenerTest, EnterAndLeaveUnderEachCapture)
{
    enum Capture { None, Self, Other };
    struct Case {
        const char* name;
        Capture capture;
        std::vector<std::string> enterMoves;  // a fresh listener moving inside
        std::vector<std::string> leaveMoves;  // then moving outside
    };
    const Case cases[] = {
        {"no capture", None, {"move", "enter"}, {"leave"}},
        // The capturing window hears the move outside it and its leave.
        {"own capture", Self, {"move", "enter"}, {"move", "leave"}},
        // Another window's capture silences this one entirely.
        {"other capture", Other, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMouseListener fresh;
        window_.removeMessageListener(&listener_);
        window_.addMessageListener(&fresh);
        if (c.capture == Self) manager().captureMouse(&window_);
        if (c.capture == Other) manager().captureMouse(&other_);

        window_.process(Zorir::MouseMessage(Zorir::MessageType::MouseMove, {20, 20}));
        EXPECT_EQ(fresh.events_, c.enterMoves);
        fresh.events_.clear();
        window_.process(Zorir::MouseMessage(Zorir::MessageType::MouseMove, {80, 80}));
        EXPECT_EQ(fresh.events_, c.leaveMoves);

        if (c.capture != None) manager().releaseMouse();
        window_.removeMessageListener(&fresh);
        window_.addMessageListener(&listener_);
    }
}

TEST_F(MouseListenerTest, MovesInsideGiveOneEnterOnly)
{
    for (float x : {20.0f, 25.0f, 30.0f}) {
        window_.process(Zorir::MouseMessage(Zorir::MessageType::MouseMove, {x, 20}));
    }
    EXPECT_EQ(listener_.events_, (std::vector<std::string>{"move", "enter", "move", "move"}));
}

TEST_F(MouseListenerTest, ClicksOutsideOrUnderForeignCaptureAreNotHandled)
{
    const Zorir::MouseClickMessage inside({20, 20}, Zorir::MouseButton::Left, Zorir::ClickEvent::Press);
    const Zorir::MouseClickMessage outside({90, 90}, Zorir::MouseButton::Left, Zorir::ClickEvent::Press);
    EXPECT_TRUE(window_.process(inside));
    EXPECT_FALSE(window_.process(outside));
    manager().captureMouse(&window_);
    EXPECT_TRUE(window_.process(outside));
    manager().releaseMouse();
    manager().captureMouse(&other_);
    EXPECT_FALSE(window_.process(inside));
    manager().releaseMouse();
    EXPECT_EQ(listener_.clicks_.size(), 2u);
}

TEST_F(MouseListenerTest, OtherMessagesAreNotMouseBusiness)
{
    EXPECT_FALSE(window_.process(Zorir::KeyMessage(Zorir::MessageType::Character, 'a', 0)));
    EXPECT_FALSE(window_.process(Zorir::SelectionMessage(Zorir::MessageType::Selected, 0)));
    EXPECT_TRUE(listener_.events_.empty());
}

class RecordingKeyListener : public Zorir::KeyListener {
public:
    bool onCharacter(uint8_t character) override
    {
        keys_.push_back(character);
        return true;
    }
    bool onSpecialKey(uint16_t key) override
    {
        keys_.push_back(key);
        return true;
    }
    bool onOtherKey(uint16_t key) override
    {
        keys_.push_back(1000 + key);
        return true;
    }
    std::vector<int> keys_;
};

TEST_F(MouseListenerTest, KeysReachOnlyTheFocusAndAreNeverHandled)
{
    RecordingKeyListener keys;
    window_.addMessageListener(&keys);
    EXPECT_FALSE(window_.process(Zorir::KeyMessage(Zorir::MessageType::Character, 'a', 0)));
    EXPECT_TRUE(keys.keys_.empty());

    manager().setFocus(&window_);
    EXPECT_FALSE(window_.process(Zorir::KeyMessage(Zorir::MessageType::Character, 'b', 0)));
    EXPECT_FALSE(window_.process(Zorir::KeyMessage(Zorir::MessageType::SpecialKey, 0, 101)));
    EXPECT_FALSE(window_.process(Zorir::KeyMessage(Zorir::MessageType::OtherKey, 0, 7)));
    EXPECT_EQ(keys.keys_, (std::vector<int>{'b', 101, 1007}));
    manager().setFocus(nullptr);
    window_.removeMessageListener(&keys);
}

}  // namespace
