// SPDX-License-Identifier: MIT
#include "render/RealisticLook.h"

#include <QImage>

namespace orlika {

RealisticThreads::RealisticThreads(QImage& image) : RealisticThreads(image, 0, image.height()) {}

RealisticThreads::RealisticThreads(QImage& image, int firstRow, int endRow)
{
    const QImage::Format format = image.format();
    if (image.isNull() || (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32))
        return;
    // Both are a 0xAARRGGBB word a pixel; RGB32's alpha stays 0xFF under opaque thread
    // and its shadow.
    m_raster.emplace(PixelBuffer{reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
                                 int(image.bytesPerLine() / 4), firstRow, endRow});
    setThreadWidth(m_width);
}

void RealisticThreads::setMapping(double scale, double dx, double dy)
{
    m_scale = scale;
    m_dx = dx;
    m_dy = dy;
    setThreadWidth(m_width);
}

void RealisticThreads::setThreadWidth(double width)
{
    m_width = width;
    if (m_raster)
        m_raster->setWidth(width * m_scale);
}

void RealisticThreads::setThread(Color color)
{
    if (m_raster)
        m_raster->setThread(color);
}

void RealisticThreads::addStitch(QPointF from, QPointF to)
{
    if (m_raster)
        m_raster->stitch(from.x() * m_scale + m_dx, from.y() * m_scale + m_dy, to.x() * m_scale + m_dx,
                         to.y() * m_scale + m_dy);
}

} // namespace orlika
