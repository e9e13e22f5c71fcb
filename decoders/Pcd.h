// SPDX-License-Identifier: MIT
// Pfaff PCD, PCQ and PCS designs: header pieces, 9-byte stitch records and the note
// text, as pure functions of their bytes.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"
#include "platform/ByteCursor.h"
#include "platform/Color.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orlika {

/// Reads PCD, PCQ and PCS designs.
extern const Decoding PCDesignerFormat;

namespace pcd {

constexpr std::uint8_t kFormatByte = 0x32;  // the character "2"
constexpr std::size_t kHeaderSize = 4;       // format byte, colour-table byte, colour count
constexpr std::size_t kRecordSize = 9;
constexpr std::size_t kBlockRecords = 504;
constexpr std::size_t kBlockSize = kBlockRecords * kRecordSize;  // 4536
constexpr std::size_t kMaxColors = 65;
constexpr std::size_t kColorEntrySize = 4;
constexpr std::size_t kNoteLimit = 254;
constexpr float kUnitsPerMillimetre = 6.0f;  // one design unit is 1/6 mm

/// One stitch record: absolute X and Y with 8 fraction bits (Y grows upward), and its type.
struct Record {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint8_t type = 0;
};

/// The record held in the nine bytes (little-endian fields).
constexpr Record recordOf(std::span<const std::uint8_t, kRecordSize> bytes)
{
    return {littleEndian<std::int32_t>(bytes.first<4>()), littleEndian<std::int32_t>(bytes.subspan<4, 4>()), bytes[8]};
}

/// Whether the sizing pass counts the record as a stitch (it widens the extents).
/// Type 3 counts only with Y not 0 and X above 16: fields of colour changes hold small X.
constexpr bool countsWhenSizing(const Record& r)
{
    switch (r.type) {
    case 0: case 1: case 2: case 4: case 5: case 6:
        return true;
    case 3:
        return r.y != 0 && r.x > 16;
    default:
        return false;
    }
}

enum class DrawKind { Stitch, Jump, ColorChange, Ignored };

/// What the drawing pass does with the record. Type 3 with Y not 0 and X of 17 to 32 is
/// sized as a stitch but drawn as a colour change: the two passes use different limits.
constexpr DrawKind drawKindOf(const Record& r)
{
    switch (r.type) {
    case 0: case 1: case 2: case 4: case 6:
        return DrawKind::Stitch;
    case 5:
        return DrawKind::Jump;
    case 3:
        return r.y != 0 && r.x > 32 ? DrawKind::Stitch : DrawKind::ColorChange;
    default:
        return DrawKind::Ignored;
    }
}

/// How much of the colour table the reader takes from the file.
struct ColorTableLayout {
    std::size_t entriesRead = 0;   // entries read into the table (at most kMaxColors)
    std::int64_t bytesSkipped = 0; // bytes of further entries passed over
};

/// The colour table that follows the header. The table exists only when the colour-table
/// byte is above 1. The program's table holds 65 entries: a larger count reads the first
/// 65 and skips the rest, so that the stitch count is still found where the file puts it;
/// a negative count means no table at all.
constexpr ColorTableLayout colorTableLayout(std::uint8_t tableByte, std::int16_t colorCount)
{
    if (tableByte <= 1 || colorCount <= 0)
        return {};
    const auto count = std::size_t(colorCount);
    if (count <= kMaxColors)
        return {count, 0};
    return {kMaxColors, std::int64_t(count - kMaxColors) * std::int64_t(kColorEntrySize)};
}

/// The note after its bytes are cleaned, its spaces folded and a leading picture-file
/// reference removed; empty when nothing is left.
std::string cleanNote(std::span<const std::uint8_t> bytes);

/// The lines written for the note bytes: one line for a short note, else the note
/// wrapped at the first cut point from its 28th character on.
std::vector<std::string> noteLines(std::span<const std::uint8_t> bytes);

/// Wraps a cleaned note of 40 or more characters into lines.
std::vector<std::string> wrapNote(std::string note);

/// The header: the colour table as far as the file gives it, and the stitch count.
struct Header {
    std::array<Color, kMaxColors> colors{};
    std::size_t colorsRead = 0;
    std::int64_t stitchCount = 0;
    /// The colour of a colour change to `entry`; black for an entry the file did not give.
    Color colorAt(std::int32_t entry) const;
};

/// Reads the header from the cursor's position (byte 0); false when the file is not of
/// the format (too short, or another format byte). The cursor then stands at the first record.
bool readHeader(ByteCursor& cursor, Header& header);

/// What the sizing pass finds, and where the drawing pass will stop.
struct Figures {
    Extents extents{32000.0f, 0.0f, 32000.0f, 0.0f};  // the maxima start at 0, not below
    std::int64_t counted = 0;      // records sized as stitches
    std::int64_t firstRecord = 0;  // file position of the first record
    std::int64_t areaEnd = 0;      // end of the stitch area: where the note begins, less one
    std::int64_t drawnRecords = 0; // records the drawing pass reads
    std::int64_t colorChanges = 0; // colour changes among them
    std::int64_t notePosition = 0; // where the note begins
};

/// The sizing pass from the cursor's position: the stitch area ends right after the
/// record that brings the stitches counted to the header's count, else at the file's end.
/// The drawing pass reads the area 504 records a block and stops after a block that is
/// not the last once as many stitches and jumps as the header counts are drawn; its last
/// read takes the byte after the area too, so that the note follows where it stops.
Figures measure(ByteCursor& cursor, std::int64_t headerCount);

} // namespace pcd
} // namespace orlika
