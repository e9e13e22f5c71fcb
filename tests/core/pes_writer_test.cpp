// SPDX-License-Identifier: MIT
// The Brother writers: what their headers say of the stitches, the pictures machines show,
// the moves their reader must read as moves, and the bytes of a sample converted.
#include "decoders/PecThreads.h"
#include "decoders/Registry.h"
#include "encoders/Conversion.h"
#include "encoders/Proof.h"
#include "platform/MemoryFile.h"
#include "tests/support/TreeFiles.h"

#include "tests/support/NeedlePaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace orlika {
namespace {

using test::ListedNeedles;
using test::change;
using test::jump;
using test::stitch;
using test::trim;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;


/// Chart threads 1, 2, 3... for each block of the path.
std::vector<BlockThread> chartThreads(std::size_t blocks)
{
    std::vector<BlockThread> threads;
    for (std::size_t i = 0; i < blocks; ++i) {
        const int index = int(i % 64) + 1;
        const Color color = threadChart().color(index) & 0x00FFFFFF;
        threads.push_back({color, threadChart().name(index), "", "", index, color});
    }
    return threads;
}

struct Written {
    Bytes bytes;
    NeedleSummary summary;
    std::vector<BlockThread> threads;
};

/// The path cut to the encoder's limits and written with the threads given, else with
/// chart threads 1, 2, 3...
Written write(const Encoder& encoder, const std::vector<Needle>& path, const std::string& label = "made",
              std::vector<BlockThread> threads = {})
{
    ListedNeedles forSummary(path);
    SplitNeedles split(forSummary, encoder.limits);
    Written written{{}, summarize(split, Black), std::move(threads)};
    if (written.threads.empty())
        written.threads = chartThreads(written.summary.blockColors.size());
    const WriteOptions options{label, DstTrims::None};
    VectorSink sink;
    ListedNeedles forWriting(path);
    SplitNeedles splitForWriting(forWriting, encoder.limits);
    encoder.write({written.summary, written.threads, options}, splitForWriting, sink);
    written.bytes = sink.take();
    return written;
}

/// The first difference between the path and what the format's reader reads back of the
/// written bytes, colours included; "" when there is none.
std::string difference(const Encoder& encoder, const std::vector<Needle>& path, const Written& written)
{
    const std::string name = "made." + std::string(encoder.extension);
    MemoryFile file(written.bytes);
    DesignNeedles read(*readerOfName(name), file, name);
    ListedNeedles meant(path);
    SplitNeedles split(meant, encoder.limits);
    std::vector<Color> colors;
    for (const BlockThread& thread : written.threads)
        colors.push_back(thread.color);
    return firstDifference(split, read, colors, read.firstColor(), {false, true, encoder.travelReadsAsStitch})
        .value_or("");
}

/// The design's box as its reader measures it, in tenths of a millimetre.
std::pair<double, double> readSize(const Encoder& encoder, const Bytes& bytes)
{
    const std::string name = "made." + std::string(encoder.extension);
    MemoryFile file(bytes);
    DesignNeedles read(*readerOfName(name), file, name);
    return {read.design().bounds.width(), read.design().bounds.height()};
}

/// The kinds of movement the reader reads back, in order.
std::vector<Step> readSteps(const Encoder& encoder, const Bytes& bytes)
{
    const std::string name = "made." + std::string(encoder.extension);
    MemoryFile file(bytes);
    DesignNeedles read(*readerOfName(name), file, name);
    std::vector<Step> steps;
    for (Needle needle; read.next(needle);)
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump)
            steps.push_back(needle.kind == Needle::Kind::Stitch ? Step::Stitch : Step::Jump);
    return steps;
}

std::uint32_t little(const Bytes& bytes, std::size_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= std::uint32_t(bytes.at(at + std::size_t(i))) << (8 * i);
    return value;
}

/// The PEC section of a written file: where it starts, its colour list and its pictures.
struct PecSection {
    std::size_t offset = 0;
    std::vector<std::uint8_t> colors;
    std::size_t pictures = 0;  // where the pictures start
    std::size_t pictureCount = 0;
};

