// SPDX-License-Identifier: MIT
// The writer of each format: each in its own file, listed in Encoders.cpp.
#pragma once

#include "encoders/Encoder.h"

namespace orlika::writers {

void writeDst(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeExp(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePec(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePes1(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writePes6(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeJef(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeVp3(const WriteInput& input, NeedleStream& needles, ByteSink& out);
void writeXxx(const WriteInput& input, NeedleStream& needles, ByteSink& out);

} // namespace orlika::writers
