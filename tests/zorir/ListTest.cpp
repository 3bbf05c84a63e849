// Scroll bars, list boxes and combo boxes driven through the window manager
// as the host drives them.
#include "tests/zorir/Modifiers.h"
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/ComboBox.h"
#include "libs/zorir/ListBox.h"
#include "libs/zorir/ListControl.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/MessageListener.h"
#include "libs/zorir/ScrollBar.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

using zorirtest::Modifiers;
using Zorir::Rectangle;
using Zorir::Vector2;

class ListTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Modifiers::initialize(); }
    ~ListTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
    }

    void click(float x, float y)
    {
        manager().onMouseMove(static_cast<int>(x), static_cast<int>(y));
        manager().onLeftButtonDown(static_cast<int>(x), static_cast<int>(y));
        manager().onLeftButtonUp(static_cast<int>(x), static_cast<int>(y));
    }
};

// What a window hears of selections, and what a list's signals say.
struct Heard : Zorir::SlotHolder, Zorir::MessageListener {
    bool handleMessage(const Zorir::Message& message, Zorir::Window&) override
    {
        if (message.type() == Zorir::MessageType::Selected || message.type() == Zorir::MessageType::Deselected) {
            messages.push_back({message.type(), static_cast<const Zorir::SelectionMessage&>(message).index()});
        }
        return false;
    }
    void selectionChanged(int index) { selections.push_back(index); }
    void moved(int value) { slid.push_back(value); }
    void text(const std::string& t) { texts.push_back(t); }
    void clicked() { ++clicks; }

    struct Entry {
        uint32_t type;
        int32_t index;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> messages;
    std::vector<int> selections;
    std::vector<int> slid;
    std::vector<std::string> texts;
    int clicks = 0;
};

// A vertical bar 200 long and 16 thick: arrows at 0..16 and 184..200, the
// track between.
class ScrollBarTest : public ListTest {
protected:
    ScrollBarTest()
    {
        bar_.setMaximum(100);
        bar_.setPageSize(20);
        bar_.setPageStep(10);
        bar_.setValue(50);
        manager().addWindow(&bar_);
        bar_.sliderMoved().connect(&heard_, &Heard::moved);
    }
    // The middle of the slider, along the bar.
    float sliderMiddle() const { return bar_.sliderPosition() + 0.5f * bar_.sliderLength(); }

    Zorir::ScrollBar bar_{nullptr, Zorir::ScrollBar::Vertical, Vector2(0, 0), 200};
    Heard heard_;
};

TEST_F(ScrollBarTest, TrackClicksPageBeforeAndAfterTheSlider)
{
    ASSERT_EQ(bar_.thickness(), 16.0f);
    manager().onLeftButtonDown(8, 30);
    EXPECT_EQ(bar_.value(), 50) << "only the release counts";
    manager().onLeftButtonUp(8, 30);
    EXPECT_EQ(bar_.value(), 40);
    click(8, 175);
    EXPECT_EQ(bar_.value(), 50);
    click(8, sliderMiddle());
    EXPECT_EQ(bar_.value(), 50) << "on the slider";
    click(8, 8);
    EXPECT_EQ(bar_.value(), 49) << "the up arrow steps";
    bar_.decrementTimer().stop();
}

TEST_F(ScrollBarTest, TheSliderLengthFollowsPageAndRangeBothWays)
{
    const float track = bar_.trackLength();
    EXPECT_FLOAT_EQ(bar_.sliderLength(), 0.2f * track);
    bar_.setMaximum(1000);
    bar_.setPageSize(20);
    EXPECT_FLOAT_EQ(bar_.sliderLength(), bar_.thickness()) << "never thinner than the bar";
    bar_.setMaximum(40);
    bar_.setPageSize(20);
    EXPECT_FLOAT_EQ(bar_.sliderLength(), 0.5f * track) << "longer again as the content shrinks";
    bar_.setPageSize(400);
    EXPECT_EQ(bar_.pageSize(), 40) << "the page is cut to the range";
    EXPECT_FLOAT_EQ(bar_.sliderLength(), track);
}

TEST_F(ScrollBarTest, DraggingTheSliderSetsTheValue)
{
    const float middle = sliderMiddle();
    manager().onMouseMove(8, static_cast<int>(middle));
    manager().onLeftButtonDown(8, static_cast<int>(middle));
    const float ppv = bar_.pixelsPerValue();
    manager().onMouseMove(8, static_cast<int>(middle) + 27);
    EXPECT_EQ(bar_.value(), 50 + static_cast<int>(std::lround(27 / ppv)));
    EXPECT_EQ(heard_.slid, std::vector<int>{bar_.value()});
    // Far past the end the value stops at the maximum.
    manager().onMouseMove(8, 400);
    EXPECT_EQ(bar_.value(), 100);
    manager().onLeftButtonUp(8, 400);
    EXPECT_EQ(manager().windowCapture(), nullptr);
}

TEST_F(ScrollBarTest, ADragWithNoRoomToMoveChangesNothing)
{
    bar_.setPageSize(100);
    ASSERT_FLOAT_EQ(bar_.pixelsPerValue(), 0.0f);
    const float middle = sliderMiddle();
    manager().onLeftButtonDown(8, static_cast<int>(middle));
    manager().onMouseMove(8, static_cast<int>(middle) + 20);
    manager().onMouseMove(8, static_cast<int>(middle) - 40);
    EXPECT_EQ(bar_.value(), 50);
    EXPECT_TRUE(heard_.slid.empty());
    manager().onLeftButtonUp(8, static_cast<int>(middle));
}

class ListBoxTest : public ListTest {
protected:
    ListBoxTest()
    {
        for (const char* line : {"alpha", "beta", "gamma"}) list_.addString(line);
        list_.addMessageListener(&heard_);
        list_.selectionChanged().connect(&heard_, &Heard::selectionChanged);
        list_.clicked().connect(&heard_, &Heard::clicked);
        manager().addWindow(&list_);
    }
    ~ListBoxTest() override { list_.removeMessageListener(&heard_); }

