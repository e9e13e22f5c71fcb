// SPDX-License-Identifier: MIT
// The Pfaff KSM reader: two fixed records at 512, then relative 3-byte stitch records
// up to the end record. Read twice: once to size the design, once to draw it.
#include "decoders/Ksm.h"

#include "catalog/Catalog.h"
#include "decoders/StitchStream.h"
#include "platform/Rounding.h"

#include <array>

namespace orlika {

bool Catalog::ksmControl(std::uint8_t control)
{
    return ksm::isMove(control);
}

void Catalog::KSMFormat(Canvas& canvas)
{
    auto& s = m_state;
    DesignFile& file = designFile();
    const CellPoint cell = cellAnchor();

    file.seek(ksm::kStartRecordOffset);
    std::array<std::uint8_t, 2 * ksm::kRecordSize> header{};
    const std::size_t headerBytes = readFully(file, header);
    // A file whose second record is missing or wrong gets the same cell as one whose
    // start record is: nothing of it is read as stitches, so it cannot be shown as a
    // design, and the cell says why instead of showing an empty picture.
    if (headerBytes < header.size() || !ksm::isHeaderRecord(header.data(), ksm::kStartControl) ||
        !ksm::isHeaderRecord(header.data() + ksm::kRecordSize, ksm::kSecondControl)) {
        writeNameLine(canvas, true);
        writeText(canvas, toSingle(cell.X), toSingle(cell.Y), "Bad File Format (Not KSM Format)");
        showPhase("");
        return;
    }

    // Sizing pass: every record counts, the end record included.
    float x = 0, y = 0;
    std::int64_t records = 0;
    startExtents(s);
    showPhase("Reading");
    forEachRecordBlock<ksm::kRecordSize>(file, s.RecordBuffer, [&](std::span<std::uint8_t> block, bool) {
        const std::uint8_t* r = block.data();
        const std::uint8_t* const end = r + block.size();
        for (; r != end; r += ksm::kRecordSize) {
            const ksm::Step step = ksm::stepOf(r[0], r[1], r[2]);
            x = toSingle(double(x) + step.dx);
            y = toSingle(double(y) + step.dy);
            if (x < s.MinX) s.MinX = x;
            if (x > s.MaxX) s.MaxX = x;
            if (y < s.MinY) s.MinY = y;
            if (y > s.MaxY) s.MaxY = y;
            ++records;
            if (ksm::isEnd(r[2]))
                return false;
        }
        return true;
    });
    settleExtents(s, records > 0);
    s.StitchCount = records > INT32_MAX ? INT32_MAX : std::int32_t(records);

    file.seek(ksm::kFirstStitchOffset);
    float scale = 0;
    const bool drawn = cellScale(s, 0.6, scale);
    x = toSingle(cell.X - s.MinX * double(scale));
    y = toSingle(cell.Y + s.MinY * double(scale));
    if (drawn)
        canvas.moveTo(roundPixel(x), roundPixel(y));
    canvas.setPenColor(Black);
    int colorIndex = 0;
    std::int64_t colorChanges = 0;
    bool moving = false;
    showPhase("Drawing");
    // Drawing pass. A design without width and height is not drawn, but its colour
    // changes are still counted for the remarks.
    forEachRecordBlock<ksm::kRecordSize>(file, s.RecordBuffer, [&](std::span<std::uint8_t> block, bool) {
        const std::uint8_t* r = block.data();
        const std::uint8_t* const end = r + block.size();
        for (; r != end; r += ksm::kRecordSize) {
            const std::uint8_t control = r[2];
            if (ksm::isColorChange(control)) {
                if (++colorIndex > 16)
                    colorIndex = 0;
                if (drawn)
                    canvas.setPenColor(s.ColorTable[std::size_t(colorIndex)]);
                moving = false;
                ++colorChanges;
            }
            // The move flag stays set until the next colour change.
            if (ksmControl(control))
                moving = true;
            if (drawn) {
                const ksm::Step step = ksm::stepOf(r[0], r[1], control);
                s.PosX = toSingle(step.dx * double(scale) + x);
                s.PosY = toSingle(y - step.dy * double(scale));
                x = s.PosX;
                y = s.PosY;
                if (moving)
                    canvas.moveTo(roundPixel(s.PosX), roundPixel(s.PosY));
                else
                    canvas.lineTo(roundPixel(s.PosX), roundPixel(s.PosY));
            }
            if (ksm::isEnd(control))
                return false;
        }
        return true;
    });

    canvas.setPenColor(Black);
    writeNameLine(canvas, true);
    writeSizeRemarks(*this, canvas, records, colorChanges);
    showPhase("");
}

} // namespace orlika
