// SPDX-License-Identifier: MIT
// The design sheet: a design printed at its actual size for placing it on the garment,
// with a cross through its centre, scale bars, its figures and its colour sequence. A
// design larger than the paper is printed in tiles that overlap, each labelled with its
// row and column, after a first page that shows the whole with the tiles marked.
//
// Positions are in millimetres on the paper, from its top-left corner; the painter of a
// page is mapped from them at the device's resolution, so nothing is scaled to fit.
#pragma once

#include "sheet/DesignPicture.h"
#include "sheet/RealisticPicture.h"

#include <QColor>
#include <QImage>
#include <QPageLayout>
#include <QRectF>

#include <span>
#include <vector>

class QPainter;

namespace orlika {

class Printer;

class DesignSheet {
public:
    /// Nothing is printed closer than this to the paper's edge, whatever the layout allows.
    static constexpr double kLeastMarginMm = 10;
    /// How far the centre cross reaches past the design's edges.
    static constexpr double kCrossOverhangMm = 6;
    /// How much neighbouring tiles share.
    static constexpr double kOverlapMm = 10;
    /// The centre cross: a blue that no pen of the readers draws in.
    static QColor crossColor() { return QColor(0, 150, 255); }
    static constexpr double kCrossWidthMm = 0.15;

    /// A part of a tiled design on a page of its own.
    struct Tile {
        int page = 0;
        int row = 0;     // from 1, top to bottom
        int column = 0;  // from 1, left to right
        QRectF window;   // the part of the design it shows, in the design's millimetres
        QRectF content;  // where that part stands on the paper
    };

    /// The sheet of a picture, which must outlive it, on the layout's paper.
    DesignSheet(const DesignPicture& picture, const QPageLayout& layout);

    int pageCount() const { return int(m_pages.size()); }
    /// The paper and the part of it the sheet uses.
    QRectF paper() const { return m_paper; }
    QRectF area() const { return m_area; }
    bool tiled() const { return !m_tiles.empty(); }
    /// Untiled: where the design's centre stands on the first page.
    QPointF designCentre() const { return m_designCentre; }
    const std::vector<Tile>& tiles() const { return m_tiles; }
    int tileRows() const { return m_tileRows; }
    int tileColumns() const { return m_tileColumns; }

    /// Paints a page (from 0) on a painter of a paged device laid out as the sheet is.
    void paintPage(QPainter& painter, int page) const;
    /// Paints a page on a painter whose device shows the paper at `dpi` dots per inch with
    /// the paper's point `originMm` at its (0, 0).
    void paintPage(QPainter& painter, int page, double dpi, QPointF originMm) const;
    /// A page as a white image of the whole paper at `dpi`; null when it cannot be made.
    QImage pageImage(int page, double dpi) const;
    /// How the design's stitches are drawn: lines (until told otherwise) or thread.
    void setLook(PictureLook look) { m_look = look; }
    PictureLook look() const { return m_look; }

private:
    enum class PageKind { Design, Overview, Sequence, Tile };
    struct Page {
        PageKind kind = PageKind::Design;
        std::size_t firstRow = 0;  // of the colour sequence on this page
        std::size_t rowCount = 0;
        QRectF sequence;  // where the rows stand
        QRectF picture;   // Design: where the design is centred; Overview: the scaled whole
        int tile = -1;
    };
    class Painting;

    void planUntiled(const QRectF& region);
    void planTiled(const QRectF& region);
    /// The colour sequence on pages of its own, after those planned so far.
    void addSequencePages();
    /// The box the design with its cross needs, in its millimetres: the cross's ends.
    QRectF neededBox() const;

    void paintHeader(Painting& paint) const;
    void paintFooter(Painting& paint, int page) const;
    void paintSequence(Painting& paint, const Page& page) const;
    /// On a first page without the sequence: where it is.
    void paintSequencePointer(Painting& paint) const;
    void paintDesignAt(Painting& paint, QPointF centre) const;
    void paintOverview(Painting& paint, const Page& page) const;
    void paintTile(Painting& paint, const Tile& tile) const;
    /// The stitches of the design's part `window` (its millimetres) in the sheet's look, on
    /// a painter mapped from them; `stitchWidthMm` is the lines'.
    void paintStitches(Painting& paint, double stitchWidthMm, const QRectF& window) const;

    const DesignPicture& m_picture;
    QPageLayout m_layout;
    QRectF m_paper;
    QRectF m_area;
    QPointF m_designCentre;
    bool m_fits = true;  // the design with its cross fits the first page
    std::vector<Page> m_pages;
    std::vector<Tile> m_tiles;
    QRectF m_grid;     // tiled: the part of the design the tiles cover together
    QSizeF m_overlap;  // what neighbouring tiles share across and down
    int m_tileRows = 0;
    int m_tileColumns = 0;
    PictureLook m_look = PictureLook::Lines;
};

/// Prints the sheets of the designs one after another in the document begun on `printer`,
/// whose pages `painter` paints on a device laid out as `layout`; each design starts on a
/// page of its own, its stitches drawn in `look`. Returns the pages it printed; throws
/// PrintError as the printer does.
int printDesignSheets(Printer& printer, QPainter& painter, const QPageLayout& layout,
                      std::span<const DesignPicture> pictures, PictureLook look = PictureLook::Lines);

} // namespace orlika
