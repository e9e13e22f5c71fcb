// SPDX-License-Identifier: MIT
#include "cell/CellRules.h"
#include "decoders/Jef.h"
#include "decoders/JefThreads.h"
#include "decoders/Registry.h"
#include "fuzz/Invariants.h"
#include "tests/support/CatalogFixture.h"
#include "tests/support/DecodedDesigns.h"
#include "tests/support/TestBytes.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace orlika::test {
namespace {

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + std::size_t(k)] = std::uint8_t(value >> (8 * k));
}

// A plain JEF file: the header, the thread table (chart indices, then the types) and the stream.
Bytes jefFile(const std::vector<std::uint32_t>& threads, const Bytes& stream)
{
    const std::size_t start = jef::kThreadTable + 8 * threads.size();
    Bytes file(start, 0);
    putU32(file, 0, std::uint32_t(start));
    putU32(file, 4, 20);
    putU32(file, 24, std::uint32_t(threads.size()));
    putU32(file, 28, std::uint32_t(stream.size() / 2));
    for (std::size_t i = 0; i < threads.size(); ++i) {
        putU32(file, jef::kThreadTable + 4 * i, threads[i]);
        putU32(file, jef::kThreadTable + 4 * (threads.size() + i), 13);
    }
    return file + stream;
}

DesignValue decodeJef(const Bytes& bytes)
{
    return decodeBytes(JEFFormat, bytes, "test.jef");
}

// Records

TEST(JefRecords, PlainStitchesEscapesAndCutRecords)
{
    const auto record = [](const Bytes& bytes) { return jef::decodeRecord(bytes); };
    auto r = record({0x05, 0xFB});
    EXPECT_EQ(r.kind, jef::RecordKind::Stitch);
    EXPECT_EQ(r.size, 2);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(5, -5));
    r = record({0x81, 0x80});  // only a first byte of 0x80 escapes: -127, -128 is a stitch
    EXPECT_EQ(r.kind, jef::RecordKind::Stitch);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(-127, -128));
    r = record({0x80, 0x01, 0x03, 0xFC});
    EXPECT_EQ(r.kind, jef::RecordKind::ColorChange);
    EXPECT_EQ(r.size, 4);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(3, -4));
    r = record({0x80, 0x02, 0x7F, 0x81});
    EXPECT_EQ(r.kind, jef::RecordKind::Jump);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(127, -127));
    EXPECT_EQ(record({0x80, 0x02, 0x00, 0x00}).kind, jef::RecordKind::Trim);
    EXPECT_EQ(record({0x80, 0x02, 0x00, 0x01}).kind, jef::RecordKind::Jump);
    r = record({0x80, 0x10});
    EXPECT_EQ(r.kind, jef::RecordKind::End);
    EXPECT_EQ(r.size, 2);
    for (const std::uint8_t code : {0x00, 0x03, 0x04, 0x11, 0x80, 0xFF}) {
        r = record({0x80, code, 0x01, 0x01});
        EXPECT_EQ(r.kind, jef::RecordKind::Unknown) << int(code);
        EXPECT_EQ(r.size, 2);
    }
    for (const Bytes& whole : {Bytes{0x05, 0x06}, Bytes{0x80, 0x01, 0x01, 0x01}, Bytes{0x80, 0x02, 0x00, 0x00},
                               Bytes{0x80, 0x10}}) {
        for (std::size_t cut = 0; cut < whole.size(); ++cut)
            EXPECT_EQ(jef::decodeRecord(std::span(whole).first(cut)).kind, jef::RecordKind::Incomplete) << cut;
        EXPECT_NE(record(whole).kind, jef::RecordKind::Incomplete);
    }
}

// The thread chart

