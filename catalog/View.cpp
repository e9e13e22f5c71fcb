// SPDX-License-Identifier: MIT
// The page engine: lays out the grid, collects the files and pages through them.
#include "catalog/Catalog.h"

#include "catalog/DesignPaths.h"
#include "cell/CellRenderer.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace orlika {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;

} // namespace

Catalog::Catalog(Host& host, FileSystem& fileSystem) : m_host(host), m_fileSystem(fileSystem) {}

DesignFile& Catalog::designFile()
{
    if (!m_designFile)
        throw InOutError("File not open");
    return *m_designFile;
}

void Catalog::setDesignFile(std::unique_ptr<DesignFile> file)
{
    m_designFile = std::move(file);
}

void Catalog::GetFileTypes()
{
    auto& dialog = m_state.OpenDialog1;
    if (dialog.FilterIndex == FilterIndex::AllSupported) {
        m_state.FileKind = FileKind::AllSupported;
        return;
    }
    // A path with no format's mark keeps the filter it was chosen under, and the kind
    // follows that filter rather than whatever an earlier choice left.
    if (const Format* format = formatOfDialogName(dialog.FileName)) {
        m_state.FileKind = format->kind;
        dialog.FilterIndex = format->filter;
    } else if (const Format* shown = formatOfFilter(dialog.FilterIndex)) {
        m_state.FileKind = shown->kind;
    }
}

std::vector<std::string> Catalog::extensionsToSearch() const
{
    const auto& s = m_state;
    if (s.FileKind == FileKind::AllSupported)
        return s.DesignExtensions;
    // Under one format's filter only that format's names are listed: the chosen file's
    // own extension where it is one of them, else all of them (a typed "notes" must not
    // list README, "." and ".." as designs).
    const Format* format = formatOfFilter(s.OpenDialog1.FilterIndex);
    if (!format || format->kind != s.FileKind)
        return {s.OpenFileExt};  // a kind set without its filter: the chosen file's own
    std::vector<std::string> extensions;
    for (const FileType& type : format->types) {
        if (upperCase(s.OpenFileExt) == type.extension)
            return {s.OpenFileExt};
        extensions.emplace_back(type.extension);
    }
    return extensions;
}

void Catalog::beginRun()
{
    m_state.ViewDone = false;
    m_state.PageComplete = false;
    m_host.setBusy(true);
    m_host.setStatus(" ");
    offerControls({});
    m_state.CancelPressed = false;
    m_messages.beginRun();
    m_records.clear();
    m_at = {};
    // The drawer draws the run it was made for: both go until the new run has its designs.
    m_drawer.reset();
    m_run.reset();
    forgetKeptPages();
    m_deleted.clear();
    if (!m_state.UseDialogList && !m_state.UseSelectedList && !m_givenPending)
        m_state.FileList.clear();
}

void Catalog::paintPageWhite(Canvas& canvas)
{
    const ScreenGeometry screen = m_host.screenGeometry();
    m_folderLineOnPage = false;
    m_display.clearCells();
    canvas.setBrush(BrushStyle::Solid, White);
    canvas.rectangle(0, 0, screen.outerWidth, screen.outerHeight);
}

void Catalog::measureTarget(Canvas& canvas, bool printing, int& width, int& height, bool& portrait)
{
    if (printing && m_printer) {
        width = m_printer->pageWidth();
        height = m_printer->pageHeight();
        portrait = m_printer->portrait();
        return;
    }
    paintPageWhite(canvas);
    const ScreenGeometry screen = m_host.screenGeometry();
    width = screen.clientWidth;
    height = screen.clientHeight - screen.panelHeight;
    portrait = false;
}

void Catalog::setUpCanvas(Canvas& canvas, bool printing, int width, int height)
{
    m_state.LineHeight = setUpPageCanvas(canvas, printing, width, height);
}

void Catalog::computeGrid(int width, int height, bool portrait)
{
    m_pageWidth = width;
    m_pageHeight = height;
    applyGeometry(m_state, pageGeometry(layoutOf(m_state), width, height, portrait));
}

void Catalog::writeFolderLine(Canvas& canvas, int width)
{
    // Once on a page is enough: writing antialiased text over itself thickens it.
    if (m_folderLineOnPage)
        return;
    m_folderLineOnPage = true;
    orlika::writeFolderLine(canvas, width, m_state.FolderPath);
}

