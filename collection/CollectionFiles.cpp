// SPDX-License-Identifier: MIT
#include "collection/CollectionFiles.h"

#include "catalog/DesignPaths.h"

namespace orlika {

std::unique_ptr<DesignFile> CollectionFileSystem::openRead(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path)) {
        std::string error;
        bool notAFile = false;
        if (const auto archive = m_archives.open(entry->archive, error, &notAFile))
            return archive->openEntry(entry->entry);
        // "//" in the path of a plain file (a folder named "x.zip//")
        if (!notAFile)
            return nullptr;
    }
    return m_files.openRead(path);
}

OpenFailure CollectionFileSystem::whyNotOpened(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path)) {
        std::string error;
        bool notAFile = false;
        const auto archive = m_archives.open(entry->archive, error, &notAFile);
        if (archive)
            return archive->find(entry->entry) ? OpenFailure::Other : OpenFailure::Gone;
        if (!notAFile)
            return OpenFailure::Other;
    }
    return m_files.whyNotOpened(path);
}

std::vector<std::string> CollectionFileSystem::findEntries(const std::string& pattern)
{
    return m_files.findEntries(pattern);
}

std::vector<std::string> CollectionFileSystem::findEntriesMatchingAny(const std::string& folder,
                                                                      const std::vector<std::string>& masks)
{
    return m_files.findEntriesMatchingAny(folder, masks);
}

std::optional<FileStamp> CollectionFileSystem::stampOf(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path))
        return m_files.stampOf(entry->archive);
    return m_files.stampOf(path);
}

PosixFileOperations::CopySource CollectionFileOperations::openCopySource(const std::string& source)
{
    const auto entry = archiveEntryOf(source);
    if (!entry)
        return PosixFileOperations::openCopySource(source);
    CopySource opened;
    std::string error;
    const auto archive = m_archives.open(entry->archive, error);
    const ArchiveEntryInfo* info = archive ? archive->find(entry->entry) : nullptr;
    if (!info)
        return opened;
    opened.file = archive->openEntry(entry->entry);
    opened.mode = 0644;
    opened.modified = timespec{time_t(info->modified), 0};
    opened.accessed = opened.modified;
    return opened;
}

} // namespace orlika
