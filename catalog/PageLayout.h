// SPDX-License-Identifier: MIT
// The page layouts the catalog offers, and the grid a layout makes of a target.
#pragma once

#include "cell/CellContext.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orlika {

struct CatalogState;

/// A page grid: its columns and rows as a landscape page has them, and what its cells show.
struct PageLayout {
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    bool thumbnails = false;
    bool noRemarks = false;

    bool operator==(const PageLayout&) const = default;
};

/// The six layouts of the Page Layout menu.
namespace layouts {
inline constexpr PageLayout kStandard{3, 2, false, false};                 // Standard w/ Remarks
inline constexpr PageLayout kStandardWithoutRemarks{3, 2, false, true};    // Standard w/o Remarks
inline constexpr PageLayout kThumbnails12{4, 3, true, false};              // ThumbNail, 12/page
inline constexpr PageLayout kThumbnails20{5, 4, true, false};              // ThumbNail, 20/page
inline constexpr PageLayout kThumbnails30{6, 5, true, false};              // ThumbNail, 30/page
inline constexpr PageLayout kEnlarged{1, 1, false, false};                 // Enlarged/1 per Page
} // namespace layouts

/// A layout by the name the command-line tools take for it (`--layout thumb12`).
struct NamedPageLayout {
    std::string_view key;
    PageLayout layout;
};

/// Every layout, in the menu's order.
inline constexpr std::array<NamedPageLayout, 6> kPageLayouts{{
    {"standard", layouts::kStandard},
    {"noremarks", layouts::kStandardWithoutRemarks},
    {"thumb12", layouts::kThumbnails12},
    {"thumb20", layouts::kThumbnails20},
    {"thumb30", layouts::kThumbnails30},
    {"enlarged", layouts::kEnlarged},
}};

/// The layout of that key; none for a key the table does not have.
std::optional<PageLayout> pageLayoutNamed(std::string_view key);

/// The grid a layout makes of a target of width x height pixels. A portrait printer page
/// turns the grid a quarter: the layout's rows then run across and its columns down.
struct PageGeometry {
    int across = 0;  // cells side by side on the target
    int down = 0;    // cells one under the other
    int cellsPerPage = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int halfCellHeight = 0;
    int marginX = 0;
    int marginY = 0;

    /// The left edge and middle line of cell `index` (from 0, across then down).
    CellPoint cellOrigin(int index) const;
};

PageGeometry pageGeometry(const PageLayout& layout, int width, int height, bool portrait);

/// Sets the state's layout fields (PageColumns, PageRows, Thumbnails, NoRemarks).
void applyLayout(CatalogState& state, const PageLayout& layout);
/// The layout the state's fields hold now.
PageLayout layoutOf(const CatalogState& state);
/// Sets the state's grid fields (CellsPerPage, CellWidth, ..., CellOrigin) from a grid.
void applyGeometry(CatalogState& state, const PageGeometry& grid);

} // namespace orlika
