// SPDX-License-Identifier: MIT
// The main window at start, its menus, the small windows and recovery from errors.
#include "app/AboutBox.h"
#include "app/FindDialog.h"
#include "tests/app/AppFixture.h"

#include <QAbstractItemView>
#include <QBackingStore>
#include <QComboBox>
#include <QCompleter>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>

#include <map>

namespace orlika::test {
namespace {

std::vector<QString> menuShape(QWidget* menu)
{
    std::vector<QString> shape;
    for (QAction* action : menu->actions())
        shape.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    return shape;
}

TEST_F(AppTest, StartsWithTheStandardLayoutAndEverythingARunShowsHidden)
{
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("ORLIKA"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ORLIKA"));
    EXPECT_EQ(form->LLayOut->text(), QStringLiteral("Page Layout:  Standard"));
    EXPECT_FALSE(form->LSelected->isVisible());
    EXPECT_EQ(form->LSelected->text(), QStringLiteral("Selected: 0"));
    for (QToolButton* button : {form->SBCancel, form->SBButton, form->SBPrev})
        EXPECT_FALSE(button->isVisible()) << button->objectName().toStdString();
    EXPECT_EQ(form->SBButton->palette().color(QPalette::ButtonText), QColor(Qt::red));
    EXPECT_EQ(form->SBPrev->palette().color(QPalette::ButtonText), QColor(Qt::blue));
    EXPECT_EQ(form->SBCancel->toolTip(), QStringLiteral("Cancel Display"));
    EXPECT_EQ(form->SBButton->toolTip(), QStringLiteral("Next Page"));
    EXPECT_EQ(form->SBPrev->toolTip(), QStringLiteral("Previous Page"));
    EXPECT_EQ(form->LSelected->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(form->LSelected->font().pixelSize(), 13);
    const QFont font = form->centralWidget()->font();
    EXPECT_EQ(font.pixelSize(), 14);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.family(), QStringLiteral("Arial"));

    EXPECT_TRUE(form->Standard->isChecked());
    EXPECT_FALSE(form->StandardWoRemarks->isChecked() || form->ThumbNail2->menuAction()->isChecked() ||
                 form->Enlarged->isChecked());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->PageLayout1->menuAction()->isEnabled());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    EXPECT_TRUE(layoutOf(state()) == layouts::kStandard);
    EXPECT_EQ(int(state().FileKind), 0);
    EXPECT_TRUE(state().OpenFileName.empty());
    EXPECT_EQ(state().OpenDialog1.FilterIndex, FilterIndex::AllSupported);

    // The other windows exist from the start, owned by the main window.
    EXPECT_EQ(forms.AboutBox->parent(), form);
    EXPECT_EQ(forms.TitleDlg->parent(), form);
    EXPECT_EQ(form->findChildren<QDialog*>().indexOf(forms.AboutBox),
              form->findChildren<QDialog*>().indexOf(forms.TitleDlg) - 1);
}

TEST_F(AppTest, MenusHoldEveryItemWithItsCaptionSeparatorsAndHints)
{
    const std::vector<QString> file = {
        "&Open at Beginning", "Open Beginning at &File", "Open S&elected Files", "Open Fol&der...",
        "Include S&ubfolders", "-",
        "F&ind Designs...", "Find Duplica&tes...", "-", "&Print From Beginning",
        "P&rint Beginning at File", "Print Selected Files", "-", "Print a File Listing", "-", "Print &Setup", "-",
        "E&xit"};
    EXPECT_EQ(menuShape(form->File1), file);
    const std::vector<QString> layout = {"&Standard w/ Remarks", "Standard w/o Remarks", "&ThumbNail",
                                         "&Enlarged/1 per Page"};
    EXPECT_EQ(menuShape(form->PageLayout1), layout);
    EXPECT_EQ(menuShape(form->ThumbNail2), (std::vector<QString>{"12/page", "20/page", "30/page"}));
    const std::vector<QString> selected = {"&Display Selected Files",      "&Print Selected Files",
                                           "Print Design &Sheet",          "-",
                                           "Copy/Move All Selected Files", "&Convert To...",
                                           "-",                            "Delete (Erase) All Selected Files"};
    EXPECT_EQ(menuShape(form->Selected1), selected);
    EXPECT_EQ(menuShape(form->About2), (std::vector<QString>{"&About"}));
    EXPECT_EQ(menuShape(form->View1), (std::vector<QString>{"&Pages", "&Browse", "-", "&Realistic Pictures"}));

    const std::vector<QString> bar = {"&File", "&Page Layout", "&View", "&Selected", "&About"};
    EXPECT_EQ(menuShape(form->menuBar()), bar);
    EXPECT_EQ(form->File1->menuAction()->statusTip(), QStringLiteral("Open/Print/Exit"));
    EXPECT_EQ(form->PageLayout1->menuAction()->statusTip(), QStringLiteral("Set Page Layout"));
    EXPECT_EQ(form->Selected1->menuAction()->statusTip(), QStringLiteral("Use Selected Designs"));
}

TEST_F(AppTest, OpenDialogKeepsTheSevenFiltersFirstAndMatchesExtensionsInAnyCase)
{
    for (const char* name : {"a.dst", "B.DST", "c.Dst", "x.pes", "notes.txt"})
        writeFile(QString::fromLatin1(name), {1, 2, 3});
    QFileDialog* dialog = form->OpenDialog1;
    const QStringList expected = {"Pfaff Professional ( KSM)", "Melco Dos Expanded (EXP)", "Pfaff(PCS,PCD,PCQ)",
                                  "Brothers (PES,PEC)",        "Tajima (DST)",             "Janome (SEW)",
                                  "All supported formats",    "Janome (JEF)",             "Husqvarna/Pfaff (VP3)",
                                  "Singer (XXX)",              "Husqvarna Viking (HUS)",   "Husqvarna Viking (VIP)",
                                  "Husqvarna/Pfaff (SHV)"};
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    EXPECT_EQ(shown, expected);

    // The dialog lists what a filter matches once the folder is read.
    const auto listed = [&](int filterIndex) {
        dialog->selectNameFilter(TForm1::openFilters().at(filterIndex - 1));
        dialog->setDirectory(dir.path());
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        EXPECT_NE(view, nullptr);
        QStringList names;
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 5000));
        QTest::qWait(100);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        names.sort(Qt::CaseInsensitive);
        return names;
    };
    EXPECT_EQ(listed(5), (QStringList{"a.dst", "B.DST", "c.Dst"}));
    EXPECT_EQ(listed(7), (QStringList{"a.dst", "B.DST", "c.Dst", "x.pes"}));
    EXPECT_EQ(listed(4), (QStringList{"x.pes"}));

