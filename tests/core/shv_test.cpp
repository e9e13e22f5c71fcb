// SPDX-License-Identifier: MIT
// SHV: the stream's items, colour changes where the block lengths say, the picture's two size
// forms, the headers a reader refuses, cut files, the bundled samples against their DST and
// the real files.
#include "cell/CellRules.h"
#include "decoders/Shv.h"
#include "tests/support/NamedDesigns.h"
#include "tools/designgen/ByteOut.h"

#include <gtest/gtest.h>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;

const Bytes kSmallPicture{2, 2, 1, 1, 1, 1, 0, 0};

// An SHV file of colour blocks (length in 2-byte units, table index) and a stream.
Bytes shvFile(const std::vector<shv::ColorBlock>& blocks, const Bytes& stream, const Bytes& picture = kSmallPicture)
{
    Bytes f;
    gen::putText(f, shv::kSignature);
    f.push_back(4);
    gen::putText(f, "TEST");
    f.insert(f.end(), picture.begin(), picture.end());
    f.push_back(std::uint8_t(blocks.size()));
    f.insert(f.end(), {0xC4, 0x28, 0x00, 0x30, 0x00, 0x00});
    f.insert(f.end(), 12, 0);  // extents and the stream's length: not read
    for (const shv::ColorBlock& block : blocks) {
        gen::putBigEndian(f, block.units, 4);
        f.push_back(block.colorIndex);
        f.insert(f.end(), 9, 0);
    }
    f.insert(f.end(), stream.begin(), stream.end());
    return f;
}

std::string colorStep(Color color)
{
    return stepTexts({Movement{0, 0, color, Step::ColorChange}}).front();
}

TEST(ShvItems, PlainPairsLongMovesAndControls)
{
    const auto item = [](const Bytes& bytes) { return shv::decodeItem(bytes); };
    shv::Item i = item({0x05, 0xFB});
    EXPECT_EQ(i.kind, shv::ItemKind::Plain);
    EXPECT_EQ(std::tuple(i.size, i.units, i.dx, i.dy), std::tuple(2, 1, 5, -5));
    i = item({0x80, 0x01, 0xFF, 0x38, 0x01, 0x2C});
    EXPECT_EQ(i.kind, shv::ItemKind::LongMove);
    EXPECT_EQ(std::tuple(i.size, i.units, i.dx, i.dy), std::tuple(6, 3, -200, 300));
    EXPECT_EQ(item({0x80, 0x02}).kind, shv::ItemKind::EndTravel);
    EXPECT_EQ(item({0x80, 0x03}).kind, shv::ItemKind::Trim);
    EXPECT_EQ(item({0x80, 0x07}).kind, shv::ItemKind::Unknown);
    EXPECT_EQ(item({0x80, 0x01, 0x00, 0x05, 0x00}).kind, shv::ItemKind::Incomplete);
    EXPECT_EQ(item({0x05}).kind, shv::ItemKind::Incomplete);
}

TEST(ShvReader, BlockLengthsPlaceTheColourChangesAndEndTheDesign)
{
    // Block 1: two stitches (2 units). Block 2: empty. Block 3: a long move (3 units), a
    // travelling pair, 80 02, a trim, a stitch (7 units). What follows is not read.
    const Bytes stream{0x0A, 0x00, 0x0A, 0x00,                    // block 1
                       0x80, 0x01, 0x00, 0x05, 0xFF, 0xFB,        // block 3
                       0x03, 0x03, 0x80, 0x02, 0x80, 0x03, 0x00, 0x04,
                       0x05, 0x05, 0x80, 0x03};
    const DesignValue v = decodeNamed("blocks.shv", shvFile({{2, 3}, {0, 12}, {7, 5}}, stream));
    ASSERT_TRUE(v.accepted);
    ASSERT_FALSE(v.error);
    const std::vector<std::string> expected = {
        "Stitch 10 0", "Stitch 10 0", colorStep(rgb(255, 255, 255)), colorStep(rgb(255, 255, 0)),
        "Jump 5 -5",   "Jump 3 3",    "Trim",                        "Stitch 0 4",
        "End"};
    EXPECT_EQ(stepTexts(v.movements), expected);
    const Design& d = v.design;
    EXPECT_EQ(d.remarks.stitches, 3);
    EXPECT_EQ(d.remarks.colorChanges, 2);
    // Points (10, 0), (20, 0), (25, -5), (28, -2), (28, 2), y down; the origin in the minima.
    EXPECT_EQ(d.bounds.minX, 0);
    EXPECT_EQ(d.bounds.maxX, 28);
    EXPECT_EQ(d.bounds.minY, -5);
    EXPECT_EQ(d.bounds.maxY, 2);
    EXPECT_EQ(d.frame.low, 5);
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. Red", "2. White", "3. Yellow"}));
    EXPECT_EQ(d.startColor, rgb(255, 0, 0));
}

