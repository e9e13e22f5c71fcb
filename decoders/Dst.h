// SPDX-License-Identifier: MIT
// Tajima DST stitch records, as pure functions of their three bytes.
#pragma once

#include <cstdint>

namespace orlika::dst {

enum class RecordKind { ColorChange, Jump, Stitch, Ignored };

struct Movement {
    int dx = 0;
    int dy = 0;  // grows upward
};

constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kRecordSize = 3;
constexpr std::uint8_t kEndMarker = 0xF3;

/// The record's kind from its third byte, tested in the format's order.
constexpr RecordKind kindOf(std::uint8_t b2)
{
    if (b2 & 0x40)
        return RecordKind::ColorChange;
    if (b2 & 0x80)
        return RecordKind::Jump;
    if (b2 & 0x03)
        return RecordKind::Stitch;
    return RecordKind::Ignored;
}

/// The movement coded by the 20 movement bits of a record.
Movement movementOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);

} // namespace orlika::dst
