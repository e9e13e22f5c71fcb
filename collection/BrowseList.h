// SPDX-License-Identifier: MIT
// The designs of a folder as the browse grid lists them: each with its file's stamp and,
// once known, its figures; narrowed by a name pattern and put in one of the grid's orders.
#pragma once

#include "catalog/DesignCollector.h"
#include "collection/DesignIndex.h"
#include "collection/TreeWalk.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

struct IndexedDesign;

/// What the grid's line of figures and its orders need of a design.
struct BrowseFigures {
    double widthMm = 0;
    double heightMm = 0;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
    /// The threads' names and codes, a line each, where the index gives them; else empty.
    std::string threads{};

    bool operator==(const BrowseFigures&) const = default;
};

struct BrowseEntry {
    std::string path;            // the design's full path; an entry's joins archive and entry ("a.zip//b.dst")
    std::string name;            // what its label shows: the file's name, "roses.zip: rose.pes"
    std::string folder;          // the folder it is in, ending in '/' (the archive for an entry)
    std::int64_t size = 0;       // bytes on disk; 0 for an entry, whose archive holds it
    std::int64_t modified = 0;   // of its file (its archive's), nanoseconds since the epoch
    std::optional<BrowseFigures> figures;  // from the index or once the design was read
};

/// The designs whose names end in one of `extensions` in `folder` (ending in '/'); with
/// `includeSubfolders` also those of its subfolders and inside the zip archives there, as
/// `collector` finds them (designs it cannot read are left out), and the subfolders'
/// paths (ending in '/') in `subfolders` when given. In no particular order.
std::vector<BrowseEntry> listDesigns(const std::string& folder, bool includeSubfolders,
                                     const std::vector<std::string>& extensions, TreeCollector& collector,
                                     std::vector<std::string>* subfolders = nullptr);

/// An archive's designs, and why there are none when the archive itself cannot be read.
struct ArchiveListing {
    std::vector<BrowseEntry> entries;
    std::string problem;  // the archive's own: "cut short", "not a zip archive"...
};

/// The designs inside the zip archive `archive` (a file's name in `folder`), named as a
/// tree's are (`folder` + "box.zip//in/rose.pes"); those that cannot be read are left out.
ArchiveListing listArchive(const std::string& folder, const std::string& archive,
                           const std::vector<std::string>& extensions, TreeCollector& collector);

/// True when the name answers what the user typed: '*' and '?' as wildcards over the
/// whole name, else the text anywhere in it; letters in any case. Empty matches all.
bool nameMatches(const std::string& typed, const std::string& name);

/// What the search field asks: the name (as nameMatches() reads it) and the filters of
/// Find Designs, each a word of the form key:value among the name's: "format:pes",
/// "fits:130x180" (or "5x7in"), "width:50:100", "height::80", "stitches:1000:",
/// "colors:3" and "thread:red". A word with another key is part of the name.
struct BrowseSearch {
    std::string name;
    DesignFilter filter;
    /// The words that could not be read, in words ("stitches:lots is not a count or
    /// range"); those words filter nothing.
    std::vector<std::string> problems;
};
BrowseSearch readBrowseSearch(const std::string& typed);
/// True when the design answers the search. A design whose figures are not yet known
/// (not in the index, no picture made yet) answers no filter of figures; a thread is
/// known only from the index.
bool searchMatches(const BrowseSearch& search, const BrowseEntry& entry);

/// The grid's orders; those of figures put designs with none last, by name.
enum class BrowseOrder { Name, Folder, Modified, Size, Stitches, ColorChanges };

/// True when `a` comes before `b` in `order`; ties go by folder and name, so the order
/// is the same every time.
bool browsesBefore(const BrowseEntry& a, const BrowseEntry& b, BrowseOrder order);

/// Puts the figures of the index's designs on the entries they still describe: the same
/// path, with the same modification time.
void takeIndexFigures(std::vector<BrowseEntry>& entries, const std::vector<DesignIndex::Listed>& indexed);

/// The entries of the designs an index lists, as a listing of their tree gives them while
/// nothing changed since the index was brought up to date: the figures of those read.
std::vector<BrowseEntry> entriesOfIndex(const std::vector<DesignIndex::Listed>& indexed);

} // namespace orlika
