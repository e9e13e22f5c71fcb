// SPDX-License-Identifier: MIT
// The main window's commands: opening and running the page engine on the screen or the
// printer, the File and Selected menus, and a design opened in the design view.
#include "app/Orlika.h"

#include "app/AboutBox.h"
#include "app/ConvertDialog.h"
#include "app/DesignView.h"
#include "app/Prttitle.h"
#include "catalog/DesignPaths.h"
#include "fileops/FileOps.h"
#include "listing/FileListing.h"
#include "render/PrintJob.h"
#include "sheet/SheetPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace orlika {

std::string repairDoubleSeparator(std::string path)
{
    const auto at = path.find("//");
    if (at != std::string::npos)
        path.erase(at, 1);
    return path;
}

QPrinter& TForm1::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // A laser printer's resolution: one-pixel lines stay visible on paper.
        m_printer->setResolution(600);
    }
    return *m_printer;
}

// ---------------------------------------------------------------------------------------
// Opening and running

void TForm1::openedFolderSteps()
{
    auto& s = m_catalog.state();
    m_catalog.GetFileTypes();
    s.FileList.clear();
    s.SelectedList.clear();
    s.KeptCopyOf.clear();
    s.UseSelectedList = false;
    m_host.setSelectedCount(0);
}

void TForm1::drawPagesAhead(bool on)
{
    if (on && !m_pageAhead)
        m_pageAhead = std::make_unique<BackgroundPage>(*m_page, [this] { Page->update(); });
    m_drawPagesAhead = on;
    m_catalog.setPageAhead(on ? m_pageAhead.get() : nullptr);
}

void TForm1::realisticPicturesToggled(bool on)
{
    // A page half drawn keeps its look; one waiting is drawn again in the new one.
    if (!m_catalog.awaitsUser())
        return;
    m_page->canvas().setRealistic(on);
    m_catalog.setPageAhead(m_drawPagesAhead && !on ? m_pageAhead.get() : nullptr);
    m_catalog.redrawPageWaiting();
}

void TForm1::viewOnScreen()
{
    m_running = true;
    // Each run draws on a fresh page the size of the page area.
    m_page->resize(Page->width(), Page->height());
    const bool realistic = RealisticPictures1->isChecked();
    m_page->canvas().setRealistic(realistic);
    // The page drawn ahead has a canvas of its own, which draws lines: a realistic run
    // draws each page when its turn comes.
    m_catalog.setPageAhead(m_drawPagesAhead && !realistic ? m_pageAhead.get() : nullptr);
    m_catalog.setMainCanvas(&m_page->canvas());
    m_catalog.View(m_page->canvas(), false);
    m_selection.followRun();
    driveRun();
    m_page->flush();
    Page->update();
    afterRun();
}

void TForm1::viewOnPrinter()
{
    m_running = true;
    PrintJob job(printer(), [this] {
        return askPdfFileName(QStringLiteral("Print the catalog to a PDF file"), QStringLiteral("catalog.pdf"),
                              m_pdfFileName);
    });
    job.setRealistic(RealisticPictures1->isChecked());
    // The command may have started a new selection; the page on display stays as it was.
    m_selection.followCoreSelectionOffPage();
    m_catalog.setPrinter(&job);
    m_catalog.View(job.canvas(), true);
    driveRun();
    m_catalog.setPrinter(nullptr);
    m_lastPagesPrinted = job.pagesPrinted();
    afterRun();
}

void TForm1::driveRun()
{
    // The run draws a design a step; after each design the window shows it and handles
    // what the user did, and while a page waits it sleeps until something happens. A step
    // that only turns a page (or puts the page drawn ahead on display) shows nothing yet:
    // the page is shown as it waits.
    while (m_catalog.runUnderWay()) {
        if (m_catalog.awaitsUser()) {
            m_host.waitForEvents();
        } else if (m_catalog.awaitsPageDrawnAhead()) {
            m_pageAhead->awaitDrawing();
        } else {
            if (m_catalog.continueRun())
                m_host.processMessages();
        }
    }
}

void TForm1::afterRun()
{
    m_running = false;
    if (m_closeRequested)
        close();
}

