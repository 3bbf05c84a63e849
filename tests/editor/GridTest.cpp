#include "editor/app/simulation/GridLines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct SnapCase {
    int32_t value;
    int32_t snapped;
};

TEST(Grid, SnapsToTheNearestCellHalfACellGoingAwayFromZero)
{
    for (const SnapCase& c : {SnapCase{63, 0}, SnapCase{64, 128}, SnapCase{191, 128}, SnapCase{192, 256},
                              SnapCase{-63, 0}, SnapCase{-64, -128}, SnapCase{-130, -128}, SnapCase{-200, -256},
                              SnapCase{0, 0}, SnapCase{-128, -128}}) {
        EXPECT_EQ(snapToCell(c.value, 128), c.snapped) << c.value;
    }
}

TEST(Grid, LinesStartAtTheFirstCellBoundaryAfterTheLeftEdge)
{
    EXPECT_EQ(gridLineCoordinates(-300, 300, 128, 256), (std::vector<int32_t>{-256, -128, 0, 128, 256}));
    // A boundary on the edge itself is skipped, the one on the far edge too.
    EXPECT_EQ(gridLineCoordinates(0, 256, 128, 256), (std::vector<int32_t>{128}));
}

TEST(Grid, AViewFarOutDrawsABoundedNumberOfLinesThroughTheOrigin)
{
    const auto lines = gridLineCoordinates(-25000, 25000, 4, 256);
    EXPECT_LE(lines.size(), 257u);
    EXPECT_GT(lines.size(), 64u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), 0), lines.end());
    EXPECT_TRUE(gridLineCoordinates(-2000000000, 2000000000, 4, 256).size() <= 257u);
}

}  // namespace
