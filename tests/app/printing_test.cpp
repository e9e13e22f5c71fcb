// SPDX-License-Identifier: MIT
// Catalog printing from the window, to a PDF file where no printer is installed.
#include "tests/app/AppFixture.h"

#include "app/FormFileList.h"
#include "tests/support/FileSizeLimit.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

namespace orlika::test {
namespace {

class PrintTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (!QPrinterInfo::availablePrinters().isEmpty())
            GTEST_SKIP() << "a printer is installed; these runs would print on it";
    }

    static QString run(const QString& program, const QStringList& arguments)
    {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return {};
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    /// Pages of a PDF file as poppler counts them, or -1 without poppler.
    static int pdfPages(const QString& file)
    {
        const QString info = run(QStringLiteral("pdfinfo"), {file});
        const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    /// The text of each page.
    static QStringList pdfText(const QString& file)
    {
        QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")})
                                .split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.pop_back();
        return pages;
    }
    static bool havePoppler() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }
    static QByteArray contents(const QString& file)
    {
        QFile read(file);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    }
    QStringList files() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    /// The box an unwritable file gets, naming the file.
    static bool toldCannotPrintTo(const MessageRequest& message, const QString& file)
    {
        return message.text.rfind("Cannot print to " + file.toStdString() + ": ", 0) == 0 &&
               message.text.ends_with(".") && message.icon == MessageIcon::Error && message.caption == "ORLIKA";
    }
    void answerListingOf(const QString& design)
    {
        dialogAnswers.push_back([this, design](QDialog& dialog) {
            dynamic_cast<QFileDialog&>(dialog).selectFile(path(design));
            return int(QDialog::Accepted);
        });
    }
};

TEST_F(PrintTest, TwelveDesignsPrintExactlyTwoPagesWithTitleFolderDateAndPageTexts)
{
    makeDesigns(12);
    const QString pdf = path(QStringLiteral("out/catalog.pdf"));
    QDir().mkpath(folder() + QStringLiteral("out"));
    answerOpen({"d01.dst"});
    answerTitle(QStringLiteral("Spring Catalog"));
    answerPdfName(pdf);
    form->Print1->trigger();
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1", "TitleDlg", "PdfFileDialog"}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    EXPECT_EQ(form->lastPagesPrinted(), 2);
    EXPECT_EQ(waits, 0);
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    ASSERT_TRUE(QFile::exists(pdf));
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(pdfPages(pdf), 2);
    const QStringList pages = pdfText(pdf);
    ASSERT_EQ(pages.size(), 2);
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Spring Catalog")));
        EXPECT_TRUE(pages[page].contains(QStringLiteral("File Folder: ") + folder()));
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Page %1 of 2 Pages").arg(page + 1)));
        EXPECT_TRUE(pages[page].contains(QString::fromStdString(state().PrintDate)));
    }
    for (int i = 1; i <= 12; ++i)
        EXPECT_TRUE(pages[(i - 1) / 6].contains(QString::fromStdString(designName(i)))) << i;
}

TEST_F(PrintTest, TitleDialogKeepsItsTextAndShortTitlesAreNotPrinted)
{
    makeDesigns(14);
    answerOpen({"d01.dst"});
    onWait([&] { click(form->SBCancel); });
    form->Open1->trigger();

    // With a folder open, Print From Beginning asks no open dialog.
    const QString first = path(QStringLiteral("first.pdf"));
    answerTitle(QStringLiteral("Autumn"));
    answerPdfName(first);
    form->Print1->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 3);

    QString shown;
    const QString second = path(QStringLiteral("second.pdf"));
    answerTitle(QStringLiteral("A"), &shown);
    answerPdfName(second);
    form->Print1->trigger();
    EXPECT_EQ(shown, QStringLiteral("Autumn"));
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1", "TitleDlg", "PdfFileDialog", "TitleDlg",
                                                  "PdfFileDialog"}));
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(pdfPages(first), 3);
    const QStringList withTitle = pdfText(first);
    ASSERT_EQ(withTitle.size(), 3);
    EXPECT_TRUE(withTitle[0].contains(QStringLiteral("Autumn")));
    EXPECT_TRUE(withTitle[2].contains(QStringLiteral("Page 3 of 3 Pages")));
    EXPECT_TRUE(withTitle[2].contains(QStringLiteral("d14.dst")));
    EXPECT_FALSE(withTitle[2].contains(QStringLiteral("d12.dst")));

    const QStringList withoutTitle = pdfText(second);
    ASSERT_EQ(withoutTitle.size(), 3);
    for (const QString& page : withoutTitle) {
        EXPECT_FALSE(page.contains(QStringLiteral("Autumn")));
        EXPECT_TRUE(page.contains(QStringLiteral("File Folder: ")));
        // The folder line is the first line of a page without title.
        EXPECT_TRUE(page.trimmed().startsWith(QStringLiteral("File Folder: ")));
    }
}