TEST(JefThreadChart, IndicesGiveTheChartsColoursNamesAndNumbers)
{
    struct Entry {
        std::uint32_t index;
        Color color;
        const char* name;
        const char* code;
    };
    for (const Entry& e : {Entry{1, rgb(0, 0, 0), "Black", "002"}, Entry{2, rgb(255, 255, 255), "White", "001"},
                           Entry{3, rgb(0xFF, 0xFF, 0x17), "Yellow", "204"}, Entry{10, rgb(0xFF, 0, 0), "Red", "225"},
                           Entry{12, rgb(0x0B, 0x2F, 0x84), "Blue", "207"},
                           Entry{33, rgb(0xE3, 0x31, 0x1F), "Burnt Orange", "235"},
                           Entry{51, rgb(0xFF, 0xFF, 0xF2), "Ivory White", "253"},
                           Entry{74, rgb(0xF0, 0x33, 0x1F), "Vermilion", "202"},
                           Entry{78, rgb(0xE3, 0xAC, 0x81), "Bamboo", "224"}}) {
        const jef::ChartThread& t = jef::chartThread(e.index);
        EXPECT_EQ(t.color, e.color) << e.index;
        EXPECT_EQ(t.name, e.name) << e.index;
        EXPECT_EQ(t.code, e.code) << e.index;
    }
    std::set<std::string_view> names, codes;
    for (std::uint32_t i = 1; i <= jef::kChartSize; ++i) {
        const jef::ChartThread& t = jef::chartThread(i);
        EXPECT_EQ(t.color >> 24, 0u) << i;
        EXPECT_EQ(t.code.size(), 3u) << i;
        names.insert(t.name);
        codes.insert(t.code);
    }
    EXPECT_EQ(names.size(), jef::kChartSize);
    EXPECT_EQ(codes.size(), jef::kChartSize);
    // Outside the chart: the unknown thread, not an index taken modulo the chart.
    for (const std::uint32_t outside : {0u, 79u, 79u + 3u, 0xFFFFFFFFu})
        EXPECT_EQ(&jef::chartThread(outside), &jef::kUnknownThread) << outside;
}

// The header

TEST(JefHeader, StitchOffsetAndColourCountAreBoundedByTheFile)
{
    const Bytes stream{0x0A, 0x0A, 0x80, 0x10};
    const Bytes good = jefFile({3, 10}, stream);
    EXPECT_TRUE(decodeJef(good).accepted);
    EXPECT_TRUE(decodeJef(jefFile({}, {})).accepted) << "no threads, no stitches: an empty design";

    const auto rejected = [](const Bytes& bytes) {
        const DesignValue value = decodeJef(bytes);
        if (value.accepted)
            return false;
        EXPECT_EQ(value.design.rejection->cellText, "Unknown Format");
        EXPECT_EQ(cellRuleOf(*readerNamed("JEFFormat")).rejected.place, ErrorPlace::MiddleLine);
        EXPECT_TRUE(cellRuleOf(*readerNamed("JEFFormat")).rejected.selectionColor);
        EXPECT_EQ(value.design.messages.size(), 1u);
        EXPECT_EQ(value.design.messages.front().text, "test.jef Has an Unknown File Format");
        EXPECT_EQ(value.design.messages.front().caption, "JEF File Format Error");
        return true;
    };
    Bytes b = good;
    putU32(b, 0, std::uint32_t(good.size() + 1));  // stitches beyond the file
    EXPECT_TRUE(rejected(b));
    b = good;
    putU32(b, 0, 116 + 8 * 2 - 1);  // stitches inside the thread table
    EXPECT_TRUE(rejected(b));
    b = good;
    putU32(b, 24, 3);  // a third thread would overlap the stitches
    EXPECT_TRUE(rejected(b));
    b = good;
    putU32(b, 24, 0xFFFFFFFF);
    putU32(b, 0, 0xFFFFFFFF);
    EXPECT_TRUE(rejected(b));
    EXPECT_TRUE(rejected(Bytes(good.begin(), good.begin() + 27)));
    EXPECT_TRUE(rejected(Bytes(good.begin(), good.begin() + 116 + 8 * 2 - 1)));
    EXPECT_TRUE(rejected({}));
    // A stitch offset past a JEF+ block between the table and the stitches is followed.
    Bytes plus = jefFile({3}, {});
    plus.insert(plus.end(), {'J', 'A', 'N', 'O', 'M', 'E', 0, 0});
    putU32(plus, 0, std::uint32_t(plus.size()));
    plus = plus + Bytes{0x01, 0x02, 0x80, 0x10};
    const DesignValue value = decodeJef(plus);
    ASSERT_TRUE(value.accepted);
    EXPECT_EQ(value.design.remarks.stitches, 1);
    EXPECT_EQ(value.design.bounds.maxY, 2);
}

// Movements