    // The middle of a line, left of the scroll bar.
    Vector2 lineMiddle(int line) const { return {50, 10 + (line + 0.5f) * list_.linePitch()}; }
    void clickLine(int line) { click(lineMiddle(line).x, lineMiddle(line).y); }

    Zorir::ListBox list_{nullptr, Rectangle(10, 10, 160, 200)};
    Heard heard_;
};

TEST_F(ListBoxTest, SelectingTellsTheListOfTheOldAndTheNewLine)
{
    using Entry = Heard::Entry;
    list_.setSelectedIndex(1);
    list_.setSelectedIndex(1);
    list_.setSelectedIndex(-1);
    list_.setSelectedIndex(2);
    list_.setSelectedIndex(3);
    EXPECT_EQ(heard_.messages, (std::vector<Entry>{{12, -1}, {11, 1}, {12, 1}, {12, -1}, {11, 2}, {12, 2}}));
    EXPECT_EQ(list_.selectedIndex(), -1);
    EXPECT_TRUE(heard_.selections.empty()) << "only a click signals";
}

TEST_F(ListBoxTest, ClicksSelectLinesThatExist)
{
    ASSERT_GT(list_.linePitch(), 0.0f);
    clickLine(1);
    EXPECT_EQ(list_.selectedIndex(), 1);
    EXPECT_EQ(heard_.selections, std::vector<int>{1});
    EXPECT_EQ(heard_.clicks, 1);
    heard_.messages.clear();
    clickLine(1);
    EXPECT_TRUE(heard_.messages.empty()) << "the selected line again";
    clickLine(5);
    EXPECT_EQ(list_.selectedIndex(), 1) << "below the last line";
    EXPECT_EQ(heard_.selections, std::vector<int>{1});
    EXPECT_TRUE(heard_.messages.empty());
}

TEST_F(ListBoxTest, TheHighlightFollowsThePointerOverTheLinesOnly)
{
    manager().onMouseMove(static_cast<int>(lineMiddle(2).x), static_cast<int>(lineMiddle(2).y));
    EXPECT_EQ(list_.highlightedIndex(), 2);
    manager().onMouseMove(150, static_cast<int>(lineMiddle(0).y));
    EXPECT_EQ(list_.highlightedIndex(), 2) << "over the scroll bar";
    manager().onMouseMove(250, 250);
    EXPECT_EQ(list_.highlightedIndex(), -1);
}

TEST_F(ListBoxTest, TheScrollRangeCountsPixelsOfContent)
{
    const float pitch = list_.linePitch();
    Zorir::ListBox empty(nullptr, Rectangle(10, 10, 160, 200));
    EXPECT_GE(empty.scrollBar().maximum(), 1);
    EXPECT_GE(empty.scrollBar().pageStep(), 1);
    EXPECT_NO_THROW(empty.scrollBar().range());

    for (int i = 0; i < 100; ++i) list_.addString("line");
    const Zorir::ScrollBar& bar = list_.scrollBar();
    EXPECT_EQ(bar.maximum(), static_cast<int32_t>(pitch * 102 + 0.5f * pitch));
    EXPECT_EQ(bar.pageSize(), 190);
    EXPECT_EQ(bar.step(), static_cast<int32_t>(pitch));
    EXPECT_EQ(bar.pageStep(), 190 - static_cast<int32_t>(pitch));
    list_.scrollBar().setValue(static_cast<int32_t>(10 * pitch));
    EXPECT_EQ(list_.firstVisibleLine(), 10);
    EXPECT_EQ(list_.lineAt({5, 0.5f * pitch}), 10);
}

TEST_F(ListBoxTest, StringsByIndex)
{
    EXPECT_EQ(list_.stringAt(1), "beta");
    EXPECT_EQ(list_.stringAt(3), "");
    EXPECT_TRUE(list_.contains("gamma"));
    EXPECT_EQ(list_.indexOf("gamma"), 2);
    try {
        list_.indexOf("delta");
        FAIL();
    } catch (const Zorir::Core::StandardException& error) {
        EXPECT_NE(std::string(error.what()).find("Tried to get the index of an invalid string"), std::string::npos);
    }
}

TEST_F(ListTest, ListControlColumnsShareTheWidthAndTheLastTakesTheRest)
{
    Zorir::ListControl control(nullptr, Rectangle(0, 0, 302, 100), 3);
    EXPECT_EQ(control.columnWidths(), (std::vector<float>{100, 100, 100}));
    control.setSize({305, 100});
    EXPECT_EQ(control.columnWidths(), (std::vector<float>{101, 101, 101}));
    control.setColumnWidth(0, 50);
    EXPECT_EQ(control.columnWidths(), (std::vector<float>{50, 101, 152}));
    control.setSize({202, 100});
    EXPECT_EQ(control.columnWidths(), (std::vector<float>{50, 101, 49}));
}

TEST_F(ListTest, ListControlRows)
{
    Zorir::ListControl control(nullptr, Rectangle(0, 0, 200, 100), 2);
    control.addRow({"a"});
    EXPECT_EQ(control.row(0).text(0), "a");
    EXPECT_EQ(control.row(0).text(1), "");
    control.row(0).setText(1, "b");
    EXPECT_EQ(control.row(0).text(1), "b");
    EXPECT_THROW(control.row(0).setText(2, "c"), Zorir::Core::StandardException);
    EXPECT_THROW(control.addRow({"1", "2", "3"}), Zorir::Core::StandardException);
    EXPECT_EQ(control.rowCount(), 1);
    control.removeRow(1);
    EXPECT_EQ(control.rowCount(), 1);
    try {
        control.row(1);
        FAIL();
    } catch (const Zorir::Core::StandardException& error) {
        EXPECT_NE(std::string(error.what()).find("Tried to access the row of a ListControl with an invalid index"),
                  std::string::npos);
    }
    Zorir::ListControl files(nullptr, Rectangle(0, 0, 200, 100));
    EXPECT_EQ(files.numberOfColumns(), 1);
}

// Removing rows keeps the selection and the highlight on the rows they
// were on, or clears them with their row.
TEST_F(ListTest, RemovingRowsKeepsTheSelectionValid)
{
    Zorir::ListControl control(nullptr, Rectangle(0, 0, 200, 100));
    Heard heard;
    control.addMessageListener(&heard);
    for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"}) control.addRow({name});
    control.setSelectedIndex(2);
    control.setHighlightedIndex(3);
    control.removeRow(0);
    EXPECT_EQ(control.selectedIndex(), 1);
    EXPECT_EQ(control.row(control.selectedIndex()).text(0), "c.xml");
    EXPECT_EQ(control.highlightedIndex(), 2);
    heard.messages.clear();
    control.removeRow(1);
    EXPECT_EQ(control.selectedIndex(), -1);
    EXPECT_EQ(heard.messages, (std::vector<Heard::Entry>{{12, 1}}));
    control.removeRow(1);
    EXPECT_EQ(control.highlightedIndex(), -1);
    // The file dialogs empty the list by removing row 0 until none is left.
    control.setSelectedIndex(0);
    while (control.rowCount() > 0) control.removeRow(0);
    EXPECT_EQ(control.selectedIndex(), -1);
    EXPECT_GE(control.scrollBar().maximum(), 1);
    control.removeMessageListener(&heard);
}

class ComboBoxTest : public ListTest {
protected:
    ComboBoxTest()
    {
        for (const char* choice : {"circle", "rectangle", "polygon"}) combo_.addString(choice);
        combo_.currentTextChanged().connect(&heard_, &Heard::text);
        manager().addWindow(&combo_);
        manager().addWindow(&other_);
        manager().addWindow(&below_);
    }
    Vector2 choice(int line) const
    {
        return {50, combo_.list().position().y + (line + 0.5f) * combo_.list().linePitch()};
    }

