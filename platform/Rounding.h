// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

namespace orlika {

// Every coordinate handed to a canvas goes through here: nearest integer, halves to
// even. Values far outside any page are clamped first, so that a hostile design can
// never turn an out-of-range float into an int (undefined behaviour).
inline int roundPixel(double value)
{
    constexpr double limit = 1 << 30;
    if (std::isnan(value))
        return 0;
    if (value > limit)
        value = limit;
    else if (value < -limit)
        value = -limit;
    return int(std::nearbyint(value));
}

// Stores a product or sum formed in double back as single precision, the way the
// catalog accumulates positions.
inline float toSingle(double value)
{
    return float(value);
}

} // namespace orlika