TEST(JefMovements, CommandsGiveTheirStepsAndChangesWalkTheThreadTable)
{
    const Bytes stream{
        0x0A, 0x14,              // stitch 10, 20
        0x80, 0x02, 0x00, 0x00,  // trim
        0x80, 0x02, 0xF6, 0x05,  // jump -10, 5
        0x80, 0x01, 0x00, 0x00,  // change to thread 2
        0x05, 0x00,              // stitch
        0x80, 0x01, 0x03, 0x04,  // change to thread 3, moving 3, 4
        0x80, 0x01, 0x00, 0x00,  // a change beyond the table
        0x00, 0x81,              // stitch 0, -127
        0x80, 0x10,              // end
        0x30, 0x30, 0x80, 0x01,  // after the end: not read
    };
    const DesignValue value = decodeJef(jefFile({3, 10, 0}, stream));
    ASSERT_TRUE(value.accepted);
    EXPECT_FALSE(value.error);
    const Color yellow = jef::chartThread(3).color, red = jef::chartThread(10).color;
    std::vector<std::string> steps;
    for (const Movement& m : value.movements) {
        char text[64];
        std::snprintf(text, sizeof text, "%d %g %g %06X", int(m.kind), double(m.x), double(m.y), unsigned(m.color));
        steps.emplace_back(text);
    }
    const auto step = [](Step kind, float x, float y, Color color = 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%d %g %g %06X", int(kind), double(x), double(y), unsigned(color));
        return std::string(text);
    };
    EXPECT_EQ(steps, (std::vector<std::string>{
                         step(Step::Stitch, 10, 20), step(Step::Trim, 0, 0), step(Step::Jump, -10, 5),
                         step(Step::ColorChange, 0, 0, red), step(Step::Stitch, 5, 0),
                         step(Step::ColorChange, 0, 0, jef::kUnknownThread.color), step(Step::Jump, 3, 4),
                         step(Step::ColorChange, 0, 0, jef::kUnknownThread.color), step(Step::Stitch, 0, -127),
                         step(Step::End, 0, 0)}));
    const Design& d = value.design;
    EXPECT_EQ(d.startColor, yellow);
    EXPECT_EQ(d.remarks.stitches, 3);
    EXPECT_EQ(d.remarks.colorChanges, 3);
    // Points reached: (10,20) (0,25) (5,25) (8,29) (8,-98), and the start point.
    EXPECT_EQ(d.bounds.minX, 0);
    EXPECT_EQ(d.bounds.maxX, 10);
    EXPECT_EQ(d.bounds.minY, -98);
    EXPECT_EQ(d.bounds.maxY, 29);
    EXPECT_EQ(d.frame.width, 10);
    EXPECT_EQ(d.frame.height, 127);
    EXPECT_EQ(d.frame.left, 0);
    EXPECT_EQ(d.frame.low, 98);
    ASSERT_EQ(d.threads.size(), 3u);
    EXPECT_EQ(d.threads[2].name, "Unknown");
    EXPECT_EQ(d.threads[2].code, "");
    EXPECT_EQ(d.threads[1].code, "225");
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. Yellow", "2. Red", "3. Unknown"}));
}

TEST(JefMovements, UnknownCommandsAndCutStreamsKeepWhatWasRead)
{
    // An unknown command stops the stream where it stands: no end, no error.
    DesignValue value = decodeJef(jefFile({1}, {0x01, 0x01, 0x80, 0x55, 0x01, 0x01, 0x80, 0x10}));
    ASSERT_TRUE(value.accepted);
    EXPECT_FALSE(value.error);
    EXPECT_EQ(countMovements(value).stitches, 1);
    EXPECT_EQ(countMovements(value).ends, 0);
    EXPECT_EQ(value.design.remarks.stitches, 1);
    // A stream without its end command, cut inside a record.
    value = decodeJef(jefFile({1}, {0x01, 0x01, 0x02, 0x02, 0x80, 0x02, 0x05}));
    EXPECT_FALSE(value.error);
    EXPECT_EQ(countMovements(value).stitches, 2);
    EXPECT_EQ(countMovements(value).moves, 0);
    EXPECT_EQ(value.design.bounds.maxX, 3);
    // A design without stitches lists no threads and is a point at the start.
    value = decodeJef(jefFile({1, 2}, {0x80, 0x10}));
    EXPECT_TRUE(value.design.cellList.empty());
    EXPECT_EQ(value.design.frame.width, 0);
    EXPECT_EQ(value.design.frame.height, 0);
    ASSERT_EQ(value.design.threads.size(), 2u);
}

