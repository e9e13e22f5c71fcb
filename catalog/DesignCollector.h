// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace orlika {

/// One design a folder tree holds, or one that cannot be read as part of it.
struct CollectedDesign {
    std::string path;   // relative to the tree's folder (catalog/DesignPaths.h)
    std::string error;  // empty for a design; else why its cell shows an error instead
};

// Collects the designs of a folder with its subfolders and the archives in them. The page
// engine asks it when a run includes subfolders; the desktop program and the tools hand
// the catalog one that reads archives.
class DesignCollector {
public:
    virtual ~DesignCollector() = default;

    /// Every design file under `folder` (ending in '/'), in its subfolders and inside the
    /// archives there, whose name ends in one of `extensions` (".DST"; any case), and an
    /// error for each archive or entry that cannot be read; in no particular order.
    virtual std::vector<CollectedDesign> collectTree(const std::string& folder,
                                                     const std::vector<std::string>& extensions) = 0;
};

} // namespace orlika
