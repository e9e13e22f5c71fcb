// SPDX-License-Identifier: MIT
// Brother PES and PEC designs: the layout of the PEC section and the items of its
// stitch stream, as pure functions of their bytes.
#pragma once

#include "decoders/Design.h"
#include "platform/ByteCursor.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orlika {

/// Reads PES and PEC designs through their PEC section.
extern const Decoding PESFormat;

namespace pes {

/// The smaller of two integers.
constexpr std::int64_t iMin(std::int64_t a, std::int64_t b)
{
    return a < b ? a : b;
}

// Offsets inside the PEC section.
constexpr std::int64_t kColorCountOffset = 48;   // number of colours minus 1
constexpr std::int64_t kBlockEndOffset = 514;    // L, 24 bits
constexpr std::int64_t kWidthOffset = 520;
constexpr std::int64_t kHeightOffset = 522;
constexpr std::int64_t kStitchOffset = 532;
/// The stitch stream runs through section offset 512 + L (inclusive).
constexpr std::int64_t kStreamEndBase = 511;

constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kBlockSize = 512;
/// The longest item: a long x part and a long y part.
constexpr std::size_t kLongestItem = 4;

/// True when the bytes start with "#PES" and a version of four digits ("#PES0100" and the
/// later versions), whose PEC section lies behind the offset as in the first ones.
constexpr bool isVersionedPes(std::span<const std::uint8_t> bytes)
{
    constexpr std::string_view pes = "#PES";
    if (bytes.size() < kSignatureSize)
        return false;
    for (std::size_t k = 0; k < pes.size(); ++k)
        if (bytes[k] != std::uint8_t(pes[k]))
            return false;
    for (std::size_t k = pes.size(); k < kSignatureSize; ++k)
        if (bytes[k] < '0' || bytes[k] > '9')
            return false;
    return true;
}

/// True when the bytes contain "#PES00" or "#PEC00" anywhere, or are a PES signature of
/// any version.
constexpr bool hasSignature(std::span<const std::uint8_t> bytes)
{
    constexpr std::string_view pes = "#PES00";
    constexpr std::string_view pec = "#PEC00";
    for (std::size_t at = 0; at + pes.size() <= bytes.size(); ++at) {
        bool isPes = true, isPec = true;
        for (std::size_t k = 0; k < pes.size(); ++k) {
            isPes = isPes && bytes[at + k] == std::uint8_t(pes[k]);
            isPec = isPec && bytes[at + k] == std::uint8_t(pec[k]);
        }
        if (isPes || isPec)
            return true;
    }
    return isVersionedPes(bytes);
}

/// A stored thread index as the colour list keeps it: indices above 64 fold onto 1..16.
constexpr std::uint8_t threadIndex(std::uint8_t stored)
{
    return stored > 64 ? std::uint8_t((stored & 0x0F) + 1) : stored;
}

/// A long part's value: 12 bits of two's complement from the low nibble of b and c.
constexpr int longValue(std::uint8_t b, std::uint8_t c)
{
    const int raw = (b & 0x0F) * 256 + c;
    return raw >= 2048 ? raw - 4096 : raw;
}

/// A short part's value: 64..127 stand for -64..-1; 0..63, 254 and 255 for themselves.
constexpr int shortValue(std::uint8_t b)
{
    return b >= 64 && b < 128 ? b - 128 : b;
}

/// The same for a byte below 128: seven bits in two's complement, which shifting them to
/// the top of a signed byte and back sign-extends without a compare.
constexpr int shortStitchValue(std::uint8_t b)
{
    return std::int8_t(std::uint8_t(b << 1)) >> 1;
}

enum class ItemKind : std::uint8_t { Movement, ColorChange, End, Incomplete };

struct Item {
    ItemKind kind = ItemKind::Incomplete;
    std::uint8_t size = 0;  // bytes the item takes
    bool move = false;      // a long part beyond -256..255: the pen moves without a line
    int dx = 0;
    int dy = 0;             // grows downward, as on the page
};

/// The item at the start of bytes. Incomplete when the bytes end inside it; with
/// kLongestItem bytes or more an item is always complete.
constexpr Item decodeItem(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size();
    if (n == 0)
        return {};
    // The common stitch: two short parts, which can be neither an end nor a change.
    if (n >= 2 && bytes[0] < 0x80 && bytes[1] < 0x80)
        return {ItemKind::Movement, 2, false, shortValue(bytes[0]), shortValue(bytes[1])};
    if (bytes[0] == 0xFE) {
        if (n < 2)
            return {};
        if (bytes[1] == 0xB0)
            return n < 3 ? Item{} : Item{ItemKind::ColorChange, 3, false, 0, 0};
    }
    int raw[2] = {0, 0};
    bool isLong[2] = {false, false};
    bool move = false;
    std::size_t at = 0;
    for (int axis = 0; axis < 2; ++axis) {
        if (at >= n)
            return {};
        const std::uint8_t b = bytes[at];
        if (b >= 0x80 && b < 0xFE) {
            if (at + 1 >= n)
                return {};
            raw[axis] = longValue(b, bytes[at + 1]);
            isLong[axis] = true;
            const int nibble = b & 0x0F;
            move = move || (nibble != 0 && nibble != 0x0F);
            at += 2;
        } else {
            raw[axis] = b;
            at += 1;
        }
    }
    // The end test looks at the values before the short-form sign rule.
    if ((raw[0] == 255 && raw[1] == 0) || (raw[0] == 0 && raw[1] == 255))
        return {ItemKind::End, std::uint8_t(at), false, 0, 0};
    const int dx = isLong[0] ? raw[0] : shortValue(std::uint8_t(raw[0]));
    const int dy = isLong[1] ? raw[1] : shortValue(std::uint8_t(raw[1]));
    return {ItemKind::Movement, std::uint8_t(at), move, dx, dy};
}

/// The PEC section as its header gives it.
struct Section {
    std::int64_t offset = 0;              // P, from the start of the file
    std::array<std::uint8_t, 256> threads{};  // thread indices in sewing order, reduced
    std::size_t threadCount = 0;          // as many as the file delivers of its N
    std::int64_t blockLength = 0;         // L
    /// The stitch stream: from offset 532 through 512 + L, where reads of
    /// iMin(512, end - position + 2) bytes with end = P + L + 511 stop.
    std::int64_t streamStart() const { return offset + kStitchOffset; }
    std::int64_t streamLimit() const { return offset + blockLength + kStreamEndBase + 2; }
};

enum class SectionStatus { Ok, UnknownFormat, BadFormat };

/// Whether a design of this name is laid out as a PES file: its name holds "PES"
/// anywhere, in any case. The section's place follows the name, not the signature.
bool namedPes(const std::string& path);

/// Reads the signature and the PEC section's header. The section follows an offset at
/// byte 8 when the file is `namedPes`, else the signature.
SectionStatus readSection(ByteCursor& cursor, bool pesName, Section& section);

/// The stream's next item from the cursor, which stands in the stitch stream and is
/// limited to it: Incomplete where the stream ends inside an item or before one.
Item GetPesData(ByteCursor& stream);

/// Hands the run of stitches of two short parts that starts at the stream's position, at
/// most `most` of them, to visit(dx, dy) and moves past them; returns how many. Most items
/// are such stitches, which can be neither an end nor a change: a run of them is taken
/// straight from the buffered bytes. The buffer is refilled when fewer than two bytes are
/// left, as one item at a time would.
template <typename Visit>
std::size_t takeShortStitches(ByteCursor& stream, std::size_t most, Visit&& visit)
{
    if (stream.peek(2).size() != 2)
        return 0;
    const std::span<const std::uint8_t> bytes = stream.buffered();
    const std::size_t limit = std::min(most, bytes.size() / 2) * 2;
    std::size_t taken = 0;
    for (; taken < limit; taken += 2) {
        const std::uint8_t b0 = bytes[taken], b1 = bytes[taken + 1];
        if ((b0 | b1) & 0x80)
            break;
        visit(shortStitchValue(b0), shortStitchValue(b1));
    }
    stream.skip(std::int64_t(taken));
    return taken / 2;
}

/// Hands every item of the section's stitch stream to visit(item) up to the end movement
/// (which is not handed over) or where the stream ends. visit must not use the stream.
template <typename Visit>
void forEachItem(ByteCursor& stream, const Section& section, Visit&& visit)
{
    stream.seek(section.streamStart());
    stream.limitTo(section.streamLimit());
    const auto shortStitch = [&](int dx, int dy) { visit(Item{ItemKind::Movement, 2, false, dx, dy}); };
    for (;;) {
        if (takeShortStitches(stream, SIZE_MAX, shortStitch) > 0)
            continue;
        const Item item = GetPesData(stream);
        if (item.kind != ItemKind::Movement && item.kind != ItemKind::ColorChange)
            break;
        visit(item);
    }
    stream.limitTo(ByteCursor::kNoLimit);
}

/// What the extents pass finds; the start point itself does not count.
struct Figures {
    float xmin = 99999;
    float xmax = -99999;
    float ymin = 99999;
    float ymax = -99999;
    std::uint16_t width = 0;   // rounded, in 16 bits
    std::uint16_t height = 0;
    std::int64_t movements = 0;
    std::int64_t colorChanges = 0;
};

/// The extents pass over the section's stitch stream.
Figures measure(ByteCursor& cursor, const Section& section);

} // namespace pes
} // namespace orlika
