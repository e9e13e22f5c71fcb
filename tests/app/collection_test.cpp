// SPDX-License-Identifier: MIT
// Folder trees and zip archives from the window: Include Subfolders, the page of a tree,
// selecting a design inside an archive, copying it out and the refusal to move it.
#include "tests/app/AppFixture.h"

#include "app/DesignView.h"
#include "app/Filemove.h"
#include "app/FindDialog.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace orlika::test {
namespace {

class CollectionWindowTest : public AppTest {
protected:
    void answerDeleteYes()
    {
        QtHost& host = form->host();
        host.answerMessage = [this](const MessageRequest& request) {
            messages.push_back(request);
            return request.caption == "ORLIKA DELETE" && request.buttons == MessageButtons::YesNoCancel
                       ? MessageAnswer::Yes
                       : request.defaultAnswer;
        };
    }

    fs::path at(const std::string& relative) const { return fs::path(dir.path().toStdString()) / relative; }

    /// a.dst and b.dst, sub/c.dst, and box.zip holding z.dst.
    void makeTree()
    {
        writeBytes(at("a.dst"), gen::writeDst(gen::makeStar(150)));
        writeBytes(at("b.dst"), gen::writeDst(gen::makeStar(160)));
        writeBytes(at("sub/c.dst"), gen::writeDst(gen::makeStar(170)));
        writeZip(at("box.zip"), {{"z.dst", gen::writeDst(gen::makeStar(180))}});
    }
    void answerForm2(const QString& folder, bool copy)
    {
        dialogAnswers.push_back([folder, copy](QDialog& dialog) {
            auto& form2 = dynamic_cast<TForm2&>(dialog);
            form2.setDirectory(folder);
            if (form2.CopyBox1->isChecked() != copy)
                form2.CopyBox1->click();
            return int(QDialog::Accepted);
        });
    }
};

TEST_F(CollectionWindowTest, IncludeSubfoldersIsACheckItemOffAtStart)
{
    ASSERT_NE(form->IncludeSubfolders1, nullptr);
    EXPECT_TRUE(form->IncludeSubfolders1->isCheckable());
    EXPECT_FALSE(form->IncludeSubfolders1->isChecked());
    EXPECT_FALSE(state().IncludeSubfolders);
    form->IncludeSubfolders1->trigger();
    EXPECT_TRUE(form->IncludeSubfolders1->isChecked());
    EXPECT_TRUE(state().IncludeSubfolders);
    form->IncludeSubfolders1->trigger();
    EXPECT_FALSE(state().IncludeSubfolders);
}

TEST_F(CollectionWindowTest, ATreeRunShowsSubfoldersAndArchivesAndTheCommandsActOnTheDesignsShown)
{
    makeTree();
    answerOpen({"a.dst"});
    form->Open1->trigger();
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));

    form->IncludeSubfolders1->trigger();
    answerOpen({"a.dst"});
    form->Open1->trigger();
    const auto& names = form->catalog().pageOnDisplay().names;
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
              (std::vector<std::string>{"a.dst", "b.dst", "box.zip//z.dst", "sub/c.dst", ""}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED; this page in the top folder, box.zip, sub/"));

    // The design inside the archive is selected by its click, its name turning red.
    const QRect nameLine(644, 62, 250, 28);
    EXPECT_EQ(redPixels(nameLine), 0);
    rightClick(844, 154);
    EXPECT_EQ(state().SelectedList.names(), std::vector<std::string>{"box.zip//z.dst"});
    EXPECT_GT(redPixels(nameLine), 0);

    // Copied out under its own name.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    answerForm2(path(QStringLiteral("out")), true);
    form->MoveAllSelectedFiles1->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(readBytes(at("out/z.dst")), gen::writeDst(gen::makeStar(180)));
    EXPECT_TRUE(state().SelectedList.empty());

    // Moving it is refused and says why; the file beside it moves.
    const auto archive = readBytes(at("box.zip"));
    rightClick(844, 154);
    rightClick(172, 394);  // sub/c.dst
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("moved")));
    answerForm2(path(QStringLiteral("moved")), false);
    form->MoveAllSelectedFiles1->trigger();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().caption, "ORLIKA Copy/Move");
    EXPECT_NE(messages.front().text.find("Cannot move box.zip: z.dst."), std::string::npos);
    EXPECT_TRUE(fs::exists(at("moved/c.dst")));
    EXPECT_FALSE(fs::exists(at("moved/z.dst")));
    EXPECT_EQ(readBytes(at("box.zip")), archive);
}

