#pragma once

#include <array>
#include <functional>
#include <string>

#include "directory/BBSRecord.h"

namespace vx {

class SendPath;

// The ten macro buttons of the current BBS and the two ways a macro is sent: a button sends the
// whole text at once; the hot key Shift+Ctrl+digit does too, unless the record asks for one
// character at a time (one every 125 ms).
class MacroSender {
public:
    static constexpr int kOneAtATimeDelayMs = 125;

    struct Button {
        bool visible = false;
        std::string caption;
        friend bool operator==(const Button&, const Button&) = default;
    };

    MacroSender(SendPath& send, std::function<bool()> connected);

    // Buttons of the macros whose stored text is not empty, captioned with their digit.
    void refreshButtons(const BBSRecord& record);
    const std::array<Button, 10>& buttons() const { return m_buttons; }

    // `active` is the record's ten macros ready to send (unscrambled, expanded).
    void sendFromButton(int digit, const std::array<std::string, 10>& active);
    void sendFromHotKey(int digit, const std::array<std::string, 10>& active, bool oneAtATime);

private:
    SendPath& m_send;
    std::function<bool()> m_connected;
    std::array<Button, 10> m_buttons;
};

// The macro without blanks at either end.
std::string trimMacro(const std::string& text);

}  // namespace vx
