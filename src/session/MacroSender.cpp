#include "session/MacroSender.h"

#include <algorithm>

#include "directory/Macros.h"
#include "session/SendPath.h"

namespace vx {

std::string trimMacro(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

MacroSender::MacroSender(SendPath& send, std::function<bool()> connected)
    : m_send(send), m_connected(std::move(connected)) {}

void MacroSender::refreshButtons(const BBSRecord& record) {
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i] = {};
        if (!record.macros[i].text.empty()) m_buttons[i] = {true, std::to_string(i)};
    }
}

void MacroSender::sendFromButton(int digit, const std::array<std::string, 10>& active) {
    if (digit < 0 || digit > 9 || !m_connected()) return;
    const std::string text = ExpandMacro(trimMacro(active[static_cast<std::size_t>(digit)]));
    if (!text.empty()) m_send.SendToBBS(text, 0, false);
}

void MacroSender::sendFromHotKey(int digit, const std::array<std::string, 10>& active, bool oneAtATime) {
    if (digit < 0 || digit > 9 || !m_connected()) return;
    std::string text = trimMacro(active[static_cast<std::size_t>(digit)]);
    if (!oneAtATime) {
        text = ExpandMacro(text);
        if (!text.empty()) m_send.SendToBBS(text, 0, false);
        return;
    }
    std::erase(text, '\0');
    if (!text.empty()) m_send.SendToBBS(text, kOneAtATimeDelayMs, false);
}

}  // namespace vx
