// SPDX-License-Identifier: MIT
#include "sheet/RealisticPicture.h"

#include "render/RealisticLook.h"

namespace orlika {

bool drawRealisticDesign(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                         double threadWidthMm)
{
    RealisticThreads threads(image);
    if (!threads.canDraw())
        return false;
    threads.setMapping(scale, offset.x(), offset.y());
    threads.setThreadWidth(threadWidthMm);
    for (const ColorBlock& block : picture.blocks) {
        threads.setThread(block.color);
        for (const QPolygonF& run : block.runs)
            for (qsizetype i = 1; i < run.size(); ++i)
                threads.addStitch(run[i - 1], run[i]);
    }
    return true;
}

} // namespace orlika
