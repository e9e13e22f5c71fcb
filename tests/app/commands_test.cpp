// SPDX-License-Identifier: MIT
// Layout commands, the Open commands, and Next / Prev / Cancel by buttons and keys.
#include "tests/app/AppFixture.h"

namespace orlika::test {
namespace {

struct LayoutCase {
    const char* name;
    QAction* TForm1::*action;
    const char* caption;
    PageLayout layout;
    int cellWidth, cellHeight, marginX, marginY, halfCell;
};

// Grids of a 1000 x 600 page area; halves round to the even neighbour.
const LayoutCase kLayouts[] = {
    {"Standard", &TForm1::Standard, "Page Layout: Standard", layouts::kStandard, 286, 240, 72, 84, 120},
    {"StandardWoRemarks", &TForm1::StandardWoRemarks, "Page Layout: Stnd.w/o Remarks",
     layouts::kStandardWithoutRemarks, 286, 240, 72, 84, 120},
    {"N12page1", &TForm1::N12page1, "Page Layout: Thumbnail-12", layouts::kThumbnails12, 222, 171, 56, 60, 86},
    {"N20page1", &TForm1::N20page1, "Page Layout: Thumbnail-20", layouts::kThumbnails20, 182, 133, 46, 47, 66},
    {"N30page1", &TForm1::N30page1, "Page Layout: Thumbnail-30", layouts::kThumbnails30, 154, 109, 38, 38, 54},
    {"Enlarged", &TForm1::Enlarged, "Page Layout: Enlarged", layouts::kEnlarged, 909, 545, 273, 136, 272},
};

TEST_F(AppTest, EachLayoutCommandSetsItsGridCaptionAndCheckMark)
{
    makeDesigns(1);
    for (const LayoutCase& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        // Start from another layout so every command has something to change.
        (layout.action == &TForm1::Enlarged ? form->N30page1 : form->Enlarged)->trigger();
        (form->*layout.action)->trigger();
        EXPECT_EQ(form->LLayOut->text(), QString::fromLatin1(layout.caption));
        const bool thumbnail = layout.layout.thumbnails;
        EXPECT_EQ(form->Standard->isChecked(), layout.action == &TForm1::Standard);
        EXPECT_EQ(form->StandardWoRemarks->isChecked(), layout.action == &TForm1::StandardWoRemarks);
        EXPECT_EQ(form->ThumbNail2->menuAction()->isChecked(), thumbnail);
        EXPECT_EQ(form->Enlarged->isChecked(), layout.action == &TForm1::Enlarged);

        answerOpen({"d01.dst"});
        form->Open1->trigger();
        const CatalogState& s = state();
        EXPECT_TRUE(layoutOf(s) == layout.layout);
        EXPECT_EQ(s.CellsPerPage, layout.layout.columns * layout.layout.rows);
        EXPECT_EQ(s.CellWidth, layout.cellWidth);
        EXPECT_EQ(s.CellHeight, layout.cellHeight);
        EXPECT_EQ(s.MarginX, layout.marginX);
        EXPECT_EQ(s.MarginY, layout.marginY);
        EXPECT_EQ(s.CellOrigin[0].X, layout.marginX);
        EXPECT_EQ(s.HalfCellHeight, layout.halfCell);
        EXPECT_EQ(s.CellOrigin[0].Y, layout.marginY + layout.halfCell);
        if (layout.layout.columns > 1) {
            EXPECT_EQ(s.CellOrigin[1].X, layout.marginX + layout.cellWidth);
        }
        EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    }
}

TEST_F(AppTest, OpeningTheThumbNailSubmenuAloneSwitchesThumbnailsOnAndKeepsTheGrid)
{
    form->StandardWoRemarks->trigger();
    ASSERT_TRUE(state().NoRemarks);
    form->ThumbNail2->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    form->ThumbNail2->hide();
    EXPECT_TRUE(state().Thumbnails);
    EXPECT_FALSE(state().NoRemarks);
    EXPECT_TRUE(form->ThumbNail2->menuAction()->isChecked());
    EXPECT_FALSE(form->StandardWoRemarks->isChecked());
    EXPECT_EQ(form->LLayOut->text(), QStringLiteral("Page Layout: Stnd.w/o Remarks"));
    EXPECT_EQ(state().PageColumns, 3);
    EXPECT_EQ(state().PageRows, 2);
}

TEST_F(AppTest, OpenAtBeginningAndBeginningAtFileStartWhereTheyShould)
{
    makeDesigns(14);
    answerOpen({"d09.dst"});
    onWait([&] {
        // d09 to d14 fill one page; the run waits once more without Prev.
        EXPECT_EQ(state().StartIndex, 8);
        EXPECT_EQ(firstOnDisplay(), 8);
        EXPECT_FALSE(form->SBPrev->isVisible());
        click(form->SBButton);
    });
    form->OpenatFile1->trigger();
    EXPECT_FALSE(state().FromBeginning);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(form->Panel1->Caption->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(state().OpenFileName, path(QStringLiteral("d09.dst")).toStdString());
    EXPECT_EQ(state().FolderPath, folder().toStdString());

    answerOpen({"d09.dst"});
    onWait([&] {
        EXPECT_EQ(state().StartIndex, 0);
        EXPECT_EQ(firstOnDisplay(), 0);
        EXPECT_EQ(form->statusCaption(), QStringLiteral(" Picture 6 of 14"));
        // " FINISHED" of the last run was red; the panel is back to black.
        EXPECT_EQ(form->Panel1->Caption->palette().color(QPalette::WindowText), QColor(Qt::black));
        click(form->SBCancel);
    });
    form->Open1->trigger();
    EXPECT_TRUE(state().FromBeginning);
    EXPECT_EQ(waits, 2);

    // A cancelled dialog starts nothing and keeps the folder.
    cancelDialog();
    form->Open1->trigger();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(state().OpenFileName, path(QStringLiteral("d09.dst")).toStdString());
}

TEST_F(AppTest, OpenSelectedFilesShowsOnlyTheChosenDesigns)
{
    makeDesigns(14);
    answerOpen({"d11.dst", "d03.dst", "d07.dst"});
    form->OpenSelectedFiles1->trigger();
    EXPECT_EQ(form->OpenDialog1->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(state().UseDialogList);
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"d03.dst", "d07.dst", "d11.dst"}));
    EXPECT_EQ(state().FileCount, 3);
    EXPECT_EQ(state().FolderPath, folder().toStdString());
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(waits, 0);

