// SPDX-License-Identifier: MIT
#include "sheet/DesignSheet.h"

#include "platform/Host.h"
#include "render/PainterCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace orlika {

namespace {

// The page's bands, in millimetres.
constexpr double kHeaderHeight = 27;  // name, folder, figures, how to check the scale
constexpr double kFooterHeight = 9;   // scale bars and the page number
constexpr double kGap = 3;
constexpr double kTileLabelHeight = 11;  // above a tile: which one it is
constexpr double kContinuedHeight = 11;  // above a continued colour sequence
// The colour sequence.
constexpr double kSequenceTitleHeight = 7;
constexpr double kSequenceHeadingHeight = 5;
constexpr double kRowHeight = 6;
constexpr double kSequenceNoteHeight = 6;
/// The overview of a tiled design is at least this high when the sequence shares its page.
constexpr double kLeastOverviewHeight = 60;
/// More tiles than this are not printed: no hoop is that large, the file must be wrong.
constexpr int kMostTiles = 400;

QString qText(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QFont sheetFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

bool namesNoThread(const ColorBlock& block)
{
    return block.threadName.empty() && block.threadCode.empty();
}

double sequenceHeight(const DesignPicture& picture, std::size_t rows)
{
    const bool note = std::any_of(picture.blocks.begin(), picture.blocks.end(), namesNoThread);
    return kSequenceTitleHeight + kSequenceHeadingHeight + double(rows) * kRowHeight + (note ? kSequenceNoteHeight : 0);
}

} // namespace

// A page's painter with positions in millimetres on the paper: lines are drawn through a
// transform from millimetres to the device's pixels, text at the device's own resolution
// (a font's size in points then means what it says).
class DesignSheet::Painting {
public:
    Painting(QPainter& painter, double dpi, QPointF originMm)
        : m_painter(painter), m_scale(dpi / 25.4), m_origin(originMm)
    {
    }

    QPainter& painter() { return m_painter; }
    /// The painter's transform for drawing in millimetres on the paper.
    QTransform millimetres() const
    {
        QTransform transform;
        transform.scale(m_scale, m_scale);
        transform.translate(-m_origin.x(), -m_origin.y());
        return transform;
    }
    QPointF device(QPointF mm) const { return (mm - m_origin) * m_scale; }
    double dotsPerMm() const { return m_scale; }

    void line(QPointF from, QPointF to, double widthMm, const QColor& color, Qt::PenStyle style = Qt::SolidLine)
    {
        m_painter.setTransform(millimetres());
        QPen pen(color, widthMm, style, Qt::FlatCap);
        m_painter.setPen(pen);
        m_painter.drawLine(from, to);
    }
    void fill(const QRectF& rectMm, const QColor& color)
    {
        m_painter.setTransform(millimetres());
        m_painter.fillRect(rectMm, color);
    }
    void frame(const QRectF& rectMm, double widthMm, const QColor& color, Qt::PenStyle style = Qt::SolidLine)
    {
        m_painter.setTransform(millimetres());
        m_painter.setPen(QPen(color, widthMm, style, Qt::SquareCap, Qt::MiterJoin));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(rectMm);
    }
    void circle(QPointF centre, double radiusMm, double widthMm, const QColor& color)
    {
        m_painter.setTransform(millimetres());
        m_painter.setPen(QPen(color, widthMm));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawEllipse(centre, radiusMm, radiusMm);
    }

