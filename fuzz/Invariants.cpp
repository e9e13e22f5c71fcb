// SPDX-License-Identifier: MIT
#include "fuzz/Invariants.h"

#include "catalog/Catalog.h"
#include "cell/CellRenderer.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "platform/NullCanvas.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string_view>

namespace orlika::fuzz {

namespace {

// ---------------------------------------------------------------------------------------
// The page layouts a design is read in

enum class Selection { None, ThisDesign, AnotherDesign };

// Every layout of the page engine, in kPageLayouts' order, with the selection its page
// has. Where the design is selected its name is written in red, and the font must be
// black again afterwards; where another one is, in black.
constexpr Selection kSelections[] = {
    Selection::ThisDesign,     // standard
    Selection::AnotherDesign,  // noremarks
    Selection::None,           // thumb12
    Selection::ThisDesign,     // thumb20
    Selection::None,           // thumb30
    Selection::ThisDesign,     // enlarged
};
static_assert(std::size(kSelections) == kPageLayouts.size(), "a selection for every layout");

struct Page {
    std::string_view layout;  // its key in kPageLayouts
    Selection selection;
    CellGeometry cell;
};

std::string designPathOf(const std::string& fileName)
{
    return "/fuzz/" + fileName;
}

// The first cell of a 1000 x 600 screen page in each layout, as the page engine lays it
// out, measured with the fixed text metrics the recording canvas also has.
const std::vector<Page>& pages()
{
    static const std::vector<Page> all = [] {
        std::vector<Page> out;
        for (std::size_t k = 0; k < kPageLayouts.size(); ++k) {
            HeadlessHost host;
            PosixFileSystem files;
            Catalog catalog(host, files);
            CatalogState& s = catalog.state();
            applyLayout(s, kPageLayouts[k].layout);
            NullCanvas canvas;
            catalog.prepareScreenPage(canvas, 1000, 600);
            out.push_back({kPageLayouts[k].key, kSelections[k],
                           CellGeometry{s.CellOrigin[0], s.CellWidth, s.CellHeight, s.HalfCellHeight, s.LineHeight,
                                        s.CellsPerPage, s.Thumbnails, s.NoRemarks}});
        }
        return out;
    }();
    return all;
}

// ---------------------------------------------------------------------------------------
// What a reader did

struct Call {
    enum class Kind : std::uint8_t { PenColor, PenWidth, Brush, Font, FontColor, Move, Line, Rectangle, Text, Label };
    Kind kind;
    int x = 0;
    int y = 0;
    std::int64_t value = 0;  // a colour, width or size; for texts the font colour they are written in
    std::uint32_t text = 0;  // texts and fonts: 1 + the text's index among the canvas's texts
    bool operator==(const Call&) const = default;

