// SPDX-License-Identifier: MIT
#pragma once

#include "catalog/CatalogState.h"
#include "catalog/PageAhead.h"
#include "catalog/DesignCollector.h"
#include "catalog/PageDrawing.h"
#include "catalog/PageOnDisplay.h"
#include "catalog/Run.h"
#include "cell/CellRenderer.h"
#include "platform/Canvas.h"
#include "platform/DesignFile.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/RunMessages.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

// The catalog: its state, the page engine, and the reader routines named after their
// format, whose only argument is the canvas. They forward to the registry's readers,
// which find everything else in the cell context the catalog builds from its state.
class Catalog {
public:
    Catalog(Host& host, FileSystem& fileSystem);

    CatalogState& state() { return m_state; }
    const CatalogState& state() const { return m_state; }
    Host& host() { return m_host; }

    /// The main window's canvas: selected names turn red and designs gone are struck through on
    /// it, whatever the run's target.
    void setMainCanvas(Canvas* canvas) { m_mainCanvas = canvas; }
    /// The printer of print runs (not owned).
    void setPrinter(Printer* printer) { m_printer = printer; }
    /// Draws the page after a waiting one ahead of Next (not owned); null: never.
    void setPageAhead(PageAhead* ahead) { m_pageAhead = ahead; }
    /// What collects a folder tree when a run includes subfolders (not owned); without
    /// one such a run shows its folder alone.
    void setCollector(DesignCollector* collector) { m_collector = collector; }

    /// The designs of the next run, instead of a folder's: paths relative to `folder`
    /// (ending in '/'), in the order given when `keepOrder` (duplicate groups), else by
    /// folder, then name (find results). The run starts at the first of them. A design's
    /// remarks end with its note (its group), where `notes` gives one.
    void setGivenDesigns(const std::string& folder, const std::vector<std::string>& paths, bool keepOrder,
                         std::map<std::string, std::string> notes = {});

    // Format class and filter index from the open dialog's file name and filter.
    void GetFileTypes();

    // The page engine: a catalog run on the screen page or the printer, a design at a time.
    /// Starts a run: lays the page out and lists its designs, then returns with the run
    /// under way (or already ended, when there is nothing to show).
    void View(Canvas& canvas, bool Printing);
    /// Draws the run's next design, or acts on the user's answer to a page that waits, or
    /// ends the run. Never waits: while awaitsUser(), it does nothing. True when the step
    /// drew a design on the page.
    bool continueRun();
    /// True from View() until the run ends.
    bool runUnderWay() const { return m_phase != RunPhase::Idle; }
    /// True while a page waits for Next, Prev, a page number or Cancel, and nothing has
    /// answered it yet.
    bool awaitsUser() const;
    /// True while Next waits for the page being drawn ahead on another thread.
    bool awaitsPageDrawnAhead() const;
    /// Continues the run under way to its end; `whileAwaiting` is called each time the run
    /// waits for the user, and must answer sooner or later (a tool presses Next).
    void runToEnd(const std::function<void()>& whileAwaiting);
    /// The names a run over all supported formats lists in a folder (ending in '/'), in
    /// the run's order; entries that cannot be opened are still listed.
    std::vector<std::string> listDesignFiles(const std::string& folder);

    /// Lays out a screen page of width x height pixels in the current layout, with the
    /// canvas set up as a run would, ready to draw into cell 1.
    void prepareScreenPage(Canvas& canvas, int width, int height);
    /// Cell CellNo on the canvas as a run draws into it.
    CellContext cellContext(Canvas& canvas);
    /// A design read into a cell outside a run: the reader its name selected (null when
    /// none reads it) and, where reading failed, why; its cell then shows the error.
    struct DecodedDesign {
        const Reader* reader = nullptr;
        std::optional<std::string> error;
    };
    /// Reads one design into cell CellNo with the reader its name selects (as under
    /// "All supported formats"). Its boxes go to the host.
    DecodedDesign decodeFile(Canvas& canvas, const std::string& path, std::unique_ptr<DesignFile> file);

