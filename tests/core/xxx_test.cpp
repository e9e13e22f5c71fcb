// SPDX-License-Identifier: MIT
#include "cell/CellRules.h"
#include "decoders/Registry.h"
#include "decoders/Xxx.h"
#include "fuzz/Invariants.h"
#include "tests/support/CatalogFixture.h"
#include "tests/support/DecodedDesigns.h"
#include "tests/support/TestBytes.h"

#include <cstdio>
#include <filesystem>

namespace orlika::test {
namespace {

void putLe(Bytes& bytes, std::size_t at, std::uint32_t value, int width)
{
    for (int k = 0; k < width; ++k)
        bytes[at + std::size_t(k)] = std::uint8_t(value >> (8 * k));
}

const Bytes kEnd{0x7F, 0x7F, 0x02, 0x14};

// An XXX file: the header, the records, the end record, two bytes and the colours
// (0x00RRGGBB, big-endian). The header counts the colours and points at the end record.
Bytes xxxFile(const Bytes& records, const std::vector<std::uint32_t>& colors)
{
    Bytes file(0x100, 0);
    putLe(file, 0x27, std::uint32_t(colors.size()), 4);
    putLe(file, 0xFC, std::uint32_t(0x100 + records.size()), 4);
    file = file + records + kEnd + Bytes{0, 0};
    for (const std::uint32_t color : colors)
        file = file + Bytes{std::uint8_t(color >> 24), std::uint8_t(color >> 16), std::uint8_t(color >> 8), std::uint8_t(color)};
    return file;
}

DesignValue decodeXxx(const Bytes& bytes)
{
    return decodeBytes(XXXFormat, bytes, "test.xxx");
}

std::vector<std::string> threadNames(const Design& design)
{
    std::vector<std::string> names;
    for (const Thread& thread : design.threads)
        names.push_back(thread.name);
    return names;
}

// Records

TEST(XxxRecords, StitchesLongMovesCommandsAndCutRecords)
{
    const auto record = [](const Bytes& bytes) { return xxx::decodeRecord(bytes); };
    auto r = record({0x7C, 0x81});
    EXPECT_EQ(r.kind, xxx::RecordKind::Stitch);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(124, -127));
    r = record({0x80, 0x7F});
    EXPECT_EQ(r.kind, xxx::RecordKind::Stitch);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(-128, 127));
    for (const std::uint8_t first : {0x7D, 0x7E}) {
        r = record({first, 0x01, 0x00, 0x69, 0xFF});
        EXPECT_EQ(r.kind, xxx::RecordKind::LongMove);
        EXPECT_EQ(r.size, 5);
        EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(1, -151));
    }
    r = record({0x7D, 0x20, 0xFC, 0x0A, 0xFF});
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(-992, -246));
    struct Command {
        std::uint8_t code;
        xxx::RecordKind kind;
    };
    for (const Command c : {Command{0x01, xxx::RecordKind::Jump}, Command{0x03, xxx::RecordKind::Trim},
                            Command{0x08, xxx::RecordKind::ColorChange}}) {
        r = record({0x7F, c.code, 0x05, 0xFB});
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.size, 4);
        EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(5, -5));
    }
    EXPECT_EQ(record({0x7F, 0x7F, 0x03, 0x14}).kind, xxx::RecordKind::End);
    EXPECT_EQ(record({0x7F, 0x7F, 0x03, 0x14}).size, 4);
    EXPECT_EQ(record({0x7F, 0x18, 0x00, 0x00}).kind, xxx::RecordKind::End);
    EXPECT_EQ(record({0x7F, 0x7F}).kind, xxx::RecordKind::End) << "an end cut after its mark is still the end";
    for (const std::uint8_t code : {0x00, 0x02, 0x0A, 0x0B, 0x80})
        EXPECT_EQ(record({0x7F, code, 0x00, 0x00}).kind, xxx::RecordKind::Unknown) << int(code);
    for (const Bytes& whole : {Bytes{0x05, 0x06}, Bytes{0x7D, 0x01, 0x02, 0x03, 0x04}, Bytes{0x7F, 0x08, 0x00, 0x00}}) {
        for (std::size_t cut = 0; cut < whole.size(); ++cut)
            EXPECT_EQ(xxx::decodeRecord(std::span(whole).first(cut)).kind, xxx::RecordKind::Incomplete) << cut;
        EXPECT_NE(record(whole).kind, xxx::RecordKind::Incomplete);
    }
}

// Movements and colours

