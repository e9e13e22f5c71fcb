// SPDX-License-Identifier: MIT
// The browse grid's folder: choosing it (a folder or a zip archive), listing it on the
// thread pool, watching it, and the search typed over it.
#include "app/BrowseWindow.h"

#include "app/BackgroundWork.h"
#include "app/BrowseModel.h"
#include "app/BrowsePictures.h"
#include "collection/DesignIndex.h"
#include "collection/TreeWalk.h"
#include "collection/ZipArchive.h"
#include "decoders/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QToolButton>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace orlika {

namespace {

// A file manager's change anywhere in the shown tree lists it again: the folder's own
// changes, and with its subfolders theirs, up to as many as the system lets one program
// watch without asking for more.
QStringList foldersToWatch(const std::string& folder, const std::vector<std::string>& subfolders)
{
    constexpr std::size_t kMostWatched = 4000;
    QStringList folders{QString::fromStdString(folder)};
    for (std::size_t i = 0; i < subfolders.size() && i + 1 < kMostWatched; ++i)
        folders << QString::fromStdString(subfolders[i]);
    return folders;
}

// The folder itself, or where it was removed the nearest folder above it that is there, so
// that the folder's coming back is seen.
QString nearestFolderThere(const std::string& folder)
{
    QString path = QDir::cleanPath(QString::fromStdString(folder));
    while (!QFileInfo(path).isDir() && path != QFileInfo(path).path())
        path = QFileInfo(path).path();
    return path;
}

} // namespace

bool BrowseWindow::isZipArchive(const QFileInfo& file)
{
    return file.isFile() && file.suffix().compare(QStringLiteral("zip"), Qt::CaseInsensitive) == 0;
}

BrowseWindow::Listed BrowseWindow::listPlace(const std::string& folder, const std::string& archive,
                                             bool includeSubfolders, bool refreshIndex)
{
    Listed listed;
    const QString place = QString::fromStdString(folder + archive);
    if (!QFileInfo::exists(place)) {
        // Removed while shown: the grid stays on it, and shows it again if it comes back.
        listed.problem = QStringLiteral("%1 is no longer there.").arg(place);
        listed.folders = {nearestFolderThere(folder)};
        return listed;
    }
    if (refreshIndex) {
        try {
            DesignIndex(DesignIndex::defaultPath()).refresh(folder);
        } catch (const std::exception&) {
            // The figures then come as the pictures are made, as without an index.
        }
    }
    ArchiveShelf archives;
    TreeCollector collector(archives);
    std::vector<std::string> subfolders;
    if (archive.empty()) {
        listed.entries = listDesigns(folder, includeSubfolders, designExtensions(), collector, &subfolders);
    } else {
        ArchiveListing inArchive = listArchive(folder, archive, designExtensions(), collector);
        listed.entries = std::move(inArchive.entries);
        if (!inArchive.problem.empty())
            listed.problem = QStringLiteral("%1 cannot be read: %2").arg(place, QString::fromStdString(inArchive.problem));
    }
    listed.folders = foldersToWatch(folder, subfolders);
    // The index's figures where the folder was indexed; never an index made just for this.
    const std::string indexPath = DesignIndex::defaultPath();
    if (!listed.entries.empty() && QFileInfo::exists(QString::fromStdString(indexPath))) {
        try {
            DesignIndex index(indexPath);
            takeIndexFigures(listed.entries, index.listUnder(folder));
        } catch (const std::exception&) {
            // Without the index the figures come as the pictures are made.
        }
    }
    return listed;
}

BrowseWindow::Listed BrowseWindow::listIndexed(const std::string& folder)
{
    Listed listed;
    const std::string indexPath = DesignIndex::defaultPath();
    if (!QFileInfo::exists(QString::fromStdString(indexPath)))
        return listed;
    try {
        listed.entries = entriesOfIndex(DesignIndex(indexPath).listUnder(folder));
    } catch (const std::exception&) {
        return listed;  // the files are listed instead
    }
    listed.fromIndex = !listed.entries.empty();
    listed.folders = {QString::fromStdString(folder)};
    return listed;
}

void BrowseWindow::startListing(bool anew, bool refreshIndex)
{
    // A folder of thousands of designs, or a tree of archives, takes a while to list: the
    // window goes on meanwhile.
    m_listingAnew = anew || (listing() && m_listingAnew);
    m_listAgain = false;
    const int number = ++m_listingNumber;
    const std::string folder = m_folder.toStdString();
    const std::string archive = m_archive.toStdString();
    const bool subfolders = m_includeSubfolders && archive.empty();
    m_status->setText((refreshIndex ? QStringLiteral("Reading the figures of the designs in %1 for the search...")
                                    : QStringLiteral("Listing %1..."))
                          .arg(shownPlace()));
    // A tree the index has read shows at once as the index has it, which takes a fraction
    // of listing its files; they are listed next, and what changed since is put right.
    const bool indexFirst = anew && subfolders && !refreshIndex;
    m_listing->setFuture(QtConcurrent::run(&backgroundPool(), [number, folder, archive, subfolders, refreshIndex, indexFirst] {
        // Below the window, as the pictures are: it shares the cores with them as before.
        runBelowTheWindow();
        Listed listed = indexFirst && QFileInfo(QString::fromStdString(folder)).isDir() ? listIndexed(folder) : Listed{};
        if (!listed.fromIndex)
            listed = listPlace(folder, archive, subfolders, refreshIndex);
        listed.number = number;
        return listed;
    }));
}

bool BrowseWindow::listing() const
{
    return m_listingShown != m_listingNumber;
}

