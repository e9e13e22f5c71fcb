// SPDX-License-Identifier: MIT
// Folder trees and zip archives from the window: Include Subfolders, the page of a tree,
// selecting a design inside an archive, copying it out and the refusal to move it.
#include "tests/app/AppFixture.h"

#include "app/Filemove.h"
#include "tests/support/TreeFiles.h"

#include <QCheckBox>
#include <QDir>

namespace orlika::test {
namespace {

class CollectionWindowTest : public AppTest {
protected:
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

} // namespace
} // namespace orlika::test
