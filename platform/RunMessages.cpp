// SPDX-License-Identifier: MIT
#include "platform/RunMessages.h"

namespace orlika {

void RunMessages::beginRun()
{
    m_asked.clear();
    m_silenced = false;
    m_suppressed = 0;
}

void RunMessages::raise(const std::string& designPath, const std::string& text, const std::string& caption,
                        MessageIcon icon)
{
    if (m_silenced || m_cancelPressed || !m_asked.emplace(designPath, text).second) {
        ++m_suppressed;
        return;
    }
    const MessageAnswer answer = m_host.messageBox(
        MessageRequest{text, caption, icon, MessageButtons::OkNoMoreStop, MessageAnswer::Ok});
    if (answer == MessageAnswer::NoMoreMessages)
        m_silenced = true;
    else if (answer == MessageAnswer::StopRun)
        m_cancelPressed = true;
}

} // namespace orlika
