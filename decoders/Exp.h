// SPDX-License-Identifier: MIT
// The Melco EXP decoder, which also reads Janome SEW files: 2-byte records of signed dx and
// dy, or 0x80 and a control code, read twice (extents, then drawing). The SEW header and
// colour list are in Sew.h.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace orlika {

/// Reads EXP designs, and SEW designs when the name ends in ".SEW".
extern const Decoding EXPFormat;

namespace exp {

constexpr std::size_t kRecordSize = 2;
constexpr std::size_t kBlockRecords = 500;
constexpr std::uint8_t kControl = 0x80;
constexpr std::int8_t kEndCode = 0x10;

using Record = std::span<const std::uint8_t, kRecordSize>;

enum class RecordKind { Stitch, End, Jump, ColorChange };

constexpr RecordKind kindOf(std::uint8_t b0, std::uint8_t b1)
{
    if (b0 != kControl)
        return RecordKind::Stitch;
    const auto code = std::int8_t(b1);
    if (code == kEndCode)
        return RecordKind::End;
    if (code == 0x02 || code == 0x04)
        return RecordKind::Jump;
    return RecordKind::ColorChange;
}

constexpr bool isJump(Record record)
{
    return kindOf(record[0], record[1]) == RecordKind::Jump;
}

/// The colour position and the ColorTable entry after a colour-change code. The code's
/// remainder modulo 16 keeps the code's sign; a remainder of 2 or more names the entry
/// directly and leaves the position alone, anything else steps the position 1 to 16
/// and then back to 0.
struct ColorStep {
    std::uint16_t position = 0;
    int entry = 0;
};
constexpr ColorStep nextColor(std::uint16_t position, std::uint8_t code)
{
    const int remainder = std::int8_t(code) % 16;
    if (remainder >= 2)
        return {position, remainder};
    ++position;
    if (position > 16)
        position = 0;
    return {position, position};
}

/// The lead-in of a stream's first block: while the scan from the first record stands
/// on a jump, the displacement after it counts as 0, 0 and the scan moves two records on;
/// it never leaves the block. Returns the number of displacements so cancelled.
template <typename Block>
std::size_t leadingJumps(const Block& firstBlock)
{
    std::size_t jumps = 0;
    while (2 * jumps + 1 < firstBlock.size() && isJump(firstBlock[2 * jumps]))
        ++jumps;
    return jumps;
}

/// What the sizing pass finds: the extents (from the origin), the records counted as
/// stitches (jumps and the displacements after them included) and the colour changes.
struct Figures {
    Extents extents;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
};

/// The sizing pass over the stream that starts at `streamStart`.
Figures measure(ByteCursor& cursor, std::int64_t streamStart);

} // namespace exp
} // namespace orlika