bool Catalog::collectFiles()
{
    auto& s = m_state;
    const bool designsGiven = std::exchange(m_givenPending, false);
    const bool listGiven = s.UseDialogList || s.UseSelectedList || designsGiven;
    // A given order (duplicate groups) and the notes last for the run they were given for.
    if (!designsGiven && m_listOrdered)
        orderFileList(folderThenNameOrder(plainOrder()));
    if (!designsGiven)
        m_remarkNotes.clear();
    if (!listGiven)
        s.FileList.clear();
    s.FolderPath = folderPart(s.OpenFileName);
    s.OpenFileExt = extensionPart(s.OpenFileName);
    m_collectErrors.clear();
    // Designs in subfolders are named by their paths; a tree's run is one also where all of
    // them are in the folder itself.
    const bool tree = !listGiven && s.IncludeSubfolders && m_collector;
    if (!listGiven) {
        if (tree) {
            collectTree();
        } else {
            // The folder read once for all the patterns, then one sort: added one at a time,
            // each name of a big folder moved the names after its place along.
            std::vector<std::string> masks;
            for (const auto& extension : extensionsToSearch()) {
                masks.push_back("*" + extension);
                s.DesignPath = s.FolderPath + masks.back();
            }
            s.FileList.addAll(m_fileSystem.findEntriesMatchingAny(s.FolderPath, masks));
        }
    }
    const auto& names = s.FileList.names();
    m_treeRun = tree || std::any_of(names.begin(), names.end(),
                                    [](const std::string& name) { return name.find('/') != std::string::npos; });
    return !s.FileList.empty();
}

void Catalog::collectTree()
{
    auto& s = m_state;
    orderFileList(folderThenNameOrder(plainOrder()));
    s.DesignPath = s.FolderPath + "*";
    for (const CollectedDesign& design : m_collector->collectTree(s.FolderPath, extensionsToSearch())) {
        if (s.FileList.add(design.path) && !design.error.empty())
            m_collectErrors[design.path] = design.error;
    }
}

const NameComparer& Catalog::plainOrder() const
{
    return m_listOrdered ? m_plainOrder : m_state.FileList.comparer();
}

void Catalog::orderFileList(NameComparer order)
{
    if (!m_listOrdered) {
        m_plainOrder = m_state.FileList.comparer();
        m_listOrdered = true;
    }
    m_state.FileList.setComparer(std::move(order));
}

void Catalog::restorePlainOrder()
{
    if (!m_listOrdered)
        return;
    m_state.FileList.setComparer(m_plainOrder);
    m_listOrdered = false;
}

void Catalog::setGivenDesigns(const std::string& folder, const std::vector<std::string>& paths, bool keepOrder,
                              std::map<std::string, std::string> notes)
{
    auto& s = m_state;
    m_remarkNotes = std::move(notes);
    s.FileList.clear();
    NameComparer treeOrder = folderThenNameOrder(plainOrder());
    if (keepOrder) {
        auto rank = std::make_shared<std::map<std::string, std::size_t>>();
        for (std::size_t i = 0; i < paths.size(); ++i)
            rank->emplace(paths[i], i);
        orderFileList([rank, treeOrder](const std::string& a, const std::string& b) {
            const auto first = rank->find(a), second = rank->find(b);
            if (first != rank->end() && second != rank->end())
                return first->second < second->second ? -1 : first->second > second->second ? 1 : 0;
            if (first != rank->end() || second != rank->end())
                return first != rank->end() ? -1 : 1;
            return treeOrder(a, b);
        });
    } else {
        orderFileList(std::move(treeOrder));
    }
    s.FileList.addAll(paths);
    s.OpenFileName = folder;
    s.FromBeginning = true;
    s.UseSelectedList = false;
    m_givenPending = true;
}

std::vector<std::string> Catalog::listDesignFiles(const std::string& folder)
{
    auto& s = m_state;
    s.OpenFileName = folder + "*";
    s.FileKind = FileKind::AllSupported;
    s.UseDialogList = s.UseSelectedList = false;
    collectFiles();
    return s.FileList.names();
}

