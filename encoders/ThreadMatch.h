// SPDX-License-Identifier: MIT
// The nearest thread of a fixed chart to a colour, by the CIEDE2000 colour difference in
// CIELAB, which follows how far apart people see two colours better than a distance in RGB.
#pragma once

#include "platform/Color.h"

#include <span>

namespace orlika {

struct Lab {
    double l = 0, a = 0, b = 0;
};

/// An sRGB colour (0x00BBGGRR) in CIELAB under D65.
Lab labOf(Color color);
/// The CIEDE2000 difference of two colours (kL = kC = kH = 1).
double ciede2000(const Lab& one, const Lab& other);

/// A colour difference beyond which a matched thread is reported as far from its colour.
constexpr double kFarColorDifference = 10.0;

struct ThreadMatch {
    std::size_t index = 0;      // into the chart
    double difference = 0;      // CIEDE2000
};

/// The chart's colour nearest to `color`; the first of equals. The chart is not empty.
ThreadMatch nearestThread(Color color, std::span<const Color> chart);
/// The same for a chart already in CIELAB, as a chart used for many colours keeps it.
ThreadMatch nearestThread(Color color, std::span<const Lab> chart);

} // namespace orlika