    // The start filter is the seventh, and the dialog shows what GetFileTypes chose last.
    makeDesigns(1);
    answerOpen({"d01.dst"}, 5);
    form->Open1->trigger();
    EXPECT_EQ(int(state().OpenDialog1.FilterIndex), 5);
    EXPECT_EQ(int(state().FileKind), 4);
    dialogAnswers.push_back([](QDialog& shownDialog) {
        EXPECT_EQ(dynamic_cast<QFileDialog&>(shownDialog).selectedNameFilter(), QStringLiteral("Tajima (DST)"));
        return int(QDialog::Rejected);
    });
    form->Open1->trigger();
}

TEST_F(AppTest, TheFileNameCompletionListClosesWithTheDialog)
{
    makeDesigns(8);
    QWidget* completionList = nullptr;
    dialogAnswers.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.setDirectory(dir.path());
        files.show();
        auto* view = files.findChild<QListView*>(QStringLiteral("listView"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 5000));
        auto* edit = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClicks(edit, QStringLiteral("d0"));
        completionList = edit->completer()->popup();
        EXPECT_TRUE(QTest::qWaitFor([&] { return completionList->isVisible(); }, 5000));
        files.selectFile(path(QStringLiteral("d01.dst")));
        files.hide();
        return int(QDialog::Accepted);
    });
    onWait([&] {
        // Left open, it would take the keys and clicks meant for the page.
        EXPECT_FALSE(completionList->isVisible());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        key(Qt::Key_Escape);
    });
    form->Open1->trigger();
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
}

TEST_F(AppTest, AboutBoxShowsNameVersionFormatsAndClosesWithOk)
{
    dialogAnswers.push_back([](QDialog& dialog) {
        auto& about = dynamic_cast<TAboutBox&>(dialog);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About ORLIKA"));
        EXPECT_EQ(about.ProductName->text(), QStringLiteral("ORLIKA"));
        EXPECT_EQ(about.Version->text(), QStringLiteral("Version 3.00W95/98 10 Dec 1999"));
        for (const char* format : {"PCD", "PCQ", "PCS", "PES", "DST", "EXP", "KSM", "SEW"})
            EXPECT_TRUE(about.Comments->text().contains(QLatin1String(format))) << format;
        EXPECT_TRUE(about.Comments->wordWrap());
        EXPECT_FALSE(about.ProgramIcon->pixmap().isNull());
        about.open();
        QTest::mouseClick(about.OKButton, Qt::LeftButton);
        EXPECT_EQ(about.result(), int(QDialog::Accepted));
        EXPECT_FALSE(about.isVisible());
        return about.result();
    });
    form->About1->trigger();
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"AboutBox"}));
}

