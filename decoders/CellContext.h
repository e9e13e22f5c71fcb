// SPDX-License-Identifier: MIT
// What a reader is given for one design. The catalog builds a CellContext for each call:
// the cell to draw into and its layout, the figures the reader leaves behind, the texts
// every cell shares (name line, remarks, error text, wrapped lists), the host's message box
// and phase label, and the cancel flag. Readers never see the catalog itself.
#pragma once

#include "platform/Canvas.h"
#include "platform/Color.h"
#include "platform/Host.h"
#include "platform/RunMessages.h"
#include "platform/SortedNameList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

class DesignFile;

struct CellPoint {
    int X = 0;
    int Y = 0;
};

/// What the readers leave behind, under the names the catalog state gives them: the text
/// position and the last design's extents and counts.
struct DesignFigures {
    float PosX = 0;
    float PosY = 0;
    float MinX = 0;
    float MaxX = 0;
    float MinY = 0;
    float MaxY = 0;
    std::int32_t StitchCount = 0;
    // The Tajima reader's extents and colour changes, which its remarks show
    std::int32_t MinusX = 0;
    std::int32_t PlusX = 0;
    std::int32_t MinusY = 0;
    std::int32_t PlusY = 0;
    std::int32_t ColorChangeCount = 0;
};

/// A header number that is not an integer, as the runtime's string conversion reports it.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The pen colours that readers step through at colour changes.
using PenColorTable = std::array<Color, 18>;

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

/// What the user interface lends a reader.
struct CellServices {
    Host& host;
    Canvas* mainCanvas;               // selected names turn red here; null: nowhere
    const SortedNameList& selected;   // the designs the user selected
    const bool& cancelPressed;        // the user asked to stop the run
    RunMessages* runMessages;         // a run's boxes; null: straight to the host
};

/// The units of a format's coordinates, for the sizes its remarks give.
enum class DesignUnit { TenthMillimetre, SixthMillimetre };

/// The four remark lines of a design.
struct Remarks {
    std::string stitches;   // "Stitches: 1234"
    std::string size;       // "Size: 123.4 x 56.7 mm"
    std::string inches;     // "Size: 4.86 x 2.23 In."
    std::string colors;     // "Color Changes: 3"
};

/// How a page of fewer than 12 cells writes the remarks: all four lines, or joined into
/// two ("Stitches: ..., Size: ... mm" and "... Changes: ..., Size: ... In.") or three
/// ("Stitches: ..., Size: ... mm", the inches, the colour changes).
enum class ShortRemarks { FourLines, TwoLines, ThreeLines };

/// Where an error text stands: on the middle line, or 2.2 heights of "B" above it.
enum class ErrorPlace { MiddleLine, AboveMiddleLine };

class CellContext {
public:
    CellContext(Canvas& canvas, const CellGeometry& cell, DesignFigures& figures, std::string& designPath,
                const PenColorTable& colorTable, const CellServices& services)
        : m_canvas(canvas), m_cell(cell), m_figures(figures), m_designPath(designPath), m_colorTable(colorTable),
          m_services(services)
    {
    }

    Canvas& canvas() const { return m_canvas; }
    const CellGeometry& cell() const { return m_cell; }
    DesignFigures& figures() const { return m_figures; }
    /// The design's path; the name line shortens it to the bare file name.
    std::string& designPath() const { return m_designPath; }
    const PenColorTable& colorTable() const { return m_colorTable; }
    /// What the user interface lends: with the parts above, the same cell on another canvas.
    const CellServices& services() const { return m_services; }

    /// Shows the reader's phase ("Reading", "Drawing", "") and lets pending events run.
    void showPhase(const std::string& text) const;
    /// Shows the phase without letting events run.
    void setPhase(const std::string& text) const;
    void processMessages() const;
    /// A modal message box with an OK button and no icon; during a run also "No More
    /// Messages" and "Stop the Run", and once a design at most.
    void messageBox(const std::string& text, const std::string& caption) const;
    /// True once the user asked to stop the run.
    bool cancelled() const { return m_services.cancelPressed; }

    /// True when the layout shows remarks: fewer than 20 cells a page, remarks on.
    bool remarksShown() const { return m_cell.cellsPerPage < 20 && !m_cell.noRemarks; }
    void shortenDesignPath() const;
    /// The bare file name above the cell; with the selection colour, red on the main
    /// window's page when the design is selected.
    void writeNameLine(bool withSelectionColor) const;
    /// Text at (x, y), rounded.
    void writeText(float x, float y, const std::string& text) const;
    /// Text at (x, y), then y one line lower.
    void writeLine(float x, float& y, const std::string& text) const;
    /// The cell of a file the reader rejects: the name line and the error text.
    void writeErrorCell(const std::string& text, ErrorPlace place, bool withSelectionColor) const;

    /// The remark lines of a design whose size is width x height units.
    Remarks remarks(std::int64_t stitches, std::int64_t colorChanges, double width, double height, DesignUnit unit,
                    std::string_view colorLabel = "Color Changes: ") const;
    /// Writes the remarks from `start` down where the layout shows them; (x, y), the text
    /// position, then stands one line below the last one.
    void writeRemarks(float& x, float& y, CellPoint start, const Remarks& remarks, ShortRemarks form) const;
    /// The width the lines of a thread or colour list stay under.
    int listWidthLimit() const;
    /// Writes a list's lines from (x, y) down, each a line lower, as many as stay above
    /// the cell's text bottom; where some are left out the last one written ends in "...".
    void writeListLines(float x, float& y, const std::vector<std::string>& lines) const;

private:
    Canvas& m_canvas;
    CellGeometry m_cell;
    DesignFigures& m_figures;
    std::string& m_designPath;
    const PenColorTable& m_colorTable;
    CellServices m_services;
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
