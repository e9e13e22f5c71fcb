// SPDX-License-Identifier: MIT
// The Selected menu's copy, move and delete, and Print a File Listing, from the window.
#include "tests/app/AppFixture.h"

#include "app/Filemove.h"
#include "app/FormFileList.h"
#include "decoders/Registry.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include <map>

namespace orlika::test {
namespace {

// Standard layout on the 1000 x 600 page: where a cell's name line and picture are.
QRect nameLineOf(int cell)
{
    return QRect(72 + cell * 286, 60, 200, 28);
}

/// The longest run of dark pixels along a row of the area: text makes short ones, a line
/// struck through a name a long one.
int longestDarkRun(const QImage& image, const QRect& area)
{
    int longest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = qGray(image.pixel(x, y)) < 110 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

class FileCommandsTest : public AppTest {
protected:
    QString destination() const { return folder() + QStringLiteral("dest"); }

    /// Shows d01..d03 (one page, the run ends without waiting) and selects d01 and d03
    /// with right clicks.
    void selectFirstAndThird()
    {
        makeDesigns(3);
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dest")));
        answerOpen({"d01.dst"});
        form->Open1->trigger();
        for (const QPoint& at : {QPoint(172, 154), QPoint(744, 154)})
            rightClick(at.x(), at.y());
        ASSERT_EQ(state().SelectedList.names(), (std::vector<std::string>{"d01.dst", "d03.dst"}));
        ASSERT_TRUE(form->Selected1->menuAction()->isEnabled());
    }
    /// Plays the user in Form2: the folder typed and the check box set, then OK.
    void answerForm2(const QString& folder, bool copy, QString* titleSeen = nullptr)
    {
        dialogAnswers.push_back([folder, copy, titleSeen](QDialog& dialog) {
            auto& form2 = dynamic_cast<TForm2&>(dialog);
            form2.setDirectory(folder);
            if (form2.CopyBox1->isChecked() != copy)
                form2.CopyBox1->click();
            if (titleSeen)
                *titleSeen = form2.windowTitle();
            return int(QDialog::Accepted);
        });
    }
    bool exists(const QString& path) const { return QFileInfo::exists(path); }
};

TEST_F(FileCommandsTest, Form2TitleFollowsTheCheckBoxAndButtonsCloseIt)
{
    TForm2& form2 = *forms.Form2;
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("ORLIKA Move Files"));
    EXPECT_EQ(form2.Label1->text(), QStringLiteral("Destination:"));
    EXPECT_EQ(form2.CopyBox1->text(), QStringLiteral("Copy Files"));
    EXPECT_FALSE(form2.CopyBox1->isChecked());
    EXPECT_EQ(form2.BBOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(form2.BBCancel->text(), QStringLiteral("&Cancel"));

    form2.show();
    form2.CopyBox1->click();
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("ORLIKA Copy Files"));
    form2.CopyBox1->click();
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("ORLIKA Move Files"));

    form2.BBCancel->click();
    EXPECT_EQ(form2.result(), int(QDialog::Rejected));
    form2.show();
    form2.BBOK->click();
    EXPECT_EQ(form2.result(), int(QDialog::Accepted));

    // The root folder stays "/", other folders lose a trailing separator.
    form2.setDirectory(QStringLiteral("/"));
    EXPECT_EQ(form2.directory(), QStringLiteral("/"));
    form2.setDirectory(QStringLiteral("/tmp/x/"));
    EXPECT_EQ(form2.directory(), QStringLiteral("/tmp/x"));
}

TEST_F(FileCommandsTest, MoveThenCopyThroughForm2WhichKeepsItsSettings)
{
    selectFirstAndThird();
    answerForm2(destination(), false);
    form->MoveAllSelectedFiles1->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(exists(destination() + QStringLiteral("/d01.dst")));
    EXPECT_TRUE(exists(destination() + QStringLiteral("/d03.dst")));
    EXPECT_FALSE(exists(path(QStringLiteral("d01.dst"))));
    EXPECT_TRUE(exists(path(QStringLiteral("d02.dst"))));
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 0"));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" 2 moved to ") + destination());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The designs moved away are struck through and select nothing; d02 still does.
    form->page().flush();
    EXPECT_GE(longestDarkRun(form->page().image(), nameLineOf(0)), 30);
    EXPECT_LT(longestDarkRun(form->page().image(), nameLineOf(1)), 20);
    rightClick(172, 154);
    EXPECT_TRUE(state().SelectedList.empty());
    rightClick(458, 154);
    EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{"d02.dst"});

