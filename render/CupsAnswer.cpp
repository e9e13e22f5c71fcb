// SPDX-License-Identifier: MIT
#include "render/CupsAnswer.h"

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
    QString reason = QString::fromUtf8(cupsLastErrorString());
    // It becomes part of a sentence of ours, which has its own full stop.
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

} // namespace orlika
