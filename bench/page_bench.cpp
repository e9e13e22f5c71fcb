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

void ThumbnailPage30(benchmark::State& state)
{
    static const std::string folder = makeFolder();
    HeadlessHost host;
    host.geometry = {1600, 1000, 0, 1600, 1000};
    PosixFileSystem files;
    Catalog catalog(host, files);
    auto& s = catalog.state();
    s.PageColumns = 6;
    s.PageRows = 5;
    s.Thumbnails = true;
    ImagePage page(1600, 1000);
    catalog.setMainCanvas(&page.canvas());
    for (auto _ : state) {
        s.OpenFileName = folder + "design100.dst";
        s.FileKind = FileKind{4};
        s.FromBeginning = true;
        catalog.View(page.canvas(), false);
        page.flush();
        benchmark::DoNotOptimize(page.image().constBits());
    }
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ThumbnailPage30)->Unit(benchmark::kMillisecond);

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
        s.PageColumns = 6;
        s.PageRows = 5;
        s.Thumbnails = true;
        ImagePage page(1600, 1000);
        catalog.setMainCanvas(&page.canvas());
        s.OpenFileName = folder + "design100.dst";
        s.FileKind = FileKind{4};
        s.FromBeginning = true;
        catalog.View(page.canvas(), false);
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
