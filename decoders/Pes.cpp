// SPDX-License-Identifier: MIT
// The Brother PES and PEC reader: a signature, the PEC section (behind an offset in PES
// files), its thread list and its stitch stream, read twice through one 512-byte buffer.
#include "decoders/Pes.h"

#include "decoders/CellContext.h"
#include "decoders/PecThreads.h"
#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orlika {

namespace pes {

namespace {

constexpr const char* kErrorCaption = "PES/PEC File Format Error";
constexpr std::int64_t kExactIntegers = std::int64_t(1) << 24;

template <typename Visit>
void forEachMovement(ByteCursor& cursor, const Section& section, Visit&& visit)
{
    forEachItem(cursor, section, [&](const Item& item) {
        if (item.kind == ItemKind::Movement)
            visit(item.dx, item.dy);
    });
}

// Positions are single-precision sums. Within 2^24 units of the start every such sum is
// an integer that single precision holds exactly, so there the sums and extremes are kept
// as integers and turned into single precision once (the conversion keeps the order).
// Returns false for a design that reaches further.
bool measureExactly(ByteCursor& cursor, const Section& section, Figures& figures)
{
    std::int64_t x = 0, y = 0;
    std::int64_t lowX = INT64_MAX, lowY = INT64_MAX, highX = INT64_MIN, highY = INT64_MIN;
    forEachMovement(cursor, section, [&](int dx, int dy) {
        x += dx;
        y += dy;
        lowX = iMin(lowX, x);
        lowY = iMin(lowY, y);
        highX = std::max(highX, x);
        highY = std::max(highY, y);
    });
    if (std::min(lowX, lowY) < -kExactIntegers || std::max(highX, highY) > kExactIntegers)
        return false;
    if (lowX <= highX) {
        figures.xmin = std::min(figures.xmin, toSingle(double(lowX)));
        figures.ymin = std::min(figures.ymin, toSingle(double(lowY)));
        figures.xmax = std::max(figures.xmax, toSingle(double(highX)));
        figures.ymax = std::max(figures.ymax, toSingle(double(highY)));
    }
    return true;
}

void measureInSinglePrecision(ByteCursor& cursor, const Section& section, Figures& figures)
{
    float fx = 0, fy = 0;
    forEachMovement(cursor, section, [&](int dx, int dy) {
        fx = addStep(fx, dx);
        fy = addStep(fy, dy);
        figures.xmin = std::min(figures.xmin, fx);
        figures.ymin = std::min(figures.ymin, fy);
        figures.xmax = std::max(figures.xmax, fx);
        figures.ymax = std::max(figures.ymax, fy);
    });
}

// Sizes of the remarks: a rounded extent, kept in 16 bits. Beyond 65535 units (6.5 m)
// it stays at 65535 rather than wrapping to a small size that would blow the picture up.
std::uint16_t sizeUnits(float low, float high)
{
    const double extent = std::nearbyint(double(high) - low);
    return std::uint16_t(std::clamp(extent, 0.0, 65535.0));
}

// The error cell: a message box, the name without the selection colour and the text a
// little above the middle line.
void reject(CellContext& cell, const std::string& message, const std::string& cellText)
{
    cell.messageBox(message, kErrorCaption);
    cell.writeErrorCell(cellText, ErrorPlace::AboveMiddleLine, false);
}

struct Drawn {
    std::int64_t colorChanges = 0;  // the position reached in the thread list
    std::uint16_t stitches = 0;     // movements drawn; 16 bits, wrapping to 0 after 65535
    std::int64_t movements = 0;     // the same, without wrapping
};

// The drawing pass: one scale for both axes, the lowest point on the middle line. Each
// colour change moves one entry down the thread list; past its end the pen keeps the last
// entry's colour, and a list without entries draws in the chart's slot 0.
Drawn drawStitches(CellContext& cell, ByteCursor& cursor, const Section& section, const Figures& figures)
{
    const CellGeometry& g = cell.cell();
    Canvas& canvas = cell.canvas();
    // A size of 0 on one axis gives that axis no factor, so the other axis's factor is
    // used; with both 0 every stitch lies on the start point and the scale is 0.
    const float byWidth = figures.width > 0 ? toSingle(g.width / double(figures.width) * 0.5) : 0.0f;
    const float byHeight = figures.height > 0 ? toSingle(g.height / double(figures.height) * 0.5) : 0.0f;
    const float scale =
        figures.width > 0 && figures.height > 0 ? std::min(byWidth, byHeight) : std::max(byWidth, byHeight);
    float px = toSingle(std::fabs(double(figures.xmin)) * scale + g.anchor.X);
    float py = toSingle(g.anchor.Y - double(figures.ymax) * scale);

    const PecThreadTables& chart = threadChart();
    canvas.setPenWidth(1);
    canvas.setPenColor(chart.color(section.threadCount > 0 ? section.threads[0] : 0));
    canvas.moveTo(roundPixel(px), roundPixel(py));
    Drawn drawn;
    forEachItem(cursor, section, [&](const Item& item) {
        if (item.kind == ItemKind::ColorChange) {
            ++drawn.colorChanges;
            if (drawn.colorChanges < std::int64_t(section.threadCount))
                canvas.setPenColor(chart.color(section.threads[std::size_t(drawn.colorChanges)]));
            return;
        }
        px = toSingle(item.dx * double(scale) + px);
        py = toSingle(item.dy * double(scale) + py);
        if (item.move)
            canvas.moveTo(roundPixel(px), roundPixel(py));
        else
            canvas.lineTo(roundPixel(px), roundPixel(py));
        ++drawn.stitches;
        ++drawn.movements;
    });
    return drawn;
}

// The remarks from the middle line down, at a text position of the reader's own, and
// below them the thread list where the layout leaves room: as many entries a line as fit.
void writeRemarks(CellContext& cell, const Section& section, const Figures& figures, const Drawn& drawn)
{
    const CellGeometry& g = cell.cell();
    float x = toSingle(g.anchor.X);
    float y = toSingle(g.anchor.Y);
    cell.writeRemarks(x, y, g.anchor,
                      cell.remarks(drawn.stitches, drawn.colorChanges, figures.width, figures.height,
                                   DesignUnit::TenthMillimetre),
                      ShortRemarks::TwoLines);
    // A design without a stitch uses no thread, whatever its colour count claims.
    if (g.thumbnails || g.noRemarks || section.threadCount == 0 || drawn.movements == 0)
        return;
    const PecThreadTables& chart = threadChart();
    Canvas& canvas = cell.canvas();
    const auto entry = [&](std::size_t i) { return std::to_string(i + 1) + ". " + chart.name(section.threads[i]); };
    const auto probe = [&](const std::string& line, std::size_t next) { return canvas.textWidth(line + ", " + entry(next)); };
    cell.writeListLines(x, y, wrapEntries(section.threadCount, entry, probe, cell.listWidthLimit()));
}

} // namespace

Item GetPesData(ByteCursor& stream)
{
    const Item item = decodeItem(stream.peek(kLongestItem));
    stream.skip(item.size);
    return item;
}

bool namedPes(const std::string& path)
{
    return upperCase(path).find("PES") != std::string::npos;
}

SectionStatus readSection(ByteCursor& cursor, bool pesName, Section& section)
{
    cursor.seek(0);
    std::array<std::uint8_t, kSignatureSize> signature{};
    const std::size_t signatureRead = cursor.bytes(signature);
    if (!hasSignature(std::span(signature).first(signatureRead)))
        return SectionStatus::UnknownFormat;
    // A name with neither mark is read as a PEC file, whose section follows the signature.
    section.offset = pesName ? std::int64_t(cursor.u32().value) : cursor.position();
    cursor.seek(section.offset + kColorCountOffset);
    const Read<std::uint8_t> colorsLess1 = cursor.u8();
    if (!colorsLess1.complete())
        return SectionStatus::BadFormat;
    // The list holds what the file delivers of its N entries.
    section.threadCount = cursor.bytes(std::span(section.threads).first(std::size_t(colorsLess1.value) + 1));
    for (std::size_t i = 0; i < section.threadCount; ++i)
        section.threads[i] = threadIndex(section.threads[i]);
    cursor.seek(section.offset + kBlockEndOffset);
    section.blockLength = cursor.u24().value;
    // The stored width and height are not used (the stitches give the true ones), but the
    // height must be there.
    cursor.seek(section.offset + kHeightOffset);
    if (cursor.u16().count == 0)
        return SectionStatus::BadFormat;
    return SectionStatus::Ok;
}

Figures measure(ByteCursor& cursor, const Section& section)
{
    Figures figures;
    if (!measureExactly(cursor, section, figures))
        measureInSinglePrecision(cursor, section, figures);
    // A design without any movement is shown as a point at the start: size 0 x 0.
    if (figures.xmin > figures.xmax)
        figures.xmin = figures.xmax = figures.ymin = figures.ymax = 0;
    figures.width = sizeUnits(figures.xmin, figures.xmax);
    figures.height = sizeUnits(figures.ymin, figures.ymax);
    return figures;
}

} // namespace pes

void PESFormat(CellContext& cell, DesignFile& file)
{
    std::array<std::uint8_t, pes::kBlockSize> buffer;
    ByteCursor cursor(file, buffer);
    cell.shortenDesignPath();
    const std::string upperName = upperCase(cell.designPath());
    pes::Section section;
    switch (pes::readSection(cursor, pes::namedPes(upperName), section)) {
    case pes::SectionStatus::UnknownFormat:
        // The box names the file in capitals; the cell keeps it as it is on disk, so
        // that names differing only in letter case stay apart.
        pes::reject(cell, upperName + " Has an Unknown File Format", "Unknown Format");
        return;
    case pes::SectionStatus::BadFormat:
        pes::reject(cell, cell.designPath() + " Has a Bad File Format", "Bad Format");
        return;
    case pes::SectionStatus::Ok:
        break;
    }
    const pes::Figures figures = pes::measure(cursor, section);
    cell.showPhase("Drawing");
    const pes::Drawn drawn = pes::drawStitches(cell, cursor, section, figures);
    cell.writeNameLine(true);
    cell.canvas().setPenColor(Black);
    pes::writeRemarks(cell, section, figures, drawn);
    cell.showPhase("");
}

} // namespace orlika
