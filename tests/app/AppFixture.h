// SPDX-License-Identifier: MIT
// The real main window under the offscreen platform, with a folder of generated designs,
// dialogs and message boxes answered by the test and page-end waits driven by a script.
#pragma once

#include "app/Forms.h"
#include "app/Orlika.h"
#include "app/Prttitle.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace orlika::test {

class AppTest : public ::testing::Test {
protected:
    Forms forms;
    TForm1* form = nullptr;
    QTemporaryDir dir;
    std::deque<std::function<int(QDialog&)>> dialogAnswers;
    std::deque<std::function<void()>> waitActions;
    std::vector<MessageRequest> messages;
    std::vector<QString> dialogsShown;
    int waits = 0;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        forms = createForms();
        form = forms.Form1.get();
        form->show();
        QCoreApplication::processEvents();
        // A page area of 1000 x 600 pixels above the status panel.
        const QSize client = form->centralWidget()->size();
        const int panel = form->Panel1->height();
        form->resize(form->size() + QSize(1000 - client.width(), 600 + panel - client.height()));
        QCoreApplication::processEvents();
        ASSERT_EQ(form->Page->size(), QSize(1000, 600));

        QtHost& host = form->host();
        host.answerMessage = [this](const MessageRequest& request) {
            messages.push_back(request);
            return request.defaultAnswer;
        };
        host.answerDialog = [this](QDialog& dialog) {
            dialogsShown.push_back(dialog.objectName());
            if (dialogAnswers.empty()) {
                ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                return int(QDialog::Rejected);
            }
            auto answer = std::move(dialogAnswers.front());
            dialogAnswers.pop_front();
            return answer(dialog);
        };
        host.onWait = [this] {
            ++waits;
            if (waitActions.empty()) {
                ADD_FAILURE() << "the run waited with nothing scripted";
                form->SBCancelClick();
                return;
            }
            auto action = std::move(waitActions.front());
            waitActions.pop_front();
            action();
        };
    }

    void TearDown() override
    {
        EXPECT_TRUE(dialogAnswers.empty()) << "dialogs scripted but not shown";
        EXPECT_TRUE(waitActions.empty()) << "page ends scripted but not reached";
    }

    CatalogState& state() { return form->catalog().state(); }
    QString folder() const { return dir.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return folder() + name; }

    static std::string designName(int i)
    {
        char name[16];
        std::snprintf(name, sizeof name, "d%02d.dst", i);
        return name;
    }

    void writeFile(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }

    /// d01.dst ... dNN.dst, stars of growing size.
    void makeDesigns(int count)
    {
        for (int i = 1; i <= count; ++i)
            writeFile(QString::fromStdString(designName(i)), gen::writeDst(gen::makeStar(150 + 10 * i)));
    }

    // Dialog answers, in the order the dialogs come up.
    /// Answers the next open dialog with the names, under the filter at `filterIndex` (from 1,
    /// as the dialog lists them; the seventh is "All supported formats").
    void answerOpen(const QStringList& names, int filterIndex = 7)
    {
        dialogAnswers.push_back([this, names, filterIndex](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            files.selectNameFilter(TForm1::openFilters().at(filterIndex - 1));
            files.setDirectory(dir.path());
            if (names.size() == 1) {
                files.selectFile(path(names.front()));
            } else {
                QStringList quoted;
                for (const QString& name : names)
                    quoted << QLatin1Char('"') + name + QLatin1Char('"');
                files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(quoted.join(QLatin1Char(' ')));
            }
            return int(QDialog::Accepted);
        });
    }
    void cancelDialog()
    {
        dialogAnswers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    }
    void answerTitle(const QString& title, QString* shownBefore = nullptr)
    {
        dialogAnswers.push_back([title, shownBefore](QDialog& dialog) {
            auto& titleDlg = dynamic_cast<TTitleDlg&>(dialog);
            if (shownBefore)
                *shownBefore = titleDlg.Comments1->text();
            titleDlg.Comments1->setText(title);
            return int(QDialog::Accepted);
        });
    }
    /// Print Design Sheet's options: OK with "Realistic picture" as given.
    void answerSheetOptions(bool realistic = false)
    {
        dialogAnswers.push_back([realistic](QDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("DesignSheetDialog"));
            auto* option = dialog.findChild<QCheckBox*>(QStringLiteral("RealisticPicture"));
            EXPECT_NE(option, nullptr);
            if (option)
                option->setChecked(realistic);
            return int(QDialog::Accepted);
        });
    }
    void answerPdfName(const QString& file)
    {
        dialogAnswers.push_back([file](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            EXPECT_EQ(files.acceptMode(), QFileDialog::AcceptSave);
            files.selectFile(file);
            return int(QDialog::Accepted);
        });
    }

    // Page-end actions, through the real buttons and keys.
    void onWait(std::function<void()> action) { waitActions.push_back(std::move(action)); }
    void click(QToolButton* button)
    {
        ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString() << " is hidden";
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void key(Qt::Key key, QWidget* target = nullptr) { QTest::keyClick(target ? target : form->Page, key); }
    void key(char character, QWidget* target = nullptr) { QTest::keyClick(target ? target : form->Page, character); }
    void rightClick(int x, int y) { QTest::mouseClick(form->Page, Qt::RightButton, {}, QPoint(x, y)); }

    /// Index in FileList of the first design on display.
    int firstOnDisplay() const { return forms.Form1->catalog().firstIndexOnDisplay(); }

    /// Count of clearly red pixels in a part of the page.
    int redPixels(const QRect& area)
    {
        form->page().flush();
        const QImage& image = form->page().image();
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                    ++count;
            }
        return count;
    }
    /// Count of pixels that are not white in the page.
    int inkedPixels()
    {
        form->page().flush();
        const QImage& image = form->page().image();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    ++count;
        return count;
    }
};

} // namespace orlika::test