    Zorir::ComboBox combo_{nullptr, Rectangle(10, 10, 160, 30)};
    // One window far away, one under where the list opens.
    zorirtest::TestWindow other_{Rectangle(200, 200, 250, 250)};
    zorirtest::TestWindow below_{Rectangle(10, 60, 160, 100)};
    Heard heard_;
};

TEST_F(ComboBoxTest, OpensChoosesAndCloses)
{
    click(50, 20);
    ASSERT_TRUE(combo_.isListShown());
    EXPECT_EQ(manager().popupWindow(), &combo_.list());
    EXPECT_EQ(combo_.list().position(), Vector2(10, 30));
    click(choice(1).x, choice(1).y);
    EXPECT_EQ(combo_.text(), "rectangle");
    EXPECT_EQ(heard_.texts, std::vector<std::string>{"rectangle"});
    EXPECT_FALSE(combo_.isListShown());
    EXPECT_EQ(manager().popupWindow(), nullptr);
    EXPECT_EQ(manager().focusWindow(), &combo_);

    click(50, 20);
    now_ += 1000;  // not a double click
    click(50, 20);
    EXPECT_FALSE(combo_.isListShown()) << "a second press closes it";
}

TEST_F(ComboBoxTest, AfterLosingTheFocusPressesUnderTheOldListReachTheirWindows)
{
    click(50, 20);
    ASSERT_TRUE(combo_.isListShown());
    // Losing the focus with the pointer over the list keeps it open.
    manager().onMouseMove(static_cast<int>(choice(0).x), static_cast<int>(choice(0).y));
    manager().setFocus(nullptr);
    EXPECT_TRUE(combo_.isListShown());
    manager().setFocus(&combo_);

    click(220, 220);
    EXPECT_EQ(manager().focusWindow(), &other_);
    EXPECT_FALSE(combo_.isListShown());
    EXPECT_EQ(manager().popupWindow(), nullptr);
    click(50, 80);
    EXPECT_EQ(manager().focusWindow(), &below_);
    EXPECT_EQ(combo_.text(), "") << "nothing was chosen";
}

// As when a key hides the panel that holds the box: the pointer rests on the
// open list, where losing the focus alone would keep it open.
TEST_F(ComboBoxTest, HidingOrDisablingTheBoxClosesItsList)
{
    for (const bool hide : {true, false}) {
        SCOPED_TRACE(hide ? "hidden" : "disabled");
        now_ += 1000;  // no double click with the last press
        click(50, 20);
        ASSERT_TRUE(combo_.isListShown());
        manager().onMouseMove(static_cast<int>(choice(0).x), static_cast<int>(choice(0).y));
        hide ? combo_.hide() : combo_.setEnabled(false);
        EXPECT_FALSE(combo_.isListShown());
        EXPECT_FALSE(combo_.list().isVisible());
        EXPECT_EQ(manager().popupWindow(), nullptr);
        // A press where the list hung reaches the window beneath.
        click(50, 80);
        EXPECT_EQ(manager().focusWindow(), &below_);
        EXPECT_EQ(combo_.text(), "") << "nothing was chosen";
        // Back again, one press opens the list.
        combo_.show();
        combo_.setEnabled(true);
        now_ += 1000;
        click(50, 20);
        EXPECT_TRUE(combo_.isListShown());
        combo_.closeUp();
    }
}

TEST_F(ComboBoxTest, DestroyedWithItsListOpenItLeavesNothingBehind)
{
    Heard owner;
    {
        Zorir::ComboBox open(nullptr, Rectangle(10, 120, 160, 140));
        open.addString("one");
        manager().addWindow(&open);
        open.dropDown();
        ASSERT_EQ(manager().popupWindow(), &open.list());
        open.closedUp().connect(&owner, &Heard::clicked);
    }
    EXPECT_EQ(owner.clicks, 0) << "an owner destroying the box hears nothing";
    EXPECT_EQ(manager().popupWindow(), nullptr);
    click(50, 150);
    EXPECT_EQ(manager().focusWindow(), nullptr);
}

TEST_F(ComboBoxTest, CurrentTextAndItem)
{
    combo_.setCurrentText("polygon");
    EXPECT_EQ(combo_.list().selectedIndex(), 2);
    combo_.setCurrentText("True Being Spawn");
    EXPECT_EQ(combo_.list().count(), 4);
    EXPECT_EQ(combo_.list().selectedIndex(), 3);
    EXPECT_EQ(combo_.text(), "True Being Spawn");
    combo_.setCurrentItem(4);
    combo_.setCurrentItem(-1);
    EXPECT_EQ(combo_.text(), "True Being Spawn");
    EXPECT_EQ(heard_.texts.size(), 2u);
    Zorir::ComboBox empty(nullptr, Rectangle(0, 0, 10, 10));
    empty.setCurrentItem(0);
    EXPECT_EQ(empty.text(), "");
}

}  // namespace
