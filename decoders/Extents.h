// SPDX-License-Identifier: MIT
// A design's extents as the sizing passes find them.
#pragma once

#include "platform/Rounding.h"

#include <cstdint>

namespace orlika {

/// Extents in design units, single precision.
struct Extents {
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;

    /// Where the decoders of relative steps start: the origin counts toward the minima only.
    static Extents fromOrigin() { return {0.0f, -32000.0f, 0.0f, -32000.0f}; }

    // Written as selections rather than branches: the compiler makes them min and max
    // instructions, where a growing design would mispredict a branch a point.
    void include(float x, float y)
    {
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
    // The differences stay in double: only the extents themselves are single precision.
    double width() const { return double(maxX) - minX; }
    double height() const { return double(maxY) - minY; }
};

} // namespace orlika

namespace orlika {

/// The extents of whole steps summed from the start point (which counts toward both the
/// minima and the maxima), kept as 64-bit integers: cheaper to sum than single precision,
/// and the same figures while every sum lies within 2^24 units of the start, where single
/// precision holds each integer exactly. A pass whose sums went further is repeated in
/// single precision (SinglePrecisionSteps).
struct IntegerSteps {
    std::int64_t x = 0, y = 0;
    std::int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;

    void step(int dx, int dy)
    {
        x += dx;
        y += dy;
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
    bool exact() const
    {
        constexpr std::int64_t limit = std::int64_t(1) << 24;
        return minX >= -limit && minY >= -limit && maxX <= limit && maxY <= limit;
    }
    Extents extents() const { return {float(minX), float(maxX), float(minY), float(maxY)}; }
};

/// The same sums in single precision, as the renderer adds steps.
struct SinglePrecisionSteps {
    float x = 0, y = 0;
    Extents reached;

    void step(int dx, int dy)
    {
        x = addStep(x, dx);
        y = addStep(y, dy);
        reached.include(x, y);
    }
    bool exact() const { return true; }
    Extents extents() const { return reached; }
};

} // namespace orlika
