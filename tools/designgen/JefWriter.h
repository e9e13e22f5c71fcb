// SPDX-License-Identifier: MIT
// Janome JEF files of the project's designs (layout: docs/formats/jef.md).
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// Header offsets a test or a damaged-file builder needs.
constexpr std::size_t kJefThreadTable = 116;

/// A whole JEF file: header (date fixed, so that samples are reproducible), one thread entry
/// per colour block taken from the design's thread numbers (Janome chart indices 1..78), the
/// stitch stream and its end command. Moves longer than a record are split; jumps are
/// `80 02` records, never of zero length (that would be a trim).
std::vector<std::uint8_t> writeJef(const Design& design);

} // namespace orlika::gen
