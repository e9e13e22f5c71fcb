// SPDX-License-Identifier: MIT
// A double click on a cell opens its design alone in the design view; Esc closes it and
// the page is as it was. Print Design Sheet prints the selection's sheets.
#include "app/DesignView.h"
#include "tests/app/AppFixture.h"

#include <QDesktopServices>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QPrinter>
#include <QPrinterInfo>
#include <QLabel>
#include <QSpinBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QWheelEvent>

namespace orlika::test {
namespace {

// Standard layout on the 1000 x 600 page, as the selection tests click it.
QPoint pictureHalf(int cell)
{
    return QPoint(72 + (cell % 3) * 286 + 100, (cell < 3 ? 204 : 444) - 50);
}

QImage pageOnScreen(TForm1& form)
{
    return form.Page->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of the widget that are neither white nor grey: the design's colours.
int colouredPixels(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
        }
    return count;
}

void turnWheel(QWidget& widget, QPoint at, int notches)
{
    QWheelEvent wheel(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &wheel);
}

TEST_F(AppTest, ADoubleClickOpensTheDesignAloneAndEscReturnsToThePageUnchanged)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    bool viewed = false;
    onWait([&] {
        ASSERT_EQ(firstOnDisplay(), 0);
        form->page().flush();
        const QImage pageBefore = form->page().image().copy();
        const QImage screenBefore = pageOnScreen(*form);

        dialogAnswers.push_back([&](QDialog& dialog) {
            auto* view = dynamic_cast<DesignView*>(&dialog);
            EXPECT_NE(view, nullptr);
            if (!view)
                return int(QDialog::Rejected);
            dialog.show();
            QCoreApplication::processEvents();
            EXPECT_TRUE(dialog.windowTitle().startsWith(QStringLiteral("d02.dst")));
            // Large: most of the window.
            EXPECT_GT(dialog.width(), form->width() * 3 / 4);
            DesignCanvas& canvas = *view->canvas();
            // The star of the second cell in its two pen colours, the sequence beside it.
            EXPECT_GT(colouredPixels(canvas), 200);
            QTreeWidget& sequence = *view->sequence();
            EXPECT_EQ(sequence.topLevelItemCount(), 2);
            EXPECT_EQ(sequence.topLevelItem(0)->text(0), QStringLiteral("1"));
            EXPECT_EQ(sequence.topLevelItem(1)->text(0), QStringLiteral("2"));
            EXPECT_GT(sequence.topLevelItem(0)->text(3).remove(QLatin1Char(',')).toInt(), 100);

            // The wheel zooms about the pointer: the design's point under it stays there.
            const QPoint at(canvas.width() / 3, canvas.height() / 3);
            const auto under = [&] {
                return canvas.centre() +
                       (QPointF(at) - QPointF(canvas.width() / 2.0, canvas.height() / 2.0)) / canvas.zoom();
            };
            const double fitted = canvas.zoom();
            const QPointF before = under();
            turnWheel(canvas, at, 2);
            EXPECT_NEAR(canvas.zoom(), fitted * 1.25 * 1.25, 1e-9);
            EXPECT_NEAR(under().x(), before.x(), 1e-9);
            EXPECT_NEAR(under().y(), before.y(), 1e-9);
            turnWheel(canvas, at, -1);
            EXPECT_NEAR(canvas.zoom(), fitted * 1.25, 1e-9);
            // A drag moves the design with the pointer.
            const QPointF centre = canvas.centre();
            QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(200, 200));
            QTest::mouseMove(&canvas, QPoint(260, 170));
            QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(260, 170));
            EXPECT_NEAR(canvas.centre().x(), centre.x() - 60 / canvas.zoom(), 1e-6);
            EXPECT_NEAR(canvas.centre().y(), centre.y() + 30 / canvas.zoom(), 1e-6);

            // Esc where the focus is closes the view, and nothing else.
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &canvas;
            EXPECT_EQ(focus->window(), &dialog);
            QTest::keyClick(focus, Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible());
            viewed = true;
            return dialog.result();
        });
        QTest::mouseDClick(form->Page, Qt::LeftButton, {}, pictureHalf(1));
        EXPECT_TRUE(viewed);
        EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1", "DesignView"}));

        // The page is as it was: its image, what the window shows, the run still waiting.
        form->page().flush();
        EXPECT_TRUE(form->page().image() == pageBefore);
        EXPECT_TRUE(pageOnScreen(*form) == screenBefore);
        EXPECT_TRUE(form->SBButton->isVisible());
        EXPECT_FALSE(state().CancelPressed);

