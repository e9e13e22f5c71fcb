// SPDX-License-Identifier: MIT
#include "decoders/Pes.h"
#include "decoders/PecThreads.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orlika::test {
namespace {

const Bytes kEnd{0xFF, 0x00};
const Bytes kChange{0xFE, 0xB0, 0x02};

Bytes pecWith(const std::vector<std::uint8_t>& threads, const Bytes& stream)
{
    return gen::pecFile(gen::pecSection("test", threads, stream, 0, 0));
}

Bytes pesWith(const std::vector<std::uint8_t>& threads, const Bytes& stream, std::uint32_t offset = 22)
{
    return gen::pesFile(gen::pecSection("test", threads, stream, 0, 0), offset);
}

pes::Item item(const Bytes& bytes)
{
    return pes::decodeItem(bytes);
}

// Items

TEST(PesItems, ShortPartsFollowTheSignRule)
{
    auto m = item({0x05, 0x45});
    EXPECT_EQ(m.kind, pes::ItemKind::Movement);
    EXPECT_EQ(m.size, 2);
    EXPECT_EQ(m.dx, 5);
    EXPECT_EQ(m.dy, 69 - 128);
    EXPECT_FALSE(m.move);
    m = item({0x3F, 0x40});
    EXPECT_EQ(m.dx, 63);
    EXPECT_EQ(m.dy, -64);
    m = item({0x7F, 0xFE});  // 254 stands for itself in the y position
    EXPECT_EQ(m.dx, -1);
    EXPECT_EQ(m.dy, 254);
    m = item({0x01, 0xFE, 0xB0});  // 0xFE, 0xB0 is a colour change only in the x position
    EXPECT_EQ(m.kind, pes::ItemKind::Movement);
    EXPECT_EQ(m.size, 2);
    EXPECT_EQ(m.dy, 254);
}

TEST(PesItems, LongPartsDecideLineOrMoveByTheirValue)
{
    struct Case {
        Bytes bytes;
        int dx, dy;
        bool move;
    };
    const Case cases[] = {
        {{0x80, 0xFF, 0x01}, 255, 1, false},        {{0x81, 0x00, 0x01}, 256, 1, true},
        {{0x8F, 0x00, 0x01}, -256, 1, false},       {{0x8E, 0xFF, 0x01}, -257, 1, true},
        {{0x01, 0x80, 0xFF}, 1, 255, false},        {{0x01, 0x81, 0x00}, 1, 256, true},
        {{0x01, 0x8F, 0x00}, 1, -256, false},       {{0x01, 0x8E, 0xFF}, 1, -257, true},
        {{0x87, 0xFF, 0x88, 0x00}, 2047, -2048, true}, {{0x80, 0x40, 0x80, 0x7F}, 64, 127, false},
        // The flag bits 4 to 6 are not looked at: a flagged short hop is still a line.
        {{0xA0, 0x10, 0xB0, 0x05}, 16, 5, false},   {{0xF1, 0x00, 0x00}, 256, 0, true},
    };
    for (const Case& c : cases) {
        const auto m = item(c.bytes);
        EXPECT_EQ(m.kind, pes::ItemKind::Movement);
        EXPECT_EQ(m.size, c.bytes.size());
        EXPECT_EQ(m.dx, c.dx);
        EXPECT_EQ(m.dy, c.dy);
        EXPECT_EQ(m.move, c.move) << c.dx << "," << c.dy;
    }
}

TEST(PesItems, EndIsTestedBeforeTheSignRule)
{
    for (const Bytes& end : {Bytes{0xFF, 0x00}, Bytes{0x00, 0xFF}, Bytes{0x80, 0xFF, 0x00}, Bytes{0x00, 0x80, 0xFF},
                             Bytes{0x80, 0xFF, 0x80, 0x00}, Bytes{0xF0, 0xFF, 0x00}}) {
        const auto m = item(end);
        EXPECT_EQ(m.kind, pes::ItemKind::End);
        EXPECT_EQ(m.size, end.size());
    }
    // 0xFF followed by any other byte moves 255 units; -1 and 127 are not 255.
    auto m = item({0xFF, 0x01});
    EXPECT_EQ(m.kind, pes::ItemKind::Movement);
    EXPECT_EQ(m.dx, 255);
    EXPECT_EQ(m.dy, 1);
    m = item({0xFF, 0xFF});
    EXPECT_EQ(m.kind, pes::ItemKind::Movement);
    EXPECT_EQ(m.dy, 255);
    EXPECT_EQ(item({0xFE, 0x00}).kind, pes::ItemKind::Movement);
    EXPECT_EQ(item({0x8F, 0xFF, 0x00}).kind, pes::ItemKind::Movement);
    EXPECT_EQ(item({0x7F, 0x00}).kind, pes::ItemKind::Movement);
}

TEST(PesItems, ColourChangesTakeThreeBytesAndCutItemsAreIncomplete)
{
    const auto change = item({0xFE, 0xB0, 0x01, 0x05});
    EXPECT_EQ(change.kind, pes::ItemKind::ColorChange);
    EXPECT_EQ(change.size, 3);
    for (const Bytes& whole : {Bytes{0xFE, 0xB0, 0x01}, Bytes{0x81, 0x00, 0x8F, 0x00}, Bytes{0x05, 0x06},
                               Bytes{0x05, 0x81, 0x00}, Bytes{0xFF, 0x00}}) {
        for (std::size_t cut = 0; cut < whole.size(); ++cut)
            EXPECT_EQ(pes::decodeItem(std::span(whole).first(cut)).kind, pes::ItemKind::Incomplete) << cut;
        EXPECT_NE(item(whole).kind, pes::ItemKind::Incomplete);
    }
}

TEST(PesItems, SignaturesAndThreadIndexReduction)
{
    const auto signed8 = [](const std::string& text) {
        const Bytes bytes(text.begin(), text.end());
        return pes::hasSignature(bytes);
    };
    EXPECT_TRUE(signed8("#PES0001"));
    EXPECT_TRUE(signed8("#PES00zz"));
    EXPECT_TRUE(signed8("#PEC0001"));
    EXPECT_TRUE(signed8("ab#PEC00"));
    EXPECT_TRUE(signed8("#PES00"));
    // Every later PES version: "#PES" and four digits at the start.
    EXPECT_TRUE(signed8("#PES0100"));
    EXPECT_TRUE(signed8("#PES0111"));
    EXPECT_TRUE(signed8("#PES0060"));
    EXPECT_FALSE(signed8("#PES01x1"));
    EXPECT_FALSE(signed8("#PESv2.0"));
    EXPECT_FALSE(signed8("x#PES0100"));
    EXPECT_FALSE(signed8("#PES010"));
    EXPECT_FALSE(signed8("#PEC0111"));
    EXPECT_FALSE(signed8("abc#PES0"));
    EXPECT_FALSE(signed8("#pes0001"));
    EXPECT_FALSE(signed8("#PES0"));

    EXPECT_EQ(pes::threadIndex(0), 0);
    EXPECT_EQ(pes::threadIndex(1), 1);
    EXPECT_EQ(pes::threadIndex(64), 64);
    EXPECT_EQ(pes::threadIndex(65), 2);
    EXPECT_EQ(pes::threadIndex(0x50), 1);
    EXPECT_EQ(pes::threadIndex(0xFF), 16);
    for (int stored = 0; stored < 256; ++stored)
        EXPECT_LE(pes::threadIndex(std::uint8_t(stored)), 64);
}

// The thread chart

TEST(PecThreadChart, ColoursNamesAndPaletteAsCharted)
{
    const PecThreadTables chart;
    EXPECT_EQ(chart.PecThreadNames[1], "Pruissian Blue");
    EXPECT_EQ(chart.PecThreadColors[1], 0x02940A1Au);
    EXPECT_EQ(chart.PecThreadNames[20], "Black");
    EXPECT_EQ(chart.PecThreadColors[20], 0x02000000u);
    EXPECT_EQ(chart.PecThreadNames[21], "UltraMarine");
    EXPECT_EQ(chart.PecThreadColors[21], 0x02DF1C00u);
    EXPECT_EQ(chart.PecThreadNames[29], "White");
    EXPECT_EQ(chart.PecThreadColors[29], 0x02F0F0F0u);
    EXPECT_EQ(chart.PecThreadNames[46], "Wisteria Violet");
    EXPECT_EQ(chart.PecThreadColors[46], 0x02D889C0u);
    EXPECT_EQ(chart.PecThreadNames[63], "Applique Position");
    EXPECT_EQ(chart.PecThreadColors[63], 0x021ABABAu);
    EXPECT_EQ(chart.PecThreadNames[65], "Not Defined");
    EXPECT_EQ(chart.PecThreadColors[65], 0x02DCDCDCu);

    for (int i = 1; i <= kPecThreadCount; ++i) {
        const auto slot = std::size_t(i);
        EXPECT_FALSE(chart.PecThreadNames[slot].empty());
        EXPECT_EQ(chart.PecThreadColors[slot] >> 24, 0x02u);
        EXPECT_EQ(chart.color(i), chart.PecThreadColors[slot]);
        EXPECT_EQ(&chart.name(i), &chart.PecThreadNames[slot]);
        const PaletteEntry& entry = chart.PecPaletteEntries[slot];
        const Color pen = chart.PecThreadColors[slot];
        if (i >= 62 && i <= 64) {
            // The applique entries draw grey but the palette holds white.
            EXPECT_EQ(entry, (PaletteEntry{255, 255, 255, 0})) << i;
            EXPECT_NE(pen & 0xFFFFFF, White);
        } else {
            EXPECT_EQ(entry, (PaletteEntry{blueOf(pen), greenOf(pen), redOf(pen), 0})) << i;
        }
        for (int j = 1; j < i; ++j)
            EXPECT_NE(chart.PecThreadNames[slot], chart.PecThreadNames[std::size_t(j)]);
    }
    EXPECT_EQ(chart.PecPaletteEntries[0], (PaletteEntry{0, 0, 0, 0}));
}

TEST(PecThreadChart, IndicesOutsideTheChartShareSlotZeroAndTheTablesRefill)
{
    PecThreadTables chart;
    // Index 0 (and anything outside 1..65) draws black and is listed as not defined.
    for (const int outside : {0, -1, 66, 255, 100000}) {
        EXPECT_EQ(chart.color(outside), 0x02000000u);
        EXPECT_EQ(chart.name(outside), "Not Defined");
    }
    chart.PecThreadColors[5] = 0;
    chart.PecThreadNames[5] = "changed";
    FillThreadTables(chart);
    EXPECT_EQ(chart.PecThreadColors[5], 0x020000ECu);
    EXPECT_EQ(chart.PecThreadNames[5], "Red");

    // No display palette is built on true-colour surfaces.
    ResetSystemPalette();
    EXPECT_EQ(BuildThreadPalette(chart.PecPaletteEntries, 66), 0u);
}

// The reader

class PesReader : public CatalogFixture {
protected:
    const PecThreadTables& chart = threadChart();

