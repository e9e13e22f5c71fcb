// SPDX-License-Identifier: MIT
#include "render/PrintJob.h"

#include "render/CupsAnswer.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace orlika {

PrintJob::PrintJob(QPrinter& printer, std::function<QString()> choosePdfFile)
    : m_printer(printer), m_paged(printer), m_choosePdfFile(std::move(choosePdfFile))
{
}

bool PrintJob::beginDoc()
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        const QString name = m_choosePdfFile();
        if (name.isEmpty())
            return false;
        m_pdf.emplace(name);
        m_paged.printTo(*m_pdf);
    } else {
        m_paged.setTarget(printerName());
    }
    return m_paged.beginDoc();
}

void PrintJob::endDoc()
{
    if (!m_paged.printing())
        return;
    if (m_pdf) {
        m_paged.endDoc();
        if (const std::string problem = m_pdf->commit(); !problem.empty())
            throw PrintError("Cannot print to " + m_pdf->fileName().toStdString() + ": " + problem + ".");
        return;
    }
    if (m_printer.outputFormat() != QPrinter::NativeFormat) {
        m_paged.endDoc();
        return;
    }
    const CupsAnswer answer(m_printer.printerName());
    m_paged.endDoc();
    const QString refusal = answer.refusal();
    if (!refusal.isEmpty())
        throw PrintError("Cannot print to " + printerName() + ": " + refusal.toStdString() + ".");
}

std::string PrintJob::printerName() const
{
    if (!m_printer.outputFileName().isEmpty())
        return m_printer.outputFileName().toStdString();
    return "the printer " + m_printer.printerName().toStdString();
}

} // namespace orlika
