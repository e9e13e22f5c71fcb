// SPDX-License-Identifier: MIT
#include "decoders/Exp.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"

#include <cstdio>

namespace orlika::test {
namespace {

// Records as they lie in the file: pairs of (dx, dy) signed bytes, or 0x80 and a code.
Bytes records(std::initializer_list<int> bytes)
{
    Bytes out;
    for (const int b : bytes)
        out.push_back(std::uint8_t(b));
    return out;
}

TEST(ExpRecords, ColourCodesNameAnEntryOrStepThePosition)
{
    EXPECT_EQ(exp::nextColor(1, 0x03).entry, 3);
    EXPECT_EQ(exp::nextColor(1, 0x03).position, 1);
    EXPECT_EQ(exp::nextColor(1, 0x12).entry, 2);
    EXPECT_EQ(exp::nextColor(1, 0x14).entry, 4);
    EXPECT_EQ(exp::nextColor(5, 0x1F).entry, 15);
    EXPECT_EQ(exp::nextColor(1, 0x01).entry, 2);
    EXPECT_EQ(exp::nextColor(1, 0x11).entry, 2);
    EXPECT_EQ(exp::nextColor(1, 0x90).entry, 2);  // -112: remainder 0
    EXPECT_EQ(exp::nextColor(1, 0xF3).entry, 2);  // -13: remainder -13
    EXPECT_EQ(exp::nextColor(1, 0xF3).position, 2);
    EXPECT_EQ(exp::nextColor(15, 0x01).entry, 16);
    EXPECT_EQ(exp::nextColor(16, 0x01).entry, 0);
    EXPECT_EQ(exp::nextColor(0, 0x01).entry, 1);
}

// The sizing pass on the file's bytes alone.
exp::Figures measured(const Bytes& file)
{
    MemoryFile memory(file);
    std::array<std::uint8_t, 1000> buffer{};
    ByteCursor cursor(memory, buffer);
    return exp::measure(cursor, 0);
}

TEST(ExpSizing, DisplacementsAfterTheFirstBlocksLeadingJumpsTravelNowhereButCount)
{
    const auto jumpsIn = [](const Bytes& bytes) { return exp::leadingJumps(RecordBlock<2>(bytes)); };
    EXPECT_EQ(jumpsIn(records({0x80, 0x02, 5, 5, 0x80, 0x04, 7, 7, 1, 1, 0x80, 0x04, 9, 9})), 2u);
    EXPECT_EQ(jumpsIn(records({0x80, 0x04, 5, 5, 0x80, 0x04})), 1u);  // nothing after the block is touched
    EXPECT_EQ(jumpsIn(records({0x80, 0x01, 5, 5})), 0u);

    const exp::Figures lead = measured(records({0x80, 0x04, 50, 50, 0x80, 0x02, 10, 10, 10, 0, 0, 10}));
    EXPECT_EQ(lead.stitches, 6);
    EXPECT_EQ(lead.colorChanges, 0);
    EXPECT_EQ(lead.extents.maxX, 10.0f);
    EXPECT_EQ(lead.extents.maxY, 10.0f);
    // 250 jump pairs fill the first 1000-byte block; the jump that opens the second keeps
    // its displacement.
    const exp::Figures blocks = measured(repeat(records({0x80, 0x04, 0x7F, 0x7F}), 250) + records({0x80, 0x04, 10, 0, 10, 0}));
    EXPECT_EQ(blocks.stitches, 503);
    EXPECT_EQ(blocks.extents.maxX, 20.0f);
}

TEST(ExpSizing, EndRecordsOddLengthsAndStreamsWithoutMovement)
{
    const exp::Figures end = measured(records({10, 0, 0x80, 0x01, 0x80, 0x10, 0x7F, 0x7F, 0x80, 0x01}));
    EXPECT_EQ(end.stitches, 1);
    EXPECT_EQ(end.colorChanges, 1);
    EXPECT_EQ(end.extents.maxX, 10.0f);
    EXPECT_EQ(measured(records({10, 0, 0x7F})).stitches, 1);  // the odd last byte is dropped
    // No ordinary record: the origin, sized 0 x 0, not the start values' difference.
    const exp::Figures controls = measured(records({0x80, 0x01, 0x80, 0x04}));
    EXPECT_EQ(controls.stitches, 1);
    EXPECT_EQ(controls.extents.width(), 0.0);
    EXPECT_EQ(controls.extents.height(), 0.0);
}

using ExpReader = CatalogFixture;

TEST_F(ExpReader, LeadingJumpsAreZeroedButStillCounted)
{
    decode("lead.exp", records({0x80, 0x04, 50, 50, 0x80, 0x02, 10, 10, 10, 0, 0, 10}));
    // W = H = 10: s = min(286 / 10, 240 / 10) x 0.5 = 12.
    const std::vector<std::string> expected = {"PenColor 0x000000", "MoveTo 72 204", "MoveTo 72 204",
                                               "MoveTo 72 204",     "LineTo 192 204", "LineTo 192 84",
                                               "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    const std::vector<std::string> texts = {"lead.exp", "Stitches: 6, Size: 1.0 x 1.0 mm", "Size: 0.04 x 0.04 In.",
                                            "Color Changes: 0"};
    EXPECT_EQ(canvas.texts, texts);
    EXPECT_EQ(canvas.linesStarting("TextOut")[1], "TextOut 72 204 \"Stitches: 6, Size: 1.0 x 1.0 mm\"");
}

TEST_F(ExpReader, OnlyTheFirstBlockOfEachPassHasALeadIn)
{
    // 250 jump pairs fill the first 1000-byte block; the jump that opens the second
    // block keeps its displacement.
    decode("blocks.exp", repeat(records({0x80, 0x04, 0x7F, 0x7F}), 250) + records({0x80, 0x04, 10, 0, 10, 0}));
    EXPECT_EQ(s.MaxX, 20.0f);
    EXPECT_EQ(canvas.texts[1], "Stitches: 503, Size: 2.0 x 0.0 mm");
    // s = 286 / 20 x 0.5 = 7.15. The flat design stands half a line (4) above the middle
    // line, where its remarks start.
    const auto drawn = drawingCalls(canvas.log);
    ASSERT_EQ(drawn.size(), 255u);
    EXPECT_EQ(drawn[251], "MoveTo 72 200");
    EXPECT_EQ(drawn[252], "MoveTo 144 200");  // 143.5, half to even
    EXPECT_EQ(drawn[253], "LineTo 215 200");
}

TEST_F(ExpReader, ColourChangeBeforeTheFirstMovementDrawsFromTheStartInTheNewColour)
{
    decode("first.exp", records({0x80, 0x01, 10, 0}));
    const std::vector<std::string> expected = {"PenColor 0x000000", "MoveTo 72 200", penLine(s.ColorTable[2]),
                                               "LineTo 215 200", "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 1");
}

TEST_F(ExpReader, CodeOneStepsThePositionAndWrapsAfterSixteen)
{
    decode("ones.exp", records({10, 10}) + repeat(records({0x80, 0x01}), 17));
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_EQ(pens.size(), 19u);
    for (std::size_t change = 1; change <= 15; ++change)
        EXPECT_EQ(pens[change], penLine(s.ColorTable[change + 1]));
    EXPECT_EQ(pens[16], penLine(s.ColorTable[0]));
    EXPECT_EQ(pens[17], penLine(s.ColorTable[1]));
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 17");
}

TEST_F(ExpReader, CodesNameEntriesDirectlyOrAdvanceByTheirSignedRemainder)
{
    decode("codes.exp", records({10, 10, 0x80, 0x03, 0x80, 0x01, 0x80, 0x11, 0x80, 0x90, 0x80, 0x12, 0x80, 0x14,
                                 0x80, 0x11}));
    const std::vector<std::string> expected = {
        "PenColor 0x000000",     "MoveTo 72 204",         "LineTo 192 84",
        penLine(s.ColorTable[3]),  // 0x03 names entry 3; the position stays 1
        penLine(s.ColorTable[2]),  // 0x01: position 2
        penLine(s.ColorTable[3]),  // 0x11: remainder 1, position 3
        penLine(s.ColorTable[4]),  // 0x90: remainder 0, position 4
        penLine(s.ColorTable[2]),  // 0x12 names entry 2
        penLine(s.ColorTable[4]),  // 0x14 names entry 4
        penLine(s.ColorTable[5]),  // 0x11: position 5
        "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 7");
}

TEST_F(ExpReader, JumpsLiftThePenUntilTheNextRecordOrAColourChange)
{
    decode("jumps.exp", records({10, 0, 0x80, 0x04, 10, 0, 10, 0, 0x80, 0x02, 0x80, 0x05, 10, 0}));
    // W = 40: s = 3.575. A colour change after a jump puts the pen down again. Flat, the
    // design stands half a line above the middle line.
    const std::vector<std::string> expected = {"PenColor 0x000000", "MoveTo 72 200",  "LineTo 108 200",
                                               "MoveTo 144 200",    "LineTo 179 200", penLine(s.ColorTable[5]),
                                               "LineTo 215 200",    "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    EXPECT_EQ(canvas.texts[1], "Stitches: 6, Size: 4.0 x 0.0 mm");
}

TEST_F(ExpReader, EndRecordStopsBothPassesAndOddLengthDropsTheLastByte)
{
    decode("end.exp", records({10, 0, 0x80, 0x10, 0x7F, 0x7F, 0x80, 0x01}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 1.0 x 0.0 mm");
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 0");
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 1u);

    decode("odd.exp", records({10, 0, 0x7F}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 1.0 x 0.0 mm");
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 1u);
}

TEST_F(ExpReader, StreamsWithoutMovementShowZeroSizesAndDrawNothing)
{
    decode("controls.exp", records({0x80, 0x01, 0x80, 0x04}));
    const std::vector<std::string> texts = {"controls.exp", "Stitches: 1, Size: 0.0 x 0.0 mm",
                                            "Size: 0.00 x 0.00 In.", "Color Changes: 1"};
    EXPECT_EQ(canvas.texts, texts);
    EXPECT_EQ(s.MaxX, 0.0f);
    EXPECT_TRUE(canvas.linesStarting("MoveTo").empty());

    decode("empty.exp", {});
    EXPECT_EQ(canvas.texts[1], "Stitches: 0, Size: 0.0 x 0.0 mm");

    // A vertical run takes the height's factor: 240 / 10 x 0.5 = 12.
    decode("column.exp", records({0, 10}));
    EXPECT_EQ(drawingCalls(canvas.log)[2], "LineTo 72 84");
}

TEST_F(ExpReader, TwelveCellsGiveFourLinesAndTwentyNone)
{
    const Bytes file = records({20, 30});
    decode("r.exp", file, Layout::Thumb12);
    const std::vector<std::string> four = {"r.exp", "Stitches: 1", "Size: 2.0 x 3.0 mm", "Size: 0.08 x 0.12 In.",
                                           "Color Changes: 0"};
    EXPECT_EQ(canvas.texts, four);
    decode("r.exp", file, Layout::Thumb20);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"r.exp"});
    EXPECT_FALSE(canvas.linesStarting("LineTo").empty());
    decode("r.exp", file, Layout::NoRemarks);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"r.exp"});
}

TEST_F(ExpReader, SelectedNameIsRedAndStatusEndsEmpty)
{
    s.SelectedList.add("sel.exp");
    decode("sel.exp", records({10, 10}));
    EXPECT_EQ(canvas.linesStarting("FontColor"),
              (std::vector<std::string>{"FontColor 0x0000FF", "FontColor 0x000000"}));
    const std::vector<std::string> phases = {"Phase \"Reading\"", "Phase \"Drawing\"", "Phase \"\""};
    std::vector<std::string> seen;
    for (const auto& line : host.log)
        if (line.rfind("Phase ", 0) == 0)
            seen.push_back(line);
    EXPECT_EQ(seen, phases);
}

} // namespace
} // namespace orlika::test
