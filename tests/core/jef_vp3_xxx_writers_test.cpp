// SPDX-License-Identifier: MIT
// The JEF, VP3 and XXX writers: the bytes of a converted sample against a golden file, and
// what a header can get out of step with its records (counts, sizes, the hoop, where the
// end lies) and the threads each format keeps. That every design reads back the same is
// the conversion tests' business.
#include "decoders/Registry.h"
#include "encoders/Conversion.h"
#include "encoders/Proof.h"
#include "platform/MemoryFile.h"
#include "tests/support/TreeFiles.h"

#include "tests/support/NeedlePaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlika {
namespace {

using test::ListedNeedles;
using test::change;
using test::jump;
using test::stitch;
using test::trim;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::TempFolder;


/// The path written by the format's writer, cut to its limits as a conversion cuts it;
/// blocks without a thread given get a default one.
Bytes written(std::string_view extension, const std::vector<Needle>& path, std::vector<BlockThread> threads = {})
{
    if (!encoderFor(extension))
        throw std::runtime_error("no writer of " + std::string(extension));
    const Encoder& encoder = *encoderFor(extension);
    ListedNeedles forSummary(path);
    SplitNeedles splitForSummary(forSummary, encoder.limits);
    const NeedleSummary summary = summarize(splitForSummary, Black);
    threads.resize(summary.blockColors.size());
    const WriteOptions options{"made", DstTrims::ThreeJumps};
    VectorSink sink;
    ListedNeedles forWriting(path);
    SplitNeedles splitForWriting(forWriting, encoder.limits);
    encoder.write({summary, threads, options}, splitForWriting, sink);
    return sink.take();
}

/// The first difference between the path and what the format's reader reads from the
/// bytes written of it, or "".
std::string readBackDifference(std::string_view extension, const std::vector<Needle>& path)
{
    MemoryFile file(written(extension, path));
    const Encoder& encoder = *encoderFor(extension);
    const std::string name = "made." + std::string(extension);
    DesignNeedles read(*readerOfName(name), file, name);
    ListedNeedles meant(path);
    SplitNeedles splitMeant(meant, encoder.limits);
    return firstDifference(splitMeant, read, {}, read.firstColor(), {encoder.keepsTrims, false}).value_or("");
}

/// The threads the format's reader finds in the bytes.
std::vector<Thread> threadsIn(std::string_view extension, const Bytes& bytes)
{
    const std::string name = "made." + std::string(extension);
    MemoryFile file(bytes);
    DesignNeedles read(*readerOfName(name), file, name);
    return read.design().threads;
}

std::vector<Thread> threadsOf(const fs::path& design)
{
    return threadsIn(design.extension().string().substr(1), test::readBytes(design));
}

/// The bytes of a bundled sample converted to the format.
Bytes converted(const std::string& sample, std::string_view extension)
{
    TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor(extension);
    const ConversionOutcome outcome = convertDesign(std::string(ORLIKA_SAMPLES) + "/" + sample, files, out.folder(), target);
    EXPECT_TRUE(outcome.written) << outcome.problem;
    return outcome.written ? test::readBytes(outcome.destination) : Bytes{};
}

/// Compares the bytes with the golden file, bytes [ignoredFrom, ignoredTo) excepted. A
/// difference leaves the bytes written beside the build for review.
void expectGolden(const Bytes& bytes, const std::string& name, std::size_t ignoredFrom = 0, std::size_t ignoredTo = 0)
{
    const Bytes golden = test::readBytes(fs::path(ORLIKA_TEST_DATA) / "golden" / name);
    const auto masked = [&](Bytes b) {
        for (std::size_t i = ignoredFrom; i < std::min(ignoredTo, b.size()); ++i)
            b[i] = 0;
        return b;
    };
    if (masked(bytes) == masked(golden))
        return;
    const fs::path actual = fs::path(ORLIKA_FORMAT_FILES) / "golden-actual" / name;
    test::writeBytes(actual, bytes);
    ADD_FAILURE() << name << " differs from tests/data/golden/" << name << " (" << bytes.size() << " bytes against "
                  << golden.size() << "); the bytes written are at " << actual;
}

std::int64_t le(const Bytes& b, std::size_t at, int width)
{
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | b.at(at + std::size_t(i));
    return width == 4 ? std::int32_t(v) : width == 2 ? std::int16_t(v) : std::int64_t(v);
}

std::int64_t be(const Bytes& b, std::size_t at, int width)
{
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v = v << 8 | b.at(at + std::size_t(i));
    return width == 4 ? std::int32_t(v) : width == 2 ? std::int16_t(v) : std::int64_t(v);
}

/// A box of points, y as the file has it.
struct Box {
    std::int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool empty = true;
    void take(std::int64_t x, std::int64_t y)
    {
        minX = empty ? x : std::min(minX, x);
        maxX = empty ? x : std::max(maxX, x);
        minY = empty ? y : std::min(minY, y);
        maxY = empty ? y : std::max(maxY, y);
        empty = false;
    }
};

std::string localTime(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// ---- JEF ----

/// What a JEF stream holds, walked from its header's offset, y up.
struct JefStream {
    std::int64_t units = 0;  // 2-byte units, the end's included
    int stitches = 0, jumps = 0, trims = 0, changes = 0;
    Box stitchBox;
    bool ended = false;
};

JefStream walkJef(const Bytes& f)
{
    JefStream s;
    std::int64_t x = 0, y = 0;
    for (std::size_t i = std::size_t(le(f, 0, 4)); i + 1 < f.size() && !s.ended;) {
        if (f[i] != 0x80) {
            x += std::int8_t(f[i]);
            y += std::int8_t(f[i + 1]);
            s.stitchBox.take(x, y);
            ++s.stitches;
            ++s.units;
            i += 2;
            continue;
        }
        ++s.units;
        if (f[i + 1] == 0x10) {
            s.ended = true;
            break;
        }
        const int dx = std::int8_t(f.at(i + 2)), dy = std::int8_t(f.at(i + 3));
        ++s.units;
        x += dx;
        y += dy;
        if (f[i + 1] == 0x01)
            ++s.changes;
        else if (dx == 0 && dy == 0)
            ++s.trims;
        else
            ++s.jumps;
        i += 4;
    }
    return s;
}

/// A path whose stitches' box is `width` x `height`, away from its start point.
std::vector<Needle> boxPath(std::int32_t width, std::int32_t height)
{
    return {stitch(30, 20), stitch(30 + width, 20 + height), stitch(30, 20 + height)};
}

TEST(JefEncoder, GoldenStar)
{
    // The date is the conversion's.
    expectGolden(converted("star.jef", "JEF"), "star.jef", 8, 22);
}

TEST(JefEncoder, HeaderCountsTheRecordsThreadsAndTrimsItHolds)
{
    const std::vector<Needle> path{stitch(0, 0),  stitch(300, 0), jump(300, 0), stitch(310, 40), trim(),
                                   jump(900, 40), stitch(905, 41), change(),     change(),        stitch(0, 0)};
    std::vector<BlockThread> threads(3);
    threads[0].chartIndex = 33;
    threads[1].chartIndex = 51;
    threads[2].chartIndex = 2;
    const std::string before = localTime("%Y%m%d%H%M%S");
    const Bytes f = written("JEF", path, threads);
    const std::string after = localTime("%Y%m%d%H%M%S");

    EXPECT_EQ(le(f, 0, 4), 116 + 8 * 3);
    EXPECT_EQ(le(f, 24, 4), 3);
    for (std::size_t block = 0; block < 3; ++block) {
        EXPECT_EQ(le(f, 116 + 4 * block, 4), threads[block].chartIndex);
        EXPECT_EQ(le(f, 116 + 12 + 4 * block, 4), 13);
    }
    const std::string date(f.begin() + 8, f.begin() + 22);
    EXPECT_TRUE(before <= date && date <= after) << date;

    const JefStream s = walkJef(f);
    ASSERT_TRUE(s.ended);
    EXPECT_EQ(le(f, 28, 4), s.units);
    // The jump that goes nowhere is not written: it would read as a trim.
    EXPECT_EQ(s.trims, 1);
    EXPECT_EQ(s.changes, 2);
    EXPECT_EQ(readBackDifference("JEF", path), "");
}

TEST(JefEncoder, DesignIsCentredAndGivenTheSmallestStandardHoopItFits)
{
    struct Case {
        std::int32_t width, height;
        std::int64_t hoop;
    };
    // Codes 1: 50 x 50 mm, 0: 110 x 110, 2: 140 x 200, 4: 200 x 200 and anything larger.
    const Case cases[] = {{400, 300, 1}, {500, 500, 1}, {501, 100, 0},  {1100, 1100, 0}, {1101, 300, 2},
                          {1400, 2000, 2}, {1401, 900, 4}, {2000, 2000, 4}, {2500, 1000, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Bytes f = written("JEF", boxPath(c.width, c.height));
        EXPECT_EQ(le(f, 32, 4), c.hoop);
        // Left, top, right, bottom from the centre, the odd tenth right and below.
        const std::array<std::int64_t, 4> extents{c.width / 2, c.height / 2, c.width - c.width / 2,
                                                  c.height - c.height / 2};
        for (std::size_t k = 0; k < 4; ++k)
            EXPECT_EQ(le(f, 36 + 4 * k, 4), extents[k]) << k;
        // The stitches lie where the header says, from the centre the stream starts at.
        const JefStream s = walkJef(f);
        EXPECT_EQ(s.stitchBox.minX, -extents[0]);
        EXPECT_EQ(s.stitchBox.maxY, extents[1]);
        EXPECT_EQ(s.stitchBox.maxX, extents[2]);
        EXPECT_EQ(s.stitchBox.minY, -extents[3]);
        EXPECT_EQ(readBackDifference("JEF", boxPath(c.width, c.height)), "");
    }
}

TEST(JefEncoder, MarginBoxesGiveTheRoomToEachStandardHoop)
{
    const Bytes small = written("JEF", boxPath(401, 300));
    // 110 x 110, 50 x 50, 140 x 200, then the design's own hoop (50 x 50).
    const std::array<std::int64_t, 16> expected{550 - 200, 550 - 150, 550 - 201, 550 - 150, 250 - 200, 250 - 150,
                                                250 - 201, 250 - 150, 700 - 200, 1000 - 150, 700 - 201, 1000 - 150,
                                                250 - 200, 250 - 150, 250 - 201, 250 - 150};
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(le(small, 52 + 4 * k, 4), expected[k]) << k;

    const Bytes large = written("JEF", boxPath(2500, 1000));
    for (std::size_t k = 0; k < 16; ++k)
        EXPECT_EQ(le(large, 52 + 4 * k, 4), -1) << k;
}

// ---- VP3 ----

/// Where a VP3 file's fields lie, found by walking its packets.
struct Vp3Layout {
    std::size_t summary = 0;  // the summary packet's tag
    std::size_t hoop = 0;
    std::vector<std::size_t> threads;  // each thread packet's tag
};

Vp3Layout walkVp3(const Bytes& f)
{
    Vp3Layout layout;
    layout.summary = 8 + std::size_t(be(f, 6, 2));
    layout.hoop = layout.summary + 7 + 2 + 16 + 4 + 2 + 1 + 2;
    std::size_t at = layout.hoop + 7 + 8 + 3 + 24 + 2 + 2 + 16 + 6;
    at += 2 + std::size_t(be(f, at, 2));
    const auto count = std::size_t(be(f, at, 2));
    at += 2;
    for (std::size_t i = 0; i < count; ++i) {
        layout.threads.push_back(at);
        at += 7 + std::size_t(be(f, at + 3, 4));
    }
    return layout;
}

/// Where a thread packet's 8-byte shift lies: after its texts.
std::size_t vp3ShiftOf(const Bytes& f, std::size_t packet)
{
    std::size_t at = packet + 7 + 8 + 2 + 6 + 2;
    for (int text = 0; text < 3; ++text)
        at += 2 + std::size_t(be(f, at, 2));
    return at;
}

/// A thread packet's run of stitch records.
Bytes vp3RunOf(const Bytes& f, std::size_t packet)
{
    const std::size_t tag = vp3ShiftOf(f, packet) + 8;
    const auto start = f.begin() + std::ptrdiff_t(tag + 7 + 3);
    return Bytes(start, f.begin() + std::ptrdiff_t(tag + 7 + std::size_t(be(f, tag + 3, 4))));
}

TEST(Vp3Encoder, GoldenStar)
{
    expectGolden(converted("star.vp3", "VP3"), "star.vp3");
}

TEST(Vp3Encoder, ExtentsAndBlockStartsAreTheStitchesCentredOnTheHoopWithYUp)
{
    // Stitches from (100, 50) to (301, 151), y down: centred at (200, 100).
    const std::vector<Needle> path{stitch(100, 50), stitch(301, 50), stitch(301, 151), change(), stitch(250, 120)};
    const Bytes f = written("VP3", path);
    const Vp3Layout layout = walkVp3(f);
    ASSERT_EQ(layout.threads.size(), 2u);
    EXPECT_EQ(be(f, layout.summary + 3, 4), std::int64_t(f.size() - layout.summary - 7));
    EXPECT_EQ(be(f, layout.hoop + 3, 4), std::int64_t(f.size() - layout.hoop - 7));
    // Right, top, left, bottom, in micrometres.
    const std::array<std::int64_t, 4> summary{10100, 5000, -10000, -5100};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(be(f, layout.summary + 9 + 4 * k, 4), summary[k]) << k;
    EXPECT_EQ(be(f, layout.summary + 25, 4), 5);  // stitches
    EXPECT_EQ(be(f, layout.summary + 29, 2), 1);  // colour changes
    // The hoop's centre, then left, right, bottom, top, width and height.
    EXPECT_EQ(be(f, layout.hoop + 7, 4), 0);
    EXPECT_EQ(be(f, layout.hoop + 11, 4), 0);
    const std::array<std::int64_t, 6> hoop{-10000, 10100, -5100, 5000, 20100, 10100};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_EQ(be(f, layout.hoop + 18 + 4 * k, 4), hoop[k]) << k;

    // The first block starts at the path's start, the second where the first ended;
    // each gives its shift from its start to its end.
    EXPECT_EQ(be(f, layout.threads[0] + 7, 4), -20000);
    EXPECT_EQ(be(f, layout.threads[0] + 11, 4), 10000);
    EXPECT_EQ(be(f, layout.threads[1] + 7, 4), 10100);
    EXPECT_EQ(be(f, layout.threads[1] + 11, 4), -5100);
    EXPECT_EQ(be(f, vp3ShiftOf(f, layout.threads[0]), 4), 30100);
    EXPECT_EQ(be(f, vp3ShiftOf(f, layout.threads[0]) + 4, 4), -15100);
    EXPECT_EQ(be(f, vp3ShiftOf(f, layout.threads[1]), 4), -5100);
    EXPECT_EQ(be(f, vp3ShiftOf(f, layout.threads[1]) + 4, 4), 3100);
    EXPECT_EQ(readBackDifference("VP3", path), "");
}

TEST(Vp3Encoder, AMoveIsOneTrimAndALongStep)
{
    const std::vector<Needle> path{stitch(0, 0), stitch(10, 0), trim(), jump(500, -300), stitch(505, -300),
                                   jump(900, -300), stitch(905, -301)};
    const Bytes f = written("VP3", path);
    const Bytes run = vp3RunOf(f, walkVp3(f).threads.at(0));
    // Stitches of y down: (10, 0), the trim and move by (490, -300), (5, 0), a move by (395, 0), (5, -1).
    const Bytes expected{0, 0, 10, 0, 0x80, 0x03, 0x80, 0x01, 0x01, 0xEA, 0xFE, 0xD4, 0x80, 0x02, 5, 0,
                         0x80, 0x03, 0x80, 0x01, 0x01, 0x8B, 0x00, 0x00, 0x80, 0x02, 5, 0xFF};
    EXPECT_EQ(run, expected);
    EXPECT_EQ(readBackDifference("VP3", path), "");
}

TEST(Vp3Encoder, ThreadsKeepTheirColourCodeNameAndBrand)
{
    std::vector<BlockThread> threads(3);
    threads[0] = {rgb(0x12, 0x34, 0x56), "Crème brûlée", "1001", "Maker A", 0};
    threads[1] = {rgb(0xAB, 0xCD, 0xEF), "Maker B 2002", "2002", "Maker B", 0};
    threads[2] = {rgb(0xE3, 0x31, 0x1F), "#E3311F", "", "", 0};
    const Bytes f = written("VP3", {stitch(0, 0), stitch(5, 5), change(), stitch(9, 9), change(), stitch(0, 0)}, threads);
    const std::vector<Thread> read = threadsIn("VP3", f);
    ASSERT_EQ(read.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i].color, threads[i].color) << i;
        EXPECT_EQ(read[i].name, threads[i].name) << i;
        EXPECT_EQ(read[i].code, threads[i].code) << i;
        EXPECT_EQ(read[i].brand, threads[i].brand) << i;
    }
    // A name that is only the brand and number, or the colour, is what a reader shows for
    // a thread without a description: none is written.
    for (const std::string shown : {"Maker B 2002", "#E3311F"})
        EXPECT_EQ(std::search(f.begin(), f.end(), shown.begin(), shown.end()), f.end()) << shown;
}

TEST(Vp3Encoder, ThreadsOfAConvertedVp3OrXxxAreThoseItsReaderShows)
{
    for (const std::string sample : {"star.vp3", "circle.vp3", "star.xxx"}) {
        SCOPED_TRACE(sample);
        const std::vector<Thread> source = threadsOf(fs::path(ORLIKA_SAMPLES) / sample);
        const std::vector<Thread> read = threadsIn("VP3", converted(sample, "VP3"));
        ASSERT_EQ(read.size(), source.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].color, source[i].color) << i;
            EXPECT_EQ(read[i].name, source[i].name) << i;
            EXPECT_EQ(read[i].code, source[i].code) << i;
            EXPECT_EQ(read[i].brand, source[i].brand) << i;
        }
    }
    // The sample names its brand: it is carried, not left out on both sides.
    EXPECT_EQ(threadsOf(fs::path(ORLIKA_SAMPLES) / "star.vp3").front().brand, "ORLIKA Rayon 40");
}

