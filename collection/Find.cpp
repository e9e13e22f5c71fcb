// SPDX-License-Identifier: MIT
#include "collection/Find.h"

#include "catalog/DesignPaths.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <string_view>

namespace orlika {

namespace {

constexpr double kMillimetresPerInch = 25.4;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace((unsigned char)text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace((unsigned char)text.back()))
        text.remove_suffix(1);
    return text;
}

bool endsWithFolded(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           upperCase(std::string(text.substr(text.size() - suffix.size()))) == upperCase(std::string(suffix));
}

/// Splits "MIN:MAX" (or one value for both) and hands each present side to `parse`.
template <typename Value, typename Parse>
bool parseRange(std::string_view text, std::optional<Value>& min, std::optional<Value>& max, Parse parse)
{
    min.reset();
    max.reset();
    text = trimmed(text);
    const std::size_t colon = text.find(':');
    const std::string_view low = trimmed(colon == std::string_view::npos ? text : text.substr(0, colon));
    const std::string_view high = trimmed(colon == std::string_view::npos ? text : text.substr(colon + 1));
    if (low.empty() && high.empty())
        return false;
    if (!low.empty() && !(min = parse(low)))
        return false;
    if (!high.empty() && !(max = parse(high)))
        return false;
    return !min || !max || *min <= *max;
}

std::optional<std::int64_t> parseCount(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string lengthRange(const std::optional<double>& min, const std::optional<double>& max)
{
    if (min && max)
        return *min == *max ? number(*min) + " mm" : number(*min) + " to " + number(*max) + " mm";
    return min ? "at least " + number(*min) + " mm" : "at most " + number(*max) + " mm";
}

std::string countRange(const std::optional<std::int64_t>& min, const std::optional<std::int64_t>& max)
{
    if (min && max)
        return *min == *max ? std::to_string(*min) : std::to_string(*min) + " to " + std::to_string(*max);
    return min ? "at least " + std::to_string(*min) : "at most " + std::to_string(*max);
}

// The member of identical files that a user would keep: one that can be deleted or moved
// (not inside an archive), then the shortest path, then the oldest, then the first.
bool keptBefore(const FoundDesign& a, const FoundDesign& b)
{
    const bool aInArchive = !a.design.entry.empty(), bInArchive = !b.design.entry.empty();
    if (aInArchive != bInArchive)
        return !aInArchive;
    if (a.path.size() != b.path.size())
        return a.path.size() < b.path.size();
    return a.design.modified < b.design.modified;
}

/// Orders one group's members (indices into `found`, in run order): the members of the same
/// bytes together, in the order of their first members, the one kept first; marks each.
std::vector<std::size_t> arrangeGroup(std::vector<FoundDesign>& found, const std::vector<std::size_t>& members)
{
    std::vector<std::vector<std::size_t>> sameBytes;
    std::map<std::string_view, std::size_t> setOfHash;
    for (const std::size_t i : members) {
        const auto [set, isNew] = setOfHash.try_emplace(found[i].design.contentHash, sameBytes.size());
        if (isNew)
            sameBytes.emplace_back();
        sameBytes[set->second].push_back(i);
    }
    std::vector<std::size_t> arranged;
    for (auto& set : sameBytes) {
        // A stable sort: of equals the first in run order is kept.
        std::stable_sort(set.begin(), set.end(),
                         [&](std::size_t a, std::size_t b) { return keptBefore(found[a], found[b]); });
        const bool copies = set.size() > 1;
        for (const std::size_t i : set) {
            FoundDesign& design = found[i];
            design.kind = copies ? DuplicateKind::Identical : DuplicateKind::SameStitches;
            design.kept = copies && i == set.front();
            if (copies && !design.kept) {
                design.keptPath = found[set.front()].path;
                // Nothing inside an archive changes: such a copy is shown, not selected.
                design.preselected = design.design.entry.empty();
            }
            arranged.push_back(i);
        }
    }
    return arranged;
}

/// Keeps the designs whose stitches another one has, in groups in the order of their
/// first members, which the run order of `found` gives. A design without a fingerprint
/// (unreadable, or without stitches) or without a hash of its bytes is in no group: an
/// empty file or a text file is no copy of a design.
std::vector<FoundDesign> groupDuplicates(std::vector<FoundDesign> found)
{
    std::map<std::string, std::vector<std::size_t>> byFingerprint;
    std::vector<const std::vector<std::size_t>*> groups;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const IndexedDesign& design = found[i].design;
        if (design.fingerprint.empty() || design.contentHash.empty() || !design.error.empty())
            continue;
        auto& members = byFingerprint[design.fingerprint];
        if (members.empty())
            groups.push_back(&members);
        members.push_back(i);
    }
    std::vector<FoundDesign> grouped;
    int number = 0;
    for (const auto* members : groups) {
        if (members->size() < 2)
            continue;
        ++number;
        for (const std::size_t i : arrangeGroup(found, *members)) {
            grouped.push_back(std::move(found[i]));
            grouped.back().group = number;
        }
    }
    return grouped;
}

} // namespace

std::span<const Hoop> commonHoops()
{
    static constexpr std::array<Hoop, 7> hoops{
        {{100, 100}, {130, 180}, {150, 240}, {200, 200}, {200, 280}, {200, 300}, {240, 360}}};
    return hoops;
}