void Catalog::findStartPosition()
{
    auto& s = m_state;
    s.FileCount = s.FileList.count();
    if (s.FromBeginning || s.UseDialogList || s.UseSelectedList) {
        s.StartIndex = 0;
    } else {
        // A chosen name that is not in the list (typed, or of an unsearched
        // extension) starts the run at the beginning rather than at index -1.
        s.StartIndex = std::max(0, s.FileList.indexOfPreferringExact(namePart(s.OpenFileName)));
    }
    s.PageCount = (s.FileCount - s.StartIndex - 1) / s.CellsPerPage + 1;
    s.PageNo = 1;
    s.FileIndex = s.StartIndex;
    m_at.fileIndex = s.StartIndex;
}

std::string Catalog::skippedSummary() const
{
    const auto& skipped = m_records.skipped;
    if (skipped.empty())
        return {};
    std::map<OpenFailure, int> byReason;
    for (const auto& [index, failure] : skipped)
        ++byReason[failure];
    std::string summary = "; " + std::to_string(skipped.size()) + " could not be opened: ";
    const char* separator = "";
    for (const auto& [failure, count] : byReason) {
        summary += separator + std::to_string(count) + " " + openFailureText(failure);
        separator = ", ";
    }
    return summary;
}

int Catalog::countDesignsToPrint()
{
    const auto& s = m_state;
    int count = 0;
    for (int index = s.StartIndex; index < s.FileCount; ++index)
        if (m_collectErrors.count(s.FileList[index]) || m_fileSystem.openRead(s.FolderPath + s.FileList[index]))
            ++count;
    return count;
}

void Catalog::rememberScreenGeometry()
{
    m_display.folder = m_state.FolderPath;
    recordDisplayGeometry();
    m_display.pageStarts.clear();
    m_display.clearCells();
}

void Catalog::recordDisplayGeometry()
{
    const auto& s = m_state;
    m_display.origins = s.CellOrigin;
    m_display.cellWidth = s.CellWidth;
    m_display.pageWidth = m_pageWidth;
    m_display.halfCellHeight = s.HalfCellHeight;
    m_display.cellCount = std::min<int>(s.CellsPerPage, int(s.CellOrigin.size()));
}

void Catalog::followWindowSize(Canvas& canvas)
{
    if (sameWindowSize())
        return;
    const ScreenGeometry screen = m_host.screenGeometry();
    const int width = screen.clientWidth;
    const int height = screen.clientHeight - screen.panelHeight;
    m_host.resizePage();
    setUpCanvas(canvas, false, width, height);
    computeGrid(width, height, false);
    recordDisplayGeometry();
    m_drawer->setFrame(pageFrame());
}

std::vector<Catalog::FailedDesign> Catalog::failedDesigns() const
{
    std::vector<FailedDesign> failed;
    for (const auto& [index, message] : m_records.failed)
        failed.push_back({m_state.FileList[index], message});
    return failed;
}

void Catalog::prepareScreenPage(Canvas& canvas, int width, int height)
{
    setUpCanvas(canvas, false, width, height);
    computeGrid(width, height, false);
    m_state.CellNo = 1;
}

Catalog::DecodedDesign Catalog::decodeFile(Canvas& canvas, const std::string& path, std::unique_ptr<DesignFile> file)
{
    auto& s = m_state;
    s.DesignPath = path;
    m_designFile = std::move(file);
    DecodedDesign decoded{readerOfName(namePart(path)), {}};
    try {
        s.DesignSize = m_designFile->size();
        m_designFile->seek(0);
        if (decoded.reader)
            if (const CellOutcome outcome = runDecoder(canvas, *decoded.reader); outcome.kind == CellOutcome::Kind::Failed)
                decoded.error = outcome.error;
    } catch (const InOutError& error) {
        decoded.error = error.what();
    }
    m_designFile.reset();
    return decoded;
}

int Catalog::firstIndexOnDisplay() const
{
    return m_display.pageStarts.empty() ? m_state.StartIndex : m_display.pageStarts.back();
}

