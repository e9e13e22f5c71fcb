// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Host.h"

#include <functional>
#include <string>
#include <vector>

namespace orlika {

// A host without a window, for command-line tools, benchmarks and fuzzing: message
// boxes are answered with their default button and remembered, captions are passed on.
class HeadlessHost : public Host {
public:
    std::function<void(const std::string&)> onCaption;  // every status caption
    std::function<void()> onWait;                       // a page waits for Next: answers it
    std::function<std::string()> clock;                 // date and time text
    std::string pageTitle;
    char separator = '.';
    ScreenGeometry geometry;

    /// Message box texts and error messages since the last clear (at most a few hundred).
    const std::vector<std::string>& messages() const { return m_messages; }
    const std::vector<std::string>& errors() const { return m_errors; }
    void clearMessages()
    {
        m_messages.clear();
        m_errors.clear();
    }

    /// A page of a run waits: onWait answers it (a tool presses Next).
    void answerWait();

    void setStatus(const std::string& text, StatusTone tone = StatusTone::Progress) override;
    void setPhase(const std::string&) override {}
    void setBusy(bool) override {}
    void setRunControls(const RunControls&) override {}
    void setSelectedCount(int) override {}
    MessageAnswer messageBox(const MessageRequest& request) override;
    std::string askPageTitle() override { return pageTitle; }
    std::string dateTimeText() override;
    char decimalSeparator() const override { return separator; }
    ScreenGeometry screenGeometry() const override { return geometry; }
    void showError(const std::string& message) override;

private:
    void remember(std::vector<std::string>& list, const std::string& text);

    std::vector<std::string> m_messages;
    std::vector<std::string> m_errors;
};

} // namespace orlika
