// SPDX-License-Identifier: MIT
// Every text of a cell stays in the cell: a long error wraps to the cell's width and stops
// above the next row, a text that still would not fit is cut at the cell's edges, and a
// flat design's line stands above the remarks instead of through them.
#include "cell/CellRenderer.h"
#include "tests/support/CatalogFixture.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PcdWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace orlika::test {
namespace {

using Lines = std::vector<std::string>;

// Cell 1 of the standard layout on a 1000 x 600 screen: its left edge at 72, its middle
// line at 204, 286 wide, lines 8 apart; its texts stay above 312 (the next row's name line).
class CellTextTest : public CatalogFixture {
protected:
    CellTextTest()
    {
        setLayout(s, Layout::Standard);
        catalog.prepareScreenPage(canvas, 1000, 600);
        canvas.clear();
    }

    Lines textsAfterName() const { return Lines(canvas.log.begin() + 1, canvas.log.end()); }
};

TEST_F(CellTextTest, AnErrorWiderThanTheCellWrapsToItsWidthAndStopsAboveTheNextRow)
{
    s.DesignPath = "/designs/shop.zip";
    CellContext cell = catalog.cellContext(canvas);
    // 274 pixels (the cell less a gap of "XX") hold 45 characters; a word longer than that
    // is cut between its characters.
    cell.writeErrorCell(
        "its name ../../shop/spring-collection/large-roses-with-leaves-and-buds.dst leads out of the archive: not read",
        ErrorPlace::MiddleLine, false);
    EXPECT_EQ(textsAfterName(), (Lines{"TextOut 72 204 \"its name\"",
                                       "TextOut 72 212 \"../../shop/spring-collection/large-roses-with\"",
                                       "TextOut 72 220 \"-leaves-and-buds.dst leads out of the\"",
                                       "TextOut 72 228 \"archive: not read\""}));

    // Thirteen lines stand above 312; the last one shown ends in "..." within the width.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "word ";
    canvas.clear();
    cell.writeErrorCell(many, ErrorPlace::MiddleLine, false);
    const Lines lines = textsAfterName();
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "TextOut 72 204 \"word word word word word word word word word\"");
    EXPECT_EQ(lines[12], "TextOut 72 300 \"word word word word word word word word ...\"");

    // A message that fits is the one line it always was.
    canvas.clear();
    cell.writeErrorCell("Bad File Format (Not KSM Format)", ErrorPlace::MiddleLine, false);
    EXPECT_EQ(textsAfterName(), Lines{"TextOut 72 204 \"Bad File Format (Not KSM Format)\""});
}

TEST_F(CellTextTest, ATextThatWouldLeaveTheCellIsCutAtItsEdges)
{
    s.DesignPath = "/designs/a.dst";
    CellContext cell = catalog.cellContext(canvas);
    cell.setRemarkNote("A note after the remarks that is wider than the cell it stands in");
    float x = 0, y = 0;
    cell.writeRemarks(x, y, {72, 212}, cell.remarks(1234, 3, 1234, 567, DesignUnit::TenthMillimetre),
                      ShortRemarks::FourLines);
    // The cell's texts stand from the top of its name line (72) to 312, from 72 to 358.
    EXPECT_EQ(canvas.log, (Lines{"TextOut 72 212 \"Stitches: 1234\"", "TextOut 72 220 \"Size: 123.4 x 56.7 mm\"",
                                 "TextOut 72 228 \"Size: 4.86 x 2.23 In.\"", "TextOut 72 236 \"Color Changes: 3\"",
                                 "TextOut 72 244 \"A note after the remarks that is wider than the cell it "
                                 "stands in\" within 72 72 358 312"}));
    // Nor does a text reach below the cell's text bottom.
    canvas.clear();
    cell.writeText(72, 305, "Stitches: 1234");
    EXPECT_EQ(canvas.log, Lines{"TextOut 72 305 \"Stitches: 1234\" within 72 72 358 312"});
}

// The rows of the points a design's drawing reaches.
std::vector<int> rowsDrawn(const Lines& log)
{
    std::vector<int> rows;
    for (const std::string& line : log) {
        int x = 0, y = 0;
        if (std::sscanf(line.c_str(), "LineTo %d %d", &x, &y) == 2 || std::sscanf(line.c_str(), "MoveTo %d %d", &x, &y) == 2)
            if (std::find(rows.begin(), rows.end(), y) == rows.end())
                rows.push_back(y);
    }
    return rows;
}

gen::Design straightLine()
{
    gen::Design line;
    line.name = "line";
    line.threads = {1};
    line.stitch(0, 0);
    line.runTo(800, 0);
    return line;
}

TEST_F(CellTextTest, AFlatDesignStandsHalfALineAboveRemarksThatStartOnTheMiddleLine)
{
    const gen::Design line = straightLine();
    // The remarks of PES, EXP and PCD start on the middle line, at 204: the line stands at
    // 200, whether its points are steps (PES, EXP) or positions (PCD).
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::vector<std::uint8_t>>>{
             {"line.pes", gen::writePes(line)},
             {"line.exp", gen::writeExp(line)},
             {"line.pcs", gen::writePcd(line, {})}}) {
        decode(name, bytes);
        EXPECT_EQ(rowsDrawn(canvas.log), std::vector<int>{200}) << name;
        EXPECT_EQ(canvas.linesStarting("TextOut 72 204 \"Stitches: ").size(), 1u) << name;
        // Without remarks nothing is in its way: it stands on the middle line.
        decode(name, bytes, Layout::NoRemarks);
        EXPECT_EQ(rowsDrawn(canvas.log), std::vector<int>{204}) << name;
    }
    // DST's remarks start a line lower.
    decode("line.dst", gen::writeDst(line));
    EXPECT_EQ(rowsDrawn(canvas.log), std::vector<int>{204});
    EXPECT_EQ(canvas.linesStarting("TextOut 72 212 \"Stitches: ").size(), 1u);

    // A design a few pixels high stands on the middle line as it always has.
    gen::Design low = line;
    low.runTo(800, 20);
    decode("low.pes", gen::writePes(low));
    const std::vector<int> rows = rowsDrawn(canvas.log);
    EXPECT_EQ(*std::max_element(rows.begin(), rows.end()), 204);
    EXPECT_GT(rows.size(), 1u);
}

} // namespace
} // namespace orlika::test
