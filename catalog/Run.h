// SPDX-License-Identifier: MIT
// A run of the page engine as a value: what it shows, made once as it starts, and what it
// learns of its designs as it draws them.
#pragma once

#include "decoders/Registry.h"
#include "platform/FileSystem.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

/// How a design of a run left its folder while the run went on: its cell says which.
enum class Gone : std::uint8_t { Deleted, Moved };

/// The designs a run shows and where they come from. Made when the run has listed them and
/// not changed after, so a page drawn on another thread shares it rather than copying it.
struct Run {
    std::string folder;                // ends in '/'
    std::vector<std::string> entries;  // in the run's order: names, or paths under the folder
    int start = 0;                     // the entry the run shows first
    FileKind kind = FileKind::AllSupported;  // else every entry is read as this kind
    bool tree = false;                 // the entries are paths, and captions name their folders
    std::map<std::string, std::string> collectErrors;  // entries that are error cells, and why
    std::map<std::string, std::string> remarkNotes;    // a note the remarks end with, by entry

    int count() const { return int(entries.size()); }
    /// The path of entry `index`, as files are opened.
    std::string pathOf(int index) const { return folder + entries[std::size_t(index)]; }
};

/// What a run learned of its entries as it opened and drew them, by list index.
struct RunRecords {
    std::map<int, OpenFailure> skipped;              // could not be opened
    std::map<int, std::string> failed;               // reading failed, or the reader refused it
    std::map<int, std::optional<FileStamp>> stamps;  // each entry as it was when opened

    /// Takes in what a page learned; where both know an entry, the page is newer.
    void add(const RunRecords& page)
    {
        for (const auto& [index, failure] : page.skipped)
            skipped[index] = failure;
        for (const auto& [index, message] : page.failed)
            failed[index] = message;
        for (const auto& [index, stamp] : page.stamps)
            stamps[index] = stamp;
    }
    void clear() { *this = {}; }
};

} // namespace orlika
