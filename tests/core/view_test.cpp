// SPDX-License-Identifier: MIT
#include "decoders/Registry.h"
#include "tests/support/CatalogFixture.h"
#include "tests/support/PageClicks.h"
#include "tests/support/RecordingPrinter.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ShvWriter.h"
#include "tools/designgen/Vp3Writer.h"

#include <algorithm>
#include <cstdio>

namespace orlika::test {
namespace {

std::vector<std::uint8_t> tinyDst()
{
    gen::Design design;
    design.name = "tiny";
    design.stitch(10, 10);
    design.stitch(20, 0);
    return gen::writeDst(design);
}

// A DST whose header holds the line given and nothing else.
std::vector<std::uint8_t> damagedDst(const std::string& headerLine)
{
    std::vector<std::uint8_t> bytes(512, ' ');
    const std::string text = headerLine + "\r\x1a";
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

std::string designName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "d%02d.dst", i);
    return name;
}

class ViewTest : public CatalogFixture {
protected:
    void addDesigns(int count)
    {
        for (int i = 1; i <= count; ++i)
            files.add("/designs/" + designName(i), tinyDst());
    }

    /// The design names written on the canvas, in order, grouped into pages by each
    /// repaint of the page (a white rectangle).
    std::vector<std::vector<int>> pagesDrawn() const
    {
        std::vector<std::vector<int>> pages(1);
        for (const auto& line : canvas.log) {
            if (line.rfind("Rectangle", 0) == 0 && !pages.back().empty())
                pages.emplace_back();
            int number = 0;
            if (std::sscanf(line.c_str(), "TextOut %*d %*d \"d%d.dst\"", &number) == 1)
                pages.back().push_back(number);
        }
        if (pages.size() > 1 && pages.back().empty())
            pages.pop_back();
        return pages;
    }

    void pressNext() { host.onWait.push_back([this] { catalog.SBButtonClick(); }); }
    void pressPrev() { host.onWait.push_back([this] { catalog.SBPrevClick(); }); }
    void pressCancel() { host.onWait.push_back([this] { catalog.SBCancelClick(); }); }
    void expectPrevShown(bool shown)
    {
        host.onWait.push_back([this, shown] { EXPECT_EQ(catalog.prevShown(), shown); });
    }
};

using Pages = std::vector<std::vector<int>>;

TEST_F(ViewTest, StandardGridOnA1000By600Screen)
{
    addDesigns(1);
    openFolder(designName(1));
    EXPECT_EQ(s.CellWidth, 286);
    EXPECT_EQ(s.CellHeight, 240);
    EXPECT_EQ(s.MarginX, 72);
    EXPECT_EQ(s.MarginY, 84);
    EXPECT_EQ(s.HalfCellHeight, 120);
    EXPECT_EQ(s.CellsPerPage, 6);
    const int xs[] = {72, 358, 644};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s.CellOrigin[std::size_t(i)].X, xs[i % 3]);
        EXPECT_EQ(s.CellOrigin[std::size_t(i)].Y, i < 3 ? 204 : 444);
    }
    EXPECT_EQ(s.LineHeight, 8);
}

TEST_F(ViewTest, EnlargedAndThumbnailGridsOnScreen)
{
    addDesigns(1);
    setLayout(s, Layout::Enlarged);
    openFolder(designName(1));
    EXPECT_EQ(s.CellWidth, 909);
    EXPECT_EQ(s.CellHeight, 545);
    EXPECT_EQ(s.MarginX, 273);
    EXPECT_EQ(s.MarginY, 136);
    EXPECT_EQ(s.CellsPerPage, 1);

    setLayout(s, Layout::Thumb30);
    openFolder(designName(1));
    EXPECT_EQ(s.CellWidth, 154);   // 1000 / 6.5
    EXPECT_EQ(s.CellHeight, 109);  // 600 / 5.5
    EXPECT_EQ(s.MarginX, 38);      // 0.25 x 154 = 38.5 -> even
    EXPECT_EQ(s.MarginY, 38);      // 0.35 x 109 = 38.15
    EXPECT_EQ(s.CellOrigin[29].X, 38 + 5 * 154);
    EXPECT_EQ(s.CellOrigin[29].Y, 38 + 54 + 4 * 109);
}

TEST_F(ViewTest, SmallScreensUseASmallerFont)
{
    addDesigns(1);
    host.geometry = {600, 440, 40, 620, 480};
    openFolder(designName(1));
    EXPECT_EQ(canvas.currentFont.pointSize, 7);
    host.geometry = {600, 540, 40, 620, 580};
    openFolder(designName(1));
    EXPECT_EQ(canvas.currentFont.pointSize, 8);
}

