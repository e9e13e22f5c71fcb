// SPDX-License-Identifier: MIT
// The file system and the file operations of a catalog that reads folder trees: paths of
// designs inside archives (catalog/DesignPaths.h) are read out of their archives, all
// other paths go to the plain POSIX implementations.
#pragma once

#include "collection/ZipArchive.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"

namespace orlika {

class CollectionFileSystem : public FileSystem {
public:
    explicit CollectionFileSystem(ArchiveShelf& archives) : m_archives(archives) {}

    std::unique_ptr<DesignFile> openRead(const std::string& path) override;
    OpenFailure whyNotOpened(const std::string& path) override;
    std::vector<std::string> findEntries(const std::string& pattern) override;
    std::vector<std::string> findEntriesMatchingAny(const std::string& folder,
                                                    const std::vector<std::string>& masks) override;
    /// A design inside an archive has the archive's stamp: a change to the archive may
    /// change it.
    std::optional<FileStamp> stampOf(const std::string& path) override;

private:
    ArchiveShelf& m_archives;
    PosixFileSystem m_files;
};

// Copies a design out of an archive as any copy is made: into a temporary file beside the
// destination, put in place by a rename only when complete. It takes the entry's time and
// the permissions of a new file; the entry's name is never part of the path written.
// Moves and deletes of such designs are refused before they get here (fileops), and a
// path into an archive names nothing the system could move or delete anyway.
class CollectionFileOperations : public PosixFileOperations {
public:
    explicit CollectionFileOperations(ArchiveLimits limits = {}) : m_archives(limits) {}

protected:
    CopySource openCopySource(const std::string& source) override;

private:
    ArchiveShelf m_archives;
};

} // namespace orlika
