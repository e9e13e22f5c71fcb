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
// here. GCC 12 at -O2/-O3 vectorises two of these conversions side by side and keeps the
// unrounded double, moving points by a pixel; the empty asm statement below takes the
// float in a register and hands back a value the compiler knows nothing of, so no
// optimiser can skip the rounding, and it costs no instruction of its own.
inline float toSingle(double value)
{
    float single = float(value);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm("" : "+x"(single));
#elif defined(__GNUC__) && defined(__aarch64__)
    asm("" : "+w"(single));
#else
    volatile float stored = single;
    single = stored;
#endif
    return single;
}

} // namespace orlika
