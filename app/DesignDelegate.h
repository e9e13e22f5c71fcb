// SPDX-License-Identifier: MIT
// An item of the browse grid: the design's picture in a square, its name under it and its
// line of figures.
#pragma once

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace orlika {

class BrowseModel;

class DesignDelegate : public QStyledItemDelegate {
public:
    DesignDelegate(BrowseModel& model, QObject* parent);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    /// An item's two lines, shortened to its width and laid out.
    struct ItemLines {
        QStaticText name;
        QStaticText figures;
    };
    const ItemLines& linesOf(const QStyleOptionViewItem& option, const QModelIndex& index, int width) const;
    void paintPicture(QPainter* painter, const QRect& square, const QModelIndex& index) const;

    BrowseModel& m_model;
    // Shaping an item's texts took most of a frame's painting while the grid scrolls; they
    // are laid out once for each name, figures and width, in the view's font.
    mutable QCache<QString, ItemLines> m_lines{1024};
    mutable QFont m_font;       // the font m_lines were laid out in
    mutable QFont m_smallFont;  // the figures', derived from it
};

} // namespace orlika
