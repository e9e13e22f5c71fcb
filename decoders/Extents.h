// SPDX-License-Identifier: MIT
// A design's extents as the sizing passes find them, and the one scale for both axes
// that the readers of relative steps take from them.
#pragma once

#include "decoders/CellContext.h"

namespace orlika {

/// Extents in design units, single precision.
struct Extents {
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;

    /// Where the readers of relative steps start: the origin counts toward the minima only.
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

    /// Leaves the extents in the catalog's MinX, MaxX, MinY and MaxY.
    void storeIn(DesignFigures& figures) const
    {
        figures.MinX = minX;
        figures.MaxX = maxX;
        figures.MinY = minY;
        figures.MaxY = maxY;
    }
};

/// One scale for both axes: the smaller of the cell's width / width x factor and its
/// height / height x factor. A design that is flat in one direction (a single straight
/// run) takes the other direction's factor; one without width and height has no scale,
/// and false is returned (nothing is drawn for it).
bool cellScale(const Extents& extents, const CellGeometry& cell, double factor, float& scale);

} // namespace orlika