void Catalog::enterPageEnd(bool finalPage)
{
    auto& s = m_state;
    s.NextPressed = false;
    m_prevPressed = false;
    m_goToIndex = -1;
    m_redrawPressed = false;
    m_atFinalPage = m_finalPageEnd = finalPage;
    offerControls({m_controls.cancel, true, m_display.pageStarts.size() > 1});
    s.PageComplete = true;
    m_atWait = m_pageAhead ? std::optional(progress()) : std::nullopt;
    if (!finalPage)
        startPageAhead();
    m_phase = RunPhase::AtPageEnd;
}

bool Catalog::pageEndAnswered()
{
    if (m_state.NextPressed)
        return true;
    // A page waits at the size it was drawn for: in a window made larger or smaller,
    // also while the page was being drawn, it is drawn again.
    if (!sameWindowSize()) {
        m_redrawPressed = true;
        m_state.NextPressed = true;
    }
    return m_state.NextPressed;
}

Catalog::PageEnd Catalog::answerOfPageEnd()
{
    const auto& s = m_state;
    return m_prevPressed       ? PageEnd::Prev
           : s.CancelPressed   ? PageEnd::Cancel
           : m_goToIndex >= 0  ? PageEnd::GoTo
           : m_redrawPressed   ? PageEnd::Redraw
                               : PageEnd::Next;
}

bool Catalog::awaitsPageAhead() const
{
    // The page drawn ahead may still be under way: the user waits for it as for a page
    // drawn now, and can still cancel.
    return m_pageAhead && m_pageAheadStarted && !m_pageAhead->ready() && !m_state.CancelPressed;
}

bool Catalog::awaitsUser() const
{
    return m_phase == RunPhase::AtPageEnd && !m_state.NextPressed && sameWindowSize();
}

bool Catalog::awaitsPageDrawnAhead() const
{
    return m_phase == RunPhase::AwaitingPageAhead && awaitsPageAhead();
}

Catalog::PageEnd Catalog::leavePageEnd(PageEnd end)
{
    const bool finalPage = m_finalPageEnd;
    Canvas& canvas = *m_runCanvas;
    if (end == PageEnd::Next && !finalPage && m_atWait) {
        const int left = rememberPageLeft(*m_atWait);
        if (takePageAhead(left))
            end = PageEnd::NextDrawnAhead;
        else if (m_pageAhead)
            m_pageAhead->keepPageOnDisplay(left);
    } else if (end == PageEnd::Prev && restoreKeptPage()) {
        end = PageEnd::PrevKept;
    }
    m_atWait.reset();
    dropPageAhead();
    // The final page stays on screen after Next or Cancel; only a page drawn again clears
    // it. A page drawn ahead, or one kept, is on display already.
    const bool onDisplay = end == PageEnd::NextDrawnAhead || end == PageEnd::PrevKept;
    if ((!finalPage || drawsPageAgain(end)) && !onDisplay) {
        if (end != PageEnd::Cancel)
            followWindowSize(canvas);
        paintPageWhite(canvas);
        canvas.setBrush(BrushStyle::Clear, White);
    }
    offerControls({m_controls.cancel, false, false});
    m_prevPressed = m_redrawPressed = m_atFinalPage = false;
    if (!onDisplay)
        writeFolderLine(canvas, m_pageWidth);
    return end;
}

void Catalog::goOnAfterPageEnd(PageEnd end)
{
    // The design opened before the page's end is drawn only when the run goes on to the
    // page after it.
    std::unique_ptr<DesignFile> next = std::move(m_designAfterPage);
    m_phase = RunPhase::Drawing;
    if (m_finalPageEnd) {
        if (drawsPageAgain(end))
            drawPageAgain(end);
        else if (end != PageEnd::PrevKept)
            endRun(end == PageEnd::Cancel ? RunEnd::Cancelled : RunEnd::Finished);
        return;
    }
    if (end == PageEnd::Cancel) {
        endRun(RunEnd::Cancelled);
    } else if (drawsPageAgain(end)) {
        drawPageAgain(end);
    } else if (end == PageEnd::Next) {
        // The page after it, or the one before, on display already: the run goes on after
        // its designs instead.
        m_at.cellNo = 1;
        drawDesignStep(std::move(next));
    }
}

