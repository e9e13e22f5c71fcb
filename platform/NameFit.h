// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Canvas.h"

#include <string>

namespace orlika {

/// The name as it fits in `available` pixels of the canvas's font: whole, or its start
/// with "..." and its extension ("Long_na...dst"), so a long name never runs into the
/// next column or cell and still tells the design's kind.
std::string fitName(Canvas& canvas, const std::string& name, int available);

} // namespace orlika
