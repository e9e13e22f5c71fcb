// SPDX-License-Identifier: MIT
#include "app/ConvertJob.h"

#include "catalog/DesignPaths.h"
#include "fileops/FileOps.h"

#include <QEventLoop>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>

namespace orlika {

namespace {

constexpr const char* kCaption = "ORLIKA Convert";

std::string designs(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " design" : " designs");
}

/// Every occurrence of `from` in `text` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

void ConvertJob::run(const ConvertOrder& order)
{
    m_order = order;
    // The selection may change while the designs convert (a right click on the page).
    const std::vector<std::string> selected = m_state.SelectedList.names();
    const std::string from = m_state.SelectedFolder;
    if (selected.empty() || !m_order.target.encoder)
        return;
    if (!offerToMakeFolder(m_host, m_files, m_order.folder, "The folder " + m_order.folder + " does not exist. Make it?",
                           kCaption, "Nothing was converted."))
        return;

    // A run of its own, as reading designs for the index: the menus wait, Cancel stops it.
    m_host.setBusy(true);
    m_host.setRunControls({.cancel = true});
    m_state.CancelPressed = false;
    std::vector<Result> results;
    for (std::size_t i = 0; i < selected.size() && !m_state.CancelPressed; ++i) {
        m_host.setStatus(" Converting " + std::to_string(i + 1) + " of " + std::to_string(selected.size()) +
                                ": " + designDisplayName(selected[i]));
        m_host.processMessages();
        results.push_back(convertOne(from + selected[i], designDisplayName(selected[i])));
    }
    const bool cancelled = results.size() < selected.size();
    m_host.setRunControls({});
    m_host.setBusy(false);

    // The status line keeps what was done once the box is gone.
    const std::string text = summary(results, selected.size(), cancelled);
    m_host.setStatus(" " + text);
    m_host.processMessages();
    const bool allWritten = !cancelled && std::all_of(results.begin(), results.end(),
                                                      [](const Result& result) { return result.written; });
    MessageRequest box{text, kCaption, allWritten ? MessageIcon::Information : MessageIcon::Warning,
                       MessageButtons::Ok, MessageAnswer::Ok};
    box.details = details(results);
    m_host.messageBox(box);
}

ConvertJob::Result ConvertJob::convertOne(const std::string& source, const std::string& shownName)
{
    Result result;
    result.name = shownName;
    ConversionTarget target = m_order.target;
    ConversionOutcome outcome = convertAside(source, m_order.folder, target);
    if (!outcome.written && outcome.fitsTurned && m_order.turnToFit) {
        target.turn = true;
        result.turned = true;
        outcome = convertAside(source, m_order.folder, target);
    }
    if (!outcome.written && outcome.nameTaken) {
        const std::string name = namePart(outcome.destination);
        // Two designs of one name in this run: the second never replaces the first.
        if (const auto earlier = m_written.find(outcome.destination); earlier != m_written.end())
            outcome.problem = name + " is taken by " + earlier->second + ", converted before it";
        else if (replaceAllowed(outcome.destination, result.name))
            outcome = replaceExisting(source, target, outcome.destination);
        else
            outcome.problem = name + " exists already";
    }
    result.written = outcome.written;
    result.problem = outcome.problem;
    result.remarks = std::move(outcome.remarks);
    if (outcome.written)
        m_written.emplace(outcome.destination, result.name);
    return result;
}

ConversionOutcome ConvertJob::convertAside(const std::string& source, const std::string& folder,
                                           const ConversionTarget& target)
{
    ConversionOutcome outcome;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            outcome = convertDesign(source, m_designFiles, folder, target, NameClash::Keep);
        } catch (const std::exception& error) {
            outcome.problem = error.what();
        } catch (...) {
            outcome.problem = "the conversion failed";
        }
        // Queued: it runs in the loop below, also when the work was done before it began.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return outcome;
}