constexpr std::size_t kPictureBytes = 6 * 38;

PecSection pecSection(const Bytes& bytes, std::size_t offset)
{
    PecSection section;
    section.offset = offset;
    const std::size_t colors = std::size_t(bytes.at(offset + 48)) + 1;
    section.colors.assign(bytes.begin() + std::ptrdiff_t(offset + 49), bytes.begin() + std::ptrdiff_t(offset + 49 + colors));
    section.pictures = offset + 512 + little(bytes, offset + 514, 3);
    section.pictureCount = (bytes.size() - section.pictures) / kPictureBytes;
    return section;
}

/// Whether pixel (x, y) of picture `index` is set: 6 bytes a row, the leftmost pixel of
/// each byte in its lowest bit.
bool pixel(const Bytes& bytes, const PecSection& section, std::size_t index, int x, int y)
{
    const std::size_t at = section.pictures + index * kPictureBytes + std::size_t(y * 6 + x / 8);
    return (bytes.at(at) >> (x % 8)) & 1;
}

/// The rows of a picture with pixels inside its frame (columns 3..44, rows 3..34, clear of
/// its rounded corners).
std::set<int> drawnRows(const Bytes& bytes, const PecSection& section, std::size_t index)
{
    std::set<int> rows;
    for (int y = 3; y <= 34; ++y)
        for (int x = 3; x <= 44; ++x)
            if (pixel(bytes, section, index, x, y))
                rows.insert(y);
    return rows;
}

Bytes pictureRow(const Bytes& bytes, const PecSection& section, std::size_t index, int row)
{
    const auto at = std::ptrdiff_t(section.pictures + index * kPictureBytes + std::size_t(row) * 6);
    return Bytes(bytes.begin() + at, bytes.begin() + at + 6);
}

const Encoder& pecEncoder()
{
    return *encoderFor("PEC");
}

// PEC

TEST(PecWriter, HeaderGivesTheLabelTheColourListTheSizesAndWhereThePicturesAre)
{
    // Two blocks: a 40 x 25 mm zigzag from a start point 2 mm left of the stitches.
    std::vector<Needle> path{jump(20, 0)};
    for (int i = 0; i <= 8; ++i)
        path.push_back(stitch(20 + i * 50, (i % 2) * 250));
    path.push_back(change());
    path.push_back(stitch(300, 100));
    const Written written = write(pecEncoder(), path, "a label longer than sixteen");
    const Bytes& bytes = written.bytes;
    ASSERT_GT(bytes.size(), 540u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "#PEC0001");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 28), "LA:a label longer t\r");

    const PecSection section = pecSection(bytes, 8);
    EXPECT_EQ(section.colors, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(little(bytes, 8 + 520, 2), 420u);  // from the start point at 0 to 420
    EXPECT_EQ(little(bytes, 8 + 522, 2), 250u);
    EXPECT_EQ(readSize(pecEncoder(), bytes), (std::pair<double, double>{420, 250}));
    // The start point lies 0, 0 from the box's top-left corner.
    EXPECT_EQ(Bytes(bytes.begin() + 8 + 528, bytes.begin() + 8 + 532), (Bytes{0x90, 0x00, 0x90, 0x00}));
    // The stream ends right before the pictures: the whole design's and each colour's.
    EXPECT_EQ(bytes[section.pictures - 2], 0xFF);
    EXPECT_EQ(bytes[section.pictures - 1], 0x00);
    EXPECT_EQ(bytes.size(), section.pictures + 3 * kPictureBytes);
    EXPECT_EQ(difference(pecEncoder(), path, written), "");

    // A start point 300 mm right of the stitches: as far as a move reaches, 2047.
    const Written far = write(pecEncoder(), {jump(-3000, 0), stitch(-3000, 0), stitch(-2990, 10)});
    EXPECT_EQ(Bytes(far.bytes.begin() + 8 + 528, far.bytes.begin() + 8 + 532), (Bytes{0x97, 0xFF, 0x90, 0x00}));
}

