// SPDX-License-Identifier: MIT
#include "fileops/FileOps.h"

namespace orlika {

std::string FileOps::copyErrorText(int code)
{
    switch (code) {
    case -1:
        return "Invalid Source file handle";
    case -2:
        return "Invalid Destination file handle";
    case -3:
        return "Source file format is not valid";
    case -4:
        return "There is insufficient space for the output file";
    case -5:
        return "Insufficient memory for the required buffers";
    case -6:
        return "Internal data structure handle invalid";
    case -7:
        return "Input parameter is out of range";
    case -8:
        return "The Source file was compressed with an unrecognized compression algorithm";
    default:
        return "Unknown error";
    }
}

void FileOps::clearSelection()
{
    m_host.enableMenu(Menu::Selected, false);
    m_state.SelectedList.clear();
    m_host.showSelectedLabel(false, "Selected: 0");
}

bool FileOps::CopyFile(const std::string& source, const std::string& destination)
{
    // Copying a design onto itself (the destination is the catalog folder) would
    // replace it by itself at best: refuse it plainly.
    if (m_files.sameFile(source, destination)) {
        m_host.messageBox(MessageRequest{source + " cannot be copied onto itself: the destination folder is the "
                                                  "folder it is in. Nothing was copied.",
                                         "Error", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
        return false;
    }
    if (m_files.exists(destination)) {
        // No is the default, so a stray Enter never replaces a file.
        const MessageAnswer answer = m_host.messageBox(
            MessageRequest{destination + " already exists in destination directory.  Overwrite ?", "Confirm",
                           MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::No});
        if (answer == MessageAnswer::No)
            return true;
        if (answer != MessageAnswer::Yes)
            return false;
    }
    const int result = m_files.copyFile(source, destination);
    if (result >= 0)
        return true;
    m_host.messageBox(
        MessageRequest{copyErrorText(result), "Error", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
    return false;
}

void FileOps::MoveAllSelectedFiles1Click()
{
    if (m_state.SelectedList.empty())
        return;
    CopyMoveDestination destination;
    if (!m_host.askCopyMoveDestination(destination))
        return;
    m_host.setWaitCursor(true);
    m_host.processMessages();

    // The list may not change under the loop: a message box lets events through.
    const std::vector<std::string> names = m_state.SelectedList.names();
    bool lastSucceeded = false;
    for (const std::string& name : names) {
        const std::string source = m_state.SelectedFolder + name;
        const std::string target = destinationPath(destination.folder, name);
        if (destination.copy) {
            lastSucceeded = CopyFile(source, target);
            if (!lastSucceeded)
                break;
        } else {
            lastSucceeded = m_files.moveFile(source, target);
            if (!lastSucceeded)
                m_host.messageBox(MessageRequest{"Cannot move " + name +
                                                     ". File may be write protected,in use by another program or, "
                                                     "already exists in destination directory.",
                                                 "ORLIKA Copy/Move", MessageIcon::Warning, MessageButtons::Ok,
                                                 MessageAnswer::Ok});
        }
    }

    m_host.setWaitCursor(false);
    m_host.processMessages();
    if (lastSucceeded)
        clearSelection();
    m_host.processMessages();
}

} // namespace orlika
