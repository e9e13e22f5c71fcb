// SPDX-License-Identifier: MIT
#include "platform/FileSystem.h"

#include <algorithm>
#include <iterator>

namespace orlika {

namespace {

char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::size_t afterLastSeparator(const std::string& path)
{
    // '/' is the only separator here; a ':' is an ordinary character of a Linux name.
    const auto pos = path.find_last_of('/');
    return pos == std::string::npos ? 0 : pos + 1;
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    // As Windows reads it, a pattern ending in ".*" leaves the extension optional, so
    // "*.*" matches every entry, also folders and files without a dot in their name.
    if (pattern.size() >= 2 && pattern.ends_with(".*") && name.find('.') == std::string_view::npos)
        pattern.remove_suffix(2);

    // Iterative match with one backtrack point: linear in practice, never recursive.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string folderPart(const std::string& path)
{
    return path.substr(0, afterLastSeparator(path));
}

std::string namePart(const std::string& path)
{
    return path.substr(afterLastSeparator(path));
}

std::string extensionPart(const std::string& path)
{
    const std::size_t nameStart = afterLastSeparator(path);
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return path.substr(dot);
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), foldCase);
    return text;
}

std::string openFailureText(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::Gone:
        return "gone";
    case OpenFailure::NoPermission:
        return "no permission";
    case OpenFailure::NotAFile:
        return "not a file";
    case OpenFailure::Other:
        break;
    }
    return "cannot be opened";
}

std::vector<std::string> FileSystem::findEntriesMatchingAny(const std::string& folder,
                                                            const std::vector<std::string>& masks)
{
    std::vector<std::string> names;
    for (const std::string& mask : masks) {
        std::vector<std::string> found = findEntries(folder + mask);
        names.insert(names.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return names;
}

} // namespace orlika
