// SPDX-License-Identifier: MIT
#include "platform/HeadlessHost.h"

#include <ctime>
#include <stdexcept>

namespace orlika {

namespace {

constexpr std::size_t kMaxRemembered = 256;

} // namespace

void HeadlessHost::setStatus(const std::string& text, StatusTone /*tone*/)
{
    if (onCaption)
        onCaption(text);
}

void HeadlessHost::answerWait()
{
    // Nobody can press Next here unless a tool says how; never wait for ever.
    if (!onWait)
        throw std::logic_error("a page waited for Next with nobody to press it");
    onWait();
}

MessageAnswer HeadlessHost::messageBox(const MessageRequest& request)
{
    remember(m_messages, request.text);
    return request.defaultAnswer;
}

std::string HeadlessHost::dateTimeText()
{
    if (clock)
        return clock();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%x %X", &local);
    return text;
}

void HeadlessHost::showError(const std::string& message)
{
    remember(m_errors, message);
}

void HeadlessHost::remember(std::vector<std::string>& list, const std::string& text)
{
    if (list.size() < kMaxRemembered)
        list.push_back(text);
}

} // namespace orlika
