// SPDX-License-Identifier: MIT
#include "app/QtHost.h"

#include "app/FormFileList.h"
#include "app/Orlika.h"
#include "app/Prttitle.h"
#include "platform/Rounding.h"
#include "render/PainterCanvas.h"
#include "render/QtText.h"

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace orlika {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::OkNoMoreStop:
        return QMessageBox::Ok;  // and the two of addRunButtons()
    case MessageButtons::YesNoToAll:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll;
    }
    return QMessageBox::Ok;
}

struct RunButtons {
    QAbstractButton* noMore = nullptr;
    QAbstractButton* stop = nullptr;
};

// A design's box during a run can end the storm of boxes or the run itself.
RunButtons addRunButtons(QMessageBox& box)
{
    RunButtons buttons;
    buttons.noMore = box.addButton(QStringLiteral("No More Messages"), QMessageBox::ActionRole);
    buttons.noMore->setObjectName(QStringLiteral("NoMoreMessages"));
    buttons.stop = box.addButton(QStringLiteral("Stop the Run"), QMessageBox::RejectRole);
    buttons.stop->setObjectName(QStringLiteral("StopTheRun"));
    // Esc is OK, as in a box with OK alone: stopping takes a deliberate choice.
    box.setEscapeButton(box.button(QMessageBox::Ok));
    return buttons;
}

QMessageBox::StandardButton toQtButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::YesToAll:
        return QMessageBox::YesToAll;
    case MessageAnswer::NoToAll:
        return QMessageBox::NoToAll;
    case MessageAnswer::NoMoreMessages:
    case MessageAnswer::StopRun:
        break;  // not standard buttons; such a box defaults to OK
    }
    return QMessageBox::Ok;
}

} // namespace

QtHost::QtHost(TForm1& form) : m_form(form) {}

int QtHost::execDialog(QDialog& dialog)
{
    const int result = answerDialog ? answerDialog(dialog) : dialog.exec();
    // A file name's completion list is a window of its own: left open after Enter closed
    // the dialog, it would take the next click or key meant for the page.
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (edit->completer() && edit->completer()->popup())
            edit->completer()->popup()->hide();
    return result;
}

void QtHost::setStatus(const std::string& text, StatusTone tone)
{
    // The end of a run is told in red; the text keeps its colour until the next one.
    QLabel* caption = m_form.Panel1->Caption;
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, toQColor(tone == StatusTone::RunEnd ? Red : Black));
    caption->setPalette(palette);
    m_form.showStatusCaption(QString::fromStdString(text));
}

void QtHost::setPhase(const std::string& text)
{
    m_form.LStat->setText(QString::fromStdString(text));
    m_form.placeStatusCaption();
}

void QtHost::placeSpeedButtons()
{
    const int panelWidth = m_form.Panel1->width();
    const int top = (m_form.Panel1->height() - m_form.SBPrev->height()) / 2;
    const int prevLeft = panelWidth - roundPixel(1.25 * m_form.SBPrev->width());
    const int nextLeft = prevLeft - roundPixel(1.25 * m_form.SBButton->width());
    const int cancelLeft = nextLeft - roundPixel(1.25 * m_form.SBCancel->width());
    m_form.SBPrev->move(prevLeft, top);
    m_form.SBButton->move(nextLeft, top);
    m_form.SBCancel->move(cancelLeft, top);
}

void QtHost::setRunControls(const RunControls& controls)
{
    m_form.SBCancel->setVisible(controls.cancel);
    m_form.SBButton->setVisible(controls.next);
    m_form.SBPrev->setVisible(controls.prev);
    m_form.placeStatusCaption();
}

void QtHost::setBusy(bool busy)
{
    m_busy = busy;
    m_form.File1->menuAction()->setEnabled(!busy);
    m_form.PageLayout1->menuAction()->setEnabled(!busy);
    offerSelectedCommands();
}

