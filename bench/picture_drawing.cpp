// SPDX-License-Identifier: MIT
// Pictures of designs: the PNG export at 300 dpi and the thumbnailer, against rsvg-convert
// drawing the exported SVG of the same design at the same size, on every design in a
// folder that our readers accept, a generated dense 30,000-stitch DST and (thumbnails
// only) a 2,000,000-stitch one. Programs are timed as processes (user + system time, the
// median of the runs); the ways of drawing a picture in this process (QPainter as the
// export drew until now, Cairo stroking run by run or a block at once) by the thread's CPU
// time, and compared pixel by pixel with QPainter's. One JSON line per design and measure,
// then the means over the folder's designs. Another build's programs, when given, are
// timed in turn with these ("base_" measures).
//
//   orlika-bench-pictures [FOLDER] [EXPORT THUMBNAILER] [BASE_EXPORT BASE_THUMBNAILER]
#include "render/CairoLines.h"
#include "render/PainterCanvas.h"
#include "sheet/DesignExport.h"
#include "tools/designgen/DstWriter.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

extern char** environ;

namespace {

using namespace orlika;
namespace fs = std::filesystem;

constexpr double kDpi = 300;
constexpr int kThumbnail = 256;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The user + system time of one run of the program, or a negative number when it failed.
double processMilliseconds(const std::vector<std::string>& command)
{
    std::vector<char*> args;
    for (const std::string& arg : command)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawnp(&child, args[0], nullptr, nullptr, args.data(), environ) != 0 ||
        wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

double medianProcess(const std::vector<std::string>& command, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double time = processMilliseconds(command);
        if (time < 0)
            return -1;
        times.push_back(time);
    }
    return median(times);
}

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

double medianCpu(const std::function<void()>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = threadMilliseconds();
        work();
        times.push_back(threadMilliseconds() - start);
    }
    return median(times);
}

QImage blankImage(const DesignPicture& picture)
{
    QImage image(imageSize(picture, kDpi), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The export's drawing as it was: QPainter's antialiased stroker.
QImage drawnByQPainter(const DesignPicture& picture)
{
    QImage image = blankImage(picture);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double scale = kDpi / 25.4;
    painter.translate(image.width() / 2.0, image.height() / 2.0);
    painter.scale(scale, scale);
    painter.translate(-picture.centre());
    paintDesign(painter, picture);
    return image;
}

QImage drawnByCairo(const DesignPicture& picture, bool blockAtOnce)
{
    QImage image = blankImage(picture);
    CairoLines lines(image);
    const double scale = kDpi / 25.4;
    lines.setMapping(scale, image.width() / 2.0 - picture.centre().x() * scale,
                     image.height() / 2.0 - picture.centre().y() * scale);
    for (const ColorBlock& block : picture.blocks) {
        lines.setPen(block.color, kStitchWidthMm, CairoLines::Cap::Round);
        for (const QPolygonF& run : block.runs) {
            lines.addPolyline(run.constData(), run.size());
            if (!blockAtOnce)
                lines.stroke();
        }
        lines.stroke();
    }
    return image;
}

// The share of pixels whose alpha or a colour channel differs by more than `tolerance`.
double differingShare(const QImage& a, const QImage& b, int tolerance)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    if (left.size() != right.size())
        return 1;
    qint64 differing = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            const int most = std::max({std::abs(qAlpha(l[x]) - qAlpha(r[x])), std::abs(qRed(l[x]) - qRed(r[x])),
                                       std::abs(qGreen(l[x]) - qGreen(r[x])), std::abs(qBlue(l[x]) - qBlue(r[x]))});
            differing += most > tolerance;
        }
    }
    return double(differing) / (double(left.width()) * left.height());
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Rows of 2.5 mm stitches 0.4 mm apart over 60 x 60 mm, the square filled again for each
// of the 8 threads.
gen::Design denseFill(int stitches, int rowLength, int colors)
{
    gen::Design design;
    for (int c = 0; c < colors; ++c)
        design.threads.push_back(c + 1);
    const int perColor = stitches / colors;
    for (int i = 0; i < stitches; ++i) {
        if (i > 0 && i % perColor == 0 && i / perColor < colors)
            design.colorChange(i / perColor);
        const int row = (i / rowLength) % 150;
        const int column = i % rowLength;
        design.stitch(25 * (row % 2 == 0 ? column : rowLength - 1 - column), 4 * row);
    }
    return design;
}

struct Sums {
    std::map<std::string, double> ms;
    int designs = 0;
};