TEST_F(CollectionWindowTest, ADesignInsideAnArchiveOpensInTheDesignView)
{
    makeTree();
    form->IncludeSubfolders1->trigger();
    answerOpen({"a.dst"});
    form->Open1->trigger();
    ASSERT_EQ(form->catalog().pageOnDisplay().names[2], "box.zip//z.dst");
    QString name, figures;
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& view = dynamic_cast<DesignView&>(dialog);
        name = QString::fromStdString(view.picture().name);
        figures = QString::fromStdString(view.picture().folder);
        // Page Down goes on to the design of the subfolder, after the archive's.
        QTest::keyClick(view.canvas(), Qt::Key_PageDown);
        EXPECT_EQ(view.picture().name, "c.dst");
        return int(QDialog::Rejected);
    });
    QTest::mouseDClick(form->Page, Qt::LeftButton, {}, QPoint(844, 154));
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    EXPECT_EQ(name, QStringLiteral("box.zip: z.dst"));
    EXPECT_EQ(figures, folder());
}

TEST_F(CollectionWindowTest, OpenFolderShowsAFolderOfSubfoldersAndOffersToIncludeThem)
{
    writeBytes(at("sub1/a.dst"), gen::writeDst(gen::makeStar(150)));
    writeBytes(at("sub2/b.pes"), gen::writePes(gen::makeStar(160)));
    EXPECT_EQ(form->OpenFolder1->text(), QStringLiteral("Open Fol&der..."));
    EXPECT_EQ(form->File1->actions().indexOf(form->OpenFolder1),
              form->File1->actions().indexOf(form->OpenSelectedFiles1) + 1);
    const auto chooseFolder = [this](const QString& chosen) {
        dialogAnswers.push_back([chosen](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            EXPECT_EQ(files.objectName(), QStringLiteral("OpenFolderDialog"));
            EXPECT_EQ(files.fileMode(), QFileDialog::Directory);
            files.selectFile(chosen);
            return int(QDialog::Accepted);
        });
    };
    MessageAnswer answer = MessageAnswer::No;
    form->host().answerMessage = [&](const MessageRequest& request) {
        messages.push_back(request);
        return answer;
    };
    // Nothing in the folder itself: the status says so and the user is offered its subfolders.
    state().OpenDialog1.FilterIndex = FilterIndex(5);  // a format's filter chosen before
    chooseFolder(dir.path());
    form->OpenFolder1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No Files Found"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "There is no design file in " + folder().toStdString() +
                                    " itself. File > Include Subfolders shows the designs in its subfolders "
                                    "too.\n\nTurn Include Subfolders on and show them?");
    EXPECT_EQ(messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(form->IncludeSubfolders1->isChecked());
    // It runs under "All supported formats", whatever filter the open dialog had.
    EXPECT_EQ(state().OpenDialog1.FilterIndex, FilterIndex::AllSupported);
    EXPECT_EQ(state().FileKind, FileKind::AllSupported);

    // Yes turns Include Subfolders on and shows the tree.
    answer = MessageAnswer::Yes;
    chooseFolder(dir.path());
    form->OpenFolder1->trigger();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(form->IncludeSubfolders1->isChecked());
    EXPECT_TRUE(state().IncludeSubfolders);
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"sub1/a.dst", "sub2/b.pes"}));
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED; this page in sub1/, sub2/"));

    // With Include Subfolders on it shows the tree at once.
    chooseFolder(dir.path());
    form->OpenFolder1->trigger();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(state().FileList.count(), 2);

    // A folder with nothing below it says " No Files Found" alone.
    form->IncludeSubfolders1->trigger();
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub1/empty")));
    chooseFolder(path(QStringLiteral("sub1/empty")));
    form->OpenFolder1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No Files Found"));
    EXPECT_EQ(messages.size(), 2u);

    // A folder with designs shows them, as Open at Beginning of one of them would.
    chooseFolder(path(QStringLiteral("sub1")));
    form->OpenFolder1->trigger();
    EXPECT_EQ(state().FileList.names(), std::vector<std::string>{"a.dst"});
    EXPECT_EQ(state().FolderPath, (folder() + QStringLiteral("sub1/")).toStdString());
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
}

