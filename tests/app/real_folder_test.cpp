// SPDX-License-Identifier: MIT
// The window on a folder as users have them: entries that cannot be opened, names that
// differ only in letter case, a long name. Every click, copy and delete acts on exactly
// the file its cell shows.
#include "tests/app/AppFixture.h"

#include "app/Filemove.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>

#include <unistd.h>

namespace orlika::test {
namespace {

const char* const kLongName = "c1_andkoma__nautical_anchor_with_a_rope_and_chain.dst";

class RealFolderWindowTest : public AppTest {
protected:
    /// The designs of the messy folder in the order a run shows them. Before them in the
    /// list stand a folder, a dangling link and a link loop, which no cell shows.
    std::vector<std::string> shown;

    void makeMessyFolder()
    {
        QDir(dir.path()).mkdir(QStringLiteral("a_folder.pes"));
        ASSERT_EQ(::symlink("a_gone.exp", path(QStringLiteral("a_dangling.exp")).toLocal8Bit().constData()), 0);
        ASSERT_EQ(::symlink("a_loop2.dst", path(QStringLiteral("a_loop1.dst")).toLocal8Bit().constData()), 0);
        ASSERT_EQ(::symlink("a_loop1.dst", path(QStringLiteral("a_loop2.dst")).toLocal8Bit().constData()), 0);
        writeFile(QString::fromLatin1(kLongName), gen::writeDst(gen::makeStar(180)));
        makeDesigns(12);
        // Twins of different designs, so a copy shows which one it took.
        writeFile(QStringLiteral("twin.DST"), gen::writeDst(gen::makeStar(200)));
        writeFile(QStringLiteral("twin.dst"), gen::writeDst(gen::makeStar(300)));
        shown = {kLongName};
        for (int i = 1; i <= 12; ++i)
            shown.push_back(designName(i));
        shown.push_back("twin.DST");
        shown.push_back("twin.dst");
    }
    /// A point in the picture half of cell k of the page on display.
    QPoint pictureOf(int k)
    {
        const CellPoint origin = state().CellOrigin[std::size_t(k)];
        return {origin.X + state().CellWidth / 4, origin.Y - state().HalfCellHeight / 2};
    }
    /// The name line above cell k.
    QRect nameAreaOf(int k)
    {
        const CellPoint origin = state().CellOrigin[std::size_t(k)];
        const int bandTop = origin.Y - state().HalfCellHeight;
        return {origin.X, bandTop - 20, state().CellWidth - 2, 20};
    }
    /// Right-clicks every cell of the page on display twice, checking that each click
    /// toggles exactly the design the page shows there, from `first` in `shown` on.
    void clickEveryCell(std::size_t first)
    {
        for (int k = 0; k < state().CellsPerPage; ++k) {
            const std::size_t at = first + std::size_t(k);
            rightClick(pictureOf(k).x(), pictureOf(k).y());
            if (at >= shown.size()) {
                EXPECT_TRUE(state().SelectedList.empty()) << "empty cell " << k;
                continue;
            }
            EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{shown[at]}) << "cell " << k;
            rightClick(pictureOf(k).x(), pictureOf(k).y());
            EXPECT_TRUE(state().SelectedList.empty()) << "cell " << k;
        }
    }
    QImage nameImage(int k)
    {
        form->page().flush();
        return form->page().image().copy(nameAreaOf(k));
    }
};

TEST_F(RealFolderWindowTest, EveryCellActsOnTheDesignItShowsInEveryLayoutAndPage)
{
    makeMessyFolder();
    for (QAction* TForm1::*layout : {&TForm1::Standard, &TForm1::StandardWoRemarks, &TForm1::N12page1,
                                     &TForm1::N20page1, &TForm1::N30page1, &TForm1::Enlarged}) {
        (form->*layout)->trigger();
        SCOPED_TRACE(form->LLayOut->text().toStdString());
        answerOpen({"d01.dst"});
        std::size_t first = 0;
        std::vector<std::size_t> starts;
        // Forward through every page, then back one with Prev; the run ends at the page
        // after that with Cancel.
        std::function<void()> page = [&] {
            const auto cells = std::size_t(state().CellsPerPage);
            first = starts.empty() ? 0 : starts.back() + cells;
            starts.push_back(first);
            clickEveryCell(first);
            EXPECT_EQ(form->SBPrev->isVisible(), starts.size() > 1);
            if (first + cells < shown.size()) {
                onWait(page);  // the next page
                click(form->SBButton);
            } else if (starts.size() > 1) {
                onWait([&] {
                    clickEveryCell(starts[starts.size() - 2]);
                    click(form->SBCancel);
                });
                click(form->SBPrev);
            } else {
                click(form->SBButton);
            }
        };
        const bool severalPages = state().PageColumns * state().PageRows < int(shown.size());
        if (severalPages)
            onWait(page);
        form->Open1->trigger();
        EXPECT_EQ(state().FileList.count(), int(shown.size()) + 4);
        if (!severalPages)
            clickEveryCell(0);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(RealFolderWindowTest, SelectedCommandsActOnExactlyTheFilesClickedAndNamesFollowTheSelection)
{
    makeMessyFolder();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dest")));
    answerOpen({"d01.dst"});
    onWait([&] { click(form->SBButton); });
    onWait([&] { click(form->SBButton); });
    onWait([&] {
        // Page 3 of the standard layout: d12, twin.DST, twin.dst.
        rightClick(pictureOf(2).x(), pictureOf(2).y());
        rightClick(pictureOf(0).x(), pictureOf(0).y());
        click(form->SBPrev);
    });
    onWait([&] {
        rightClick(pictureOf(0).x(), pictureOf(0).y());  // d06
        click(form->SBCancel);
    });
    form->Open1->trigger();
    const std::vector<std::string> chosen = {"d06.dst", "d12.dst", "twin.dst"};
    ASSERT_EQ(state().SelectedList.names(), chosen);

    form->DisplaySelectedFiles1->trigger();
    EXPECT_EQ(state().FileList.names(), chosen);
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(redPixels(nameAreaOf(k)), 20) << k;

    // Copy: exactly the three, twin.dst and not its twin.
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& form2 = dynamic_cast<TForm2&>(dialog);
        form2.setDirectory(path(QStringLiteral("dest")));
        form2.CopyBox1->setChecked(true);
        return int(QDialog::Accepted);
    });
    form->MoveAllSelectedFiles1->trigger();
    QStringList copied = QDir(path(QStringLiteral("dest"))).entryList(QDir::Files);
    EXPECT_EQ(copied, (QStringList{"d06.dst", "d12.dst", "twin.dst"}));
    QFile source(path(QStringLiteral("twin.dst")));
    QFile copy(path(QStringLiteral("dest/twin.dst")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), source.readAll());
    // The selection is empty now, and so are the names on the page of their red.
    EXPECT_TRUE(state().SelectedList.empty());
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(redPixels(nameAreaOf(k)), 0) << k;

    // Delete: exactly the clicked twin.
    rightClick(pictureOf(2).x(), pictureOf(2).y());
    ASSERT_EQ(state().SelectedList.names(), std::vector<std::string>{"twin.dst"});
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return MessageAnswer::Yes;
    };
    form->DeleteSelected1->trigger();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("twin.dst"))));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("twin.DST"))));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("d06.dst"))));
    EXPECT_EQ(redPixels(nameAreaOf(2)), 0);
}

