// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdint>

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
// rounds in the current rounding mode, as nearbyint does, in one instruction. Inside
// the clamp the two agree exactly, so the conversion's own result is the answer; a
// result beyond the clamp, or INT_MIN (the conversion's mark for out of range and NaN),
// means a value beyond the clamp or NaN. One compare on the result costs less than
// clamping every operand.
namespace rounding {

constexpr int kLimit = 1 << 30;

constexpr bool withinClamp(int rounded)
{
    return std::uint32_t(rounded) + std::uint32_t(kLimit) <= 2u * std::uint32_t(kLimit);
}

template <typename Real>
int beyondClamp(Real value)
{
    return std::isnan(value) ? 0 : value > 0 ? kLimit : -kLimit;
}

template <typename Real>
int clampedNearest(Real value)
{
    if (std::isnan(value))
        return 0;
    return int(std::nearbyint(std::fmin(std::fmax(value, Real(-kLimit)), Real(kLimit))));
}

} // namespace rounding

inline int roundPixel(double value)
{
#if defined(__SSE2__)
    const int rounded = _mm_cvtsd_si32(_mm_set_sd(value));
    return rounding::withinClamp(rounded) ? rounded : rounding::beyondClamp(value);
#else
    return rounding::clampedNearest(value);
#endif
}

// The same for a single-precision position, as the readers keep them: no conversion to
// double first (it is exact, and 2^30 is a float, so the clamp and the result agree).
inline int roundPixel(float value)
{
#if defined(__SSE2__)
    const int rounded = _mm_cvtss_si32(_mm_set_ss(value));
    return rounding::withinClamp(rounded) ? rounded : rounding::beyondClamp(value);
#else
    return rounding::clampedNearest(value);
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
inline float addStep(float position, float step)
{
    float sum = position + step;
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

// A step in whole units; readers that keep their steps as floats hand them over as they are.
inline float addStep(float position, int step)
{
    return addStep(position, float(step));
}

} // namespace orlika
