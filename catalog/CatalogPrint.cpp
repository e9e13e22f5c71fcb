// SPDX-License-Identifier: MIT
// The texts of a printed catalog page: title, folder, print date and page number.
#include "catalog/Catalog.h"

#include "platform/Rounding.h"

namespace orlika {

void Catalog::writePageTitle(Canvas& canvas, int width)
{
    // A one-character title is taken for a stray key press and not printed.
    if (m_pageTitle.size() < 2)
        return;
    canvas.textOut(width / 2 - canvas.textWidth(m_pageTitle) / 2, 0, m_pageTitle);
}

void Catalog::writePageFooterAndFolder(Canvas& canvas, int width, int height)
{
    auto& s = m_state;
    const std::string folder = "File Folder: " + s.FolderPath;
    s.PosX = toSingle(width / 2 - canvas.textWidth(folder) / 2);
    s.PosY = toSingle(canvas.textHeight("H"));
    canvas.textOut(roundPixel(s.PosX), roundPixel(s.PosY), folder);
    s.PosX = toSingle(s.MarginX);
    s.PosY = toSingle(height - 1.2 * canvas.textHeight("H"));
    canvas.textOut(roundPixel(s.PosX), roundPixel(s.PosY), s.PrintDate);
}

void Catalog::writePageNumber(Canvas& canvas, int width, int height)
{
    auto& s = m_state;
    const std::string text = "Page " + std::to_string(s.PageNo) + " of " + std::to_string(s.PageCount) + " Pages";
    s.PosX = toSingle(width - canvas.textWidth(text + "XX"));
    s.PosY = toSingle(height - 1.2 * canvas.textHeight("H"));
    canvas.textOut(roundPixel(s.PosX), roundPixel(s.PosY), text);
}

bool Catalog::startPrintJob(Canvas& canvas, int width, int height)
{
    m_pageTitle = m_host.askPageTitle();
    if (m_printer && !m_printer->beginDoc())
        return false;
    m_state.PrintDate = m_host.dateTimeText();
    writePageTitle(canvas, width);
    writePageFooterAndFolder(canvas, width, height);
    writePageNumber(canvas, width, height);
    return true;
}

void Catalog::startNewPrintPage(Canvas& canvas, int width, int height)
{
    if (m_printer)
        m_printer->newPage();
    writePageTitle(canvas, width);
    m_state.PageComplete = false;
    writePageFooterAndFolder(canvas, width, height);
    ++m_state.PageNo;
    writePageNumber(canvas, width, height);
}

} // namespace orlika
