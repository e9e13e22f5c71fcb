// SPDX-License-Identifier: MIT
#include "cell/CellRules.h"
#include "decoders/Registry.h"
#include "decoders/Vp3.h"
#include "fuzz/Invariants.h"
#include "platform/FileSystem.h"
#include "tests/support/CatalogFixture.h"
#include "tests/support/DecodedDesigns.h"
#include "tests/support/TestBytes.h"

#include <cstdio>
#include <filesystem>

namespace orlika::test {
namespace {

void putBe(Bytes& out, std::uint64_t value, int width)
{
    for (int k = width - 1; k >= 0; --k)
        out.push_back(std::uint8_t(value >> (8 * k)));
}

void putText(Bytes& out, const std::string& text)
{
    putBe(out, std::uint32_t(text.size()), 2);
    out.insert(out.end(), text.begin(), text.end());
}

Bytes packet(std::uint8_t tag, const Bytes& body)
{
    Bytes out{0x00, tag, 0x00};
    putBe(out, std::uint32_t(body.size()), 4);
    return out + body;
}

struct TestBlock {
    std::int32_t startX = 0;  // micrometres, y up
    std::int32_t startY = 0;
    std::uint32_t rgb = 0;
    std::string code, name, brand;
    Bytes stitches;
};

Bytes threadPacket(const TestBlock& block)
{
    Bytes body;
    putBe(body, std::uint32_t(block.startX), 4);
    putBe(body, std::uint32_t(block.startY), 4);
    body.insert(body.end(), {1, 0});
    putBe(body, block.rgb, 3);
    body.insert(body.end(), {0, 0, 0, 5, 40});
    putText(body, block.code);
    putText(body, block.name);
    putText(body, block.brand);
    putBe(body, 0, 4);
    putBe(body, 0, 4);
    body = body + packet(0x01, Bytes{0x0A, 0xF6, 0x00} + block.stitches);
    body.push_back(0);
    return packet(0x05, body);
}

// A VP3 file as docs/formats/vp3.md lays it out, with the packets nested and counted.
Bytes vp3File(const std::vector<TestBlock>& blocks, std::uint32_t statedCount = 0xFFFFFFFF)
{
    Bytes hoop;
    putBe(hoop, 0, 4 * 2);
    hoop.insert(hoop.end(), {0, 0, 0});
    hoop = hoop + Bytes(24, 0);
    putText(hoop, "");
    hoop.insert(hoop.end(), {100, 100});
    hoop = hoop + Bytes(16, 0) + Bytes{'x', 'x', 'P', 'P', 1, 0};
    putText(hoop, std::string("\0P\0r", 4));
    putBe(hoop, statedCount == 0xFFFFFFFF ? std::uint32_t(blocks.size()) : statedCount, 2);
    for (const TestBlock& block : blocks)
        hoop = hoop + threadPacket(block);
    Bytes summary;
    putText(summary, "");
    summary = summary + Bytes(16 + 4 + 2, 0) + Bytes{12, 0, 1};
    summary = summary + packet(0x03, hoop);
    Bytes file{'%', 'v', 's', 'm', '%', 0};
    putText(file, std::string("\0P", 2));
    return file + packet(0x02, summary);
}

DesignValue decodeVp3(const Bytes& bytes)
{
    return decodeBytes(VP3Format, bytes, "test.vp3");
}

std::string describe(const Movement& m)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d %g %g %06X", int(m.kind), double(m.x), double(m.y), unsigned(m.color));
    return text;
}

std::string step(Step kind, float x, float y, Color color = 0)
{
    return describe(Movement{x, y, color, kind});
}

// Records

TEST(Vp3Records, StitchesTurnYUpAndLongDisplacementsAreBigEndian)
{
    const auto record = [](const Bytes& bytes) { return vp3::decodeRecord(bytes); };
    auto r = record({0x05, 0x0A});
    EXPECT_EQ(r.kind, vp3::RecordKind::Stitch);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(5, -10));
    r = record({0x81, 0x80});
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(-127, 128));
    r = record({0x80, 0x01, 0x01, 0x2C, 0xFE, 0xD4});
    EXPECT_EQ(r.kind, vp3::RecordKind::Long);
    EXPECT_EQ(r.size, 6);
    EXPECT_EQ(std::pair(r.dx, r.dy), std::pair(300, 300));
    EXPECT_EQ(record({0x80, 0x02}).kind, vp3::RecordKind::LongEnd);
    EXPECT_EQ(record({0x80, 0x03}).kind, vp3::RecordKind::Trim);
    EXPECT_EQ(record({0x80, 0x03}).size, 2);
    for (const std::uint8_t code : {0x00, 0x04, 0x10, 0x80})
        EXPECT_EQ(record({0x80, code}).kind, vp3::RecordKind::Unknown) << int(code);
    for (const Bytes& whole : {Bytes{0x05, 0x06}, Bytes{0x80, 0x01, 0, 1, 0, 1}, Bytes{0x80, 0x03}}) {
        for (std::size_t cut = 0; cut < whole.size(); ++cut)
            EXPECT_EQ(vp3::decodeRecord(std::span(whole).first(cut)).kind, vp3::RecordKind::Incomplete) << cut;
        EXPECT_NE(record(whole).kind, vp3::RecordKind::Incomplete);
    }
}

