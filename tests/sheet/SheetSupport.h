// SPDX-License-Identifier: MIT
// What the design sheet and export tests share: the bundled samples with what their
// decoders say of them, traced here on their own; the poppler and librsvg programs the
// outputs are checked with; and the PDF pages rasterised at a known resolution.
#pragma once

#include "decoders/PenTrace.h"
#include "decoders/Registry.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace orlika::test {

inline QGuiApplication& application()
{
    static int argc = 1;
    static char name[] = "orlika_sheet_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

/// One colour block as the test follows the design itself.
struct TracedBlock {
    Color color = Black;
    std::string threadName;
    std::int64_t stitches = 0;
};

/// A bundled sample: its path and what its movements give, followed with the pen here
/// rather than through the code under test.
struct TracedSample {
    std::string path;
    std::string name;
    QRectF box;  // every stitch's ends, in millimetres, y downward
    std::vector<TracedBlock> blocks;
};

inline TracedSample traceSample(const std::string& path)
{
    TracedSample sample;
    sample.path = path;
    sample.name = namePart(path);
    const Reader* reader = readerOfName(sample.name);
    PosixFileSystem files;
    auto file = files.openRead(path);
    if (!reader || !file)
        return sample;
    const DesignValue value = collectDesign(reader->decoding, *file, path);
    if (!value.accepted || value.error)
        return sample;
    PenTrace pen(value.design, reader->decoding.form);
    const double mm = millimetresPerUnit(value.design.unit);
    double left = std::numeric_limits<double>::max(), top = left, right = -left, bottom = -left;
    // The thread of a block is the design's thread of its place; a colour without name or
    // code (PCD's table of colours) gives way to the pen's colour once a change set it.
    const auto describe = [&](TracedBlock& block, std::size_t i, bool penSet) {
        block = TracedBlock{pen.color(), "", 0};
        if (i < value.design.threads.size()) {
            const Thread& thread = value.design.threads[i];
            block.threadName = thread.name;
            if (!thread.name.empty() || !thread.code.empty() || !penSet)
                block.color = thread.color & 0xFFFFFF;
        }
    };
    sample.blocks.emplace_back();
    describe(sample.blocks.back(), 0, false);
    for (const Movement& movement : value.movements) {
        const PenTrace::Effect effect = pen.follow(movement);
        if (effect == PenTrace::Effect::Color) {
            // A change before a block's first stitch sets that block's colour.
            if (sample.blocks.back().stitches > 0)
                sample.blocks.emplace_back();
            describe(sample.blocks.back(), sample.blocks.size() - 1, true);
        } else if (effect == PenTrace::Effect::Line) {
            ++sample.blocks.back().stitches;
            for (const double x : {pen.fromX() * mm, pen.x() * mm}) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
            for (const double y : {pen.fromY() * mm, pen.y() * mm}) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    while (sample.blocks.size() > 1 && sample.blocks.back().stitches == 0)
        sample.blocks.pop_back();
    if (left <= right)
        sample.box = QRectF(QPointF(left, top), QPointF(right, bottom));
    return sample;
}

/// The bundled samples that a reader takes; those of types no reader takes yet are named
/// on the test's output.
inline std::vector<TracedSample> readableSamples()
{
    std::vector<TracedSample> samples;
    QStringList pending;
    const QDir folder(QStringLiteral(ORLIKA_SAMPLES));
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        if (!readerOfName(name.toStdString())) {
            pending << name;
            continue;
        }
        samples.push_back(traceSample(folder.filePath(name).toStdString()));
    }
    if (!pending.isEmpty())
        std::printf("[   NOTE   ] no reader yet, not checked: %s\n", qPrintable(pending.join(QStringLiteral(", "))));
    return samples;
}

/// Runs a program; its exit status, or -1 when it could not be run.
struct ToolRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments)
{
    ToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline bool haveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

/// Part of a PDF page rasterised by poppler at `dpi`: the rectangle is in millimetres on
/// the paper; the image's pixel (0, 0) covers the paper from `origin()` on.
class PageRaster {
public:
    PageRaster(const QString& pdf, int page, double dpi, const QRectF& paperMm, const QString& scratch) : m_dpi(dpi)
    {
        const int x = int(std::floor(paperMm.left() * dpi / 25.4));
        const int y = int(std::floor(paperMm.top() * dpi / 25.4));
        const int w = int(std::ceil(paperMm.width() * dpi / 25.4)) + 1;
        const int h = int(std::ceil(paperMm.height() * dpi / 25.4)) + 1;
        m_origin = QPointF(x, y) * 25.4 / dpi;
        const QString root = scratch + QStringLiteral("/raster");
        const ToolRun run =
            runTool(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                     QStringLiteral("-l"), QString::number(page), QStringLiteral("-x"), QString::number(x),
                     QStringLiteral("-y"), QString::number(y), QStringLiteral("-W"), QString::number(w),
                     QStringLiteral("-H"), QString::number(h), QStringLiteral("-singlefile"), pdf, root});
        if (run.status == 0)
            m_image = QImage(root + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
        QFile::remove(root + QStringLiteral(".ppm"));
    }

    const QImage& image() const { return m_image; }
    double millimetresPerPixel() const { return 25.4 / m_dpi; }
    QPointF origin() const { return m_origin; }
    /// The paper position of a pixel's left or top edge.
    double paperX(double px) const { return m_origin.x() + px * millimetresPerPixel(); }
    double paperY(double py) const { return m_origin.y() + py * millimetresPerPixel(); }
    int pixelX(double mm) const { return int(std::floor((mm - m_origin.x()) / millimetresPerPixel())); }
    int pixelY(double mm) const { return int(std::floor((mm - m_origin.y()) / millimetresPerPixel())); }

private:
    double m_dpi;
    QPointF m_origin;
    QImage m_image;
};

/// How far a pixel is from white: the largest of its channels' distances.
inline int inkOf(QRgb pixel)
{
    // Plain comparisons: the tests are built unoptimised and call this for every pixel.
    const int red = qRed(pixel), green = qGreen(pixel), blue = qBlue(pixel);
    const int lowest = red < green ? (red < blue ? red : blue) : (green < blue ? green : blue);
    return 255 - lowest;
}

/// Whether a pixel is white blended with `color` (and nothing else), within a tolerance.
inline bool isTintOf(QRgb pixel, const QColor& color, int tolerance = 14)
{
    const int deviation[3] = {255 - qRed(pixel), 255 - qGreen(pixel), 255 - qBlue(pixel)};
    const int full[3] = {255 - color.red(), 255 - color.green(), 255 - color.blue()};
    // The coverage the channel that differs most tells; every channel must agree with it.
    const int strongest = int(std::max_element(full, full + 3) - full);
    if (full[strongest] == 0)
        return false;
    const double coverage = double(deviation[strongest]) / full[strongest];
    for (int c = 0; c < 3; ++c)
        if (std::abs(deviation[c] - coverage * full[c]) > tolerance)
            return false;
    return coverage > 0.05;
}

} // namespace orlika::test
