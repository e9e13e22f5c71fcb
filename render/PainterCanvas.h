// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Canvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <utility>
#include <vector>

class QPaintDevice;

namespace orlika {

class PdfPageLines;

/// A colour of the catalog as a Qt colour (the palette-relative top byte is dropped).
QColor toQColor(Color color);

// The catalog's canvas on a QPainter. It keeps the current point, pen, brush and font
// itself, so it can measure text before a printer document begins, and it batches runs
// of LineTo into one polyline per pen colour instead of one painter call per stitch.
class PainterCanvas : public Canvas {
public:
    /// Measures text against the device; draws only between begin() and end().
    explicit PainterCanvas(QPaintDevice& device, bool antialiased = false);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    /// Starts painting on the device (for a printer: when its document begins).
    bool begin();
    /// Puts pending lines on the device and stops painting; false when the device could
    /// not finish what was painted.
    bool end();
    /// Measures and draws on another device from now on (a printer's pages going to a file
    /// laid out as they were); painting on the old one stops.
    void setDevice(QPaintDevice& device);
    bool active() const { return m_painter.isActive(); }
    /// The painter itself, for drawing that is not the catalog's (a design sheet); the
    /// lines the canvas holds back are drawn first, so what follows lies above them. The
    /// whole device counts as drawn on.
    QPainter& painter();
    /// Forgets the pixels kept under labels: the device's picture was replaced.
    void forgetLabels() { m_underLabels.clear(); }
    /// A label written on an image, with the pixels that lay under it.
    struct UnderLabel {
        QPoint at;
        QRect box;
        QImage pixels;
    };
    /// The labels written on the picture, with what lies under them.
    const std::vector<UnderLabel>& labels() const { return m_underLabels; }
    /// Takes labels written on another picture, which replaced this canvas's.
    void setLabels(std::vector<UnderLabel> labels) { m_underLabels = std::move(labels); }
    /// On a PDF file of ours: writes the lines there and has Qt draw a marker in their
    /// place (see PdfLines.h); null draws them through Qt. A new device forgets it.
    void setPdfLines(PdfPageLines* lines) { m_pdfLines = lines; }
    /// A rectangle holding every pixel drawn on the device since the last call (lines held
    /// back count once they are put down), which it then forgets: what a window showing
    /// the device must paint again.
    QRect takeDrawn() { return std::exchange(m_drawn, QRect()); }
    /// From now on the lines of designs are drawn as thread (render/ThreadRaster.h): each
    /// line a stitch of the thread's width in the pen's colour, shaded across its width;
    /// lines a cell draws are laid together and put on the device before its text.
    void setRealistic(bool on);
    bool realistic() const { return m_realistic; }
    /// The design's scale, which the thread's width follows; until a design gives one
    /// (and after the cell's lines are unclipped) the width is worked out from the stitches.
    void setDesignScale(double pixelsPerMillimetre) override;

    void setPenColor(Color color) override;
    Color penColor() const override { return m_penColor; }
    void setPenWidth(int width) override;
    void setBrush(BrushStyle style, Color color) override;
    void setFont(const Font& font) override;
    void setFontColor(Color color) override;
    Color fontColor() const override { return m_fontColor; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void drawPath(std::span<const PathPoint> points) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, const std::string& text) override;
    /// On an image, keeps the pixels under a label and puts them back before a label is
    /// written at the same place again; elsewhere plain text.
    void labelOut(int x, int y, const std::string& text) override;
    void clippedTextOut(int x, int y, const std::string& text, const PixelRect& area) override;
    int textWidth(const std::string& text) override;
    int textHeight(const std::string& text) override;
    void flush() override;
    void clipLines(const PixelRect& area) override;
    void unclipLines() override;

private:
    void applyPen();
    /// Hands the polyline gathered to Qt, or keeps it as thread to lay.
    void putPolyline();
    void keepThread();
    /// Lays the thread kept as one picture on the device and forgets it.
    void putThreads();
    double threadWidthInPixels() const;
    /// Writes text at (x, y) in the font colour, confined to `area` where one is given.
    void drawText(int x, int y, const QString& text, const QRect* area);
    QRect textBox(int x, int y, const QString& text) const;
    /// Adds a rectangle drawn on to the one takeDrawn() hands out.
    void noteDrawn(const QRect& area) { m_drawn |= area; }
    /// The smallest rectangle holding the pending polyline's points.
    QRect pointsBox() const;
    QRect polylineBox() const;

    QPaintDevice* m_device;
    QPainter m_painter;
    bool m_antialiased;
    QPoint m_current;
    // The polyline being gathered, handed to Qt when the pen changes or moves, or when full.
    static constexpr std::size_t kPolylinePoints = 4096;
    std::vector<QPoint> m_polyline = std::vector<QPoint>(kPolylinePoints);
    std::size_t m_polylineSize = 0;
    Color m_penColor = Black;
    int m_penWidth = 1;
    BrushStyle m_brushStyle = BrushStyle::Clear;
    Color m_brushColor = White;
    QFont m_font;
    Color m_fontColor = Black;
    bool m_linesClipped = false;
    QRect m_lineArea;
    PdfPageLines* m_pdfLines = nullptr;
    std::vector<UnderLabel> m_underLabels;
    QRect m_drawn;
    // The thread kept to lay: runs of points, each with its pen colour.
    struct ThreadRun {
        std::size_t first = 0;
        Color color = Black;
    };
    bool m_realistic = false;
    std::vector<QPoint> m_threadPoints;
    std::vector<ThreadRun> m_threadRuns;
    QRect m_threadBox;
    double m_pixelsPerMillimetre = 0;
};

} // namespace orlika
