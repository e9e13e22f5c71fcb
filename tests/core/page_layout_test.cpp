// SPDX-License-Identifier: MIT
// The grid a layout makes of a screen page and of printer pages.
#include "catalog/PageLayout.h"

#include <gtest/gtest.h>

namespace orlika {
namespace {

struct GridCase {
    const char* name;
    PageLayout layout;
    int width, height;
    bool portrait;
    int across, down, cellWidth, cellHeight, halfCellHeight, marginX, marginY;
    CellPoint lastOrigin;
};

// One case for each pair of margins: thumbnails or not, portrait printer or not, one
// design a page or a grid. The printer pages are A4 at 1200 dpi; halves round to even.
const GridCase kGrids[] = {
    {"standard on screen", layouts::kStandard, 1000, 600, false, 3, 2, 286, 240, 120, 72, 84, {644, 444}},
    {"standard on a portrait page", layouts::kStandard, 9583, 13699, true, 2, 3, 3833, 3914, 1957, 1342, 978,
     {5175, 10763}},
    {"12 thumbnails on screen", layouts::kThumbnails12, 1600, 1000, false, 4, 3, 356, 286, 143, 89, 100,
     {1157, 815}},
    {"30 thumbnails on a portrait page", layouts::kThumbnails30, 9583, 13699, true, 5, 6, 1742, 2108, 1054, 610, 738,
     {7578, 12332}},
    {"enlarged on screen", layouts::kEnlarged, 1000, 600, false, 1, 1, 909, 545, 272, 273, 136, {273, 408}},
    {"enlarged on a portrait page", layouts::kEnlarged, 9583, 13699, true, 1, 1, 8712, 12454, 6227, 2178, 3736,
     {2178, 9963}},
    // Opening the ThumbNail submenu over Enlarged: a thumbnail's margins, not Enlarged's.
    {"one thumbnail on screen", PageLayout{1, 1, true, false}, 1000, 600, false, 1, 1, 909, 545, 272, 227, 191,
     {227, 463}},
};

TEST(PageGeometryTest, GridsMarginsAndOriginsOfScreenAndPortraitPages)
{
    for (const GridCase& c : kGrids) {
        SCOPED_TRACE(c.name);
        const PageGeometry grid = pageGeometry(c.layout, c.width, c.height, c.portrait);
        EXPECT_EQ(grid.across, c.across);
        EXPECT_EQ(grid.down, c.down);
        EXPECT_EQ(grid.cellsPerPage, c.layout.columns * c.layout.rows);
        EXPECT_EQ(grid.cellWidth, c.cellWidth);
        EXPECT_EQ(grid.cellHeight, c.cellHeight);
        EXPECT_EQ(grid.halfCellHeight, c.halfCellHeight);
        EXPECT_EQ(grid.marginX, c.marginX);
        EXPECT_EQ(grid.marginY, c.marginY);
        const CellPoint first = grid.cellOrigin(0);
        EXPECT_EQ(first.X, c.marginX);
        EXPECT_EQ(first.Y, c.marginY + c.halfCellHeight);
        const CellPoint last = grid.cellOrigin(grid.cellsPerPage - 1);
        EXPECT_EQ(last.X, c.lastOrigin.X);
        EXPECT_EQ(last.Y, c.lastOrigin.Y);
    }
}

} // namespace
} // namespace orlika
