// SPDX-License-Identifier: MIT
// Folders as they are on Linux: entries that cannot be opened, names that differ only in
// letter case, long names. Whatever a page shows is what a click acts on.
#include "tests/support/CatalogFixture.h"
#include "tests/support/PageClicks.h"
#include "tests/support/RecordingPrinter.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/KsmWriter.h"

#include <algorithm>

namespace orlika::test {
namespace {

std::vector<std::uint8_t> tinyDst()
{
    gen::Design design;
    design.stitch(10, 10);
    design.stitch(20, 0);
    return gen::writeDst(design);
}

// Standard layout on the 1000 x 600 page: a point in the picture half of cell k.
int cellX(int k)
{
    return 72 + (k % 3) * 286 + 100;
}
int cellY(int k)
{
    return (k < 3 ? 204 : 444) - 50;
}

class RealFolderTest : public CatalogFixture {
protected:
    RecordingCanvas clicks;

    /// Good designs under the names given, and entries under the others that cannot be
    /// opened (a folder, a dangling link, a link loop), all in /designs/.
    void makeFolder(const std::vector<std::string>& good, const std::vector<std::string>& unopenable = {})
    {
        for (const auto& name : good)
            files.add("/designs/" + name, tinyDst());
        for (const auto& name : unopenable) {
            files.add("/designs/" + name);
            files.unreadable.push_back("/designs/" + name);
        }
    }
    /// The design names written as name lines, page by page (a page ends at a repaint).
    std::vector<std::vector<std::string>> pagesDrawn() const
    {
        std::vector<std::vector<std::string>> pages(1);
        for (std::size_t i = 0; i < canvas.log.size(); ++i) {
            const std::string& line = canvas.log[i];
            if (line.rfind("Rectangle", 0) == 0 && !pages.back().empty())
                pages.emplace_back();
            if (line.rfind("TextOut", 0) != 0)
                continue;
            const std::string text = line.substr(line.find('"') + 1, line.size() - line.find('"') - 2);
            if (text.find(':') == std::string::npos)  // not the folder line or a remark
                pages.back().push_back(text);
        }
        if (pages.back().empty())
            pages.pop_back();
        return pages;
    }
    void onWait(std::function<void()> action) { host.onWait.push_back(std::move(action)); }
    /// A right click in cell k; the name it writes goes to `clicks`.
    void click(int k) { toggleSelectionAt(catalog, clicks, cellX(k), cellY(k)); }
    std::vector<std::string> selected() const { return s.SelectedList.names(); }
};

using Pages = std::vector<std::vector<std::string>>;

TEST_F(RealFolderTest, EachCellActsOnTheFileItDrewNotOnAListPosition)
{
    makeFolder({"b1.dst", "b2.dst", "b3.dst", "b4.dst", "b5.dst", "b6.dst", "b7.dst", "b8.dst"},
               {"a_dangling.dst", "a_folder.dst", "a_loop.dst"});
    onWait([&] {
        click(0);
        click(5);
        EXPECT_EQ(selected(), (std::vector<std::string>{"b1.dst", "b6.dst"}));
        EXPECT_EQ(host.captions.back(), " Picture 9 of 11 (3 skipped on this page)");  // b6's list position
        catalog.SBButtonClick();
    });
    onWait([&] {
        click(1);  // b8
        click(2);  // an empty cell: nothing
        EXPECT_EQ(selected(), (std::vector<std::string>{"b1.dst", "b6.dst", "b8.dst"}));
        catalog.SBButtonClick();
    });
    openFolder("b1.dst");
    EXPECT_EQ(pagesDrawn(), (Pages{{"b1.dst", "b2.dst", "b3.dst", "b4.dst", "b5.dst", "b6.dst"}, {"b7.dst", "b8.dst"}}));
    // The red name is the clicked cell's own.
    const auto red = std::find(clicks.log.begin(), clicks.log.end(), "FontColor 0x0000FF");
    ASSERT_NE(red, clicks.log.end());
    EXPECT_EQ(*std::next(red), "TextOut 72 72 \"b1.dst\"");
    EXPECT_EQ(s.SelectedFolder, "/designs/");
}

TEST_F(RealFolderTest, PrevReturnsToThePagesAsDrawnAndNeverBeforeTheStart)
{
    makeFolder({"d01.dst", "d02.dst", "d03.dst", "d04.dst", "d05.dst", "d06.dst", "d07.dst", "d08.dst", "d09.dst",
                "d10.dst", "d11.dst"},
               {"a1.dst", "a2.dst", "a3.dst", "d06b.dst", "e1.dst"});
    onWait([&] {
        EXPECT_FALSE(catalog.prevShown());  // no page before the first
        catalog.SBPrevClick();              // so Prev does nothing here
        EXPECT_FALSE(s.NextPressed);
        catalog.SBButtonClick();
    });
    onWait([&] {
        EXPECT_TRUE(catalog.prevShown());
        EXPECT_EQ(catalog.firstIndexOnDisplay(), 10);  // d07, after the skipped d06b
        catalog.SBPrevClick();
    });
    onWait([&] {
        EXPECT_FALSE(catalog.prevShown());
        EXPECT_EQ(catalog.firstIndexOnDisplay(), 3);  // d01, after the three skipped
        catalog.SBButtonClick();
    });
    onWait([&] { catalog.SBButtonClick(); });
    openFolder("d01.dst");
    const std::vector<std::string> first = {"d01.dst", "d02.dst", "d03.dst", "d04.dst", "d05.dst", "d06.dst"};
    const std::vector<std::string> second = {"d07.dst", "d08.dst", "d09.dst", "d10.dst", "d11.dst"};
    EXPECT_EQ(pagesDrawn(), (Pages{first, second, first, second}));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.captions.back(), " FINISHED; 5 could not be opened: 5 no permission");
}

TEST_F(RealFolderTest, StartingAtAFileKeepsPrevAtOrAfterIt)
{
    makeFolder({"d01.dst", "d02.dst", "d03.dst", "d04.dst", "d05.dst", "d06.dst", "d07.dst", "d08.dst", "d09.dst",
                "d10.dst"},
               {"d03b.dst"});
    onWait([&] { catalog.SBButtonClick(); });
    onWait([&] {
        EXPECT_TRUE(catalog.prevShown());
        catalog.SBPrevClick();
    });
    onWait([&] {
        EXPECT_FALSE(catalog.prevShown());
        EXPECT_EQ(catalog.firstIndexOnDisplay(), s.StartIndex);
        catalog.SBCancelClick();
    });
    openFolder("d03.dst", false);
    EXPECT_EQ(s.StartIndex, 2);
    const Pages pages = pagesDrawn();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].front(), "d03.dst");
    EXPECT_EQ(pages[2], pages[0]);
}

