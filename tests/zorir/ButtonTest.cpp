// Push buttons, toggle buttons, check boxes and button groups driven through
// the window manager as the host drives them.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/BasicButtonGroup.h"
#include "libs/zorir/Button.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/MessageListener.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Zorir::BasicButton;
using Zorir::Rectangle;
using Zorir::Vector2;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Counts what a button tells its users and keeps the order of the calls.
class Recorder : public Zorir::SlotHolder {
public:
    explicit Recorder(BasicButton& button) : button_(button)
    {
        button.pressed().connect(this, &Recorder::onPressed);
        button.released().connect(this, &Recorder::onReleased);
        button.clicked().connect(this, &Recorder::onClicked);
        button.toggled().connect(this, &Recorder::onToggled);
    }

    void onPressed()
    {
        ++pressed;
        toggledOnWhenPressed.push_back(button_.isToggledOn());
    }
    void onReleased() { ++released; }
    void onClicked() { ++clicked; }
    void onToggled(bool on) { toggled.push_back(on); }

    BasicButton& button_;
    int pressed = 0;
    int released = 0;
    int clicked = 0;
    std::vector<bool> toggled;
    std::vector<bool> toggledOnWhenPressed;
};

// Records the selection messages a toggle button sends itself.
class SelectionRecorder : public Zorir::MessageListener {
public:
    bool handleMessage(const Zorir::Message& message, Zorir::Window&) override
    {
        if (message.type() == Zorir::MessageType::Selected || message.type() == Zorir::MessageType::Deselected) {
            const auto& selection = static_cast<const Zorir::SelectionMessage&>(message);
            messages.push_back({message.type(), selection.index()});
        }
        return false;
    }

    struct Entry {
        uint32_t type;
        int32_t index;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> messages;
};

class ButtonTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Zorir::WindowManager::instance().initialize(sans, nullptr, nullptr, nullptr); }

    ButtonTest()
    {
        button_.setRectangle(Rectangle(10, 10, 60, 30));
        manager().addWindow(&button_);
    }
    ~ButtonTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
    }

    // Drives the pointer: "enter" and "leave" move it in and out of the
    // button, "press" and "release" use the left button where it is.
    void run(const std::vector<std::string>& steps)
    {
        for (const std::string& step : steps) {
            if (step == "enter") pointer_ = {30, 20};
            if (step == "leave") pointer_ = {100, 100};
            const int x = static_cast<int>(pointer_.x), y = static_cast<int>(pointer_.y);
            if (step == "press") {
                manager().onLeftButtonDown(x, y);
            } else if (step == "release") {
                manager().onLeftButtonUp(x, y);
            } else {
                manager().onMouseMove(x, y);
            }
        }
    }

    Zorir::Button button_{nullptr, "OK"};
    Vector2 pointer_{100, 100};
};

