// SPDX-License-Identifier: MIT
#include "tools/designgen/JefWriter.h"

#include "tools/designgen/ByteOut.h"

#include <algorithm>
#include <array>

namespace orlika::gen {

namespace {

constexpr int kRecordLimit = 127;

// The smallest standard hoop the design fits in (0 A 126 x 110, 1 C 50 x 50, 2 B 140 x 200,
// 4 D 230 x 200), from its half sizes in 0.1 mm.
std::uint32_t hoopCode(int halfWidth, int halfHeight)
{
    if (halfWidth <= 250 && halfHeight <= 250)
        return 1;
    if (halfWidth <= 630 && halfHeight <= 550)
        return 0;
    if (halfWidth <= 700 && halfHeight <= 1000)
        return 2;
    return 4;
}

// Left, top, right, bottom margins to a hoop of the given half sizes, or -1s where it does not fit.
std::array<std::int32_t, 4> hoopMargins(const Extents& e, int halfWidth, int halfHeight)
{
    const std::array<std::int32_t, 4> margins{halfWidth + e.minX, halfHeight - e.maxY, halfWidth - e.maxX,
                                              halfHeight + e.minY};
    if (std::any_of(margins.begin(), margins.end(), [](std::int32_t m) { return m < 0; }))
        return {-1, -1, -1, -1};
    return margins;
}

ByteVector stitchStream(const Design& design)
{
    ByteVector out;
    int x = 0, y = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            out.insert(out.end(), {0x80, 0x01, 0x00, 0x00});
            continue;
        }
        while (x != step.x || y != step.y) {
            const int dx = std::clamp(step.x - x, -kRecordLimit, kRecordLimit);
            const int dy = std::clamp(step.y - y, -kRecordLimit, kRecordLimit);
            if (step.kind == Step::Kind::Jump)
                out.insert(out.end(), {0x80, 0x02});
            out.push_back(std::uint8_t(dx));
            out.push_back(std::uint8_t(dy));
            x += dx;
            y += dy;
        }
    }
    out.insert(out.end(), {0x80, 0x10});
    return out;
}

} // namespace

std::vector<std::uint8_t> writeJef(const Design& design)
{
    const std::vector<int> threads = threadsInSewingOrder(design);
    const ByteVector stream = stitchStream(design);
    const Extents e = designExtents(design);
    const auto count = std::uint32_t(threads.size());

    ByteVector file;
    putLittleEndian(file, std::uint32_t(kJefThreadTable + 8 * count), 4);
    putLittleEndian(file, 20, 4);
    putText(file, "20240101120000");
    file.insert(file.end(), {0, 0});
    putLittleEndian(file, count, 4);
    putLittleEndian(file, std::uint32_t(stream.size() / 2), 4);
    putLittleEndian(file, hoopCode(std::max(-e.minX, e.maxX), std::max(-e.minY, e.maxY)), 4);
    for (const std::int32_t v : {-e.minX, e.maxY, e.maxX, -e.minY})
        putLittleEndian(file, std::uint32_t(v), 4);
    const std::array<std::array<std::int32_t, 4>, 4> boxes{hoopMargins(e, 550, 550), hoopMargins(e, 250, 250),
                                                           hoopMargins(e, 700, 1000),
                                                           std::array<std::int32_t, 4>{-1, -1, -1, -1}};
    for (const auto& box : boxes)
        for (const std::int32_t v : box)
            putLittleEndian(file, std::uint32_t(v), 4);
    for (const int thread : threads)
        putLittleEndian(file, std::uint32_t(thread), 4);
    for (std::size_t i = 0; i < threads.size(); ++i)
        putLittleEndian(file, 13, 4);
    putBytes(file, stream);
    return file;
}

} // namespace orlika::gen
