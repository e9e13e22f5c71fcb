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
    std::deque<std::function<void()>> onWait;     // one action each time a page waits
    std::deque<MessageAnswer> answers;            // answers to message boxes (default Ok)
    std::function<void(const std::string&)> onCaption;  // what happens as a caption is set
    std::string pageTitle;
    ScreenGeometry geometry{1000, 640, 40, 1016, 700};
    bool busy = false;
    int selectedCount = 0;
    RunControls controls;
    std::string phase;
    int waits = 0;
    // The file commands' dialogs: one scripted answer per showing (none: cancelled).
    std::deque<CopyMoveDestination> destinations;
    std::deque<ListingFileChoice> listingFiles;
    int dialogsShown = 0;
    bool waiting = false;
    bool listingPrinting = false;

    void setStatus(const std::string& text, StatusTone /*tone*/ = StatusTone::Progress) override
    {
        captions.push_back(text);
        log.push_back("Caption \"" + text + "\"");
        if (onCaption)
            onCaption(text);
    }
    void setPhase(const std::string& text) override
    {
        phase = text;
        log.push_back("Phase \"" + text + "\"");
    }
    void setBusy(bool now) override { busy = now; }
    void setRunControls(const RunControls& now) override { controls = now; }
    void setSelectedCount(int count) override { selectedCount = count; }
    /// A page waits: the next scripted action answers it.
    void answerWait()
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
    void setListingPrinting(bool now) override
    {
        listingPrinting = now;
        log.push_back(now ? "ListingPrinting" : "ListingPrinted");
    }
    void setWaiting(bool now) override
    {
        waiting = now;
        log.push_back(now ? "Waiting" : "NotWaiting");
    }

    /// The Selected menu's commands, as a window offers them from what it was told.
    bool selectedCommandsOffered() const { return !busy && selectedCount > 0; }
};

} // namespace orlika::test
