// The grid and flow layouters placing windows inside a panel.
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/ComplexGridCellInfo.h"
#include "libs/zorir/ComplexGridLayouter.h"
#include "libs/zorir/FlowLayouter.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/core/StandardException.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Zorir::ComplexGridCellInfo;
using Zorir::ComplexGridLayouter;
using Zorir::FlowLayouter;
using Zorir::Rectangle;
using Zorir::Vector2;
using zorirtest::TestWindow;

constexpr uint32_t automatic = ComplexGridCellInfo::automatic;

ComplexGridCellInfo cell(uint32_t row, uint32_t column, uint32_t columnSpan = 1, uint32_t rowSpan = 1)
{
    ComplexGridCellInfo info;
    info.row = row;
    info.column = column;
    info.columnSpan = columnSpan;
    info.rowSpan = rowSpan;
    return info;
}

// A panel at (10, 20) with its children, laid out by a grid of margin (2, 2).
class GridTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    GridTest() { panel_.setLayouter(grid_ = new ComplexGridLayouter(Vector2(2, 2))); }

    TestWindow* add(const ComplexGridCellInfo& info)
    {
        windows_.push_back(std::make_unique<TestWindow>(Rectangle(0, 0, 10, 10), &panel_));
        panel_.addChildWindow(windows_.back().get(), info);
        return windows_.back().get();
    }
    void arrange(float width, float height) { panel_.setRectangle(Rectangle(10, 20, 10 + width, 20 + height)); }

    Zorir::Panel panel_{Rectangle(10, 20, 110, 120), nullptr, "panel"};
    ComplexGridLayouter* grid_;
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

TEST_F(GridTest, AutomaticCellsFollowInTheRowAndTheColumnCarriesOver)
{
    // Panel 306 x 104: 300 x 100 inside the margins; four automatic columns
    // of 75 in two automatic rows of 50.
    TestWindow* a = add(ComplexGridCellInfo());
    TestWindow* b = add(ComplexGridCellInfo());
    TestWindow* c = add(ComplexGridCellInfo());
    TestWindow* d = add(cell(1, automatic));
    arrange(304, 104);
    EXPECT_EQ(grid_->numberOfColumns(), 4u);
    EXPECT_EQ(grid_->numberOfRows(), 2u);
    struct Expected {
        TestWindow* window;
        Rectangle placed;
    } expected[] = {
        {a, Rectangle(12 + 3, 22 + 3, 12 + 75 - 3, 22 + 50 - 3)},
        {b, Rectangle(12 + 75 + 3, 22 + 3, 12 + 150 - 3, 22 + 50 - 3)},
        {c, Rectangle(12 + 150 + 3, 22 + 3, 12 + 225 - 3, 22 + 50 - 3)},
        {d, Rectangle(12 + 225 + 3, 22 + 50 + 3, 12 + 300 - 3, 22 + 100 - 3)},
    };
    for (const Expected& e : expected) EXPECT_EQ(e.window->rectangle(), e.placed);
}

TEST_F(GridTest, ATakenCellMovesTheWindowToTheNextFreeColumn)
{
    grid_->setColumnWidths({50, 50, 50});
    grid_->setRowHeights({20});
    add(cell(0, 0, 2));
    TestWindow* moved = add(cell(0, 1));
    arrange(154, 24);
    EXPECT_EQ(moved->position(), Vector2(12 + 100 + 3, 22 + 3));
}

TEST_F(GridTest, SpansCoverTheirCellsLessTheSpacing)
{
    grid_->setColumnWidths({90, 40, 40});
    grid_->setRowHeights({30, 30});
    ComplexGridCellInfo info = cell(0, 1, 2, 2);
    info.horizontalSpacing = 5;
    info.verticalSpacing = 1;
    TestWindow* first = add(cell(0, 0));
    TestWindow* spanning = add(info);
    arrange(174, 64);
    // A cell of width 90 with spacing 3 makes its window 84 wide.
    EXPECT_EQ(first->size(), Vector2(84, 24));
    EXPECT_EQ(spanning->rectangle(), Rectangle(12 + 90 + 5, 22 + 1, 12 + 170 - 5, 22 + 60 - 1));
}

