// SPDX-License-Identifier: MIT
#include "render/CairoLines.h"

#include <QImage>

#include <cairo.h>

namespace orlika {

namespace {

// QImage's premultiplied ARGB and its RGB32 are Cairo's ARGB32 and RGB24 in memory.
cairo_format_t cairoFormat(QImage::Format format)
{
    switch (format) {
    case QImage::Format_ARGB32_Premultiplied:
        return CAIRO_FORMAT_ARGB32;
    case QImage::Format_RGB32:
        return CAIRO_FORMAT_RGB24;
    default:
        return CAIRO_FORMAT_INVALID;
    }
}

} // namespace

CairoLines::CairoLines(QImage& image)
{
    const cairo_format_t format = cairoFormat(image.format());
    if (format == CAIRO_FORMAT_INVALID || image.isNull() ||
        image.bytesPerLine() != cairo_format_stride_for_width(format, image.width()))
        return;
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(image.bits(), format, image.width(), image.height(), int(image.bytesPerLine()));
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_t* cairo = cairo_create(surface);
        if (cairo_status(cairo) == CAIRO_STATUS_SUCCESS)
            m_cairo = cairo;
        else
            cairo_destroy(cairo);
    }
    // The context holds the surface for as long as it needs it.
    cairo_surface_destroy(surface);
    if (m_cairo)
        cairo_set_line_join(m_cairo, CAIRO_LINE_JOIN_ROUND);
}

CairoLines::~CairoLines()
{
    if (!m_cairo)
        return;
    cairo_surface_flush(cairo_get_target(m_cairo));
    cairo_destroy(m_cairo);
}

void CairoLines::setMapping(double scale, double dx, double dy)
{
    if (!m_cairo)
        return;
    cairo_identity_matrix(m_cairo);
    cairo_translate(m_cairo, dx, dy);
    cairo_scale(m_cairo, scale, scale);
}

void CairoLines::setPen(Color color, double width, Cap cap)
{
    if (!m_cairo)
        return;
    cairo_set_source_rgb(m_cairo, redOf(color) / 255.0, greenOf(color) / 255.0, blueOf(color) / 255.0);
    cairo_set_line_width(m_cairo, width);
    cairo_set_line_cap(m_cairo, cap == Cap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
}

void CairoLines::addPolyline(const QPointF* points, qsizetype count)
{
    if (!m_cairo || count < 2)
        return;
    cairo_move_to(m_cairo, points[0].x(), points[0].y());
    for (qsizetype i = 1; i < count; ++i)
        cairo_line_to(m_cairo, points[i].x(), points[i].y());
}

void CairoLines::stroke()
{
    if (m_cairo)
        cairo_stroke(m_cairo);
}

} // namespace orlika