TEST(XxxMovements, CommandsGiveTheirStepsAndChangesWalkTheColourList)
{
    const Bytes records{
        0x0A, 0x14,                    // stitch 10, 20
        0x7F, 0x03, 0x00, 0x00,        // trim
        0x7F, 0x03, 0xF6, 0x05,        // trim, then move -10, 5
        0x7F, 0x08, 0x00, 0x00,        // change to colour 2 (a stop: the same colour again)
        0x7D, 0x2C, 0x01, 0x00, 0x00,  // long move 300, 0
        0x7F, 0x01, 0x01, 0x02,        // jump 1, 2
        0x7F, 0x08, 0x00, 0x03,        // change beyond the list, then move 0, 3
        0x05, 0x00,                    // stitch
    };
    Bytes file = xxxFile(records, {0x00123456, 0x00123456});
    file.insert(file.end(), {0xDE, 0xAD});  // bytes after the colours are not read
    const DesignValue value = decodeXxx(file);
    ASSERT_TRUE(value.accepted);
    EXPECT_FALSE(value.error);
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
    const Color colour = rgb(0x12, 0x34, 0x56);
    EXPECT_EQ(steps, (std::vector<std::string>{
                         step(Step::Stitch, 10, 20), step(Step::Trim, 0, 0), step(Step::Trim, 0, 0),
                         step(Step::Jump, -10, 5), step(Step::ColorChange, 0, 0, colour), step(Step::Jump, 300, 0),
                         step(Step::Jump, 1, 2), step(Step::ColorChange, 0, 0, Black), step(Step::Jump, 0, 3),
                         step(Step::Stitch, 5, 0), step(Step::End, 0, 0)}));
    const Design& d = value.design;
    EXPECT_EQ(d.startColor, colour);
    EXPECT_EQ(d.remarks.stitches, 2);
    EXPECT_EQ(d.remarks.colorChanges, 2);
    // Points: (10,20) (0,25) (300,25) (301,27) (301,30) (306,30), and the start point.
    EXPECT_EQ(d.bounds.minX, 0);
    EXPECT_EQ(d.bounds.maxX, 306);
    EXPECT_EQ(d.bounds.minY, 0);
    EXPECT_EQ(d.bounds.maxY, 30);
    EXPECT_EQ(d.frame.width, 306);
    EXPECT_EQ(d.frame.height, 30);
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. #123456", "2. #123456"}));
    EXPECT_EQ(d.threads[0].code, "");
}

TEST(XxxMovements, ColoursFollowTheEndRecordTheHeaderOrTheStreamGives)
{
    const Bytes records{0x01, 0x01, 0x7F, 0x08, 0x00, 0x00, 0x02, 0x02};
    const std::vector<std::uint32_t> colors{0x00E3311F, 0x00F7F3F7};
    const std::vector<std::string> names{"#E3311F", "#F7F3F7"};
    Bytes file = xxxFile(records, colors);
    EXPECT_EQ(threadNames(decodeXxx(file).design), names);
    EXPECT_EQ(decodeXxx(file).design.startColor, rgb(0xE3, 0x31, 0x1F));
    // The header's offset missing or pointing elsewhere: the end the stream reaches decides.
    for (const std::uint32_t offset : {0u, 0x101u, 0xFFFFFFFFu}) {
        Bytes b = file;
        putLe(b, 0xFC, offset, 4);
        EXPECT_EQ(threadNames(decodeXxx(b).design), names) << offset;
    }
    // Compucon's end command ends the stream too.
    Bytes compucon = file;
    compucon[0x100 + records.size() + 1] = 0x18;
    putLe(compucon, 0xFC, 0, 4);
    EXPECT_EQ(threadNames(decodeXxx(compucon).design), names);
    // A count above what the file holds takes the colours that are there; changes beyond
    // them draw black.
    Bytes more = file;
    putLe(more, 0x27, 0xFFFFFFFF, 4);
    EXPECT_EQ(threadNames(decodeXxx(more).design), names);
    Bytes fewer = file;
    putLe(fewer, 0x27, 1, 4);
    const DesignValue one = decodeXxx(fewer);
    EXPECT_EQ(threadNames(one.design), std::vector<std::string>{"#E3311F"});
    EXPECT_EQ(changeColors(one), std::vector<Color>{Black});
    // No end record, or an unknown command: what was read stays, without colours.
    for (const Bytes& stream : {Bytes{0x01, 0x01, 0x02, 0x02}, Bytes{0x01, 0x01, 0x7F, 0x0A, 0x00, 0x00, 0x02, 0x02}}) {
        Bytes b(0x100, 0);
        putLe(b, 0x27, 2, 4);
        const DesignValue value = decodeXxx(b + stream);
        ASSERT_TRUE(value.accepted);
        EXPECT_FALSE(value.error);
        EXPECT_TRUE(value.design.threads.empty());
        EXPECT_EQ(value.design.startColor, Black);
        EXPECT_EQ(countMovements(value).ends, 0);
        EXPECT_GE(value.design.remarks.stitches, 1);
    }
}

