// SPDX-License-Identifier: MIT
#include "fileops/FileOps.h"

#include "catalog/DesignPaths.h"

namespace orlika {

void FileOps::DeleteSelected1Click()
{
    if (m_state.SelectedList.empty())
        return;
    const std::vector<std::string> names = m_state.SelectedList.names();
    // The question shows what Yes erases: how many designs, where, and their names.
    const std::string count = std::to_string(names.size()) + (names.size() == 1 ? " design" : " designs");
    const MessageAnswer answer = m_host.messageBox(
        MessageRequest{"Are you SURE you want to DELETE the selected designs?\n\n" + count + " in " +
                           m_state.SelectedFolder + ":\n" + nameList(names, "\n"),
                       "ORLIKA DELETE", MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::No});
    if (answer != MessageAnswer::Yes)
        return;
    std::vector<std::string> leftOut;
    for (const std::string& name : names)
        if (isArchiveEntry(name))
            leftOut.push_back(name);
    for (const std::string& name : refuseArchiveEntries(names, "delete", "ORLIKA DELETE")) {
        if (!m_files.deleteFile(m_state.SelectedFolder + name)) {
            leftOut.push_back(name);
            m_host.messageBox(MessageRequest{
                "Cannot Delete " + name + ". File may be write protected or in use by another program",
                "ORLIKA DELETE", MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
        }
    }
    reportLeftOut(names.size(), leftOut, "deleted", "ORLIKA DELETE");
    clearSelection();
}

} // namespace orlika
