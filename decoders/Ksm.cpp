// SPDX-License-Identifier: MIT
#include "decoders/Ksm.h"

#include "decoders/CellContext.h"
#include "platform/ByteCursor.h"
#include "platform/Rounding.h"

#include <array>
#include <limits>

namespace orlika {

namespace ksm {

namespace {

constexpr std::size_t kBlockRecords = 500;

// The drawing pass: colours from the pen table, moves from the move flag, which only a
// colour change clears. Returns the colour changes, which are counted even when a design
// without width and height draws nothing.
std::int64_t drawStitches(CellContext& cell, ByteCursor& cursor, const Extents& extents)
{
    const CellGeometry& g = cell.cell();
    Canvas& canvas = cell.canvas();
    DesignFigures& shared = cell.figures();
    cursor.seek(kFirstStitchOffset);
    float scale = 0;
    const bool drawn = cellScale(extents, g, 0.6, scale);
    // The design's lowest-left extent lands on the anchor.
    float x = toSingle(g.anchor.X - extents.minX * double(scale));
    float y = toSingle(g.anchor.Y + extents.minY * double(scale));
    if (drawn)
        canvas.moveTo(roundPixel(x), roundPixel(y));
    canvas.setPenColor(Black);
    int colorIndex = 0;
    std::int64_t colorChanges = 0;
    bool moving = false;
    cell.showPhase("Drawing");
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](Record r) {
        const std::uint8_t control = r[2];
        if (isColorChange(control)) {
            if (++colorIndex > 16)
                colorIndex = 0;
            if (drawn)
                canvas.setPenColor(cell.colorTable()[std::size_t(colorIndex)]);
            moving = false;
            ++colorChanges;
        }
        if (ksmControl(control))
            moving = true;
        if (drawn) {
            const Step step = stepOf(r[0], r[1], control);
            shared.PosX = toSingle(step.dx * double(scale) + x);
            shared.PosY = toSingle(y - step.dy * double(scale));
            x = shared.PosX;
            y = shared.PosY;
            if (moving)
                canvas.moveTo(roundPixel(x), roundPixel(y));
            else
                canvas.lineTo(roundPixel(x), roundPixel(y));
        }
        return !isEnd(control);
    });
    return colorChanges;
}

} // namespace

bool readStartRecords(ByteCursor& cursor)
{
    cursor.seek(kStartRecordOffset);
    std::array<std::uint8_t, 2 * kRecordSize> records{};
    if (cursor.bytes(records) < records.size())
        return false;
    const std::span<const std::uint8_t> both(records);
    return isHeaderRecord(both.first<kRecordSize>(), kStartControl) &&
           isHeaderRecord(both.last<kRecordSize>(), kSecondControl);
}

Figures measure(ByteCursor& cursor)
{
    Figures figures{Extents::fromOrigin(), 0};
    float x = 0, y = 0;
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](Record r) {
        const Step step = stepOf(r[0], r[1], r[2]);
        x = addStep(x, step.dx);
        y = addStep(y, step.dy);
        figures.extents.include(x, y);
        ++figures.records;
        return !isEnd(r[2]);
    });
    // A design whose records never moved keeps the maxima at their start value; it is
    // a point at the origin, sized 0 x 0 rather than by the start values' difference.
    if (figures.records == 0)
        figures.extents = {};
    return figures;
}

} // namespace ksm

void KSMFormat(CellContext& cell, DesignFile& file)
{
    std::array<std::uint8_t, ksm::kBlockRecords * ksm::kRecordSize> buffer;
    ByteCursor cursor(file, buffer);
    // A file whose second record is missing or wrong gets the same cell as one whose
    // start record is: nothing of it is read as stitches, so it cannot be shown as a
    // design, and the cell says why instead of showing an empty picture.
    if (!ksm::readStartRecords(cursor)) {
        cell.writeErrorCell("Bad File Format (Not KSM Format)", ErrorPlace::MiddleLine, true);
        cell.showPhase("");
        return;
    }
    cell.showPhase("Reading");
    const ksm::Figures figures = ksm::measure(cursor);
    DesignFigures& shared = cell.figures();
    figures.extents.storeIn(shared);
    shared.StitchCount = std::int32_t(std::min<std::int64_t>(figures.records, std::numeric_limits<std::int32_t>::max()));

    const std::int64_t colorChanges = ksm::drawStitches(cell, cursor, figures.extents);
    cell.canvas().setPenColor(Black);
    cell.writeNameLine(true);
    const Extents& e = figures.extents;
    cell.writeRemarks(shared.PosX, shared.PosY, cell.cell().anchor,
                      cell.remarks(figures.records, colorChanges, e.width(), e.height(), DesignUnit::TenthMillimetre),
                      ShortRemarks::ThreeLines);
    cell.showPhase("");
}

} // namespace orlika
