// SPDX-License-Identifier: MIT
// The design view's picture: the design alone, zoomed about the pointer by the wheel and
// moved by a drag, as lines on white or as stitched thread on a fabric, sewn out in part.
#pragma once

#include "sheet/DesignPicture.h"
#include "sheet/RealisticPicture.h"
#include "sheet/SewOut.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace orlika {

// The design on white, zoomed and moved by the mouse.
class DesignCanvas : public QWidget {
    Q_OBJECT
public:
    DesignCanvas(const DesignPicture& picture, QWidget* parent);

    /// Pixels a millimetre of the design takes.
    double zoom() const { return m_zoom; }
    /// The design's point (in its millimetres) at the canvas's centre.
    QPointF centre() const { return m_centre; }
    /// Zooms by `factor` keeping the design's point under `at` (canvas pixels) in place.
    void zoomAbout(double factor, QPointF at);
    /// The whole design fitted to the canvas with a margin, as it opens.
    void fit();
    /// Pixels a millimetre takes at the design's actual size on this screen.
    double actualSize() const;

    /// Stitches drawn as thread of `threadWidthMm` on `fabric`, or as lines on white.
    void setLook(bool realistic, Color fabric, double threadWidthMm);
    bool realistic() const { return m_realistic; }
    /// Only the first `stitches` stitches, the needle marked where they end; none: all of
    /// the design, no needle.
    void setSewn(std::optional<std::int64_t> stitches);
    /// The design changed in place: what was sewn of it is forgotten.
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

signals:
    void zoomChanged(double percentOfActualSize);

private:
    void paintPicture(QPainter& painter);

    const DesignPicture& m_picture;
    bool m_realistic = false;
    Color m_fabric = White;
    double m_threadWidthMm = kThreadWidthMm;
    std::optional<std::int64_t> m_sewn;
    // The picture last drawn, and what it shows: a sew-out going on adds the stitches sewn
    // since to it, and a repaint of the same view only puts it on the screen.
    struct PictureCache {
        QImage image;
        double zoom = 0;
        QPointF centre;
        bool realistic = false;
        Color ground = White;
        double threadWidthMm = 0;
        std::int64_t stitches = -1;
    } m_cache;
    double m_zoom = 1;
    QPointF m_centre;
    bool m_fitted = true;  // follows the canvas's size until the user zooms or moves it
    bool m_dragging = false;
    QPointF m_dragFrom;
};

} // namespace orlika
