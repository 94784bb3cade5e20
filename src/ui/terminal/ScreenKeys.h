#pragma once

#include <optional>

class QKeyEvent;

namespace vx {

// A key pressed on the screen, as the keyboard core takes it: a special key (the key codes of
// KeyCode) with its modifiers, or a character 0-255, or neither (a key that means nothing to the
// board, such as F1).
struct ScreenKey {
    std::optional<int> special;
    std::optional<int> character;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// Reads a key press by what the key is, not by the character the layout and Shift make of it:
// Shift+Ctrl+1 arrives on X11 as Key_Exclam with the text "!", and must still be the digit 1.
ScreenKey readScreenKey(const QKeyEvent& event);

// The digit key 0-9 that was pressed, from the physical key where the platform reports it.
std::optional<int> digitKeyOf(const QKeyEvent& event);

}  // namespace vx
