// SPDX-License-Identifier: MIT
#include "render/Surfaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>

namespace orlika {

namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;

} // namespace

std::string pdfFileProblem(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        return "it is a folder";
    if (!info.absoluteDir().exists())
        return "the folder " + info.absolutePath().toStdString() + " does not exist";
    // Opened the way the PDF writer opens it, the file system gives its own reason.
    QFile probe(fileName);
    const bool existed = probe.exists();
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return probe.errorString().toLower().toStdString();
    probe.close();
    if (!existed)
        probe.remove();
    return "the file could not be written";
}

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
}

PagedPrinter::PagedPrinter(QPagedPaintDevice& device, std::string target, QString pdfFile)
    : m_device(device), m_target(std::move(target)), m_pdfFile(std::move(pdfFile)), m_canvas(device)
{
}

void PagedPrinter::setTarget(std::string target, QString pdfFile)
{
    m_target = std::move(target);
    m_pdfFile = std::move(pdfFile);
}

int PagedPrinter::pageWidth() const
{
    return m_device.width();
}

int PagedPrinter::pageHeight() const
{
    return m_device.height();
}

bool PagedPrinter::portrait() const
{
    return m_device.pageLayout().orientation() == QPageLayout::Portrait;
}

int PagedPrinter::dpiX() const
{
    return m_device.logicalDpiX();
}

int PagedPrinter::dpiY() const
{
    return m_device.logicalDpiY();
}

bool PagedPrinter::beginDoc()
{
    m_pages = 0;
    if (!m_canvas.begin())
        fail(m_pdfFile.isEmpty() ? "the printer could not start the document" : pdfFileProblem(m_pdfFile));
    m_printing = true;
    m_pages = 1;
    return true;
}

void PagedPrinter::newPage()
{
    if (!m_printing)
        return;
    m_canvas.flush();
    if (!m_device.newPage())
        fail("a new page could not be started");
    ++m_pages;
}

void PagedPrinter::endDoc()
{
    if (!m_printing)
        return;
    m_canvas.end();
    m_printing = false;
}

void PagedPrinter::fail(const std::string& reason)
{
    // Nothing more can go to this document: stop painting before reporting it.
    m_canvas.end();
    m_printing = false;
    throw PrintError("Cannot print to " + m_target + ": " + reason + ".");
}

} // namespace orlika