    std::vector<std::string> remarksAfterName() const
    {
        return {canvas.texts.begin() + 1, canvas.texts.end()};
    }
    std::string stitchesOf() const
    {
        for (const auto& text : canvas.texts)
            if (text.rfind("Stitches: ", 0) == 0)
                return text.substr(10, text.find(',') - 10);
        return "";
    }
};

TEST_F(PesReader, PecAndPesFilesDrawTheSameDesignInItsThreadColour)
{
    // (10, 0), (0, 10), (-10, 0): a 10 x 10 design, scale min(14.3, 12) = 12.
    const Bytes stream = Bytes{0x0A, 0x00, 0x00, 0x0A, 0x76, 0x00} + kEnd;
    decode("square.pec", pecWith({5}, stream));
    const std::vector<std::string> expected = {penLine(chart.color(5)), "MoveTo 72 84", "LineTo 192 84",
                                               "LineTo 192 204", "LineTo 72 204", "PenColor 0x000000"};
    EXPECT_EQ(drawingCalls(canvas.log), expected);
    const std::vector<std::string> texts = {"square.pec", "Stitches: 3, Size: 1.0 x 1.0 mm",
                                            "Color Changes: 0, Size: 0.04 x 0.04 In.", "1. Red"};
    EXPECT_EQ(canvas.texts, texts);
    EXPECT_EQ(canvas.linesStarting("TextOut")[1], "TextOut 72 204 \"Stitches: 3, Size: 1.0 x 1.0 mm\"");
    EXPECT_EQ(canvas.linesStarting("TextOut")[3], "TextOut 72 220 \"1. Red\"");
    EXPECT_EQ(canvas.linesStarting("PenWidth"), std::vector<std::string>{"PenWidth 1"});
    EXPECT_EQ(host.log, (std::vector<std::string>{"Phase \"Drawing\"", "Phase \"\""}));
    EXPECT_TRUE(host.messages.empty());

    const auto pecLog = drawingCalls(canvas.log);
    for (const std::uint32_t offset : {12u, 22u, 700u, 5000u}) {
        decode("square.pes", pesWith({5}, stream, offset));
        EXPECT_EQ(drawingCalls(canvas.log), pecLog) << offset;
        EXPECT_EQ(canvas.texts[1], texts[1]);
    }
}

TEST_F(PesReader, SignaturesAreCheckedInTheFirstEightBytes)
{
    const Bytes stream = Bytes{0x0A, 0x00} + kEnd;
    Bytes file = pecWith({5}, stream);
    for (const std::string signature : {"#PEC0001", "#PEC00zz", "x#PEC00y", "#PES0001", "#PES0100", "#PES0111"}) {
        std::copy(signature.begin(), signature.end(), file.begin());
        decode("ok.pec", file);
        EXPECT_TRUE(host.messages.empty()) << signature;
        EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 0.0 x 0.0 mm") << signature;
    }
    for (const std::string signature : {"#PEC0100", "#PES01x1", "PEC00001", "abc#PEC0"}) {
        std::copy(signature.begin(), signature.end(), file.begin());
        host.messages.clear();
        host.log.clear();
        decode("Wrong.pec", file);
        ASSERT_EQ(host.messages.size(), 1u) << signature;
        EXPECT_EQ(host.messages[0].text, "WRONG.PEC Has an Unknown File Format");
        EXPECT_EQ(host.messages[0].caption, "PES/PEC File Format Error");
        EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
        // The name as on disk above the cell, the text a little above the middle line
        // (204 - 10 x 2.2), nothing drawn, the status label untouched.
        EXPECT_EQ(canvas.log, (std::vector<std::string>{"TextOut 72 72 \"Wrong.pec\"", "TextOut 72 182 \"Unknown Format\""}));
        EXPECT_TRUE(host.log.empty());
    }
    decode("tiny.pes", Bytes{'#', 'P', 'E'});
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"tiny.pes", "Unknown Format"}));
}