void BrowseWindow::awaitListing(bool filesToo)
{
    while (listing()) {
        m_listing->waitForFinished();
        takeListing();
        if (!filesToo)
            return;
    }
}

void BrowseWindow::takeListing()
{
    // Taken out of the future, not copied: a large tree's rows would be held twice.
    QFuture<Listed> future = m_listing->future();
    if (!future.isValid() || !future.isResultReadyAt(0))
        return;  // taken already
    Listed listed = future.takeResult();
    if (listed.number != m_listingNumber || listed.number == m_listingShown)
        return;  // a newer listing is on its way, or this one is shown
    m_listingShown = listed.number;
    const bool cameBack = !m_problem.isEmpty() && listed.problem.isEmpty();
    m_problem = listed.problem;
    watchFolders(listed.folders);
    if (cameBack)
        markShownInPane();
    if (m_listingAnew) {
        m_model->setEntries(std::move(listed.entries));
        if (m_model->rowCount() > 0)
            m_grid->selectionModel()->setCurrentIndex(m_model->index(0), QItemSelectionModel::NoUpdate);
        m_grid->scrollToTop();
    } else {
        m_model->updateEntries(std::move(listed.entries));
    }
    m_listingAnew = false;
    showCounts();
    const bool filesNext = listed.fromIndex || m_listAgain;
    listed = {};
#ifdef __GLIBC__
    // A listing of a large tree leaves tens of megabytes of freed strings in the pool
    // thread's heap, which the allocator would otherwise keep for the window's whole life.
    ::malloc_trim(0);
#endif
    if (filesNext)
        startListing(false);
}

bool BrowseWindow::isPaneRowGoing(const QModelIndex& index) const
{
    if (!m_paneRowsGoing)
        return false;
    const RowsGoing& going = *m_paneRowsGoing;
    for (QModelIndex at = index; at.isValid(); at = at.parent())
        if (at.parent() == going.parent && at.row() >= going.first && at.row() <= going.last)
            return true;
    return false;
}

void BrowseWindow::paneCurrentChanged(const QModelIndex& index, const QModelIndex& previous)
{
    if (isPaneRowGoing(previous)) {
        // The shown folder (or one above it) is going: the grid stays and says so, and the
        // pane, once the rows are gone, marks no folder.
        QMetaObject::invokeMethod(this, &BrowseWindow::markShownInPane, Qt::QueuedConnection);
        return;
    }
    const QString path = m_folderModel->filePath(index);
    if (!path.isEmpty() && path != shownPlace() && path + QLatin1Char('/') != shownPlace())
        showPlace(path);
}

void BrowseWindow::showPlace(const QString& path)
{
    if (isZipArchive(QFileInfo(path)))
        showArchive(path);
    else
        showFolder(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'));
}

QString BrowseWindow::shownPlace() const
{
    return m_folder + m_archive;
}

void BrowseWindow::showArchive(const QString& path)
{
    const QFileInfo archive(path);
    showFolder(archive.absolutePath() + QLatin1Char('/'), archive.fileName());
}

void BrowseWindow::showFolder(const QString& folder)
{
    showFolder(folder, QString());
}

void BrowseWindow::showFolder(const QString& folder, const QString& archive)
{
    m_folder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    m_archive = archive;
    m_problem.clear();
    m_pictures->forgetQueued();
    m_model->setEntries({});
    m_indexAsked = false;
    watchFolders({m_folder});
    const QString home = QDir::homePath() + QLatin1Char('/');
    m_folders->setRootIndex(m_folderModel->index(m_folder.startsWith(home) ? QDir::homePath() : QStringLiteral("/")));
    markShownInPane();
    startListing(true);
}

void BrowseWindow::markShownInPane()
{
    const QString place = shownPlace();
    const bool slashed = place.size() > 1 && place.endsWith(QLatin1Char('/'));
    const QModelIndex inTree = m_folderModel->index(slashed ? place.chopped(1) : place);
    if (!inTree.isValid()) {
        // Gone: the pane marks no other folder as the one shown. (Its own current item
        // moves off a removed row; an item without a path is not browsed.)
        m_folders->selectionModel()->clear();
    } else if (m_folders->currentIndex() != inTree) {
        const QSignalBlocker quiet(m_folders->selectionModel());
        m_folders->setCurrentIndex(inTree);
        m_folders->scrollTo(inTree);
    }
}

void BrowseWindow::searchTyped(const QString& text)
{
    m_model->setSearch(text.trimmed());
    if (m_model->search().filter.asksFigures() && !m_indexAsked && !m_folder.isEmpty() &&
        m_model->unfiguredCount() > 0) {
        m_indexAsked = true;
        startListing(false, true);
        return;
    }
    if (!listing())
        showCounts();
}

void BrowseWindow::reload()
{
    if (m_folder.isEmpty())
        return;
    if (listing())
        m_listAgain = true;  // listed once more when this listing is in
    else
        startListing(false);
}

void BrowseWindow::watchFolders(const QStringList& folders)
{
    const QStringList watched = m_watcher->directories();
    if (watched == folders)
        return;
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    if (!folders.isEmpty())
        m_watcher->addPaths(folders);
}

void BrowseWindow::setIncludeSubfolders(bool on)
{
    if (m_subfolders->isChecked() != on)
        m_subfolders->setChecked(on);
    if (on == m_includeSubfolders)
        return;
    m_includeSubfolders = on;
    if (!m_folder.isEmpty() && m_archive.isEmpty())
        showFolder(m_folder);
}

} // namespace orlika
