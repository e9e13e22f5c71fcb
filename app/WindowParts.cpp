// SPDX-License-Identifier: MIT
#include "app/WindowParts.h"

#include "app/Orlika.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QWheelEvent>

namespace orlika {

PageSurface::PageSurface(TForm1& form, QWidget* parent) : QWidget(parent), m_form(form)
{
    setObjectName(QStringLiteral("Page"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PageSurface::paintEvent(QPaintEvent* event)
{
    // The page is kept in an image, so a covered or restored window shows it again. Only
    // the area asked for is painted: while a run draws, that is what it drew last.
    ImagePage& page = m_form.page();
    page.flush();
    QPainter painter(this);
    const QRect area = event->rect();
    const QRect onImage = area & page.image().rect();
    // White where the window is larger than the page.
    if (onImage != area)
        painter.fillRect(area, Qt::white);
    if (!onImage.isEmpty())
        painter.drawImage(onImage.topLeft(), page.image(), onImage);
}

void PageSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_form.FormMouseUp(event->button(), at.x(), at.y());
}

void PageSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_form.FormDoubleClick(event->button(), at.x(), at.y());
}

void PageSurface::wheelEvent(QWheelEvent* event)
{
    // A notch is 120 eighths of a degree; a fine wheel or a touchpad sends less at a time.
    constexpr int kNotch = 120;
    m_wheelTurned += event->angleDelta().y();
    const int notches = m_wheelTurned / kNotch;
    m_wheelTurned -= notches * kNotch;
    if (notches != 0)
        m_form.FormWheel(notches);
    event->accept();
}

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(palette);
    setFixedHeight(kHeight);
    Caption = new QLabel(this);
    Caption->setObjectName(QStringLiteral("Panel1Caption"));
    Caption->setAlignment(Qt::AlignCenter);
}

void StatusPanel::resizeEvent(QResizeEvent*)
{
    Caption->setGeometry(rect());
    if (m_onResize)
        m_onResize();
}

} // namespace orlika