void TForm1::openFile(const QString& path)
{
    if (m_running)
        return;
    auto& s = m_catalog.state();
    QString chosen = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(path).isDir() && !chosen.endsWith(QLatin1Char('/')))
        chosen += QLatin1Char('/');
    s.OpenDialog1.FileName = chosen.toStdString();
    s.OpenDialog1.Files = {s.OpenDialog1.FileName};
    showChosenFolder(true);
}

void TForm1::showChosenFolder(bool fromBeginning)
{
    auto& s = m_catalog.state();
    openedFolderSteps();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = fromBeginning;
    s.UseDialogList = false;
    viewOnScreen();
}

// ---------------------------------------------------------------------------------------
// The File menu

void TForm1::Open1Click()
{
    if (executeOpenDialog(false))
        showChosenFolder(true);
}

void TForm1::OpenatFile1Click()
{
    if (executeOpenDialog(false))
        showChosenFolder(false);
}

void TForm1::OpenFolder1Click()
{
    if (m_running)
        return;
    const auto chosen = askForFolder(QStringLiteral("Open a folder"), QStringLiteral("OpenFolderDialog"));
    if (!chosen)
        return;
    const std::string& folder = *chosen;
    // As Open at Beginning of a design in the folder under "All supported formats"; the
    // open dialog then starts there too.
    auto& s = m_catalog.state();
    s.OpenDialog1.FileName = folder;
    s.OpenDialog1.Files = {folder};
    s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
    showChosenFolder(true);
    if (s.FileList.empty() && !s.IncludeSubfolders && !m_closeRequested)
        adviseIncludeSubfolders(folder);
}

void TForm1::adviseIncludeSubfolders(const std::string& folder)
{
    const QDir shown(QString::fromStdString(folder));
    const bool subfolders = !shown.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
    const bool archives = !shown.entryList({QStringLiteral("*.zip")}, QDir::Files).isEmpty();
    // With nothing below the folder either, the status line's " No Files Found" says it all.
    if (!subfolders && !archives)
        return;
    const std::string below = subfolders && archives ? "its subfolders and zip archives"
                              : subfolders           ? "its subfolders"
                                                     : "its zip archives";
    const MessageAnswer answer = m_host.messageBox(MessageRequest{
        "There is no design file in " + folder + " itself. File > Include Subfolders shows the designs in " + below +
            " too.\n\nTurn Include Subfolders on and show them?",
        "ORLIKA", MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes)
        return;
    IncludeSubfolders1->setChecked(true);
    IncludeSubfolders1Click();
    showChosenFolder(true);
}

void TForm1::OpenSelectedFiles1Click()
{
    if (!executeOpenDialog(true))
        return;
    openedFolderSteps();
    useDialogList();
    viewOnScreen();
}

void TForm1::Print1Click()
{
    auto& s = m_catalog.state();
    s.FromBeginning = true;
    s.UseDialogList = false;
    if (s.OpenFileName.empty()) {
        if (!executeOpenDialog(false))
            return;
        openedFolderSteps();
        s.OpenFileName = s.OpenDialog1.FileName;
    }
    viewOnPrinter();
}

void TForm1::PrintFromFile1Click()
{
    auto& s = m_catalog.state();
    s.FromBeginning = false;
    s.UseDialogList = false;
    if (!executeOpenDialog(false))
        return;
    m_catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    viewOnPrinter();
}

void TForm1::PrintSelectedFiles1Click()
{
    auto& s = m_catalog.state();
    s.FromBeginning = false;
    // Where the last open was a multiple selection, that same selection is printed.
    const bool lastSelection = s.UseDialogList && !s.OpenDialog1.Files.empty();
    if (!lastSelection && !executeOpenDialog(true))
        return;
    m_catalog.GetFileTypes();
    useDialogList();
    viewOnPrinter();
}

void TForm1::useDialogList()
{
    auto& s = m_catalog.state();
    s.FileList.clear();
    for (const auto& file : s.OpenDialog1.Files)
        s.FileList.add(namePart(file));
    s.OpenFileName = repairDoubleSeparator(s.OpenDialog1.Files.front());
    s.UseDialogList = true;
}

void TForm1::mnfileListClick()
{
    if (m_running)
        return;
    m_running = true;
    PrintJob job(printer(), [this] {
        return askPdfFileName(QStringLiteral("Print the file listing to a PDF file"), QStringLiteral("listing.pdf"),
                              m_listingPdfFileName);
    });
    FileListing(m_catalog, m_fileSystem).mnfileListClick(job);
    m_lastPagesPrinted = job.pagesPrinted();
    // The listing starts a new selection: names on the page on display turn black.
    m_selection.followCoreSelection();
    afterRun();
}

void TForm1::IncludeSubfolders1Click()
{
    m_catalog.state().IncludeSubfolders = IncludeSubfolders1->isChecked();
}

TFindDialog& TForm1::findDialog()
{
    return m_finder.dialog();
}

void TForm1::FindDesigns1Click()
{
    if (m_running)
        return;
    if (const auto request = m_finder.askFindDesigns())
        findAndShow(*request);
}

void TForm1::FindDuplicates1Click()
{
    if (m_running)
        return;
    const auto folder =
        askForFolder(QStringLiteral("Find duplicates in the folder"), QStringLiteral("DuplicatesFolderDialog"));
    if (!folder)
        return;
    FindRequest request;
    request.folder = *folder;
    request.query.duplicates = true;
    findAndShow(request);
}

void TForm1::findAndShow(const FindRequest& request)
{
    // Reading the designs for the index is a run of its own: the menus wait, Cancel stops it.
    m_running = true;
    const std::optional<std::string> told = m_finder.find(request);
    m_running = false;
    if (!told) {
        if (m_closeRequested)
            close();
        return;
    }
    // Printed, the catalog is titled by the query.
    if (m_titleDlg)
        m_titleDlg->Comments1->setText(QString::fromStdString("Found: " + request.query.describe()).left(150));
    if (request.print)
        viewOnPrinter();
    else
        viewOnScreen();
    if (!told->empty())
        m_host.setStatus(statusCaption().toStdString() + *told);
}

void TForm1::PrintSetup1Click()
{
    // With a printer installed the print dialog chooses it and its paper; without one
    // the catalog goes to PDF and only the page set-up matters.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        QPageSetupDialog dialog(&printer(), this);
        m_host.execDialog(dialog);
    } else {
        QPrintDialog dialog(&printer(), this);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        m_host.execDialog(dialog);
    }
}

