// SPDX-License-Identifier: MIT
#include "app/DesignView.h"

#include "catalog/DesignPaths.h"
#include "platform/FileSystem.h"
#include "render/PainterCanvas.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
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

DesignSequence::DesignSequence(std::string folder, std::vector<std::string> entries, std::size_t current, Reader read)
    : m_folder(std::move(folder)), m_entries(std::move(entries)), m_current(current), m_read(std::move(read))
{
}

std::optional<DesignPicture> DesignSequence::step(int direction)
{
    // Designs that cannot be read (gone, damaged, an archive's error) are passed over.
    for (std::size_t next = m_current; direction > 0 ? next + 1 < m_entries.size() : next > 0;) {
        next = direction > 0 ? next + 1 : next - 1;
        PictureReading reading = m_read(m_folder + m_entries[next]);
        if (reading.picture) {
            m_current = next;
            return std::move(reading.picture);
        }
    }
    return std::nullopt;
}

std::string folderShowingDesign(const std::string& path)
{
    const std::optional<ArchiveEntry> entry = archiveEntryOf(path);
    return folderPart(entry ? entry->archive : path);
}

// ---------------------------------------------------------------------------------------

DesignView::DesignView(DesignPicture picture, QWidget* parent) : QDialog(parent), m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("DesignView"));
    setModal(true);
    setSizeGripEnabled(true);

    m_canvas = new DesignCanvas(m_picture, this);

    m_name = new QLabel(this);
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_name->setFont(bold);
    m_name->setObjectName(QStringLiteral("DesignName"));
    m_figures = new QLabel(this);
    m_figures->setObjectName(QStringLiteral("DesignFigures"));
    m_figures->setWordWrap(true);
    // The machine's speed, for the sewing time; it stays as set while the program runs.
    static int stitchesPerMinute = kDefaultStitchesPerMinute;
    m_machineSpeed = new QSpinBox(this);
    m_machineSpeed->setObjectName(QStringLiteral("MachineSpeed"));
    m_machineSpeed->setRange(100, 2000);
    m_machineSpeed->setSingleStep(50);
    m_machineSpeed->setSuffix(QStringLiteral(" stitches a minute"));
    m_machineSpeed->setValue(stitchesPerMinute);
    m_machineSpeed->setToolTip(QStringLiteral("The machine's speed, for the sewing time"));
    // Page Up, Page Down and the digits stay the canvas's unless the box is clicked.
    m_machineSpeed->setFocusPolicy(Qt::ClickFocus);
    connect(m_machineSpeed, &QSpinBox::valueChanged, this, [this](int value) {
        stitchesPerMinute = value;
        showFigures();
    });
    m_showInFolder = new QPushButton(QStringLiteral("Show in &Folder"), this);
    m_showInFolder->setObjectName(QStringLiteral("ShowInFolderButton"));
    m_showInFolder->setToolTip(QStringLiteral("Opens the folder that holds the design"));
    // The canvas keeps the keys (0, 1, +, -, Page Up, Page Down); a click is enough here.
    m_showInFolder->setFocusPolicy(Qt::NoFocus);
    m_showInFolder->setAutoDefault(false);
    connect(m_showInFolder, &QPushButton::clicked, this, &DesignView::ShowInFolderClick);

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
        {QStringLiteral("#"), QStringLiteral("Thread"), QStringLiteral("Code"), QStringLiteral("Stitches"),
         QStringLiteral("Metres")});

    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("Zoom"));
    auto* hint = new QLabel(QStringLiteral("Wheel: zoom. Drag: move. 0: all of it, 1: actual size.\n"
                                           "Page Up, Page Down: the design before, after.\n"
                                           "Esc: back to the page."),
                            this);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_showInFolder);
    folderRow->addStretch(1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_name);
    side->addWidget(m_figures);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel(QStringLiteral("Machine speed:"), this));
    speedRow->addWidget(m_machineSpeed);
    speedRow->addStretch(1);
    side->addLayout(speedRow);
    side->addLayout(folderRow);
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
    showFigures();
    m_canvas->setFocus();
    if (parent)
        resize(parent->window()->size() * 0.9);
}

void DesignView::showFigures()
{
    setWindowTitle(qText(m_picture.name) + QStringLiteral(" \u2014 ORLIKA"));
    m_name->setText(qText(m_picture.name));
    m_figures->setText(QStringLiteral("%1\n%2 (%3)\nStitches: %4\nColour changes: %5\nSewing: %6")
                           .arg(qText(m_picture.format + " \u2014 " + m_picture.folder),
                                qText(sizeInMillimetres(m_picture)), qText(sizeInInches(m_picture)),
                                qText(groupedCount(m_picture.stitches())))
                           .arg(m_picture.colorChanges())
                           .arg(qText(sewingText(m_picture.sewing, m_machineSpeed->value()))) +
                       (m_picture.cutShort.empty() ? QString() : QStringLiteral("\n") + qText(m_picture.cutShort)));
    m_sequence->clear();
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
        row->setText(4, QString::number(block.threadMetres, 'f', 1));
        row->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(1, toQColor(block.color).name());
    }
    for (int column = 0; column < 5; ++column)
        m_sequence->resizeColumnToContents(column);
}

void DesignView::stepTo(int direction)
{
    if (!m_designs)
        return;
    std::optional<DesignPicture> next = m_designs->step(direction);
    if (!next)
        return;  // the run's first or last design stays
    // The canvas draws this very picture: it changes in place and is fitted anew.
    m_picture = std::move(*next);
    showFigures();
    m_canvas->fit();
}

void DesignView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        stepTo(+1);
        break;
    case Qt::Key_PageUp:
        stepTo(-1);
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void DesignView::ShowInFolderClick()
{
    const QString folder =
        QDir::cleanPath(QFileInfo(QString::fromStdString(folderShowingDesign(m_picture.path))).absoluteFilePath());
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesignView::showZoom(double percent)
{
    m_zoomLabel->setText(QStringLiteral("Zoom: %1 % of actual size").arg(percent, 0, 'f', percent < 10 ? 1 : 0));
}

} // namespace orlika