bool ConvertJob::replaceAllowed(const std::string& destination, const std::string& name)
{
    switch (m_order.nameExists) {
    case NameExists::Skip:
        return false;
    case NameExists::Replace:
        return true;
    case NameExists::Ask:
        break;
    }
    if (m_replaceAll)
        return *m_replaceAll;
    // No is the default, so that a stray Enter never replaces a file.
    const MessageAnswer answer = m_host.messageBox(MessageRequest{
        namePart(destination) + " exists already in " + m_order.folder + ".\n\nReplace it with " + name +
            " converted? The file replaced goes to the trash.",
        kCaption, MessageIcon::Question, MessageButtons::YesNoToAll, MessageAnswer::No});
    if (answer == MessageAnswer::YesToAll || answer == MessageAnswer::NoToAll)
        m_replaceAll = answer == MessageAnswer::YesToAll;
    return answer == MessageAnswer::Yes || answer == MessageAnswer::YesToAll;
}

ConversionOutcome ConvertJob::replaceExisting(const std::string& source, const ConversionTarget& target,
                                              const std::string& destination)
{
    // The existing file goes only once its replacement is written and proved: the design
    // is converted into a folder of its own beside it first.
    ConversionOutcome outcome;
    outcome.destination = destination;
    const QTemporaryDir aside(QString::fromStdString(destinationPath(m_order.folder, ".orlika-convert-XXXXXX")));
    if (!aside.isValid()) {
        outcome.problem = "cannot write in " + m_order.folder + ": " + aside.errorString().toStdString();
        return outcome;
    }
    const std::string asideFolder = aside.path().toStdString();
    ConversionOutcome written = convertAside(source, asideFolder, target);
    outcome.remarks = std::move(written.remarks);
    if (!written.written) {
        outcome.problem = replaced(written.problem, asideFolder, m_order.folder);
        return outcome;
    }
    const std::string name = namePart(destination);
    int renamed = -1;
    switch (m_files.moveToTrash(destination)) {
    case TrashOutcome::Trashed:
        renamed = renameWithoutReplacing(written.destination, destination);
        break;
    case TrashOutcome::NoTrash:
        if (!replaceForGood(destination)) {
            outcome.problem = name + " exists already";
            return outcome;
        }
        renamed = ::rename(written.destination.c_str(), destination.c_str());
        break;
    case TrashOutcome::Refused:
        outcome.problem =
            name + " exists already and cannot be replaced: it is a folder, write-protected, or in a write-protected folder";
        return outcome;
    }
    if (renamed != 0) {
        outcome.problem = "cannot name the file " + destination + ": " + std::strerror(errno);
        return outcome;
    }
    syncFolder(destination);
    outcome.written = true;
    return outcome;
}

bool ConvertJob::replaceForGood(const std::string& destination)
{
    if (m_forGoodAll)
        return *m_forGoodAll;
    const MessageAnswer answer = m_host.messageBox(MessageRequest{
        namePart(destination) + " is on a disk without a trash: replacing it deletes it for good.\n\nReplace it?",
        kCaption, MessageIcon::Warning, MessageButtons::YesNoToAll, MessageAnswer::No});
    if (answer == MessageAnswer::YesToAll || answer == MessageAnswer::NoToAll)
        m_forGoodAll = answer == MessageAnswer::YesToAll;
    return answer == MessageAnswer::Yes || answer == MessageAnswer::YesToAll;
}

std::string ConvertJob::summary(const std::vector<Result>& results, std::size_t total, bool cancelled) const
{
    std::vector<std::string> leftOut;
    for (const Result& result : results)
        if (!result.written)
            leftOut.push_back(result.name + " (" + result.problem + ")");
    std::string text = std::to_string(results.size() - leftOut.size()) + " of " + std::to_string(total) +
                       " written to " + m_order.folder;
    if (!leftOut.empty())
        text += "; not written: " + FileOps::nameList(leftOut, ", ");
    if (cancelled)
        text += "; cancelled, " + designs(total - results.size()) + " not converted";
    return text;
}

std::string ConvertJob::details(const std::vector<Result>& results) const
{
    std::string text;
    const auto line = [&text](const std::string& part) { text += (text.empty() ? "" : "\n") + part; };
    for (const Result& result : results) {
        if (!result.written)
            line(result.name + ": not written, " + result.problem);
        else if (result.turned)
            line(result.name + ": turned a quarter turn clockwise to fit the hoop");
        for (const std::string& remark : result.remarks)
            line(result.name + ": " + remark);
    }
    return text;
}

} // namespace orlika
