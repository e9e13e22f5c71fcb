// SPDX-License-Identifier: MIT
#include "app/DesignView.h"

#include "catalog/DesignPaths.h"
#include "platform/FileSystem.h"
#include "render/PainterCanvas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orlika {

namespace {

constexpr int kSequenceWidth = 330;
constexpr int kSewingTickMs = 30;  // a frame of the sew-out
// Times the machine's speed the sew-out can go.
constexpr int kSewingSpeeds[] = {1, 2, 5, 10, 20, 50, 100};

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

PictureReading readDesignForView(const std::string& path, FileSystem& files)
{
    PictureReading reading = readDesignPicture(path, files);
    if (reading.picture && isArchiveEntry(path)) {
        reading.picture->name = designDisplayName(path);
        reading.picture->folder = folderShowingDesign(path);
    }
    return reading;
}

// ---------------------------------------------------------------------------------------

const std::vector<std::pair<QString, Color>>& DesignView::fabrics()
{
    static const std::vector<std::pair<QString, Color>> swatches = {
        {QStringLiteral("White"), White},
        {QStringLiteral("Cream"), rgb(243, 234, 214)},
        {QStringLiteral("Grey"), rgb(140, 140, 140)},
        {QStringLiteral("Navy"), rgb(27, 42, 74)},
        {QStringLiteral("Black"), Black},
    };
    return swatches;
}

DesignView::DesignView(DesignPicture picture, QWidget* parent)
    : QDialog(parent), m_picture(std::move(picture)), m_sewOut(m_picture)
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
        if (m_slider)
            showSewing();
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
                                           "R: realistic look. Space: sew it out, or pause.\n"
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
    side->addWidget(makeLookRow());
    side->addSpacing(8);
    side->addWidget(heading);
    side->addWidget(m_sequence, 1);
    side->addWidget(m_zoomLabel);
    side->addWidget(hint);
    auto* sidePanel = new QWidget(this);
    sidePanel->setLayout(side);
    sidePanel->setFixedWidth(kSequenceWidth);

    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_canvas, 1);
    left->addWidget(makeSewingBar());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);
    layout->addLayout(left, 1);
    layout->addWidget(sidePanel);

    connect(m_canvas, &DesignCanvas::zoomChanged, this, &DesignView::showZoom);
    m_sewTimer.setInterval(kSewingTickMs);
    connect(&m_sewTimer, &QTimer::timeout, this, &DesignView::sewingTick);
    showFigures();
    resetSewing();
    m_canvas->setFocus();
    if (parent)
        resize(parent->window()->size() * 0.9);
}

void DesignView::showFigures()
{
    m_highlighted = -1;  // the rows are made anew
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
    m_canvas->pictureChanged();
    showFigures();
    resetSewing();
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
    case Qt::Key_Space:
        toggleSewing();
        break;
    case Qt::Key_R:
        m_realistic->toggle();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

QWidget* DesignView::makeLookRow()
{
    m_realistic = new QCheckBox(QStringLiteral("&Realistic look"), this);
    m_realistic->setObjectName(QStringLiteral("RealisticLook"));
    m_realistic->setToolTip(QStringLiteral("Draws each stitch as thread of its width on a fabric (R)"));
    m_realistic->setFocusPolicy(Qt::NoFocus);
    m_fabric = new QComboBox(this);
    m_fabric->setObjectName(QStringLiteral("Fabric"));
    m_fabric->setToolTip(QStringLiteral("The fabric the realistic look draws the design on"));
    m_fabric->setFocusPolicy(Qt::NoFocus);
    for (const auto& [name, color] : fabrics())
        m_fabric->addItem(QIcon(chip(color)), name);
    m_threadWidth = new QDoubleSpinBox(this);
    m_threadWidth->setObjectName(QStringLiteral("ThreadWidth"));
    m_threadWidth->setRange(kThinnestThreadMm, kThickestThreadMm);
    m_threadWidth->setSingleStep(0.05);
    m_threadWidth->setDecimals(2);
    m_threadWidth->setSuffix(QStringLiteral(" mm"));
    m_threadWidth->setValue(kThreadWidthMm);
    m_threadWidth->setToolTip(QStringLiteral("The thread's width in the realistic look"));
    m_threadWidth->setFocusPolicy(Qt::ClickFocus);
    connect(m_realistic, &QCheckBox::toggled, this, &DesignView::applyLook);
    connect(m_fabric, &QComboBox::currentIndexChanged, this, &DesignView::applyLook);
    connect(m_threadWidth, &QDoubleSpinBox::valueChanged, this, &DesignView::applyLook);

    auto* row = new QGridLayout;
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(m_realistic, 0, 0, 1, 4);
    row->addWidget(new QLabel(QStringLiteral("Fabric:"), this), 1, 0);
    row->addWidget(m_fabric, 1, 1);
    row->addWidget(new QLabel(QStringLiteral("Thread:"), this), 1, 2);
    row->addWidget(m_threadWidth, 1, 3);
    row->setColumnStretch(4, 1);
    auto* box = new QWidget(this);
    box->setLayout(row);
    return box;
}

QWidget* DesignView::makeSewingBar()
{
    m_play = new QPushButton(QStringLiteral("Play"), this);
    m_play->setObjectName(QStringLiteral("SewingPlay"));
    m_play->setToolTip(QStringLiteral("Sews the design out stitch by stitch (Space)"));
    m_play->setFocusPolicy(Qt::NoFocus);
    m_play->setAutoDefault(false);
    connect(m_play, &QPushButton::clicked, this, &DesignView::toggleSewing);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("SewingPosition"));
    m_slider->setToolTip(QStringLiteral("Goes to any stitch"));
    // Page Up and Page Down stay the view's.
    m_slider->setFocusPolicy(Qt::NoFocus);
    connect(m_slider, &QSlider::valueChanged, this, &DesignView::goToStitch);
    m_sewnLabel = new QLabel(this);
    m_sewnLabel->setObjectName(QStringLiteral("SewnStitches"));
    m_sewingSpeed = new QComboBox(this);
    m_sewingSpeed->setObjectName(QStringLiteral("SewingSpeed"));
    m_sewingSpeed->setToolTip(QStringLiteral("Times the machine's speed"));
    m_sewingSpeed->setFocusPolicy(Qt::NoFocus);
    for (const int speed : kSewingSpeeds)
        m_sewingSpeed->addItem(QStringLiteral("%1x").arg(speed), speed);
    m_sewingSpeed->setCurrentIndex(3);
    m_pauseAtChanges = new QCheckBox(QStringLiteral("Pause at colour changes"), this);
    m_pauseAtChanges->setObjectName(QStringLiteral("PauseAtChanges"));
    m_pauseAtChanges->setToolTip(QStringLiteral("Stops after each colour's last stitch, where the machine stops"));
    m_pauseAtChanges->setFocusPolicy(Qt::NoFocus);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 4, 8, 0);
    row->addWidget(m_play);
    row->addWidget(m_slider, 1);
    row->addWidget(m_sewnLabel);
    row->addWidget(m_sewingSpeed);
    row->addWidget(m_pauseAtChanges);
    auto* bar = new QWidget(this);
    bar->setLayout(row);
    return bar;
}