std::optional<double> parseLength(std::string_view text, LengthUnit unit)
{
    text = trimmed(text);
    double factor = unit == LengthUnit::Inch ? kMillimetresPerInch : 1;
    if (endsWithFolded(text, "mm")) {
        factor = 1;
        text.remove_suffix(2);
    } else if (endsWithFolded(text, "in")) {
        factor = kMillimetresPerInch;
        text.remove_suffix(2);
    } else if (endsWithFolded(text, "\"")) {
        factor = kMillimetresPerInch;
        text.remove_suffix(1);
    }
    text = trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value >= 0))
        return std::nullopt;
    return value * factor;
}

bool parseLengthRange(std::string_view text, std::optional<double>& min, std::optional<double>& max, LengthUnit unit)
{
    return parseRange(text, min, max, [unit](std::string_view side) { return parseLength(side, unit); });
}

bool parseCountRange(std::string_view text, std::optional<std::int64_t>& min, std::optional<std::int64_t>& max)
{
    return parseRange(text, min, max, parseCount);
}

bool parseHoop(std::string_view text, double& width, double& height, LengthUnit unit)
{
    text = trimmed(text);
    // A unit at the end is both sides'.
    if (endsWithFolded(text, "mm")) {
        unit = LengthUnit::Millimetre;
        text.remove_suffix(2);
    } else if (endsWithFolded(text, "in")) {
        unit = LengthUnit::Inch;
        text.remove_suffix(2);
    }
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return false;
    const auto w = parseLength(text.substr(0, cross), unit);
    const auto h = parseLength(text.substr(cross + 1), unit);
    if (!w || !h || *w <= 0 || *h <= 0)
        return false;
    width = *w;
    height = *h;
    return true;
}

std::string FindQuery::describe() const
{
    std::vector<std::string> parts;
    const DesignFilter& f = filter;
    if (!f.namePattern.empty())
        parts.push_back("name " + f.namePattern);
    if (!f.format.empty())
        parts.push_back("format " + upperCase(f.format[0] == '.' ? f.format.substr(1) : f.format));
    if (f.hoopWidthMm && f.hoopHeightMm)
        parts.push_back("fits " + number(*f.hoopWidthMm) + " x " + number(*f.hoopHeightMm) + " mm");
    if (f.minWidthMm || f.maxWidthMm)
        parts.push_back("width " + lengthRange(f.minWidthMm, f.maxWidthMm));
    if (f.minHeightMm || f.maxHeightMm)
        parts.push_back("height " + lengthRange(f.minHeightMm, f.maxHeightMm));
    if (f.minStitches || f.maxStitches)
        parts.push_back("stitches " + countRange(f.minStitches, f.maxStitches));
    if (f.minColorChanges || f.maxColorChanges)
        parts.push_back("colour changes " + countRange(f.minColorChanges, f.maxColorChanges));
    if (!f.thread.empty())
        parts.push_back("thread " + f.thread);
    if (duplicates)
        parts.push_back("duplicates");
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text.empty() ? "all designs" : text;
}

std::vector<FoundDesign> findDesigns(DesignIndex& index, const std::string& folder, const FindQuery& query)
{
    std::vector<IndexedDesign> selected = index.select(folder, query.filter, query.duplicates);
    // Sorted by key, with the bytes of the path breaking ties, as a run lists them; a key
    // made once a design keeps a find over tens of thousands of designs quick.
    struct Sorted {
        std::string key;
        std::string path;
        std::size_t at;
    };
    std::vector<Sorted> order;
    order.reserve(selected.size());
    for (std::size_t i = 0; i < selected.size(); ++i) {
        std::string path = pathUnder(folder, selected[i]);
        order.push_back({foldedOrderKey(path), std::move(path), i});
    }
    std::sort(order.begin(), order.end(), [](const Sorted& a, const Sorted& b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : a.path < b.path;
    });
    std::vector<FoundDesign> found;
    found.reserve(order.size());
    for (Sorted& sorted : order) {
        FoundDesign& design = found.emplace_back();
        design.design = std::move(selected[sorted.at]);
        design.path = std::move(sorted.path);
    }
    if (!query.duplicates)
        return found;
    return groupDuplicates(std::move(found));
}

std::string_view kindName(DuplicateKind kind)
{
    return kind == DuplicateKind::Identical ? "identical" : "same stitches";
}

std::string groupHeading(const std::vector<FoundDesign>& found, std::size_t first)
{
    bool identical = true;
    std::vector<std::string> formats;
    for (std::size_t i = first; i < found.size() && found[i].group == found[first].group; ++i) {
        identical = identical && found[i].design.contentHash == found[first].design.contentHash;
        if (std::find(formats.begin(), formats.end(), found[i].design.format) == formats.end())
            formats.push_back(found[i].design.format);
    }
    if (identical)
        return "identical files";
    std::string heading = "same stitches: ";
    for (std::size_t i = 0; i < formats.size(); ++i)
        heading += (i ? ", " : "") + formats[i];
    return heading;
}

FoundRun runOfFound(const std::vector<FoundDesign>& found)
{
    FoundRun run;
    std::string heading;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const FoundDesign& design = found[i];
        run.paths.push_back(design.path);
        if (design.group == 0)
            continue;
        if (i == 0 || found[i - 1].group != design.group)
            heading = groupHeading(found, i);
        std::string note = "Duplicates: group " + std::to_string(design.group) + ", ";
        if (design.kind == DuplicateKind::SameStitches)
            note += heading;
        else
            note += design.kept ? "identical files, kept"
                                : "identical files, copy of " + designDisplayPath(design.keptPath);
        run.notes[design.path] = std::move(note);
        if (design.preselected)
            run.keptCopyOf[design.path] = design.keptPath;
    }
    return run;
}

} // namespace orlika
