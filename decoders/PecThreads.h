// SPDX-License-Identifier: MIT
// The Brother thread chart: the colour and name of each thread index that PES and PEC
// files store, and the display palette built from it.
#pragma once

#include "platform/Color.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace orlika {

/// The chart's thread indices run from 1 to this.
constexpr int kPecThreadCount = 65;
/// Top byte of a palette-relative colour.
constexpr Color kPaletteRelative = 0x02000000;

/// One display palette entry, stored blue, green, red, flags.
struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

struct PecThreadTables;

/// Fills the three tables with the chart.
void FillThreadTables(PecThreadTables& tables);

// The chart, indexed by thread index. Slot 0 is not a thread of the chart: it holds what
// a file's index 0 is shown with (see FillThreadTables).
struct PecThreadTables {
    PecThreadTables() { FillThreadTables(*this); }

    std::array<Color, kPecThreadCount + 1> PecThreadColors{};
    std::array<std::string, kPecThreadCount + 1> PecThreadNames{};
    std::array<PaletteEntry, kPecThreadCount + 1> PecPaletteEntries{};

    /// The pen colour of a thread index; an index outside 1..65 gets slot 0's.
    Color color(int index) const { return PecThreadColors[slot(index)]; }
    /// The name of a thread index; an index outside 1..65 gets slot 0's.
    const std::string& name(int index) const { return PecThreadNames[slot(index)]; }

private:
    static std::size_t slot(int index)
    {
        return index >= 1 && index <= kPecThreadCount ? std::size_t(index) : 0;
    }
};

/// The chart, filled once.
const PecThreadTables& threadChart();

// Logical display palettes only matter on 256-colour displays. This program draws on
// true-colour surfaces only, so it builds none: the routines below do nothing and the
// thread colours reach the pens straight from PecThreadColors.
using PaletteRef = std::uintptr_t;

/// Would empty the system palette of other programs' colours; does nothing here.
void ResetSystemPalette();
/// Would build a 256-entry logical palette from the first count entries; builds none
/// and returns the null palette.
PaletteRef BuildThreadPalette(std::span<const PaletteEntry> entries, int count);

} // namespace orlika
