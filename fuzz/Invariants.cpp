// SPDX-License-Identifier: MIT
#include "fuzz/Invariants.h"

#include "catalog/Catalog.h"
#include "decoders/CellContext.h"
#include "decoders/Dst.h"
#include "decoders/Exp.h"
#include "decoders/Ksm.h"
#include "decoders/Pcd.h"
#include "decoders/Pes.h"
#include "decoders/Sew.h"
#include "platform/ByteCursor.h"
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
#include <limits>
#include <optional>
#include <random>

namespace orlika::fuzz {

namespace {

// ---------------------------------------------------------------------------------------
// The page layouts a design is read in

enum class Selection { None, ThisDesign, AnotherDesign };

struct PageLayout {
    const char* name;
    std::uint16_t columns;
    std::uint16_t rows;
    bool thumbnails;
    bool noRemarks;
    Selection selection;
};

// Every layout of the page engine. Where the design is selected its name is written in
// red, and the font must be black again afterwards; where another one is, in black.
constexpr PageLayout kLayouts[] = {
    {"standard", 3, 2, false, false, Selection::ThisDesign},
    {"noremarks", 3, 2, false, true, Selection::AnotherDesign},
    {"thumb12", 4, 3, true, false, Selection::None},
    {"thumb20", 5, 4, true, false, Selection::ThisDesign},
    {"thumb30", 6, 5, true, false, Selection::None},
    {"enlarged", 1, 1, false, false, Selection::ThisDesign},
};

struct Page {
    const PageLayout* layout;
    CellGeometry cell;
};

// The first cell of a 1000 x 600 screen page in each layout, as the page engine lays it
// out, measured with the fixed text metrics the recording canvas also has.
const std::vector<Page>& pages()
{
    static const std::vector<Page> all = [] {
        std::vector<Page> out;
        for (const PageLayout& layout : kLayouts) {
            HeadlessHost host;
            PosixFileSystem files;
            Catalog catalog(host, files);
            CatalogState& s = catalog.state();
            s.PageColumns = layout.columns;
            s.PageRows = layout.rows;
            s.Thumbnails = layout.thumbnails;
            s.NoRemarks = layout.noRemarks;
            NullCanvas canvas;
            catalog.prepareScreenPage(canvas, 1000, 600);
            out.push_back({&layout, CellGeometry{s.CellOrigin[0], s.CellWidth, s.CellHeight, s.HalfCellHeight,
                                                 s.LineHeight, s.CellsPerPage, s.Thumbnails, s.NoRemarks}});
        }
        return out;
    }();
    return all;
}

const PenColorTable& penColorTable()
{
    static const PenColorTable table = CatalogState().ColorTable;
    return table;
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

    void setStatLabel(const std::string& text) override { events.push_back("phase \"" + text + "\""); }
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
    std::string error;
    Color penAtEnd = Black;
    Color fontAtEnd = Black;
};

Transcript readInCell(const ReadRoutine& read, const Page& page, const std::string& fileName, DesignFile& file)
{
    RecordingCanvas canvas;
    RecordingHost host;
    SortedNameList selected;
    if (page.layout->selection == Selection::ThisDesign)
        selected.add(fileName);
    else if (page.layout->selection == Selection::AnotherDesign)
        selected.add("another " + fileName);
    // Nobody cancels: a cancelled PCD design keeps its picture without the name line, the
    // pen in its last colour, so the checks hold for designs read to their end.
    const bool cancelPressed = false;
    DesignFigures figures;
    std::string designPath = "/fuzz/" + fileName;
    CellContext cell(canvas, page.cell, figures, designPath, penColorTable(),
                     CellServices{host, &canvas, selected, cancelPressed, nullptr});
    Transcript transcript;
    try {
        read(cell, file);
    } catch (const ConversionError& error) {
        transcript.error = error.what();
    }
    transcript.calls = std::move(canvas.calls);
    transcript.texts = std::move(canvas.texts);
    transcript.hostEvents = std::move(host.events);
    transcript.penAtEnd = canvas.penColor();
    transcript.fontAtEnd = canvas.fontColor();
    return transcript;
}

// ---------------------------------------------------------------------------------------
// What the readers' own rules let one predict from the bytes

// Where a design's points may lie, in pixels (top < bottom), and how far single-precision
// running sums of scaled steps may stray from the exact sums.
struct Area {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    bool runningSums = false;  // positions are sums of scaled steps, one rounding each
    float scale = 0;
    double extentMagnitude = 0;  // the largest |extent| in design units
    bool everyPositionDrawn = false;  // the outermost points then lie on the edges
};

// The area for a cell; nullopt when no point may be drawn at all.
using AreaRule = std::function<std::optional<Area>(const CellGeometry&)>;

enum class StitchRule {
    NotCompared,
    OnePerPointAfterStart,       // every record is one point, after the start point
    OnePerPointAfterStart16Bit,  // the same, counted in 16 bits
    LinesWhenMeasured,           // stitch records counted when sizing, drawn as lines but the first movement
};

struct Expectations {
    AreaRule area;  // empty: not predicted for this reader
    StitchRule stitches = StitchRule::NotCompared;
    int framingPenSets = -1;  // pen colours the drawing sets besides colour changes; -1: not compared
    std::int64_t changesThatSetPen = std::numeric_limits<std::int64_t>::max();
    bool comparedOnlyWhenDrawn = false;  // a design without a scale counts without drawing
    bool firstMovementIsStitch = false;  // LinesWhenMeasured: that stitch is drawn as a move
};

struct Buffered {
    MemoryFile file;
    std::array<std::uint8_t, 8192> buffer{};
    ByteCursor cursor{file, buffer};
    explicit Buffered(std::span<const std::uint8_t> bytes) : file(bytes.data(), bytes.size()) {}
};

// One factor for both axes: the smaller of the cell's width / width x factor and its
// height / height x factor; an axis without extent has no factor, and a design without
// either has a scale of 0 (all its points lie on the start point anyway).
float oneScale(double width, double height, const CellGeometry& g, double factor)
{
    const float byWidth = width > 0 ? toSingle(g.width / width * factor) : 0.0f;
    const float byHeight = height > 0 ? toSingle(g.height / height * factor) : 0.0f;
    if (width > 0 && height > 0)
        return std::min(byWidth, byHeight);
    return std::max(byWidth, byHeight);
}

// Readers of relative steps whose extents start from the origin (KSM, EXP, SEW): the
// lowest-left extent lands on the anchor, y grows upward. The origin counts toward the
// minima only, so the start point lies right of or above the extents when every step went
// left or down; the area reaches to it.
AreaRule stepsFromOrigin(const Extents& e, double factor)
{
    return [e, factor](const CellGeometry& g) -> std::optional<Area> {
        const double width = double(e.maxX) - e.minX;
        const double height = double(e.maxY) - e.minY;
        const float s = oneScale(width, height, g, factor);
        const float x0 = toSingle(g.anchor.X - e.minX * double(s));
        const float y0 = toSingle(g.anchor.Y + e.minY * double(s));
        const double magnitude = std::max({std::fabs(e.minX), std::fabs(e.maxX), std::fabs(e.minY), std::fabs(e.maxY)});
        return Area{x0 + e.minX * double(s), x0 + std::max(e.maxX, 0.0f) * double(s),
                    y0 - std::max(e.maxY, 0.0f) * double(s), y0 - e.minY * double(s), true, s, magnitude, true};
    };
}

Expectations pesExpectations(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    Buffered in(bytes);
    pes::Section section;
    if (pes::readSection(in.cursor, pes::namedPes(fileName), section) != pes::SectionStatus::Ok)
        return {};
    const pes::Figures f = pes::measure(in.cursor, section);
    Expectations e;
    // One scale from the rounded width and height; the start point is placed from xmin
    // (its absolute value) and ymax, y grows downward. The start point does not enter the
    // extents, so the area reaches to it.
    e.area = [f](const CellGeometry& g) -> std::optional<Area> {
        const float s = oneScale(f.width, f.height, g, 0.5);
        const float x0 = toSingle(std::fabs(double(f.xmin)) * s + g.anchor.X);
        const float y0 = toSingle(g.anchor.Y - double(f.ymax) * s);
        const double magnitude = std::max({std::fabs(f.xmin), std::fabs(f.xmax), std::fabs(f.ymin), std::fabs(f.ymax)});
        return Area{x0 + std::min(f.xmin, 0.0f) * double(s), x0 + std::max(f.xmax, 0.0f) * double(s),
                    y0 + std::min(f.ymin, 0.0f) * double(s), y0 + std::max(f.ymax, 0.0f) * double(s), true, s,
                    magnitude, true};
    };
    e.stitches = StitchRule::OnePerPointAfterStart16Bit;
    // The first thread's colour before drawing. Colour changes past the end of the thread
    // list keep the pen as it is (the format leaves their colour open).
    e.framingPenSets = 1;
    e.changesThatSetPen = section.threadCount > 0 ? std::int64_t(section.threadCount) - 1 : 0;
    return e;
}

Expectations pcdExpectations(std::span<const std::uint8_t> bytes)
{
    Buffered in(bytes);
    pcd::Header header;
    if (!pcd::readHeader(in.cursor, header))
        return {};
    const bool notCancelled = false;
    const pcd::Figures f = pcd::measure(in.cursor, header.stitchCount, notCancelled);
    Expectations e;
    // Absolute positions, each its own offset from the minima, scaled per axis by the
    // larger side (1200 for a point); every drawn record was sized. Not every sized one is
    // drawn (type 3 with X of 17 to 32 is drawn as a colour change, and the maxima start at
    // 0), so the points need not reach the edges. The stitch count shown is the header's,
    // not one the drawing counts: not compared.
    e.area = [f](const CellGeometry& g) -> std::optional<Area> {
        if (f.counted == 0)
            return std::nullopt;
        const Extents& x = f.extents;
        double extent = std::max(x.width(), x.height());
        if (extent == 0)
            extent = 1200;
        const float sX = toSingle(g.width / extent * 0.5);
        const float sY = toSingle(g.height / extent * 0.5);
        return Area{double(g.anchor.X), g.anchor.X + x.width() * sX, g.anchor.Y - x.height() * sY,
                    double(g.anchor.Y)};
    };
    e.framingPenSets = 1;  // black before the name line
    return e;
}

Expectations ksmExpectations(std::span<const std::uint8_t> bytes)
{
    Buffered in(bytes);
    if (!ksm::readStartRecords(in.cursor))
        return {};
    const ksm::Figures f = ksm::measure(in.cursor);
    Expectations e;
    e.area = stepsFromOrigin(f.extents, 0.6);
    // Every record is counted, the end record included, and every record is drawn.
    e.stitches = StitchRule::OnePerPointAfterStart;
    e.framingPenSets = 2;  // black before the drawing and after it
    e.comparedOnlyWhenDrawn = true;
    return e;
}

Expectations expExpectations(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    Buffered in(bytes);
    std::int64_t streamStart = 0;
    std::int64_t threads = std::numeric_limits<std::int64_t>::max();
    if (sew::namedSew(fileName)) {
        sew::ColorList list;
        if (sew::parseHeader(in.cursor, list) == sew::HeaderStatus::UnknownFormat)
            return {};
        streamStart = sew::kStitchOffset;
        // Without a thread list the pen stays black (the format leaves it open).
        threads = list.count == 0 ? 0 : threads;
    }
    const exp::Figures f = exp::measure(in.cursor, streamStart);
    Expectations e;
    e.area = stepsFromOrigin(f.extents, 0.5);
    // The stitch count also counts each jump record, which draws nothing: not compared.
    e.framingPenSets = 2;  // the first colour before the drawing, black after it
    e.changesThatSetPen = threads;
    e.comparedOnlyWhenDrawn = true;
    return e;
}

Expectations dstExpectations(std::span<const std::uint8_t> bytes)
{
    // Only the stitch count of a header without extents is counted from the records; the
    // header's own counts, its extents (which may lie) and its colour count plus one are
    // the file's word, not what the drawing did.
    dst::HeaderBlock header;
    header.fill(0x1A);
    std::copy_n(bytes.begin(), std::min(bytes.size(), header.size()), header.begin());
    DesignFigures figures;
    try {
        dst::extractTajimaHeader(header, figures);
    } catch (const ConversionError&) {
        return {};
    }
    Expectations e;
    if ((figures.PlusX == 0 && figures.MinusX == 0) || (figures.PlusY == 0 && figures.MinusY == 0))
        e.stitches = StitchRule::LinesWhenMeasured;
    e.comparedOnlyWhenDrawn = true;
    for (std::size_t at = dst::kHeaderSize; at + dst::kRecordSize <= bytes.size(); at += dst::kRecordSize) {
        const std::uint8_t b2 = bytes[at + 2];
        const dst::RecordKind kind = dst::kindOf(b2);
        if (kind == dst::RecordKind::Jump || kind == dst::RecordKind::Stitch) {
            e.firstMovementIsStitch = kind == dst::RecordKind::Stitch;
            break;
        }
        if (b2 == dst::kEndMarker)
            break;
    }
    return e;
}

Expectations expectationsOf(std::string_view routine, const std::string& fileName,
                            std::span<const std::uint8_t> bytes)
{
    if (routine == "PESFormat")
        return pesExpectations(fileName, bytes);
    if (routine == "PCDesignerFormat")
        return pcdExpectations(bytes);
    if (routine == "KSMFormat")
        return ksmExpectations(bytes);
    if (routine == "EXPFormat")
        return expExpectations(fileName, bytes);
    if (routine == "TajimaFormat")
        return dstExpectations(bytes);
    return {};
}

// ---------------------------------------------------------------------------------------
// The checks

class Findings {
public:
    Findings(std::vector<Violation>& out, const Page& page) : m_out(out), m_page(page) {}
    void add(Invariant invariant, std::string detail)
    {
        m_out.push_back({invariant, m_page.layout->name, std::move(detail)});
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
    if (whole.error != pieces.error)
        findings.add(Invariant::SameInPieces,
                     "error \"" + whole.error + "\" whole, \"" + pieces.error + "\" in pieces");
}

// The spacing of single-precision numbers around `magnitude`.
double ulpAt(double magnitude)
{
    const float f = float(std::min(magnitude, double(std::numeric_limits<float>::max() / 2)));
    return double(std::nextafter(f, std::numeric_limits<float>::infinity())) - f;
}

void checkArea(const Transcript& t, const Expectations& e, Findings& findings)
{
    if (!e.area)
        return;
    std::size_t points = 0;
    for (const Call& call : t.calls)
        points += call.isPoint();
    const std::optional<Area> area = e.area(findings.cell());
    if (!area) {
        if (points > 0)
            findings.add(Invariant::InsideExtents,
                         std::to_string(points) + " points drawn for a design without a stitch to size");
        return;
    }
    // One pixel for the rounding to pixels. Running sums round once a step, each by at most
    // half the spacing of single-precision numbers where the positions lie; sums of steps
    // beyond 2^24 units are inexact in the sizing pass as well.
    double tolerance = 1;
    if (area->runningSums) {
        const double reach = 2 + std::max({std::fabs(area->left), std::fabs(area->right), std::fabs(area->top),
                                           std::fabs(area->bottom)});
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
        if (call.x < area->left - tolerance || call.x > area->right + tolerance || call.y < area->top - tolerance ||
            call.y > area->bottom + tolerance) {
            std::snprintf(text, sizeof text, "point %zu of %zu at (%d, %d) outside x %.3f..%.3f, y %.3f..%.3f (+-%.3f)",
                          index, points, call.x, call.y, area->left, area->right, area->top, area->bottom, tolerance);
            findings.add(Invariant::InsideExtents, text);
            return;
        }
        left = std::min(left, call.x);
        right = std::max(right, call.x);
        top = std::min(top, call.y);
        bottom = std::max(bottom, call.y);
        ++index;
    }
    // A design drawn too small stays inside; where every sized position is drawn, the
    // outermost points must also reach the edges. A design without a scale draws nothing.
    if (points > 0 && area->everyPositionDrawn &&
        (std::fabs(left - area->left) > tolerance || std::fabs(right - area->right) > tolerance ||
         std::fabs(top - area->top) > tolerance || std::fabs(bottom - area->bottom) > tolerance)) {
        std::snprintf(text, sizeof text, "points span x %d..%d, y %d..%d short of x %.3f..%.3f, y %.3f..%.3f (+-%.3f)",
                      left, right, top, bottom, area->left, area->right, area->top, area->bottom, tolerance);
        findings.add(Invariant::InsideExtents, text);
    }
}

// The number after `prefix` at the start of the first text after the name line that
// begins with it.
std::optional<std::int64_t> remarkCount(const Transcript& t, std::size_t from,
                                        std::initializer_list<std::string_view> prefixes)
{
    for (std::size_t i = from; i < t.calls.size(); ++i) {
        if (t.calls[i].kind != Call::Kind::Text)
            continue;
        const std::string& text = t.texts[t.calls[i].text - 1];
        for (const std::string_view prefix : prefixes) {
            if (text.rfind(prefix, 0) != 0)
                continue;
            std::int64_t value = 0;
            for (std::size_t k = prefix.size(); k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
                value = value * 10 + (text[k] - '0');
            return value;
        }
    }
    return std::nullopt;
}

void checkCounts(const Transcript& t, const Expectations& e, Findings& findings)
{
    const auto nameLine = std::find_if(t.calls.begin(), t.calls.end(),
                                       [](const Call& c) { return c.kind == Call::Kind::Label; });
    const std::size_t drawing = std::size_t(nameLine - t.calls.begin());
    const std::optional<std::int64_t> stitches = remarkCount(t, drawing, {"Stitches: "});
    const std::optional<std::int64_t> changes =
        remarkCount(t, drawing, {"Color Changes: ", "Colors Changes: "});
    if (!stitches || !changes)
        return;  // no remarks in this layout, or an error cell
    std::int64_t points = 0, lines = 0, penSets = 0;
    for (std::size_t i = 0; i < drawing; ++i) {
        points += t.calls[i].isPoint();
        lines += t.calls[i].kind == Call::Kind::Line;
        penSets += t.calls[i].kind == Call::Kind::PenColor;
    }
    if (e.comparedOnlyWhenDrawn && points == 0)
        return;
    const auto mismatch = [&](const std::string& what, std::int64_t shown, const std::string& drawn) {
        findings.add(Invariant::RemarkCounts, what + " " + std::to_string(shown) + " shown, " + drawn);
    };
    switch (e.stitches) {
    case StitchRule::NotCompared:
        break;
    case StitchRule::OnePerPointAfterStart:
        if (*stitches != points - 1)
            mismatch("stitches", *stitches, std::to_string(points - 1) + " points drawn after the start");
        break;
    case StitchRule::OnePerPointAfterStart16Bit:
        if (*stitches != (points - 1) % 65536)
            mismatch("stitches", *stitches, std::to_string(points - 1) + " points drawn after the start");
        break;
    case StitchRule::LinesWhenMeasured:
        if (*stitches != lines + e.firstMovementIsStitch)
            mismatch("stitches", *stitches,
                     std::to_string(lines) + " lines drawn" + (e.firstMovementIsStitch ? " after a first stitch" : ""));
        break;
    }
    if (e.framingPenSets >= 0) {
        const std::int64_t expected = e.framingPenSets + std::min(*changes, e.changesThatSetPen);
        if (penSets != expected)
            mismatch("colour changes", *changes,
                     std::to_string(penSets) + " pen colours set while drawing, " + std::to_string(expected) +
                         " expected");
    }
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
    case Invariant::RemarkCounts:
        return "RemarkCounts";
    case Invariant::BlackAfterwards:
        return "BlackAfterwards";
    }
    return "?";
}

std::string describe(const Violation& violation)
{
    return std::string(nameOf(violation.invariant)) + " in " + violation.layout + ": " + violation.detail;
}

std::vector<Violation> checkReader(std::string_view routine, const ReadRoutine& read, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes)
{
    const Expectations expectations = expectationsOf(routine, fileName, bytes);
    std::vector<Violation> violations;
    for (std::size_t k = 0; k < pages().size(); ++k) {
        const Page& page = pages()[k];
        Findings findings(violations, page);
        MemoryFile whole(bytes.data(), bytes.size());
        const Transcript wholeRead = readInCell(read, page, fileName, whole);
        PiecewiseFile pieces(bytes, seedOf(bytes, k));
        compareWithPieces(wholeRead, readInCell(read, page, fileName, pieces), findings);
        checkArea(wholeRead, expectations, findings);
        checkCounts(wholeRead, expectations, findings);
        checkBlackAfterwards(wholeRead, findings);
    }
    return violations;
}

std::vector<Violation> checkReader(const Reader& reader, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes)
{
    return checkReader(reader.name, reader.read, fileName, bytes);
}

std::string fuzzFileName(const FuzzTarget& target)
{
    return "design." + target.extensions.front();
}

} // namespace orlika::fuzz
