// SPDX-License-Identifier: MIT
#include "decoders/Pcd.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"
#include "tools/designgen/PcdWriter.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace orlika::test {
namespace {

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// The header with the colour-table byte, the colour count as written, the table
// entries given and the 16-bit stitch count.
Bytes header(std::uint8_t tableByte, std::int16_t colorCount, const std::vector<Color>& colors, std::uint16_t stitches)
{
    Bytes b{0x32, tableByte, std::uint8_t(colorCount), std::uint8_t(std::uint16_t(colorCount) >> 8)};
    for (const Color c : colors)
        b = b + Bytes{std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), std::uint8_t(c >> 24)};
    return b + Bytes{std::uint8_t(stitches), std::uint8_t(stitches >> 8)};
}

Bytes withTable(const std::vector<Color>& colors, std::uint16_t stitches)
{
    return header(3, std::int16_t(colors.size()), colors, stitches);
}

// A record from raw fields.
Bytes raw(std::int32_t x, std::int32_t y, std::uint8_t type)
{
    const auto r = gen::pcdRecord(x, y, type);
    return Bytes(r.begin(), r.end());
}

// A record at whole design units.
Bytes at(int x, int y, std::uint8_t type = 0)
{
    return raw(x * 256, y * 256, type);
}

Bytes colorChange(std::int32_t entry)
{
    return raw(entry, 0, 3);
}

// Colours 0x00BBGGRR made distinct per entry.
std::vector<Color> palette(int count)
{
    std::vector<Color> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(Color(0x10000 * (i + 1) + 0x101 * i));
    return colors;
}

std::string hexColor(Color c)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%06X", unsigned(c));
    return buffer;
}

// Pure record and note functions

TEST(PcdRecords, FieldsAreLittleEndianSignedWithTheTypeLast)
{
    const auto r = pcd::recordOf(std::span<const std::uint8_t, 9>(gen::pcdRecord(-1, 0x12345678, 7)));
    EXPECT_EQ(r.x, -1);
    EXPECT_EQ(r.y, 0x12345678);
    EXPECT_EQ(r.type, 7);
    const Bytes bytes{0x00, 0x68, 0x01, 0x00, 0x66, 0xFE, 0x00, 0x80, 0x05};
    const auto s = pcd::recordOf(std::span<const std::uint8_t, 9>(bytes.data(), 9));
    EXPECT_EQ(s.x, 0x16800);  // 360 units
    EXPECT_EQ(s.y, std::int32_t(0x8000FE66u));
    EXPECT_EQ(s.type, 5);
}

std::vector<std::string> lines(const std::string& note)
{
    return pcd::noteLines(text(note));
}

TEST(PcdNote, BytesAreCleanedAndSpacesFolded)
{
    EXPECT_EQ(pcd::cleanNote(text("  a\r\n\tb{c}|d~e  ")), "a b c d e");
    EXPECT_EQ(pcd::cleanNote(Bytes{'x', 0x7F, 0x80, 0xFF, 'y', 0x00, 'z'}), "x y z");
    EXPECT_EQ(pcd::cleanNote(Bytes(200, 0x00)), "");
    EXPECT_EQ(pcd::cleanNote(text("Ab  ,   cd")), "Ab , cd");
}

TEST(PcdNote, PictureFileReferencesAreRemoved)
{
    // A picture file name ending in BMP and a short description: only the description.
    EXPECT_EQ(lines("C:\\PICTURES\\ROSE.BMP Red roses for a pillow"), std::vector<std::string>{"Red roses for a pillow"});
    // Everything up to the first BMP goes, wherever it stands.
    EXPECT_EQ(pcd::cleanNote(text("A long description with its file FLOWER.BMP at the end")), "at the end");
    // MP and BM count only when they start within the first 13 characters.
    EXPECT_EQ(pcd::cleanNote(text("123456789012MP rest")), "rest");   // MP at 13
    EXPECT_EQ(pcd::cleanNote(text("1234567890123MP rest")), "1234567890123MP rest");
    EXPECT_EQ(pcd::cleanNote(text("ROSE.BM rest")), "rest");
    EXPECT_EQ(pcd::cleanNote(text("1234567890123BM rest")), "1234567890123BM rest");
    // MP is looked for before BM: "BM..MP" loses everything through MP.
    EXPECT_EQ(pcd::cleanNote(text("BM x MP y")), "y");
    // MP beyond 13 does not stop the BM rule.
    EXPECT_EQ(pcd::cleanNote(text("xBM 34567890123MP y")), "34567890123MP y");
    // Case matters.
    EXPECT_EQ(pcd::cleanNote(text("rose.bmp Roses")), "rose.bmp Roses");
}

