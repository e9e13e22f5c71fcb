// SPDX-License-Identifier: MIT
#pragma once

#include <climits>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlika {

// Every coordinate handed to a canvas goes through here: nearest integer, halves to
// even. Values far outside any page are clamped first, so that a hostile design can
// never turn an out-of-range float into an int (undefined behaviour).
//
// The readers call this twice a stitch. Without SSE4.1 (the x86-64 baseline) the
// compiler cannot inline std::nearbyint and calls libm for every coordinate; cvtsd2si
// rounds in the current rounding mode, as nearbyint does, in one instruction. The clamp
// keeps its operand inside the int range, where the two agree exactly.
inline int roundPixel(double value)
{
    constexpr double limit = 1 << 30;
#if defined(__SSE2__)
    // maxsd and minsd hand back their second operand when one is NaN, so a NaN passes
    // the clamp and converts to INT_MIN, which no clamped value gives.
    const __m128d clamped = _mm_min_sd(_mm_set_sd(limit), _mm_max_sd(_mm_set_sd(-limit), _mm_set_sd(value)));
    const int rounded = _mm_cvtsd_si32(clamped);
    return rounded == INT_MIN ? 0 : rounded;
#else
    if (std::isnan(value))
        return 0;
    if (value > limit)
        value = limit;
    else if (value < -limit)
        value = -limit;
    return int(std::nearbyint(value));
#endif
}

// The same for a single-precision position, as the readers keep them: no conversion to
// double first (it is exact, and 2^30 is a float, so the clamp and the result agree).
inline int roundPixel(float value)
{
#if defined(__SSE2__)
    constexpr float limit = 1 << 30;
    const __m128 clamped = _mm_min_ss(_mm_set_ss(limit), _mm_max_ss(_mm_set_ss(-limit), _mm_set_ss(value)));
    const int rounded = _mm_cvtss_si32(clamped);
    return rounded == INT_MIN ? 0 : rounded;
#else
    return roundPixel(double(value));
#endif
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

// A position moved by a whole step, as toSingle(double(position) + step) gives it, with
// the addition in single precision: its latency is a third of the conversions' and
// every reader's passes chain one such sum to the next. The two agree for every float
// and every step a float holds exactly (|step| <= 2^24): double has more than twice the
// bits of single plus two, so rounding the exact sum to double and then to single is the
// same as rounding it to single once.
inline float addStep(float position, int step)
{
    float sum = position + float(step);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm("" : "+x"(sum));
#elif defined(__GNUC__) && defined(__aarch64__)
    asm("" : "+w"(sum));
#else
    volatile float stored = sum;
    sum = stored;
#endif
    return sum;
}

} // namespace orlika
