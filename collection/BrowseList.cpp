// SPDX-License-Identifier: MIT
#include "collection/BrowseList.h"

#include "catalog/DesignPaths.h"
#include "collection/Find.h"
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

/// The stamp of the regular file (through links) at `path`; false when there is none.
bool statFile(const std::string& path, FoundFile& file)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    file.size = std::int64_t(info.st_size);
    file.modified = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return true;
}

/// The entry of a design inside an archive: stamped with the archive's time.
BrowseEntry archivedEntry(const std::string& path, const FoundFile& archive)
{
    BrowseEntry entry = entryOf(path, archive);
    entry.size = 0;
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
                                     const std::vector<std::string>& extensions, TreeCollector& collector,
                                     std::vector<std::string>* subfolders)
{
    std::vector<BrowseEntry> entries;
    if (!includeSubfolders) {
        listFolder(folder, extensions, entries);
        return entries;
    }
    // One walk: each file's stamp as it was found, each archive's for its designs.
    std::vector<CollectedDesign> inArchive;
    const auto visitFile = [&](const FoundFile& file) {
        const std::string name = namePart(file.path);
        if (hasExtension(name, extensions)) {
            entries.push_back(entryOf(folder + file.path, file));
        } else if (isArchiveName(name)) {
            inArchive.clear();
            collector.collectArchive(folder, file.path, extensions, inArchive);
            for (const CollectedDesign& design : inArchive)
                if (design.error.empty())
                    entries.push_back(archivedEntry(folder + design.path, file));
        }
    };
    const auto visitFolder = [&](const std::string& relative) {
        if (subfolders)
            subfolders->push_back(folder + relative);
    };
    walkTree(folder, visitFile, visitFolder);
    return entries;
}

ArchiveListing listArchive(const std::string& folder, const std::string& archive,
                           const std::vector<std::string>& extensions, TreeCollector& collector)
{
    ArchiveListing listing;
    FoundFile stamp;
    if (!statFile(folder + archive, stamp)) {
        listing.problem = "not found";
        return listing;
    }
    std::vector<CollectedDesign> designs;
    collector.collectArchive(folder, archive, extensions, designs);
    for (const CollectedDesign& design : designs) {
        if (design.path == archive) {
            listing.problem = design.error;  // the archive itself did not open
            continue;
        }
        if (!design.error.empty())
            continue;
        listing.entries.push_back(archivedEntry(folder + design.path, stamp));
    }
    return listing;
}

bool nameMatches(const std::string& typed, const std::string& name)
{
    if (typed.empty())
        return true;
    if (typed.find_first_of("*?") != std::string::npos)
        return wildcardMatch(typed, name);
    return wildcardMatch("*" + typed + "*", name);
}

