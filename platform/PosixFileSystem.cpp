// SPDX-License-Identifier: MIT
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orlika {

namespace {

// A read-only file descriptor that closes itself.
class PosixDesignFile final : public DesignFile {
public:
    explicit PosixDesignFile(int fd) : m_fd(fd) {}
    ~PosixDesignFile() override { ::close(m_fd); }
    PosixDesignFile(const PosixDesignFile&) = delete;
    PosixDesignFile& operator=(const PosixDesignFile&) = delete;

    // Readers ask for a few kilobytes at a time; the file is read a window of 64 KiB at a
    // time and the blocks are served from it, which takes a sixteenth of the system calls.
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        if (buffer.size() >= kWindow)
            return readAt(buffer);
        if (!windowServes(buffer.size()) && !fillWindow())
            return readAt(buffer);  // reports the error, if any, for the bytes asked for
        const std::size_t offset = std::size_t(m_position - m_windowStart);
        const std::size_t count = std::min(buffer.size(), m_window.size() - offset);
        std::memcpy(buffer.data(), m_window.data() + offset, count);
        m_position += std::int64_t(count);
        return count;
    }

    void seek(std::int64_t position) override
    {
        if (position < 0)
            throw InOutError("Seek error");
        m_position = position;
    }

    std::int64_t position() const override { return m_position; }

    std::int64_t size() const override
    {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0)
            throw InOutError(std::string("File size error: ") + std::strerror(errno));
        return info.st_size;
    }

private:
    static constexpr std::size_t kWindow = 64 * 1024;

    // Whether the window holds the `count` bytes at the position, or all of them the file has.
    bool windowServes(std::size_t count) const
    {
        if (!m_windowRead || m_position < m_windowStart ||
            m_position > m_windowStart + std::int64_t(m_window.size()))
            return false;
        const bool reachesEnd = m_window.size() < kWindow;  // the read that filled it met the end
        return reachesEnd || m_position + std::int64_t(count) <= m_windowStart + std::int64_t(m_window.size());
    }

    // Reads the window at the position; false (and no window) when the system reports an error.
    bool fillWindow()
    {
        m_window.resize(kWindow);
        std::size_t total = 0;
        while (total < kWindow) {
            const ssize_t got = ::pread(m_fd, m_window.data() + total, kWindow - total, m_position + std::int64_t(total));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                m_window.clear();
                m_windowRead = false;
                return false;
            }
            if (got == 0)
                break;
            total += std::size_t(got);
        }
        m_window.resize(total);
        m_windowStart = m_position;
        m_windowRead = true;
        return true;
    }

    // Reads straight into the buffer, reporting an error as a failed read.
    std::size_t readAt(std::span<std::uint8_t> buffer)
    {
        std::size_t total = 0;
        while (total < buffer.size()) {
            const ssize_t got = ::pread(m_fd, buffer.data() + total, buffer.size() - total, m_position);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throw InOutError(std::string("Read error: ") + std::strerror(errno));
            }
            if (got == 0)
                break;
            total += std::size_t(got);
            m_position += got;
        }
        return total;
    }

    int m_fd;
    std::int64_t m_position = 0;
    std::vector<std::uint8_t> m_window;
    std::int64_t m_windowStart = 0;
    bool m_windowRead = false;
};

// Closes a directory stream on every way out.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::unique_ptr<DesignFile> PosixFileSystem::openRead(const std::string& path)
{
    // Non-blocking, so that a named pipe with a design's name cannot hang the run;
    // only regular files are designs (not folders, pipes or devices such as /dev/zero).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixDesignFile>(fd);
}

std::optional<FileStamp> PosixFileSystem::stampOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{std::int64_t(info.st_size), std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

OpenFailure PosixFileSystem::whyNotOpened(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return OpenFailure::Gone;
        return errno == EACCES ? OpenFailure::NoPermission : OpenFailure::Other;
    }
    if (!S_ISREG(info.st_mode))
        return OpenFailure::NotAFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return OpenFailure::Other;
    }
    return errno == EACCES || errno == EPERM ? OpenFailure::NoPermission : OpenFailure::Other;
}

std::vector<std::string> PosixFileSystem::findEntries(const std::string& pattern)
{
    return findEntriesMatchingAny(folderPart(pattern), {namePart(pattern)});
}

std::vector<std::string> PosixFileSystem::findEntriesMatchingAny(const std::string& folder,
                                                                 const std::vector<std::string>& masks)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    std::vector<std::string> names;
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) { return wildcardMatch(mask, name); }))
            names.emplace_back(name);
    }
    return names;
}

} // namespace orlika
