// SPDX-License-Identifier: MIT
// How the catalog hands a design to the cell renderer outside a run (a design read into a
// cell on its own): the cell context it builds from its state, the boxes a design raises,
// and the reader routines, which forward to the registry's readers.
#include "catalog/Catalog.h"

#include "cell/CellRenderer.h"

namespace orlika {

CellContext Catalog::cellContext(Canvas& canvas)
{
    auto& s = m_state;
    return CellContext(canvas, pageFrame().cellGeometry(s.CellNo, canvas), s, s.DesignPath,
                       CellServices{m_host, m_mainCanvas, s.SelectedList, s.CancelPressed});
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

void Catalog::raiseDesignBox(const DesignBox& box)
{
    raiseDesignBox(box.designPath, box.text, box.caption, box.icon);
}

void Catalog::readDesign(Canvas& canvas, std::string_view readerName)
{
    drawCell(canvas, *readerNamed(readerName));
}

CellOutcome Catalog::runDecoder(Canvas& canvas, const Reader& reader)
{
    const CellLineClip clip(canvas, pageFrame().cellArea(m_state.CellNo, canvas));
    return drawCell(canvas, reader);
}

void Catalog::TajimaFormat(Canvas& canvas) { readDesign(canvas, "TajimaFormat"); }
void Catalog::PESFormat(Canvas& canvas) { readDesign(canvas, "PESFormat"); }
void Catalog::PCDesignerFormat(Canvas& canvas) { readDesign(canvas, "PCDesignerFormat"); }
void Catalog::KSMFormat(Canvas& canvas) { readDesign(canvas, "KSMFormat"); }
void Catalog::EXPFormat(Canvas& canvas) { readDesign(canvas, "EXPFormat"); }

} // namespace orlika
