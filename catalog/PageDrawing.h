// SPDX-License-Identifier: MIT
// Drawing a run's designs into the cells of a page, one at a time: the page engine's run
// does it on the window's page or the printer, and drawPage() does it for a whole page on
// its own, for the page drawn ahead of Next on another thread.
#pragma once

#include "catalog/PageOnDisplay.h"
#include "catalog/Run.h"
#include "cell/CellContext.h"
#include "cell/CellRenderer.h"
#include "platform/Canvas.h"
#include "platform/DesignFile.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/SortedNameList.h"

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

struct CatalogState;

/// The grid of the page being drawn, in its target's pixels, as the run laid it out.
struct PageFrame {
    std::array<CellPoint, 31> origins{};
    int cellsPerPage = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int halfCellHeight = 0;
    int lineHeight = 0;
    bool thumbnails = false;
    bool noRemarks = false;
    int pageWidth = 0;
    int pageHeight = 0;

    bool operator==(const PageFrame&) const = default;

    /// The grid the state's fields hold, on a target of pageWidth x pageHeight pixels.
    static PageFrame of(const CatalogState& state, int pageWidth, int pageHeight);
    /// The left edge and middle line of cell `cellNo` (from 1); none outside the grid.
    CellPoint anchor(int cellNo) const;
    /// The part of the page that cell `cellNo` owns: its column, from the highest point a
    /// design drawn to scale may reach (or the top of its name line) down to the next
    /// row's name line. A reader's lines never leave it.
    PixelRect cellArea(int cellNo, Canvas& canvas) const;
    /// Cell `cellNo` as the cell renderer draws into it.
    CellGeometry cellGeometry(int cellNo, Canvas& canvas) const;
};

/// Keeps a design's lines inside its cell's area while it lives: a header that lies about
/// the design's size must not draw over other cells.
class CellLineClip {
public:
    CellLineClip(Canvas& canvas, const PixelRect& area) : m_canvas(canvas) { m_canvas.clipLines(area); }
    ~CellLineClip()
    {
        m_canvas.flush();
        m_canvas.unclipLines();
    }
    CellLineClip(const CellLineClip&) = delete;
    CellLineClip& operator=(const CellLineClip&) = delete;

private:
    Canvas& m_canvas;
};

/// Where the drawing of a run's pages stands between two designs.
struct PagePosition {
    int cellNo = 1;     // the cell drawn next
    int fileIndex = 0;  // the list entry looked at next
    int skippedBeforeDesign = 0;  // entries not opened since the last design drawn
    int skippedOnPage = 0;        // entries not opened on the page
    int lastPictureIndex = 0;     // the entry the caption counted last
    std::vector<std::string> folders;  // of a tree's designs on the page, in order

    bool operator==(const PagePosition&) const = default;
};

/// A box a design raises while it is drawn.
struct DesignBox {
    std::string designPath;
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    int cell = 0;  // the cell being drawn when it was raised: its moment on the page
};

/// What a page drawer draws with and tells; its owner keeps every part alive.
struct PageDrawerParts {
    const Run& run;
    Canvas& canvas;
    Canvas* mainCanvas;                       // selected names turn red here; null: nowhere
    FileSystem& files;
    Host& cellHost;                           // the cells' phase label and number format
    DesignFigures& figures;                   // what the readers leave behind
    std::string& designPath;                  // of the design being drawn
    std::int64_t& designSize;                 // its file's size
    const SortedNameList& selected;
    const std::map<std::string, Gone>& gone;  // designs deleted or moved, by path
    const bool& cancelPressed;
    RunRecords& records;
    PageOnDisplay* display;                   // the screen page's record; null when printing
    std::function<void(const std::string&)> caption;  // the status line
    std::function<void(const DesignBox&)> raise;      // a design's box, as it is raised
};

// Draws the designs of a run into the cells of a page, one at a time.
class PageDrawer {
public:
    PageDrawer(PageDrawerParts parts, PagePosition& at) : m_parts(std::move(parts)), m_at(at) {}

    /// The page's grid, for a run's start and when the window changes size.
    void setFrame(const PageFrame& frame) { m_frame = frame; }
    const PageFrame& frame() const { return m_frame; }

