// SPDX-License-Identifier: MIT
#include "app/DesignView.h"

#include "render/PainterCanvas.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace orlika {

namespace {

constexpr double kFitMargin = 0.92;  // of the canvas the fitted design fills
constexpr double kWheelStep = 1.25;  // zoom for one notch of the wheel
constexpr double kLeastZoom = 0.05;  // pixels a millimetre
constexpr double kMostZoom = 400;
constexpr int kSequenceWidth = 330;

QString qText(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QPixmap chip(Color color)
{
    QPixmap pixmap(28, 14);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

} // namespace

DesignCanvas::DesignCanvas(const DesignPicture& picture, QWidget* parent) : QWidget(parent), m_picture(picture)
{
    setObjectName(QStringLiteral("DesignCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
    setMinimumSize(200, 200);
    m_centre = picture.centre();
}

double DesignCanvas::actualSize() const
{
    return logicalDpiX() / 25.4;
}

void DesignCanvas::fit()
{
    const double width = std::max(m_picture.widthMm(), 1.0);
    const double height = std::max(m_picture.heightMm(), 1.0);
    m_zoom = std::clamp(std::min(this->width() / width, this->height() / height) * kFitMargin, kLeastZoom, kMostZoom);
    m_centre = m_picture.centre();
    m_fitted = true;
    emit zoomChanged(m_zoom / actualSize() * 100);
    update();
}

void DesignCanvas::zoomAbout(double factor, QPointF at)
{
    const double zoom = std::clamp(m_zoom * factor, kLeastZoom, kMostZoom);
    const QPointF middle(width() / 2.0, height() / 2.0);
    // The design's point under the pointer stays under it.
    const QPointF under = m_centre + (at - middle) / m_zoom;
    m_centre = under - (at - middle) / zoom;
    m_zoom = zoom;
    m_fitted = false;
    emit zoomChanged(m_zoom / actualSize() * 100);
    update();
}

void DesignCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(m_zoom, m_zoom);
    painter.translate(-m_centre);
    // A stitch as wide as a thread, but never thinner than a pixel.
    paintDesign(painter, m_picture, std::max(kStitchWidthMm, 1.0 / m_zoom), Backdrop::Paper);
}

void DesignCanvas::resizeEvent(QResizeEvent*)
{
    if (m_fitted)
        fit();
}

void DesignCanvas::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        zoomAbout(std::pow(kWheelStep, notches), event->position());
    event->accept();
}

void DesignCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_centre -= (event->position() - m_dragFrom) / m_zoom;
    m_dragFrom = event->position();
    m_fitted = false;
    update();
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent*)
{
    fit();
}

void DesignCanvas::keyPressEvent(QKeyEvent* event)
{
    const QPointF middle(width() / 2.0, height() / 2.0);
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(kWheelStep, middle);
        break;
    case Qt::Key_Minus:
        zoomAbout(1 / kWheelStep, middle);
        break;
    case Qt::Key_0:
        fit();
        break;
    case Qt::Key_1:
        zoomAbout(actualSize() / m_zoom, middle);
        break;
    default:
        // Esc and the rest go to the view.
        QWidget::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------------------------------

DesignView::DesignView(DesignPicture picture, QWidget* parent) : QDialog(parent), m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("DesignView"));
    setWindowTitle(qText(m_picture.name) + QStringLiteral(" \u2014 ORLIKA"));
    setModal(true);
    setSizeGripEnabled(true);

    m_canvas = new DesignCanvas(m_picture, this);

    auto* name = new QLabel(qText(m_picture.name), this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    name->setObjectName(QStringLiteral("DesignName"));
    auto* figures = new QLabel(QStringLiteral("%1\n%2 (%3)\nStitches: %4\nColour changes: %5")
                                   .arg(qText(m_picture.format + " \u2014 " + m_picture.folder),
                                        qText(sizeInMillimetres(m_picture)), qText(sizeInInches(m_picture)),
                                        qText(groupedCount(m_picture.stitches())))
                                   .arg(m_picture.colorChanges()),
                               this);
    figures->setObjectName(QStringLiteral("DesignFigures"));
    figures->setWordWrap(true);

    auto* heading = new QLabel(QStringLiteral("Colour sequence, in stitching order"), this);
    heading->setFont(bold);
    heading->setWordWrap(true);
    m_sequence = new QTreeWidget(this);
    m_sequence->setObjectName(QStringLiteral("ColourSequence"));
    m_sequence->setRootIsDecorated(false);
    m_sequence->setSelectionMode(QAbstractItemView::NoSelection);
    m_sequence->setFocusPolicy(Qt::NoFocus);
    m_sequence->setIconSize(QSize(28, 14));
    m_sequence->setHeaderLabels(
        {QStringLiteral("#"), QStringLiteral("Thread"), QStringLiteral("Code"), QStringLiteral("Stitches")});
    const QString none = QStringLiteral("\u2014");
    for (std::size_t i = 0; i < m_picture.blocks.size(); ++i) {
        const ColorBlock& block = m_picture.blocks[i];
        auto* row = new QTreeWidgetItem(m_sequence);
        row->setText(0, QString::number(i + 1));
        row->setIcon(1, chip(block.color));
        row->setText(1, block.threadName.empty() ? none : qText(block.threadName));
        row->setText(2, block.threadCode.empty() ? none : qText(block.threadCode));
        row->setText(3, qText(groupedCount(block.stitches)));
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(1, toQColor(block.color).name());
    }
    for (int column = 0; column < 4; ++column)
        m_sequence->resizeColumnToContents(column);

    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("Zoom"));
    auto* hint = new QLabel(QStringLiteral("Wheel: zoom. Drag: move. 0: all of it, 1: actual size.\n"
                                           "Esc: back to the page."),
                            this);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto* side = new QVBoxLayout;
    side->addWidget(name);
    side->addWidget(figures);
    side->addSpacing(8);
    side->addWidget(heading);
    side->addWidget(m_sequence, 1);
    side->addWidget(m_zoomLabel);
    side->addWidget(hint);
    auto* sidePanel = new QWidget(this);
    sidePanel->setLayout(side);
    sidePanel->setFixedWidth(kSequenceWidth);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);
    layout->addWidget(m_canvas, 1);
    layout->addWidget(sidePanel);

    connect(m_canvas, &DesignCanvas::zoomChanged, this, &DesignView::showZoom);
    m_canvas->setFocus();
    if (parent)
        resize(parent->window()->size() * 0.9);
}

void DesignView::showZoom(double percent)
{
    m_zoomLabel->setText(QStringLiteral("Zoom: %1 % of actual size").arg(percent, 0, 'f', percent < 10 ? 1 : 0));
}

} // namespace orlika
