// SPDX-License-Identifier: MIT
// The one cell renderer: reads a design with its format's decoder and draws it into a page
// cell by the format's cell rule (its placement, its remark form, its lists), with the
// name line above and the remarks below, on screen and on paper alike.
#pragma once

#include "cell/CellContext.h"
#include "cell/CellRules.h"
#include "decoders/Design.h"

#include <functional>
#include <string>
#include <vector>

namespace orlika {

/// How drawing a design into its cell ended.
struct CellOutcome {
    enum class Kind { Drawn, Rejected, Cancelled, Failed };
    Kind kind = Kind::Drawn;
    std::string error;  // Failed: what ended reading; Rejected: why the reader refused the file
};

/// Where the boxes a design's file raises go, at the moment they are due: before anything
/// of the design is drawn.
using MessageSink = std::function<void(const DesignMessage&)>;

/// A cell's scales and start point, in device pixels, as a placement rule gives them.
struct CellPlacement {
    bool drawn = false;  // a design without a scale draws nothing
    float scaleX = 0;
    float scaleY = 0;
    float startX = 0;    // steps: the first point's place
    float startY = 0;
    int raised = 0;      // pixels the picture stands above the middle line (a flat design's)
};

/// The listed texts in lines: one a line, or entries joined with ", " while the line,
/// probed with the next entry (or with its name alone) as the rule says, is narrower than
/// the limit. Every line holds at least one entry.
std::vector<std::string> wrapList(const std::vector<std::string>& entries, CellRule::ListWrap wrap, int limit,
                                  const std::function<int(const std::string&)>& textWidth);

/// Places a design of the frame into the cell by the rule.
CellPlacement placeInCell(const Placement& rule, const Frame& frame, const CellGeometry& cell);

/// Places a design into the cell by its format's rule: by the placement, and a flat design
/// (drawn less than a pixel high) half a line higher where remarks start on the middle line.
CellPlacement placeInCell(const CellRule& rule, const Frame& frame, const CellGeometry& cell);

/// Reads the design of `file` (at byte 0) with the reader's decoding and draws it into the
/// context's cell by the reader's cell rule; the context's design path names it. Its boxes go to `raise` when they are due. A
/// failed read or a header number that is not a number ends the design with its error
/// cell (what was drawn before stays), and the outcome says why.
CellOutcome drawDesignCell(CellContext& cell, const Reader& reader, DesignFile& file, const MessageSink& raise);

/// The same with a decoder already open on the design's file, of the reader's format.
CellOutcome drawDecodedCell(CellContext& cell, const Reader& reader, DesignDecoder& decoder, const MessageSink& raise);

/// The cell of a design whose reading failed: the pen black, the phase cleared, the name
/// line of `path` in the selection's colour and the message on the middle line.
void writeFailedCell(CellContext& cell, const std::string& path, const std::string& message);

} // namespace orlika
