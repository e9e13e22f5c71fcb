// SPDX-License-Identifier: MIT
// The page engine: lays out the grid, collects the files and pages through them.
#include "catalog/Catalog.h"

#include "decoders/DecoderTable.h"
#include "platform/Rounding.h"

#include <algorithm>

namespace orlika {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;

struct Margins {
    double x;
    double y;
};

Margins marginsFor(bool thumbnails, bool portraitPrinter, bool oneByOne)
{
    if (thumbnails)
        return portraitPrinter ? Margins{0.35, 0.35} : Margins{0.25, 0.35};
    if (portraitPrinter)
        return oneByOne ? Margins{0.25, 0.3} : Margins{0.35, 0.25};
    return oneByOne ? Margins{0.3, 0.25} : Margins{0.25, 0.35};
}

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
    if (dialog.FilterIndex == 7) {
        m_state.FileKind = 6;
        return;
    }
    struct Mark {
        const char* text;
        std::uint8_t kind;
        int filter;
    };
    static constexpr Mark kMarks[] = {
        {".DST", 4, 5}, {".PES", 3, 4}, {".PEC", 3, 4}, {".PC", 2, 3},
        {".KSM", 0, 1}, {".EXP", 1, 2}, {".SEW", 1, 6},
    };
    const std::string upper = upperCase(dialog.FileName);
    for (const auto& mark : kMarks) {
        if (upper.find(mark.text) != std::string::npos) {
            m_state.FileKind = mark.kind;
            dialog.FilterIndex = mark.filter;
            return;
        }
    }
}

void Catalog::beginRun()
{
    m_state.ViewDone = false;
    m_state.PageComplete = false;
    m_host.enableMenu(Menu::Selected, false);
    m_host.enableMenu(Menu::File, false);
    m_host.enableMenu(Menu::PageLayout, false);
    m_host.setStatusCaption(" ");
    m_host.placeSpeedButtons();
    m_host.showSpeedButton(SpeedButton::Prev, false);
    m_host.showSpeedButton(SpeedButton::Next, false);
    m_host.showSpeedButton(SpeedButton::Cancel, false);
    m_prevShown = m_nextShown = false;
    m_state.CancelPressed = false;
    if (!m_state.UseDialogList && !m_state.UseSelectedList)
        m_state.FileList.clear();
    m_host.processMessages();
}

void Catalog::paintPageWhite(Canvas& canvas)
{
    const ScreenGeometry screen = m_host.screenGeometry();
    m_folderLineOnPage = false;
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
    m_host.processMessages();
    const ScreenGeometry screen = m_host.screenGeometry();
    width = screen.clientWidth;
    height = screen.clientHeight - screen.panelHeight;
    portrait = false;
}

void Catalog::setUpCanvas(Canvas& canvas, bool printing, int width, int height)
{
    canvas.setPenColor(Black);
    canvas.setPenWidth(1);
    canvas.setBrush(BrushStyle::Clear, White);
    const int size = (printing || height >= 500 || width >= 700) ? 8 : 7;
    canvas.setFont(Font{"Arial", size, false});
    m_state.LineHeight = printing ? roundPixel(1.8 * canvas.textHeight("H"))
                                  : roundPixel(0.8 * canvas.textHeight("m"));
}

void Catalog::computeGrid(int width, int height, bool portrait)
{
    auto& s = m_state;
    const bool oneByOne = s.PageColumns == 1 && s.PageRows == 1;
    const double f = oneByOne ? 0.1 : 0.5;
    const int across = portrait ? s.PageRows : s.PageColumns;
    const int down = portrait ? s.PageColumns : s.PageRows;
    s.CellWidth = roundPixel(width / (across + f));
    s.CellHeight = roundPixel(height / (down + f));
    s.CellsPerPage = s.PageColumns * s.PageRows;

    const Margins margins = marginsFor(s.Thumbnails, portrait, oneByOne);
    s.MarginX = roundPixel(s.CellWidth * margins.x);
    s.MarginY = roundPixel(s.CellHeight * margins.y);
    s.HalfCellHeight = roundPixel(s.CellHeight * 0.5);

    // Origins in reading order; a grid never has more cells than CellOrigin holds.
    std::size_t entry = 0;
    for (int r = 0; r < down; ++r) {
        for (int c = 0; c < across && entry < s.CellOrigin.size(); ++c) {
            s.CellOrigin[entry++] = {s.MarginX + c * s.CellWidth, s.MarginY + s.HalfCellHeight + r * s.CellHeight};
        }
    }
}

