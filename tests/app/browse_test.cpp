// SPDX-License-Identifier: MIT
// The browse grid: its model of a folder's designs, the pictures it keeps in memory and
// in the freedesktop thumbnail cache, and the selection gestures feeding the commands.
#include "tests/app/AppFixture.h"
#include "app/BrowseWindow.h"
#include "app/ConvertDialog.h"
#include "collection/DesignIndex.h"
#include "sheet/DesignPicture.h"
#include "app/DesignView.h"
#include "app/Filemove.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QTreeView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <sys/resource.h>

namespace orlika::test {
namespace {

// The nice values of the process's threads, from the kernel's account of each.
std::vector<int> threadNiceValues()
{
    std::vector<int> values;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // After the name in parentheses: the state, then fifteen more fields, then the nice value.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 16)
            values.push_back(fields[16].toInt());
    }
    return values;
}

class BrowseTest : public AppTest {
protected:
    QTemporaryDir cache;
    QTemporaryDir data;
    QByteArray savedCacheHome;
    QByteArray savedDataHome;

    void SetUp() override
    {
        ASSERT_TRUE(cache.isValid());
        ASSERT_TRUE(data.isValid());
        // Pictures go to a cache of the test's own, never the user's; deleted designs to a
        // trash of its own, where the other suites' designs of the same names are not.
        savedCacheHome = qgetenv("XDG_CACHE_HOME");
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        AppTest::SetUp();
    }
    void TearDown() override
    {
        AppTest::TearDown();
        qputenv("XDG_CACHE_HOME", savedCacheHome);
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    BrowseWindow& browse()
    {
        form->showBrowse(folder());
        BrowseWindow* window = form->browseWindow();
        EXPECT_NE(window, nullptr);
        window->awaitListing();
        window->grid()->doItemsLayout();
        QCoreApplication::processEvents();
        return *window;
    }
    static QStringList column(const BrowseModel& model, int role = Qt::DisplayRole)
    {
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row)
            values << model.index(row).data(role).toString();
        return values;
    }
    static QStringList selectedNames(const BrowseWindow& window)
    {
        QStringList names;
        for (const std::string& path : window.selectedPaths())
            names << QFileInfo(QString::fromStdString(path)).fileName();
        return names;
    }
    void clickRow(BrowseWindow& window, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QListView* grid = window.grid();
        const QRect item = grid->visualRect(window.model().index(row));
        ASSERT_TRUE(grid->viewport()->rect().contains(item.center())) << "row " << row << " is not in view";
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, item.center());
    }
    /// Asks for every row's picture and waits until they are made.
    static void makeAllPictures(BrowseWindow& window)
    {
        for (int row = 0; row < window.model().rowCount(); ++row)
            window.model().index(row).data(BrowseModel::PictureRole);
        window.pictures().waitUntilIdle();
    }
    QString thumbnailOf(const QString& file, const QString& size = QStringLiteral("normal")) const
    {
        const QByteArray uri = QUrl::fromLocalFile(file).toEncoded();
        return cache.path() + QStringLiteral("/thumbnails/") + size + QLatin1Char('/') +
               QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
               QStringLiteral(".png");
    }
    static QString modifiedSeconds(const QString& file)
    {
        return QString::number(QFileInfo(file).lastModified().toSecsSinceEpoch());
    }
};

