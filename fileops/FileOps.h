// SPDX-License-Identifier: MIT
// Copy, move and delete of the selected designs.
#pragma once

#include "catalog/CatalogState.h"
#include "platform/FileOperations.h"
#include "platform/Host.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orlika {

// How the copy of one file ended.
enum class CopyOutcome {
    Copied,    // the destination now holds the design
    Skipped,   // the user kept the existing destination (No): the run goes on
    Stopped,   // a failure (shown) or Cancel: the run ends here
};

/// Where `folder` does not exist, asks `question` (Yes the default) and makes it with the
/// folders above it. False when it is not there in the end: No, or it could not be made,
/// which a box says, naming the folder and the reason, then `nothingDone`.
bool offerToMakeFolder(Host& host, FileOperations& files, const std::string& folder, const std::string& question,
                       const std::string& caption, const std::string& nothingDone);

// The "Selected" menu's file commands. They work on SelectedList in the folder its names
// were selected in (SelectedFolder: a print run of another folder since then does not
// move it) and talk to the user only through the host's dialogs and message boxes.
class FileOps {
public:
    FileOps(CatalogState& state, Host& host, FileOperations& files) : m_state(state), m_host(host), m_files(files) {}

    /// "Copy/Move All Selected Files": asks for the destination, then copies or moves
    /// every selected design there; clears the selection when the last one succeeded.
    /// Returns the designs moved out of the selection's folder.
    std::vector<std::string> MoveAllSelectedFiles1Click();
    /// Copies one file by full paths, asking before an existing destination is replaced.
    /// A failure is shown naming both paths; it and Cancel end the run with the selection
    /// kept, No skips the file and the run goes on.
    CopyOutcome CopyFile(const std::string& source, const std::string& destination);
    /// "Delete (Erase) All Selected Files": asks once, moves every selected design to the
    /// desktop's trash, or where there is none asks again and deletes it for good; reports
    /// each failure and clears the selection. A copy that Find Duplicates selected goes
    /// only while its bytes are still those of the copy kept.
    void DeleteSelected1Click();

    /// The message of a negative copy result.
    static std::string copyErrorText(int code);
    /// Names joined by separator, at most ten of them, then "and N more" for the rest.
    static std::string nameList(const std::vector<std::string>& names, const std::string& separator);

private:
    void clearSelection();
    /// Tells the user once why the designs inside archives among `names` are not moved or
    /// deleted (`verb`); returns the others.
    std::vector<std::string> refuseArchiveEntries(const std::vector<std::string>& names, const std::string& verb,
                                                  const std::string& caption);
    /// After a run that left files out: "3 of 6 copied; not copied: d.dst, e.dst, f.dst",
    /// and `detail` after it.
    void reportLeftOut(std::size_t total, const std::vector<std::string>& leftOut, const std::string& done,
                       const std::string& caption, const std::string& detail = {});
    /// Asks whether the designs are to be deleted: `question`, then `why`, then which.
    bool askToDelete(const std::vector<std::string>& names, const std::string& question, const std::string& why);
    /// The names whose copy kept (KeptCopyOf) still has their bytes, or that have none;
    /// the others go to `changed`.
    std::vector<std::string> copiesStillIdentical(const std::vector<std::string>& names,
                                                  std::vector<std::string>& changed);
    /// Says that the design stays, and leaves it out.
    void cannotDelete(const std::string& name, std::vector<std::string>& leftOut);
    /// Moves the designs to the trash; returns how many went. `names` keeps those that no
    /// trash can hold and that the user, asked again, agreed to delete for good.
    std::size_t moveToTrash(std::vector<std::string>& names, std::vector<std::string>& leftOut);
    /// Deletes the designs for good; returns how many went.
    std::size_t deleteForGood(const std::vector<std::string>& names, std::vector<std::string>& leftOut);

    CatalogState& m_state;
    Host& m_host;
    FileOperations& m_files;
};

} // namespace orlika
