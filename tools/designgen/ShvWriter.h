// SPDX-License-Identifier: MIT
// Husqvarna Viking SHV files of the project's designs (layout: docs/formats/shv.md).
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// The fixed text every SHV file starts with.
extern const char kShvSignature[];

/// A whole SHV file: signature text, the design's name, a blank 2 x 2 preview, the block
/// records (length in 2-byte units and SHV colour index per colour block, from the design's
/// thread numbers) with the extents block before them, then the stitch stream, y down. Jumps
/// are a long move (`80 01 dx dy`) closed by `80 02`. Colour changes are not in the stream:
/// they follow from the block lengths.
std::vector<std::uint8_t> writeShv(const Design& design);

} // namespace orlika::gen
