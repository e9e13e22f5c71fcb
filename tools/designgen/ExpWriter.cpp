// SPDX-License-Identifier: MIT
#include "tools/designgen/ExpWriter.h"

#include <algorithm>

namespace orlika::gen {

std::vector<std::uint8_t> writeExp(const Design& design)
{
    std::vector<std::uint8_t> file;
    int x = 0, y = 0;
    const auto put = [&](int b0, int b1) {
        file.push_back(std::uint8_t(b0));
        file.push_back(std::uint8_t(b1));
    };
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            put(0x80, 0x01);
            put(0, 0);
            continue;
        }
        // Pieces of at most 127 units: a dx of -128 would read as a control record.
        while (x != step.x || y != step.y) {
            const int dx = std::clamp(step.x - x, -127, 127);
            const int dy = std::clamp(step.y - y, -127, 127);
            if (step.kind == Step::Kind::Jump)
                put(0x80, 0x04);
            put(dx, dy);
            x += dx;
            y += dy;
        }
    }
    return file;
}

} // namespace orlika::gen
