// SPDX-License-Identifier: MIT
// The main window's View menu: the pages, or the browse grid in their place. The pages
// stay as they were while the grid is shown, their run waiting where it waited.
#include "app/BrowseWindow.h"
#include "app/Orlika.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QBoxLayout>
#include <QListView>
#include <QMenu>
#include <QTimer>

namespace orlika {

bool TForm1::browsing() const
{
    return m_browse && !m_browse->isHidden();
}

void TForm1::showBrowse(const QString& folder)
{
    if (!m_browse) {
        m_browse = new BrowseWindow(m_host, [this]() -> FileOperations& { return *m_fileOperations; }, centralWidget());
        m_browse->hide();
        qobject_cast<QBoxLayout*>(centralWidget()->layout())->addWidget(m_browse, 1);
        m_browse->setIncludeSubfolders(IncludeSubfolders1->isChecked());
        connect(m_browse, &BrowseWindow::backToPages, this, &TForm1::showPages);
        connect(IncludeSubfolders1, &QAction::toggled, m_browse, &BrowseWindow::setIncludeSubfolders);
        connect(m_browse, &BrowseWindow::subfoldersChosen, this, [this](bool on) {
            IncludeSubfolders1->setChecked(on);
            m_catalog.state().IncludeSubfolders = on;
        });
        connect(m_browse, &BrowseWindow::pagesAsked, this, &TForm1::showDesignsAsPages);
        connect(m_browse, &BrowseWindow::sheetsAsked, this, &TForm1::printDesignSheets);
        connect(m_browse, &BrowseWindow::convertAsked, this,
                [this](const std::string& folder, const std::vector<std::string>& names) {
                    CatalogState selection = m_browse->selectionState(names);
                    selection.SelectedFolder = folder;
                    convertDesigns(selection);
                });
        connect(m_browse, &BrowseWindow::designsGone, this,
                [this](const std::string& from, const std::vector<std::string>& names, bool moved) {
                    // The pages do not show or select a design gone either.
                    m_selection.designsGone(from, names, moved ? Gone::Moved : Gone::Deleted);
                    m_selection.followCoreSelection();
                    // The count offers the Selected menu again: it acts on the pages, so not here.
                    if (browsing())
                        Selected1->menuAction()->setEnabled(false);
                });
    }
    QString chosen = folder;
    // A zip archive is browsed as a folder; any other file stands for its folder.
    const bool archive = !chosen.isEmpty() && QFileInfo(chosen).isFile() &&
                         chosen.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
    if (!chosen.isEmpty() && QFileInfo(chosen).isFile() && !archive)
        chosen = QFileInfo(chosen).absolutePath();
    if (chosen.isEmpty())
        chosen = m_browse->folder();
    if (chosen.isEmpty())
        chosen = QString::fromStdString(m_catalog.state().FolderPath);
    if (chosen.isEmpty())
        chosen = QDir::homePath();
    chosen = QFileInfo(chosen).absoluteFilePath();
    if (!archive && !chosen.endsWith(QLatin1Char('/')))
        chosen += QLatin1Char('/');

    if (!browsing()) {
        m_pagesCaption = statusCaption();
        m_pageCommands.clear();
        for (QAction* action : {Open1, OpenatFile1, OpenSelectedFiles1, OpenFolder1, FindDesigns1, FindDuplicates1,
                                Print1, PrintFromFile1, PrintSelectedFiles1, mnfileList, PageLayout1->menuAction(),
                                Selected1->menuAction()}) {
            m_pageCommands.emplace_back(action, action->isEnabled());
            action->setEnabled(false);
        }
        Page->hide();
        Panel1->hide();
        m_browse->show();
    }
    if (chosen != m_browse->folder() + m_browse->archive())
        m_browse->showPlace(chosen);
    else
        m_browse->reload();
    Pages1->setChecked(false);
    Browse1->setChecked(true);
    m_browse->grid()->setFocus();
}

void TForm1::showPages()
{
    Pages1->setChecked(true);
    Browse1->setChecked(false);
    if (!browsing())
        return;
    m_browse->hide();
    Page->show();
    Panel1->show();
    for (const auto& [action, enabled] : m_pageCommands)
        action->setEnabled(enabled);
    m_pageCommands.clear();
    // A command in the grid spoke through the panel: the pages' own words come back.
    m_host.setSelectedCount(m_catalog.state().SelectedList.count());
    showStatusCaption(m_pagesCaption);
    Page->setFocus();
}

void TForm1::showDesignsAsPages(const std::string& folder, const std::vector<std::string>& names, bool print)
{
    if (names.empty())
        return;
    showPages();
    if (m_running) {
        // The page left waiting gives way; the new run starts once that one has ended.
        m_catalog.SBCancelClick();
        QTimer::singleShot(10, this, [this, folder, names, print] { showDesignsAsPages(folder, names, print); });
        return;
    }
    // A new run: the pages' selection was of the run before.
    auto& s = m_catalog.state();
    s.SelectedList.clear();
    s.KeptCopyOf.clear();
    m_host.setSelectedCount(0);
    s.FileKind = FileKind::AllSupported;
    s.UseDialogList = s.UseSelectedList = false;
    m_catalog.setGivenDesigns(folder, names, true);
    if (print)
        viewOnPrinter();
    else
        viewOnScreen();
}

} // namespace orlika
