// SPDX-License-Identifier: MIT
#include "collection/DesignIndex.h"

#include "catalog/DesignPaths.h"
#include "collection/InOrderWorkers.h"
#include "collection/TreeWalk.h"
#include "collection/ZipArchive.h"
#include "decoders/Registry.h"
#include "platform/FileSystem.h"

#include <sqlite3.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <unistd.h>

namespace orlika {

namespace {

constexpr int kApplicationId = 0x4F524C4B;  // "ORLK"
// 2: the status change time, the inode and the hash of the bytes; figures of the stitches.
// 3: the fingerprint hashed with XXH3 (the same path, another hash of it).
constexpr int kSchemaVersion = 4;
constexpr int kBusyMilliseconds = 30'000;
constexpr std::size_t kBatch = 256;          // designs written in one transaction
constexpr const char* kMemory = ":memory:";

enum RowKind : int { kDesignRow = 0, kArchiveRow = 1 };

constexpr const char* kSchema = R"sql(
CREATE TABLE designs(
  path TEXT NOT NULL,            -- the file's full path; an archive's for its entries
  entry TEXT NOT NULL,           -- the entry's name in the archive; '' for a file
  kind INTEGER NOT NULL,         -- 0 a design, 1 an archive (its size, time and error)
  size INTEGER NOT NULL,         -- of the file on disk
  mtime INTEGER NOT NULL,        -- of the file on disk, nanoseconds since the epoch
  ctime INTEGER NOT NULL,        -- its status change time, nanoseconds since the epoch
  inode INTEGER NOT NULL,
  name TEXT NOT NULL,            -- the design's own file name
  format TEXT NOT NULL,          -- its extension in upper case: 'DST'
  width_mm REAL,
  height_mm REAL,
  stitches INTEGER,
  color_changes INTEGER,
  thread_names TEXT,             -- one a line
  thread_colors TEXT,            -- 'RRGGBB', separated by ','
  fingerprint TEXT,
  content_hash TEXT,             -- of the design's bytes
  error TEXT,                    -- the reader's, or why the file or archive was not read
  cuts_travels INTEGER,          -- what sewing asks of the machine (decoders/SewingTally.h)
  stops INTEGER,
  stitched_mm REAL,
  PRIMARY KEY (path, entry)
) WITHOUT ROWID;
CREATE INDEX designs_fingerprint ON designs(fingerprint) WHERE fingerprint IS NOT NULL;
)sql";

// The database is not (or no longer) a usable index of this program.
class Damaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(sqlite3* db, int code, const std::string& what)
{
    const std::string message = what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    const int primary = code & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        throw Damaged(message);
    throw IndexError(message);
}

void check(sqlite3* db, int code, const std::string& what)
{
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        fail(db, code, what);
}

void exec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    check(db, code, sql);
}