TEST_F(ViewTest, SixDesignsFinishWithoutWaiting)
{
    addDesigns(6);
    openFolder(designName(1));
    EXPECT_EQ(host.waits, 0);
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}}));
    EXPECT_EQ(std::count(canvas.texts.begin(), canvas.texts.end(), "File Folder: /designs/"), 1);
    EXPECT_EQ(host.captions.back(), " FINISHED");
    EXPECT_TRUE(s.ViewDone);
    EXPECT_TRUE(s.PageComplete);
    EXPECT_TRUE(!host.busy);
    EXPECT_TRUE(!host.busy);
    EXPECT_FALSE(host.selectedCommandsOffered());
    EXPECT_FALSE(host.controls.cancel);
}

TEST_F(ViewTest, EightDesignsPageForwardBackAndFinish)
{
    addDesigns(8);
    expectPrevShown(false);
    pressNext();
    expectPrevShown(true);
    pressPrev();
    pressNext();
    pressNext();
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7, 8}, {1, 2, 3, 4, 5, 6}, {7, 8}}));
    EXPECT_EQ(std::count(canvas.texts.begin(), canvas.texts.end(), "File Folder: /designs/"), 4);  // once a page
    EXPECT_TRUE(host.onWait.empty());
    EXPECT_EQ(host.captions.back(), " FINISHED");
    EXPECT_EQ(host.captions[host.captions.size() - 2], " Picture 8 of 8");
}

TEST_F(ViewTest, ARunDrawsADesignAStepAndAWaitingPageStaysUntilItIsAnswered)
{
    addDesigns(8);
    s.OpenDialog1.FileName = "/designs/" + designName(1);
    catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = true;
    catalog.View(canvas, false);
    // Started: listed and laid out, nothing drawn yet, and nothing waits.
    ASSERT_TRUE(catalog.runUnderWay());
    EXPECT_EQ(s.FileCount, 8);
    EXPECT_EQ(catalog.designsShown(), 0);
    EXPECT_TRUE(host.busy);
    for (int step = 1; step <= 6; ++step) {
        EXPECT_FALSE(catalog.awaitsUser());
        EXPECT_TRUE(catalog.continueRun());
        EXPECT_EQ(catalog.designsShown(), step);
    }
    // The seventh design is opened, the first page complete: it waits, however often the
    // run is asked to go on, and the window never had to hand its events over.
    EXPECT_FALSE(catalog.continueRun());
    ASSERT_TRUE(catalog.awaitsUser());
    EXPECT_TRUE(host.controls.next);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(catalog.continueRun());
    EXPECT_EQ(catalog.designsShown(), 6);
    EXPECT_TRUE(catalog.awaitsUser());
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}}));
    // Next: the first step after it draws the design opened before the wait.
    catalog.SBButtonClick();
    EXPECT_FALSE(catalog.awaitsUser());
    catalog.continueRun();
    EXPECT_EQ(catalog.designsShown(), 7);
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7}}));
    // Cancel while it draws ends the run at its next step, with the window given back.
    catalog.SBCancelClick();
    catalog.continueRun();
    EXPECT_FALSE(catalog.runUnderWay());
    EXPECT_EQ(catalog.designsShown(), 7);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.captions.back(), " FINISHED");
    EXPECT_EQ(host.waits, 0);
    // A run ended does nothing more.
    catalog.continueRun();
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7}}));
}

TEST_F(ViewTest, TwelveDesignsWaitAfterTheLastPageAndPrevRedrawsTheFirst)
{
    addDesigns(12);
    pressNext();
    expectPrevShown(true);
    pressPrev();
    pressCancel();
    openFolder(designName(1));
    // Cancel at the wait inside the run repaints white and finishes.
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {1, 2, 3, 4, 5, 6}}));
    EXPECT_EQ(canvas.log.back().rfind("TextOut", 0), 0u);  // folder line after the repaint
    EXPECT_EQ(host.captions.back(), " FINISHED");
}

TEST_F(ViewTest, FourteenDesignsPrevFromInsideThePage)
{
    addDesigns(14);
    pressNext();
    expectPrevShown(true);
    pressPrev();  // from page 2's wait, inside the run
    pressNext();
    pressNext();
    pressNext();
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {1, 2, 3, 4, 5, 6},
                                   {7, 8, 9, 10, 11, 12}, {13, 14}}));
    EXPECT_EQ(s.PageCount, 3);
}