TEST(PecWriter, ColourChangesAlternateTheirLastByteTwoInARowAreKeptAndNoneBeforeOrAfterTheStitches)
{
    // A change before the first stitch or after the last would ask for a thread that sews
    // nothing.
    const std::vector<Needle> path{change(), stitch(10, 0), change(), change(), stitch(20, 0),
                                   change(), stitch(30, 0), change(), jump(500, 0)};
    const Written written = write(pecEncoder(), path);
    const Bytes& bytes = written.bytes;
    std::vector<std::uint8_t> changes;
    const std::size_t end = pecSection(bytes, 8).pictures;
    for (std::size_t at = 8 + 532; at + 2 < end; ++at)
        if (bytes[at] == 0xFE && bytes[at + 1] == 0xB0)
            changes.push_back(bytes[at + 2]);
    EXPECT_EQ(changes, (std::vector<std::uint8_t>{2, 1, 2}));
    // The list starts with the thread of the block the first stitch sews in.
    EXPECT_EQ(pecSection(bytes, 8).colors, (std::vector<std::uint8_t>{2, 3, 4, 5}));
    EXPECT_EQ(difference(pecEncoder(), path, written), "");
}

TEST(PecWriter, ATravelIsALongFormMoveWithItsFlagHoweverShortAndTheCutMarksItsFirstPiece)
{
    // A 5 mm jump after a cut: one long-form item, dx 50 and dy 20, each part with the
    // trim flag 0x20, as Brother's own files have them.
    const std::vector<Needle> path{stitch(0, 0), stitch(200, 0), stitch(400, 0), stitch(600, 0), trim(),
                                   jump(650, 20), stitch(650, 30), stitch(600, 30)};
    const Written written = write(pecEncoder(), path);
    EXPECT_EQ(difference(pecEncoder(), path, written), "");
    const auto stream = written.bytes.begin() + 8 + 532;
    const auto streamEnd = written.bytes.begin() + std::ptrdiff_t(pecSection(written.bytes, 8).pictures);
    const Bytes trimmedMove{0xA0, 0x32, 0xA0, 0x14};
    EXPECT_NE(std::search(stream, streamEnd, trimmedMove.begin(), trimmedMove.end()), streamEnd);
    // The same without the cut carries the jump flag 0x10.
    std::vector<Needle> uncut = path;
    uncut.erase(uncut.begin() + 4);
    const Written jumped = write(pecEncoder(), uncut);
    const Bytes jumpMove{0x90, 0x32, 0x90, 0x14};
    const auto jumpedStream = jumped.bytes.begin() + 8 + 532;
    EXPECT_NE(std::search(jumpedStream, jumped.bytes.end(), jumpMove.begin(), jumpMove.end()), jumped.bytes.end());

    // A long travel in pieces of at most 2047 units, each read as a move.
    const std::vector<Needle> far{stitch(0, 0), stitch(10, 0), jump(5010, -300), stitch(5000, -300)};
    const Written farWritten = write(pecEncoder(), far);
    EXPECT_EQ(difference(pecEncoder(), far, farWritten), "");
    const std::vector<Step> farSteps = readSteps(pecEncoder(), farWritten.bytes);
    EXPECT_EQ(std::count(farSteps.begin(), farSteps.end(), Step::Jump), 3);
}

TEST(PecWriter, ATravelOf255BesideNothingNeverEndsTheStream)
{
    // 25.5 mm straight down would be 255 beside 0, the stream's end: in a design with room
    // it goes by way of a point inside the design, in two moves.
    const std::vector<Needle> roomy{stitch(0, 0), stitch(0, 250), stitch(250, 250), stitch(500, 250), stitch(500, 0),
                                    jump(500, 255), stitch(490, 255)};
    const Written written = write(pecEncoder(), roomy);
    EXPECT_EQ(difference(pecEncoder(), roomy, written), "");
    // In a design too small for that, in two halves, which read back as stitches: the
    // proof refuses the file, which still never ends early.
    const std::vector<Needle> small{stitch(0, 0), stitch(20, 0), jump(20, 255), stitch(20, 250)};
    const Written halved = write(pecEncoder(), small);
    EXPECT_NE(difference(pecEncoder(), small, halved), "");
    EXPECT_EQ(readSteps(pecEncoder(), halved.bytes).size(), 6u);  // nothing, 2 stitches, 2 halves, 1 stitch
}

