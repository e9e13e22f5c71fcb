// SPDX-License-Identifier: MIT
// The surfaces runs draw on: a page image for the screen and paged devices for printing.
#pragma once

#include "platform/Host.h"
#include "render/PainterCanvas.h"

#include <QImage>
#include <QString>
#include <memory>
#include <string>

class QPagedPaintDevice;

namespace orlika {

// A white page image with a canvas on it, at 96 dots per inch.
class ImagePage {
public:
    ImagePage(int width, int height);
    QImage& image() { return m_image; }
    PainterCanvas& canvas() { return *m_canvas; }
    /// Makes everything drawn so far visible in the image.
    void flush() { m_canvas->flush(); }
    /// Sets a new size, starting again from a white page; the canvas stays the same.
    void resize(int width, int height);

private:
    QImage m_image;
    std::unique_ptr<PainterCanvas> m_canvas;
};

/// Why a PDF file cannot be written, in words for the user.
std::string pdfFileProblem(const QString& fileName);

// The printer service over a Qt paged device (QPrinter or QPdfWriter). The target names
// the printer or file in error messages; a PDF file is also checked for the reason when
// the document cannot begin.
class PagedPrinter : public Printer {
public:
    explicit PagedPrinter(QPagedPaintDevice& device, std::string target = "the printer", QString pdfFile = {});
    void setTarget(std::string target, QString pdfFile = {});
    int pageWidth() const override;
    int pageHeight() const override;
    bool portrait() const override;
    int dpiX() const override;
    int dpiY() const override;
    bool beginDoc() override;
    void newPage() override;
    void endDoc() override;
    bool printing() const override { return m_printing; }
    Canvas& canvas() override { return m_canvas; }
    int pagesPrinted() const { return m_pages; }

private:
    [[noreturn]] void fail(const std::string& reason);

    QPagedPaintDevice& m_device;
    std::string m_target;
    QString m_pdfFile;
    PainterCanvas m_canvas;
    bool m_printing = false;
    int m_pages = 0;
};

} // namespace orlika
