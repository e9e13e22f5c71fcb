// SPDX-License-Identifier: MIT
// Selected > Convert To from the window: the menu item, the dialog, the run of conversions
// with its summary, names that exist, designs too large for the hoop and designs inside
// archives.
#include "tests/app/AppFixture.h"

#include "app/ConvertDialog.h"
#include "decoders/Registry.h"
#include "encoders/Needles.h"
#include "encoders/Profiles.h"
#include "platform/FileSystem.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/ExpWriter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>

#include <algorithm>
#include <map>
#include <optional>

namespace orlika::test {
namespace {

struct ConvertChoice {
    QString machine = QStringLiteral("Tajima DST");  // the start of an entry's text
    QString format{};                                // for "Custom"
    int hoopWidth = 0;
    int hoopHeight = 0;
    bool turn = false;
    QString folder{};
    NameExists nameExists = NameExists::Ask;
};

/// An oblong of stitches `width` x `height` in 0.1 mm.
gen::Design oblong(int width, int height)
{
    gen::Design design;
    design.name = "oblong";
    design.threads = {1};
    design.stitch(0, 0);
    design.runTo(width, 0);
    design.runTo(width, height);
    design.runTo(0, height);
    design.runTo(0, 0);
    return design;
}

class ConvertWindowTest : public AppTest {
protected:
    fs::path at(const QString& relative) const { return fs::path((folder() + relative).toStdString()); }
    QString out() const { return folder() + QStringLiteral("out"); }

    void copySample(const char* name)
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ORLIKA_SAMPLES "/") + QLatin1String(name), path(QLatin1String(name))));
    }
    /// Shows the folder's designs (one page: the run ends without waiting) and selects the
    /// cells of the first row given.
    void showAndSelect(const QString& first, const std::vector<int>& cells)
    {
        answerOpen({first});
        form->Open1->trigger();
        for (int cell : cells)
            rightClick(172 + cell * 286, 154);
        ASSERT_EQ(state().SelectedList.count(), int(cells.size()));
    }
    void answerConvert(const ConvertChoice& choice)
    {
        dialogAnswers.push_back([choice](QDialog& dialog) {
            auto& convert = dynamic_cast<TConvertDialog&>(dialog);
            const int machine = convert.MachineCombo->findText(choice.machine, Qt::MatchStartsWith);
            EXPECT_GE(machine, 0) << choice.machine.toStdString();
            convert.MachineCombo->setCurrentIndex(machine);
            if (!choice.format.isEmpty())
                convert.FormatCombo->setCurrentIndex(convert.FormatCombo->findText(choice.format));
            convert.HoopWidthSpin->setValue(choice.hoopWidth);
            convert.HoopHeightSpin->setValue(choice.hoopHeight);
            convert.TurnBox->setChecked(choice.turn);
            convert.FolderEdit->setText(choice.folder);
            QRadioButton* nameExists = choice.nameExists == NameExists::Skip      ? convert.SkipButton
                                       : choice.nameExists == NameExists::Replace ? convert.ReplaceButton
                                                                                  : convert.AskButton;
            nameExists->setChecked(true);
            return int(QDialog::Accepted);
        });
    }
    /// The boxes with the caption of the conversions.
    std::vector<MessageRequest> convertMessages() const
    {
        std::vector<MessageRequest> found;
        for (const MessageRequest& message : messages)
            if (message.caption == "ORLIKA Convert")
                found.push_back(message);
        return found;
    }
    /// The bytes the test trash holds of a file that was at `original`; empty when none.
    static QByteArray trashedBytes(const QString& original)
    {
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/");
        QDirIterator infos(trash + QStringLiteral("info"), {QStringLiteral("*.trashinfo")}, QDir::Files);
        while (infos.hasNext()) {
            QFile info(infos.next());
            if (!info.open(QIODevice::ReadOnly) || !info.readAll().contains("Path=" + original.toUtf8() + "\n"))
                continue;
            QFile file(trash + QStringLiteral("files/") + infos.fileInfo().completeBaseName());
            if (file.open(QIODevice::ReadOnly))
                return file.readAll();
        }
        return {};
    }
    static QByteArray bytesOf(const QString& file)
    {
        QFile opened(file);
        return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
    }
    /// A written design read back by its format's reader: its stitches and their box;
    /// nothing when there is no such file.
    static std::optional<NeedleSummary> readBack(const QString& file)
    {
        PosixFileSystem disk;
        const std::string name = file.toStdString();
        const Reader* reader = readerOfName(namePart(name));
        const auto opened = disk.openRead(name);
        if (!reader || !opened)
            return std::nullopt;
        DesignNeedles needles(*reader, *opened, name);
        return summarize(needles, needles.firstColor());
    }
    static std::int64_t stitchesOf(const QString& file)
    {
        const auto summary = readBack(file);
        return summary ? summary->stitches : -1;
    }
};