TEST(PecWriter, PicturesShowTheStitchesScaledIntoTheFrameLeftmostPixelInTheLowestBit)
{
    // A 100 mm horizontal line, then in a second colour 3 mm of it again at its left end.
    std::vector<Needle> path;
    for (int x = 0; x <= 1000; x += 100)
        path.push_back(stitch(x, 0));
    path.push_back(change());
    path.push_back(jump(0, 0));
    path.push_back(stitch(0, 0));
    path.push_back(stitch(30, 0));
    const Written written = write(pecEncoder(), path);
    const Bytes& bytes = written.bytes;
    const PecSection section = pecSection(bytes, 8);
    ASSERT_EQ(section.pictureCount, 3u);
    // The frame: a line over columns 4..43 on rows 1 and 36.
    const Bytes frameRow{0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pictureRow(bytes, section, i, 1), frameRow);
        EXPECT_EQ(pictureRow(bytes, section, i, 36), frameRow);
    }
    // The line spans the drawing area, columns 4..43, on its middle row, between the
    // frame's sides in columns 1 and 46.
    const Bytes lineRow{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x4F};
    EXPECT_EQ(drawnRows(bytes, section, 0), (std::set<int>{19}));
    EXPECT_EQ(pictureRow(bytes, section, 0, 19), lineRow);
    EXPECT_EQ(drawnRows(bytes, section, 1), (std::set<int>{19}));
    EXPECT_EQ(pictureRow(bytes, section, 1, 19), lineRow);
    // The second colour's picture holds only its own stitches, at the left end.
    EXPECT_EQ(drawnRows(bytes, section, 2), (std::set<int>{19}));
    EXPECT_EQ(pictureRow(bytes, section, 2, 19), (Bytes{0x32, 0, 0, 0, 0, 0x40}));
}

TEST(PecWriter, SeventyColourBlocksKeepTheirChartThreadsAndPicturesAndThreeHundredStopAtTheListsEnd)
{
    std::vector<Needle> path;
    for (int block = 0; block < 70; ++block) {
        if (block > 0)
            path.push_back(change());
        path.push_back(stitch(block * 10, 0));
        path.push_back(stitch(block * 10, 100));
    }
    const Written written = write(pecEncoder(), path);
    EXPECT_EQ(difference(pecEncoder(), path, written), "");
    const PecSection section = pecSection(written.bytes, 8);
    ASSERT_EQ(section.colors.size(), 70u);
    for (std::size_t i = 0; i < 70; ++i)
        EXPECT_EQ(section.colors[i], i % 64 + 1);
    ASSERT_EQ(section.pictureCount, 71u);
    for (std::size_t i = 0; i < 71; ++i)
        EXPECT_FALSE(drawnRows(written.bytes, section, i).empty()) << "picture " << i;

    // The list holds 256 colours; the blocks after them sew, and are drawn, in the last.
    std::vector<Needle> many;
    for (int block = 0; block < 300; ++block) {
        many.push_back(stitch(block, block % 2));
        many.push_back(change());
    }
    const Written manyWritten = write(pecEncoder(), many);
    const PecSection manySection = pecSection(manyWritten.bytes, 8);
    EXPECT_EQ(manySection.colors.size(), 256u);
    EXPECT_EQ(manySection.pictureCount, 257u);
    EXPECT_EQ((manyWritten.bytes.size() - manySection.pictures) % kPictureBytes, 0u);
}

// PES version 1

const Encoder& pes1Encoder()
{
    return *encoderFor("PES");
}

