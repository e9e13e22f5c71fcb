// SPDX-License-Identifier: MIT
// Walking a folder tree: every regular file under a folder, and the designs of a tree as
// the page engine collects them (files and the entries of the archives among them).
#pragma once

#include "catalog/DesignCollector.h"
#include "collection/ZipArchive.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orlika {

/// A regular file found in a tree.
struct FoundFile {
    std::string path;            // relative to the tree's folder
    std::int64_t size = 0;
    std::int64_t modified = 0;   // nanoseconds since the epoch
    std::int64_t changed = 0;    // the status change time, nanoseconds since the epoch
    std::int64_t inode = 0;
};

/// Calls `visit` for every regular file under `folder` (ending in '/') and in its
/// subfolders, also through links to files. Links to folders are not followed (a link
/// back up would never end), and folders that cannot be read are passed over.
void walkTree(const std::string& folder, const std::function<void(const FoundFile&)>& visit);
/// As above, also calling `visitFolder` with each subfolder's path relative to `folder`
/// (ending in '/') as it is found.
void walkTree(const std::string& folder, const std::function<void(const FoundFile&)>& visit,
              const std::function<void(const std::string&)>& visitFolder);

/// Calls `visit` for every regular file of `folder` alone, as `walkTree` finds them.
void walkFolder(const std::string& folder, const std::function<void(const FoundFile&)>& visit);

/// True when the name ends in one of the extensions (".DST"), in any case.
bool hasExtension(const std::string& name, const std::vector<std::string>& extensions);

/// The error cell of an archive inside an archive.
inline constexpr const char* kNestedArchive = "an archive inside an archive is not opened";

// The page engine's collector of trees: the files of the tree, and in each zip archive of
// it the entries of a design's name, or an error cell for the archive where it cannot be
// read or breaks a limit, and for each entry that cannot be read (an unsafe name, a
// nested archive, encrypted).
class TreeCollector : public DesignCollector {
public:
    explicit TreeCollector(ArchiveShelf& archives) : m_archives(archives) {}

    std::vector<CollectedDesign> collectTree(const std::string& folder,
                                             const std::vector<std::string>& extensions) override;
    /// The designs of the archive `archive` (a name in `folder`) alone, as a tree's.
    void collectArchive(const std::string& folder, const std::string& archive,
                        const std::vector<std::string>& extensions, std::vector<CollectedDesign>& designs);

private:
    ArchiveShelf& m_archives;
};

} // namespace orlika
