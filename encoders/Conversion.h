// SPDX-License-Identifier: MIT
// One design converted for a machine: read by its format's reader, cut to the target's
// records, written to a temporary file beside the destination, read back by the target's
// own reader and compared with what was meant, and only then given its name. A design
// that does not fit the hoop, a file that does not read back the same or an existing name
// writes nothing; the source is never changed.
#pragma once

#include "encoders/Encoder.h"
#include "encoders/Profiles.h"
#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace orlika {

struct ConversionTarget {
    const Encoder* encoder = nullptr;
    int hoopWidthMm = 0;       // 0: any size
    int hoopHeightMm = 0;
    int mostColorChanges = 0;  // 0: as many as the format holds
    DstTrims dstTrims = DstTrims::ThreeJumps;
    bool turn = false;         // a quarter turn clockwise before writing
};

/// The target a machine profile stands for; its encoder is null when none writes the
/// profile's format.
ConversionTarget targetOf(const MachineProfile& profile);

/// What is done when the destination's name is taken.
enum class NameClash : std::uint8_t { Keep, Replace };

struct ConversionOutcome {
    bool written = false;
    std::string destination;            // the file written, or that would have been
    std::string problem;                // why nothing was written
    bool fitsTurned = false;            // too large for the hoop, but fits turned a quarter
    bool nameTaken = false;             // not written because the destination exists
    std::vector<std::string> remarks;   // threads matched far from their colours
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
};

/// The name a design takes in the target's format: its own with the format's extension,
/// in the case its extension had.
std::string convertedName(const std::string& sourceName, const Encoder& encoder);

/// Converts the design at `source` (read through `files`, so that designs in archives
/// convert too) into `folder`, which exists.
ConversionOutcome convertDesign(const std::string& source, FileSystem& files, const std::string& folder,
                                const ConversionTarget& target, NameClash clash = NameClash::Keep);

} // namespace orlika
