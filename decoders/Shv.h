// SPDX-License-Identifier: MIT
// Husqvarna Viking SHV (docs/formats/shv.md): a fixed text, the design's name, a 4-bit
// preview picture, the colour blocks with their lengths, then a stream of 2-byte stitches
// and 0x80 controls, y down as the format stores it. Colour changes are not in the stream:
// they come where a block's length is used up. Numbers are big-endian.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orlika {

/// Reads Husqvarna Viking SHV designs.
extern const Decoding SHVFormat;

namespace shv {

constexpr std::string_view kSignature =
    "Embroidery disk created using software licensed from Viking Sewing Machines AB, Sweden";
/// The block of 6 unknown bytes, the extents and the stream's length, before the block records.
constexpr std::int64_t kExtentsBlockSize = 18;
constexpr std::int64_t kBlockRecordSize = 14;

/// The big-endian number the bytes make.
constexpr std::uint32_t bigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const std::uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

/// A colour block: its length in 2-byte units of the stream, and its SHV colour index.
struct ColorBlock {
    std::uint32_t units = 0;
    std::uint8_t colorIndex = 0;
};

/// What the header gives: the blocks and where the stream starts.
struct Layout {
    std::vector<ColorBlock> blocks;
    std::int64_t streamStart = 0;
};

/// Reads the header: the signature, the name, the picture (in its 8-bit or 16-bit size
/// form), the block records. False when the signature differs or the records do not fit in
/// the file.
bool readLayout(ByteCursor& cursor, Layout& layout);

enum class ItemKind : std::uint8_t {
    Plain,       // dx, dy: a stitch, or a jump between a long move and 80 02
    LongMove,    // 80 01, then i16 dx, i16 dy: a jump; the needle travels on until 80 02
    EndTravel,   // 80 02
    Trim,        // 80 03
    Unknown,     // another control: reading stops
    Incomplete,  // the data ends inside the item
};

struct Item {
    ItemKind kind = ItemKind::Incomplete;
    std::uint8_t size = 0;   // bytes
    std::uint8_t units = 0;  // what it counts toward its block: a long move 3, any other 1
    int dx = 0;
    int dy = 0;              // y down
};

/// The item at the start of the bytes; with 6 bytes or more an item is never Incomplete.
constexpr Item decodeItem(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2)
        return {};
    if (bytes[0] != 0x80)
        return {ItemKind::Plain, 2, 1, std::int8_t(bytes[0]), std::int8_t(bytes[1])};
    switch (bytes[1]) {
    case 0x01:
        if (bytes.size() < 6)
            return {};
        return {ItemKind::LongMove, 6, 3, std::int16_t(bigEndian(bytes.subspan(2, 2))),
                std::int16_t(bigEndian(bytes.subspan(4, 2)))};
    case 0x02:
        return {ItemKind::EndTravel, 2, 1, 0, 0};
    case 0x03:
        return {ItemKind::Trim, 2, 1, 0, 0};
    default:
        return {ItemKind::Unknown, 2, 1, 0, 0};
    }
}

/// Walks the stream item by item, counting each toward its colour block, and tells a sink
/// what happens: sink.stitch(dx, dy), sink.jump(dx, dy), sink.trim(), sink.colorChange(block)
/// when a used-up block gives way to the next before an item, sink.end() when every block
/// is used up. The walk stops there, at an unknown control or where the data ends.
class StreamWalker {
public:
    explicit StreamWalker(std::span<const ColorBlock> blocks);

    bool stopped() const { return m_stopped; }

    /// Walks at most `most` items from the cursor's position; the sink hears at most one
    /// movement an item, one end, and a colour change a block. The cursor's buffer holds
    /// 512 bytes or more: a shorter look ahead is taken for the end of the data.
    template <typename Sink>
    void walk(ByteCursor& cursor, std::size_t most, Sink& sink);

private:
    bool allBlocksUsed() const;
    template <typename Sink>
    void take(const Item& item, Sink& sink);

    std::span<const ColorBlock> m_blocks;
    std::size_t m_block = 0;
    std::uint64_t m_used = 0;  // units of the current block taken
    std::ptrdiff_t m_lastBlock = -1;  // the last block with units
    bool m_travelling = false;
    bool m_stopped = false;
};

template <typename Sink>
void StreamWalker::walk(ByteCursor& cursor, std::size_t most, Sink& sink)
{
    constexpr std::size_t kLongestItem = 6;
    constexpr std::size_t kPeek = 512;
    std::size_t taken = 0;
    while (!m_stopped && taken < most) {
        // The items in the buffered bytes; the last few are read again after a refill,
        // unless the data ends there.
        const std::span<const std::uint8_t> bytes = cursor.peek(kPeek);
        const bool dataEnds = bytes.size() < kPeek;
        std::size_t at = 0;
        while (!m_stopped && taken < most && (dataEnds || at + kLongestItem <= bytes.size())) {
            if (allBlocksUsed()) {
                sink.end();
                m_stopped = true;
                break;
            }
            const Item item = decodeItem(bytes.subspan(at));
            if (item.kind == ItemKind::Incomplete || item.kind == ItemKind::Unknown) {
                m_stopped = true;
                break;
            }
            take(item, sink);
            at += item.size;
            ++taken;
        }
        cursor.skip(std::int64_t(at));
    }
}

template <typename Sink>
void StreamWalker::take(const Item& item, Sink& sink)
{
    // Not all blocks are used up, so a block with units left follows.
    while (m_used >= m_blocks[m_block].units) {
        ++m_block;
        m_used = 0;
        sink.colorChange(m_block);
    }
    switch (item.kind) {
    case ItemKind::Plain:
        if (m_travelling)
            sink.jump(item.dx, item.dy);
        else
            sink.stitch(item.dx, item.dy);
        break;
    case ItemKind::LongMove:
        sink.jump(item.dx, item.dy);
        m_travelling = true;
        break;
    case ItemKind::EndTravel:
        m_travelling = false;
        break;
    case ItemKind::Trim:
        sink.trim();
        break;
    case ItemKind::Unknown:
    case ItemKind::Incomplete:
        break;
    }
    m_used += item.units;
}

/// What the sizing pass finds.
struct Figures {
    Extents extents;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
};

/// The sizing pass over the stream.
Figures measure(ByteCursor& cursor, const Layout& layout);

/// The SHV colour table entry; an index beyond the table is an unknown thread (black, no name).
Thread tableThread(std::uint8_t index);

} // namespace shv
} // namespace orlika