    /// Text from its baseline's left end, cut in the middle to fit `widthMm` when given;
    /// returns its width.
    double text(QPointF baselineMm, const QString& text, const QFont& font, const QColor& color = Qt::black,
                double widthMm = 0)
    {
        m_painter.resetTransform();
        m_painter.setFont(font);
        m_painter.setPen(color);
        const QFontMetricsF metrics(font, m_painter.device());
        const QString shown = widthMm > 0 ? metrics.elidedText(text, Qt::ElideMiddle, widthMm * m_scale) : text;
        m_painter.drawText(device(baselineMm), shown);
        return metrics.horizontalAdvance(shown) / m_scale;
    }
    double textRight(QPointF baselineRightMm, const QString& text, const QFont& font, const QColor& color = Qt::black)
    {
        const double width = textWidth(text, font);
        return this->text(baselineRightMm - QPointF(width, 0), text, font, color);
    }
    double textWidth(const QString& text, const QFont& font) const
    {
        return QFontMetricsF(font, m_painter.device()).horizontalAdvance(text) / m_scale;
    }

private:
    QPainter& m_painter;
    double m_scale;
    QPointF m_origin;
};

// ---------------------------------------------------------------------------------------
// Planning the pages

DesignSheet::DesignSheet(const DesignPicture& picture, const QPageLayout& layout) : m_picture(picture), m_layout(layout)
{
    m_paper = QRectF(QPointF(0, 0), layout.fullRect(QPageLayout::Millimeter).size());
    const QRectF printable = layout.paintRect(QPageLayout::Millimeter);
    m_area = printable.intersected(m_paper.adjusted(kLeastMarginMm, kLeastMarginMm, -kLeastMarginMm, -kLeastMarginMm));
    const QRectF region(QPointF(m_area.left(), m_area.top() + kHeaderHeight),
                        QPointF(m_area.right(), m_area.bottom() - kFooterHeight - kGap));
    const QRectF need = neededBox();
    m_fits = need.width() <= region.width() && need.height() <= region.height();
    if (m_fits)
        planUntiled(region);
    else
        planTiled(region);
}

QRectF DesignSheet::neededBox() const
{
    // The stitches' width stays well inside the cross's reach.
    const double reach = kCrossOverhangMm;
    return m_picture.extent.adjusted(-reach, -reach, reach, reach);
}

void DesignSheet::planUntiled(const QRectF& region)
{
    Page page;
    page.kind = PageKind::Design;
    page.picture = region;
    const double sequence = sequenceHeight(m_picture, m_picture.blocks.size());
    const bool sequenceBelow = region.height() - neededBox().height() - kGap >= sequence;
    if (sequenceBelow) {
        page.picture.setBottom(region.bottom() - sequence - kGap);
        page.sequence = QRectF(region.left(), page.picture.bottom() + kGap, region.width(), sequence);
        page.rowCount = m_picture.blocks.size();
    }
    m_designCentre = QPointF(m_area.center().x(), page.picture.center().y());
    m_pages.push_back(page);
    if (!sequenceBelow)
        addSequencePages();
}

void DesignSheet::planTiled(const QRectF& region)
{
    const QRectF content(QPointF(m_area.left(), m_area.top() + kTileLabelHeight),
                         QPointF(m_area.right(), m_area.bottom() - kFooterHeight - kGap));
    // A paper too small for the overlap still tiles, sharing a quarter of each tile.
    const double overlapX = std::min(kOverlapMm, content.width() / 4);
    const double overlapY = std::min(kOverlapMm, content.height() / 4);
    m_overlap = QSizeF(overlapX, overlapY);
    const QRectF need = neededBox();
    const auto count = [](double needed, double size, double overlap) {
        return std::max(1, int(std::ceil((needed - overlap) / (size - overlap) - 1e-9)));
    };
    const int columns = count(need.width(), content.width(), overlapX);
    const int rows = count(need.height(), content.height(), overlapY);
    const double gridWidth = columns * (content.width() - overlapX) + overlapX;
    const double gridHeight = rows * (content.height() - overlapY) + overlapY;
    m_grid = QRectF(need.center().x() - gridWidth / 2, need.center().y() - gridHeight / 2, gridWidth, gridHeight);

    Page overview;
    overview.kind = PageKind::Overview;
    overview.picture = region;
    const double sequence = sequenceHeight(m_picture, m_picture.blocks.size());
    const bool sequenceBelow = region.height() - kLeastOverviewHeight - kGap >= sequence;
    if (sequenceBelow) {
        overview.picture.setBottom(region.bottom() - sequence - kGap);
        overview.sequence = QRectF(region.left(), overview.picture.bottom() + kGap, region.width(), sequence);
        overview.rowCount = m_picture.blocks.size();
    }
    m_pages.push_back(overview);
    if (!sequenceBelow)
        addSequencePages();
    if (rows * columns > kMostTiles)
        return;
    m_tileRows = rows;
    m_tileColumns = columns;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            Tile tile;
            tile.page = int(m_pages.size());
            tile.row = row + 1;
            tile.column = column + 1;
            tile.window = QRectF(m_grid.left() + column * (content.width() - overlapX),
                                 m_grid.top() + row * (content.height() - overlapY), content.width(), content.height());
            tile.content = content;
            Page page;
            page.kind = PageKind::Tile;
            page.tile = int(m_tiles.size());
            m_tiles.push_back(tile);
            m_pages.push_back(page);
        }
    }
}