TEST(PcdNote, ShortNotesAreOneLineAndASingleCharacterIsDropped)
{
    EXPECT_EQ(lines("x"), std::vector<std::string>{});
    EXPECT_EQ(lines("  x \n"), std::vector<std::string>{});
    EXPECT_EQ(lines("ROSE.BMP x"), std::vector<std::string>{});
    EXPECT_EQ(lines("ok"), std::vector<std::string>{"ok"});
    EXPECT_EQ(lines(""), std::vector<std::string>{});
    const std::string longest(39, 'a');
    EXPECT_EQ(lines(longest), std::vector<std::string>{longest});
}

TEST(PcdNote, WordModeCutsAtTheFirstCutPointFromThe28thCharacter)
{
    // 60 characters whose only cut point is the space at 30.
    const std::string first(29, 'a'), second(30, 'b');
    EXPECT_EQ(lines(first + " " + second), (std::vector<std::string>{first, second}));
    // A comma stays on its line, a "<" begins the next; cut points before 28 are passed over.
    const std::string head = "one two three four five six";  // 27 characters
    EXPECT_EQ(lines(head + ",seven eight nine ten eleven twelve thirteen"),
              (std::vector<std::string>{head + ",", "seven eight nine ten eleven", "twelve thirteen"}));
    EXPECT_EQ(lines(head + "x;and then a bit more text here"),
              (std::vector<std::string>{head + "x;", "and then a bit more text here"}));
    EXPECT_EQ(lines(head + "x<b>bold</b> words continue after"),
              (std::vector<std::string>{head + "x", "<b>bold</b> words continue after"}));
    // Three lines: the scan restarts at 28 after each cut.
    const std::string a(30, 'a'), b(28, 'b'), c(12, 'c');
    EXPECT_EQ(lines(a + " " + b + " " + c), (std::vector<std::string>{a, b, c}));
    // A single character left after the last cut is dropped.
    const std::string words = std::string(20, 'a') + " " + std::string(17, 'b') + ",";  // comma at 39
    EXPECT_EQ(lines(words + "x"), (std::vector<std::string>{words}));
}

TEST(PcdNote, ARunWithoutCutPointsIsWrittenWhole)
{
    const std::string run(70, 'x');
    EXPECT_EQ(lines(run), std::vector<std::string>{run});
    // Word mode: the only space lies before the 28th character, so nothing is cut.
    EXPECT_EQ(lines("ab " + run), std::vector<std::string>{"ab " + run});
    // Exactly 40 characters without any cut point.
    EXPECT_EQ(lines(std::string(40, 'q')), std::vector<std::string>{std::string(40, 'q')});
}

TEST(PcdNote, DigitModeCutsBeforeTheDigitsTwoToNine)
{
    // No space and no comma: digits 0 and 1 are no cut points, 2 to 9 begin the next line.
    const std::string ones(30, '1');
    EXPECT_EQ(lines(ones + "7" + std::string(14, '0')),
              (std::vector<std::string>{ones, "7" + std::string(14, '0')}));
    // A digit before the 28th character is passed over.
    const std::string early = "ab3" + std::string(25, 'x');  // 28 characters
    EXPECT_EQ(lines(early + "9" + "tail.end.of.it"), (std::vector<std::string>{early, "9tail.end.of.it"}));
    // Each piece restarts at 28: "2" at 28 of the rest is cut again.
    const std::string piece(27, 'z');
    EXPECT_EQ(lines(piece + "2" + piece + "3" + "y"), (std::vector<std::string>{piece, "2" + piece, "3y"}));
    // Exactly k characters are written whole, even with a digit at k.
    const std::string exact = std::string(39, '1') + "5";
    EXPECT_EQ(lines(exact), (std::vector<std::string>{exact}));
}

