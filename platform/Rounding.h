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
// catalog keeps its positions and scales. Every such value in the core goes through
// here, and the store is volatile on purpose: GCC 12 at -O2/-O3 vectorises two of these
// conversions side by side and keeps the unrounded double, moving points by a pixel.
// A volatile store of a float is an access no compiler may drop or widen, at any
// optimisation level, so the rounding survives every build; it costs a store and a load.
inline float toSingle(double value)
{
    volatile float single = float(value);
    return single;
}

} // namespace orlika
