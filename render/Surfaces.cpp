// SPDX-License-Identifier: MIT
#include "render/Surfaces.h"

#include <QPageLayout>
#include <QPagedPaintDevice>

namespace orlika {

namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;

} // namespace

ImagePage::ImagePage(int width, int height)
{
    resize(width, height);
}

void ImagePage::resize(int width, int height)
{
    m_canvas.reset();
    m_image = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    m_image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    m_image.fill(Qt::white);
    m_canvas = std::make_unique<PainterCanvas>(m_image);
    m_canvas->begin();
}

PagedPrinter::PagedPrinter(QPagedPaintDevice& device) : m_device(device), m_canvas(device) {}

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

void PagedPrinter::beginDoc()
{
    m_printing = m_canvas.begin();
    m_pages = m_printing ? 1 : 0;
}

void PagedPrinter::newPage()
{
    if (!m_printing)
        return;
    m_canvas.flush();
    m_device.newPage();
    ++m_pages;
}

void PagedPrinter::endDoc()
{
    if (!m_printing)
        return;
    m_canvas.end();
    m_printing = false;
}

} // namespace orlika
