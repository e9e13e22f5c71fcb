// SPDX-License-Identifier: MIT
// Singer XXX: a 256-byte header, a stream of records of 2, 4 or 5 bytes up to an end
// record, then the colour list (docs/formats/xxx.md). Header numbers and long moves are
// little-endian, the colours big-endian; y grows upward.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"
#include "platform/ByteCursor.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace orlika {

/// Reads Singer XXX designs.
extern const Decoding XXXFormat;

namespace xxx {

constexpr std::int64_t kColorCountOffset = 0x27;
constexpr std::int64_t kEndOffsetField = 0xFC;
constexpr std::int64_t kStitchOffset = 0x100;
/// Between the end record and the colours: two bytes.
constexpr std::int64_t kColorsAfterEnd = 4 + 2;
/// At most this many threads are listed, whatever the count says.
constexpr std::uint32_t kMaxColors = 65535;

constexpr std::uint8_t kLongMove = 0x7D;
constexpr std::uint8_t kLongMoveToo = 0x7E;
constexpr std::uint8_t kCommand = 0x7F;
constexpr std::uint8_t kJumpCode = 0x01;
constexpr std::uint8_t kTrimCode = 0x03;
constexpr std::uint8_t kColorChangeCode = 0x08;
constexpr std::uint8_t kEndCode = 0x7F;
constexpr std::uint8_t kCompuconEndCode = 0x18;
constexpr std::size_t kLongestRecord = 5;

enum class RecordKind : std::uint8_t {
    Stitch,       // two bytes: dx, dy
    LongMove,     // 7D or 7E, i16 dx, i16 dy: moves without sewing
    Jump,         // 7F 01 dx dy
    Trim,         // 7F 03 dx dy: the thread is cut, then a move by dx, dy
    ColorChange,  // 7F 08 dx dy: the next colour (a stop too)
    End,          // 7F 7F, or Compucon's 7F 18; the colours follow
    Unknown,      // 7F and any other command: the design ends there, without colours
    Incomplete,   // the data ends inside the record
};

struct Record {
    RecordKind kind = RecordKind::Incomplete;
    std::uint8_t size = 0;
    int dx = 0;
    int dy = 0;
};

/// Whether a record's first byte starts a plain stitch.
constexpr bool isStitch(std::uint8_t first)
{
    return first < kLongMove || first > kCommand;
}

/// The record at the start of the bytes; Incomplete where they end inside it (an end
/// record needs only its first two bytes). With kLongestRecord bytes or more a record is
/// always complete.
constexpr Record decodeRecord(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size();
    if (n < 2)
        return {};
    if (isStitch(bytes[0]))
        return {RecordKind::Stitch, 2, std::int8_t(bytes[0]), std::int8_t(bytes[1])};
    if (bytes[0] != kCommand) {
        if (n < 5)
            return {};
        return {RecordKind::LongMove, 5, std::int16_t(bytes[1] | bytes[2] << 8), std::int16_t(bytes[3] | bytes[4] << 8)};
    }
    const std::uint8_t code = bytes[1];
    if (code == kEndCode || code == kCompuconEndCode)
        return {RecordKind::End, std::uint8_t(n < 4 ? 2 : 4), 0, 0};
    if (code != kJumpCode && code != kTrimCode && code != kColorChangeCode)
        return {RecordKind::Unknown, 2, 0, 0};
    if (n < 4)
        return {};
    const RecordKind kind = code == kJumpCode   ? RecordKind::Jump
                            : code == kTrimCode ? RecordKind::Trim
                                                : RecordKind::ColorChange;
    return {kind, 4, std::int8_t(bytes[2]), std::int8_t(bytes[3])};
}

/// Hands the run of plain stitch records that starts at the cursor, at most `most` of
/// them, to visit(dx, dy) and moves past them; returns how many.
template <typename Visit>
std::size_t takeStitches(ByteCursor& cursor, std::size_t most, Visit&& visit)
{
    if (cursor.peek(2).size() != 2)
        return 0;
    const std::span<const std::uint8_t> bytes = cursor.buffered();
    const std::size_t records = bytes.size() / 2 < most ? bytes.size() / 2 : most;
    std::size_t taken = 0;
    while (taken < 2 * records && isStitch(bytes[taken])) {
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

/// What the header gives.
struct Header {
    std::uint32_t colors = 0;     // the colour count at 0x27
    std::uint32_t endOffset = 0;  // where the header says the end record lies
};

enum class HeaderStatus { Ok, UnknownFormat };

/// Reads the header; a file shorter than the header is not an XXX file.
HeaderStatus readHeader(ByteCursor& cursor, Header& header);

/// What the sizing pass finds: the extents of the points reached, the start point (0, 0)
/// included, the stitches and colour changes counted, and where the end record lies (-1
/// when the stream has none).
struct Figures {
    Extents extents;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
    std::int64_t endRecord = -1;
};

/// The sizing pass over the stream from byte 256.
Figures measure(ByteCursor& cursor);

/// Where the colour list starts: after the end record the header points at, when it does
/// point at one, else after the end record the stream reached; -1 for none.
std::int64_t colorListStart(ByteCursor& cursor, const Header& header, std::int64_t endRecord);

} // namespace xxx
} // namespace orlika
