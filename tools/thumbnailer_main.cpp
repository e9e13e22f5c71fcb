// SPDX-License-Identifier: MIT
// orlika-thumbnailer -s SIZE [--look realistic] INPUT OUTPUT: a design's picture for the
// file manager.
// The design's decoder reads it twice: once to find the box its stitches fill, then to
// draw it, fitted into SIZE x SIZE with a small margin, antialiased on white, in the
// design's own units (no page cell, no rounding to a cell's pixels). A file the decoders
// reject (or that has no stitches, or cannot be read to its end) exits non-zero and
// writes nothing. The realistic look draws each stitch as thread of its width.
#include "decoders/DesignTrace.h"
#include "decoders/Registry.h"
#include "platform/FileSystem.h"
#include "render/PainterCanvas.h"
#include "render/RealisticLook.h"
#include "render/Surfaces.h"
#include "tools/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

namespace {

using namespace orlika;

// The box of every stitch's ends, in the design's units.
struct LineBox {
    long long lines = 0;
    double left = std::numeric_limits<double>::infinity();
    double top = std::numeric_limits<double>::infinity();
    double right = -std::numeric_limits<double>::infinity();
    double bottom = -std::numeric_limits<double>::infinity();

    void include(double x, double y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

// The stitches as polylines, a run of one colour each, scaled into the image.
class Polylines {
public:
    static constexpr qsizetype kLongestRun = 4096;

    Polylines(QPainter& painter, double scale, double dx, double dy)
        : m_painter(painter), m_scale(scale), m_dx(dx), m_dy(dy)
    {
    }
    ~Polylines() { flush(); }

    void setColor(Color color)
    {
        flush();
        QPen pen(toQColor(color));
        pen.setWidthF(1.0);
        // Flat caps: the pieces of a long run meet without a dot drawn twice at the join.
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        m_painter.setPen(pen);
    }
    void move() { flush(); }
    void line(double x0, double y0, double x1, double y1)
    {
        if (m_run.isEmpty())
            m_run << map(x0, y0);
        m_run << map(x1, y1);
        // A long run is drawn in pieces, so that memory stays flat however many stitches
        // one colour has.
        if (m_run.size() >= kLongestRun) {
            const QPointF last = m_run.back();
            flush();
            m_run << last;
        }
    }
    void flush()
    {
        if (m_run.size() > 1)
            m_painter.drawPolyline(m_run);
        m_run.clear();
    }

private:
    QPointF map(double x, double y) const { return {x * m_scale + m_dx, y * m_scale + m_dy}; }

    QPainter& m_painter;
    double m_scale, m_dx, m_dy;
    QPolygonF m_run;
};

// Reads the design from its file with the reader its name selects and hands each effect
// of its movements to visit(trace, effect); false when no reader takes the file, it is
// rejected, or it cannot be read to its end. `millimetres`, when given, is set to the
// length of the design's unit.
template <typename Visit>
bool traceFile(const std::string& path, Visit&& visit, double* millimetres = nullptr)
{
    // The pen's first colour is told as a change of colour before the first movement.
    struct Tracer : DesignTracer {
        Visit& visit;
        explicit Tracer(Visit& visit) : visit(visit) {}
        void measured(const PenTrace& pen) { visit(pen, PenTrace::Effect::Color); }
        void step(const Movement&, PenTrace::Effect effect, const PenTrace& pen) { visit(pen, effect); }
    };
    const Reader* reader = readerOfName(namePart(path));
    PosixFileSystem files;
    const std::unique_ptr<DesignFile> file = reader ? files.openRead(path) : nullptr;
    if (!file)
        return false;
    try {
        Design design;
        Tracer tracer(visit);
        const bool read = traceDesign(reader->decoding, *file, path, design, Trailer::Skip, tracer).read();
        if (millimetres)
            *millimetres = millimetresPerUnit(design.unit);
        return read;
    } catch (const std::exception&) {
        return false;
    }
}

// The design as thread of its width on white fabric.
bool drawRealistic(const std::string& input, QImage& image, double scale, double dx, double dy, double millimetres)
{
    RealisticThreads threads(image);
    threads.setMapping(scale, dx, dy);
    threads.setThreadWidth(kThreadWidthMm / millimetres);
    return traceFile(input, [&](const PenTrace& trace, PenTrace::Effect effect) {
        if (effect == PenTrace::Effect::Color)
            threads.setThread(trace.color());
        else if (effect == PenTrace::Effect::Line)
            threads.addStitch(QPointF(trace.fromX(), trace.fromY()), QPointF(trace.x(), trace.y()));
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws the design in INPUT as a PNG picture of SIZE x SIZE pixels in OUTPUT, for a file\n"
        "manager's thumbnails. A file that no reader accepts writes nothing and ends with status 1."));
    const QCommandLineOption sizeOption(QStringLiteral("s"),
                                        QStringLiteral("The picture's width and height in pixels, 8 to 4096."),
                                        QStringLiteral("SIZE"));
    parser.addOption(sizeOption);
    const QCommandLineOption lookOption(
        QStringLiteral("look"),
        QStringLiteral("lines (a line a stitch, when not given) or realistic (thread of its width, shaded)."),
        QStringLiteral("LOOK"), QStringLiteral("lines"));
    parser.addOption(lookOption);
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("The design file."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("The PNG file to write."));
    int size = 0;
    if (const auto status = tools::parseCommandLine(QStringLiteral("orlika-thumbnailer"), parser, app.arguments(),
                                                    [&]() -> QString {
                                                        bool number = false;
                                                        size = parser.value(sizeOption).toInt(&number);
                                                        if (!parser.isSet(sizeOption))
                                                            return QStringLiteral("give the size with -s SIZE");
                                                        if (!number || size < 8 || size > 4096)
                                                            return QStringLiteral("the size '%1' is not a whole "
                                                                                  "number from 8 to 4096")
                                                                .arg(parser.value(sizeOption));
                                                        const QString look = parser.value(lookOption);
                                                        if (look != QStringLiteral("lines") &&
                                                            look != QStringLiteral("realistic"))
                                                            return QStringLiteral("the look '%1' is neither lines "
                                                                                  "nor realistic")
                                                                .arg(look);
                                                        if (parser.positionalArguments().size() != 2)
                                                            return QStringLiteral("give one INPUT and one OUTPUT");
                                                        return {};
                                                    }))
        return *status;
    const std::string input = parser.positionalArguments().at(0).toStdString();
    const std::string output = parser.positionalArguments().at(1).toStdString();

    const bool realistic = parser.value(lookOption) == QStringLiteral("realistic");

    LineBox bounds;
    double millimetres = 0.1;
    const bool read = traceFile(
        input,
        [&](const PenTrace& trace, PenTrace::Effect effect) {
            if (effect != PenTrace::Effect::Line)
                return;
            bounds.include(trace.fromX(), trace.fromY());
            bounds.include(trace.x(), trace.y());
            ++bounds.lines;
        },
        &millimetres);
    if (!read || bounds.lines == 0) {
        std::fprintf(stderr, "orlika-thumbnailer: %s: no design to show\n", input.c_str());
        return 1;
    }
    const double margin = std::max(2.0, size * 0.05);
    const double width = std::max(1.0, bounds.right - bounds.left);
    const double height = std::max(1.0, bounds.bottom - bounds.top);
    const double scale = (size - 2 * margin) / std::max(width, height);
    const double dx = (size - width * scale) / 2 - bounds.left * scale;
    const double dy = (size - height * scale) / 2 - bounds.top * scale;

    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (realistic) {
        if (!drawRealistic(input, image, scale, dx, dy, millimetres))
            return 1;
    } else {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        Polylines lines(painter, scale, dx, dy);
        const bool drawn = traceFile(input, [&](const PenTrace& trace, PenTrace::Effect effect) {
            if (effect == PenTrace::Effect::Color)
                lines.setColor(trace.color());
            else if (effect == PenTrace::Effect::Move)
                lines.move();
            else if (effect == PenTrace::Effect::Line)
                lines.line(trace.fromX(), trace.fromY(), trace.x(), trace.y());
        });
        if (!drawn)
            return 1;
    }
    // Written whole or not at all: a full disk must not leave a truncated thumbnail.
    if (const std::string problem = savePng(image, QString::fromStdString(output), PngContent::Picture); !problem.empty()) {
        std::fprintf(stderr, "orlika-thumbnailer: cannot write %s: %s\n", output.c_str(), problem.c_str());
        return 1;
    }
    return 0;
}