// ---- XXX ----

/// What an XXX stream holds, walked from byte 256 to its end record, y up.
struct XxxStream {
    std::int64_t records = 0;  // the end record not counted
    int stitches = 0, jumps = 0, longMoves = 0, trims = 0, changes = 0;
    Box stitchBox;
    std::int64_t x = 0, y = 0;
    std::size_t end = 0;  // where the end record lies; 0 without one
};

XxxStream walkXxx(const Bytes& f)
{
    XxxStream s;
    for (std::size_t i = 256; i + 1 < f.size();) {
        const std::uint8_t first = f[i];
        if (first == 0x7D || first == 0x7E) {
            s.x += le(f, i + 1, 2);
            s.y += le(f, i + 3, 2);
            ++s.longMoves;
            i += 5;
        } else if (first == 0x7F) {
            if (f[i + 1] == 0x7F) {
                s.end = i;
                break;
            }
            s.x += std::int8_t(f.at(i + 2));
            s.y += std::int8_t(f.at(i + 3));
            s.jumps += f[i + 1] == 0x01;
            s.trims += f[i + 1] == 0x03;
            s.changes += f[i + 1] == 0x08;
            i += 4;
        } else {
            s.x += std::int8_t(first);
            s.y += std::int8_t(f[i + 1]);
            s.stitchBox.take(s.x, s.y);
            ++s.stitches;
            i += 2;
        }
        ++s.records;
    }
    return s;
}