TEST_F(BrowseTest, TheModelListsTheFolderSortedAndNarrowedAndKeepsTheSelectionOfWhatStaysShown)
{
    makeDesigns(4);
    writeFile(QStringLiteral("big.dst"), gen::writeDst(gen::makeStar(600)));
    writeFile(QStringLiteral("notes.txt"), {1, 2, 3});
    BrowseWindow& window = browse();
    BrowseModel& model = window.model();
    EXPECT_EQ(column(model), (QStringList{"big.dst", "d01.dst", "d02.dst", "d03.dst", "d04.dst"}));
    const QModelIndex big = model.index(0);
    EXPECT_EQ(big.data(BrowseModel::PathRole).toString(), path(QStringLiteral("big.dst")));
    EXPECT_EQ(big.data(BrowseModel::FolderRole).toString(), folder());
    EXPECT_EQ(big.data(Qt::ToolTipRole).toString(), path(QStringLiteral("big.dst")));
    EXPECT_EQ(big.data(BrowseModel::SizeOnDiskRole).toLongLong(), QFileInfo(path(QStringLiteral("big.dst"))).size());
    // No index here: the figures come with the pictures.
    EXPECT_EQ(big.data(BrowseModel::FiguresRole).toString(), QString());
    EXPECT_FALSE(big.data(BrowseModel::StitchesRole).isValid());
    makeAllPictures(window);
    EXPECT_TRUE(big.data(BrowseModel::FiguresRole).toString().contains(QRegularExpression("^[0-9.]+ x [0-9.]+ mm, [0-9,]+ st\\.$")))
        << big.data(BrowseModel::FiguresRole).toString().toStdString();
    EXPECT_GT(big.data(BrowseModel::StitchesRole).toLongLong(), 0);

    window.orderBox()->setCurrentText(QStringLiteral("Width x height"));
    EXPECT_EQ(column(model), (QStringList{"d01.dst", "d02.dst", "d03.dst", "d04.dst", "big.dst"}));

    window.selection()->select(model.index(1), QItemSelectionModel::Select);   // d02
    window.selection()->select(model.index(2), QItemSelectionModel::Select);   // d03
    QTest::keyClicks(window.searchField(), QStringLiteral("D0"));
    EXPECT_EQ(column(model), (QStringList{"d01.dst", "d02.dst", "d03.dst", "d04.dst"}));
    EXPECT_EQ(selectedNames(window), (QStringList{"d02.dst", "d03.dst"}));
    window.searchField()->setText(QStringLiteral("*3.dst"));
    EXPECT_EQ(column(model), (QStringList{"d03.dst"}));
    EXPECT_TRUE(window.statusLine()->text().startsWith(QStringLiteral("1 design, 1 selected, ")))
        << window.statusLine()->text().toStdString();
    window.searchField()->clear();
    EXPECT_EQ(model.rowCount(), 5);
    // A design hidden by the search left the selection; the one still shown kept it.
    EXPECT_EQ(selectedNames(window), (QStringList{"d03.dst"}));
    EXPECT_EQ(window.statusLine()->text().section(QStringLiteral("    "), 0, 0).left(22),
              QStringLiteral("5 designs, 1 selected,"));

    QMimeData* dragged = model.mimeData(window.selection()->selectedIndexes());
    ASSERT_NE(dragged, nullptr);
    EXPECT_TRUE(model.mimeTypes().contains(QStringLiteral("text/uri-list")));
    EXPECT_EQ(dragged->urls(), (QList<QUrl>{QUrl::fromLocalFile(path(QStringLiteral("d03.dst")))}));
    delete dragged;
}