TEST(XxxMovements, SizesBeyondTwoToTheTwentyFourAreSummedAsTheRendererSumsThem)
{
    // 600 long moves of 32,767 units reach beyond 2^24, where single precision no longer
    // holds every integer: the sizing pass must then sum as the renderer does, in single
    // precision, rather than exactly.
    Bytes records;
    for (int i = 0; i < 600; ++i)
        records = records + Bytes{0x7D, 0xFF, 0x7F, 0x01, 0x00};
    for (int i = 0; i < 3; ++i)
        records = records + Bytes{0x01, 0x01};
    float x = 0;
    for (int i = 0; i < 600; ++i)
        x = toSingle(double(x) + 32767);
    for (int i = 0; i < 3; ++i)
        x = toSingle(double(x) + 1);
    const std::int64_t exactX = 600 * 32767 + 3;
    ASSERT_NE(double(x), double(exactX)) << "the sums must differ for the case to mean anything";
    const DesignValue value = decodeXxx(xxxFile(records, {}));
    EXPECT_EQ(value.design.bounds.maxX, double(x));
    EXPECT_EQ(value.design.bounds.maxY, 603);
    EXPECT_EQ(value.design.remarks.stitches, 3);
    EXPECT_TRUE(fuzz::checkReader(*readerNamed("XXXFormat"), "far.xxx", xxxFile(records, {})).empty());
}

TEST(XxxHeader, OnlyAFileShorterThanItsHeaderIsRejected)
{
    DesignValue value = decodeXxx(Bytes(0xFF, 0));
    ASSERT_FALSE(value.accepted);
    EXPECT_EQ(value.design.rejection->cellText, "Unknown Format");
    EXPECT_TRUE(cellRuleOf(*readerNamed("XXXFormat")).rejected.selectionColor);
    ASSERT_EQ(value.design.messages.size(), 1u);
    EXPECT_EQ(value.design.messages.front().text, "test.xxx Has an Unknown File Format");
    EXPECT_EQ(value.design.messages.front().caption, "XXX File Format Error");
    value = decodeXxx(Bytes(0x100, 0));
    ASSERT_TRUE(value.accepted);
    EXPECT_TRUE(value.movements.empty());
    EXPECT_EQ(value.design.frame.width, 0);
}

// The bundled samples against the DST of the same design

TEST(XxxSamples, ReadAsTheirDstWithTheFilesColours)
{
    struct Pair {
        const char* xxx;
        const char* dst;
        std::vector<std::string> list;
    };
    for (const Pair& pair : {Pair{"star.xxx", "star.dst", {"1. #F0D020", "2. #C02020"}},
                             Pair{"circle.xxx", "circle.dst", {"1. #2050C0", "2. #F0F0F0"}}}) {
        SCOPED_TRACE(pair.xxx);
        const DesignValue xxxValue = decodeSample(XXXFormat, pair.xxx);
        const DesignValue dstValue = decodeSample(readerNamed("TajimaFormat")->decoding, pair.dst);
        ASSERT_TRUE(xxxValue.accepted);
        EXPECT_FALSE(xxxValue.error);
        const Design& x = xxxValue.design;
        const Design& d = dstValue.design;
        EXPECT_EQ(x.remarks.stitches, d.remarks.stitches);
        EXPECT_EQ(stitchPoints(xxxValue), stitchPoints(dstValue));
        EXPECT_EQ(x.bounds.width(), d.bounds.width());
        EXPECT_EQ(x.bounds.height(), d.bounds.height());
        EXPECT_EQ(x.bounds.minX, d.bounds.minX);
        EXPECT_EQ(x.bounds.minY, d.bounds.minY);
        // DST's remark counts the colours, and its end record changes the pen once more.
        EXPECT_EQ(x.remarks.colorChanges, 1);
        EXPECT_EQ(x.remarks.colorChanges, d.remarks.colorChanges - 1);
        EXPECT_EQ(countMovements(xxxValue).colorChanges, countMovements(dstValue).colorChanges - 1);
        EXPECT_EQ(countMovements(xxxValue).ends, 1);
        EXPECT_EQ(x.cellList, pair.list);
        ASSERT_EQ(x.threads.size(), 2u);
        EXPECT_EQ(changeColors(xxxValue), std::vector<Color>{x.threads[1].color});
    }
}