TEST_F(AppTest, TitleDialogLimitsItsTextIgnoresEscapeAndHasNoCloseBox)
{
    TTitleDlg& title = *forms.TitleDlg;
    EXPECT_EQ(title.windowTitle(), QStringLiteral("ORLIKA Page Title"));
    EXPECT_EQ(title.Label1->text(), QStringLiteral("In the box below, enter any comments you would like printed at "
                                                   "the top of each Page.  This may be left blank if desired."));
    EXPECT_EQ(title.Comments1->maxLength(), 150);
    EXPECT_FALSE(title.windowFlags() & Qt::WindowCloseButtonHint);
    title.open();
    QTest::keyClicks(title.Comments1, QString(200, QLatin1Char('x')));
    EXPECT_EQ(title.Comments1->text().size(), 150);
    QTest::keyClick(&title, Qt::Key_Escape);
    EXPECT_TRUE(title.isVisible());
    QTest::mouseClick(title.OKBtn, Qt::LeftButton);
    EXPECT_FALSE(title.isVisible());
    EXPECT_EQ(title.result(), int(QDialog::Accepted));
    EXPECT_EQ(title.Comments1->text().size(), 150);
}

TEST_F(AppTest, DecoderErrorShowsItsMessageAndTheRunGoesOn)
{
    makeDesigns(2);
    std::vector<std::uint8_t> bad(512, ' ');
    const std::string text = "ST:12a\r\x1a";
    std::copy(text.begin(), text.end(), bad.begin());
    writeFile(QStringLiteral("d01b.dst"), bad);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "'12a' is not a valid integer value");
    EXPECT_EQ(messages[0].caption, "ORLIKA");
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages[0].buttons, MessageButtons::OkNoMoreStop);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(form->catalog().designsShown(), 3);
    EXPECT_FALSE(form->running());
    EXPECT_TRUE(form->File1->menuAction()->isEnabled());
    EXPECT_TRUE(form->PageLayout1->menuAction()->isEnabled());
    EXPECT_FALSE(form->SBCancel->isVisible());
    EXPECT_TRUE(form->LStat->text().isEmpty());

    // The next run works as usual.
    QFile::remove(path(QStringLiteral("d01b.dst")));
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(form->statusCaption(), QStringLiteral(" FINISHED"));
    EXPECT_EQ(state().FileCount, 2);
}

TEST_F(AppTest, PageComesBackAfterTheWindowIsCoveredOrRestored)
{
    makeDesigns(2);
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    const QImage before = form->Page->grab().toImage();
    form->showMinimized();
    QCoreApplication::processEvents();
    form->showNormal();
    QCoreApplication::processEvents();
    const QImage after = form->Page->grab().toImage();
    EXPECT_EQ(before, after);
    EXPECT_GT(inkedPixels(), 1000);
    // What the widget shows is the page the run drew.
    EXPECT_EQ(after.convertToFormat(QImage::Format_RGB32), form->page().image().convertToFormat(QImage::Format_RGB32));
}

// Each paint of the page: its area, and how many cells of the page the run had drawn.
class PaintLog : public QObject {
public:
    struct Paint {
        QRect area;
        int cellsDrawn;
    };
    PaintLog(QWidget& page, const CatalogState& state) : m_state(state) { page.installEventFilter(this); }
    std::vector<Paint> paints;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            paints.push_back({static_cast<QPaintEvent*>(event)->rect(), m_state.CellNo - 1});
        return false;
    }

private:
    const CatalogState& m_state;
};

