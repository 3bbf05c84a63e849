// The spin boxes: the value kept inside its range, arrows that repeat on the
// window manager's clock while held, typed text taken as the value, and the
// editor's live spin box whose value follows every key.
#include "tests/zorir/Modifiers.h"
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/Kesh_EditField.h"
#include "libs/zorir/Kesh_SuperSpinBox.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/MessageListener.h"
#include "libs/zorir/NumberText.h"
#include "libs/zorir/ScrollBar.h"
#include "libs/zorir/SpinBox.h"
#include "libs/zorir/core/StandardException.h"
#include "tests/support/GlTestContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zorirtest::Modifiers;
using Zorir::Rectangle;

// What a slideable tells the world and itself.
struct Values : Zorir::SlotHolder, Zorir::MessageListener {
    void changed(int value) { emitted.push_back(value); }
    bool handleMessage(const Zorir::Message& message, Zorir::Window&) override
    {
        if (message.type() == Zorir::MessageType::SlideableValue) {
            told.push_back(static_cast<const Zorir::SlideableMessage&>(message).value());
        }
        return false;
    }
    std::vector<int> emitted;
    std::vector<int> told;
};

class SpinBoxTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Modifiers::initialize(); }

    SpinBoxTest()
    {
        // The drawing pass polls the timers; it needs a context.
        quillow::test::ensureGlContext();
        box_.setRectangle(Rectangle(10, 10, 110, 30));
        manager().addWindow(&box_);
        box_.valueChanged().connect(&values_, &Values::changed);
        box_.addMessageListener(&values_);
    }
    ~SpinBoxTest() override
    {
        box_.removeMessageListener(&values_);
        if (manager().windowCapture()) manager().releaseMouse();
    }

    // The frames of the host, 10 ms apart.
    void runFor(int milliseconds)
    {
        for (int elapsed = 0; elapsed < milliseconds; elapsed += 10) {
            now_ += 10;
            manager().draw();
        }
    }
    void type(const std::string& keys)
    {
        for (char key : keys) manager().onKeyPressed(static_cast<uint8_t>(key));
    }
    // A press and a release through the window manager, which moves the
    // focus on the press as it does for the host's clicks.
    void click(int x, int y)
    {
        manager().onMouseMove(x, y);
        manager().onLeftButtonDown(x, y);
        manager().onLeftButtonUp(x, y);
    }

    // The arrows are the right-hand squares: up (100..110, 10..20), down below.
    static constexpr int arrowX = 105, upY = 14, downY = 26;

    Zorir::SpinBox box_{nullptr, 0};
    Values values_;
};

TEST_F(SpinBoxTest, AValueOutsideTheRangeIsStoredAsItsEndAndToldTwice)
{
    box_.setValue(300);
    EXPECT_EQ(box_.value(), 255);
    EXPECT_EQ(values_.emitted, (std::vector<int>{255, 255}));
    EXPECT_EQ(values_.told, (std::vector<int>{255, 255}));
    box_.setValue(-4);
    EXPECT_EQ(box_.value(), 0);

    box_.setValue(20);
    box_.setMaximum(10);
    EXPECT_EQ(box_.value(), 10);
    EXPECT_THROW(box_.setMaximum(0), Zorir::Core::StandardException);
    EXPECT_THROW(box_.setMinimum(10), Zorir::Core::StandardException);
    EXPECT_EQ(box_.maximum(), 10);
    EXPECT_EQ(box_.minimum(), 0);
    EXPECT_EQ(box_.range(), 10);
    EXPECT_EQ(box_.preferredSize(), Zorir::Vector2(20, 20));
}

TEST_F(SpinBoxTest, AHeldArrowStepsAtOnceThenAfterAQuarterSecondThenEveryTwentiethUntilReleased)
{
    manager().onLeftButtonDown(arrowX, upY);
    EXPECT_EQ(box_.value(), 1);
    EXPECT_EQ(box_.editField().text(), "1");
    runFor(250);
    EXPECT_EQ(box_.value(), 1) << "not before a quarter second";
    runFor(10);
    EXPECT_EQ(box_.value(), 2);
    runFor(50);
    EXPECT_EQ(box_.value(), 2);
    runFor(10);
    EXPECT_EQ(box_.value(), 3);
    runFor(600);
    EXPECT_EQ(box_.value(), 13);
    manager().onLeftButtonUp(arrowX, upY);
    runFor(500);
    EXPECT_EQ(box_.value(), 13);
    EXPECT_EQ(box_.editField().text(), "13");

    // The down arrow, left while held: leaving releases it.
    manager().onMouseMove(arrowX, downY);
    manager().onLeftButtonDown(arrowX, downY);
    EXPECT_EQ(box_.value(), 12);
    runFor(260);
    EXPECT_EQ(box_.value(), 11);
    manager().onMouseMove(200, 200);
    runFor(500);
    EXPECT_EQ(box_.value(), 11);
    EXPECT_FALSE(box_.downTimer().isRunning());
    manager().onLeftButtonUp(200, 200);
}

