// SPDX-License-Identifier: MIT
#include "cell/CellRenderer.h"

#include "decoders/DesignTrace.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <array>
#include <climits>

namespace orlika {

namespace {

void placeByLargerSide(const Placement& rule, const Frame& frame, const CellGeometry& cell, CellPlacement& placed)
{
    double extent = frame.height > frame.width ? frame.height : frame.width;
    if (!(extent > 0))
        extent = rule.extentOfPoint;
    if (!(extent > 0))
        return;
    placed.drawn = true;
    placed.scaleX = toSingle(cell.width / extent * rule.factor);
    placed.scaleY = toSingle(cell.height / extent * rule.factor);
}

void placeBySmallerSide(const Placement& rule, const Frame& frame, const CellGeometry& cell, CellPlacement& placed)
{
    const bool hasWidth = frame.width > 0;
    const bool hasHeight = frame.height > 0;
    if (!hasWidth && !hasHeight) {
        placed.drawn = rule.pointsDrawnUnscaled;
        return;
    }
    const float byWidth = hasWidth ? toSingle(cell.width / frame.width * rule.factor) : 0.0f;
    const float byHeight = hasHeight ? toSingle(cell.height / frame.height * rule.factor) : 0.0f;
    const float scale = !hasHeight ? byWidth : !hasWidth ? byHeight : byHeight < byWidth ? byHeight : byWidth;
    placed.drawn = true;
    placed.scaleX = placed.scaleY = scale;
}

// Hands the movements to the canvas: each run of moves, jumps and stitches as one path,
// its points placed by `place(movement, point)`, and the colour changes between runs.
// With no call a point, positions summed one onto the next stay in registers.
template <typename Place>
void drawRuns(Canvas& canvas, DesignReading& reading, Place place)
{
    std::array<PathPoint, MovementBatch::kCapacity> path;
    for (auto batch = reading.next(); !batch.empty(); batch = reading.next()) {
        for (std::size_t i = 0; i < batch.size();) {
            std::size_t points = 0;
            for (; i < batch.size() && batch[i].kind <= Step::Trim; ++i) {
                if (batch[i].kind != Step::Trim)
                    place(batch[i], path[points++]);
            }
            canvas.drawPath(std::span(path).first(points));
            if (i == batch.size())
                break;
            // A colour change, or the design's End: the last movement, which draws nothing.
            const Movement& m = batch[i++];
            if (m.kind == Step::ColorChange && m.color != kPenKept)
                canvas.setPenColor(m.color);
        }
    }
}

// Draws the movements of steps summed in single precision from the start point.
void drawSteps(Canvas& canvas, DesignReading& reading, const Placement& rule, const MovementForm& form,
               const CellPlacement& placed)
{
    const double stepX = placed.scaleX;
    const float scaleY = rule.stepsByWidthScale ? placed.scaleX : placed.scaleY;
    const double stepY = form.yUp ? -double(scaleY) : double(scaleY);
    // The sums are the placing function's own, kept by value where the compiler can hold
    // them in registers.
    drawRuns(canvas, reading,
             [x = placed.startX, y = placed.startY, stepX, stepY](const Movement& m, PathPoint& point) mutable {
                 x = toSingle(m.x * stepX + x);
                 y = toSingle(m.y * stepY + y);
                 point = {roundPixel(x), roundPixel(y), m.kind == Step::Stitch};
             });
}

// Draws movements that are points, each placed on its own and kept as a whole pixel.
void drawPositions(Canvas& canvas, DesignReading& reading, const MovementForm& form, const Frame& frame,
                   const CellGeometry& cell, const CellPlacement& placed)
{
    const double sx = placed.scaleX, sy = placed.scaleY;
    const double baseY = double(cell.anchor.Y) - placed.raised;
    drawRuns(canvas, reading, [&](const Movement& m, PathPoint& point) {
        const double fromLow = (double(m.y) - frame.low) * sy;
        const float x = toSingle(roundPixel((double(m.x) - frame.left) * sx + cell.anchor.X));
        const float y = toSingle(roundPixel(form.yUp ? baseY - fromLow : baseY + fromLow));
        point = {roundPixel(x), roundPixel(y), m.kind == Step::Stitch};
    });
}

// What the pen does before the first movement.
void startPen(Canvas& canvas, const Placement& rule, const CellPlacement& placed, Color startColor)
{
    const auto moveToStart = [&] { canvas.moveTo(roundPixel(placed.startX), roundPixel(placed.startY)); };
    switch (rule.start) {
    case Placement::Start::Nothing:
        break;
    case Placement::Start::MoveThenBlack:
        if (placed.drawn)
            moveToStart();
        canvas.setPenColor(Black);
        break;
    case Placement::Start::ColorThenMove:
        if (placed.drawn) {
            canvas.setPenColor(startColor);
            moveToStart();
        }
        break;
    case Placement::Start::WidthColorThenMove:
        if (placed.drawn) {
            canvas.setPenWidth(1);
            canvas.setPenColor(startColor);
            moveToStart();
        }
        break;
    }
}

// The decoder's words in the cell, as the format's rule has a refused file's cell look.
void writeRejection(CellContext& cell, const RejectedCell& look, const Rejection& rejection)
{
    if (look.blackPenFirst)
        cell.canvas().setPenColor(Black);
    cell.writeErrorCell(rejection.cellText, look.place, look.selectionColor);
    if (look.clearsPhase)
        cell.setPhase("");
}

void writeTexts(CellContext& cell, const CellRule& rule, DesignReading& reading, const Design& design)
{
    Canvas& canvas = cell.canvas();
    if (rule.blackAfterName) {
        cell.writeNameLine(true);
        canvas.setPenColor(Black);
    } else {
        canvas.setPenColor(Black);
        cell.writeNameLine(true);
    }
    if (!cell.remarksShown())
        return;
    const CellGeometry& g = cell.cell();
    DesignFigures& text = cell.figures();
    const RemarkFigures& r = design.remarks;
    const CellPoint start{g.anchor.X, g.anchor.Y + (rule.remarksBelowMiddleLine ? g.lineHeight : 0)};
    cell.writeRemarks(text.PosX, text.PosY, start,
                      cell.remarks(r.stitches, r.colorChanges, r.width, r.height, design.unit, rule.colorLabel),
                      rule.remarkForm);
    // A file cut short says so, under the figures its header claims.
    if (!design.cutShort.empty())
        cell.writeLine(toSingle(g.anchor.X), text.PosY, design.cutShort);
    // Lists stand only in the standard and the enlarged layout.
    if (g.thumbnails)
        return;
    reading.readTrailer();
    text.PosX = toSingle(g.anchor.X);
    const auto width = [&canvas](const std::string& line) { return canvas.textWidth(line); };
    cell.writeListLines(text.PosX, text.PosY, wrapList(design.cellList, rule.listWrap, cell.listWidthLimit(), width));
}

// Why a file was refused, as its cell says it.
std::string rejectionText(const Rejection& rejection)
{
    const std::size_t first = rejection.cellText.find_first_not_of(' ');
    return first == std::string::npos ? std::string("not read by its reader") : rejection.cellText.substr(first);
}

void raiseAll(const std::vector<DesignMessage>& messages, const MessageSink& raise)
{
    if (raise)
        for (const DesignMessage& message : messages)
            raise(message);
}

// What the last design leaves in the catalog's figures: its bounds and its remarks' counts.
void leaveFigures(DesignFigures& figures, const Design& design)
{
    figures.MinX = float(design.bounds.minX);
    figures.MaxX = float(design.bounds.maxX);
    figures.MinY = float(design.bounds.minY);
    figures.MaxY = float(design.bounds.maxY);
    figures.StitchCount = std::int32_t(std::clamp<std::int64_t>(design.remarks.stitches, INT32_MIN, INT32_MAX));
    figures.ColorChangeCount = std::int32_t(std::clamp<std::int64_t>(design.remarks.colorChanges, INT32_MIN, INT32_MAX));
}

CellOutcome drawAccepted(CellContext& cell, const CellRule& rule, const MovementForm& form, DesignReading& reading,
                         const Design& design)
{
    if (rule.readingPhase)
        cell.setPhase("Reading");
    if (rule.cancellable && cell.cancelled()) {
        cell.setPhase("");
        return {CellOutcome::Kind::Cancelled, {}};
    }
    reading.measure();
    leaveFigures(cell.figures(), design);
    const CellPlacement placed = placeInCell(rule, design.frame, cell.cell());
    // A canvas drawing thread makes it as wide as the real thread at the design's scale.
    if (placed.drawn && placed.scaleX > 0)
        cell.canvas().setDesignScale(double(placed.scaleX) / millimetresPerUnit(design.unit));
    cell.setPhase("Drawing");
    startPen(cell.canvas(), rule.placement, placed, design.startColor);
    if (!placed.drawn)
        reading.leaveMovements();
    else if (form.positions)
        drawPositions(cell.canvas(), reading, form, design.frame, cell.cell(), placed);
    else
        drawSteps(cell.canvas(), reading, rule.placement, form, placed);
    if (const TraceEnd end = reading.end(); !end.read())
        return {CellOutcome::Kind::Failed, end.problem};
    if (rule.cancellable && cell.cancelled()) {
        cell.setPhase("");
        return {CellOutcome::Kind::Cancelled, {}};
    }
    writeTexts(cell, rule, reading, design);
    cell.setPhase("");
    return {};
}

// Reads the design through `reading` into `design` and draws it into the cell by the
// reader's rule, or writes the cell of a file refused or of a failed read.
CellOutcome drawReadCell(CellContext& cell, const Reader& reader, DesignReading& reading, Design& design,
                         const MessageSink& raise)
{
    const CellRule& rule = cellRuleOf(reader);
    const std::string path = cell.designPath();
    CellOutcome outcome;
    try {
        const bool accepted = reading.accept();
        raiseAll(design.messages, raise);
        if (!accepted) {
            const Rejection rejection = design.rejection.value_or(Rejection{});
            writeRejection(cell, rule.rejected, rejection);
            return {CellOutcome::Kind::Rejected, rejectionText(rejection)};
        }
        outcome = drawAccepted(cell, rule, reader.decoding.form, reading, design);
    } catch (const InOutError& error) {
        outcome = {CellOutcome::Kind::Failed, error.what()};
    } catch (const ConversionError& error) {
        outcome = {CellOutcome::Kind::Failed, error.what()};
    }
    if (outcome.kind == CellOutcome::Kind::Failed)
        writeFailedCell(cell, path, outcome.error);
    return outcome;
}

} // namespace

std::vector<std::string> wrapList(const std::vector<std::string>& entries, CellRule::ListWrap wrap, int limit,
                                  const std::function<int(const std::string&)>& textWidth)
{
    if (wrap == CellRule::ListWrap::OneALine)
        return entries;
    const auto entry = [&](std::size_t i) { return entries[i]; };
    // "12. Red": the name follows the number's ". ".
    const auto nameOf = [&](std::size_t i) {
        const std::size_t dot = entries[i].find(". ");
        return dot == std::string::npos ? entries[i] : entries[i].substr(dot + 2);
    };
    const auto probe = [&](const std::string& line, std::size_t next) {
        return textWidth(wrap == CellRule::ListWrap::JoinedByName ? line + nameOf(next) : line + ", " + entries[next]);
    };
    return wrapEntries(entries.size(), entry, probe, limit);
}

CellPlacement placeInCell(const Placement& rule, const Frame& frame, const CellGeometry& cell)
{
    CellPlacement placed;
    if (rule.scale == Placement::Scale::LargerSide)
        placeByLargerSide(rule, frame, cell, placed);
    else
        placeBySmallerSide(rule, frame, cell, placed);
    placed.startX = toSingle(frame.left * double(placed.scaleX) + cell.anchor.X);
    placed.startY = toSingle(cell.anchor.Y - frame.low * double(placed.scaleY));
    return placed;
}

CellPlacement placeInCell(const CellRule& rule, const Frame& frame, const CellGeometry& cell)
{
    CellPlacement placed = placeInCell(rule.placement, frame, cell);
    // A picture stands on the middle line. A flat one is a line along it, which would run
    // through the first remark line where the remarks start there.
    const double scaleY = rule.placement.stepsByWidthScale ? placed.scaleX : placed.scaleY;
    const bool flat = placed.drawn && frame.height * scaleY < 1;
    if (flat && remarksShownIn(cell) && !rule.remarksBelowMiddleLine) {
        placed.raised = roundPixel(cell.lineHeight * 0.5);
        placed.startY = toSingle(double(placed.startY) - placed.raised);
    }
    return placed;
}

CellOutcome drawDesignCell(CellContext& cell, const Reader& reader, DesignFile& file, const MessageSink& raise)
{
    const std::string path = cell.designPath();
    try {
        Design design;
        DesignReading reading(reader.decoding, file, path, design);
        return drawReadCell(cell, reader, reading, design, raise);
    } catch (const InOutError& error) {
        writeFailedCell(cell, path, error.what());
        return {CellOutcome::Kind::Failed, error.what()};
    }
}

CellOutcome drawDecodedCell(CellContext& cell, const Reader& reader, DesignDecoder& decoder, const MessageSink& raise)
{
    Design design;
    DesignReading reading(decoder, reader.decoding.form, design);
    return drawReadCell(cell, reader, reading, design, raise);
}

void writeFailedCell(CellContext& cell, const std::string& path, const std::string& message)
{
    // What was drawn before the error stays; the pen and the phase do not carry over.
    cell.canvas().setPenColor(Black);
    cell.setPhase("");
    cell.designPath() = path;
    cell.writeErrorCell(message, ErrorPlace::MiddleLine, true);
}

} // namespace orlika