    bool isPoint() const { return kind == Kind::Move || kind == Kind::Line; }
    bool isText() const { return kind == Kind::Text || kind == Kind::Label; }
};

std::string hex(std::int64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%06llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::string describeCall(const Call& call, const std::vector<std::string>& texts)
{
    static constexpr const char* kNames[] = {"PenColor", "PenWidth", "Brush", "Font",  "FontColor",
                                             "MoveTo",   "LineTo",   "Rectangle", "TextOut", "LabelOut"};
    std::string out = kNames[int(call.kind)];
    if (call.isPoint() || call.isText() || call.kind == Call::Kind::Rectangle)
        out += " " + std::to_string(call.x) + " " + std::to_string(call.y);
    if (!call.isPoint())
        out += " " + hex(call.value);
    if (call.text > 0)
        out += " \"" + texts[call.text - 1] + "\"";
    return out;
}

// Logs every call, with the fixed text metrics of NullCanvas (the ones the layouts were
// measured with). Texts carry the font colour they were written in. The calls are plain
// values, the texts kept apart, so that a long design records fast.
class RecordingCanvas final : public NullCanvas {
public:
    std::vector<Call> calls;
    std::vector<std::string> texts;
    Color font = Black;

    void setPenColor(Color color) override
    {
        NullCanvas::setPenColor(color);
        add(Call::Kind::PenColor, 0, 0, color);
    }
    void setPenWidth(int width) override { add(Call::Kind::PenWidth, 0, 0, width); }
    void setBrush(BrushStyle style, Color color) override { add(Call::Kind::Brush, int(style), 0, color); }
    void setFont(const Font& f) override { add(Call::Kind::Font, 0, 0, f.pointSize * 2 + f.bold, f.name); }
    void setFontColor(Color color) override
    {
        font = color;
        add(Call::Kind::FontColor, 0, 0, color);
    }
    Color fontColor() const override { return font; }
    void moveTo(int x, int y) override { add(Call::Kind::Move, x, y, 0); }
    void lineTo(int x, int y) override { add(Call::Kind::Line, x, y, 0); }
    void rectangle(int left, int top, int right, int bottom) override
    {
        add(Call::Kind::Rectangle, left, top, std::int64_t(right) * 65536 + bottom);
    }
    void textOut(int x, int y, const std::string& text) override { add(Call::Kind::Text, x, y, font, text); }
    void labelOut(int x, int y, const std::string& text) override { add(Call::Kind::Label, x, y, font, text); }

private:
    void add(Call::Kind kind, int x, int y, std::int64_t value) { calls.push_back({kind, x, y, value, 0}); }
    void add(Call::Kind kind, int x, int y, std::int64_t value, const std::string& text)
    {
        texts.push_back(text);
        calls.push_back({kind, x, y, value, std::uint32_t(texts.size())});
    }
};

// Keeps the message boxes and phase labels in their order.
class RecordingHost final : public HeadlessHost {
public:
    std::vector<std::string> events;

    void setPhase(const std::string& text) override { events.push_back("phase \"" + text + "\""); }
    MessageAnswer messageBox(const MessageRequest& request) override
    {
        events.push_back("message \"" + request.caption + "\": \"" + request.text + "\"");
        return request.defaultAnswer;
    }
};

// A file that delivers every read in a piece of 1 to 511 bytes, as a pipe or a slow
// device may: a reader that takes a short read for the end of its data, or for a whole
// block, then draws another design.
class PiecewiseFile final : public DesignFile {
public:
    PiecewiseFile(std::span<const std::uint8_t> bytes, std::uint32_t seed)
        : m_file(bytes.data(), bytes.size()), m_pieces(seed)
    {
    }
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const std::size_t piece = 1 + m_pieces() % 511;
        return m_file.read(buffer.first(std::min(buffer.size(), piece)));
    }
    void seek(std::int64_t position) override { m_file.seek(position); }
    std::int64_t position() const override { return m_file.position(); }
    std::int64_t size() const override { return m_file.size(); }

private:
    MemoryFile m_file;
    std::minstd_rand m_pieces;
};

std::uint32_t seedOf(std::span<const std::uint8_t> bytes, std::size_t layout)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const std::uint8_t b : bytes)
        hash = (hash ^ b) * 16777619u;
    return hash ^ std::uint32_t(layout * 0x9E3779B9u);
}

struct Transcript {
    std::vector<Call> calls;
    std::vector<std::string> texts;
    std::vector<std::string> hostEvents;
    CellOutcome outcome;
    Color penAtEnd = Black;
    Color fontAtEnd = Black;
};

Transcript readInCell(const ReadRoutine& read, const Page& page, const std::string& fileName, DesignFile& file)
{
    RecordingCanvas canvas;
    RecordingHost host;
    SortedNameList selected;
    if (page.selection == Selection::ThisDesign)
        selected.add(fileName);
    else if (page.selection == Selection::AnotherDesign)
        selected.add("another " + fileName);
    // Nobody cancels: a cancelled PCD design keeps its picture without the name line, the
    // pen in its last colour, so the checks hold for designs read to their end.
    const bool cancelPressed = false;
    DesignFigures figures;
    std::string designPath = designPathOf(fileName);
    CellContext cell(canvas, page.cell, figures, designPath, CellServices{host, &canvas, selected, cancelPressed});
    Transcript transcript;
    transcript.outcome = read(cell, file);
    transcript.calls = std::move(canvas.calls);
    transcript.texts = std::move(canvas.texts);
    transcript.hostEvents = std::move(host.events);
    transcript.penAtEnd = canvas.penColor();
    transcript.fontAtEnd = canvas.fontColor();
    return transcript;
}

