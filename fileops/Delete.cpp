// SPDX-License-Identifier: MIT
#include "fileops/FileOps.h"

#include "catalog/DesignPaths.h"

namespace orlika {

namespace {

constexpr const char* kCaption = "ORLIKA DELETE";

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

void FileOps::DeleteSelected1Click()
{
    if (m_state.SelectedList.empty())
        return;
    const std::vector<std::string> names = m_state.SelectedList.names();
    const bool trash = m_files.hasTrash();
    const bool asked = trash ? askToDelete(names, "Move the selected designs to the trash?", "")
                             : askToDelete(names, "Are you SURE you want to DELETE the selected designs?", "");
    if (!asked)
        return;
    std::vector<std::string> leftOut, changed;
    for (const std::string& name : names)
        if (isArchiveEntry(name))
            leftOut.push_back(name);
    const std::vector<std::string> removable =
        copiesStillIdentical(refuseArchiveEntries(names, "delete", kCaption), changed);

    std::vector<std::string> forGood = trash ? std::vector<std::string>() : removable;
    std::size_t trashed = 0;
    if (trash) {
        for (const std::string& name : removable) {
            switch (m_files.moveToTrash(m_state.SelectedFolder + name)) {
            case TrashOutcome::Trashed:
                ++trashed;
                break;
            case TrashOutcome::NoTrash:
                forGood.push_back(name);
                break;
            case TrashOutcome::Refused:
                cannotDelete(name, leftOut);
                break;
            }
        }
        // A file system without a trash: the files would be gone for good, so ask again.
        if (!forGood.empty() &&
            !askToDelete(forGood, "Are you SURE you want to DELETE the selected designs?",
                         "They cannot be moved to a trash: deleting them cannot be undone.\n\n")) {
            leftOut.insert(leftOut.end(), forGood.begin(), forGood.end());
            forGood.clear();
        }
    }
    std::size_t deleted = 0;
    for (const std::string& name : forGood) {
        if (m_files.deleteFile(m_state.SelectedFolder + name))
            ++deleted;
        else
            cannotDelete(name, leftOut);
    }

    std::string told = trashed ? std::to_string(trashed) + " moved to the trash" : std::string();
    if (deleted)
        told += (told.empty() ? "" : ", ") + std::to_string(deleted) + " deleted";
    if (!told.empty())
        m_host.setStatusCaption(" " + told);
    if (!changed.empty())
        leftOut.insert(leftOut.end(), changed.begin(), changed.end());
    reportLeftOut(names.size(), leftOut, "deleted", kCaption,
                  changed.empty() ? std::string()
                                  : "\n\nNo longer the same as the copy kept, so not deleted: " +
                                        nameList(changed, ", "));
    clearSelection();
}

} // namespace orlika