// The header and the sizing pass on the file's bytes alone

pcd::Figures measured(const Bytes& file, pcd::Header& header)
{
    MemoryFile memory(file);
    std::array<std::uint8_t, pcd::kBlockSize> buffer{};
    ByteCursor cursor(memory, buffer);
    if (!pcd::readHeader(cursor, header))
        return {};
    return pcd::measure(cursor, header.stitchCount);
}

TEST(PcdSizing, TheStitchAreaEndsWhereTheHeadersCountIsReached)
{
    pcd::Header header;
    // Three stitches counted after the fourth record (a change does not count); the record
    // after them lies beyond the area and does not widen the design.
    const Bytes head = withTable({0x00112233, 0x00445566}, 3);
    const Bytes file = head + at(0, -6) + colorChange(1) + at(60, 0) + at(60, 30) + at(600, 600) + Bytes{0};
    pcd::Figures f = measured(file, header);
    EXPECT_EQ(header.colorsRead, 2u);
    EXPECT_EQ(header.colorAt(1), 0x00445566u);
    EXPECT_EQ(header.colorAt(2), Black);
    EXPECT_EQ(f.firstRecord, std::int64_t(head.size()));
    EXPECT_EQ(f.areaEnd, std::int64_t(head.size() + 4 * 9));
    EXPECT_EQ(f.counted, 3);
    EXPECT_EQ(f.extents.minY, -6.0f);
    EXPECT_EQ(f.extents.maxX, 60.0f);
    EXPECT_EQ(f.extents.maxY, 30.0f);
    // A count the records never reach: the area runs to the end of the file.
    f = measured(withTable({}, 9) + at(0, 0) + at(6, 6) + Bytes{1, 2, 3}, header);
    EXPECT_EQ(f.areaEnd, std::int64_t(withTable({}, 9).size() + 2 * 9 + 3));
    EXPECT_EQ(f.counted, 2);
}

// The reader on whole files

// A host that lets a test act when the reader shows a phase.
class PhaseHost : public ScriptedHost {
public:
    std::function<void(const std::string&)> onPhase;
    void setPhase(const std::string& label) override
    {
        ScriptedHost::setPhase(label);
        if (onPhase)
            onPhase(label);
    }
    std::vector<std::string> phases() const
    {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.rfind("Phase ", 0) == 0)
                out.push_back(line);
        return out;
    }
};

class PcdReader : public ::testing::Test {
protected:
    PhaseHost host;
    MemoryFileSystem files;
    RecordingCanvas canvas;
    Catalog catalog{host, files};
    CatalogState& s = catalog.state();

    PcdReader() { catalog.setMainCanvas(&canvas); }

    void decode(const std::string& name, Bytes bytes, Layout layout = Layout::Standard)
    {
        setLayout(s, layout);
        catalog.prepareScreenPage(canvas, 1000, 600);
        canvas.clear();
        host.log.clear();
        host.messages.clear();
        ASSERT_NE(catalog.decodeFile(canvas, "/designs/" + name, std::make_unique<MemoryFile>(std::move(bytes))).reader,
                  nullptr);
    }
};

TEST_F(PcdReader, RemarksOfA600By300DesignWith1234StitchesAnd5Changes)
{
    Bytes file = withTable(palette(5), 1234) + at(0, 0);
    for (int i = 0; i < 5; ++i)
        file = file + colorChange(i);
    file = file + at(600, 300);
    decode("example.pcs", file);
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"example.pcs", "Stitches: 1234, Size: 100.0 x 50.0 mm",
                                                      "Colors Changes: 5, Size: 3.94 x 1.97 In."}));
    // Remarks start on the middle line (204) and step by LineHeight (8).
    EXPECT_EQ(canvas.linesStarting("TextOut")[1], "TextOut 72 204 \"Stitches: 1234, Size: 100.0 x 50.0 mm\"");
    EXPECT_EQ(canvas.linesStarting("TextOut")[2], "TextOut 72 212 \"Colors Changes: 5, Size: 3.94 x 1.97 In.\"");
    // E = 600: x scale 286 / 600 / 2, y scale 240 / 600 / 2: (600, 300) lands at
    // (72 + 143, 204 - 60). The point after the changes is reached by a move.
    const auto moves = canvas.linesStarting("MoveTo");
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], "MoveTo 72 204");
    EXPECT_EQ(moves[1], "MoveTo 215 144");
    EXPECT_EQ(s.MaxX - s.MinX, 600.0f);
    EXPECT_EQ(s.MaxY - s.MinY, 300.0f);

    decode("example.pcs", file, Layout::Thumb12);
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"example.pcs", "Stitches: 1234", "Size: 100.0 x 50.0 mm",
                                                      "Size: 3.94 x 1.97 In.", "Colors Changes: 5"}));
    for (Layout layout : {Layout::Thumb20, Layout::Thumb30, Layout::NoRemarks}) {
        decode("example.pcs", file, layout);
        EXPECT_EQ(canvas.texts, std::vector<std::string>{"example.pcs"});
    }
}

