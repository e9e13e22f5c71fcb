// SPDX-License-Identifier: MIT
#include "sheet/RealisticPicture.h"

#include "render/RealisticLook.h"

#include <algorithm>
#include <limits>
#include <thread>
#include <vector>

namespace orlika {

bool drawRealisticDesign(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                         double threadWidthMm)
{
    return drawRealisticStitches(image, picture, scale, offset, threadWidthMm, 0,
                                 std::numeric_limits<std::int64_t>::max());
}

namespace {

// Below these a second thread costs more than it saves: a sew-out's frame adds a few
// stitches, a thumbnail is small.
constexpr std::int64_t kLeastPixelsInBands = 400'000;
constexpr std::int64_t kLeastStitchesInBands = 5'000;

std::int64_t stitchesOf(const DesignPicture& picture)
{
    std::int64_t stitches = 0;
    for (const ColorBlock& block : picture.blocks)
        stitches += block.stitches;
    return stitches;
}

int bandsFor(const QImage& image, const DesignPicture& picture, std::int64_t from, std::int64_t to)
{
    const std::int64_t stitches = std::min(to, stitchesOf(picture)) - from;
    if (std::int64_t(image.width()) * image.height() < kLeastPixelsInBands || stitches < kLeastStitchesInBands)
        return 1;
    return int(std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
}

void drawStitchesInto(RealisticThreads& threads, const DesignPicture& picture, std::int64_t from, std::int64_t to)
{
    std::int64_t stitch = 0;  // stitches passed
    for (const ColorBlock& block : picture.blocks) {
        if (stitch >= to)
            break;
        // Blocks wholly before `from` are passed over by their counts.
        if (stitch + block.stitches <= from) {
            stitch += block.stitches;
            continue;
        }
        threads.setThread(block.color);
        for (const QPolygonF& run : block.runs) {
            for (qsizetype i = 1; i < run.size() && stitch < to; ++i, ++stitch)
                if (stitch >= from)
                    threads.addStitch(run[i - 1], run[i]);
        }
    }
}

} // namespace

bool drawRealisticStitches(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                           double threadWidthMm, std::int64_t from, std::int64_t to)
{
    // A large picture is drawn in bands of rows, a thread each: every band lays the
    // stitches in sewing order, so the pixels are those one thread would lay.
    const int bands = bandsFor(image, picture, from, to);
    std::vector<RealisticThreads> banded;
    banded.reserve(std::size_t(bands));
    for (int band = 0; band < bands; ++band)
        banded.emplace_back(image, image.height() * band / bands, image.height() * (band + 1) / bands);
    if (!banded.front().canDraw())
        return false;
    for (RealisticThreads& threads : banded) {
        threads.setMapping(scale, offset.x(), offset.y());
        threads.setThreadWidth(threadWidthMm);
    }
    std::vector<std::jthread> others;
    for (std::size_t band = 1; band < banded.size(); ++band)
        others.emplace_back([&, band] { drawStitchesInto(banded[band], picture, from, to); });
    drawStitchesInto(banded.front(), picture, from, to);
    return true;
}

} // namespace orlika
