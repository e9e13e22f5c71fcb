// SPDX-License-Identifier: MIT
// A design's figures as the index keeps them: where it is, its file's size and time, and
// what its reader made of it, read without drawing it.
#pragma once

#include "decoders/SewingTally.h"
#include "platform/Color.h"
#include "platform/DesignFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlika {

struct IndexedThread {
    std::string name;  // the thread's name and catalogue code as the file gives them; "" where it gives none
    Color color = 0;   // 0x00BBGGRR
};

struct IndexedDesign {
    std::string path;              // the file's full path; for a design inside an archive, the archive's
    std::string entry;             // the entry's name inside the archive; empty for a file
    std::int64_t size = 0;         // of the file on disk (the archive's for an entry)
    std::int64_t modified = 0;     // of the file on disk, nanoseconds since the epoch
    std::int64_t changed = 0;      // its status change time, nanoseconds: no user tool sets it back
    std::int64_t inode = 0;        // its inode: a file put in its place is another file
    std::string name;              // the design's own file name
    std::string format;            // its extension in upper case, without the dot: "DST"
    // Figures of the stitches (decoders/StitchFigures.h), whatever a header claims.
    double widthMm = 0;
    double heightMm = 0;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
    SewingCounts sewing;           // how long it takes to sew, how much thread it uses
    std::vector<IndexedThread> threads;
    std::string fingerprint;       // of the stitches (collection/Fingerprint.h); empty when none
    std::string contentHash;       // of the file's bytes (the entry's), collection/ContentHash.h
    std::string error;             // why the reader could not read it; empty when it could

    /// The design's path as the catalog names it: the file's, or the archive's and the
    /// entry's joined (catalog/DesignPaths.h).
    std::string designPath() const;
};

/// A design's format as the index names it: its extension in upper case, without the dot.
std::string designFormat(const std::string& fileName);

/// Reads the figures of the design in `file` with the reader its file name selects, the
/// way a page cell would read it but without drawing: the size, stitches and colour
/// changes of its stitches, its threads, the fingerprint of its stitches and the hash of
/// its bytes. `path` names it for the reader (as a cell's design path). Errors end up in
/// `error`.
void readDesignFigures(DesignFile& file, const std::string& path, IndexedDesign& design);

} // namespace orlika