TEST_F(ViewTest, EscapeAtTheFinalWaitKeepsThePage)
{
    addDesigns(8);
    pressNext();
    host.onWait.push_back([this] { catalog.FormKeyDown(27); });
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {7, 8}}));
    EXPECT_EQ(canvas.linesStarting("Rectangle").size(), 2u);
}

TEST_F(ViewTest, KeysSpaceEnterAndLetters)
{
    addDesigns(14);
    host.onWait.push_back([this] { EXPECT_FALSE(catalog.FormKeyPress('p')); catalog.FormKeyDown(32); });
    host.onWait.push_back([this] { EXPECT_TRUE(catalog.FormKeyPress('P')); });
    host.onWait.push_back([this] { EXPECT_TRUE(catalog.FormKeyPress('n')); });
    host.onWait.push_back([this] { catalog.FormKeyDown(13); });
    host.onWait.push_back([this] { EXPECT_TRUE(catalog.FormKeyPress('n')); });  // the last page, Prev shown
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn().size(), 5u);
}

TEST_F(ViewTest, PagingForwardAndBackAndGoingToAPageByItsNumber)
{
    addDesigns(20);  // pages of 1-6, 7-12, 13-18 and 19-20
    host.onWait.push_back([this] {
        EXPECT_EQ(catalog.pageNumberOnDisplay(), 1);
        catalog.goToPage(s.PageCount);  // End
    });
    host.onWait.push_back([this] {
        EXPECT_EQ(catalog.pageNumberOnDisplay(), 4);
        EXPECT_TRUE(catalog.prevShown());
        // No page follows the last, the page on display is where it is, and there is no page 5.
        catalog.pageForward();
        catalog.goToPage(4);
        catalog.goToPage(5);
        catalog.goToPage(0);
        EXPECT_FALSE(s.NextPressed);
        catalog.pageBack();
    });
    host.onWait.push_back([this] {
        EXPECT_EQ(catalog.pageNumberOnDisplay(), 3);
        catalog.goToPage(1);  // Home
    });
    host.onWait.push_back([this] {
        EXPECT_FALSE(catalog.prevShown());
        catalog.goToPage(3);
    });
    host.onWait.push_back([this] {
        // Prev from a page gone to by its number shows the page before it.
        EXPECT_TRUE(catalog.prevShown());
        catalog.pageBack();
    });
    host.onWait.push_back([this] { catalog.pageForward(); });
    host.onWait.push_back([this] { catalog.SBCancelClick(); });
    openFolder(designName(1));
    EXPECT_EQ(s.PageCount, 4);
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6},
                                   {19, 20},
                                   {13, 14, 15, 16, 17, 18},
                                   {1, 2, 3, 4, 5, 6},
                                   {13, 14, 15, 16, 17, 18},
                                   {7, 8, 9, 10, 11, 12},
                                   {13, 14, 15, 16, 17, 18}}));
    EXPECT_TRUE(host.onWait.empty());
    // Outside a wait nothing moves.
    catalog.goToPage(2);
    catalog.pageForward();
    EXPECT_FALSE(s.NextPressed);
}

TEST_F(ViewTest, APageWaitingIsDrawnAgainWhenTheWindowChangesSize)
{
    addDesigns(8);
    // No key: the page waiting is drawn again for the new size, and waits again.
    host.onWait.push_back([this] { host.geometry = {700, 440, 40, 716, 500}; });
    host.onWait.push_back([this] {
        EXPECT_EQ(s.CellWidth, 200);
        EXPECT_EQ(catalog.firstIndexOnDisplay(), 0);
        EXPECT_FALSE(catalog.prevShown());
        catalog.SBButtonClick();
    });
    // The last page too.
    host.onWait.push_back([this] { host.geometry = {1000, 640, 40, 1016, 700}; });
    host.onWait.push_back([this] {
        EXPECT_EQ(s.CellWidth, 286);
        EXPECT_EQ(catalog.firstIndexOnDisplay(), 6);
        EXPECT_TRUE(catalog.prevShown());
        catalog.SBButtonClick();
    });
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, {7, 8}, {7, 8}}));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "ResizePage"), 2);
    EXPECT_EQ(host.captions.back(), " FINISHED");

    // A window that changed size while the page was drawn: the page is drawn again at
    // once, before the run waits for anything.
    host.log.clear();
    canvas.clear();
    host.onWait.push_back([this] { catalog.SBCancelClick(); });
    host.onCaption = [this](const std::string& caption) {
        if (caption == " Picture 6 of 8")
            host.geometry = {700, 440, 40, 716, 500};
    };
    openFolder(designName(1));
    host.onCaption = {};
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}}));
    EXPECT_EQ(host.waits, 5);
}

