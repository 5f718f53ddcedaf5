#include "app/GridGeometry.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quadrel;

TEST(GridGeometry, CellsAndBarsOnTheBackground) {
    EXPECT_EQ(grid::CellOrigin(0), QPoint(6, 6));
    EXPECT_EQ(grid::CellOrigin(9), QPoint(38, 38));
    EXPECT_EQ(grid::CellRect(63), QRect(230, 230, 26, 26));
    EXPECT_EQ(grid::FrameRect(9), QRect(37, 37, 28, 28));
    EXPECT_EQ(grid::RightBarRect(0), QRect(32, 17, 6, 4));
    EXPECT_EQ(grid::BelowBarRect(0), QRect(17, 32, 4, 6));
    // The bars of the last row and column stick out 6 pixels past the cells
    // and still lie on the 264 by 264 surface.
    const QRect surface(0, 0, grid::kBackgroundSize, grid::kBackgroundSize);
    EXPECT_EQ(grid::RightBarRect(7).right(), 261);
    EXPECT_TRUE(surface.contains(grid::RightBarRect(63)));
    EXPECT_TRUE(surface.contains(grid::BelowBarRect(63)));
    EXPECT_FALSE(grid::RightBarRect(3).intersects(grid::CellRect(4)));
}

TEST(GridGeometry, WireRunsClampToTheGrid) {
    EXPECT_EQ(grid::RowWireCells(5, 2, 8), (std::vector<int>{21, 22, 23}));
    EXPECT_EQ(grid::ColumnWireCells(1, 6, 8), (std::vector<int>{49, 57}));
    EXPECT_EQ(grid::RowWireCells(0, 0, 2), (std::vector<int>{0, 1}));
}

TEST(GridGeometry, PortMappingFollowsTheScrollBars) {
    EXPECT_EQ(grid::PortAt(8, 0), 9);
    EXPECT_EQ(grid::CellOf(9, 1, 8, 0), 0);
    EXPECT_EQ(grid::CellOf(3, 5, 0, 0), 4 * 8 + 2);
    EXPECT_FALSE(grid::CellOf(0, 2, 0, 0)); // input 0: nothing routed
    EXPECT_FALSE(grid::CellOf(9, 1, 0, 0));
    EXPECT_FALSE(grid::CellOf(1, 1, 1, 0));
    EXPECT_EQ(grid::PortCaption(5), "005");
    EXPECT_EQ(grid::PortCaption(255), "255");
}
