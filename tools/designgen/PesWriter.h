// SPDX-License-Identifier: MIT
// Brother PEC and PES files of the project's own designs, and the pieces tests build
// odd files from.
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlika::gen {

using Bytes = std::vector<std::uint8_t>;

/// Long-form flag bits of a movement part.
constexpr std::uint8_t kPecJump = 0x20;
constexpr std::uint8_t kPecTrim = 0x10;

/// One movement part: the short form for -64..63 unless forceLong, else the long form
/// (-2048..2047) with the flag bits.
void appendPecPart(Bytes& out, int value, bool forceLong = false, std::uint8_t flags = 0);
/// A colour change: 0xFE, 0xB0 and a byte that alternates 2, 1, 2...
void appendPecColorChange(Bytes& out, int changeNumber);
/// The end of the stream: 0xFF, 0x00.
void appendPecEnd(Bytes& out);

/// The stitch stream of a design (y turned to grow downward), ended by the end item.
/// Stitches stay lines (parts within -254..254); jumps are long parts with the jump flag.
Bytes pecStitchStream(const Design& design);
/// The design's colour list in sewing order: its first thread, then one entry per change.
std::vector<std::uint8_t> pecThreadList(const Design& design);

/// A PEC section: label, colour list (1 to 256 raw indices), sizes, the stream (taken
/// as it is, with L set so that the stream is read exactly) and blank thumbnails.
Bytes pecSection(const std::string& label, const std::vector<std::uint8_t>& threads, const Bytes& stream,
                 int width, int height);
/// A PEC file: "#PEC0001" and the section.
Bytes pecFile(const Bytes& section);
/// A PES file: "#PES0001", the section's offset, a blank description up to it, the section.
/// The offset is at least 12.
Bytes pesFile(const Bytes& section, std::uint32_t pecOffset = 22);

/// Whole files of a design.
Bytes writePec(const Design& design);
Bytes writePes(const Design& design);

} // namespace orlika::gen
