// SPDX-License-Identifier: MIT
#include "app/BrowseWindow.h"

#include "app/DesignDelegate.h"
#include "app/DesignView.h"
#include "app/QtHost.h"
#include "catalog/CatalogState.h"
#include "catalog/DesignPaths.h"
#include "collection/CollectionFiles.h"
#include "collection/DesignIndex.h"
#include "collection/TreeWalk.h"
#include "collection/ZipArchive.h"
#include "decoders/Registry.h"
#include "fileops/FileOps.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace orlika {

namespace {

constexpr int kSmallest = 96;
constexpr int kLargest = 384;

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

/// A design of the grid read for the design view, with archives of its own.
PictureReading readForView(const std::string& path)
{
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    return readDesignForView(path, files);
}

// The folder (ending in '/') or zip archive a drag brings alone; else empty.
QString droppedFolder(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    const QFileInfo dropped(mime->urls().front().toLocalFile());
    if (dropped.isDir())
        return dropped.absoluteFilePath() + QLatin1Char('/');
    return BrowseWindow::isZipArchive(dropped) ? dropped.absoluteFilePath() : QString();
}

} // namespace

BrowseWindow::BrowseWindow(QtHost& host, std::function<FileOperations&()> files, QWidget* parent,
                           ThumbnailFolder thumbnails)
    : QWidget(parent), m_host(host), m_files(std::move(files))
{
    setObjectName(QStringLiteral("Browse"));
    m_pictures = new BrowsePictures(std::move(thumbnails), this);
    m_model = new BrowseModel(*m_pictures, this);
    buildLayout();
    m_watcher = new QFileSystemWatcher(this);
    m_reloadSoon = new QTimer(this);
    m_reloadSoon->setSingleShot(true);
    // A file manager copying many designs changes the folder many times: list it once.
    m_reloadSoon->setInterval(250);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reloadSoon, qOverload<>(&QTimer::start));
    connect(m_reloadSoon, &QTimer::timeout, this, &BrowseWindow::reload);
    m_listing = new QFutureWatcher<Listed>(this);
    connect(m_listing, &QFutureWatcher<Listed>::finished, this, &BrowseWindow::takeListing);
}

BrowseWindow::~BrowseWindow() = default;

