// SPDX-License-Identifier: MIT
// The main window: menus, status panel, the page on display, keys and mouse.
#pragma once

#include "app/BackgroundPage.h"
#include "app/DesktopFileOperations.h"
#include "app/FindController.h"
#include "app/WindowParts.h"
#include "app/QtHost.h"
#include "app/RunSelection.h"
#include "catalog/Catalog.h"
#include "collection/CollectionFiles.h"
#include "collection/TreeWalk.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "render/Surfaces.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QPrinter;
class QToolButton;

namespace orlika {

class BrowseWindow;
class TAboutBox;
class TConvertDialog;
class TFindDialog;
class TTitleDlg;
class TForm2;
class TFileListFr;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    /// The windows made after the main window, which it shows.
    void setWindows(TAboutBox* aboutBox, TTitleDlg* titleDlg, TForm2* form2, TFileListFr* fileListFr);

    Catalog& catalog() { return m_catalog; }
    /// Pages drawn ahead of Next or kept for Prev, and shown; for tests.
    int pagesDrawnAhead() const { return m_pageAhead ? m_pageAhead->pagesShown() : 0; }
    /// Pages drawn ahead that wait to be shown; for tests.
    int pagesWaitingAhead() const { return m_pageAhead ? m_pageAhead->pagesWaiting() : 0; }
    /// Lets events run until the page being drawn ahead, if any, is drawn; for tests.
    void awaitPageAhead()
    {
        while (m_pageAhead && m_pageAhead->drawing())
            m_pageAhead->awaitDrawing();
    }
    /// Whether the page after a waiting one is drawn ahead (else when its turn comes).
    void drawPagesAhead(bool on);
    /// View > Realistic Pictures: the runs from now on, and a page waiting, in that look.
    void realisticPicturesToggled(bool on);
    QtHost& host() { return m_host; }
    /// The selection of the designs of the run on the pages.
    RunSelection& selection() { return m_selection; }
    /// The page on display; screen runs draw into it.
    ImagePage& page() { return *m_page; }
    TTitleDlg* titleDlg() const { return m_titleDlg; }
    TAboutBox* aboutBox() const { return m_aboutBox; }
    TForm2* form2() const { return m_form2; }
    TFileListFr* fileListFr() const { return m_fileListFr; }
    /// Shows Form2 and reads the destination from it; false unless closed with OK.
    bool executeCopyMoveDialog(CopyMoveDestination& destination);
    /// Shows OpenDialog2 for one file; false when cancelled.
    bool executeListingDialog(ListingFileChoice& choice);
    /// The file operations of the Selected menu (tests may put failing ones in).
    void setFileOperations(FileOperations* operations) { m_fileOperations = operations ? operations : &m_posixFileOps; }
    FileOperations& fileOperations() { return *m_fileOperations; }
    /// View > Browse: the browse grid in place of the pages, of `folder` where given (a
    /// design file's folder for a file), else of the folder shown last.
    void showBrowse(const QString& folder = {});
    /// View > Pages: the pages again, as they were left.
    void showPages();
    bool browsing() const;
    /// The designs `names` of `folder`, in their order, as a run of pages on screen or
    /// printed, with the pages in view. A run waiting at a page is cancelled first.
    void showDesignsAsPages(const std::string& folder, const std::vector<std::string>& names, bool print);
    /// The design sheets of `names` in `folder`, printed after the sheet's options are asked.
    void printDesignSheets(const std::string& folder, const std::vector<std::string>& names);
    /// The designs selected in `selection` converted, after the conversion's dialog.
    void convertDesigns(CatalogState& selection);
    /// The browse grid, made at first use; null before.
    BrowseWindow* browseWindow() const { return m_browse; }
    /// True while a run of the page engine is active.
    bool running() const { return m_running; }
    /// The printer of catalog runs, made at first use.
    QPrinter& printer();
    /// Pages printed by the last print run.
    int lastPagesPrinted() const { return m_lastPagesPrinted; }
    /// Opens a design file's folder from its first design (the command-line file).
    void openFile(const QString& path);
    /// The status panel's caption, whole (the panel may show it shortened).
    QString statusCaption() const;
    /// Sets the caption of the status panel and fits it to its room.
    void showStatusCaption(const QString& text);
    /// Fits the caption to the room the labels and buttons beside it leave: in the middle
    /// of the panel where it fits there, else between them, shortened with the whole text
    /// as its tooltip where it does not fit at all.
    void placeStatusCaption();
    /// Find Designs' dialog, made at first use.
    TFindDialog& findDialog();
    /// Convert To's dialog, made at first use.
    TConvertDialog& convertDialog();