void print(const std::string& design, const std::string& measure, double ms, const std::string& extra = {})
{
    std::printf("{\"design\":\"%s\",\"measure\":\"%s\",\"median_ms\":%.2f%s}\n", design.c_str(), measure.c_str(), ms,
                extra.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const fs::path samples = argc > 1 ? argv[1] : "../shared/samples-real";
    const std::string exporter = argc > 2 ? argv[2] : ORLIKA_EXPORT;
    const std::string thumbnailer = argc > 3 ? argv[3] : ORLIKA_THUMBNAILER;
    const std::string baseExporter = argc > 5 ? argv[4] : "";
    const std::string baseThumbnailer = argc > 5 ? argv[5] : "";
    const int runs = std::getenv("ORLIKA_BENCH_RUNS") ? std::atoi(std::getenv("ORLIKA_BENCH_RUNS")) : 5;
    const fs::path work = fs::temp_directory_path() / "orlika-bench-pictures";
    fs::create_directories(work);

    std::vector<fs::path> designs;
    if (fs::is_directory(samples))
        for (const auto& entry : fs::directory_iterator(samples))
            if (entry.is_regular_file())
                designs.push_back(entry.path());
    std::sort(designs.begin(), designs.end());
    const fs::path dense = work / "dense-30000.dst";
    writeFile(dense, gen::writeDst(denseFill(30'000, 24, 8)));
    designs.push_back(dense);
    const fs::path huge = work / "fill-2000000.dst";
    writeFile(huge, gen::writeDst(denseFill(2'000'000, 200, 8)));

    const std::string png = (work / "out.png").string();
    const std::string svg = (work / "out.svg").string();
    const std::string size = std::to_string(kThumbnail);
    Sums real;
    for (const fs::path& path : designs) {
        const PictureReading reading = readDesignPicture(path.string());
        if (!reading.picture)
            continue;
        const DesignPicture& picture = *reading.picture;
        const std::string name = path.filename().string();
        const bool generated = path == dense;
        if (processMilliseconds({exporter, path.string(), "-o", svg}) < 0)
            continue;
        std::map<std::string, double> ms;
        ms["export_png"] = medianProcess({exporter, path.string(), "-o", png, "--dpi", "300"}, runs);
        if (!baseExporter.empty())
            ms["base_export_png"] = medianProcess({baseExporter, path.string(), "-o", png, "--dpi", "300"}, runs);
        ms["rsvg_png"] = medianProcess({"rsvg-convert", "-d", "300", "-p", "300", svg, "-o", png}, runs);
        ms["thumbnailer"] = medianProcess({thumbnailer, "-s", size, path.string(), png}, runs);
        if (!baseThumbnailer.empty())
            ms["base_thumbnailer"] = medianProcess({baseThumbnailer, "-s", size, path.string(), png}, runs);
        ms["rsvg_thumbnail"] =
            medianProcess({"rsvg-convert", "-w", size, "-h", size, "-a", "-b", "white", svg, "-o", png}, runs);
        const QImage byQt = drawnByQPainter(picture);
        ms["draw_qpainter"] = medianCpu([&] { drawnByQPainter(picture); }, runs);
        ms["draw_cairo_run"] = medianCpu([&] { drawnByCairo(picture, false); }, runs);
        ms["draw_cairo_block"] = medianCpu([&] { drawnByCairo(picture, true); }, runs);
        char extra[160];
        std::snprintf(extra, sizeof extra, ",\"stitches\":%lld,\"pixels\":\"%dx%d\",\"differ_run\":%.4f,\"differ_block\":%.4f",
                      static_cast<long long>(picture.stitches()), byQt.width(), byQt.height(),
                      differingShare(byQt, drawnByCairo(picture, false), 16),
                      differingShare(byQt, drawnByCairo(picture, true), 16));
        for (const auto& [measure, time] : ms)
            print(name, measure, time, measure == "draw_qpainter" ? std::string(extra) : std::string());
        if (!generated) {
            for (const auto& [measure, time] : ms)
                real.ms[measure] += time;
            ++real.designs;
        }
    }
    for (const auto& [measure, time] : real.ms)
        std::printf("{\"design\":\"real samples, mean of %d\",\"measure\":\"%s\",\"median_ms\":%.2f}\n", real.designs,
                    measure.c_str(), time / std::max(1, real.designs));
    print(huge.filename().string(), "thumbnailer", medianProcess({thumbnailer, "-s", size, huge.string(), png}, runs));
    if (!baseThumbnailer.empty())
        print(huge.filename().string(), "base_thumbnailer",
              medianProcess({baseThumbnailer, "-s", size, huge.string(), png}, runs));
    fs::remove_all(work);
    return 0;
}
