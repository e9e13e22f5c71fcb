// SPDX-License-Identifier: MIT
// A thumbnail page of 30 designs of 20,000 stitches each, drawn into a page image.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "render/PngEncoder.h"
#include "render/Surfaces.h"
#include "tools/designgen/DstWriter.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace orlika;

std::string makeFolder()
{
    const auto folder = std::filesystem::temp_directory_path() / "orlika-bench-page";
    std::filesystem::create_directories(folder);
    const auto bytes = gen::writeDst(gen::makeSpiral(20000, 8));
    for (int i = 0; i < 30; ++i) {
        std::ofstream out(folder / ("design" + std::to_string(100 + i) + ".dst"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    return folder.string() + "/";
}

void drawThumbnailPages(benchmark::State& state, bool realistic)
{
    static const std::string folder = makeFolder();
    HeadlessHost host;
    host.geometry = {1600, 1000, 0, 1600, 1000};
    PosixFileSystem files;
    Catalog catalog(host, files);
    auto& s = catalog.state();
    applyLayout(s, layouts::kThumbnails30);
    ImagePage page(1600, 1000);
    page.canvas().setRealistic(realistic);
    catalog.setMainCanvas(&page.canvas());
    for (auto _ : state) {
        s.OpenFileName = folder + "design100.dst";
        s.FileKind = FileKind{4};
        s.FromBeginning = true;
        catalog.View(page.canvas(), false);
        catalog.runToEnd([&] { host.answerWait(); });
        page.flush();
        benchmark::DoNotOptimize(page.image().constBits());
    }
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void ThumbnailPage30(benchmark::State& state)
{
    drawThumbnailPages(state, false);
}
BENCHMARK(ThumbnailPage30)->Unit(benchmark::kMillisecond);

// The same page with View > Realistic Pictures: each cell's stitches laid as thread.
void RealisticThumbnailPage30(benchmark::State& state)
{
    drawThumbnailPages(state, true);
}
BENCHMARK(RealisticThumbnailPage30)->Unit(benchmark::kMillisecond);

// The reference for the page: the same polylines, in the same pens, drawn into the same
// image by QPainter alone, with nothing decoded, measured or written.
struct Polyline {
    Color pen = Black;
    std::vector<QPoint> points;
};

class PolylineRecorder : public Canvas {
public:
    std::vector<Polyline> lines;

    void setPenColor(Color color) override
    {
        m_pen = color;
        startLine();
    }
    Color penColor() const override { return m_pen; }
    void setPenWidth(int) override {}
    void setBrush(BrushStyle, Color) override {}
    void setFont(const Font&) override {}
    void setFontColor(Color) override {}
    Color fontColor() const override { return Black; }
    void moveTo(int x, int y) override
    {
        m_at = QPoint(x, y);
        startLine();
    }
    void lineTo(int x, int y) override
    {
        if (lines.empty() || lines.back().points.empty())
            lines.push_back({m_pen, {m_at}});
        m_at = QPoint(x, y);
        lines.back().points.push_back(m_at);
    }
    void rectangle(int, int, int, int) override {}
    void textOut(int, int, const std::string&) override {}
    int textWidth(const std::string& text) override { return 6 * int(text.size()); }
    int textHeight(const std::string&) override { return 10; }

private:
    void startLine()
    {
        if (!lines.empty() && !lines.back().points.empty())
            lines.push_back({m_pen, {}});
    }
    Color m_pen = Black;
    QPoint m_at;
};

void BareDrawingOfPage30(benchmark::State& state)
{
    static const std::vector<Polyline> lines = [] {
        const std::string folder = makeFolder();
        HeadlessHost host;
        host.geometry = {1600, 1000, 0, 1600, 1000};
        PosixFileSystem files;
        Catalog catalog(host, files);
        auto& s = catalog.state();
        applyLayout(s, layouts::kThumbnails30);
        PolylineRecorder recorder;
        s.OpenFileName = folder + "design100.dst";
        s.FileKind = FileKind{4};
        s.FromBeginning = true;
        catalog.View(recorder, false);
        catalog.runToEnd([&] { host.answerWait(); });
        std::erase_if(recorder.lines, [](const Polyline& line) { return line.points.size() < 2; });
        return recorder.lines;
    }();
    QImage image(1600, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setClipRect(image.rect());
        for (const Polyline& line : lines) {
            QPen pen(QColor::fromRgb(qRgb(line.pen & 0xFF, (line.pen >> 8) & 0xFF, (line.pen >> 16) & 0xFF)));
            pen.setCapStyle(Qt::FlatCap);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
            painter.drawPolyline(line.points.data(), int(line.points.size()));
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["polylines"] = double(lines.size());
}
BENCHMARK(BareDrawingOfPage30)->Unit(benchmark::kMillisecond);

// The 30-thumbnail page as a PNG file's bytes: Qt's writer (what the pages used before)
// beside the encoder the pages use now, on the same drawn image.
const QImage& drawnPage30()
{
    static const QImage image = [] {
        const std::string folder = makeFolder();
        HeadlessHost host;
        host.geometry = {1600, 1000, 0, 1600, 1000};
        PosixFileSystem files;
        Catalog catalog(host, files);
        auto& s = catalog.state();
        applyLayout(s, layouts::kThumbnails30);
        ImagePage page(1600, 1000);
        catalog.setMainCanvas(&page.canvas());
        s.OpenFileName = folder + "design100.dst";
        s.FileKind = FileKind{4};
        s.FromBeginning = true;
        catalog.View(page.canvas(), false);
        catalog.runToEnd([&] { host.answerWait(); });
        page.flush();
        return page.image().copy();
    }();
    return image;
}

void PngPage30WithQt(benchmark::State& state)
{
    const QImage& image = drawnPage30();
    qint64 size = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        size = buffer.size();
    }
    state.counters["bytes"] = double(size);
}
BENCHMARK(PngPage30WithQt)->Unit(benchmark::kMillisecond);

void PngPage30(benchmark::State& state)
{
    const QImage& image = drawnPage30();
    std::size_t size = 0;
    for (auto _ : state)
        size = encodePng(image).size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(PngPage30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
