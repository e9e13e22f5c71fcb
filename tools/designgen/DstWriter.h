// SPDX-License-Identifier: MIT
#pragma once

#include "tools/designgen/Design.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlika::gen {

/// One DST record for a movement of at most 121 units on each axis.
/// flags: 0x03 stitch, 0x83 jump, 0xC3 colour change, 0xF3 end.
std::array<std::uint8_t, 3> dstRecord(int dx, int dy, std::uint8_t flags);

/// The 512-byte DST header text block.
struct DstHeader {
    std::string label;
    int stitches = 0;
    int colorChanges = 0;
    int plusX = 0, minusX = 0, plusY = 0, minusY = 0;
};
std::vector<std::uint8_t> dstHeaderBlock(const DstHeader& header);

/// A whole DST file: header with extents and counts, records, end record.
std::vector<std::uint8_t> writeDst(const Design& design);

} // namespace orlika::gen
