// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Canvas.h"

#include <string>

namespace orlika {

/// The name as it fits in `available` pixels of the canvas's font: whole; or its start,
/// "...", the last characters before the extension and the extension
/// ("Long_na..._v2.dst"), so that names of one series stay apart; where that leaves no
/// room for the start, the start with "..." and the extension ("Lo...dst"). A long
/// name never runs into the next column or cell and still tells the design's kind.
std::string fitName(Canvas& canvas, const std::string& name, int available);

} // namespace orlika