    // Copy d02 into a folder that already has a d02: the question's default (No) keeps it.
    QFile::copy(path(QStringLiteral("d02.dst")), destination() + QStringLiteral("/d02.dst"));
    QFile::resize(destination() + QStringLiteral("/d02.dst"), 10);
    state().SelectedList.add("d02.dst");
    form->Selected1->menuAction()->setEnabled(true);
    QString folderShown;
    bool copyShown = true;
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& form2 = dynamic_cast<TForm2&>(dialog);
        folderShown = form2.DirectoryEdit->text();
        copyShown = form2.CopyBox1->isChecked();
        form2.CopyBox1->click();
        EXPECT_EQ(form2.windowTitle(), QStringLiteral("ORLIKA Copy Files"));
        return int(QDialog::Accepted);
    });
    form->MoveAllSelectedFiles1->trigger();
    EXPECT_EQ(folderShown, destination());
    EXPECT_FALSE(copyShown);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, "Confirm");
    EXPECT_EQ(messages[0].text,
              (destination() + QStringLiteral("/d02.dst")).toStdString() +
                  " already exists in destination directory.  Overwrite ?");
    EXPECT_EQ(messages[1].text, "0 of 1 copied; not copied: d02.dst");
    EXPECT_EQ(QFileInfo(destination() + QStringLiteral("/d02.dst")).size(), 10);
    EXPECT_TRUE(exists(path(QStringLiteral("d02.dst"))));
    EXPECT_TRUE(forms.Form2->CopyBox1->isChecked());

    // Cancel in Form2 changes nothing.
    state().SelectedList.add("d02.dst");
    cancelDialog();
    form->MoveAllSelectedFiles1->trigger();
    EXPECT_EQ(state().SelectedList.count(), 1);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(FileCommandsTest, DeleteAsksWithNoAsDefaultAndMovesToTheDesktopsTrashOnYes)
{
    selectFirstAndThird();
    form->DeleteSelected1->trigger();   // the fixture answers with the default button
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Move the selected designs to the trash?\n\n2 designs in " +
                                    folder().toStdString() + ":\nd01.dst\nd03.dst");
    EXPECT_EQ(messages[0].caption, "ORLIKA DELETE");
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_TRUE(exists(path(QStringLiteral("d01.dst"))));
    EXPECT_EQ(state().SelectedList.count(), 2);

    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return MessageAnswer::Yes;
    };
    QFile original(path(QStringLiteral("d01.dst")));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray d01 = original.readAll();
    original.close();
    form->DeleteSelected1->trigger();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(exists(path(QStringLiteral("d01.dst"))));
    EXPECT_TRUE(exists(path(QStringLiteral("d02.dst"))));
    EXPECT_FALSE(exists(path(QStringLiteral("d03.dst"))));
    // In the freedesktop trash, whole, with the record a file manager restores it from.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/");
    QFile trashed(trash + QStringLiteral("files/d01.dst"));
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), d01);
    QFile info(trash + QStringLiteral("info/d01.dst.trashinfo"));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    EXPECT_TRUE(info.readAll().contains("Path=" + path(QStringLiteral("d01.dst")).toUtf8()));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" 2 moved to the trash"));
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
}

TEST_F(FileCommandsTest, CopyIntoAFolderNotThereYetMakesItWhenAskedAndSaysWhereTheDesignsWent)
{
    selectFirstAndThird();
    const QString usb = folder() + QStringLiteral("media/usb/designs");
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : request.defaultAnswer;
    };
    answerForm2(usb, true);
    form->MoveAllSelectedFiles1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The folder " + usb.toStdString() +
                                    " does not exist.\n\nMake it and copy the 2 designs there?");
    EXPECT_FALSE(exists(folder() + QStringLiteral("media")));
    EXPECT_EQ(state().SelectedList.count(), 2);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));

    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : request.defaultAnswer;
    };
    answerForm2(usb, true);
    form->MoveAllSelectedFiles1->trigger();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(exists(usb + QStringLiteral("/d01.dst")));
    EXPECT_TRUE(exists(usb + QStringLiteral("/d03.dst")));
    EXPECT_TRUE(exists(path(QStringLiteral("d01.dst"))));
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" 2 copied to ") + usb);
}

