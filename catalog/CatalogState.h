// SPDX-License-Identifier: MIT
#pragma once

#include "catalog/PageLayout.h"
#include "cell/CellContext.h"
#include "decoders/Registry.h"
#include "platform/Color.h"
#include "platform/SortedNameList.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orlika {

// What the open dialog holds between commands: the chosen file(s) and the filter.
struct OpenDialogState {
    std::string FileName;             // the whole path of the (first) chosen file
    std::vector<std::string> Files;   // every chosen path of a multiple selection
    orlika::FilterIndex FilterIndex = orlika::FilterIndex::AllSupported;  // shown first
};

// The program-wide variables through which the page engine, the commands, the
// selection and the decoders talk. Names and start values are the catalog's own. The
// figures the readers leave behind (PosX, PosY, MinX..., StitchCount, MinusX...,
// ColorChangeCount) come from DesignFigures.
struct CatalogState : DesignFigures {
    // Layout (applyLayout sets these four together), the standard one to begin with
    std::uint16_t PageColumns = layouts::kStandard.columns;
    std::uint16_t PageRows = layouts::kStandard.rows;
    bool Thumbnails = layouts::kStandard.thumbnails;
    bool NoRemarks = layouts::kStandard.noRemarks;

    // Page geometry, in device pixels of the run's target (applyGeometry)
    int CellsPerPage = 0;
    int CellWidth = 0;
    int CellHeight = 0;
    int HalfCellHeight = 0;
    int MarginX = 0;
    int MarginY = 0;
    std::array<CellPoint, 31> CellOrigin{};
    int CellNo = 0;
    int LineHeight = 0;

    // The design being drawn
    std::int64_t DesignSize = 0;
    std::string DesignPath;

    // Files and paging
    SortedNameList FileList;
    SortedNameList SelectedList;
    std::string SelectedFolder;   // the folder of the page on which the names were selected
    /// Of the selected designs that Find Duplicates found as byte copies: the member of their
    /// identical files that is kept. Delete removes such a copy only while its bytes are
    /// still the kept one's. Paths relative to SelectedFolder; it goes with the selection.
    std::map<std::string, std::string> KeptCopyOf;
    std::string OpenFileName;
    std::string FolderPath;
    std::string OpenFileExt;
    orlika::FileKind FileKind{};
    std::vector<std::string> DesignExtensions = designExtensions();
    bool FromBeginning = false;
    bool UseDialogList = false;
    bool UseSelectedList = false;
    /// A run over a folder takes its subfolders and the archives in them too; FileList
    /// then holds paths relative to FolderPath (catalog/DesignPaths.h).
    bool IncludeSubfolders = false;
    int FileCount = 0;
    int StartIndex = 0;
    int FileIndex = 0;
    int PageNo = 0;
    int PageCount = 0;
    std::string PrintDate;

    // Run control
    bool NextPressed = false;
    bool CancelPressed = false;
    bool PageComplete = false;
    bool ViewDone = false;

    // Pen colours that readers step through at colour changes
    PenColorTable ColorTable = penColors();

    OpenDialogState OpenDialog1;
};

} // namespace orlika