/// One segment of the CSewSeg object: a stitch (0) or jump (1) segment, its thread and
/// its points.
struct Segment {
    std::uint16_t type = 0;
    std::uint16_t thread = 0;
    std::vector<std::pair<int, int>> points;
};

/// The CEmbOne and CSewSeg objects of a PES file whose header ends at `at`.
struct PesObject {
    std::vector<std::uint32_t> embOne;  // its 16-bit fields after the name, unsigned
    std::uint32_t segmentCount = 0;
    std::vector<Segment> segments;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> threadStarts;
    std::size_t end = 0;  // where the object ends
};

PesObject pesObject(const Bytes& bytes, std::size_t at)
{
    PesObject object;
    EXPECT_EQ(little(bytes, at, 2), 7u);
    EXPECT_EQ(std::string(bytes.begin() + std::ptrdiff_t(at + 2), bytes.begin() + std::ptrdiff_t(at + 9)), "CEmbOne");
    at += 9;
    for (int i = 0; i < 8; ++i, at += 2)
        object.embOne.push_back(little(bytes, at, 2));
    at += 24;  // the transform
    for (int i = 0; i < 5; ++i, at += 2)
        object.embOne.push_back(little(bytes, at, 2));
    at += 8;
    object.segmentCount = little(bytes, at, 2);
    EXPECT_EQ(little(bytes, at + 2, 4), 0xFFFFu);
    at += 6;
    EXPECT_EQ(std::string(bytes.begin() + std::ptrdiff_t(at + 2), bytes.begin() + std::ptrdiff_t(at + 9)), "CSewSeg");
    at += 9;
    for (;;) {
        Segment segment{std::uint16_t(little(bytes, at, 2)), std::uint16_t(little(bytes, at + 2, 2)), {}};
        const std::uint32_t count = little(bytes, at + 4, 2);
        at += 6;
        for (std::uint32_t i = 0; i < count; ++i, at += 4)
            segment.points.emplace_back(std::int16_t(little(bytes, at, 2)), std::int16_t(little(bytes, at + 2, 2)));
        object.segments.push_back(segment);
        if (little(bytes, at, 2) != 0x8003)
            break;
        at += 2;
    }
    const std::uint32_t starts = little(bytes, at, 2);
    at += 2;
    for (std::uint32_t i = 0; i < starts; ++i, at += 4)
        object.threadStarts.emplace_back(little(bytes, at, 2), little(bytes, at + 2, 2));
    EXPECT_EQ(little(bytes, at, 4), 0u);
    object.end = at + 4;
    return object;
}

TEST(PesWriter, Version1HeaderPointsAtTheSamePecSectionAsAPecFileAndNamesTheHoop)
{
    std::vector<Needle> path{jump(100, 100)};
    for (int i = 0; i <= 10; ++i)
        path.push_back(stitch(100 + i * 90, 100 + (i % 2) * 500));
    const Written pes = write(pes1Encoder(), path);
    const Bytes& bytes = pes.bytes;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "#PES0001");
    const std::uint32_t pecOffset = little(bytes, 8, 4);
    // 90 mm: the 100 x 100 mm hoop (0); design area kept; one object.
    EXPECT_EQ(little(bytes, 12, 2), 0u);
    EXPECT_EQ(little(bytes, 14, 2), 1u);
    EXPECT_EQ(little(bytes, 16, 2), 1u);
    EXPECT_EQ(little(bytes, 18, 4), 0xFFFFu);
    const PesObject object = pesObject(bytes, 22);
    // Between the object and the PEC section only the room left unused.
    ASSERT_LE(object.end, pecOffset);
    EXPECT_TRUE(std::all_of(bytes.begin() + std::ptrdiff_t(object.end), bytes.begin() + pecOffset,
                            [](std::uint8_t b) { return b == 0; }));
    const Written pec = write(pecEncoder(), path);
    EXPECT_TRUE(Bytes(bytes.begin() + pecOffset, bytes.end()) == Bytes(pec.bytes.begin() + 8, pec.bytes.end()));
    EXPECT_EQ(difference(pes1Encoder(), path, pes), "");

    path.push_back(stitch(1101, 600));  // 100.1 mm of stitches: the 130 x 180 mm hoop
    EXPECT_EQ(little(write(pes1Encoder(), path).bytes, 12, 2), 1u);
}