    // Run control while a page waits at its end.
    void SBButtonClick();
    void SBCancelClick();
    void SBPrevClick();
    /// Key codes as the window sees them; returns true when the key was consumed.
    bool FormKeyDown(int key);
    /// Characters typed; returns true when handled.
    bool FormKeyPress(char key);
    bool prevShown() const { return m_controls.prev; }
    bool nextShown() const { return m_controls.next; }
    /// Page Down and the wheel turned down: Next, while a page waits that another follows.
    void pageForward();
    /// Page Up and the wheel turned up: Prev, while it is shown.
    void pageBack();
    /// While a page waits: page `page` (from 1) of the run's PageCount is drawn next, as
    /// the run lays its pages out from StartIndex. Out of range, or the page on display:
    /// nothing happens.
    void goToPage(int page);
    /// While a page waits: it is drawn again from its first design (the canvas now draws
    /// otherwise). Else nothing happens.
    void redrawPageWaiting();
    /// The number (from 1) of the page on display in the run's PageCount.
    int pageNumberOnDisplay() const;

    /// The designs `names` of `folder` were deleted or moved away: they leave the selection,
    /// and their cells, on the page on display and on every page the run draws after, show
    /// their name struck through with "deleted" or "moved" after it, and select nothing. A
    /// page drawn after has no picture in such a cell.
    void markGone(const std::string& folder, const std::vector<std::string>& names, Gone how);
    /// The run under way, or the last one; null before the first and while a run that found
    /// nothing to show, or has not listed its designs yet, is the last.
    std::shared_ptr<const Run> run() const { return m_run; }
    /// What that run learned of its entries so far: skipped, failed, stamps.
    const RunRecords& runRecords() const { return m_records; }
    /// First file index of the page on display.
    int firstIndexOnDisplay() const;
    const PageOnDisplay& pageOnDisplay() const { return m_display; }
    /// Designs the last run drew or printed (cells it used).
    int designsShown() const { return m_designsShown; }
    /// A design of a run whose file could not be read or that its reader refused: its cell
    /// shows the message.
    struct FailedDesign {
        std::string name;
        std::string message;
    };
    /// The designs of the last run that failed, in the run's order, each once.
    std::vector<FailedDesign> failedDesigns() const;

    // Readers. Each draws the open design file into cell CellNo with its reader module.
    void TajimaFormat(Canvas& canvas);
    void PESFormat(Canvas& canvas);
    void PCDesignerFormat(Canvas& canvas);
    void KSMFormat(Canvas& canvas);
    void EXPFormat(Canvas& canvas);

    /// Hands the catalog a design file for the reader routines above.
    void setDesignFile(std::unique_ptr<DesignFile> file);

    // The selection, as the window's selection model changes it.
    /// The list entry of the design whose cell on the page on display holds (x, y) in its
    /// picture half; empty where there is none or no page is complete.
    std::string entryAt(int x, int y) const;
    /// The designs `entries` of the page on display's run join the selection or leave it;
    /// a first design selected starts a new selection in that run's folder. A page drawn
    /// ahead with the selection as it was is drawn again.
    void setSelected(const std::vector<std::string>& entries, bool selected);
    /// Writes the names of those of `entries` that are on the page on display again on
    /// `canvas` in their selection's colour; true when it wrote any.
    bool showSelectionOf(Canvas& canvas, const std::vector<std::string>& entries);

private:
    /// The open design file; only valid while a reader runs.
    DesignFile& designFile();
    /// The grid of the run's page as the state holds it.
    PageFrame pageFrame() const { return PageFrame::of(m_state, m_pageWidth, m_pageHeight); }

    // Prev, GoTo (a page by its number) and Redraw (the window changed size) draw a page
    // from the list again.
    enum class PageEnd { Next, NextDrawnAhead, Prev, PrevKept, GoTo, Redraw, Cancel };
    enum class RunEnd { Finished, Cancelled, NothingToShow, PrintDeclined };

