// SPDX-License-Identifier: MIT
// Husqvarna Viking / Pfaff VIP (docs/formats/vip.md): the HUS header and stitch sections
// (decoders/Hus.h) with a colour section of its own, whose colours are scrambled with a key
// that no public description gives. The decoder reads the threads' number from it and shows
// their colours as unknown: the pen table's colours in order, without names.
#pragma once

#include "decoders/Design.h"

#include <cstddef>
#include <cstdint>

namespace orlika {

namespace hus {
struct Variant;
}

/// Reads Husqvarna Viking VIP designs.
extern const Decoding VIPFormat;

namespace vip {

constexpr std::uint32_t kSignature = 0x0190FC5Du;  // 5D FC 90 01
/// The colours start behind a u32 at offset 42; each takes four bytes.
constexpr std::int64_t kColorsOffset = 46;

/// The colour the pen shows for the design's thread at `position` (0 first): the pen table
/// stepped as a DST design steps it, so that colour blocks stay apart.
Color unknownThreadColor(std::size_t position);

/// VIP's variant of the HUS decoder.
const hus::Variant& variant();

} // namespace vip
} // namespace orlika
