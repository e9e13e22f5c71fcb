// SPDX-License-Identifier: MIT
// The Pfaff PCD, PCQ and PCS reader: a small header with an optional colour table, then
// 9-byte absolute stitch records, then a note text. The design is read twice: once to
// size it, once to draw it.
#include "decoders/Pcd.h"

#include "catalog/Catalog.h"
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

namespace {

using pcd::kBlockSize;
using pcd::kRecordSize;

// Blocks are filled as far as the file allows (readFully), which keeps the 9-byte
// records aligned with the blocks whatever a single read delivers.

// Design units (1/6 mm) of a fixed-point field, held in single precision.
float unitsOf(std::int32_t field)
{
    return toSingle(double(field) / 256.0);
}

std::span<const std::uint8_t, kRecordSize> recordBytes(std::span<const std::uint8_t> block, std::size_t at)
{
    return block.subspan(at).first<kRecordSize>();
}

} // namespace

void Catalog::PCDesignerFormat(Canvas& canvas)
{
    auto& s = m_state;
    DesignFile& file = designFile();
    const CellPoint cell = cellAnchor();

    std::array<std::uint8_t, pcd::kHeaderSize> header{};
    if (readFully(file, header) < header.size() || header[0] != pcd::kFormatByte) {
        m_host.messageBox(MessageRequest{s.DesignPath + " is not in PCD2 Format", "File Format Error",
                                         MessageIcon::None, MessageButtons::Ok});
        canvas.setPenColor(Black);
        writeNameLine(canvas, false);
        writeText(canvas, toSingle(cell.X), toSingle(cell.Y), " Bad File Format (Not PCD-2 Format)");
        return;
    }

    // Colour table: only the entries actually read are ever used (see colorAt below).
    std::array<Color, pcd::kMaxColors> colors{};
    std::size_t colorsRead = 0;
    const auto colorCount = std::int16_t(std::uint16_t(header[2] | (header[3] << 8)));
    const pcd::ColorTableLayout table = pcd::colorTableLayout(header[1], colorCount);
    if (table.entriesRead > 0) {
        std::array<std::uint8_t, pcd::kMaxColors * pcd::kColorEntrySize> entries{};
        const std::size_t delivered =
            readFully(file, std::span(entries).first(table.entriesRead * pcd::kColorEntrySize));
        colorsRead = delivered / pcd::kColorEntrySize;
        for (std::size_t i = 0; i < colorsRead; ++i) {
            const std::size_t at = i * pcd::kColorEntrySize;
            colors[i] = Color(entries[at]) | (Color(entries[at + 1]) << 8) | (Color(entries[at + 2]) << 16) |
                        (Color(entries[at + 3]) << 24);
        }
        if (table.bytesSkipped > 0)
            file.seek(file.position() + table.bytesSkipped);
    }
    // A colour change to an entry the file did not give (no table, a number outside the
    // table, or a table cut short by the end of the file) draws in black, the pen's colour
    // at the start of every design.
    const auto colorAt = [&](std::int32_t entry) {
        return entry >= 0 && std::size_t(entry) < colorsRead ? colors[std::size_t(entry)] : Black;
    };

    std::array<std::uint8_t, 2> countBytes{};
    readFully(file, countBytes);
    const std::int64_t headerCount = countBytes[0] | (countBytes[1] << 8);

    s.MinX = s.MinY = 32000.0f;
    s.MaxX = s.MaxY = 0.0f;
    const std::int64_t firstRecord = file.position();
    showPhase("Reading");

    // Sizing pass. The stitch area ends right after the record that brings the count of
    // stitches to the header's count; when that never happens it runs to the end of the file.
    std::array<std::uint8_t, kBlockSize + 1> block{};
    std::int64_t counted = 0;
    std::int64_t areaEnd = -1;
    std::int64_t recordEnd = firstRecord;
    while (areaEnd < 0) {
        const std::size_t delivered = readFully(file, std::span(block).first(kBlockSize));
        if (delivered == 0)
            break;
        for (std::size_t at = 0; at + kRecordSize <= delivered; at += kRecordSize) {
            if (s.CancelPressed) {
                m_host.setStatLabel("");
                return;
            }
            const pcd::Record r = pcd::recordOf(recordBytes(block, at));
            if (pcd::countsWhenSizing(r)) {
                const float x = unitsOf(r.x), y = unitsOf(r.y);
                if (x < s.MinX) s.MinX = x;
                if (x > s.MaxX) s.MaxX = x;
                if (y < s.MinY) s.MinY = y;
                if (y > s.MaxY) s.MaxY = y;
                ++counted;
            }
            recordEnd += std::int64_t(kRecordSize);
            if (counted == headerCount) {
                areaEnd = recordEnd;
                break;
            }
        }
    }
    if (areaEnd < 0)
        areaEnd = file.size();
    m_host.processMessages();

    // Without a single stitch the extents would keep their start values and show as a
    // size of -5333.3 mm: such a design shows a size of 0 and draws nothing.
    if (counted == 0)
        s.MinX = s.MaxX = s.MinY = s.MaxY = 0.0f;

    // Width, height and E are differences of the single-precision extents, kept in double:
    // extents far apart would lose bits in a single-precision difference.
    const double width = double(s.MaxX) - s.MinX;
    const double height = double(s.MaxY) - s.MinY;
    double extent = height > width ? height : width;
    if (extent == 0)
        extent = 1200;  // a point-like design
    // Each axis has its own scale: the picture stretches with a cell that is not square.
    const float sX = toSingle(s.CellWidth / extent * 0.5);
    const float sY = toSingle(s.CellHeight / extent * 0.5);

    // Drawing pass, over the same records; the last read takes one byte more, so that the
    // note text follows right where the pass leaves the file.
    file.seek(firstRecord);
    bool penUp = true;
    std::int64_t drawn = 0;
    std::int64_t colorChanges = 0;
    std::int64_t position = firstRecord;
    showPhase("Drawing");
    for (;;) {
        const std::int64_t remaining = areaEnd - position;
        const std::size_t wanted =
            remaining > std::int64_t(kBlockSize) ? kBlockSize : std::size_t(remaining < 0 ? 0 : remaining + 1);
        const std::size_t delivered = readFully(file, std::span(block).first(wanted));
        if (delivered == 0)
            break;
        position += std::int64_t(delivered);
        for (std::size_t at = 0; at + kRecordSize <= delivered; at += kRecordSize) {
            const pcd::Record r = pcd::recordOf(recordBytes(block, at));
            const pcd::DrawKind kind = pcd::drawKindOf(r);
            if (kind == pcd::DrawKind::Ignored)
                continue;
            if (kind == pcd::DrawKind::ColorChange) {
                canvas.setPenColor(colorAt(r.x));
                penUp = true;
                ++colorChanges;
                continue;
            }
            s.PosX = toSingle(roundPixel((double(unitsOf(r.x)) - s.MinX) * sX + cell.X));
            s.PosY = toSingle(roundPixel(cell.Y - (double(unitsOf(r.y)) - s.MinY) * sY));
            if (penUp || kind == pcd::DrawKind::Jump)
                canvas.moveTo(roundPixel(s.PosX), roundPixel(s.PosY));
            else
                canvas.lineTo(roundPixel(s.PosX), roundPixel(s.PosY));
            penUp = false;
            ++drawn;
        }
        if (drawn == headerCount)
            break;
    }
    if (s.CancelPressed) {
        m_host.setStatLabel("");
        return;
    }

    canvas.setPenColor(Black);
    writeNameLine(canvas, true);

    if (remarksShown()) {
        s.PosX = toSingle(cell.X);
        s.PosY = toSingle(cell.Y);
        const auto nextLine = [&](const std::string& text) {
            writeText(canvas, s.PosX, s.PosY, text);
            s.PosY = toSingle(double(s.PosY) + s.LineHeight);
        };
        const std::string mm = fixed(width * (1.0 / 6), 1) + " x " + fixed(height * (1.0 / 6), 1) + " mm";
        const std::string in = fixed(width * (1.0 / 152.4), 2) + " x " + fixed(height * (1.0 / 152.4), 2) + " In.";
        const std::string stitches = "Stitches: " + std::to_string(headerCount);
        const std::string changes = "Colors Changes: " + std::to_string(colorChanges);
        if (s.CellsPerPage < 12) {
            nextLine(stitches + ", Size: " + mm);
            nextLine(changes + ", Size: " + in);
        } else {
            nextLine(stitches);
            nextLine("Size: " + mm);
            nextLine("Size: " + in);
            nextLine(changes);
        }

        if (!s.Thumbnails) {
            std::array<std::uint8_t, pcd::kNoteLimit> note{};
            const std::int64_t left = file.size() - file.position();
            const std::size_t wanted =
                left <= 0 ? 0 : (left < std::int64_t(note.size()) ? std::size_t(left) : note.size());
            const std::size_t delivered = readFully(file, std::span(note).first(wanted));
            for (const std::string& line : pcd::noteLines(std::span(note).first(delivered)))
                nextLine(line);
        }
    }
    m_host.setStatLabel("");
}

} // namespace orlika