    // Steps of a run
    void beginRun();
    void measureTarget(Canvas& canvas, bool printing, int& width, int& height, bool& portrait);
    void setUpCanvas(Canvas& canvas, bool printing, int width, int height);
    void computeGrid(int width, int height, bool portrait);
    void paintPageWhite(Canvas& canvas);
    void writeFolderLine(Canvas& canvas, int width);
    bool collectFiles();
    /// Collects the folder with its subfolders and archives through the collector.
    void collectTree();
    /// Orders FileList by `order` instead of the plain collation, until restorePlainOrder().
    void orderFileList(NameComparer order);
    void restorePlainOrder();
    /// The plain collation of names, whatever order FileList has now.
    const NameComparer& plainOrder() const;
    /// The extensions a run over a folder lists, in their order.
    std::vector<std::string> extensionsToSearch() const;
    void findStartPosition();
    /// "; 2 could not be opened: 1 gone, 1 no permission", or empty.
    std::string skippedSummary() const;
    /// Entries from StartIndex on that open: the designs a print run will print.
    int countDesignsToPrint();
    /// Lays out the run's target and lists its designs: the first step of View().
    void startDrawing();
    /// The run as a value, from the list and what collecting it found, and its drawer.
    void makeRun();
    /// The state's CellNo and FileIndex follow the drawing's position.
    void notePosition();
    /// Opens the next design and draws it, or comes to a page's end, or to the last design's.
    void drawStep();
    /// After the last design, or Cancel: the run ends, or its last page waits.
    void afterLastDesign();
    /// Draws `file`'s design into cell CellNo and moves on to the next entry; the run ends
    /// when the user declined the print job it starts.
    void drawDesignStep(std::unique_ptr<DesignFile> file);
    /// Draws `file`'s design into cell CellNo and moves on to the next entry; false when the
    /// user declined the print job it starts.
    bool drawNextDesign(std::unique_ptr<DesignFile> file);
    /// Runs a step of the run; an error ends the run, with the window left usable.
    template <typename Step> void guardedStep(Step step);
    void endRun(RunEnd end);
    RunProgress progress() const;
    /// The page drawn ahead goes on display: the run stands after it.
    void takePage(const PageResult& page);
    void resume(const RunProgress& progress);
    /// A page waits for Next and another follows it: the page after it is drawn ahead.
    void startPageAhead();
    /// After Next: the page drawn ahead goes on display and the run stands after it, when it
    /// was drawn for this very page and nothing it read has changed; else it is dropped.
    /// The page it replaces is kept as `keepLeftAs`.
    bool takePageAhead(int keepLeftAs);
    void dropPageAhead();
    /// After Next: the run as it waited at the page left, to come back to at once on Prev;
    /// returns the key the page is kept under.
    int rememberPageLeft(const RunProgress& atWait);
    /// Copies into the run taken from another page what the user chose and did since.
    void keepUsersChoices(RunProgress& progress) const;
    /// After Prev: the page before the one on display, kept when Next left it, goes on
    /// display again and the run stands as it stood when that page waited, when nothing it
    /// read has changed and the window has the same size.
    bool restoreKeptPage();
    /// True when the window's page area is still the size of the run's page.
    bool sameWindowSize() const;
    void forgetKeptPages();
    /// A box of the design at `designPath`: once a run during a run, else straight to the host.
    void raiseDesignBox(const std::string& designPath, const std::string& text, const std::string& caption,
                        MessageIcon icon);
    /// A box a design raised while its cell was drawn.
    void raiseDesignBox(const DesignBox& box);
    /// Draws the open design file into cell CellNo with the reader; a failure's box is raised.
    CellOutcome drawCell(Canvas& canvas, const Reader& reader);
    /// drawCell with the design's lines confined to the cell.
    CellOutcome runDecoder(Canvas& canvas, const Reader& reader);
    /// Reads the open design file into cell CellNo with the registry's reader of that name.
    void readDesign(Canvas& canvas, std::string_view readerName);
    /// A page is complete: the run offers Next (and Prev) and waits for the user.
    void enterPageEnd(bool finalPage);
    /// True once the user answered the page waiting, or the window changed size under it.
    bool pageEndAnswered();
    /// True while Next waits for the page being drawn ahead.
    bool awaitsPageAhead() const;
    /// The user answered the page waiting: what the answer was.
    PageEnd answerOfPageEnd();
    /// Takes the page drawn ahead or the one kept, else clears the page for the one asked for.
    PageEnd leavePageEnd(PageEnd end);
    /// The run goes on after the page's end as the user asked.
    void goOnAfterPageEnd(PageEnd end);
    /// After Prev: the first design of the page before the one on display comes next.
    void goBackOnePage();
    /// After Prev, GoTo or Redraw: the page they ask for is drawn next.
    void drawPageAgain(PageEnd end);
    static bool drawsPageAgain(PageEnd end)
    {
        return end == PageEnd::Prev || end == PageEnd::GoTo || end == PageEnd::Redraw;
    }
    /// True when the list entry's design was deleted or moved away in this run.
    bool deletedEntry(const std::string& name) const;
    /// What the user may do with the run, as the host offers it from now on.
    void offerControls(const RunControls& controls);
    void rememberScreenGeometry();
    /// The grid of the page on display, for clicks and red names.
    void recordDisplayGeometry();
    /// Before a new screen page: when the window's page area changed size since the
    /// page before, the page and its grid take the new size.
    void followWindowSize(Canvas& canvas);
    void rewriteNameOnDisplay(Canvas& canvas, int cell);
    void finishRun(bool printing, const std::string& caption);
    void recoverFromError(bool printing, const std::string& message);

