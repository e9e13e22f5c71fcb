// SPDX-License-Identifier: MIT
#include "catalog/PageLayout.h"

#include "catalog/CatalogState.h"
#include "platform/Rounding.h"

#include <algorithm>

namespace orlika {

namespace {

struct Margins {
    double x;
    double y;
};

Margins marginsFor(bool thumbnails, bool portraitPrinter, bool oneByOne)
{
    if (thumbnails)
        return portraitPrinter ? Margins{0.35, 0.35} : Margins{0.25, 0.35};
    if (portraitPrinter)
        return oneByOne ? Margins{0.25, 0.3} : Margins{0.35, 0.25};
    return oneByOne ? Margins{0.3, 0.25} : Margins{0.25, 0.35};
}

} // namespace

std::optional<PageLayout> pageLayoutNamed(std::string_view key)
{
    for (const NamedPageLayout& named : kPageLayouts) {
        if (named.key == key)
            return named.layout;
    }
    return std::nullopt;
}

PageGeometry pageGeometry(const PageLayout& layout, int width, int height, bool portrait)
{
    PageGeometry grid;
    const bool oneByOne = layout.columns == 1 && layout.rows == 1;
    const double f = oneByOne ? 0.1 : 0.5;
    grid.across = portrait ? layout.rows : layout.columns;
    grid.down = portrait ? layout.columns : layout.rows;
    grid.cellWidth = roundPixel(width / (grid.across + f));
    grid.cellHeight = roundPixel(height / (grid.down + f));
    grid.cellsPerPage = layout.columns * layout.rows;

    const Margins margins = marginsFor(layout.thumbnails, portrait, oneByOne);
    grid.marginX = roundPixel(grid.cellWidth * margins.x);
    grid.marginY = roundPixel(grid.cellHeight * margins.y);
    grid.halfCellHeight = roundPixel(grid.cellHeight * 0.5);
    return grid;
}

CellPoint PageGeometry::cellOrigin(int index) const
{
    const int r = index / across, c = index % across;
    return {marginX + c * cellWidth, marginY + halfCellHeight + r * cellHeight};
}

void applyLayout(CatalogState& state, const PageLayout& layout)
{
    state.PageColumns = layout.columns;
    state.PageRows = layout.rows;
    state.Thumbnails = layout.thumbnails;
    state.NoRemarks = layout.noRemarks;
}

PageLayout layoutOf(const CatalogState& state)
{
    return {state.PageColumns, state.PageRows, state.Thumbnails, state.NoRemarks};
}

void applyGeometry(CatalogState& state, const PageGeometry& grid)
{
    state.CellsPerPage = grid.cellsPerPage;
    state.CellWidth = grid.cellWidth;
    state.CellHeight = grid.cellHeight;
    state.HalfCellHeight = grid.halfCellHeight;
    state.MarginX = grid.marginX;
    state.MarginY = grid.marginY;
    // Origins in reading order; a grid never has more cells than CellOrigin holds.
    const int origins = std::min(grid.across * grid.down, int(state.CellOrigin.size()));
    for (int index = 0; index < origins; ++index)
        state.CellOrigin[std::size_t(index)] = grid.cellOrigin(index);
}

} // namespace orlika