TEST_F(PcdReader, SizesAreRoundedOnceFromTheExactValue)
{
    // 1997.1953125 units are 13.104956 inches: 13.10, not 13.11 by way of 13.1050.
    decode("wide.pcs", withTable({}, 2) + raw(0, 0, 0) + raw(511282, 0, 0));
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"wide.pcs", "Stitches: 2, Size: 332.9 x 0.0 mm",
                                                      "Colors Changes: 0, Size: 13.10 x 0.00 In."}));
}

TEST_F(PcdReader, ColoursComeFromTheTableAndTheNextStitchIsAMove)
{
    const std::vector<Color> colors = {0x00112233, 0x00445566, 0x02778899};
    const Bytes file = withTable(colors, 5) + colorChange(2) + at(0, 0) + at(100, 0) + colorChange(1) + at(100, 100) +
                       at(0, 100) + at(0, 50, 9);
    decode("colours.pcs", file);
    // E = 100: sX = 1.43, sY = 1.2.
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"PenColor 0x2778899", "MoveTo 72 204", "LineTo 215 204",
                                                   "PenColor 0x445566", "MoveTo 215 84", "LineTo 72 84",
                                                   "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts.back(), "Colors Changes: 2, Size: 0.66 x 0.66 In.");
}

TEST_F(PcdReader, HeaderStitchCountZeroWithACountedFirstRecordReadsToTheEnd)
{
    // The counter passes 0 at once: every record is sized and drawn, and what follows
    // the records is taken for records too, so no note appears.
    const Bytes file = withTable(palette(2), 0) + at(0, 0) + at(60, 0) + at(60, 60) + Bytes{0} +
                       text("A note that is never shown here");
    decode("zero.pcs", file);
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 2u);
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"zero.pcs", "Stitches: 0, Size: 10.0 x 10.0 mm",
                                                      "Colors Changes: 0, Size: 0.39 x 0.39 In."}));
}

TEST_F(PcdReader, HeaderStitchCountZeroWithAnUncountedFirstRecordEndsRightAfterIt)
{
    // A file without stitches: sizes of 0, nothing drawn, the change still counted, and
    // the note right after the unused byte.
    const Bytes file = withTable({0x00ABCDEF}, 0) + colorChange(0) + Bytes{0} + text("Just the note");
    decode("empty.pcd", file);
    EXPECT_TRUE(canvas.linesStarting("MoveTo").empty());
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"empty.pcd", "Stitches: 0, Size: 0.0 x 0.0 mm",
                                                      "Colors Changes: 1, Size: 0.00 x 0.00 In.", "Just the note"}));
    EXPECT_EQ(s.MinX, 0.0f);
    EXPECT_EQ(s.MaxY, 0.0f);

    // An ignored type ends the area the same way; the stitches after it become note bytes.
    decode("ignored.pcd", withTable({}, 0) + at(0, 0, 200) + Bytes{0} + text("Note"));
    EXPECT_TRUE(canvas.linesStarting("MoveTo").empty());
    EXPECT_EQ(canvas.texts.back(), "Note");

    // No record at all: the header alone.
    decode("bare.pcq", withTable({}, 7));
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"bare.pcq", "Stitches: 7, Size: 0.0 x 0.0 mm",
                                                      "Colors Changes: 0, Size: 0.00 x 0.00 In."}));
}