// Every file under a folder, by its path there, with its bytes.
std::map<QString, QByteArray> filesUnder(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            files[QDir(root).relativeFilePath(file.fileName())] = file.readAll();
    }
    return files;
}

TEST_F(FileCommandsTest, DeleteTakesExactlyTheSelectedFilesWholeToTheTrashAndNoOtherByteChanges)
{
    selectFirstAndThird();
    // Beside the designs shown: a file of another kind, one in a subfolder, and d02 written
    // anew under the program after its page was drawn.
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("notes.txt"), QByteArray("keep me")},
                                      std::pair{QStringLiteral("dest/d01.dst"), QByteArray("another d01")},
                                      std::pair{QStringLiteral("d02.dst"), QByteArray("changed since shown")}}) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::map<QString, QByteArray> expected = filesUnder(folder());
    const QByteArray d01 = expected.at(QStringLiteral("d01.dst"));
    const QByteArray d03 = expected.at(QStringLiteral("d03.dst"));
    expected.erase(QStringLiteral("d01.dst"));
    expected.erase(QStringLiteral("d03.dst"));
    form->host().answerMessage = [](const MessageRequest&) { return MessageAnswer::Yes; };
    form->DeleteSelected1->trigger();

    EXPECT_EQ(filesUnder(folder()), expected);
    const std::map<QString, QByteArray> trash = filesUnder(qEnvironmentVariable("XDG_DATA_HOME") +
                                                           QStringLiteral("/Trash/files"));
    EXPECT_EQ(trash, (std::map<QString, QByteArray>{{QStringLiteral("d01.dst"), d01},
                                                    {QStringLiteral("d03.dst"), d03}}));
}

TEST_F(FileCommandsTest, DeletedDesignsAreStruckThroughAndCanNoLongerBeSelectedOrOpened)
{
    selectFirstAndThird();
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.caption == "ORLIKA DELETE" && request.buttons == MessageButtons::YesNoCancel
                   ? MessageAnswer::Yes
                   : request.defaultAnswer;
    };
    form->page().flush();
    for (int cell = 0; cell < 3; ++cell)
        EXPECT_LT(longestDarkRun(form->page().image(), nameLineOf(cell)), 20) << "cell " << cell;
    form->DeleteSelected1->trigger();
    ASSERT_FALSE(exists(path(QStringLiteral("d01.dst"))));
    ASSERT_FALSE(exists(path(QStringLiteral("d03.dst"))));

    // d01 and d03 have their names struck through, in black; d02 is as it was.
    form->page().flush();
    const QImage page = form->page().image();
    EXPECT_GE(longestDarkRun(page, nameLineOf(0)), 30);
    EXPECT_LT(longestDarkRun(page, nameLineOf(1)), 20);
    EXPECT_GE(longestDarkRun(page, nameLineOf(2)), 30);
    EXPECT_EQ(redPixels(nameLineOf(0)), 0);
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());

    // A right click selects them no more, nor does a double click open them; d02 still is.
    rightClick(172, 154);
    rightClick(744, 154);
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    QTest::mouseDClick(form->Page, Qt::LeftButton, {}, QPoint(172, 154));
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"OpenDialog1"}));
    rightClick(458, 154);
    EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{"d02.dst"});
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
}

TEST_F(FileCommandsTest, ADesignThatCouldNotBeDeletedStaysAsItWas)
{
    selectFirstAndThird();
    QFile::setPermissions(path(QStringLiteral("d03.dst")), QFile::ReadOwner);  // write-protected: it stays
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes : request.defaultAnswer;
    };
    form->DeleteSelected1->trigger();
    ASSERT_FALSE(exists(path(QStringLiteral("d01.dst"))));
    ASSERT_TRUE(exists(path(QStringLiteral("d03.dst"))));
    form->page().flush();
    EXPECT_GE(longestDarkRun(form->page().image(), nameLineOf(0)), 30);
    EXPECT_LT(longestDarkRun(form->page().image(), nameLineOf(2)), 20);
    rightClick(744, 154);
    EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{"d03.dst"});
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
}

