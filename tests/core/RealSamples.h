// SPDX-License-Identifier: MIT
// Design files written by other programs, found in ORLIKA_REAL_SAMPLES when it exists.
#pragma once

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace orlika::test {

/// The files of the real-samples folder whose upper-cased extension is one of
/// `extensions`, sorted; empty when the folder is absent.
inline std::vector<std::string> realSamples(std::initializer_list<const char*> extensions)
{
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ORLIKA_REAL_SAMPLES, error)) {
        const std::string path = entry.path().string();
        const std::string extension = upperCase(extensionPart(path));
        for (const char* wanted : extensions)
            if (extension == wanted)
                paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

inline std::vector<std::uint8_t> readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace orlika::test