void Catalog::goBackOnePage()
{
    // The page on display goes; the one before it is drawn again and recorded anew.
    m_display.pageStarts.pop_back();
    m_at.fileIndex = m_display.pageStarts.back();
    m_display.pageStarts.pop_back();
    m_at.cellNo = 1;
    m_at.skippedBeforeDesign = 0;
}

void Catalog::drawPageAgain(PageEnd end)
{
    const auto& s = m_state;
    if (end == PageEnd::Prev) {
        goBackOnePage();
        return;
    }
    if (end == PageEnd::Redraw) {
        // The page on display is drawn again from its first design.
        m_at.fileIndex = firstIndexOnDisplay();
        if (!m_display.pageStarts.empty())
            m_display.pageStarts.pop_back();
    } else if (end == PageEnd::GoTo) {
        // The pages before the one asked for are those the run lays out before it, so that
        // Prev from it shows the page before it.
        m_at.fileIndex = m_goToIndex;
        m_display.pageStarts.clear();
        for (int first = s.StartIndex; first < m_goToIndex; first += s.CellsPerPage)
            m_display.pageStarts.push_back(first);
    }
    m_at.cellNo = 1;
    m_at.skippedBeforeDesign = 0;
}

bool Catalog::drawNextDesign(std::unique_ptr<DesignFile> file)
{
    Canvas& canvas = *m_runCanvas;
    if (!m_controls.cancel)
        offerControls({true, m_controls.next, m_controls.prev});
    m_drawer->announceDesign(m_printing);
    if (m_printing && !m_printStarted) {
        if (!startPrintJob(canvas, m_pageWidth, m_pageHeight))
            return false;
        m_printStarted = true;
    } else if (!m_printing) {
        writeFolderLine(canvas, m_pageWidth);
    }
    m_drawer->drawNextDesign(m_printing, std::move(file));
    ++m_designsShown;
    return true;
}

void Catalog::drawStep()
{
    auto& s = m_state;
    if (s.CancelPressed) {
        afterLastDesign();
        return;
    }
    std::unique_ptr<DesignFile> file = m_drawer->openNextDesign();
    if (!file) {
        m_drawer->countTrailingSkips(m_printing, m_designsShown);
        afterLastDesign();
        return;
    }
    // A full page turns only when another design follows, so skipped entries at the end
    // of the list never leave an empty page.
    if (m_at.cellNo > s.CellsPerPage) {
        if (!m_printing) {
            m_designAfterPage = std::move(file);
            enterPageEnd(false);
            return;
        }
        startNewPrintPage(*m_runCanvas, m_pageWidth, m_pageHeight);
        m_at.cellNo = 1;
    }
    drawDesignStep(std::move(file));
}

void Catalog::drawDesignStep(std::unique_ptr<DesignFile> file)
{
    if (!drawNextDesign(std::move(file)))
        endRun(RunEnd::PrintDeclined);
    else
        m_drewDesign = true;
}

void Catalog::afterLastDesign()
{
    const auto& s = m_state;
    if (s.CancelPressed)
        endRun(RunEnd::Cancelled);
    else if (m_designsShown == 0)
        endRun(RunEnd::NothingToShow);
    // A screen run of more than a page waits at its last page too, so Prev can go back.
    else if (m_printing || s.FileCount <= s.CellsPerPage)
        endRun(RunEnd::Finished);
    else
        enterPageEnd(true);
}

RunProgress Catalog::progress() const
{
    RunProgress now;
    now.at = m_at;
    now.display = m_display;
    // The page's own entries: those a page kept for Prev must find unchanged.
    const int first = firstIndexOnDisplay();
    now.stamps = {m_records.stamps.lower_bound(first), m_records.stamps.lower_bound(m_at.fileIndex + 1)};
    now.deleted = m_deleted;
    now.figures = m_state;
    now.designPath = m_state.DesignPath;
    now.designsShown = m_designsShown;
    return now;
}

void Catalog::resume(const RunProgress& progress)
{
    m_at = progress.at;
    m_display = progress.display;
    static_cast<DesignFigures&>(m_state) = progress.figures;
    m_state.DesignPath = progress.designPath;
    m_designsShown = progress.designsShown;
    notePosition();
}

