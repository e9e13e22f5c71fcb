// SPDX-License-Identifier: MIT
#include "collection/ZipArchive.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>

namespace orlika {

namespace {

std::string megabytes(std::int64_t bytes)
{
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

// A name from an archive as a message may show it: control bytes as '?', at most 80 bytes.
std::string printable(const std::string& name)
{
    std::string shown = name.substr(0, 80);
    for (char& c : shown)
        if ((unsigned char)c < 0x20 || c == 0x7F)
            c = '?';
    return name.size() > 80 ? shown + "..." : shown;
}

std::string libzipError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

constexpr const char* kCutShort = "the archive is cut short";

// True when the file starts as a zip archive does, with an entry's header.
bool startsLikeAnArchive(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::array<char, 4> start{};
    const bool read = std::fread(start.data(), 1, start.size(), file) == start.size();
    std::fclose(file);
    return read && std::string_view(start.data(), start.size()) == std::string_view("PK\x03\x04", 4);
}

// Why libzip could not open the archive, in the user's words.
std::string openProblem(int code, const std::string& path, std::int64_t size)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        // Without its end, which lists the entries, an archive cut short is nothing libzip knows.
        if (size == 0)
            return "the file is empty";
        return startsLikeAnArchive(path) ? std::string(kCutShort) + ": the list of its entries at its end is missing"
                                         : "not a zip archive";
    case ZIP_ER_INCONS:
        return "the archive is damaged: the list of its entries does not match what it holds";
    case ZIP_ER_MULTIDISK:
        return "the archive is one part of an archive split over several files: not read";
    case ZIP_ER_OPEN:
        return "cannot be opened";
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return "the archive cannot be read from the disk";
    case ZIP_ER_MEMORY:
        return "not enough memory to read the archive";
    default:
        return "not a readable zip archive: " + libzipError(code);
    }
}

// Why an entry's data could not be read, in the user's words.
std::string readProblem(zip_error_t* error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_CRC:
        return "its data in the archive is damaged (the check sum does not match)";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return "its packed data in the archive is damaged";
    case ZIP_ER_EOF:
        return kCutShort;
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
        return "the archive is damaged where it is stored";
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return "the archive cannot be read from the disk";
    case ZIP_ER_MEMORY:
        return "not enough memory to read it";
    default:
        return std::string("Read error: ") + zip_error_strerror(error);
    }
}

constexpr std::string_view kEncrypted = "encrypted: not read";
constexpr std::string_view kPackedWith = "packed with method ";
constexpr std::string_view kCannotUnpack = ", which cannot be read";

std::string entryProblem(const zip_stat_t& stat)
{
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return std::string(kEncrypted);
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0))
        return std::string(kPackedWith) + std::to_string(stat.comp_method) + std::string(kCannotUnpack);
    return {};
}

} // namespace

bool isEntryProblem(std::string_view error)
{
    return error == kEncrypted || (error.starts_with(kPackedWith) && error.ends_with(kCannotUnpack));
}

std::string safeEntryName(const std::string& name)
{
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '\\', '/');
    if (safe.empty() || safe.front() == '/')
        return {};
    if (safe.size() >= 2 && safe[1] == ':')
        return {};  // "C:..." names a drive
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = safe.find('/', start);
        const std::string part = safe.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..")
            return {};
        if (end == std::string::npos)
            return safe;
        start = end + 1;
    }
}

struct ZipArchive::Handle {
    zip_t* zip = nullptr;
    ~Handle()
    {
        // Read-only: nothing is ever written back.
        if (zip)
            zip_discard(zip);
    }
};