TEST(JefMovements, LongRunsOfStitchesCrossBatchesAndBuffersWhole)
{
    // 5,000 stitches, a change every 700 records, so that records straddle the reader's
    // 4 KB blocks and the batches of 1,024 movements.
    Bytes stream;
    int changes = 0;
    for (int i = 0; i < 5000; ++i) {
        if (i % 700 == 699) {
            stream = stream + Bytes{0x80, 0x01, 0x01, 0xFF};
            ++changes;
        }
        stream = stream + Bytes{std::uint8_t(i % 2 ? 3 : 0xFD), 0x01};
    }
    stream = stream + Bytes{0x80, 0x10};
    const Bytes file = jefFile({1, 2, 3, 4, 5, 6, 7, 8}, stream);
    const DesignValue whole = decodeJef(file);
    ChoppyFile choppy(file, 7);
    const DesignValue pieces = collectDesign(JEFFormat, choppy, "/designs/test.jef");
    const MovementCounts counts = countMovements(whole);
    EXPECT_EQ(counts.stitches, 5000);
    EXPECT_EQ(counts.colorChanges, changes);
    EXPECT_EQ(counts.moves, changes);
    EXPECT_EQ(counts.ends, 1);
    EXPECT_EQ(stitchPoints(pieces), stitchPoints(whole));
    EXPECT_EQ(changeColors(whole).back(), jef::chartThread(8).color);
    EXPECT_EQ(whole.design.bounds.maxY, 5000 - changes);  // each change moved down 1
    EXPECT_EQ(whole.design.bounds.minY, 0);
}

// The bundled samples against the DST of the same design

struct SamplePair {
    const char* jef;
    const char* dst;
    std::vector<std::string> list;
};

TEST(JefSamples, ReadAsTheirDstWithTheChartsThreads)
{
    for (const SamplePair& pair : {SamplePair{"star.jef", "star.dst", {"1. Yellow", "2. Red"}},
                                   SamplePair{"circle.jef", "circle.dst", {"1. Blue", "2. White"}}}) {
        SCOPED_TRACE(pair.jef);
        const DesignValue jefValue = decodeSample(JEFFormat, pair.jef);
        const DesignValue dstValue = decodeSample(readerNamed("TajimaFormat")->decoding, pair.dst);
        ASSERT_TRUE(jefValue.accepted);
        EXPECT_FALSE(jefValue.error);
        const Design& j = jefValue.design;
        const Design& d = dstValue.design;
        // The same stitches, sewn to the same points of the design (a JEF starts at its
        // design's centre, a DST where its first stitch is); the jumps are split
        // differently (DST's records reach 121 units, JEF's 127), so moves are not compared.
        EXPECT_EQ(j.remarks.stitches, d.remarks.stitches);
        EXPECT_EQ(fromFirstStitch(stitchPoints(jefValue)), fromFirstStitch(stitchPoints(dstValue)));
        EXPECT_EQ(j.bounds.width(), d.bounds.width());
        EXPECT_EQ(j.bounds.height(), d.bounds.height());
        // One colour change each. DST's remark counts the colours, one more, and its end
        // record carries the change bit, so its decoder changes the pen once more there.
        EXPECT_EQ(j.remarks.colorChanges, 1);
        EXPECT_EQ(j.remarks.colorChanges, d.remarks.colorChanges - 1);
        EXPECT_EQ(countMovements(jefValue).colorChanges, countMovements(dstValue).colorChanges - 1);
        EXPECT_EQ(countMovements(jefValue).ends, 1);
        ASSERT_EQ(j.threads.size(), 2u);
        EXPECT_EQ(j.startColor, j.threads[0].color);
        EXPECT_EQ(changeColors(jefValue), std::vector<Color>{j.threads[1].color});
        EXPECT_EQ(j.cellList, pair.list);
    }
}

using JefCell = CatalogFixture;

