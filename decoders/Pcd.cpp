// SPDX-License-Identifier: MIT
// The Pfaff PCD, PCQ and PCS reader: a small header with an optional colour table, then
// 9-byte absolute stitch records, then a note text. The design is read twice: once to
// size it, once to draw it.
#include "decoders/Pcd.h"

#include "decoders/CellContext.h"
#include "platform/ByteCursor.h"
#include "platform/Rounding.h"

#include <array>

namespace orlika {

namespace pcd {

namespace {

bool isSpace(char c)
{
    return c == ' ';
}

std::string trimmed(const std::string& text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && isSpace(text[first]))
        ++first;
    while (last > first && isSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Deletes everything up to and including the first `mark` when it starts at a 1-based
// character position up to `lastPosition`; returns whether it did.
bool removeThrough(std::string& text, const char* mark, std::size_t markLength, std::size_t lastPosition)
{
    const std::size_t at = text.find(mark);
    if (at == std::string::npos || at + 1 > lastPosition)
        return false;
    text.erase(0, at + markLength);
    return true;
}

bool isWordCut(char c)
{
    return c == ' ' || c == ',' || c == '<' || c == ';';
}

// Digits 0 and 1 are no cut points: they sit inside numbers such as "10" or "2001".
bool isDigitCut(char c)
{
    return c >= '2' && c <= '9';
}

} // namespace

std::string cleanNote(std::span<const std::uint8_t> bytes)
{
    // Control characters, line ends, braces, bar, tilde and every byte from 0x7F up
    // become spaces.
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t b : bytes)
        text.push_back(b < 0x20 || b > 0x7A ? ' ' : char(b));

    text = trimmed(text);
    std::string folded;
    folded.reserve(text.size());
    for (const char c : text)
        if (!(isSpace(c) && !folded.empty() && isSpace(folded.back())))
            folded.push_back(c);