TEST_F(BrowseTest, APictureIsKeptInTheFreedesktopCacheWithItsUriAndTime)
{
    writeFile(QStringLiteral("rose red.dst"), gen::writeDst(gen::makeStar(300)));
    const QString design = path(QStringLiteral("rose red.dst"));
    const std::int64_t modified = QFileInfo(design).lastModified().toMSecsSinceEpoch() * 1'000'000;
    ThumbnailFolder thumbnails(cache.path());
    {
        BrowsePictures pictures(thumbnails);
        EXPECT_EQ(pictures.picture(design.toStdString(), modified, 200), nullptr);  // queued
        // Delivered to this thread's events; the pool keeps the thread that drew it.
        QElapsedTimer waited;
        waited.start();
        while (pictures.drawn() == 0 && waited.elapsed() < 20'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // That thread runs below the window's, which paints and scrolls first.
        const std::vector<int> nice = threadNiceValues();
        EXPECT_GT(*std::max_element(nice.begin(), nice.end()), getpriority(PRIO_PROCESS, 0));
        pictures.waitUntilIdle();
        const QImage* image = pictures.picture(design.toStdString(), modified, 200);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::max(image->width(), image->height()), 256);
        EXPECT_EQ(pictures.drawn(), 1);
    }
    const QString file = thumbnailOf(design, QStringLiteral("large"));
    EXPECT_TRUE(file.contains(QStringLiteral("/thumbnails/large/")));
    const QImage stored(file);
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::URI")), QString::fromLatin1(QUrl::fromLocalFile(design).toEncoded()));
    EXPECT_TRUE(stored.text(QStringLiteral("Thumb::URI")).endsWith(QStringLiteral("/rose%20red.dst")));
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::MTime")), modifiedSeconds(design));
    EXPECT_EQ(QFileInfo(file).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

    // Another time the program runs: the picture comes from the disk, not the design.
    BrowsePictures again(thumbnails);
    again.picture(design.toStdString(), modified, 200);
    again.waitUntilIdle();
    EXPECT_NE(again.picture(design.toStdString(), modified, 200), nullptr);
    EXPECT_EQ(again.drawn(), 0);
}

TEST_F(BrowseTest, AChangedFileGetsANewPictureAndADamagedCachedOneIsMadeAgain)
{
    writeFile(QStringLiteral("d01.dst"), gen::writeDst(gen::makeStar(150)));
    BrowseWindow& window = browse();
    makeAllPictures(window);
    const QImage before = window.model().index(0).data(BrowseModel::PictureRole).value<QImage>();
    ASSERT_FALSE(before.isNull());
    const QString design = path(QStringLiteral("d01.dst"));
    const QString thumbnail = thumbnailOf(design);
    ASSERT_TRUE(QFileInfo::exists(thumbnail));

    // Another design under the same name, a minute later, as a file manager's copy leaves it.
    writeFile(QStringLiteral("d01.dst"), gen::writeDst(gen::makeFilledCircle(250)));
    {
        QFile file(design);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    }
    // Listed again on the pool: meanwhile the grid keeps its rows.
    window.reload();
    EXPECT_TRUE(window.listing());
    EXPECT_EQ(window.model().rowCount(), 1);
    window.awaitListing();
    EXPECT_FALSE(window.listing());
    makeAllPictures(window);
    const QImage after = window.model().index(0).data(BrowseModel::PictureRole).value<QImage>();
    ASSERT_FALSE(after.isNull());
    EXPECT_NE(after, before);
    EXPECT_EQ(window.pictures().drawn(), 2);
    EXPECT_EQ(QImage(thumbnail).text(QStringLiteral("Thumb::MTime")), modifiedSeconds(design));

    // A cached picture damaged on disk is not shown but made again.
    {
        QFile damaged(thumbnail);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("\x89PNG\r\n\x1a\n not a picture");
    }
    const std::int64_t modified = QFileInfo(design).lastModified().toMSecsSinceEpoch() * 1'000'000;
    BrowsePictures fresh{ThumbnailFolder(cache.path())};
    fresh.picture(design.toStdString(), modified, 128);
    fresh.waitUntilIdle();
    ASSERT_NE(fresh.picture(design.toStdString(), modified, 128), nullptr);
    EXPECT_EQ(fresh.drawn(), 1);
    EXPECT_FALSE(QImage(thumbnail).isNull());
}

TEST_F(BrowseTest, ClicksAndKeysSelectAsInAnyListAndDeleteMovesTheSelectionToTheTrash)
{
    makeDesigns(5);
    const QString captionBefore = form->statusCaption();
    BrowseWindow& window = browse();
    EXPECT_FALSE(form->Page->isVisible());
    EXPECT_TRUE(window.grid()->isVisible());
    EXPECT_TRUE(form->Browse1->isChecked());
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());

    clickRow(window, 1);
    clickRow(window, 3, Qt::ShiftModifier);
    EXPECT_EQ(selectedNames(window), (QStringList{"d02.dst", "d03.dst", "d04.dst"}));
    clickRow(window, 2, Qt::ControlModifier);
    EXPECT_EQ(selectedNames(window), (QStringList{"d02.dst", "d04.dst"}));
    QTest::keyClick(window.grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedNames(window).size(), 5);
    clickRow(window, 0);
    QTest::keyClick(window.grid(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selectedNames(window), (QStringList{"d01.dst", "d02.dst"}));
    const qint64 bytes = QFileInfo(path(QStringLiteral("d01.dst"))).size() + QFileInfo(path(QStringLiteral("d02.dst"))).size();
    EXPECT_EQ(window.countsText(),
              QStringLiteral("5 designs, 2 selected, ") + QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat));

    // Delete asks as the Selected menu's command does, and the designs go to the trash.
    form->host().answerMessage = [this](const MessageRequest& request) {
        messages.push_back(request);
        return MessageAnswer::Yes;
    };
    QTest::keyClick(window.grid(), Qt::Key_Delete);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "ORLIKA DELETE");
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("d01.dst"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("d02.dst"))));
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/Trash/files/d01.dst")));
    EXPECT_EQ(column(window.model()), (QStringList{"d03.dst", "d04.dst", "d05.dst"}));
    EXPECT_TRUE(window.selectedPaths().empty());

    // Esc: the pages again, as they were.
    QTest::keyClick(window.grid(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(form->Page->isVisible());
    EXPECT_TRUE(form->Pages1->isChecked());
    EXPECT_EQ(form->statusCaption(), captionBefore);
    EXPECT_TRUE(form->Open1->isEnabled());
}

TEST_F(BrowseTest, EnterOpensTheCurrentDesignInTheDesignViewAndTheMenuItemsActOnTheSelection)
{
    makeDesigns(3);
    // The pages with d03 selected: their Selected menu stays out of reach of the grid.
    answerOpen({"d01.dst"});
    form->Open1->trigger();
    rightClick(744, 154);
    ASSERT_EQ(state().SelectedList.names(), (std::vector<std::string>{"d03.dst"}));
    BrowseWindow& window = browse();
    clickRow(window, 1);
    std::string shown;
    dialogAnswers.push_back([&shown](QDialog& dialog) {
        shown = dynamic_cast<DesignView&>(dialog).picture().name;
        return int(QDialog::Rejected);
    });
    QTest::keyClick(window.grid(), Qt::Key_Return);
    EXPECT_EQ(shown, "d02.dst");

    // Copy/Move through the window's own dialog: the design moved leaves the grid.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dest")));
    dialogAnswers.push_back([this](QDialog& dialog) {
        auto& form2 = dynamic_cast<TForm2&>(dialog);
        form2.setDirectory(folder() + QStringLiteral("dest"));
        if (form2.CopyBox1->isChecked())
            form2.CopyBox1->click();
        return int(QDialog::Accepted);
    });
    const QList<QAction*> commands = window.commands();
    ASSERT_EQ(commands.size(), 7);
    QAction* copyMove = commands[5];
    QAction* erase = commands[6];
    ASSERT_TRUE(copyMove->isEnabled());
    copyMove->trigger();
    EXPECT_TRUE(QFileInfo::exists(folder() + QStringLiteral("dest/d02.dst")));
    EXPECT_EQ(column(window.model()), (QStringList{"d01.dst", "d03.dst"}));
    EXPECT_FALSE(erase->isEnabled());   // nothing selected is left to delete
    EXPECT_FALSE(form->Selected1->menuAction()->isEnabled());
    QTest::keyClick(window.grid(), Qt::Key_Escape);
    EXPECT_TRUE(form->Selected1->menuAction()->isEnabled());
    EXPECT_EQ(state().SelectedList.names(), (std::vector<std::string>{"d03.dst"}));
}

TEST_F(BrowseTest, AFolderOrArchiveDroppedOnTheGridIsBrowsedAndADesignFileDroppedIsNot)
{
    makeDesigns(2);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("more")));
    writeFile(QStringLiteral("more/m.dst"), gen::writeDst(gen::makeStar(200)));
    BrowseWindow& window = browse();
    QWidget* viewport = window.grid()->viewport();
    const auto drop = [viewport](const QString& dropped) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dropped)});
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &dropEvent);
        return dropEvent.isAccepted();
    };
    EXPECT_FALSE(drop(path(QStringLiteral("d01.dst"))));
    EXPECT_EQ(window.folder(), folder());
    EXPECT_TRUE(drop(path(QStringLiteral("more"))));
    EXPECT_EQ(window.folder(), folder() + QStringLiteral("more/"));
    window.awaitListing();
    EXPECT_EQ(column(window.model()), (QStringList{"m.dst"}));
    // A zip archive dropped is browsed as a folder.
    writeZip(fs::path(path(QStringLiteral("more/box.zip")).toStdString()), {{"z.dst", gen::writeDst(gen::makeStar(120))}});
    EXPECT_TRUE(drop(path(QStringLiteral("more/box.zip"))));
    window.awaitListing();
    EXPECT_EQ(window.archive(), QStringLiteral("box.zip"));
    EXPECT_EQ(column(window.model(), BrowseModel::PathRole), QStringList{path(QStringLiteral("more/box.zip//z.dst"))});
}

