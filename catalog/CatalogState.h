// SPDX-License-Identifier: MIT
#pragma once

#include "decoders/PecThreads.h"
#include "platform/Color.h"
#include "platform/SortedNameList.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orlika {

struct CellPoint {
    int X = 0;
    int Y = 0;
};

// What the open dialog holds between commands: the chosen file(s) and the filter.
struct OpenDialogState {
    std::string FileName;             // the whole path of the (first) chosen file
    std::vector<std::string> Files;   // every chosen path of a multiple selection
    int FilterIndex = 7;              // 1-based, "All supported formats" first
};

// The program-wide variables through which the page engine, the commands, the
// selection and the decoders talk. Names and start values are the catalog's own.
struct CatalogState {
    // Layout
    std::uint16_t PageColumns = 3;
    std::uint16_t PageRows = 2;
    bool Thumbnails = false;
    bool NoRemarks = false;

    // Page geometry, in device pixels of the run's target
    int CellsPerPage = 0;
    int CellWidth = 0;
    int CellHeight = 0;
    int HalfCellHeight = 0;
    int MarginX = 0;
    int MarginY = 0;
    std::array<CellPoint, 31> CellOrigin{};
    int CellNo = 0;
    int LineHeight = 0;

    // Drawing scratch shared with the decoders
    float PosX = 0;
    float PosY = 0;
    float MinX = 0;
    float MaxX = 0;
    float MinY = 0;
    float MaxY = 0;
    std::int32_t StitchCount = 0;
    std::array<std::uint8_t, 512> NameBuffer{};
    std::array<std::uint8_t, 1500> RecordBuffer{};   // raw records of the DST and KSM readers

    // The design being drawn
    std::int64_t DesignSize = 0;
    std::string DesignPath;

    // Files and paging
    SortedNameList FileList;
    SortedNameList SelectedList;
    std::string SelectedFolder;   // the folder of the page on which the names were selected
    std::string OpenFileName;
    std::string FolderPath;
    std::string OpenFileExt;
    std::uint8_t FileKind = 0;
    std::array<std::string, 9> DesignExtensions{
        ".PCS", ".PCD", ".PCQ", ".PEC", ".PES", ".KSM", ".EXP", ".SEW", ".DST"};
    bool FromBeginning = false;
    bool UseDialogList = false;
    bool UseSelectedList = false;
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

    // Pen colours the DST, KSM and EXP readers step through at colour changes
    std::array<Color, 18> ColorTable{
        rgb(0, 0, 0), rgb(128, 0, 0), rgb(0, 128, 0), rgb(128, 128, 0), rgb(0, 0, 128),
        rgb(128, 0, 128), rgb(0, 128, 128), rgb(128, 128, 128), rgb(192, 192, 192),
        rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 0, 255), rgb(0, 255, 255),
        rgb(255, 255, 0), rgb(128, 128, 128), rgb(192, 192, 192), rgb(255, 255, 255)};

    OpenDialogState OpenDialog1;

    // Tajima reader: the last design's extents and counts, read by its remarks
    std::int32_t MinusX = 0;
    std::int32_t PlusX = 0;
    std::int32_t MinusY = 0;
    std::int32_t PlusY = 0;
    std::int32_t ColorChangeCount = 0;
    int ColorIndex = 0;
    std::array<std::uint8_t, 512> TajimaHeader{};

    // PES/PEC reader: the Brother thread chart, and the one buffer the stitch stream
    // passes through
    PecThreadTables PecThreads;
    std::array<std::uint8_t, 512> PesBuffer{};
};

} // namespace orlika
