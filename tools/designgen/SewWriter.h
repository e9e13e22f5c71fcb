// SPDX-License-Identifier: MIT
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// A whole Janome SEW file: the thread count and list (palette indices, at most 100),
/// zeros up to byte 7544, then the design's stitches as an EXP stream. An empty
/// `threads` takes the design's own thread numbers.
std::vector<std::uint8_t> writeSew(const Design& design, std::vector<std::uint16_t> threads = {});

} // namespace orlika::gen