void TForm1::Exit1Click()
{
    close();
}

// ---------------------------------------------------------------------------------------
// The Selected and About menus

bool TForm1::useSelectedList()
{
    auto& s = m_catalog.state();
    if (s.SelectedList.empty())
        return false;
    s.UseSelectedList = true;
    s.FileList.clear();
    for (const auto& name : s.SelectedList.names())
        s.FileList.add(name);
    // The run shows the folder the designs were selected in, whatever ran since.
    s.OpenFileName = s.SelectedFolder + namePart(s.OpenFileName);
    return true;
}

void TForm1::DisplaySelectedFiles1Click()
{
    auto& s = m_catalog.state();
    if (useSelectedList())
        viewOnScreen();
    s.UseSelectedList = false;
}

void TForm1::PrintSelectedFiles2Click()
{
    auto& s = m_catalog.state();
    if (useSelectedList())
        viewOnPrinter();
    s.UseSelectedList = false;
}

void TForm1::PrintDesignSheet1Click()
{
    const auto& s = m_catalog.state();
    printDesignSheets(s.SelectedFolder, s.SelectedList.names());
}

void TForm1::printDesignSheets(const std::string& folder, const std::vector<std::string>& names)
{
    if (m_running || names.empty())
        return;
    const std::optional<bool> realistic = askSheetRealistic();
    if (!realistic)
        return;
    m_running = true;
    SheetPrinting sheets(folder, names, m_host);
    m_lastPagesPrinted = 0;
    if (!sheets.empty()) {
        PrintJob job(printer(), [&] {
            return askPdfFileName(QStringLiteral("Print the design sheets to a PDF file"), sheets.proposedPdfName(),
                                  m_sheetPdfFileName);
        });
        m_lastPagesPrinted = sheets.print(job, *realistic ? PictureLook::Realistic : PictureLook::Lines);
    }
    afterRun();
}

