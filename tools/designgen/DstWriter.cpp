// SPDX-License-Identifier: MIT
#include "tools/designgen/DstWriter.h"

#include "encoders/Writers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orlika::gen {

std::array<std::uint8_t, 3> dstRecord(int dx, int dy, std::uint8_t flags)
{
    return writers::dstRecord(dx, dy, flags);
}

std::vector<std::uint8_t> dstHeaderBlock(const DstHeader& h)
{
    char text[512];
    const int length = std::snprintf(text, sizeof text,
        "LA:%-16.16s\rST:%7d\rCO:%3d\r+X:%5d\r-X:%5d\r+Y:%5d\r-Y:%5d\rAX:+%5d\rAY:+%5d\rMX:+%5d\rMY:+%5d\rPD:******\r\x1a",
        h.label.c_str(), h.stitches, h.colorChanges, h.plusX, h.minusX, h.plusY, h.minusY, 0, 0, 0, 0);
    std::vector<std::uint8_t> block(512, ' ');
    std::copy(text, text + std::min(length, 511), block.begin());
    return block;
}

std::vector<std::uint8_t> writeDst(const Design& design)
{
    std::vector<std::uint8_t> records;
    int x = 0, y = 0, stitches = 0, changes = 0;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    const auto put = [&](int dx, int dy, std::uint8_t flags) {
        const auto r = dstRecord(dx, dy, flags);
        records.insert(records.end(), r.begin(), r.end());
    };
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            put(0, 0, 0xC3);
            ++changes;
            continue;
        }
        // Long moves are split into pieces a record can hold.
        while (x != step.x || y != step.y) {
            const int dx = std::clamp(step.x - x, -121, 121);
            const int dy = std::clamp(step.y - y, -121, 121);
            const bool stitch = step.kind == Step::Kind::Stitch;
            put(dx, dy, stitch ? 0x03 : 0x83);
            x += dx;
            y += dy;
            stitches += stitch;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    put(0, 0, 0xF3);
    DstHeader header{design.name, stitches, changes, maxX, -minX, maxY, -minY};
    std::vector<std::uint8_t> file = dstHeaderBlock(header);
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

} // namespace orlika::gen