void Catalog::writeFolderLine(Canvas& canvas, int width)
{
    // Once on a page is enough: writing antialiased text over itself thickens it.
    if (m_folderLineOnPage)
        return;
    m_folderLineOnPage = true;
    const std::string text = "File Folder: " + m_state.FolderPath;
    canvas.textOut(width / 2 - canvas.textWidth(text) / 2, 0, text);
}

bool Catalog::collectFiles()
{
    auto& s = m_state;
    const bool listGiven = s.UseDialogList || s.UseSelectedList;
    if (!listGiven)
        s.FileList.clear();
    s.FolderPath = folderPart(s.OpenFileName);
    s.OpenFileExt = extensionPart(s.OpenFileName);
    if (!listGiven) {
        std::vector<std::string> extensions;
        if (s.FileKind == 6)
            extensions.assign(s.DesignExtensions.begin(), s.DesignExtensions.end());
        else
            extensions.push_back(s.OpenFileExt);
        for (const auto& extension : extensions) {
            s.DesignPath = s.FolderPath + "*" + extension;
            for (const auto& name : m_fileSystem.findEntries(s.DesignPath))
                s.FileList.add(name);
        }
    }
    return !s.FileList.empty();
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
        s.StartIndex = std::max(0, s.FileList.indexOf(namePart(s.OpenFileName)));
    }
    s.PageCount = (s.FileCount - s.StartIndex - 1) / s.CellsPerPage + 1;
    s.PageNo = 1;
    s.FileIndex = s.StartIndex;
}

void Catalog::drawDesign(Canvas& canvas)
{
    auto& s = m_state;
    const DecoderEntry* decoder = s.FileKind == 6 ? decoderForName(s.FileList[s.FileIndex])
                                                  : decoderForKind(s.FileKind);
    if (decoder)
        (this->*decoder->decode)(canvas);
    canvas.flush();
}

void Catalog::prepareScreenPage(Canvas& canvas, int width, int height)
{
    setUpCanvas(canvas, false, width, height);
    computeGrid(width, height, false);
    m_state.CellNo = 1;
}

const DecoderEntry* Catalog::decodeFile(Canvas& canvas, const std::string& path, std::unique_ptr<DesignFile> file)
{
    auto& s = m_state;
    s.DesignPath = path;
    m_designFile = std::move(file);
    s.DesignSize = m_designFile->size();
    m_designFile->seek(0);
    const DecoderEntry* decoder = decoderForName(namePart(path));
    try {
        if (decoder)
            (this->*decoder->decode)(canvas);
    } catch (...) {
        m_designFile.reset();
        canvas.flush();
        throw;
    }
    m_designFile.reset();
    canvas.flush();
    return decoder;
}

int Catalog::firstIndexOnDisplay() const
{
    const auto& s = m_state;
    if (s.CellsPerPage <= 0)
        return 0;
    const int last = std::min(s.FileIndex, s.FileCount - 1);
    return s.StartIndex + ((last - s.StartIndex) / s.CellsPerPage) * s.CellsPerPage;
}

void Catalog::waitAtPageEnd(Canvas& canvas, int width, bool finalPage)
{
    auto& s = m_state;
    s.NextPressed = false;
    m_host.showSpeedButton(SpeedButton::Next, true);
    m_nextShown = true;
    m_prevShown = firstIndexOnDisplay() > s.StartIndex;
    if (m_prevShown)
        m_host.showSpeedButton(SpeedButton::Prev, true);
    s.PageComplete = true;
    while (!s.NextPressed)
        m_host.waitForEvents();
    s.PageComplete = false;
    // The final page stays on screen after Next or Cancel; only Prev clears it.
    if (!finalPage || s.FileIndex < s.FileCount) {
        paintPageWhite(canvas);
        canvas.setBrush(BrushStyle::Clear, White);
    }
    m_host.showSpeedButton(SpeedButton::Next, false);
    m_host.showSpeedButton(SpeedButton::Prev, false);
    m_nextShown = m_prevShown = false;
    writeFolderLine(canvas, width);
}

