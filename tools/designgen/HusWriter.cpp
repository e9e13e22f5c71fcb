// SPDX-License-Identifier: MIT
#include "tools/designgen/HusWriter.h"

#include "tools/designgen/ByteOut.h"

#include <algorithm>

namespace orlika::gen {

namespace {

void putRecord(HusRecords& r, std::uint8_t attribute, int dx, int dy)
{
    r.attributes.push_back(attribute);
    r.xs.push_back(std::uint8_t(dx));
    r.ys.push_back(std::uint8_t(dy));
}

} // namespace

HusRecords husRecords(const Design& design)
{
    HusRecords r;
    int x = 0, y = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            putRecord(r, kHusColorChange, 0, 0);
            continue;
        }
        const std::uint8_t attribute = step.kind == Step::Kind::Jump ? kHusJump : kHusStitch;
        while (x != step.x || y != step.y) {
            const int dx = std::clamp(step.x - x, -127, 127);
            const int dy = std::clamp(step.y - y, -127, 127);
            putRecord(r, attribute, dx, dy);
            x += dx;
            y += dy;
            r.minX = std::min(r.minX, x);
            r.maxX = std::max(r.maxX, x);
            r.minY = std::min(r.minY, y);
            r.maxY = std::max(r.maxY, y);
        }
    }
    putRecord(r, kHusEnd, 0, 0);
    return r;
}

std::vector<std::uint8_t> husCommonHeader(std::uint32_t signature, const HusRecords& records, std::uint32_t colors)
{
    ByteVector file;
    putLittleEndian(file, signature, 4);
    putLittleEndian(file, std::uint32_t(records.attributes.size()), 4);
    putLittleEndian(file, colors, 4);
    for (const int v : {records.maxX, records.maxY, records.minX, records.minY})
        putLittleEndian(file, std::uint32_t(std::uint16_t(v)), 2);
    file.resize(file.size() + 12 + 8 + 2, 0);  // section offsets, name, unknown
    return file;
}

void appendHusSections(std::vector<std::uint8_t>& file, const HusRecords& records, const HusCompressOptions& options)
{
    std::size_t offsetField = 20;
    for (const auto* section : {&records.attributes, &records.xs, &records.ys}) {
        patchLittleEndian(file, offsetField, std::uint32_t(file.size()), 4);
        offsetField += 4;
        const std::vector<std::uint8_t> packed = husCompress(*section, options);
        putBytes(file, packed);
    }
}

std::vector<std::uint8_t> writeHus(const Design& design, const HusCompressOptions& options)
{
    const HusRecords records = husRecords(design);
    const std::vector<int> colors = threadsInSewingOrder(design);
    ByteVector file = husCommonHeader(0x00C8AF5Bu, records, std::uint32_t(colors.size()));
    for (const int index : colors)
        putLittleEndian(file, std::uint32_t(index), 2);
    appendHusSections(file, records, options);
    return file;
}

} // namespace orlika::gen
