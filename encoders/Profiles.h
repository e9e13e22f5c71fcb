// SPDX-License-Identifier: MIT
// The machines a design is converted for: the format each reads, the hoop it sews in and
// what its files may hold, named as a user knows the machine.
#pragma once

#include "encoders/Encoder.h"

#include <span>
#include <string_view>

namespace orlika {

struct MachineProfile {
    std::string_view key;        // for the command line: "brother-4x4"
    std::string_view name;       // for the window: "Brother, 4 x 4 in hoop (100 x 100 mm), PES"
    std::string_view extension;  // the format written
    int version = 0;             // the format's version, where it has several
    int hoopWidthMm = 0;         // the sewing field; 0: any size
    int hoopHeightMm = 0;
    DstTrims dstTrims = DstTrims::ThreeJumps;
    int mostColorChanges = 0;    // 0: as many as the format holds
};

std::span<const MachineProfile> machineProfiles();
/// The profile with the key or the name (letters in any case); null when there is none.
const MachineProfile* profileNamed(std::string_view keyOrName);

} // namespace orlika