TEST_F(ViewTest, StartingAtTheFifthOfEightShowsOnePageThenWaitsWithoutPrev)
{
    addDesigns(8);
    expectPrevShown(false);
    pressNext();
    openFolder(designName(5), false);
    EXPECT_EQ(s.StartIndex, 4);
    EXPECT_EQ(s.PageCount, 1);
    EXPECT_EQ(pagesDrawn(), (Pages{{5, 6, 7, 8}}));
}

TEST_F(ViewTest, StartingAtTheThirdOfEightShowsAFullPage)
{
    addDesigns(8);
    expectPrevShown(false);
    pressNext();
    openFolder(designName(3), false);
    EXPECT_EQ(pagesDrawn(), (Pages{{3, 4, 5, 6, 7, 8}}));
    EXPECT_EQ(host.waits, 2);  // the check, then Next
    EXPECT_TRUE(host.onWait.empty());
}

TEST_F(ViewTest, StartAtANameNotInTheListStartsAtTheBeginning)
{
    addDesigns(3);
    openFolder("missing.dst", false);
    EXPECT_EQ(s.StartIndex, 0);
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3}}));
}

// A folder of designs that each raise a box: PES files of a version the reader rejects.
class RunMessagesTest : public ViewTest {
protected:
    void addRejectedPes(int count)
    {
        for (int i = 1; i <= count; ++i)
            files.add("/designs/p" + std::to_string(i) + ".pes", {'#', 'P', 'E', 'S', 'v', '2', '.', '0'});
    }
};

TEST_F(RunMessagesTest, EachDesignAsksOnceARunAndEveryBoxOffersToStop)
{
    addRejectedPes(8);
    pressNext();
    pressPrev();  // page 1 again: its designs asked already
    pressNext();
    pressCancel();
    openFolder("p1.pes");
    EXPECT_EQ(catalog.designsShown(), 8 + 6 + 2);
    ASSERT_EQ(host.messages.size(), 8u);
    for (const MessageRequest& box : host.messages)
        EXPECT_EQ(box.buttons, MessageButtons::OkNoMoreStop) << box.text;
    EXPECT_EQ(host.messages[7].text, "P8.PES Has an Unknown File Format");

    // A new run asks again.
    pressNext();
    pressCancel();
    openFolder("p1.pes");
    EXPECT_EQ(host.messages.size(), 16u);
}

TEST_F(RunMessagesTest, StopTheRunEndsItAtThatDesign)
{
    addRejectedPes(8);
    host.answers = {MessageAnswer::Ok, MessageAnswer::StopRun};
    openFolder("p1.pes");
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(catalog.designsShown(), 2);
    EXPECT_EQ(host.waits, 0);
    EXPECT_EQ(host.captions.back(), " FINISHED");
    EXPECT_TRUE(!host.busy);
}

TEST_F(RunMessagesTest, NoMoreMessagesDrawsTheRestQuietly)
{
    addRejectedPes(8);
    host.answers = {MessageAnswer::NoMoreMessages};
    pressNext();
    pressCancel();
    openFolder("p1.pes");
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(catalog.designsShown(), 8);
    const auto errorCells = std::count_if(canvas.log.begin(), canvas.log.end(), [](const std::string& line) {
        return line.find("\"Unknown Format\"") != std::string::npos;
    });
    EXPECT_EQ(errorCells, 8);
}

TEST_F(ViewTest, EntriesThatCannotBeOpenedAreCountedOnThePageAndNamedAtTheEnd)
{
    addDesigns(10);
    files.unreadable = {"/designs/" + designName(2), "/designs/" + designName(9)};
    host.onWait.push_back([this] {
        EXPECT_EQ(host.captions.back(), " Picture 7 of 10 (1 skipped on this page)");
        files.files.erase("/designs/" + designName(10));  // gone while the page waits
        catalog.SBButtonClick();
    });
    host.onWait.push_back([this] {
        EXPECT_EQ(host.captions.back(), " Picture 8 of 10 (2 skipped on this page)");
        catalog.SBPrevClick();
    });
    host.onWait.push_back([this] {
        EXPECT_EQ(host.captions.back(), " Picture 7 of 10 (1 skipped on this page)");
        catalog.SBCancelClick();
    });
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 3, 4, 5, 6, 7}, {8}, {1, 3, 4, 5, 6, 7}}));
    // Each entry counts once, however often the run passed it.
    EXPECT_EQ(host.captions.back(), " FINISHED; 3 could not be opened: 1 gone, 2 no permission");

    files.unreadable = {"/designs/" + designName(1)};
    for (int i = 2; i <= 9; ++i)
        files.files.erase("/designs/" + designName(i));
    openFolder(designName(1));
    EXPECT_EQ(host.captions.back(), " No Files Found; 1 could not be opened: 1 no permission");
}