TEST_F(RealFolderWindowTest, ANameDeselectedIsPixelIdenticalToOneNeverSelected)
{
    makeDesigns(3);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    for (int k = 0; k < 3; ++k) {
        const QImage never = nameImage(k);
        rightClick(pictureOf(k).x(), pictureOf(k).y());
        EXPECT_GT(redPixels(nameAreaOf(k)), 20);
        rightClick(pictureOf(k).x(), pictureOf(k).y());
        EXPECT_EQ(nameImage(k), never) << "cell " << k;
    }
}

TEST_F(RealFolderWindowTest, ADestinationThatIsAFileKeepsForm2OpenAndOneNotThereYetCloses)
{
    TForm2& form2 = *forms.Form2;
    form2.show();
    makeDesigns(1);
    const QString file = path(QStringLiteral("d01.dst"));
    form2.setDirectory(file);
    form2.BBOK->click();
    EXPECT_TRUE(form2.isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "ORLIKA Copy/Move");
    EXPECT_EQ(messages[0].text, file.toStdString() +
                                    " is not an existing folder that can be written to. Choose another destination.");
    // A folder not there yet is offered to be made after the dialog (the copy command asks).
    for (const QString& good : {path(QStringLiteral("no/such/folder")), dir.path()}) {
        messages.clear();
        form2.show();
        form2.setDirectory(good);
        form2.BBOK->click();
        EXPECT_FALSE(form2.isVisible()) << good.toStdString();
        EXPECT_EQ(form2.result(), int(QDialog::Accepted));
        EXPECT_TRUE(messages.empty());
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no"))));
}

} // namespace
} // namespace orlika::test
