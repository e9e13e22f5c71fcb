// SPDX-License-Identifier: MIT
// Selected > Convert To: the selected designs converted for a machine one at a time on a
// thread of their own, while the window stays responsive and Cancel stops between two
// designs; names that exist are asked about or skipped as the user chose, and the run
// ends with what was written and what was not, and why.
#pragma once

#include "catalog/CatalogState.h"
#include "collection/CollectionFiles.h"
#include "encoders/Conversion.h"
#include "platform/FileOperations.h"
#include "app/QtHost.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

/// What is done when a converted design's name exists in the destination.
enum class NameExists : std::uint8_t { Ask, Skip, Replace };

/// What the dialog asked for.
struct ConvertOrder {
    ConversionTarget target;
    bool turnToFit = false;  // a design too large that fits turned is written turned
    std::string folder;      // the destination
    NameExists nameExists = NameExists::Ask;
};

class ConvertJob {
public:
    /// `files` trashes what a converted design replaces and makes a missing destination.
    ConvertJob(CatalogState& state, QtHost& host, FileOperations& files) : m_state(state), m_host(host), m_files(files) {}

    /// Converts every selected design into the order's folder, offering first to make it
    /// when it is missing; ends with the summary in the status line and in a box. The
    /// selected designs themselves are never changed.
    void run(const ConvertOrder& order);

private:
    struct Result {
        std::string name;  // as the catalog shows it
        bool written = false;
        bool turned = false;
        std::string problem;
        std::vector<std::string> remarks;
    };

    Result convertOne(const std::string& source, const std::string& shownName);
    /// One conversion on a thread of its own; the window handles its events meanwhile.
    ConversionOutcome convertAside(const std::string& source, const std::string& folder,
                                   const ConversionTarget& target);
    /// Whether the existing `destination` is to be replaced: the order's choice, or the
    /// user's answer when it is to ask.
    bool replaceAllowed(const std::string& destination, const std::string& name);
    /// The design written beside the destination first, proved, then put in the place of
    /// the existing file, which goes to the trash.
    ConversionOutcome replaceExisting(const std::string& source, const ConversionTarget& target,
                                      const std::string& destination);
    /// Where no trash can take the existing file: whether the user agrees to its loss.
    bool replaceForGood(const std::string& destination);
    /// The line for the status bar and the box: "2 of 3 written to ...; not written: ...".
    std::string summary(const std::vector<Result>& results, std::size_t total, bool cancelled) const;
    std::string details(const std::vector<Result>& results) const;

    CatalogState& m_state;
    QtHost& m_host;
    FileOperations& m_files;
    ConvertOrder m_order;
    // Read only by the conversions' threads, one at a time.
    ArchiveShelf m_archives;
    CollectionFileSystem m_designFiles{m_archives};
    std::map<std::string, std::string> m_written;  // destinations written by this run, and from what
    // "Yes to All" or "No to All" given: the answer to the questions that follow.
    std::optional<bool> m_replaceAll;
    std::optional<bool> m_forGoodAll;
};

} // namespace orlika
