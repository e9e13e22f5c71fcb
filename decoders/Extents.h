// SPDX-License-Identifier: MIT
// A design's extents as the sizing passes find them.
#pragma once

namespace orlika {

/// Extents in design units, single precision.
struct Extents {
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;

    /// Where the decoders of relative steps start: the origin counts toward the minima only.
    static Extents fromOrigin() { return {0.0f, -32000.0f, 0.0f, -32000.0f}; }

    void include(float x, float y)
    {
        if (x < minX) minX = x;
        if (x > maxX) maxX = x;
        if (y < minY) minY = y;
        if (y > maxY) maxY = y;
    }
    // The differences stay in double: only the extents themselves are single precision.
    double width() const { return double(maxX) - minX; }
    double height() const { return double(maxY) - minY; }
};

} // namespace orlika