        // Nothing opens for a right double click, a double click outside the pictures, or
        // on an empty cell (8 designs: the second page's cells 3 to 6 are empty).
        QTest::mouseDClick(form->Page, Qt::RightButton, {}, pictureHalf(1));
        QTest::mouseDClick(form->Page, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseDClick(form->Page, Qt::LeftButton, {}, QPoint(pictureHalf(1).x(), 204 + 30));
        // The right double click selected and deselected.
        EXPECT_TRUE(state().SelectedList.empty());
        click(form->SBButton);
    });
    onWait([&] {
        ASSERT_EQ(firstOnDisplay(), 6);
        QTest::mouseDClick(form->Page, Qt::LeftButton, {}, pictureHalf(4));
        click(form->SBCancel);
    });
    form->Open1->trigger();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(dialogsShown.size(), 2u);
}

// Takes the folders the desktop is asked to open, in place of the file manager.
class FolderOpener : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST_F(AppTest, PageUpAndPageDownStepThroughTheRunsDesignsAndShowInFolderOpensTheirFolder)
{
    makeDesigns(8);
    writeFile(QStringLiteral("d05.dst"), {'S', 'T', ':', ' ', 'o', 'o', 'p', 's', '\r', 0x1a});  // passed over
    FolderOpener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    std::vector<std::string> shown;
    QString title;
    int rows = 0;
    onWait([&] {
        dialogAnswers.push_back([&](QDialog& dialog) {
            auto& view = dynamic_cast<DesignView&>(dialog);
            dialog.show();
            const auto press = [&](Qt::Key key, int times) {
                for (int i = 0; i < times; ++i) {
                    QTest::keyClick(view.canvas(), key);
                    shown.push_back(view.picture().name);
                }
            };
            // Past the page's end, over the design that cannot be read, and to either end.
            press(Qt::Key_PageDown, 6);
            press(Qt::Key_PageUp, 7);
            title = view.windowTitle();
            rows = view.sequence()->topLevelItemCount();
            EXPECT_GT(colouredPixels(*view.canvas()), 200);
            view.showInFolderButton()->click();
            QTest::keyClick(view.canvas(), Qt::Key_Escape);
            return dialog.result();
        });
        QTest::mouseDClick(form->Page, Qt::LeftButton, {}, pictureHalf(1));
        key(Qt::Key_Escape);
    });
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(shown, (std::vector<std::string>{"d03.dst", "d04.dst", "d06.dst", "d07.dst", "d08.dst", "d08.dst",
                                               "d07.dst", "d06.dst", "d04.dst", "d03.dst", "d02.dst", "d01.dst",
                                               "d01.dst"}));
    EXPECT_EQ(title, QStringLiteral("d01.dst \u2014 ORLIKA"));
    EXPECT_EQ(rows, 2);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(dir.path()));
}

TEST(ShowInFolder, ADesignInsideAnArchiveShowsTheArchivesFolder)
{
    EXPECT_EQ(folderShowingDesign("/d/shop/rose.pes"), "/d/shop/");
    EXPECT_EQ(folderShowingDesign("/d/shop/roses.zip//in/rose.pes"), "/d/shop/");
    EXPECT_EQ(folderShowingDesign("/d/shop/roses.zip//rose.pes"), "/d/shop/");
}

TEST_F(AppTest, ADesignThatCannotBeReadIsToldInsteadOfAView)
{
    makeDesigns(2);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    // Damaged after the page was drawn.
    writeFile(QStringLiteral("d02.dst"), {'S', 'T', ':', ' ', 'o', 'o', 'p', 's', '\r', 0x1a});
    QTest::mouseDClick(form->Page, Qt::LeftButton, {}, pictureHalf(1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "d02.dst: ' oops' is not a valid integer value");
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1"}));
}

TEST_F(AppTest, ADesignCutShortIsShownAsFarAsItGoesAndSaysSo)
{
    makeDesigns(2);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    // Cut after the page was drawn: the end record and most of the stitches gone.
    QFile file(path(QStringLiteral("d02.dst")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(512 + 3 * 40));
    file.close();
    QString figures, slower;
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("DesignFigures"));
        figures = label->text();
        // A slower machine: the time follows the speed set.
        dialog.findChild<QSpinBox*>(QStringLiteral("MachineSpeed"))->setValue(300);
        slower = label->text();
        dialog.findChild<QSpinBox*>(QStringLiteral("MachineSpeed"))->setValue(600);
        return int(QDialog::Rejected);
    });
    QTest::mouseDClick(form->Page, Qt::LeftButton, {}, pictureHalf(1));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(figures.contains(QStringLiteral("\nFile ends after 40 of "))) << figures.toStdString();
    // Its sewing as far as it goes: 40 stitches take under a minute.
    EXPECT_TRUE(figures.contains(QStringLiteral("\nSewing: about 1 min at 600 stitches a minute; thread "))) << figures.toStdString();
    EXPECT_TRUE(slower.contains(QStringLiteral("\nSewing: about 1 min at 300 stitches a minute; thread "))) << slower.toStdString();
}

