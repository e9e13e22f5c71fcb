// SPDX-License-Identifier: MIT
// How the catalog names designs that are not plain files of one folder: files in the
// subfolders of a run's folder, and designs inside zip archives. A run's list then holds
// paths relative to the run's folder ("shop/rose.pes"), and a design inside an archive is
// the archive's path and the entry's name joined by "//" ("shop/roses.zip//in/rose.pes").
// The system reads "//" as "/", so such a path handed to a file operation by mistake
// names nothing (the archive is a file, not a folder) rather than the archive itself.
// The plain file names of a one-folder run are left exactly as they are by every function
// here.
#pragma once

#include "platform/SortedNameList.h"

#include <optional>
#include <string>
#include <string_view>

namespace orlika {

/// Between an archive's path and an entry's name.
inline constexpr std::string_view kArchiveEntrySeparator = "//";

/// A design inside an archive: the archive's path and the entry's name in it.
struct ArchiveEntry {
    std::string archive;
    std::string entry;
};

/// True for a name that the catalog reads as an archive: it ends in ".zip", in any case.
bool isArchiveName(std::string_view name);
/// The path of an entry of an archive. The entry's name must be a plain relative name:
/// no empty, "." or ".." parts (archives with other names give error cells instead).
std::string archiveEntryPath(const std::string& archive, const std::string& entry);
/// The archive and entry a path names, or nothing for the path of a plain file.
std::optional<ArchiveEntry> archiveEntryOf(const std::string& path);
bool isArchiveEntry(const std::string& path);

/// The design's own file name: a file's name, or the last part of an entry's name. A
/// reader is chosen by it, and a copy takes it.
std::string designFileName(const std::string& path);
/// What a cell's name line shows: a file's name, "roses.zip: rose.pes" for an entry.
std::string designDisplayName(const std::string& path);
/// The path a design is drawn under: its folder and its display name.
std::string designDisplayPath(const std::string& path);
/// The folder a design is in: up to the last '/' for a file, the archive for an entry.
std::string designFolder(const std::string& path);

/// The order of a folder tree's designs: by folder (part by part, a folder's own designs
/// before its subfolders', an archive being a folder of its own), then by name, each
/// part compared by `names`. For two plain names it is exactly `names`.
NameComparer folderThenNameOrder(NameComparer names);
/// A key whose byte order is folderThenNameOrder(foldedCompare)'s, for sorting many paths
/// at once (names holding bytes below 0x02 aside).
std::string foldedOrderKey(const std::string& path);

} // namespace orlika