TEST_F(ViewTest, APageAfterTheWindowChangedSizeTakesTheNewSize)
{
    addDesigns(8);
    host.onWait.push_back([this] {
        EXPECT_EQ(s.CellWidth, 286);
        host.geometry = {700, 440, 40, 716, 500};
        catalog.SBButtonClick();
    });
    host.onWait.push_back([this] { catalog.SBPrevClick(); });
    host.onWait.push_back([this] {
        // Clicks find the cells where the page shows them.
        toggleSelectionAt(catalog, canvas, 250 + 20, s.CellOrigin[1].Y - 10);
        EXPECT_EQ(s.SelectedList.names(), std::vector<std::string>{"d02.dst"});
        catalog.SBCancelClick();
    });
    openFolder(designName(1));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "ResizePage"), 1);  // once: Prev keeps the size
    // 700 x 400 pixels: cells of 200 x 160 from a margin of 50.
    EXPECT_EQ(s.CellWidth, 200);
    EXPECT_EQ(s.CellHeight, 160);
    const auto written = [&](const std::string& name) {
        std::vector<int> xs;
        for (const auto& line : canvas.log) {
            int x = 0;
            if (line.find("\"" + name + "\"") != std::string::npos && std::sscanf(line.c_str(), "TextOut %d", &x) == 1)
                xs.push_back(x);
        }
        return xs;
    };
    EXPECT_EQ(written("d01.dst"), (std::vector<int>{72, 50}));
    EXPECT_EQ(written("d08.dst"), std::vector<int>{250});
}

TEST_F(ViewTest, EmptyFolderSaysNoFilesFound)
{
    openFolder("none.dst");
    EXPECT_EQ(host.captions.back(), " No Files Found");
    EXPECT_TRUE(s.ViewDone);
    EXPECT_TRUE(!host.busy);
}

TEST_F(ViewTest, UnopenableFileIsSkippedAndTheNextTakesItsCell)
{
    addDesigns(3);
    files.unreadable.push_back("/designs/" + designName(2));
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 3}}));
    EXPECT_EQ(canvas.linesStarting("TextOut 358 72").size(), 1u);  // d03 in the second cell
}

TEST_F(ViewTest, ADesignItsReaderRefusesIsAFailedDesignOfTheRunWithItsCellsText)
{
    addDesigns(1);
    files.add("/designs/b.ksm", std::vector<std::uint8_t>(513, 0));  // too short for its start record
    auto shv = gen::writeShv(gen::makeStar(150));
    shv[0] ^= 0xFF;  // its signature spoilt
    files.add("/designs/c.shv", shv);
    const auto vp3 = gen::writeVp3(gen::makeStar(150), {{0x2050C0, "1076", "Royal Blue", "Brand"}});
    files.add("/designs/d.vp3", std::vector<std::uint8_t>(vp3.begin(), vp3.begin() + 100));  // cut in its hoop packet
    openFolder(designName(1));
    for (const char* text : {"Bad File Format (Not KSM Format)", "Unknown Format", "Bad Format"})
        EXPECT_NE(std::find(canvas.texts.begin(), canvas.texts.end(), text), canvas.texts.end()) << text;
    const auto failed = catalog.failedDesigns();
    ASSERT_EQ(failed.size(), 3u);
    EXPECT_EQ(failed[0].name, "b.ksm");
    EXPECT_EQ(failed[0].message, "Bad File Format (Not KSM Format)");
    EXPECT_EQ(failed[1].name, "c.shv");
    EXPECT_EQ(failed[1].message, "Unknown Format");
    EXPECT_EQ(failed[2].name, "d.vp3");
    EXPECT_EQ(failed[2].message, "Bad Format");
    EXPECT_EQ(host.captions.back(), " FINISHED");
}

