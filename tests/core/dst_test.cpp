// SPDX-License-Identifier: MIT
#include "decoders/Dst.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"
#include "tools/designgen/DstWriter.h"

#include <algorithm>

namespace orlika::test {
namespace {

// A header block whose text is given as-is (terminated by 0x1A and padded with spaces).
Bytes headerText(const std::string& text)
{
    Bytes block(512, ' ');
    std::copy(text.begin(), text.end(), block.begin());
    if (text.size() < 512)
        block[text.size()] = 0x1A;
    return block;
}

Bytes record(int dx, int dy, std::uint8_t flags)
{
    const auto r = gen::dstRecord(dx, dy, flags);
    return Bytes(r.begin(), r.end());
}

TEST(DstRecords, EveryMovementRoundTripsThroughTheBitTable)
{
    for (int dx = -121; dx <= 121; ++dx) {
        for (int dy = -121; dy <= 121; dy += 11) {
            const auto r = gen::dstRecord(dx, dy, 0x03);
            const auto m = dst::movementOf(r[0], r[1], r[2]);
            ASSERT_EQ(m.dx, dx);
            ASSERT_EQ(m.dy, dy);
        }
    }
    int dx = 0, dy = 0;
    dst::TajimaXY(0x000000 | (0x04u << 16) | 0x01u, dx, dy);  // b2 +81, b0 +1
    EXPECT_EQ(dx, 82);
    EXPECT_EQ(dy, 0);
}

// The sizing pass on the file's bytes alone.
DesignFigures measured(const Bytes& file)
{
    MemoryFile memory(file);
    std::array<std::uint8_t, 1500> buffer{};
    ByteCursor cursor(memory, buffer);
    DesignFigures figures;
    figures.StitchCount = 77;  // whatever the last design left is reset
    dst::measure(cursor, figures);
    return figures;
}

TEST(DstSizing, AFullHeaderIsTakenAsItStands)
{
    const DesignFigures f =
        measured(headerText("LA:test\rST:  1234\rCO:  3\r+X:  700\r-X:  534\r+Y:  300\r-Y:  267\r") +
                 record(10, 0, 0x03) + record(0, 0, 0xF3));
    EXPECT_EQ(f.StitchCount, 1234);
    EXPECT_EQ(f.ColorChangeCount, 3);
    EXPECT_EQ(f.PlusX, 700);
    EXPECT_EQ(f.MinusX, 534);
    EXPECT_EQ(f.PlusY, 300);
    EXPECT_EQ(f.MinusY, 267);
    // A value right after the colon is read in full.
    EXPECT_EQ(measured(headerText("CO:3\r+X:1\r-X:1\r+Y:1\r-Y:1\r")).ColorChangeCount, 3);
}

TEST(DstSizing, MissingExtentsAreFoundFromTheRecordsWhichAlsoCountTheStitches)
{
    const DesignFigures f = measured(headerText("LA:x\rST:  999\r+X:  10\r-X:  10\r+Y:    0\r") + record(20, 30, 0x03) +
                                     record(-50, 0, 0x83) + record(0, 0, 0xC3) + record(0, -40, 0x03) +
                                     record(0, 0, 0xF3) + record(121, 121, 0x03));
    // X extents came from the header and seed the pass: min starts at 10, so x = -30 wins.
    EXPECT_EQ(f.MinusX, 30);
    EXPECT_EQ(f.PlusX, 20);
    EXPECT_EQ(f.PlusY, 30);
    EXPECT_EQ(f.MinusY, 10);
    EXPECT_EQ(f.StitchCount, 2);  // jumps, colour changes and records after the end do not count
}

TEST(DstSizing, ExtentsBeyondWhatSinglePrecisionHoldsAreItsSumsRounded)
{
    // 140,000 steps of 121 units to the right take the pen past 2^24 units, where a float
    // no longer holds every whole number: the extents are what the format's single-precision
    // sums give, not the exact sum.
    Bytes file = headerText("LA:far\r");
    const Bytes step = record(121, 0, 0x83);
    float x = 0;
    for (int i = 0; i < 140'000; ++i) {
        file.insert(file.end(), step.begin(), step.end());
        x = float(double(x) + 121.0);
    }
    file = file + record(0, 0, 0xF3);
    const std::int64_t exact = 140'000LL * 121;
    ASSERT_NE(std::int64_t(x), exact);
    const DesignFigures f = measured(file);
    EXPECT_EQ(f.PlusX, std::int32_t(x));
    EXPECT_EQ(f.MinusX, 0);
    EXPECT_EQ(f.StitchCount, 0);  // jumps only
    // Short of 2^24 the sums are exact.
    const DesignFigures near = measured(headerText("LA:near\r") + record(121, -50, 0x03) + record(-30, 7, 0x03) +
                                        record(0, 0, 0xC3) + record(5, 5, 0x00) + record(0, 0, 0xF3));
    EXPECT_EQ(near.PlusX, 121);
    EXPECT_EQ(near.MinusX, 0);
    EXPECT_EQ(near.PlusY, 0);
    EXPECT_EQ(near.MinusY, 50);
    EXPECT_EQ(near.StitchCount, 2);
}

TEST(DstSizing, HeaderDotsEndLinesAndTwoDotsEndTheHeader)
{
    // "ST:5" ends at the dot; "+X:9" ends at the pair; "-X:7" is never read.
    const DesignFigures f = measured(headerText("LA:my.design\rST:5.+X:9..-X:7\r"));
    EXPECT_EQ(f.PlusX, 9);
    EXPECT_EQ(f.MinusX, 0);
    EXPECT_EQ(f.StitchCount, 0);  // Y is missing: the pass over no records counts 0
}

TEST(DstSizing, NonIntegerHeaderValueRaisesTheConversionError)
{
    EXPECT_THROW(
        {
            try {
                measured(headerText("ST:   \r"));
            } catch (const ConversionError& error) {
                EXPECT_STREQ(error.what(), "'   ' is not a valid integer value");
                throw;
            }
        },
        ConversionError);
    EXPECT_THROW(measured(headerText("CO: 12x\r")), ConversionError);
    EXPECT_THROW(measured(headerText("+X: 99999999999\r")), ConversionError);
}

using DstReader = CatalogFixture;

TEST_F(DstReader, FullHeaderIsUsedAsGiven)
{
    const Bytes file = headerText("LA:test\rST:  1234\rCO:  3\r+X:  700\r-X:  534\r+Y:  300\r-Y:  267\r") +
                       record(10, 0, 0x03) + record(0, 0, 0xF3);
    decode("a.dst", file);
    const std::vector<std::string> expected = {"a.dst", "Stitches: 1234", "Size: 123.4 x 56.7 mm",
                                               "Size: 4.86 x 2.23 In.", "Color Changes: 4"};
    EXPECT_EQ(canvas.texts, expected);
    EXPECT_EQ(s.ColorChangeCount, 4);
    EXPECT_EQ(s.StitchCount, 1234);
    // A conversion error ends the design before anything is drawn: its cell says why.
    canvas.clear();
    EXPECT_EQ(decode("e.dst", headerText("ST:   \r")).error, "'   ' is not a valid integer value");
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"e.dst", "'   ' is not a valid integer value"}));
}