TEST_F(ButtonTest, EventSequencesGiveStateSignalsAndCapture)
{
    struct Case {
        const char* name;
        bool toggleButton;
        bool keepPressed;
        std::vector<std::string> steps;
        BasicButton::State state;
        int pressed, released, clicked;
        bool captured;
        bool on;
        size_t toggles;
    } cases[] = {
        {"enter", false, false, {"enter"}, BasicButton::RollOver, 0, 0, 0, false, false, 0},
        {"held", false, false, {"enter", "press"}, BasicButton::Pressed, 1, 0, 0, true, false, 0},
        {"click", false, false, {"enter", "press", "release"}, BasicButton::RollOver, 1, 1, 1, false, false, 0},
        {"click and leave", false, false, {"enter", "press", "release", "leave"}, BasicButton::Normal, 1, 1, 1,
         false, false, 0},
        // The leave tells `released`; the release outside tells nothing.
        {"released outside", false, false, {"enter", "press", "leave", "release"}, BasicButton::Normal, 1, 1, 0,
         false, false, 0},
        {"held outside", false, false, {"enter", "press", "leave"}, BasicButton::Normal, 1, 1, 0, true, false, 0},
        {"back in", false, false, {"enter", "press", "leave", "enter"}, BasicButton::Pressed, 2, 1, 0, true, false,
         0},
        {"back in and released", false, false, {"enter", "press", "leave", "enter", "release"},
         BasicButton::RollOver, 2, 2, 1, false, false, 0},
        {"kept pressed outside", false, true, {"enter", "press", "leave"}, BasicButton::Pressed, 1, 0, 0, true,
         false, 0},
        {"kept pressed, released outside", false, true, {"enter", "press", "leave", "release"},
         BasicButton::Normal, 1, 0, 0, false, false, 0},
        {"kept pressed, back in", false, true, {"enter", "press", "leave", "enter", "release"},
         BasicButton::RollOver, 2, 1, 1, false, false, 0},
        {"toggle click", true, false, {"enter", "press", "release"}, BasicButton::RollOver, 1, 1, 1, false, true,
         1},
        {"toggle two clicks", true, false, {"enter", "press", "release", "press", "release"},
         BasicButton::RollOver, 2, 2, 2, false, false, 2},
        // Leaving and coming back while held presses again but flips once.
        {"toggle wandering", true, false, {"enter", "press", "leave", "enter", "leave", "enter", "release"},
         BasicButton::RollOver, 3, 3, 1, false, true, 1},
        {"toggle released outside", true, false, {"enter", "press", "leave", "release"}, BasicButton::Normal, 1, 1,
         0, false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zorir::Button button(nullptr, "OK");
        button.setRectangle(Rectangle(10, 10, 60, 30));
        button.setToggleButton(c.toggleButton);
        if (c.keepPressed) button.setKeepPressedOnLeave();
        manager().removeAllWindows();
        manager().addWindow(&button);
        pointer_ = {100, 100};
        Recorder recorder(button);
        run(c.steps);
        EXPECT_EQ(button.state(), c.state);
        EXPECT_EQ(recorder.pressed, c.pressed);
        EXPECT_EQ(recorder.released, c.released);
        EXPECT_EQ(recorder.clicked, c.clicked);
        EXPECT_EQ(manager().windowCapture() == &button, c.captured);
        EXPECT_EQ(button.isToggledOn(), c.on);
        EXPECT_EQ(recorder.toggled.size(), c.toggles);
        if (manager().windowCapture()) manager().releaseMouse();
        manager().removeAllWindows();
    }
}

TEST_F(ButtonTest, OtherMouseButtonsAreNotHandled)
{
    Recorder recorder(button_);
    run({"enter"});
    EXPECT_FALSE(manager().onRightButtonDown(30, 20));
    EXPECT_FALSE(manager().onMiddleButtonDown(30, 20));
    EXPECT_EQ(recorder.pressed, 0);
    EXPECT_EQ(manager().windowCapture(), nullptr);
}

TEST_F(ButtonTest, AToggleButtonFlipsBeforeItsUsersHearThePress)
{
    button_.setToggleButton(true);
    Recorder recorder(button_);
    run({"enter", "press", "release"});
    EXPECT_EQ(recorder.toggledOnWhenPressed, std::vector<bool>{true});
    // Its users may still flip it from code.
    button_.toggle();
    EXPECT_FALSE(button_.isToggledOn());
}

TEST_F(ButtonTest, APushButtonIgnoresToggling)
{
    Recorder recorder(button_);
    button_.toggle();
    button_.setToggled(true);
    EXPECT_FALSE(button_.isToggledOn());
    EXPECT_TRUE(recorder.toggled.empty());
}

TEST_F(ButtonTest, HidingAHeldButtonLetsTheReleaseEndCleanly)
{
    run({"enter", "press"});
    button_.hide();
    EXPECT_EQ(manager().windowCapture(), nullptr);
    button_.show();
    run({"release"});
    EXPECT_EQ(manager().windowCapture(), nullptr);
}

TEST_F(ButtonTest, AButtonWithoutAGroupSelectsItselfWithIndexZero)
{
    SelectionRecorder selections;
    button_.addMessageListener(&selections);
    button_.setToggleButton(true);
    button_.setToggled(true);
    button_.setToggled(true);
    button_.setToggled(false);
    using Entry = SelectionRecorder::Entry;
    EXPECT_EQ(selections.messages,
              (std::vector<Entry>{{Zorir::MessageType::Selected, 0}, {Zorir::MessageType::Deselected, 0}}));
    button_.removeMessageListener(&selections);
}

class GroupTest : public ButtonTest {
protected:
    GroupTest()
    {
        for (Zorir::Button* button : {&first_, &second_, &third_}) {
            button->setToggleButton(true);
            button->addMessageListener(&selections_);
        }
        first_.setRectangle(Rectangle(100, 10, 150, 30));
        second_.setRectangle(Rectangle(100, 40, 150, 60));
        third_.setRectangle(Rectangle(100, 70, 150, 90));
        for (Zorir::Button* button : {&first_, &second_, &third_}) manager().addWindow(button);
    }

    void click(const Zorir::Button& button)
    {
        const Vector2 centre = button.rectangle().center();
        manager().onMouseMove(static_cast<int>(centre.x), static_cast<int>(centre.y));
        manager().onLeftButtonDown(static_cast<int>(centre.x), static_cast<int>(centre.y));
        manager().onLeftButtonUp(static_cast<int>(centre.x), static_cast<int>(centre.y));
        now_ += 1000;  // no double clicks
    }
    std::vector<bool> onStates() const
    {
        return {first_.isToggledOn(), second_.isToggledOn(), third_.isToggledOn()};
    }

    Zorir::BasicButtonGroup group_;
    Zorir::Button first_{nullptr, "first", &group_};
    Zorir::Button second_{nullptr, "second", &group_};
    Zorir::Button third_{nullptr, "third", &group_};
    SelectionRecorder selections_;
};

TEST_F(GroupTest, ExactlyOneButtonStaysOn)
{
    EXPECT_EQ(onStates(), (std::vector<bool>{false, false, false}));
    struct Step {
        Zorir::Button* clicked;
        std::vector<bool> on;
    } steps[] = {
        {&first_, {true, false, false}},  {&second_, {false, true, false}}, {&second_, {false, true, false}},
        {&third_, {false, false, true}},  {&first_, {true, false, false}},
    };
    for (const Step& step : steps) {
        click(*step.clicked);
        EXPECT_EQ(onStates(), step.on) << step.clicked->text();
    }
}

TEST_F(GroupTest, SwitchingAnotherOnSwitchesTheOldOneOffWithItsIndex)
{
    Recorder firstRecorder(first_);
    click(first_);
    selections_.messages.clear();
    click(second_);
    using Entry = SelectionRecorder::Entry;
    EXPECT_EQ(selections_.messages,
              (std::vector<Entry>{{Zorir::MessageType::Selected, 1}, {Zorir::MessageType::Deselected, 0}}));
    EXPECT_EQ(firstRecorder.toggled, (std::vector<bool>{true, false}));
    // The one that is on cannot be switched off alone.
    second_.setToggled(false);
    EXPECT_TRUE(second_.isToggledOn());
}

TEST_F(GroupTest, ButtonsLeaveTheGroupWhenDestroyed)
{
    {
        Zorir::Button extra(nullptr, "extra", &group_);
        EXPECT_EQ(group_.indexOf(&extra), 3);
    }
    EXPECT_EQ(group_.buttons().size(), 3u);
    try {
        group_.indexOf(&button_);
        FAIL() << "found a button that is not in the group";
    } catch (const Zorir::Core::StandardException& error) {
        EXPECT_NE(std::string(error.what()).find("A group does not contain the button which was to be retrieved"),
                  std::string::npos);
    }
}

TEST_F(ButtonTest, CheckBoxesAreToggleButtonsThatFlip)
{
    Zorir::CheckBox box(nullptr, "snap");
    EXPECT_TRUE(box.isToggleButton());
    box.flip();
    EXPECT_TRUE(box.isToggledOn());
    box.check();
    EXPECT_TRUE(box.isToggledOn());
    box.flip();
    EXPECT_FALSE(box.isToggledOn());
}

TEST_F(ButtonTest, PreferredSizesLeaveRoomAroundTheText)
{
    Zorir::CheckBox box(nullptr, "mirror geo");
    // textSize is the text extent plus 4 on every side.
    const Vector2 buttonText = button_.descriptionInForce()->textSize();
    const Vector2 boxText = box.descriptionInForce()->textSize();
    ASSERT_GT(buttonText.x, 8.0f);
    EXPECT_EQ(button_.preferredSize(), buttonText + Vector2(8, 8));
    // A text extent of (40, 12) gives (76, 28): the mark takes a square of the height.
    EXPECT_EQ(box.preferredSize(), Vector2(boxText.x + boxText.y + 8, boxText.y + 8));
}

TEST_F(ButtonTest, MeasuringWithoutAButtonIsAFailedAssertion)
{
    Zorir::ButtonDesc look;
    try {
        look.textSize();
        FAIL() << "measured without a button";
    } catch (const Zorir::Core::StandardException& error) {
        EXPECT_NE(std::string(error.what()).find("Assertion <button_ != 0> failed"), std::string::npos);
    }
}

TEST_F(ButtonTest, AButtonWithoutItsOwnLookUsesTheScheme)
{
    EXPECT_EQ(button_.descriptionInForce(), &manager().propertyScheme()->buttonDesc());
    EXPECT_EQ(manager().propertyScheme()->buttonDesc().button(), &button_);
    button_.loadAppearance("no-such-file.xml", "look");
    EXPECT_EQ(button_.descriptionInForce(), button_.description());
}

}  // namespace
