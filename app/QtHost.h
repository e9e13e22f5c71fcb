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

    /// Shows what a run drew since the last time, then lets the window handle pending events.
    void processMessages();
    /// Handles events until at least one arrived (or runs onWait); while a page waits.
    void waitForEvents();

    /// Lines Next, Prev and Cancel up from the right edge of the status panel.
    void placeSpeedButtons();

    void setStatus(const std::string& text, StatusTone tone = StatusTone::Progress) override;
    void setPhase(const std::string& text) override;
    void setBusy(bool busy) override;
    void setRunControls(const RunControls& controls) override;
    void setSelectedCount(int count) override;
    MessageAnswer messageBox(const MessageRequest& request) override;
    void resizePage() override;
    std::string askPageTitle() override;
    std::string dateTimeText() override;
    char decimalSeparator() const override;
    ScreenGeometry screenGeometry() const override;
    void showError(const std::string& message) override;
    bool askCopyMoveDestination(CopyMoveDestination& destination) override;
    bool askListingFile(ListingFileChoice& choice) override;
    void setListingPrinting(bool printing) override;
    void setWaiting(bool waiting) override;

private:
    /// The Selected menu's commands are offered while something is selected and nothing busy.
    void offerSelectedCommands();

    TForm1& m_form;
    bool m_waitCursor = false;
    bool m_busy = false;
    int m_selectedCount = 0;
};

} // namespace orlika
