// SPDX-License-Identifier: MIT
// Polylines of one width stroked antialiased by Cairo straight into a QImage's pixels:
// for pictures of many thick lines it is several times quicker than QPainter, whose
// general stroker fills each line's outline as a path.
#pragma once

#include "platform/Color.h"

#include <QPointF>

class QImage;
typedef struct _cairo cairo_t;

namespace orlika {

class CairoLines {
public:
    enum class Cap { Round, Flat };

    /// Draws into `image`, which must be Format_ARGB32_Premultiplied or Format_RGB32 and
    /// outlive this; anything else draws nothing.
    explicit CairoLines(QImage& image);
    ~CairoLines();
    CairoLines(const CairoLines&) = delete;
    CairoLines& operator=(const CairoLines&) = delete;

    bool canDraw() const { return m_cairo != nullptr; }

    /// Points are mapped to pixels as x * scale + dx, y * scale + dy; widths are in the
    /// points' units.
    void setMapping(double scale, double dx, double dy);
    /// Joins are always round.
    void setPen(Color color, double width, Cap cap);
    /// Adds the polyline to what the next stroke() draws.
    void addPolyline(const QPointF* points, qsizetype count);
    /// Draws what was added with the pen, as one shape: where its lines cross, the colour
    /// is laid on once.
    void stroke();

private:
    cairo_t* m_cairo = nullptr;
};

} // namespace orlika
