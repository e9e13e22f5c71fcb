// SPDX-License-Identifier: MIT
// Folders of design files held in memory, for page-engine tests.
#pragma once

#include "platform/FileSystem.h"
#include "platform/MemoryFile.h"

#include <map>
#include <string>
#include <vector>

namespace orlika::test {

// A file whose reads fail from a position on, as a damaged disk or a dropped network
// share does in the middle of a file: at once, or only once it was read to its end (the
// disk gives way after a sizing pass read the file whole).
class FailingFile final : public DesignFile {
public:
    FailingFile(std::vector<std::uint8_t> bytes, std::int64_t failFrom, bool afterWholeRead = false)
        : m_file(std::move(bytes)), m_failFrom(failFrom), m_failing(!afterWholeRead)
    {
    }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const bool atEnd = m_file.position() >= m_file.size();  // a read there finds nothing to fail on
        if (m_failing && !atEnd && m_file.position() + std::int64_t(buffer.size()) > m_failFrom)
            throw InOutError("Read error: Input/output error");
        const std::size_t got = m_file.read(buffer);
        m_failing = m_failing || m_file.position() >= m_file.size();
        return got;
    }
    void seek(std::int64_t position) override { m_file.seek(position); }
    std::int64_t position() const override { return m_file.position(); }
    std::int64_t size() const override { return m_file.size(); }

private:
    MemoryFile m_file;
    std::int64_t m_failFrom;
    bool m_failing;
};

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::vector<std::uint8_t>> files;  // full path -> contents
    std::vector<std::string> unreadable;                     // paths that fail to open
    std::map<std::string, std::int64_t> failingReads;        // path -> reads fail past this byte
    std::map<std::string, std::int64_t> failingLaterReads;   // the same once the file was read whole
    std::vector<std::string> searches;                       // patterns searched, in order

    std::map<std::string, std::int64_t> changes;             // path -> times it was written

    void add(const std::string& path, std::vector<std::uint8_t> bytes = {})
    {
        files[path] = std::move(bytes);
        ++changes[path];
    }

    std::unique_ptr<DesignFile> openRead(const std::string& path) override
    {
        for (const auto& bad : unreadable)
            if (bad == path)
                return nullptr;
        const auto it = files.find(path);
        if (it == files.end())
            return nullptr;
        if (const auto failing = failingReads.find(path); failing != failingReads.end())
            return std::make_unique<FailingFile>(it->second, failing->second);
        if (const auto failing = failingLaterReads.find(path); failing != failingLaterReads.end())
            return std::make_unique<FailingFile>(it->second, failing->second, true);
        return std::make_unique<MemoryFile>(it->second);
    }

    std::optional<FileStamp> stampOf(const std::string& path) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return FileStamp{std::int64_t(it->second.size()), changes[path]};
    }

    OpenFailure whyNotOpened(const std::string& path) override
    {
        return files.count(path) ? OpenFailure::NoPermission : OpenFailure::Gone;
    }

    std::vector<std::string> findEntries(const std::string& pattern) override
    {
        searches.push_back(pattern);
        const std::string folder = folderPart(pattern);
        const std::string mask = namePart(pattern);
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files)
            if (folderPart(path) == folder && wildcardMatch(mask, namePart(path)))
                names.push_back(namePart(path));
        return names;
    }
};

} // namespace orlika::test