void DesignSheet::addSequencePages()
{
    const double top = m_area.top() + kContinuedHeight;
    const double bottom = m_area.bottom() - kFooterHeight - kGap;
    const double room = bottom - top - sequenceHeight(m_picture, 0);
    const std::size_t perPage = std::max<std::size_t>(1, std::size_t(room / kRowHeight));
    for (std::size_t row = 0; row < m_picture.blocks.size(); row += perPage) {
        Page page;
        page.kind = PageKind::Sequence;
        page.firstRow = row;
        page.rowCount = std::min(perPage, m_picture.blocks.size() - row);
        page.sequence = QRectF(m_area.left(), top, m_area.width(), sequenceHeight(m_picture, page.rowCount));
        m_pages.push_back(page);
    }
}

// ---------------------------------------------------------------------------------------
// Painting

void DesignSheet::paintPage(QPainter& painter, int page) const
{
    const int dpi = painter.device()->logicalDpiX();
    // The device's origin is the paint rectangle's corner in whole device pixels.
    const QPointF origin = QPointF(m_layout.paintRectPixels(dpi).topLeft()) * 25.4 / dpi;
    paintPage(painter, page, dpi, origin);
}

void DesignSheet::paintPage(QPainter& painter, int pageIndex, double dpi, QPointF originMm) const
{
    if (pageIndex < 0 || pageIndex >= pageCount())
        return;
    const Page& page = m_pages[std::size_t(pageIndex)];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    Painting paint(painter, dpi, originMm);
    switch (page.kind) {
    case PageKind::Design:
        paintHeader(paint);
        paintDesignAt(paint, m_designCentre);
        break;
    case PageKind::Overview:
        paintHeader(paint);
        paintOverview(paint, page);
        break;
    case PageKind::Sequence:
        paint.text(QPointF(m_area.left(), m_area.top() + 5), qText(m_picture.name), sheetFont(12, true), Qt::black,
                   m_area.width());
        paint.text(QPointF(m_area.left(), m_area.top() + 9.5), QStringLiteral("Colour sequence, continued"),
                   sheetFont(8), Qt::darkGray);
        break;
    case PageKind::Tile:
        paintTile(paint, m_tiles[std::size_t(page.tile)]);
        break;
    }
    if (page.rowCount > 0)
        paintSequence(paint, page);
    else if (page.kind != PageKind::Tile)
        paintSequencePointer(paint);
    paintFooter(paint, pageIndex);
    painter.restore();
}