TEST(ShvReader, TheStreamStopsWhereTheDataEndsOrAtAnUnknownControl)
{
    const auto steps = [](const std::vector<shv::ColorBlock>& blocks, const Bytes& stream) {
        const DesignValue v = decodeNamed("short.shv", shvFile(blocks, stream));
        EXPECT_TRUE(v.accepted && !v.error);
        return stepTexts(v.movements);
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(steps({{100, 1}}, {0x01, 0x01, 0x80, 0x09, 0x02, 0x02}), Texts{"Stitch 1 1"});
    EXPECT_EQ(steps({{100, 1}}, {0x01, 0x01, 0x80, 0x01, 0x00}), Texts{"Stitch 1 1"});
    EXPECT_EQ(steps({{100, 1}}, {0x01, 0x01, 0x02}), Texts{"Stitch 1 1"});
    // A used-up block gives way only to an item that follows.
    EXPECT_EQ(steps({{1, 1}, {5, 12}}, {0x01, 0x01}), Texts{"Stitch 1 1"});
    // No blocks: nothing to sew. Blocks of no units after the last item: the design ends.
    EXPECT_EQ(steps({}, {0x01, 0x01}), Texts{"End"});
    EXPECT_EQ(steps({{1, 1}, {0, 2}}, {0x01, 0x01, 0x02, 0x02}), (Texts{"Stitch 1 1", "End"}));
    // An index beyond the table is an unknown thread.
    const DesignValue v = decodeNamed("unknown.shv", shvFile({{1, 43}}, {0x01, 0x01}));
    EXPECT_EQ(v.design.threads.at(0).color, Black);
    EXPECT_EQ(v.design.cellList, std::vector<std::string>{"1. Unknown"});
}

TEST(ShvReader, PicturesInBothSizeFormsAreSkipped)
{
    const Bytes stream{0x01, 0x02};
    // 3 lines of 5 pixels: 3 bytes a line.
    const Bytes narrow{3, 5, 1, 2, 1, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Bytes wide{0xFF, 0xFF, 0x01, 0x00, 0x03, 0x00, 0x05, 0x00, 0x02, 0x00, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (const Bytes* picture : {&narrow, &wide}) {
        const DesignValue v = decodeNamed("picture.shv", shvFile({{1, 1}}, stream, *picture));
        ASSERT_TRUE(v.accepted);
        EXPECT_EQ(stepTexts(v.movements), (std::vector<std::string>{"Stitch 1 2", "End"}));
    }
}

TEST(ShvReader, HeadersThatCannotBeAreRejected)
{
    const auto rejected = [](const std::string& what, const Bytes& f) {
        const DesignValue v = decodeNamed("bad.shv", f);
        EXPECT_FALSE(v.accepted) << what;
        ASSERT_TRUE(v.design.rejection) << what;
        EXPECT_EQ(v.design.rejection->cellText, "Unknown Format");
        EXPECT_TRUE(cellRuleOf(*readerNamed("SHVFormat")).rejected.selectionColor);
        ASSERT_EQ(v.design.messages.size(), 1u);
        EXPECT_EQ(v.design.messages[0].text, "bad.shv Has an Unknown File Format");
        EXPECT_EQ(v.design.messages[0].caption, "SHV File Format Error");
    };
    const Bytes good = shvFile({{2, 1}}, {0x01, 0x01, 0x02, 0x02});
    ASSERT_TRUE(decodeNamed("good.shv", good).accepted);
    Bytes f = good;
    f[50] = 'O';  // one letter of the text changed
    rejected("another text", f);
    rejected("a picture past the end", shvFile({{2, 1}}, {}, {200, 200, 0, 0, 0, 0}));
    rejected("block records past the end", Bytes(good.begin(), good.end() - 6));
    rejected("the text alone", Bytes(good.begin(), good.begin() + 86));
}

TEST(ShvReader, CutFilesDrawWhatTheyHoldOrAreRejected)
{
    const Bytes star = fileBytesAt(fs::path(ORLIKA_SAMPLES) / "star.shv");
    const DesignValue whole = decodeNamed("star.shv", star);
    ASSERT_TRUE(whole.accepted);
    const auto wholeSteps = stepTexts(whole.movements);
    for (std::size_t length = 0; length < star.size(); ++length) {
        const DesignValue v = decodeNamed("cut.shv", Bytes(star.begin(), star.begin() + std::ptrdiff_t(length)));
        ASSERT_FALSE(v.error) << length;
        if (!v.accepted)
            continue;
        const auto steps = stepTexts(v.movements);
        ASSERT_LT(steps.size(), wholeSteps.size()) << length;
        EXPECT_TRUE(std::equal(steps.begin(), steps.end(), wholeSteps.begin())) << "cut to " << length;
    }
}

TEST(ShvSamples, ReadAsTheirDstWithTheirThreads)
{
    for (const char* design : {"star", "circle"}) {
        SCOPED_TRACE(design);
        const DesignValue shv = decodeSample(std::string(design) + ".shv");
        expectSameDesignAsDst(decodeSample(std::string(design) + ".dst"), shv);
        EXPECT_EQ(shv.movements.back().kind, Step::End);
    }
    // SHV table indices 5 Yellow, 3 Red; 1 Blue, 12 White.
    const DesignValue star = decodeSample("star.shv");
    EXPECT_EQ(star.design.cellList, (std::vector<std::string>{"1. Yellow", "2. Red"}));
    EXPECT_EQ(star.design.startColor, rgb(255, 255, 0));
    EXPECT_EQ(decodeSample("circle.shv").design.cellList, (std::vector<std::string>{"1. Blue", "2. White"}));
    // y down: the star's top point (y 400 up in the design) is its lowest y.
    EXPECT_EQ(star.design.bounds.minY, -400);
}

TEST(ShvRealFiles, ReadWithTheirBlocksAndSize)
{
    const fs::path folder(ORLIKA_REAL_SAMPLES);
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no real design files at " << folder << ": SHV real files not checked";
    const DesignValue star = decodeNamed("Star.SHV", fileBytesAt(folder / "Star.SHV"));
    ASSERT_TRUE(star.accepted);
    EXPECT_FALSE(star.error);
    // The stream starts right behind the block records, with a long move (1, 151).
    ASSERT_FALSE(star.movements.empty());
    EXPECT_EQ(stepTexts(star.movements).front(), "Jump 1 151");
    EXPECT_EQ(star.design.remarks.stitches, 2539);
    EXPECT_EQ(star.design.remarks.colorChanges, 1);
    EXPECT_EQ(star.design.cellList, (std::vector<std::string>{"1. Dark Orange", "2. White"}));
    EXPECT_EQ(star.movements.back().kind, Step::End) << "the blocks' lengths add up to the stream";
    expectSameDesignAsDst(decodeNamed("Star.DST", fileBytesAt(folder / "Star.DST")), star, false);

    const DesignValue logo = decodeNamed("Embroidermodder.SHV", fileBytesAt(folder / "Embroidermodder.SHV"));
    ASSERT_TRUE(logo.accepted);
    EXPECT_FALSE(logo.error);
    EXPECT_EQ(logo.design.remarks.stitches, 3406);
    EXPECT_EQ(logo.design.remarks.colorChanges, 0);
    EXPECT_EQ(countOf(logo, Step::Trim), 1);
    EXPECT_EQ(logo.design.cellList, std::vector<std::string>{"1. Dark Blue"});
}

} // namespace
} // namespace orlika::test
