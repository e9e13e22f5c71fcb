// SPDX-License-Identifier: MIT
// The Tajima DST decoder: a 512-byte text header, then 3-byte stitch records.
#include "decoders/Dst.h"

#include "platform/ByteCursor.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace orlika {

namespace dst {

namespace {

struct ByteTables {
    std::array<std::int8_t, 256> dx{};
    std::array<std::int8_t, 256> dy{};
};

// Each set bit adds its value; one table per byte position turns that into two lookups.
constexpr ByteTables makeTable(const std::array<int, 8>& dxBits, const std::array<int, 8>& dyBits)
{
    ByteTables table;
    for (int value = 0; value < 256; ++value) {
        int dx = 0, dy = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (value & (1 << bit)) {
                dx += dxBits[std::size_t(bit)];
                dy += dyBits[std::size_t(bit)];
            }
        }
        table.dx[std::size_t(value)] = std::int8_t(dx);
        table.dy[std::size_t(value)] = std::int8_t(dy);
    }
    return table;
}

constexpr ByteTables kByte0 = makeTable({1, -1, 9, -9, 0, 0, 0, 0}, {0, 0, 0, 0, -9, 9, -1, 1});
constexpr ByteTables kByte1 = makeTable({3, -3, 27, -27, 0, 0, 0, 0}, {0, 0, 0, 0, -27, 27, -3, 3});
constexpr ByteTables kByte2 = makeTable({0, 0, 81, -81, 0, 0, 0, 0}, {0, 0, 0, 0, -81, 81, 0, 0});

// The same values as floats, x beside y: the decoder's loop adds three pairs and needs no
// conversion (the sums are small integers, exact in a float).
using StepPairs = std::array<std::array<float, 2>, 256>;

constexpr StepPairs pairsOf(const ByteTables& table)
{
    StepPairs pairs{};
    for (std::size_t value = 0; value < 256; ++value)
        pairs[value] = {float(table.dx[value]), float(table.dy[value])};
    return pairs;
}

constexpr StepPairs kPairs0 = pairsOf(kByte0);
constexpr StepPairs kPairs1 = pairsOf(kByte1);
constexpr StepPairs kPairs2 = pairsOf(kByte2);

constexpr std::uint8_t kEndOfText = 0x1A;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::size_t kBlockRecords = 500;

// The header's integers: leading spaces, an optional sign, decimal digits, nothing else.
std::int32_t headerInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t digitsFrom = i;
    if (digitsFrom < text.size() && (text[digitsFrom] == '+' || text[digitsFrom] == '-'))
        ++digitsFrom;
    bool valid = digitsFrom < text.size();
    for (std::size_t k = digitsFrom; k < text.size() && valid; ++k)
        valid = text[k] >= '0' && text[k] <= '9';
    long long value = 0;
    if (valid) {
        errno = 0;
        value = std::strtoll(text.c_str() + i, nullptr, 10);
        valid = errno == 0 && value >= std::numeric_limits<std::int32_t>::min() &&
                value <= std::numeric_limits<std::int32_t>::max();
    }
    if (!valid)
        throw ConversionError("'" + text + "' is not a valid integer value");
    return std::int32_t(value);
}

// A dot ends a line; the first pair of dots ends the header.
void convertDots(HeaderBlock& header)
{
    for (std::size_t i = 0; i + 1 < header.size(); ++i) {
        if (header[i] != '.')
            continue;
        header[i] = kCarriageReturn;
        if (header[i + 1] == '.') {
            header[i + 1] = kEndOfText;
            break;
        }
    }
}

bool endsText(std::uint8_t byte)
{
    return byte == kEndOfText || byte == 0;
}

// Stores the line's value under the first tag of the header's order that it holds.
void takeLine(std::string line, DesignFigures& figures)
{
    struct Tag {
        const char* text;
        std::int32_t DesignFigures::*target;
    };
    static constexpr Tag kTags[] = {{"LA:", nullptr},
                                    {"CO:", &DesignFigures::ColorChangeCount},
                                    {"ST:", &DesignFigures::StitchCount},
                                    {"+X:", &DesignFigures::PlusX},
                                    {"-X:", &DesignFigures::MinusX},
                                    {"-Y:", &DesignFigures::MinusY},
                                    {"+Y:", &DesignFigures::PlusY}};
    for (const Tag& tag : kTags) {
        const auto at = line.find(tag.text);
        if (at == std::string::npos)
            continue;
        if (tag.target) {
            line.erase(at, 3);
            figures.*tag.target = headerInteger(line);
        }
        return;
    }
}

