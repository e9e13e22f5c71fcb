// SPDX-License-Identifier: MIT
#include "decoders/Exp.h"

#include "decoders/Sew.h"
#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <array>
#include <optional>

namespace orlika {

namespace exp {

namespace {

// The stream's records a block at a time. Leading jumps travel nowhere: in the first block
// the displacement after each of them is handed over as 0, 0, so the design starts at the
// start point.
class StreamRecords {
public:
    StreamRecords(ByteCursor& cursor, std::int64_t streamStart) : m_cursor(cursor) { cursor.seek(streamStart); }

    /// Hands the next block's records to visit(record) while it returns true; false once
    /// visit said stop or the data ended.
    template <typename Visit>
    bool nextBlock(Visit&& visit)
    {
        static constexpr std::array<std::uint8_t, kRecordSize> kNoDisplacement{};
        const RecordBlock<kRecordSize> block = m_cursor.records<kRecordSize>(kBlockRecords);
        if (!block)
            return false;
        std::size_t from = 0;
        if (m_firstBlock) {
            const std::size_t jumps = leadingJumps(block);
            for (std::size_t k = 0; k < jumps; ++k)
                if (!visit(block[2 * k]) || !visit(Record(kNoDisplacement)))
                    return false;
            from = 2 * jumps;
            m_firstBlock = false;
        }
        for (const Record record : block.from(from))
            if (!visit(record))
                return false;
        return true;
    }

private:
    ByteCursor& m_cursor;
    bool m_firstBlock = true;
};

// What a colour change does to the pen: EXP files step through the pen table; SEW files
// follow their thread list, starting again when it runs out (a file without a list stays
// in black).
struct PenSteps {
    const sew::ColorList* threads = nullptr;  // the SEW list; null for EXP files
    std::uint16_t position = 0;

    Color first() const
    {
        return threads && threads->count > 0 ? sew::threadColor(threads->entries[0]) : Black;
    }
    Color next(std::uint8_t code)
    {
        if (!threads) {
            const ColorStep step = nextColor(position, code);
            position = step.position;
            return penColors()[std::size_t(step.entry)];
        }
        if (threads->count == 0)
            return kPenKept;
        if (++position >= threads->count)
            position = 0;
        return sew::threadColor(threads->entries[position]);
    }
};

constexpr const char* kSewCaption = "SEW File Format Error";

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path)
        : m_cursor(file, m_buffer), m_name(namePart(path)), m_sew(sew::namedSew(path))
    {
    }

    bool readHeader(Design& design) override
    {
        if (!m_sew)
            return true;
        // SEW blocks follow the header's list from its first entry; EXP colour positions start at 1.
        m_pen = PenSteps{&m_threads, 0};
        m_streamStart = sew::kStitchOffset;
        switch (sew::parseHeader(m_cursor, m_threads)) {
        case sew::HeaderStatus::UnknownFormat:
            design.messages.push_back({m_name + " Has an Unknown File Format", kSewCaption});
            design.rejection = Rejection{"Unknown Format"};
            return false;
        case sew::HeaderStatus::ColorsReduced:
            design.messages.push_back({m_name + ": Color Error.  Colors have been modified for display.", kSewCaption});
            break;
        case sew::HeaderStatus::Ok:
            break;
        }
        for (std::size_t i = 0; i < m_threads.count; ++i) {
            const std::uint16_t index = m_threads.entries[i];
            design.threads.push_back({sew::threadColor(index), std::string(sew::threadName(index)), {}});
            design.cellList.push_back(sew::entryText(i, index));
        }
        design.startColor = m_pen.first();
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.42 ms of CPU
    // for a 200,000-stitch spiral against 0.96 ms summed from the decoded movements (SEW
    // 0.42 against 1.03; `SizingAlone` and `SizedFromMovements` in bench/,
    // 2026-12-11). Nor could the movements count a jump's control record as a stitch: it
    // gives no movement of its own.
    void measure(Design& design) override
    {
        const Figures figures = exp::measure(m_cursor, m_streamStart);
        describeExtents(design, figures.extents, figures.stitches, figures.colorChanges);
    }

protected:
    // A jump lifts the pen for the next record only; a colour change puts it down again.
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_records)
            m_records.emplace(m_cursor, m_streamStart);
        while (!m_ended && batch.room() > kBlockRecords)
            m_ended = !m_records->nextBlock([&](Record r) { return decodeRecord(r, batch); });
    }

private:
    // Inlined into the block's loop (a call a record cost more than the stitch), the
    // control records apart: stitches are nearly every record.
    [[gnu::always_inline]] bool decodeRecord(Record r, MovementBatch& batch)
    {
        if (r[0] == kControl) [[unlikely]]
            return decodeControl(r, batch);
        batch.push(m_penUp ? Step::Jump : Step::Stitch, float(std::int8_t(r[0])), float(std::int8_t(r[1])));
        m_penUp = false;
        return true;
    }

    [[gnu::noinline]] bool decodeControl(Record r, MovementBatch& batch)
    {
        switch (kindOf(r[0], r[1])) {
        case RecordKind::End:
            batch.push(Step::End, 0, 0);
            return false;
        case RecordKind::Jump:
            m_penUp = true;
            break;
        default:
            batch.pushColor(m_pen.next(r[1]));
            m_penUp = false;
            break;
        }
        return true;
    }

    std::array<std::uint8_t, kBlockRecords * kRecordSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_name;
    bool m_sew = false;
    sew::ColorList m_threads;
    PenSteps m_pen{nullptr, 1};
    std::int64_t m_streamStart = 0;
    std::optional<StreamRecords> m_records;
    bool m_penUp = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

Figures measure(ByteCursor& cursor, std::int64_t streamStart)
{
    Figures figures{Extents::fromOrigin(), 0, 0};
    float x = 0, y = 0;
    bool moved = false;
    StreamRecords records(cursor, streamStart);
    const auto visit = [&](Record r) {
        if (r[0] == kControl) {
            switch (kindOf(r[0], r[1])) {
            case RecordKind::End:
                return false;
            case RecordKind::Jump:
                ++figures.stitches;  // its displacement is counted again as an ordinary record
                break;
            default:
                ++figures.colorChanges;
                break;
            }
            return true;
        }
        x = addStep(x, std::int8_t(r[0]));
        y = addStep(y, std::int8_t(r[1]));
        ++figures.stitches;
        figures.extents.include(x, y);
        moved = true;
        return true;
    };
    while (records.nextBlock(visit)) {
    }
    // A stream without ordinary records keeps the maxima at their start value; it is a
    // point at the origin, sized 0 x 0 rather than by the start values' difference.
    if (!moved)
        figures.extents = {};
    return figures;
}

} // namespace exp

// The movements: steps, y up; the pen starts in the first colour.
const Decoding EXPFormat{&exp::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