TEST_F(ConvertWindowTest, TheMenuItemFollowsTheSelection)
{
    // No selection: the menu is off and the command does nothing.
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    form->ConvertTo1->trigger();
    EXPECT_TRUE(dialogsShown.empty());

    copySample("star.exp");
    copySample("orlika.pes");
    showAndSelect(QStringLiteral("orlika.pes"), {1});
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_EQ(form->ConvertTo1->isEnabled(), form->MoveAllSelectedFiles1->isEnabled());
    EXPECT_TRUE(form->ConvertTo1->isEnabled());
    rightClick(172 + 286, 154);  // the same design again: nothing selected
    EXPECT_TRUE(state().SelectedList.empty());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
}

TEST_F(ConvertWindowTest, TheDialogListsEveryMachineAndOnlyThoseWithAWriterCanBeChosen)
{
    TConvertDialog& dialog = form->convertDialog();
    const auto profiles = machineProfiles();
    ASSERT_EQ(dialog.MachineCombo->count(), int(profiles.size()) + 1);
    EXPECT_EQ(dialog.MachineCombo->itemText(dialog.customIndex()), QStringLiteral("Custom"));
    const auto* model = qobject_cast<QStandardItemModel*>(dialog.MachineCombo->model());
    ASSERT_NE(model, nullptr);
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const QString text = dialog.MachineCombo->itemText(int(i));
        const bool written = targetOf(profiles[i]).encoder != nullptr;
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(profiles[i].name.data(), qsizetype(profiles[i].name.size()))));
        EXPECT_EQ(text.endsWith(QStringLiteral(" (no writer for that format yet)")), !written) << text.toStdString();
        EXPECT_EQ(model->item(int(i))->isEnabled(), written) << text.toStdString();
    }
    EXPECT_TRUE(model->item(dialog.MachineCombo->currentIndex())->isEnabled());
    ASSERT_EQ(dialog.FormatCombo->count(), int(encoders().size()));
    EXPECT_EQ(dialog.FormatCombo->itemText(0), QStringLiteral("Tajima DST"));

    // A format and hoop of one's own only under Custom.
    EXPECT_FALSE(dialog.FormatCombo->isEnabled());
    dialog.MachineCombo->setCurrentIndex(dialog.customIndex());
    EXPECT_TRUE(dialog.FormatCombo->isEnabled());
    EXPECT_TRUE(dialog.HoopWidthSpin->isEnabled());
    EXPECT_EQ(dialog.HoopWidthSpin->text(), QStringLiteral("any"));
    EXPECT_FALSE(dialog.TurnBox->isChecked());
    EXPECT_TRUE(dialog.AskButton->isChecked());

    // Every label with a letter takes it to its field, and no two letters clash.
    const auto letterOf = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    std::map<QChar, QString> letters;
    std::vector<QWidget*> reached;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (letterOf(label->text()).isNull())
            continue;
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        reached.push_back(label->buddy());
        EXPECT_TRUE(letters.emplace(letterOf(label->text()), label->text()).second) << label->text().toStdString();
    }
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (letterOf(button->text()).isNull())
            continue;
        EXPECT_TRUE(letters.emplace(letterOf(button->text()), button->text()).second) << button->text().toStdString();
    }
    for (QWidget* field : std::initializer_list<QWidget*>{dialog.MachineCombo, dialog.FormatCombo, dialog.HoopWidthSpin,
                                                          dialog.HoopHeightSpin, dialog.FolderEdit})
        EXPECT_NE(std::find(reached.begin(), reached.end(), field), reached.end()) << field->objectName().toStdString();

    // Enter converts, Esc cancels.
    dialog.show();
    QTest::keyClick(dialog.FolderEdit, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    dialog.show();
    QTest::keyClick(dialog.FolderEdit, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));

    // A file is no destination.
    ConvertOrder order;
    dialog.FolderEdit->setText(QStringLiteral(ORLIKA_SAMPLES "/star.dst"));
    EXPECT_TRUE(dialog.read(order).contains(QStringLiteral("is not an existing folder")));
    dialog.FolderEdit->setText(dir.path());
    EXPECT_TRUE(dialog.read(order).isEmpty());
    EXPECT_EQ(order.folder, dir.path().toStdString());
}

