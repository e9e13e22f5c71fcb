// SPDX-License-Identifier: MIT
// The Tajima DST reader: a 512-byte text header, then 3-byte stitch records.
#pragma once

#include "decoders/Design.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace orlika {

/// Reads DST designs, which it places by the header's extents.
extern const Decoding TajimaFormat;

namespace dst {

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

/// The movement of a record given as one 24-bit value, b0 in the low byte.
void TajimaXY(std::uint32_t record, int& dx, int& dy);

using HeaderBlock = std::array<std::uint8_t, kHeaderSize>;

/// Parses the header block, whose dots it turns into line ends in place, into the
/// figures' StitchCount, ColorChangeCount, PlusX, MinusX, PlusY and MinusY, which it first
/// sets to 0. A tag's value that is not an integer throws ConversionError, leaving what
/// the lines before it gave.
void extractTajimaHeader(HeaderBlock& header, DesignFigures& figures);

/// The sizing pass: the header from the cursor's position (byte 0) and, when it lacks an
/// axis's extents, a pass over the records for them and the stitch count.
void measure(ByteCursor& cursor, DesignFigures& figures);

} // namespace dst
} // namespace orlika
