// SPDX-License-Identifier: MIT
// View > Realistic Pictures: the runs started while it is checked draw their cells as
// thread, page after page; unchecked, the pages are the line drawings they always were.
// And Print Design Sheet's "Realistic picture".
#include "tests/app/AppFixture.h"

#include <QFile>

namespace orlika::test {
namespace {

// Pixels of the stars' second thread, (128, 0, 0), shaded lighter or darker: a line
// drawing has none, thread has many.
int shadedRedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > c.green() + 40 && c.rgb() != qRgb(128, 0, 0);
        }
    return count;
}

TEST_F(AppTest, RealisticPicturesIsAViewCheckOffAtStartThatTheNextRunsFollow)
{
    EXPECT_TRUE(form->RealisticPictures1->isCheckable());
    EXPECT_FALSE(form->RealisticPictures1->isChecked());
    EXPECT_TRUE(form->View1->actions().contains(form->RealisticPictures1));

    makeDesigns(14);
    std::vector<QImage> pages;
    const auto keepPage = [&] {
        form->page().flush();
        pages.push_back(form->page().image().copy());
    };
    const auto run = [&] {
        answerOpen({"d01.dst"});
        form->Open1->trigger();
    };
    // Lines; then thread on both pages (the second drawn when its turn comes, not ahead
    // in lines); then lines again, as the first time.
    onWait([&] { keepPage(); key(Qt::Key_Escape); });
    run();
    form->RealisticPictures1->trigger();
    EXPECT_TRUE(form->RealisticPictures1->isChecked());
    onWait([&] { keepPage(); key(Qt::Key_Space); });
    onWait([&] { keepPage(); key(Qt::Key_Escape); });
    run();
    form->RealisticPictures1->trigger();
    onWait([&] { keepPage(); key(Qt::Key_Escape); });
    run();

    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(shadedRedPixels(pages[0]), 0);
    EXPECT_GT(shadedRedPixels(pages[1]), 500);
    EXPECT_GT(shadedRedPixels(pages[2]), 500);
    EXPECT_TRUE(pages[3] == pages[0]);
}

// Checked or unchecked while a page waits, the page is drawn again at once in the new look,
// and waits again as the same page of the run.
TEST_F(AppTest, RealisticPicturesRedrawsThePageWaitingInItsNewLook)
{
    makeDesigns(14);
    std::vector<QImage> pages;
    std::vector<int> numbers;
    const auto keepPage = [&] {
        form->page().flush();
        pages.push_back(form->page().image().copy());
        numbers.push_back(form->catalog().pageNumberOnDisplay());
    };
    onWait([&] { key(Qt::Key_Space); });
    onWait([&] { keepPage(); form->RealisticPictures1->trigger(); });
    onWait([&] { keepPage(); form->RealisticPictures1->trigger(); });
    onWait([&] { keepPage(); key(Qt::Key_Escape); });
    answerOpen({"d01.dst"});
    form->Open1->trigger();

    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(numbers, std::vector<int>({2, 2, 2}));
    EXPECT_EQ(shadedRedPixels(pages[0]), 0);
    EXPECT_GT(shadedRedPixels(pages[1]), 500);
    EXPECT_TRUE(pages[2] == pages[0]);
}

int picturesInPdf(const QString& path)
{
    QFile pdf(path);
    return pdf.open(QIODevice::ReadOnly) ? int(pdf.readAll().count("/Subtype /Image")) : -1;
}

TEST_F(AppTest, PrintDesignSheetOffersARealisticPictureAndKeepsTheChoice)
{
    makeDesigns(2);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    rightClick(72 + 100, 204 - 50);  // the first cell's picture
    ASSERT_EQ(state().SelectedList.count(), 1);

    // Declined: nothing is printed and no file is asked for.
    dialogAnswers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(dialogsShown.back(), QStringLiteral("DesignSheetDialog"));
    EXPECT_EQ(form->lastPagesPrinted(), 0);

    const QString lines = path(QStringLiteral("lines.pdf"));
    answerSheetOptions(false);
    answerPdfName(lines);
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    EXPECT_EQ(picturesInPdf(lines), 0);

    const QString thread = path(QStringLiteral("thread.pdf"));
    answerSheetOptions(true);
    answerPdfName(thread);
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    EXPECT_GE(picturesInPdf(thread), 1);

    // The next sheet offers the choice as it was made.
    bool offered = false;
    dialogAnswers.push_back([&](QDialog& dialog) {
        offered = dialog.findChild<QCheckBox*>(QStringLiteral("RealisticPicture"))->isChecked();
        return int(QDialog::Rejected);
    });
    form->PrintDesignSheet1->trigger();
    EXPECT_TRUE(offered);
}

} // namespace
} // namespace orlika::test