TEST_F(PcdReader, TableByteZeroOrOneMeansNoTableAndTheCountAtOffsetFour)
{
    for (std::uint8_t tableByte : {0, 1}) {
        // The colour count says 5, but no table is read; every change draws black.
        const Bytes file = header(tableByte, 5, {}, 2) + at(0, 0) + colorChange(3) + at(30, 30) + Bytes{0} +
                           text("No table here");
        decode("plain.pcq", file);
        EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "PenColor 0x000000", "MoveTo 215 84",
                                                       "PenColor 0x000000"}));
        EXPECT_EQ(canvas.texts.front(), "plain.pcq");
        EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 5.0 x 5.0 mm");
        EXPECT_EQ(canvas.texts.back(), "No table here");
    }
    // 2 is the smallest byte with a table.
    decode("two.pcs", header(2, 1, {0x00FF0000}, 1) + colorChange(0) + at(5, 5));
    EXPECT_EQ(canvas.linesStarting("PenColor").front(), "PenColor 0xFF0000");
}

TEST_F(PcdReader, ColourCountsAndEntriesOutsideWhatWasReadDrawBlack)
{
    // 70 entries: 65 are read, 5 are skipped, and the stitch count is still found after them.
    const auto colors = palette(70);
    Bytes file = header(3, 70, colors, 2) + at(0, 0) + colorChange(64);
    for (std::int32_t entry : {65, 69, 70, -1, std::numeric_limits<std::int32_t>::min()})
        file = file + colorChange(entry);
    decode("many.pcs", file + at(10, 10) + Bytes{0} + text("Many colours"));
    auto pens = canvas.linesStarting("PenColor");
    ASSERT_EQ(pens.size(), 7u);
    EXPECT_EQ(pens[0], "PenColor " + hexColor(colors[64]));
    for (std::size_t i = 1; i < pens.size(); ++i)
        EXPECT_EQ(pens[i], "PenColor 0x000000");
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 1.7 x 1.7 mm");
    EXPECT_EQ(canvas.texts[2], "Colors Changes: 6, Size: 0.07 x 0.07 In.");
    EXPECT_EQ(canvas.texts[3], "Many colours");

    // A negative count reads no table.
    decode("negative.pcs", header(3, -2, {}, 1) + colorChange(0) + at(5, 5));
    EXPECT_EQ(canvas.linesStarting("PenColor").front(), "PenColor 0x000000");
    EXPECT_EQ(canvas.linesStarting("MoveTo").size(), 1u);

    // Entries at or beyond the count are not read, though the table has room for them.
    decode("beyond.pcs", withTable({0x00010203, 0x00040506}, 1) + colorChange(1) + colorChange(2) + at(5, 5));
    EXPECT_EQ(canvas.linesStarting("PenColor"),
              (std::vector<std::string>{"PenColor 0x040506", "PenColor 0x000000", "PenColor 0x000000"}));

    // A table cut short by the end of the file.
    decode("short.pcs", Bytes{0x32, 3, 4, 0, 0x11, 0x22, 0x33, 0x00, 0x44});
    EXPECT_EQ(canvas.texts[1], "Stitches: 0, Size: 0.0 x 0.0 mm");
}

TEST_F(PcdReader, TypeThreeWithYZeroIsAChangeWhateverItsX)
{
    const Bytes file = withTable(palette(40), 2) + at(0, 0) + raw(35, 0, 3) + raw(600 * 256, 0, 3) + at(30, 30);
    decode("three.pcs", file);
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "PenColor " + hexColor(palette(40)[35]),
                                                   "PenColor 0x000000", "MoveTo 215 84", "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts[2], "Colors Changes: 2, Size: 0.20 x 0.20 In.");
}

TEST_F(PcdReader, TypeThreeWithXFrom17To32SizesAsAStitchButDrawsAsAChange)
{
    // Counted while sizing: the count of 4 is reached after the fourth record, so the note
    // follows it. X = 16 is not counted and its Y of 900 does not widen the design.
    const auto colors = palette(33);
    const Bytes file = withTable(colors, 4) + at(0, 0) + raw(17, 300 * 256, 3) + raw(16, 900 * 256, 3) +
                       at(600, 0) + raw(32, -5, 3) + Bytes{0} + text("Found after four");
    decode("limits.pcs", file);
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"limits.pcs", "Stitches: 4, Size: 100.0 x 50.0 mm",
                                                      "Colors Changes: 3, Size: 3.94 x 1.97 In.",
                                                      "Found after four"}));
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "PenColor " + hexColor(colors[17]),
                                                   "PenColor " + hexColor(colors[16]), "MoveTo 215 204",
                                                   "PenColor " + hexColor(colors[32]), "PenColor 0x000000"}));
}