// An entry read as a design file: a stream out of the archive, never more bytes than the
// entry's size, started again from its beginning when a reader seeks backwards.
class ZipArchive::EntryFile final : public DesignFile {
public:
    EntryFile(std::shared_ptr<ZipArchive> archive, zip_uint64_t index, std::int64_t size)
        : m_archive(std::move(archive)), m_index(index), m_size(size)
    {
    }
    ~EntryFile() override { closeStream(); }
    EntryFile(const EntryFile&) = delete;
    EntryFile& operator=(const EntryFile&) = delete;

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        if (m_position >= m_size || buffer.empty())
            return 0;
        if (!m_stream || m_position < m_streamPosition)
            restart();
        if (!skipTo(m_position))
            return 0;
        const auto wanted = std::size_t(std::min<std::int64_t>(std::int64_t(buffer.size()), m_size - m_position));
        std::size_t total = 0;
        while (total < wanted) {
            const zip_int64_t got = zip_fread(m_stream, buffer.data() + total, wanted - total);
            if (got < 0)
                throw InOutError(readProblem(zip_file_get_error(m_stream)));
            if (got == 0)
                break;  // the data ends before the size the archive gives
            total += std::size_t(got);
        }
        m_streamPosition += std::int64_t(total);
        m_position += std::int64_t(total);
        return total;
    }

    void seek(std::int64_t position) override
    {
        if (position < 0)
            throw InOutError("Seek error");
        m_position = position;
    }

    std::int64_t position() const override { return m_position; }
    std::int64_t size() const override { return m_size; }

private:
    void closeStream()
    {
        if (m_stream)
            zip_fclose(m_stream);
        m_stream = nullptr;
    }

    void restart()
    {
        closeStream();
        m_stream = zip_fopen_index(m_archive->m_handle->zip, m_index, 0);
        if (!m_stream)
            throw InOutError(readProblem(zip_get_error(m_archive->m_handle->zip)));
        m_streamPosition = 0;
    }

    /// Reads the stream up to `position`; false when its data ends before.
    bool skipTo(std::int64_t position)
    {
        std::array<std::uint8_t, 16384> scratch;
        while (m_streamPosition < position) {
            const auto step = zip_uint64_t(std::min<std::int64_t>(std::int64_t(scratch.size()), position - m_streamPosition));
            const zip_int64_t got = zip_fread(m_stream, scratch.data(), step);
            if (got < 0)
                throw InOutError(readProblem(zip_file_get_error(m_stream)));
            if (got == 0)
                return false;
            m_streamPosition += got;
        }
        return true;
    }

    std::shared_ptr<ZipArchive> m_archive;  // keeps the archive open while the entry is read
    zip_uint64_t m_index;
    std::int64_t m_size;
    zip_file_t* m_stream = nullptr;
    std::int64_t m_streamPosition = 0;
    std::int64_t m_position = 0;
};

ZipArchive::ZipArchive(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

ZipArchive::~ZipArchive() = default;

std::shared_ptr<ZipArchive> ZipArchive::open(const std::string& path, const ArchiveLimits& limits, std::string& error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot be opened";
        return nullptr;
    }
    int code = 0;
    // Without libzip's consistency check: it refuses archives that every other tool reads
    // (common writers leave sizes in an entry's own header that its data descriptor then
    // repeats), and nothing is read here but through the central directory, which the
    // limits below check; an entry whose own header is damaged fails when it is read.
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!zip) {
        error = openProblem(code, path, info.st_size);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->zip = zip;
    std::shared_ptr<ZipArchive> archive(new ZipArchive(std::move(handle)));
    error = archive->readEntries(limits, info.st_size);
    if (!error.empty())
        return nullptr;
    return archive;
}

