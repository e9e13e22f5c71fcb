// SPDX-License-Identifier: MIT
// The proof of a written file: the needle path read back from it by the program's own
// reader must be the path that was meant to be written. Both are compared as sewn, from
// the first stitch to the last: every stitch's point (placed from the first stitch) and
// thread colour where the format keeps one, the travel between stitches (where it ends,
// however many jumps it took), the trims where the format keeps them and each colour
// change. A stitch that does not move lays no thread and is passed over.
#pragma once

#include "encoders/Needles.h"

#include <optional>
#include <span>
#include <string>

namespace orlika {

struct ProofRules {
    bool trims = false;   // the format keeps trims
    bool colors = false;  // the format keeps each block's colour
    /// Where the reader takes a short travel for a stitch: both paths are compared so.
    bool (*travelReadsAsStitch)(std::int32_t dx, std::int32_t dy) = nullptr;
};

/// The first difference between the path meant and the path written, as a phrase ("stitch
/// 1,203 is at 12.0, 4.5 mm, not at 12.1, 4.5 mm"); nothing when they are the same.
/// `blockColors` are the colours the blocks were written in, `writtenFirst` the colour
/// the written file starts in.
std::optional<std::string> firstDifference(NeedleStream& meant, NeedleStream& written, std::span<const Color> blockColors,
                                           Color writtenFirst, const ProofRules& rules);

} // namespace orlika
