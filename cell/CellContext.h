// SPDX-License-Identifier: MIT
// One page cell as the cell renderer draws into it: the cell and its layout, the text
// position it leaves behind, the texts every cell shares (name line, remarks, error text,
// wrapped lists), the host's phase label and the cancel flag. The catalog builds one for
// each design; a tool builds its own.
#pragma once

#include "cell/CellRules.h"
#include "decoders/Design.h"
#include "platform/Canvas.h"
#include "platform/Color.h"
#include "platform/Host.h"
#include "platform/SortedNameList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

struct CellPoint {
    int X = 0;
    int Y = 0;

    bool operator==(const CellPoint&) const = default;
};

/// The cell a design is drawn into and the layout it belongs to, in device pixels.
struct CellGeometry {
    CellPoint anchor;      // the cell's left edge and its middle line
    int width = 0;
    int height = 0;
    int halfHeight = 0;
    int lineHeight = 0;    // from one text line to the next
    int cellsPerPage = 0;
    bool thumbnails = false;
    bool noRemarks = false;
    int nameWidth = 0;     // room of the name line (nameLineWidth); 0: the cell's width
    int textBottom = 0;    // no text of the cell reaches below (listBottom); 0: no limit
};

/// True when the layout shows remarks: fewer than 20 cells a page, remarks on.
inline bool remarksShownIn(const CellGeometry& cell)
{
    return cell.cellsPerPage < 20 && !cell.noRemarks;
}

/// What the user interface lends a cell.
struct CellServices {
    Host& host;
    Canvas* mainCanvas;               // selected names turn red here; null: nowhere
    const SortedNameList& selected;   // the designs the user selected
    const bool& cancelPressed;        // the user asked to stop the run
};

/// The four remark lines of a design.
struct Remarks {
    std::string stitches;   // "Stitches: 1234"
    std::string size;       // "Size: 123.4 x 56.7 mm"
    std::string inches;     // "Size: 4.86 x 2.23 In."
    std::string colors;     // "Color Changes: 3"
};

class CellContext {
public:
    CellContext(Canvas& canvas, const CellGeometry& cell, DesignFigures& figures, std::string& designPath,
                const CellServices& services)
        : m_canvas(canvas), m_cell(cell), m_figures(figures), m_designPath(designPath), m_services(services)
    {
    }

    Canvas& canvas() const { return m_canvas; }
    const CellGeometry& cell() const { return m_cell; }
    DesignFigures& figures() const { return m_figures; }
    /// The design's path; the name line shortens it to the bare file name.
    std::string& designPath() const { return m_designPath; }
    /// What the user interface lends: with the parts above, the same cell on another canvas.
    const CellServices& services() const { return m_services; }

    /// Shows the drawing's phase ("Reading", "Drawing", "").
    void setPhase(const std::string& text) const;
    /// True once the user asked to stop the run.
    bool cancelled() const { return m_services.cancelPressed; }

    /// True when the layout shows remarks: fewer than 20 cells a page, remarks on.
    bool remarksShown() const { return remarksShownIn(m_cell); }
    void shortenDesignPath() const;
    /// The bare file name above the cell; with the selection colour, red on the main
    /// window's page when the design is selected.
    void writeNameLine(bool withSelectionColor) const;
    /// Text at (x, y), rounded; a text that would leave the cell's text area is cut at its
    /// edges rather than run into the next cell.
    void writeText(float x, float y, const std::string& text) const;
    /// Text from (x, y) down in lines no wider than the cell, as many as stay above its text
    /// bottom, the last one written then ending in "..."; y then stands a line below the last.
    /// A text that fits is one line, as writeLine writes it.
    void writeWrapped(float x, float& y, const std::string& text) const;
    /// The part of the page the cell's texts stay in: its column (up to the page's edge),
    /// from the top of its name line down to its text bottom.
    PixelRect textArea() const;
    /// Text at (x, y), then y one line lower.
    void writeLine(float x, float& y, const std::string& text) const;
    /// The cell of a file that cannot be shown: the name line and the error text.
    void writeErrorCell(const std::string& text, ErrorPlace place, bool withSelectionColor) const;

    /// The remark lines of a design whose size is width x height units.
    Remarks remarks(std::int64_t stitches, std::int64_t colorChanges, double width, double height, DesignUnit unit,
                    std::string_view colorLabel = "Color Changes: ") const;
    /// Writes the remarks from `start` down where the layout shows them, and the note after
    /// them; (x, y), the text position, then stands one line below the last one.
    void writeRemarks(float& x, float& y, CellPoint start, const Remarks& remarks, ShortRemarks form) const;
    /// A line the remarks end with (the group of a duplicate); none unless set.
    void setRemarkNote(std::string note) { m_remarkNote = std::move(note); }
    /// The width the lines of a thread or colour list stay under.
    int listWidthLimit() const;
    /// Writes a list's lines from (x, y) down, each a line lower, as many as stay above
    /// the cell's text bottom; where some are left out the last one written ends in "...".
    void writeListLines(float x, float& y, const std::vector<std::string>& lines) const;

private:
    /// How many of `count` lines written from y down stay above the text bottom.
    std::size_t linesThatFit(float y, std::size_t count) const;

    Canvas& m_canvas;
    CellGeometry m_cell;
    DesignFigures& m_figures;
    std::string& m_designPath;
    CellServices m_services;
    std::string m_remarkNote;
};

/// A remark number: fixed notation with `decimals` places and at most 6 significant
/// digits (scientific beyond), rounded once from the exact value, with the separator given.
std::string remarkNumber(double value, int decimals, char separator);

/// A count as the remarks write it; counts beyond 32 bits stop at the largest.
std::string countText(std::int64_t count);

/// The room of the name line of a cell at `origin`: the cell's width, or less where the
/// page ends first (the one cell of the enlarged layout is wider than what is right of it).
int nameLineWidth(CellPoint origin, int cellWidth, int pageWidth);

/// The lowest point of a cell's texts: above the next row's name line and above the
/// printed page's footer line, both of which stand 1.2 text heights above their base.
int listBottom(CellPoint anchor, int height, int halfHeight, int pageHeight, int textHeight);

/// Writes a name above a cell, shortened to `nameWidth`, as a label that a later
/// write in another colour replaces exactly; leaves PosX and PosY at its place.
void writeCellName(Canvas& canvas, DesignFigures& figures, CellPoint cell, int nameWidth, int halfCellHeight,
                   const std::string& name);

/// Entries joined with ", " into lines: entry `next` joins the line while probe(line,
/// next), the width of what decides it, is under the limit. Every line holds at least
/// one entry.
std::vector<std::string> wrapEntries(std::size_t count, const std::function<std::string(std::size_t)>& entry,
                                     const std::function<int(const std::string& line, std::size_t next)>& probe,
                                     int limit);

} // namespace orlika
