// SPDX-License-Identifier: MIT
// orlika-thumbnailer -s SIZE INPUT OUTPUT: a design's picture for the file manager.
// The design is read twice by its reader: once to find the box its stitches fill,
// then drawn, fitted into SIZE x SIZE with a small margin, antialiased on white.
// A file the readers reject (or that has no stitches) exits non-zero and writes nothing.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/NullCanvas.h"
#include "render/PainterCanvas.h"
#include "render/Surfaces.h"
#include "tools/ToolSupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace orlika;

// The readers' calls without text: texts are not part of a thumbnail.
class StitchCanvas : public NullCanvas {
public:
    void setPenColor(Color color) override
    {
        if (color != m_penColor)
            penChanged(color);
        m_penColor = color;
    }

protected:
    virtual void penChanged(Color) {}
};

// First pass: the box of every line's ends.
class BoundsCanvas final : public StitchCanvas {
public:
    long long lines = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;

    void moveTo(int x, int y) override { m_current = {x, y}; }
    void lineTo(int x, int y) override
    {
        include(m_current.first, m_current.second);
        include(x, y);
        m_current = {x, y};
        ++lines;
    }

private:
    void include(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    std::pair<int, int> m_current{0, 0};
};

// Second pass: the lines, scaled into the image, a polyline per run of one colour.
class ThumbnailCanvas final : public StitchCanvas {
public:
    static constexpr qsizetype kLongestRun = 4096;

    ThumbnailCanvas(QPainter& painter, double scale, double dx, double dy)
        : m_painter(painter), m_scale(scale), m_dx(dx), m_dy(dy)
    {
        penChanged(Black);
    }
    ~ThumbnailCanvas() override { flush(); }

    void moveTo(int x, int y) override
    {
        flush();
        m_current = map(x, y);
    }
    void lineTo(int x, int y) override
    {
        if (m_run.isEmpty())
            m_run << m_current;
        m_current = map(x, y);
        m_run << m_current;
        // A long run is drawn in pieces, as the page canvas does, so that memory stays
        // flat however many stitches one colour has.
        if (m_run.size() >= kLongestRun) {
            flush();
            m_run << m_current;
        }
    }
    void flush() override
    {
        if (m_run.size() > 1)
            m_painter.drawPolyline(m_run);
        m_run.clear();
    }

private:
    void penChanged(Color color) override
    {
        flush();
        QPen pen(toQColor(color));
        pen.setWidthF(1.0);
        // Flat caps: the pieces of a long run meet without a dot drawn twice at the join.
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        m_painter.setPen(pen);
    }
    QPointF map(int x, int y) const { return {x * m_scale + m_dx, y * m_scale + m_dy}; }

    QPainter& m_painter;
    double m_scale, m_dx, m_dy;
    QPointF m_current;
    QPolygonF m_run;
};

// Reads the design into cell 1 of a large enlarged page, so that the readers' own
// rounding costs nothing visible at thumbnail sizes.
bool readDesign(const std::string& path, Canvas& canvas, HeadlessHost& host)
{
    PosixFileSystem files;
    Catalog catalog(host, files);
    auto& s = catalog.state();
    s.PageColumns = s.PageRows = 1;
    s.NoRemarks = true;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 8000, 8000);
    auto file = files.openRead(path);
    if (!file)
        return false;
    try {
        return catalog.decodeFile(canvas, path, std::move(file)) != nullptr && host.messages().empty();
    } catch (const std::exception&) {
        return false;
    }
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
                                                        if (parser.positionalArguments().size() != 2)
                                                            return QStringLiteral("give one INPUT and one OUTPUT");
                                                        return {};
                                                    }))
        return *status;
    const std::string input = parser.positionalArguments().at(0).toStdString();
    const std::string output = parser.positionalArguments().at(1).toStdString();

    HeadlessHost host;
    BoundsCanvas bounds;
    if (!readDesign(input, bounds, host) || bounds.lines == 0) {
        std::fprintf(stderr, "orlika-thumbnailer: %s: no design to show\n", input.c_str());
        return 1;
    }
    const double margin = std::max(2.0, size * 0.05);
    const double width = std::max(1, bounds.right - bounds.left);
    const double height = std::max(1, bounds.bottom - bounds.top);
    const double scale = (size - 2 * margin) / std::max(width, height);
    const double dx = (size - width * scale) / 2 - bounds.left * scale;
    const double dy = (size - height * scale) / 2 - bounds.top * scale;

    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        ThumbnailCanvas canvas(painter, scale, dx, dy);
        host.clearMessages();
        if (!readDesign(input, canvas, host))
            return 1;
    }
    // Written whole or not at all: a full disk must not leave a truncated thumbnail.
    if (const std::string problem = savePng(image, QString::fromStdString(output)); !problem.empty()) {
        std::fprintf(stderr, "orlika-thumbnailer: cannot write %s: %s\n", output.c_str(), problem.c_str());
        return 1;
    }
    return 0;
}
