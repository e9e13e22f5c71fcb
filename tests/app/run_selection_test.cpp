// SPDX-License-Identifier: MIT
// The window's selection model over the designs of the run on the pages: its rows follow
// the runs, the core's selection and the page follow it, and a design gone leaves both.
#include "tests/app/AppFixture.h"

#include "app/Filemove.h"
#include "app/RunDesignsModel.h"

#include <QAbstractItemModelTester>
#include <QDir>

namespace orlika::test {
namespace {

using Names = std::vector<std::string>;

// Standard layout on the 1000 x 600 page: a point in the picture half of a cell, and the
// area of its name line.
QPoint pictureHalf(int cell)
{
    return QPoint(72 + (cell % 3) * 286 + 100, (cell < 3 ? 204 : 444) - 50);
}

QRect nameArea(int cell)
{
    const int x = 72 + (cell % 3) * 286;
    const int bandTop = (cell < 3 ? 204 : 444) - 120;
    return QRect(x, bandTop - 22, 60, 22);
}

Names entriesOf(const RunDesignsModel& model)
{
    Names entries;
    for (int row = 0; row < model.rowCount(); ++row)
        entries.push_back(model.entryAt(row));
    return entries;
}

std::vector<int> selectedRows(const QItemSelectionModel& selection)
{
    std::vector<int> rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

class RunSelectionTest : public AppTest {
protected:
    RunDesignsModel& rows() { return form->selection().designs(); }
    QItemSelectionModel& selection() { return form->selection().selectionModel(); }

    /// d01 to dNN on one page (the run ends without waiting).
    void showDesigns(int count)
    {
        makeDesigns(count);
        answerOpen({"d01.dst"});
        form->Open1->trigger();
        ASSERT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    }
    void rightClickCell(int cell) { rightClick(pictureHalf(cell).x(), pictureHalf(cell).y()); }
    void answerYesToDelete()
    {
        form->host().answerMessage = [this](const MessageRequest& request) {
            messages.push_back(request);
            return request.caption == "ORLIKA DELETE" ? MessageAnswer::Yes : request.defaultAnswer;
        };
    }
    void answerMoveTo(const QString& destination, bool copy)
    {
        dialogAnswers.push_back([destination, copy](QDialog& dialog) {
            auto& form2 = dynamic_cast<TForm2&>(dialog);
            form2.setDirectory(destination);
            if (form2.CopyBox1->isChecked() != copy)
                form2.CopyBox1->click();
            return int(QDialog::Accepted);
        });
    }
};

TEST_F(RunSelectionTest, TheRowsAreTheDesignsOfEachRunOnScreenSelectedAsTheCoreHasThem)
{
    EXPECT_EQ(rows().rowCount(), 0);
    showDesigns(5);
    EXPECT_EQ(entriesOf(rows()), (Names{"d01.dst", "d02.dst", "d03.dst", "d04.dst", "d05.dst"}));
    EXPECT_EQ(rows().folder(), folder().toStdString());
    EXPECT_EQ(rows().data(rows().index(2)).toString(), QStringLiteral("d03.dst"));
    EXPECT_TRUE(selectedRows(selection()).empty());

    rightClickCell(1);
    rightClickCell(3);
    EXPECT_EQ(selectedRows(selection()), (std::vector<int>{1, 3}));

    // A run of the selection alone: its rows are those two, both still selected.
    form->DisplaySelectedFiles1->trigger();
    EXPECT_EQ(entriesOf(rows()), (Names{"d02.dst", "d04.dst"}));
    EXPECT_EQ(selectedRows(selection()), (std::vector<int>{0, 1}));
    rightClickCell(0);
    EXPECT_EQ(selectedRows(selection()), std::vector<int>{1});
    EXPECT_EQ(state().SelectedList.names(), Names{"d04.dst"});

    // Opening the folder again starts a new selection.
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    EXPECT_EQ(rows().rowCount(), 5);
    EXPECT_TRUE(selectedRows(selection()).empty());
}

TEST_F(RunSelectionTest, WhatTheSelectionModelSelectsIsTheCoresSelectionAndIsRedOnThePage)
{
    showDesigns(5);
    selection().select(rows().index(2), QItemSelectionModel::Select);
    EXPECT_EQ(state().SelectedList.names(), Names{"d03.dst"});
    EXPECT_EQ(state().SelectedFolder, folder().toStdString());
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_GT(redPixels(nameArea(2)), 20);
    EXPECT_EQ(redPixels(nameArea(1)), 0);

    selection().select(rows().index(4), QItemSelectionModel::Select);
    EXPECT_EQ(state().SelectedList.names(), (Names{"d03.dst", "d05.dst"}));
    EXPECT_GT(redPixels(nameArea(4)), 20);

    selection().select(rows().index(2), QItemSelectionModel::Deselect);
    EXPECT_EQ(state().SelectedList.names(), Names{"d05.dst"});
    EXPECT_LT(redPixels(nameArea(2)), 5);
    EXPECT_GT(redPixels(nameArea(4)), 20);

    selection().clearSelection();
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    EXPECT_LT(redPixels(nameArea(4)), 5);
}

TEST_F(RunSelectionTest, ARightClickTogglesTheRowOfTheDesignUnderItAndNothingElse)
{
    showDesigns(5);
    rightClickCell(3);
    EXPECT_EQ(selectedRows(selection()), std::vector<int>{3});
    rightClickCell(3);
    EXPECT_TRUE(selectedRows(selection()).empty());
    // Outside every cell, and on the empty sixth cell.
    rightClick(20, 20);
    rightClickCell(5);
    EXPECT_TRUE(selectedRows(selection()).empty());
    EXPECT_TRUE(state().SelectedList.empty());
}

TEST_F(RunSelectionTest, ACommandThatEndsTheSelectionEndsTheRowsSelectionToo)
{
    showDesigns(3);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dest")));
    rightClickCell(0);
    rightClickCell(2);
    answerMoveTo(folder() + QStringLiteral("dest"), true);
    form->MoveAllSelectedFiles1->trigger();
    ASSERT_TRUE(QFileInfo::exists(folder() + QStringLiteral("dest/d03.dst")));
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_TRUE(selectedRows(selection()).empty());
    EXPECT_EQ(rows().rowCount(), 3);  // copies: every design is still there
    EXPECT_LT(redPixels(nameArea(0)), 5);
    // So the next click selects d01 again rather than taking it out of a selection gone.
    rightClickCell(0);
    EXPECT_EQ(state().SelectedList.names(), Names{"d01.dst"});
    EXPECT_GT(redPixels(nameArea(0)), 20);
}

TEST_F(RunSelectionTest, DesignsDeletedOrMovedLeaveTheRowsAndTheSelectionForGood)
{
    showDesigns(5);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dest")));
    rightClickCell(0);
    rightClickCell(2);
    answerYesToDelete();
    form->DeleteSelected1->trigger();
    ASSERT_FALSE(QFileInfo::exists(path(QStringLiteral("d01.dst"))));
    EXPECT_EQ(entriesOf(rows()), (Names{"d02.dst", "d04.dst", "d05.dst"}));
    EXPECT_EQ(rows().rowOf("d01.dst"), -1);
    EXPECT_EQ(rows().rowOf("d05.dst"), 2);
    EXPECT_TRUE(selectedRows(selection()).empty());
    rightClickCell(0);
    EXPECT_TRUE(selectedRows(selection()).empty());
    EXPECT_TRUE(state().SelectedList.empty());

    // d02 and d04 move away; d05, last, cannot (its name is taken there), so the selection
    // stays: the rows moved leave it, d05 stays in it.
    writeFile(QStringLiteral("dest/d05.dst"), {1, 2, 3});
    rightClickCell(1);
    rightClickCell(3);
    rightClickCell(4);
    ASSERT_EQ(selectedRows(selection()), (std::vector<int>{0, 1, 2}));
    answerMoveTo(folder() + QStringLiteral("dest"), false);
    form->MoveAllSelectedFiles1->trigger();
    ASSERT_FALSE(QFileInfo::exists(path(QStringLiteral("d04.dst"))));
    ASSERT_TRUE(QFileInfo::exists(path(QStringLiteral("d05.dst"))));
    EXPECT_EQ(entriesOf(rows()), Names{"d05.dst"});
    EXPECT_EQ(selectedRows(selection()), std::vector<int>{0});
    EXPECT_EQ(state().SelectedList.names(), Names{"d05.dst"});
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 1"));
    rightClickCell(3);
    EXPECT_EQ(state().SelectedList.names(), Names{"d05.dst"});
    rightClickCell(4);
    EXPECT_TRUE(selectedRows(selection()).empty());
    EXPECT_TRUE(state().SelectedList.empty());
}

TEST(RunDesignsModel, RemovingEntriesKeepsTheOthersInOrderAndSelected)
{
    RunDesignsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRun("/f/", {"a.dst", "b.dst", "c.dst", "d.dst", "e.dst", "f.dst"});
    QItemSelectionModel selection(&model);
    for (const int row : {0, 1, 3, 5})
        selection.select(model.index(row), QItemSelectionModel::Select);

    model.removeEntries("/other/", {"a.dst"});
    model.removeEntries("/f/", {"zz.dst"});
    EXPECT_EQ(model.rowCount(), 6);

    model.removeEntries("/f/", {"e.dst", "b.dst", "d.dst", "b.dst"});
    EXPECT_EQ(entriesOf(model), (Names{"a.dst", "c.dst", "f.dst"}));
    EXPECT_EQ(model.rowOf("c.dst"), 1);
    EXPECT_EQ(model.rowOf("f.dst"), 2);
    EXPECT_EQ(model.rowOf("d.dst"), -1);
    EXPECT_EQ(selectedRows(selection), (std::vector<int>{0, 2}));

    model.setRun("/g/", {"x.dst"});
    EXPECT_EQ(model.folder(), "/g/");
    EXPECT_EQ(model.rowOf("x.dst"), 0);
    EXPECT_TRUE(selectedRows(selection).empty());
}

} // namespace
} // namespace orlika::test
