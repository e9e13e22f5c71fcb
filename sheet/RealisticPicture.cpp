// SPDX-License-Identifier: MIT
#include "sheet/RealisticPicture.h"

#include "render/RealisticLook.h"

#include <limits>

namespace orlika {

bool drawRealisticDesign(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                         double threadWidthMm)
{
    return drawRealisticStitches(image, picture, scale, offset, threadWidthMm, 0,
                                 std::numeric_limits<std::int64_t>::max());
}

bool drawRealisticStitches(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                           double threadWidthMm, std::int64_t from, std::int64_t to)
{
    RealisticThreads threads(image);
    if (!threads.canDraw())
        return false;
    threads.setMapping(scale, offset.x(), offset.y());
    threads.setThreadWidth(threadWidthMm);
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
    return true;
}

} // namespace orlika
