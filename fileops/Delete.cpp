// SPDX-License-Identifier: MIT
#include "fileops/FileOps.h"

#include "catalog/DesignPaths.h"

namespace orlika {

namespace {

constexpr const char* kCaption = "ORLIKA DELETE";
constexpr const char* kDeleteQuestion = "Are you SURE you want to DELETE the selected designs?";

std::string designCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " design" : " designs");
}

} // namespace

bool FileOps::askToDelete(const std::vector<std::string>& names, const std::string& question,
                          const std::string& why)
{
    // The question shows what Yes removes: how many designs, where, and their names.
    const MessageAnswer answer = m_host.messageBox(
        MessageRequest{question + "\n\n" + why + designCount(names.size()) + " in " + m_state.SelectedFolder + ":\n" +
                           nameList(names, "\n"),
                       kCaption, MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::No});
    return answer == MessageAnswer::Yes;
}

std::vector<std::string> FileOps::copiesStillIdentical(const std::vector<std::string>& names,
                                                       std::vector<std::string>& changed)
{
    // Find Duplicates selected these as byte copies of a member it kept. Whatever happened
    // to either file since, a copy goes only while its bytes are still the kept one's,
    // read now; everything is checked before anything is removed.
    std::vector<std::string> removable;
    for (const std::string& name : names) {
        const auto kept = m_state.KeptCopyOf.find(name);
        if (kept == m_state.KeptCopyOf.end() ||
            m_files.sameContent(m_state.SelectedFolder + name, m_state.SelectedFolder + kept->second))
            removable.push_back(name);
        else
            changed.push_back(name);
    }
    return removable;
}

void FileOps::cannotDelete(const std::string& name, std::vector<std::string>& leftOut)
{
    leftOut.push_back(name);
    m_host.messageBox(MessageRequest{"Cannot Delete " + name +
                                         ". File may be write protected or in use by another program",
                                     kCaption, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
}

std::size_t FileOps::moveToTrash(std::vector<std::string>& names, std::vector<std::string>& leftOut)
{
    std::size_t trashed = 0;
    std::vector<std::string> noTrash;
    for (const std::string& name : names) {
        switch (m_files.moveToTrash(m_state.SelectedFolder + name)) {
        case TrashOutcome::Trashed:
            ++trashed;
            break;
        case TrashOutcome::NoTrash:
            noTrash.push_back(name);
            break;
        case TrashOutcome::Refused:
            cannotDelete(name, leftOut);
            break;
        }
    }
    // A file system without a trash: the files would be gone for good, so ask again.
    if (!noTrash.empty() && !askToDelete(noTrash, kDeleteQuestion,
                                         "They cannot be moved to a trash: deleting them cannot be undone.\n\n")) {
        leftOut.insert(leftOut.end(), noTrash.begin(), noTrash.end());
        noTrash.clear();
    }
    names = std::move(noTrash);
    return trashed;
}

std::size_t FileOps::deleteForGood(const std::vector<std::string>& names, std::vector<std::string>& leftOut)
{
    std::size_t deleted = 0;
    for (const std::string& name : names) {
        if (m_files.deleteFile(m_state.SelectedFolder + name))
            ++deleted;
        else
            cannotDelete(name, leftOut);
    }
    return deleted;
}

void FileOps::DeleteSelected1Click()
{
    if (m_state.SelectedList.empty())
        return;
    const std::vector<std::string> names = m_state.SelectedList.names();
    const bool trash = m_files.hasTrash();
    if (!askToDelete(names, trash ? "Move the selected designs to the trash?" : kDeleteQuestion, ""))
        return;
    std::vector<std::string> leftOut, changed;
    for (const std::string& name : names)
        if (isArchiveEntry(name))
            leftOut.push_back(name);
    std::vector<std::string> removable = copiesStillIdentical(refuseArchiveEntries(names, "delete", kCaption), changed);
    const std::size_t trashed = trash ? moveToTrash(removable, leftOut) : 0;
    const std::size_t deleted = deleteForGood(removable, leftOut);

    std::string told = trashed ? std::to_string(trashed) + " moved to the trash" : std::string();
    if (deleted)
        told += (told.empty() ? "" : ", ") + std::to_string(deleted) + " deleted";
    if (!told.empty())
        m_host.setStatus(" " + told);
    leftOut.insert(leftOut.end(), changed.begin(), changed.end());
    reportLeftOut(names.size(), leftOut, "deleted", kCaption,
                  changed.empty() ? std::string()
                                  : "\n\nNo longer the same as the copy kept, so not deleted: " +
                                        nameList(changed, ", "));
    clearSelection();
}

} // namespace orlika
