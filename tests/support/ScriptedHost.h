// SPDX-License-Identifier: MIT
// A host that records what the core asks of the user interface and answers from a script.
#pragma once

#include "platform/Host.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlika::test {

class ScriptedHost : public Host {
public:
    std::vector<std::string> log;                 // every call, in order
    std::vector<std::string> captions;            // status captions, in order
    std::vector<MessageRequest> messages;         // message boxes shown
    std::vector<std::string> errors;              // errors that ended a run
    std::deque<std::function<void()>> onWait;     // one action per wait for events
    std::deque<MessageAnswer> answers;            // answers to message boxes (default Ok)
    std::function<void(const std::string&)> onCaption;  // what happens as a caption is set
    std::string pageTitle;
    ScreenGeometry geometry{1000, 640, 40, 1016, 700};
    bool menus[3] = {true, true, false};
    bool buttons[3] = {false, false, false};
    std::string statLabel;
    bool selectedLabelVisible = false;
    std::string selectedLabel;
    int waits = 0;
    // The file commands' dialogs: one scripted answer per showing (none: cancelled).
    std::deque<CopyMoveDestination> destinations;
    std::deque<ListingFileChoice> listingFiles;
    int dialogsShown = 0;
    bool waitCursor = false;
    bool listingWindowVisible = false;

    void setStatusCaption(const std::string& text) override
    {
        captions.push_back(text);
        log.push_back("Caption \"" + text + "\"");
        if (onCaption)
            onCaption(text);
    }
    void setStatusFontColor(Color color) override { log.push_back("StatusColor " + std::to_string(color)); }
    void setStatLabel(const std::string& text) override
    {
        statLabel = text;
        log.push_back("Stat \"" + text + "\"");
    }
    void placeSpeedButtons() override {}
    void showSpeedButton(SpeedButton button, bool visible) override { buttons[int(button)] = visible; }
    void enableMenu(Menu menu, bool enabled) override { menus[int(menu)] = enabled; }
    void showSelectedLabel(bool visible, const std::string& caption) override
    {
        selectedLabelVisible = visible;
        selectedLabel = caption;
    }
    void processMessages() override {}
    void waitForEvents() override
    {
        ++waits;
        if (onWait.empty())
            throw std::logic_error("the run waited with no scripted answer");
        auto action = std::move(onWait.front());
        onWait.pop_front();
        action();
    }
    MessageAnswer messageBox(const MessageRequest& request) override
    {
        messages.push_back(request);
        if (answers.empty())
            return MessageAnswer::Ok;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string askPageTitle() override
    {
        log.push_back("AskTitle");
        return pageTitle;
    }
    std::string dateTimeText() override { return "07/12/2026 10:00:00"; }
    char decimalSeparator() const override { return '.'; }
    ScreenGeometry screenGeometry() const override { return geometry; }
    void resizePage() override { log.push_back("ResizePage"); }
    void showError(const std::string& message) override { errors.push_back(message); }
    bool askCopyMoveDestination(CopyMoveDestination& destination) override
    {
        ++dialogsShown;
        log.push_back("AskDestination");
        if (destinations.empty())
            return false;
        destination = destinations.front();
        destinations.pop_front();
        return true;
    }
    bool askListingFile(ListingFileChoice& choice) override
    {
        ++dialogsShown;
        log.push_back("AskListingFile");
        if (listingFiles.empty())
            return false;
        choice = listingFiles.front();
        listingFiles.pop_front();
        return true;
    }
    void showListingWindow(bool visible) override
    {
        listingWindowVisible = visible;
        log.push_back(visible ? "ShowListingWindow" : "HideListingWindow");
    }
    void setWaitCursor(bool waiting) override
    {
        waitCursor = waiting;
        log.push_back(waiting ? "WaitCursor" : "NormalCursor");
    }

    bool menuEnabled(Menu menu) const { return menus[int(menu)]; }
    bool buttonShown(SpeedButton button) const { return buttons[int(button)]; }
};

} // namespace orlika::test
