// SPDX-License-Identifier: MIT
#include "catalog/DesignPaths.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orlika {

namespace {

constexpr std::string_view kArchiveExtension = ".ZIP";

// A path's folder parts and the name its designs are ordered by within that folder.
struct OrderParts {
    std::vector<std::string> folders;
    std::string name;
};

void appendParts(std::vector<std::string>& parts, std::string_view folder)
{
    std::size_t start = 0;
    while (start < folder.size()) {
        const std::size_t end = folder.find('/', start);
        if (end == std::string_view::npos) {
            parts.emplace_back(folder.substr(start));
            return;
        }
        parts.emplace_back(folder.substr(start, end - start));
        start = end + 1;
    }
}

OrderParts orderParts(const std::string& path)
{
    OrderParts parts;
    if (auto entry = archiveEntryOf(path)) {
        // The archive is the entries' folder; inside it they go by their whole names.
        appendParts(parts.folders, entry->archive);
        parts.name = std::move(entry->entry);
    } else {
        const std::string folder = folderPart(path);
        appendParts(parts.folders, std::string_view(folder).substr(0, folder.empty() ? 0 : folder.size() - 1));
        parts.name = namePart(path);
    }
    return parts;
}

} // namespace

bool isArchiveName(std::string_view name)
{
    return name.size() > kArchiveExtension.size() &&
           upperCase(std::string(name.substr(name.size() - kArchiveExtension.size()))) == kArchiveExtension;
}

std::string archiveEntryPath(const std::string& archive, const std::string& entry)
{
    return archive + std::string(kArchiveEntrySeparator) + entry;
}

std::optional<ArchiveEntry> archiveEntryOf(const std::string& path)
{
    // An entry's name never holds "//", so the last one is the separator.
    const std::size_t at = path.rfind(kArchiveEntrySeparator);
    if (at == std::string::npos)
        return std::nullopt;
    std::string archive = path.substr(0, at);
    std::string entry = path.substr(at + kArchiveEntrySeparator.size());
    if (entry.empty() || !isArchiveName(namePart(archive)))
        return std::nullopt;
    return ArchiveEntry{std::move(archive), std::move(entry)};
}

bool isArchiveEntry(const std::string& path)
{
    return archiveEntryOf(path).has_value();
}

std::string designFileName(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path))
        return namePart(entry->entry);
    return namePart(path);
}

std::string designDisplayName(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path))
        return namePart(entry->archive) + ": " + namePart(entry->entry);
    return namePart(path);
}

std::string designDisplayPath(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path))
        return entry->archive + ": " + namePart(entry->entry);
    return path;
}

std::string designFolder(const std::string& path)
{
    if (const auto entry = archiveEntryOf(path))
        return entry->archive;
    return folderPart(path);
}

NameComparer folderThenNameOrder(NameComparer names)
{
    return [names = std::move(names)](const std::string& a, const std::string& b) {
        // Plain names of one folder: the collation alone, as a one-folder run has it.
        if (a.find('/') == std::string::npos && b.find('/') == std::string::npos)
            return names(a, b);
        const OrderParts first = orderParts(a);
        const OrderParts second = orderParts(b);
        const std::size_t common = std::min(first.folders.size(), second.folders.size());
        for (std::size_t i = 0; i < common; ++i)
            if (const int order = names(first.folders[i], second.folders[i]); order != 0)
                return order;
        if (first.folders.size() != second.folders.size())
            return first.folders.size() < second.folders.size() ? -1 : 1;
        return names(first.name, second.name);
    };
}

} // namespace orlika
