// SPDX-License-Identifier: MIT
#include "tools/designgen/KsmWriter.h"

#include <algorithm>
#include <cstdlib>

namespace orlika::gen {

std::array<std::uint8_t, 3> ksmRecord(int dx, int dy, std::uint8_t control)
{
    if (dx < 0)
        control |= 0x40;
    if (dy < 0)
        control |= 0x20;
    return {std::uint8_t(std::abs(dy)), std::uint8_t(std::abs(dx)), control};
}

std::vector<std::uint8_t> writeKsm(const Design& design)
{
    std::vector<std::uint8_t> file(512, 0);
    const std::uint8_t start[6] = {0, 0, 0x87, 0, 0, 0x8B};
    file.insert(file.end(), start, start + 6);
    // The design starts where its first stitch starts: leading jumps would be drawn as a
    // line from the origin, since a move lasts until the next colour change.
    std::size_t first = 0;
    int x = 0, y = 0;
    while (first < design.steps.size() && design.steps[first].kind == Step::Kind::Jump) {
        x = design.steps[first].x;
        y = design.steps[first].y;
        ++first;
    }
    const auto travel = [&](int toX, int toY, std::uint8_t control) {
        // Long movements are split into pieces a record can hold.
        while (x != toX || y != toY) {
            const int dx = std::clamp(toX - x, -255, 255);
            const int dy = std::clamp(toY - y, -255, 255);
            const auto r = ksmRecord(dx, dy, control);
            file.insert(file.end(), r.begin(), r.end());
            x += dx;
            y += dy;
        }
    };
    const auto& steps = design.steps;
    for (std::size_t i = first; i < steps.size();) {
        if (steps[i].kind == Step::Kind::Stitch) {
            travel(steps[i].x, steps[i].y, kKsmStitch);
            ++i;
            continue;
        }
        // A run of jumps and colour changes: moves are safe only when a change follows.
        std::size_t end = i;
        bool changes = false;
        while (end < steps.size() && steps[end].kind != Step::Kind::Stitch)
            changes |= steps[end++].kind == Step::Kind::ColorChange;
        for (std::size_t k = i; k < end; ++k)
            if (steps[k].kind == Step::Kind::Jump)
                travel(steps[k].x, steps[k].y, changes ? kKsmMove : kKsmStitch);
        for (std::size_t k = i; k < end; ++k) {
            if (steps[k].kind == Step::Kind::ColorChange) {
                const auto r = ksmRecord(0, 0, kKsmColorChange);
                file.insert(file.end(), r.begin(), r.end());
            }
        }
        i = end;
    }
    const std::uint8_t endRecord[3] = {0, 0, kKsmEnd};
    file.insert(file.end(), endRecord, endRecord + 3);
    return file;
}

} // namespace orlika::gen
