// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FilterIndex.h"

#include <stdexcept>
#include <string>

namespace orlika {

enum class MessageIcon { None, Information, Warning, Error, Question };
// OkNoMoreStop: a design's box during a run, with "No More Messages" and "Stop the Run".
// YesNoToAll: one question of many alike, with "Yes to All" and "No to All".
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, OkNoMoreStop, YesNoToAll };
enum class MessageAnswer { Ok, Cancel, Yes, No, NoMoreMessages, StopRun, YesToAll, NoToAll };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    std::string details{};  // shown on request below the text, where the box can
};

// Where the copy/move dialog sends the selected designs.
struct CopyMoveDestination {
    std::string folder;   // as chosen; the root folder is "/"
    bool copy = false;    // copy the files (asking before overwriting) instead of moving
};


// The file chosen in the file-listing dialog and the filter it was chosen under.
struct ListingFileChoice {
    std::string fileName;
    FilterIndex filterIndex = FilterIndex::AllSupported;
};

// What the user may do with a run under way: stop it, and, while a page waits, go on to
// the next page or back to the one before.
struct RunControls {
    bool cancel = false;
    bool next = false;
    bool prev = false;
    bool operator==(const RunControls&) const = default;
};

// How a status text reads: most are progress; the end of a run stands out.
enum class StatusTone { Progress, RunEnd };

// Size of the main window's page area, in pixels.
struct ScreenGeometry {
    int clientWidth = 0;
    int clientHeight = 0;
    int panelHeight = 0;   // the status panel at the bottom of the client area
    int outerWidth = 0;    // the whole window, used to paint the page white
    int outerHeight = 0;

    bool operator==(const ScreenGeometry&) const = default;
};

// Everything the catalog core needs from the user interface.
class Host {
public:
    virtual ~Host() = default;

    /// Tells what the program is doing, or how a run ended.
    virtual void setStatus(const std::string& text, StatusTone tone = StatusTone::Progress) = 0;
    /// Tells which phase the design being read is in (empty: none).
    virtual void setPhase(const std::string& text) = 0;
    /// A run or another long job is under way (true) or over: commands that would start
    /// another, or change the layout, wait; the selection's commands too.
    virtual void setBusy(bool busy) = 0;
    /// What the user may do with the run under way.
    virtual void setRunControls(const RunControls& controls) = 0;
    /// How many designs are selected; their commands are offered while nothing is busy.
    virtual void setSelectedCount(int count) = 0;
    /// Shows a modal message box and returns the user's answer.
    virtual MessageAnswer messageBox(const MessageRequest& request) = 0;
    /// Shows the page-title dialog modally and returns its text.
    virtual std::string askPageTitle() = 0;
    /// The current date and time as text (short date, long time).
    virtual std::string dateTimeText() = 0;
    /// The decimal separator of remark numbers.
    virtual char decimalSeparator() const = 0;
    /// The main window's page area.
    virtual ScreenGeometry screenGeometry() const = 0;
    /// Makes the page that screen runs draw on the page area's size, white, keeping its
    /// canvas (a run calls it when the window changed size while a page waited).
    virtual void resizePage() {}
    /// Shows the message of an error that ended a run.
    virtual void showError(const std::string& message) = 0;

    // The file commands' dialogs. Hosts without them answer "cancelled".
    /// Shows the copy/move dialog modally; false when it closed without OK.
    virtual bool askCopyMoveDestination(CopyMoveDestination& /*destination*/) { return false; }
    /// Shows the file-listing open dialog modally; false when cancelled.
    virtual bool askListingFile(ListingFileChoice& /*choice*/) { return false; }
    /// Tells that a file listing is printing (true), or no longer.
    virtual void setListingPrinting(bool /*printing*/) {}
    /// The user waits for a job that shows no progress of its own (true), or no longer.
    virtual void setWaiting(bool /*waiting*/) {}
};

// A print job that cannot start or cannot be written; the message names the printer or
// file and the reason.
class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The printer service: one document of pages drawn on the printer's canvas.
class Printer {
public:
    virtual ~Printer() = default;

    /// Printable width in printer pixels.
    virtual int pageWidth() const = 0;
    /// Printable height in printer pixels.
    virtual int pageHeight() const = 0;
    /// True when the paper is oriented portrait.
    virtual bool portrait() const = 0;
    /// Horizontal and vertical resolution in dots per inch.
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    /// Starts the document; its first page is ready to draw on. False when the user
    /// declined (for example the name of a PDF file); throws PrintError when it cannot start.
    virtual bool beginDoc() = 0;
    /// Ends the current page and starts the next; throws PrintError when it cannot.
    virtual void newPage() = 0;
    /// Ends the document and hands it to the printer service; throws PrintError when the
    /// document could not be written or the service refused it.
    virtual void endDoc() = 0;
    /// True between beginDoc() and endDoc().
    virtual bool printing() const = 0;
    /// The canvas of the current page.
    virtual class Canvas& canvas() = 0;
};

} // namespace orlika
