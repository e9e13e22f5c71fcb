// SPDX-License-Identifier: MIT
// Melco EXP stitch records (also the stitch stream of Janome SEW files), as pure
// functions of their two bytes: signed dx, signed dy, or 0x80 and a control code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orlika::exp {

constexpr std::size_t kRecordSize = 2;
constexpr std::size_t kBlockSize = 1000;
constexpr std::uint8_t kControl = 0x80;
constexpr std::int8_t kEndCode = 0x10;

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

constexpr bool isJump(std::uint8_t b0, std::uint8_t b1)
{
    return kindOf(b0, b1) == RecordKind::Jump;
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

/// The lead-in of a stream's first block: while the scan stands on a jump record, the
/// displacement after it becomes 0, 0 and the scan moves two records on. The scan never
/// leaves the block. Returns the number of displacements zeroed.
std::size_t zeroLeadingJumps(std::span<std::uint8_t> records);

} // namespace orlika::exp