TEST_F(RealFolderTest, EntriesThatCannotBeOpenedAtTheEndLeaveNoEmptyPage)
{
    makeFolder({"d1.dst", "d2.dst", "d3.dst", "d4.dst", "d5.dst", "d6.dst"}, {"e1.dst", "e2.dst"});
    onWait([&] {
        EXPECT_FALSE(catalog.prevShown());
        catalog.SBButtonClick();
    });
    openFolder("d1.dst");
    EXPECT_EQ(pagesDrawn(), (Pages{{"d1.dst", "d2.dst", "d3.dst", "d4.dst", "d5.dst", "d6.dst"}}));
    EXPECT_EQ(canvas.linesStarting("Rectangle").size(), 1u);  // never painted white again
}

TEST_F(RealFolderTest, AFolderOfOnlyUnopenableEntriesFindsNoFiles)
{
    makeFolder({}, {"x.dst", "y.pes"});
    openFolder("x.dst");
    EXPECT_EQ(host.captions.back(), " No Files Found; 2 could not be opened: 2 no permission");
    EXPECT_EQ(host.waits, 0);
    click(0);
    EXPECT_TRUE(selected().empty());
}

TEST_F(RealFolderTest, NamesThatDifferOnlyInCaseAreTwoDesigns)
{
    makeFolder({"Emb.DST", "Emb.dst", "a.dst"});
    openFolder("a.dst");
    EXPECT_EQ(s.FileList.names(), (std::vector<std::string>{"a.dst", "Emb.DST", "Emb.dst"}));
    EXPECT_EQ(pagesDrawn(), (Pages{{"a.dst", "Emb.DST", "Emb.dst"}}));
    click(2);
    EXPECT_EQ(selected(), std::vector<std::string>{"Emb.dst"});
    click(1);
    EXPECT_EQ(selected(), (std::vector<std::string>{"Emb.DST", "Emb.dst"}));
    click(2);
    EXPECT_EQ(selected(), std::vector<std::string>{"Emb.DST"});

    // Starting at a file finds exactly that file, or the first of its case twins for a
    // name typed in another case.
    openFolder("Emb.dst", false);
    EXPECT_EQ(s.StartIndex, 2);
    openFolder("EMB.DST", false);
    EXPECT_EQ(s.StartIndex, 1);
}

