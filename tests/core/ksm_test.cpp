// SPDX-License-Identifier: MIT
#include "decoders/Ksm.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"

#include <cstdio>

namespace orlika::test {
namespace {

// A KSM file: the 512-byte header, the two start records, then the given records.
Bytes ksmFile(const Bytes& records)
{
    Bytes file(512, 0);
    const Bytes start = {0x00, 0x00, 0x87, 0x00, 0x00, 0x8B};
    file.insert(file.end(), start.begin(), start.end());
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

// One record as it lies in the file: Y magnitude, X magnitude, control byte.
void put(Bytes& records, std::uint8_t yStep, std::uint8_t xStep, std::uint8_t control)
{
    records.insert(records.end(), {yStep, xStep, control});
}

TEST(KsmRecords, MoveTestTakesTheLowFiveBitsFromElevenToNineteen)
{
    EXPECT_FALSE(ksm::ksmControl(0x8A));  // 10
    EXPECT_TRUE(ksm::ksmControl(0x8B));   // 11
    EXPECT_TRUE(ksm::ksmControl(0x93));   // 19
    EXPECT_FALSE(ksm::ksmControl(0x94));  // 20
    EXPECT_TRUE(ksm::ksmControl(0xEB));   // sign bits do not matter
    EXPECT_FALSE(ksm::ksmControl(ksm::kEndRecord));
    for (int b = 0; b < 256; ++b) {
        if (ksm::isColorChange(std::uint8_t(b))) {
            EXPECT_FALSE(ksm::ksmControl(std::uint8_t(b))) << b;  // a change always draws
        }
    }
    EXPECT_TRUE(ksm::isColorChange(0x99));
    EXPECT_TRUE(ksm::isColorChange(0x19));
    EXPECT_FALSE(ksm::isColorChange(0x98));
}

// The start records and the sizing pass on the file's bytes alone.
ksm::Figures measured(const Bytes& file, bool& started)
{
    MemoryFile memory(file);
    std::array<std::uint8_t, 1500> buffer{};
    ByteCursor cursor(memory, buffer);
    started = ksm::readStartRecords(cursor);
    return started ? ksm::measure(cursor) : ksm::Figures{};
}

TEST(KsmSizing, EveryRecordCountsUpToTheEndRecordAndSignsNeedBitSeven)
{
    Bytes records;
    put(records, 5, 7, 0x40);
    put(records, 3, 2, 0x20);    // x 9, y 8
    put(records, 0, 20, 0xC0);   // x -11
    put(records, 10, 0, 0xA0);   // y -2
    put(records, 1, 1, 0xE0);    // x -12, y -3
    put(records, 0, 0, 0x99);    // a colour change counts too
    put(records, 0, 0, 0x88);    // and so does the end record
    put(records, 50, 50, 0x80);  // but nothing after it
    bool started = false;
    const ksm::Figures f = measured(ksmFile(records), started);
    ASSERT_TRUE(started);
    EXPECT_EQ(f.records, 7);
    EXPECT_EQ(f.extents.minX, -12.0f);
    EXPECT_EQ(f.extents.maxX, 9.0f);
    EXPECT_EQ(f.extents.minY, -3.0f);
    EXPECT_EQ(f.extents.maxY, 8.0f);

    // Without records the design is the origin, sized 0 x 0.
    EXPECT_EQ(measured(ksmFile({}), started).extents.width(), 0.0);
    Bytes file = ksmFile({});
    file[517] = 0x8A;
    measured(file, started);
    EXPECT_FALSE(started);
    measured(Bytes(file.begin(), file.begin() + 517), started);
    EXPECT_FALSE(started);
}

using KsmReader = CatalogFixture;

TEST_F(KsmReader, WorkedExampleOf1234By567With2000RecordsAndThreeChanges)
{
    Bytes records;
    for (int i = 0; i < 4; ++i)
        put(records, 0, 255, 0x80);
    put(records, 0, 214, 0x80);  // x = 1234
    put(records, 255, 0, 0x80);
    put(records, 255, 0, 0x80);
    put(records, 57, 0, 0x80);   // y = 567
    for (int i = 0; i < 3; ++i)
        put(records, 0, 0, 0x99);
    while (records.size() < 1999 * 3)
        put(records, 0, 0, 0x80);
    put(records, 0, 0, 0x88);
    put(records, 200, 200, 0x99);  // after the end: neither counted nor drawn
    decode("worked.ksm", ksmFile(records));

    const std::vector<std::string> expected = {"worked.ksm", "Stitches: 2000, Size: 123.4 x 56.7 mm",
                                               "Size: 4.86 x 2.23 In.", "Color Changes: 3"};
    EXPECT_EQ(canvas.texts, expected);
    EXPECT_EQ(s.StitchCount, 2000);
    EXPECT_EQ(s.MaxX, 1234.0f);
    EXPECT_EQ(s.MaxY, 567.0f);
    // s = min(286 / 1234, 240 / 567) x 0.6 = 0.13906; the origin lands on the anchor.
    const auto drawn = drawingCalls(canvas.log);
    ASSERT_GE(drawn.size(), 3u);
    EXPECT_EQ(drawn[0], "MoveTo 72 204");
    EXPECT_EQ(drawn[1], "PenColor 0x000000");
    EXPECT_EQ(drawn[2], "LineTo 107 204");  // 72 + 255 x 0.13906
    // Remarks begin on the middle line.
    EXPECT_EQ(canvas.linesStarting("TextOut")[1], "TextOut 72 204 \"Stitches: 2000, Size: 123.4 x 56.7 mm\"");
    EXPECT_EQ(canvas.linesStarting("TextOut")[3], "TextOut 72 220 \"Color Changes: 3\"");
    EXPECT_EQ(host.phase, "");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(KsmReader, MoveFlagHoldsUntilTheNextColourChange)
{
    Bytes records;
    put(records, 0, 100, 0x80);  // line
    put(records, 0, 10, 0x8B);   // move
    put(records, 0, 10, 0x80);   // still a move
    put(records, 10, 0, 0xA0);   // still a move (negative Y)
    put(records, 0, 10, 0x99);   // colour change: a line in colour 1
    put(records, 0, 10, 0x80);   // line
    decode("move.ksm", ksmFile(records));
    // W = 140, H = 10: s = 286 / 140 x 0.6 = 1.22571.
    const std::vector<std::string> expected = {
        "MoveTo 72 192",  // MinY = -10 lifts the origin 12 pixels above the anchor
        "PenColor 0x000000", "LineTo 195 192", "MoveTo 207 192", "MoveTo 219 192", "MoveTo 219 204",
        penLine(s.ColorTable[1]), "LineTo 231 204", "LineTo 244 204", "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 1");
}

TEST_F(KsmReader, SeventeenthChangeIsBlackAndEighteenthIsEntryOne)
{
    Bytes records;
    put(records, 10, 10, 0x80);
    for (int i = 0; i < 18; ++i)
        put(records, 0, 0, 0x99);
    decode("colours.ksm", ksmFile(records));
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_EQ(pens.size(), 20u);  // black at the start, 18 changes, black at the end
    for (std::size_t change = 1; change <= 16; ++change)
        EXPECT_EQ(pens[change], penLine(s.ColorTable[change]));
    EXPECT_EQ(pens[17], penLine(s.ColorTable[0]));
    EXPECT_EQ(pens[18], penLine(s.ColorTable[1]));
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 18");
}

TEST_F(KsmReader, EndRecordIsCountedAndDrawnAndWhatFollowsIsIgnored)
{
    Bytes records;
    for (int i = 0; i < 100; ++i)
        put(records, 0, 1, 0x80);
    put(records, 0, 5, 0x88);  // the end record's own step is drawn
    put(records, 0, 0, 0x99);
    put(records, 255, 255, 0x80);
    decode("end.ksm", ksmFile(records));
    EXPECT_EQ(s.StitchCount, 101);
    EXPECT_EQ(s.MaxX, 105.0f);
    EXPECT_EQ(s.MaxY, 0.0f);
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 101u);
    EXPECT_EQ(canvas.texts[1], "Stitches: 101, Size: 10.5 x 0.0 mm");
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 0");
}

TEST_F(KsmReader, PartialLastRecordIsIgnored)
{
    Bytes records;
    for (int i = 0; i < 700; ++i)  // more than one 500-record block, no end record
        put(records, std::uint8_t(i % 3), 1, i % 2 ? 0x80 : 0xA0);
    records.push_back(0x7F);
    records.push_back(0x7F);
    const Bytes file = ksmFile(records);
    decode("short.ksm", file);
    EXPECT_EQ(s.StitchCount, 700);
}

TEST_F(KsmReader, RemarkFormsFollowTheCellsPerPage)
{
    Bytes records;
    put(records, 20, 30, 0x80);
    const Bytes file = ksmFile(records);
    decode("r.ksm", file, Layout::Thumb12);
    const std::vector<std::string> four = {"r.ksm", "Stitches: 1", "Size: 3.0 x 2.0 mm", "Size: 0.12 x 0.08 In.",
                                           "Color Changes: 0"};
    EXPECT_EQ(canvas.texts, four);
    decode("r.ksm", file, Layout::Thumb20);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"r.ksm"});
    decode("r.ksm", file, Layout::NoRemarks);
    EXPECT_EQ(canvas.texts, std::vector<std::string>{"r.ksm"});
    decode("r.ksm", file, Layout::Enlarged);
    EXPECT_EQ(canvas.texts.size(), 4u);
}

TEST_F(KsmReader, WrongStartRecordGivesTheErrorCellWithoutAMessage)
{
    Bytes file = ksmFile({0, 10, 0x80});
    file[514] = 0x86;
    s.SelectedList.add("bad.ksm");
    decode("bad.ksm", file);
    const std::vector<std::string> expected = {"FontColor 0x0000FF", "TextOut 72 72 \"bad.ksm\"", "FontColor 0x000000",
                                               "TextOut 72 204 \"Bad File Format (Not KSM Format)\""};
    EXPECT_EQ(canvas.log, expected);  // no pen colour, no stitches
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.log.back(), "Phase \"\"");