TEST_F(PrintTest, PrintBeginningAtFileAndSelectedDesignsPrintTheirShareOnly)
{
    makeDesigns(14);
    const QString fromFile = path(QStringLiteral("from-file.pdf"));
    answerOpen({"d10.dst"});
    answerTitle(QString());
    answerPdfName(fromFile);
    form->PrintFromFile1->trigger();
    EXPECT_EQ(state().PageCount, 1);
    EXPECT_EQ(form->lastPagesPrinted(), 1);

    answerOpen({"d01.dst"});
    onWait([&] {
        QTest::mouseClick(form->Page, Qt::RightButton, {}, QPoint(72 + 100, 204 - 50));        // d01
        QTest::mouseClick(form->Page, Qt::RightButton, {}, QPoint(72 + 286 + 100, 444 - 50));  // d05
        click(form->SBCancel);
    });
    form->Open1->trigger();
    const QString selected = path(QStringLiteral("selected.pdf"));
    answerTitle(QString());
    answerPdfName(selected);
    form->PrintSelectedFiles2->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    EXPECT_FALSE(state().UseSelectedList);
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QStringList pages = pdfText(selected);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("d01.dst")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("d05.dst")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("d02.dst")));
    const QStringList atFile = pdfText(fromFile);
    ASSERT_EQ(atFile.size(), 1);
    EXPECT_TRUE(atFile[0].contains(QStringLiteral("d10.dst")));
    EXPECT_FALSE(atFile[0].contains(QStringLiteral("d09.dst")));
}

TEST_F(PrintTest, FilePrintSelectedFilesPrintsTheDesignsChosenOrTheSelectionLastOpened)
{
    makeDesigns(14);
    // No selection of several files open yet: the open dialog asks for the designs.
    const QString chosen = path(QStringLiteral("chosen.pdf"));
    answerOpen({"d02.dst", "d12.dst"});
    answerTitle(QString());
    answerPdfName(chosen);
    form->PrintSelectedFiles1Click();
    EXPECT_EQ(form->OpenDialog1->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"d02.dst", "d12.dst"}));
    EXPECT_EQ(form->lastPagesPrinted(), 1);

    // Open Selected Files, then Print Selected Files prints that selection without asking.
    // (The dialog keeps the first file it was opened on selected, so d02 is chosen again.)
    answerOpen({"d02.dst", "d07.dst"});
    form->OpenSelectedFiles1->trigger();
    const QString opened = path(QStringLiteral("opened.pdf"));
    answerTitle(QString());
    answerPdfName(opened);
    form->PrintSelectedFiles1Click();
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1", "TitleDlg", "PdfFileDialog", "OpenDialog1",
                                                  "TitleDlg", "PdfFileDialog"}));
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"d02.dst", "d07.dst"}));
    EXPECT_TRUE(state().UseDialogList);
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    EXPECT_EQ(waits, 0);
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QStringList chosenPages = pdfText(chosen);
    ASSERT_EQ(chosenPages.size(), 1);
    EXPECT_TRUE(chosenPages[0].contains(QStringLiteral("File Folder: ") + folder()));
    EXPECT_TRUE(chosenPages[0].contains(QStringLiteral("d02.dst")));
    EXPECT_TRUE(chosenPages[0].contains(QStringLiteral("d12.dst")));
    EXPECT_FALSE(chosenPages[0].contains(QStringLiteral("d01.dst")));
    const QStringList openedPages = pdfText(opened);
    ASSERT_EQ(openedPages.size(), 1);
    EXPECT_TRUE(openedPages[0].contains(QStringLiteral("File Folder: ") + folder()));
    EXPECT_TRUE(openedPages[0].contains(QStringLiteral("d02.dst")));
    EXPECT_TRUE(openedPages[0].contains(QStringLiteral("d07.dst")));
    EXPECT_FALSE(openedPages[0].contains(QStringLiteral("d12.dst")));
}

TEST_F(PrintTest, DecliningThePdfNamePrintsNothingAndTheWindowGoesOn)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    answerTitle(QString());
    cancelDialog();
    form->Print1->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 0);
    EXPECT_FALSE(form->running());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" NOTHING PRINTED"));
    EXPECT_TRUE(messages.empty());

    // A folder without designs asks neither the title nor the file.
    QTemporaryDir empty;
    QFile note(empty.path() + QStringLiteral("/x.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.setDirectory(empty.path());
        files.selectFile(empty.path() + QStringLiteral("/x.txt"));
        return int(QDialog::Accepted);
    });
    form->PrintFromFile1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No Files Found"));
    EXPECT_EQ(dialogsShown.size(), 4u);
}