TEST_F(SpinBoxTest, TypedTextBecomesTheValueOnReturnOrWhenTheFocusGoes)
{
    manager().onLeftButtonDown(20, 20);
    manager().onLeftButtonUp(20, 20);
    ASSERT_EQ(manager().focusWindow(), &box_.editField());
    box_.editField().setText("");
    type("42\r");
    EXPECT_EQ(box_.value(), 42);
    box_.editField().setText("");
    type("300\r");
    EXPECT_EQ(box_.value(), 255);
    EXPECT_EQ(box_.editField().text(), "255");
    box_.editField().setText("77");
    box_.focusLost();
    EXPECT_EQ(box_.value(), 77);
    // A text holding no number keeps the value and shows it again.
    box_.editField().setText("-");
    type("\r");
    EXPECT_EQ(box_.value(), 77);
    EXPECT_EQ(box_.editField().text(), "77");
}

TEST_F(SpinBoxTest, TypedTextIsTakenWhenAClickTakesTheFocusAnywhereElse)
{
    zorirtest::TestWindow other(Rectangle(10, 100, 110, 130));
    Zorir::SpinBox second(nullptr, 0);
    second.setRectangle(Rectangle(10, 50, 110, 70));
    manager().addWindow(&other);
    manager().addWindow(&second);
    struct Place {
        const char* name;
        int x, y;
        const Zorir::Window* focus;
    } places[] = {
        {"another widget", 60, 115, &other},
        {"another spin box's field", 40, 60, &second.editField()},
        {"another spin box's arrow", arrowX, 54, &second.upButton()},
        {"no window at all (the map)", 200, 200, nullptr},
    };
    int32_t typed = 40;
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        click(30, 20);
        ASSERT_EQ(manager().focusWindow(), &box_.editField());
        // Ctrl+A, then the number over the selection, and no Return.
        type("\x01" + Zorir::toString(++typed));
        ASSERT_NE(box_.value(), typed) << "not without Return";
        click(place.x, place.y);
        EXPECT_EQ(manager().focusWindow(), place.focus);
        EXPECT_EQ(box_.value(), typed);
        EXPECT_EQ(box_.editField().text(), Zorir::toString(typed));
    }
    // A click back into the field being typed in loses nothing either.
    click(30, 20);
    type("\x01" "7");
    click(40, 20);
    EXPECT_EQ(manager().focusWindow(), &box_.editField());
    type("\r");
    EXPECT_EQ(box_.value(), 7);
    manager().removeWindow(&second);
    manager().removeWindow(&other);
}

TEST_F(SpinBoxTest, TheFieldShowsEveryValueSetAndTheArrowsStepFromIt)
{
    struct Case {
        const char* name;
        void (*change)(Zorir::SpinBox&);
        const char* shown;
        int arrowY;
        int32_t stepped;
    } cases[] = {
        {"a value set in code", [](Zorir::SpinBox& box) { box.setValue(0); }, "0", upY, 1},
        {"a value set outside the range", [](Zorir::SpinBox& box) { box.setValue(900); }, "255", downY, 254},
        {"a lower maximum", [](Zorir::SpinBox& box) { box.setMaximum(3); }, "3", downY, 2},
        {"a higher minimum", [](Zorir::SpinBox& box) { box.setMinimum(9); }, "9", upY, 10},
    };
    // Each case has a box of its own in the fixture's place.
    manager().removeWindow(&box_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zorir::SpinBox box(nullptr, 5);
        box.setRectangle(Rectangle(10, 10, 110, 30));
        manager().addWindow(&box);
        c.change(box);
        EXPECT_EQ(box.editField().text(), c.shown);
        click(arrowX, c.arrowY);
        EXPECT_EQ(box.value(), c.stepped);
        EXPECT_EQ(box.editField().text(), Zorir::toString(c.stepped));
        manager().removeWindow(&box);
    }
}