void Catalog::takePage(const PageResult& page)
{
    // The page's cells replace those on display; the run stands after its last design.
    m_at = page.after;
    m_records.add(page.records);
    m_display.names = page.names;
    if (page.start >= 0)
        m_display.pageStarts.push_back(page.start);
    m_designsShown += page.designs;
    static_cast<DesignFigures&>(m_state) = page.figures;
    m_state.DesignPath = page.designPath;
    notePosition();
}

int Catalog::rememberPageLeft(const RunProgress& atWait)
{
    const int first = firstIndexOnDisplay();
    m_keptPages[first] = KeptPage{atWait, first, atWait.at.cellNo - 1};
    // A few pages are kept; the first of the run's order go first.
    while (m_keptPages.size() > kPagesKept)
        m_keptPages.erase(m_keptPages.begin());
    return first;
}

void Catalog::keepUsersChoices(RunProgress& progress) const
{
    // What the user did while the page waited: the designs deleted. The selection and the
    // run's control are the catalog's own and stay as they are.
    progress.deleted = m_deleted;
}

bool Catalog::restoreKeptPage()
{
    // The page before the one on display, kept when Next left it, in a window of its size.
    const auto& starts = m_display.pageStarts;
    if (!m_pageAhead || starts.size() < 2 || !sameWindowSize())
        return false;
    const auto kept = m_keptPages.find(starts[starts.size() - 2]);
    if (kept == m_keptPages.end())
        return false;
    const RunProgress& atWait = kept->second.atWait;
    if (!unchangedSinceOpened(atWait.stamps, kept->second.first, atWait.at.fileIndex, atWait.deleted) ||
        !m_pageAhead->showKeptPage(kept->first))
        return false;
    // The run as it waited at the page, with what it learned since of other pages' files,
    // the user's selection, and the designs counted as drawn again.
    RunProgress back = kept->second.atWait;
    keepUsersChoices(back);
    back.designsShown = m_designsShown + kept->second.designs;
    resume(back);
    m_folderLineOnPage = true;
    m_drawer->showPictureCaption(false, m_at.lastPictureIndex);
    return true;
}

bool Catalog::sameWindowSize() const
{
    const ScreenGeometry screen = m_host.screenGeometry();
    return screen.clientWidth == m_pageWidth && screen.clientHeight - screen.panelHeight == m_pageHeight;
}

bool Catalog::unchangedSinceOpened(const std::map<int, std::optional<FileStamp>>& stamps, int first, int end,
                                   const std::map<std::string, Gone>& deletedThen)
{
    const std::string& folder = m_state.FolderPath;
    for (int index = first; index < end; ++index) {
        const std::string path = folder + m_state.FileList[index];
        // A design deleted since the page was drawn changed, whatever its path holds now;
        // one the page knew as deleted it showed so.
        const bool deletedNow = deletedEntry(m_state.FileList[index]);
        if (deletedNow != (deletedThen.count(path) > 0))
            return false;
        if (deletedNow)
            continue;
        const auto stamp = stamps.find(index);
        if (stamp == stamps.end() || m_fileSystem.stampOf(path) != stamp->second)
            return false;
    }
    return true;
}

void Catalog::forgetKeptPages()
{
    m_keptPages.clear();
    if (m_pageAhead)
        m_pageAhead->forgetKeptPages();
}

void Catalog::startPageAhead()
{
    if (!m_pageAhead)
        return;
    PageJob job;
    job.run = m_run;
    job.frame = pageFrame();
    job.screen = m_host.screenGeometry();
    job.from = m_at;
    job.selected = m_state.SelectedList;
    job.gone = m_deleted;
    job.figures = m_state;
    job.decimalSeparator = m_host.decimalSeparator();
    m_pageAhead->start(std::move(job));
    m_pageAheadStarted = true;
}

void Catalog::dropPageAhead()
{
    if (m_pageAhead && m_pageAheadStarted)
        m_pageAhead->drop();
    m_pageAheadStarted = false;
}

