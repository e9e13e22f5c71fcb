// SPDX-License-Identifier: MIT
#include "tools/designgen/ByteOut.h"

#include "tools/designgen/Design.h"

#include <algorithm>

namespace orlika::gen {

std::vector<int> threadsInSewingOrder(const Design& design)
{
    const auto thread = [&](int slot) {
        return slot >= 0 && std::size_t(slot) < design.threads.size() ? design.threads[std::size_t(slot)] : 0;
    };
    std::vector<int> order{thread(0)};
    for (const Step& step : design.steps)
        if (step.kind == Step::Kind::ColorChange)
            order.push_back(thread(step.thread));
    return order;
}

Extents designExtents(const Design& design)
{
    Extents e;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange)
            continue;
        e.minX = std::min(e.minX, step.x);
        e.maxX = std::max(e.maxX, step.x);
        e.minY = std::min(e.minY, step.y);
        e.maxY = std::max(e.maxY, step.y);
    }
    return e;
}

} // namespace orlika::gen
