// SPDX-License-Identifier: MIT
// The browse grid: a pane of folders beside a scrolling grid of the chosen folder's
// designs, each drawn in its thread colours with its name and figures; a search field, an
// order and a picture size above it, the counts below. The main window shows it in place
// of the pages (View > Browse).
#pragma once

#include "app/BrowseModel.h"
#include "app/BrowsePictures.h"
#include "catalog/CatalogState.h"

#include <QFutureWatcher>
#include <QPersistentModelIndex>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFileInfo;
class QFileSystemModel;
class QFileSystemWatcher;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QListView;
class QSlider;
class QTimer;
class QToolButton;
class QTreeView;

namespace orlika {

class FileOperations;
class QtHost;

class BrowseWindow : public QWidget {
    Q_OBJECT
public:
    /// The window's host answers the commands' questions; `files` gives the file
    /// operations of the Selected menu at the moment a command runs.
    BrowseWindow(QtHost& host, std::function<FileOperations&()> files, QWidget* parent = nullptr,
                 ThumbnailFolder thumbnails = {});
    ~BrowseWindow() override;

    /// Lists the designs of `folder` (ending in '/').
    void showFolder(const QString& folder);
    /// Lists the designs inside the zip archive at `path`, as a folder of its own: the
    /// grid's designs are then the archive's entries in the archive's folder.
    void showArchive(const QString& path);
    /// A folder, or a zip archive.
    void showPlace(const QString& path);
    /// A zip archive, which the folder pane shows and the grid browses as a folder.
    static bool isZipArchive(const QFileInfo& file);
    QString folder() const { return m_folder; }
    /// The archive's name in folder() while one is shown; else empty.
    QString archive() const { return m_archive; }
    void setIncludeSubfolders(bool on);
    bool includesSubfolders() const { return m_includeSubfolders; }
    /// Lists the shown folder again, keeping the selection of the designs still there.
    void reload();
    /// A folder is being listed, on a thread of the pool: the grid shows it once listed.
    bool listing() const;
    /// Waits until the folder is listed and shown; for tests. Without `filesToo`, a tree
    /// shown from the index first is awaited only until the index's rows are shown.
    void awaitListing(bool filesToo = true);

    /// The selected designs' paths, in the grid's order.
    std::vector<std::string> selectedPaths() const;
    /// "1,204 designs, 3 selected, 1.2 MB"
    QString countsText() const;

    // The commands on the selection
    /// Opens the current design in the design view, whose Page Up and Page Down follow the grid.
    void openCurrent();
    /// A catalog state whose selection is `names` of the shown folder, for the file commands.
    CatalogState selectionState(const std::vector<std::string>& names) const;
    void copyOrMoveSelected();
    void deleteSelected();
    /// The selected designs, in the grid's order, as the pages' run (on screen or printed).
    void showSelectedAsPages();
    void printSelectedAsCatalog();

