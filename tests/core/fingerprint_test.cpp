// SPDX-License-Identifier: MIT
// The fingerprint of a design's stitches: one design written by the sample generator as
// DST, PES and EXP, and copied under other names, has one fingerprint; designs that differ
// in a stitch, a colour boundary or a run have different ones; the units, the header, the
// start point, trims and jumps that only split a run do not count.
#include "catalog/DesignPaths.h"
#include "collection/DesignIndex.h"
#include "collection/Fingerprint.h"
#include "collection/IndexedDesign.h"
#include "platform/MemoryFile.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace orlika::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

IndexedDesign figuresOf(const std::string& name, Bytes bytes)
{
    IndexedDesign design;
    design.name = name;
    MemoryFile file(std::move(bytes));
    readDesignFigures(file, "/designs/" + name, design);
    return design;
}

std::string fingerprintOf(const std::string& name, Bytes bytes)
{
    const IndexedDesign design = figuresOf(name, std::move(bytes));
    EXPECT_EQ(design.error, "") << name;
    return design.fingerprint;
}

/// The fingerprint of movements given directly, as steps in the design's units, y up.
std::string fingerprintOf(const std::vector<Movement>& movements, DesignUnit unit = DesignUnit::TenthMillimetre)
{
    Design design;
    design.unit = unit;
    MovementForm steps;
    steps.yUp = true;
    PenTrace pen(design, steps);
    Fingerprinter fingerprint(unit);
    for (const Movement& movement : movements) {
        pen.follow(movement);
        fingerprint.take(movement, pen);
    }
    return fingerprint.value();
}

Movement stitch(float dx, float dy)
{
    return {dx, dy, 0, Step::Stitch};
}
Movement jump(float dx, float dy)
{
    return {dx, dy, 0, Step::Jump};
}
Movement colorChange(Color color = 0x0000FF)
{
    return {0, 0, color, Step::ColorChange};
}
Movement trim()
{
    return {0, 0, 0, Step::Trim};
}

TEST(Fingerprint, OneDesignWrittenAsDstPesAndExpHasOneFingerprint)
{
    for (const gen::Design& design : {gen::makeStar(150), gen::makeFilledCircle(200), gen::makeTextOutline("ORLIKA", 120),
                                      gen::makeSpiral(3000, 4)}) {
        SCOPED_TRACE(design.name);
        const std::string dst = fingerprintOf("a.dst", gen::writeDst(design));
        EXPECT_FALSE(dst.empty());
        EXPECT_EQ(fingerprintOf("b.pes", gen::writePes(design)), dst);
        EXPECT_EQ(fingerprintOf("c.exp", gen::writeExp(design)), dst);
        EXPECT_EQ(fingerprintOf("d.pec", gen::writePec(design)), dst);
        // A copy under another name, and in another folder.
        EXPECT_EQ(fingerprintOf("copy of a.DST", gen::writeDst(design)), dst);
    }
}

TEST(Fingerprint, DifferentDesignsHaveDifferentFingerprints)
{
    std::set<std::string> seen;
    std::vector<gen::Design> designs;
    for (int radius = 100; radius < 140; ++radius)
        designs.push_back(gen::makeStar(radius));
    designs.push_back(gen::makeFilledCircle(120));
    designs.push_back(gen::makeTextOutline("ROSE", 100));
    designs.push_back(gen::makeTextOutline("ROSA", 100));
    for (const gen::Design& design : designs)
        EXPECT_TRUE(seen.insert(fingerprintOf("x.dst", gen::writeDst(design))).second);

    // One stitch moved by a tenth of a millimetre.
    gen::Design moved = gen::makeStar(150);
    for (auto& step : moved.steps)
        if (step.kind == gen::Step::Kind::Stitch) {
            step.x += 1;
            break;
        }
    EXPECT_NE(fingerprintOf("x.dst", gen::writeDst(moved)), fingerprintOf("x.dst", gen::writeDst(gen::makeStar(150))));
    // The same stitches without the colour boundary.
    gen::Design oneColor = gen::makeStar(150);
    std::erase_if(oneColor.steps, [](const gen::Step& step) { return step.kind == gen::Step::Kind::ColorChange; });
    EXPECT_NE(fingerprintOf("x.dst", gen::writeDst(oneColor)), fingerprintOf("x.dst", gen::writeDst(gen::makeStar(150))));
}

