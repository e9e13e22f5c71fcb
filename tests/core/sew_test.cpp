// SPDX-License-Identifier: MIT
#include "cell/CellRenderer.h"
#include "decoders/Sew.h"
#include "platform/ByteCursor.h"
#include "tests/support/TestBytes.h"
#include "tests/support/CatalogFixture.h"

#include <cstdio>

namespace orlika::test {
namespace {

// A SEW file: the count, the list, zeros up to byte 7544, then the stitch records.
Bytes sewFile(const std::vector<int>& list, const Bytes& stitches, int count = -1)
{
    const int n = count < 0 ? int(list.size()) : count;
    Bytes file = {std::uint8_t(n), std::uint8_t(n >> 8)};
    for (const int entry : list) {
        file.push_back(std::uint8_t(entry));
        file.push_back(std::uint8_t(entry >> 8));
    }
    file.resize(7544, 0);
    file.insert(file.end(), stitches.begin(), stitches.end());
    return file;
}

Bytes records(std::initializer_list<int> bytes)
{
    Bytes out;
    for (const int b : bytes)
        out.push_back(std::uint8_t(b));
    return out;
}

TEST(SewPalette, PairingsAreKeptExactlyAsTheChartHasThem)
{
    using sew::SewThreadColors;
    using sew::SewThreadNames;
    EXPECT_EQ(SewThreadNames[1], "Black");
    EXPECT_EQ(SewThreadColors[1], 0x00000000u);
    EXPECT_EQ(SewThreadNames[2], "White");
    EXPECT_EQ(SewThreadColors[2], 0x02E5E5E5u);
    EXPECT_EQ(SewThreadNames[14], "Dark Brown");
    EXPECT_EQ(SewThreadColors[14], 0x02FF99FFu);  // pinkish, as charted
    EXPECT_EQ(SewThreadNames[19], "Beige");
    EXPECT_EQ(SewThreadColors[19], 0x02990000u);
    EXPECT_EQ(SewThreadNames[28], "Light Rust");
    EXPECT_EQ(SewThreadColors[28], SewThreadColors[11]);
    EXPECT_EQ(SewThreadNames[31], "Undefined");
    EXPECT_EQ(SewThreadColors[31], 0x024C9300u);
    EXPECT_EQ(SewThreadNames[32], "Teal Green");
    EXPECT_EQ(SewThreadColors[32], 0x00FFFFFFu);
    EXPECT_EQ(SewThreadNames[53], "Dark Brown");
    EXPECT_EQ(SewThreadColors[53], 0x020D2669u);
    EXPECT_EQ(SewThreadNames[73], SewThreadNames[75]);
    EXPECT_EQ(SewThreadNames[78], "Bamboo");
    EXPECT_EQ(SewThreadColors[78], 0x02999966u);
    EXPECT_EQ(SewThreadNames[80], "Undefined");
    EXPECT_EQ(SewThreadColors[80], 0x00FFFFFFu);
    int undefined = 0;
    for (std::size_t i = 1; i <= 80; ++i) {
        EXPECT_FALSE(SewThreadNames[i].empty()) << i;
        const Color top = SewThreadColors[i] >> 24;
        EXPECT_TRUE(top == 0x00 || top == 0x02) << i;
        if (SewThreadNames[i] == "Undefined") {
            ++undefined;
            if (i != 31) {
                EXPECT_EQ(SewThreadColors[i], White) << i;
            }
        }
    }
    EXPECT_EQ(undefined, 25);
}

TEST(SewPalette, IndicesOutsideThePaletteAreUndefinedAndBlack)
{
    EXPECT_EQ(sew::threadName(0), "Undefined");
    EXPECT_EQ(sew::threadColor(0), Black);
    EXPECT_EQ(sew::threadName(81), "Undefined");
    EXPECT_EQ(sew::threadColor(65535), Black);
    EXPECT_EQ(sew::threadName(80), "Undefined");
    EXPECT_EQ(sew::threadColor(80), White);
}

TEST(SewHeader, CountsAndReductions)
{
    sew::ColorList list;
    const auto parse = [&](const Bytes& bytes) {
        MemoryFile file(bytes);
        std::array<std::uint8_t, 16> buffer{};
        ByteCursor cursor(file, buffer);
        return sew::parseHeader(cursor, list);
    };
    EXPECT_EQ(parse({}), sew::HeaderStatus::UnknownFormat);
    EXPECT_EQ(parse({3}), sew::HeaderStatus::UnknownFormat);
    EXPECT_EQ(parse({101, 0}), sew::HeaderStatus::UnknownFormat);
    EXPECT_EQ(parse({0, 1}), sew::HeaderStatus::UnknownFormat);  // 256
    EXPECT_EQ(parse({0, 0}), sew::HeaderStatus::Ok);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(parse({3, 0, 79, 0, 5, 0}), sew::HeaderStatus::Ok);  // cut short: 2 of 3 entries
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(list.entries[0], 79);
    EXPECT_EQ(parse({3, 0, 80, 0, 81, 0, 0x40, 0x01}), sew::HeaderStatus::ColorsReduced);
    EXPECT_EQ(list.count, 3u);
    EXPECT_EQ(list.entries[0], 0);
    EXPECT_EQ(list.entries[1], 1);
    EXPECT_EQ(list.entries[2], 0x140 % 80);
}

TEST(SewHeader, ListLinesWrapByTheWidthOfTheLineAndTheNextName)
{
    const auto width = [](const std::string& text) { return int(text.size()) * 6; };
    std::vector<std::string> list;
    for (const std::uint16_t index : {1, 2, 3, 10, 4})
        list.push_back(sew::entryText(list.size(), index));
    const auto wrapped = [&](int limit, const std::vector<std::string>& entries) {
        return wrapList(entries, CellRule::ListWrap::JoinedByName, limit, width);
    };
    // "1. Black, 2. White, 3. Yellow" + "Red" is 32 characters (192 < 218), so ", 4. Red"
    // joins although the line then passes the limit; + "Orange" is 43 (258).
    const std::vector<std::string> expected = {"1. Black, 2. White, 3. Yellow, 4. Red", "5. Orange"};
    EXPECT_EQ(wrapped(218, list), expected);
    // However narrow the limit, every line holds one entry.
    EXPECT_EQ(wrapped(1, list).size(), 5u);
    EXPECT_TRUE(wrapped(218, {}).empty());
}

using SewReader = CatalogFixture;

TEST_F(SewReader, CountOfOneHundredIsReadAndOneHundredOneIsAnUnknownFormat)
{
    decode("hundred.sew", sewFile(std::vector<int>(100, 10), records({10, 10})));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(canvas.linesStarting("PenColor")[0], penLine(sew::SewThreadColors[10]));
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 1.0 x 1.0 mm");

    host.log.clear();
    s.SelectedList.add("big.sew");
    decode("big.sew", sewFile(std::vector<int>(101, 10), records({10, 10})));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "big.sew Has an Unknown File Format");
    EXPECT_EQ(host.messages[0].caption, "SEW File Format Error");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    // The name without selection colour, "Unknown Format" 2.2 text heights above the middle line.
    const std::vector<std::string> expected = {"TextOut 72 72 \"big.sew\"", "TextOut 72 182 \"Unknown Format\""};
    EXPECT_EQ(canvas.log, expected);
    EXPECT_TRUE(host.log.empty());  // the status label is not touched
}

TEST_F(SewReader, FilesTooShortForTheirCountOrListAndEmptyLists)
{
    decode("one-byte.sew", {5});
    EXPECT_EQ(canvas.texts.back(), "Unknown Format");
    ASSERT_EQ(host.messages.size(), 1u);

    // Three entries announced, one held: the list shows what the file holds.
    decode("cut.sew", {3, 0, 10, 0});
    const std::vector<std::string> texts = {"cut.sew", "Stitches: 0, Size: 0.0 x 0.0 mm", "Size: 0.00 x 0.00 In.",
                                            "Color Changes: 0", "1. Red"};
    EXPECT_EQ(canvas.texts, texts);
    EXPECT_EQ(host.messages.size(), 1u);

    // No list: the stitches stay black through colour changes and no list line is written.
    decode("none.sew", sewFile({}, records({10, 10, 0x80, 0x01, 10, 0})));
    const std::vector<std::string> pens = {"PenColor 0x000000", "PenColor 0x000000"};
    EXPECT_EQ(canvas.linesStarting("PenColor"), pens);
    EXPECT_EQ(canvas.linesStarting("LineTo").size(), 2u);
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 1");
}

TEST_F(SewReader, EntriesAboveSeventyNineAreReducedWithOneMessagePerFile)
{
    decode("ok.sew", sewFile({79}, records({10, 10})));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(canvas.texts.back(), "1. Undefined");
    EXPECT_EQ(canvas.linesStarting("PenColor")[0], penLine(sew::SewThreadColors[79]));

    decode("many.sew", sewFile({80, 81, 10, 160}, records({10, 10})));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "many.sew: Color Error.  Colors have been modified for display.");
    EXPECT_EQ(host.messages[0].caption, "SEW File Format Error");
    // 80 and 160 become 0 (outside the palette: black, "Undefined"); 81 becomes 1.
    EXPECT_EQ(canvas.linesStarting("PenColor")[0], "PenColor 0x000000");
    EXPECT_EQ(canvas.texts[4], "1. Undefined, 2. Black, 3. Red");
    EXPECT_EQ(canvas.texts[5], "4. Undefined");
    EXPECT_EQ(canvas.texts[1], "Stitches: 1, Size: 1.0 x 1.0 mm");  // still drawn
}

