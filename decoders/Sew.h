// SPDX-License-Identifier: MIT
// Janome SEW: a header with the design's thread list (indices into the Janome thread
// palette), then at byte 7544 a stitch stream in the EXP record encoding.
#pragma once

#include "platform/Color.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

class ByteCursor;

namespace sew {

constexpr std::int64_t kStitchOffset = 7544;
constexpr std::size_t kMaxColors = 100;
constexpr std::uint16_t kPaletteSize = 80;

/// The Janome thread palette, indexed 1 to 80 by a colour index of the list, pairings
/// exactly as the machines' charts hold them (several names repeat; many entries are
/// "Undefined"). Index 0 lies outside the palette: a file that stores it (or a multiple
/// of 80, after the reduction) shows "Undefined" and draws in black, so its stitches
/// stay visible on the white page.
extern const std::array<std::string_view, kPaletteSize + 1> SewThreadNames;
extern const std::array<Color, kPaletteSize + 1> SewThreadColors;

std::string_view threadName(std::uint16_t index);
Color threadColor(std::uint16_t index);

/// The header's thread list, at most 100 entries.
struct ColorList {
    std::array<std::uint16_t, kMaxColors> entries{};
    std::size_t count = 0;

    std::span<const std::uint16_t> used() const { return std::span(entries).first(count); }
};

enum class HeaderStatus { Ok, ColorsReduced, UnknownFormat };

/// Reads the header from byte 0: the 2-byte count and then the list. A count above 100,
/// or a file too short to hold its count, is an unknown format. A file that ends inside
/// its list keeps the entries it holds whole. Entries above 79 are reduced modulo 80
/// (ColorsReduced).
HeaderStatus parseHeader(ByteCursor& cursor, ColorList& list);

/// "1. Black": the 1-based list position, ". " and the thread's name.
std::string entryText(std::size_t position, std::uint16_t index);

/// Whether the EXP reader reads a design of this name as SEW: its extension is .SEW in
/// any case.
bool namedSew(const std::string& path);

} // namespace sew
} // namespace orlika