    // Menus and their items, named as the catalog's commands know them
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* OpenatFile1 = nullptr;
    QAction* OpenSelectedFiles1 = nullptr;
    QAction* OpenFolder1 = nullptr;
    QAction* IncludeSubfolders1 = nullptr;
    QAction* FindDesigns1 = nullptr;
    QAction* FindDuplicates1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrintFromFile1 = nullptr;
    QAction* mnfileList = nullptr;
    QAction* PrintSetup1 = nullptr;
    QMenu* PageLayout1 = nullptr;
    QAction* Standard = nullptr;
    QAction* StandardWoRemarks = nullptr;
    QMenu* ThumbNail2 = nullptr;
    QAction* N12page1 = nullptr;
    QAction* N20page1 = nullptr;
    QAction* N30page1 = nullptr;
    QAction* Enlarged = nullptr;
    QMenu* View1 = nullptr;
    QAction* Pages1 = nullptr;
    QAction* Browse1 = nullptr;
    QAction* RealisticPictures1 = nullptr;
    QMenu* Selected1 = nullptr;
    QAction* DisplaySelectedFiles1 = nullptr;
    QAction* PrintSelectedFiles2 = nullptr;
    QAction* PrintDesignSheet1 = nullptr;
    QAction* MoveAllSelectedFiles1 = nullptr;
    QAction* ConvertTo1 = nullptr;
    QAction* DeleteSelected1 = nullptr;
    QMenu* About2 = nullptr;
    QAction* About1 = nullptr;

    // The status panel
    StatusPanel* Panel1 = nullptr;
    QLabel* LSelected = nullptr;
    QLabel* LLayOut = nullptr;
    QLabel* LStat = nullptr;
    QToolButton* SBCancel = nullptr;
    QToolButton* SBButton = nullptr;
    QToolButton* SBPrev = nullptr;

    PageSurface* Page = nullptr;
    QFileDialog* OpenDialog1 = nullptr;

    /// The filters of OpenDialog1 as Qt writes them (text, then patterns): one per format,
    /// then "All supported formats".
    static const QStringList& openFilters();
    /// The filters of OpenDialog2: those above and "All Files".
    static const QStringList& listingFilters();

public slots:
    void Open1Click();
    void OpenatFile1Click();
    void OpenSelectedFiles1Click();
    void OpenFolder1Click();
    void IncludeSubfolders1Click();
    void FindDesigns1Click();
    void FindDuplicates1Click();
    void Print1Click();
    void PrintFromFile1Click();
    void PrintSelectedFiles1Click();
    void mnfileListClick();
    void PrintSetup1Click();
    void Exit1Click();
    void StandardClick();
    void StandardWoRemarksClick();
    void ThumbNail2Click();
    void N12page1Click();
    void N20page1Click();
    void N30page1Click();
    void EnlargedClick();
    void DisplaySelectedFiles1Click();
    void PrintSelectedFiles2Click();
    void PrintDesignSheet1Click();
    void MoveAllSelectedFiles1Click();
    void ConvertTo1Click();
    void DeleteSelected1Click();
    void About1Click();
    void Browse1Click() { showBrowse(); }
    void SBButtonClick();
    void SBCancelClick();
    void SBPrevClick();

public:
    /// A mouse button was released over the page at client (x, y).
    void FormMouseUp(Qt::MouseButton button, int x, int y);
    /// A double click over the page at client (x, y): the left button opens the design
    /// of the cell under it alone, in the design view.
    void FormDoubleClick(Qt::MouseButton button, int x, int y);
    /// The wheel turned over the page by whole notches: up pages back, down forward.
    void FormWheel(int notches);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The items and the dialog that only the window itself uses
    QAction* PrintSelectedFiles1 = nullptr;
    QAction* Exit1 = nullptr;
    QFileDialog* OpenDialog2 = nullptr;

