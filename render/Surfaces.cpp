// SPDX-License-Identifier: MIT
#include "render/Surfaces.h"

#include "render/PdfSplicer.h"
#include "render/PngEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace orlika {

namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;

std::string lowerCase(const QString& text)
{
    return text.toLower().toStdString();
}

// Why a file cannot be opened for writing, in words for the user; `file` is the one that
// failed to open.
std::string openProblem(const QString& fileName, const QFileDevice& file)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        return "it is a folder";
    if (!info.absoluteDir().exists())
        return "the folder " + info.absolutePath().toStdString() + " does not exist";
    // Opened in place, the file system gives its own reason for a file it protects.
    QFile probe(fileName);
    const bool existed = probe.exists();
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return lowerCase(probe.errorString());
    probe.close();
    if (!existed)
        probe.remove();
    return file.error() == QFileDevice::NoError ? "the file could not be written" : lowerCase(file.errorString());
}

} // namespace

std::string CheckedSaveFile::openForWriting()
{
    if (isOpen())
        return {};
    m_problem.clear();
    if (!open(QIODevice::WriteOnly))
        m_problem = openProblem(fileName(), *this);
    return m_problem;
}

qint64 CheckedSaveFile::writeData(const char* data, qint64 length)
{
    if (!m_problem.empty())
        return -1;
    errno = 0;
    const qint64 written = QSaveFile::writeData(data, length);
    if (written != length)
        noteWriteFailure();
    return m_problem.empty() ? written : -1;
}

void CheckedSaveFile::noteWriteFailure()
{
    // Where the system wrote part of a block and refused the rest, Qt reports no reason
    // or none at all; the system's own is still in errno.
    if (const int reason = errno; reason != 0)
        m_problem = lowerCase(QString::fromLocal8Bit(std::strerror(reason)));
    else
        m_problem = "not all of it could be written";
}

std::string CheckedSaveFile::commitChecked()
{
    if (!isOpen())
        return m_problem.empty() ? "the file was not written" : m_problem;
    // commit() would miss a failure of the last flush, which it makes itself.
    errno = 0;
    if (m_problem.empty() && !flush())
        noteWriteFailure();
    if (m_problem.empty() && !commit())
        m_problem = error() == QFileDevice::NoError ? "the file could not be put in place" : lowerCase(errorString());
    if (!m_problem.empty())
        cancelWriting();
    return m_problem;
}

std::string savePng(const QImage& image, const QString& fileName, PngContent content)
{
    if (image.isNull())
        return "the image could not be encoded";
    CheckedSaveFile file(fileName);
    if (std::string problem = file.openForWriting(); !problem.empty())
        return problem;
    const char* writer = std::getenv("ORLIKA_PNG_PAGES");
    if (writer && std::string_view(writer) == "qt") {
        // ORLIKA_PNG_PAGES=qt writes with Qt's writer, for comparison.
        if (!image.save(&file, "PNG") && file.problem().empty()) {
            file.cancelWriting();
            return "the image could not be encoded";
        }
        return file.commitChecked();
    }
    const std::vector<std::uint8_t> png = encodePng(image, content);
    file.write(reinterpret_cast<const char*>(png.data()), qint64(png.size()));
    return file.commitChecked();
}

PageLinesBy pageLinesFromEnvironment()
{
    const char* by = std::getenv("ORLIKA_PDF_LINES");
    return by && std::string_view(by) == "qt" ? PageLinesBy::Qt : PageLinesBy::Orlika;
}

PdfFile::PdfFile(const QString& fileName, PageLinesBy linesBy) : m_file(fileName)
{
    if (linesBy == PageLinesBy::Orlika) {
        m_lines = std::make_unique<PdfPageLines>();
        m_splicer = std::make_unique<PdfLineSplicer>(m_file, *m_lines);
        m_writer = std::make_unique<QPdfWriter>(m_splicer.get());
    } else {
        m_writer = std::make_unique<QPdfWriter>(&m_file);
    }
    m_writer->setCreator(QStringLiteral("ORLIKA"));
}

std::string PdfFile::open()
{
    if (std::string problem = m_file.openForWriting(); !problem.empty())
        return problem;
    if (m_splicer && !m_splicer->isOpen())
        m_splicer->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return {};
}

std::string PdfFile::problem() const
{
    // The file's own reason (a full disk) says more than that it could not be written.
    if (!m_file.problem().empty() || !m_splicer)
        return m_file.problem();
    return m_splicer->problem();
}

