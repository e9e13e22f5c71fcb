// SPDX-License-Identifier: MIT
#pragma once

#include "platform/DesignFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

/// Why a listed entry could not be opened.
enum class OpenFailure { Gone, NoPermission, NotAFile, Other };

/// How a run's end names the reason: "gone", "no permission"...
std::string openFailureText(OpenFailure failure);

/// What a file was when it was looked at: its size and its last change.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t changed = 0;  // nanoseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};

// The file system as the catalog sees it. Paths use '/' and a folder path ends in '/'.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    /// Opens a file read-only; nullptr when it cannot be opened.
    virtual std::unique_ptr<DesignFile> openRead(const std::string& path) = 0;
    /// Why openRead() just failed for this path.
    virtual OpenFailure whyNotOpened(const std::string& /*path*/) { return OpenFailure::Other; }
    /// Names (no folder) of every entry of the pattern's folder whose name matches the
    /// pattern's last component: Windows wildcards, case-insensitive, any entry kind.
    virtual std::vector<std::string> findEntries(const std::string& pattern) = 0;
    /// Names of every entry of `folder` whose name matches any of the masks as findEntries()
    /// matches one, in no particular order; a name matching several may come once for
    /// each. Here, findEntries() for each mask in turn.
    virtual std::vector<std::string> findEntriesMatchingAny(const std::string& folder,
                                                            const std::vector<std::string>& masks);
    /// The file's stamp; none when it is not a file there, or the file system cannot tell.
    virtual std::optional<FileStamp> stampOf(const std::string& /*path*/) { return std::nullopt; }
};

// The real file system through POSIX calls.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<DesignFile> openRead(const std::string& path) override;
    OpenFailure whyNotOpened(const std::string& path) override;
    std::vector<std::string> findEntries(const std::string& pattern) override;
    /// The folder read once, each name once.
    std::vector<std::string> findEntriesMatchingAny(const std::string& folder,
                                                    const std::vector<std::string>& masks) override;
    std::optional<FileStamp> stampOf(const std::string& path) override;
};

/// Windows wildcard match: '*' any run, '?' one character; letters compared without case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

/// Splits "dir/sub/name.ext" into the folder (up to and including the last '/') and
/// the bare name.
std::string folderPart(const std::string& path);
std::string namePart(const std::string& path);
/// The extension of a path's name, dot included, as typed; empty when it has none.
std::string extensionPart(const std::string& path);

/// ASCII upper case, as the catalog's name tests use it.
std::string upperCase(std::string text);

} // namespace orlika
