// SPDX-License-Identifier: MIT
#include "tools/designgen/VipWriter.h"

#include "tools/designgen/ByteOut.h"
#include "tools/designgen/HusWriter.h"

namespace orlika::gen {

std::vector<std::uint8_t> writeVip(const Design& design, const HusCompressOptions& options)
{
    const HusRecords records = husRecords(design);
    const std::vector<int> colors = threadsInSewingOrder(design);
    const auto n = std::uint32_t(colors.size());
    ByteVector file = husCommonHeader(0x0190FC5Du, records, n);
    putLittleEndian(file, 0x2E + 8 * n, 4);
    std::uint8_t previous = 0;
    for (const int rgb : colors) {
        for (const int shift : {16, 8, 0, -1}) {
            const auto plain = shift < 0 ? std::uint8_t(0) : std::uint8_t(rgb >> shift);
            previous = std::uint8_t(plain ^ previous);
            file.push_back(previous);
        }
    }
    for (std::uint32_t i = 0; i <= n; ++i)
        putLittleEndian(file, 1, 4);
    putLittleEndian(file, 0, 2);
    appendHusSections(file, records, options);
    return file;
}

} // namespace orlika::gen