TEST_F(PesReader, RejectedNamesKeepTheirColourEvenWhenSelected)
{
    s.SelectedList.add("Wrong.pec");
    s.SelectedList.add("bad.pec");
    decode("Wrong.pec", Bytes{'#', 'P', 'E', 'C', '0', '1'});
    decode("bad.pec", Bytes{'#', 'P', 'E', 'C', '0', '0', '0', '1'});
    EXPECT_TRUE(canvas.linesStarting("FontColor").empty());
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"bad.pec", "Bad Format"}));
    // An accepted selected design gets the red name.
    decode("bad.pec", pecWith({5}, kEnd));
    EXPECT_EQ(canvas.linesStarting("FontColor").front(), "FontColor 0x0000FF");
}

TEST_F(PesReader, TheNameDecidesWhereTheSectionIs)
{
    const Bytes stream = Bytes{0x0A, 0x05} + kEnd;
    // A PEC file whose name contains "PES" is read as a PES file: "LA:t" becomes the
    // section offset, far past the end.
    decode("PESKY.pec", pecWith({5}, stream));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "PESKY.pec Has a Bad File Format");
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"PESKY.pec", "Bad Format"}));

    // The same bytes under a PEC name draw; so do they under a name with neither mark.
    decode("pesky.pec", pecWith({5}, stream));  // upper-cased, "PESKY.PEC" holds "PES" too
    EXPECT_EQ(host.messages.size(), 2u);
    decode("sky.pec", pecWith({5}, stream));
    EXPECT_EQ(host.messages.size(), 2u);
    const auto pecDrawing = drawingCalls(canvas.log);
    const auto pecTexts = remarksAfterName();

    catalog.setDesignFile(std::make_unique<MemoryFile>(pecWith({5}, stream)));
    s.DesignPath = "/designs/sky.bin";
    canvas.clear();
    catalog.PESFormat(canvas);
    EXPECT_EQ(drawingCalls(canvas.log), pecDrawing);
    EXPECT_EQ(remarksAfterName(), pecTexts);
}

