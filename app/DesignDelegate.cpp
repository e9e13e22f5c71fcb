// SPDX-License-Identifier: MIT
#include "app/DesignDelegate.h"

#include "app/BrowseModel.h"

#include <QPainter>

#include <algorithm>

namespace orlika {

namespace {

constexpr int kPadding = 6;

// The figures smaller than the name: they fit under a picture of the smallest size.
QFont figuresFont(const QFont& font)
{
    QFont small = font;
    small.setBold(false);
    if (small.pixelSize() > 0)
        small.setPixelSize(std::max(8, small.pixelSize() * 85 / 100));
    else
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    return small;
}

QStaticText laidOut(const QString& text, const QFont& font)
{
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    return laid;
}

// `text` in `painter`'s font, in the middle of `line`.
void drawCentred(QPainter* painter, const QRect& line, const QStaticText& text)
{
    const QSizeF size = text.size();
    painter->drawStaticText(QPointF(line.left() + (line.width() - size.width()) / 2,
                                    line.top() + (line.height() - size.height()) / 2),
                            text);
}

} // namespace

DesignDelegate::DesignDelegate(BrowseModel& model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

QSize DesignDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int side = m_model.pictureSize();
    const int lines = option.fontMetrics.height() * 2;
    return {side + 2 * kPadding, side + lines + 3 * kPadding};
}

const DesignDelegate::ItemLines& DesignDelegate::linesOf(const QStyleOptionViewItem& option, const QModelIndex& index,
                                                         int width) const
{
    if (option.font != m_font) {
        m_lines.clear();
        m_font = option.font;
        m_smallFont = figuresFont(m_font);
    }
    const QString name = index.data(Qt::DisplayRole).toString();
    const QString figures = index.data(BrowseModel::FiguresRole).toString();
    const QString key = name + QChar(u'\n') + figures + QChar(u'\n') + QString::number(width);
    if (const ItemLines* lines = m_lines.object(key))
        return *lines;
    auto* lines = new ItemLines{
        laidOut(option.fontMetrics.elidedText(name, Qt::ElideMiddle, width), m_font),
        laidOut(QFontMetrics(m_smallFont).elidedText(figures, Qt::ElideRight, width), m_smallFont)};
    m_lines.insert(key, lines);
    return *lines;
}

void DesignDelegate::paintPicture(QPainter* painter, const QRect& square, const QModelIndex& index) const
{
    painter->fillRect(square, Qt::white);
    // Only a picture painted is asked for: designs scrolled past are never drawn.
    const QImage image = index.data(BrowseModel::PictureRole).value<QImage>();
    if (!image.isNull()) {
        const QSize fitted = image.size().scaled(square.size(), Qt::KeepAspectRatio);
        const QRect target(square.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, image);
        return;
    }
    // The placeholder until the picture comes, crossed where there will be none.
    const int side = square.width();
    painter->setPen(QColor(215, 215, 215));
    painter->drawRect(square.adjusted(side / 4, side / 4, -side / 4, -side / 4));
    if (index.data(BrowseModel::PictureFailedRole).toBool())
        painter->drawLine(square.topLeft() + QPoint(side / 4, side / 4), square.bottomRight() - QPoint(side / 4, side / 4));
}

void DesignDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect cell = option.rect;
    const QPalette& palette = option.palette;
    if (option.state & QStyle::State_Selected)
        painter->fillRect(cell, palette.color(QPalette::Highlight).lighter(170));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(palette.color(QPalette::Highlight), 1, Qt::DotLine));
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    const int side = m_model.pictureSize();
    const QRect square(cell.left() + kPadding, cell.top() + kPadding, side, side);
    paintPicture(painter, square, index);

    const int width = cell.width() - 2 * kPadding;
    const ItemLines& lines = linesOf(option, index, width);
    QRect line(cell.left() + kPadding, square.bottom() + kPadding, width, option.fontMetrics.height());
    painter->setFont(m_font);
    painter->setPen(palette.color(QPalette::Text));
    drawCentred(painter, line, lines.name);
    line.translate(0, option.fontMetrics.height());
    painter->setFont(m_smallFont);
    painter->setPen(QColor(100, 100, 100));
    drawCentred(painter, line, lines.figures);
    painter->restore();
}

} // namespace orlika
