// SPDX-License-Identifier: MIT
// Selecting designs on a page with the right mouse button.
#include "catalog/Catalog.h"

#include "catalog/DesignPaths.h"
#include "platform/NameFit.h"
#include "platform/Rounding.h"

#include <algorithm>

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

std::string Catalog::entryAt(int x, int y) const
{
    if (!m_state.PageComplete)
        return {};
    // A cell that shows no design (an empty end of the page, a design gone) has no entry.
    const int cell = m_display.cellAt(x, y);
    return cell < 0 ? std::string() : m_display.names[std::size_t(cell)];
}

void Catalog::setSelected(const std::vector<std::string>& entries, bool selected)
{
    auto& s = m_state;
    bool changed = false;
    for (const std::string& entry : entries) {
        if (entry.empty() || s.SelectedList.contains(entry) == selected)
            continue;
        if (!selected) {
            s.SelectedList.remove(entry);
        } else {
            if (s.SelectedList.empty()) {
                s.SelectedFolder = m_display.folder;
                s.KeptCopyOf.clear();
            }
            s.SelectedList.add(entry);
        }
        changed = true;
    }
    if (!changed)
        return;
    m_host.setSelectedCount(s.SelectedList.count());
    // A page drawn ahead has the names in the selection's colours as they were.
    if (m_pageAheadStarted) {
        dropPageAhead();
        startPageAhead();
    }
}

bool Catalog::showSelectionOf(Canvas& canvas, const std::vector<std::string>& entries)
{
    bool wrote = false;
    for (int cell = 0; cell < m_display.cellCount; ++cell) {
        const std::string& name = m_display.names[std::size_t(cell)];
        if (!name.empty() && std::find(entries.begin(), entries.end(), name) != entries.end()) {
            rewriteNameOnDisplay(canvas, cell);
            wrote = true;
        }
    }
    return wrote;
}

bool Catalog::deletedEntry(const std::string& name) const
{
    return !m_deleted.empty() && m_deleted.count(m_state.FolderPath + name) > 0;
}

void Catalog::markGone(const std::string& folder, const std::vector<std::string>& names, Gone how)
{
    auto& s = m_state;
    for (const std::string& name : names) {
        m_deleted[folder + name] = how;
        if (folder == s.SelectedFolder)
            s.SelectedList.remove(name);
    }
    m_host.setSelectedCount(s.SelectedList.count());
    if (m_mainCanvas) {
        for (int cell = 0; cell < m_display.cellCount; ++cell) {
            std::string& name = m_display.names[std::size_t(cell)];
            if (name.empty() || !m_deleted.count(m_display.folder + name))
                continue;
            const CellPoint origin = m_display.origins[std::size_t(cell)];
            writeGoneName(*m_mainCanvas, m_state, origin,
                          nameLineWidth(origin, m_display.cellWidth, m_display.pageWidth), m_display.halfCellHeight,
                          name.find('/') == std::string::npos ? name : designDisplayName(name),
                          m_deleted.at(m_display.folder + name));
            // Nothing is left there to select or to open.
            name.clear();
        }
        m_mainCanvas->flush();
    }
    // A page drawn ahead showed the designs as they were.
    if (m_pageAheadStarted) {
        dropPageAhead();
        startPageAhead();
    }
}

} // namespace orlika
