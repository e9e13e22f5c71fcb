// SPDX-License-Identifier: MIT
#include "tools/designgen/SewWriter.h"

#include "tools/designgen/ExpWriter.h"

namespace orlika::gen {

std::vector<std::uint8_t> writeSew(const Design& design, std::vector<std::uint16_t> threads)
{
    if (threads.empty())
        for (const int thread : design.threads)
            threads.push_back(std::uint16_t(thread));
    if (threads.empty())
        threads.push_back(1);
    if (threads.size() > 100)
        threads.resize(100);
    std::vector<std::uint8_t> file(7544, 0);
    file[0] = std::uint8_t(threads.size());
    file[1] = std::uint8_t(threads.size() >> 8);
    for (std::size_t i = 0; i < threads.size(); ++i) {
        file[2 + 2 * i] = std::uint8_t(threads[i]);
        file[3 + 2 * i] = std::uint8_t(threads[i] >> 8);
    }
    const std::vector<std::uint8_t> stitches = writeExp(design);
    file.insert(file.end(), stitches.begin(), stitches.end());
    return file;
}

} // namespace orlika::gen
