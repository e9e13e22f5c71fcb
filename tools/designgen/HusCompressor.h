// SPDX-License-Identifier: MIT
// The compression of HUS and VIP stitch sections (algorithm: docs/formats/hus.md): LZ matches
// in a 1 KB window, coded with three canonical Huffman tables per block.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orlika::gen {

struct HusCompressOptions {
    /// Codes (literals plus matches) per block, 1..65535; smaller values make several blocks.
    std::uint32_t codesPerBlock = 65535;
    /// Find repeated strings; false writes literals only.
    bool matches = true;
};

/// The compressed form of `data`: a reader that expands `data.size()` bytes gets `data` back.
std::vector<std::uint8_t> husCompress(std::span<const std::uint8_t> data, const HusCompressOptions& options = {});

} // namespace orlika::gen