namespace {

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Reads one key:value word into the filter; false when the key is not a filter's.
bool readFilterWord(const std::string& word, BrowseSearch& search)
{
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const std::string key = lowerCase(word.substr(0, colon));
    const std::string value = word.substr(colon + 1);
    DesignFilter& filter = search.filter;
    bool read = true;
    std::string what;
    if (key == "format") {
        filter.format = value;
        read = !value.empty();
        what = "a format";
    } else if (key == "fits") {
        double width = 0, height = 0;
        read = parseHoop(value, width, height);
        if (read) {
            filter.hoopWidthMm = width;
            filter.hoopHeightMm = height;
        }
        what = "a hoop";
    } else if (key == "width") {
        read = parseLengthRange(value, filter.minWidthMm, filter.maxWidthMm);
        what = "a length or range";
    } else if (key == "height") {
        read = parseLengthRange(value, filter.minHeightMm, filter.maxHeightMm);
        what = "a length or range";
    } else if (key == "stitches") {
        read = parseCountRange(value, filter.minStitches, filter.maxStitches);
        what = "a count or range";
    } else if (key == "colors" || key == "colours") {
        read = parseCountRange(value, filter.minColorChanges, filter.maxColorChanges);
        what = "a count or range";
    } else if (key == "thread") {
        filter.thread = value;
        read = !value.empty();
        what = "a thread's name";
    } else {
        return false;
    }
    if (!read)
        search.problems.push_back(word + " is not " + what);
    return true;
}

bool inRange(double value, const std::optional<double>& min, const std::optional<double>& max)
{
    return (!min || value >= *min) && (!max || value <= *max);
}

bool inRange(std::int64_t value, const std::optional<std::int64_t>& min, const std::optional<std::int64_t>& max)
{
    return (!min || value >= *min) && (!max || value <= *max);
}

bool figuresMatch(const DesignFilter& filter, const BrowseFigures& figures)
{
    // As the index answers it: a design without stitches has no size.
    if (figures.stitches <= 0)
        return false;
    if (filter.hoopWidthMm && filter.hoopHeightMm) {
        const double w = *filter.hoopWidthMm, h = *filter.hoopHeightMm;
        const bool fits =
            (figures.widthMm <= w && figures.heightMm <= h) || (figures.widthMm <= h && figures.heightMm <= w);
        if (!fits)
            return false;
    }
    if (!filter.thread.empty() && lowerCase(figures.threads).find(lowerCase(filter.thread)) == std::string::npos)
        return false;
    return inRange(figures.widthMm, filter.minWidthMm, filter.maxWidthMm) &&
           inRange(figures.heightMm, filter.minHeightMm, filter.maxHeightMm) &&
           inRange(figures.stitches, filter.minStitches, filter.maxStitches) &&
           inRange(figures.colorChanges, filter.minColorChanges, filter.maxColorChanges);
}

} // namespace

BrowseSearch readBrowseSearch(const std::string& typed)
{
    BrowseSearch search;
    std::size_t at = 0;
    while (at < typed.size()) {
        const std::size_t start = typed.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(typed.find_first_of(" \t", start), typed.size());
        const std::string word = typed.substr(start, end - start);
        if (!readFilterWord(word, search))
            search.name += (search.name.empty() ? "" : " ") + word;
        at = end;
    }
    return search;
}

bool searchMatches(const BrowseSearch& search, const BrowseEntry& entry)
{
    const std::string name = designFileName(entry.path);
    if (!nameMatches(search.name, name))
        return false;
    if (!search.filter.format.empty()) {
        std::string format = upperCase(search.filter.format);
        if (format.front() == '.')
            format.erase(0, 1);
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || upperCase(name.substr(dot + 1)) != format)
            return false;
    }
    if (!search.filter.asksFigures())
        return true;
    return entry.figures && figuresMatch(search.filter, *entry.figures);
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

namespace {

BrowseFigures figuresOf(const DesignIndex::Listed& design)
{
    return BrowseFigures{design.widthMm, design.heightMm, design.stitches, design.colorChanges, design.threadNames};
}

} // namespace

void takeIndexFigures(std::vector<BrowseEntry>& entries, const std::vector<DesignIndex::Listed>& indexed)
{
    std::unordered_map<std::string_view, const DesignIndex::Listed*> byPath;
    byPath.reserve(indexed.size());
    for (const DesignIndex::Listed& design : indexed)
        if (design.read)
            byPath.emplace(design.designPath, &design);
    for (BrowseEntry& entry : entries) {
        const auto found = byPath.find(entry.path);
        if (found != byPath.end() && found->second->modified == entry.modified)
            entry.figures = figuresOf(*found->second);
    }
}

std::vector<BrowseEntry> entriesOfIndex(const std::vector<DesignIndex::Listed>& indexed)
{
    std::vector<BrowseEntry> entries;
    entries.reserve(indexed.size());
    for (const DesignIndex::Listed& design : indexed) {
        FoundFile file;
        file.size = isArchiveEntry(design.designPath) ? 0 : design.size;
        file.modified = design.modified;
        entries.push_back(entryOf(design.designPath, file));
        if (design.read)
            entries.back().figures = figuresOf(design);
    }
    return entries;
}

} // namespace orlika
