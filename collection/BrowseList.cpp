// SPDX-License-Identifier: MIT
#include "collection/BrowseList.h"

#include "catalog/DesignPaths.h"
#include "collection/IndexedDesign.h"
#include "collection/TreeWalk.h"
#include "platform/FileSystem.h"
#include "platform/SortedNameList.h"

#include <sys/stat.h>
#include <tuple>
#include <unordered_map>

namespace orlika {

namespace {

BrowseEntry entryOf(const std::string& path, const FoundFile& file)
{
    BrowseEntry entry;
    entry.path = path;
    entry.name = designDisplayName(path);
    entry.folder = designFolder(path);
    entry.size = file.size;
    entry.modified = file.modified;
    return entry;
}

/// The entry of a regular file (through links) at `path`, or nothing.
std::optional<BrowseEntry> fileEntry(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    FoundFile file;
    file.size = std::int64_t(info.st_size);
    file.modified = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return entryOf(path, file);
}

/// The entry of a design inside an archive: stamped with the archive's time.
std::optional<BrowseEntry> archivedEntry(const std::string& path, const ArchiveEntry& inArchive)
{
    auto entry = fileEntry(inArchive.archive);
    if (!entry)
        return std::nullopt;
    entry->path = path;
    entry->name = designDisplayName(path);
    entry->folder = designFolder(path);
    entry->size = 0;
    return entry;
}

void listFolder(const std::string& folder, const std::vector<std::string>& extensions,
                std::vector<BrowseEntry>& entries)
{
    walkFolder(folder, [&](const FoundFile& file) {
        if (hasExtension(file.path, extensions))
            entries.push_back(entryOf(folder + file.path, file));
    });
}

int compareFolded(const std::string& a, const std::string& b)
{
    return foldedCompare(a, b);
}

/// Orders figures with the designs that have none last; 0 when both have or lack them alike.
template <typename Key>
int compareFigures(const BrowseEntry& a, const BrowseEntry& b, Key key)
{
    if (a.figures.has_value() != b.figures.has_value())
        return a.figures ? -1 : 1;
    if (!a.figures)
        return 0;
    const auto ka = key(*a.figures);
    const auto kb = key(*b.figures);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

} // namespace

std::vector<BrowseEntry> listDesigns(const std::string& folder, bool includeSubfolders,
                                     const std::vector<std::string>& extensions, DesignCollector& collector)
{
    std::vector<BrowseEntry> entries;
    if (!includeSubfolders) {
        listFolder(folder, extensions, entries);
        return entries;
    }
    for (const CollectedDesign& design : collector.collectTree(folder, extensions)) {
        if (!design.error.empty())
            continue;
        const std::string path = folder + design.path;
        const auto inArchive = archiveEntryOf(path);
        if (auto entry = inArchive ? archivedEntry(path, *inArchive) : fileEntry(path))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

bool nameMatches(const std::string& typed, const std::string& name)
{
    if (typed.empty())
        return true;
    if (typed.find_first_of("*?") != std::string::npos)
        return wildcardMatch(typed, name);
    return wildcardMatch("*" + typed + "*", name);
}

bool browsesBefore(const BrowseEntry& a, const BrowseEntry& b, BrowseOrder order)
{
    int by = 0;
    switch (order) {
    case BrowseOrder::Name:
        by = compareFolded(a.name, b.name);
        break;
    case BrowseOrder::Folder:
        break;  // the ties' own order
    case BrowseOrder::Modified:
        by = a.modified < b.modified ? -1 : (b.modified < a.modified ? 1 : 0);
        break;
    case BrowseOrder::Size:
        by = compareFigures(a, b, [](const BrowseFigures& f) { return f.widthMm * f.heightMm; });
        break;
    case BrowseOrder::Stitches:
        by = compareFigures(a, b, [](const BrowseFigures& f) { return f.stitches; });
        break;
    case BrowseOrder::ColorChanges:
        by = compareFigures(a, b, [](const BrowseFigures& f) { return f.colorChanges; });
        break;
    }
    if (by == 0)
        by = compareFolded(a.folder, b.folder);
    if (by == 0)
        by = compareFolded(a.name, b.name);
    if (by == 0)
        by = a.path.compare(b.path);
    return by < 0;
}

void takeIndexFigures(std::vector<BrowseEntry>& entries, const std::vector<IndexedDesign>& indexed)
{
    std::unordered_map<std::string, const IndexedDesign*> byPath;
    byPath.reserve(indexed.size());
    for (const IndexedDesign& design : indexed)
        if (design.error.empty())
            byPath.emplace(design.designPath(), &design);
    for (BrowseEntry& entry : entries) {
        const auto found = byPath.find(entry.path);
        if (found == byPath.end() || found->second->modified != entry.modified)
            continue;
        const IndexedDesign& design = *found->second;
        entry.figures = BrowseFigures{design.widthMm, design.heightMm, design.stitches, design.colorChanges};
    }
}

} // namespace orlika
