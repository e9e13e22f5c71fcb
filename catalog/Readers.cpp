// SPDX-License-Identifier: MIT
// How the catalog hands a design to the cell renderer: the cell context it builds from its
// state, the boxes a design raises, and the reader routines, which forward to the
// registry's readers.
#include "catalog/Catalog.h"

#include "cell/CellRenderer.h"

#include "platform/Rounding.h"

#include <algorithm>
#include <cmath>

namespace orlika {

CellPoint Catalog::cellAnchor() const
{
    const int index = m_state.CellNo - 1;
    if (index < 0 || index >= int(m_state.CellOrigin.size()))
        return {};
    return m_state.CellOrigin[std::size_t(index)];
}

PixelRect Catalog::cellArea(Canvas& canvas) const
{
    const auto& s = m_state;
    const CellPoint cell = cellAnchor();
    const int nameTop = roundPixel((cell.Y - s.HalfCellHeight) - canvas.textHeight("H") * 1.2);
    // A design drawn to scale reaches above the middle line by at most half the cell's
    // width (a reader may scale both axes by the width) or 0.6 of its height (the largest
    // factor a reader takes).
    const int reach = int(std::ceil(std::max(0.5 * s.CellWidth, 0.6 * s.CellHeight))) + 1;
    return {cell.X, std::min(nameTop, cell.Y - reach), cell.X + s.CellWidth, nameTop + s.CellHeight};
}

CellContext Catalog::cellContext(Canvas& canvas)
{
    auto& s = m_state;
    const CellPoint anchor = cellAnchor();
    const CellGeometry cell{anchor,        s.CellWidth,  s.CellHeight, s.HalfCellHeight,
                            s.LineHeight,  s.CellsPerPage, s.Thumbnails, s.NoRemarks,
                            nameLineWidth(anchor, s.CellWidth, m_pageWidth),
                            listBottom(anchor, s.CellHeight, s.HalfCellHeight, m_pageHeight, canvas.textHeight("H"))};
    CellContext context(canvas, cell, s, s.DesignPath,
                        CellServices{m_host, m_mainCanvas, selectionForCell(), s.CancelPressed});
    if (const auto note = m_remarkNotes.find(m_cellPath); note != m_remarkNotes.end())
        context.setRemarkNote(note->second);
    return context;
}

void Catalog::raiseDesignBox(const std::string& designPath, const std::string& text, const std::string& caption,
                             MessageIcon icon)
{
    // During a run a design asks once, and the box offers to stop asking or to stop the run.
    if (m_runActive)
        m_messages.raise(designPath, text, caption, icon);
    else
        m_host.messageBox(MessageRequest{text, caption, icon, MessageButtons::Ok});
}

CellOutcome Catalog::drawCell(Canvas& canvas, const Reader& reader)
{
    CellContext cell = cellContext(canvas);
    const std::string path = m_state.DesignPath;
    CellOutcome outcome = drawDesignCell(cell, reader, designFile(), [&](const DesignMessage& message) {
        raiseDesignBox(path, message.text, message.caption, MessageIcon::None);
    });
    if (outcome.kind == CellOutcome::Kind::Failed)
        raiseDesignBox(path, outcome.error, "ORLIKA", MessageIcon::Error);
    return outcome;
}

void Catalog::readDesign(Canvas& canvas, std::string_view readerName)
{
    drawCell(canvas, *readerNamed(readerName));
}

CellOutcome Catalog::runDecoder(Canvas& canvas, const Reader& reader)
{
    // A header that lies about the design's size must not draw over other cells.
    struct LineClip {
        Canvas& canvas;
        ~LineClip()
        {
            canvas.flush();
            canvas.unclipLines();
        }
    } clip{canvas};
    canvas.clipLines(cellArea(canvas));
    return drawCell(canvas, reader);
}

void Catalog::TajimaFormat(Canvas& canvas) { readDesign(canvas, "TajimaFormat"); }
void Catalog::PESFormat(Canvas& canvas) { readDesign(canvas, "PESFormat"); }
void Catalog::PCDesignerFormat(Canvas& canvas) { readDesign(canvas, "PCDesignerFormat"); }
void Catalog::KSMFormat(Canvas& canvas) { readDesign(canvas, "KSMFormat"); }
void Catalog::EXPFormat(Canvas& canvas) { readDesign(canvas, "EXPFormat"); }

} // namespace orlika
