// SPDX-License-Identifier: MIT
// Copy, move and delete of the selected designs.
#pragma once

#include "catalog/CatalogState.h"
#include "platform/FileOperations.h"
#include "platform/Host.h"

#include <string>

namespace orlika {

// The "Selected" menu's file commands. They work on SelectedList in the folder its names
// were selected in (SelectedFolder: a print run of another folder since then does not
// move it) and talk to the user only through the host's dialogs and message boxes.
class FileOps {
public:
    FileOps(CatalogState& state, Host& host, FileOperations& files) : m_state(state), m_host(host), m_files(files) {}

    /// "Copy/Move All Selected Files": asks for the destination, then copies or moves
    /// every selected design there; clears the selection when the last one succeeded.
    void MoveAllSelectedFiles1Click();
    /// Copies one file by full paths, asking before an existing destination is replaced.
    /// True when the file was copied or the user chose No (skip it and go on); false
    /// after a failure (shown) or Cancel, which end the run with the selection kept.
    bool CopyFile(const std::string& source, const std::string& destination);
    /// "Delete (Erase) All Selected Files": asks once, erases every selected design,
    /// reports each failure and clears the selection.
    void DeleteSelected1Click();

    /// The message of a negative copy result.
    static std::string copyErrorText(int code);

private:
    void clearSelection();

    CatalogState& m_state;
    Host& m_host;
    FileOperations& m_files;
};

} // namespace orlika
