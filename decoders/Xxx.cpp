// SPDX-License-Identifier: MIT
// The Singer XXX reader: the header, the record stream read twice (sizing, then the
// movements) through one buffer, and the colour list behind the end record, which the
// sizing pass finds.
#include "decoders/Xxx.h"

#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace orlika {

namespace xxx {

HeaderStatus readHeader(ByteCursor& cursor, Header& header)
{
    header = {};
    if (cursor.size() < kStitchOffset)
        return HeaderStatus::UnknownFormat;
    cursor.seek(kColorCountOffset);
    const Read<std::uint32_t> colors = cursor.u32();
    cursor.seek(kEndOffsetField);
    const Read<std::uint32_t> endOffset = cursor.u32();
    if (!colors.complete() || !endOffset.complete())
        return HeaderStatus::UnknownFormat;
    header.colors = colors.value;
    header.endOffset = endOffset.value;
    return HeaderStatus::Ok;
}

namespace {

// The sizing pass with the sums kept by `Sums` (IntegerSteps or SinglePrecisionSteps).
template <typename Sums>
Figures measureWith(ByteCursor& cursor, Sums& sums)
{
    Figures figures;
    const auto stitch = [&](int dx, int dy) {
        sums.step(dx, dy);
        ++figures.stitches;
    };
    cursor.seek(kStitchOffset);
    for (;;) {
        if (takeStitches(cursor, SIZE_MAX, stitch) > 0)
            continue;
        const std::int64_t at = cursor.position();
        const Record record = nextRecord(cursor);
        switch (record.kind) {
        case RecordKind::Stitch:
            stitch(record.dx, record.dy);
            break;
        case RecordKind::ColorChange:
            ++figures.colorChanges;
            sums.step(record.dx, record.dy);
            break;
        case RecordKind::LongMove:
        case RecordKind::Jump:
        case RecordKind::Trim:
            sums.step(record.dx, record.dy);
            break;
        case RecordKind::End:
            figures.endRecord = at;
            [[fallthrough]];
        case RecordKind::Unknown:
        case RecordKind::Incomplete:
            figures.extents = sums.extents();
            return figures;
        }
    }
}

} // namespace

Figures measure(ByteCursor& cursor)
{
    IntegerSteps exact;
    const Figures figures = measureWith(cursor, exact);
    if (exact.exact())
        return figures;
    SinglePrecisionSteps single;
    return measureWith(cursor, single);
}

std::int64_t colorListStart(ByteCursor& cursor, const Header& header, std::int64_t endRecord)
{
    if (header.endOffset >= kStitchOffset && header.endOffset < cursor.size()) {
        cursor.seek(header.endOffset);
        const std::span<const std::uint8_t> marks = cursor.peek(2);
        if (marks.size() == 2 && marks[0] == kCommand && marks[1] == kEndCode)
            return std::int64_t(header.endOffset) + kColorsAfterEnd;
    }
    return endRecord < 0 ? -1 : endRecord + kColorsAfterEnd;
}

namespace {

constexpr std::size_t kBufferSize = 4096;
/// The colour of a block the colour list has no entry for.
constexpr Color kUnknownColor = Black;

// The file names no threads: a thread is named by its colour, "#RRGGBB".
std::string colorName(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", unsigned(rgb & 0xFFFFFF));
    return text;
}

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_name(namePart(path)) {}

    bool readHeader(Design& design) override
    {
        if (xxx::readHeader(m_cursor, m_header) != HeaderStatus::Ok) {
            design.messages.push_back({m_name + " Has an Unknown File Format", "XXX File Format Error"});
            design.rejection = Rejection{"Unknown Format"};
            return false;
        }
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.30 ms of CPU
    // for a 200,000-stitch spiral against 0.96 ms summed from the decoded movements
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    // The colours lie behind the stitches: the sizing pass finds them, before anything is drawn.
    void measure(Design& design) override
    {
        const Figures figures = xxx::measure(m_cursor);
        readColors(colorListStart(m_cursor, m_header, figures.endRecord), design);
        describeExtents(design, figures.extents, figures.stitches, figures.colorChanges);
        if (figures.stitches > 0)
            listNumberedThreads(design, design.threads, "");
    }

protected:
    // A record gives two movements at most: a trim or colour change and its displacement.
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(kStitchOffset);
            m_started = true;
        }
        const auto stitch = [&](int dx, int dy) { batch.push(Step::Stitch, float(dx), float(dy)); };
        const auto moveBy = [&](const Record& r) {
            if (r.dx != 0 || r.dy != 0)
                batch.push(Step::Jump, float(r.dx), float(r.dy));
        };
        while (!m_ended && batch.room() >= 2) {
            if (takeStitches(m_cursor, batch.room(), stitch) > 0)
                continue;
            const Record record = nextRecord(m_cursor);
            switch (record.kind) {
            case RecordKind::Stitch:
                stitch(record.dx, record.dy);
                break;
            case RecordKind::LongMove:
            case RecordKind::Jump:
                batch.push(Step::Jump, float(record.dx), float(record.dy));
                break;
            case RecordKind::Trim:
                batch.push(Step::Trim, 0, 0);
                moveBy(record);
                break;
            case RecordKind::ColorChange:
                batch.pushColor(nextColor());
                moveBy(record);
                break;
            case RecordKind::End:
                batch.push(Step::End, 0, 0);
                m_ended = true;
                break;
            case RecordKind::Unknown:
            case RecordKind::Incomplete:
                // What was read before an unknown command or a cut record stays.
                m_ended = true;
                break;
            }
        }
    }

private:
    // As many colours as the count says and the file holds; a stop repeats its colour in
    // the list, so each change takes the next entry.
    void readColors(std::int64_t from, Design& design)
    {
        m_colors.clear();
        if (from < 0 || from > m_cursor.size())
            return;
        const std::int64_t fit = (m_cursor.size() - from) / 4;
        const auto count = std::uint32_t(std::min<std::int64_t>({m_header.colors, fit, kMaxColors}));
        m_cursor.seek(from);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::array<std::uint8_t, 4> bytes{};
            if (m_cursor.bytes(bytes) != bytes.size())
                break;
            const std::uint32_t value = std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
            m_colors.push_back(rgb(bytes[1], bytes[2], bytes[3]));
            design.threads.push_back({m_colors.back(), colorName(value), {}});
        }
        design.startColor = m_colors.empty() ? kUnknownColor : m_colors.front();
    }

    Color nextColor()
    {
        ++m_block;
        return m_block < m_colors.size() ? m_colors[m_block] : kUnknownColor;
    }

    std::array<std::uint8_t, kBufferSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_name;
    Header m_header;
    std::vector<Color> m_colors;
    std::size_t m_block = 0;
    bool m_started = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

} // namespace xxx

// The movements: steps, y up as the format stores it; the pen starts in the first colour.
const Decoding XXXFormat{&xxx::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
