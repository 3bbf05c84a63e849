// Panels, static text and frame windows: routing of messages to children,
// hit tests, client placement and dragging.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/Button.h"
#include "libs/zorir/ComplexGridCellInfo.h"
#include "libs/zorir/FlowLayouter.h"
#include "libs/zorir/FrameWindow.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/StaticText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using Zorir::ComplexGridCellInfo;
using Zorir::Rectangle;
using Zorir::Vector2;
using zorirtest::RecordingMouseListener;
using zorirtest::TestWindow;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class WidgetTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Zorir::WindowManager::instance().initialize(sans, nullptr, nullptr, nullptr); }
    ~WidgetTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
    }
};

// A panel at (0, 0) of 200 x 100 with a button at (10, 10)..(60, 30).
class PanelTest : public WidgetTest {
protected:
    PanelTest()
    {
        panel_.addChildWindow(&button_, ComplexGridCellInfo());
        panel_.addChildWindow(&hidden_, ComplexGridCellInfo());
        panel_.setPosition({0, 0});
        button_.setRectangle(Rectangle(10, 10, 60, 30));
        hidden_.setRectangle(Rectangle(100, 10, 150, 30));
        hidden_.hide();
        panel_.addMessageListener(&panelListener_);
        manager().addWindow(&panel_);
    }
    ~PanelTest() override { panel_.removeMessageListener(&panelListener_); }

    Zorir::Panel panel_{Rectangle(0, 0, 200, 100), nullptr, "panel"};
    Zorir::Button button_{&panel_, "OK"};
    Zorir::Button hidden_{&panel_, "hidden"};
    RecordingMouseListener panelListener_;
};

TEST_F(PanelTest, AClickOnAChildNeverReachesThePanel)
{
    manager().onMouseMove(30, 20);
    panelListener_.clicks_.clear();
    EXPECT_TRUE(manager().onLeftButtonDown(30, 20));
    EXPECT_TRUE(manager().onLeftButtonUp(30, 20));
    EXPECT_TRUE(panelListener_.clicks_.empty());
    EXPECT_EQ(button_.state(), Zorir::BasicButton::RollOver);
}

TEST_F(PanelTest, AClickOnEmptyPanelAreaReachesThePanel)
{
    manager().onMouseMove(150, 80);
    EXPECT_TRUE(manager().onLeftButtonDown(150, 80));
    ASSERT_EQ(panelListener_.clicks_.size(), 1u);
    EXPECT_EQ(panelListener_.clicks_[0].event, Zorir::ClickEvent::Press);
}

