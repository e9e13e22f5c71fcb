// SPDX-License-Identifier: MIT
// Selecting designs on a page with the right mouse button.
#include "catalog/Catalog.h"

#include "catalog/DesignPaths.h"

namespace orlika {

int PageOnDisplay::cellAt(int x, int y) const
{
    for (int k = 0; k < cellCount; ++k) {
        const CellPoint origin = origins[std::size_t(k)];
        // Only the band above the anchor line (the picture's half) answers a click.
        if (origin.X < x && x < origin.X + cellWidth && origin.Y - halfCellHeight < y && y < origin.Y)
            return k;
    }
    return -1;
}

void Catalog::rewriteNameOnDisplay(Canvas& canvas, int cell)
{
    const std::string& name = m_display.names[std::size_t(cell)];
    canvas.setFontColor(m_state.SelectedList.contains(name) ? Red : Black);
    const CellPoint origin = m_display.origins[std::size_t(cell)];
    // A tree's cell holds the design's path; its name line shows the name alone.
    writeCellName(canvas, m_state, origin, nameLineWidth(origin, m_display.cellWidth, m_display.pageWidth),
                  m_display.halfCellHeight, name.find('/') == std::string::npos ? name : designDisplayName(name));
    canvas.setFontColor(Black);
    canvas.flush();
}

void Catalog::selectAt(Canvas& canvas, int x, int y)
{
    auto& s = m_state;
    if (!s.PageComplete)
        return;
    const int cell = m_display.cellAt(x, y);
    // A cell that shows no design (an empty end of the page) selects nothing.
    if (cell < 0 || m_display.names[std::size_t(cell)].empty())
        return;
    const std::string& name = m_display.names[std::size_t(cell)];
    // A page drawn ahead has the names in the selection's colours as they were.
    const bool drawingAhead = m_pageAheadStarted;
    dropPageAhead();
    if (s.SelectedList.contains(name)) {
        s.SelectedList.remove(name);
    } else {
        if (s.SelectedList.empty()) {
            s.SelectedFolder = m_display.folder;
            s.KeptCopyOf.clear();
        }
        s.SelectedList.add(name);
    }
    if (s.SelectedList.empty()) {
        m_host.showSelectedLabel(false, {});
        m_host.enableMenu(Menu::Selected, false);
    } else {
        m_host.showSelectedLabel(true, "Selected: " + std::to_string(s.SelectedList.count()));
        // While a run merely waits at a page end the menu stays disabled.
        m_host.enableMenu(Menu::Selected, s.ViewDone);
    }
    m_host.processMessages();
    rewriteNameOnDisplay(canvas, cell);
    if (drawingAhead)
        startPageAhead();
    m_host.processMessages();
}

void Catalog::showSelectionOnDisplay()
{
    if (!m_mainCanvas)
        return;
    for (int cell = 0; cell < m_display.cellCount; ++cell)
        if (!m_display.names[std::size_t(cell)].empty())
            rewriteNameOnDisplay(*m_mainCanvas, cell);
}

} // namespace orlika
