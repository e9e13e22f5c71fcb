// SPDX-License-Identifier: MIT
// Printing from the window through a running CUPS server and Qt's CUPS print support.
// scripts/test-cups.sh starts a private server with a default queue "orlika-pdf", whose
// jobs end up as PDF files in $ORLIKA_CUPS_OUTPUT, and a queue "orlika-rejecting" that
// refuses every job. Without CUPS_SERVER the suite skips.
#include "tests/app/AppFixture.h"

#include <QDate>
#include <QImage>
#include <QLocale>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>

#include <iostream>

namespace orlika::test {
namespace {

const QString kPdfQueue = QStringLiteral("orlika-pdf");
const QString kRejectingQueue = QStringLiteral("orlika-rejecting");
constexpr int kRenderDpi = 50;

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        ADD_FAILURE() << program.toStdString() << " did not finish";
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One PDF that a queue wrote: its pages as text and as pictures.
struct PrintedPdf {
    int pages = 0;
    QList<QSizeF> pageSizes;   // points, as the page is shown (rotation applied)
    QStringList texts;
    QList<QImage> images;      // at kRenderDpi
};

PrintedPdf readPdf(const QString& file)
{
    PrintedPdf pdf;
    const QString info =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                            QStringLiteral("99"), file});
    pdf.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    const QRegularExpression sizeLine(QStringLiteral("Page\\s+(\\d+) size:\\s+([\\d.]+) x ([\\d.]+)"));
    const QRegularExpression rotLine(QStringLiteral("Page\\s+(\\d+) rot:\\s+(\\d+)"));
    for (auto it = sizeLine.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        pdf.pageSizes << QSizeF(m.captured(2).toDouble(), m.captured(3).toDouble());
    }
    for (auto it = rotLine.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        const int page = m.captured(1).toInt() - 1;
        if (m.captured(2).toInt() % 180 != 0 && page < pdf.pageSizes.size())
            pdf.pageSizes[page].transpose();
    }
    pdf.texts = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")})
                    .split(QLatin1Char('\f'));
    if (!pdf.texts.isEmpty() && pdf.texts.back().trimmed().isEmpty())
        pdf.texts.pop_back();
    QTemporaryDir pictures;
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kRenderDpi), QStringLiteral("-png"), file,
                                         pictures.filePath(QStringLiteral("page"))});
    QDir folder(pictures.path());
    for (const QString& name : folder.entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name))
        pdf.images << QImage(folder.filePath(name)).convertToFormat(QImage::Format_RGB32);
    return pdf;
}

int inkIn(const QImage& image, const QRect& area)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                ++count;
    return count;
}

class CupsPrintTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || qEnvironmentVariableIsEmpty("ORLIKA_CUPS_OUTPUT"))
            GTEST_SKIP() << "no private CUPS server (CUPS_SERVER, ORLIKA_CUPS_OUTPUT): run scripts/test-cups.sh";
        ASSERT_EQ(QPrinterInfo::defaultPrinterName(), kPdfQueue);
        ASSERT_EQ(form->printer().printerName(), kPdfQueue);
        ASSERT_EQ(form->printer().outputFormat(), QPrinter::NativeFormat);
    }

    static QString queueOutput(const QString& queue)
    {
        return qEnvironmentVariable("ORLIKA_CUPS_OUTPUT") + QLatin1Char('/') + queue + QStringLiteral(".pdf");
    }

    /// Runs one print command; returns the PDF that the queue wrote for it.
    PrintedPdf printThroughQueue(const char* what, const std::function<void()>& command)
    {
        QFile::remove(queueOutput(kPdfQueue));
        command();
        EXPECT_FALSE(form->running());
        // The job is the server's now: wait until it has left the queue.
        for (int i = 0; i < 600 && !runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), kPdfQueue}).isEmpty(); ++i)
            QTest::qWait(100);
        EXPECT_TRUE(runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), kPdfQueue}).isEmpty())
            << "the job is still in the queue";
        if (!QFile::exists(queueOutput(kPdfQueue))) {
            ADD_FAILURE() << "the queue wrote no PDF";
            return {};
        }
        PrintedPdf pdf = readPdf(queueOutput(kPdfQueue));
        std::cout << what << ": " << kPdfQueue.toStdString() << " wrote " << pdf.pages << " page(s)\n";
        return pdf;
    }

    /// Where cell k's picture band lies on a page rendered at kRenderDpi: the upper half
    /// of the cell's row band, less a tenth on every side.
    QRect cellBand(int k)
    {
        const auto& s = state();
        const QRectF paper = form->printer().pageLayout().paintRect(QPageLayout::Point);
        const double scale = double(kRenderDpi) / form->printer().resolution();
        const double x0 = s.CellOrigin[k].X, y0 = s.CellOrigin[k].Y;
        const double left = x0 + 0.1 * s.CellWidth, right = x0 + 0.9 * s.CellWidth;
        const double top = y0 - 0.9 * s.HalfCellHeight, bottom = y0 - 0.1 * s.HalfCellHeight;
        const double dx = paper.left() * kRenderDpi / 72.0, dy = paper.top() * kRenderDpi / 72.0;
        return QRect(QPoint(int(dx + left * scale), int(dy + top * scale)),
                     QPoint(int(dx + right * scale), int(dy + bottom * scale)));
    }

    void choosePrinterInPrintSetup(const QString& queue, QPageLayout::Orientation orientation)
    {
        dialogAnswers.push_back([queue, orientation](QDialog& dialog) {
            auto& setup = dynamic_cast<QPrintDialog&>(dialog);
            setup.printer()->setPrinterName(queue);
            setup.printer()->setPageOrientation(orientation);
            return int(QDialog::Accepted);
        });
        form->PrintSetup1->trigger();
        ASSERT_EQ(form->printer().printerName(), queue);
    }
};