// Find Designs and Find Duplicates keep their index in the test's own cache folder.
class FindWindowTest : public CollectionWindowTest {
protected:
    QTemporaryDir cache;
    std::optional<std::string> savedCache;

    void SetUp() override
    {
        if (const char* value = std::getenv("XDG_CACHE_HOME"))
            savedCache = value;
        setenv("XDG_CACHE_HOME", cache.path().toLocal8Bit().constData(), 1);
        CollectionWindowTest::SetUp();
    }
    void TearDown() override
    {
        CollectionWindowTest::TearDown();
        if (savedCache)
            setenv("XDG_CACHE_HOME", savedCache->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }

    /// a.dst (about 30 mm), b.dst (about 240 mm), sub/c.pes (about 60 mm), box.zip: z.exp.
    void makeSizedTree()
    {
        writeBytes(at("a.dst"), gen::writeDst(gen::makeStar(150)));
        writeBytes(at("b.dst"), gen::writeDst(gen::makeStar(1200)));
        writeBytes(at("sub/c.pes"), gen::writePes(gen::makeStar(300)));
        writeZip(at("box.zip"), {{"z.exp", gen::writeExp(gen::makeStar(200))}});
    }
    /// Plays the user in Find Designs: the folder, a hoop of the list, the box.
    void answerFind(int hoop, bool selectAll, int button, const QString& name = {})
    {
        dialogAnswers.push_back([this, hoop, selectAll, button, name](QDialog& dialog) {
            auto& find = dynamic_cast<TFindDialog&>(dialog);
            find.FolderEdit->setText(dir.path());
            find.HoopCombo->setCurrentIndex(hoop);
            find.NameEdit->setText(name);
            find.SelectAllBox->setChecked(selectAll);
            return button;
        });
    }
};

TEST_F(FindWindowTest, FindDesignsShowsWhatFitsTheHoopAsARunAndSelectsItAll)
{
    makeSizedTree();
    EXPECT_EQ(form->FindDesigns1->text(), QStringLiteral("F&ind Designs..."));
    answerFind(2, true, TFindDialog::kShow);  // 130 x 180 mm
    form->FindDesigns1->trigger();
    EXPECT_EQ(dialogsShown, (std::vector<QString>{QStringLiteral("FindDialog")}));
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"a.dst", "box.zip//z.exp", "sub/c.pes"}));
    EXPECT_EQ(state().SelectedList.names(), state().FileList.names());
    EXPECT_TRUE(form->LSelected->isVisible());
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 3"));
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->statusCaption().startsWith(QStringLiteral(" FINISHED"))) << form->statusCaption().toStdString();
    EXPECT_TRUE(fs::is_regular_file(cache.path().toStdString() + "/orlika/index.sqlite"));
    EXPECT_GT(inkedPixels(), 0);

    // Without the box, the designs are shown and none is selected.
    answerFind(2, false, TFindDialog::kShow, QStringLiteral("*.dst"));
    form->FindDesigns1->trigger();
    EXPECT_EQ(state().FileList.names(), std::vector<std::string>{"a.dst"});
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
}

TEST_F(FindWindowTest, FindDesignsPrintsACatalogTitledByTheQuery)
{
    makeSizedTree();
    answerFind(2, false, TFindDialog::kPrint);
    QString titleShown;
    answerTitle(QStringLiteral("Hoop 130 x 180"), &titleShown);
    const QString pdf = path(QStringLiteral("found.pdf"));
    if (QPrinterInfo::availablePrinters().isEmpty())
        answerPdfName(pdf);
    form->FindDesigns1->trigger();
    EXPECT_EQ(titleShown, QStringLiteral("Found: fits 130 x 180 mm"));
    EXPECT_EQ(form->lastPagesPrinted(), 1);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        EXPECT_TRUE(fs::is_regular_file(pdf.toStdString()));
    }
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED PRINTING"));
}

