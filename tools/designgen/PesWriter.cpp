// SPDX-License-Identifier: MIT
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <cstdlib>

namespace orlika::gen {

namespace {

// Byte by byte: GCC 12 misreads range inserts into vectors of known size as overflows.
void append(Bytes& out, std::initializer_list<std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes)
        out.push_back(b);
}

void append(Bytes& out, const Bytes& bytes)
{
    out.reserve(out.size() + bytes.size());
    for (const std::uint8_t b : bytes)
        out.push_back(b);
}

void appendLittleEndian(Bytes& out, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// The next piece of a movement toward (dx, dy) that one item can carry.
std::pair<int, int> piece(int dx, int dy, int limit)
{
    int px = std::clamp(dx, -limit, limit);
    int py = std::clamp(dy, -limit, limit);
    // (255, 0) and (0, 255) would read as the end of the stream.
    if (px == 255 && py == 0)
        px = 254;
    if (px == 0 && py == 255)
        py = 254;
    return {px, py};
}

constexpr int kThumbnailBytes = 6 * 38;

} // namespace

void appendPecPart(Bytes& out, int value, bool forceLong, std::uint8_t flags)
{
    if (!forceLong && value >= -64 && value <= 63) {
        out.push_back(std::uint8_t(value & 0x7F));
        return;
    }
    const int twelve = std::clamp(value, -2048, 2047) & 0xFFF;
    out.push_back(std::uint8_t(0x80 | (flags & 0x70) | (twelve >> 8)));
    out.push_back(std::uint8_t(twelve & 0xFF));
}

void appendPecColorChange(Bytes& out, int changeNumber)
{
    append(out, {0xFE, 0xB0, std::uint8_t(changeNumber % 2 == 0 ? 2 : 1)});
}

void appendPecEnd(Bytes& out)
{
    append(out, {0xFF, 0x00});
}

Bytes pecStitchStream(const Design& design)
{
    Bytes out;
    int x = 0, y = 0, changes = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            appendPecColorChange(out, changes++);
            continue;
        }
        const bool jump = step.kind == Step::Kind::Jump;
        const int targetY = -step.y;
        do {
            const auto [dx, dy] = piece(step.x - x, targetY - y, jump ? 2047 : 254);
            appendPecPart(out, dx, jump, jump ? kPecJump : 0);
            appendPecPart(out, dy, jump, jump ? kPecJump : 0);
            x += dx;
            y += dy;
        } while (x != step.x || y != targetY);
    }
    appendPecEnd(out);
    return out;
}

std::vector<std::uint8_t> pecThreadList(const Design& design)
{
    const auto thread = [&](int slot) {
        return slot >= 0 && std::size_t(slot) < design.threads.size() ? std::uint8_t(design.threads[std::size_t(slot)])
                                                                       : std::uint8_t(0);
    };
    std::vector<std::uint8_t> list{thread(0)};
    for (const Step& step : design.steps)
        if (step.kind == Step::Kind::ColorChange)
            list.push_back(thread(step.thread));
    return list;
}

Bytes pecSection(const std::string& label, const std::vector<std::uint8_t>& threads, const Bytes& stream,
                 int width, int height)
{
    Bytes out(512, ' ');
    const std::string text = "LA:" + (label + std::string(16, ' ')).substr(0, 16) + "\r";
    std::copy(text.begin(), text.end(), out.begin());
    out[32] = 0xFF;
    out[33] = 0x00;
    out[34] = 6;   // thumbnail: bytes a row
    out[35] = 38;  // and rows
    const std::size_t count = std::clamp<std::size_t>(threads.size(), 1, 256);
    out[48] = std::uint8_t(count - 1);
    for (std::size_t i = 0; i < count && i < threads.size(); ++i)
        out[49 + i] = threads[i];
    append(out, {0x00, 0x00});
    appendLittleEndian(out, std::uint32_t(stream.size() + 19), 3);  // the stream ends at 512 + L
    append(out, {0x31, 0xFF, 0xF0});
    appendLittleEndian(out, std::uint32_t(width), 2);
    appendLittleEndian(out, std::uint32_t(height), 2);
    append(out, {0xE0, 0x01, 0xB0, 0x01, 0x90, 0x00, 0x90, 0x00});
    append(out, stream);
    out.resize(out.size() + std::size_t(kThumbnailBytes) * (count + 1), 0x00);
    return out;
}

Bytes pecFile(const Bytes& section)
{
    Bytes out{'#', 'P', 'E', 'C', '0', '0', '0', '1'};
    append(out, section);
    return out;
}

Bytes pesFile(const Bytes& section, std::uint32_t pecOffset)
{
    Bytes out{'#', 'P', 'E', 'S', '0', '0', '0', '1'};
    pecOffset = std::max<std::uint32_t>(pecOffset, 12);
    appendLittleEndian(out, pecOffset, 4);
    out.resize(pecOffset, 0x00);
    append(out, section);
    return out;
}

namespace {

Bytes designSection(const Design& design)
{
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange)
            continue;
        minX = std::min(minX, step.x);
        maxX = std::max(maxX, step.x);
        minY = std::min(minY, step.y);
        maxY = std::max(maxY, step.y);
    }
    return pecSection(design.name, pecThreadList(design), pecStitchStream(design), maxX - minX, maxY - minY);
}

} // namespace

Bytes writePec(const Design& design)
{
    return pecFile(designSection(design));
}

Bytes writePes(const Design& design)
{
    return pesFile(designSection(design));
}

} // namespace orlika::gen
