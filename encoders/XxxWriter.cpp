// SPDX-License-Identifier: MIT
// Singer XXX: a 256-byte header (the counts, the design's size, where it ends, where the
// end record lies), records of 2, 4 or 5 bytes with y up (a stitch's dx never 125..127,
// whose bytes start a long move or a command), the end record 7F 7F 02 14, two zero bytes
// and the colour of each colour block as a big-endian 00RRGGBB (docs/formats/xxx.md).
#include "encoders/Writers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace orlika::writers {

namespace {

constexpr std::size_t kHeaderSize = 0x100;
constexpr std::int64_t kRecordCountField = 0x17;
constexpr std::int64_t kColorCountField = 0x27;
constexpr std::int64_t kSizeField = 0x2D;
constexpr std::int64_t kUnknownField = 0xF2;
constexpr std::int64_t kEndOffsetField = 0xFC;
/// The colour blocks listed at most: as many as this program's reader lists.
constexpr std::size_t kMostBlocks = 65535;
constexpr std::uint8_t kLongMove = 0x7D;
constexpr std::uint8_t kCommand = 0x7F;
constexpr std::uint8_t kJumpCode = 0x01;
constexpr std::uint8_t kTrimCode = 0x03;
constexpr std::uint8_t kColorChangeCode = 0x08;
constexpr std::uint8_t kEndCode = 0x7F;
constexpr std::uint8_t kEndMarks[] = {kCommand, kEndCode, 0x02, 0x14};

/// The header's numbers, patched in once the records are written.
struct HeaderFigures {
    std::uint32_t records = 0;  // the end record not counted
    std::uint32_t colors = 0;
    NeedleBox stitches;
    std::int32_t lastX = 0, lastY = 0;  // y down, as the path has it
    std::uint32_t endRecord = 0;
};

std::array<std::uint8_t, kHeaderSize> header(const HeaderFigures& f)
{
    std::array<std::uint8_t, kHeaderSize> bytes{};
    const auto put = [&](std::int64_t offset, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes[std::size_t(offset + i)] = std::uint8_t(value >> (8 * i));
    };
    const auto put16 = [&](std::int64_t offset, std::int32_t value) { put(offset, std::uint32_t(std::uint16_t(value)), 2); };
    put(kRecordCountField, f.records, 4);
    put(kColorCountField, f.colors, 4);
    put16(kSizeField, f.stitches.width());
    put16(kSizeField + 2, f.stitches.height());
    put16(kSizeField + 4, f.lastX);
    put16(kSizeField + 6, -f.lastY);
    // The left and top extents, from the start point, y up.
    put16(kSizeField + 8, f.stitches.empty ? 0 : -f.stitches.minX);
    put16(kSizeField + 10, f.stitches.empty ? 0 : -f.stitches.minY);
    put(kUnknownField, 0x20, 2);
    put(kEndOffsetField, f.endRecord, 4);
    return bytes;
}

/// Whether every number the header gives of the design fits its 16 bits.
bool headerHolds(const NeedleSummary& summary)
{
    constexpr std::int32_t kMost = std::numeric_limits<std::int16_t>::max();
    const NeedleBox& box = summary.pathBox;
    return box.width() <= std::numeric_limits<std::uint16_t>::max() &&
           box.height() <= std::numeric_limits<std::uint16_t>::max() &&
           std::max({-box.minX, box.maxX, -box.minY, box.maxY}) <= kMost;
}

class Records {
public:
    explicit Records(ByteSink& out) : m_out(out) {}

    std::uint32_t count() const { return m_count; }

    void stitch(std::int64_t dx, std::int64_t dy)
    {
        if (dx < -124 || dx > 124 || std::llabs(dy) > 124)
            throw std::logic_error("an XXX stitch longer than a record");
        const std::array bytes{std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy))};
        put(bytes);
    }
    void command(std::uint8_t code, std::int64_t dx, std::int64_t dy)
    {
        if (std::max(std::llabs(dx), std::llabs(dy)) > 127)
            throw std::logic_error("an XXX command's move longer than a record");
        const std::array bytes{kCommand, code, std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy))};
        put(bytes);
    }
    /// A jump: 7F 01 where the move fits a byte on each axis, else one long move.
    void jump(std::int64_t dx, std::int64_t dy)
    {
        if (std::max(std::llabs(dx), std::llabs(dy)) <= 127) {
            command(kJumpCode, dx, dy);
            return;
        }
        if (std::max(std::llabs(dx), std::llabs(dy)) > std::numeric_limits<std::int16_t>::max())
            throw std::logic_error("an XXX move longer than a long move");
        const std::array bytes{kLongMove, std::uint8_t(dx), std::uint8_t(std::uint16_t(dx) >> 8), std::uint8_t(dy),
                               std::uint8_t(std::uint16_t(dy) >> 8)};
        put(bytes);
    }

private:
    void put(std::span<const std::uint8_t> bytes)
    {
        m_out.append(bytes);
        ++m_count;
    }

    ByteSink& m_out;
    std::uint32_t m_count = 0;
};

} // namespace

void writeXxx(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const NeedleSummary& summary = input.summary;
    const std::size_t blocks = summary.blockColors.size();
    if (blocks > kMostBlocks)
        throw ConversionFailure("has more colour changes than an XXX file can list (65,534)");
    if (summary.needles >= std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        throw ConversionFailure("has more records than an XXX header can count");
    if (!headerHolds(summary))
        throw ConversionFailure("is larger than an XXX header can measure (3,276.7 mm from its start)");

    const std::uint64_t start = out.size();
    out.putZeros(kHeaderSize);
    Records records(out);
    std::int32_t x = 0, y = 0;
    Needle needle;
    while (needles.next(needle) && needle.kind != Needle::Kind::End) {
        const std::int64_t dx = std::int64_t(needle.x) - x, dy = std::int64_t(y) - needle.y;
        switch (needle.kind) {
        case Needle::Kind::Stitch:
            records.stitch(dx, dy);
            break;
        case Needle::Kind::Jump:
            if (dx != 0 || dy != 0)
                records.jump(dx, dy);
            break;
        case Needle::Kind::Trim:
            records.command(kTrimCode, 0, 0);
            break;
        case Needle::Kind::ColorChange:
            records.command(kColorChangeCode, 0, 0);
            break;
        case Needle::Kind::End:
            break;
        }
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump) {
            x = needle.x;
            y = needle.y;
        }
    }
    const std::uint64_t endRecord = out.size() - start;
    if (endRecord > std::numeric_limits<std::uint32_t>::max())
        throw ConversionFailure("is longer than an XXX header can point into (4 GB)");
    out.append(kEndMarks);
    out.putZeros(2);
    for (std::size_t block = 0; block < blocks; ++block) {
        const Color color = block < input.threads.size() ? input.threads[block].color : summary.blockColors[block];
        out.put(0);
        out.put(redOf(color));
        out.put(greenOf(color));
        out.put(blueOf(color));
    }
    out.patch(start, header({records.count(), std::uint32_t(blocks), summary.stitchBox, x, y, std::uint32_t(endRecord)}));
}

} // namespace orlika::writers
