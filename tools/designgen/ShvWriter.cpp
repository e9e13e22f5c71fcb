// SPDX-License-Identifier: MIT
#include "tools/designgen/ShvWriter.h"

#include "tools/designgen/ByteOut.h"

#include <algorithm>
#include <stdexcept>

namespace orlika::gen {

const char kShvSignature[] = "Embroidery disk created using software licensed from Viking Sewing Machines AB, Sweden";
static_assert(sizeof kShvSignature - 1 == 86, "the SHV text is 86 bytes");

namespace {

struct Block {
    int colorIndex = 0;
    std::uint32_t units = 0;  // 2-byte units of the stream this block takes
};

struct Stream {
    ByteVector bytes;
    std::vector<Block> blocks;
};

void putUnits(Stream& s, std::initializer_list<std::uint8_t> bytes)
{
    s.bytes.insert(s.bytes.end(), bytes);
    s.blocks.back().units += std::uint32_t(bytes.size() / 2);
}

Stream stitchStream(const Design& design)
{
    const std::vector<int> colors = threadsInSewingOrder(design);
    Stream s;
    s.blocks.push_back({colors.front(), 0});
    int x = 0, y = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            s.blocks.push_back({colors[s.blocks.size()], 0});
            continue;
        }
        if (step.kind == Step::Kind::Jump) {
            if (step.x != x || step.y != y) {
                const auto dx = std::uint16_t(step.x - x), dy = std::uint16_t(-(step.y - y));
                putUnits(s, {0x80, 0x01, std::uint8_t(dx >> 8), std::uint8_t(dx), std::uint8_t(dy >> 8),
                             std::uint8_t(dy)});
                putUnits(s, {0x80, 0x02});
            }
            x = step.x;
            y = step.y;
            continue;
        }
        while (x != step.x || y != step.y) {
            const int dx = std::clamp(step.x - x, -127, 127);
            const int dy = std::clamp(step.y - y, -127, 127);
            putUnits(s, {std::uint8_t(dx), std::uint8_t(-dy)});
            x += dx;
            y += dy;
        }
    }
    return s;
}

} // namespace

std::vector<std::uint8_t> writeShv(const Design& design)
{
    const Stream s = stitchStream(design);
    if (s.blocks.size() > 255)
        throw std::length_error("SHV holds at most 255 colour blocks");
    const Extents e = designExtents(design);

    ByteVector file;
    putText(file, kShvSignature);
    const std::string name = design.name.substr(0, 12);
    file.push_back(std::uint8_t(name.size()));
    putText(file, name);
    file.insert(file.end(), {2, 2, 1, 1, 1, 1, 0, 0});  // a blank 2 x 2 preview
    file.push_back(std::uint8_t(s.blocks.size()));
    file.insert(file.end(), {0xC4, 0x28, 0x00, 0x30, 0x00, 0x00});
    // Extents y down: +Y is the bottom.
    for (const int v : {e.maxX, -e.minY, e.minX, -e.maxY})
        putBigEndian(file, std::uint32_t(std::uint16_t(v)), 2);
    std::uint32_t total = 0;
    for (const Block& block : s.blocks)
        total += block.units;
    putBigEndian(file, total, 4);
    for (const Block& block : s.blocks) {
        putBigEndian(file, block.units, 4);
        file.push_back(std::uint8_t(block.colorIndex));
        file.insert(file.end(), 9, 0);
    }
    putBytes(file, s.bytes);
    return file;
}

} // namespace orlika::gen
