// SPDX-License-Identifier: MIT
#include "app/CupsAnswer.h"

#include <cups/cups.h>

namespace orlika {

CupsAnswer::CupsAnswer(const QString& printerName) : m_printerName(printerName)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, m_printerName.toLocal8Bit().constData(), nullptr);
    cupsFreeDests(dest ? 1 : 0, dest);
}

QString CupsAnswer::refusal() const
{
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return {};
    return QStringLiteral("The printer %1 did not take the print job: %2")
        .arg(m_printerName, QString::fromUtf8(cupsLastErrorString()));
}

} // namespace orlika