void BrowseWindow::buildLayout()
{
    m_folderModel = new QFileSystemModel(this);
    // Folders, and the zip archives among them, which are browsed as folders.
    m_folderModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_folderModel->setNameFilters({QStringLiteral("*.zip"), QStringLiteral("*.ZIP"), QStringLiteral("*.Zip")});
    m_folderModel->setNameFilterDisables(false);
    m_folderModel->setRootPath(QStringLiteral("/"));
    // Connected before the pane's selection takes the model, so that these come first.
    connect(m_folderModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                m_paneRowsGoing = RowsGoing{parent, first, last};
            });
    connect(m_folderModel, &QAbstractItemModel::rowsRemoved, this, [this] { m_paneRowsGoing.reset(); });
    m_folders = new QTreeView;
    m_folders->setObjectName(QStringLiteral("BrowseFolders"));
    m_folders->setModel(m_folderModel);
    for (int column = 1; column < m_folderModel->columnCount(); ++column)
        m_folders->hideColumn(column);
    m_folders->setHeaderHidden(true);
    // The user's own folders first; a folder elsewhere shows the whole tree.
    m_folders->setRootIndex(m_folderModel->index(QDir::homePath()));
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &BrowseWindow::paneCurrentChanged);

    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("BrowseSearch"));
    m_search->setPlaceholderText(
        QStringLiteral("Search names (* and ? as wildcards) and figures: fits:130x180 stitches::5000 format:pes"));
    m_search->setToolTip(QStringLiteral(
        "A name, or a pattern with * and ?, and any of: format:pes, fits:130x180 (or 5x7in), width:50:100, "
        "height::80, stitches:1000:, colors:3, thread:red (mm; a range MIN:MAX may leave out either side)"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &BrowseWindow::searchTyped);

    m_order = new QComboBox;
    m_order->setObjectName(QStringLiteral("BrowseOrder"));
    m_order->addItem(QStringLiteral("Name"), int(BrowseOrder::Name));
    m_order->addItem(QStringLiteral("Folder"), int(BrowseOrder::Folder));
    m_order->addItem(QStringLiteral("Date modified"), int(BrowseOrder::Modified));
    m_order->addItem(QStringLiteral("Width x height"), int(BrowseOrder::Size));
    m_order->addItem(QStringLiteral("Stitches"), int(BrowseOrder::Stitches));
    m_order->addItem(QStringLiteral("Colour changes"), int(BrowseOrder::ColorChanges));
    connect(m_order, &QComboBox::currentIndexChanged, this,
            [this] { m_model->setOrder(BrowseOrder(m_order->currentData().toInt())); });

    m_subfolders = new QToolButton;
    m_subfolders->setObjectName(QStringLiteral("BrowseSubfolders"));
    m_subfolders->setText(QStringLiteral("Include Subfolders"));
    m_subfolders->setCheckable(true);
    connect(m_subfolders, &QToolButton::toggled, this, [this](bool on) {
        setIncludeSubfolders(on);
        emit subfoldersChosen(on);
    });

    m_size = new QSlider(Qt::Horizontal);
    m_size->setObjectName(QStringLiteral("BrowseSize"));
    m_size->setRange(kSmallest, kLargest);
    m_size->setSingleStep(16);
    m_size->setPageStep(32);
    m_size->setValue(128);
    m_size->setFixedWidth(160);
    m_size->setToolTip(QStringLiteral("Picture size"));
    connect(m_size, &QSlider::valueChanged, this, &BrowseWindow::choosePictureSize);

    m_grid = new QListView;
    m_grid->setObjectName(QStringLiteral("BrowseGrid"));
    m_grid->setViewMode(QListView::IconMode);
    m_grid->setMovement(QListView::Static);
    m_grid->setResizeMode(QListView::Adjust);
    m_grid->setUniformItemSizes(true);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setSelectionRectVisible(true);
    m_grid->setDragEnabled(true);
    m_grid->setDragDropMode(QAbstractItemView::DragOnly);
    m_grid->setDefaultDropAction(Qt::CopyAction);
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new DesignDelegate(*m_model, m_grid));
    choosePictureSize(m_size->value());
    m_grid->installEventFilter(this);
    // A folder dropped on the grid is browsed; nothing else is taken in.
    m_grid->viewport()->setAcceptDrops(true);
    m_grid->viewport()->installEventFilter(this);
    QPalette white = m_grid->palette();
    white.setColor(QPalette::Base, Qt::white);
    m_grid->setPalette(white);
    connect(m_grid, &QListView::activated, this, [this] { openCurrent(); });
    connect(m_grid, &QListView::customContextMenuRequested, this, &BrowseWindow::showContextMenu);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, &BrowseWindow::showCounts);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &BrowseWindow::showCounts);
    connect(m_model, &QAbstractItemModel::modelReset, this, &BrowseWindow::showCounts);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &BrowseWindow::showCounts);
    // Pictures asked for before the grid scrolled elsewhere are not worth making.
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, m_pictures, &BrowsePictures::forgetQueued);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("BrowseStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_open = new QAction(QStringLiteral("&Open"), this);
    m_open->setObjectName(QStringLiteral("BrowseOpen"));
    connect(m_open, &QAction::triggered, this, &BrowseWindow::openCurrent);
    m_showPages = new QAction(QStringLiteral("Show as &Pages"), this);
    m_showPages->setObjectName(QStringLiteral("BrowseShowPages"));
    connect(m_showPages, &QAction::triggered, this, &BrowseWindow::showSelectedAsPages);
    m_printCatalog = new QAction(QStringLiteral("P&rint as Catalog..."), this);
    m_printCatalog->setObjectName(QStringLiteral("BrowsePrintCatalog"));
    connect(m_printCatalog, &QAction::triggered, this, &BrowseWindow::printSelectedAsCatalog);
    m_printSheets = new QAction(QStringLiteral("Print Design &Sheets..."), this);
    m_printSheets->setObjectName(QStringLiteral("BrowsePrintSheets"));
    connect(m_printSheets, &QAction::triggered, this, [this] {
        if (const std::vector<std::string> names = selectedNames(); !names.empty())
            emit sheetsAsked(m_folder.toStdString(), names);
    });
    m_convert = new QAction(QStringLiteral("Con&vert To..."), this);
    m_convert->setObjectName(QStringLiteral("BrowseConvert"));
    connect(m_convert, &QAction::triggered, this, [this] {
        if (const std::vector<std::string> names = selectedNames(); !names.empty())
            emit convertAsked(m_folder.toStdString(), names);
    });
    m_copyMove = new QAction(QStringLiteral("Copy/Move All Selected Files"), this);
    m_copyMove->setObjectName(QStringLiteral("BrowseCopyMove"));
    connect(m_copyMove, &QAction::triggered, this, &BrowseWindow::copyOrMoveSelected);
    m_delete = new QAction(QStringLiteral("Delete (Erase) All Selected Files"), this);
    m_delete->setObjectName(QStringLiteral("BrowseDelete"));
    connect(m_delete, &QAction::triggered, this, &BrowseWindow::deleteSelected);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_search, 1);
    bar->addWidget(new QLabel(QStringLiteral("Order:")));
    bar->addWidget(m_order);
    bar->addWidget(m_subfolders);
    bar->addWidget(new QLabel(QStringLiteral("Size:")));
    bar->addWidget(m_size);
    auto* right = new QWidget;
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(4, 4, 4, 2);
    column->addLayout(bar);
    column->addWidget(m_grid, 1);
    column->addWidget(m_status);
    auto* splitter = new QSplitter;
    splitter->addWidget(m_folders);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 1000});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

