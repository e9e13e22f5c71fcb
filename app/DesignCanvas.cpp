// SPDX-License-Identifier: MIT
#include "app/DesignCanvas.h"

#include "render/PainterCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace orlika {

namespace {

constexpr double kFitMargin = 0.92;  // of the canvas the fitted design fills
constexpr double kWheelStep = 1.25;  // zoom for one notch of the wheel
constexpr double kLeastZoom = 0.05;  // pixels a millimetre
constexpr double kMostZoom = 400;

} // namespace

DesignCanvas::DesignCanvas(const DesignPicture& picture, QWidget* parent) : QWidget(parent), m_picture(picture)
{
    setObjectName(QStringLiteral("DesignCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
    setMinimumSize(200, 200);
    m_centre = picture.centre();
}

double DesignCanvas::actualSize() const
{
    return logicalDpiX() / 25.4;
}

void DesignCanvas::fit()
{
    const double width = std::max(m_picture.widthMm(), 1.0);
    const double height = std::max(m_picture.heightMm(), 1.0);
    m_zoom = std::clamp(std::min(this->width() / width, this->height() / height) * kFitMargin, kLeastZoom, kMostZoom);
    m_centre = m_picture.centre();
    m_fitted = true;
    emit zoomChanged(m_zoom / actualSize() * 100);
    update();
}

void DesignCanvas::zoomAbout(double factor, QPointF at)
{
    const double zoom = std::clamp(m_zoom * factor, kLeastZoom, kMostZoom);
    const QPointF middle(width() / 2.0, height() / 2.0);
    // The design's point under the pointer stays under it.
    const QPointF under = m_centre + (at - middle) / m_zoom;
    m_centre = under - (at - middle) / zoom;
    m_zoom = zoom;
    m_fitted = false;
    emit zoomChanged(m_zoom / actualSize() * 100);
    update();
}

void DesignCanvas::setLook(bool realistic, Color fabric, double threadWidthMm)
{
    m_realistic = realistic;
    m_fabric = fabric;
    m_threadWidthMm = threadWidthMm;
    setSewn(m_sewn);
}

void DesignCanvas::setSewn(std::optional<std::int64_t> stitches)
{
    m_sewn = stitches;
    update();
}

void DesignCanvas::pictureChanged()
{
    m_cache = PictureCache();
    setSewn(std::nullopt);
}

void DesignCanvas::paintPicture(QPainter& painter)
{
    // Drawn at the screen's own pixels.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    const std::int64_t stitches = m_sewn ? *m_sewn : std::numeric_limits<std::int64_t>::max();
    const Color ground = m_realistic ? m_fabric : White;
    const bool same = m_cache.image.size() == pixels && m_cache.image.devicePixelRatio() == ratio &&
                      m_cache.zoom == m_zoom && m_cache.centre == m_centre && m_cache.realistic == m_realistic &&
                      m_cache.ground == ground && m_cache.threadWidthMm == m_threadWidthMm;
    std::int64_t from = 0;
    if (same && m_cache.stitches >= 0 && m_cache.stitches <= stitches) {
        from = m_cache.stitches;
    } else {
        m_cache.image = QImage(pixels, QImage::Format_RGB32);
        m_cache.image.setDevicePixelRatio(ratio);
        m_cache.image.fill(toQColor(ground));
        m_cache.zoom = m_zoom;
        m_cache.centre = m_centre;
        m_cache.realistic = m_realistic;
        m_cache.ground = ground;
        m_cache.threadWidthMm = m_threadWidthMm;
    }
    if (from < stitches) {
        const double scale = m_zoom * ratio;
        const QPointF offset(pixels.width() / 2.0 - m_centre.x() * scale, pixels.height() / 2.0 - m_centre.y() * scale);
        if (m_realistic)
            drawRealisticStitches(m_cache.image, m_picture, scale, offset, m_threadWidthMm, from, stitches);
        else
            drawLineStitches(m_cache.image, m_picture, scale, offset, from, stitches);
    }
    m_cache.stitches = stitches;
    painter.drawImage(QPointF(0, 0), m_cache.image);
}

void DesignCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPicture(painter);
    if (!m_sewn)
        return;
    // The needle: a ring on the last stitch sewn, seen on any fabric and thread.
    if (const std::optional<QPointF> needle = needleAfter(m_picture, *m_sewn)) {
        const QPointF at = (*needle - m_centre) * m_zoom + QPointF(width() / 2.0, height() / 2.0);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 4));
        painter.drawEllipse(at, 7, 7);
        painter.setPen(QPen(QColor(220, 0, 60), 2));
        painter.drawEllipse(at, 7, 7);
        painter.drawLine(at - QPointF(11, 0), at - QPointF(4, 0));
        painter.drawLine(at + QPointF(4, 0), at + QPointF(11, 0));
        painter.drawLine(at - QPointF(0, 11), at - QPointF(0, 4));
        painter.drawLine(at + QPointF(0, 4), at + QPointF(0, 11));
    }
}

void DesignCanvas::resizeEvent(QResizeEvent*)
{
    if (m_fitted)
        fit();
}

void DesignCanvas::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        zoomAbout(std::pow(kWheelStep, notches), event->position());
    event->accept();
}

void DesignCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_centre -= (event->position() - m_dragFrom) / m_zoom;
    m_dragFrom = event->position();
    m_fitted = false;
    update();
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent*)
{
    fit();
}

void DesignCanvas::keyPressEvent(QKeyEvent* event)
{
    const QPointF middle(width() / 2.0, height() / 2.0);
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(kWheelStep, middle);
        break;
    case Qt::Key_Minus:
        zoomAbout(1 / kWheelStep, middle);
        break;
    case Qt::Key_0:
        fit();
        break;
    case Qt::Key_1:
        zoomAbout(actualSize() / m_zoom, middle);
        break;
    default:
        // Esc and the rest go to the view.
        QWidget::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------------------------------

} // namespace orlika