TEST(XxxEncoder, GoldenStar)
{
    expectGolden(converted("star.xxx", "XXX"), "star.xxx");
}

TEST(XxxEncoder, HeaderIsTrueToTheRecordsAndPointsAtTheEnd)
{
    // Stitches of 12.5 and 25 mm across (dx 125 would be a long move's first byte), a
    // short jump, a 150 mm move, a trim, two colour changes in a row.
    const std::vector<Needle> path{stitch(0, 0),   stitch(125, 0),    stitch(375, -30), jump(420, -40),
                                   stitch(421, -41), trim(),          jump(-1080, 200), stitch(-1070, 210),
                                   change(),       change(),          stitch(-1000, 150)};
    std::vector<BlockThread> threads(3);
    threads[0].color = rgb(0xE3, 0x31, 0x1F);
    threads[1].color = rgb(0x01, 0x02, 0x03);
    threads[2].color = rgb(0xF7, 0xF3, 0xF7);
    const Bytes f = written("XXX", path, threads);
    const XxxStream s = walkXxx(f);
    ASSERT_NE(s.end, 0u);
    EXPECT_EQ(s.longMoves, 1);
    EXPECT_EQ(s.jumps, 1);
    EXPECT_EQ(s.trims, 1);
    EXPECT_EQ(s.changes, 2);

    EXPECT_EQ(le(f, 0x17, 4), s.records);
    EXPECT_EQ(le(f, 0x27, 4), 3);
    EXPECT_EQ(le(f, 0x2D, 2), s.stitchBox.maxX - s.stitchBox.minX);
    EXPECT_EQ(le(f, 0x2F, 2), s.stitchBox.maxY - s.stitchBox.minY);
    EXPECT_EQ(le(f, 0x2D, 2), 1070 + 421);
    EXPECT_EQ(le(f, 0x31, 2), s.x);
    EXPECT_EQ(le(f, 0x33, 2), s.y);
    EXPECT_EQ(s.y, -150);
    EXPECT_EQ(le(f, 0x35, 2), -s.stitchBox.minX);
    EXPECT_EQ(le(f, 0x37, 2), s.stitchBox.maxY);
    EXPECT_EQ(le(f, 0xFC, 4), std::int64_t(s.end));
    const Bytes tail{0x7F, 0x7F, 0x02, 0x14, 0, 0, 0, 0xE3, 0x31, 0x1F, 0, 0x01, 0x02, 0x03, 0, 0xF7, 0xF3, 0xF7};
    EXPECT_EQ(Bytes(f.begin() + std::ptrdiff_t(s.end), f.end()), tail);
    EXPECT_EQ(readBackDifference("XXX", path), "");
}

TEST(XxxEncoder, ColoursOfAConvertedDesignAreKept)
{
    for (const std::string sample : {"star.vp3", "spiral-threads.pes", "star.xxx"}) {
        SCOPED_TRACE(sample);
        const std::vector<Thread> source = threadsOf(fs::path(ORLIKA_SAMPLES) / sample);
        const std::vector<Thread> read = threadsIn("XXX", converted(sample, "XXX"));
        ASSERT_EQ(read.size(), source.size());
        for (std::size_t i = 0; i < read.size(); ++i)
            EXPECT_EQ(read[i].color, source[i].color & 0x00FFFFFF) << i;
    }
}

} // namespace
} // namespace orlika
