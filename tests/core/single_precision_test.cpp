// SPDX-License-Identifier: MIT
// Scales and start points are single-precision values. Each design here puts a point
// within a few millionths of a pixel's half, so that a scale or a start point kept in
// double instead (as an optimiser once did) moves it by one pixel. The numbers in the
// comments are those of the enlarged layout on a 1000 x 600 page: a 909 x 545 cell
// anchored at (273, 408).
#include "cell/CellRenderer.h"
#include "decoders/Extents.h"
#include "tests/support/CatalogFixture.h"
#include "tests/support/TestBytes.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/KsmWriter.h"
#include "tools/designgen/PcdWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

namespace orlika::test {
namespace {

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
};

// The box around every point moved or drawn to.
Box drawnBox(const RecordingCanvas& canvas)
{
    Box box;
    for (const auto& line : drawingCalls(canvas.log)) {
        int x = 0, y = 0;
        if (std::sscanf(line.c_str(), "MoveTo %d %d", &x, &y) != 2 && std::sscanf(line.c_str(), "LineTo %d %d", &x, &y) != 2)
            continue;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    }
    return box;
}

// The first point the pen is moved to.
std::string firstMove(const RecordingCanvas& canvas)
{
    const auto moves = canvas.linesStarting("MoveTo");
    return moves.empty() ? "" : moves.front();
}

Bytes dstFile(const gen::DstHeader& header, const std::vector<int>& stepsRight)
{
    Bytes file = gen::dstHeaderBlock(header);
    for (const int dx : stepsRight) {
        const auto r = gen::dstRecord(dx, 0, 0x03);
        file.insert(file.end(), r.begin(), r.end());
    }
    const auto end = gen::dstRecord(0, 0, 0xF3);
    return file + Bytes(end.begin(), end.end());
}

using SinglePrecision = CatalogFixture;

TEST_F(SinglePrecision, DstScaleAndStartPoint)
{
    // E = 990: sx = 0.459090918 (not 0.459090909), the start point 501.627289, and the
    // steps 4 x 121 + 8 end on 727.5 exactly, which rounds to 728.
    decode("wide.dst", dstFile({"w", 5, 0, 492, 498, 343, 497}, {121, 121, 121, 121, 8}), Layout::Enlarged);
    EXPECT_EQ(drawnBox(canvas).right, 728);
    // E = 221: sx = 2.05656099, the start point 480.712646, and one step of 120 ends on
    // 727.499939; with the scale or the start point in double it reaches 727.5.
    decode("narrow.dst", dstFile({"n", 1, 0, 120, 101, 60, 40}, {120}), Layout::Enlarged);
    EXPECT_EQ(drawnBox(canvas).right, 727);
}

TEST_F(SinglePrecision, PesScaleAndStartPoint)
{
    // W = 270, H = 50: s = 1.68333328. The start point 273 + 150 s is 525.5 as a single
    // (526) and 525.49999 in double (525); the steps end on 727.499939, and on 727.5 with
    // the scale in double.
    Bytes stream;
    for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{{0, -50}, {0, 50}, {-150, 0}, {200, 0}, {70, 0}}) {
        gen::appendPecPart(stream, dx);
        gen::appendPecPart(stream, dy);
    }
    gen::appendPecEnd(stream);
    const Bytes section = gen::pecSection("w", {5}, stream, 0, 0);
    for (const std::string name : {"wide.pec", "wide.pes"}) {
        decode(name, name.ends_with(".pec") ? gen::pecFile(section) : gen::pesFile(section), Layout::Enlarged);
        EXPECT_EQ(firstMove(canvas), "MoveTo 526 408") << name;
        EXPECT_EQ(drawnBox(canvas).right, 727) << name;
    }
}

TEST_F(SinglePrecision, PcdScaleOfEachAxis)
{
    // E = 300: sX = 1.51499999 and sY = 0.908333361 put the far corner on 727.4999957
    // and 135.4999917, where the scales in double give exactly 727.5 and 135.5.
    Bytes file{0x32, 0, 0, 0, 2, 0};
    for (const int at : {0, 300}) {
        const auto r = gen::pcdRecord(at * 256, at * 256, 0);
        file.insert(file.end(), r.begin(), r.end());
    }
    decode("square.pcs", file, Layout::Enlarged);
    const Box box = drawnBox(canvas);
    EXPECT_EQ(box.right, 727);
    EXPECT_EQ(box.top, 135);
    EXPECT_EQ(box.left, 273);
    EXPECT_EQ(box.bottom, 408);
}

TEST_F(SinglePrecision, KsmScaleAndStartPoint)
{
    // Width 306 from -135 to 171: s = 1.78235292, the start point 513.617615, and the
    // step of 255 ends on 727.499939; the scale or the start point in double gives 727.5.
    Bytes file(512, 0);
    file = file + Bytes{0x00, 0x00, 0x87, 0x00, 0x00, 0x8B};
    for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{{-135, 0}, {0, 50}, {255, 0}, {51, 0}}) {
        const auto r = gen::ksmRecord(dx, dy, gen::kKsmStitch);
        file.insert(file.end(), r.begin(), r.end());
    }
    const auto end = gen::ksmRecord(0, 0, gen::kKsmEnd);
    decode("wide.ksm", file + Bytes(end.begin(), end.end()), Layout::Enlarged);
    EXPECT_EQ(firstMove(canvas), "MoveTo 514 408");
    const std::vector<std::string> lines = {"LineTo 273 408", "LineTo 273 319", "LineTo 727 319", "LineTo 818 319",
                                            "LineTo 818 319"};
    EXPECT_EQ(canvas.linesStarting("LineTo"), lines);
}

TEST_F(SinglePrecision, ExpAndSewScaleAndStartPoint)
{
    // Width 85 from -45 to 40: s = 5.34705877, the start point 513.617615, and the step
    // of 85 ends on 727.499939; the scale or the start point in double gives 727.5.
    const Bytes records{std::uint8_t(-45), 0, 0, 50, 85, 0};
    decode("wide.exp", records, Layout::Enlarged);
    EXPECT_EQ(drawnBox(canvas).right, 727);

    Bytes sew(7544, 0);
    sew[0] = 1;  // one thread, palette entry 1
    sew[2] = 1;
    decode("wide.sew", sew + records, Layout::Enlarged);
    EXPECT_EQ(drawnBox(canvas).right, 727);
}

TEST(SinglePrecisionScale, KsmAndExpScaleComesFromTheExactWidth)
{
    // Extents as the sizing pass leaves them, 33554431 units apart: that width is not a
    // single-precision number (33554432 is), and the scale is that of the exact width.
    CellGeometry cell;
    cell.width = 182;
    cell.height = 133;
    const Placement byPointSixOfTheCell{.scale = Placement::Scale::SmallerOfSides, .factor = 0.6};
    const Extents wide{-16777215.0f, 16777216.0f, 0.0f, 0.0f};
    CellPlacement placed = placeInCell(byPointSixOfTheCell, {wide.width(), wide.height(), 0, 0}, cell);
    ASSERT_TRUE(placed.drawn);
    EXPECT_EQ(placed.scaleX, 3.254413741e-06f);  // 3.254413514e-06 from the rounded width
    cell.height = 182;
    const Extents tall{0.0f, 0.0f, -16777215.0f, 16777216.0f};
    placed = placeInCell(byPointSixOfTheCell, {tall.width(), tall.height(), 0, 0}, cell);
    ASSERT_TRUE(placed.drawn);
    EXPECT_EQ(placed.scaleY, 3.254413741e-06f);
}

} // namespace
} // namespace orlika::test