TEST_F(PesReader, MissingColourCountOrHeightRejectsTheFileAsBad)
{
    const Bytes section = gen::pecSection("t", {5}, Bytes{0x0A, 0x05} + kEnd, 0, 0);
    const auto cut = [&](std::size_t bytes) {
        return gen::pecFile(Bytes(section.begin(), section.begin() + std::ptrdiff_t(bytes)));
    };
    decode("short.pec", cut(48));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "short.pec Has a Bad File Format");
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"short.pec", "Bad Format"}));

    decode("short.pec", cut(522));  // the colour count is there, the height is not
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, "short.pec Has a Bad File Format");

    decode("short.pec", cut(523));  // one byte of the height is enough; no stitches follow
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(canvas.texts[1], "Stitches: 0, Size: 0.0 x 0.0 mm");

    // A PES offset far past the end of the file.
    decode("short.pes", Bytes{'#', 'P', 'E', 'S', '0', '0', '0', '1', 0xF0, 0xFF, 0xFF, 0xFF} + section);
    EXPECT_EQ(host.messages.back().text, "short.pes Has a Bad File Format");
}

TEST_F(PesReader, ThreadIndicesAreReducedIndexZeroDrawsBlackAndTheLastColourStays)
{
    const Bytes stream = Bytes{0x01, 0x01} + kChange + Bytes{0x01, 0x01} + kChange + Bytes{0x01, 0x01} + kChange +
                         Bytes{0x01, 0x01} + kEnd;
    decode("threads.pec", pecWith({0xFF, 65, 64, 0}, stream));
    const auto pens = canvas.linesStarting("PenColor");
    const std::vector<std::string> expected = {penLine(chart.color(16)), penLine(chart.color(2)),
                                               penLine(chart.color(64)), penLine(0x02000000),
                                               "PenColor 0x000000"};
    EXPECT_EQ(pens, expected);
    EXPECT_EQ(canvas.texts[3], "1. Silver, 2. Blue, 3. Applique");
    EXPECT_EQ(canvas.texts[4], "4. Not Defined");
    EXPECT_EQ(canvas.texts[2], "Color Changes: 3, Size: 0.01 x 0.01 In.");

    // Colour changes past the end of the list keep the last colour.
    const Bytes more = Bytes{0x01, 0x01} + kChange + Bytes{0x01, 0x01} + kChange + kChange + Bytes{0x01, 0x01} + kEnd;
    decode("more.pec", pecWith({5, 13}, more));
    EXPECT_EQ(canvas.linesStarting("PenColor"),
              (std::vector<std::string>{penLine(chart.color(5)), penLine(chart.color(13)), "PenColor 0x000000"}));
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 3u);
    EXPECT_EQ(canvas.texts[2], "Color Changes: 3, Size: 0.01 x 0.01 In.");
    EXPECT_EQ(canvas.texts[3], "1. Red, 2. Yellow");
}

