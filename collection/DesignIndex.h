// SPDX-License-Identifier: MIT
// The index of a collection's designs: their figures in an SQLite database under the
// user's cache folder, so that questions over thousands of designs are answered without
// reading them again. It is derived data: everything in it can be read again from the
// designs, a database that is damaged or not this program's is put aside and made anew,
// and it holds only the trees the user pointed the program at. Two programs may use it
// at once (WAL, and a wait for the other's write of up to half a minute).
#pragma once

#include "collection/IndexedDesign.h"
#include "collection/ZipArchive.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace orlika {

/// The index cannot be opened or written at all.
class IndexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What a query asks of the designs' figures; an unset bound does not limit.
struct DesignFilter {
    std::string namePattern;    // '*' and '?', letters in any case
    std::string format;         // an extension: "dst", ".DST"
    std::optional<double> minWidthMm, maxWidthMm, minHeightMm, maxHeightMm;
    /// Fits a hoop of this size in either orientation.
    std::optional<double> hoopWidthMm, hoopHeightMm;
    std::optional<std::int64_t> minStitches, maxStitches;
    std::optional<std::int64_t> minColorChanges, maxColorChanges;
    std::string thread;         // part of a thread's name or code, letters in any case

    /// True when something other than the name and the format is asked: the designs that
    /// could not be read, having no figures, never match then.
    bool asksFigures() const;
};

class DesignIndex {
public:
    /// $XDG_CACHE_HOME/orlika/index.sqlite, or ~/.cache/orlika/index.sqlite where that is
    /// not set to an absolute path.
    static std::string defaultPath();

    /// Opens the index at `path`, making it and its folder when they do not exist. A file
    /// there that is not this program's index (damaged, or another program's database) is
    /// put aside as `path`.damaged and the index made anew. Throws IndexError when no index
    /// can be opened there.
    explicit DesignIndex(const std::string& path);
    /// An index held in memory for as long as it lives: the fallback when the cache folder
    /// cannot be written.
    static std::unique_ptr<DesignIndex> inMemory();
    ~DesignIndex();
    DesignIndex(const DesignIndex&) = delete;
    DesignIndex& operator=(const DesignIndex&) = delete;

    const std::string& path() const { return m_path; }
    /// What happened to the database that the user should be told (it was damaged and made
    /// anew), once; empty when nothing did.
    std::string takeNotice();

    struct RefreshCounts {
        int designs = 0;    // designs under the folder now
        int read = 0;       // of them read now (new or changed)
        int removed = 0;    // rows of designs that are gone
        bool stopped = false;
    };
    /// Called with the designs handled and the designs found; false stops the refresh
    /// (what was read is kept).
    using Progress = std::function<bool(int handled, int total)>;
    /// Brings the index up to date with the tree under `folder` (absolute, ending in '/'):
    /// reads the designs of every supported format in it and in its zip archives that are
    /// new or whose file changed (its size, modification or status change time, or inode),
    /// and forgets those that are gone. Where the database cannot be written (a full disk),
    /// the index goes on in memory for as long as it lives, with what it held and what was
    /// read, and its notice says so once.
    RefreshCounts refresh(const std::string& folder, const Progress& progress = {});

    /// The designs under `folder` that the filter matches, in no particular order; their
    /// content hashes only when asked for.
    std::vector<IndexedDesign> select(const std::string& folder, const DesignFilter& filter,
                                      bool withContentHash = false);

    /// A design as a listing of a folder takes it: where it is, its stamp and its figures.
    struct Listed {
        std::string designPath;  // "box.zip//in/rose.pes" for a design inside an archive
        std::int64_t size = 0;   // of its file (its archive's)
        std::int64_t modified = 0;
        bool read = false;       // its figures were read; else it failed and has none
        double widthMm = 0;
        double heightMm = 0;
        std::int64_t stitches = 0;
        std::int64_t colorChanges = 0;
        std::string threadNames;  // each name followed by '\n'
    };
    /// The designs under `folder` with their figures: what `select` gives of them, at a
    /// fraction of its time over a large tree.
    std::vector<Listed> listUnder(const std::string& folder);

    /// The archives under `folder` that could not be read, by path, each with its error.
    std::vector<IndexedDesign> unreadArchives(const std::string& folder);

    /// Archive limits of the refreshes (tests make them small).
    void setArchiveLimits(const ArchiveLimits& limits) { m_limits = limits; }

private:
    DesignIndex() = default;
    /// A connection to the database at `path` with the program's SQL function; throws
    /// IndexError when there is none.
    static sqlite3* openConnection(const std::string& path);
    void openDatabase();
    void closeDatabase();
    /// Puts the database aside and makes it anew.
    void rebuild(const std::string& why);
    /// Runs `work`; when the database turns out damaged, rebuilds it and runs it once more.
    template <typename Work>
    auto withRebuild(Work work) -> decltype(work());
    /// Runs `work`; when the database file cannot be written, goes on in memory and runs
    /// it once more.
    template <typename Work>
    auto withMemoryFallback(Work work) -> decltype(work());
    /// Goes on with a copy of the database in memory (an empty index where it cannot be
    /// copied); `why` is what failed.
    void keepInMemory(const std::string& why);

    RefreshCounts refreshOnce(const std::string& folder, const Progress& progress);
    std::vector<IndexedDesign> selectOnce(const std::string& folder, const DesignFilter& filter, bool withContentHash);
    std::vector<Listed> listUnderOnce(const std::string& folder);

    std::string m_path;  // ":memory:" for an index in memory
    sqlite3* m_db = nullptr;
    std::string m_notice;
    ArchiveLimits m_limits;
};

/// The index at its default place; where that cannot be opened, one in memory, with
/// `notice` saying why (also when the database was damaged and made anew).
std::unique_ptr<DesignIndex> openDesignIndex(std::string& notice);

/// The path of an index's design relative to the tree's folder, as a run lists it.
std::string pathUnder(const std::string& folder, const IndexedDesign& design);

} // namespace orlika
