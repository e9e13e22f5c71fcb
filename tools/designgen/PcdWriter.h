// SPDX-License-Identifier: MIT
#pragma once

#include "tools/designgen/Design.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orlika::gen {

/// One 9-byte PCD record: X and Y in 1/256 design units (1/6 mm), then the type
/// (0 stitch, 3 colour change with the table entry in X and Y = 0, 5 jump).
std::array<std::uint8_t, 9> pcdRecord(std::int32_t x, std::int32_t y, std::uint8_t type);

struct PcdOptions {
    std::uint8_t tableByte = 3;         // a colour table follows the header when above 1
    std::vector<std::uint32_t> colors;  // table entries, 0x00BBGGRR
    std::string note;                   // text after the stitch data (the reader takes 254 bytes)
};

/// A whole PCD/PCQ/PCS file: the header, a colour change to entry 0, the design's steps
/// (its 0.1 mm units turned into 1/6 mm), the unused byte and the note. Colour changes
/// select table entry `thread`. Throws std::length_error above 65535 stitches and jumps,
/// which the 16-bit stitch count cannot hold.
std::vector<std::uint8_t> writePcd(const Design& design, const PcdOptions& options);

} // namespace orlika::gen