TEST_F(PanelTest, HitTestsFindVisibleChildrenOnly)
{
    struct Case {
        Vector2 point;
        Zorir::Window* expected;
    } cases[] = {
        {{30, 20}, &button_},
        {{120, 20}, &panel_},  // the hidden child is not hit
        {{5, 5}, &panel_},
        {{250, 20}, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(panel_.windowAt(c.point), c.expected) << c.point.x << "," << c.point.y;
    EXPECT_TRUE(panel_.containsWindow(&hidden_));
    panel_.hide();
    EXPECT_EQ(panel_.windowAt({30, 20}), nullptr);
}

TEST_F(PanelTest, ANullLayouterKeepsTheOldOne)
{
    Zorir::BaseLayouter* old = &panel_.layouter();
    panel_.setLayouter(nullptr);
    EXPECT_EQ(&panel_.layouter(), old);
}

TEST_F(PanelTest, MovingThePanelArrangesItsChildren)
{
    // The default flow layouter places the visible button 4 pixels in.
    panel_.setPosition({20, 40});
    EXPECT_EQ(button_.position(), Vector2(24, 44));
}

TEST_F(WidgetTest, StaticTextIsAsLargeAsItsTextWithPadding)
{
    Zorir::StaticText label(nullptr, "Grid size");
    Zorir::TextDesc& text = *manager().propertyScheme()->staticTextDesc().textDesc;
    text.text = "Grid size";
    EXPECT_EQ(label.preferredSize(), text.textExtent() + Vector2(8, 8));
    label.setText("");
    EXPECT_EQ(label.preferredSize(), Vector2(8, 8 + text.textExtent().y));
}

// A draggable frame at (50, 50) of 200 x 150 with the default borders of 30,
// a client panel and a button inside it.
class FrameTest : public WidgetTest {
protected:
    FrameTest()
    {
        client_.setLayouter(new Zorir::FlowLayouter(Zorir::FlowLayouter::Left));
        client_.addChildWindow(&button_, ComplexGridCellInfo());
        frame_.setClientWindow(&client_);
        manager().addWindow(&other_);
        manager().addWindow(&frame_);
    }

    Zorir::FrameWindow frame_{Rectangle(50, 50, 250, 200), nullptr, "Tools"};
    Zorir::Panel client_{Rectangle(0, 0, 10, 10), &frame_, "client"};
    Zorir::Button button_{&client_, "OK"};
    TestWindow other_{Rectangle(0, 0, 40, 40)};
};

TEST_F(FrameTest, TheClientFillsTheAreaInsideTheBorders)
{
    EXPECT_EQ(frame_.clientRectangle(), Rectangle(80, 80, 220, 170));
    EXPECT_EQ(client_.rectangle(), frame_.clientRectangle());
    // The flow layouter put the button 4 pixels into the client.
    EXPECT_EQ(button_.position(), Vector2(84, 84));
}

TEST_F(FrameTest, HitTestsReachIntoTheClient)
{
    const Vector2 onButton = button_.rectangle().center();
    struct Case {
        const char* where;
        Vector2 point;
        Zorir::Window* expected;
    } cases[] = {
        {"border", {60, 60}, &frame_},
        {"client", {200, 150}, &client_},
        {"child", onButton, &button_},
        {"outside", {300, 300}, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(frame_.windowAt(c.point), c.expected) << c.where;
    EXPECT_TRUE(frame_.containsWindow(&button_));
    EXPECT_FALSE(frame_.containsWindow(&other_));
}

TEST_F(FrameTest, DraggingMovesFrameAndClientAndFreesTheCapture)
{
    frame_.setDraggable();
    manager().onMouseMove(100, 60);
    EXPECT_TRUE(manager().onLeftButtonDown(100, 60));
    EXPECT_EQ(manager().windowCapture(), &frame_);
    manager().onMouseMove(130, 50);
    // Moves far outside the frame still reach it.
    manager().onMouseMove(400, 300);
    EXPECT_EQ(frame_.position(), Vector2(350, 290));
    EXPECT_EQ(client_.position(), Vector2(380, 320));
    EXPECT_EQ(button_.position(), Vector2(384, 324));
    manager().onLeftButtonUp(400, 300);
    EXPECT_EQ(manager().windowCapture(), nullptr);
    EXPECT_EQ(frame_.dragPressCount(), 0);
    manager().onMouseMove(420, 300);
    EXPECT_EQ(frame_.position(), Vector2(350, 290));
}

// The host may report a press where no move was seen before (the pointer
// came over another window, or the press is the first event at all).
TEST_F(FrameTest, ADragStartsAtThePressWithoutAJump)
{
    frame_.setDraggable();
    EXPECT_TRUE(manager().onLeftButtonDown(60, 150));
    manager().onMouseMove(90, 140);
    EXPECT_EQ(frame_.position(), Vector2(80, 40));
    manager().onLeftButtonUp(90, 140);
}

TEST_F(FrameTest, APressOnAFixedFrameBringsItToTheFrontOnly)
{
    manager().bringToFront(&other_);
    EXPECT_GT(manager().zValue(&other_), manager().zValue(&frame_));
    EXPECT_TRUE(manager().onLeftButtonDown(100, 60));
    EXPECT_GT(manager().zValue(&frame_), manager().zValue(&other_));
    EXPECT_EQ(manager().windowCapture(), nullptr);
    manager().onMouseMove(60, 150);
    EXPECT_TRUE(manager().onLeftButtonUp(60, 150));
    EXPECT_EQ(frame_.position(), Vector2(50, 50));
}

TEST_F(FrameTest, OtherButtonsOnTheFrameAreNotHandled)
{
    EXPECT_FALSE(manager().onRightButtonDown(60, 60));
    EXPECT_FALSE(manager().onMiddleButtonDown(60, 60));
}

TEST_F(FrameTest, AClickOnTheClientsButtonDoesNotDragTheFrame)
{
    frame_.setDraggable();
    const Vector2 centre = button_.rectangle().center();
    const int x = static_cast<int>(centre.x), y = static_cast<int>(centre.y);
    manager().onMouseMove(x, y);
    manager().onLeftButtonDown(x, y);
    EXPECT_EQ(manager().windowCapture(), &button_);
    manager().onMouseMove(x + 30, y + 30);
    manager().onLeftButtonUp(x + 30, y + 30);
    EXPECT_EQ(frame_.position(), Vector2(50, 50));
}

TEST_F(WidgetTest, DestroyingAFrameLeavesItsClient)
{
    auto client = std::make_unique<TestWindow>(Rectangle(0, 0, 10, 10));
    {
        Zorir::FrameWindow frame(Rectangle(0, 0, 100, 100), nullptr, "");
        frame.setClientWindow(client.get());
    }
    client->setPosition({5, 5});
    EXPECT_EQ(client->position(), Vector2(5, 5));
}

}  // namespace
