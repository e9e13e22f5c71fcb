// SPDX-License-Identifier: MIT
// Whether the print server took a document that Qt printed through CUPS.
#pragma once

#include <QString>

namespace orlika {

// Qt hands a finished document to CUPS inside QPainter::end(), on the calling thread, and
// drops the server's answer. libcups keeps the last answer of each thread, so it can be
// read straight after the document ended. Make one just before the document ends: it asks
// the server about the printer, which replaces any older answer kept for this thread.
class CupsAnswer {
public:
    explicit CupsAnswer(const QString& printerName);
    /// After the document ended: empty when the server took the job, else the server's
    /// reason.
    QString refusal() const;

private:
    QString m_printerName;
};

} // namespace orlika
