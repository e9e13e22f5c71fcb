// SPDX-License-Identifier: MIT
// A design of the project's own written by the program's writers, as a user's design is
// written when it is converted: the bundled samples of the formats ORLIKA writes.
#pragma once

#include "encoders/Encoder.h"
#include "tools/designgen/Design.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orlika::gen {

/// The design's file in the format of the writer with the extension and version, its
/// blocks sewn in `threads` (one for each block; the last is repeated for blocks beyond).
std::vector<std::uint8_t> encodeDesign(const Design& design, std::string_view extension, int version,
                                       std::vector<BlockThread> threads, std::string_view label);

} // namespace orlika::gen