std::int32_t magnitude(std::int32_t value)
{
    return value == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                             : std::abs(value);
}

// Hands each whole record from byte 512 on to visit(b0, b1, b2) up to the end record.
template <typename Visit>
void forEachStitchRecord(ByteCursor& cursor, Visit&& visit)
{
    cursor.seek(kHeaderSize);
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](RecordBlock<kRecordSize>::Record r) {
        visit(r[0], r[1], r[2]);
        return r[2] != kEndMarker;
    });
}

// What the extents pass read.
struct RecordTally {
    std::int64_t records = 0;  // before the end record
    bool ended = false;        // the end record was read
};

// The extents pass as the format has it: single-precision sums, each rounded to whole
// units. It starts from the extents in `figures` (0 for an axis the header lacks) and
// replaces the stitch count by the stitch records counted.
RecordTally findExtentsInFloats(ByteCursor& cursor, DesignFigures& figures)
{
    RecordTally tally;
    figures.StitchCount = 0;
    float x = 0, y = 0;
    forEachStitchRecord(cursor, [&](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
        if (b2 == kEndMarker)
            tally.ended = true;
        else
            ++tally.records;
        const auto kind = kindOf(b2);
        if (kind == RecordKind::Jump || kind == RecordKind::Stitch) {
            const auto move = movementOf(b0, b1, b2);
            x = addStep(x, move.dx);
            y = addStep(y, move.dy);
            if (kind == RecordKind::Stitch && figures.StitchCount < std::numeric_limits<std::int32_t>::max())
                ++figures.StitchCount;
        }
        const int ix = roundPixel(x), iy = roundPixel(y);
        if (figures.MinusX > ix) figures.MinusX = ix;
        if (figures.PlusX < ix) figures.PlusX = ix;
        if (figures.MinusY > iy) figures.MinusY = iy;
        if (figures.PlusY < iy) figures.PlusY = iy;
    });
    figures.MinusX = magnitude(figures.MinusX);
    figures.MinusY = magnitude(figures.MinusY);
    return tally;
}

// Single precision holds every whole number up to 2^24 exactly.
constexpr std::int64_t kExactInFloat = std::int64_t(1) << 24;

std::int32_t clampedToInt32(std::int64_t value)
{
    return std::int32_t(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

// The same pass in whole numbers, which a design's every DST file is measured by: a
// record's step is whole units, so while the sums stay within 2^24 they are what the
// single-precision sums and their rounding give, at a fraction of the cost. False, with
// `figures` untouched, where a sum goes beyond that.
bool findExtentsInIntegers(ByteCursor& cursor, DesignFigures& figures, RecordTally& tally)
{
    cursor.seek(kHeaderSize);
    std::int64_t x = 0, y = 0, stitches = 0;
    std::int64_t minX = figures.MinusX, maxX = figures.PlusX, minY = figures.MinusY, maxY = figures.PlusY;
    RecordTally counted;
    while (!counted.ended) {
        const RecordBlock<kRecordSize> block = cursor.records<kRecordSize>(kBlockRecords);
        if (block.empty())
            break;
        for (const auto r : block) {
            const std::uint8_t b2 = r[2];
            const RecordKind kind = kindOf(b2);
            if (kind == RecordKind::Jump || kind == RecordKind::Stitch) {
                x += kByte0.dx[r[0]] + kByte1.dx[r[1]] + kByte2.dx[b2];
                y += kByte0.dy[r[0]] + kByte1.dy[r[1]] + kByte2.dy[b2];
                stitches += kind == RecordKind::Stitch;
            }
            // Every record counts where the pen stands, as the format's pass has it.
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            if (b2 == kEndMarker) {
                counted.ended = true;
                break;
            }
            ++counted.records;
        }
    }
    const auto exact = [](std::int64_t low, std::int64_t high) { return low >= -kExactInFloat && high <= kExactInFloat; };
    if (!exact(minX, maxX) || !exact(minY, maxY))
        return false;
    figures.StitchCount = clampedToInt32(stitches);
    figures.MinusX = magnitude(clampedToInt32(minX));
    figures.PlusX = clampedToInt32(maxX);
    figures.MinusY = magnitude(clampedToInt32(minY));
    figures.PlusY = clampedToInt32(maxY);
    tally = counted;
    return true;
}

// The extents pass: whole numbers where they give the same, else single precision.
RecordTally findExtents(ByteCursor& cursor, DesignFigures& figures)
{
    RecordTally tally;
    if (!findExtentsInIntegers(cursor, figures, tally))
        tally = findExtentsInFloats(cursor, figures);
    return tally;
}

// True when the box of `outer` holds that of `inner` (both extents from the start point).
bool holds(const DesignFigures& outer, const DesignFigures& inner)
{
    return inner.MinusX <= outer.MinusX && inner.PlusX <= outer.PlusX && inner.MinusY <= outer.MinusY &&
           inner.PlusY <= outer.PlusY;
}

// The header block from the cursor's position (byte 0).
void readHeader(ByteCursor& cursor, DesignFigures& figures)
{
    HeaderBlock header;
    header.fill(kEndOfText);  // what a short file does not fill reads as the text's end
    cursor.bytes(header);
    extractTajimaHeader(header, figures);
}

bool lacksExtents(const DesignFigures& figures)
{
    return (figures.PlusX == 0 && figures.MinusX == 0) || (figures.PlusY == 0 && figures.MinusY == 0);
}

// A header without an axis's extents leaves them to a pass over the records.
void completeExtents(ByteCursor& cursor, DesignFigures& figures)
{
    if (lacksExtents(figures))
        findExtents(cursor, figures);
}

} // namespace

Movement movementOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2)
{
    return {kByte0.dx[b0] + kByte1.dx[b1] + kByte2.dx[b2], kByte0.dy[b0] + kByte1.dy[b1] + kByte2.dy[b2]};
}