using XxxCell = CatalogFixture;

TEST_F(XxxCell, RemarksInThreeLinesAndTheColoursJoinedOnALine)
{
    decode("circle.xxx", fileBytes(std::string(ORLIKA_SAMPLES) + "/circle.xxx"));
    ASSERT_GE(canvas.texts.size(), 5u);
    EXPECT_EQ(canvas.texts[0], "circle.xxx");
    EXPECT_EQ(canvas.texts[1].rfind("Stitches: ", 0), 0u);
    EXPECT_NE(canvas.texts[1].find(", Size: 60.0 x 60.0 mm"), std::string::npos) << canvas.texts[1];
    EXPECT_EQ(canvas.texts[3], "Color Changes: 1");
    EXPECT_EQ(canvas.texts[4], "1. #2050C0, 2. #F0F0F0");
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_GE(pens.size(), 3u);
    EXPECT_EQ(pens[0], penLine(rgb(0x20, 0x50, 0xC0)));
    EXPECT_EQ(pens[1], penLine(rgb(0xF0, 0xF0, 0xF0)));
    EXPECT_EQ(pens.back(), penLine(Black));
}

// Damaged files

TEST(XxxDamaged, EveryCutOfASampleAndAbsurdHeaderNumbersStayInTheirCell)
{
    const Bytes star = fileBytes(std::string(ORLIKA_SAMPLES) + "/star.xxx");
    const std::int64_t fullStitches = decodeXxx(star).design.remarks.stitches;
    const Reader& reader = *readerNamed("XXXFormat");
    for (std::size_t length = 0; length <= star.size(); ++length) {
        const Bytes cut(star.begin(), star.begin() + std::ptrdiff_t(length));
        const DesignValue value = decodeXxx(cut);
        EXPECT_FALSE(value.error) << length;
        EXPECT_EQ(value.accepted, length >= 0x100) << length;
        if (value.accepted) {
            EXPECT_LE(value.design.remarks.stitches, fullStitches) << length;
            EXPECT_LE(value.design.threads.size(), 2u) << length;
        }
        if (length % 11 == 0 || length + 16 > star.size()) {
            const auto violations = fuzz::checkReader(reader, "cut.xxx", cut);
            ASSERT_TRUE(violations.empty()) << length << ": " << fuzz::describe(violations.front());
        }
    }
    // Counts and offsets at their limits: the colours are bounded by the file.
    Bytes b = xxxFile({0x01, 0x01}, std::vector<std::uint32_t>(3, 0x00ABCDEF));
    for (const std::uint32_t count : {0u, 3u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        for (const std::uint32_t offset : {0u, 0x100u, 0x102u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            putLe(b, 0x27, count, 4);
            putLe(b, 0xFC, offset, 4);
            const DesignValue value = decodeXxx(b);
            EXPECT_TRUE(value.accepted);
            EXPECT_FALSE(value.error);
            EXPECT_EQ(value.design.threads.size(), std::min<std::size_t>(count, 3)) << count << " " << offset;
            EXPECT_TRUE(fuzz::checkReader(reader, "limits.xxx", b).empty());
        }
    }
}

// Files written by other programs

TEST(XxxRealFiles, ReadAsTheirHeadersSizeThem)
{
    struct Real {
        const char* name;
        std::vector<std::string> list;
    };
    for (const Real& real : {Real{"Star.XXX", {"1. #E3311F", "2. #F7F3F7"}}, Real{"Embroidermodder.XXX", {"1. #180894"}}}) {
        const std::string path = std::string(ORLIKA_REAL_SAMPLES) + "/" + real.name;
        if (!std::filesystem::exists(path)) {
            std::printf("skipped: no real XXX file at %s\n", path.c_str());
            continue;
        }
        SCOPED_TRACE(real.name);
        const Bytes bytes = fileBytes(path);
        const DesignValue value = decodeBytes(XXXFormat, bytes, real.name);
        ASSERT_TRUE(value.accepted);
        EXPECT_FALSE(value.error);
        EXPECT_EQ(countMovements(value).ends, 1);
        EXPECT_EQ(value.design.cellList, real.list);
        // The header's width and height (0x2D, 0x2F) are the stitches' extents.
        EXPECT_EQ(value.design.bounds.width(), bytes.at(0x2D) | bytes.at(0x2E) << 8);
        EXPECT_EQ(value.design.bounds.height(), bytes.at(0x2F) | bytes.at(0x30) << 8);
        EXPECT_GT(value.design.remarks.stitches, 2000);
    }
}

} // namespace
} // namespace orlika::test