TEST_F(RealFolderTest, LongNamesAreShortenedToTheirCellAndClicksWriteTheSameText)
{
    setLayout(s, Layout::Thumb30);
    makeFolder({"c1_andkoma__nautical_anchor.dst", "c1_andkoma__nautical_anchor.pes", "short.dst"});
    openFolder("short.dst");
    // 154 pixels a cell, less a gap of two characters: at most 23 characters of 6 pixels.
    std::vector<std::string> names;
    for (const auto& text : canvas.texts)
        if (text.rfind("File Folder", 0) != 0)
            names.push_back(text);
    ASSERT_GE(names.size(), 2u);
    EXPECT_LE(names[0].size() * RecordingCanvas::kCharWidth, 142u);
    EXPECT_EQ(names[0].substr(0, 10), "c1_andkoma");
    EXPECT_EQ(names[0].substr(names[0].size() - 10), "...hor.dst");
    EXPECT_EQ(names.back(), "short.dst");

    toggleSelectionAt(catalog, clicks, 38 + 50, 92 - 20);  // cell 0 of the 6 x 5 grid
    EXPECT_EQ(selected(), std::vector<std::string>{"c1_andkoma__nautical_anchor.dst"});
    EXPECT_EQ(clicks.texts, std::vector<std::string>{names[0]});
}

TEST_F(RealFolderTest, TheEnlargedNameEndsAtThePageEdgeAndAClickWritesTheSameText)
{
    setLayout(s, Layout::Enlarged);
    const std::string name = std::string(140, 'n') + "_v2.dst";
    makeFolder({name});
    openFolder(name);
    // The cell is 909 pixels wide but starts at 273 on a page of 1000: 727 pixels of
    // room, less the gap of two characters.
    ASSERT_FALSE(canvas.texts.empty());
    const std::string written = canvas.texts[1];
    EXPECT_EQ(written.substr(written.size() - 10), "..._v2.dst");
    EXPECT_LE(273 + written.size() * RecordingCanvas::kCharWidth, 1000u - 2 * RecordingCanvas::kCharWidth);
    EXPECT_GT(273 + (written.size() + 1) * RecordingCanvas::kCharWidth, 1000u - 2 * RecordingCanvas::kCharWidth);
    toggleSelectionAt(catalog, clicks, 273 + 100, 300);
    EXPECT_EQ(clicks.texts, std::vector<std::string>{written});
}

TEST_F(RealFolderTest, AfterAPrintRunClicksStillActOnTheScreenPage)
{
    makeFolder({"a.dst", "b.dst"});
    files.add("/other/x.dst", tinyDst());
    files.add("/other/y.dst", tinyDst());
    openFolder("a.dst");

    RecordingPrinter printer;
    catalog.setPrinter(&printer);
    s.OpenFileName = "/other/x.dst";
    s.FromBeginning = true;
    catalog.View(printer.page, true);
    catalog.runToEnd([&] { host.answerWait(); });
    ASSERT_EQ(s.FolderPath, "/other/");

    click(1);
    EXPECT_EQ(selected(), std::vector<std::string>{"b.dst"});
    EXPECT_EQ(s.SelectedFolder, "/designs/");
}

// Counts the points a reader hands over outside the area its lines are confined to.
class ClipCheckingCanvas : public RecordingCanvas {
public:
    int outside = 0;
    int points = 0;
    void moveTo(int x, int y) override { check(x, y); }
    void lineTo(int x, int y) override { check(x, y); }

private:
    void check(int x, int y)
    {
        ++points;
        if (!clip || x < clip->left || x >= clip->right || y < clip->top || y >= clip->bottom)
            ++outside;
    }
};

