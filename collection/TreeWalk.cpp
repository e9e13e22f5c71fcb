// SPDX-License-Identifier: MIT
#include "collection/TreeWalk.h"

#include "catalog/DesignPaths.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <dirent.h>
#include <string_view>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace orlika {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::int64_t nanoseconds(const timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

/// Visits the regular files of `folder + relative` (also through links to files) and adds
/// its subfolders, relative to `folder`, to `subfolders` in the order they were read.
void readFolder(const std::string& folder, const std::string& relative,
                const std::function<void(const FoundFile&)>& visit, std::vector<std::string>* subfolders)
{
    const std::string path = folder + relative;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(path.empty() ? "." : path.c_str()));
    if (!dir)
        return;
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            if (subfolders)
                subfolders->push_back(relative + name + "/");
            continue;
        }
        if (S_ISLNK(info.st_mode) && ::fstatat(fd, name.c_str(), &info, 0) != 0)
            continue;  // a dangling link
        if (S_ISREG(info.st_mode))
            visit(FoundFile{relative + name, info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim),
                            std::int64_t(info.st_ino)});
    }
}

/// True when `name` ends in `ending`, ASCII letters in either case.
bool endsFolded(std::string_view name, std::string_view ending)
{
    if (name.size() < ending.size())
        return false;
    const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    const std::string_view tail = name.substr(name.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), ending.end(),
                      [&](char a, char b) { return fold(a) == fold(b); });
}

} // namespace

bool hasExtension(const std::string& name, const std::vector<std::string>& extensions)
{
    // Called for every file of a tree: a plain extension is compared without a pattern.
    const std::string_view whole = name;
    for (const std::string& extension : extensions) {
        if (extension.find_first_of("*?") != std::string::npos) {
            if (wildcardMatch("*" + extension, name))
                return true;
        } else if (endsFolded(whole, extension)) {
            return true;
        }
    }
    return false;
}

void walkFolder(const std::string& folder, const std::function<void(const FoundFile&)>& visit)
{
    readFolder(folder, "", visit, nullptr);
}

void walkTree(const std::string& folder, const std::function<void(const FoundFile&)>& visit)
{
    walkTree(folder, visit, nullptr);
}

void walkTree(const std::string& folder, const std::function<void(const FoundFile&)>& visit,
              const std::function<void(const std::string&)>& visitFolder)
{
    std::vector<std::string> pending{""};  // folders still to read, relative to `folder`
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> subfolders;
        readFolder(folder, relative, visit, &subfolders);
        if (visitFolder)
            for (const std::string& subfolder : subfolders)
                visitFolder(subfolder);
        // Subfolders come off the stack in the order they were read.
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
}

std::vector<CollectedDesign> TreeCollector::collectTree(const std::string& folder,
                                                        const std::vector<std::string>& extensions)
{
    std::vector<CollectedDesign> designs;
    walkTree(folder, [&](const FoundFile& file) {
        const std::string name = namePart(file.path);
        if (hasExtension(name, extensions))
            designs.push_back({file.path, {}});
        else if (isArchiveName(name))
            collectArchive(folder, file.path, extensions, designs);
    });
    return designs;
}

void TreeCollector::collectArchive(const std::string& folder, const std::string& archive,
                                   const std::vector<std::string>& extensions, std::vector<CollectedDesign>& designs)
{
    std::string error;
    const auto opened = m_archives.open(folder + archive, error);
    if (!opened) {
        designs.push_back({archive, error});
        return;
    }
    for (const ArchiveEntryInfo& entry : opened->entries()) {
        if (entry.folder)
            continue;
        const std::string name = namePart(entry.name);
        const bool nested = isArchiveName(name);
        if (!nested && !hasExtension(name, extensions))
            continue;
        const std::string path = archiveEntryPath(archive, entry.key);
        designs.push_back({path, !entry.problem.empty() ? entry.problem : nested ? kNestedArchive : std::string()});
    }
}

} // namespace orlika