void DesignView::applyLook()
{
    const std::size_t fabric = std::size_t(std::max(0, m_fabric->currentIndex()));
    m_canvas->setLook(m_realistic->isChecked(), fabrics().at(std::min(fabric, fabrics().size() - 1)).second,
                      m_threadWidth->value());
}

void DesignView::resetSewing()
{
    m_sewTimer.stop();
    m_sewOut = SewOut(m_picture);
    m_sewOut.setPosition(m_sewOut.stitches());
    // Sliders count in int: a design of more stitches than that is beyond any file.
    const QSignalBlocker blocker(m_slider);
    m_slider->setRange(0, int(std::min<std::int64_t>(m_sewOut.stitches(), std::numeric_limits<int>::max())));
    m_slider->setPageStep(std::max(1, m_slider->maximum() / 20));
    showSewing();
}

void DesignView::toggleSewing()
{
    if (m_sewTimer.isActive()) {
        m_sewTimer.stop();
        showSewing();
        return;
    }
    // From the end, the sewing starts again.
    if (m_sewOut.position() >= m_sewOut.stitches())
        m_sewOut.setPosition(0);
    m_sewClock.start();
    m_sewTimer.start();
    showSewing();
}

void DesignView::sewingTick()
{
    const double elapsed = double(m_sewClock.restart());
    sewFor(elapsed);
}

void DesignView::sewFor(double milliseconds)
{
    const SewOut::Advance advanced = m_sewOut.advance(milliseconds, m_machineSpeed->value(),
                                                      m_sewingSpeed->currentData().toInt(), m_pauseAtChanges->isChecked());
    if (advanced != SewOut::Advance::Sewing)
        m_sewTimer.stop();
    showSewing();
}

void DesignView::goToStitch(int stitch)
{
    m_sewOut.setPosition(stitch);
    showSewing();
}

void DesignView::showSewing()
{
    const std::int64_t sewn = m_sewOut.position();
    const bool whole = sewn >= m_sewOut.stitches() && !m_sewTimer.isActive();
    {
        const QSignalBlocker blocker(m_slider);
        m_slider->setValue(int(std::min<std::int64_t>(sewn, m_slider->maximum())));
    }
    m_sewnLabel->setText(QStringLiteral("Stitch %1 of %2")
                             .arg(qText(groupedCount(sewn)), qText(groupedCount(m_sewOut.stitches()))));
    m_play->setText(m_sewTimer.isActive() ? QStringLiteral("Pause") : QStringLiteral("Play"));
    // The design whole, as it opened, once the slider is at its end and nothing is sewing.
    m_canvas->setSewn(whole ? std::nullopt : std::optional<std::int64_t>(sewn));
    const int block = whole ? -1 : int(m_sewOut.currentBlock());
    if (block == m_highlighted)
        return;
    const auto mark = [this](int row, bool on) {
        QTreeWidgetItem* item = m_sequence->topLevelItem(row);
        if (!item)
            return;
        for (int column = 0; column < m_sequence->columnCount(); ++column) {
            QFont font = item->font(column);
            font.setBold(on);
            item->setFont(column, font);
            item->setBackground(column, on ? palette().highlight() : QBrush());
            item->setForeground(column, on ? palette().highlightedText() : QBrush());
        }
        if (on)
            m_sequence->scrollToItem(item);
    };
    mark(m_highlighted, false);
    mark(block, true);
    m_highlighted = block;
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