TEST_F(DstReader, ColourChangesCycleThroughSeventeenEntriesAndIgnoreMovementBits)
{
    Bytes file = headerText("+X:100\r-X:100\r+Y:100\r-Y:100\r");
    for (int i = 0; i < 17; ++i)
        file = file + record(121, 121, 0xC3);
    decode("h.dst", file);
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_EQ(pens.size(), 18u);  // 17 changes and black at the end
    EXPECT_EQ(pens[0], "PenColor 0x000080");   // entry 1: (128, 0, 0)
    EXPECT_EQ(pens[15], "PenColor 0xC0C0C0");  // entry 16
    EXPECT_EQ(pens[16], "PenColor 0x000000");  // the 17th change wraps to entry 0
    EXPECT_TRUE(canvas.linesStarting("MoveTo").empty());
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
}

TEST_F(DstReader, FirstMovementOnlyMovesAndIgnoredRecordsDoNothing)
{
    const Bytes file = headerText("+X:100\r-X:0\r+Y:100\r-Y:0\r") + record(0, 0, 0x00) + record(10, 0, 0x03) +
                       record(10, 0, 0x03) + record(10, 0, 0x83) + record(10, 10, 0x03);
    decode("i.dst", file);
    // 1000x600 page, standard layout: cell 1 anchor (72, 204), CellWidth 286, E = 100:
    // sx = 1.43; start (72, 204).
    const std::vector<std::string> drawn = {"MoveTo 86 204", "LineTo 101 204", "MoveTo 115 204", "LineTo 129 190"};
    std::vector<std::string> moves;
    for (const auto& line : canvas.log)
        if (line.rfind("MoveTo", 0) == 0 || line.rfind("LineTo", 0) == 0)
            moves.push_back(line);
    EXPECT_EQ(moves, drawn);
}

/// The lines and moves a cell drew.
std::vector<std::string> drawing(const RecordingCanvas& canvas)
{
    std::vector<std::string> calls;
    for (const auto& line : canvas.log)
        if (line.rfind("MoveTo", 0) == 0 || line.rfind("LineTo", 0) == 0)
            calls.push_back(line);
    return calls;
}

