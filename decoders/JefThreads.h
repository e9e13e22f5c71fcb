// SPDX-License-Identifier: MIT
// The Janome thread chart that JEF files index: each thread's colour, name and Janome
// thread number (docs/formats/jef.md).
#pragma once

#include "platform/Color.h"

#include <cstdint>
#include <string_view>

namespace orlika::jef {

/// The chart's indices run from 1 to this.
constexpr std::uint32_t kChartSize = 78;

struct ChartThread {
    Color color = Black;
    std::string_view name;
    std::string_view code;  // Janome's thread number, "" for the unknown thread
};

/// What an index outside the chart (0, or above 78) shows: black, so that its stitches stay
/// visible on the white page, and a name that says the file's thread is not known.
inline constexpr ChartThread kUnknownThread{Black, "Unknown", ""};

/// The chart's thread of a stored index; kUnknownThread outside 1..78. Indices are not
/// taken modulo the chart: that would show a wrong colour instead of an unknown one.
const ChartThread& chartThread(std::uint32_t index);

} // namespace orlika::jef