// Hidden or disabled while an arrow is held, as a panel is hidden by a key
// under a held button: the repeat ends, and the capture with it, so the
// widget is clicked as before once it is back.
TEST_F(SpinBoxTest, HidingOrDisablingAWidgetEndsItsHeldArrow)
{
    // Vertical, 16 thick: its up arrow at the top, its down arrow at the bottom.
    Zorir::ScrollBar bar(nullptr, Zorir::ScrollBar::Vertical, Zorir::Vector2(200, 0), 200);
    bar.setValue(100);
    manager().addWindow(&bar);
    struct Case {
        const char* name;
        Zorir::Slideable* widget;
        int x, y;
        bool hide;
    } cases[] = {
        {"a hidden spin box", &box_, arrowX, upY, true},
        {"a disabled spin box", &box_, arrowX, downY, false},
        {"a hidden scroll bar", &bar, 208, 8, true},
        {"a disabled scroll bar", &bar, 208, 192, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zorir::Slideable& widget = *c.widget;
        const int32_t start = widget.value();
        manager().onMouseMove(c.x, c.y);
        manager().onLeftButtonDown(c.x, c.y);
        runFor(400);
        ASSERT_GT(std::abs(widget.value() - start), 1) << "held, it repeats";
        c.hide ? widget.hide() : widget.setEnabled(false);
        const int32_t left = widget.value();
        runFor(400);
        EXPECT_EQ(widget.value(), left) << "no repeat once gone";
        EXPECT_EQ(manager().windowCapture(), nullptr);
        manager().onLeftButtonUp(c.x, c.y);
        widget.show();
        widget.setEnabled(true);

        click(150, 150);
        EXPECT_EQ(widget.value(), left) << "a click elsewhere";
        click(c.x, c.y);
        EXPECT_EQ(std::abs(widget.value() - left), 1) << "a click on the arrow steps once";
        EXPECT_EQ(manager().windowCapture(), nullptr);
        const int32_t clicked = widget.value();
        click(150, 150);
        runFor(400);
        EXPECT_EQ(widget.value(), clicked) << "and then no more";
    }
    manager().removeWindow(&bar);
}

TEST(NumberTextTest, ReadsAndWritesIntegersAsStreamsDo)
{
    EXPECT_EQ(Zorir::toString(-45), "-45");
    EXPECT_EQ(Zorir::toString(0), "0");
    struct Case {
        const char* text;
        bool read;
        int32_t value;
    } cases[] = {
        {"12abc", true, 12},  {"-7", true, -7},          {"  +8", true, 8},
        {"7 abc", true, 7},   {"abc", false, 99},        {"", false, 99},
        {"-", false, 99},     {" - 5", false, 99},       {"99999999999", true, 2147483647},
        {"-99999999999", true, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t value = 99;
        EXPECT_EQ(Zorir::fromString(c.text, value), c.read);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(Zorir::fromString(c.text), c.read ? c.value : 0);
    }
}

// The editor's spin box: each key's text is taken at once, clamped and
// written back; texts without a number leave the value.
class LiveSpinBoxTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Modifiers::initialize(); }
};

TEST_F(LiveSpinBoxTest, TheValueFollowsTheTyping)
{
    struct Case {
        const char* name;
        int32_t minimum, maximum, start;
        std::string keys;
        int32_t value;
        std::string text;
        std::string told;
    } cases[] = {
        {"the same number again says nothing", 0, 255, 2, "2", 2, "2", ""},
        {"a new number is taken", 0, 255, 2, "25", 25, "25", "TEXT CHANGED 25\n"},
        {"clamped and shown at once", 0, 100, 0, "150", 100, "100",
         "TEXT CHANGED 1\nTEXT CHANGED 15\nTEXT CHANGED 150\n"},
        {"30000 and above are told, not taken", 0, 50000, 0, "30000", 3000, "30000",
         "TEXT CHANGED 3\nTEXT CHANGED 30\nTEXT CHANGED 300\nTEXT CHANGED 3000\nTEXT CHANGED 30000\n"},
        {"a lone minus waits for its digits", -10, 255, 3, "-5", -5, "-5", "TEXT CHANGED -5\n"},
        {"below the minimum", 0, 255, 3, "-5", 0, "0", "TEXT CHANGED -5\n"},
        {"letters after the number", 0, 255, 0, "7 abc", 7, "7 abc", "TEXT CHANGED 7\n"},
        {"nothing typed", 0, 255, 42, "", 42, "", ""},
        {"one key past a clamped value", 0, 255, 0, "10005", 255, "255",
         "TEXT CHANGED 1\nTEXT CHANGED 10\nTEXT CHANGED 100\nTEXT CHANGED 1000\nTEXT CHANGED 2555\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zorir::Kesh_SuperSpinBox box(nullptr, 0);
        box.setRectangle(Rectangle(10, 10, 110, 30));
        box.setMaximum(c.maximum);
        box.setMinimum(c.minimum);
        box.setValue(c.start);
        manager().addWindow(&box);
        manager().setFocus(&box);
        ASSERT_EQ(manager().focusWindow(), &box.editField());
        box.editField().setText("");
        testing::internal::CaptureStdout();
        for (char key : c.keys) manager().onKeyPressed(static_cast<uint8_t>(key));
        const std::string told = testing::internal::GetCapturedStdout();
        EXPECT_EQ(box.value(), c.value);
        EXPECT_EQ(box.editField().text(), c.text);
        EXPECT_EQ(told, c.told);
        manager().removeWindow(&box);
    }
}

TEST_F(LiveSpinBoxTest, ValuesSetInCodeAreShown)
{
    Zorir::Kesh_SuperSpinBox box(nullptr, 40);
    EXPECT_EQ(box.editField().text(), "40");
    EXPECT_NE(dynamic_cast<Kesh_EditField*>(&box.editField()), nullptr);
    testing::internal::CaptureStdout();
    box.setValue(60);
    box.setMaximum(50);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(box.value(), 50);
    EXPECT_EQ(box.editField().text(), "50");
}

}  // namespace
