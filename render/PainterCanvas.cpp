// SPDX-License-Identifier: MIT
#include "render/PainterCanvas.h"

#include "render/PdfLines.h"
#include "render/ThreadRaster.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

namespace orlika {

namespace {

QString toQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QColor toQColor(Color color)
{
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

PainterCanvas::PainterCanvas(QPaintDevice& device, bool antialiased)
    : m_device(&device), m_antialiased(antialiased), m_font(QStringLiteral("Arial"), 8)
{
}

PainterCanvas::~PainterCanvas()
{
    end();
}

bool PainterCanvas::begin()
{
    if (m_painter.isActive())
        return true;
    if (!m_painter.begin(m_device))
        return false;
    m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setFont(m_font);
    applyPen();
    return true;
}

bool PainterCanvas::end()
{
    if (!m_painter.isActive())
        return true;
    flush();
    return m_painter.end();
}

void PainterCanvas::setDevice(QPaintDevice& device)
{
    end();
    m_underLabels.clear();
    m_pdfLines = nullptr;
    m_device = &device;
}

QPainter& PainterCanvas::painter()
{
    flush();
    noteDrawn(QRect(0, 0, m_device->width(), m_device->height()));
    return m_painter;
}

void PainterCanvas::applyPen()
{
    QPen pen(toQColor(m_penColor));
    pen.setWidth(m_penWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
}

QRect PainterCanvas::pointsBox() const
{
    int left = m_polyline[0].x(), right = left, top = m_polyline[0].y(), bottom = top;
    for (std::size_t i = 1; i < m_polylineSize; ++i) {
        left = std::min(left, m_polyline[i].x());
        right = std::max(right, m_polyline[i].x());
        top = std::min(top, m_polyline[i].y());
        bottom = std::max(bottom, m_polyline[i].y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect PainterCanvas::polylineBox() const
{
    // Half the pen on either side of the line, and a pixel more for antialiasing.
    const int reach = m_penWidth / 2 + 1;
    const QRect box = pointsBox().adjusted(-reach, -reach, reach, reach);
    return m_linesClipped ? box & m_lineArea : box;
}

void PainterCanvas::flush()
{
    putPolyline();
    putThreads();
}

void PainterCanvas::putPolyline()
{
    if (m_polylineSize > 1 && m_painter.isActive()) {
        if (m_realistic) {
            keepThread();
        } else {
            noteDrawn(polylineBox());
            // A pen of no width is cosmetic, which Qt's engine writes as an outline: such
            // lines still go through Qt.
            if (m_pdfLines && m_penWidth > 0) {
                // Qt leaves out what it draws under an empty clip, and only that.
                const bool mustShow = !m_linesClipped || !m_lineArea.isEmpty();
                const auto marker = m_pdfLines->add(m_polyline.data(), m_polylineSize, mustShow);
                m_painter.drawPolyline(marker.data(), int(marker.size()));
            } else {
                m_painter.drawPolyline(m_polyline.data(), int(m_polylineSize));
            }
        }
    }
    m_polylineSize = 0;
}

void PainterCanvas::setRealistic(bool on)
{
    flush();
    m_realistic = on;
}

void PainterCanvas::setDesignScale(double pixelsPerMillimetre)
{
    if (m_realistic)
        flush();
    m_pixelsPerMillimetre = pixelsPerMillimetre;
}

void PainterCanvas::keepThread()
{
    const QPoint* const points = m_polyline.data();
    m_threadRuns.push_back({m_threadPoints.size(), m_penColor});
    m_threadPoints.insert(m_threadPoints.end(), points, points + m_polylineSize);
    m_threadBox |= pointsBox();
}

double PainterCanvas::threadWidthInPixels() const
{
    if (m_pixelsPerMillimetre > 0)
        return kThreadWidthMm * m_pixelsPerMillimetre;
    // Without the design's scale: stitches are commonly about 3 mm long, so the thread is
    // as wide against the middle length of the stitches kept as 0.4 mm is against 3 mm.
    constexpr double kCommonStitchMm = 3.0;
    std::vector<double> lengths;
    lengths.reserve(m_threadPoints.size());
    for (std::size_t run = 0; run < m_threadRuns.size(); ++run) {
        const std::size_t end = run + 1 < m_threadRuns.size() ? m_threadRuns[run + 1].first : m_threadPoints.size();
        for (std::size_t i = m_threadRuns[run].first + 1; i < end; ++i) {
            const QPoint step = m_threadPoints[i] - m_threadPoints[i - 1];
            if (!step.isNull())
                lengths.push_back(std::hypot(double(step.x()), double(step.y())));
        }
    }
    if (lengths.empty())
        return 1;
    const auto middle = lengths.begin() + std::ptrdiff_t(lengths.size() / 2);
    std::nth_element(lengths.begin(), middle, lengths.end());
    return *middle * kThreadWidthMm / kCommonStitchMm;
}

void PainterCanvas::putThreads()
{
    if (m_threadRuns.empty())
        return;
    const double width = threadWidthInPixels();
    // Half the thread, its shadow beside it and a pixel of its soft edge on either side.
    const int reach = int(std::ceil(width)) + 2;
    QRect area = m_threadBox.adjusted(-reach, -reach, reach, reach) & QRect(0, 0, m_device->width(), m_device->height());
    if (m_linesClipped)
        area &= m_lineArea;
    if (!area.isEmpty() && m_painter.isActive()) {
        // The thread is laid on a clear picture of its own, which the device then takes
        // like any image: a page, a printer and a PDF file show the same. On a device
        // finer than about 300 dots per inch the picture is coarser by a whole factor:
        // a 600-dpi page of pictures at full resolution makes a PDF file of tens of
        // megabytes, for a difference the eye does not see on paper.
        const int coarser = std::max(1, int(std::lround(m_device->logicalDpiX() / 300.0)));
        const double factor = 1.0 / coarser;
        QImage layer((area.width() + coarser - 1) / coarser, (area.height() + coarser - 1) / coarser,
                     QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        ThreadRaster raster(PixelBuffer{reinterpret_cast<std::uint32_t*>(layer.bits()), layer.width(),
                                        layer.height(), int(layer.bytesPerLine() / 4)});
        raster.setWidth(width * factor);
        // A line through whole-pixel points covers the pixels those points name.
        const double dx = 0.5 - area.left(), dy = 0.5 - area.top();
        std::optional<Color> thread;
        for (std::size_t run = 0; run < m_threadRuns.size(); ++run) {
            const std::size_t end = run + 1 < m_threadRuns.size() ? m_threadRuns[run + 1].first : m_threadPoints.size();
            if (thread != m_threadRuns[run].color) {
                thread = m_threadRuns[run].color;
                raster.setThread(*thread);
            }
            for (std::size_t i = m_threadRuns[run].first + 1; i < end; ++i) {
                const QPoint& from = m_threadPoints[i - 1];
                const QPoint& to = m_threadPoints[i];
                raster.stitch((from.x() + dx) * factor, (from.y() + dy) * factor, (to.x() + dx) * factor,
                              (to.y() + dy) * factor);
            }
        }
        if (coarser == 1) {
            m_painter.drawImage(area.topLeft(), layer);
        } else {
            m_painter.save();
            m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
            m_painter.drawImage(QRect(area.topLeft(), layer.size() * coarser), layer);
            m_painter.restore();
        }
        noteDrawn(area);
    }
    m_threadPoints.clear();
    m_threadRuns.clear();
    m_threadBox = QRect();
}

void PainterCanvas::setPenColor(Color color)
{
    if (color == m_penColor)
        return;
    putPolyline();
    m_penColor = color;
    if (m_painter.isActive())
        applyPen();
}

void PainterCanvas::setPenWidth(int width)
{
    if (width == m_penWidth)
        return;
    putPolyline();
    m_penWidth = width;
    if (m_painter.isActive())
        applyPen();
}

void PainterCanvas::setBrush(BrushStyle style, Color color)
{
    m_brushStyle = style;
    m_brushColor = color;
}

void PainterCanvas::setFont(const Font& font)
{
    m_font = QFont(QString::fromStdString(font.name), font.pointSize, font.bold ? QFont::Bold : QFont::Normal);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void PainterCanvas::setFontColor(Color color)
{
    m_fontColor = color;
}

void PainterCanvas::moveTo(int x, int y)
{
    putPolyline();
    m_current = QPoint(x, y);
}

void PainterCanvas::lineTo(int x, int y)
{
    const PathPoint to{x, y, true};
    PainterCanvas::drawPath(std::span(&to, 1));
}

void PainterCanvas::drawPath(std::span<const PathPoint> points)
{
    // The count and the current point stay local while the points are taken.
    QPoint* const line = m_polyline.data();
    std::size_t size = m_polylineSize;
    QPoint current = m_current;
    for (const PathPoint& point : points) {
        if (!point.draws) {
            m_polylineSize = size;
            putPolyline();
            size = 0;
            current = QPoint(point.x, point.y);
            continue;
        }
        if (size == 0)
            line[size++] = current;
        current = QPoint(point.x, point.y);
        // A step that lands on the pixel it starts from draws nothing inside a polyline;
        // small pictures of dense designs are mostly such steps. A polyline keeps at least
        // one line.
        if (size >= 2 && current == line[size - 1])
            continue;
        line[size++] = current;
        // Long runs are handed over in pieces so the buffer stays small.
        if (size == kPolylinePoints) {
            m_polylineSize = size;
            putPolyline();
            line[0] = current;
            size = 1;
        }
    }
    m_polylineSize = size;
    m_current = current;
}

void PainterCanvas::rectangle(int left, int top, int right, int bottom)
{
    flush();
    // What lay under a label inside the rectangle is gone.
    const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
    std::erase_if(m_underLabels, [&](const UnderLabel& saved) { return area.intersects(saved.box); });
    if (!m_painter.isActive())
        return;
    m_painter.setBrush(m_brushStyle == BrushStyle::Solid ? QBrush(toQColor(m_brushColor)) : QBrush(Qt::NoBrush));
    m_painter.drawRect(left, top, right - left - 1, bottom - top - 1);
    noteDrawn(area.adjusted(-1, -1, 1, 1));
    m_painter.setBrush(Qt::NoBrush);
}

QRect PainterCanvas::textBox(int x, int y, const QString& text) const
{
    // Every pixel the glyphs may touch: the advance and the ink, which can overhang it.
    const QFontMetrics metrics(m_font, m_device);
    return QRect(x, y, metrics.horizontalAdvance(text), metrics.height()) |
           metrics.boundingRect(text).translated(x, y + metrics.ascent());
}

void PainterCanvas::drawText(int x, int y, const QString& text, const QRect* area)
{
    flush();
    const QFontMetrics metrics(m_font, m_device);
    const int advance = metrics.horizontalAdvance(text);
    if (m_painter.isActive()) {
        // The lines' clip is not the text's: text goes where it is put, or inside its own area.
        if (area)
            m_painter.setClipRect(*area);
        else if (m_linesClipped)
            m_painter.setClipping(false);
        m_painter.setPen(toQColor(m_fontColor));
        m_painter.drawText(QPoint(x, y + metrics.ascent()), text);
        applyPen();
        // The advance and a line's height on every side: glyphs may overhang their advance.
        const int margin = metrics.height();
        const QRect box = QRect(x, y, advance, metrics.height()).adjusted(-margin, -margin, margin, margin);
        noteDrawn(area ? box & *area : box);
        if (area && m_linesClipped)
            m_painter.setClipRect(m_lineArea);
        else if (area)
            m_painter.setClipping(false);
        else if (m_linesClipped)
            m_painter.setClipping(true);
    }
    m_current = QPoint(x + advance, y);
}

void PainterCanvas::textOut(int x, int y, const std::string& text)
{
    drawText(x, y, toQString(text), nullptr);
}

void PainterCanvas::clippedTextOut(int x, int y, const std::string& text, const PixelRect& area)
{
    const QRect box(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1));
    drawText(x, y, toQString(text), &box);
}

void PainterCanvas::labelOut(int x, int y, const std::string& text)
{
    auto* image = m_device->devType() == QInternal::Image ? static_cast<QImage*>(m_device) : nullptr;
    if (!image || !m_painter.isActive()) {
        textOut(x, y, text);
        return;
    }
    flush();
    const QPoint at(x, y);
    const auto under = std::find_if(m_underLabels.begin(), m_underLabels.end(),
                                    [&](const UnderLabel& saved) { return saved.at == at; });
    if (under == m_underLabels.end()) {
        // Antialiased text written over itself thickens and keeps a fringe of the old
        // colour: keep what lies under the label, to put it back before a rewrite.
        const QRect box = textBox(x, y, toQString(text)) & image->rect();
        m_underLabels.push_back({at, box, image->copy(box)});
    } else {
        const bool clipped = m_painter.hasClipping();
        m_painter.setClipping(false);
        m_painter.setCompositionMode(QPainter::CompositionMode_Source);
        m_painter.drawImage(under->box.topLeft(), under->pixels);
        noteDrawn(under->box);
        m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        m_painter.setClipping(clipped);
    }
    textOut(x, y, text);
}

void PainterCanvas::clipLines(const PixelRect& area)
{
    flush();
    m_linesClipped = true;
    m_lineArea = QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1));
    if (m_painter.isActive())
        m_painter.setClipRect(m_lineArea);
}

void PainterCanvas::unclipLines()
{
    flush();
    // The cell's design is done: the next gives its own scale.
    m_pixelsPerMillimetre = 0;
    m_linesClipped = false;
    if (m_painter.isActive())
        m_painter.setClipping(false);
}

int PainterCanvas::textWidth(const std::string& text)
{
    return QFontMetrics(m_font, m_device).horizontalAdvance(toQString(text));
}

int PainterCanvas::textHeight(const std::string&)
{
    return QFontMetrics(m_font, m_device).height();
}

} // namespace orlika