TEST_F(ViewTest, ADamagedHeaderShowsItsMessageInItsCellAndTheRunGoesOn)
{
    addDesigns(6);
    files.add("/designs/d02b.dst", damagedDst("ST:12a"));
    const std::string message = "'12a' is not a valid integer value";
    pressNext();
    pressPrev();  // the first page again: its damaged design asks no second time
    pressNext();
    pressNext();
    openFolder(designName(1));
    // d02b.dst, in the third cell, counts as 2 here.
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 2, 3, 4, 5}, {6}, {1, 2, 2, 3, 4, 5}, {6}}));
    EXPECT_EQ(canvas.linesStarting("TextOut 644 72 \"d02b.dst\"").size(), 2u);
    EXPECT_EQ(canvas.linesStarting("TextOut 644 204 \"" + message + "\"").size(), 2u);
    // Every other design is drawn with its remarks, on both showings of its page.
    EXPECT_EQ(std::count(canvas.texts.begin(), canvas.texts.end(), "Stitches: 2"), 12);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, message);
    EXPECT_EQ(host.messages[0].caption, "ORLIKA");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::OkNoMoreStop);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.captions.back(), " FINISHED");
    ASSERT_EQ(catalog.failedDesigns().size(), 1u);
    EXPECT_EQ(catalog.failedDesigns()[0].name, "d02b.dst");
    EXPECT_EQ(catalog.failedDesigns()[0].message, message);
    EXPECT_TRUE(!host.busy);
    EXPECT_TRUE(!host.busy);
    EXPECT_FALSE(host.controls.cancel);
    EXPECT_EQ(host.phase, "");
    EXPECT_TRUE(s.ViewDone);

    // "Stop the Run" in its box ends the run there.
    host.messages.clear();
    host.answers.push_back(MessageAnswer::StopRun);
    openFolder(designName(1));
    EXPECT_EQ(pagesDrawn().back(), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.captions.back(), " FINISHED");
}

TEST_F(ViewTest, AReadErrorKeepsWhatWasDrawnAndTheNextDesignFollows)
{
    files.add("/designs/d01.dst", tinyDst());
    files.add("/designs/d02.dst", gen::writeDst(gen::makeSpiral(1200, 1)));
    files.add("/designs/d03.dst", tinyDst());
    // The sizing pass reads the file whole; then the header and the first block of 500
    // records read, and the next block fails.
    files.failingLaterReads["/designs/d02.dst"] = 512 + 1500;
    openFolder(designName(1));
    const std::string message = "Read error: Input/output error";
    std::size_t errorAt = 0;
    int linesInSecondCell = 0;
    for (std::size_t i = 0; i < canvas.log.size(); ++i) {
        int x = 0, y = 0;
        if (std::sscanf(canvas.log[i].c_str(), "LineTo %d %d", &x, &y) == 2 && x >= 358 && x < 644)
            ++linesInSecondCell;
        if (canvas.log[i] == "TextOut 358 204 \"" + message + "\"")
            errorAt = i;
    }
    ASSERT_GT(errorAt, 0u);
    EXPECT_GE(linesInSecondCell, 400);
    EXPECT_LT(linesInSecondCell, 1200);
    EXPECT_EQ(pagesDrawn(), (Pages{{1, 2, 3}}));
    EXPECT_EQ(canvas.linesStarting("TextOut 644 72 \"d03.dst\"").size(), 1u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, message);
    EXPECT_EQ(host.captions.back(), " FINISHED");
}

TEST_F(ViewTest, AllFormatsListsOneAlphabeticalSequenceAndUnknownNamesTakeEmptyCells)
{
    files.add("/designs/b.dst", tinyDst());
    files.add("/designs/A.DST", tinyDst());
    files.add("/designs/c.pes");
    files.add("/designs/notes.txt");
    files.add("/designs/x.dstx");
    files.add("/other/z.dst");
    openFolder("b.dst");
    EXPECT_EQ(s.FileList.names(), (std::vector<std::string>{"A.DST", "b.dst", "c.pes"}));
    // One search per extension, in the registry's search order: the oldest formats first.
    std::vector<std::string> searched;
    for (const std::string& extension : designExtensions())
        searched.push_back("/designs/*" + extension);
    EXPECT_EQ(files.searches, searched);
    EXPECT_EQ(files.searches.front(), "/designs/*.PCS");
    EXPECT_EQ(files.searches.at(8), "/designs/*.DST");
}

TEST_F(ViewTest, OneFilterSearchesTheChosenExtensionOnly)
{
    files.add("/designs/b.dst", tinyDst());
    files.add("/designs/A.DST", tinyDst());
    files.add("/designs/c.pes");
    openFolder("b.dst", true, FilterIndex{5});
    EXPECT_EQ(s.FileKind, FileKind{4});
    EXPECT_EQ(files.searches, std::vector<std::string>{"/designs/*.dst"});
    EXPECT_EQ(s.FileList.names(), (std::vector<std::string>{"A.DST", "b.dst"}));
}