TEST_F(RealFolderTest, LinesStayInTheirCellButDesignsDrawnToScaleAreNeverCut)
{
    // Tall and wide designs reach furthest: DST scales both axes by the cell's width, KSM
    // by 0.6 of the cell.
    gen::Design tall;
    tall.stitch(0, 0);
    tall.runTo(0, 900, 100);
    tall.runTo(40, 900, 100);
    gen::Design wide;
    wide.stitch(0, 0);
    wide.runTo(900, 0, 100);
    wide.runTo(900, 40, 100);
    for (const Layout layout : {Layout::Standard, Layout::Thumb12, Layout::Thumb30, Layout::Enlarged}) {
        for (const auto& [name, bytes] : {std::pair{"tall.dst", gen::writeDst(tall)}, {"wide.dst", gen::writeDst(wide)},
                                          {"tall.ksm", gen::writeKsm(tall)}, {"wide.ksm", gen::writeKsm(wide)}}) {
            ClipCheckingCanvas checked;
            setLayout(s, layout);
            catalog.prepareScreenPage(checked, 1000, 600);
            s.CellNo = s.PageColumns * s.PageRows;  // the last cell: neighbours above and left
            catalog.decodeFile(checked, std::string("/designs/") + name, std::make_unique<MemoryFile>(bytes));
            EXPECT_GT(checked.points, 5) << name;
            EXPECT_EQ(checked.outside, 0) << name << " in layout " << int(layout);
            EXPECT_FALSE(checked.clip.has_value());  // let go after the design
        }
    }

    // A header whose -Y and +Y are swapped would put the picture below its cell: the
    // stitches, which its box does not hold, place it instead.
    auto lying = gen::writeDst(tall);
    std::vector<std::uint8_t> header = gen::dstHeaderBlock({"lying", 20, 0, 40, 0, 0, 900});
    std::copy(header.begin(), header.end(), lying.begin());
    ClipCheckingCanvas checked;
    setLayout(s, Layout::Standard);
    catalog.prepareScreenPage(checked, 1000, 600);
    catalog.decodeFile(checked, "/designs/lying.dst", std::make_unique<MemoryFile>(lying));
    EXPECT_GT(checked.points, 5);
    EXPECT_EQ(checked.outside, 0);
}

// Print runs

class RealFolderPrintTest : public RealFolderTest {
protected:
    RecordingPrinter printer;
    RealFolderPrintTest() { catalog.setPrinter(&printer); }

    void print()
    {
        s.OpenFileName = "/designs/d01.dst";
        s.FileKind = FileKind::AllSupported;
        s.FromBeginning = true;
        catalog.View(printer.page, true);
        catalog.runToEnd([&] { host.answerWait(); });
    }
    void makeTwelve()
    {
        std::vector<std::string> names;
        for (int i = 1; i <= 12; ++i)
            names.push_back((i < 10 ? "d0" : "d") + std::to_string(i) + ".dst");
        makeFolder(names, {"d05b.dst", "d13.dst", "d14.dst"});
    }
};

TEST_F(RealFolderPrintTest, ThePageCountCountsTheDesignsThatPrint)
{
    makeTwelve();
    print();
    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "NewPage", "EndDoc"}));
    std::vector<std::string> pageTexts;
    for (const auto& text : printer.page.texts)
        if (text.rfind("Page ", 0) == 0)
            pageTexts.push_back(text);
    EXPECT_EQ(pageTexts, (std::vector<std::string>{"Page 1 of 2 Pages", "Page 2 of 2 Pages"}));
    EXPECT_EQ(host.captions.back(), " FINISHED PRINTING; 3 could not be opened: 3 no permission");
}

TEST_F(RealFolderPrintTest, AJobThatCannotStartOrBeWrittenSaysSoAndTheWindowRecovers)
{
    makeTwelve();
    printer.failBegin = true;
    print();
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Cannot print to /no/such/folder/catalog.pdf: the folder /no/such/folder does not exist."});
    EXPECT_EQ(host.captions.back(), " PRINTING FAILED");
    EXPECT_TRUE(!host.busy);
    EXPECT_TRUE(!host.busy);
    EXPECT_FALSE(host.controls.cancel);

    host.errors.clear();
    printer.failBegin = false;
    printer.failEnd = true;
    print();
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.captions.back(), " PRINTING FAILED");
    EXPECT_FALSE(printer.open);
}

TEST_F(RealFolderPrintTest, DecliningTheFileNamePrintsNothingAndSaysSo)
{
    makeTwelve();
    printer.declineBegin = true;
    print();
    EXPECT_EQ(printer.steps, std::vector<std::string>{"BeginDoc"});
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.captions.back(), " NOTHING PRINTED");
    EXPECT_TRUE(!host.busy);
}

} // namespace
} // namespace orlika::test
