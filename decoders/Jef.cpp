// SPDX-License-Identifier: MIT
// The Janome JEF reader: the header's stitch offset and thread table, then the stream read
// twice (sizing, then the movements) through one buffer.
#include "decoders/Jef.h"

#include "decoders/JefThreads.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <array>

namespace orlika {

namespace jef {

HeaderStatus readHeader(ByteCursor& cursor, Header& header)
{
    header = {};
    cursor.seek(0);
    const Read<std::uint32_t> stitchOffset = cursor.u32();
    cursor.seek(kColorCountOffset);
    const Read<std::uint32_t> colors = cursor.u32();
    if (!stitchOffset.complete() || !colors.complete() || colors.value > kMaxColors)
        return HeaderStatus::UnknownFormat;
    // Both tables lie before the stitches, and the stitches inside the file: this bounds the
    // colour count by the file's size before the table is read.
    const std::int64_t tablesEnd = kThreadTable + 8 * std::int64_t(colors.value);
    if (stitchOffset.value < tablesEnd || stitchOffset.value > cursor.size())
        return HeaderStatus::UnknownFormat;
    header.stitchOffset = stitchOffset.value;
    header.threads.reserve(colors.value);
    cursor.seek(kThreadTable);
    for (std::uint32_t i = 0; i < colors.value; ++i) {
        const Read<std::uint32_t> index = cursor.u32();
        if (!index.complete())
            return HeaderStatus::UnknownFormat;
        header.threads.push_back(index.value);
    }
    return HeaderStatus::Ok;
}

namespace {

// The sizing pass with the sums kept by `Sums` (IntegerSteps or SinglePrecisionSteps).
template <typename Sums>
Figures measureWith(ByteCursor& cursor, std::int64_t stitchOffset, Sums& sums)
{
    Figures figures;
    const auto stitch = [&](int dx, int dy) {
        sums.step(dx, dy);
        ++figures.stitches;
    };
    cursor.seek(stitchOffset);
    for (;;) {
        if (takeStitches(cursor, SIZE_MAX, stitch) > 0)
            continue;
        const Record record = nextRecord(cursor);
        switch (record.kind) {
        case RecordKind::Stitch:
            stitch(record.dx, record.dy);
            break;
        case RecordKind::ColorChange:
            ++figures.colorChanges;
            sums.step(record.dx, record.dy);
            break;
        case RecordKind::Jump:
            sums.step(record.dx, record.dy);
            break;
        case RecordKind::Trim:
            break;
        case RecordKind::End:
        case RecordKind::Unknown:
        case RecordKind::Incomplete:
            figures.extents = sums.extents();
            return figures;
        }
    }
}

} // namespace

Figures measure(ByteCursor& cursor, std::int64_t stitchOffset)
{
    IntegerSteps exact;
    const Figures figures = measureWith(cursor, stitchOffset, exact);
    if (exact.exact())
        return figures;
    SinglePrecisionSteps single;
    return measureWith(cursor, stitchOffset, single);
}

namespace {

constexpr std::size_t kBufferSize = 4096;

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_name(namePart(path)) {}

    bool readHeader(Design& design) override
    {
        if (jef::readHeader(m_cursor, m_header) != HeaderStatus::Ok) {
            design.messages.push_back({m_name + " Has an Unknown File Format", "JEF File Format Error"});
            design.rejection = Rejection{"Unknown Format"};
            return false;
        }
        for (const std::uint32_t index : m_header.threads) {
            const ChartThread& thread = chartThread(index);
            design.threads.push_back({thread.color, std::string(thread.name), std::string(thread.code)});
        }
        design.startColor = design.threads.empty() ? Black : design.threads.front().color;
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.42 ms of CPU
    // for a 200,000-stitch spiral against 1.30 ms summed from the decoded movements
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    void measure(Design& design) override
    {
        const Figures figures = jef::measure(m_cursor, m_header.stitchOffset);
        describeExtents(design, figures.extents, figures.stitches, figures.colorChanges);
        if (figures.stitches > 0)
            listNumberedThreads(design, design.threads, "");
    }

protected:
    // A record gives two movements at most: a colour change and its displacement.
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(m_header.stitchOffset);
            m_started = true;
        }
        const auto stitch = [&](int dx, int dy) { batch.push(Step::Stitch, float(dx), float(dy)); };
        while (!m_ended && batch.room() >= 2) {
            if (takeStitches(m_cursor, batch.room(), stitch) > 0)
                continue;
            const Record record = nextRecord(m_cursor);
            switch (record.kind) {
            case RecordKind::Stitch:
                stitch(record.dx, record.dy);
                break;
            case RecordKind::ColorChange:
                batch.pushColor(nextThreadColor());
                if (record.dx != 0 || record.dy != 0)
                    batch.push(Step::Jump, float(record.dx), float(record.dy));
                break;
            case RecordKind::Jump:
                batch.push(Step::Jump, float(record.dx), float(record.dy));
                break;
            case RecordKind::Trim:
                batch.push(Step::Trim, 0, 0);
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
    // Each change takes the table's next entry; changes beyond the table have no thread,
    // and are drawn as the unknown thread rather than wrapped around to the first.
    Color nextThreadColor()
    {
        ++m_block;
        return m_block < m_header.threads.size() ? chartThread(m_header.threads[m_block]).color : kUnknownThread.color;
    }

    std::array<std::uint8_t, kBufferSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_name;
    Header m_header;
    std::size_t m_block = 0;
    bool m_started = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

} // namespace jef

// The movements: steps, y up as the format stores it; the pen starts in the first thread's
// colour.
const Decoding JEFFormat{&jef::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
