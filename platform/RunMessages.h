// SPDX-License-Identifier: MIT
// The message boxes that designs raise during one run of the page engine.
#pragma once

#include "platform/Host.h"

#include <set>
#include <string>
#include <utility>

namespace orlika {

// A folder of broken files must not become a storm of boxes: each design is asked about
// once a run (Prev draws it again without asking), every box offers to show no more of
// this run or to stop the run, and after "No More Messages" the run goes on quietly.
class RunMessages {
public:
    RunMessages(Host& host, bool& cancelPressed) : m_host(host), m_cancelPressed(cancelPressed) {}

    /// A new run: every design may ask again.
    void beginRun();
    /// Shows the design's box unless this design showed it already this run or the user
    /// asked for no more; "Stop the Run" sets the cancel flag.
    void raise(const std::string& designPath, const std::string& text, const std::string& caption,
               MessageIcon icon = MessageIcon::None);
    /// Boxes this run did not show.
    int suppressed() const { return m_suppressed; }

private:
    Host& m_host;
    bool& m_cancelPressed;
    std::set<std::pair<std::string, std::string>> m_asked;  // design path, text
    bool m_silenced = false;
    int m_suppressed = 0;
};

} // namespace orlika
