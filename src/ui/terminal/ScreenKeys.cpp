#include "ui/terminal/ScreenKeys.h"

#include <QKeyEvent>

#include "session/KeyboardInput.h"

namespace vx {
namespace {

// The digit row by physical key: scan codes 2..10 are the keys 1..9 and 11 is 0, both in the
// Linux input layer (whose X11 and Wayland key codes are 8 higher) and in the PC scan codes
// Windows reports.
std::optional<int> digitOfScanCode(quint32 nativeScanCode) {
#if defined(Q_OS_LINUX)
    if (nativeScanCode < 8) return std::nullopt;
    const quint32 scan = nativeScanCode - 8;
#elif defined(Q_OS_WIN)
    const quint32 scan = nativeScanCode;
#else
    const quint32 scan = 0;
    (void)nativeScanCode;
#endif
    if (scan >= 2 && scan <= 10) return static_cast<int>(scan - 1);
    if (scan == 11) return 0;
    return std::nullopt;
}

// Where no scan code is reported, the shifted digits of a US keyboard still name their key.
std::optional<int> digitOfShiftedSymbol(int key) {
    switch (key) {
        case Qt::Key_Exclam: return 1;
        case Qt::Key_At: return 2;
        case Qt::Key_NumberSign: return 3;
        case Qt::Key_Dollar: return 4;
        case Qt::Key_Percent: return 5;
        case Qt::Key_AsciiCircum: return 6;
        case Qt::Key_Ampersand: return 7;
        case Qt::Key_Asterisk: return 8;
        case Qt::Key_ParenLeft: return 9;
        case Qt::Key_ParenRight: return 0;
        default: return std::nullopt;
    }
}

std::optional<int> specialKeyOf(int key) {
    switch (key) {
        case Qt::Key_End: return static_cast<int>(KeyCode::End);
        case Qt::Key_Left: return static_cast<int>(KeyCode::Left);
        case Qt::Key_Up: return static_cast<int>(KeyCode::Up);
        case Qt::Key_Right: return static_cast<int>(KeyCode::Right);
        case Qt::Key_Down: return static_cast<int>(KeyCode::Down);
        case Qt::Key_Insert: return static_cast<int>(KeyCode::Insert);
        case Qt::Key_Delete: return static_cast<int>(KeyCode::Delete);
        case Qt::Key_T: return static_cast<int>(KeyCode::T);
        default: return std::nullopt;
    }
}

// Ctrl with a letter is its control code whatever text the platform puts in the event, and the
// Atari keyboard's Ctrl+, Ctrl+. and Ctrl+; give the heart, the diamond and the spade.
std::optional<int> controlCharacterOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key - Qt::Key_A + 1;
    switch (key) {
        case Qt::Key_Comma: return 0;
        case Qt::Key_Period: return 96;
        case Qt::Key_Semicolon: return 123;
        default: return std::nullopt;
    }
}

std::optional<int> characterOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return 9;  // the Tab key's character, with or without Shift
        default: break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() < 256) return text[0].unicode();
    return std::nullopt;
}

}  // namespace

std::optional<int> digitKeyOf(const QKeyEvent& event) {
    if (const auto digit = digitOfScanCode(event.nativeScanCode())) return digit;
    if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) return event.key() - Qt::Key_0;
    return digitOfShiftedSymbol(event.key());
}

ScreenKey readScreenKey(const QKeyEvent& event) {
    ScreenKey key;
    const Qt::KeyboardModifiers mods = event.modifiers();
    key.shift = mods & Qt::ShiftModifier;
    key.ctrl = mods & Qt::ControlModifier;
    key.alt = mods & Qt::AltModifier;
    if (key.shift && key.ctrl) {
        if (const auto digit = digitKeyOf(event)) {
            key.special = static_cast<int>(KeyCode::Digit0) + *digit;
            return key;
        }
    }
    key.special = specialKeyOf(event.key());
    key.character = key.ctrl && !key.alt ? controlCharacterOf(event.key()) : std::nullopt;
    if (!key.character) key.character = characterOf(event);
    return key;
}

}  // namespace vx
