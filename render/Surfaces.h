// SPDX-License-Identifier: MIT
// The surfaces runs draw on: a page image for the screen and paged devices for printing.
#pragma once

#include "platform/Host.h"
#include "render/PainterCanvas.h"
#include "render/PngEncoder.h"

#include <QImage>
#include <QPageLayout>
#include <QSaveFile>
#include <QString>
#include <memory>
#include <string>

class QPagedPaintDevice;
class QPdfWriter;

namespace orlika {

class PdfLineSplicer;
class PdfPageLines;

// A white page image with a canvas on it, at 96 dots per inch.
class ImagePage {
public:
    ImagePage(int width, int height);
    QImage& image() { return m_image; }
    PainterCanvas& canvas() { return *m_canvas; }
    /// Makes everything drawn so far visible in the image.
    void flush() { m_canvas->flush(); }
    /// Makes everything drawn so far visible and hands out a rectangle holding every pixel
    /// that changed since the last call (all of them after a new size or picture): what a
    /// window showing the page must paint again.
    QRect takeChanged();
    /// Sets a new size, starting again from a white page; the canvas stays the same.
    void resize(int width, int height);
    /// The page's picture with its labels, to show again.
    struct Picture {
        QImage image;
        std::vector<PainterCanvas::UnderLabel> labels;
    };
    Picture picture();
    /// Hands the picture over, leaving the page empty; for a page that is done.
    Picture takePicture();
    /// Shows a picture in place of the page's and returns the one it replaced; the canvas
    /// stays the same and goes on drawing on the new one.
    Picture swapPicture(Picture picture);

private:
    QImage m_image;
    std::unique_ptr<PainterCanvas> m_canvas;
    QRect m_replaced;  // the image's rectangle, after a new size or picture
};

// A file written under a temporary name beside its target, which it takes only when all
// of it is written. Unlike QSaveFile alone it sees every failed write: one the system
// cut short (a full disk) as well as a failure of the last flush.
class CheckedSaveFile : public QSaveFile {
public:
    using QSaveFile::QSaveFile;
    /// Starts the temporary file; the reason in words when it cannot be, or empty.
    std::string openForWriting();
    /// Why writing failed so far, or empty; nothing more is written after a failure.
    const std::string& problem() const { return m_problem; }
    /// Puts the file in place; the reason in words when it could not be written (it is
    /// then discarded), or empty.
    std::string commitChecked();

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    void noteWriteFailure();

    std::string m_problem;
};

/// Writes an image as a PNG file that takes its name only when all of it is written; the
/// reason in words when it cannot be, or empty.
std::string savePng(const QImage& image, const QString& fileName, PngContent content = PngContent::Page);

// Who writes a printed page's lines into a PDF file of ours.
enum class PageLinesBy {
    Orlika,  // written and compressed by us (PdfLines.h), several times faster
    Qt,      // Qt's PDF engine alone, as printers get them
};

/// Orlika, or Qt when the environment has ORLIKA_PDF_LINES=qt (to compare the two).
PageLinesBy pageLinesFromEnvironment();

// A PDF document whose file takes its name only when all of it is written: a document
// that fails (a full disk, a run that ends in an error) leaves no partial file and an
// older file of that name untouched.
class PdfFile {
public:
    explicit PdfFile(const QString& fileName, PageLinesBy linesBy = pageLinesFromEnvironment());
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    QString fileName() const { return m_file.fileName(); }
    /// The paged device that writes the document; lay it out before the document begins.
    QPdfWriter& writer() { return *m_writer; }
    /// Where a canvas on the writer puts its lines; null when Qt writes them.
    PdfPageLines* lines() { return m_lines.get(); }
    /// Starts the temporary file; the reason in words when it cannot be, or empty.
    std::string open();
    /// Why the document could not be written so far, or empty.
    std::string problem() const;
    /// After the document ended: puts it in place; the reason in words when it could not
    /// be written, or empty.
    std::string commit();

private:
    CheckedSaveFile m_file;
    std::unique_ptr<PdfPageLines> m_lines;
    std::unique_ptr<PdfLineSplicer> m_splicer;
    std::unique_ptr<QPdfWriter> m_writer;
};

// A printer whose pages Qt paints: what is not the catalog's (the design sheets) is
// painted on them with the painter, on paper laid out as the device's.
class PaintedPrinter : public Printer {
public:
    /// The painter of the document's pages, while a document is printing.
    virtual QPainter& painter() = 0;
    /// The paper, its orientation and margins of the device printed on.
    virtual QPageLayout pageLayout() const = 0;
    /// Pages printed so far.
    virtual int pagesPrinted() const = 0;
};

// The printer service over a Qt paged device (QPrinter or QPdfWriter). The target names
// the printer or file in error messages. Pages that go to a PdfFile fail the job as soon
// as the file cannot be written; its owner puts the file in place after the job. On a
// PdfFile the canvas writes the lines itself (PdfLines.h); a printer gets Qt's own.
class PagedPrinter : public PaintedPrinter {
public:
    explicit PagedPrinter(QPagedPaintDevice& device, std::string target = "the printer");
    /// Prints to a PDF file with the layout of its writer.
    explicit PagedPrinter(PdfFile& file);
    void setTarget(std::string target);
    /// Designs are drawn as thread from now on (PainterCanvas::setRealistic).
    void setRealistic(bool on) { m_canvas.setRealistic(on); }
    /// Prints to a PDF file from now on, laid out as the device's pages were.
    void printTo(PdfFile& file);
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
    QPainter& painter() override { return m_canvas.painter(); }
    QPageLayout pageLayout() const override;
    int pagesPrinted() const override { return m_pages; }

private:
    [[noreturn]] void fail(const std::string& reason);
    void failOnWriteProblem();

    QPagedPaintDevice* m_device;
    std::string m_target;
    PdfFile* m_file = nullptr;
    PainterCanvas m_canvas;
    bool m_printing = false;
    int m_pages = 0;
};

} // namespace orlika
