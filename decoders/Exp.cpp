// SPDX-License-Identifier: MIT
// The Melco EXP reader, which also reads Janome SEW files: 2-byte relative records,
// read twice (extents, then drawing). The SEW parts are in Sew.cpp.
#include "decoders/Exp.h"

#include "catalog/Catalog.h"
#include "decoders/Sew.h"
#include "decoders/StitchStream.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <array>

namespace orlika {

namespace exp {

std::size_t zeroLeadingJumps(std::span<std::uint8_t> records)
{
    std::size_t zeroed = 0;
    std::size_t at = 0;
    while (at + kRecordSize <= records.size() && isJump(records[at], records[at + 1])) {
        const std::size_t next = at + kRecordSize;
        if (next + kRecordSize > records.size())
            break;
        records[next] = 0;
        records[next + 1] = 0;
        ++zeroed;
        at = next + kRecordSize;
    }
    return zeroed;
}

} // namespace exp

void Catalog::EXPFormat(Canvas& canvas)
{
    auto& s = m_state;
    DesignFile& file = designFile();
    const CellPoint cell = cellAnchor();
    const bool sewPath = upperCase(extensionPart(s.DesignPath)) == ".SEW";

    sew::ColorList colors;
    std::int64_t streamStart = 0;
    if (sewPath) {
        if (!sew::readHeader(*this, canvas, colors))
            return;
        streamStart = sew::kStitchOffset;
    }
    std::array<std::uint8_t, exp::kBlockSize> block;

    // Sizing pass. Leading jumps travel nowhere: their displacements are zeroed in the
    // first block of each pass, so the design starts at the start point.
    file.seek(streamStart);
    float x = 0, y = 0;
    std::int64_t stitches = 0, colorChanges = 0;
    bool moved = false;
    startExtents(s);
    showPhase("Reading");
    forEachRecordBlock<exp::kRecordSize>(file, block, [&](std::span<std::uint8_t> records, bool first) {
        if (first)
            exp::zeroLeadingJumps(records);
        const std::uint8_t* r = records.data();
        const std::uint8_t* const end = r + records.size();
        for (; r != end; r += exp::kRecordSize) {
            if (r[0] == exp::kControl) {
                switch (exp::kindOf(r[0], r[1])) {
                case exp::RecordKind::End:
                    return false;
                case exp::RecordKind::Jump:
                    ++stitches;  // its displacement is counted again as an ordinary record
                    break;
                default:
                    ++colorChanges;
                    break;
                }
                continue;
            }
            x = toSingle(double(x) + std::int8_t(r[0]));
            y = toSingle(double(y) + std::int8_t(r[1]));
            ++stitches;
            if (x < s.MinX) s.MinX = x;
            if (x > s.MaxX) s.MaxX = x;
            if (y < s.MinY) s.MinY = y;
            if (y > s.MaxY) s.MaxY = y;
            moved = true;
        }
        return true;
    });
    settleExtents(s, moved);

    file.seek(streamStart);
    std::uint16_t position = sewPath ? 0 : 1;
    float scale = 0;
    const bool drawn = cellScale(s, 0.5, scale);
    const int listWidth = roundPixel(s.CellWidth * 0.8);
    if (drawn) {
        // A SEW file without a thread list has no colour of its own: its stitches stay
        // black, and its colour changes keep them black.
        canvas.setPenColor(sewPath && colors.count > 0 ? sew::threadColor(colors.entries[0]) : Black);
        s.PosX = toSingle(cell.X - s.MinX * double(scale));
        s.PosY = toSingle(cell.Y + s.MinY * double(scale));
        canvas.moveTo(roundPixel(s.PosX), roundPixel(s.PosY));
    }
    bool penUp = false;
    showPhase("Drawing");
    // Drawing pass; a design without width and height has nothing to draw.
    if (drawn) {
        forEachRecordBlock<exp::kRecordSize>(file, block, [&](std::span<std::uint8_t> records, bool first) {
            if (first)
                exp::zeroLeadingJumps(records);
            const std::uint8_t* r = records.data();
            const std::uint8_t* const end = r + records.size();
            for (; r != end; r += exp::kRecordSize) {
                if (r[0] != exp::kControl) {
                    s.PosX = toSingle(double(s.PosX) + std::int8_t(r[0]) * double(scale));
                    s.PosY = toSingle(double(s.PosY) - std::int8_t(r[1]) * double(scale));
                    if (penUp) {
                        canvas.moveTo(roundPixel(s.PosX), roundPixel(s.PosY));
                        penUp = false;
                    } else {
                        canvas.lineTo(roundPixel(s.PosX), roundPixel(s.PosY));
                    }
                    continue;
                }
                switch (exp::kindOf(r[0], r[1])) {
                case exp::RecordKind::End:
                    return false;
                case exp::RecordKind::Jump:
                    penUp = true;
                    break;
                default:
                    if (!sewPath) {
                        const exp::ColorStep step = exp::nextColor(position, r[1]);
                        position = step.position;
                        canvas.setPenColor(s.ColorTable[std::size_t(step.entry)]);
                    } else if (colors.count > 0) {
                        // SEW blocks follow the header's list, starting again when it runs out.
                        if (++position >= colors.count)
                            position = 0;
                        canvas.setPenColor(sew::threadColor(colors.entries[position]));
                    }
                    penUp = false;
                    break;
                }
            }
            return true;
        });
    }

    canvas.setPenColor(Black);
    writeNameLine(canvas, true);
    writeSizeRemarks(*this, canvas, stitches, colorChanges);
    if (sewPath)
        sew::writeColorList(*this, canvas, colors, listWidth);
    showPhase("");
}

} // namespace orlika
