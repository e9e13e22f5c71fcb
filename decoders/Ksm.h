// SPDX-License-Identifier: MIT
// The Pfaff KSM reader: two fixed records at byte 512, then relative 3-byte stitch records
// (Y step, X step, control byte) up to the end record. Steps are unsigned magnitudes; the
// control byte carries their signs.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace orlika {

/// Reads KSM designs.
extern const Decoding KSMFormat;

namespace ksm {

constexpr std::int64_t kStartRecordOffset = 512;
constexpr std::int64_t kFirstStitchOffset = 518;
constexpr std::size_t kRecordSize = 3;
constexpr std::uint8_t kStartControl = 0x87;
constexpr std::uint8_t kSecondControl = 0x8B;
constexpr std::uint8_t kEndRecord = 0x88;

using Record = std::span<const std::uint8_t, kRecordSize>;

struct Step {
    int dx = 0;
    int dy = 0;  // grows upward
};

/// A sign bit counts only together with bit 7: 0xC0 negates X, 0xA0 negates Y.
constexpr Step stepOf(std::uint8_t yStep, std::uint8_t xStep, std::uint8_t control)
{
    const int dx = (control & 0xC0) == 0xC0 ? -int(xStep) : int(xStep);
    const int dy = (control & 0xA0) == 0xA0 ? -int(yStep) : int(yStep);
    return {dx, dy};
}

constexpr bool isColorChange(std::uint8_t control)
{
    return (control & 0x19) == 0x19;
}

/// The move test: the low five bits from 11 to 19. No colour-change byte passes it.
constexpr bool ksmControl(std::uint8_t control)
{
    const int low = control & 0x1F;
    return low > 10 && low < 20;
}

constexpr bool isEnd(std::uint8_t control)
{
    return control == kEndRecord;
}

/// True for the bytes 0x00, 0x00, control.
constexpr bool isHeaderRecord(Record record, std::uint8_t control)
{
    return record[0] == 0 && record[1] == 0 && record[2] == control;
}

/// Reads the two fixed records at byte 512; true when both are in place, the cursor then
/// standing at the first stitch record.
bool readStartRecords(ByteCursor& cursor);

/// What the sizing pass finds: the extents (from the origin) and every record counted,
/// the end record, colour changes and moves included, and the colour changes.
struct Figures {
    Extents extents;
    std::int64_t records = 0;
    std::int64_t colorChanges = 0;
};

/// The sizing pass, from the cursor's position up to the end record or the data's end.
Figures measure(ByteCursor& cursor);

} // namespace ksm
} // namespace orlika
