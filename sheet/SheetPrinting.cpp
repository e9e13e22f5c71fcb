// SPDX-License-Identifier: MIT
#include "sheet/SheetPrinting.h"

#include "render/Surfaces.h"
#include "sheet/DesignSheet.h"

#include <QFileInfo>

namespace orlika {

SheetPrinting::SheetPrinting(const std::string& folder, const std::vector<std::string>& names, Host& host)
    : m_host(host)
{
    m_host.setWaiting(true);
    std::string unread;
    for (const std::string& name : names) {
        PictureReading reading = readDesignPicture(folder + name);
        if (reading.picture)
            m_pictures.push_back(std::move(*reading.picture));
        else
            unread += "\n" + name + ": " + reading.problem;
    }
    m_host.setWaiting(false);
    if (!unread.empty())
        m_host.messageBox(MessageRequest{(m_pictures.empty() ? "No sheet is printed; no design could be read:"
                                                             : "These designs could not be read; their sheets are "
                                                               "not printed:") +
                                             unread,
                                         "ORLIKA Design Sheet", MessageIcon::Warning, MessageButtons::Ok,
                                         MessageAnswer::Ok});
}

QString SheetPrinting::proposedPdfName() const
{
    return m_pictures.size() == 1
               ? QFileInfo(QString::fromStdString(m_pictures.front().name)).completeBaseName() + QStringLiteral("-sheet.pdf")
               : QStringLiteral("design-sheets.pdf");
}

int SheetPrinting::print(PaintedPrinter& printer, PictureLook look)
{
    std::string failure;
    try {
        if (printer.beginDoc()) {
            m_host.setWaiting(true);
            printDesignSheets(printer, printer.painter(), printer.pageLayout(), m_pictures, look);
            printer.endDoc();
            m_host.setStatus(" FINISHED PRINTING", StatusTone::RunEnd);
        } else {
            m_host.setStatus(" NOTHING PRINTED");
        }
    } catch (const PrintError& error) {
        failure = error.what();
    }
    m_host.setWaiting(false);
    const int pages = printer.pagesPrinted();
    if (!failure.empty()) {
        m_host.setStatus(" PRINTING FAILED");
        m_host.showError(failure);
    }
    return pages;
}

} // namespace orlika
