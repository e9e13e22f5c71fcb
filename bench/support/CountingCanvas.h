// SPDX-License-Identifier: MIT
// A canvas that only counts: what the readers cost without any drawing.
#pragma once

#include "platform/NullCanvas.h"

namespace orlika::bench {

class CountingCanvas final : public NullCanvas {
public:
    long long moves = 0;
    long long lines = 0;
    long long checksum = 0;  // keeps the coordinates alive for the optimiser

    void moveTo(int x, int y) override
    {
        ++moves;
        checksum += x ^ y;
    }
    void lineTo(int x, int y) override
    {
        ++lines;
        checksum += x ^ y;
    }
    void drawPath(std::span<const PathPoint> points) override
    {
        long long drawn = 0, sum = 0;
        for (const PathPoint& point : points) {
            drawn += point.draws;
            sum += point.x ^ point.y;
        }
        lines += drawn;
        moves += std::ssize(points) - drawn;
        checksum += sum;
    }
};

} // namespace orlika::bench