void TajimaXY(std::uint32_t record, int& dx, int& dy)
{
    const Movement movement = movementOf(std::uint8_t(record), std::uint8_t(record >> 8), std::uint8_t(record >> 16));
    dx = movement.dx;
    dy = movement.dy;
}

void extractTajimaHeader(HeaderBlock& header, DesignFigures& figures)
{
    figures.PlusX = figures.MinusX = figures.PlusY = figures.MinusY = 0;
    figures.StitchCount = 0;
    figures.ColorChangeCount = 0;
    convertDots(header);
    std::size_t pos = 0;
    while (pos < header.size() && header[pos] != kEndOfText) {
        // A line that starts with a line end is empty; the others run to the next end.
        std::string line;
        if (header[pos] != kCarriageReturn) {
            line.push_back(char(header[pos++]));
            while (pos < header.size() && header[pos] != kCarriageReturn && !endsText(header[pos]))
                line.push_back(char(header[pos++]));
        }
        const bool blockEnded = pos >= header.size();
        ++pos;
        takeLine(std::move(line), figures);
        if (blockEnded || pos >= header.size() || endsText(header[pos]))
            break;
    }
}

void measure(ByteCursor& cursor, DesignFigures& figures)
{
    readHeader(cursor, figures);
    completeExtents(cursor, figures);
}

} // namespace dst

namespace dst {

namespace {

class Decoder final : public DesignDecoder {
public:
    explicit Decoder(DesignFile& file) : m_cursor(file, m_buffer) {}

