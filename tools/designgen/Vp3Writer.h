// SPDX-License-Identifier: MIT
// Husqvarna Viking / Pfaff VP3 files of the project's designs (layout: docs/formats/vp3.md).
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlika::gen {

/// A thread as a VP3 thread packet carries it.
struct Vp3Thread {
    std::uint32_t rgb = 0;  // 0xRRGGBB
    std::string catalogNumber;
    std::string name;
    std::string brand;
};

/// A whole VP3 file: signature, summary and hoop packets, one thread packet per colour block.
/// The design's thread numbers index `threads`. Each block starts at the position where the
/// previous one ended (its start in the packet, y up, micrometres); jumps are written as a trim
/// followed by a long displacement (`80 03`, `80 01 dx dy`, `80 02`), stitch displacements y
/// down.
std::vector<std::uint8_t> writeVp3(const Design& design, const std::vector<Vp3Thread>& threads);

} // namespace orlika::gen