TEST_F(SewReader, ColourChangesWalkTheListAndStartAgainWhenItRunsOut)
{
    Bytes stitches = records({10, 0});
    for (int i = 0; i < 5; ++i) {
        const Bytes change = records({0x80, i == 2 ? 0x03 : 0x01, 0, 10});
        stitches.insert(stitches.end(), change.begin(), change.end());
    }
    decode("walk.sew", sewFile({10, 12, 6}, stitches));
    const std::vector<std::string> expected = {
        penLine(sew::SewThreadColors[10]), penLine(sew::SewThreadColors[12]), penLine(sew::SewThreadColors[6]),
        penLine(sew::SewThreadColors[10]), penLine(sew::SewThreadColors[12]), penLine(sew::SewThreadColors[6]),
        "PenColor 0x000000"};
    EXPECT_EQ(canvas.linesStarting("PenColor"), expected);  // whatever the code (0x03 included)
    EXPECT_EQ(canvas.texts[3], "Color Changes: 5");        // the records, not the header's 3
    EXPECT_EQ(canvas.texts[4], "1. Red, 2. Royal, 3. Green");
}

TEST_F(SewReader, ColourListOnlyInTheStandardAndEnlargedLayouts)
{
    const Bytes file = sewFile({1, 2, 3, 10, 4}, records({10, 10}));
    decode("list.sew", file);
    // List width round(286 x 0.8) = 229; limit round(229 x 0.95) = 218.
    const auto lines = canvas.linesStarting("TextOut");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "TextOut 72 220 \"Color Changes: 0\"");
    EXPECT_EQ(lines[4], "TextOut 72 228 \"1. Black, 2. White, 3. Yellow, 4. Red\"");
    EXPECT_EQ(lines[5], "TextOut 72 236 \"5. Orange\"");

    for (const Layout layout : {Layout::NoRemarks, Layout::Thumb12, Layout::Thumb20}) {
        decode("list.sew", file, layout);
        for (const auto& text : canvas.texts)
            EXPECT_EQ(text.find("Black"), std::string::npos) << text;
    }

    // One cell: the limit is 0.6 of the list width, round(round(909 x 0.8) x 0.6) = 436
    // pixels, 72 characters here.
    decode("list.sew", sewFile(std::vector<int>(12, 1), records({10, 10})), Layout::Enlarged);
    ASSERT_EQ(s.CellWidth, 909);
    const std::vector<std::string> expected = {
        "1. Black, 2. Black, 3. Black, 4. Black, 5. Black, 6. Black, 7. Black",
        "8. Black, 9. Black, 10. Black, 11. Black, 12. Black"};
    EXPECT_EQ(std::vector<std::string>(canvas.texts.end() - 2, canvas.texts.end()), expected);
    EXPECT_EQ(canvas.texts.size(), 6u);
}

TEST_F(SewReader, FileEndingBeforeTheStitchesShowsZeroSizesAndTheList)
{
    Bytes file = sewFile({10, 12}, {});
    file.resize(3000);
    decode("short.sew", file);
    const std::vector<std::string> expected = {"short.sew", "Stitches: 0, Size: 0.0 x 0.0 mm",
                                               "Size: 0.00 x 0.00 In.", "Color Changes: 0", "1. Red, 2. Royal"};
    EXPECT_EQ(canvas.texts, expected);
    EXPECT_TRUE(canvas.linesStarting("LineTo").empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SewReader, ExtensionDecidesThePathWhateverItsCase)
{
    const Bytes file = sewFile({10}, records({10, 10}));
    decode("mixed.Sew", file);
    EXPECT_EQ(canvas.texts.back(), "1. Red");
    // Read as EXP, the same bytes start with the header: (1, 0), (10, 0), then zeros.
    decode("plain.exp", file);
    EXPECT_EQ(canvas.texts.back(), "Color Changes: 0");
    EXPECT_EQ(s.MaxX, 21.0f);
}

} // namespace
} // namespace orlika::test