TEST_F(PcdReader, TypeThreeWithX33OrMoreIsAStitchInBothPasses)
{
    const Bytes file = withTable(palette(40), 2) + at(0, 0) + raw(33, 300 * 256, 3) + Bytes{0} + text("Two stitches");
    decode("stitch3.pcs", file);
    // E = 300 (Y); X = 33/256 units adds nothing visible. sY = 0.4: y = 204 - 120.
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "LineTo 72 84", "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts.back(), "Two stitches");
    EXPECT_EQ(canvas.texts[2], "Colors Changes: 0, Size: 0.00 x 1.97 In.");
}

TEST_F(PcdReader, TypeFiveAlwaysMovesAndAfterAChangeStartsTheNewColour)
{
    const Bytes file = withTable({0x000000FF, 0x0000FF00}, 5) + at(0, 0) + at(40, 0, 5) + at(100, 0) +
                       colorChange(1) + at(100, 100, 5) + at(0, 100);
    decode("jumps.pcs", file);
    // E = 100: sX = 1.43, sY = 1.2.
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "MoveTo 129 204", "LineTo 215 204",
                                                   "PenColor 0x00FF00", "MoveTo 215 84", "LineTo 72 84",
                                                   "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 5, Size: 16.7 x 16.7 mm");
}

TEST_F(PcdReader, APointLikeDesignUses1200AndLandsHalfALineAboveTheAnchor)
{
    // Above the remarks, which start on the middle line.
    const Bytes file = withTable({}, 3) + at(50, 50) + at(50, 50) + at(50, 50, 5);
    decode("point.pcs", file);
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 200", "LineTo 72 200", "MoveTo 72 200",
                                                   "PenColor 0x000000"}));
    EXPECT_EQ(canvas.texts[1], "Stitches: 3, Size: 0.0 x 0.0 mm");
    // Only an extent of exactly 0 is replaced: a step of 1/256 unit fills the half cell.
    decode("tiny.pcs", withTable({}, 2) + raw(0, 0, 0) + raw(1, 1, 0));
    EXPECT_EQ(canvas.linesStarting("LineTo"), std::vector<std::string>{"LineTo 215 84"});
}

TEST_F(PcdReader, FarApartExtentsScaleByTheirExactDifference)
{
    // Y from -0.34375 to 2744876 units: E = 2744876.34375, which single precision would
    // round to 2744876.25. The top lands on 135.500006 and is drawn at 136, not 135.
    decode("damaged.pcs", withTable({}, 2) + raw(0, -88, 0) + raw(0, 2744876 * 256, 0), Layout::Enlarged);
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 273 408", "LineTo 273 136", "PenColor 0x000000"}));
}

TEST_F(PcdReader, MaximaStartAtZeroSoNegativeDesignsReachToTheOrigin)
{
    decode("negative.pcs", withTable({}, 2) + at(-120, -60) + at(-50, -30));
    // MaxX and MaxY stay 0: the design spans 120 x 60 units.
    EXPECT_EQ(canvas.texts[1], "Stitches: 2, Size: 20.0 x 10.0 mm");
    EXPECT_EQ(s.MaxX, 0.0f);
    // E = 120: sX = 1.191667, sY = 1; (-50, -30) lands at (72 + 70 x 1.191667, 204 - 30).
    EXPECT_EQ(drawingCalls(canvas.log), (std::vector<std::string>{"MoveTo 72 204", "LineTo 155 174", "PenColor 0x000000"}));
}

