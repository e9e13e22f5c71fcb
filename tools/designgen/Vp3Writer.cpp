// SPDX-License-Identifier: MIT
#include "tools/designgen/Vp3Writer.h"

#include "tools/designgen/ByteOut.h"

#include <algorithm>
#include <cstdlib>

namespace orlika::gen {

namespace {

constexpr std::int32_t kMicrometresPerUnit = 100;

void putString8(ByteVector& out, const std::string& text)
{
    putBigEndian(out, std::uint32_t(text.size()), 2);
    putText(out, text);
}

// Producer strings are UTF-16BE; the texts written here are ASCII.
void putString16(ByteVector& out, const std::string& text)
{
    putBigEndian(out, std::uint32_t(2 * text.size()), 2);
    for (const char c : text) {
        out.push_back(0);
        out.push_back(std::uint8_t(c));
    }
}

void putInt32(ByteVector& out, std::int32_t value)
{
    putBigEndian(out, std::uint32_t(value), 4);
}

// A tag `00 t 00`, the body's length and the body.
void putPacket(ByteVector& out, std::uint8_t tag, const ByteVector& body)
{
    out.insert(out.end(), {0x00, tag, 0x00});
    putBigEndian(out, std::uint32_t(body.size()), 4);
    putBytes(out, body);
}

struct Block {
    int startX = 0, startY = 0;
    int thread = 0;
    ByteVector stitches;
};

void putLongDisplacement(ByteVector& out, int dx, int dy)
{
    out.insert(out.end(), {0x80, 0x01});
    putBigEndian(out, std::uint32_t(std::uint16_t(dx)), 2);
    putBigEndian(out, std::uint32_t(std::uint16_t(dy)), 2);
    out.insert(out.end(), {0x80, 0x02});
}

// The design cut into colour blocks; displacements y down.
std::vector<Block> blocks(const Design& design)
{
    std::vector<Block> result(1);  // the first block: thread slot 0, from the origin
    int x = 0, y = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            result.push_back({x, y, step.thread, {}});
            continue;
        }
        ByteVector& out = result.back().stitches;
        if (step.kind == Step::Kind::Jump) {
            if (step.x != x || step.y != y) {
                out.insert(out.end(), {0x80, 0x03});
                putLongDisplacement(out, step.x - x, -(step.y - y));
            }
            x = step.x;
            y = step.y;
            continue;
        }
        while (x != step.x || y != step.y) {
            const int dx = step.x - x, dy = step.y - y;
            if (std::abs(dx) <= 127 && std::abs(dy) <= 127) {
                out.push_back(std::uint8_t(dx));
                out.push_back(std::uint8_t(-dy));
            } else {
                putLongDisplacement(out, dx, -dy);  // a long stitch: no trim before it
            }
            x = step.x;
            y = step.y;
        }
    }
    return result;
}

ByteVector threadPacketBody(const Block& block, const Vp3Thread& thread)
{
    ByteVector body;
    putInt32(body, block.startX * kMicrometresPerUnit);
    putInt32(body, block.startY * kMicrometresPerUnit);
    body.insert(body.end(), {1, 0});  // one colour entry, no transition
    putBigEndian(body, thread.rgb & 0xFFFFFFu, 3);
    body.push_back(0);                // parts
    putBigEndian(body, 0, 2);         // colour length
    body.insert(body.end(), {5, 40}); // rayon, weight 40
    putString8(body, thread.catalogNumber);
    putString8(body, thread.name);
    putString8(body, thread.brand);
    putInt32(body, 0);
    putInt32(body, 0);
    ByteVector run{0x0A, 0xF6, 0x00};
    putBytes(run, block.stitches);
    putPacket(body, 0x01, run);
    body.push_back(0);
    return body;
}

const std::string kProducer = "Produced by ORLIKA designgen";

} // namespace

std::vector<std::uint8_t> writeVp3(const Design& design, const std::vector<Vp3Thread>& threads)
{
    const auto threadAt = [&](int slot) {
        const int index = slot >= 0 && std::size_t(slot) < design.threads.size() ? design.threads[std::size_t(slot)] : -1;
        return index >= 0 && std::size_t(index) < threads.size() ? threads[std::size_t(index)] : Vp3Thread{};
    };
    const std::vector<Block> colourBlocks = blocks(design);
    const Extents e = designExtents(design);

    ByteVector hoop;
    putInt32(hoop, 0);  // centre x
    putInt32(hoop, 0);  // centre y
    hoop.insert(hoop.end(), {0, 0, 0});
    for (const std::int32_t v : {e.minX, e.maxX, e.minY, e.maxY, e.maxX - e.minX, e.maxY - e.minY})
        putInt32(hoop, v * kMicrometresPerUnit);
    putString16(hoop, "");
    hoop.insert(hoop.end(), {100, 100});
    for (const std::int32_t v : {4096, 0, 0, 4096})
        putInt32(hoop, v);
    hoop.insert(hoop.end(), {'x', 'x', 'P', 'P', 0x01, 0x00});
    putString16(hoop, kProducer);
    putBigEndian(hoop, std::uint32_t(colourBlocks.size()), 2);
    for (const Block& block : colourBlocks)
        putPacket(hoop, 0x05, threadPacketBody(block, threadAt(block.thread)));

    std::uint32_t stitchRecords = 0;
    for (const Step& step : design.steps)
        stitchRecords += step.kind == Step::Kind::Stitch;
    ByteVector summary;
    putString16(summary, "");
    for (const std::int32_t v : {e.maxX, e.maxY, e.minX, e.minY})
        putInt32(summary, v * kMicrometresPerUnit);
    putBigEndian(summary, stitchRecords, 4);
    putBigEndian(summary, std::uint32_t(colourBlocks.size() - 1), 2);
    summary.push_back(12);
    putBigEndian(summary, 1, 2);
    putPacket(summary, 0x03, hoop);

    ByteVector file{'%', 'v', 's', 'm', '%', 0};
    putString16(file, kProducer);
    putPacket(file, 0x02, summary);
    return file;
}

} // namespace orlika::gen
