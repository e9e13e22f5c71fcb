// SPDX-License-Identifier: MIT
// The design sheets of designs chosen in the window: read at their actual size, those that
// cannot be read told, the others printed one after another as one document.
#pragma once

#include "sheet/DesignPicture.h"
#include "sheet/RealisticPicture.h"

#include <QString>
#include <string>
#include <vector>

namespace orlika {

class Host;
class PaintedPrinter;

class SheetPrinting {
public:
    /// Reads the designs `names` of `folder` with the wait cursor on, and tells in one
    /// message box which of them could not be read.
    SheetPrinting(const std::string& folder, const std::vector<std::string>& names, Host& host);

    /// True when no design could be read: there is nothing to print.
    bool empty() const { return m_pictures.empty(); }
    /// The PDF file proposed for the sheets: the design's name for one, else "design-sheets.pdf".
    QString proposedPdfName() const;
    /// Prints the sheets on the printer, their designs drawn in `look`, and says on the
    /// status line how it ended; returns the pages printed.
    int print(PaintedPrinter& printer, PictureLook look = PictureLook::Lines);

private:
    Host& m_host;
    std::vector<DesignPicture> m_pictures;
};

} // namespace orlika