TEST_F(PrintTest, APdfThatCannotBeWrittenIsToldAndNothingClaimsSuccess)
{
    makeDesigns(8);
    const QString pdf = path(QStringLiteral("no/such/folder/catalog.pdf"));
    // The message names the file and the reason (Qt's file dialog may resolve the
    // missing folder against another, so only its end is certain).
    const auto told = [](const MessageRequest& message) {
        return message.text.rfind("Cannot print to ", 0) == 0 &&
               message.text.find("/no/such/folder/catalog.pdf: the folder ") != std::string::npos &&
               message.text.ends_with("/no/such/folder does not exist.");
    };
    answerOpen({"d01.dst"});
    answerTitle(QString());
    answerPdfName(pdf);
    form->Print1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(told(messages[0])) << messages[0].text;
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" PRINTING FAILED"));
    EXPECT_EQ(form->lastPagesPrinted(), 0);
    EXPECT_FALSE(form->running());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->PageLayout1->menuAction()->isEnabled());
    EXPECT_FALSE(form->SBCancel->isVisible());

    // The file listing says the same.
    messages.clear();
    dialogAnswers.push_back([&](QDialog& dialog) {
        dynamic_cast<QFileDialog&>(dialog).selectFile(path(QStringLiteral("d01.dst")));
        return int(QDialog::Accepted);
    });
    answerPdfName(pdf);
    form->mnfileList->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(told(messages[0])) << messages[0].text;
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" PRINTING FAILED"));
    EXPECT_FALSE(form->fileListFr()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintTest, ACatalogOnAFullDiskIsToldAsAnUnwritableFileIsAndLeavesNoPartialFile)
{
    makeDesigns(12);
    const QString pdf = path(QStringLiteral("catalog.pdf"));
    answerOpen({"d01.dst"});
    answerTitle(QString());
    answerPdfName(pdf);
    form->Print1->trigger();
    ASSERT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
    const QByteArray older = contents(pdf);
    ASSERT_FALSE(older.isEmpty());
    const QStringList before = files();

    // The catalog again on a disk with room for half of it: over the older file, and
    // under a new name.
    for (const QString& target : {pdf, path(QStringLiteral("new.pdf"))}) {
        SCOPED_TRACE(target.toStdString());
        messages.clear();
        answerTitle(QString());
        answerPdfName(target);
        {
            const FileSizeLimit full(rlim_t(older.size() / 2));
            ASSERT_TRUE(full.set());
            form->Print1->trigger();
        }
        EXPECT_EQ(form->statusCaption(), QStringLiteral(" PRINTING FAILED"));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(toldCannotPrintTo(messages[0], target)) << messages[0].text;
        EXPECT_FALSE(form->running());
        EXPECT_TRUE(form->File1->menuAction()->isEnabled());
        EXPECT_FALSE(form->SBCancel->isVisible());
    }
    EXPECT_EQ(contents(pdf), older);
    // Neither the new file nor a temporary one stays behind.
    EXPECT_EQ(files(), before);
}

TEST_F(PrintTest, AFileListingOnAFullDiskIsToldAsAnUnwritableFileIsAndLeavesNoPartialFile)
{
    makeDesigns(12);
    const QString listing = path(QStringLiteral("listing.pdf"));
    answerListingOf(QStringLiteral("d01.dst"));
    answerPdfName(listing);
    form->mnfileList->trigger();
    ASSERT_TRUE(messages.empty());
    const qint64 size = QFileInfo(listing).size();
    ASSERT_GT(size, 0);
    ASSERT_TRUE(QFile::remove(listing));
    const QStringList before = files();

    answerListingOf(QStringLiteral("d01.dst"));
    answerPdfName(listing);
    {
        const FileSizeLimit full(rlim_t(size / 2));
        ASSERT_TRUE(full.set());
        form->mnfileList->trigger();
    }
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" PRINTING FAILED"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(toldCannotPrintTo(messages[0], listing)) << messages[0].text;
    EXPECT_FALSE(form->fileListFr()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(files(), before);
}

TEST_F(PrintTest, PrintSetupChangesThePaperThatTheNextRunLaysOut)
{
    makeDesigns(3);
    answerOpen({"d01.dst"});
    answerTitle(QString());
    answerPdfName(path(QStringLiteral("portrait.pdf")));
    form->Print1->trigger();
    // A portrait page turns the standard grid: two cells across, three down.
    const int portraitWidth = form->printer().width();
    const int portraitHeight = form->printer().height();
    ASSERT_LT(portraitWidth, portraitHeight);
    EXPECT_EQ(state().CellWidth, qRound(portraitWidth / 2.5));
    EXPECT_EQ(state().CellHeight, qRound(portraitHeight / 3.5));

    dialogAnswers.push_back([](QDialog& dialog) {
        auto& setup = dynamic_cast<QPageSetupDialog&>(dialog);
        setup.printer()->setPageOrientation(QPageLayout::Landscape);
        return int(QDialog::Accepted);
    });
    form->PrintSetup1->trigger();
    answerTitle(QString());
    answerPdfName(path(QStringLiteral("landscape.pdf")));
    form->Print1->trigger();
    EXPECT_GT(form->printer().width(), form->printer().height());
    EXPECT_EQ(state().CellWidth, qRound(form->printer().width() / 3.5));
    EXPECT_EQ(state().CellHeight, qRound(form->printer().height() / 2.5));
    EXPECT_EQ(form->lastPagesPrinted(), 1);
}

} // namespace
} // namespace orlika::test
