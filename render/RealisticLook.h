// SPDX-License-Identifier: MIT
// Stitches drawn as thread straight into a QImage's pixels (render/ThreadRaster.h): each
// stitch a thread of its real width from needle point to needle point, shaded across its
// width, in sewing order. Jumps are not drawn: only the stitches handed in are.
#pragma once

#include "platform/Color.h"
#include "render/ThreadRaster.h"

#include <QPointF>

#include <optional>

class QImage;

namespace orlika {

class RealisticThreads {
public:
    /// Draws into `image`, which must be Format_ARGB32_Premultiplied or Format_RGB32 and
    /// outlive this; anything else draws nothing.
    explicit RealisticThreads(QImage& image);
    /// Draws only the image's rows from `firstRow` to before `endRow`: threads drawing
    /// bands of one picture side by side, each its own. The image's pixels are taken here,
    /// so build every band's on one thread before drawing on several.
    RealisticThreads(QImage& image, int firstRow, int endRow);

    bool canDraw() const { return m_raster.has_value(); }

    /// Points are mapped to pixels as x * scale + dx, y * scale + dy.
    void setMapping(double scale, double dx, double dy);
    /// The thread's width in the points' units; it is drawn at least a pixel wide.
    void setThreadWidth(double width);
    /// The colour of the stitches added from now on.
    void setThread(Color color);
    void addStitch(QPointF from, QPointF to);

private:
    std::optional<ThreadRaster> m_raster;
    double m_scale = 1, m_dx = 0, m_dy = 0;
    double m_width = kThreadWidthMm;
};

} // namespace orlika
