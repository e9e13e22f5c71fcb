// SPDX-License-Identifier: MIT
// Janome JEF: a fixed header with the offset of the stitches and a thread table of Janome
// chart indices, then a stream of two-byte displacements with 0x80 escapes for commands
// (docs/formats/jef.md). All numbers are little-endian; y grows upward.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"
#include "platform/ByteCursor.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orlika {

/// Reads Janome JEF designs.
extern const Decoding JEFFormat;

namespace jef {

constexpr std::int64_t kColorCountOffset = 24;
/// The thread table: a u32 chart index per colour block, then a u32 thread type per block.
constexpr std::int64_t kThreadTable = 116;
/// Above this many colour blocks a header is not taken for a JEF one: no design has them,
/// and the thread list stays a size the cell can list.
constexpr std::uint32_t kMaxColors = 65535;

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kColorChangeCode = 0x01;
constexpr std::uint8_t kJumpCode = 0x02;
constexpr std::uint8_t kEndCode = 0x10;
/// The longest record: an escape, its command and a displacement.
constexpr std::size_t kLongestRecord = 4;

enum class RecordKind : std::uint8_t {
    Stitch,       // two bytes: dx, dy
    ColorChange,  // 80 01 dx dy: the next thread; a displacement moves without sewing
    Jump,         // 80 02 dx dy: moves without sewing
    Trim,         // 80 02 00 00: the thread is cut
    End,          // 80 10
    Unknown,      // 80 and any other command: reading stops there
    Incomplete,   // the data ends inside the record
};

struct Record {
    RecordKind kind = RecordKind::Incomplete;
    std::uint8_t size = 0;
    int dx = 0;
    int dy = 0;
};

/// The record at the start of the bytes; Incomplete where they end inside it. With
/// kLongestRecord bytes or more a record is always complete.
constexpr Record decodeRecord(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size();
    if (n < 2)
        return {};
    if (bytes[0] != kEscape)
        return {RecordKind::Stitch, 2, std::int8_t(bytes[0]), std::int8_t(bytes[1])};
    const std::uint8_t code = bytes[1];
    if (code == kEndCode)
        return {RecordKind::End, 2, 0, 0};
    if (code != kColorChangeCode && code != kJumpCode)
        return {RecordKind::Unknown, 2, 0, 0};
    if (n < 4)
        return {};
    const int dx = std::int8_t(bytes[2]), dy = std::int8_t(bytes[3]);
    if (code == kColorChangeCode)
        return {RecordKind::ColorChange, 4, dx, dy};
    // A zero move is how the format writes a trim.
    return {dx == 0 && dy == 0 ? RecordKind::Trim : RecordKind::Jump, 4, dx, dy};
}

/// What the header gives: where the stitches start and the chart index of each colour block.
struct Header {
    std::int64_t stitchOffset = 0;
    std::vector<std::uint32_t> threads;
};

enum class HeaderStatus { Ok, UnknownFormat };

/// Reads the header from byte 0. A file too short for the header, a colour count above
/// kMaxColors, or a stitch offset before the end of the thread table or beyond the end of
/// the file is not a JEF file.
HeaderStatus readHeader(ByteCursor& cursor, Header& header);

/// Hands the run of plain stitch records that starts at the cursor, at most `most` of
/// them, to visit(dx, dy) and moves past them; returns how many. Most records are such
/// stitches: a run of them is taken straight from the buffered bytes.
template <typename Visit>
std::size_t takeStitches(ByteCursor& cursor, std::size_t most, Visit&& visit)
{
    if (cursor.peek(2).size() != 2)
        return 0;
    const std::span<const std::uint8_t> bytes = cursor.buffered();
    const std::size_t records = bytes.size() / 2 < most ? bytes.size() / 2 : most;
    std::size_t taken = 0;
    while (taken < 2 * records && bytes[taken] != kEscape) {
        visit(int(std::int8_t(bytes[taken])), int(std::int8_t(bytes[taken + 1])));
        taken += 2;
    }
    cursor.skip(std::int64_t(taken));
    return taken / 2;
}

/// The next record from the cursor, which it moves past.
inline Record nextRecord(ByteCursor& cursor)
{
    const Record record = decodeRecord(cursor.peek(kLongestRecord));
    cursor.skip(record.size);
    return record;
}

/// What the sizing pass finds: the extents of the points reached, the start point (0, 0)
/// included, and the stitches and colour changes counted.
struct Figures {
    Extents extents;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
};

/// The sizing pass over the stream from `stitchOffset` to its end record, to an unknown
/// command or to the end of the data.
Figures measure(ByteCursor& cursor, std::int64_t stitchOffset);

} // namespace jef
} // namespace orlika