TEST_F(ConvertWindowTest, TwoSelectedSamplesAreWrittenForTheMachineAndTheSummarySaysWhere)
{
    copySample("star.exp");
    copySample("orlika.pes");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    const QByteArray star = bytesOf(path(QStringLiteral("star.exp")));
    showAndSelect(QStringLiteral("orlika.pes"), {0, 1});

    answerConvert({.folder = out()});
    form->ConvertTo1->trigger();
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/orlika.dst")), 0);
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/star.dst")), 0);
    const std::string summary = "2 of 2 written to " + out().toStdString();
    ASSERT_EQ(convertMessages().size(), 1u);
    EXPECT_EQ(convertMessages()[0].text, summary);
    EXPECT_EQ(convertMessages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(form->statusCaption(), QString::fromStdString(" " + summary));
    // The designs themselves stay, and stay selected for another machine.
    EXPECT_EQ(bytesOf(path(QStringLiteral("star.exp"))), star);
    EXPECT_EQ(state().SelectedList.count(), 2);
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_FALSE(form->SBCancel->isVisible());
    // The dialog keeps its choices for the next time.
    EXPECT_EQ(form->convertDialog().FolderEdit->text(), out());
    // Nothing but the two files is left in the destination.
    EXPECT_EQ(QDir(out()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("orlika.dst"), QStringLiteral("star.dst")}));
}

TEST_F(ConvertWindowTest, AMissingDestinationIsMadeOnlyWhenTheUserSaysSo)
{
    copySample("star.exp");
    showAndSelect(QStringLiteral("star.exp"), {0});
    const QString usb = folder() + QStringLiteral("media/usb");
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : request.defaultAnswer;
    };
    answerConvert({.folder = usb});
    form->ConvertTo1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The folder " + usb.toStdString() + " does not exist. Make it?");
    EXPECT_FALSE(QFileInfo::exists(usb));

    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : request.defaultAnswer;
    };
    answerConvert({.folder = usb});
    form->ConvertTo1->trigger();
    EXPECT_TRUE(QFileInfo::exists(usb + QStringLiteral("/star.dst")));
    EXPECT_EQ(messages.back().text, "1 of 1 written to " + usb.toStdString());
}

TEST_F(ConvertWindowTest, SkipKeepsAFileOfTheNameAndTheSummaryNamesIt)
{
    copySample("star.exp");
    copySample("orlika.pes");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    writeBytes(at(QStringLiteral("out/star.dst")), {'o', 'l', 'd'});
    showAndSelect(QStringLiteral("orlika.pes"), {0, 1});

    answerConvert({.folder = out(), .nameExists = NameExists::Skip});
    form->ConvertTo1->trigger();
    EXPECT_EQ(bytesOf(out() + QStringLiteral("/star.dst")), QByteArray("old"));
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/orlika.dst")), 0);
    ASSERT_EQ(convertMessages().size(), 1u) << "no question under Skip";
    EXPECT_EQ(convertMessages()[0].text,
              "1 of 2 written to " + out().toStdString() + "; not written: star.exp (star.dst exists already)");
    EXPECT_EQ(convertMessages()[0].icon, MessageIcon::Warning);
}