TEST_F(ViewTest, OneFilterWithATypedNameListsOnlyThatFormatsNames)
{
    files.add("/designs/b.dst", tinyDst());
    files.add("/designs/A.DST", tinyDst());
    files.add("/designs/notes.txt", {'h', 'i'});
    files.add("/designs/README");
    files.add("/designs/c.pcs");
    openFolder("notes", true, FilterIndex{5});
    EXPECT_EQ(s.FileKind, FileKind{4});
    EXPECT_EQ(files.searches, std::vector<std::string>{"/designs/*.DST"});
    EXPECT_EQ(s.FileList.names(), (std::vector<std::string>{"A.DST", "b.dst"}));
    EXPECT_EQ(host.captions.back(), " FINISHED");

    // A filter of several extensions lists each of them; a name of none of them
    // (".pcx" holds the filter's mark) does not narrow the search to itself.
    files.searches.clear();
    openFolder("old.pcx", true, FilterIndex{3});
    EXPECT_EQ(files.searches, (std::vector<std::string>{"/designs/*.PCS", "/designs/*.PCQ", "/designs/*.PCD"}));
    EXPECT_EQ(s.FileList.names(), std::vector<std::string>{"c.pcs"});

    // A kind set without its filter (as a program that drives the catalog may) lists the
    // chosen file's own extension.
    files.searches.clear();
    s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
    s.FileKind = FileKind{4};
    s.OpenFileName = "/designs/b.dst";
    catalog.View(canvas, false);
    catalog.runToEnd([&] { host.answerWait(); });
    EXPECT_EQ(files.searches, std::vector<std::string>{"/designs/*.dst"});
}

TEST(FileTypes, DialogNameDecidesTheKindAndTheNextFilter)
{
    ScriptedHost host;
    MemoryFileSystem files;
    Catalog catalog(host, files);
    auto& s = catalog.state();
    struct Case {
        const char* name;
        int kind;
        int filter;
    };
    const Case cases[] = {{"/a/x.dst", 4, 5}, {"/a/x.Pes", 3, 4}, {"/a/x.pec", 3, 4}, {"/a/x.pcq", 2, 3},
                          {"/a/x.ksm", 0, 1}, {"/a/x.exp", 1, 2}, {"/a/x.sew", 1, 6},
                          {"/OLD.PCX/x.ksm", 2, 3}, {"/a.dst/x.pes", 4, 5}};
    for (const auto& c : cases) {
        s.OpenDialog1 = {c.name, {}, FilterIndex{1}};
        catalog.GetFileTypes();
        EXPECT_EQ(int(s.FileKind), c.kind) << c.name;
        EXPECT_EQ(int(s.OpenDialog1.FilterIndex), c.filter) << c.name;
    }
    s.OpenDialog1 = {"/a/x.txt", {}, FilterIndex{2}};
    catalog.GetFileTypes();
    EXPECT_EQ(s.FileKind, FileKind{1});  // the filter's, not the last case's
    EXPECT_EQ(s.OpenDialog1.FilterIndex, FilterIndex{2});
    s.OpenDialog1 = {"/a/x.dst", {}, FilterIndex::AllSupported};
    catalog.GetFileTypes();
    EXPECT_EQ(s.FileKind, FileKind::AllSupported);
    EXPECT_EQ(s.OpenDialog1.FilterIndex, FilterIndex::AllSupported);
}

// Print runs

class PrintTest : public ViewTest {
protected:
    RecordingPrinter printer;
    PrintTest() { catalog.setPrinter(&printer); }

    void print(const std::string& chosen, bool fromBeginning = true)
    {
        s.OpenFileName = "/designs/" + chosen;
        s.FileKind = FileKind::AllSupported;
        s.FromBeginning = fromBeginning;
        catalog.View(printer.page, true);
        catalog.runToEnd([&] { host.answerWait(); });
    }
    std::vector<std::string> pageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& t : printer.page.texts)
            if (t.rfind("Page ", 0) == 0)
                texts.push_back(t);
        return texts;
    }
};