TEST(PesWriter, TheObjectHoldsEveryStitchInSegmentsWithItsThreadPlacedFromTheBoxCorner)
{
    // Box: -50..1950 by -300..0, the start point included. 1500 stitches in the first
    // colour, a travel, a change to the third chart thread, a stop in it, a cut.
    std::vector<Needle> path{jump(-50, -100)};
    for (int i = 0; i < 1500; ++i)
        path.push_back(stitch(i % 2 == 0 ? -50 : 50, -100 - (i % 3)));
    path.push_back(jump(1950, -300));
    path.push_back(stitch(1940, -300));
    path.push_back(change());
    path.push_back(stitch(1930, -290));
    path.push_back(change());
    path.push_back(change());
    path.push_back(stitch(1920, -280));
    path.push_back(trim());
    path.push_back(stitch(1910, -280));
    const Written written = write(pes1Encoder(), path);
    EXPECT_EQ(difference(pes1Encoder(), path, written), "");
    const PesObject object = pesObject(written.bytes, 22);

    // CEmbOne: the box twice, centred on 1000, 1000; its width and height.
    const std::vector<std::uint32_t> embOne{0, 850, 2000, 1150, 0, 850, 2000, 1150, 1, 0, 0, 2000, 300};
    EXPECT_EQ(object.embOne, embOne);
    EXPECT_EQ(object.segmentCount, object.segments.size());

    // Stitch segments start where the needle stands; a jump segment for the travel; a
    // segment of each colour block after it.
    std::vector<std::pair<int, int>> points;
    for (const Segment& segment : object.segments)
        if (segment.type == 0)
            points.insert(points.end(), segment.points.begin() + 1, segment.points.end());
    ASSERT_EQ(points.size(), 1504u);
    EXPECT_EQ(points[0], (std::pair<int, int>{0, 200}));
    EXPECT_EQ(points[1], (std::pair<int, int>{100, 199}));
    EXPECT_EQ(points.back(), (std::pair<int, int>{1960, 20}));
    ASSERT_EQ(object.segments.size(), 6u);
    EXPECT_EQ(object.segments[0].points.size(), 1000u);  // at most 1000 points a segment
    EXPECT_EQ(object.segments[1].points.front(), object.segments[0].points.back());
    EXPECT_EQ(object.segments[2].type, 1);
    EXPECT_EQ(object.segments[2].points, (std::vector<std::pair<int, int>>{{100, 198}, {2000, 0}}));
    std::vector<std::uint16_t> threads;
    for (const Segment& segment : object.segments)
        threads.push_back(segment.thread);
    EXPECT_EQ(threads, (std::vector<std::uint16_t>{1, 1, 1, 1, 2, 4}));
    // Where each thread starts, by segment: the stop (a change to an empty block) has no
    // segment of its own.
    EXPECT_EQ(object.threadStarts, (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0, 1}, {4, 2}, {5, 4}}));
}

// PES version 6

