// SPDX-License-Identifier: MIT
#include "fileops/FileOps.h"

#include "catalog/DesignPaths.h"

#include <cstddef>

namespace orlika {

bool offerToMakeFolder(Host& host, FileOperations& files, const std::string& folder, const std::string& question,
                       const std::string& caption, const std::string& nothingDone)
{
    if (files.exists(folder))
        return true;
    const MessageAnswer answer =
        host.messageBox(MessageRequest{question, caption, MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes)
        return false;
    const std::string problem = files.makeFolders(folder);
    if (problem.empty())
        return true;
    host.messageBox(MessageRequest{"Cannot make the folder " + folder + ": " + problem + ". " + nothingDone, caption,
                                   MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
    return false;
}

namespace {

// A destination that is not there yet (a new folder on a stick, a name mistyped) is made,
// with the folders above it, once the user says so; No ends the command before any file.
bool destinationReady(Host& host, FileOperations& files, const CopyMoveDestination& destination, std::size_t count)
{
    const std::string designs = std::to_string(count) + (count == 1 ? " design" : " designs");
    return offerToMakeFolder(host, files, destination.folder,
                             "The folder " + destination.folder + " does not exist.\n\nMake it and " +
                                 (destination.copy ? "copy " : "move ") + "the " + designs + " there?",
                             "ORLIKA Copy/Move", destination.copy ? "Nothing was copied." : "Nothing was moved.");
}

} // namespace

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
    m_state.SelectedList.clear();
    m_state.KeptCopyOf.clear();
    m_host.setSelectedCount(0);
}

std::string FileOps::nameList(const std::vector<std::string>& names, const std::string& separator)
{
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
        text += (i ? separator : std::string()) + names[i];
    if (names.size() > kShown)
        text += separator + "and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

std::vector<std::string> FileOps::refuseArchiveEntries(const std::vector<std::string>& names, const std::string& verb,
                                                      const std::string& caption)
{
    // Taking a design out of an archive or erasing it there would mean writing the archive
    // anew; the program never changes an archive, so it says so once for all of them.
    std::vector<std::string> entries, others;
    for (const std::string& name : names)
        (isArchiveEntry(name) ? entries : others).push_back(name);
    if (entries.empty())
        return others;
    std::vector<std::string> shown;
    for (const std::string& name : entries)
        shown.push_back(designDisplayName(name));
    const bool one = entries.size() == 1;
    m_host.messageBox(MessageRequest{
        "Cannot " + verb + " " + (one ? shown.front() : std::to_string(entries.size()) + " designs") + ". " +
            (one ? "It is a design" : "They are designs") + " inside a zip archive: " +
            "a design in an archive can be copied out, but to " + verb + " it the archive would have to be " +
            "written anew, and ORLIKA never changes an archive. Nothing in " + std::string(one ? "the archive" : "any archive") + " was changed." +
            (one ? std::string() : "\n\n" + nameList(shown, "\n")),
        caption, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
    return others;
}

void FileOps::reportLeftOut(std::size_t total, const std::vector<std::string>& leftOut, const std::string& done,
                            const std::string& caption, const std::string& detail)
{
    // The boxes of the run name single failures; this one tells what the run as a whole
    // did not do, also what a Cancel or a No left out without any failure.
    if (leftOut.empty())
        return;
    m_host.messageBox(MessageRequest{std::to_string(total - leftOut.size()) + " of " + std::to_string(total) + " " +
                                         done + "; not " + done + ": " + nameList(leftOut, ", ") + detail,
                                     caption, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok});
}

CopyOutcome FileOps::CopyFile(const std::string& source, const std::string& destination)
{
    // Copying a design onto itself (the destination is the catalog folder) would
    // replace it by itself at best: refuse it plainly.
    if (m_files.sameFile(source, destination)) {
        m_host.messageBox(MessageRequest{source + " cannot be copied onto itself: the destination folder is the "
                                                  "folder it is in. Nothing was copied.",
                                         "Error", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
        return CopyOutcome::Stopped;
    }
    if (m_files.exists(destination)) {
        // No is the default, so a stray Enter never replaces a file.
        const MessageAnswer answer = m_host.messageBox(
            MessageRequest{destination + " already exists in destination directory.  Overwrite ?", "Confirm",
                           MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::No});
        if (answer == MessageAnswer::No)
            return CopyOutcome::Skipped;
        if (answer != MessageAnswer::Yes)
            return CopyOutcome::Stopped;
    }
    const int result = m_files.copyFile(source, destination);
    if (result >= 0)
        return CopyOutcome::Copied;
    m_host.messageBox(MessageRequest{copyErrorText(result) + "\n\n" + source + " was not copied to " +
                                         destination + ".",
                                     "Error", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
    return CopyOutcome::Stopped;
}

std::vector<std::string> FileOps::MoveAllSelectedFiles1Click()
{
    if (m_state.SelectedList.empty())
        return {};
    CopyMoveDestination destination;
    if (!m_host.askCopyMoveDestination(destination) ||
        !destinationReady(m_host, m_files, destination, m_state.SelectedList.names().size()))
        return {};
    m_host.setWaiting(true);

    // The list may not change under the loop: a message box lets events through.
    const std::vector<std::string> selected = m_state.SelectedList.names();
    const std::vector<std::string> names =
        destination.copy ? selected : refuseArchiveEntries(selected, "move", "ORLIKA Copy/Move");
    std::vector<std::string> leftOut;
    for (const std::string& name : selected)
        if (!destination.copy && isArchiveEntry(name))
            leftOut.push_back(name);
    bool lastSucceeded = false;
    std::size_t done = 0;
    std::vector<std::string> moved;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const std::string source = m_state.SelectedFolder + name;
        // A design of a tree or an archive goes into the destination under its own name.
        const std::string target = destinationPath(destination.folder, designFileName(name));
        if (destination.copy) {
            const CopyOutcome outcome = CopyFile(source, target);
            lastSucceeded = outcome != CopyOutcome::Stopped;
            if (outcome == CopyOutcome::Stopped) {
                leftOut.insert(leftOut.end(), names.begin() + std::ptrdiff_t(i), names.end());
                break;
            }
            if (outcome == CopyOutcome::Skipped)
                leftOut.push_back(name);
            else
                ++done;
        } else {
            lastSucceeded = m_files.moveFile(source, target);
            if (lastSucceeded) {
                ++done;
                moved.push_back(name);
            } else {
                leftOut.push_back(name);
                m_host.messageBox(MessageRequest{"Cannot move " + name +
                                                     ". File may be write protected,in use by another program or, "
                                                     "already exists in destination directory.",
                                                 "ORLIKA Copy/Move", MessageIcon::Warning, MessageButtons::Ok,
                                                 MessageAnswer::Ok});
            }
        }
    }

    m_host.setWaiting(false);
    // The status line keeps what was done, and where, once the boxes are gone.
    const std::string verb = destination.copy ? "copied" : "moved";
    m_host.setStatus(" " + std::to_string(done) + " " + verb + " to " + destination.folder);
    reportLeftOut(selected.size(), leftOut, verb, "ORLIKA Copy/Move");
    if (lastSucceeded)
        clearSelection();
    return moved;
}

} // namespace orlika
