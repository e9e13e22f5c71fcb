// SPDX-License-Identifier: MIT
// The catalog's user interface on the Qt main window.
#pragma once

#include "platform/Host.h"

#include <functional>

class QDialog;

namespace orlika {

class TForm1;

class QtHost : public Host {
public:
    explicit QtHost(TForm1& form);

    // Tests answer instead of the user. Each hook, when set, replaces the real thing.
    /// Runs at each wait for events of a page end, instead of blocking for input.
    std::function<void()> onWait;
    /// Answers a message box without showing it.
    std::function<MessageAnswer(const MessageRequest&)> answerMessage;
    /// Plays the user's part in a modal dialog and returns its result code.
    std::function<int(QDialog&)> answerDialog;

    /// Runs a modal dialog, or hands it to answerDialog.
    int execDialog(QDialog& dialog);

    void setStatusCaption(const std::string& text) override;
    void setStatusFontColor(Color color) override;
    void setStatLabel(const std::string& text) override;
    void placeSpeedButtons() override;
    void showSpeedButton(SpeedButton button, bool visible) override;
    void enableMenu(Menu menu, bool enabled) override;
    void showSelectedLabel(bool visible, const std::string& caption) override;
    void processMessages() override;
    void waitForEvents() override;
    MessageAnswer messageBox(const MessageRequest& request) override;
    void resizePage() override;
    std::string askPageTitle() override;
    std::string dateTimeText() override;
    char decimalSeparator() const override;
    ScreenGeometry screenGeometry() const override;
    void showError(const std::string& message) override;
    bool askCopyMoveDestination(CopyMoveDestination& destination) override;
    bool askListingFile(ListingFileChoice& choice) override;
    void showListingWindow(bool visible) override;
    void setWaitCursor(bool waiting) override;

private:
    TForm1& m_form;
    Color m_statusColor = Black;
    bool m_waitCursor = false;
};

} // namespace orlika