TEST_F(AppTest, WhileARunDrawsEachCellIsShownAsItIsDrawnAndOnlyWhatChangedIsPainted)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    PaintLog log(*form->Page, state());
    QImage page, onScreen;
    std::vector<PaintLog::Paint> paints;
    onWait([&] {
        page = form->page().image().copy();
        paints = log.paints;
        // What the window shows at the page end, as last painted: the page, all of it.
        QBackingStore* store = form->backingStore();
        ASSERT_TRUE(store && store->paintDevice()->devType() == QInternal::Image);
        const QImage& window = *static_cast<QImage*>(store->paintDevice());
        onScreen = window.copy(QRect(form->Page->mapTo(form, QPoint(0, 0)), form->Page->size()));
        key(Qt::Key_Escape);
    });
    form->Open1->trigger();

    EXPECT_EQ(onScreen.convertToFormat(QImage::Format_RGB32), page);
    // The new white page, then each design's part of it: the page's area painted about
    // three times in all, not the whole page a few times a design.
    long long painted = 0;
    for (const PaintLog::Paint& paint : paints)
        painted += (long long)paint.area.width() * paint.area.height();
    EXPECT_LE(painted, 3LL * page.width() * page.height()) << paints.size() << " paints";
    // Everything a design drew in its cell was painted before the next design was drawn.
    const CatalogState& s = state();
    for (int k = 0; k < s.CellsPerPage; ++k) {
        SCOPED_TRACE(k);
        const int column = k % s.PageColumns, row = k / s.PageColumns;
        const QRect cell(s.MarginX + column * s.CellWidth, s.MarginY + row * s.CellHeight, s.CellWidth, s.CellHeight);
        QRect ink;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (page.pixel(x, y) != qRgb(255, 255, 255))
                    ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        QRegion shownWhileDrawn;
        for (const PaintLog::Paint& paint : paints)
            if (paint.cellsDrawn == k + 1)
                shownWhileDrawn += paint.area;
        EXPECT_TRUE(shownWhileDrawn.contains(ink)) << "ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x"
                                                    << ink.height();
    }
}

TEST_F(AppTest, APageAfterTheWindowWasMadeSmallerFitsTheWindow)
{
    makeDesigns(14);
    answerOpen({"d01.dst"});
    QSize before;
    onWait([&] {
        before = form->page().image().size();
        form->resize(form->width() - 200, form->height() - 150);
        QCoreApplication::processEvents();
        key(Qt::Key_Space);
    });
    QSize after;
    onWait([&] {
        after = form->page().image().size();
        EXPECT_EQ(after, form->Page->size());
        key(Qt::Key_Escape);
    });
    form->Open1->trigger();
    EXPECT_EQ(before.width() - after.width(), 200);
    EXPECT_LT(after.height(), before.height());
    EXPECT_EQ(state().CellWidth, (form->Page->width() * 2 + 3) / 7);  // the page's width / 3.5, rounded
}

TEST_F(AppTest, ClosingTheWindowDuringARunEndsTheRunThenCloses)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    bool closedWhileWaiting = true;
    onWait([&] {
        form->close();
        closedWhileWaiting = form->isVisible();
    });
    form->Open1->trigger();
    EXPECT_TRUE(closedWhileWaiting);   // the close waits for the run to end
    EXPECT_FALSE(form->running());
    EXPECT_TRUE(state().CancelPressed);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(AppTest, MessageBoxesCarryTheCaptionIconButtonsAndDefaultAsked)
{
    form->host().answerMessage = nullptr;
    dialogAnswers.push_back([](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("ORLIKA DELETE"));
        EXPECT_EQ(box.text(), QStringLiteral("Delete 2 files?"));
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        return int(QMessageBox::Yes);
    });
    dialogAnswers.push_back([](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        return int(QMessageBox::Ok);
    });
    QtHost& host = form->host();
    EXPECT_EQ(host.messageBox({"Delete 2 files?", "ORLIKA DELETE", MessageIcon::Question, MessageButtons::YesNoCancel,
                               MessageAnswer::No}),
              MessageAnswer::Yes);
    host.showError("broken");
    EXPECT_EQ(dialogsShown.size(), 2u);

    // A design's box during a run: OK, "No More Messages" and "Stop the Run"; Esc is OK.
    // Its text is plain: file names may look like markup.
    const auto clicking = [](const char* button) {
        return [button](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.escapeButton(), box.button(QMessageBox::Ok));
            EXPECT_EQ(box.buttons().size(), 3);
            if (auto* chosen = box.findChild<QAbstractButton*>(QString::fromLatin1(button)))
                chosen->click();
            else
                box.button(QMessageBox::Ok)->click();
            return box.result();
        };
    };
    const MessageRequest designBox{"<b>x.pes</b> Has an Unknown File Format", "PES/PEC File Format Error",
                                   MessageIcon::None, MessageButtons::OkNoMoreStop, MessageAnswer::Ok};
    dialogAnswers.push_back(clicking("StopTheRun"));
    EXPECT_EQ(host.messageBox(designBox), MessageAnswer::StopRun);
    dialogAnswers.push_back(clicking("NoMoreMessages"));
    EXPECT_EQ(host.messageBox(designBox), MessageAnswer::NoMoreMessages);
    dialogAnswers.push_back(clicking("OK"));
    EXPECT_EQ(host.messageBox(designBox), MessageAnswer::Ok);
    EXPECT_EQ(dialogsShown.size(), 5u);
}

