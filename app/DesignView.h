// SPDX-License-Identifier: MIT
// One design alone and large, in its thread colours, opened by a double click on its cell:
// the mouse wheel zooms about the pointer, a drag moves it, and its colour sequence stands
// beside it. Esc closes it; the page it was opened from is not touched.
#pragma once

#include "sheet/DesignPicture.h"

#include <QDialog>
#include <QPointF>
#include <QWidget>

class QLabel;
class QTreeWidget;

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
    const DesignPicture& m_picture;
    double m_zoom = 1;
    QPointF m_centre;
    bool m_fitted = true;  // follows the canvas's size until the user zooms or moves it
    bool m_dragging = false;
    QPointF m_dragFrom;
};

class DesignView : public QDialog {
    Q_OBJECT
public:
    DesignView(DesignPicture picture, QWidget* parent);

    DesignCanvas* canvas() const { return m_canvas; }
    /// The colour sequence: a row per block, in stitching order.
    QTreeWidget* sequence() const { return m_sequence; }

private:
    void showZoom(double percent);

    DesignPicture m_picture;
    DesignCanvas* m_canvas = nullptr;
    QTreeWidget* m_sequence = nullptr;
    QLabel* m_zoomLabel = nullptr;
};

} // namespace orlika
