// SPDX-License-Identifier: MIT
// Husqvarna Viking HUS files of the project's designs (layout: docs/formats/hus.md), and the
// stitch records HUS and VIP share.
#pragma once

#include "tools/designgen/Design.h"
#include "tools/designgen/HusCompressor.h"

#include <cstdint>
#include <vector>

namespace orlika::gen {

/// Record attributes.
constexpr std::uint8_t kHusStitch = 0x80;
constexpr std::uint8_t kHusJump = 0x81;
constexpr std::uint8_t kHusColorChange = 0x84;
constexpr std::uint8_t kHusTrim = 0x88;
constexpr std::uint8_t kHusEnd = 0x90;

/// The three arrays HUS and VIP compress, one byte per record, the end record included; x and
/// y are signed displacements, y up. Extents are those of the positions reached.
struct HusRecords {
    std::vector<std::uint8_t> attributes, xs, ys;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};
HusRecords husRecords(const Design& design);

/// The header fields both formats share (offsets 0..41), the three section offsets left at 0.
std::vector<std::uint8_t> husCommonHeader(std::uint32_t signature, const HusRecords& records, std::uint32_t colors);
/// Appends the three compressed sections and writes their offsets into the header.
void appendHusSections(std::vector<std::uint8_t>& file, const HusRecords& records, const HusCompressOptions& options);

/// A whole HUS file: signature `5B AF C8 00`, the colour list (the design's thread numbers, HUS
/// colour table indices, one per colour block), the compressed attributes, x and y.
std::vector<std::uint8_t> writeHus(const Design& design, const HusCompressOptions& options = {});

} // namespace orlika::gen