    // Notes often begin with the name of the picture file shown with the design.
    if (!removeThrough(folded, "BMP", 3, std::string::npos))
        if (!removeThrough(folded, "MP", 2, 13))
            removeThrough(folded, "BM", 2, 13);
    return trimmed(folded);
}

std::vector<std::string> wrapNote(std::string note)
{
    constexpr std::size_t kFirstCut = 28;
    std::vector<std::string> lines;
    while (!note.empty()) {
        // Text with spaces or commas is cut between words; a run of one word (a list of
        // numbers, say) is cut before the digits 2 to 9.
        const bool wordMode = note.find_first_of(" ,") != std::string::npos;
        std::size_t k = kFirstCut;
        while (!note.empty() && note.size() >= k) {
            const char at = note[k - 1];
            if (note.size() > k && (wordMode ? isWordCut(at) : isDigitCut(at))) {
                // A comma or semicolon stays on its line; a space, "<" or digit begins the rest.
                const std::size_t length = wordMode && (at == ',' || at == ';') ? k : k - 1;
                std::string line = note.substr(0, length);
                note.erase(0, length);
                if (wordMode)
                    line = trimmed(line);
                if (line.size() >= 2) {
                    lines.push_back(std::move(line));
                    k = kFirstCut;
                    continue;
                }
            } else if (note.size() == k) {
                lines.push_back(wordMode ? trimmed(note) : note);
                note.clear();
                break;
            }
            ++k;
        }
        // The scan ran out of characters: what is left is the last line.
        if (note.size() >= 2)
            lines.push_back(wordMode ? trimmed(note) : note);
        note.clear();
    }
    return lines;
}

std::vector<std::string> noteLines(std::span<const std::uint8_t> bytes)
{
    std::string note = cleanNote(bytes);
    if (note.size() >= 40)
        return wrapNote(std::move(note));
    // A short note is one line; a single character is dropped.
    if (note.size() >= 2)
        return {note};
    return {};
}

} // namespace pcd

namespace pcd {

namespace {

// Design units (1/6 mm) of a fixed-point field, held in single precision.
float unitsOf(std::int32_t field)
{
    return toSingle(double(field) / 256.0);
}

// Where the drawing pass ended: the records it drew in the stitch area and the position
// after its last read, where the note text begins.
struct Drawn {
    std::int64_t colorChanges = 0;
    std::int64_t notePosition = 0;
};

// The drawing pass over the stitch area, 504 records a block. After a block it stops once
// as many stitches and jumps as the header counts are drawn. Its last read takes the byte
// after the area too, so that the note follows where it stops; a pass stopped before the
// area's end leaves the note where it stopped.
Drawn drawStitches(CellContext& cell, ByteCursor& cursor, const Header& header, const Figures& figures)
{
    const CellGeometry& g = cell.cell();
    DesignFigures& shared = cell.figures();
    Canvas& canvas = cell.canvas();
    // Width, height and E are differences of the single-precision extents, kept in double:
    // extents far apart would lose bits in a single-precision difference.
    double extent = std::max(figures.extents.width(), figures.extents.height());
    if (extent == 0)
        extent = 1200;  // a point-like design
    // Each axis has its own scale: the picture stretches with a cell that is not square.
    const float sX = toSingle(g.width / extent * 0.5);
    const float sY = toSingle(g.height / extent * 0.5);
    cursor.seek(figures.firstRecord);
    cursor.limitTo(figures.areaEnd);
    const std::int64_t recordsEnd =
        figures.firstRecord + (figures.areaEnd - figures.firstRecord) / std::int64_t(kRecordSize) * std::int64_t(kRecordSize);
    bool penUp = true;
    std::int64_t drawn = 0;
    Drawn result;
    while (const RecordBlock<kRecordSize> block = cursor.records<kRecordSize>(kBlockRecords)) {
        for (const auto bytes : block) {
            const Record r = recordOf(bytes);
            const DrawKind kind = drawKindOf(r);
            if (kind == DrawKind::Ignored)
                continue;
            if (kind == DrawKind::ColorChange) {
                canvas.setPenColor(header.colorAt(r.x));
                penUp = true;
                ++result.colorChanges;
                continue;
            }
            shared.PosX = toSingle(roundPixel((double(unitsOf(r.x)) - shared.MinX) * sX + g.anchor.X));
            shared.PosY = toSingle(roundPixel(g.anchor.Y - (double(unitsOf(r.y)) - shared.MinY) * sY));
            if (penUp || kind == DrawKind::Jump)
                canvas.moveTo(roundPixel(shared.PosX), roundPixel(shared.PosY));
            else
                canvas.lineTo(roundPixel(shared.PosX), roundPixel(shared.PosY));
            penUp = false;
            ++drawn;
        }
        if (drawn == header.stitchCount && cursor.position() < recordsEnd) {
            result.notePosition = cursor.position();
            return result;
        }
    }
    result.notePosition = std::min(figures.areaEnd + 1, cursor.size());
    return result;
}

// The remarks in the 1/6 mm units of the format ("Colors Changes" in this reader), and
// below them, outside the thumbnail layouts, the note text that follows the stitch area.
void writeRemarks(CellContext& cell, ByteCursor& cursor, const Header& header, const Figures& figures,
                  const Drawn& drawn)
{
    if (!cell.remarksShown())
        return;
    DesignFigures& shared = cell.figures();
    const Extents& e = figures.extents;
    cell.writeRemarks(shared.PosX, shared.PosY, cell.cell().anchor,
                      cell.remarks(header.stitchCount, drawn.colorChanges, e.width(), e.height(),
                                   DesignUnit::SixthMillimetre, "Colors Changes: "),
                      ShortRemarks::TwoLines);
    if (cell.cell().thumbnails)
        return;
    std::array<std::uint8_t, kNoteLimit> note{};
    cursor.limitTo(ByteCursor::kNoLimit);
    cursor.seek(drawn.notePosition);
    const std::size_t delivered = cursor.bytes(note);
    cell.writeListLines(shared.PosX, shared.PosY, noteLines(std::span(note).first(delivered)));
}

} // namespace

Color Header::colorAt(std::int32_t entry) const
{
    // A colour change to an entry the file did not give (no table, a number outside the
    // table, or a table cut short by the end of the file) draws in black, the pen's
    // colour at the start of every design.
    return entry >= 0 && std::size_t(entry) < colorsRead ? colors[std::size_t(entry)] : Black;
}

bool readHeader(ByteCursor& cursor, Header& header)
{
    const Read<std::uint8_t> format = cursor.u8();
    const Read<std::uint8_t> tableByte = cursor.u8();
    const Read<std::int16_t> colorCount = cursor.i16();
    if (!format.complete() || !tableByte.complete() || !colorCount.complete() || format.value != kFormatByte)
        return false;
    const ColorTableLayout table = colorTableLayout(tableByte.value, colorCount.value);
    for (Read<std::uint32_t> entry; header.colorsRead < table.entriesRead && (entry = cursor.u32()).complete();)
        header.colors[header.colorsRead++] = entry.value;
    // A table cut short leaves the stitch count where the file's bytes end.
    if (header.colorsRead == table.entriesRead)
        cursor.skip(table.bytesSkipped);
    header.stitchCount = cursor.u16().value;
    return true;
}

Figures measure(ByteCursor& cursor, std::int64_t headerCount, const bool& cancelPressed)
{
    Figures figures;
    figures.firstRecord = cursor.position();
    figures.areaEnd = -1;
    std::int64_t recordEnd = figures.firstRecord;
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](std::span<const std::uint8_t, kRecordSize> bytes) {
        if (cancelPressed) {
            figures.cancelled = true;
            return false;
        }
        const Record r = recordOf(bytes);
        if (countsWhenSizing(r)) {
            figures.extents.include(unitsOf(r.x), unitsOf(r.y));
            ++figures.counted;
        }
        recordEnd += std::int64_t(kRecordSize);
        if (figures.counted != headerCount)
            return true;
        figures.areaEnd = recordEnd;
        return false;
    });
    if (figures.areaEnd < 0)
        figures.areaEnd = cursor.size();
    return figures;
}

} // namespace pcd