// ---------------------------------------------------------------------------------------
// What the decoded design lets one predict

struct Buffered {
    MemoryFile file;
    explicit Buffered(std::span<const std::uint8_t> bytes) : file(bytes.data(), bytes.size()) {}
};

// The design read whole, as the renderer reads it.
DesignValue decoded(const Reader& reader, const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    Buffered in(bytes);
    return collectDesign(reader.decoding, in.file, designPathOf(fileName));
}

// A box in the design's units or in pixels (top < bottom).
struct Box {
    double left = std::numeric_limits<double>::infinity();
    double right = -std::numeric_limits<double>::infinity();
    double top = std::numeric_limits<double>::infinity();
    double bottom = -std::numeric_limits<double>::infinity();

    bool empty() const { return left > right; }
    void include(double x, double y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

// The points the pen reaches, in the design's units with y as the format has it: steps
// summed in single precision as the sizing passes sum them, or the points themselves; the
// start point where the pen moves there before the first movement.
Box reachedPoints(const DesignValue& value, const Placement& rule, const MovementForm& form)
{
    Box box;
    if (rule.start != Placement::Start::Nothing)
        box.include(0, 0);
    float x = 0, y = 0;
    for (const Movement& m : value.movements) {
        if (m.kind == Step::End)
            break;
        if (m.kind != Step::Stitch && m.kind != Step::Move && m.kind != Step::Jump)
            continue;
        x = form.positions ? m.x : toSingle(double(x) + m.x);
        y = form.positions ? m.y : toSingle(double(y) + m.y);
        box.include(x, y);
    }
    return box;
}

// The design's bounds, with the start point where the pen moves there first.
Box boundsBox(const Design& design, const Placement& rule)
{
    Box box;
    box.include(design.bounds.minX, design.bounds.minY);
    box.include(design.bounds.maxX, design.bounds.maxY);
    if (rule.start != Placement::Start::Nothing)
        box.include(0, 0);
    return box;
}

// Where a design's points may lie in the cell, in pixels, and how far single-precision
// running sums of scaled steps may stray from the exact sums.
struct Area {
    Box pixels;
    bool runningSums = false;
    double scale = 0;
    double extentMagnitude = 0;  // the largest |coordinate| of the frame, in design units
    bool edgesReached = false;   // the frame is the box of the points: they reach its edges
};

// The design's bounds placed in the cell as the renderer places its points.
Area areaInCell(const DesignValue& value, const CellRule& rule, const MovementForm& form, const CellGeometry& g)
{
    const Placement& p = rule.placement;
    const CellPlacement placed = placeInCell(rule, value.design.frame, g);
    const Frame& f = value.design.frame;
    const double sx = placed.scaleX;
    const double sy = (p.stepsByWidthScale ? placed.scaleX : placed.scaleY) * (form.yUp ? -1.0 : 1.0);
    const Box units = boundsBox(value.design, p);
    Area area;
    for (const double x : {units.left, units.right}) {
        for (const double y : {units.top, units.bottom}) {
            if (form.positions)
                area.pixels.include(g.anchor.X + (x - f.left) * sx, g.anchor.Y - placed.raised + (y - f.low) * sy);
            else
                area.pixels.include(placed.startX + x * sx, placed.startY + y * sy);
        }
    }
    area.runningSums = !form.positions;
    area.scale = std::max(std::fabs(sx), std::fabs(sy));
    area.extentMagnitude = std::max({std::fabs(units.left), std::fabs(units.right), std::fabs(units.top),
                                     std::fabs(units.bottom)});
    // Compared in pixels: a frame a fraction of a unit wider than the points is a whole
    // cell wide when the design is no bigger than that.
    const Box reached = reachedPoints(value, p, form);
    const auto within = [](double a, double b, double scale) { return std::fabs(a - b) * std::fabs(scale) < 0.5; };
    area.edgesReached = !reached.empty() && within(reached.left, units.left, sx) &&
                        within(reached.right, units.right, sx) && within(reached.top, units.top, sy) &&
                        within(reached.bottom, units.bottom, sy);
    return area;
}

// ---------------------------------------------------------------------------------------
// The checks

class Findings {
public:
    Findings(std::vector<Violation>& out, const Page& page) : m_out(out), m_page(page) {}
    void add(Invariant invariant, std::string detail)
    {
        m_out.push_back({invariant, std::string(m_page.layout), std::move(detail)});
    }
    const CellGeometry& cell() const { return m_page.cell; }

private:
    std::vector<Violation>& m_out;
    const Page& m_page;
};

void compareWithPieces(const Transcript& whole, const Transcript& pieces, Findings& findings)
{
    const std::size_t common = std::min(whole.calls.size(), pieces.calls.size());
    const auto differ = std::mismatch(whole.calls.begin(), whole.calls.begin() + std::ptrdiff_t(common),
                                      pieces.calls.begin());
    if (differ.first != whole.calls.begin() + std::ptrdiff_t(common) || whole.calls.size() != pieces.calls.size()) {
        const auto at = std::size_t(differ.first - whole.calls.begin());
        const auto callAt = [at](const Transcript& t) {
            return at < t.calls.size() ? describeCall(t.calls[at], t.texts) : std::string("(no more calls)");
        };
        findings.add(Invariant::SameInPieces, "call " + std::to_string(at) + " of " +
                                                  std::to_string(whole.calls.size()) + ": whole read " +
                                                  callAt(whole) + ", in pieces " + callAt(pieces));
        return;
    }
    if (whole.texts != pieces.texts)
        findings.add(Invariant::SameInPieces, "texts differ");
    if (whole.hostEvents != pieces.hostEvents)
        findings.add(Invariant::SameInPieces, "messages or phases differ");
    if (whole.outcome.error != pieces.outcome.error)
        findings.add(Invariant::SameInPieces, "error \"" + whole.outcome.error + "\" whole, \"" +
                                                  pieces.outcome.error + "\" in pieces");
}

// The spacing of single-precision numbers around `magnitude`.
double ulpAt(double magnitude)
{
    const float f = float(std::min(magnitude, double(std::numeric_limits<float>::max() / 2)));
    return double(std::nextafter(f, std::numeric_limits<float>::infinity())) - f;
}

// Where the bounds were measured from the stitches (a DST header's extents may lie), every
// point drawn lies in the bounds placed in the cell, and where the bounds are the box of
// the points, the outermost ones reach their edges.
void checkArea(const Transcript& t, const DesignValue& value, const CellRule& rule, const MovementForm& form,
               Findings& findings)
{
    if (!value.accepted || value.error || !value.design.measured || t.outcome.kind != CellOutcome::Kind::Drawn)
        return;
    std::size_t points = 0;
    for (const Call& call : t.calls)
        points += call.isPoint();
    const std::optional<Area> area = areaInCell(value, rule, form, findings.cell());
    if (points > 0 && area->pixels.empty()) {
        findings.add(Invariant::InsideExtents, std::to_string(points) + " points drawn for a design without extent");
        return;
    }
    // One pixel for the rounding to pixels. Running sums round once a step, each by at most
    // half the spacing of single-precision numbers where the positions lie; sums of steps
    // beyond 2^24 units are inexact in the sizing pass as well.
    double tolerance = 1;
    if (area->runningSums) {
        const double reach = 2 + std::max({std::fabs(area->pixels.left), std::fabs(area->pixels.right),
                                           std::fabs(area->pixels.top), std::fabs(area->pixels.bottom)});
        double perStep = ulpAt(reach);
        if (area->extentMagnitude >= double(1 << 24))
            perStep += area->scale * ulpAt(area->extentMagnitude);
        tolerance += double(points) * perStep;
    }
    char text[200];
    std::size_t index = 0;
    int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
    int top = left, bottom = right;
    for (const Call& call : t.calls) {
        if (!call.isPoint())
            continue;
        const Box& box = area->pixels;
        if (call.x < box.left - tolerance || call.x > box.right + tolerance || call.y < box.top - tolerance ||
            call.y > box.bottom + tolerance) {
            std::snprintf(text, sizeof text, "point %zu of %zu at (%d, %d) outside x %.3f..%.3f, y %.3f..%.3f (+-%.3f)",
                          index, points, call.x, call.y, box.left, box.right, box.top, box.bottom, tolerance);
            findings.add(Invariant::InsideExtents, text);
            return;
        }
        left = std::min(left, call.x);
        right = std::max(right, call.x);
        top = std::min(top, call.y);
        bottom = std::max(bottom, call.y);
        ++index;
    }
    // A design drawn too small stays inside; where the frame is the box of the points,
    // the outermost ones must also reach its edges.
    const Box& box = area->pixels;
    if (points > 0 && area->edgesReached &&
        (std::fabs(left - box.left) > tolerance || std::fabs(right - box.right) > tolerance ||
         std::fabs(top - box.top) > tolerance || std::fabs(bottom - box.bottom) > tolerance)) {
        std::snprintf(text, sizeof text, "points span x %d..%d, y %d..%d short of x %.3f..%.3f, y %.3f..%.3f (+-%.3f)",
                      left, right, top, bottom, box.left, box.right, box.top, box.bottom, tolerance);
        findings.add(Invariant::InsideExtents, text);
    }
}

// The text of the first remark after the name line that begins with one of the prefixes,
// without the prefix.
std::optional<std::string> remarkAfter(const Transcript& t, std::size_t from,
                                       std::initializer_list<std::string_view> prefixes)
{
    for (std::size_t i = from; i < t.calls.size(); ++i) {
        if (t.calls[i].kind != Call::Kind::Text)
            continue;
        const std::string& text = t.texts[t.calls[i].text - 1];
        for (const std::string_view prefix : prefixes)
            if (text.rfind(prefix, 0) == 0) {
                const std::size_t end = text.find(',', prefix.size());
                return text.substr(prefix.size(), end == std::string::npos ? std::string::npos : end - prefix.size());
            }
    }
    return std::nullopt;
}

// What the renderer must have drawn for the decoded movements: a line a stitch, a move a
// move or jump, a pen colour a colour change that sets one, besides what its start does.
struct DrawingCounts {
    std::int64_t lines = 0;
    std::int64_t moves = 0;
    std::int64_t penColors = 0;
    bool operator==(const DrawingCounts&) const = default;
};

std::string describe(const DrawingCounts& counts)
{
    return std::to_string(counts.lines) + " lines, " + std::to_string(counts.moves) + " moves, " +
           std::to_string(counts.penColors) + " pen colours";
}

DrawingCounts expectedDrawing(const DesignValue& value, const CellRule& rule, bool drawn)
{
    DrawingCounts counts;
    if (drawn) {
        for (const Movement& m : value.movements) {
            if (m.kind == Step::End)
                break;
            counts.lines += m.kind == Step::Stitch;
            counts.moves += m.kind == Step::Move || m.kind == Step::Jump;
            counts.penColors += m.kind == Step::ColorChange && m.color != kPenKept;
        }
    }
    switch (rule.placement.start) {
    case Placement::Start::Nothing:
        break;
    case Placement::Start::MoveThenBlack:
        counts.moves += drawn;
        counts.penColors += 1;
        break;
    case Placement::Start::ColorThenMove:
    case Placement::Start::WidthColorThenMove:
        counts.moves += drawn;
        counts.penColors += drawn;
        break;
    }
    counts.penColors += !rule.blackAfterName;  // black before the name line
    return counts;
}

void checkDrawing(const Transcript& t, const DesignValue& value, const CellRule& rule, Findings& findings)
{
    if (!value.accepted || value.error || t.outcome.kind != CellOutcome::Kind::Drawn)
        return;
    const auto nameLine = std::find_if(t.calls.begin(), t.calls.end(),
                                       [](const Call& c) { return c.kind == Call::Kind::Label; });
    const std::size_t drawing = std::size_t(nameLine - t.calls.begin());
    DrawingCounts drawnCounts;
    for (std::size_t i = 0; i < drawing; ++i) {
        drawnCounts.lines += t.calls[i].kind == Call::Kind::Line;
        drawnCounts.moves += t.calls[i].kind == Call::Kind::Move;
        drawnCounts.penColors += t.calls[i].kind == Call::Kind::PenColor;
    }
    const bool drawn = placeInCell(rule.placement, value.design.frame, findings.cell()).drawn;
    const DrawingCounts expected = expectedDrawing(value, rule, drawn);
    if (drawnCounts != expected)
        findings.add(Invariant::DrawnAsDecoded, "drawn " + describe(drawnCounts) + " for " + describe(expected) +
                                                    " of the decoded movements");
    const RemarkFigures& r = value.design.remarks;
    const auto shown = [&](std::initializer_list<std::string_view> prefixes, std::int64_t figure, const char* what) {
        const std::optional<std::string> text = remarkAfter(t, drawing, prefixes);
        if (text && *text != countText(figure))
            findings.add(Invariant::DrawnAsDecoded,
                         std::string(what) + " \"" + *text + "\" shown for " + countText(figure) + " decoded");
    };
    shown({"Stitches: "}, r.stitches, "stitches");
    shown({"Color Changes: ", "Colors Changes: "}, r.colorChanges, "colour changes");
}

void checkBlackAfterwards(const Transcript& t, Findings& findings)
{
    if (t.penAtEnd != Black)
        findings.add(Invariant::BlackAfterwards, "pen left in " + hex(t.penAtEnd));
    const auto nameLine = std::find_if(t.calls.begin(), t.calls.end(),
                                       [](const Call& c) { return c.kind == Call::Kind::Label; });
    if (nameLine == t.calls.end())
        return;
    for (auto call = nameLine + 1; call != t.calls.end(); ++call) {
        if (call->isText() && call->value != Black) {
            findings.add(Invariant::BlackAfterwards,
                         "\"" + t.texts[call->text - 1] + "\" written in " + hex(call->value));
            return;
        }
    }
    if (t.fontAtEnd != Black)
        findings.add(Invariant::BlackAfterwards, "font left in " + hex(t.fontAtEnd));
}

} // namespace

std::string_view nameOf(Invariant invariant)
{
    switch (invariant) {
    case Invariant::SameInPieces:
        return "SameInPieces";
    case Invariant::InsideExtents:
        return "InsideExtents";
    case Invariant::DrawnAsDecoded:
        return "DrawnAsDecoded";
    case Invariant::BlackAfterwards:
        return "BlackAfterwards";
    }
    return "?";
}

std::string describe(const Violation& violation)
{
    return std::string(nameOf(violation.invariant)) + " in " + violation.layout + ": " + violation.detail;
}

std::vector<Violation> checkReader(const Reader& reader, const ReadRoutine& read, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes)
{
    const DesignValue value = decoded(reader, fileName, bytes);
    const CellRule& rule = cellRuleOf(reader);
    std::vector<Violation> violations;
    for (std::size_t k = 0; k < pages().size(); ++k) {
        const Page& page = pages()[k];
        Findings findings(violations, page);
        MemoryFile whole(bytes.data(), bytes.size());
        const Transcript wholeRead = readInCell(read, page, fileName, whole);
        PiecewiseFile pieces(bytes, seedOf(bytes, k));
        compareWithPieces(wholeRead, readInCell(read, page, fileName, pieces), findings);
        checkArea(wholeRead, value, rule, reader.decoding.form, findings);
        checkDrawing(wholeRead, value, rule, findings);
        checkBlackAfterwards(wholeRead, findings);
    }
    return violations;
}

ReadRoutine cellRoutine(const Reader& reader)
{
    return [reader](CellContext& cell, DesignFile& file) {
        Host& host = cell.services().host;
        return drawDesignCell(cell, reader, file, [&](const DesignMessage& message) {
            host.messageBox(MessageRequest{message.text, message.caption, MessageIcon::None, MessageButtons::Ok});
        });
    };
}

std::vector<Violation> checkReader(const Reader& reader, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes)
{
    return checkReader(reader, cellRoutine(reader), fileName, bytes);
}

std::string fuzzFileName(const FuzzTarget& target)
{
    return "design." + target.extensions.front();
}

} // namespace orlika::fuzz