    // The single-file commands turn multiple selection off again.
    answerOpen({"d01.dst"});
    onWait([&] { click(form->SBCancel); });
    form->Open1->trigger();
    EXPECT_EQ(form->OpenDialog1->fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(state().UseDialogList);
    EXPECT_EQ(state().FileCount, 14);
}

TEST_F(AppTest, NextPrevAndCancelByButtonsAcrossFourteenDesigns)
{
    makeDesigns(14);
    answerOpen({"d01.dst"});
    std::vector<int> pages;
    const auto record = [&] { pages.push_back(firstOnDisplay()); };
    onWait([&] {
        record();
        EXPECT_TRUE(form->SBButton->isVisible());
        EXPECT_FALSE(form->SBPrev->isVisible());
        EXPECT_TRUE(form->SBCancel->isVisible());
        EXPECT_FALSE(form->File1->menuAction()->isEnabled());
        EXPECT_FALSE(form->PageLayout1->menuAction()->isEnabled());
        click(form->SBButton);
    });
    onWait([&] {
        record();
        EXPECT_TRUE(form->SBPrev->isVisible());
        click(form->SBPrev);
    });
    onWait([&] {
        record();
        click(form->SBButton);
    });
    onWait([&] {
        record();
        click(form->SBButton);
    });
    onWait([&] {
        // The last page, d13 and d14, waits at the end of the list.
        record();
        EXPECT_EQ(state().FileIndex, state().FileCount);
        EXPECT_EQ(form->statusCaption(), QStringLiteral(" Picture 14 of 14"));
        click(form->SBPrev);
    });
    onWait([&] {
        record();
        click(form->SBCancel);
    });
    form->Open1->trigger();
    EXPECT_EQ(pages, (std::vector<int>{0, 6, 0, 6, 12, 6}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(form->Panel1->Caption->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(form->SBCancel->isVisible());
    EXPECT_FALSE(form->SBButton->isVisible());
    EXPECT_FALSE(form->SBPrev->isVisible());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->PageLayout1->menuAction()->isEnabled());
    // Cancel at a page end inside the run leaves a white page with its folder line only.
    EXPECT_LT(inkedPixels(), 3000);
}

TEST_F(AppTest, NextPrevAndCancelByKeysAndEveryKeyIsConsumed)
{
    makeDesigns(14);
    answerOpen({"d01.dst"});
    std::vector<int> pages;
    const auto record = [&] { pages.push_back(firstOnDisplay()); };
    onWait([&] {
        record();
        key(Qt::Key_Space);
    });
    onWait([&] {
        record();
        key('p');
    });
    onWait([&] {
        record();
        // Prev is hidden: N is Next. A key sent to a button is the window's, not the button's.
        key('N', form->SBCancel);
    });
    onWait([&] {
        record();
        key('n');  // Prev is shown: N is still Next
        EXPECT_TRUE(state().NextPressed);
    });
    onWait([&] {
        record();
        key('P');
    });
    onWait([&] {
        record();
        key(Qt::Key_Enter);
    });
    onWait([&] {
        record();
        const int before = inkedPixels();
        key(Qt::Key_Escape);
        pages.push_back(before);
    });
    form->Open1->trigger();
    ASSERT_EQ(pages.size(), 8u);
    const int finalInk = pages.back();
    pages.pop_back();
    EXPECT_EQ(pages, (std::vector<int>{0, 6, 0, 6, 12, 6, 12}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    // Esc at the last page's wait finishes with that page still on screen.
    EXPECT_EQ(inkedPixels(), finalInk);
    EXPECT_GT(finalInk, 3000);

    // Outside a run keys still reach no control.
    QTest::keyClick(form->Page, Qt::Key_Space);
    EXPECT_TRUE(state().NextPressed);
}

TEST_F(AppTest, EmptyFolderSaysNoFilesFound)
{
    writeFile(QStringLiteral("notes.txt"), {1});
    answerOpen({"notes.txt"});
    form->Open1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No Files Found"));
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
}

} // namespace
} // namespace orlika::test