// Threads

TEST(Vp3Threads, NamedByDescriptionElseBrandAndNumberElseColour)
{
    vp3::ThreadPacket thread{rgb(1, 2, 3), "1147", "Poppy Red", "Brand"};
    EXPECT_EQ(vp3::threadName(thread), "Poppy Red");
    thread.description.clear();
    EXPECT_EQ(vp3::threadName(thread), "Brand 1147");
    thread.brand.clear();
    EXPECT_EQ(vp3::threadName(thread), "1147");
    thread.catalogNumber.clear();
    EXPECT_EQ(vp3::threadName(thread), "#010203");
    const Bytes latin1{'C', 'r', 0xE8, 'm', 'e', ' ', 0xFF, 0x01, 0x85, 0x7F};
    EXPECT_EQ(vp3::latin1ToUtf8(latin1), "Cr\xC3\xA8me \xC3\xBF???");

    const DesignValue value = decodeVp3(vp3File({{0, 0, 0x112233, "7", "Cr\xE8me", "A", {0x01, 0x01}},
                                                  {0, 0, 0xA0B0C0, "12", "", "Brand B", {0x01, 0x01}}}));
    ASSERT_TRUE(value.accepted);
    const Design& d = value.design;
    ASSERT_EQ(d.threads.size(), 2u);
    EXPECT_EQ(d.threads[0].color, rgb(0x11, 0x22, 0x33));
    EXPECT_EQ(d.threads[0].name, "Cr\xC3\xA8me");
    EXPECT_EQ(d.threads[0].code, "7");
    EXPECT_EQ(d.threads[1].color, rgb(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(d.threads[1].name, "Brand B 12");
    EXPECT_EQ(d.startColor, d.threads[0].color);
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. Cr\xC3\xA8me", "2. Brand B 12"}));
}

// Movements

TEST(Vp3Movements, BlocksStartWithAMoveAndALongDisplacementAfterATrimMoves)
{
    const Bytes first{
        0x0A, 0xEC,                                // stitch 10, 20 (y stored down)
        0x80, 0x03,                                // trim
        0x80, 0x01, 0x01, 0x2C, 0x00, 0x00, 0x80, 0x02,  // a move of 300, 0 after the trim
        0x80, 0x01, 0xFE, 0xD4, 0x00, 0x0A, 0x80, 0x02,  // a long stitch of -300, -10
    };
    const Bytes second{0x05, 0x00, 0x80, 0x33, 0x05, 0x00};  // an unknown command ends the run
    const Bytes third{0x00, 0x05, 0x80};                     // a record cut by the run's end
    const DesignValue value = decodeVp3(vp3File({{1000, -2000, 0x112233, "", "One", "", first},
                                                  {12345, 0, 0x445566, "", "Two", "", second},
                                                  {0, 0, 0x778899, "", "Three", "", third}}));
    ASSERT_TRUE(value.accepted);
    EXPECT_FALSE(value.error);
    std::vector<std::string> steps;
    for (const Movement& m : value.movements)
        steps.push_back(describe(m));
    EXPECT_EQ(steps, (std::vector<std::string>{
                         step(Step::Move, 10, -20), step(Step::Stitch, 10, 20), step(Step::Trim, 0, 0),
                         step(Step::Jump, 300, 0), step(Step::Stitch, -300, -10),
                         // the pen stands at (20, -10) in 0.1 mm: to 123.45, 0
                         step(Step::ColorChange, 0, 0, rgb(0x44, 0x55, 0x66)), step(Step::Move, 103.45f, 10),
                         step(Step::Stitch, 5, 0),
                         // at 128.45, 0: back to the centre
                         step(Step::ColorChange, 0, 0, rgb(0x77, 0x88, 0x99)), step(Step::Move, -128.45f, 0),
                         step(Step::Stitch, 0, -5), step(Step::End, 0, 0)}));
    const Design& d = value.design;
    EXPECT_EQ(d.remarks.stitches, 4);
    EXPECT_EQ(d.remarks.colorChanges, 2);
    // Points: (10,-20) (20,0) (320,0) (20,-10) (123.45,0) (128.45,0) (0,0) (0,-5); the
    // hoop's centre is not one of them, though here the last block starts on it.
    EXPECT_NEAR(d.bounds.minX, 0, 1e-4);  // the sums of steps are single precision
    EXPECT_EQ(d.bounds.maxX, 320);
    EXPECT_EQ(d.bounds.minY, -20);
    EXPECT_EQ(d.bounds.maxY, 0);
}

TEST(Vp3Movements, TheHoopCentreIsNoPointOfTheDesign)
{
    const DesignValue value = decodeVp3(vp3File({{50000, 40000, 0x102030, "", "Far", "", {0x0A, 0x00, 0x00, 0xF6}}}));
    ASSERT_TRUE(value.accepted);
    const Design& d = value.design;
    EXPECT_EQ(d.bounds.minX, 500);
    EXPECT_EQ(d.bounds.maxX, 510);
    EXPECT_EQ(d.bounds.minY, 400);
    EXPECT_EQ(d.bounds.maxY, 410);
    EXPECT_EQ(d.frame.width, 10);
    EXPECT_EQ(d.frame.left, -500);
    EXPECT_EQ(d.frame.low, -400);
    EXPECT_TRUE(fuzz::checkReader(*readerNamed("VP3Format"), "far.vp3", vp3File({{50000, 40000, 0x102030, "", "Far", "",
                                                                                   {0x0A, 0x00, 0x00, 0xF6}}}))
                    .empty());
    // Without blocks: a point at the centre, no threads, no list.
    const DesignValue empty = decodeVp3(vp3File({}));
    ASSERT_TRUE(empty.accepted);
    EXPECT_EQ(empty.design.frame.width, 0);
    EXPECT_TRUE(empty.design.cellList.empty());
    EXPECT_EQ(empty.design.startColor, Black);
    EXPECT_EQ(countMovements(empty).ends, 1);
}

// Damaged and hostile files

TEST(Vp3Damaged, LengthsTagsAndCountsAreCheckedAgainstTheirPacket)
{
    const Bytes good = vp3File({{0, 0, 0x112233, "1", "A", "B", {0x01, 0x01, 0x02, 0x02}},
                                {0, 0, 0x445566, "2", "C", "D", {0x03, 0x03}}});
    ASSERT_TRUE(decodeVp3(good).accepted);
    const auto status = [](const Bytes& bytes) {
        const DesignValue value = decodeVp3(bytes);
        EXPECT_FALSE(value.error);
        if (value.accepted)
            return std::string("accepted");
        EXPECT_TRUE(cellRuleOf(*readerNamed("VP3Format")).rejected.selectionColor);
        EXPECT_EQ(value.design.messages.size(), 1u);
        EXPECT_EQ(value.design.messages.front().caption, "VP3 File Format Error");
        return value.design.rejection->cellText + " / " + value.design.messages.front().text;
    };
    const std::string bad = "Bad Format / test.vp3 Has a Bad File Format";
    const std::string unknown = "Unknown Format / test.vp3 Has an Unknown File Format";
    Bytes b = good;
    b[4] = '!';
    EXPECT_EQ(status(b), unknown);
    EXPECT_EQ(status({}), unknown);
    EXPECT_EQ(status(Bytes(good.begin(), good.begin() + 6)), bad);
    // Every length field two bytes longer (one may be the run's trailing 0 byte), and every
    // tag changed: the summary, the hoop, each thread packet and its stitch run. With texts
    // of one byte a thread packet's body is 50 bytes and its run's tag 42 bytes in.
    const std::vector<std::size_t> tags{10, 44, 120, 162, 177, 219};
    for (const std::size_t at : tags) {
        ASSERT_EQ(good[at], 0);
        ASSERT_EQ(good[at + 2], 0);
        b = good;
        std::uint32_t length = 0;
        for (std::size_t k = 3; k < 7; ++k)
            length = length << 8 | b[at + k];
        length += 2;
        for (std::size_t k = 3; k < 7; ++k)
            b[at + k] = std::uint8_t(length >> (8 * (6 - k)));
        EXPECT_EQ(status(b), bad) << "length at " << at;
        b = good;
        b[at + 1] = 0x04;
        EXPECT_EQ(status(b), bad) << "tag at " << at;
    }
    // More thread packets than the hoop packet holds; a text that runs past its packet.
    const std::size_t countAt = tags[2] - 2;
    b = good;
    b[countAt] = 0xFF;
    b[countAt + 1] = 0xFF;
    EXPECT_EQ(status(b), bad);
    b = good;
    b[countAt + 1] = 1;  // fewer packets than there are: the others are not read
    EXPECT_EQ(status(b), "accepted");
    EXPECT_EQ(decodeVp3(b).design.threads.size(), 1u);
    b = good;
    const std::size_t codeLength = tags[2] + 7 + 8 + 2 + 6 + 2;
    ASSERT_EQ(b[codeLength + 1], 1);
    b[codeLength] = 0x7F;
    EXPECT_EQ(status(b), bad);
    // A stitch run's length of less than the three bytes it counts.
    b = good;
    b[tags[3] + 6] = 2;
    EXPECT_EQ(status(b), bad);
}

TEST(Vp3Damaged, EveryCutOfASampleIsRejectedOrRead)
{
    const Bytes star = fileBytes(std::string(ORLIKA_SAMPLES) + "/star.vp3");
    const Reader& reader = *readerNamed("VP3Format");
    std::size_t accepted = 0;
    for (std::size_t length = 0; length <= star.size(); ++length) {
        const Bytes cut(star.begin(), star.begin() + std::ptrdiff_t(length));
        const DesignValue value = decodeVp3(cut);
        EXPECT_FALSE(value.error) << length;
        accepted += value.accepted;
        if (length % 13 == 0 || length + 8 > star.size()) {
            const auto violations = fuzz::checkReader(reader, "cut.vp3", cut);
            ASSERT_TRUE(violations.empty()) << length << ": " << fuzz::describe(violations.front());
        }
    }
    // The summary packet runs to the end of the file: only the whole file is read.
    EXPECT_EQ(accepted, 1u);
}

// The bundled samples against the DST of the same design

TEST(Vp3Samples, ReadAsTheirDstWithTheFilesThreads)
{
    struct Pair {
        const char* vp3;
        const char* dst;
        std::vector<std::string> list;
        std::vector<std::string> codes;
    };
    for (const Pair& pair : {Pair{"star.vp3", "star.dst", {"1. Sun Yellow", "2. Poppy Red"}, {"1023", "1147"}},
                             Pair{"circle.vp3", "circle.dst", {"1. Royal Blue", "2. White"}, {"1076", "1001"}}}) {
        SCOPED_TRACE(pair.vp3);
        const DesignValue vp3Value = decodeSample(VP3Format, pair.vp3);
        const DesignValue dstValue = decodeSample(readerNamed("TajimaFormat")->decoding, pair.dst);
        ASSERT_TRUE(vp3Value.accepted);
        EXPECT_FALSE(vp3Value.error);
        const Design& v = vp3Value.design;
        const Design& d = dstValue.design;
        EXPECT_EQ(v.remarks.stitches, d.remarks.stitches);
        // The same points of the design: a VP3 places its design in its hoop, a DST starts
        // it where its first stitch is.
        EXPECT_EQ(fromFirstStitch(stitchPoints(vp3Value)), fromFirstStitch(stitchPoints(dstValue)));
        // DST's header extents reach from the start point; the stitches of these designs
        // surround it, so the sizes agree exactly.
        EXPECT_EQ(v.bounds.width(), d.bounds.width());
        EXPECT_EQ(v.bounds.height(), d.bounds.height());
        EXPECT_EQ(v.remarks.colorChanges, 1);
        EXPECT_EQ(v.remarks.colorChanges, d.remarks.colorChanges - 1);
        EXPECT_EQ(countMovements(vp3Value).colorChanges, countMovements(dstValue).colorChanges - 1);
        EXPECT_EQ(countMovements(vp3Value).ends, 1);
        EXPECT_EQ(v.cellList, pair.list);
        ASSERT_EQ(v.threads.size(), 2u);
        EXPECT_EQ(std::vector<std::string>({v.threads[0].code, v.threads[1].code}), pair.codes);
        EXPECT_EQ(changeColors(vp3Value), std::vector<Color>{v.threads[1].color});
    }
}

using Vp3Cell = CatalogFixture;

TEST_F(Vp3Cell, RemarksInThreeLinesAndTheThreadsJoinedOnALine)
{
    decode("star.vp3", fileBytes(std::string(ORLIKA_SAMPLES) + "/star.vp3"));
    ASSERT_GE(canvas.texts.size(), 5u);
    EXPECT_EQ(canvas.texts[0], "star.vp3");
    EXPECT_EQ(canvas.texts[1].rfind("Stitches: ", 0), 0u);
    EXPECT_EQ(canvas.texts[3], "Color Changes: 1");
    EXPECT_EQ(canvas.texts[4], "1. Sun Yellow, 2. Poppy Red");
    const auto pens = canvas.linesStarting("PenColor");
    ASSERT_GE(pens.size(), 3u);
    EXPECT_EQ(pens[0], penLine(rgb(0xF0, 0xD0, 0x20)));
    EXPECT_EQ(pens[1], penLine(rgb(0xC0, 0x20, 0x20)));
    EXPECT_EQ(pens.back(), penLine(Black));
    EXPECT_TRUE(host.messages.empty());
}

// Files written by other programs

TEST(Vp3RealFiles, ReadWithoutError)
{
    std::vector<std::filesystem::path> paths;
    if (std::filesystem::is_directory(ORLIKA_REAL_SAMPLES))
        for (const auto& entry : std::filesystem::directory_iterator(ORLIKA_REAL_SAMPLES))
            if (upperCase(entry.path().extension().string()) == ".VP3")
                paths.push_back(entry.path());
    if (paths.empty()) {
        std::printf("skipped: no real VP3 file in %s\n", ORLIKA_REAL_SAMPLES);
        GTEST_SKIP() << "no real VP3 file in " << ORLIKA_REAL_SAMPLES;
    }
    for (const auto& path : paths) {
        const DesignValue value = decodeBytes(VP3Format, fileBytes(path.string()), path.filename().string());
        EXPECT_TRUE(value.accepted) << path;
        EXPECT_FALSE(value.error) << path;
        EXPECT_GT(value.design.remarks.stitches, 0) << path;
    }
}

} // namespace
} // namespace orlika::test
