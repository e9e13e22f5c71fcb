// SPDX-License-Identifier: MIT
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// A whole Melco EXP file: 2-byte records (signed dx, signed dy, y upward), jumps as
/// 0x80 0x04 and a displacement, colour changes as 0x80 0x01 and a 0, 0 record. The file
/// simply ends; there is no end record.
std::vector<std::uint8_t> writeExp(const Design& design);

} // namespace orlika::gen