TEST_F(ConvertWindowTest, AskShowsProgressAndAsksBeforeEachReplaceNoKeepsYesTrashesTheOldFile)
{
    copySample("star.exp");
    copySample("orlika.pes");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    writeBytes(at(QStringLiteral("out/orlika.dst")), {'o', 'n', 'e'});
    writeBytes(at(QStringLiteral("out/star.dst")), {'t', 'w', 'o'});
    showAndSelect(QStringLiteral("orlika.pes"), {0, 1});

    // No for the first, Yes for the second; the status line and Cancel show meanwhile.
    std::vector<QString> captionsAsked;
    form->host().answerMessage = [&](const MessageRequest& request) {
        messages.push_back(request);
        if (request.buttons != MessageButtons::YesNoToAll)
            return request.defaultAnswer;
        captionsAsked.push_back(form->statusCaption());
        EXPECT_TRUE(form->SBCancel->isVisible());
        EXPECT_FALSE(form->File1->menuAction()->isEnabled());
        EXPECT_EQ(request.defaultAnswer, MessageAnswer::No);
        return captionsAsked.size() == 1 ? MessageAnswer::No : MessageAnswer::Yes;
    };
    answerConvert({.folder = out()});
    form->ConvertTo1->trigger();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "orlika.dst exists already in " + out().toStdString() +
                                    ".\n\nReplace it with orlika.pes converted? The file replaced goes to the trash.");
    EXPECT_EQ(captionsAsked,
              (std::vector<QString>{QStringLiteral(" Converting 1 of 2: orlika.pes"),
                                    QStringLiteral(" Converting 2 of 2: star.exp")}));
    EXPECT_EQ(bytesOf(out() + QStringLiteral("/orlika.dst")), QByteArray("one"));
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/star.dst")), 0);
    EXPECT_EQ(trashedBytes(out() + QStringLiteral("/star.dst")), QByteArray("two"));
    EXPECT_EQ(messages[2].text,
              "1 of 2 written to " + out().toStdString() + "; not written: orlika.pes (orlika.dst exists already)");

    // No to All: one question for both.
    messages.clear();
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNoToAll ? MessageAnswer::NoToAll : request.defaultAnswer;
    };
    const QByteArray converted = bytesOf(out() + QStringLiteral("/star.dst"));
    answerConvert({.folder = out()});
    form->ConvertTo1->trigger();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(bytesOf(out() + QStringLiteral("/orlika.dst")), QByteArray("one"));
    EXPECT_EQ(bytesOf(out() + QStringLiteral("/star.dst")), converted);
    EXPECT_EQ(messages[1].text, "0 of 2 written to " + out().toStdString() +
                                    "; not written: orlika.pes (orlika.dst exists already), star.exp (star.dst "
                                    "exists already)");
}

TEST_F(ConvertWindowTest, TwoDesignsOfOneNameNeverReplaceEachOther)
{
    copySample("star.exp");
    copySample("star.pes");
    showAndSelect(QStringLiteral("star.exp"), {0, 1});
    answerConvert({.folder = dir.path(), .nameExists = NameExists::Replace});
    form->ConvertTo1->trigger();
    ASSERT_EQ(messages.size(), 1u) << "no question";
    EXPECT_EQ(messages[0].text, "1 of 2 written to " + dir.path().toStdString() +
                                    "; not written: star.pes (star.dst is taken by star.exp, converted before it)");
    EXPECT_EQ(bytesOf(path(QStringLiteral("star.exp"))), bytesOf(QStringLiteral(ORLIKA_SAMPLES "/star.exp")));
    EXPECT_GT(stitchesOf(path(QStringLiteral("star.dst"))), 0);
}

TEST_F(ConvertWindowTest, ReplaceWhereNoTrashTakesTheOldFileAsksBeforeItIsLost)
{
    struct NoTrash : DesktopFileOperations {
        TrashOutcome moveToTrash(const std::string&) override { return TrashOutcome::NoTrash; }
    } noTrash;
    form->setFileOperations(&noTrash);
    copySample("star.exp");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    writeBytes(at(QStringLiteral("out/star.dst")), {'o', 'l', 'd'});
    showAndSelect(QStringLiteral("star.exp"), {0});

    answerConvert({.folder = out(), .nameExists = NameExists::Replace});
    form->ConvertTo1->trigger();  // the fixture answers No, the default
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "star.dst is on a disk without a trash: replacing it deletes it for good.\n\nReplace it?");
    EXPECT_EQ(bytesOf(out() + QStringLiteral("/star.dst")), QByteArray("old"));
    EXPECT_EQ(messages[1].text, "0 of 1 written to " + out().toStdString() + "; not written: star.exp (star.dst exists already)");

    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNoToAll ? MessageAnswer::Yes : request.defaultAnswer;
    };
    answerConvert({.folder = out(), .nameExists = NameExists::Replace});
    form->ConvertTo1->trigger();
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/star.dst")), 0);
    EXPECT_EQ(QDir(out()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("star.dst")});
    form->setFileOperations(nullptr);
}