TEST_F(AppTest, AQuestionOfManyOffersYesToAllAndNoToAllAndEscAnswersThatOneNo)
{
    form->host().answerMessage = nullptr;
    MessageRequest question{"rose.dst exists already. Replace it?", "ORLIKA Convert", MessageIcon::Question,
                            MessageButtons::YesNoToAll, MessageAnswer::No};
    question.details = "rose.pes: colour 2 is far from its nearest thread";
    const auto pressing = [](QMessageBox::StandardButton button) {
        return [button](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            EXPECT_EQ(box.standardButtons(),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll);
            EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
            EXPECT_EQ(box.detailedText(), QStringLiteral("rose.pes: colour 2 is far from its nearest thread"));
            box.show();
            if (button == QMessageBox::Escape)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(button)->click();
            return box.result();
        };
    };
    QtHost& host = form->host();
    dialogAnswers.push_back(pressing(QMessageBox::YesToAll));
    EXPECT_EQ(host.messageBox(question), MessageAnswer::YesToAll);
    dialogAnswers.push_back(pressing(QMessageBox::NoToAll));
    EXPECT_EQ(host.messageBox(question), MessageAnswer::NoToAll);
    dialogAnswers.push_back(pressing(QMessageBox::Yes));
    EXPECT_EQ(host.messageBox(question), MessageAnswer::Yes);
    dialogAnswers.push_back(pressing(QMessageBox::Escape));
    EXPECT_EQ(host.messageBox(question), MessageAnswer::No);
}

TEST_F(AppTest, FindDesignsLabelsTakeTheirLettersToTheirFields)
{
    TFindDialog& find = form->findDialog();
    // Every label with a letter names the field the letter goes to, so that no "&" shows,
    // and no two letters of the dialog clash.
    const auto letterOf = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    std::map<QChar, QString> letters;
    int labelled = 0;
    for (QLabel* label : find.findChildren<QLabel*>()) {
        const QChar letter = letterOf(label->text());
        if (letter.isNull())
            continue;
        ++labelled;
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        EXPECT_TRUE(letters.emplace(letter, label->text()).second)
            << label->text().toStdString() << " and " << letters[letter].toStdString();
    }
    for (QAbstractButton* button : find.findChildren<QAbstractButton*>()) {
        const QChar letter = letterOf(button->text());
        if (letter.isNull())
            continue;
        EXPECT_TRUE(letters.emplace(letter, button->text()).second)
            << button->text().toStdString() << " and " << letters[letter].toStdString();
    }
    EXPECT_EQ(labelled, 9);

    // Alt and a label's letter take the focus to its field.
    find.show();
    find.raise();
    find.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &find; }, 5000));
    const std::vector<std::pair<Qt::Key, QWidget*>> keys = {
        {Qt::Key_W, find.WidthMinEdit},    {Qt::Key_E, find.HeightMinEdit}, {Qt::Key_T, find.StitchesMinEdit},
        {Qt::Key_C, find.ColorsMinEdit},   {Qt::Key_H, find.HoopCombo},     {Qt::Key_R, find.ThreadEdit},
        {Qt::Key_F, find.FolderEdit},      {Qt::Key_N, find.NameEdit},      {Qt::Key_O, find.FormatCombo}};
    for (const auto& [letter, field] : keys) {
        QTest::keyClick(&find, letter, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), field) << QKeySequence(letter).toString().toStdString();
    }
    EXPECT_TRUE(find.isVisible());
    find.hide();
}

TEST(DoubleSeparator, FirstDoubledSeparatorIsMadeSingleOnce)
{
    EXPECT_EQ(repairDoubleSeparator("//a.dst"), "/a.dst");
    EXPECT_EQ(repairDoubleSeparator("/x//y//a.dst"), "/x/y//a.dst");
    EXPECT_EQ(repairDoubleSeparator("/x/a.dst"), "/x/a.dst");
}

} // namespace
} // namespace orlika::test
