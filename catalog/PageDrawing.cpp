// SPDX-License-Identifier: MIT
#include "catalog/PageDrawing.h"

#include "catalog/CatalogState.h"
#include "catalog/DesignPaths.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "platform/NameFit.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <cmath>

namespace orlika {

namespace {

const char* goneWord(Gone how)
{
    return how == Gone::Moved ? "moved" : "deleted";
}

} // namespace

// The name line of a design gone: its name written black as writeCellName writes it, but
// in less room, struck through, and "deleted" or "moved" after it.
void writeGoneName(Canvas& canvas, DesignFigures& figures, CellPoint origin, int nameWidth, int halfCellHeight,
                   const std::string& name, Gone how)
{
    const std::string word = goneWord(how);
    const int space = canvas.textWidth(" ");
    const int markWidth = space + canvas.textWidth(word);
    canvas.setFontColor(Black);
    writeCellName(canvas, figures, origin, nameWidth - markWidth, halfCellHeight, name);
    const std::string shown = fitName(canvas, name, nameWidth - markWidth - canvas.textWidth("XX"));
    const int x = roundPixel(figures.PosX);
    const int y = roundPixel(figures.PosY);
    const int width = canvas.textWidth(shown);
    const int middle = roundPixel(figures.PosY + canvas.textHeight(shown) * 0.55);
    canvas.setPenColor(Black);
    canvas.setPenWidth(1);
    canvas.moveTo(x, middle);
    canvas.lineTo(x + width, middle);
    canvas.textOut(x + width + space, y, word);
}

PageFrame PageFrame::of(const CatalogState& s, int pageWidth, int pageHeight)
{
    PageFrame frame;
    frame.origins = s.CellOrigin;
    frame.cellsPerPage = s.CellsPerPage;
    frame.cellWidth = s.CellWidth;
    frame.cellHeight = s.CellHeight;
    frame.halfCellHeight = s.HalfCellHeight;
    frame.lineHeight = s.LineHeight;
    frame.thumbnails = s.Thumbnails;
    frame.noRemarks = s.NoRemarks;
    frame.pageWidth = pageWidth;
    frame.pageHeight = pageHeight;
    return frame;
}

CellPoint PageFrame::anchor(int cellNo) const
{
    const int index = cellNo - 1;
    if (index < 0 || index >= int(origins.size()))
        return {};
    return origins[std::size_t(index)];
}

PixelRect PageFrame::cellArea(int cellNo, Canvas& canvas) const
{
    const CellPoint cell = anchor(cellNo);
    const int nameTop = roundPixel((cell.Y - halfCellHeight) - canvas.textHeight("H") * 1.2);
    // A design drawn to scale reaches above the middle line by at most half the cell's
    // width (a reader may scale both axes by the width) or 0.6 of its height (the largest
    // factor a reader takes).
    const int reach = int(std::ceil(std::max(0.5 * cellWidth, 0.6 * cellHeight))) + 1;
    return {cell.X, std::min(nameTop, cell.Y - reach), cell.X + cellWidth, nameTop + cellHeight};
}

CellGeometry PageFrame::cellGeometry(int cellNo, Canvas& canvas) const
{
    const CellPoint origin = anchor(cellNo);
    return CellGeometry{origin,     cellWidth,     cellHeight, halfCellHeight,
                        lineHeight, cellsPerPage,  thumbnails, noRemarks,
                        nameLineWidth(origin, cellWidth, pageWidth),
                        listBottom(origin, cellHeight, halfCellHeight, pageHeight, canvas.textHeight("H"))};
}

int setUpPageCanvas(Canvas& canvas, bool printing, int width, int height)
{
    canvas.setPenColor(Black);
    canvas.setPenWidth(1);
    canvas.setBrush(BrushStyle::Clear, White);
    const int size = (printing || height >= 500 || width >= 700) ? 8 : 7;
    canvas.setFont(Font{"Arial", size, false});
    return printing ? roundPixel(1.8 * canvas.textHeight("H")) : roundPixel(0.8 * canvas.textHeight("m"));
}

void writeFolderLine(Canvas& canvas, int width, const std::string& folder)
{
    const std::string text = "File Folder: " + folder;
    canvas.textOut(width / 2 - canvas.textWidth(text) / 2, 0, text);
}

std::unique_ptr<DesignFile> PageDrawer::openNextDesign()
{
    const Run& run = m_parts.run;
    for (; m_at.fileIndex < run.count(); ++m_at.fileIndex) {
        const std::string& entry = run.entries[std::size_t(m_at.fileIndex)];
        m_parts.designPath = run.folder + entry;
        // Stamped before it is opened: a change from then on is seen by a later look.
        m_parts.records.stamps[m_at.fileIndex] = m_parts.files.stampOf(m_parts.designPath);
        // An archive or entry that cannot be read still takes a cell, which says why; so
        // does a design the user deleted, so that its page keeps its shape.
        if (run.collectErrors.count(entry) || goneEntry(entry))
            return std::make_unique<MemoryFile>(std::vector<std::uint8_t>{});
        if (auto file = m_parts.files.openRead(m_parts.designPath))
            return file;
        m_parts.records.skipped[m_at.fileIndex] = m_parts.files.whyNotOpened(m_parts.designPath);
        ++m_at.skippedBeforeDesign;
    }
    return nullptr;
}

void PageDrawer::announceDesign(bool printing)
{
    if (m_at.cellNo == 1) {
        m_at.skippedOnPage = 0;
        m_at.folders.clear();
    }
    if (m_parts.run.tree) {
        const std::string folder = designFolder(m_parts.run.entries[std::size_t(m_at.fileIndex)]);
        if (std::find(m_at.folders.begin(), m_at.folders.end(), folder) == m_at.folders.end())
            m_at.folders.push_back(folder);
    }
    m_at.skippedOnPage += std::exchange(m_at.skippedBeforeDesign, 0);
    showPictureCaption(printing, m_at.fileIndex);
}

void PageDrawer::showPictureCaption(bool printing, int index)
{
    m_at.lastPictureIndex = index;
    std::string caption = std::string(printing ? " Printing Picture " : " Picture ") + std::to_string(index + 1) +
                          " of " + std::to_string(m_parts.run.count());
    if (m_at.skippedOnPage > 0)
        caption += " (" + std::to_string(m_at.skippedOnPage) + " skipped on this page)";
    if (m_parts.run.tree)
        caption += " in " + pageFoldersText();
    m_parts.caption(caption);
}

void PageDrawer::countTrailingSkips(bool printing, int designsShown)
{
    if (m_at.skippedBeforeDesign > 0 && designsShown > 0) {
        m_at.skippedOnPage += std::exchange(m_at.skippedBeforeDesign, 0);
        showPictureCaption(printing, m_at.lastPictureIndex);
    }
}

std::string PageDrawer::pageFoldersText() const
{
    std::string text;
    for (const std::string& folder : m_at.folders)
        text += (text.empty() ? "" : ", ") + (folder.empty() ? std::string("the top folder") : folder);
    return text;
}

bool PageDrawer::goneEntry(const std::string& entry) const
{
    return !m_parts.gone.empty() && m_parts.gone.count(m_parts.run.folder + entry) > 0;
}

void PageDrawer::drawNextDesign(bool printing, std::unique_ptr<DesignFile> file)
{
    drawDesign(printing, std::move(file));
    ++m_at.cellNo;
    ++m_at.fileIndex;
}

void PageDrawer::drawDesign(bool printing, std::unique_ptr<DesignFile> file)
{
    const Run& run = m_parts.run;
    const int index = m_at.fileIndex;
    const std::string entry = run.entries[std::size_t(index)];
    // A design inside an archive is drawn under its archive's name and its own.
    const std::string path = isArchiveEntry(entry) ? designDisplayPath(run.folder + entry) : run.folder + entry;
    m_parts.designPath = path;
    const Reader* reader = run.kind == FileKind::AllSupported ? readerOfName(designFileName(entry)) : readerOfKind(run.kind);
    PageOnDisplay* display = printing ? nullptr : m_parts.display;
    if (display && m_at.cellNo == 1)
        display->pageStarts.push_back(index);
    // One damaged file among thousands must not end the run: its cell says what went
    // wrong and the next design follows.
    std::optional<std::string> failure;
    if (goneEntry(entry)) {
        reader = nullptr;
        writeGoneCell(entry, path);
    } else if (const auto collectError = run.collectErrors.find(entry); collectError != run.collectErrors.end()) {
        // Nothing to read and nothing to select: the cell only says why.
        failure = collectError->second;
        reader = nullptr;
        CellContext cell = cellContext(m_at.cellNo, entry);
        writeFailedCell(cell, path, *failure);
    } else {
        try {
            m_parts.designSize = file->size();
            file->seek(0);
        } catch (const InOutError& error) {
            failure = error.what();
            CellContext cell = cellContext(m_at.cellNo, entry);
            writeFailedCell(cell, path, *failure);
            m_parts.raise(DesignBox{path, *failure, "ORLIKA", MessageIcon::Error, m_at.cellNo});
        }
    }
    // A file its reader refuses is as much a failed design as one whose reading broke off.
    if (reader && !failure)
        if (const CellOutcome outcome = runDecoder(*reader, *file, entry);
            outcome.kind == CellOutcome::Kind::Failed || outcome.kind == CellOutcome::Kind::Rejected)
            failure = outcome.error;
    if (failure)
        m_parts.records.failed[index] = *failure;
    if (reader && display && m_at.cellNo <= display->cellCount)
        display->names[std::size_t(m_at.cellNo - 1)] = entry;
}

const SortedNameList& PageDrawer::selectionFor(const std::string& entry)
{
    // A design of a tree is selected by its path, while its name line compares its name
    // alone: the cell sees the selection as that name, or as nothing.
    if (entry.find('/') == std::string::npos)
        return m_parts.selected;
    m_cellSelection.clear();
    if (m_parts.selected.contains(entry))
        m_cellSelection.add(designDisplayName(entry));
    return m_cellSelection;
}

CellContext PageDrawer::cellContext(int cellNo, const std::string& entry)
{
    CellContext context(m_parts.canvas, m_frame.cellGeometry(cellNo, m_parts.canvas), m_parts.figures,
                        m_parts.designPath,
                        CellServices{m_parts.cellHost, m_parts.mainCanvas, selectionFor(entry), m_parts.cancelPressed});
    if (const auto note = m_parts.run.remarkNotes.find(entry); note != m_parts.run.remarkNotes.end())
        context.setRemarkNote(note->second);
    return context;
}

CellOutcome PageDrawer::drawCell(const Reader& reader, DesignFile& file, const std::string& entry)
{
    CellContext cell = cellContext(m_at.cellNo, entry);
    const std::string path = m_parts.designPath;
    CellOutcome outcome = drawDesignCell(cell, reader, file, [&](const DesignMessage& message) {
        m_parts.raise(DesignBox{path, message.text, message.caption, MessageIcon::None, m_at.cellNo});
    });
    if (outcome.kind == CellOutcome::Kind::Failed)
        m_parts.raise(DesignBox{path, outcome.error, "ORLIKA", MessageIcon::Error, m_at.cellNo});
    return outcome;
}

CellOutcome PageDrawer::runDecoder(const Reader& reader, DesignFile& file, const std::string& entry)
{
    const CellLineClip clip(m_parts.canvas, m_frame.cellArea(m_at.cellNo, m_parts.canvas));
    return drawCell(reader, file, entry);
}

void PageDrawer::writeGoneCell(const std::string& entry, const std::string& path)
{
    const CellPoint anchor = m_frame.anchor(m_at.cellNo);
    // Its name line as on the page it went from; no picture is left to draw.
    writeGoneName(m_parts.canvas, m_parts.figures, anchor, nameLineWidth(anchor, m_frame.cellWidth, m_frame.pageWidth),
                  m_frame.halfCellHeight, namePart(path), m_parts.gone.at(m_parts.run.folder + entry));
}

bool PageJob::drawsSamePage(const PageJob& other) const
{
    return run == other.run && frame == other.frame && screen == other.screen && from == other.from &&
           selected.names() == other.selected.names() && gone == other.gone && figures == other.figures &&
           decimalSeparator == other.decimalSeparator;
}

std::optional<PageJob> PageJob::nextAfter(const PageResult& page) const
{
    if (page.after.fileIndex >= run->count())
        return std::nullopt;
    PageJob next = *this;
    next.from = page.after;
    next.figures = page.figures;
    return next;
}

namespace {

// The host of a page drawn on its own: it shows nothing, and keeps what the page said.
class PageHost final : public HeadlessHost {
public:
    std::vector<std::string> phases;
    void setPhase(const std::string& text) override { phases.push_back(text); }
};

} // namespace

std::optional<PageResult> drawPage(const PageJob& job, Canvas& canvas, FileSystem& files,
                                   const std::atomic<bool>& stop)
{
    const Run& run = *job.run;
    const PageFrame& frame = job.frame;
    PageResult page;
    page.figures = job.figures;
    page.after = job.from;
    page.after.cellNo = 1;
    PageHost host;
    host.separator = job.decimalSeparator;
    std::int64_t designSize = 0;
    const bool notCancelled = false;
    PageOnDisplay display;
    display.cellCount = std::min<int>(frame.cellsPerPage, int(frame.origins.size()));
    PageDrawer drawer(PageDrawerParts{run, canvas, &canvas, files, host, page.figures, page.designPath, designSize, job.selected, job.gone,
                                      notCancelled, page.records, &display,
                                      [&page](const std::string& text) { page.caption = text; },
                                      [&page](const DesignBox& box) { page.boxes.push_back(box); }},
                      page.after);
    drawer.setFrame(frame);
    // The page as the run has it after Next: white, its folder line, from cell 1 on.
    setUpPageCanvas(canvas, false, frame.pageWidth, frame.pageHeight);
    canvas.setBrush(BrushStyle::Solid, White);
    canvas.rectangle(0, 0, job.screen.outerWidth, job.screen.outerHeight);
    canvas.setBrush(BrushStyle::Clear, White);
    writeFolderLine(canvas, frame.pageWidth, run.folder);
    while (page.after.cellNo <= frame.cellsPerPage) {
        if (stop)
            return std::nullopt;
        std::unique_ptr<DesignFile> file = drawer.openNextDesign();
        if (!file) {
            // The page follows one the run drew: its entries left unopened count as the page's.
            drawer.countTrailingSkips(false, 1);
            break;
        }
        drawer.announceDesign(false);
        drawer.drawNextDesign(false, std::move(file));
        ++page.designs;
    }
    canvas.flush();
    page.names = display.names;
    if (!display.pageStarts.empty())
        page.start = display.pageStarts.front();
    page.phases = std::move(host.phases);
    return page;
}

} // namespace orlika
