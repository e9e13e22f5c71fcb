// SPDX-License-Identifier: MIT
#include "listing/FileListing.h"

#include "platform/NameFit.h"
#include "platform/Rounding.h"

namespace orlika {

namespace {

// A format whose filter covers several extensions lists them all, under a title that
// names them.
std::vector<std::string> extensionsOfFilter(FilterIndex filter)
{
    std::vector<std::string> extensions;
    if (const Format* format = formatOfFilter(filter); format && format->types.size() > 1)
        for (const FileType& type : format->types)
            extensions.emplace_back(type.extension);
    return extensions;
}

} // namespace

ListingGeometry listingGeometry(int dpiX, int dpiY, int pageWidth, int pageHeight, bool portrait, int lineStep)
{
    ListingGeometry g;
    g.columns = portrait ? 3 : 4;
    g.left = int(dpiX * 0.7);
    g.top = int(dpiY * 0.7);
    g.bottom = pageHeight - g.top;
    g.columnStart = pageWidth / 20;
    // Column width: the columns after the first start at pageWidth / 20 plus whole
    // widths, so the width leaves that same twentieth free at the right edge too. The
    // 0.7-inch margin instead would leave the right edge 2 x 0.7 inch - pageWidth / 20
    // wide, wasting most of an inch that long names need.
    g.columnWidth = (pageWidth - 2 * g.columnStart) / g.columns;
    g.lineStep = lineStep;
    return g;
}

std::vector<std::string> listingExtensions(FilterIndex filter, const std::string& openFileExt,
                                           const std::vector<std::string>& designExtensions)
{
    if (filter == FilterIndex::AllSupported)
        return designExtensions;
    if (filter == FilterIndex::AllFiles)
        return {".*"};
    std::vector<std::string> extensions = extensionsOfFilter(filter);
    if (extensions.empty())
        extensions.push_back(openFileExt);
    return extensions;
}

std::string listingTitle(FilterIndex filter, const std::string& openFileExt)
{
    if (filter == FilterIndex::AllFiles)
        return "Listing of All Files in Folder - ";
    if (filter == FilterIndex::AllSupported)
        return "Listing of All Supported Embroidery Design Files in Folder - ";
    std::string named;
    for (const std::string& extension : extensionsOfFilter(filter))
        named += (named.empty() ? "" : "/") + extension;
    return "Listing of All " + (named.empty() ? upperCase(openFileExt) : named) + " Embroidery Design Files in Folder - ";
}

void FileListing::mnfileListClick(Printer& printer)
{
    auto& s = m_catalog.state();
    Host& host = m_catalog.host();
    ListingFileChoice choice;
    if (host.askListingFile(choice)) {
        // As after the open commands; it reads the catalog's own open dialog, so the
        // format class of the next catalog run stays what that dialog chose.
        m_catalog.GetFileTypes();
        s.FileList.clear();
        s.SelectedList.clear();
        s.KeptCopyOf.clear();
        s.UseSelectedList = false;
        host.setSelectedCount(0);
        s.OpenFileName = choice.fileName;
        s.FromBeginning = true;
        s.UseDialogList = false;
        s.FolderPath = folderPart(s.OpenFileName);
        s.OpenFileExt = extensionPart(s.OpenFileName);

        for (const std::string& extension : listingExtensions(choice.filterIndex, s.OpenFileExt, s.DesignExtensions))
            for (const std::string& name : m_fileSystem.findEntries(s.FolderPath + "*" + extension))
                s.FileList.add(name);

        if (s.FileList.empty())
            host.setStatus(" No Files Found");
        else
            print(printer, choice.filterIndex);
    }
    s.FileList.clear();
    host.setWaiting(false);
}

void FileListing::print(Printer& printer, FilterIndex filter)
{
    auto& s = m_catalog.state();
    Host& host = m_catalog.host();
    host.setListingPrinting(true);
    host.setWaiting(true);

    Canvas& canvas = printer.canvas();
    canvas.setPenColor(Black);
    canvas.setPenWidth(1);
    canvas.setBrush(BrushStyle::Clear, White);
    canvas.setFont(Font{"Arial", 10, false});
    canvas.setFontColor(Black);
    s.LineHeight = roundPixel(canvas.textHeight("H") * 1.25);

    std::string failure;
    try {
        if (printer.beginDoc()) {
            printPages(printer, filter);
            printer.endDoc();
        } else {
            host.setStatus(" NOTHING PRINTED");
        }
    } catch (const PrintError& error) {
        failure = error.what();
    }
    host.setListingPrinting(false);
    if (!failure.empty()) {
        host.setStatus(" PRINTING FAILED");
        host.showError(failure);
    }
}

void FileListing::printPages(Printer& printer, FilterIndex filter)
{
    auto& s = m_catalog.state();
    Host& host = m_catalog.host();
    Canvas& canvas = printer.canvas();
    const int pageWidth = printer.pageWidth();
    const ListingGeometry g = listingGeometry(printer.dpiX(), printer.dpiY(), pageWidth, printer.pageHeight(),
                                              printer.portrait(), s.LineHeight);
    const std::string date = host.dateTimeText();
    const std::string heading = listingTitle(filter, s.OpenFileExt) + s.FolderPath;
    const int headerX = pageWidth / 2 - canvas.textWidth(heading) / 2;
    const int headerY = g.top - 2 * s.LineHeight;
    canvas.textOut(headerX, headerY, heading);

    int x = g.left;
    int y = g.top;
    int pageNo = 1;
    int column = 1;
    int columnStart = g.columnStart;
    const int gap = canvas.textWidth(" ");
    for (const std::string& name : s.FileList.names()) {
        const int columnEnd = column < g.columns ? columnStart + g.columnWidth - gap : pageWidth;
        canvas.textOut(x, y, fitName(canvas, name, columnEnd - x));
        y += s.LineHeight;
        if (y <= g.bottom)
            continue;
        if (column < g.columns) {
            columnStart += g.columnWidth;
            ++column;
            x = columnStart;
            y = g.top;
        } else {
            writeFooter(canvas, pageNo, pageWidth, g, date);
            printer.newPage();
            ++pageNo;
            canvas.textOut(headerX, headerY, heading);
            canvas.textOut(pageWidth - g.left - canvas.textWidth(date), headerY - s.LineHeight, date);
            column = 1;
            x = g.left;
            y = g.top;
            columnStart = g.columnStart;
        }
    }
    writeFooter(canvas, pageNo, pageWidth, g, date);
}

void FileListing::writeFooter(Canvas& canvas, int pageNo, int pageWidth, const ListingGeometry& g,
                              const std::string& date)
{
    const int footerY = g.bottom + int(g.lineStep * 1.5);
    const std::string text = "Page " + std::to_string(pageNo);
    canvas.textOut(pageWidth / 2 - canvas.textWidth(text) / 2, footerY, text);
    canvas.textOut(pageWidth - g.left - canvas.textWidth(date), footerY, date);
}

} // namespace orlika