std::string PdfFile::commit()
{
    if (m_splicer && m_file.isOpen() && m_file.problem().empty()) {
        // A write that failed on the way gives the file's own reason below.
        if (std::string problem = m_splicer->finish(); !problem.empty() && m_file.problem().empty()) {
            m_file.cancelWriting();
            m_file.commit();  // discards the temporary file
            return problem;
        }
    }
    return m_file.commitChecked();
}

PdfFile::~PdfFile() = default;

ImagePage::ImagePage(int width, int height)
{
    resize(width, height);
}

void ImagePage::resize(int width, int height)
{
    // The canvas stays the same object (a run holds it) and paints on the new image.
    if (m_canvas)
        m_canvas->end();
    m_image = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    m_image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    m_image.fill(Qt::white);
    if (!m_canvas)
        m_canvas = std::make_unique<PainterCanvas>(m_image);
    m_canvas->forgetLabels();
    m_canvas->begin();
    m_replaced = m_image.rect();
}

QRect ImagePage::takeChanged()
{
    flush();
    return std::exchange(m_replaced, QRect()) | m_canvas->takeDrawn();
}

ImagePage::Picture ImagePage::picture()
{
    flush();
    return {m_image.copy(), m_canvas->labels()};
}

ImagePage::Picture ImagePage::takePicture()
{
    m_canvas->end();
    Picture picture{std::move(m_image), m_canvas->labels()};
    m_canvas->forgetLabels();
    return picture;
}

ImagePage::Picture ImagePage::swapPicture(Picture picture)
{
    m_canvas->end();
    Picture replaced{std::move(m_image), m_canvas->labels()};
    m_image = std::move(picture.image);
    m_canvas->setLabels(std::move(picture.labels));
    m_canvas->begin();
    m_replaced = m_image.rect();
    return replaced;
}

PagedPrinter::PagedPrinter(QPagedPaintDevice& device, std::string target)
    : m_device(&device), m_target(std::move(target)), m_canvas(device)
{
}

PagedPrinter::PagedPrinter(PdfFile& file) : PagedPrinter(file.writer(), file.fileName().toStdString())
{
    m_file = &file;
    m_canvas.setPdfLines(file.lines());
}

void PagedPrinter::setTarget(std::string target)
{
    m_target = std::move(target);
}

void PagedPrinter::printTo(PdfFile& file)
{
    QPdfWriter& writer = file.writer();
    writer.setPageLayout(m_device->pageLayout());
    writer.setResolution(m_device->logicalDpiX());
    m_device = &writer;
    m_canvas.setDevice(writer);
    m_canvas.setPdfLines(file.lines());
    m_file = &file;
    m_target = file.fileName().toStdString();
}

int PagedPrinter::pageWidth() const
{
    return m_device->width();
}

int PagedPrinter::pageHeight() const
{
    return m_device->height();
}

QPageLayout PagedPrinter::pageLayout() const
{
    return m_device->pageLayout();
}

bool PagedPrinter::portrait() const
{
    return m_device->pageLayout().orientation() == QPageLayout::Portrait;
}

int PagedPrinter::dpiX() const
{
    return m_device->logicalDpiX();
}

int PagedPrinter::dpiY() const
{
    return m_device->logicalDpiY();
}

bool PagedPrinter::beginDoc()
{
    m_pages = 0;
    if (m_file)
        if (const std::string problem = m_file->open(); !problem.empty())
            fail(problem);
    if (!m_canvas.begin())
        fail(m_file ? "the document could not be started" : "the printer could not start the document");
    m_printing = true;
    m_pages = 1;
    return true;
}

void PagedPrinter::newPage()
{
    if (!m_printing)
        return;
    m_canvas.flush();
    if (!m_device->newPage())
        fail("a new page could not be started");
    // The page just ended went to the file (or, where our lines are compressed on another
    // thread, the one before it): stop as soon as the disk is full.
    failOnWriteProblem();
    ++m_pages;
}

void PagedPrinter::endDoc()
{
    if (!m_printing)
        return;
    const bool ended = m_canvas.end();
    m_printing = false;
    if (m_file && !ended)
        fail("the document could not be finished");
    failOnWriteProblem();
}

void PagedPrinter::failOnWriteProblem()
{
    if (!m_file)
        return;
    if (const std::string problem = m_file->problem(); !problem.empty())
        fail(problem);
}

void PagedPrinter::fail(const std::string& reason)
{
    // Nothing more can go to this document: stop painting before reporting it.
    m_canvas.end();
    m_printing = false;
    throw PrintError("Cannot print to " + m_target + ": " + reason + ".");
}

} // namespace orlika
