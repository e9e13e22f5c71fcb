// SPDX-License-Identifier: MIT
#include "encoders/Profiles.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace orlika {

namespace {

// The hoops are the sewing fields the makers give; the colour changes what the format's
// header can count.
constexpr std::array kProfiles{
    MachineProfile{"brother-4x4", "Brother, 4 x 4 in hoop (100 x 100 mm), PES", "PES", 1, 100, 100, DstTrims::None, 255},
    MachineProfile{"brother-5x7", "Brother 5 x 7 in (130 x 180 mm)", "PES", 1, 130, 180, DstTrims::None, 255},
    MachineProfile{"janome-200x200", "Janome 200 x 200 mm, JEF", "JEF", 0, 200, 200, DstTrims::None, 255},
    MachineProfile{"husqvarna-240x150", "Husqvarna Viking / Pfaff 240 x 150 mm, VP3", "VP3", 0, 240, 150, DstTrims::None, 255},
    MachineProfile{"singer-170x100", "Singer 170 x 100 mm, XXX", "XXX", 0, 170, 100, DstTrims::None, 255},
    MachineProfile{"tajima-400x400", "Tajima DST, 400 x 400 mm", "DST", 0, 400, 400, DstTrims::ThreeJumps, 999},
};

bool sameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const MachineProfile> machineProfiles()
{
    return kProfiles;
}

const MachineProfile* profileNamed(std::string_view keyOrName)
{
    for (const MachineProfile& profile : kProfiles)
        if (sameText(profile.key, keyOrName) || sameText(profile.name, keyOrName))
            return &profile;
    return nullptr;
}

} // namespace orlika