TEST_F(PesReader, DesignsWithoutMovementOrWithoutWidthOrHeight)
{
    // No movement: size 0 x 0, a move to the start point, no line. A design without
    // height stands half a line (4) above the middle line, where its remarks start.
    decode("empty.pec", pecWith({5}, kChange + kEnd));
    EXPECT_EQ(drawingCalls(canvas.log),
              (std::vector<std::string>{penLine(chart.color(5)), "MoveTo 72 200", "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 0, Size: 0.0 x 0.0 mm");
    EXPECT_EQ(canvas.texts[2], "Color Changes: 1, Size: 0.00 x 0.00 In.");

    // W = 0: points (0, 10) and (0, 20), H = 10, the height's factor 240 / 10 x 0.5 = 12.
    decode("tall.pec", pecWith({5}, Bytes{0x00, 0x0A, 0x00, 0x0A} + kEnd));
    EXPECT_EQ(canvas.linesStarting("MoveTo"), std::vector<std::string>{"MoveTo 72 -36"});
    EXPECT_EQ(canvas.linesStarting("LineTo"), (std::vector<std::string>{"LineTo 72 84", "LineTo 72 204"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 0.0 x 1.0 mm");

    // H = 0: points (13, 0) and (26, 0), the width's factor 286 / 13 x 0.5 = 11.
    decode("wide.pec", pecWith({5}, Bytes{0x0D, 0x00, 0x0D, 0x00} + kEnd));
    EXPECT_EQ(canvas.linesStarting("MoveTo"), std::vector<std::string>{"MoveTo 215 200"});
    EXPECT_EQ(canvas.linesStarting("LineTo"), (std::vector<std::string>{"LineTo 358 200", "LineTo 501 200"}));

    // Both 0 with movements: every stitch lies on the start point.
    decode("dot.pec", pecWith({5}, Bytes{0x00, 0x00, 0x00, 0x00} + kEnd));
    EXPECT_EQ(canvas.linesStarting("LineTo"), (std::vector<std::string>{"LineTo 72 200", "LineTo 72 200"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 0.0 x 0.0 mm");
}

TEST_F(PesReader, PositionsBeyond2To24UnitsAreSummedInSinglePrecision)
{
    // 10000 steps of 2047 down: past 16777216 units single precision no longer holds
    // every integer, and the single-precision sums reach 20471804, not 20470000. The
    // start point lies above the cell by that much times 240 / 65535 x 0.5.
    Bytes stream;
    for (int i = 0; i < 10000; ++i) {
        gen::appendPecPart(stream, 0);
        gen::appendPecPart(stream, 2047);
    }
    decode("far.pec", pecWith({5}, stream + kEnd));
    const auto moves = canvas.linesStarting("MoveTo");
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.front(), "MoveTo 72 -37282");  // -37278 from exact sums
    EXPECT_EQ(canvas.texts[1], "Stitches: 10000, Size: 0.0 x 6553.5 mm");
}

TEST_F(PesReader, LongValuesBeyond255MoveWithoutALine)
{
    const Bytes stream = Bytes{0x80, 0xFF, 0x01} + Bytes{0x81, 0x00, 0x01} + Bytes{0x8F, 0x00, 0x01} +
                         Bytes{0x8E, 0xFF, 0x01} + Bytes{0x01, 0x81, 0x00} + Bytes{0x01, 0x8F, 0x00} + kEnd;
    decode("long.pec", pecWith({5}, stream));
    std::vector<std::string> kinds;
    for (const auto& line : drawingCalls(canvas.log))
        kinds.push_back(line.substr(0, 6));
    const std::vector<std::string> expected = {"PenCol", "MoveTo", "LineTo", "MoveTo", "LineTo",
                                               "MoveTo", "MoveTo", "LineTo", "PenCol"};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(stitchesOf(), "6");  // moves count as stitches too
}

TEST_F(PesReader, TheEndMovementStopsBothPasses)
{
    // (1, 0), then 0xFF 0x01 moves 255 in x; then (0, 255) ends: what follows is neither
    // measured nor drawn.
    decode("end.pec", pecWith({5}, Bytes{0x01, 0x00, 0xFF, 0x01, 0x00, 0xFF, 0x3F, 0x3F, 0x3F, 0x3F} + kEnd));
    // W = 255, H = 1: scale 286 / 255 x 0.5; the 255 units span 143 pixels. Less than a
    // pixel high, the design stands half a line (4) above the middle line.
    EXPECT_EQ(canvas.linesStarting("MoveTo"), std::vector<std::string>{"MoveTo 73 199"});
    EXPECT_EQ(canvas.linesStarting("LineTo"), (std::vector<std::string>{"LineTo 73 199", "LineTo 216 200"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 25.5 x 0.1 mm");

    for (const Bytes& end : {Bytes{0x80, 0xFF, 0x00}, Bytes{0x80, 0xFF, 0x80, 0x00}, Bytes{0xFF, 0x00}}) {
        decode("end.pec", pecWith({5}, Bytes{0x0A, 0x00, 0x0A, 0x00} + end + Bytes{0x30, 0x30}));
        EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 1.0 x 0.0 mm");
    }
    // Without an end the stream stops at the end of the stitch block; a cut item is dropped.
    decode("noend.pec", pecWith({5}, Bytes{0x0A, 0x00, 0x0A, 0x00, 0x81}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 1.0 x 0.0 mm");
}

TEST_F(PesReader, StitchBlockLengthBoundsTheStream)
{
    // L counts to the last byte read: a section claiming a shorter block reads less, and
    // a block length of less than 20 reads nothing.
    Bytes section = gen::pecSection("t", {5}, Bytes{0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x00} + kEnd, 0, 0);
    section[514] = 19 + 4;
    decode("a.pec", gen::pecFile(section));
    EXPECT_EQ(stitchesOf(), "2");
    section[514] = 19;
    decode("a.pec", gen::pecFile(section));
    EXPECT_EQ(stitchesOf(), "0");
    section[514] = 3;
    decode("a.pec", gen::pecFile(section));
    EXPECT_EQ(stitchesOf(), "0");
    section[514] = 0xFF;
    section[515] = 0xFF;
    section[516] = 0xFF;  // far past the end of the file: the file's end stops the stream
    decode("a.pec", gen::pecFile(section));
    EXPECT_EQ(stitchesOf(), "3");
}

TEST_F(PesReader, StitchCountWrapsAt65536)
{
    const Bytes pair = Bytes{0x01, 0x00, 0x7F, 0x00};
    decode("many.pec", pecWith({5}, repeat(pair, 32768) + kEnd));
    EXPECT_EQ(stitchesOf(), "0");
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 65536u);
    decode("many.pec", pecWith({5}, repeat(pair, 32768) + Bytes{0x01, 0x00} + kEnd));
    EXPECT_EQ(stitchesOf(), "1");
}

TEST_F(PesReader, ItemsStraddlingBlockBoundariesAreJoined)
{
    // The stream is read in 512-byte blocks: put a long move, a colour change and a long
    // line across the first boundary at every offset.
    for (std::size_t prefix = 506; prefix <= 512; ++prefix) {
        const bool odd = prefix % 2 == 1;
        const std::size_t fillers = (odd ? prefix - 3 : prefix) / 2;
        Bytes stream = odd ? kChange : Bytes{};
        stream = stream + repeat(Bytes{0x01, 0x00}, fillers) + Bytes{0x81, 0x00, 0x8F, 0x00} + kChange +
                 Bytes{0x80, 0x10, 0x80, 0x20} + kEnd;
        ASSERT_EQ(stream.size(), prefix + 4 + 3 + 4 + 2);
        decode("edge.pec", pecWith({5, 13, 2}, stream));
        const auto calls = drawingCalls(canvas.log);
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(calls[calls.size() - 4].substr(0, 6), "MoveTo") << prefix;
        EXPECT_EQ(calls[calls.size() - 3], penLine(chart.color(odd ? 2 : 13))) << prefix;
        EXPECT_EQ(calls[calls.size() - 2].substr(0, 6), "LineTo") << prefix;
        EXPECT_EQ(stitchesOf(), std::to_string(fillers + 2)) << prefix;
        EXPECT_EQ(canvas.texts[2].substr(0, 17), odd ? "Color Changes: 2," : "Color Changes: 1,") << prefix;
    }
}

TEST(PesSizing, SectionAndExtentsFromTheBytesAlone)
{
    // Points (10, 10) and (20, 20) behind a PES offset of 700; the start point does not count.
    const Bytes file = pesWith({5, 0xFF}, Bytes{0x0A, 0x0A, 0x0A, 0x0A} + kEnd + Bytes{0x30, 0x30}, 700);
    MemoryFile memory(file);
    std::array<std::uint8_t, 512> buffer{};
    ByteCursor cursor(memory, buffer);
    pes::Section section;
    ASSERT_EQ(pes::readSection(cursor, true, section), pes::SectionStatus::Ok);
    EXPECT_EQ(section.offset, 700);
    EXPECT_EQ(section.threadCount, 2u);
    EXPECT_EQ(section.threads[1], 16);  // 0xFF, reduced
    const pes::Figures f = pes::measure(cursor, section);
    EXPECT_EQ(f.xmin, 10.0f);
    EXPECT_EQ(f.xmax, 20.0f);
    EXPECT_EQ(f.ymin, 10.0f);
    EXPECT_EQ(f.ymax, 20.0f);
    EXPECT_EQ(f.width, 10);
    EXPECT_EQ(f.height, 10);

    // The stream ends at section offset 512 + L: GetPesData hands nothing beyond it.
    cursor.seek(section.streamStart());
    cursor.limitTo(section.streamStart() + 3);
    EXPECT_EQ(pes::GetPesData(cursor).kind, pes::ItemKind::Movement);
    EXPECT_EQ(pes::GetPesData(cursor).kind, pes::ItemKind::Incomplete);
    EXPECT_EQ(pes::iMin(512, -4), -4);

    // Read as PEC (no "PES" in the name), the section is taken to follow the signature.
    EXPECT_EQ(pes::readSection(cursor, false, section), pes::SectionStatus::Ok);
    EXPECT_EQ(section.offset, 8);
    const Bytes unsigned8{'#', 'P', 'E', 'S', '0', '1', 'x', '0'};
    MemoryFile wrong(unsigned8);
    ByteCursor wrongCursor(wrong, buffer);
    EXPECT_EQ(pes::readSection(wrongCursor, true, section), pes::SectionStatus::UnknownFormat);
    // A later version with nothing behind its signature is bad, not unknown.
    const Bytes later{'#', 'P', 'E', 'S', '0', '1', '0', '0'};
    MemoryFile truncated(later);
    ByteCursor shortCursor(truncated, buffer);
    EXPECT_EQ(pes::readSection(shortCursor, true, section), pes::SectionStatus::BadFormat);
}

TEST_F(PesReader, RemarksAndThreadListFollowTheLayout)
{
    const Bytes file = pecWith({5, 13}, Bytes{0x0A, 0x00} + kChange + Bytes{0x00, 0x0A, 0x76, 0x00} + kEnd);
    const std::vector<std::string> two = {"Stitches: 3, Size: 1.0 x 1.0 mm", "Color Changes: 1, Size: 0.04 x 0.04 In."};
    const std::vector<std::string> four = {"Stitches: 3", "Size: 1.0 x 1.0 mm", "Size: 0.04 x 0.04 In.",
                                           "Color Changes: 1"};
    decode("r.pec", file, Layout::Standard);
    EXPECT_EQ(remarksAfterName(), (std::vector<std::string>{two[0], two[1], "1. Red, 2. Yellow"}));
    decode("r.pec", file, Layout::Enlarged);
    EXPECT_EQ(remarksAfterName(), (std::vector<std::string>{two[0], two[1], "1. Red, 2. Yellow"}));
    decode("r.pec", file, Layout::NoRemarks);
    EXPECT_TRUE(remarksAfterName().empty());
    decode("r.pec", file, Layout::Thumb12);
    EXPECT_EQ(remarksAfterName(), four);
    decode("r.pec", file, Layout::Thumb20);
    EXPECT_TRUE(remarksAfterName().empty());
    decode("r.pec", file, Layout::Thumb30);
    EXPECT_TRUE(remarksAfterName().empty());
    // Whatever the layout, the pen is black once the design is done.
    EXPECT_EQ(canvas.pen, Black);
}

TEST_F(PesReader, ThreadListWrapsAtItsWidthLimitAndStopsAtItsCell)
{
    const Bytes oneStitch = Bytes{0x0A, 0x05} + kEnd;
    // Standard: 0.8 x 286 = 229, x 0.95 = 218 pixels; 36 characters of 6 pixels fit.
    decode("w.pec", pecWith({2, 2, 2, 2, 2}, oneStitch));
    const std::vector<std::string> remarks = remarksAfterName();
    ASSERT_EQ(remarks.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(remarks.begin() + 2, remarks.end()),
              (std::vector<std::string>{"1. Blue, 2. Blue, 3. Blue, 4. Blue", "5. Blue"}));
    EXPECT_EQ(canvas.linesStarting("TextOut").back(), "TextOut 72 228 \"5. Blue\"");

    // A design without a stitch lists no threads, however many its header claims.
    std::vector<std::uint8_t> threads;
    for (int i = 0; i < 256; ++i)
        threads.push_back(std::uint8_t(i * 7 % 70));
    decode("empty.pec", pecWith(threads, kEnd));
    EXPECT_EQ(remarksAfterName().size(), 2u);

    // A long list wraps below the limit (the next entry would not have fitted: 0.48 of
    // the cell width enlarged, 0.76 in the standard layout) and stops above the next
    // row's name line (312 = 444 - 120 - 12) or the page's foot (600 - 12), its last
    // line ending in "...".
    for (const Layout layout : {Layout::Standard, Layout::Enlarged}) {
        decode("w.pec", pecWith(threads, oneStitch), layout);
        const int base = int(std::nearbyint(s.CellWidth * 0.8));
        const int limit = int(std::nearbyint(base * (layout == Layout::Enlarged ? 0.6 : 0.95)));
        const std::vector<std::string> lines(canvas.texts.begin() + 3, canvas.texts.end());
        ASSERT_GT(lines.size(), 2u);
        for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
            EXPECT_LT(canvas.textWidth(lines[k]), limit);
            const std::string next = lines[k + 1].substr(0, lines[k + 1].find(','));
            EXPECT_GE(canvas.textWidth(lines[k] + ", " + next), limit);
        }
        EXPECT_EQ(lines.back().substr(lines.back().size() - 4), " ...");
        EXPECT_NE(lines.front().find("1. " + chart.name(threads[0])), std::string::npos);
        int lowest = 0;
        ASSERT_EQ(std::sscanf(canvas.linesStarting("TextOut").back().c_str(), "TextOut %*d %d", &lowest), 1);
        const int bottom = layout == Layout::Enlarged ? 600 - 12 : 312;
        EXPECT_LE(lowest + RecordingCanvas::kTextHeight, bottom);
        EXPECT_GT(lowest + s.LineHeight + RecordingCanvas::kTextHeight, bottom);
    }
}

} // namespace
} // namespace orlika::test