    // Catalog printing
    /// Begins the document with the first page's texts; false when the user declined.
    bool startPrintJob(Canvas& canvas, int width, int height);
    void startNewPrintPage(Canvas& canvas, int width, int height);
    void writePageTitle(Canvas& canvas, int width);
    void writePageFooterAndFolder(Canvas& canvas, int width, int height);
    void writePageNumber(Canvas& canvas, int width, int height);

    CatalogState m_state;
    Host& m_host;
    RunMessages m_messages{m_host, m_state.CancelPressed};  // the boxes of the run under way
    bool m_runActive = false;
    // The run under way: where it stands, what it draws on, and what it carries from one
    // step to the next.
    enum class RunPhase { Idle, Drawing, AtPageEnd, AwaitingPageAhead };
    RunPhase m_phase = RunPhase::Idle;
    bool m_drewDesign = false;  // by the step under way
    Canvas* m_runCanvas = nullptr;
    bool m_printing = false;
    bool m_printStarted = false;
    bool m_finalPageEnd = false;               // the page waiting is the run's last
    std::optional<RunProgress> m_atWait;       // the run as it waits, to keep the page left
    PageEnd m_pageEnd = PageEnd::Next;         // the answer while Next awaits the page ahead
    std::unique_ptr<DesignFile> m_designAfterPage;  // opened before its page's end; drawn after it
    int m_pageWidth = 0;  // of the run's target, in its pixels
    int m_pageHeight = 0;
    FileSystem& m_fileSystem;
    Canvas* m_mainCanvas = nullptr;
    Printer* m_printer = nullptr;
    PageAhead* m_pageAhead = nullptr;
    bool m_pageAheadStarted = false;
    // Pages left by Next, by their first index: the run as it waited at each, the files
    // read for it as they were then, and the cells it used.
    struct KeptPage {
        RunProgress atWait;
        int first = 0;  // its first entry
        int designs = 0;
    };
    std::map<int, KeptPage> m_keptPages;
    std::unique_ptr<DesignFile> m_designFile;
    std::string m_pageTitle;
    PageOnDisplay m_display;
    int m_designsShown = 0;
    RunControls m_controls;  // as the host offers them
    bool m_prevPressed = false;
    int m_goToIndex = -1;          // the first entry of the page asked for by its number
    bool m_redrawPressed = false;  // the page waiting is drawn again for the window's size
    bool m_atFinalPage = false;    // the page waiting is the run's last
    std::map<std::string, Gone> m_deleted;  // the designs deleted or moved in this run, by path
    std::shared_ptr<const Run> m_run;       // the run under way, or the last one
    PagePosition m_at;                      // where its drawing stands
    RunRecords m_records;                   // what it learned of its entries
    std::optional<PageDrawer> m_drawer;     // draws its designs on its target
    bool m_folderLineOnPage = false;
    /// True when every entry from `first` up to (not including) `end` is as it was when
    /// the run opened it, and was deleted then exactly when it is deleted now.
    bool unchangedSinceOpened(const std::map<int, std::optional<FileStamp>>& stamps, int first, int end,
                              const std::map<std::string, Gone>& deletedThen);
    // Folder trees and archives
    DesignCollector* m_collector = nullptr;
    std::map<std::string, std::string> m_collectErrors;  // paths of the list that are error cells
    bool m_listOrdered = false;       // FileList has another order than the plain collation
    NameComparer m_plainOrder;        // the plain collation while it has
    bool m_givenPending = false;      // the next run shows the designs setGivenDesigns() gave
    bool m_treeRun = false;           // the run's list holds paths, not bare names
    std::map<std::string, std::string> m_remarkNotes;  // of the given designs, by path
};

} // namespace orlika
