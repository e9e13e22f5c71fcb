// SPDX-License-Identifier: MIT
#include "platform/FileOperations.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orlika {

namespace {

constexpr std::size_t kCopyBlock = 64 * 1024;

bool isNoSpace(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

int writeErrorCode(int error)
{
    return isNoSpace(error) ? kCopyNoSpace : kCopyFailed;
}

} // namespace

// Renames without ever replacing `to`. renameat2 does it in one step; where the file
// system lacks it, a hard link (which fails on an existing name) and an unlink do.
int renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return 0;
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
        return -1;
    }
    if (errno == EEXIST || errno == EXDEV || errno == ENOENT)
        return -1;
    // No hard links either (FAT and the like): a checked rename is the best left.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// Makes a finished rename in a folder durable; a failure here loses nothing written.
void syncFolder(const std::string& path)
{
    const std::string folder = folderPart(path);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::string destinationPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

ssize_t PosixFileOperations::writeSome(int fd, const void* data, std::size_t size)
{
    return ::write(fd, data, size);
}

int PosixFileOperations::renameNoReplace(const std::string& from, const std::string& to)
{
    return renameWithoutReplacing(from, to);
}

int PosixFileOperations::removeFile(const std::string& path)
{
    return ::unlink(path.c_str());
}

bool PosixFileOperations::exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool PosixFileOperations::sameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

PosixFileOperations::CopySource PosixFileOperations::openCopySource(const std::string& source)
{
    CopySource opened;
    opened.file = PosixFileSystem().openRead(source);
    struct stat info {};
    if (!opened.file || ::stat(source.c_str(), &info) != 0) {
        opened.file.reset();
        return opened;
    }
    opened.mode = info.st_mode & 0777;
    opened.accessed = info.st_atim;
    opened.modified = info.st_mtim;
    return opened;
}

int PosixFileOperations::copyToTemporary(const std::string& source, const std::string& destination,
                                         std::string& temporary)
{
    const CopySource in = openCopySource(source);
    if (!in.file)
        return kCopyBadSource;

    // The temporary file lives beside the destination, so the final rename stays on one
    // file system and either shows the whole copy or nothing.
    std::string folder = folderPart(destination);
    std::string name = (folder.empty() ? std::string("./") : folder) + ".orlika-copy-XXXXXX";
    const int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0)
        return isNoSpace(errno) ? kCopyNoSpace : kCopyBadDestination;

    int code = kCopyDone;
    std::vector<std::uint8_t> buffer(kCopyBlock);
    while (code == kCopyDone) {
        std::size_t got = 0;
        try {
            got = in.file->read(buffer);
        } catch (const InOutError&) {
            code = kCopyFailed;
            break;
        }
        if (got == 0)
            break;
        std::size_t done = 0;
        while (done < std::size_t(got)) {
            const ssize_t put = writeSome(out, buffer.data() + done, std::size_t(got) - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                code = put < 0 ? writeErrorCode(errno) : kCopyFailed;
                break;
            }
            done += std::size_t(put);
        }
    }
    if (code == kCopyDone) {
        // The copy keeps the source's permissions and modification time.
        ::fchmod(out, in.mode);
        const timespec times[2] = {in.accessed, in.modified};
        ::futimens(out, times);
        if (::fsync(out) != 0)
            code = writeErrorCode(errno);
    }
    if (::close(out) != 0 && code == kCopyDone)
        code = writeErrorCode(errno);
    if (code != kCopyDone) {
        ::unlink(name.c_str());
        return code;
    }
    temporary = std::move(name);
    return kCopyDone;
}

int PosixFileOperations::copyFile(const std::string& source, const std::string& destination)
{
    // Copying a file onto itself would empty it before reading it.
    if (sameFile(source, destination))
        return kCopyBadDestination;
    std::string temporary;
    const int code = copyToTemporary(source, destination, temporary);
    if (code != kCopyDone)
        return code;
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return isNoSpace(error) ? kCopyNoSpace : kCopyBadDestination;
    }
    syncFolder(destination);
    return kCopyDone;
}

bool PosixFileOperations::moveFile(const std::string& source, const std::string& destination)
{
    if (renameNoReplace(source, destination) == 0)
        return true;
    if (errno != EXDEV)
        return false;

    // Another file system: copy beside the destination, put it in place without
    // replacing anything, and only then remove the source.
    std::string temporary;
    if (copyToTemporary(source, destination, temporary) != kCopyDone)
        return false;
    if (renameWithoutReplacing(temporary, destination) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(destination);
    if (removeFile(source) != 0) {
        // The source stays, so the copy just made goes again: one file, where it was.
        ::unlink(destination.c_str());
        return false;
    }
    return true;
}

bool PosixFileOperations::sameContent(const std::string& a, const std::string& b)
{
    const CopySource first = openCopySource(a);
    const CopySource second = openCopySource(b);
    if (!first.file || !second.file)
        return false;
    try {
        if (first.file->size() != second.file->size())
            return false;
        std::vector<std::uint8_t> one(kCopyBlock), other(kCopyBlock);
        for (;;) {
            const std::size_t got = first.file->read(one);
            // Either may deliver fewer bytes a read: take as many from the other.
            std::size_t matched = 0;
            while (matched < got) {
                const std::size_t more = second.file->read(std::span(other).first(got - matched));
                if (more == 0 || !std::equal(other.begin(), other.begin() + std::ptrdiff_t(more),
                                             one.begin() + std::ptrdiff_t(matched)))
                    return false;
                matched += more;
            }
            if (got == 0) {
                std::uint8_t extra = 0;
                return second.file->read(std::span(&extra, 1)) == 0;
            }
        }
    } catch (const InOutError&) {
        return false;
    }
}

bool cannotBeRemoved(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return true;
    // A design without any write permission is write-protected: it stays, as the user
    // would expect from a read-only file, whoever runs the program.
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
        return true;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return ::access(folder.c_str(), W_OK) != 0;
}

bool PosixFileOperations::deleteFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
        return false;  // write-protected (cannotBeRemoved)
    return removeFile(path) == 0;
}

std::string PosixFileOperations::makeFolders(const std::string& path)
{
    std::error_code failed;
    std::filesystem::create_directories(path, failed);
    if (!failed && !std::filesystem::is_directory(path, failed))
        failed = std::make_error_code(std::errc::not_a_directory);
    return failed ? failed.message() : std::string();
}

} // namespace orlika
