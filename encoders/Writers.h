// SPDX-License-Identifier: MIT
// The writer of each format: each in its own file, listed in Encoders.cpp.
#pragma once

#include "encoders/Encoder.h"

#include <array>
#include <cstdint>

namespace orlika::writers {

void writeDst(const WriteInput& input, NeedleStream& needles, ByteSink& out);
/// One DST record: a step of at most 121 units on each axis (y up) and the flags of its
/// third byte (0x03 stitch, 0x83 jump, 0xC3 colour change, 0xF3 end).
std::array<std::uint8_t, 3> dstRecord(int dx, int dy, std::uint8_t flags);
void writeExp(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePec(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePes1(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePes6(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeJef(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeVp3(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeXxx(const WriteInput& input, NeedleStream& needles, ByteSink& out);

} // namespace orlika::writers
