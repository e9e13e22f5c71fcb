// SPDX-License-Identifier: MIT
// Singer XXX files of the project's designs (layout: docs/formats/xxx.md).
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// A whole XXX file: the 256-byte header (counts, size, last position, the end record's
/// offset), the records, the end record `7F 7F 02 14`, two zero bytes and one big-endian
/// 0x00RRGGBB per colour block. The design's thread numbers are those RGB values. Stitch
/// pieces keep dx within -127..124 (0x7D..0x7F would start a long move or a command); jumps
/// are `7F 01` records, or one `7D` long move when longer than 127.
std::vector<std::uint8_t> writeXxx(const Design& design);

} // namespace orlika::gen