// The grid's selection has its design sheets printed and is converted for a machine, as
// the pages' selection is; the pages' own selection is left as it was.
TEST_F(BrowseTest, TheGridsSelectionPrintsItsDesignSheetsAndIsConverted)
{
    makeDesigns(3);
    BrowseWindow& window = browse();
    clickRow(window, 2);
    clickRow(window, 0, Qt::ControlModifier);
    const auto command = [&](const char* name) {
        for (QAction* action : window.commands())
            if (action->objectName() == QLatin1String(name))
                return action;
        ADD_FAILURE() << "no command " << name;
        return window.commands().front();
    };

    answerSheetOptions(false);
    const QString sheets = path(QStringLiteral("sheets.pdf"));
    answerPdfName(sheets);
    ASSERT_TRUE(command("BrowsePrintSheets")->isEnabled());
    command("BrowsePrintSheets")->trigger();
    EXPECT_EQ(form->lastPagesPrinted(), 2);
    EXPECT_TRUE(QFileInfo(sheets).size() > 0);

    const QString out = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    dialogAnswers.push_back([out](QDialog& dialog) {
        auto& convert = dynamic_cast<TConvertDialog&>(dialog);
        const int machine = convert.MachineCombo->findText(QStringLiteral("Tajima DST"), Qt::MatchStartsWith);
        convert.MachineCombo->setCurrentIndex(machine);
        convert.FolderEdit->setText(out);
        return int(QDialog::Accepted);
    });
    command("BrowseConvert")->trigger();
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"d01.dst", "d03.dst"}));
    EXPECT_EQ(state().SelectedList.count(), 0);
}

