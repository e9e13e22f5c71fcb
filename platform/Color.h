// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace orlika {

// A colour as the windowing system held it: 0x00BBGGRR, red in the low byte.
// A top byte of 0x02 marks a palette-relative colour; it is ignored when drawn.
using Color = std::uint32_t;

constexpr Color rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}

constexpr std::uint8_t redOf(Color c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t greenOf(Color c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t blueOf(Color c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr Color Black = 0x000000;
constexpr Color Red = 0x0000FF;
constexpr Color White = 0xFFFFFF;

} // namespace orlika
