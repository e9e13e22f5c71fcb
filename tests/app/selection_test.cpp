// SPDX-License-Identifier: MIT
// Right-click selection on the page and the Selected menu.
#include "tests/app/AppFixture.h"

namespace orlika::test {
namespace {

// Standard layout on the 1000 x 600 page: cell anchors at x 72, 358, 644 and y 204, 444,
// half a cell 120 high; a name stands just above its cell's upper band.
QRect nameArea(int cell)
{
    const int x = 72 + (cell % 3) * 286;
    const int bandTop = (cell < 3 ? 204 : 444) - 120;
    return QRect(x, bandTop - 22, 60, 22);
}

QPoint pictureHalf(int cell)
{
    return QPoint(72 + (cell % 3) * 286 + 100, (cell < 3 ? 204 : 444) - 50);
}

TEST_F(AppTest, RightClickSelectsAndDeselectsOnPageTwoAndTheMenuWaitsForTheRunsEnd)
{
    makeDesigns(12);
    answerOpen({"d01.dst"});
    onWait([&] { click(form->SBButton); });
    onWait([&] {
        // Page 2 holds d07 to d12.
        ASSERT_EQ(firstOnDisplay(), 6);
        EXPECT_EQ(redPixels(nameArea(1)), 0);
        rightClick(pictureHalf(1).x(), pictureHalf(1).y());
        EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{"d08.dst"});
        EXPECT_TRUE(form->LSelected->isVisible());
        EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
        EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
        EXPECT_GT(redPixels(nameArea(1)), 20);

        rightClick(pictureHalf(1).x(), pictureHalf(1).y());
        EXPECT_TRUE(state().SelectedList.empty());
        EXPECT_FALSE(form->LSelected->isVisible());
        EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
        EXPECT_LT(redPixels(nameArea(1)), 5);

        // Below the anchor line, the left button, or outside every cell: nothing.
        rightClick(pictureHalf(1).x(), 204 + 30);
        QTest::mouseClick(form->Page, Qt::LeftButton, {}, pictureHalf(1));
        rightClick(20, 20);
        EXPECT_TRUE(state().SelectedList.empty());

        rightClick(pictureHalf(1).x(), pictureHalf(1).y());
        click(form->SBPrev);
    });
    onWait([&] {
        EXPECT_EQ(firstOnDisplay(), 0);
        EXPECT_EQ(redPixels(nameArea(1)), 0);
        click(form->SBButton);
    });
    onWait([&] {
        // Back on page 2 the selected name is red again.
        EXPECT_GT(redPixels(nameArea(1)), 20);
        rightClick(pictureHalf(3).x(), pictureHalf(3).y());
        EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 2"));
        click(form->SBButton);
    });
    form->Open1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_EQ(state().SelectedList.names(), (std::vector<std::string>{"d08.dst", "d10.dst"}));

    // After the run the final page still answers, and the menu follows at once.
    rightClick(pictureHalf(5).x(), pictureHalf(5).y());
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 3"));
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    rightClick(pictureHalf(5).x(), pictureHalf(5).y());
    rightClick(pictureHalf(1).x(), pictureHalf(1).y());
    rightClick(pictureHalf(3).x(), pictureHalf(3).y());
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    EXPECT_FALSE(form->LSelected->isVisible());
}

TEST_F(AppTest, DisplaySelectedFilesShowsOnlyTheSelectionInRedAndOpenClearsIt)
{
    makeDesigns(14);
    answerOpen({"d01.dst"});
    onWait([&] {
        rightClick(pictureHalf(4).x(), pictureHalf(4).y());  // d05
        rightClick(pictureHalf(0).x(), pictureHalf(0).y());  // d01
        click(form->SBButton);
    });
    onWait([&] {
        rightClick(pictureHalf(2).x(), pictureHalf(2).y());  // d09
        click(form->SBCancel);
    });
    form->Open1->trigger();
    ASSERT_EQ(state().SelectedList.names(), (std::vector<std::string>{"d01.dst", "d05.dst", "d09.dst"}));
    ASSERT_TRUE(form->Selected1->menuAction()->isEnabled());

    form->DisplaySelectedFiles1->trigger();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"d01.dst", "d05.dst", "d09.dst"}));
    EXPECT_EQ(state().FileCount, 3);
    EXPECT_FALSE(state().UseSelectedList);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    for (int cell = 0; cell < 3; ++cell)
        EXPECT_GT(redPixels(nameArea(cell)), 20) << cell;
    EXPECT_EQ(redPixels(nameArea(3)), 0);
    EXPECT_EQ(state().SelectedList.count(), 3);

    // Opening a folder again starts a new selection.
    answerOpen({"d01.dst"});
    onWait([&] { click(form->SBCancel); });
    form->Open1->trigger();
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    EXPECT_EQ(redPixels(nameArea(0)), 0);
}

} // namespace
} // namespace orlika::test
