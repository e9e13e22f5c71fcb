// SPDX-License-Identifier: MIT
#include "render/PainterCanvas.h"

#include "render/PdfLines.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QString>

#include <algorithm>

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

QRect PainterCanvas::polylineBox() const
{
    int left = m_polyline[0].x(), right = left, top = m_polyline[0].y(), bottom = top;
    for (std::size_t i = 1; i < m_polylineSize; ++i) {
        left = std::min(left, m_polyline[i].x());
        right = std::max(right, m_polyline[i].x());
        top = std::min(top, m_polyline[i].y());
        bottom = std::max(bottom, m_polyline[i].y());
    }
    // Half the pen on either side of the line, and a pixel more for antialiasing.
    const int reach = m_penWidth / 2 + 1;
    const QRect box = QRect(QPoint(left, top), QPoint(right, bottom)).adjusted(-reach, -reach, reach, reach);
    return m_linesClipped ? box & m_lineArea : box;
}

void PainterCanvas::flush()
{
    if (m_polylineSize > 1 && m_painter.isActive()) {
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
    m_polylineSize = 0;
}

void PainterCanvas::setPenColor(Color color)
{
    if (color == m_penColor)
        return;
    flush();
    m_penColor = color;
    if (m_painter.isActive())
        applyPen();
}

void PainterCanvas::setPenWidth(int width)
{
    if (width == m_penWidth)
        return;
    flush();
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
    flush();
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
            flush();
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
            flush();
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