TEST_F(DstReader, AHeaderBoxThatDoesNotHoldTheStitchesGivesWayToTheStitchesOwn)
{
    // A square 100 units on a side, right of and above the start point.
    const Bytes square = record(10, 0, 0x03) + record(90, 0, 0x03) + record(0, 100, 0x03) + record(-100, 0, 0x03) +
                         record(0, 0, 0xF3);
    decode("right.dst", headerText("+X:100\r-X:0\r+Y:100\r-Y:0\r") + square);
    const auto right = drawing(canvas);
    ASSERT_FALSE(right.empty());
    // "+Y:" and "-Y:" swapped, as many real files have them: drawn where the stitches are.
    decode("swapped.dst", headerText("+X:100\r-X:0\r+Y:0\r-Y:100\r") + square);
    EXPECT_EQ(drawing(canvas), right);
    EXPECT_EQ(canvas.texts[2], "Size: 10.0 x 10.0 mm");  // the remarks stay the header's
    decode("short.dst", headerText("+X:100\r-X:0\r+Y:50\r-Y:0\r") + square);
    EXPECT_EQ(drawing(canvas), right);
    EXPECT_EQ(canvas.texts[2], "Size: 10.0 x 5.0 mm");
    // A box that holds the stitches places them, as it always has.
    decode("roomy.dst", headerText("+X:200\r-X:50\r+Y:150\r-Y:60\r") + square);
    EXPECT_NE(drawing(canvas), right);
    // sx = 286 / 250 x 0.5 = 0.572, sy = 240 / 250 x 0.5 = 0.48: the start (72 + 50 sx, 204 - 60 sy)
    // and the first record only moves, 10 sx to the right.
    EXPECT_EQ(drawing(canvas).front(), "MoveTo 106 175");
}

TEST_F(DstReader, AFileCutShortSaysWhereItEndsUnderTheRemarks)
{
    const Bytes header = headerText("ST:  4562\rCO:  0\r+X:1300\r-X:0\r+Y:10\r-Y:0\r");
    Bytes records;
    for (int i = 0; i < 1203; ++i)
        records = records + record(1, 0, 0x03);
    decode("cut.dst", header + records);
    const std::vector<std::string> expected = {"cut.dst", "Stitches: 4562", "Size: 130.0 x 1.0 mm",
                                               "Size: 5.12 x 0.04 In.", "Color Changes: 1",
                                               "File ends after 1,203 of 4,562 stitches"};
    EXPECT_EQ(canvas.texts, expected);
    EXPECT_EQ(canvas.linesStarting("TextOut").back(), "TextOut 72 244 \"File ends after 1,203 of 4,562 stitches\"");
    // With its end record, or with as many records as its header counts, a file is whole.
    decode("ended.dst", header + records + record(0, 0, 0xF3));
    EXPECT_EQ(canvas.texts.size(), 5u);
    decode("whole.dst", headerText("ST:  3\r+X:3\r-X:0\r+Y:1\r-Y:0\r") + record(1, 0, 0x03) + record(1, 0, 0x03) +
                            record(1, 0, 0x83));
    EXPECT_EQ(canvas.texts.size(), 5u);
}

TEST_F(DstReader, ShortFilesAndZeroExtentsStillShowNameAndRemarks)
{
    decode("j.dst", Bytes{'L', 'A', ':', 'x'});
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
    const std::vector<std::string> expected = {"j.dst", "Stitches: 0", "Size: 0.0 x 0.0 mm", "Size: 0.00 x 0.00 In.",
                                               "Color Changes: 1"};
    EXPECT_EQ(canvas.texts, expected);
}

TEST_F(DstReader, RemarksFollowTheLayout)
{
    const Bytes file = headerText("+X:10\r-X:10\r+Y:10\r-Y:10\r");
    decode("k.dst", file, Layout::Thumb20);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"k.dst"});
    decode("k.dst", file, Layout::NoRemarks);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"k.dst"});
    decode("k.dst", file, Layout::Thumb12);
    EXPECT_EQ(canvas.texts.size(), 5u);
}

TEST_F(DstReader, NameIsRedOnlyWhenSelectedAndTheSelectionIsNotEmpty)
{
    const Bytes file = headerText("+X:10\r-X:10\r+Y:10\r-Y:10\r");
    decode("k.dst", file);
    EXPECT_EQ(canvas.linesStarting("FontColor"), std::vector<std::string>{"FontColor 0x000000"});
    // "K.DST" is another file than "k.dst" on Linux: selecting it leaves k.dst black.
    s.SelectedList.add("K.DST");
    decode("k.dst", file);
    EXPECT_EQ(canvas.linesStarting("FontColor").front(), "FontColor 0x000000");
    s.SelectedList.add("k.dst");
    decode("k.dst", file);
    EXPECT_EQ(canvas.linesStarting("FontColor"),
              (std::vector<std::string>{"FontColor 0x0000FF", "FontColor 0x000000"}));
    decode("other.dst", file);
    EXPECT_EQ(canvas.linesStarting("FontColor").front(), "FontColor 0x000000");
}

TEST_F(DstReader, NameLineSitsAboveTheCellTop)
{
    decode("n.dst", headerText("+X:10\r-X:10\r+Y:10\r-Y:10\r"));
    // top of cell 1 = 204 - 120 = 84; minus 1.2 x 10 = 72.
    EXPECT_EQ(canvas.linesStarting("TextOut").front(), "TextOut 72 72 \"n.dst\"");
    EXPECT_EQ(canvas.linesStarting("TextOut")[1], "TextOut 72 212 \"Stitches: 0\"");
}

} // namespace
} // namespace orlika::test
