// SPDX-License-Identifier: MIT
// The desktop program's printer service: the printer chosen in Print Setup, or a PDF file.
#pragma once

#include "render/Surfaces.h"

#include <QPageLayout>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QPainter;
class QPrinter;

namespace orlika {

// The printer service of a catalog run or a listing. Where no printer is installed the
// document goes to a PDF file, named when the document begins, so a run that finds no
// files asks nothing; the file takes its name only when all of it is written. A document
// for a printer goes to the print server when it ends; the server may refuse it.
class PrintJob : public PaintedPrinter {
public:
    /// `choosePdfFile` names the PDF file; it returns an empty name when the user declines.
    PrintJob(QPrinter& printer, std::function<QString()> choosePdfFile);
    int pageWidth() const override { return m_paged.pageWidth(); }
    int pageHeight() const override { return m_paged.pageHeight(); }
    bool portrait() const override { return m_paged.portrait(); }
    int dpiX() const override { return m_paged.dpiX(); }
    int dpiY() const override { return m_paged.dpiY(); }
    bool beginDoc() override;
    void newPage() override { m_paged.newPage(); }
    void endDoc() override;
    bool printing() const override { return m_paged.printing(); }
    Canvas& canvas() override { return m_paged.canvas(); }
    QPainter& painter() override { return m_paged.painter(); }
    QPageLayout pageLayout() const override { return m_paged.pageLayout(); }
    int pagesPrinted() const override { return m_paged.pagesPrinted(); }
    /// Designs are drawn as thread from now on, on paper and in the PDF file alike.
    void setRealistic(bool on) { m_paged.setRealistic(on); }

private:
    std::string printerName() const;

    QPrinter& m_printer;
    // Declared before the printer service, whose canvas may paint on its writer.
    std::optional<PdfFile> m_pdf;
    PagedPrinter m_paged;
    std::function<QString()> m_choosePdfFile;
};

} // namespace orlika