    bool readHeader(Design& design) override
    {
        dst::readHeader(m_cursor, m_header);
        design.unit = DesignUnit::TenthMillimetre;
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.64 ms of CPU
    // for a 200,000-stitch spiral against 1.20 ms summed from the decoded movements
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    void measure(Design& design) override
    {
        // The stitches are measured also where the header gives a box: a header whose box
        // does not hold them (its "+Y:" and "-Y:" swapped, most often) would put the
        // design over its own name, its remarks and the next row.
        const bool headerBox = !lacksExtents(m_header);
        const std::int32_t claimed = m_header.StitchCount;
        DesignFigures stitches = m_header;
        if (headerBox)
            stitches.PlusX = stitches.MinusX = stitches.PlusY = stitches.MinusY = 0;
        const RecordTally tally = findExtents(m_cursor, stitches);
        if (!headerBox)
            m_header = stitches;
        const bool byHeader = headerBox && holds(m_header, stitches);
        design.measured = !byHeader;
        place(design, byHeader ? m_header : stitches);
        // The remarks stay the header's, the extents pass's where it lacks them. The header
        // counts colour changes; the remark counts colours, one more.
        const std::int64_t colors =
            m_header.ColorChangeCount < std::numeric_limits<std::int32_t>::max() ? m_header.ColorChangeCount + 1
                                                                                 : m_header.ColorChangeCount;
        design.remarks = {m_header.StitchCount, colors, width(m_header), height(m_header)};
        if (!tally.ended && tally.records < claimed)
            design.cutShort = "File ends after " + groupedCount(tally.records) + " of " + groupedCount(claimed) +
                              " stitches";
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(kHeaderSize);
            m_started = true;
        }
        // A block gives a movement a record at most, and the end one more.
        while (!m_ended && batch.room() > kBlockRecords) {
            const RecordBlock<kRecordSize> block = m_cursor.records<kRecordSize>(kBlockRecords);
            m_ended = block.empty();
            MovementBatch::Writer out(batch);
            for (const auto r : block) {
                if (!decodeRecord(r, out)) {
                    m_ended = true;
                    break;
                }
            }
        }
    }

private:
    using Record = RecordBlock<kRecordSize>::Record;

    // Sums in 64 bits: hostile headers may hold extents near the 32-bit limits.
    static double width(const DesignFigures& box) { return double(std::int64_t(box.MinusX) + box.PlusX); }
    static double height(const DesignFigures& box) { return double(std::int64_t(box.MinusY) + box.PlusY); }

    // The box that places the design: its left and lower extents put the start point
    // into the cell.
    static void place(Design& design, const DesignFigures& box)
    {
        design.bounds = {-double(box.MinusX), double(box.PlusX), -double(box.MinusY), double(box.PlusY)};
        design.frame = {width(box), height(box), double(box.MinusX), double(box.MinusY)};
    }

    // Inlined into the block's loop (a call a record would cost more than the stitch),
    // everything but stitches and jumps after the first point apart.
    [[gnu::always_inline]] bool decodeRecord(Record r, MovementBatch::Writer& out)
    {
        const std::uint8_t b2 = r[2];
        const RecordKind kind = kindOf(b2);
        if ((kind != RecordKind::Stitch && kind != RecordKind::Jump) || m_first) [[unlikely]] {
            if (const auto movement = decodeOther(r))
                out.push(*movement);
            if (b2 == kEndMarker) {
                out.push(Step::End, 0, 0);
                return false;
            }
            return true;
        }
        const auto& p0 = kPairs0[r[0]];
        const auto& p1 = kPairs1[r[1]];
        const auto& p2 = kPairs2[b2];
        out.push(kind == RecordKind::Jump ? Step::Jump : Step::Stitch, p0[0] + p1[0] + p2[0], p0[1] + p1[1] + p2[1]);
        return true;
    }

    // What a colour change, an ignored record (nothing) or the first point hands out. The
    // end record's third byte has the colour-change bit: it changes the pen too.
    [[gnu::noinline]] std::optional<orlika::Movement> decodeOther(Record r)
    {
        const auto kind = kindOf(r[2]);
        if (kind == RecordKind::ColorChange) {
            if (++m_colorIndex > 16)
                m_colorIndex = 0;
            return orlika::Movement{0, 0, penColors()[std::size_t(m_colorIndex)], Step::ColorChange};
        }
        if (kind == RecordKind::Ignored)
            return std::nullopt;
        const auto move = movementOf(r[0], r[1], r[2]);
        // No line can start before the first point: it is reached by a move.
        const Step step = kind == RecordKind::Jump ? Step::Jump : m_first ? Step::Move : Step::Stitch;
        m_first = false;
        return orlika::Movement{float(move.dx), float(move.dy), 0, step};
    }

    std::array<std::uint8_t, kBlockRecords * kRecordSize> m_buffer;
    ByteCursor m_cursor;
    DesignFigures m_header;
    int m_colorIndex = 0;
    bool m_first = true;
    bool m_started = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& /*path*/)
{
    return std::make_unique<Decoder>(file);
}

} // namespace

} // namespace dst

// The movements: steps, y up; the pen starts black.
const Decoding TajimaFormat{&dst::open, {.positions = false, .yUp = true, .startsInColor = false}};

} // namespace orlika
