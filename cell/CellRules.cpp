// SPDX-License-Identifier: MIT
#include "cell/CellRules.h"

#include <stdexcept>
#include <string>

namespace orlika {

namespace {

struct NamedRule {
    std::string_view reader;
    CellRule rule;
};

// The formats' cells, by the reader routine each registry row names.
constexpr NamedRule kRules[] = {
    // The header's extents place the design where they hold its stitches, else the
    // stitches' own: the left and lower extents put the start point into the cell. The
    // picture is drawn with the x scale on both axes; the remarks start a line lower.
    {"TajimaFormat",
     {.placement = {.scale = Placement::Scale::LargerSide, .factor = 0.5, .stepsByWidthScale = true},
      .remarkForm = ShortRemarks::FourLines,
      .remarksBelowMiddleLine = true}},
    // One scale for both axes, the lowest point on the middle line; the pen starts 1 wide
    // in the first thread's colour. The name line comes before the pen turns black.
    {"PESFormat",
     {.placement = {.scale = Placement::Scale::SmallerOfSides,
                    .factor = 0.5,
                    .pointsDrawnUnscaled = true,
                    .start = Placement::Start::WidthColorThenMove},
      .remarkForm = ShortRemarks::TwoLines,
      .listWrap = CellRule::ListWrap::JoinedByEntry,
      .blackAfterName = true,
      // The refused file's text a little above the middle line.
      .rejected = {.place = ErrorPlace::AboveMiddleLine}}},
    // Each axis with its own scale: the picture stretches with a cell that is not square.
    // The remarks say "Colors Changes"; the note follows them.
    {"PCDesignerFormat",
     {.placement = {.scale = Placement::Scale::LargerSide,
                    .factor = 0.5,
                    .extentOfPoint = 1200},  // a point-like design
      .remarkForm = ShortRemarks::TwoLines,
      .colorLabel = "Colors Changes: ",
      .listWrap = CellRule::ListWrap::OneALine,
      .readingPhase = true,
      .cancellable = true,
      .rejected = {.blackPenFirst = true}}},
    // One scale for both axes from 0.6 of the cell; the lowest-left extent on the anchor.
    {"KSMFormat",
     {.placement = {.scale = Placement::Scale::SmallerOfSides, .factor = 0.6, .start = Placement::Start::MoveThenBlack},
      .remarkForm = ShortRemarks::ThreeLines,
      .readingPhase = true,
      .rejected = {.selectionColor = true, .clearsPhase = true}}},
    // One scale for both axes from half the cell, the lowest-left extent on the anchor; the
    // pen starts in the first colour. SEW designs, read by the same reader, list their
    // threads below the remarks.
    {"EXPFormat",
     {.placement = {.scale = Placement::Scale::SmallerOfSides, .factor = 0.5, .start = Placement::Start::ColorThenMove},
      .remarkForm = ShortRemarks::ThreeLines,
      .listWrap = CellRule::ListWrap::JoinedByName,
      .readingPhase = true,
      // Only SEW files are refused, their text a little above the middle line.
      .rejected = {.place = ErrorPlace::AboveMiddleLine}}},
    {"JEFFormat", threadedFormatCell()},
    {"VP3Format", threadedFormatCell()},
    {"XXXFormat", threadedFormatCell()},
    {"HUSFormat", threadedFormatCell()},
    {"VIPFormat", threadedFormatCell()},
    {"SHVFormat", threadedFormatCell()},
};

} // namespace

const CellRule* cellRuleNamed(std::string_view readerName)
{
    for (const NamedRule& named : kRules)
        if (named.reader == readerName)
            return &named.rule;
    return nullptr;
}

const CellRule& cellRuleOf(const Reader& reader)
{
    if (const CellRule* rule = cellRuleNamed(reader.name))
        return *rule;
    // A registry row without a cell rule is a fault of the build, which the cell tests catch.
    throw std::logic_error("no cell rule for the reader " + std::string(reader.name));
}

} // namespace orlika