TEST_F(JefCell, RemarksInThreeLinesAndTheThreadsJoinedOnALine)
{
    decode("star.jef", fileBytes(std::string(ORLIKA_SAMPLES) + "/star.jef"));
    const DesignValue value = decodeSample(JEFFormat, "star.jef");
    const std::string stitches = std::to_string(value.design.remarks.stitches);
    ASSERT_GE(canvas.texts.size(), 5u);
    EXPECT_EQ(canvas.texts[0], "star.jef");
    EXPECT_EQ(canvas.texts[1].rfind("Stitches: " + stitches + ", Size: ", 0), 0u) << canvas.texts[1];
    EXPECT_NE(canvas.texts[2].find(" In."), std::string::npos);
    EXPECT_EQ(canvas.texts[3], "Color Changes: 1");
    EXPECT_EQ(canvas.texts[4], "1. Yellow, 2. Red");
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_GE(pens.size(), 3u);
    EXPECT_EQ(pens[0], penLine(jef::chartThread(3).color));
    EXPECT_EQ(pens[1], penLine(jef::chartThread(10).color));
    EXPECT_EQ(pens.back(), penLine(Black));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(JefCell, ARejectedFileSaysSoInItsCellAndABox)
{
    decode("broken.jef", Bytes(40, 0xFF));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages.front().text, "broken.jef Has an Unknown File Format");
    EXPECT_EQ(host.messages.front().caption, "JEF File Format Error");
    EXPECT_NE(std::find(canvas.texts.begin(), canvas.texts.end(), "Unknown Format"), canvas.texts.end());
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
}

// Damaged files

TEST(JefDamaged, EveryCutOfASampleAndAbsurdCountsStayInTheirCell)
{
    const Bytes star = fileBytes(std::string(ORLIKA_SAMPLES) + "/star.jef");
    const std::int64_t fullStitches = decodeJef(star).design.remarks.stitches;
    const Reader& reader = *readerNamed("JEFFormat");
    for (std::size_t length = 0; length <= star.size(); ++length) {
        const Bytes cut(star.begin(), star.begin() + std::ptrdiff_t(length));
        const DesignValue value = decodeJef(cut);
        EXPECT_FALSE(value.error) << length;
        if (value.accepted) {
            EXPECT_LE(value.design.remarks.stitches, fullStitches) << length;
            EXPECT_EQ(countMovements(value).stitches, value.design.remarks.stitches) << length;
        }
        if (length % 11 == 0 || length < 140) {
            const auto violations = fuzz::checkReader(reader, "cut.jef", cut);
            ASSERT_TRUE(violations.empty()) << length << ": " << fuzz::describe(violations.front());
        }
    }
    // A colour count that fits the file but not the stitches' offset, and the largest
    // count allowed with a table that runs to the end of the file.
    Bytes big = jefFile(std::vector<std::uint32_t>(jef::kMaxColors, 200), {0x01, 0x01});
    EXPECT_TRUE(decodeJef(big).accepted);
    putU32(big, 24, jef::kMaxColors + 1);
    putU32(big, 0, std::uint32_t(jef::kThreadTable + 8 * (jef::kMaxColors + 1)));
    big.resize(jef::kThreadTable + 8 * (jef::kMaxColors + 1));
    EXPECT_FALSE(decodeJef(big).accepted);
}

// Files written by other programs

TEST(JefRealFiles, StarReadsAsItsHeaderDescribesIt)
{
    const std::string path = std::string(ORLIKA_REAL_SAMPLES) + "/Star.JEF";
    if (!std::filesystem::exists(path)) {
        std::printf("skipped: no real JEF file at %s\n", path.c_str());
        GTEST_SKIP() << "no real JEF file at " << path;
    }
    const DesignValue value = decodeBytes(JEFFormat, fileBytes(path), "Star.JEF");
    ASSERT_TRUE(value.accepted);
    EXPECT_FALSE(value.error);
    const Design& d = value.design;
    // Header: box 1 = left 295, top 311, right 296, bottom 312; threads 33 and 51.
    EXPECT_EQ(d.bounds.minX, -295);
    EXPECT_EQ(d.bounds.maxX, 296);
    EXPECT_EQ(d.bounds.minY, -312);
    EXPECT_EQ(d.bounds.maxY, 311);
    EXPECT_EQ(d.remarks.stitches, 2540);
    EXPECT_EQ(d.remarks.colorChanges, 1);
    const MovementCounts counts = countMovements(value);
    EXPECT_EQ(counts.trims, 2);  // two zero moves
    EXPECT_EQ(counts.moves, 1);
    EXPECT_EQ(counts.ends, 1);
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. Burnt Orange", "2. Ivory White"}));
    float x = 0, y = 0;
    for (const Movement& m : value.movements)
        if (m.kind == Step::Stitch || m.kind == Step::Jump) {
            x += m.x;
            y += m.y;
        }
    EXPECT_EQ(std::pair(x, y), std::pair(1.0f, -138.0f)) << "the last position";
}

} // namespace
} // namespace orlika::test