TEST_F(FindWindowTest, AQueryThatCannotBeReadIsToldAndNothingRuns)
{
    makeSizedTree();
    dialogAnswers.push_back([this](QDialog& dialog) {
        auto& find = dynamic_cast<TFindDialog&>(dialog);
        find.FolderEdit->setText(dir.path());
        find.StitchesMinEdit->setText(QStringLiteral("many"));
        return TFindDialog::kShow;
    });
    form->FindDesigns1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "ORLIKA Find");
    EXPECT_EQ(messages[0].text, "The stitches need whole numbers, the smaller first.");
    EXPECT_TRUE(state().FileList.empty());

    // The dialog keeps what was typed; once the stitches are put right, a query nothing
    // matches says so.
    dialogAnswers.push_back([](QDialog& dialog) {
        auto& find = dynamic_cast<TFindDialog&>(dialog);
        EXPECT_EQ(find.StitchesMinEdit->text(), QStringLiteral("many"));
        find.StitchesMinEdit->clear();
        find.HoopCombo->setCurrentIndex(1);
        find.NameEdit->setText(QStringLiteral("nothing*"));
        return TFindDialog::kShow;
    });
    form->FindDesigns1->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No designs found: name nothing*, fits 100 x 100 mm"));
    // Cancel runs nothing.
    cancelDialog();
    form->FindDesigns1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" No designs found: name nothing*, fits 100 x 100 mm"));
}

/// Every file under a folder with its bytes, by its path under the folder.
std::map<std::string, std::vector<std::uint8_t>> filesUnder(const fs::path& folder)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = readBytes(entry.path());
    return files;
}

TEST_F(FindWindowTest, FindDuplicatesSelectsOnlyByteCopiesAndDeleteChecksThemAgain)
{
    const gen::Design star = gen::makeStar(150);
    writeBytes(at("star.dst"), gen::writeDst(star));
    writeBytes(at("star.pes"), gen::writePes(star));
    writeBytes(at("sub/copy.dst"), gen::writeDst(star));
    writeBytes(at("other.dst"), gen::writeDst(gen::makeStar(160)));
    writeZip(at("box.zip"), {{"circle.exp", gen::writeExp(gen::makeFilledCircle(100))}});
    writeBytes(at("sub/circle.dst"), gen::writeDst(gen::makeFilledCircle(100)));
    const auto findDuplicates = [this] {
        dialogAnswers.push_back([this](QDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("DuplicatesFolderDialog"));
            dynamic_cast<QFileDialog&>(dialog).selectFile(dir.path());
            return int(QDialog::Accepted);
        });
        form->FindDuplicates1->trigger();
    };
    findDuplicates();
    // Each group together, the copy kept first; only the byte copy of star.dst is selected:
    // the same stitches in another format are shown, never selected.
    EXPECT_EQ(state().FileList.names(), (std::vector<std::string>{"star.dst", "sub/copy.dst", "star.pes",
                                                                  "box.zip//circle.exp", "sub/circle.dst"}));
    EXPECT_EQ(state().SelectedList.names(), (std::vector<std::string>{"sub/copy.dst"}));
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    // Delete takes exactly the copy, into the trash as it was; nothing else changes a byte.
    auto before = filesUnder(at(""));
    answerDeleteYes();
    form->DeleteSelected1->trigger();
    const auto copy = before.extract("sub/copy.dst");
    EXPECT_EQ(filesUnder(at("")), before);
    EXPECT_EQ(readBytes(qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/Trash/files/copy.dst"), copy.mapped());

    // A copy changed after it was found is not deleted, and the summary names it.
    writeBytes(at("sub/copy2.dst"), gen::writeDst(star));
    findDuplicates();
    ASSERT_EQ(state().SelectedList.names(), (std::vector<std::string>{"sub/copy2.dst"}));
    auto edited = gen::writeDst(star);
    edited[600] ^= 0x01;
    writeBytes(at("sub/copy2.dst"), edited);
    before = filesUnder(at(""));
    messages.clear();
    form->DeleteSelected1->trigger();
    EXPECT_EQ(filesUnder(at("")), before);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "0 of 1 deleted; not deleted: sub/copy2.dst\n\nNo longer the same as the copy kept, "
                                "so not deleted: sub/copy2.dst");
}

} // namespace
} // namespace orlika::test
