// SPDX-License-Identifier: MIT
// Getting about a long run from the window: paging keys, the wheel, a page by its number,
// a page drawn again when the window changes size, and a status line that keeps to its room.
#include "tests/app/AppFixture.h"

#include "tests/support/TreeFiles.h"

#include <QInputDialog>
#include <QSpinBox>
#include <QWheelEvent>

namespace orlika::test {
namespace {

void turnWheel(QWidget& widget, int eighthsOfADegree)
{
    const QPoint at(widget.width() / 2, widget.height() / 2);
    QWheelEvent wheel(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, eighthsOfADegree),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &wheel);
}

TEST_F(AppTest, PagingKeysAndTheWheelPageAndCtrlGGoesToAPageByItsNumber)
{
    makeDesigns(20);  // pages of d01-d06, d07-d12, d13-d18 and d19-d20
    std::vector<int> seen;
    const auto at = [&](std::function<void()> action) {
        onWait([&, action] {
            seen.push_back(firstOnDisplay());
            action();
        });
    };
    at([&] { key(Qt::Key_PageDown); });
    at([&] { turnWheel(*form->Page, 120); });       // up: back
    at([&] { turnWheel(*form->Page, -60); turnWheel(*form->Page, -60); });  // a fine wheel: one notch in two
    at([&] { key(Qt::Key_End); });
    at([&] { key(Qt::Key_PageDown); turnWheel(*form->Page, -120); });  // the last page: they stop there
    at([&] { key(Qt::Key_PageUp); });
    at([&] { key(Qt::Key_Home); });
    at([&] {
        dialogAnswers.push_back([](QDialog& dialog) {
            auto& ask = dynamic_cast<QInputDialog&>(dialog);
            EXPECT_EQ(ask.objectName(), QStringLiteral("GoToPageDialog"));
            EXPECT_EQ(ask.inputMode(), QInputDialog::IntInput);
            EXPECT_EQ(ask.intMinimum(), 1);
            EXPECT_EQ(ask.intMaximum(), 4);
            EXPECT_EQ(ask.intValue(), 1);  // the page on display
            EXPECT_EQ(ask.labelText(), QStringLiteral("Page (1 to 4):"));
            ask.setIntValue(3);
            return int(QDialog::Accepted);
        });
        QTest::keyClick(form->Page, Qt::Key_G, Qt::ControlModifier);
    });
    at([&] {
        cancelDialog();
        QTest::keyClick(form->Page, Qt::Key_G, Qt::ControlModifier);  // cancelled: the page stays
    });
    at([&] { click(form->SBPrev); });  // the page before the one gone to
    at([&] { key(Qt::Key_Escape); });
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    EXPECT_EQ(seen, (std::vector<int>{0, 6, 0, 6, 18, 18, 12, 0, 12, 12, 6}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));

    // With no run waiting they do nothing.
    key(Qt::Key_PageDown);
    key(Qt::Key_End);
    QTest::keyClick(form->Page, Qt::Key_G, Qt::ControlModifier);
    EXPECT_FALSE(form->running());
}

TEST_F(AppTest, APageWaitingIsDrawnAgainWhenTheWindowChangesSize)
{
    makeDesigns(14);
    QSize before;
    onWait([&] {
        before = form->page().image().size();
        form->resize(form->width() - 200, form->height() - 150);
        QCoreApplication::processEvents();  // nothing pressed: the page is drawn again and waits
    });
    onWait([&] {
        EXPECT_EQ(firstOnDisplay(), 0);
        EXPECT_EQ(form->page().image().size(), form->Page->size());
        EXPECT_EQ(state().CellWidth, (form->Page->width() * 2 + 3) / 7);  // the page's width / 3.5, rounded
        EXPECT_GT(inkedPixels(), 1000);
        EXPECT_TRUE(form->SBButton->isVisible());
        EXPECT_FALSE(form->SBPrev->isVisible());
        key(Qt::Key_Escape);
    });
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    EXPECT_EQ(before, QSize(1000, 600));
    EXPECT_EQ(form->page().image().size(), form->Page->size());
    EXPECT_EQ(form->Page->width(), 800);
    EXPECT_EQ(waits, 2);
}

TEST_F(AppTest, TheStatusLineKeepsToItsRoomAndShowsTheWholeTextAsATooltip)
{
    // Seven designs in four folders of long names: the first page's caption names them all.
    const fs::path top(dir.path().toStdString());
    const std::vector<std::string> folders = {"embroidery-christmas-collection-2019", "flowers-and-leaves-set-b",
                                              "monograms-alphabet-large", "zz-quilting-blocks"};
    for (std::size_t i = 0; i < 7; ++i)
        writeBytes(top / folders[i % folders.size()] / ("d" + std::to_string(i) + ".dst"),
                   gen::writeDst(gen::makeStar(150 + 10 * int(i))));
    writeBytes(top / "a.dst", gen::writeDst(gen::makeStar(140)));
    form->IncludeSubfolders1->trigger();

    QLabel* caption = form->Panel1->Caption;
    // Where the caption's text stands in the panel, as the label centres it in its box.
    const auto shownSpan = [&] {
        const int width = caption->fontMetrics().horizontalAdvance(caption->text());
        const int left = caption->x() + (caption->width() - width) / 2;
        return std::pair{left, left + width};
    };
    const int layoutEnd = form->LLayOut->x() + form->LLayOut->fontMetrics().horizontalAdvance(form->LLayOut->text());
    onWait([&] {
        const QString whole = form->statusCaption();
        EXPECT_TRUE(whole.startsWith(QStringLiteral(" Picture 6 of 8 in the top folder, embroidery-christmas")))
            << whole.toStdString();
        EXPECT_NE(caption->text(), whole);
        EXPECT_TRUE(caption->text().endsWith(QChar(0x2026))) << caption->text().toStdString();
        EXPECT_EQ(caption->toolTip(), whole);
        const auto [left, right] = shownSpan();
        EXPECT_GT(left, layoutEnd);
        EXPECT_LT(right, form->SBCancel->x());
        key(Qt::Key_Escape);
    });
    answerOpen({"a.dst"});
    form->Open1->trigger();

    // A caption that fits stands in the middle of the panel as it always did, whole.
    answerOpen({"a.dst"});
    form->IncludeSubfolders1->trigger();
    form->Open1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(caption->text(), QStringLiteral(" FINISHED"));
    EXPECT_TRUE(caption->toolTip().isEmpty());
    EXPECT_EQ(caption->geometry(), form->Panel1->rect());
}

} // namespace
} // namespace orlika::test
