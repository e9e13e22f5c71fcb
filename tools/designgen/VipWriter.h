// SPDX-License-Identifier: MIT
// Husqvarna Viking / Pfaff VIP files of the project's designs (layout: docs/formats/vip.md).
#pragma once

#include "tools/designgen/Design.h"
#include "tools/designgen/HusCompressor.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// A whole VIP file: signature `5D FC 90 01`, the HUS header fields, the colour section (the
/// design's thread numbers as 0xRRGGBB, one per colour block) and the compressed attributes,
/// x and y as in HUS.
///
/// The colour bytes are chained as VIP chains them (each byte XORed with the previous stored
/// byte), but with an all-zero key: the real key is known only from a library's source, which
/// this project does not take. A reader holding that key reads other colours from these files.
std::vector<std::uint8_t> writeVip(const Design& design, const HusCompressOptions& options = {});

} // namespace orlika::gen