TEST_F(GridTest, SizesResolveAgainstTheAvailableSpace)
{
    struct Case {
        std::vector<float> given;
        float available;
        uint32_t inUse;
        std::vector<float> resolved;
    } cases[] = {
        {{90}, 300, 1, {90}},
        {{0, 0}, 200, 2, {100, 100}},
        {{50}, 200, 3, {50, 75, 75}},
        {{50, 0, 30}, 200, 3, {50, 120, 30}},
        // The entry that crosses the limit gets what is left, later ones 0.
        {{80, 80, 80, 10}, 200, 4, {80, 80, 40, 0}},
        {{150, 100, 0}, 200, 3, {150, 50, 0}},
        {{}, 90, 3, {30, 30, 30}},
        {{40, 40, 40}, 200, 1, {40, 40, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.given) + " in " + std::to_string(c.available));
        EXPECT_EQ(ComplexGridLayouter::resolveSizes(c.given, c.available, c.inUse), c.resolved);
    }
}

TEST_F(GridTest, APanelSmallerThanItsMarginsGivesEmptyWindows)
{
    TestWindow* window = add(ComplexGridCellInfo());
    arrange(3, 3);
    EXPECT_EQ(window->size(), Vector2(0, 0));
}

TEST_F(GridTest, OnlyCellInformationIsAccepted)
{
    struct OtherInfo : Zorir::LayoutInfo {
        const std::string& type() const override
        {
            static const std::string name = "FlowInfo";
            return name;
        }
    };
    TestWindow window(Rectangle(0, 0, 1, 1));
    try {
        grid_->addWindow(&window, OtherInfo());
        FAIL() << "accepted another kind of layout information";
    } catch (const Zorir::Core::StandardException& error) {
        EXPECT_NE(std::string(error.what()).find("inf.type() == \"ComplexGridCellInfo\""), std::string::npos);
    }
}

// A flow panel at (0, 0) of the given size with windows of the given widths,
// all 10 high.
class FlowTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    void layOut(FlowLayouter::Alignment alignment, float width, float height, const std::vector<float>& widths)
    {
        panel_.setLayouter(new FlowLayouter(alignment));
        for (float w : widths) {
            windows_.push_back(std::make_unique<TestWindow>(Rectangle(0, 0, w, 10), &panel_));
            panel_.addChildWindow(windows_.back().get(), ComplexGridCellInfo());
        }
        panel_.setSize({width, height});
    }
    Vector2 position(size_t index) const { return windows_[index]->position(); }

    Zorir::Panel panel_{Rectangle(0, 0, 1, 1), nullptr, "panel"};
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

TEST_F(FlowTest, RowsWrapAtThePanelWidth)
{
    layOut(FlowLayouter::Left, 100, 100, {40, 40, 40});
    EXPECT_EQ(position(0), Vector2(4, 4));
    EXPECT_EQ(position(1), Vector2(48, 4));
    EXPECT_EQ(position(2), Vector2(4, 18));
}

TEST_F(FlowTest, RowsAlignRightOrCentred)
{
    layOut(FlowLayouter::Right, 100, 100, {30, 20});
    // The row ends at x 4 + 34 + 24 = 62: it starts at 100 - 62 + 4.
    EXPECT_EQ(position(0), Vector2(42, 4));
    EXPECT_EQ(position(1), Vector2(76, 4));
}

TEST_F(FlowTest, CentredRowsShareTheRest)
{
    layOut(FlowLayouter::Centred, 100, 100, {30, 20});
    EXPECT_EQ(position(0), Vector2(50 - 31 + 4, 4));
}

// However narrow the panel and wide the windows, every window is placed
// once, each row taking at least one.
TEST_F(FlowTest, AwkwardWidthsStillEnd)
{
    struct Case {
        float panelWidth;
        std::vector<float> widths;
    } cases[] = {
        {100, {200, 200, 5}},
        {9, {1, 1, 1}},         // narrower than two gaps: windows shrink to nothing
        {4.5f, {10}},
        {100.1f, {92.1f, 92.1f}},
        {8, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panelWidth);
        windows_.clear();
        panel_.setLayouter(new FlowLayouter(FlowLayouter::Left));
        layOut(FlowLayouter::Left, c.panelWidth, 1000, c.widths);
        float lastY = -1;
        for (size_t index = 0; index < windows_.size(); ++index) {
            EXPECT_GE(windows_[index]->size().x, 0.0f);
            EXPECT_LE(windows_[index]->size().x, std::max(c.widths[index], 0.0f));
            EXPECT_GE(position(index).y, lastY);
            lastY = position(index).y;
        }
    }
}

TEST_F(FlowTest, APanelNarrowerThanTheGapPlacesNothing)
{
    layOut(FlowLayouter::Left, 3, 100, {1});
    EXPECT_EQ(position(0), Vector2(0, 0));
}

TEST_F(FlowTest, TallWindowsShrinkToThePanelHeight)
{
    layOut(FlowLayouter::Left, 100, 8, {20});
    EXPECT_EQ(windows_[0]->size(), Vector2(20, 0));
}

}  // namespace