QItemSelectionModel* BrowseWindow::selection() const
{
    return m_grid->selectionModel();
}

QList<QAction*> BrowseWindow::commands() const
{
    return {m_open, m_showPages, m_printCatalog, m_printSheets, m_convert, m_copyMove, m_delete};
}

void BrowseWindow::choosePictureSize(int pixels)
{
    m_model->setPictureSize(pixels);
    // Cells of one size: the grid lays them out without asking each item.
    QStyleOptionViewItem option;
    option.initFrom(m_grid);
    m_grid->setGridSize(m_grid->itemDelegate()->sizeHint(option, QModelIndex()));
    if (m_grid->currentIndex().isValid())
        m_grid->scrollTo(m_grid->currentIndex());
}

std::vector<std::string> BrowseWindow::selectedPaths() const
{
    QModelIndexList rows = m_grid->selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> paths;
    paths.reserve(std::size_t(rows.size()));
    for (const QModelIndex& index : rows)
        paths.push_back(m_model->entryAt(index.row()).path);
    return paths;
}

std::vector<std::string> BrowseWindow::selectedNames() const
{
    const std::string folder = m_folder.toStdString();
    std::vector<std::string> names;
    for (const std::string& path : selectedPaths())
        names.push_back(path.substr(folder.size()));
    return names;
}

QString BrowseWindow::countsText() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedIndexes();
    qint64 bytes = 0;
    for (const QModelIndex& index : rows)
        bytes += m_model->entryAt(index.row()).size;
    const QLocale locale;
    const int shown = m_model->rowCount();
    QString text = (shown == 1 ? QStringLiteral("%1 design, %2 selected") : QStringLiteral("%1 designs, %2 selected"))
                       .arg(locale.toString(shown), locale.toString(rows.size()));
    if (!rows.isEmpty())
        text += QStringLiteral(", ") + sizeText(bytes);
    return text;
}

void BrowseWindow::showCounts()
{
    QString text = m_problem.isEmpty() ? countsText() : m_problem;
    for (const std::string& problem : m_model->search().problems)
        text += QStringLiteral("    ") + QString::fromStdString(problem);
    if (const QModelIndex current = m_grid->currentIndex(); current.isValid())
        text += QStringLiteral("    ") + current.data(BrowseModel::FolderRole).toString();
    m_status->setText(text);
    const bool any = m_grid->selectionModel()->hasSelection();
    for (QAction* action : {m_showPages, m_printCatalog, m_printSheets, m_convert, m_copyMove, m_delete})
        action->setEnabled(any);
    m_open->setEnabled(m_grid->currentIndex().isValid());
}

