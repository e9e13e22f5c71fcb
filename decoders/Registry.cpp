// SPDX-License-Identifier: MIT
#include "decoders/Registry.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>

namespace orlika {

// The readers, declared from the rows: a reader pair defines its decoding under the
// routine's name, the rows name it.
#define ORLIKA_FORMAT(format, filter, text, pattern, kind, reader, nameRank) extern const Decoding reader;
#define ORLIKA_FILE_TYPE(...)
#include "decoders/Formats.def"
#undef ORLIKA_FORMAT
#undef ORLIKA_FILE_TYPE

namespace {

constexpr FileType kFileTypes[] = {
#define ORLIKA_FORMAT(...)
#define ORLIKA_FILE_TYPE(format, extension, searchRank, fuzzTarget, mimeType, comment, magic, priority, weight) \
    {#format, extension, searchRank, fuzzTarget, mimeType},
#include "decoders/Formats.def"
#undef ORLIKA_FORMAT
#undef ORLIKA_FILE_TYPE
};

// The file types of a format: the lines that follow its row.
constexpr std::span<const FileType> typesOf(std::string_view format)
{
    std::size_t first = 0;
    while (first < std::size(kFileTypes) && kFileTypes[first].format != format)
        ++first;
    std::size_t end = first;
    while (end < std::size(kFileTypes) && kFileTypes[end].format == format)
        ++end;
    return std::span(kFileTypes).subspan(first, end - first);
}

const Format kFormats[] = {
#define ORLIKA_FORMAT(format, filter, text, pattern, kind, reader, nameRank) \
    {#format, FilterIndex(filter), text, pattern, FileKind(kind), {#reader, reader}, nameRank, typesOf(#format)},
#define ORLIKA_FILE_TYPE(...)
#include "decoders/Formats.def"
#undef ORLIKA_FORMAT
#undef ORLIKA_FILE_TYPE
};

template <typename Less>
std::vector<const Format*> formatsSorted(Less less)
{
    std::vector<const Format*> sorted;
    for (const Format& format : kFormats)
        sorted.push_back(&format);
    std::stable_sort(sorted.begin(), sorted.end(), less);
    return sorted;
}

bool holdsExtensionOf(const std::string& upperName, const Format& format)
{
    return std::any_of(format.types.begin(), format.types.end(), [&](const FileType& type) {
        return upperName.find(type.extension) != std::string::npos;
    });
}

} // namespace

std::vector<std::string> Format::patterns() const
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t end; (end = pattern.find(';', from)) != std::string_view::npos; from = end + 1)
        parts.emplace_back(pattern.substr(from, end - from));
    parts.emplace_back(pattern.substr(from));
    return parts;
}

std::span<const Format> formats()
{
    return kFormats;
}

std::vector<const Format*> formatsByFilter()
{
    return formatsSorted([](const Format* a, const Format* b) { return a->filter < b->filter; });
}

const Format* formatOfDialogName(const std::string& path)
{
    const std::string upper = upperCase(path);
    for (const Format& format : kFormats) {
        for (std::string mark : format.patterns()) {
            std::erase(mark, '*');
            std::erase(mark, '?');
            if (upper.find(mark) != std::string::npos)
                return &format;
        }
    }
    return nullptr;
}

const Format* formatOfFilter(FilterIndex filter)
{
    for (const Format& format : kFormats)
        if (format.filter == filter)
            return &format;
    return nullptr;
}

const Reader* readerOfKind(FileKind kind)
{
    for (const Format& format : kFormats)
        if (format.kind == kind)
            return &format.reader;
    return nullptr;
}

const Reader* readerOfName(const std::string& fileName)
{
    static const std::vector<const Format*> byNameRank =
        formatsSorted([](const Format* a, const Format* b) { return a->nameRank < b->nameRank; });
    const std::string upper = upperCase(fileName);
    for (const Format* format : byNameRank)
        if (holdsExtensionOf(upper, *format))
            return &format->reader;
    return nullptr;
}

const Reader* readerNamed(std::string_view name)
{
    for (const Format& format : kFormats)
        if (format.reader.name == name)
            return &format.reader;
    return nullptr;
}

std::vector<std::string> designExtensions()
{
    std::vector<const FileType*> types;
    for (const FileType& type : kFileTypes)
        types.push_back(&type);
    std::stable_sort(types.begin(), types.end(),
                     [](const FileType* a, const FileType* b) { return a->searchRank < b->searchRank; });
    std::vector<std::string> extensions;
    for (const FileType* type : types)
        extensions.emplace_back(type->extension);
    return extensions;
}

std::vector<FuzzTarget> fuzzTargets()
{
    std::vector<FuzzTarget> targets;
    for (const FileType& type : kFileTypes) {
        std::string extension(type.extension.substr(1));
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        const auto same = [&](const FuzzTarget& target) { return target.name == type.fuzzTarget; };
        auto target = std::find_if(targets.begin(), targets.end(), same);
        if (target == targets.end())
            target = targets.insert(targets.end(), FuzzTarget{std::string(type.fuzzTarget), {}});
        target->extensions.push_back(std::move(extension));
    }
    return targets;
}

namespace {

// The dialogs always listed six formats and then the filters that span them; a format
// added since is listed after those, so that no filter a user knew moves.
constexpr int kFirstFormats = 6;

DialogFilter filterOf(const Format& format)
{
    return {format.filter, std::string(format.filterText), format.patterns()};
}

std::vector<DialogFilter> dialogFilters(bool withAllFiles)
{
    std::vector<DialogFilter> filters;
    DialogFilter all{FilterIndex::AllSupported, "All supported formats", {}};
    const std::vector<const Format*> formats = formatsByFilter();
    for (const Format* format : formats) {
        if (int(format->filter) <= kFirstFormats)
            filters.push_back(filterOf(*format));
        const auto patterns = format->patterns();
        all.patterns.insert(all.patterns.end(), patterns.begin(), patterns.end());
    }
    filters.push_back(std::move(all));
    if (withAllFiles)
        filters.push_back({FilterIndex::AllFiles, "All Files", {"*.*"}});
    for (const Format* format : formats)
        if (int(format->filter) > kFirstFormats)
            filters.push_back(filterOf(*format));
    return filters;
}

} // namespace

std::vector<DialogFilter> openDialogFilters()
{
    return dialogFilters(false);
}

std::vector<DialogFilter> listingDialogFilters()
{
    return dialogFilters(true);
}

} // namespace orlika