void TForm1::MoveAllSelectedFiles1Click()
{
    if (m_running)
        return;
    const std::string folder = m_catalog.state().SelectedFolder;
    // A design moved away leaves the page as a deleted one does.
    if (const auto moved = FileOps(m_catalog.state(), m_host, *m_fileOperations).MoveAllSelectedFiles1Click();
        !moved.empty())
        m_selection.designsGone(folder, moved, Gone::Moved);
    // The command ends the selection when its last design went through.
    m_selection.followCoreSelection();
}

TConvertDialog& TForm1::convertDialog()
{
    if (!m_convertDialog)
        m_convertDialog = new TConvertDialog(this);
    return *m_convertDialog;
}

void TForm1::ConvertTo1Click()
{
    if (!m_catalog.state().SelectedList.empty())
        convertDesigns(m_catalog.state());
}

void TForm1::convertDesigns(CatalogState& selection)
{
    if (m_running || selection.SelectedList.empty())
        return;
    TConvertDialog& dialog = convertDialog();
    if (m_host.execDialog(dialog) != QDialog::Accepted)
        return;
    ConvertOrder order;
    if (const QString problem = dialog.read(order); !problem.isEmpty()) {
        m_host.messageBox(MessageRequest{problem.toStdString(), "ORLIKA Convert", MessageIcon::Warning,
                                         MessageButtons::Ok, MessageAnswer::Ok});
        return;
    }
    m_running = true;
    ConvertJob(selection, m_host, *m_fileOperations).run(order);
    afterRun();
}

void TForm1::DeleteSelected1Click()
{
    if (m_running)
        return;
    auto& s = m_catalog.state();
    const std::string folder = s.SelectedFolder;
    const std::vector<std::string> selected = s.SelectedList.names();
    FileOps(s, m_host, *m_fileOperations).DeleteSelected1Click();
    // What is gone is told by the files themselves, whatever the command did or answered.
    // A design inside an archive is never deleted (its path names no file of its own).
    std::vector<std::string> gone;
    for (const std::string& name : selected)
        if (!isArchiveEntry(name) && !m_fileOperations->exists(folder + name))
            gone.push_back(name);
    if (!gone.empty())
        m_selection.designsGone(folder, gone, Gone::Deleted);
    m_selection.followCoreSelection();
}

void TForm1::About1Click()
{
    if (m_aboutBox)
        m_host.execDialog(*m_aboutBox);
}

// ---------------------------------------------------------------------------------------
// The design view

void TForm1::FormDoubleClick(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton || !m_catalog.state().PageComplete)
        return;
    const PageOnDisplay& display = m_catalog.pageOnDisplay();
    const int cell = display.cellAt(x, y);
    if (cell < 0 || display.names[std::size_t(cell)].empty())
        return;
    const std::string& name = display.names[std::size_t(cell)];
    const auto read = [this](const std::string& path) { return readDesignForView(path, m_fileSystem); };
    m_host.setWaiting(true);
    PictureReading reading = read(display.folder + name);
    m_host.setWaiting(false);
    if (!reading.picture) {
        m_host.messageBox(MessageRequest{name + ": " + reading.problem, "ORLIKA", MessageIcon::Warning,
                                         MessageButtons::Ok, MessageAnswer::Ok});
        return;
    }
    // A dialog of its own: the page on display keeps its image, and Esc closes the view
    // without reaching the run's keys.
    DesignView view(std::move(*reading.picture), this);
    // Page Up and Page Down go through the run's designs, from the one clicked; where the
    // list is another run's since (a print run), through the page's.
    const auto& s = m_catalog.state();
    std::vector<std::string> entries;
    if (display.folder == s.FolderPath && s.FileList.contains(name)) {
        entries = s.FileList.names();
    } else {
        for (int k = 0; k < display.cellCount; ++k)
            if (!display.names[std::size_t(k)].empty())
                entries.push_back(display.names[std::size_t(k)]);
    }
    const auto at = std::find(entries.begin(), entries.end(), name);
    if (at != entries.end())
        view.setSequence(DesignSequence(display.folder, entries, std::size_t(at - entries.begin()), read));
    m_host.execDialog(view);
}

} // namespace orlika
