// SPDX-License-Identifier: MIT
// Find Designs and Find Duplicates: what to find in which folder tree, the reading of the
// tree into the index, and the designs found handed to the catalog as a run of its own.
#pragma once

#include "collection/Find.h"

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace orlika {

class Catalog;
class QtHost;
class TFindDialog;

/// What a find asks for and how its designs are shown.
struct FindRequest {
    std::string folder;  // the tree's, ending in '/'
    FindQuery query;
    bool print = false;      // printed rather than shown on screen
    bool selectAll = false;  // every design found selected, not only the preselected copies
};

class FindController {
public:
    /// The find dialog is made as a child of `window`.
    FindController(QWidget& window, Catalog& catalog, QtHost& host);

    /// Find Designs' dialog, made at first use.
    TFindDialog& dialog();
    /// Shows Find Designs' dialog, on the folder last shown until another is chosen; nothing
    /// when it is declined or a field is wrong (a message box says which).
    std::optional<FindRequest> askFindDesigns();
    /// Reads the tree into the index, with the menus off and Cancel shown, and finds the
    /// designs asked for. Where there are some, hands them to the catalog as a given run
    /// with the selection asked for, and returns what the index told ("; " and its notice,
    /// or empty) for the status line after the run; else says on the status line that the
    /// find stopped or found nothing, and returns nothing.
    std::optional<std::string> find(const FindRequest& request);

private:
    struct Answer {
        std::vector<FoundDesign> found;  // in the order a run lists them
        std::string notice;              // what the index had to tell
        bool stopped = false;            // Cancel stopped the reading
    };
    /// Brings the index of the tree up to date and asks it the query.
    Answer readAndFind(const FindRequest& request);
    /// The designs found as the catalog's next run: a new selection, of the designs asked
    /// to be selected.
    void giveToCatalog(const FindRequest& request, const std::vector<FoundDesign>& found);

    QWidget& m_window;
    Catalog& m_catalog;
    QtHost& m_host;
    TFindDialog* m_dialog = nullptr;
};

} // namespace orlika