bool Catalog::takePageAhead(int keepLeftAs)
{
    if (!m_pageAhead || !m_pageAheadStarted)
        return false;
    // Next came to it once it was drawn, or with Cancel.
    const PreparedPage* prepared = m_state.CancelPressed ? nullptr : m_pageAhead->prepared();
    bool usable = prepared && prepared->page.boxes.empty() && sameWindowSize();
    // Every file the page read, or could not open, must still be as it was.
    usable = usable && unchangedSinceOpened(prepared->page.records.stamps, m_at.fileIndex,
                                            prepared->page.after.fileIndex, prepared->job.gone);
    if (!usable) {
        dropPageAhead();
        return false;
    }
    takePage(prepared->page);
    const std::string caption = prepared->page.caption;
    m_pageAhead->show(keepLeftAs);  // hands the page over: `prepared` is gone from here on
    m_pageAheadStarted = false;
    m_host.setStatus(caption);
    return true;
}

void Catalog::finishRun(bool printing, const std::string& caption)
{
    auto& s = m_state;
    m_phase = RunPhase::Idle;
    m_runActive = false;
    m_designAfterPage.reset();
    m_atWait.reset();
    dropPageAhead();
    forgetKeptPages();
    s.ViewDone = true;
    s.PageComplete = true;
    s.NextPressed = false;
    offerControls({false, m_controls.next, m_controls.prev});
    m_host.setBusy(false);
    // The document is written before the caption says so; it may fail instead.
    if (printing && m_printer && m_printer->printing())
        m_printer->endDoc();
    if (!caption.empty())
        m_host.setStatus(caption, StatusTone::RunEnd);
}

void Catalog::recoverFromError(bool printing, const std::string& message)
{
    // The run ends at once, but the window is left fully usable: file closed, phase
    // label cleared, menus back, and a print job ended with the pages printed so far.
    m_designFile.reset();
    m_host.setPhase("");
    offerControls({m_controls.cancel, false, false});
    try {
        finishRun(printing, printing ? " PRINTING FAILED" : std::string());
    } catch (const PrintError&) {
        // The document could not be finished either; the first error says why.
    }
    m_host.showError(message);
}

void Catalog::View(Canvas& canvas, bool Printing)
{
    m_runActive = true;
    m_runCanvas = &canvas;
    m_printing = Printing;
    m_printStarted = false;
    m_phase = RunPhase::Drawing;
    beginRun();
    guardedStep([this] { startDrawing(); });
}

void Catalog::startDrawing()
{
    auto& s = m_state;
    Canvas& canvas = *m_runCanvas;
    int width = 0, height = 0;
    bool portrait = false;
    measureTarget(canvas, m_printing, width, height, portrait);
    setUpCanvas(canvas, m_printing, width, height);
    computeGrid(width, height, portrait);
    m_at.cellNo = 1;
    m_designsShown = 0;

    const bool found = collectFiles();
    if (!m_printing)
        rememberScreenGeometry();
    if (!found) {
        endRun(RunEnd::NothingToShow);
        return;
    }
    findStartPosition();
    makeRun();
    // The page count printed on every page counts the designs that will print.
    if (m_printing)
        s.PageCount = (countDesignsToPrint() - 1) / s.CellsPerPage + 1;
}

bool Catalog::continueRun()
{
    m_drewDesign = false;
    switch (m_phase) {
    case RunPhase::Idle:
        break;
    case RunPhase::Drawing:
        guardedStep([this] { drawStep(); });
        break;
    case RunPhase::AtPageEnd:
        if (!pageEndAnswered())
            break;
        m_state.PageComplete = false;
        m_pageEnd = answerOfPageEnd();
        m_phase = RunPhase::AwaitingPageAhead;
        [[fallthrough]];
    case RunPhase::AwaitingPageAhead:
        if (m_pageEnd == PageEnd::Next && !m_finalPageEnd && m_atWait && awaitsPageAhead())
            break;
        guardedStep([this] { goOnAfterPageEnd(leavePageEnd(m_pageEnd)); });
        break;
    }
    return m_drewDesign;
}

void Catalog::runToEnd(const std::function<void()>& whileAwaiting)
{
    // An answer that fails ends the run as a failing step does.
    while (runUnderWay()) {
        if (awaitsUser())
            guardedStep(whileAwaiting);
        else if (awaitsPageDrawnAhead())
            std::this_thread::yield();
        else
            continueRun();
    }
}

template <typename Step> void Catalog::guardedStep(Step step)
{
    try {
        step();
    } catch (const std::exception& error) {
        recoverFromError(m_printing, error.what());
    }
    notePosition();
}

