// SPDX-License-Identifier: MIT
#include "platform/NameFit.h"

#include "platform/FileSystem.h"

namespace orlika {

namespace {

// Drops the last UTF-8 character of a text.
void dropLastCharacter(std::string& text)
{
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (!text.empty())
        text.pop_back();
}

// The last `count` UTF-8 characters of a text.
std::string lastCharacters(const std::string& text, int count)
{
    std::size_t start = text.size();
    while (start > 0 && count > 0) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80)
            --count;
    }
    return text.substr(start);
}

constexpr int kKeptEnd = 3;

} // namespace

std::string fitName(Canvas& canvas, const std::string& name, int available)
{
    if (canvas.textWidth(name) <= available)
        return name;
    std::string extension = extensionPart(name);
    if (extension.size() > 5)
        extension.clear();
    std::string stem = name.substr(0, name.size() - extension.size());
    const std::string mark = "...";

    // Names of one series share their start and differ at its end (rose_v1, rose_v2):
    // keep the end of the stem, with the extension, where there is room for some start.
    const std::string end = lastCharacters(stem, kKeptEnd);
    if (end.size() < stem.size()) {
        std::string head = stem.substr(0, stem.size() - end.size());
        while (!head.empty() && canvas.textWidth(head + mark + end + extension) > available)
            dropLastCharacter(head);
        if (!head.empty())
            return head + mark + end + extension;
    }
    // The mark stands for the extension's dot too.
    const std::string tail = extension.empty() ? std::string() : extension.substr(1);
    while (!stem.empty() && canvas.textWidth(stem + mark + tail) > available)
        dropLastCharacter(stem);
    return stem + mark + tail;
}

} // namespace orlika
