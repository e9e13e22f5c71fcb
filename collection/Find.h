// SPDX-License-Identifier: MIT
// Finding designs in a folder tree through the index: the query, as the Find Designs
// dialog and the command line give it, and its answer in the order a catalog run shows
// it, duplicates in groups.
#pragma once

#include "collection/DesignIndex.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

struct FindQuery {
    DesignFilter filter;
    /// Only designs whose stitches another design of the tree has too, in groups: identical
    /// files, or the same stitches in files that differ.
    bool duplicates = false;

    /// The query in words, for a catalog's title: "fits 130 x 180 mm, name rose*".
    std::string describe() const;
};

/// A hoop's inner size in millimetres.
struct Hoop {
    double width;
    double height;
};
/// The common hoops: 100 x 100, 130 x 180, 150 x 240, 200 x 200, 200 x 280, 200 x 300 and
/// 240 x 360 mm.
std::span<const Hoop> commonHoops();

enum class LengthUnit { Millimetre, Inch };

/// A length in millimetres: "130", "130mm", "5.1in" (a number without a unit is in
/// `unit`); nothing for anything else, or a negative length.
std::optional<double> parseLength(std::string_view text, LengthUnit unit = LengthUnit::Millimetre);
/// "MIN:MAX" of lengths, either side may be left out (":100", "50:"), or one length for
/// exactly it; false for anything else or a minimum above the maximum.
bool parseLengthRange(std::string_view text, std::optional<double>& min, std::optional<double>& max,
                      LengthUnit unit = LengthUnit::Millimetre);
/// The same for whole counts.
bool parseCountRange(std::string_view text, std::optional<std::int64_t>& min, std::optional<std::int64_t>& max);
/// A hoop "WxH" ("130x180", "5x7in", "130 x 180 mm"); false for anything else.
bool parseHoop(std::string_view text, double& width, double& height, LengthUnit unit = LengthUnit::Millimetre);

/// How duplicates are alike.
enum class DuplicateKind {
    Identical,     // the same bytes
    SameStitches,  // the same stitches (the fingerprint), in files whose bytes differ
};

/// "identical" or "same stitches".
std::string_view kindName(DuplicateKind kind);

/// A design found, with its path relative to the tree's folder and, among duplicates, its
/// group and how it is alike the others.
struct FoundDesign {
    IndexedDesign design;
    std::string path;
    /// The number of its group of duplicates, from 1; 0 outside duplicates.
    int group = 0;
    /// Identical when another member of its group has its bytes, else the same stitches.
    DuplicateKind kind = DuplicateKind::SameStitches;
    /// A copy whose bytes are those of the member kept (`keptPath`): ready to be deleted.
    /// Nothing else is ever selected for the user.
    bool preselected = false;
    std::string keptPath;
    /// Of identical files, the one kept: the one not inside an archive, with the shortest
    /// path, then the oldest, then the first in order.
    bool kept = false;
};

/// The designs under `folder` that the query finds in the index, by folder, then name.
/// With duplicates, the groups of designs of one fingerprint (two or more designs that
/// could be read and have stitches), the groups in the order of their first members,
/// numbered from 1. In a group, the members of the same bytes come together, the one kept
/// first; the others are preselected, unless inside an archive, which nothing changes.
/// The index is not refreshed here.
std::vector<FoundDesign> findDesigns(DesignIndex& index, const std::string& folder, const FindQuery& query);

/// What a group of duplicates is, starting at `found[first]`: "identical files" when all
/// its members have the same bytes, else "same stitches: " and the formats its members are
/// stored in, in order ("same stitches: DST, JEF").
std::string groupHeading(const std::vector<FoundDesign>& found, std::size_t first);

/// The designs found as a catalog run takes them: their paths in order, for each duplicate
/// the line under its remarks ("Duplicates: group 4, identical files, kept"), and for each
/// preselected copy the member kept.
struct FoundRun {
    std::vector<std::string> paths;
    std::map<std::string, std::string> notes;
    std::map<std::string, std::string> keptCopyOf;
};
FoundRun runOfFound(const std::vector<FoundDesign>& found);

} // namespace orlika
