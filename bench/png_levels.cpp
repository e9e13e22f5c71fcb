// SPDX-License-Identifier: MIT
// PNG pages at libdeflate's levels 1 to 4: each page's rows filtered as ORLIKA's encoder
// filters a page (Up, RGB), then compressed alone at each level. Prints, a line a level,
// the thread's CPU time summed over the pages (the median of five compressions of each)
// and the bytes they compress to.
//
//   orlika-bench-png-levels PAGE.png...
#include <QImage>

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

// A filter byte (Up) a row, then R, G, B of each pixel less the pixel above.
std::vector<std::uint8_t> rowsFilteredUp(const QImage& page)
{
    const QImage image = page.convertToFormat(QImage::Format_RGB32);
    const auto width = std::size_t(image.width());
    std::vector<std::uint8_t> rows;
    rows.reserve((1 + 3 * width) * std::size_t(image.height()));
    const QRgb* above = nullptr;
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        rows.push_back(2);
        for (std::size_t x = 0; x < width; ++x) {
            const QRgb up = above ? above[x] : 0;
            rows.push_back(std::uint8_t(qRed(pixels[x]) - qRed(up)));
            rows.push_back(std::uint8_t(qGreen(pixels[x]) - qGreen(up)));
            rows.push_back(std::uint8_t(qBlue(pixels[x]) - qBlue(up)));
        }
        above = pixels;
    }
    return rows;
}

struct Total {
    double ms = 0;
    std::size_t bytes = 0;
};

} // namespace

int main(int argc, char** argv)
{
    constexpr int kLevels = 4, kRuns = 5;
    Total totals[kLevels + 1];
    for (int page = 1; page < argc; ++page) {
        const QImage image(QString::fromLocal8Bit(argv[page]));
        if (image.isNull()) {
            std::fprintf(stderr, "orlika-bench-png-levels: cannot read %s\n", argv[page]);
            return 1;
        }
        const std::vector<std::uint8_t> rows = rowsFilteredUp(image);
        for (int level = 1; level <= kLevels; ++level) {
            libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
            std::vector<std::uint8_t> out(libdeflate_zlib_compress_bound(compressor, rows.size()));
            std::vector<double> times;
            std::size_t size = 0;
            for (int run = 0; run < kRuns; ++run) {
                const double start = threadMilliseconds();
                size = libdeflate_zlib_compress(compressor, rows.data(), rows.size(), out.data(), out.size());
                times.push_back(threadMilliseconds() - start);
            }
            libdeflate_free_compressor(compressor);
            std::sort(times.begin(), times.end());
            totals[level].ms += times[kRuns / 2];
            totals[level].bytes += size;
        }
    }
    for (int level = 1; level <= kLevels; ++level)
        std::printf("{\"level\":%d,\"pages\":%d,\"ms\":%.1f,\"bytes\":%zu}\n", level, argc - 1, totals[level].ms,
                    totals[level].bytes);
    return 0;
}