TEST_F(PcdReader, APartialLastRecordIsIgnored)
{
    const Bytes records = at(0, 0) + at(60, 0) + at(60, 60);
    for (std::size_t extra = 1; extra < 9; ++extra) {
        const Bytes partial = at(0, 60);
        decode("partial.pcs", withTable({}, 9) + records + Bytes(partial.begin(), partial.begin() + long(extra)));
        EXPECT_EQ(canvas.linesStarting("LineTo"), (std::vector<std::string>{"LineTo 215 204", "LineTo 215 84"}))
            << extra;
        EXPECT_EQ(canvas.texts.size(), 3u);  // no note: the area ran to the end of the file
    }
}

TEST_F(PcdReader, StitchAreaEndsAcrossBlocksAndTheNoteFollowsIt)
{
    // 504 records fill one block exactly; 1200 take three blocks.
    for (std::uint16_t count : {503, 504, 505, 1008, 1200}) {
        Bytes file = withTable({}, count);
        for (int i = 0; i < count; ++i)
            file = file + at(i % 100, i / 100);
        // Records after the area are read neither as stitches nor as note.
        decode("blocks.pcs", file + Bytes{0} + text("The end of the stitches") + at(1000, 1000));
        EXPECT_EQ(canvas.linesStarting("LineTo").size(), std::size_t(count - 1)) << count;
        ASSERT_EQ(canvas.texts.size(), 4u) << count;
        EXPECT_EQ(canvas.texts[3].rfind("The end of the stitches", 0), 0u) << count;
        EXPECT_EQ(s.MaxX, 99.0f);
    }
}

TEST_F(PcdReader, ANoteWithAPictureNameShowsOnlyItsDescription)
{
    const Bytes file = withTable({}, 1) + at(0, 0) + Bytes{0x1A} + text("FLOWERS.BMP\r\nRoses  for a pillow\0\0\0");
    decode("note.pcd", file);
    EXPECT_EQ(canvas.texts.back(), "Roses for a pillow");
    EXPECT_EQ(canvas.linesStarting("TextOut").back(), "TextOut 72 220 \"Roses for a pillow\"");
    // Thumbnails and the layout without remarks show no note.
    decode("note.pcd", file, Layout::Thumb12);
    EXPECT_EQ(canvas.texts.size(), 5u);
    EXPECT_EQ(canvas.texts.back(), "Colors Changes: 0");
}

TEST_F(PcdReader, ALongNoteWrapsBelowTheRemarksAndOnly254BytesAreRead)
{
    const std::string first(29, 'a'), second(30, 'b');
    decode("wrap.pcs", withTable({}, 1) + at(0, 0) + Bytes{0} + text(first + " " + second));
    EXPECT_EQ(canvas.texts, (std::vector<std::string>{"wrap.pcs", "Stitches: 1, Size: 0.0 x 0.0 mm",
                                                      "Colors Changes: 0, Size: 0.00 x 0.00 In.", first, second}));
    EXPECT_EQ(canvas.linesStarting("TextOut").back(), "TextOut 72 228 \"" + second + "\"");

    // A run of 300 letters: only 254 are read, and they are written whole.
    decode("run.pcs", withTable({}, 1) + at(0, 0) + Bytes{0} + text(std::string(300, 'r')));
    EXPECT_EQ(canvas.texts.back(), std::string(254, 'r'));
}

TEST_F(PcdReader, NoteLineOfOneCharacterIsDropped)
{
    decode("one.pcs", withTable({}, 1) + at(0, 0) + Bytes{0} + text(" x \r\n"));
    EXPECT_EQ(canvas.texts.size(), 3u);
}

TEST_F(PcdReader, PhasesAndNameSelectionFollowTheCommonFrame)
{
    s.SelectedList.add("sel.pcs");
    decode("sel.pcs", withTable({}, 1) + at(0, 0));
    EXPECT_EQ(host.phases(), (std::vector<std::string>{"Phase \"Reading\"", "Phase \"Drawing\"", "Phase \"\""}));
    EXPECT_EQ(canvas.linesStarting("FontColor"), (std::vector<std::string>{"FontColor 0x0000FF", "FontColor 0x000000"}));
    EXPECT_EQ(canvas.linesStarting("TextOut").front(), "TextOut 72 72 \"sel.pcs\"");
    EXPECT_EQ(s.DesignPath, "sel.pcs");
}

