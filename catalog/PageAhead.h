// SPDX-License-Identifier: MIT
// A screen page drawn ahead: while a page waits for Next, the page after it is drawn on
// another thread, from the run it shares and the user's choices as they stood, into a page
// of its own, with file handles of its own. Next then shows it at once, when nothing that
// page depends on has changed since.
#pragma once

#include "catalog/PageDrawing.h"
#include "catalog/PageOnDisplay.h"
#include "platform/FileSystem.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orlika {

/// A screen run as it waits at the end of a page: what Prev comes back to, and what a
/// page drawn ahead goes on from.
struct RunProgress {
    PagePosition at;
    PageOnDisplay display;
    std::map<int, std::optional<FileStamp>> stamps;  // of the page's entries, as they were opened
    std::map<std::string, Gone> deleted;             // the designs gone then, by path
    DesignFigures figures;                           // as the page's last design left them
    std::string designPath;
    int designsShown = 0;
};

/// The page drawn ahead and what it was drawn from.
struct PreparedPage {
    PageJob job;
    PageResult page;
};

/// Draws the page `job` describes on `canvas`, for a page ahead; none when stopped.
inline std::optional<PreparedPage> preparePage(PageJob job, Canvas& canvas, FileSystem& files,
                                               const std::atomic<bool>& stop)
{
    std::optional<PageResult> page = drawPage(job, canvas, files, stop);
    if (!page)
        return std::nullopt;
    return PreparedPage{std::move(job), std::move(*page)};
}

/// How many pages left by Next are kept to come back to at once on Prev.
constexpr std::size_t kPagesKept = 4;

// Draws the page after the one waiting on another thread, into a page image of its own.
// The window implements it; the page engine asks for a page when one waits, and takes it
// when Next is pressed.
class PageAhead {
public:
    virtual ~PageAhead() = default;
    /// Starts drawing the page the job describes; work under way for another is dropped.
    virtual void start(PageJob job) = 0;
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