void DesignSheet::paintHeader(Painting& paint) const
{
    const double left = m_area.left();
    const double top = m_area.top();
    const double width = m_area.width();
    paint.text(QPointF(left, top + 6), qText(m_picture.name), sheetFont(15, true), Qt::black, width);
    const QFont body = sheetFont(9);
    paint.text(QPointF(left, top + 11.5), QStringLiteral("Folder: ") + qText(m_picture.folder), body, Qt::black,
               width * 0.5);
    paint.textRight(QPointF(m_area.right(), top + 11.5), QStringLiteral("Sewing: ") + qText(sewingText(m_picture.sewing)),
                    body);
    const QString figures = QStringLiteral("Format: %1     Size: %2 (%3)     Stitches: %4     Colour changes: %5")
                                .arg(qText(m_picture.format), qText(sizeInMillimetres(m_picture)),
                                     qText(sizeInInches(m_picture)), qText(groupedCount(m_picture.stitches())))
                                .arg(m_picture.colorChanges());
    paint.text(QPointF(left, top + 16.5), figures, body, Qt::black, width);
    const QString check =
        m_fits ? QStringLiteral("Actual size, centred on the cross. Print at 100 % (no fitting to the page): "
                                "the bars at the foot measure 10 mm and 1 inch.")
        : m_tiles.empty() ? QStringLiteral("Larger than the paper, and too large to print in tiles on it: shown "
                                           "reduced.")
                          : QStringLiteral("Larger than the paper: printed at actual size in %1 tiles on the pages "
                                           "after this one, which shows the whole reduced.")
                                .arg(m_tiles.size());
    paint.text(QPointF(left, top + 21.5), check, sheetFont(8), Qt::darkGray, width);
    paint.line(QPointF(left, top + 24), QPointF(m_area.right(), top + 24), 0.2, Qt::gray);
}

void DesignSheet::paintFooter(Painting& paint, int page) const
{
    const double baseline = m_area.bottom() - 2.5;
    const double barTop = baseline - 2.2;
    const QFont font = sheetFont(8);
    double x = m_area.left();
    // Filled bars without an outline: their ends are exactly 10 mm and 25.4 mm apart.
    paint.fill(QRectF(x, barTop, 10, 1.6), Qt::black);
    x += 10 + 1.5;
    x += paint.text(QPointF(x, baseline), QStringLiteral("10 mm"), font) + 6;
    paint.fill(QRectF(x, barTop, 25.4, 1.6), Qt::black);
    x += 25.4 + 1.5;
    paint.text(QPointF(x, baseline), QStringLiteral("1 inch"), font);
    paint.textRight(QPointF(m_area.right(), baseline),
                    qText(m_picture.name) + QStringLiteral(" \u2014 page %1 of %2").arg(page + 1).arg(pageCount()),
                    font, Qt::darkGray);
}

void DesignSheet::paintDesignAt(Painting& paint, QPointF centre) const
{
    QPainter& painter = paint.painter();
    const QRectF need = neededBox();
    const QPointF shift = centre - m_picture.centre();
    const QPointF at = m_picture.centre() + shift;
    // The cross first: the stitches lie over it.
    paint.line(QPointF(need.left() + shift.x(), at.y()), QPointF(need.right() + shift.x(), at.y()), kCrossWidthMm,
               crossColor());
    paint.line(QPointF(at.x(), need.top() + shift.y()), QPointF(at.x(), need.bottom() + shift.y()), kCrossWidthMm,
               crossColor());
    painter.setTransform(paint.millimetres());
    painter.translate(shift);
    paintStitches(paint, kStitchWidthMm, m_picture.extent);
}