TEST_F(PrintTest, PortraitGridTurnsAQuarter)
{
    addDesigns(1);
    print(designName(1));
    EXPECT_EQ(s.CellWidth, 3833);   // 9583 / 2.5
    EXPECT_EQ(s.CellHeight, 3914);  // 13699 / 3.5
    EXPECT_EQ(s.MarginX, 1342);
    EXPECT_EQ(s.MarginY, 978);
    EXPECT_EQ(s.CellOrigin[1].X, 1342 + 3833);
    EXPECT_EQ(s.CellOrigin[2].Y, 978 + 1957 + 3914);
    EXPECT_EQ(s.LineHeight, 18);

    setLayout(s, Layout::Thumb30);
    print(designName(1));
    EXPECT_EQ(s.CellWidth, 1742);  // 9583 / 5.5: five across
    EXPECT_EQ(s.CellHeight, 2108); // 13699 / 6.5: six down
    EXPECT_EQ(s.CellOrigin[5].X, s.MarginX);
}

TEST_F(PrintTest, FourteenDesignsPrintThreePagesWithTheirNumbers)
{
    addDesigns(14);
    host.pageTitle = "My designs";
    print(designName(1));
    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "NewPage", "NewPage", "EndDoc"}));
    EXPECT_EQ(pageTexts(), (std::vector<std::string>{"Page 1 of 3 Pages", "Page 2 of 3 Pages", "Page 3 of 3 Pages"}));
    EXPECT_EQ(std::count(printer.page.texts.begin(), printer.page.texts.end(), "My designs"), 3);
    EXPECT_EQ(std::count(printer.page.texts.begin(), printer.page.texts.end(), "File Folder: /designs/"), 3);
    EXPECT_EQ(host.captions.back(), " FINISHED PRINTING");
    EXPECT_EQ(host.captions[1], " Printing Picture 1 of 14");
    EXPECT_EQ(host.waits, 0);
}

TEST_F(PrintTest, TwelveDesignsPrintExactlyTwoPagesAndShortTitlesAreOmitted)
{
    addDesigns(12);
    host.pageTitle = "x";
    print(designName(1));
    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "NewPage", "EndDoc"}));
    EXPECT_EQ(std::count(printer.page.texts.begin(), printer.page.texts.end(), "x"), 0);
    // footer: date at MarginX, page text right-aligned with a gap of "XX"
    const std::string footer = "Page 1 of 2 Pages";
    const int x = 9583 - int(footer.size() + 2) * RecordingCanvas::kCharWidth;
    EXPECT_EQ(printer.page.linesStarting("TextOut " + std::to_string(x) + " 13687").size(), 2u);
}

TEST_F(PrintTest, PrintingFromTheTenthOfFourteenCountsOnePage)
{
    addDesigns(14);
    print(designName(10), false);
    EXPECT_EQ(s.PageCount, 1);
    EXPECT_EQ(pageTexts(), std::vector<std::string>{"Page 1 of 1 Pages"});
}

TEST_F(PrintTest, NoFilesPrintsNothingAndAsksNoTitle)
{
    print("none.dst");
    EXPECT_TRUE(printer.steps.empty());
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "AskTitle"), 0);
    EXPECT_EQ(host.captions.back(), " No Files Found");
}

TEST_F(PrintTest, ADamagedDesignPrintsItsMessageAndEveryPageFollows)
{
    addDesigns(7);
    files.add("/designs/d03a.dst", damagedDst("+X:oops"));
    print(designName(1));
    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "NewPage", "EndDoc"}));
    EXPECT_EQ(pageTexts(), (std::vector<std::string>{"Page 1 of 2 Pages", "Page 2 of 2 Pages"}));
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(std::count(printer.page.texts.begin(), printer.page.texts.end(), designName(i)), 1) << i;
    EXPECT_EQ(std::count(printer.page.texts.begin(), printer.page.texts.end(), "Stitches: 2"), 7);
    // The fourth cell, on the middle line.
    const CellPoint cell = s.CellOrigin[3];
    EXPECT_EQ(printer.page.linesStarting("TextOut " + std::to_string(cell.X) + " " + std::to_string(cell.Y) +
                                         " \"'oops' is not a valid integer value\"")
                  .size(),
              1u);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.captions.back(), " FINISHED PRINTING");
    EXPECT_FALSE(printer.open);
}

TEST_F(PrintTest, NamesOfSelectedDesignsAreNotRedOnPaper)
{
    addDesigns(2);
    s.SelectedList.add(designName(1));
    print(designName(1));
    EXPECT_TRUE(printer.page.linesStarting("FontColor 0x0000FF").empty());
    EXPECT_FALSE(canvas.linesStarting("FontColor 0x0000FF").empty());  // the main window's canvas
}

} // namespace
} // namespace orlika::test
