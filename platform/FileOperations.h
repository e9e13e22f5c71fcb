// SPDX-License-Identifier: MIT
#pragma once

#include "platform/DesignFile.h"

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <sys/types.h>

namespace orlika {

// Results of copyFile: zero on success, else one of the negative codes the copy
// command has a message for.
enum CopyCode : int {
    kCopyDone = 0,
    kCopyBadSource = -1,        // the source cannot be opened or read as a file
    kCopyBadDestination = -2,   // the destination cannot be created or put in place
    kCopyNoSpace = -4,          // the destination's file system is full
    kCopyFailed = -100,         // anything else
};

// How moving a file to the trash ended.
enum class TrashOutcome {
    Trashed,  // in the trash, from which it can be restored
    NoTrash,  // no trash can hold it (none on its file system): it is as it was
    Refused,  // it cannot be removed at all (write-protected, its folder read-only, gone)
};

/// True when a file cannot be removed whatever removes it: it is gone, a folder, a
/// regular file without any write permission (write-protected, as the user expects it to
/// stay), or in a folder that cannot be written.
bool cannotBeRemoved(const std::string& path);

// The file operations of the copy, move and delete commands. Paths use '/'.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    /// True when an entry of any kind exists at the path.
    virtual bool exists(const std::string& path) = 0;
    /// True when both paths name one and the same existing file.
    virtual bool sameFile(const std::string& a, const std::string& b) = 0;
    /// Copies source to destination, replacing an existing destination only once the
    /// whole copy is written and flushed; on failure the destination is untouched.
    /// Returns kCopyDone or a negative CopyCode.
    virtual int copyFile(const std::string& source, const std::string& destination) = 0;
    /// Moves a file, never replacing an existing destination, also between file systems;
    /// false when it did not move (then both paths are as they were).
    virtual bool moveFile(const std::string& source, const std::string& destination) = 0;
    /// Deletes a file for good; false when it is missing, a folder, or write-protected.
    virtual bool deleteFile(const std::string& path) = 0;
    /// True when both paths name files that can be read and hold the same bytes now.
    virtual bool sameContent(const std::string& a, const std::string& b) = 0;
    /// True where deleted files can go to the desktop's trash, to be restored from there.
    virtual bool hasTrash() { return false; }
    /// Moves a file to the trash; anything but Trashed leaves it as it was.
    virtual TrashOutcome moveToTrash(const std::string& /*path*/) { return TrashOutcome::NoTrash; }
    /// Makes a folder and every missing folder above it; returns why it could not, or an
    /// empty text.
    virtual std::string makeFolders(const std::string& path) = 0;
};

// The real operations through POSIX calls. The system calls that can fail halfway are
// virtual so tests can make them fail on a real folder.
class PosixFileOperations : public FileOperations {
public:
    bool exists(const std::string& path) override;
    bool sameFile(const std::string& a, const std::string& b) override;
    int copyFile(const std::string& source, const std::string& destination) override;
    bool moveFile(const std::string& source, const std::string& destination) override;
    bool deleteFile(const std::string& path) override;
    bool sameContent(const std::string& a, const std::string& b) override;
    std::string makeFolders(const std::string& path) override;

protected:
    /// What a copy reads: the source's bytes, and the permissions and modification time
    /// the copy takes.
    struct CopySource {
        std::unique_ptr<DesignFile> file;  // null when the source cannot be opened as a file
        mode_t mode = 0644;
        timespec accessed{};
        timespec modified{};
    };
    /// Opens a copy's source: a regular file, read-only.
    virtual CopySource openCopySource(const std::string& source);
    /// write(2): bytes written, or -1 with errno set.
    virtual ssize_t writeSome(int fd, const void* data, std::size_t size);
    /// Renames without replacing an existing target: 0, or -1 with errno set.
    virtual int renameNoReplace(const std::string& from, const std::string& to);
    /// unlink(2): 0, or -1 with errno set.
    virtual int removeFile(const std::string& path);

private:
    /// Copies source into a new temporary file in the destination's folder; returns
    /// kCopyDone with its path in temporary, or a negative code with nothing left behind.
    int copyToTemporary(const std::string& source, const std::string& destination, std::string& temporary);
};

/// Renames without ever replacing `to`: 0, or -1 with errno set (EEXIST when `to` exists).
int renameWithoutReplacing(const std::string& from, const std::string& to);
/// Makes a finished rename in the folder of `path` durable; a failure loses nothing.
void syncFolder(const std::string& path);

/// The path of a name in a destination folder, with exactly one separator between them
/// (the root folder "/" gives "/name").
std::string destinationPath(const std::string& folder, const std::string& name);

} // namespace orlika
