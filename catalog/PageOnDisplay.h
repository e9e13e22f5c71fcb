// SPDX-License-Identifier: MIT
#pragma once

#include "catalog/CatalogState.h"

#include <array>
#include <string>
#include <vector>

namespace orlika {

// The screen page on display, as its run drew it: where its cells are and which file each
// one shows. Clicks, red names and Prev work from this record rather than from arithmetic
// on list positions, so a skipped entry or a later print run cannot shift them.
struct PageOnDisplay {
    std::string folder;                  // the folder of the run that drew the page
    std::array<CellPoint, 31> origins{};
    int cellWidth = 0;
    int pageWidth = 0;
    int halfCellHeight = 0;
    int cellCount = 0;
    std::array<std::string, 31> names{}; // the file drawn in each cell; empty: nothing
    std::vector<int> pageStarts;         // list index of the first design of every page
                                         // shown in this run, the page on display last

    /// Number of the cell whose picture half holds (x, y), or -1. Edges do not count.
    int cellAt(int x, int y) const;
    /// Forgets what the page showed: it has been painted white.
    void clearCells() { names.fill({}); }
};

} // namespace orlika