QString popplerOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& file)
{
    return popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

/// "595 x 842 pts (A4)"
QString pdfPageSize(const QString& file)
{
    const auto match = QRegularExpression(QStringLiteral("Page size:\\s+(.*)\\n"))
                           .match(popplerOutput(QStringLiteral("pdfinfo"), {file}));
    return match.captured(1).trimmed();
}

TEST_F(AppTest, PrintDesignSheetPrintsEachSelectedDesignOnItsOwnPagesAndTellsAFailure)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed; this run would print on it";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        << "poppler-utils are needed (scripts/setup.sh installs them)";
    makeDesigns(6);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    rightClick(pictureHalf(4).x(), pictureHalf(4).y());
    rightClick(pictureHalf(1).x(), pictureHalf(1).y());
    ASSERT_TRUE(form->Selected1->menuAction()->isEnabled());
    ASSERT_EQ(form->PrintDesignSheet1->parent(), form->Selected1);
    form->page().flush();
    const QImage pageBefore = form->page().image().copy();

    const QString pdf = path(QStringLiteral("sheets.pdf"));
    answerSheetOptions();
    answerPdfName(pdf);
    form->PrintDesignSheet1->trigger();
    ASSERT_GE(dialogsShown.size(), 2u);
    EXPECT_EQ(dialogsShown[dialogsShown.size() - 2], QStringLiteral("DesignSheetDialog"));
    EXPECT_EQ(dialogsShown.back(), QStringLiteral("PdfFileDialog"));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    EXPECT_EQ(form->lastPagesPrinted(), 2);
    const QString text = pdfText(pdf);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("d02.dst")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Folder: ") + folder()));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("d05.dst")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Colour sequence")));
    // Printing leaves the page and the selection as they were.
    EXPECT_TRUE(form->page().image() == pageBefore);
    EXPECT_EQ(state().SelectedList.count(), 2);

    // A file that cannot be written is told; nothing claims success and nothing is left.
    const QString nowhere = path(QStringLiteral("no/such/folder/sheets.pdf"));
    answerSheetOptions();
    answerPdfName(nowhere);
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" PRINTING FAILED"));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text.rfind("Cannot print to " + nowhere.toStdString() + ": ", 0), 0u)
        << messages.back().text;
    EXPECT_FALSE(QFile::exists(nowhere));

    // A selected design that can no longer be read is named; the others still print.
    writeFile(QStringLiteral("d05.dst"), {'S', 'T', ':', ' ', 'o', 'o', 'p', 's', '\r', 0x1a});
    const QString again = path(QStringLiteral("again.pdf"));
    answerSheetOptions();
    answerPdfName(again);
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(messages.back().text, "These designs could not be read; their sheets are not printed:\n"
                                    "d05.dst: ' oops' is not a valid integer value");
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    EXPECT_TRUE(pdfText(again).contains(QStringLiteral("d02.dst")));
    EXPECT_EQ(pdfPageSize(again), QStringLiteral("595 x 842 pts (A4)"));

    // Print Setup's paper and orientation are the sheet's.
    dialogAnswers.push_back([](QDialog& dialog) {
        auto& setup = dynamic_cast<QPageSetupDialog&>(dialog);
        setup.printer()->setPageSize(QPageSize(QPageSize::Letter));
        setup.printer()->setPageOrientation(QPageLayout::Landscape);
        return int(QDialog::Accepted);
    });
    form->PrintSetup1->trigger();
    const QString letter = path(QStringLiteral("letter.pdf"));
    answerSheetOptions();
    answerPdfName(letter);
    form->PrintDesignSheet1->trigger();
    EXPECT_EQ(pdfPageSize(letter), QStringLiteral("792 x 612 pts (letter)"));
    EXPECT_TRUE(pdfText(letter).contains(QStringLiteral("d02.dst")));
}

} // namespace
} // namespace orlika::test

#include "design_view_test.moc"