    decode("tiny.ksm", Bytes(513, 0));  // too short to hold a start record
    EXPECT_EQ(canvas.texts.back(), "Bad File Format (Not KSM Format)");
}

TEST_F(KsmReader, MissingOrWrongSecondRecordIsShownAsABadFormatCell)
{
    s.StitchCount = 77;
    Bytes file = ksmFile({0, 10, 0x80});
    file[517] = 0x8A;
    decode("second.ksm", file);
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"second.ksm", "Bad File Format (Not KSM Format)"}));
    EXPECT_EQ(s.StitchCount, 77);  // nothing of the file was read as stitches
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());

    const Bytes whole = ksmFile({});
    decode("cut.ksm", Bytes(whole.begin(), whole.begin() + 517));
    EXPECT_EQ(canvas.texts.back(), "Bad File Format (Not KSM Format)");
}

TEST_F(KsmReader, FlatAndEmptyDesigns)
{
    // A straight horizontal run takes the width's factor: 286 / 100 x 0.6 = 1.716. It
    // stands half a line above the middle line, clear of the remarks that start there.
    Bytes run;
    put(run, 0, 100, 0x80);
    decode("flat.ksm", ksmFile(run));
    EXPECT_EQ(drawingCalls(canvas.log)[2], "LineTo 244 200");
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 10.0 x 0.0 mm");

    // A vertical one takes the height's: 240 / 50 x 0.6 = 2.88.
    Bytes column;
    put(column, 50, 0, 0x80);
    decode("column.ksm", ksmFile(column));
    EXPECT_EQ(drawingCalls(canvas.log)[0], "MoveTo 72 204");
    EXPECT_EQ(drawingCalls(canvas.log)[2], "LineTo 72 60");

    // A single step down: the origin counts toward the minima only, so the maximum
    // is the point itself and the design has no height either.
    Bytes down;
    put(down, 50, 0, 0xA0);
    decode("down.ksm", ksmFile(down));
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 0.0 x 0.0 mm");
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());

    // The end record alone: one record, no size, nothing drawn.
    decode("end-only.ksm", ksmFile({0, 0, 0x88}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 0.0 x 0.0 mm");
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
    EXPECT_TRUE(canvas.linesStarting("MoveTo").empty());

    // Nothing after the start records: sizes 0.0, not the start values' difference.
    decode("empty.ksm", ksmFile({}));
    const std::vector<std::string> expected = {"empty.ksm", "Stitches: 0, Size: 0.0 x 0.0 mm",
                                               "Size: 0.00 x 0.00 In.", "Color Changes: 0"};
    EXPECT_EQ(canvas.texts, expected);
    EXPECT_EQ(s.MaxX, 0.0f);
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());

    // Colour changes without movement are still counted.
    decode("changes.ksm", ksmFile({0, 0, 0x99, 0, 0, 0x99}));
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 2");
}

} // namespace
} // namespace orlika::test