    BrowseModel& model() { return *m_model; }
    BrowsePictures& pictures() { return *m_pictures; }
    QListView* grid() const { return m_grid; }
    QItemSelectionModel* selection() const;
    QTreeView* folders() const { return m_folders; }
    QLineEdit* searchField() const { return m_search; }
    QComboBox* orderBox() const { return m_order; }
    QSlider* sizeSlider() const { return m_size; }
    QLabel* statusLine() const { return m_status; }
    /// The context menu's items: Open, Show as Pages, Print as Catalog, Print Design Sheets,
    /// Convert To, Copy/Move..., Delete.
    QList<QAction*> commands() const;

signals:
    /// Esc or View > Pages: the user goes back to the pages.
    void backToPages();
    /// The grid's Include Subfolders was turned on or off.
    void subfoldersChosen(bool on);
    /// The user asked for `names` (relative to `folder`, in the grid's order) as pages
    /// of the catalog, on screen or printed.
    void pagesAsked(const std::string& folder, const std::vector<std::string>& names, bool print);
    /// The user asked for the design sheets of `names` (relative to `folder`, in the
    /// grid's order), or for their conversion to a machine's format.
    void sheetsAsked(const std::string& folder, const std::vector<std::string>& names);
    void convertAsked(const std::string& folder, const std::vector<std::string>& names);
    /// Designs a command took away from `folder`: `names` relative to it.
    void designsGone(const std::string& folder, const std::vector<std::string>& names, bool moved);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void choosePictureSize(int pixels);
    void showCounts();
    void showContextMenu(const QPoint& at);
    // A listing's result: the designs, why there are none where the place is gone or its
    // archive cannot be read, and the folders to watch for changes.
    struct Listed {
        int number = 0;
        std::vector<BrowseEntry> entries;
        QString problem;
        QStringList folders;  // the folder, and with its subfolders theirs
        bool fromIndex = false;  // the index's rows, before the files are listed
    };
    /// The designs of `folder`, with the index's figures where it was indexed; on any thread.
    /// With `refreshIndex` the index is brought up to date with the folder's tree first.
    /// With an archive (a name in `folder`), its designs alone.
    static Listed listPlace(const std::string& folder, const std::string& archive, bool includeSubfolders,
                            bool refreshIndex);
    /// The designs of the tree at `folder` as the index last read them; none where it did not.
    static Listed listIndexed(const std::string& folder);
    void showFolder(const QString& folder, const QString& archive);
    /// The pane's current item moved to `index`: the user chose it, unless the item left is
    /// being removed.
    void paneCurrentChanged(const QModelIndex& index, const QModelIndex& previous);
    /// True when `index`, or an item above it, is among the pane's rows being removed.
    bool isPaneRowGoing(const QModelIndex& index) const;
    /// The pane's current item is the shown place, or none where it is gone.
    void markShownInPane();
    /// The folder, or the archive's path, shown.
    QString shownPlace() const;
    /// Lists the shown folder on the pool: anew (another folder) or again (the same one
    /// changed, or its figures asked of the index).
    void startListing(bool anew, bool refreshIndex = false);
    /// A search of figures over designs whose figures are not known: the index reads them.
    void searchTyped(const QString& text);
    void takeListing();
    void watchFolders(const QStringList& folders);
    /// The selected designs' paths relative to the shown folder.
    std::vector<std::string> selectedNames() const;
    void takeAway(const std::vector<std::string>& names, bool moved);

    QtHost& m_host;
    std::function<FileOperations&()> m_files;
    BrowsePictures* m_pictures = nullptr;
    BrowseModel* m_model = nullptr;
    QFileSystemModel* m_folderModel = nullptr;
    QTreeView* m_folders = nullptr;
    QLineEdit* m_search = nullptr;
    QComboBox* m_order = nullptr;
    QToolButton* m_subfolders = nullptr;
    QSlider* m_size = nullptr;
    QListView* m_grid = nullptr;
    QLabel* m_status = nullptr;
    QAction* m_open = nullptr;
    QAction* m_showPages = nullptr;
    QAction* m_printCatalog = nullptr;
    QAction* m_printSheets = nullptr;
    QAction* m_convert = nullptr;
    QAction* m_copyMove = nullptr;
    QAction* m_delete = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadSoon = nullptr;
    QString m_folder;
    QString m_archive;  // the zip archive in m_folder shown, or empty
    bool m_includeSubfolders = false;
    // The listing under way: its number (a newer one makes an older one's result stale),
    // whether it replaces the grid's rows or updates them, and whether the folder changed
    // again meanwhile.
    QFutureWatcher<Listed>* m_listing = nullptr;
    int m_listingNumber = 0;
    int m_listingShown = 0;
    bool m_listingAnew = false;
    bool m_listAgain = false;
    bool m_indexAsked = false;  // the shown folder's figures were asked of the index
    QString m_problem;          // why the shown place lists nothing, from its last listing
    // The pane's rows being removed (a folder deleted by another program): the pane's current
    // item moves off them then, which is not the user choosing another folder.
    struct RowsGoing {
        QPersistentModelIndex parent;
        int first = 0;
        int last = 0;
    };
    std::optional<RowsGoing> m_paneRowsGoing;
};

} // namespace orlika
