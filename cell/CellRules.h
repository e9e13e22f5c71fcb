// SPDX-License-Identifier: MIT
// Each format's cell rule: how a design is placed in a page cell and how its cell's texts
// are laid out, as data that the one cell renderer follows. The decoders say only what
// they read from the file; how that looks in a cell is decided here, in one table.
#pragma once

#include "decoders/Registry.h"

#include <cstdint>
#include <string_view>

namespace orlika {

/// How a page of fewer than 12 cells writes the remarks: all four lines, or joined into
/// two ("Stitches: ..., Size: ... mm" and "... Changes: ..., Size: ... In.") or three
/// ("Stitches: ..., Size: ... mm", the inches, the colour changes).
enum class ShortRemarks { FourLines, TwoLines, ThreeLines };

/// Where an error text stands: on the middle line, or 2.2 heights of "B" above it.
enum class ErrorPlace { MiddleLine, AboveMiddleLine };

/// How the cell of a file its reader refuses looks; the text is the decoder's.
struct RejectedCell {
    ErrorPlace place = ErrorPlace::MiddleLine;
    bool selectionColor = false;  // the name line takes the selection's colour
    bool blackPenFirst = false;   // the pen turns black before the name line
    bool clearsPhase = false;     // the phase label is cleared afterwards
};

/// How a format's placement rule puts its designs into a cell. Whether the movements are
/// points or steps and which way their y grows is the decoding's (`MovementForm`).
struct Placement {
    enum class Scale : std::uint8_t {
        // sx = cell width / E x factor and sy = cell height / E x factor, E the larger of
        // the frame's width and height
        LargerSide,
        // one factor for both axes: the smaller of cell width / width x factor and cell
        // height / height x factor; a flat design takes its one side's
        SmallerOfSides,
    };
    Scale scale = Scale::SmallerOfSides;
    double factor = 0.5;
    /// LargerSide: the E of a design without extent; 0: such a design draws nothing.
    double extentOfPoint = 0;
    /// SmallerOfSides: a design without width and height is drawn at scale 0 (else not at all).
    bool pointsDrawnUnscaled = false;
    /// Both axes of a step take the width's scale; the height's only places the start.
    bool stepsByWidthScale = false;
    /// What the pen does before the first movement.
    enum class Start : std::uint8_t {
        Nothing,            // the first movement is a Move
        MoveThenBlack,      // to the start point, then the pen black
        ColorThenMove,      // the design's first colour, then to the start point
        WidthColorThenMove, // the pen 1 wide in the first colour, then to the start point
    };
    Start start = Start::Nothing;
};

/// A format's cell rule: its placement and how its cell's texts are laid out.
struct CellRule {
    Placement placement;
    ShortRemarks remarkForm = ShortRemarks::FourLines;
    /// The remarks start a line below the middle line (else on it).
    bool remarksBelowMiddleLine = false;
    std::string_view colorLabel = "Color Changes: ";
    /// How the listed texts wrap: one a line, or entries joined with ", " while the line,
    /// followed by ", " and the next entry (or by the next entry's name alone), fits.
    enum class ListWrap : std::uint8_t { OneALine, JoinedByEntry, JoinedByName };
    ListWrap listWrap = ListWrap::JoinedByEntry;
    /// The pen turns black after the name line (else before it).
    bool blackAfterName = false;
    /// "Reading" shows while the design is measured.
    bool readingPhase = false;
    /// The user's cancel stops the design before it is measured, and after it is drawn.
    bool cancellable = false;
    /// The cell of a file the reader refuses.
    RejectedCell rejected{};
};

/// The cell of the formats that carry their threads (JEF, VP3, XXX, HUS, VIP, SHV): one
/// scale for both axes from half the cell, the extents' lowest-left corner on the anchor,
/// the pen starting in the first thread's colour, steps as the file stores them, three
/// remark lines and the threads joined a name at a time; a refused file's text on the
/// middle line under its name in the selection's colour.
constexpr CellRule threadedFormatCell()
{
    return CellRule{
        .placement = {.scale = Placement::Scale::SmallerOfSides,
                      .factor = 0.5,
                      .start = Placement::Start::ColorThenMove},
        .remarkForm = ShortRemarks::ThreeLines,
        .colorLabel = "Color Changes: ",
        .listWrap = CellRule::ListWrap::JoinedByEntry,
        .blackAfterName = false,
        .readingPhase = true,
        .cancellable = false,
        .rejected = {.place = ErrorPlace::MiddleLine, .selectionColor = true},
    };
}

/// The cell rule of a reader's designs, by the reader's routine name; null for a name
/// without one.
const CellRule* cellRuleNamed(std::string_view readerName);

/// The cell rule of a reader's designs. Every reader of the registry has one.
const CellRule& cellRuleOf(const Reader& reader);

} // namespace orlika
