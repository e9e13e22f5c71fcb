// SPDX-License-Identifier: MIT
#include "catalog/DesignPaths.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace orlika {

namespace {

constexpr std::string_view kArchiveExtension = ".ZIP";

// A path's folders (without the last '/') and the name its designs are ordered by within
// the last of them: an archive is the folder of its entries, which go by their whole names.
// Views into the path, so that sorting thousands of paths allocates nothing.
struct OrderParts {
    std::string_view folders;
    std::string_view name;
};

bool endsWithArchiveExtension(std::string_view name)
{
    if (name.size() <= kArchiveExtension.size())
        return false;
    const std::string_view end = name.substr(name.size() - kArchiveExtension.size());
    return std::equal(end.begin(), end.end(), kArchiveExtension.begin(),
                      [](char c, char upper) { return (c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) == upper; });
}

OrderParts orderParts(std::string_view path)
{
    // As archiveEntryOf(): the last "//" separates an entry of an archive.
    if (const std::size_t at = path.rfind(kArchiveEntrySeparator); at != std::string_view::npos) {
        const std::string_view archive = path.substr(0, at);
        const std::string_view entry = path.substr(at + kArchiveEntrySeparator.size());
        const std::size_t slash = archive.rfind('/');
        if (!entry.empty() && endsWithArchiveExtension(slash == std::string_view::npos ? archive : archive.substr(slash + 1)))
            return {archive, entry};
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

/// The parts of a folder path one at a time: "a/b" gives "a", then "b"; "a/" gives "a".
class FolderParts {
public:
    explicit FolderParts(std::string_view folders) : m_rest(folders) {}
    bool done() const { return m_rest.empty(); }
    std::string_view next()
    {
        const std::size_t end = m_rest.find('/');
        const std::string_view part = m_rest.substr(0, end);
        m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
        return part;
    }

private:
    std::string_view m_rest;
};

/// `names` on two views, through strings kept for the purpose.
int compareParts(const NameComparer& names, std::string_view a, std::string_view b)
{
    thread_local std::string first, second;
    first.assign(a);
    second.assign(b);
    return names(first, second);
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
        FolderParts firstFolders(first.folders), secondFolders(second.folders);
        while (!firstFolders.done() && !secondFolders.done())
            if (const int order = compareParts(names, firstFolders.next(), secondFolders.next()); order != 0)
                return order;
        // A folder's own designs come before its subfolders'.
        if (!firstFolders.done() || !secondFolders.done())
            return firstFolders.done() ? -1 : 1;
        return compareParts(names, first.name, second.name);
    };
}

std::string foldedOrderKey(const std::string& path)
{
    // Each folder part ends in \x01 and the name follows a \x00: a part that is a prefix of
    // another, and a folder's own designs, then come first, as in folderThenNameOrder().
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    const OrderParts parts = orderParts(path);
    std::string key;
    key.reserve(path.size() + 8);
    FolderParts folders(parts.folders);
    while (!folders.done()) {
        for (const char c : folders.next())
            key += fold(c);
        key += '\x01';
    }
    key += '\x00';
    for (const char c : parts.name)
        key += fold(c);
    return key;
}

} // namespace orlika