TEST_F(FileCommandsTest, PrintAFileListingToPdfWithTheListingWindowShownAndItsOwnFileName)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed; the listing would print on it";
    makeDesigns(5);
    writeFile(QStringLiteral("notes.txt"), {'x'});
    const QString pdf = path(QStringLiteral("listing.pdf"));
    QString filterShown;
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.objectName(), QStringLiteral("OpenDialog2"));
        // One filter a format, "All supported formats" and "All Files".
        EXPECT_EQ(files.nameFilters().size(), int(formats().size()) + 2);
        filterShown = files.selectedNameFilter();
        files.selectNameFilter(TForm1::listingFilters().at(4));
        files.setDirectory(dir.path());
        files.selectFile(path(QStringLiteral("d01.dst")));
        return int(QDialog::Accepted);
    });
    bool windowShown = false;
    QString windowTexts;
    QString pdfDialogSeen;
    dialogAnswers.push_back([&](QDialog& dialog) {
        TFileListFr* window = form->fileListFr();
        windowShown = window->isVisible();
        windowTexts = window->windowTitle() + QLatin1Char('|') + window->Label1->text() + QLatin1Char('|') +
                      window->Label2->text();
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        pdfDialogSeen = files.windowTitle() + QLatin1Char('|') + files.selectedFiles().value(0);
        files.selectFile(pdf);
        return int(QDialog::Accepted);
    });
    form->mnfileList->trigger();

    EXPECT_TRUE(filterShown.startsWith(QStringLiteral("All supported formats")));
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(windowTexts, QStringLiteral("ORLIKA File Listing|One moment please...|Printing File Listing."));
    EXPECT_EQ(pdfDialogSeen, QStringLiteral("Print the file listing to a PDF file|") +
                                 QDir::home().filePath(QStringLiteral("listing.pdf")));
    EXPECT_FALSE(form->fileListFr()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    ASSERT_TRUE(exists(pdf));
    EXPECT_EQ(state().FolderPath, folder().toStdString());
    EXPECT_TRUE(state().FileList.empty());

    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        process.waitForFinished(30000);
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("Listing of All .DST Embroidery Design Files in Folder - ") + folder()));
        EXPECT_TRUE(text.contains(QStringLiteral("d05.dst")));
        EXPECT_FALSE(text.contains(QStringLiteral("notes.txt")));
        EXPECT_TRUE(text.contains(QStringLiteral("Page 1")));
    }

    // The dialog opens on the filter it was last closed with.
    dialogAnswers.push_back([&](QDialog& dialog) {
        filterShown = dynamic_cast<QFileDialog&>(dialog).selectedNameFilter();
        return int(QDialog::Rejected);
    });
    form->mnfileList->trigger();
    EXPECT_TRUE(filterShown.startsWith(QStringLiteral("Tajima (DST)")));

    // A catalog is offered its own name, and each print remembers its own last file.
    const auto seePdfDialog = [&](const QString& choose) {
        dialogAnswers.push_back([&, choose](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            pdfDialogSeen = files.windowTitle() + QLatin1Char('|') + files.selectedFiles().value(0);
            files.selectFile(choose);
            return int(QDialog::Accepted);
        });
    };
    const QString catalogPdf = path(QStringLiteral("designs.pdf"));
    answerTitle(QStringLiteral("Catalog"));   // the listing's folder is open: no open dialog
    seePdfDialog(catalogPdf);
    form->Print1->trigger();
    EXPECT_EQ(pdfDialogSeen, QStringLiteral("Print the catalog to a PDF file|") +
                                 QDir::home().filePath(QStringLiteral("catalog.pdf")));
    EXPECT_TRUE(exists(catalogPdf));

    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.setDirectory(dir.path());
        files.selectFile(path(QStringLiteral("d01.dst")));
        return int(QDialog::Accepted);
    });
    seePdfDialog(pdf);
    form->mnfileList->trigger();
    EXPECT_EQ(pdfDialogSeen, QStringLiteral("Print the file listing to a PDF file|") + pdf);

    answerTitle(QStringLiteral("Catalog"));
    seePdfDialog(catalogPdf);
    form->Print1->trigger();
    EXPECT_EQ(pdfDialogSeen, QStringLiteral("Print the catalog to a PDF file|") + catalogPdf);
}

} // namespace
} // namespace orlika::test