TEST(PesWriter, Version6ListsEachThreadOnceWithItsColourNameAndCodeAndTheObjectNamesThemByPlace)
{
    const Encoder& encoder = *encoderFor("PES", 6);
    const std::vector<Needle> path{stitch(0, 0), stitch(50, 0), change(), stitch(50, 50), change(), stitch(0, 50)};
    const BlockThread red{rgb(236, 0, 0), "Red", "800", "", 5};
    const BlockThread black{rgb(0, 0, 0), "Black", "900", "", 20};
    const Written written = write(encoder, path, "Roses", {red, black, red});
    const Bytes& bytes = written.bytes;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "#PES0060");
    EXPECT_EQ(difference(encoder, path, written), "");

    std::size_t at = 12;
    EXPECT_EQ(little(bytes, at, 2), 1u);
    EXPECT_EQ(std::string(bytes.begin() + 14, bytes.begin() + 16), "01");
    at = 16;
    // The design's name, then empty category, author, keywords and comments.
    EXPECT_EQ(bytes[at], 5);
    EXPECT_EQ(std::string(bytes.begin() + std::ptrdiff_t(at + 1), bytes.begin() + std::ptrdiff_t(at + 6)), "Roses");
    at += 6;
    EXPECT_EQ(Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + 4)), (Bytes{0, 0, 0, 0}));
    at += 4 + 4;
    EXPECT_EQ(little(bytes, at, 2), 100u);  // the hoop, in millimetres
    EXPECT_EQ(little(bytes, at + 2, 2), 100u);
    at += 4 + 12 * 2 + 1 + 4 + 4 + 8 + 4 + 14;

    // Red and black once each: code, red, green, blue, 0, 0x0A and three zeros, name,
    // brand, chart.
    ASSERT_EQ(little(bytes, at, 2), 2u);
    at += 2;
    const Bytes redEntry{3, '8', '0', '0', 236, 0, 0, 0, 0x0A, 0, 0, 0, 3, 'R', 'e', 'd', 0, 0};
    EXPECT_EQ(Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + redEntry.size())), redEntry);
    at += redEntry.size();
    const Bytes blackEntry{3, '9', '0', '0', 0, 0, 0, 0, 0x0A, 0, 0, 0, 5, 'B', 'l', 'a', 'c', 'k', 0, 0};
    EXPECT_EQ(Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + blackEntry.size())),
              blackEntry);
    at += blackEntry.size();
    EXPECT_EQ(little(bytes, at, 2), 1u);  // one object
    EXPECT_EQ(little(bytes, at + 2, 4), 0xFFFFu);

    // The object names the threads by their place in that list, the PEC section by chart.
    const PesObject object = pesObject(bytes, at + 6);
    EXPECT_EQ(object.threadStarts, (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0, 0}, {1, 1}, {2, 0}}));
    EXPECT_EQ(pecSection(bytes, little(bytes, 8, 4)).colors, (std::vector<std::uint8_t>{5, 20, 5}));
}

// Samples converted

const fs::path kGolden = fs::path(ORLIKA_TEST_DATA) / "golden";

/// The bytes of a bundled sample converted by the encoder.
Bytes converted(const std::string& sample, const Encoder& encoder)
{
    test::TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = &encoder;
    const ConversionOutcome outcome =
        convertDesign((fs::path(ORLIKA_SAMPLES) / sample).string(), files, out.folder(), target);
    EXPECT_TRUE(outcome.written) << sample << ": " << outcome.problem;
    return outcome.written ? test::readBytes(outcome.destination) : Bytes{};
}

TEST(BrotherSamples, StarConvertsToTheSameBytesAsBefore)
{
    for (const Encoder* encoder : {&pecEncoder(), &pes1Encoder()}) {
        const std::string golden = "star." + std::string(encoder->extension == "PEC" ? "pec" : "pes");
        ASSERT_TRUE(fs::exists(kGolden / golden)) << golden;
        EXPECT_TRUE(converted("star.pes", *encoder) == test::readBytes(kGolden / golden)) << "star.pes to " << golden;
    }
}

TEST(BrotherSamples, EveryPictureOfEveryBundledSampleShowsStitches)
{
    for (const auto& entry : fs::directory_iterator(ORLIKA_SAMPLES)) {
        const std::string name = entry.path().filename().string();
        if (!readerOfName(name))
            continue;
        const Bytes bytes = converted(name, pecEncoder());
        if (bytes.empty())
            continue;
        const PecSection section = pecSection(bytes, 8);
        EXPECT_EQ(section.pictureCount, section.colors.size() + 1) << name;
        for (std::size_t i = 0; i < section.pictureCount; ++i)
            EXPECT_FALSE(drawnRows(bytes, section, i).empty()) << name << ", picture " << i;
    }
}

} // namespace
} // namespace orlika