std::string ZipArchive::readEntries(const ArchiveLimits& limits, std::int64_t archiveSize)
{
    zip_t* zip = m_handle->zip;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0)
        return "not a readable zip archive";
    if (count > limits.maxEntries)
        return "archive of " + std::to_string(count) + " entries, more than " + std::to_string(limits.maxEntries) +
               ": not opened";
    std::int64_t total = 0;
    m_entries.reserve(std::size_t(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &stat) != 0)
            return "entry " + std::to_string(i + 1) + " cannot be read: " + zip_strerror(zip);
        ArchiveEntryInfo entry;
        entry.name = (stat.valid & ZIP_STAT_NAME) && stat.name ? stat.name : "";
        std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
        entry.folder = !entry.name.empty() && entry.name.back() == '/';
        entry.size = (stat.valid & ZIP_STAT_SIZE) ? std::int64_t(stat.size) : 0;
        entry.packedSize = (stat.valid & ZIP_STAT_COMP_SIZE) ? std::int64_t(stat.comp_size) : 0;
        entry.modified = (stat.valid & ZIP_STAT_MTIME) ? std::int64_t(stat.mtime) : 0;
        // Sizes past what the format can hold read as negative: too large either way.
        if (entry.size < 0 || entry.size > limits.maxEntrySize)
            return printable(entry.name) + " would unpack to more than " + megabytes(limits.maxEntrySize) +
                   ": archive not opened";
        if (entry.size >= limits.ratioFrom && double(entry.size) > limits.maxRatio * double(std::max<std::int64_t>(1, entry.packedSize)))
            return printable(entry.name) + " unpacks to more than " + std::to_string(int(limits.maxRatio)) +
                   " times its packed size: archive not opened";
        total += entry.size;
        if (total > limits.maxTotalSize)
            return "archive would unpack to more than " + megabytes(limits.maxTotalSize) + ": not opened";
        if (!entry.folder) {
            entry.key = safeEntryName(entry.name);
            if (entry.key.empty()) {
                entry.key = "entry " + std::to_string(i + 1);
                entry.problem = "its name " + printable(entry.name) + " leads out of the archive: not read";
            } else if (m_byKey.count(entry.key)) {
                // A path names one entry: the first of a name is read, the others are shown apart.
                entry.key = "entry " + std::to_string(i + 1);
                entry.problem = "two entries have the same name, " + printable(entry.name) + ": only the first is read";
            } else {
                entry.problem = entryProblem(stat);
            }
            m_byKey.emplace(entry.key, m_entries.size());
        }
        m_entries.push_back(std::move(entry));
    }
    if (total >= limits.ratioFrom && double(total) > limits.maxRatio * double(std::max<std::int64_t>(1, archiveSize)))
        return "archive unpacks to more than " + std::to_string(int(limits.maxRatio)) +
               " times its size: not opened";
    return {};
}

const ArchiveEntryInfo* ZipArchive::find(const std::string& key) const
{
    const auto it = m_byKey.find(key);
    return it == m_byKey.end() ? nullptr : &m_entries[it->second];
}

std::unique_ptr<DesignFile> ZipArchive::openEntry(const std::string& key)
{
    const auto it = m_byKey.find(key);
    if (it == m_byKey.end() || !m_entries[it->second].problem.empty())
        return nullptr;
    // The stream starts at the first read: an entry whose data cannot be read fails there,
    // and its cell says why.
    return std::make_unique<EntryFile>(shared_from_this(), zip_uint64_t(it->second), m_entries[it->second].size);
}

std::shared_ptr<ZipArchive> ArchiveShelf::open(const std::string& path, std::string& error, bool* notAFile)
{
    struct stat info {};
    const bool isFile = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (notAFile)
        *notAFile = !isFile;
    if (!isFile) {
        error = "cannot be opened";
        return nullptr;
    }
    const std::int64_t modified = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
        if (it->path != path)
            continue;
        if (it->size == info.st_size && it->modified == modified) {
            error = it->error;
            return it->archive;
        }
        m_recent.erase(it);  // changed on disk: read it again
        break;
    }
    Shelved shelved{path, info.st_size, modified, nullptr, {}};
    shelved.archive = ZipArchive::open(path, m_limits, shelved.error);
    error = shelved.error;
    m_recent.push_front(shelved);
    if (m_recent.size() > kKept)
        m_recent.pop_back();
    return shelved.archive;
}

} // namespace orlika
