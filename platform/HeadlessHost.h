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
    std::function<void()> onWait;                       // a page waits for Next
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

    void setStatusCaption(const std::string& text) override;
    void setStatusFontColor(Color) override {}
    void setStatLabel(const std::string&) override {}
    void placeSpeedButtons() override {}
    void showSpeedButton(SpeedButton, bool) override {}
    void enableMenu(Menu, bool) override {}
    void showSelectedLabel(bool, const std::string&) override {}
    void processMessages() override {}
    void waitForEvents() override;
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
