// SPDX-License-Identifier: MIT
// The format registry: one row per format (decoders/Formats.def) holding its reader, its
// dialog filter and file kind, its extensions with their MIME types and fuzz targets.
// Everything else the program knows of formats derives from the rows: GetFileTypes, the
// dispatch by kind and by name, DesignExtensions, the dialogs' and the listing's filters,
// the fuzz targets and the desktop files.
#pragma once

#include "decoders/Design.h"
#include "platform/FilterIndex.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

/// The format class that the open dialog's choice stands for. The formats' own classes
/// are given by their rows; this one stands for all of them, decided per file by its name.
enum class FileKind : std::uint8_t { AllSupported = 6 };

/// A reader: the routine's name, and how its designs are decoded. How they are laid out in
/// a cell is the cell layer's, by the routine's name (cell/CellRules.h).
struct Reader {
    std::string_view name;
    const Decoding& decoding;
};

/// One extension of a format.
struct FileType {
    std::string_view format;      // the format's name in the registry
    std::string_view extension;   // upper case, with its dot: ".PCS"
    int searchRank;               // place among DesignExtensions, from 1
    std::string_view fuzzTarget;  // the fuzz target its files seed
    std::string_view mimeType;
};

/// One format: a filter of the open dialogs and the reader of its files.
struct Format {
    std::string_view name;        // "Dst": its file pair is decoders/Dst.{h,cpp}
    FilterIndex filter;
    std::string_view filterText;  // "Pfaff(PCS,PCD,PCQ)"
    std::string_view pattern;     // "*.PC?", or several joined by ';'
    FileKind kind;
    Reader reader;
    int nameRank;                 // place in the dispatch by name, from 1
    std::span<const FileType> types;

    /// The dialog's patterns: "*.PES", "*.PEC".
    std::vector<std::string> patterns() const;
};

/// Every format, in the order GetFileTypes tests them.
std::span<const Format> formats();
/// Every format, in the order of the dialogs' filters.
std::vector<const Format*> formatsByFilter();
/// The format whose dialog pattern, without its wildcards, the upper-cased path holds
/// first (".DST", ".PES", ".PEC", ".PC"...); null when none.
const Format* formatOfDialogName(const std::string& path);
/// The format of a dialog filter; null for the filters that span formats.
const Format* formatOfFilter(FilterIndex filter);
/// The reader of a format class; null for classes without one.
const Reader* readerOfKind(FileKind kind);
/// The reader a file name selects under "All supported formats": the first format, in
/// the name ranks' order, one of whose extensions the upper-cased name holds.
const Reader* readerOfName(const std::string& fileName);
/// The reader with the routine's name; null when there is none.
const Reader* readerNamed(std::string_view name);
/// The extensions "All supported formats" searches, in their order.
std::vector<std::string> designExtensions();
/// A libFuzzer target: its name and the extensions (lower case, no dot) of the files that
/// seed it; it reads its input as a file of the first.
struct FuzzTarget {
    std::string name;
    std::vector<std::string> extensions;
};
std::vector<FuzzTarget> fuzzTargets();

/// One filter of an open dialog: its text and patterns.
struct DialogFilter {
    FilterIndex index;
    std::string text;
    std::vector<std::string> patterns;
};
/// The open dialog's filters in their order: the first six formats', "All supported
/// formats", then the formats' added since.
std::vector<DialogFilter> openDialogFilters();
/// The listing dialog's: as the open dialog's, with "All Files" after "All supported formats".
std::vector<DialogFilter> listingDialogFilters();

} // namespace orlika
