// SPDX-License-Identifier: MIT
#include "tools/designgen/XxxWriter.h"

#include "tools/designgen/ByteOut.h"

#include <algorithm>
#include <cstdlib>

namespace orlika::gen {

namespace {

struct Records {
    ByteVector bytes;
    std::uint32_t count = 0;  // records written, the end record not counted
    int x = 0, y = 0;         // the last position
};

void putCommand(Records& r, std::uint8_t command, int dx, int dy)
{
    r.bytes.insert(r.bytes.end(), {0x7F, command, std::uint8_t(dx), std::uint8_t(dy)});
    ++r.count;
}

void putJump(Records& r, int dx, int dy)
{
    if (std::abs(dx) <= 127 && std::abs(dy) <= 127) {
        putCommand(r, 0x01, dx, dy);
        return;
    }
    r.bytes.push_back(0x7D);
    putLittleEndian(r.bytes, std::uint32_t(std::uint16_t(dx)), 2);
    putLittleEndian(r.bytes, std::uint32_t(std::uint16_t(dy)), 2);
    ++r.count;
}

Records records(const Design& design)
{
    Records r;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            putCommand(r, 0x08, 0, 0);
            continue;
        }
        if (step.kind == Step::Kind::Jump) {
            // A long move carries any distance the design has (well within 16 bits).
            if (step.x != r.x || step.y != r.y)
                putJump(r, step.x - r.x, step.y - r.y);
            r.x = step.x;
            r.y = step.y;
            continue;
        }
        while (r.x != step.x || r.y != step.y) {
            const int dx = std::clamp(step.x - r.x, -127, 124);
            const int dy = std::clamp(step.y - r.y, -127, 127);
            r.bytes.push_back(std::uint8_t(dx));
            r.bytes.push_back(std::uint8_t(dy));
            ++r.count;
            r.x += dx;
            r.y += dy;
        }
    }
    return r;
}

} // namespace

std::vector<std::uint8_t> writeXxx(const Design& design)
{
    const Records r = records(design);
    const std::vector<int> colors = threadsInSewingOrder(design);
    const Extents e = designExtents(design);

    ByteVector file(0x100, 0);
    patchLittleEndian(file, 0x17, r.count, 4);
    patchLittleEndian(file, 0x27, std::uint32_t(colors.size()), 4);
    patchLittleEndian(file, 0x2D, std::uint32_t(e.maxX - e.minX), 2);
    patchLittleEndian(file, 0x2F, std::uint32_t(e.maxY - e.minY), 2);
    patchLittleEndian(file, 0x31, std::uint32_t(std::uint16_t(r.x)), 2);
    patchLittleEndian(file, 0x33, std::uint32_t(std::uint16_t(r.y)), 2);
    patchLittleEndian(file, 0x35, std::uint32_t(std::uint16_t(-e.minX)), 2);
    patchLittleEndian(file, 0x37, std::uint32_t(std::uint16_t(e.maxY)), 2);
    patchLittleEndian(file, 0xF2, 0x20, 2);
    patchLittleEndian(file, 0xFC, std::uint32_t(0x100 + r.bytes.size()), 4);
    putBytes(file, r.bytes);
    file.insert(file.end(), {0x7F, 0x7F, 0x02, 0x14, 0x00, 0x00});
    for (const int rgb : colors)
        putBigEndian(file, std::uint32_t(rgb) & 0xFFFFFFu, 4);
    return file;
}

} // namespace orlika::gen