void DesignSheet::paintSequence(Painting& paint, const Page& page) const
{
    const QRectF box = page.sequence;
    const double left = box.left();
    const double right = box.right();
    double y = box.top();
    paint.text(QPointF(left, y + 5), QStringLiteral("Colour sequence, in stitching order"), sheetFont(10, true));
    y += kSequenceTitleHeight;
    const QFont heading = sheetFont(7.5);
    const double nameX = left + 26;
    const double codeX = left + std::max(90.0, box.width() * 0.6);
    const double nameWidth = codeX - nameX - 3;
    const double metresRight = right - 22;
    const double codeWidth = metresRight - 16 - codeX;
    paint.textRight(QPointF(left + 7, y + 3.5), QStringLiteral("#"), heading, Qt::darkGray);
    paint.text(QPointF(left + 10, y + 3.5), QStringLiteral("Colour"), heading, Qt::darkGray);
    paint.text(QPointF(nameX, y + 3.5), QStringLiteral("Thread"), heading, Qt::darkGray);
    paint.text(QPointF(codeX, y + 3.5), QStringLiteral("Code"), heading, Qt::darkGray);
    paint.textRight(QPointF(metresRight, y + 3.5), QStringLiteral("Metres"), heading, Qt::darkGray);
    paint.textRight(QPointF(right, y + 3.5), QStringLiteral("Stitches"), heading, Qt::darkGray);
    y += kSequenceHeadingHeight;
    const QFont body = sheetFont(9);
    const QString none = QStringLiteral("\u2014");
    for (std::size_t i = page.firstRow; i < page.firstRow + page.rowCount; ++i) {
        const ColorBlock& block = m_picture.blocks[i];
        paint.line(QPointF(left, y), QPointF(right, y), 0.1, QColor(200, 200, 200));
        paint.textRight(QPointF(left + 7, y + 4.3), QString::number(i + 1), body);
        const QRectF chip(left + 10, y + 1, 12, 4);
        paint.fill(chip, toQColor(block.color));
        paint.frame(chip, 0.1, Qt::darkGray);
        paint.text(QPointF(nameX, y + 4.3), block.threadName.empty() ? none : qText(block.threadName), body, Qt::black,
                   nameWidth);
        paint.text(QPointF(codeX, y + 4.3), block.threadCode.empty() ? none : qText(block.threadCode), body, Qt::black,
                   codeWidth);
        paint.textRight(QPointF(metresRight, y + 4.3), QString::number(block.threadMetres, 'f', 1), body);
        paint.textRight(QPointF(right, y + 4.3), qText(groupedCount(block.stitches)), body);
        y += kRowHeight;
    }
    paint.line(QPointF(left, y), QPointF(right, y), 0.1, QColor(200, 200, 200));
    if (std::any_of(m_picture.blocks.begin(), m_picture.blocks.end(), namesNoThread))
        paint.text(QPointF(left, y + 4.5),
                   QStringLiteral("\u2014 the file names no thread: the chip shows the colour the design is drawn in."),
                   sheetFont(7.5), Qt::darkGray, box.width());
}

void DesignSheet::paintSequencePointer(Painting& paint) const
{
    int first = 0, last = 0;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].kind != PageKind::Sequence)
            continue;
        first = first == 0 ? int(i) + 1 : first;
        last = int(i) + 1;
    }
    if (first == 0)
        return;
    const QString where =
        first == last ? QStringLiteral("page %1").arg(first) : QStringLiteral("pages %1 to %2").arg(first).arg(last);
    // In the foot, between the bars and the page number, clear of the design.
    const QString text = QStringLiteral("The colour sequence is on %1.").arg(where);
    const QFont font = sheetFont(9, true);
    paint.text(QPointF(m_area.center().x() - paint.textWidth(text, font) / 2, m_area.bottom() - 2.5), text, font);
}

void DesignSheet::paintOverview(Painting& paint, const Page& page) const
{
    QPainter& painter = paint.painter();
    const QRectF room = page.picture.adjusted(0, 6, 0, 0);
    const QRectF whole = m_tiles.empty() ? neededBox() : m_grid;
    const double scale = std::min({room.width() / whole.width(), room.height() / whole.height(), 1.0});
    const QPointF centre = room.center();
    const auto toPaper = [&](QPointF design) { return centre + (design - whole.center()) * scale; };
    const QString caption =
        m_tiles.empty()
            ? QStringLiteral("Reduced to %1 %. The design is too large for tiles of this paper (more than %2).")
                  .arg(scale * 100, 0, 'f', 1)
                  .arg(kMostTiles)
            : QStringLiteral("Reduced to %1 %, with the %2 x %3 tiles (row, column) that follow at actual size.")
                  .arg(scale * 100, 0, 'f', 1)
                  .arg(m_tileRows)
                  .arg(m_tileColumns);
    paint.text(QPointF(room.left(), page.picture.top() + 4), caption, sheetFont(8), Qt::darkGray, room.width());

    const QRectF need = neededBox();
    paint.line(toPaper(QPointF(need.left(), m_picture.centre().y())),
               toPaper(QPointF(need.right(), m_picture.centre().y())), kCrossWidthMm, crossColor());
    paint.line(toPaper(QPointF(m_picture.centre().x(), need.top())),
               toPaper(QPointF(m_picture.centre().x(), need.bottom())), kCrossWidthMm, crossColor());
    painter.setTransform(paint.millimetres());
    painter.translate(toPaper(QPointF(0, 0)));
    painter.scale(scale, scale);
    paintStitches(paint, 0.2 / scale, m_picture.extent);
    for (const Tile& tile : m_tiles) {
        const QRectF onPaper(toPaper(tile.window.topLeft()), toPaper(tile.window.bottomRight()));
        paint.frame(onPaper, 0.15, QColor(90, 90, 90), Qt::DashLine);
        paint.text(onPaper.topLeft() + QPointF(1.5, 4), QStringLiteral("(%1, %2)").arg(tile.row).arg(tile.column),
                   sheetFont(8), QColor(90, 90, 90));
    }
}

