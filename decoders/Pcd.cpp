// SPDX-License-Identifier: MIT
// The Pfaff PCD, PCQ and PCS reader: a small header with an optional colour table, then
// 9-byte absolute stitch records, then a note text. The design is read twice: once to
// size it, once to draw it.
#include "decoders/Pcd.h"

#include "platform/ByteCursor.h"
#include "platform/Rounding.h"

#include <array>
#include <optional>

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

Figures measure(ByteCursor& cursor, std::int64_t headerCount)
{
    Figures figures;
    figures.firstRecord = cursor.position();
    figures.areaEnd = -1;
    std::int64_t records = 0, drawn = 0, colorChanges = 0;
    std::optional<std::int64_t> stop;  // after the first block whose end sees them all drawn
    std::int64_t colorChangesAtStop = 0;
    // The extents are the pass's own until it ends, where the compiler can keep them in
    // registers rather than write each one back.
    Extents extents = figures.extents;
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](std::span<const std::uint8_t, kRecordSize> bytes) {
        const Record r = recordOf(bytes);
        if (countsWhenSizing(r)) {
            extents.include(unitsOf(r.x), unitsOf(r.y));
            ++figures.counted;
        }
        const DrawKind kind = drawKindOf(r);
        drawn += kind == DrawKind::Stitch || kind == DrawKind::Jump;
        colorChanges += kind == DrawKind::ColorChange;
        if (++records % std::int64_t(kBlockRecords) == 0 && drawn == headerCount && !stop) {
            stop = records;
            colorChangesAtStop = colorChanges;
        }
        if (figures.counted != headerCount)
            return true;
        figures.areaEnd = figures.firstRecord + records * std::int64_t(kRecordSize);
        return false;
    });
    figures.extents = extents;
    if (figures.areaEnd < 0)
        figures.areaEnd = cursor.size();
    // A stop after the area's last block is no stop: the pass reads on to the area's end.
    if (stop && *stop < records) {
        figures.drawnRecords = *stop;
        figures.colorChanges = colorChangesAtStop;
        figures.notePosition = figures.firstRecord + *stop * std::int64_t(kRecordSize);
    } else {
        figures.drawnRecords = records;
        figures.colorChanges = colorChanges;
        figures.notePosition = std::min(figures.areaEnd + 1, cursor.size());
    }
    return figures;
}

} // namespace pcd

namespace pcd {

namespace {

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_path(path) {}

    bool readHeader(Design& design) override
    {
        design.unit = DesignUnit::SixthMillimetre;
        if (!pcd::readHeader(m_cursor, m_header)) {
            design.messages.push_back({m_path + " is not in PCD2 Format", "File Format Error"});
            design.rejection = Rejection{" Bad File Format (Not PCD-2 Format)"};
            return false;
        }
        for (std::size_t i = 0; i < m_header.colorsRead; ++i)
            design.threads.push_back({m_header.colors[i], {}, {}});
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.21 ms of CPU
    // for 65,000 records against 0.35 ms summed from the decoded movements
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    void measure(Design& design) override
    {
        m_figures = pcd::measure(m_cursor, m_header.stitchCount);
        // Without a single stitch the extents would keep their start values and show as a
        // size of -5333.3 mm: such a design shows a size of 0.
        if (m_figures.counted == 0)
            m_figures.extents = {};
        const Extents& e = m_figures.extents;
        design.bounds = {e.minX, e.maxX, e.minY, e.maxY};
        design.frame = {e.width(), e.height(), double(e.minX), double(e.minY)};
        design.remarks = {m_header.stitchCount, m_figures.colorChanges, e.width(), e.height()};
    }

    void readTrailer(Design& design) override
    {
        std::array<std::uint8_t, kNoteLimit> note{};
        m_cursor.limitTo(ByteCursor::kNoLimit);
        m_cursor.seek(m_figures.notePosition);
        const std::size_t delivered = m_cursor.bytes(note);
        design.cellList = noteLines(std::span(note).first(delivered));
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(m_figures.firstRecord);
            m_started = true;
        }
        while (m_records < m_figures.drawnRecords && batch.room() > kBlockRecords) {
            const std::int64_t left = m_figures.drawnRecords - m_records;
            const auto block = m_cursor.records<kRecordSize>(std::size_t(std::min<std::int64_t>(left, kBlockRecords)));
            if (block.empty())
                break;
            m_records += std::int64_t(block.size());
            for (const auto bytes : block)
                decodeRecord(recordOf(bytes), batch);
        }
    }

private:
    // A colour change lifts the pen: the next point is reached by a move.
    void decodeRecord(const Record& r, MovementBatch& batch)
    {
        const DrawKind kind = drawKindOf(r);
        if (kind == DrawKind::Ignored)
            return;
        if (kind == DrawKind::ColorChange) {
            batch.pushColor(m_header.colorAt(r.x));
            m_penUp = true;
            return;
        }
        const Step step = kind == DrawKind::Jump ? Step::Jump : m_penUp ? Step::Move : Step::Stitch;
        batch.push(step, unitsOf(r.x), unitsOf(r.y));
        m_penUp = false;
    }

    std::array<std::uint8_t, kBlockSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_path;
    Header m_header;
    Figures m_figures;
    std::int64_t m_records = 0;
    bool m_penUp = true;
    bool m_started = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

} // namespace pcd

// The movements: absolute points, y up; the pen starts black.
const Decoding PCDesignerFormat{&pcd::open, {.positions = true, .yUp = true, .startsInColor = false}};

} // namespace orlika