// Another program's changes show by themselves: in the folder, and with Include
// Subfolders in its subfolders too, one made after the grid was shown among them.
TEST_F(BrowseTest, DesignsAddedOrRemovedByAnotherProgramAppearAndLeaveInTheFolderAndItsSubfolders)
{
    makeDesigns(2);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("old/deep"))));
    BrowseWindow& window = browse();
    window.setIncludeSubfolders(true);
    window.awaitListing();
    const auto names = [&] {
        QStringList shown = column(window.model());
        shown.sort();
        return shown;
    };
    const auto waitFor = [&](const QStringList& expected) {
        return QTest::qWaitFor([&] { return names() == expected; }, 5000);
    };
    ASSERT_EQ(names(), (QStringList{"d01.dst", "d02.dst"}));

    writeFile(QStringLiteral("old/deep/a.dst"), gen::writeDst(gen::makeStar(120)));
    EXPECT_TRUE(waitFor({"a.dst", "d01.dst", "d02.dst"})) << names().join(' ').toStdString();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("new"))));
    const auto* watcher = window.findChild<QFileSystemWatcher*>();
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher->directories().contains(path(QStringLiteral("new/"))); }, 5000))
        << watcher->directories().join(' ').toStdString();
    writeFile(QStringLiteral("new/b.dst"), gen::writeDst(gen::makeStar(130)));
    EXPECT_TRUE(waitFor({"a.dst", "b.dst", "d01.dst", "d02.dst"})) << names().join(' ').toStdString();
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("d01.dst"))));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("old/deep/a.dst"))));
    EXPECT_TRUE(waitFor({"b.dst", "d02.dst"})) << names().join(' ').toStdString();
}