TEST_F(ConvertWindowTest, CancelStopsAfterTheDesignAtHandAndSaysHowManyWereWritten)
{
    copySample("star.exp");
    copySample("orlika.pes");
    copySample("circle.jef");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    writeBytes(at(QStringLiteral("out/circle.dst")), {'o', 'l', 'd'});
    showAndSelect(QStringLiteral("circle.jef"), {0, 1, 2});

    // Cancel while the first design's question is up.
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        if (request.buttons == MessageButtons::YesNoToAll)
            click(form->SBCancel);
        return request.defaultAnswer;
    };
    answerConvert({.folder = out()});
    form->ConvertTo1->trigger();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "0 of 3 written to " + out().toStdString() +
                                    "; not written: circle.jef (circle.dst exists already); cancelled, 2 designs "
                                    "not converted");
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList{QStringLiteral("circle.dst")});
    EXPECT_FALSE(form->SBCancel->isVisible());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
}

TEST_F(ConvertWindowTest, ADesignTooLargeForTheHoopIsNamedWithItsReasonAndTurnedWhenAskedAndItFits)
{
    writeBytes(at(QStringLiteral("a.dst")), gen::writeDst(oblong(800, 300)));  // 80 x 30 mm
    writeBytes(at(QStringLiteral("b.dst")), gen::writeDst(oblong(300, 300)));
    writeBytes(at(QStringLiteral("c.dst")), gen::writeDst(oblong(1200, 300)));
    showAndSelect(QStringLiteral("a.dst"), {0, 1, 2});

    ConvertChoice custom{.machine = QStringLiteral("Custom"), .format = QStringLiteral("Melco EXP"), .hoopWidth = 50,
                         .hoopHeight = 100, .folder = out()};
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : request.defaultAnswer;
    };
    answerConvert(custom);
    form->ConvertTo1->trigger();
    ASSERT_FALSE(convertMessages().empty());
    const std::string summary = convertMessages().back().text;
    EXPECT_EQ(summary.rfind("1 of 3 written to " + out().toStdString() + "; not written: a.dst (larger than the 50 x 100 mm hoop by 30 mm in width; it fits turned by 90 degrees), c.dst (larger than the 50 x 100 mm hoop by 70 mm in width)", 0), 0u) << summary;
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList{QStringLiteral("b.exp")});

    // Turned when asked: the oblong stands upright in the file.
    custom.turn = true;
    custom.nameExists = NameExists::Skip;
    answerConvert(custom);
    form->ConvertTo1->trigger();
    const MessageRequest turned = convertMessages().back();
    EXPECT_EQ(turned.text, "1 of 3 written to " + out().toStdString() +
                               "; not written: b.dst (b.exp exists already), c.dst (larger than the 50 x 100 mm hoop "
                               "by 70 mm in width)");
    EXPECT_NE(turned.details.find("a.dst: turned a quarter turn clockwise to fit the hoop"), std::string::npos);
    const auto upright = readBack(out() + QStringLiteral("/a.exp"));
    ASSERT_TRUE(upright);
    EXPECT_NEAR(upright->stitchBox.width(), 300, 2);
    EXPECT_NEAR(upright->stitchBox.height(), 800, 2);
}

TEST_F(ConvertWindowTest, ADesignInsideAnArchiveConvertsUnderItsOwnNameAndTheArchiveStaysAsItWas)
{
    writeZip(at(QStringLiteral("box.zip")), {{"in/rose.exp", gen::writeExp(gen::makeStar(180))}});
    writeBytes(at(QStringLiteral("a.dst")), gen::writeDst(gen::makeStar(150)));
    const auto archive = readBytes(at(QStringLiteral("box.zip")));
    form->IncludeSubfolders1->trigger();
    showAndSelect(QStringLiteral("a.dst"), {1});
    ASSERT_EQ(state().SelectedList.names(), std::vector<std::string>{"box.zip//in/rose.exp"});

    answerConvert({.folder = out()});
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : request.defaultAnswer;
    };
    form->ConvertTo1->trigger();
    EXPECT_GT(stitchesOf(out() + QStringLiteral("/rose.dst")), 0);
    EXPECT_EQ(messages.back().text, "1 of 1 written to " + out().toStdString());
    EXPECT_EQ(readBytes(at(QStringLiteral("box.zip"))), archive);
}

} // namespace
} // namespace orlika::test