/// exec() for a statement that SQLite may refuse at once with "database is locked" rather
/// than wait in the busy handler: turning on WAL while another program opens the same new
/// database (both hold a read lock and want to write; one is told to give way). Tried again
/// until the busy timeout has passed.
void execWaiting(sqlite3* db, const char* sql)
{
    constexpr int kPauseMilliseconds = 10;
    for (int waited = 0;; waited += kPauseMilliseconds) {
        const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if ((code & 0xFF) != SQLITE_BUSY || waited >= kBusyMilliseconds) {
            check(db, code, sql);
            return;
        }
        sqlite3_sleep(kPauseMilliseconds);
    }
}

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : m_db(db)
    {
        check(db, sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr), "prepare");
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int at, std::int64_t value)
    {
        sqlite3_bind_int64(m_statement, at, value);
        return *this;
    }
    Statement& bind(int at, double value)
    {
        sqlite3_bind_double(m_statement, at, value);
        return *this;
    }
    Statement& bind(int at, const std::string& value)
    {
        sqlite3_bind_text(m_statement, at, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bindNull(int at)
    {
        sqlite3_bind_null(m_statement, at);
        return *this;
    }
    /// True while there is a row.
    bool step()
    {
        const int code = sqlite3_step(m_statement);
        if (code == SQLITE_ROW)
            return true;
        if (code == SQLITE_DONE)
            return false;
        sqlite3_reset(m_statement);
        fail(m_db, code, "step");
    }
    /// Runs a statement without rows and makes it ready for the next.
    void run()
    {
        step();
        reset();
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    bool isNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    double real(int column) const { return sqlite3_column_double(m_statement, column); }
    std::string text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return bytes ? std::string(bytes, std::size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

// BEGIN IMMEDIATE takes the write lock at once, so two programs writing wait for each
// other (the busy timeout) instead of one failing when it turns from reading to writing.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db) { exec(db, "BEGIN IMMEDIATE"); }
    ~WriteTransaction()
    {
        if (!m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit()
    {
        exec(m_db, "COMMIT");
        m_done = true;
    }

private:
    sqlite3* m_db;
    bool m_done = false;
};

int pragmaNumber(sqlite3* db, const char* pragma)
{
    Statement statement(db, pragma);
    return statement.step() ? int(statement.integer(0)) : 0;
}

int tableCount(sqlite3* db)
{
    Statement statement(db, "SELECT count(*) FROM sqlite_schema");
    return statement.step() ? int(statement.integer(0)) : 0;
}

// SQL's part of the name filter: orlika_match(pattern, name).
void matchFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
    sqlite3_result_int(context, pattern && name && wildcardMatch(pattern, name) ? 1 : 0);
}

std::string colorText(Color color)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                  unsigned((color >> 16) & 0xFF));
    return text;
}

Color colorOf(const std::string& text)
{
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
    return rgb(std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value));
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// Sizes to a thousandth of a millimetre, so that 1300 units of 0.1 mm are 130 mm exactly.
double roundedMillimetres(double value)
{
    return std::round(value * 1000) / 1000;
}

std::string upperBound(const std::string& folder)
{
    // Every path under "/a/b/" sorts before "/a/b0", '0' following '/'.
    return folder.substr(0, folder.size() - 1) + "0";
}

std::string rowKey(const std::string& path, const std::string& entry)
{
    return path + std::string(1, '\0') + entry;
}

// The columns every query reads, in this order; the hash of a design's bytes only where
// it is asked for (an answer of tens of thousands of designs is faster without).
std::string columns(bool withContentHash)
{
    return std::string("path, entry, size, mtime, ctime, inode, name, format, width_mm, height_mm, stitches, "
                       "color_changes, thread_names, thread_colors, fingerprint, ") +
           (withContentHash ? "content_hash" : "NULL") + ", error, cuts_travels, stops, stitched_mm";
}

IndexedDesign designOfRow(const Statement& row)
{
    IndexedDesign design;
    design.path = row.text(0);
    design.entry = row.text(1);
    design.size = row.integer(2);
    design.modified = row.integer(3);
    design.changed = row.integer(4);
    design.inode = row.integer(5);
    design.name = row.text(6);
    design.format = row.text(7);
    design.widthMm = row.real(8);
    design.heightMm = row.real(9);
    design.stitches = row.integer(10);
    design.colorChanges = row.integer(11);
    if (!row.isNull(12)) {
        const auto names = split(row.text(12), '\n');
        const auto colors = split(row.text(13), ',');
        for (std::size_t i = 0; i < names.size(); ++i)
            design.threads.push_back({names[i], i < colors.size() ? colorOf(colors[i]) : 0});
    }
    design.fingerprint = row.text(14);
    design.contentHash = row.text(15);
    design.error = row.text(16);
    design.sewing = {design.stitches, row.integer(17), row.integer(18), row.real(19)};
    return design;
}

// A row to write: a design, or an archive (whose entries are written anew with it).
struct PendingRow {
    IndexedDesign design;
    RowKind kind = kDesignRow;
};

class RowWriter {
public:
    explicit RowWriter(sqlite3* db)
        : m_db(db),
          m_insert(db, "INSERT OR REPLACE INTO designs(path, entry, kind, size, mtime, ctime, inode, name, format, "
                       "width_mm, height_mm, stitches, color_changes, thread_names, thread_colors, fingerprint, "
                       "content_hash, error, cuts_travels, stops, stitched_mm) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, "
                       "?20, ?21)"),
          m_dropPath(db, "DELETE FROM designs WHERE path = ?1"),
          m_drop(db, "DELETE FROM designs WHERE path = ?1 AND entry = ?2")
    {
    }

    /// Writes the rows in one transaction; an archive's rows replace all of its old ones.
    void write(const std::vector<PendingRow>& rows)
    {
        if (rows.empty())
            return;
        WriteTransaction transaction(m_db);
        for (const PendingRow& row : rows) {
            if (row.kind == kArchiveRow) {
                m_dropPath.bind(1, row.design.path);
                m_dropPath.run();
            }
            insert(row);
        }
        transaction.commit();
    }

    /// Forgets rows, in one transaction.
    void drop(const std::vector<std::pair<std::string, std::string>>& rows)
    {
        if (rows.empty())
            return;
        WriteTransaction transaction(m_db);
        for (const auto& [path, entry] : rows) {
            m_drop.bind(1, path).bind(2, entry);
            m_drop.run();
        }
        transaction.commit();
    }

private:
    void insert(const PendingRow& row)
    {
        const IndexedDesign& d = row.design;
        m_insert.bind(1, d.path).bind(2, d.entry).bind(3, std::int64_t(row.kind)).bind(4, d.size).bind(5, d.modified);
        m_insert.bind(6, d.changed).bind(7, d.inode).bind(8, d.name).bind(9, d.format);
        if (row.kind == kDesignRow && d.error.empty()) {
            m_insert.bind(10, d.widthMm).bind(11, d.heightMm).bind(12, d.stitches).bind(13, d.colorChanges);
            m_insert.bind(19, d.sewing.cutsAndTravels).bind(20, d.sewing.stops).bind(21, d.sewing.stitchedMm);
            if (!d.threads.empty()) {
                std::string names, colors;
                for (std::size_t i = 0; i < d.threads.size(); ++i) {
                    names += (i ? "\n" : "") + d.threads[i].name;
                    colors += (i ? "," : "") + colorText(d.threads[i].color);
                }
                m_insert.bind(14, names).bind(15, colors);
            }
            if (!d.fingerprint.empty())
                m_insert.bind(16, d.fingerprint);
            if (!d.contentHash.empty())
                m_insert.bind(17, d.contentHash);
        }
        if (!d.error.empty())
            m_insert.bind(18, d.error);
        m_insert.run();
    }

    sqlite3* m_db;
    Statement m_insert;
    Statement m_dropPath;
    Statement m_drop;
};

// Where the file is and what it is on disk, as its row keeps it.
void takeIdentity(IndexedDesign& design, const std::string& folder, const FoundFile& file)
{
    design.path = folder + file.path;
    design.size = file.size;
    design.modified = file.modified;
    design.changed = file.changed;
    design.inode = file.inode;
}

IndexedDesign readFile(const std::string& folder, const FoundFile& file)
{
    IndexedDesign design;
    takeIdentity(design, folder, file);
    design.name = namePart(file.path);
    PosixFileSystem files;
    if (auto opened = files.openRead(design.path)) {
        readDesignFigures(*opened, design.path, design);
    } else {
        design.format = designFormat(design.name);
        design.error = "cannot be opened: " + openFailureText(files.whyNotOpened(design.path));
    }
    design.widthMm = roundedMillimetres(design.widthMm);
    design.heightMm = roundedMillimetres(design.heightMm);
    return design;
}

// An archive's row (its size, time and error) and the rows of its designs.
std::vector<PendingRow> readArchive(const std::string& folder, const FoundFile& file, const ArchiveLimits& limits,
                                    const std::vector<std::string>& extensions)
{
    std::vector<PendingRow> rows;
    PendingRow archiveRow;
    archiveRow.kind = kArchiveRow;
    IndexedDesign& own = archiveRow.design;
    takeIdentity(own, folder, file);
    own.name = namePart(file.path);
    own.format = "ZIP";
    const auto archive = ZipArchive::open(own.path, limits, own.error);
    rows.push_back(archiveRow);
    if (!archive)
        return rows;
    for (const ArchiveEntryInfo& entry : archive->entries()) {
        const std::string name = namePart(entry.name);
        // Entries of unsafe names have no name to be found by; nested archives are not read.
        if (entry.folder || entry.key != entry.name || !hasExtension(name, extensions))
            continue;
        PendingRow row;
        IndexedDesign& design = row.design;
        takeIdentity(design, folder, file);
        design.entry = entry.key;
        design.name = name;
        if (auto opened = entry.problem.empty() ? archive->openEntry(entry.key) : nullptr) {
            readDesignFigures(*opened, designDisplayPath(design.designPath()), design);
        } else {
            design.format = designFormat(name);
            design.error = entry.problem.empty() ? "cannot be read" : entry.problem;
        }
        design.widthMm = roundedMillimetres(design.widthMm);
        design.heightMm = roundedMillimetres(design.heightMm);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

bool DesignFilter::asksFigures() const
{
    return minWidthMm || maxWidthMm || minHeightMm || maxHeightMm || hoopWidthMm || hoopHeightMm || minStitches ||
           maxStitches || minColorChanges || maxColorChanges || !thread.empty();
}

std::string pathUnder(const std::string& folder, const IndexedDesign& design)
{
    const std::string path = design.designPath();
    return path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path;
}

std::unique_ptr<DesignIndex> openDesignIndex(std::string& notice)
{
    const std::string path = DesignIndex::defaultPath();
    try {
        auto index = std::make_unique<DesignIndex>(path);
        notice = index->takeNotice();
        return index;
    } catch (const IndexError& error) {
        notice = std::string(error.what()) + "; the index is kept in memory for this run";
        return DesignIndex::inMemory();
    }
}

std::string DesignIndex::defaultPath()
{
    // A relative XDG_CACHE_HOME is invalid by the XDG rules and is ignored.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        return std::string(cache) + "/orlika/index.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.cache/orlika/index.sqlite";
}

DesignIndex::DesignIndex(const std::string& path) : m_path(path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    try {
        openDatabase();
    } catch (const Damaged& damaged) {
        rebuild(std::string("is not this program's index or is damaged (") + damaged.what() + ")");
    }
}

std::unique_ptr<DesignIndex> DesignIndex::inMemory()
{
    std::unique_ptr<DesignIndex> index(new DesignIndex());
    index->m_path = kMemory;
    index->openDatabase();
    return index;
}

DesignIndex::~DesignIndex()
{
    closeDatabase();
}

std::string DesignIndex::takeNotice()
{
    return std::exchange(m_notice, {});
}

void DesignIndex::closeDatabase()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

sqlite3* DesignIndex::openConnection(const std::string& path)
{
    sqlite3* db = nullptr;
    const int code =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
        sqlite3_close_v2(db);
        throw IndexError("cannot open the design index " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    sqlite3_create_function(db, "orlika_match", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, matchFunction,
                            nullptr, nullptr);
    return db;
}

void DesignIndex::openDatabase()
{
    closeDatabase();
    m_db = openConnection(m_path);
    // Reading the header tells a file that is no database at all.
    const bool ours = pragmaNumber(m_db, "PRAGMA application_id") == kApplicationId &&
                      pragmaNumber(m_db, "PRAGMA user_version") == kSchemaVersion;
    execWaiting(m_db, "PRAGMA journal_mode=WAL");
    exec(m_db, "PRAGMA synchronous=NORMAL");
    if (ours)
        return;
    // Made here, unless another program made it meanwhile.
    WriteTransaction transaction(m_db);
    const int id = pragmaNumber(m_db, "PRAGMA application_id");
    const int version = pragmaNumber(m_db, "PRAGMA user_version");
    if (id == kApplicationId && version == kSchemaVersion)
        return;
    if (id == kApplicationId)
        // Another version's index: derived data, made anew from the designs without a word.
        exec(m_db, "DROP INDEX IF EXISTS designs_fingerprint; DROP TABLE IF EXISTS designs;");
    else if (id != 0 || version != 0 || tableCount(m_db) != 0)
        throw Damaged("it holds other tables");
    exec(m_db, kSchema);
    exec(m_db, ("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
    exec(m_db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    transaction.commit();
}

void DesignIndex::rebuild(const std::string& why)
{
    closeDatabase();
    if (m_path != kMemory) {
        const std::string aside = m_path + ".damaged";
        if (std::rename(m_path.c_str(), aside.c_str()) != 0)
            ::unlink(m_path.c_str());
        ::unlink((m_path + "-wal").c_str());
        ::unlink((m_path + "-shm").c_str());
        m_notice = "The design index " + m_path + " " + why + "; it was put aside as " + aside +
                   " and is made anew from the designs.";
    }
    try {
        openDatabase();
    } catch (const Damaged& damaged) {
        closeDatabase();
        throw IndexError("cannot make the design index " + m_path + " anew: " + damaged.what());
    }
}

void DesignIndex::keepInMemory(const std::string& why)
{
    const std::string saved = m_path;
    sqlite3* memory = openConnection(kMemory);
    sqlite3_backup* backup = sqlite3_backup_init(memory, "main", m_db, "main");
    const bool copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(backup);
    closeDatabase();
    m_db = memory;
    m_path = kMemory;
    if (!copied)
        openDatabase();
    m_notice = "The design index could not be saved in " + saved + " (" + why +
               "); the designs read are kept in memory for this run.";
}

template <typename Work>
auto DesignIndex::withMemoryFallback(Work work) -> decltype(work())
{
    try {
        return work();
    } catch (const IndexError& error) {
        if (m_path == kMemory)
            throw;
        keepInMemory(error.what());
    }
    return work();
}

template <typename Work>
auto DesignIndex::withRebuild(Work work) -> decltype(work())
{
    try {
        return work();
    } catch (const Damaged& damaged) {
        rebuild(std::string("is damaged (") + damaged.what() + ")");
    }
    try {
        return work();
    } catch (const Damaged& damaged) {
        throw IndexError(std::string("the design index is damaged again: ") + damaged.what());
    }
}

DesignIndex::RefreshCounts DesignIndex::refresh(const std::string& folder, const Progress& progress)
{
    return withRebuild([&] { return withMemoryFallback([&] { return refreshOnce(folder, progress); }); });
}

std::vector<IndexedDesign> DesignIndex::select(const std::string& folder, const DesignFilter& filter,
                                               bool withContentHash)
{
    return withRebuild([&] { return selectOnce(folder, filter, withContentHash); });
}

std::vector<DesignIndex::Listed> DesignIndex::listUnder(const std::string& folder)
{
    return withRebuild([&] { return listUnderOnce(folder); });
}

DesignIndex::RefreshCounts DesignIndex::refreshOnce(const std::string& folder, const Progress& progress)
{
    RefreshCounts counts;
    const std::vector<std::string> extensions = designExtensions();

    // The tree as it is now.
    std::vector<FoundFile> designFiles, archives;
    walkTree(folder, [&](const FoundFile& file) {
        const std::string name = namePart(file.path);
        if (hasExtension(name, extensions))
            designFiles.push_back(file);
        else if (isArchiveName(name))
            archives.push_back(file);
    });

    // What the index holds under it.
    struct Known {
        std::int64_t size = 0;
        std::int64_t modified = 0;
        std::int64_t changed = 0;
        std::int64_t inode = 0;
        int kind = kDesignRow;
        bool failed = false;
    };
    std::unordered_map<std::string, Known> known;
    std::unordered_map<std::string, int> designsOfPath;  // rows of designs by file path
    {
        Statement rows(m_db, "SELECT path, entry, kind, size, mtime, ctime, inode, error IS NOT NULL FROM designs "
                             "WHERE path >= ?1 AND path < ?2");
        rows.bind(1, folder).bind(2, upperBound(folder));
        while (rows.step()) {
            const int kind = int(rows.integer(2));
            known.emplace(rowKey(rows.text(0), rows.text(1)),
                          Known{rows.integer(3), rows.integer(4), rows.integer(5), rows.integer(6), kind,
                                rows.integer(7) != 0});
            if (kind == kDesignRow)
                ++designsOfPath[rows.text(0)];
        }
    }
    // The size and modification time alone do not tell: a copy that keeps its source's
    // time (cp -p, rsync -t, unzip) may put another design of the same size in its place.
    // Its status change time and inode change with it, and no user tool sets them back.
    const auto unchanged = [&](const std::string& path, const FoundFile& file, int kind) {
        const auto it = known.find(rowKey(path, {}));
        return it != known.end() && it->second.kind == kind && it->second.size == file.size &&
               it->second.modified == file.modified && it->second.changed == file.changed &&
               it->second.inode == file.inode;
    };
    // An archive that could not be read is tried again: this program may read it now.
    const auto failedBefore = [&](const std::string& path) {
        const auto it = known.find(rowKey(path, {}));
        return it != known.end() && it->second.failed;
    };

    std::unordered_set<std::string> present;  // paths of the files and archives found
    std::vector<const FoundFile*> changedDesigns, changedArchives;
    for (const FoundFile& file : designFiles) {
        present.insert(folder + file.path);
        ++counts.designs;
        if (!unchanged(folder + file.path, file, kDesignRow))
            changedDesigns.push_back(&file);
    }
    for (const FoundFile& file : archives) {
        const std::string path = folder + file.path;
        present.insert(path);
        if (unchanged(path, file, kArchiveRow) && !failedBefore(path))
            counts.designs += designsOfPath[path];
        else
            changedArchives.push_back(&file);
    }

    // Read what changed on every core, a design file or an archive an item; write it in
    // the order read, a batch at a time, each batch in a transaction of its own so that
    // another program's writes go on between them.
    RowWriter writer(m_db);
    std::vector<PendingRow> pending;
    const std::size_t files = changedDesigns.size();
    const std::size_t total = files + changedArchives.size();
    const auto read = [&](std::size_t item) {
        if (item < files)
            return std::vector<PendingRow>{{readFile(folder, *changedDesigns[item]), kDesignRow}};
        return readArchive(folder, *changedArchives[item - files], m_limits, extensions);
    };
    const auto write = [&](std::size_t item, std::vector<PendingRow>&& rows) {
        const int designs = item < files ? 1 : int(rows.size()) - 1;  // an archive's own row is none
        counts.read += designs;
        if (item >= files)
            counts.designs += designs;
        pending.insert(pending.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        if (pending.size() >= kBatch) {
            writer.write(pending);
            pending.clear();
        }
        return !progress || progress(int(item) + 1, int(total));
    };
    constexpr std::size_t kReadAhead = 512;
    const bool going = forEachInOrder<std::vector<PendingRow>>(
        total, std::thread::hardware_concurrency(), kReadAhead, read, write);
    writer.write(pending);
    if (!going) {
        counts.stopped = true;
        return counts;
    }

    // Forget what is gone: rows of files no longer there (an archive's own rows were
    // written anew with it).
    std::vector<std::pair<std::string, std::string>> gone;
    for (const auto& [key, row] : known) {
        const std::size_t separator = key.find('\0');
        std::string path = key.substr(0, separator);
        if (present.count(path))
            continue;
        if (row.kind == kDesignRow)
            ++counts.removed;
        gone.emplace_back(std::move(path), key.substr(separator + 1));
    }
    writer.drop(gone);
    return counts;
}

std::vector<IndexedDesign> DesignIndex::unreadArchives(const std::string& folder)
{
    return withRebuild([&] {
        Statement query(m_db, "SELECT " + columns(false) + " FROM designs WHERE path >= ?1 AND path < ?2 AND kind = " +
                                  std::to_string(kArchiveRow) + " AND error IS NOT NULL ORDER BY path");
        query.bind(1, folder).bind(2, upperBound(folder));
        std::vector<IndexedDesign> archives;
        while (query.step())
            archives.push_back(designOfRow(query));
        return archives;
    });
}

std::vector<IndexedDesign> DesignIndex::selectOnce(const std::string& folder, const DesignFilter& filter,
                                                   bool withContentHash)
{
    std::string sql = "SELECT " + columns(withContentHash) +
                      " FROM designs WHERE path >= ?1 AND path < ?2 AND kind = " + std::to_string(kDesignRow);
    // Each condition with the parameter it binds, in order.
    std::vector<std::function<void(Statement&, int)>> binds;
    const auto add = [&](const std::string& condition, std::function<void(Statement&, int)> bind) {
        sql += " AND " + condition;
        binds.push_back(std::move(bind));
    };
    const auto number = [](double value) { return [value](Statement& s, int at) { s.bind(at, value); }; };
    const auto count = [](std::int64_t value) { return [value](Statement& s, int at) { s.bind(at, value); }; };
    const auto text = [](std::string value) { return [value](Statement& s, int at) { s.bind(at, value); }; };
    const auto next = [&] { return "?" + std::to_string(binds.size() + 3); };

    if (!filter.namePattern.empty())
        add("orlika_match(" + next() + ", name)", text(filter.namePattern));
    if (!filter.format.empty()) {
        std::string format = upperCase(filter.format);
        if (format.front() == '.')
            format.erase(0, 1);
        add("format = " + next(), text(format));
    }
    // A design without stitches has no size: it fits no hoop and lies in no range.
    if (filter.asksFigures())
        sql += " AND error IS NULL AND stitches > 0";
    if (filter.minWidthMm)
        add("width_mm >= " + next(), number(*filter.minWidthMm));
    if (filter.maxWidthMm)
        add("width_mm <= " + next(), number(*filter.maxWidthMm));
    if (filter.minHeightMm)
        add("height_mm >= " + next(), number(*filter.minHeightMm));
    if (filter.maxHeightMm)
        add("height_mm <= " + next(), number(*filter.maxHeightMm));
    if (filter.hoopWidthMm && filter.hoopHeightMm) {
        const std::string w = next();
        binds.push_back(number(*filter.hoopWidthMm));
        const std::string h = next();
        binds.push_back(number(*filter.hoopHeightMm));
        sql += " AND ((width_mm <= " + w + " AND height_mm <= " + h + ") OR (width_mm <= " + h +
               " AND height_mm <= " + w + "))";
    }
    if (filter.minStitches)
        add("stitches >= " + next(), count(*filter.minStitches));
    if (filter.maxStitches)
        add("stitches <= " + next(), count(*filter.maxStitches));
    if (filter.minColorChanges)
        add("color_changes >= " + next(), count(*filter.minColorChanges));
    if (filter.maxColorChanges)
        add("color_changes <= " + next(), count(*filter.maxColorChanges));
    if (!filter.thread.empty())
        add("instr(lower(thread_names), lower(" + next() + ")) > 0", text(filter.thread));

    Statement query(m_db, sql);
    query.bind(1, folder).bind(2, upperBound(folder));
    for (std::size_t i = 0; i < binds.size(); ++i)
        binds[i](query, int(i) + 3);
    std::vector<IndexedDesign> designs;
    while (query.step())
        designs.push_back(designOfRow(query));
    return designs;
}

std::vector<DesignIndex::Listed> DesignIndex::listUnderOnce(const std::string& folder)
{
    Statement query(m_db, "SELECT path, entry, size, mtime, error, width_mm, height_mm, stitches, "
                          "color_changes, thread_names FROM designs WHERE path >= ?1 AND path < ?2 AND kind = " +
                              std::to_string(kDesignRow));
    query.bind(1, folder).bind(2, upperBound(folder));
    std::vector<Listed> designs;
    while (query.step()) {
        Listed design;
        const std::string entry = query.text(1);
        design.read = query.isNull(4);
        // Listed as the files are: an archive's entry that cannot be opened is left out.
        if (!entry.empty() && !design.read && isEntryProblem(query.text(4)))
            continue;
        design.designPath = entry.empty() ? query.text(0) : archiveEntryPath(query.text(0), entry);
        design.size = query.integer(2);
        design.modified = query.integer(3);
        design.widthMm = query.real(5);
        design.heightMm = query.real(6);
        design.stitches = query.integer(7);
        design.colorChanges = query.integer(8);
        if (!query.isNull(9))
            for (const std::string& name : split(query.text(9), '\n'))
                design.threadNames += name + '\n';
        designs.push_back(std::move(design));
    }
    return designs;
}

} // namespace orlika
