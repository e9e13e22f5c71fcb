// SPDX-License-Identifier: MIT
#include "tools/designgen/DstWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orlika::gen {

namespace {

// Balanced-ternary digits of v (|v| <= 121), lowest first: each -1, 0 or +1.
std::array<int, 5> ternaryDigits(int v)
{
    std::array<int, 5> digits{};
    for (int& digit : digits) {
        int r = ((v % 3) + 3) % 3;
        if (r == 2)
            r = -1;
        digit = r;
        v = (v - r) / 3;
    }
    return digits;
}

} // namespace

std::array<std::uint8_t, 3> dstRecord(int dx, int dy, std::uint8_t flags)
{
    std::array<std::uint8_t, 3> b{0, 0, flags};
    const auto x = ternaryDigits(dx);
    const auto y = ternaryDigits(dy);
    // (byte, plus mask, minus mask) for the digits 1, 3, 9, 27, 81 of x and y.
    struct Place {
        int byte;
        std::uint8_t plusX, minusX, plusY, minusY;
    };
    constexpr Place places[5] = {
        {0, 0x01, 0x02, 0x80, 0x40}, {1, 0x01, 0x02, 0x80, 0x40}, {0, 0x04, 0x08, 0x20, 0x10},
        {1, 0x04, 0x08, 0x20, 0x10}, {2, 0x04, 0x08, 0x20, 0x10}};
    for (int i = 0; i < 5; ++i) {
        auto& byte = b[std::size_t(places[i].byte)];
        if (x[std::size_t(i)] > 0) byte |= places[i].plusX;
        if (x[std::size_t(i)] < 0) byte |= places[i].minusX;
        if (y[std::size_t(i)] > 0) byte |= places[i].plusY;
        if (y[std::size_t(i)] < 0) byte |= places[i].minusY;
    }
    return b;
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