TEST_F(PcdReader, CancelDuringTheFirstPassLeavesTheCellEmpty)
{
    Bytes file = withTable({}, 1000);
    for (int i = 0; i < 1000; ++i)
        file = file + at(i, i);
    host.onPhase = [&](const std::string& phase) {
        if (phase == "Reading")
            s.CancelPressed = true;
    };
    decode("cancel.pcs", file);
    EXPECT_TRUE(canvas.log.empty());
    EXPECT_EQ(host.phases(), (std::vector<std::string>{"Phase \"Reading\"", "Phase \"\""}));
    EXPECT_EQ(s.DesignPath, "/designs/cancel.pcs");
}

TEST_F(PcdReader, CancelAfterTheSecondPassKeepsThePictureOnly)
{
    Bytes file = withTable({}, 1000);
    for (int i = 0; i < 1000; ++i)
        file = file + at(i, i);
    host.onPhase = [&](const std::string& phase) {
        if (phase == "Drawing")
            s.CancelPressed = true;
    };
    decode("cancel.pcs", file + Bytes{0} + text("Never written"));
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 999u);  // the drawing pass ignores the flag
    EXPECT_TRUE(canvas.texts.empty());
    EXPECT_EQ(host.phases(), (std::vector<std::string>{"Phase \"Reading\"", "Phase \"Drawing\"", "Phase \"\""}));
    EXPECT_EQ(s.DesignPath, "/designs/cancel.pcs");
}

TEST_F(PcdReader, WrongFormatByteOrShortHeaderIsRejectedWithAMessage)
{
    s.SelectedList.add("bad.pcs");
    for (const Bytes& file : {Bytes{0x31, 3, 0, 0, 0, 0}, Bytes{}, Bytes{0x32, 3, 0}}) {
        decode("bad.pcs", file);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "/designs/bad.pcs is not in PCD2 Format");
        EXPECT_EQ(host.messages[0].caption, "File Format Error");
        EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(canvas.log, (std::vector<std::string>{"PenColor 0x000000", "TextOut 72 72 \"bad.pcs\"",
                                                        "TextOut 72 204 \" Bad File Format (Not PCD-2 Format)\""}));
        EXPECT_TRUE(host.phases().empty());
        EXPECT_EQ(s.DesignPath, "bad.pcs");
    }
}

TEST_F(PcdReader, HostileFilesStayInsideTheUpperHalfOfTheCell)
{
    // Whatever the fields hold, every drawn point was sized first, so the picture keeps to
    // the box from the anchor up half the cell height and across half the cell width.
    std::uint32_t seed = 12345;
    const auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    for (int round = 0; round < 300; ++round) {
        const std::uint8_t tableByte = std::uint8_t(next() % 4);
        const auto colorCount = std::int16_t(next() % 3 == 0 ? std::int16_t(next()) : std::int16_t(next() % 80));
        Bytes file{0x32, tableByte, std::uint8_t(colorCount), std::uint8_t(std::uint16_t(colorCount) >> 8)};
        const int tail = int(next() % 600);
        for (int i = 0; i < tail; ++i) {
            if (next() % 3 == 0) {
                // Records with small types and coordinates near each other or anywhere.
                const bool wide = next() % 4 == 0;
                const std::int32_t x = wide ? std::int32_t(next()) : std::int32_t(next() % 40000) - 20000;
                const std::int32_t y = wide ? std::int32_t(next()) : std::int32_t(next() % 40000) - 20000;
                file = file + raw(x, y, std::uint8_t(next() % 9));
            } else {
                file.push_back(std::uint8_t(next()));
            }
        }
        decode("random.pcs", file);
        for (const auto& line : canvas.log) {
            int x = 0, y = 0;
            if (std::sscanf(line.c_str(), "MoveTo %d %d", &x, &y) == 2 ||
                std::sscanf(line.c_str(), "LineTo %d %d", &x, &y) == 2) {
                ASSERT_GE(x, 72) << round << " " << line;
                ASSERT_LE(x, 72 + 143) << round << " " << line;
                ASSERT_GE(y, 204 - 120) << round << " " << line;
                ASSERT_LE(y, 204) << round << " " << line;
            }
        }
        EXPECT_EQ(host.phases().back(), "Phase \"\"") << round;
        EXPECT_EQ(canvas.pen, Black) << round;
    }
}

} // namespace
} // namespace orlika::test