void Catalog::notePosition()
{
    m_state.CellNo = m_at.cellNo;
    m_state.FileIndex = m_at.fileIndex;
}

void Catalog::makeRun()
{
    const auto& s = m_state;
    auto run = std::make_shared<Run>();
    run->folder = s.FolderPath;
    run->entries = s.FileList.names();
    run->start = s.StartIndex;
    run->kind = s.FileKind;
    run->tree = m_treeRun;
    run->collectErrors = m_collectErrors;
    run->remarkNotes = m_remarkNotes;
    m_drawer.reset();
    m_run = run;
    m_at.cellNo = 1;
    m_drawer.emplace(
        PageDrawerParts{*m_run, *m_runCanvas, m_mainCanvas, m_fileSystem, m_host, m_state, m_state.DesignPath,
                        m_state.DesignSize, m_state.SelectedList, m_deleted, m_state.CancelPressed, m_records,
                        m_printing ? nullptr : &m_display,
                        [this](const std::string& caption) { m_host.setStatus(caption); },
                        [this](const DesignBox& box) { raiseDesignBox(box); }},
        m_at);
    m_drawer->setFrame(pageFrame());
}

void Catalog::endRun(RunEnd end)
{
    switch (end) {
    case RunEnd::NothingToShow:
        m_host.setStatus(" No Files Found" + skippedSummary());
        finishRun(m_printing, {});
        break;
    case RunEnd::PrintDeclined:
        finishRun(m_printing, " NOTHING PRINTED");
        break;
    case RunEnd::Finished:
    case RunEnd::Cancelled: {
        // A tree's page on screen keeps saying where its designs are.
        const std::string where = m_treeRun && !m_printing && !m_at.folders.empty() && m_drawer
                                      ? "; this page in " + m_drawer->pageFoldersText()
                                      : "";
        finishRun(m_printing, (m_printing ? " FINISHED PRINTING" : " FINISHED") + skippedSummary() + where);
        break;
    }
    }
}

void Catalog::offerControls(const RunControls& controls)
{
    m_controls = controls;
    m_host.setRunControls(controls);
}

void Catalog::SBButtonClick()
{
    m_state.NextPressed = true;
}

void Catalog::SBCancelClick()
{
    m_state.CancelPressed = true;
    m_state.NextPressed = true;
}

void Catalog::SBPrevClick()
{
    // Prev exists only while a page with another before it waits.
    if (!m_controls.prev)
        return;
    m_prevPressed = true;
    m_state.NextPressed = true;
}

bool Catalog::FormKeyDown(int key)
{
    if (key == kKeyEnter || key == kKeySpace) {
        m_state.NextPressed = true;
    } else if (key == kKeyEscape) {
        m_state.CancelPressed = true;
        m_state.NextPressed = true;
    }
    return true;
}

void Catalog::pageForward()
{
    // The last page has no page after it: paging keys and the wheel stop there rather than
    // end the run.
    if (m_controls.next && !m_atFinalPage)
        SBButtonClick();
}

void Catalog::pageBack()
{
    SBPrevClick();
}

void Catalog::goToPage(int page)
{
    const auto& s = m_state;
    if (!m_controls.next || s.CellsPerPage <= 0 || page < 1 || page > s.PageCount)
        return;
    const int first = s.StartIndex + (page - 1) * s.CellsPerPage;
    if (first >= s.FileCount || first == firstIndexOnDisplay())
        return;
    m_goToIndex = first;
    m_state.NextPressed = true;
}

void Catalog::redrawPageWaiting()
{
    if (!awaitsUser())
        return;
    m_redrawPressed = true;
    m_state.NextPressed = true;
}

int Catalog::pageNumberOnDisplay() const
{
    const auto& s = m_state;
    if (s.CellsPerPage <= 0)
        return 1;
    return std::clamp((firstIndexOnDisplay() - s.StartIndex) / s.CellsPerPage + 1, 1, std::max(1, s.PageCount));
}

bool Catalog::FormKeyPress(char key)
{
    if (m_controls.prev && (key == 'P' || key == 'p')) {
        SBPrevClick();
        return true;
    }
    if (key == 'N' || key == 'n') {
        SBButtonClick();
        return true;
    }
    return false;
}

} // namespace orlika
