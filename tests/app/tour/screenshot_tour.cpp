// SPDX-License-Identifier: MIT
// Drives the desktop program on a real display (Xvfb) and saves what it shows:
//   orlika-screenshot-tour SAMPLES OUTDIR   opens SAMPLES in every layout (two of them
//                                           again with realistic pictures), selects two
//                                           designs, prints them to OUTDIR/selected.pdf and
//                                           their design sheets to OUTDIR/sheets.pdf,
//                                           converts them to OUTDIR/converted, and opens
//                                           orlika.pes in the design view, in lines and
//                                           realistic
//   orlika-screenshot-tour --grab OUT.png   saves the whole screen (for another program)
#include "app/ConvertDialog.h"
#include "app/Forms.h"
#include "app/Orlika.h"
#include "app/Prttitle.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QComboBox>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <cstdio>
#include <deque>
#include <functional>

using namespace orlika;

namespace {

bool grabScreen(const QString& file)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(file);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--grab"))
        return grabScreen(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: orlika-screenshot-tour SAMPLES OUTDIR | --grab OUT.png\n");
        return 2;
    }
    const QDir samples(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    const QStringList names = samples.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (names.isEmpty())
        return 1;

    Forms forms = createForms();
    TForm1& form = *forms.Form1;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    form.activateWindow();
    QTest::qWait(300);

    std::deque<std::function<int(QDialog&)>> answers;
    form.host().answerDialog = [&](QDialog& dialog) {
        if (answers.empty())
            return int(QDialog::Rejected);
        auto answer = answers.front();
        answers.pop_front();
        return answer(dialog);
    };
    const auto openSamples = [&] {
        answers.push_back([&](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            files.setDirectory(samples.absolutePath());
            files.selectFile(samples.absoluteFilePath(names.front()));
            return int(QDialog::Accepted);
        });
    };
    const auto shot = [&](const QString& name) {
        QCoreApplication::processEvents();
        QTest::qWait(150);
        grabScreen(out + QLatin1Char('/') + name + QStringLiteral(".png"));
        std::printf("%s/%s.png  caption \"%s\"\n", qPrintable(out), qPrintable(name), qPrintable(form.statusCaption()));
    };

    struct Step {
        QAction* action;
        const char* name;
    };
    const Step layouts[] = {{form.Standard, "standard"}, {form.StandardWoRemarks, "noremarks"},
                            {form.N12page1, "thumb12"},  {form.N20page1, "thumb20"},
                            {form.N30page1, "thumb30"},  {form.Enlarged, "enlarged"}};
    for (const Step& step : layouts) {
        step.action->trigger();
        openSamples();
        int page = 0;
        form.host().onWait = [&] {
            shot(QStringLiteral("%1-page%2").arg(QLatin1String(step.name)).arg(++page));
            QTest::mouseClick(page < 2 ? form.SBButton : form.SBCancel, Qt::LeftButton);
        };
        form.Open1->trigger();
        if (page == 0)
            shot(QLatin1String(step.name));
    }
    // The standard and the 12-thumbnail pages again with View > Realistic Pictures.
    form.RealisticPictures1->trigger();
    for (const Step& step : {layouts[0], layouts[2]}) {
        step.action->trigger();
        openSamples();
        bool shown = false;
        form.host().onWait = [&] {
            shot(QStringLiteral("%1-realistic").arg(QLatin1String(step.name)));
            shown = true;
            QTest::mouseClick(form.SBCancel, Qt::LeftButton);
        };
        form.Open1->trigger();
        if (!shown)
            shot(QStringLiteral("%1-realistic").arg(QLatin1String(step.name)));
    }
    form.RealisticPictures1->trigger();

    // Select the second and fourth designs of the first page, then print the selection.
    form.Standard->trigger();
    openSamples();
    form.host().onWait = [&] {
        const auto& s = form.catalog().state();
        for (int cell : {1, 3}) {
            const CellPoint origin = s.CellOrigin[std::size_t(cell)];
            QTest::mouseClick(form.Page, Qt::RightButton, {},
                              QPoint(origin.X + s.CellWidth / 2, origin.Y - s.HalfCellHeight / 2));
        }
        shot(QStringLiteral("selected-waiting"));
        QTest::mouseClick(form.SBCancel, Qt::LeftButton);
    };
    form.Open1->trigger();
    if (form.catalog().state().FileCount <= form.catalog().state().CellsPerPage) {
        const auto& s = form.catalog().state();
        for (int cell : {1, 3}) {
            const CellPoint origin = s.CellOrigin[std::size_t(cell)];
            QTest::mouseClick(form.Page, Qt::RightButton, {},
                              QPoint(origin.X + s.CellWidth / 2, origin.Y - s.HalfCellHeight / 2));
        }
    }
    shot(QStringLiteral("selected"));
    form.DisplaySelectedFiles1->trigger();
    shot(QStringLiteral("display-selected"));

    answers.push_back([](QDialog& dialog) {
        dynamic_cast<TTitleDlg&>(dialog).Comments1->setText(QStringLiteral("Two chosen designs"));
        return int(QDialog::Accepted);
    });
    answers.push_back([&](QDialog& dialog) {
        dynamic_cast<QFileDialog&>(dialog).selectFile(out + QStringLiteral("/selected.pdf"));
        return int(QDialog::Accepted);
    });
    form.PrintSelectedFiles2->trigger();
    std::printf("printed %d page(s) to %s/selected.pdf\n", form.lastPagesPrinted(), qPrintable(out));
    answers.push_back([](QDialog&) { return int(QDialog::Accepted); });  // the sheet's options as they are
    answers.push_back([&](QDialog& dialog) {
        dynamic_cast<QFileDialog&>(dialog).selectFile(out + QStringLiteral("/sheets.pdf"));
        return int(QDialog::Accepted);
    });
    form.PrintDesignSheet1->trigger();
    std::printf("printed %d design sheet page(s) to %s/sheets.pdf\n", form.lastPagesPrinted(), qPrintable(out));

    // Convert To: the dialog, then the two designs written as DST into OUTDIR/converted,
    // made when asked, and the summary.
    const QString converted = out + QStringLiteral("/converted");
    QDir(converted).removeRecursively();
    const auto grabDialog = [&](QDialog& dialog, const QString& name) {
        dialog.show();
        QTest::qWait(300);
        dialog.grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
        std::printf("%s/%s.png\n", qPrintable(out), qPrintable(name));
    };
    answers.push_back([&](QDialog& dialog) {
        auto& convert = dynamic_cast<TConvertDialog&>(dialog);
        convert.FolderEdit->setText(converted);
        grabDialog(convert, QStringLiteral("convert-dialog"));
        convert.hide();
        return int(QDialog::Accepted);
    });
    answers.push_back([](QDialog&) { return int(QMessageBox::Yes); });
    answers.push_back([&](QDialog& dialog) {
        grabDialog(dialog, QStringLiteral("convert-summary"));
        dialog.hide();
        return int(QMessageBox::Ok);
    });
    form.ConvertTo1->trigger();
    shot(QStringLiteral("converted"));
    // Again into the same folder: the question for a name that exists, over the status bar
    // with its progress and Cancel; No to All.
    answers.push_back([](QDialog&) { return int(QDialog::Accepted); });
    answers.push_back([&](QDialog& dialog) {
        dialog.show();
        QTest::qWait(300);
        grabScreen(out + QStringLiteral("/convert-asking.png"));
        std::printf("%s/convert-asking.png  caption \"%s\"\n", qPrintable(out), qPrintable(form.statusCaption()));
        dialog.hide();
        return int(QMessageBox::NoToAll);
    });
    answers.push_back([](QDialog&) { return int(QMessageBox::Ok); });
    form.ConvertTo1->trigger();
    shot(QStringLiteral("converted-again"));

    // A double click on orlika.pes opens it in the design view: as it opens, and zoomed in
    // on its first letters.
    form.N30page1->trigger();
    openSamples();
    form.host().onWait = [&] { QTest::mouseClick(form.SBCancel, Qt::LeftButton); };
    form.Open1->trigger();
    const PageOnDisplay& display = form.catalog().pageOnDisplay();
    for (int cell = 0; cell < display.cellCount; ++cell) {
        if (display.names[std::size_t(cell)] != "orlika.pes")
            continue;
        answers.push_back([&](QDialog& dialog) {
            dialog.show();
            QTest::qWait(300);
            dialog.grab().save(out + QStringLiteral("/design-view.png"));
            auto* canvas = dialog.findChild<QWidget*>(QStringLiteral("DesignCanvas"));
            const QPoint at(canvas->width() / 4, canvas->height() / 2);
            QWheelEvent wheel(QPointF(at), QPointF(canvas->mapToGlobal(at)), QPoint(), QPoint(0, 3 * 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(canvas, &wheel);
            QTest::qWait(150);
            dialog.grab().save(out + QStringLiteral("/design-view-zoomed.png"));
            // Realistic, zoomed on the letters, sewn out to two thirds of its stitches.
            QTest::keyClick(canvas, Qt::Key_R);
            if (auto* slider = dialog.findChild<QSlider*>(QStringLiteral("SewingPosition")))
                slider->setValue(slider->maximum() * 2 / 3);
            QTest::qWait(150);
            dialog.grab().save(out + QStringLiteral("/design-view-realistic.png"));
            // A fill in many threads on a cream fabric, sewn out to two thirds.
            for (int step = 0; step < 12 && !dialog.windowTitle().startsWith(QStringLiteral("spiral-threads"));
                 ++step)
                QTest::keyClick(canvas, Qt::Key_PageDown);
            if (auto* fabric = dialog.findChild<QComboBox*>(QStringLiteral("Fabric")))
                fabric->setCurrentIndex(fabric->findText(QStringLiteral("Cream")));
            if (auto* slider = dialog.findChild<QSlider*>(QStringLiteral("SewingPosition")))
                slider->setValue(slider->maximum() * 2 / 3);
            QTest::qWait(150);
            dialog.grab().save(out + QStringLiteral("/design-view-realistic-fill.png"));
            std::printf("%s/design-view.png, %s/design-view-zoomed.png, %s/design-view-realistic.png\n",
                        qPrintable(out), qPrintable(out), qPrintable(out));
            QTest::keyClick(canvas, Qt::Key_Escape);
            return dialog.result();
        });
        const CellPoint origin = display.origins[std::size_t(cell)];
        QTest::mouseDClick(form.Page, Qt::LeftButton, {},
                           QPoint(origin.X + display.cellWidth / 2, origin.Y - display.halfCellHeight / 2));
        shot(QStringLiteral("after-design-view"));
    }

    // The Page Layout menu open, as the user sees it.
    form.menuBar()->setActiveAction(form.PageLayout1->menuAction());
    shot(QStringLiteral("layout-menu"));
    form.PageLayout1->hide();
    return 0;
}
