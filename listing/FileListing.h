// SPDX-License-Identifier: MIT
// The printed file listing: the names of one folder's files in columns, page by page.
#pragma once

#include "catalog/Catalog.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"

#include <string>
#include <vector>

namespace orlika {

// Where the listing's lines go on a printed page, in printer pixels.
struct ListingGeometry {
    int columns = 3;
    int left = 0;          // x of the first column, 0.7 inch
    int top = 0;           // y of the first line, 0.7 inch
    int bottom = 0;        // a column breaks once its next line would be below this
    int columnStart = 0;   // base of the second and later columns
    int columnWidth = 0;
    int lineStep = 0;      // LineHeight
};

/// The page geometry of a printer with the line step of its canvas.
ListingGeometry listingGeometry(int dpiX, int dpiY, int pageWidth, int pageHeight, bool portrait, int lineStep);
/// The extensions searched under a filter of the listing dialog: every supported one,
/// every file, a format's extensions when it has several, else the chosen file's own.
std::vector<std::string> listingExtensions(FilterIndex filter, const std::string& openFileExt,
                                           const std::vector<std::string>& designExtensions);
/// The heading's title (the folder follows it) under a filter.
std::string listingTitle(FilterIndex filter, const std::string& openFileExt);

class FileListing {
public:
    FileListing(Catalog& catalog, FileSystem& fileSystem) : m_catalog(catalog), m_fileSystem(fileSystem) {}

    /// "Print a File Listing": asks for a file, lists the names of its folder that the
    /// dialog's filter covers and prints them on the printer.
    void mnfileListClick(Printer& printer);

private:
    void print(Printer& printer, FilterIndex filter);
    void printPages(Printer& printer, FilterIndex filter);
    void writeFooter(Canvas& canvas, int pageNo, int pageWidth, const ListingGeometry& g, const std::string& date);

    Catalog& m_catalog;
    FileSystem& m_fileSystem;
};

} // namespace orlika
