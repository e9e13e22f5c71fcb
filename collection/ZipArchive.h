// SPDX-License-Identifier: MIT
// Zip archives read as folders of designs, through libzip. An archive is untrusted input
// like any design file: it is checked against limits before anything in it is read, an
// entry is read as a stream straight out of the archive (never unpacked to disk), and no
// entry's name is ever used as a path to write.
#pragma once

#include "platform/DesignFile.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

/// What an archive may hold before it is refused as a whole.
struct ArchiveLimits {
    std::int64_t maxEntries = 10'000;
    std::int64_t maxEntrySize = std::int64_t(64) << 20;   // unpacked bytes of one entry
    std::int64_t maxTotalSize = std::int64_t(1) << 30;    // unpacked bytes of all entries
    /// Unpacked size over packed size, of an entry and of the whole archive; an entry of
    /// less than ratioFrom bytes (a design of runs of zeros) is not held to it.
    double maxRatio = 100;
    std::int64_t ratioFrom = std::int64_t(1) << 20;
};

/// One entry of an archive, as its central directory gives it.
struct ArchiveEntryInfo {
    std::string name;             // with '\' read as '/'
    std::string key;              // how a path names it: the name, or "entry N" for an unsafe one
    std::int64_t size = 0;        // unpacked
    std::int64_t packedSize = 0;
    std::int64_t modified = 0;    // seconds since the epoch
    bool folder = false;
    std::string problem;          // why it cannot be read (unsafe name, encrypted...); empty: it can
};

/// Whether `error` is a `problem` an entry can have (encrypted, packed in a way that cannot
/// be read), as the index keeps it for the entry's row: such an entry is not listed as a
/// design, though the index remembers why.
bool isEntryProblem(std::string_view error);

class ZipArchive : public std::enable_shared_from_this<ZipArchive> {
public:
    /// Opens the archive read-only and checks it against the limits. Null with `error`
    /// set when it cannot be read as a zip archive or breaks a limit.
    static std::shared_ptr<ZipArchive> open(const std::string& path, const ArchiveLimits& limits, std::string& error);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::vector<ArchiveEntryInfo>& entries() const { return m_entries; }
    /// The entry a path names by its key; null when there is none.
    const ArchiveEntryInfo* find(const std::string& key) const;
    /// The entry, read as a file from its start; null when it cannot be read. Reading
    /// forward streams; a seek backwards starts the stream again.
    std::unique_ptr<DesignFile> openEntry(const std::string& key);

private:
    struct Handle;
    class EntryFile;
    explicit ZipArchive(std::unique_ptr<Handle> handle);
    std::string readEntries(const ArchiveLimits& limits, std::int64_t archiveSize);

    std::unique_ptr<Handle> m_handle;
    std::vector<ArchiveEntryInfo> m_entries;
    std::map<std::string, std::size_t> m_byKey;
};

/// An entry's name as the catalog can name it: '\' read as '/'; empty when the name is
/// unsafe (absolute, a drive, an empty, "." or ".." part), as a hostile archive's may be.
std::string safeEntryName(const std::string& name);

// The archives a run reads, each opened once while it stays unchanged on disk: listing an
// archive and reading its designs one after the other open it once. Not shared between
// threads.
class ArchiveShelf {
public:
    explicit ArchiveShelf(ArchiveLimits limits = {}) : m_limits(limits) {}

    /// The archive at `path`; null with `error` set when it cannot be read or breaks a
    /// limit. `notAFile` tells that there is no regular file at the path at all.
    std::shared_ptr<ZipArchive> open(const std::string& path, std::string& error, bool* notAFile = nullptr);
    const ArchiveLimits& limits() const { return m_limits; }

private:
    struct Shelved {
        std::string path;
        std::int64_t size = 0;
        std::int64_t modified = 0;
        std::shared_ptr<ZipArchive> archive;
        std::string error;
    };
    static constexpr std::size_t kKept = 8;

    ArchiveLimits m_limits;
    std::deque<Shelved> m_recent;
};

} // namespace orlika