TEST(Fingerprint, UnitsHeaderStartPointTrimsAndSplitJumpsDoNotCount)
{
    const std::vector<Movement> base = {jump(50, 20),   stitch(10, 0), stitch(10, 5), stitch(0, 10),
                                        colorChange(),  jump(300, 0),  stitch(5, 5),  stitch(-10, 0)};
    const std::string expected = fingerprintOf(base);
    ASSERT_FALSE(expected.empty());
    // The same stitches in sixths of a millimetre: 10 tenths are 6 sixths.
    const std::vector<Movement> sixths = {jump(30, 12),  stitch(6, 0),  stitch(6, 3), stitch(0, 6),
                                          colorChange(), jump(180, 0), stitch(3, 3), stitch(-6, 0)};
    EXPECT_EQ(fingerprintOf(sixths, DesignUnit::SixthMillimetre), expected);
    // Another start point, the long jump in pieces, a jump to where the needle already is
    // and back, trims, a stitch that does not move the needle, colour changes before the
    // first stitch and twice in a row.
    const std::vector<Movement> noisy = {colorChange(), jump(-500, 70), jump(620, -40), stitch(10, 0), trim(),
                                         stitch(0, 0),  stitch(10, 5),  jump(7, 7),     jump(-7, -7), stitch(0, 10),
                                         colorChange(), colorChange(),  trim(),         jump(100, 0), jump(100, 0),
                                         jump(100, 0),  stitch(5, 5),   stitch(-10, 0), colorChange()};
    EXPECT_EQ(fingerprintOf(noisy), expected);
    // The jump to the first point cancelled, the needle starting on it (as EXP's reader
    // does), or a first stitch that goes nowhere before it.
    std::vector<Movement> startingThere = base;
    startingThere[0] = jump(0, 0);
    EXPECT_EQ(fingerprintOf(startingThere), expected);
    std::vector<Movement> standingFirst = base;
    standingFirst.insert(standingFirst.begin(), stitch(0, 0));
    EXPECT_EQ(fingerprintOf(standingFirst), expected);

    // What does count: a jump that moves where a run goes on, a boundary elsewhere.
    std::vector<Movement> movedRun = base;
    movedRun[5] = jump(301, 0);
    EXPECT_NE(fingerprintOf(movedRun), expected);
    std::vector<Movement> otherBoundary = base;
    std::swap(otherBoundary[3], otherBoundary[4]);
    EXPECT_NE(fingerprintOf(otherBoundary), expected);
    EXPECT_EQ(fingerprintOf({jump(10, 10), colorChange(), trim()}), "");  // no stitch, no fingerprint

    // A DST header's label and counts are not the stitches.
    Bytes relabelled = gen::writeDst(gen::makeStar(150));
    for (int i = 3; i < 10; ++i)
        relabelled[std::size_t(i)] = 'Z';
    EXPECT_EQ(fingerprintOf("a.dst", relabelled), fingerprintOf("a.dst", gen::writeDst(gen::makeStar(150))));
}

TEST(Fingerprint, TheIndexKeepsEachDesignsFingerprint)
{
    TempFolder temp;
    const gen::Design star = gen::makeStar(150);
    writeBytes(temp.path() / "tree" / "star.dst", gen::writeDst(star));
    writeBytes(temp.path() / "tree" / "other" / "star copy.exp", gen::writeExp(star));
    writeZip(temp.path() / "tree" / "pack.zip", {{"star.pes", gen::writePes(star)}});
    writeBytes(temp.path() / "tree" / "circle.dst", gen::writeDst(gen::makeFilledCircle(150)));
    DesignIndex index(temp.folder() + "cache/index.sqlite");
    index.refresh(temp.folder() + "tree/");
    std::map<std::string, std::string> fingerprints;
    for (const auto& design : index.select(temp.folder() + "tree/", {}))
        fingerprints[pathUnder(temp.folder() + "tree/", design)] = design.fingerprint;
    ASSERT_EQ(fingerprints.size(), 4u);
    const std::string expected = fingerprintOf("star.dst", gen::writeDst(star));
    EXPECT_EQ(fingerprints["star.dst"], expected);
    EXPECT_EQ(fingerprints["other/star copy.exp"], expected);
    EXPECT_EQ(fingerprints[archiveEntryPath("pack.zip", "star.pes")], expected);
    EXPECT_NE(fingerprints["circle.dst"], expected);
    EXPECT_FALSE(fingerprints["circle.dst"].empty());
}

TEST(Fingerprint, CountsThePointsOfThePathAfterTheFirst)
{
    Fingerprinter fingerprint(DesignUnit::TenthMillimetre);
    Design design;
    PenTrace pen(design, MovementForm{});
    // The first point (1, 0); a step that goes nowhere; a jump, then a stitch.
    for (const Movement& movement : {stitch(1, 0), stitch(0, 0), jump(5, 5), stitch(1, 1)}) {
        pen.follow(movement);
        fingerprint.take(movement, pen);
    }
    EXPECT_EQ(fingerprint.points(), 2);
    EXPECT_EQ(fingerprint.value().substr(0, 2), "2-");
    EXPECT_EQ(fingerprint.value().size(), 2u + 32u);
}

} // namespace
} // namespace orlika::test