    /// A key went down: Enter, Space and Esc steer the run; every key is consumed.
    void FormKeyDown(int& key);
    /// A character was typed: P clicks Prev while it is shown, N clicks Next.
    void FormKeyPress(char& key);
    /// While a page waits: asks for a page number and goes there.
    void askPageNumber();
    /// Asks for a folder in a folder dialog of its own, starting at the folder last shown;
    /// the folder ends in '/', nothing when declined.
    std::optional<std::string> askForFolder(const QString& title, const QString& objectName);
    void FormCreate();
    void FormDestroy();
    void createMenus();
    void createStatusPanel();
    void placePanelLabels();
    /// Shows OpenDialog1 for one or several files; false when cancelled.
    bool executeOpenDialog(bool multiSelect);
    /// Steps every "Open" command shares once the dialog is confirmed.
    void openedFolderSteps();
    // The single-file Open commands after their dialog: the chosen file's folder on screen.
    void showChosenFolder(bool fromBeginning);
    // The three "/page" commands: a thumbnail layout under the ThumbNail item's check mark.
    void chooseThumbnailGrid(const PageLayout& layout);
    // The layout commands: the layout, its check mark and its caption.
    void chooseLayout(QAction* checked, const PageLayout& layout, const QString& caption);
    /// One run of the page engine on the page on display.
    void viewOnScreen();
    /// One run of the page engine on the printer.
    void viewOnPrinter();
    /// Takes the run started to its end, the window handling events between its steps.
    void driveRun();
    void afterRun();
    /// Fills FileList with the files chosen together in OpenDialog1, from the folder of the
    /// first, for Open Selected Files and Print Selected Files.
    void useDialogList();
    /// Fills FileList from the selection for the two Selected commands; false when empty.
    bool useSelectedList();
    /// Page Down, Page Up, Home, End and Ctrl+G while a page waits; true when the key was one.
    bool pagingKey(const QKeyEvent& event);
    /// After Open Folder found no design in the folder itself: says so, and where there are
    /// subfolders or archives offers to show them.
    void adviseIncludeSubfolders(const std::string& folder);
    void checkLayout(QAction* checked);
    /// Asks where a catalog or a listing goes when no printer is installed, proposing the
    /// file last chosen for that kind of print, else proposedName in the home folder;
    /// empty when declined.
    QString askPdfFileName(const QString& title, const QString& proposedName, QString& lastChosen);
    /// Print Design Sheet's options: true for the design's realistic picture, false for its
    /// lines; nothing when declined. The choice is offered again as it was last made.
    std::optional<bool> askSheetRealistic();
    /// Finds the designs of the request's tree through the index and shows them as a run on
    /// screen or prints them, titled by the query.
    void findAndShow(const FindRequest& request);

    // Runs read folder trees and zip archives; one shelf of open archives serves both the
    // collection of a tree and the reading of its designs.
    ArchiveShelf m_archives;
    CollectionFileSystem m_fileSystem{m_archives};
    TreeCollector m_treeCollector{m_archives};
    DesktopFileOperations m_posixFileOps;
    FileOperations* m_fileOperations = &m_posixFileOps;
    FilterIndex m_listingFilter = FilterIndex::AllSupported;
    QtHost m_host;
    Catalog m_catalog;
    FindController m_finder{*this, m_catalog, m_host};
    std::unique_ptr<ImagePage> m_page;
    RunSelection m_selection{m_catalog, m_page->canvas()};
    std::unique_ptr<BackgroundPage> m_pageAhead;  // the page after a waiting one, drawn ahead
    bool m_drawPagesAhead = false;
    std::unique_ptr<QPrinter> m_printer;
    TAboutBox* m_aboutBox = nullptr;
    TTitleDlg* m_titleDlg = nullptr;
    TForm2* m_form2 = nullptr;
    TFileListFr* m_fileListFr = nullptr;
    TConvertDialog* m_convertDialog = nullptr;
    QString m_pdfFileName;          // the catalog's last PDF file
    QString m_listingPdfFileName;   // the file listing's
    QString m_sheetPdfFileName;     // the design sheets'
    bool m_sheetRealistic = false;  // the design sheets' last "Realistic picture"
    int m_lastPagesPrinted = 0;
    bool m_running = false;
    bool m_closeRequested = false;
    QString m_statusText;  // the caption whole
    BrowseWindow* m_browse = nullptr;
    /// The commands that act on the pages, disabled while the grid is shown, with whether
    /// they were enabled before.
    std::vector<std::pair<QAction*, bool>> m_pageCommands;
    QString m_pagesCaption;  // the caption the pages had when the grid was shown
};

/// A path with its first doubled separator made single, as a multiple selection in a
/// root folder returns it ("//a.dst" -> "/a.dst").
std::string repairDoubleSeparator(std::string path);

} // namespace orlika
