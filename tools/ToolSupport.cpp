// SPDX-License-Identifier: MIT
#include "tools/ToolSupport.h"

#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orlika::tools {

bool applyLayout(CatalogState& s, const std::string& name)
{
    struct Layout {
        const char* name;
        std::uint16_t columns, rows;
        bool thumbnails, noRemarks;
    };
    static constexpr Layout kLayouts[] = {
        {"standard", 3, 2, false, false}, {"noremarks", 3, 2, false, true}, {"thumb12", 4, 3, true, false},
        {"thumb20", 5, 4, true, false},   {"thumb30", 6, 5, true, false},   {"enlarged", 1, 1, false, false},
    };
    for (const auto& layout : kLayouts) {
        if (name == layout.name) {
            s.PageColumns = layout.columns;
            s.PageRows = layout.rows;
            s.Thumbnails = layout.thumbnails;
            s.NoRemarks = layout.noRemarks;
            return true;
        }
    }
    return false;
}

const char* layoutNames()
{
    return "standard|noremarks|thumb12|thumb20|thumb30|enlarged";
}

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return (unsigned char)text[k]; };
    const unsigned char lead = byte(i);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = (unsigned char)text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c < 0x80) {
            out += char(c);
        } else if (const std::size_t length = utf8Length(text, i)) {
            out.append(text, i, length);
            i += length;
            continue;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        }
        ++i;
    }
    return out + "\"";
}

void useOffscreenPlatformUnlessSet()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt wants a private runtime folder and complains on every start without one.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string folder = "/tmp/runtime-" + std::to_string(getuid());
        if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 0);
    }
}

bool answerHelpOrVersion(int argc, char** argv, const char* program, const std::string& help)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(help.c_str(), stdout);
            return true;
        }
        if (arg == "--version") {
            std::printf("%s %s\n", program, ORLIKA_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace orlika::tools
