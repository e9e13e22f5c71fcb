// SPDX-License-Identifier: MIT
// A screen page drawn ahead: while a page waits for Next, the page after it is drawn on
// another thread from a copy of the run, into a page of its own, with file handles of its
// own. Next then shows it at once, when nothing that page depends on has changed since.
#pragma once

#include "catalog/CatalogState.h"
#include "catalog/PageOnDisplay.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orlika {

/// How a design of a run left its folder while the run went on: its cell says which.
enum class Gone : std::uint8_t { Deleted, Moved };

/// A screen run as it stands between two designs: what a page drawn ahead starts from and
/// what it hands back.
struct RunProgress {
    CatalogState state;
    PageOnDisplay display;
    std::map<int, OpenFailure> skipped;  // entries that could not be opened, by index
    std::map<int, std::string> failed;   // designs whose reading failed, by index
    std::map<int, std::optional<FileStamp>> stamps;  // each entry as it was when it was opened
    int designsShown = 0;
    int skippedBeforeDesign = 0;
    int skippedOnPage = 0;
    int lastPictureIndex = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    // Of a run over a folder tree
    bool treeRun = false;                                // the list holds paths
    std::map<std::string, std::string> collectErrors;   // paths of the list that are error cells
    std::vector<std::string> pageFolders;                // of the designs on the page, in order
    std::map<std::string, std::string> remarkNotes;     // of the given designs, by path
    std::map<std::string, Gone> deleted;                // the designs deleted or moved in the run, by path
};

/// What a page drawn ahead starts from: the run waiting at the end of a page, the window's
/// page geometry and how the host writes numbers.
struct PageAheadJob {
    RunProgress from;
    ScreenGeometry screen;
    char decimalSeparator = '.';
};

/// A page drawn ahead: the run as it stands after it and what the status line said last.
/// It can stand in for the page only when it raised no box (a box belongs to the moment
/// its design is drawn).
struct PreparedPage {
    RunProgress after;
    std::string caption;
    bool raisedBoxes = false;
};

/// How many pages left by Next are kept to come back to at once on Prev.
constexpr std::size_t kPagesKept = 4;

// Draws the page after the one waiting on another thread, into a page image of its own.
// The window implements it; the page engine asks for a page when one waits, and takes it
// when Next is pressed.
class PageAhead {
public:
    virtual ~PageAhead() = default;
    /// Starts drawing the page the job describes; work under way for another is dropped.
    virtual void start(PageAheadJob job) = 0;
    /// True once the page asked for is drawn (or its drawing failed).
    virtual bool ready() const = 0;
    /// The page drawn, after ready(); none when its drawing failed. The page is not shown.
    virtual const PreparedPage* prepared() const = 0;
    /// Puts the page drawn on display in place of the one waiting, which is kept under
    /// `keepAs` so that it can be shown again.
    virtual void show(int keepAs) = 0;
    /// Drops the work: nothing it did is shown, and a file it had open is closed.
    virtual void drop() = 0;
    /// Keeps a copy of the page on display under `key`, so that it can be shown again
    /// after it was drawn over.
    virtual void keepPageOnDisplay(int key) = 0;
    /// Shows the page kept under `key` again; false when none is kept (or it no longer
    /// fits the window).
    virtual bool showKeptPage(int key) = 0;
    /// Forgets every page kept.
    virtual void forgetKeptPages() = 0;
};

} // namespace orlika