void DesignSheet::paintStitches(Painting& paint, double stitchWidthMm, const QRectF& window) const
{
    QPainter& painter = paint.painter();
    if (m_look == PictureLook::Realistic) {
        // The thread as a picture of its own over the part shown, at the device's
        // resolution up to about 300 dots per inch of paper: a printer's 1200 would make
        // pictures of hundreds of megabytes for what the eye cannot tell apart.
        constexpr double kMostDotsPerPaperMm = 300 / 25.4;
        const QTransform& toDevice = painter.transform();
        const double deviceDotsPerMm = std::hypot(toDevice.m11(), toDevice.m12());
        const double dotsPerMm = deviceDotsPerMm * std::min(1.0, kMostDotsPerPaperMm / paint.dotsPerMm());
        // The thread reaches half its width and its shadow past the needle points.
        const QRectF part = window & m_picture.extent.adjusted(-kThickestThreadMm, -kThickestThreadMm,
                                                               kThickestThreadMm, kThickestThreadMm);
        const double width = std::ceil(part.width() * dotsPerMm);
        const double height = std::ceil(part.height() * dotsPerMm);
        constexpr double kMostPixels = 64.0 * 1024 * 1024;
        if (width >= 1 && height >= 1 && width * height <= kMostPixels) {
            QImage thread(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
            thread.fill(Qt::transparent);
            if (drawRealisticDesign(thread, m_picture, dotsPerMm, -part.topLeft() * dotsPerMm)) {
                painter.save();
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(QRectF(part.topLeft(), QSizeF(width / dotsPerMm, height / dotsPerMm)), thread);
                painter.restore();
                return;
            }
        }
    }
    paintDesign(painter, m_picture, stitchWidthMm, Backdrop::Paper);
}

void DesignSheet::paintTile(Painting& paint, const Tile& tile) const
{
    QPainter& painter = paint.painter();
    const double left = m_area.left();
    const double top = m_area.top();
    paint.text(QPointF(left, top + 5),
               qText(m_picture.name) + QStringLiteral(" \u2014 tile (%1, %2): row %1 of %3, column %2 of %4")
                                           .arg(tile.row)
                                           .arg(tile.column)
                                           .arg(m_tileRows)
                                           .arg(m_tileColumns),
               sheetFont(10, true), Qt::black, m_area.width());
    // Neighbouring tiles share a strip; its inner edge is dashed, where the neighbour ends.
    const double overlapX = m_overlap.width();
    const double overlapY = m_overlap.height();
    paint.text(QPointF(left, top + 9),
               QStringLiteral("Actual size. Lay each tile over its neighbours so that the round targets meet; "
                              "the dashed lines mark the %1 mm they share.")
                   .arg(std::max(overlapX, overlapY), 0, 'f', 0),
               sheetFont(7.5), Qt::darkGray, m_area.width());

    const QPointF shift = tile.content.topLeft() - tile.window.topLeft();
    const auto toPaper = [&](QPointF design) { return design + shift; };
    painter.save();
    painter.setTransform(paint.millimetres());
    painter.setClipRect(tile.content);
    const QRectF need = neededBox();
    const QPointF centre = m_picture.centre();
    paint.line(toPaper(QPointF(need.left(), centre.y())), toPaper(QPointF(need.right(), centre.y())), kCrossWidthMm,
               crossColor());
    paint.line(toPaper(QPointF(centre.x(), need.top())), toPaper(QPointF(centre.x(), need.bottom())), kCrossWidthMm,
               crossColor());
    painter.setTransform(paint.millimetres());
    painter.translate(shift);
    paintStitches(paint, kStitchWidthMm, tile.window);

    const QColor marks(60, 60, 60);
    const QFont label = sheetFont(7);
    const QRectF w = tile.window;
    // The neighbour's label stands beside each target, clear of the cross in the middle.
    // In a strip down the side it stands below the target, in one across beside it.
    const auto target = [&](QPointF design, const QString& neighbour, bool across) {
        const QPointF at = toPaper(design);
        paint.circle(at, 2, 0.12, marks);
        paint.line(at - QPointF(3, 0), at + QPointF(3, 0), 0.12, marks);
        paint.line(at - QPointF(0, 3), at + QPointF(0, 3), 0.12, marks);
        const QPointF offset = across ? QPointF(3.8, -0.9) : QPointF(-paint.textWidth(neighbour, label) / 2, 6.5);
        paint.text(at + offset, neighbour, label, marks);
    };
    const auto verticalStrip = [&](double x, double insideEdge, int column) {
        paint.line(toPaper(QPointF(insideEdge, w.top())), toPaper(QPointF(insideEdge, w.bottom())), 0.15, marks,
                   Qt::DashLine);
        const QString neighbour = QStringLiteral("(%1, %2)").arg(tile.row).arg(column);
        target(QPointF(x, w.top() + w.height() / 4), neighbour, false);
        target(QPointF(x, w.top() + w.height() * 3 / 4), neighbour, false);
    };
    const auto horizontalStrip = [&](double y, double insideEdge, int row) {
        paint.line(toPaper(QPointF(w.left(), insideEdge)), toPaper(QPointF(w.right(), insideEdge)), 0.15, marks,
                   Qt::DashLine);
        const QString neighbour = QStringLiteral("(%1, %2)").arg(row).arg(tile.column);
        target(QPointF(w.left() + w.width() / 4, y), neighbour, true);
        target(QPointF(w.left() + w.width() * 3 / 4, y), neighbour, true);
    };
    if (tile.column > 1)
        verticalStrip(w.left() + overlapX / 2, w.left() + overlapX, tile.column - 1);
    if (tile.column < m_tileColumns)
        verticalStrip(w.right() - overlapX / 2, w.right() - overlapX, tile.column + 1);
    if (tile.row > 1)
        horizontalStrip(w.top() + overlapY / 2, w.top() + overlapY, tile.row - 1);
    if (tile.row < m_tileRows)
        horizontalStrip(w.bottom() - overlapY / 2, w.bottom() - overlapY, tile.row + 1);
    painter.restore();
    paint.frame(tile.content, 0.1, QColor(150, 150, 150));
}

QImage DesignSheet::pageImage(int page, double dpi) const
{
    const QSize size(int(std::lround(m_paper.width() * dpi / 25.4)), int(std::lround(m_paper.height() * dpi / 25.4)));
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, dpi, QPointF(0, 0));
    return image;
}

int printDesignSheets(Printer& printer, QPainter& painter, const QPageLayout& layout,
                      std::span<const DesignPicture> pictures, PictureLook look)
{
    int printed = 0;
    for (const DesignPicture& picture : pictures) {
        DesignSheet sheet(picture, layout);
        sheet.setLook(look);
        for (int page = 0; page < sheet.pageCount(); ++page) {
            if (printed > 0)
                printer.newPage();
            sheet.paintPage(painter, page);
            ++printed;
        }
    }
    return printed;
}

} // namespace orlika
