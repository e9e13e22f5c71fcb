// SPDX-License-Identifier: MIT
// The realistic look's cost in this process, by the thread's CPU time (the median of the
// runs): a 256-pixel thumbnail of a 20,000-stitch design drawn as thread and as the
// thumbnailer's one-pixel lines; a 1,600 x 1,000 design view of a 100,000-stitch design at
// its actual size (96 dpi) as thread, drawn on every core, by the wall's time and the
// process's CPU time; and the frames of its sew-out at 100x (30 stitches a 30 ms frame), as
// the design view draws them: each look adds the stitches sewn since the last frame to its
// picture, which is then put on a window-sized image. One JSON line per measure.
//
//   orlika-bench-realistic
#include "render/PainterCanvas.h"
#include "sheet/RealisticPicture.h"
#include "sheet/SewOut.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <time.h>
#include <vector>

namespace {

using namespace orlika;

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

// Wall-clock and whole-process CPU milliseconds: a large thread picture is drawn on every
// core, so its frame takes the wall's time and costs the process's.
double clockMilliseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

// Keeps a result the compiler could otherwise leave uncomputed.
template <typename T>
void keepResult(const T& value)
{
    asm volatile("" : : "g"(&value) : "memory");
}

double medianCpu(const std::function<void()>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = threadMilliseconds();
        work();
        times.push_back(threadMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The medians of the wall's and the process's time of `runs` runs.
std::pair<double, double> medianWallAndProcess(const std::function<void()>& work, int runs)
{
    std::vector<double> wall, process;
    for (int i = 0; i < runs; ++i) {
        const double wallStart = clockMilliseconds(CLOCK_MONOTONIC);
        const double processStart = clockMilliseconds(CLOCK_PROCESS_CPUTIME_ID);
        work();
        process.push_back(clockMilliseconds(CLOCK_PROCESS_CPUTIME_ID) - processStart);
        wall.push_back(clockMilliseconds(CLOCK_MONOTONIC) - wallStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(process.begin(), process.end());
    return {wall[wall.size() / 2], process[process.size() / 2]};
}

// `stitches` stitches of satin in 8 colours: each colour a band of 3 mm stitches
// 0.2 mm apart turning about a centre, so that every direction is sewn, the bands
// filling a disc of about 100 mm.
DesignPicture satinRings(int stitches)
{
    DesignPicture picture;
    const int colours = 8;
    const int perColour = stitches / colours;
    for (int c = 0; c < colours; ++c) {
        ColorBlock block;
        block.color = rgb(std::uint8_t(40 + c * 25), std::uint8_t(200 - c * 20), std::uint8_t((c * 70) % 256));
        QPolygonF run;
        const double inner = 5 + c * 6.0;
        const double outer = inner + 3;
        // Stitches 0.2 mm apart on the inner edge as the band goes round, over and over.
        for (int k = 0; k <= perColour; ++k) {
            const double along = k * 0.1;  // mm along the inner edge
            const double angle = along / inner;
            const double radius = k % 2 ? outer : inner;
            run << QPointF(50 + radius * std::cos(angle), 50 + radius * std::sin(angle));
        }
        block.runs.push_back(run);
        block.stitches = perColour;
        picture.blocks.push_back(block);
    }
    picture.extent = QRectF(0, 0, 100, 100);
    return picture;
}

// The thumbnailer's line drawing: one-pixel antialiased lines, flat caps.
void drawLines(QImage& image, const DesignPicture& picture, double scale, QPointF offset)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const ColorBlock& block : picture.blocks) {
        QPen pen(toQColor(block.color));
        pen.setWidthF(1.0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        for (const QPolygonF& run : block.runs) {
            QPolygonF mapped;
            mapped.reserve(run.size());
            for (const QPointF& point : run)
                mapped << point * scale + offset;
            for (qsizetype start = 0; start + 1 < mapped.size(); start += 4095)
                painter.drawPolyline(mapped.constData() + start, int(std::min<qsizetype>(4096, mapped.size() - start)));
        }
    }
}

void print(const char* measure, double ms)
{
    std::printf("{\"measure\":\"%s\",\"median_ms\":%.2f}\n", measure, ms);
    std::fflush(stdout);
}

// The sew-out's frames at 100x: 600 stitches a minute a hundred times over, a frame every
// 30 ms. `frames` frames spread over the design are timed, each from the picture as the
// frames before it left it; the median and the slowest are printed.
void sewOutFrames(const char* measure, const DesignPicture& picture, bool realistic, int frames)
{
    constexpr std::int64_t kStitchesAFrame = 600 * 100 * 30 / 60000;
    const double scale = 96 / 25.4;
    const QPointF middle(800 - 50 * scale, 500 - 50 * scale);
    std::int64_t total = 0;
    for (const ColorBlock& block : picture.blocks)
        total += block.stitches;
    QImage sewn(1600, 1000, QImage::Format_RGB32);
    sewn.fill(Qt::white);
    QImage window(1600, 1000, QImage::Format_RGB32);
    std::int64_t drawn = 0;
    std::vector<double> times;
    for (int frame = 1; frame <= frames; ++frame) {
        const std::int64_t before = total * frame / (frames + 1);
        const std::int64_t after = std::min(total, before + kStitchesAFrame);
        // The frames not timed, as they would have been drawn.
        if (realistic)
            drawRealisticStitches(sewn, picture, scale, middle, kThreadWidthMm, drawn, before);
        else
            drawLineStitches(sewn, picture, scale, middle, drawn, before);
        const double start = threadMilliseconds();
        QPainter painter(&window);
        if (realistic)
            drawRealisticStitches(sewn, picture, scale, middle, kThreadWidthMm, before, after);
        else
            drawLineStitches(sewn, picture, scale, middle, before, after);
        painter.drawImage(QPointF(0, 0), sewn);
        painter.end();
        keepResult(needleAfter(picture, after));
        times.push_back(threadMilliseconds() - start);
        drawn = after;
    }
    std::sort(times.begin(), times.end());
    std::printf("{\"measure\":\"%s\",\"median_ms\":%.2f,\"slowest_ms\":%.2f}\n", measure, times[times.size() / 2],
                times.back());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = std::getenv("ORLIKA_BENCH_RUNS") ? std::atoi(std::getenv("ORLIKA_BENCH_RUNS")) : 21;

    const DesignPicture small = satinRings(20'000);
    constexpr int kThumbnail = 256;
    const double margin = kThumbnail * 0.05;
    const double scale = (kThumbnail - 2 * margin) / 100;
    const QPointF offset(margin, margin);
    print("thumbnail_256_20000_lines", medianCpu(
                                           [&] {
                                               QImage image(kThumbnail, kThumbnail, QImage::Format_RGB32);
                                               image.fill(Qt::white);
                                               drawLines(image, small, scale, offset);
                                           },
                                           runs));
    print("thumbnail_256_20000_realistic", medianCpu(
                                               [&] {
                                                   QImage image(kThumbnail, kThumbnail, QImage::Format_RGB32);
                                                   image.fill(Qt::white);
                                                   drawRealisticDesign(image, small, scale, offset);
                                               },
                                               runs));

    const DesignPicture large = satinRings(100'000);
    const double actual = 96 / 25.4;
    const QPointF middle(800 - 50 * actual, 500 - 50 * actual);
    const auto [wall, process] = medianWallAndProcess(
        [&] {
            QImage image(1600, 1000, QImage::Format_RGB32);
            image.fill(Qt::white);
            drawRealisticDesign(image, large, actual, middle);
        },
        std::max(5, runs / 3));
    std::printf("{\"measure\":\"view_1600x1000_100000_realistic\",\"median_wall_ms\":%.2f,\"median_cpu_ms\":%.2f}\n",
                wall, process);
    std::fflush(stdout);
    sewOutFrames("sewout_100x_100000_realistic_frame", large, true, 101);
    sewOutFrames("sewout_100x_100000_lines_frame", large, false, 101);
    return 0;
}