void Catalog::finishRun(bool printing, const std::string& caption)
{
    auto& s = m_state;
    s.ViewDone = true;
    s.PageComplete = true;
    s.NextPressed = false;
    m_host.enableMenu(Menu::Selected, !s.SelectedList.empty());
    m_host.enableMenu(Menu::File, true);
    m_host.showSpeedButton(SpeedButton::Cancel, false);
    m_host.enableMenu(Menu::PageLayout, true);
    if (!caption.empty()) {
        m_host.setStatusFontColor(Red);
        m_host.setStatusCaption(caption);
        m_host.setStatusFontColor(Black);
    }
    if (printing && m_printer && m_printer->printing())
        m_printer->endDoc();
}

void Catalog::recoverFromError(bool printing, const std::string& message)
{
    // The run ends at once, but the window is left fully usable: file closed, phase
    // label cleared, menus back, and a print job ended with the pages printed so far.
    m_designFile.reset();
    m_host.setStatLabel("");
    m_host.showSpeedButton(SpeedButton::Next, false);
    m_host.showSpeedButton(SpeedButton::Prev, false);
    m_nextShown = m_prevShown = false;
    finishRun(printing, {});
    m_host.showError(message);
}

void Catalog::View(Canvas& canvas, bool Printing)
{
    auto& s = m_state;
    beginRun();

    int width = 0, height = 0;
    bool portrait = false;
    try {
        measureTarget(canvas, Printing, width, height, portrait);
        setUpCanvas(canvas, Printing, width, height);
        computeGrid(width, height, portrait);
        m_host.processMessages();
        s.CellNo = 1;

        if (!collectFiles()) {
            m_host.setStatusCaption(" No Files Found");
            finishRun(Printing, {});
            return;
        }
        findStartPosition();

        bool firstPage = true;
        for (;;) {
            while (s.FileIndex < s.FileCount) {
                m_host.showSpeedButton(SpeedButton::Cancel, true);
                m_host.setStatusCaption(std::string(Printing ? " Printing Picture " : " Picture ") +
                                        std::to_string(s.FileIndex + 1) + " of " + std::to_string(s.FileCount));
                if (s.CancelPressed)
                    break;
                if (Printing) {
                    if (firstPage)
                        startPrintJob(canvas, width, height);
                    firstPage = false;
                } else {
                    writeFolderLine(canvas, width);
                }

                s.DesignPath = s.FolderPath + s.FileList[s.FileIndex];
                m_designFile = m_fileSystem.openRead(s.DesignPath);
                if (!m_designFile) {
                    ++s.FileIndex;
                    continue;
                }
                s.DesignSize = m_designFile->size();
                m_designFile->seek(0);
                drawDesign(canvas);

                ++s.CellNo;
                m_host.processMessages();
                if (s.FileIndex != s.FileCount - 1 && s.CellNo > s.CellsPerPage) {
                    if (Printing)
                        startNewPrintPage(canvas, width, height);
                    else
                        waitAtPageEnd(canvas, width, false);
                }
                m_designFile.reset();
                m_host.processMessages();
                if (s.CellNo > s.CellsPerPage)
                    s.CellNo = 1;
                ++s.FileIndex;
            }
            if (s.CancelPressed || Printing || s.FileCount <= s.CellsPerPage)
                break;
            waitAtPageEnd(canvas, width, true);
            if (s.FileIndex >= s.FileCount)
                break;
        }
        finishRun(Printing, Printing ? " FINISHED PRINTING" : " FINISHED");
    } catch (const std::exception& error) {
        recoverFromError(Printing, error.what());
    }
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
    auto& s = m_state;
    // Prev exists only while a later page waits; the arithmetic assumes it.
    if (!m_prevShown)
        return;
    if (s.FileIndex < s.FileCount) {
        s.FileIndex = s.FileIndex - s.CellsPerPage - s.CellNo + 1;
    } else {
        const int b = s.CellNo == 1 ? s.CellsPerPage + 1 : s.CellNo;
        s.FileIndex = s.FileIndex - s.CellsPerPage - b + 1;
        s.CellNo = 1;
    }
    s.NextPressed = true;
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

bool Catalog::FormKeyPress(char key)
{
    if (m_prevShown) {
        if (key == 'P' || key == 'p') {
            SBPrevClick();
            return true;
        }
    } else if (key == 'N' || key == 'n') {
        SBButtonClick();
        return true;
    }
    return false;
}

} // namespace orlika