void PCDesignerFormat(CellContext& cell, DesignFile& file)
{
    std::array<std::uint8_t, pcd::kBlockSize> buffer;
    ByteCursor cursor(file, buffer);
    pcd::Header header;
    if (!pcd::readHeader(cursor, header)) {
        cell.messageBox(cell.designPath() + " is not in PCD2 Format", "File Format Error");
        cell.canvas().setPenColor(Black);
        cell.writeErrorCell(" Bad File Format (Not PCD-2 Format)", ErrorPlace::MiddleLine, false);
        return;
    }
    DesignFigures& shared = cell.figures();
    cell.showPhase("Reading");
    pcd::Figures figures = pcd::measure(cursor, header.stitchCount, cell.cancelled());
    figures.extents.storeIn(shared);
    if (figures.cancelled) {
        cell.setPhase("");
        return;
    }
    cell.processMessages();
    // Without a single stitch the extents would keep their start values and show as a
    // size of -5333.3 mm: such a design shows a size of 0 and draws nothing.
    if (figures.counted == 0) {
        figures.extents = {};
        figures.extents.storeIn(shared);
    }
    cell.showPhase("Drawing");
    const pcd::Drawn drawn = pcd::drawStitches(cell, cursor, header, figures);
    if (cell.cancelled()) {
        cell.setPhase("");
        return;
    }
    cell.canvas().setPenColor(Black);
    cell.writeNameLine(true);
    pcd::writeRemarks(cell, cursor, header, figures, drawn);
    cell.setPhase("");
}

} // namespace orlika