    /// Moves the position to the next entry that opens and returns it open; null at the end
    /// of the list. Entries that cannot be opened are skipped without a cell.
    std::unique_ptr<DesignFile> openNextDesign();
    /// Counts the design at the position as its page's (its folder, the entries skipped
    /// before it) and shows its caption.
    void announceDesign(bool printing);
    /// Draws `file`'s design, the entry at the position, into the position's cell and moves
    /// on to the next entry and cell.
    void drawNextDesign(bool printing, std::unique_ptr<DesignFile> file);
    /// After the last design: entries after it that could not be opened are its page's too.
    void countTrailingSkips(bool printing, int designsShown);
    /// The caption of the picture being drawn, with the entries of the page that could
    /// not be opened.
    void showPictureCaption(bool printing, int index);
    /// The folders of the designs on the page, for the caption of a tree's run.
    std::string pageFoldersText() const;
    /// True when the list entry's design was deleted or moved away in this run.
    bool goneEntry(const std::string& entry) const;
    /// Cell `cellNo` on the canvas, for a reader.
    CellContext cellContext(int cellNo, const std::string& entry);

private:
    void drawDesign(bool printing, std::unique_ptr<DesignFile> file);
    CellOutcome drawCell(const Reader& reader, DesignFile& file, const std::string& entry);
    CellOutcome runDecoder(const Reader& reader, DesignFile& file, const std::string& entry);
    void writeGoneCell(const std::string& entry, const std::string& path);
    /// The selection as the cell being drawn sees it (it compares its name line's name).
    const SortedNameList& selectionFor(const std::string& entry);

    PageDrawerParts m_parts;
    PagePosition& m_at;
    PageFrame m_frame;
    SortedNameList m_cellSelection;
};

struct PageResult;

/// What drawPage() draws: the screen page of a run that starts where `from` stands, with
/// the user's choices as they stand.
struct PageJob {
    std::shared_ptr<const Run> run;
    PageFrame frame;
    ScreenGeometry screen;         // the window's page, painted white first
    PagePosition from;
    SortedNameList selected;
    std::map<std::string, Gone> gone;
    DesignFigures figures;         // as the run left them
    char decimalSeparator = '.';

    /// True when `other` draws the very same page: of the same run, from the same place,
    /// on the same grid, with the same choices of the user.
    bool drawsSamePage(const PageJob& other) const;
    /// The page after the one `page` drew from this job, with the same choices; none when
    /// the list ended on it.
    std::optional<PageJob> nextAfter(const PageResult& page) const;
};

/// What drawing a page did: the cells it used, what it learned of their files, the boxes
/// its designs raised in order, and the caption it ended with. It calls no host.
struct PageResult {
    PagePosition after;             // the position after its last design
    int start = -1;                 // the entry of its first cell; -1: none
    RunRecords records;
    std::array<std::string, 31> names{};  // the entry drawn in each cell; empty: none
    int designs = 0;                // cells used
    std::vector<DesignBox> boxes;
    std::vector<std::string> phases;
    std::string caption;
    DesignFigures figures;          // as its last design left them
    std::string designPath;         // of its last design
};

/// The name line of a design gone: its name written black as writeCellName writes it, but
/// in less room, struck through, and "deleted" or "moved" after it.
void writeGoneName(Canvas& canvas, DesignFigures& figures, CellPoint origin, int nameWidth, int halfCellHeight,
                   const std::string& name, Gone how);

/// Sets the canvas up as a page of a run begins (pen, brush, font) and returns the height
/// of the remarks' lines on it.
int setUpPageCanvas(Canvas& canvas, bool printing, int width, int height);
/// The folder line at the top of a screen page.
void writeFolderLine(Canvas& canvas, int width, const std::string& folder);

/// Draws the page `job` describes on `canvas`: white, its folder line, then its designs
/// from cell 1 until it is full or the list ends. `stop` ends it between two designs;
/// the page is then none.
std::optional<PageResult> drawPage(const PageJob& job, Canvas& canvas, FileSystem& files,
                                   const std::atomic<bool>& stop);

} // namespace orlika