// Find's filters typed in the search field are answered from the index: a folder not yet
// indexed is read into it in the background, and the grid then shows what answers.
TEST_F(BrowseTest, FiguresTypedInTheSearchAreAnsweredFromTheIndexReadForThem)
{
    writeFile(QStringLiteral("small.dst"), gen::writeDst(gen::makeStar(150)));
    writeFile(QStringLiteral("large.dst"), gen::writeDst(gen::makeFilledCircle(250)));
    const auto stitches = [this](const char* name) {
        return readDesignPicture(path(QLatin1String(name)).toStdString()).picture->stitches();
    };
    const std::int64_t small = stitches("small.dst");
    ASSERT_LT(small, stitches("large.dst"));
    BrowseWindow& window = browse();
    ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(DesignIndex::defaultPath())));

    window.searchField()->setText(QStringLiteral("stitches::%1").arg(small));
    EXPECT_TRUE(window.listing());
    EXPECT_TRUE(window.statusLine()->text().startsWith(QStringLiteral("Reading the figures")));
    window.awaitListing();
    EXPECT_EQ(column(window.model()), QStringList{"small.dst"});
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(DesignIndex::defaultPath())));
    window.searchField()->setText(QStringLiteral("format:dst stitches:%1:").arg(small + 1));
    EXPECT_FALSE(window.listing());  // read once for the folder
    EXPECT_EQ(column(window.model()), QStringList{"large.dst"});
    window.searchField()->setText(QStringLiteral("stitches:many"));
    EXPECT_EQ(window.model().rowCount(), 2);
    EXPECT_TRUE(window.statusLine()->text().contains(QStringLiteral("stitches:many is not a count or range")));
}

// A zip archive is a folder of its own in the pane: the grid shows its designs, named as
// a tree's, with their pictures.
TEST_F(BrowseTest, AZipArchiveIsBrowsedAsAFolderFromThePaneOrWhenDropped)
{
    makeDesigns(1);
    writeZip(fs::path(path(QStringLiteral("pack.zip")).toStdString()),
             {{"in/rose.dst", gen::writeDst(gen::makeStar(120))},
              {"tulip.dst", gen::writeDst(gen::makeStar(140))},
              {"notes.txt", {1, 2, 3}}});
    BrowseWindow& window = browse();
    ASSERT_EQ(column(window.model()), QStringList{"d01.dst"});

    const QString archive = path(QStringLiteral("pack.zip"));
    const QModelIndex inPane = static_cast<QFileSystemModel*>(window.folders()->model())->index(archive);
    ASSERT_TRUE(inPane.isValid());
    window.folders()->setCurrentIndex(inPane);
    window.awaitListing();
    EXPECT_EQ(window.folder(), folder());
    EXPECT_EQ(window.archive(), QStringLiteral("pack.zip"));
    QStringList paths = column(window.model(), BrowseModel::PathRole);
    paths.sort();
    EXPECT_EQ(paths, (QStringList{archive + "//in/rose.dst", archive + "//tulip.dst"}));
    makeAllPictures(window);
    EXPECT_FALSE(window.model().index(0).data(BrowseModel::PictureRole).value<QImage>().isNull());

    window.showFolder(folder());
    window.awaitListing();
    EXPECT_EQ(column(window.model()), QStringList{"d01.dst"});
    EXPECT_TRUE(window.archive().isEmpty());
}

// A tree the index has read shows at once as the index has it; its files are listed next
// and what changed since (a design removed, one added) is put right in the grid.
TEST_F(BrowseTest, AnIndexedTreeShowsFromTheIndexFirstAndThenAsItsFilesAre)
{
    writeFile(QStringLiteral("a.dst"), gen::writeDst(gen::makeStar(120)));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("sub"))));
    writeFile(QStringLiteral("sub/b.dst"), gen::writeDst(gen::makeStar(130)));
    writeZip(fs::path(path(QStringLiteral("sub/box.zip")).toStdString()),
             {{"c.dst", gen::writeDst(gen::makeStar(140))}});
    DesignIndex(DesignIndex::defaultPath()).refresh(folder().toStdString());
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("a.dst"))));
    writeFile(QStringLiteral("sub/new.dst"), gen::writeDst(gen::makeStar(150)));
    BrowseWindow& window = browse();
    const auto names = [&] {
        QStringList shown = column(window.model());
        shown.sort();
        return shown;
    };

    window.setIncludeSubfolders(true);
    window.awaitListing(false);
    EXPECT_EQ(names(), (QStringList{"a.dst", "b.dst", "box.zip: c.dst"}));
    for (int row = 0; row < window.model().rowCount(); ++row)
        EXPECT_TRUE(window.model().entryAt(row).figures) << window.model().entryAt(row).path;
    EXPECT_TRUE(window.listing());  // the files, after

    window.awaitListing();
    EXPECT_EQ(names(), (QStringList{"b.dst", "box.zip: c.dst", "new.dst"}));
    EXPECT_FALSE(window.listing());
}

