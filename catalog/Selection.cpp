// SPDX-License-Identifier: MIT
// Selecting designs on a page with the right mouse button.
#include "catalog/Catalog.h"

#include "platform/Rounding.h"

#include <algorithm>

namespace orlika {

void Catalog::selectAt(Canvas& canvas, int x, int y)
{
    auto& s = m_state;
    if (!s.PageComplete)
        return;
    const int cells = std::min<int>(s.CellsPerPage, int(s.CellOrigin.size()));
    for (int k = 0; k < cells; ++k) {
        const CellPoint origin = s.CellOrigin[std::size_t(k)];
        // Only the band above the anchor line (the picture's half) answers a click.
        const bool hit = origin.X < x && x < origin.X + s.CellWidth && origin.Y - s.HalfCellHeight < y && y < origin.Y;
        if (!hit)
            continue;
        const int index = firstIndexOnDisplay() + k;
        if (index < 0 || index >= s.FileList.count())
            return;
        const std::string name = namePart(s.FileList[index]);
        s.PosX = toSingle(origin.X);
        s.PosY = toSingle((origin.Y - s.HalfCellHeight) - 1.2 * canvas.textHeight(name));
        if (!s.SelectedList.contains(name)) {
            s.SelectedList.add(name);
            canvas.setFontColor(Red);
        } else {
            s.SelectedList.remove(name);
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
        writeText(canvas, s.PosX, s.PosY, name);
        canvas.setFontColor(Black);
        canvas.flush();
        m_host.processMessages();
        return;
    }
}

} // namespace orlika
