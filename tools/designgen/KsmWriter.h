// SPDX-License-Identifier: MIT
#pragma once

#include "tools/designgen/Design.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlika::gen {

/// KSM control bytes without their sign bits.
constexpr std::uint8_t kKsmStitch = 0x80;
constexpr std::uint8_t kKsmMove = 0x8B;
constexpr std::uint8_t kKsmColorChange = 0x99;
constexpr std::uint8_t kKsmEnd = 0x88;

/// One KSM record for a movement of at most 255 units on each axis: Y magnitude,
/// X magnitude, and the control byte with 0x40 (negative X) or 0x20 (negative Y) added.
std::array<std::uint8_t, 3> ksmRecord(int dx, int dy, std::uint8_t control);

/// A whole KSM file: a blank 512-byte header, the two start records, the records and
/// the end record. KSM has no jump that ends by itself (a move lasts until the next
/// colour change), so leading jumps are left out (the design starts at its first
/// stitch), jumps that lead to a colour change are written as moves ahead of it, and
/// other jumps as stitches.
std::vector<std::uint8_t> writeKsm(const Design& design);

} // namespace orlika::gen
