// SPDX-License-Identifier: MIT
#include "app/FindController.h"

#include "app/FindDialog.h"
#include "app/QtHost.h"
#include "catalog/Catalog.h"
#include "collection/DesignIndex.h"

#include <QCheckBox>
#include <QLineEdit>

namespace orlika {

FindController::FindController(QWidget& window, Catalog& catalog, QtHost& host)
    : m_window(window), m_catalog(catalog), m_host(host)
{
}

TFindDialog& FindController::dialog()
{
    if (!m_dialog)
        m_dialog = new TFindDialog(&m_window);
    return *m_dialog;
}

std::optional<FindRequest> FindController::askFindDesigns()
{
    TFindDialog& dialog = this->dialog();
    // The folder last shown is the one searched, until another is chosen.
    if (dialog.FolderEdit->text().isEmpty())
        dialog.FolderEdit->setText(QString::fromStdString(m_catalog.state().FolderPath));
    const int answer = m_host.execDialog(dialog);
    if (answer != TFindDialog::kShow && answer != TFindDialog::kPrint)
        return std::nullopt;
    FindRequest request;
    if (const QString problem = dialog.read(request.folder, request.query); !problem.isEmpty()) {
        m_host.messageBox(
            MessageRequest{problem.toStdString(), "ORLIKA Find", MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
        return std::nullopt;
    }
    request.print = answer == TFindDialog::kPrint;
    request.selectAll = dialog.SelectAllBox->isChecked();
    return request;
}

std::optional<std::string> FindController::find(const FindRequest& request)
{
    const Answer answer = readAndFind(request);
    const std::string told = answer.notice.empty() ? std::string() : "; " + answer.notice;
    if (answer.stopped || answer.found.empty()) {
        m_host.setStatus(
            (answer.stopped ? std::string(" Find stopped") : " No designs found: " + request.query.describe()) + told);
        return std::nullopt;
    }
    giveToCatalog(request, answer.found);
    return told;
}

FindController::Answer FindController::readAndFind(const FindRequest& request)
{
    auto& s = m_catalog.state();
    const std::string& folder = request.folder;
    m_host.setBusy(true);
    m_host.setRunControls({.cancel = true});
    s.CancelPressed = false;
    m_host.setStatus(" Reading the designs of " + folder);
    m_host.processMessages();
    Answer answer;
    try {
        const auto index = openDesignIndex(answer.notice);
        const auto counts = index->refresh(folder, [&](int handled, int total) {
            if (handled % 25 == 0 || handled == total) {
                m_host.setStatus(" Reading designs for the index: " + std::to_string(handled) + " of " +
                                        std::to_string(total));
                m_host.processMessages();
            }
            return !s.CancelPressed;
        });
        answer.stopped = counts.stopped;
        const std::string more = index->takeNotice();
        answer.notice += (answer.notice.empty() || more.empty() ? "" : "; ") + more;
        if (!answer.stopped)
            answer.found = findDesigns(*index, folder, request.query);
    } catch (const IndexError& error) {
        answer.notice = error.what();
    }
    m_host.setRunControls({});
    m_host.setBusy(false);
    return answer;
}

void FindController::giveToCatalog(const FindRequest& request, const std::vector<FoundDesign>& found)
{
    auto& s = m_catalog.state();
    FoundRun run = runOfFound(found);
    // The designs found are a new run: a new selection, of what was asked to be selected.
    // Of duplicates only the byte copies are selected, each checked again before Delete.
    s.SelectedList.clear();
    s.SelectedFolder = request.folder;
    s.KeptCopyOf = std::move(run.keptCopyOf);
    std::vector<std::string> chosen;
    for (const FoundDesign& design : found)
        if (request.selectAll || design.preselected)
            chosen.push_back(design.path);
    s.SelectedList.addAll(std::move(chosen));
    m_host.setSelectedCount(s.SelectedList.count());
    s.FileKind = FileKind::AllSupported;
    s.UseDialogList = s.UseSelectedList = false;
    m_catalog.setGivenDesigns(request.folder, run.paths, request.query.duplicates, std::move(run.notes));
}

} // namespace orlika