TEST_F(CupsPrintTest, CatalogOfTwelveDesignsComesOutAsTwoPagesWithTheirTextsAndDrawings)
{
    makeDesigns(12);
    answerOpen({"d01.dst"});
    answerTitle(QStringLiteral("Spring Catalog"));
    const PrintedPdf pdf = printThroughQueue("catalog of 12 designs", [&] { form->Print1->trigger(); });
    // A printer is installed: nothing asks for a PDF file.
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1", "TitleDlg"}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    EXPECT_TRUE(messages.empty());

    ASSERT_EQ(pdf.pages, 2);
    ASSERT_EQ(pdf.texts.size(), 2);
    ASSERT_EQ(pdf.images.size(), 2);
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page + 1);
        EXPECT_TRUE(pdf.texts[page].contains(QStringLiteral("Spring Catalog")));
        EXPECT_TRUE(pdf.texts[page].contains(QStringLiteral("File Folder: ") + folder()));
        EXPECT_TRUE(pdf.texts[page].contains(QString::fromStdString(state().PrintDate)));
        EXPECT_TRUE(pdf.texts[page].contains(QStringLiteral("Page %1 of 2 Pages").arg(page + 1)));
        for (int cell = 0; cell < 6; ++cell) {
            EXPECT_TRUE(pdf.texts[page].contains(QString::fromStdString(designName(page * 6 + cell + 1))));
            EXPECT_GT(inkIn(pdf.images[page], cellBand(cell)), 20) << "cell " << cell + 1 << " is blank";
        }
    }
}

TEST_F(CupsPrintTest, PrintSelectedPrintsTheChosenDesignsAndLeavesTheOtherCellsBlank)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    onWait([&] {
        rightClick(72 + 100, 204 - 50);        // d01
        rightClick(72 + 286 + 100, 444 - 50);  // d05
        click(form->SBCancel);
    });
    form->Open1->trigger();
    ASSERT_EQ(state().SelectedList.count(), 2);

    answerTitle(QString());
    const PrintedPdf pdf = printThroughQueue("Print Selected, 2 designs", [&] { form->PrintSelectedFiles2->trigger(); });
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    ASSERT_EQ(pdf.pages, 1);
    ASSERT_EQ(pdf.texts.size(), 1);
    ASSERT_EQ(pdf.images.size(), 1);
    const QString& text = pdf.texts[0];
    EXPECT_TRUE(text.contains(QStringLiteral("d01.dst")));
    EXPECT_TRUE(text.contains(QStringLiteral("d05.dst")));
    EXPECT_FALSE(text.contains(QStringLiteral("d02.dst")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of 1 Pages")));
    EXPECT_TRUE(text.contains(QString::fromStdString(state().PrintDate)));
    EXPECT_GT(inkIn(pdf.images[0], cellBand(0)), 20);
    EXPECT_GT(inkIn(pdf.images[0], cellBand(1)), 20);
    for (int cell = 2; cell < 6; ++cell)
        EXPECT_EQ(inkIn(pdf.images[0], cellBand(cell)), 0) << "cell " << cell + 1;
}

TEST_F(CupsPrintTest, FileListingComesOutWithHeadingNamesPageNumberAndDate)
{
    makeDesigns(5);
    writeFile(QStringLiteral("notes.txt"), {'x'});
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.selectNameFilter(TForm1::listingFilters().at(6));
        files.setDirectory(dir.path());
        files.selectFile(path(QStringLiteral("d01.dst")));
        return int(QDialog::Accepted);
    });
    const PrintedPdf pdf = printThroughQueue("file listing of 5 designs", [&] { form->mnfileList->trigger(); });
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog2"}));
    ASSERT_EQ(pdf.pages, 1);
    ASSERT_EQ(pdf.texts.size(), 1);
    const QString& text = pdf.texts[0];
    EXPECT_TRUE(text.contains(QStringLiteral("Listing of All Supported Embroidery Design Files in Folder - ") + folder()));
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(text.contains(QString::fromStdString(designName(i)))) << i;
    EXPECT_FALSE(text.contains(QStringLiteral("notes.txt")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1")));
    EXPECT_TRUE(text.contains(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)));
}

