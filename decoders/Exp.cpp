// SPDX-License-Identifier: MIT
#include "decoders/Exp.h"

#include "decoders/CellContext.h"
#include "decoders/Sew.h"
#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <array>

namespace orlika {

namespace exp {

namespace {

// Hands the stream's records to visit(record) until it returns false or the data ends.
// Leading jumps travel nowhere: in the first block the displacement after each of them is
// handed over as 0, 0, so the design starts at the start point.
template <typename Visit>
void forEachStreamRecord(ByteCursor& cursor, std::int64_t streamStart, Visit&& visit)
{
    static constexpr std::array<std::uint8_t, kRecordSize> kNoDisplacement{};
    cursor.seek(streamStart);
    bool firstBlock = true;
    while (const RecordBlock<kRecordSize> block = cursor.records<kRecordSize>(kBlockRecords)) {
        std::size_t from = 0;
        if (firstBlock) {
            const std::size_t jumps = leadingJumps(block);
            for (std::size_t k = 0; k < jumps; ++k)
                if (!visit(block[2 * k]) || !visit(Record(kNoDisplacement)))
                    return;
            from = 2 * jumps;
            firstBlock = false;
        }
        for (const Record record : block.from(from))
            if (!visit(record))
                return;
    }
}

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
    // Returns false when the pen keeps its colour.
    bool next(const PenColorTable& table, std::uint8_t code, Color& color)
    {
        if (!threads) {
            const ColorStep step = nextColor(position, code);
            position = step.position;
            color = table[std::size_t(step.entry)];
            return true;
        }
        if (threads->count == 0)
            return false;
        if (++position >= threads->count)
            position = 0;
        color = sew::threadColor(threads->entries[position]);
        return true;
    }
};

// The drawing pass. A jump lifts the pen for the next record only; a colour change puts
// it down again.
void drawStitches(CellContext& cell, ByteCursor& cursor, std::int64_t streamStart, float scale, PenSteps pen)
{
    Canvas& canvas = cell.canvas();
    DesignFigures& shared = cell.figures();
    // The position stays in registers; the figures get each new one as well, but are not
    // read back across the canvas calls, which the compiler cannot see through.
    float px = shared.PosX, py = shared.PosY;
    bool penUp = false;
    forEachStreamRecord(cursor, streamStart, [&](Record r) {
        if (r[0] != kControl) {
            px = toSingle(double(px) + std::int8_t(r[0]) * double(scale));
            py = toSingle(double(py) - std::int8_t(r[1]) * double(scale));
            shared.PosX = px;
            shared.PosY = py;
            if (penUp)
                canvas.moveTo(roundPixel(px), roundPixel(py));
            else
                canvas.lineTo(roundPixel(px), roundPixel(py));
            penUp = false;
            return true;
        }
        switch (kindOf(r[0], r[1])) {
        case RecordKind::End:
            return false;
        case RecordKind::Jump:
            penUp = true;
            break;
        default:
            if (Color color = Black; pen.next(cell.colorTable(), r[1], color))
                canvas.setPenColor(color);
            penUp = false;
            break;
        }
        return true;
    });
}

// Scales the design into the cell and draws it, its lowest-left corner on the anchor. A
// design without width and height has nothing to draw.
void draw(CellContext& cell, ByteCursor& cursor, std::int64_t streamStart, const Extents& extents, PenSteps pen)
{
    float scale = 0;
    const bool drawn = cellScale(extents, cell.cell(), 0.5, scale);
    if (drawn) {
        const CellPoint anchor = cell.cell().anchor;
        DesignFigures& shared = cell.figures();
        cell.canvas().setPenColor(pen.first());
        shared.PosX = toSingle(anchor.X - extents.minX * double(scale));
        shared.PosY = toSingle(anchor.Y + extents.minY * double(scale));
        cell.canvas().moveTo(roundPixel(shared.PosX), roundPixel(shared.PosY));
    }
    cell.showPhase("Drawing");
    if (drawn)
        drawStitches(cell, cursor, streamStart, scale, pen);
}

} // namespace

Figures measure(ByteCursor& cursor, std::int64_t streamStart)
{
    Figures figures{Extents::fromOrigin(), 0, 0};
    float x = 0, y = 0;
    bool moved = false;
    forEachStreamRecord(cursor, streamStart, [&](Record r) {
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
    });
    // A stream without ordinary records keeps the maxima at their start value; it is a
    // point at the origin, sized 0 x 0 rather than by the start values' difference.
    if (!moved)
        figures.extents = {};
    return figures;
}

} // namespace exp

void EXPFormat(CellContext& cell, DesignFile& file)
{
    std::array<std::uint8_t, exp::kBlockRecords * exp::kRecordSize> buffer;
    ByteCursor cursor(file, buffer);
    const bool sewPath = sew::namedSew(cell.designPath());
    sew::ColorList threads;
    std::int64_t streamStart = 0;
    if (sewPath) {
        if (!sew::readHeader(cell, cursor, threads))
            return;
        streamStart = sew::kStitchOffset;
    }
    cell.showPhase("Reading");
    const exp::Figures figures = exp::measure(cursor, streamStart);
    DesignFigures& shared = cell.figures();
    figures.extents.storeIn(shared);

    // SEW blocks follow the header's list from its first entry; EXP colour positions start at 1.
    exp::draw(cell, cursor, streamStart, figures.extents,
              sewPath ? exp::PenSteps{&threads, 0} : exp::PenSteps{nullptr, 1});
    cell.canvas().setPenColor(Black);
    cell.writeNameLine(true);
    const Extents& e = figures.extents;
    cell.writeRemarks(shared.PosX, shared.PosY, cell.cell().anchor,
                      cell.remarks(figures.stitches, figures.colorChanges, e.width(), e.height(),
                                   DesignUnit::TenthMillimetre),
                      ShortRemarks::ThreeLines);
    if (sewPath)
        sew::writeColorList(cell, threads);
    cell.showPhase("");
}

} // namespace orlika