// A place that lists nothing says why: the shown folder removed by another program stays
// shown (the pane's moving off its row is not the user choosing the next one) and comes
// back with its designs when it is made again; an archive that cannot be read names why.
TEST_F(BrowseTest, ARemovedFolderStaysShownAndSaysSoAndAnUnreadableArchiveSaysWhy)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("shown"))));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("nextdoor"))));
    writeFile(QStringLiteral("shown/a.dst"), gen::writeDst(gen::makeStar(120)));
    writeFile(QStringLiteral("nextdoor/b.dst"), gen::writeDst(gen::makeStar(130)));
    writeFile(QStringLiteral("bad.zip"), {'P', 'K', 3, 4, 20, 0, 0, 0, 8});
    BrowseWindow& window = browse();
    const QString shown = path(QStringLiteral("shown/"));
    const auto* pane = static_cast<QFileSystemModel*>(window.folders()->model());
    window.folders()->setCurrentIndex(pane->index(path(QStringLiteral("shown"))));
    window.awaitListing();
    ASSERT_EQ(window.folder(), shown);
    ASSERT_EQ(column(window.model()), QStringList{"a.dst"});

    ASSERT_TRUE(QDir(shown).removeRecursively());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pane->index(path(QStringLiteral("shown"))).isValid(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.statusLine()->text() == shown + QStringLiteral(" is no longer there."); }, 5000))
        << window.statusLine()->text().toStdString();
    QTest::qWait(400);  // a change seen is listed after 250 ms
    window.awaitListing();
    EXPECT_EQ(window.folder(), shown);
    EXPECT_EQ(window.model().rowCount(), 0);
    EXPECT_FALSE(window.folders()->currentIndex().isValid());  // no other folder marked as shown

    ASSERT_TRUE(QDir().mkpath(shown));
    writeFile(QStringLiteral("shown/c.dst"), gen::writeDst(gen::makeStar(140)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return column(window.model()) == QStringList{"c.dst"}; }, 5000))
        << column(window.model()).join(' ').toStdString();
    EXPECT_TRUE(window.statusLine()->text().startsWith(QStringLiteral("1 design,"))) << window.statusLine()->text().toStdString();
    EXPECT_EQ(pane->filePath(window.folders()->currentIndex()), path(QStringLiteral("shown")));

    window.showPlace(path(QStringLiteral("bad.zip")));
    window.awaitListing();
    EXPECT_EQ(window.model().rowCount(), 0);
    EXPECT_TRUE(window.statusLine()->text().startsWith(path(QStringLiteral("bad.zip cannot be read: "))))
        << window.statusLine()->text().toStdString();
}

TEST_F(BrowseTest, TheSelectionShownAsPagesReplacesTheWaitingRunWithItsDesignsInTheGridsOrder)
{
    makeDesigns(8);
    answerOpen({"d01.dst"});
    onWait([this] {
        // The first of two pages waits; over it the grid, where two designs are asked for as pages.
        rightClick(744, 154);
        ASSERT_EQ(state().SelectedList.count(), 1u);
        BrowseWindow& window = browse();
        clickRow(window, 6);
        clickRow(window, 1, Qt::ControlModifier);
        const QList<QAction*> commands = window.commands();
        ASSERT_EQ(commands[1]->objectName(), QStringLiteral("BrowseShowPages"));
        ASSERT_TRUE(commands[1]->isEnabled());
        commands[1]->trigger();
    });
    form->Open1->trigger();

    // The waiting run is cancelled; the new one starts once it has ended.
    const auto shown = [this] {
        std::vector<std::string> names;
        for (const std::string& name : form->catalog().pageOnDisplay().names)
            if (!name.empty())
                names.push_back(name);
        return names;
    };
    for (int i = 0; i < 200 && shown() != std::vector<std::string>{"d02.dst", "d07.dst"}; ++i)
        QTest::qWait(10);
    EXPECT_EQ(shown(), (std::vector<std::string>{"d02.dst", "d07.dst"}));
    EXPECT_FALSE(form->browsing());
    EXPECT_TRUE(form->Page->isVisible());
    EXPECT_FALSE(form->running());
    EXPECT_EQ(state().SelectedList.count(), 0u);
}

} // namespace
} // namespace orlika::test
