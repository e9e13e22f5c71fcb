// SPDX-License-Identifier: MIT
// The real window draws the page after a waiting one on the other core: Next shows it, Prev
// puts back a page left before, and whatever the user does first wins.
#include "tests/app/AppFixture.h"

namespace orlika::test {
namespace {

class PageAheadWindow : public AppTest {
protected:
    /// Runs the folder from d01.dst, pressing the keys given at each page end, and returns
    /// the page the window showed at each page end and after the run.
    std::vector<QImage> pagesSeen(const std::vector<Qt::Key>& keys, const std::function<void(int)>& beforeKey = {})
    {
        std::vector<QImage> pages;
        for (std::size_t k = 0; k < keys.size(); ++k)
            onWait([this, &pages, &keys, &beforeKey, k] {
                pages.push_back(shownPage());
                if (beforeKey)
                    beforeKey(int(k));
                key(keys[k]);
            });
        answerOpen({"d01.dst"});
        form->Open1->trigger();
        pages.push_back(shownPage());
        return pages;
    }
    QImage shownPage()
    {
        QCoreApplication::processEvents();
        return form->Page->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(PageAheadWindow, PagesDrawnAheadAndPagesKeptLookAsPagesDrawnWhenTheirTurnComes)
{
    makeDesigns(20);  // four pages in the standard layout
    const std::vector<Qt::Key> keys = {Qt::Key_N, Qt::Key_N, Qt::Key_P, Qt::Key_P, Qt::Key_N, Qt::Key_N, Qt::Key_N,
                                       Qt::Key_Space};
    form->drawPagesAhead(false);
    const std::vector<QImage> drawn = pagesSeen(keys);
    ASSERT_EQ(form->pagesDrawnAhead(), 0);
    form->drawPagesAhead(true);
    const std::vector<QImage> ahead = pagesSeen(keys);
    ASSERT_EQ(ahead.size(), drawn.size());
    for (std::size_t k = 0; k < drawn.size(); ++k)
        EXPECT_TRUE(ahead[k] == drawn[k]) << "page shown at step " << k;
    // Five Nexts to a page after it and two Prevs to pages left before.
    EXPECT_EQ(form->pagesDrawnAhead(), 7);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
}

TEST_F(PageAheadWindow, ThePageAfterTheNextIsDrawnAheadTooAndWaitsWhileNextShowsTheFirst)
{
    makeDesigns(20);  // four pages in the standard layout
    form->drawPagesAhead(true);
    std::vector<int> atWait, drawnBy;  // pages waiting as a page waits, and once drawing stops
    for (int page = 0; page < 4; ++page)
        onWait([&] {
            atWait.push_back(form->pagesWaitingAhead());
            form->awaitPageAhead();
            drawnBy.push_back(form->pagesWaitingAhead());
            key(Qt::Key_N);
        });
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    // Pages 2 and 3 while the first waits; the third is ready as the second is shown, and
    // the fourth is drawn after it; the last page has none after it.
    EXPECT_EQ(drawnBy, (std::vector<int>{2, 2, 1, 0}));
    EXPECT_GE(atWait[1], 1);
    EXPECT_EQ(form->pagesDrawnAhead(), 3);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
}

TEST_F(PageAheadWindow, ADesignDeletedWhileItsPageWasDrawnAheadIsSkippedAsItWouldBe)
{
    makeDesigns(12);
    // The seventh is open while the first page waits (it tells whether there is a next
    // page) and is drawn all the same; the eighth is not.
    const auto deleteTheEighth = [this](int step) {
        if (step == 0) {
            form->awaitPageAhead();  // d08 is read ahead before it goes
            ASSERT_TRUE(QFile::remove(path(QStringLiteral("d08.dst"))));
        }
    };
    form->drawPagesAhead(false);
    const std::vector<QImage> drawn = pagesSeen({Qt::Key_N, Qt::Key_N}, deleteTheEighth);
    const QString drawnCaption = form->statusCaption();
    makeDesigns(12);
    form->drawPagesAhead(true);
    const std::vector<QImage> ahead = pagesSeen({Qt::Key_N, Qt::Key_N}, deleteTheEighth);
    ASSERT_EQ(ahead.size(), drawn.size());
    for (std::size_t k = 0; k < drawn.size(); ++k)
        EXPECT_TRUE(ahead[k] == drawn[k]) << "page shown at step " << k;
    EXPECT_EQ(form->statusCaption(), drawnCaption);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED; 1 could not be opened: 1 gone"));
    EXPECT_EQ(form->pagesDrawnAhead(), 0);
}

TEST_F(PageAheadWindow, CancelAndALayoutChangeWinOverAPageDrawnAhead)
{
    makeDesigns(14);
    form->drawPagesAhead(true);
    const std::vector<QImage> cancelled = pagesSeen({Qt::Key_Escape});
    EXPECT_EQ(form->pagesDrawnAhead(), 0);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_FALSE(form->running());
    // The next run, in thumbnails of 12, draws its pages ahead in its own grid.
    form->N12page1->trigger();
    const std::vector<QImage> thumbnails = pagesSeen({Qt::Key_N, Qt::Key_N});
    form->drawPagesAhead(false);
    const std::vector<QImage> drawn = pagesSeen({Qt::Key_N, Qt::Key_N});
    ASSERT_EQ(thumbnails.size(), drawn.size());
    for (std::size_t k = 0; k < drawn.size(); ++k)
        EXPECT_TRUE(thumbnails[k] == drawn[k]) << "page shown at step " << k;
}

} // namespace
} // namespace orlika::test
