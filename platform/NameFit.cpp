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
    // The mark stands for the extension's dot too.
    const std::string tail = extension.empty() ? std::string() : extension.substr(1);
    while (!stem.empty() && canvas.textWidth(stem + mark + tail) > available)
        dropLastCharacter(stem);
    return stem + mark + tail;
}

} // namespace orlika