void BrowseWindow::showContextMenu(const QPoint& at)
{
    showCounts();
    QMenu menu(this);
    menu.addAction(m_open);
    menu.addAction(m_showPages);
    menu.addAction(m_printCatalog);
    menu.addAction(m_printSheets);
    menu.addSeparator();
    menu.addAction(m_convert);
    menu.addAction(m_copyMove);
    menu.addSeparator();
    menu.addAction(m_delete);
    menu.exec(m_grid->viewport()->mapToGlobal(at));
}

void BrowseWindow::showSelectedAsPages()
{
    if (const std::vector<std::string> names = selectedNames(); !names.empty())
        emit pagesAsked(m_folder.toStdString(), names, false);
}

void BrowseWindow::printSelectedAsCatalog()
{
    if (const std::vector<std::string> names = selectedNames(); !names.empty())
        emit pagesAsked(m_folder.toStdString(), names, true);
}

void BrowseWindow::openCurrent()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const BrowseEntry& entry = m_model->entryAt(current.row());
    m_host.setWaiting(true);
    PictureReading reading = readForView(entry.path);
    m_host.setWaiting(false);
    if (!reading.picture) {
        m_host.messageBox(MessageRequest{entry.name + ": " + reading.problem, "ORLIKA", MessageIcon::Warning,
                                         MessageButtons::Ok, MessageAnswer::Ok});
        return;
    }
    DesignView view(std::move(*reading.picture), window());
    // Page Up and Page Down go through the designs in the grid's order.
    const std::string folder = m_folder.toStdString();
    std::vector<std::string> entries;
    entries.reserve(std::size_t(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row)
        entries.push_back(m_model->entryAt(row).path.substr(folder.size()));
    view.setSequence(DesignSequence(folder, std::move(entries), std::size_t(current.row()), readForView));
    m_host.execDialog(view);
}

CatalogState BrowseWindow::selectionState(const std::vector<std::string>& names) const
{
    // The file commands act on a selection of their own: the pages' stays as it is.
    CatalogState state;
    state.SelectedFolder = m_folder.toStdString();
    state.SelectedList.addAll(names);
    return state;
}

void BrowseWindow::copyOrMoveSelected()
{
    const std::vector<std::string> names = selectedNames();
    if (names.empty())
        return;
    CatalogState state = selectionState(names);
    const std::vector<std::string> moved = FileOps(state, m_host, m_files()).MoveAllSelectedFiles1Click();
    if (!moved.empty())
        takeAway(moved, true);
}

void BrowseWindow::deleteSelected()
{
    const std::vector<std::string> names = selectedNames();
    if (names.empty())
        return;
    CatalogState state = selectionState(names);
    FileOperations& files = m_files();
    FileOps(state, m_host, files).DeleteSelected1Click();
    // What is gone is told by the files themselves, whatever the command answered; a
    // design inside an archive is never deleted.
    std::vector<std::string> gone;
    for (const std::string& name : names)
        if (!isArchiveEntry(name) && !files.exists(state.SelectedFolder + name))
            gone.push_back(name);
    if (!gone.empty())
        takeAway(gone, false);
}

void BrowseWindow::takeAway(const std::vector<std::string>& names, bool moved)
{
    const std::string folder = m_folder.toStdString();
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
        paths.push_back(folder + name);
    m_model->removePaths(paths);
    showCounts();
    emit designsGone(folder, names, moved);
}

bool BrowseWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString folder = droppedFolder(drop->mimeData());
        if (folder.isEmpty()) {
            drop->ignore();
        } else {
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop)
                showPlace(folder);
        }
        return true;
    }
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            openCurrent();
            return true;
        case Qt::Key_Escape:
            emit backToPages();
            return true;
        case Qt::Key_Delete:
            deleteSelected();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orlika
