// SPDX-License-Identifier: MIT
// Folders of design files held in memory, for page-engine tests.
#pragma once

#include "platform/FileSystem.h"
#include "platform/MemoryFile.h"

#include <map>
#include <string>
#include <vector>

namespace orlika::test {

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::vector<std::uint8_t>> files;  // full path -> contents
    std::vector<std::string> unreadable;                     // paths that fail to open
    std::vector<std::string> searches;                       // patterns searched, in order

    void add(const std::string& path, std::vector<std::uint8_t> bytes = {}) { files[path] = std::move(bytes); }

    std::unique_ptr<DesignFile> openRead(const std::string& path) override
    {
        for (const auto& bad : unreadable)
            if (bad == path)
                return nullptr;
        const auto it = files.find(path);
        if (it == files.end())
            return nullptr;
        return std::make_unique<MemoryFile>(it->second);
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