TEST_F(CupsPrintTest, PortraitChosenInPrintSetupTurnsTheGridAndThePaper)
{
    makeDesigns(3);
    choosePrinterInPrintSetup(kPdfQueue, QPageLayout::Landscape);
    answerOpen({"d01.dst"});
    answerTitle(QString());
    const PrintedPdf landscape = printThroughQueue("landscape catalog", [&] { form->Print1->trigger(); });
    const int landscapeWidth = form->printer().width();
    ASSERT_GT(landscapeWidth, form->printer().height());
    EXPECT_EQ(state().CellWidth, qRound(landscapeWidth / 3.5));
    ASSERT_EQ(landscape.pages, 1);

    choosePrinterInPrintSetup(kPdfQueue, QPageLayout::Portrait);
    answerTitle(QString());
    const PrintedPdf portrait = printThroughQueue("portrait catalog", [&] { form->Print1->trigger(); });
    // A portrait printer turns the standard grid: two cells across, three down.
    const int width = form->printer().width();
    const int height = form->printer().height();
    ASSERT_LT(width, height);
    EXPECT_EQ(state().CellWidth, qRound(width / 2.5));
    EXPECT_EQ(state().CellHeight, qRound(height / 3.5));
    EXPECT_EQ(state().CellOrigin[1].Y, state().CellOrigin[0].Y);
    EXPECT_EQ(state().CellOrigin[2].X, state().CellOrigin[0].X);
    ASSERT_EQ(portrait.pages, 1);
    ASSERT_EQ(portrait.pageSizes.size(), 1);
    EXPECT_LT(portrait.pageSizes[0].width(), portrait.pageSizes[0].height());
    ASSERT_EQ(portrait.images.size(), 1);
    EXPECT_LT(portrait.images[0].width(), portrait.images[0].height());
    // Designs 1 and 2 side by side, design 3 below the first.
    for (int cell = 0; cell < 3; ++cell)
        EXPECT_GT(inkIn(portrait.images[0], cellBand(cell)), 20) << "cell " << cell + 1;
    for (int cell = 3; cell < 6; ++cell)
        EXPECT_EQ(inkIn(portrait.images[0], cellBand(cell)), 0) << "cell " << cell + 1;
}

TEST_F(CupsPrintTest, AQueueThatRejectsTheJobIsReportedAndTheWindowGoesOn)
{
    makeDesigns(3);
    choosePrinterInPrintSetup(kRejectingQueue, QPageLayout::Portrait);
    answerOpen({"d01.dst"});
    answerTitle(QString());
    form->Print1->trigger();
    EXPECT_FALSE(form->running());
    ASSERT_EQ(messages.size(), 1u);
    const QString text = QString::fromStdString(messages[0].text);
    EXPECT_TRUE(text.contains(kRejectingQueue)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("not accepting jobs"))) << text.toStdString();
    std::cout << "the window said: " << messages[0].caption << ": " << messages[0].text << '\n';
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    EXPECT_NE(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->PageLayout1->menuAction()->isEnabled());
    EXPECT_FALSE(form->SBCancel->isVisible());

    // The same listing on the same queue fails the same way.
    dialogAnswers.push_back([&](QDialog& dialog) {
        dynamic_cast<QFileDialog&>(dialog).selectFile(path(QStringLiteral("d01.dst")));
        return int(QDialog::Accepted);
    });
    form->mnfileList->trigger();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(QString::fromStdString(messages[1].text).contains(kRejectingQueue));

    // Back on the working queue the next run prints.
    choosePrinterInPrintSetup(kPdfQueue, QPageLayout::Portrait);
    answerTitle(QString());
    const PrintedPdf pdf = printThroughQueue("catalog after the refusal", [&] { form->Print1->trigger(); });
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    EXPECT_EQ(messages.size(), 2u);
}

} // namespace
} // namespace orlika::test
