// SPDX-License-Identifier: MIT
// Husqvarna Viking / Pfaff VP3: a signature, then nested packets (a tag `00 t 00` and a
// big-endian length): the design summary holds the hoop, the hoop a thread packet per
// colour block, and each thread packet its colour, its texts and its run of stitches
// (docs/formats/vp3.md). Positions are micrometres with y up, stitches 0.1 mm with y down.
#pragma once

#include "decoders/Design.h"
#include "platform/ByteCursor.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orlika {

/// Reads Husqvarna Viking / Pfaff VP3 designs.
extern const Decoding VP3Format;

namespace vp3 {

constexpr std::size_t kSignatureSize = 6;
constexpr std::uint8_t kSummaryTag = 0x02;
constexpr std::uint8_t kHoopTag = 0x03;
constexpr std::uint8_t kThreadTag = 0x05;
constexpr std::uint8_t kStitchesTag = 0x01;
constexpr double kMicrometresPerUnit = 100;

constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kLongCode = 0x01;
constexpr std::uint8_t kLongEndCode = 0x02;
constexpr std::uint8_t kTrimCode = 0x03;
constexpr std::size_t kLongestRecord = 6;

enum class RecordKind : std::uint8_t {
    Stitch,      // two bytes: dx, dy
    Long,        // 80 01, i16 dx, i16 dy: a long displacement
    LongEnd,     // 80 02: closes a long displacement; does nothing
    Trim,        // 80 03
    Unknown,     // 80 and any other command: the block's run stops there
    Incomplete,  // the run ends inside the record
};

/// A record with its displacement turned y up, as this program draws VP3 designs: the
/// stitches store y down, the packets' positions y up.
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
        return {RecordKind::Stitch, 2, std::int8_t(bytes[0]), -std::int8_t(bytes[1])};
    switch (bytes[1]) {
    case kLongCode:
        if (n < 6)
            return {};
        return {RecordKind::Long, 6, std::int16_t(bytes[2] << 8 | bytes[3]), -std::int16_t(bytes[4] << 8 | bytes[5])};
    case kLongEndCode:
        return {RecordKind::LongEnd, 2, 0, 0};
    case kTrimCode:
        return {RecordKind::Trim, 2, 0, 0};
    default:
        return {RecordKind::Unknown, 2, 0, 0};
    }
}

/// One colour block: where its run of stitches lies in the file and where it starts, in
/// micrometres from the hoop's centre, y up.
struct Block {
    std::int64_t runStart = 0;
    std::int64_t runEnd = 0;
    std::int32_t startX = 0;
    std::int32_t startY = 0;
};

/// A thread as its packet gives it.
struct ThreadPacket {
    Color color = Black;
    std::string catalogNumber;
    std::string description;
    std::string brand;
};

/// The name a thread is listed by: its description, else its brand and number, else its
/// colour ("#RRGGBB").
std::string threadName(const ThreadPacket& thread);

/// An 8-bit text of a thread packet, read as Latin-1, in UTF-8; control characters and
/// the bytes 0x80 to 0x9F, which Latin-1 leaves unassigned, become '?'.
std::string latin1ToUtf8(std::span<const std::uint8_t> bytes);

struct Layout {
    std::vector<Block> blocks;
    std::vector<ThreadPacket> threads;  // one a block
};

enum class LayoutStatus { Ok, UnknownFormat, Damaged };

/// Reads the signature and walks the packets down to every thread packet. Every length is
/// checked against its enclosing packet and the file; a tag other than the one expected at
/// its place, or a packet or text that runs past its parent, is Damaged.
LayoutStatus readLayout(ByteCursor& cursor, Layout& layout);

} // namespace vp3
} // namespace orlika