void QtHost::setSelectedCount(int count)
{
    m_selectedCount = count;
    m_form.LSelected->setText(QStringLiteral("Selected: %1").arg(count));
    m_form.LSelected->setVisible(count > 0);
    offerSelectedCommands();
}

void QtHost::offerSelectedCommands()
{
    m_form.Selected1->menuAction()->setEnabled(!m_busy && m_selectedCount > 0);
}

void QtHost::processMessages()
{
    // What the run drew since the last time is shown, and only that: the page still
    // shows each cell as it is drawn, without the whole page painted again a few times
    // a cell.
    const QRect changed = m_form.page().takeChanged();
    if (!changed.isEmpty())
        m_form.Page->update(changed);
    QCoreApplication::processEvents();
}

void QtHost::waitForEvents()
{
    // No repaint is asked for here: the run has shown its page before it waits, and every
    // handler that draws asks for its own. A request here would wake the wait at once, so
    // a waiting page would keep a core busy.
    if (onWait) {
        onWait();
        QCoreApplication::processEvents();
        return;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

MessageAnswer QtHost::messageBox(const MessageRequest& request)
{
    if (answerMessage)
        return answerMessage(request);
    QMessageBox box(toQtIcon(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), toQtButtons(request.buttons), &m_form);
    // Texts carry file names, which may look like markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(toQtButton(request.defaultAnswer));
    if (!request.details.empty())
        box.setDetailedText(QString::fromStdString(request.details));
    RunButtons runButtons;
    if (request.buttons == MessageButtons::OkNoMoreStop)
        runButtons = addRunButtons(box);
    // Esc answers this one question only, never all that follow.
    if (request.buttons == MessageButtons::YesNoToAll)
        box.setEscapeButton(QMessageBox::No);
    const int result = execDialog(box);
    if (box.clickedButton() && box.clickedButton() == runButtons.noMore)
        return MessageAnswer::NoMoreMessages;
    if (box.clickedButton() && box.clickedButton() == runButtons.stop)
        return MessageAnswer::StopRun;
    switch (result) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::YesToAll:
        return MessageAnswer::YesToAll;
    case QMessageBox::NoToAll:
        return MessageAnswer::NoToAll;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        // Closed without a button: the box's escape answer.
        return request.buttons == MessageButtons::Ok || request.buttons == MessageButtons::OkNoMoreStop
                   ? MessageAnswer::Ok
               : request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoToAll
                   ? MessageAnswer::No
                   : MessageAnswer::Cancel;
    }
}

void QtHost::resizePage()
{
    m_form.page().resize(m_form.Page->width(), m_form.Page->height());
}

std::string QtHost::askPageTitle()
{
    TTitleDlg* dialog = m_form.titleDlg();
    if (!dialog)
        return {};
    execDialog(*dialog);
    return dialog->Comments1->text().toStdString();
}

std::string QtHost::dateTimeText()
{
    return localDateTimeText();
}

char QtHost::decimalSeparator() const
{
    return localDecimalSeparator();
}

ScreenGeometry QtHost::screenGeometry() const
{
    const QWidget* client = m_form.centralWidget();
    const QRect outer = m_form.frameGeometry();
    return {client->width(), client->height(), m_form.Panel1->height(), outer.width(), outer.height()};
}

void QtHost::showError(const std::string& message)
{
    messageBox(MessageRequest{message, "ORLIKA", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
}

bool QtHost::askCopyMoveDestination(CopyMoveDestination& destination)
{
    return m_form.executeCopyMoveDialog(destination);
}

bool QtHost::askListingFile(ListingFileChoice& choice)
{
    return m_form.executeListingDialog(choice);
}

void QtHost::setListingPrinting(bool printing)
{
    TFileListFr* window = m_form.fileListFr();
    if (!window)
        return;
    if (printing)
        window->showCentred();
    else
        window->hide();
}

void QtHost::setWaiting(bool waiting)
{
    // Override cursors stack: set and restore exactly once each.
    if (waiting == m_waitCursor)
        return;
    m_waitCursor = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace orlika
