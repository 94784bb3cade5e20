#pragma once

// Key presses as the X11 (xcb) platform delivers them on a US keyboard: the key Qt names, the
// text xkb makes of it, the X key code (the Linux scan code plus 8) and the keysym. Tests send
// these, not hand-made events that only the code under test would produce: Shift+Ctrl+1 is
// Key_Exclam with the text "!", Delete carries the text "\x7f".
#include <QApplication>
#include <QKeyEvent>
#include <QSpontaneKeyEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace vx::test {

struct X11Key {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    quint32 keyCode;  // X key code: evdev scan code + 8
    quint32 keysym;
    QString text;
};

namespace x11 {

constexpr quint32 kShiftMask = 1, kControlMask = 4, kMod1Mask = 8;

inline quint32 nativeModifiers(Qt::KeyboardModifiers modifiers) {
    quint32 mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= kShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= kControlMask;
    if (modifiers & Qt::AltModifier) mask |= kMod1Mask;
    return mask;
}

// A letter key a..z: its X key code on a US keyboard.
inline quint32 letterKeyCode(char letter) {
    static const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const quint32 firstCode[] = {24, 38, 52};
    for (int row = 0; row < 3; ++row)
        for (int i = 0; rows[row][i]; ++i)
            if (rows[row][i] == letter) return firstCode[row] + static_cast<quint32>(i);
    return 0;
}

inline X11Key letter(char c, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const char lower = static_cast<char>(c | 0x20);
    const bool upper = c >= 'A' && c <= 'Z';
    if (upper) modifiers |= Qt::ShiftModifier;
    QString text = QString(QChar(c));
    if (modifiers & Qt::ControlModifier) text = QString(QChar(lower & 0x1f));
    return {"letter", static_cast<Qt::Key>(Qt::Key_A + (lower - 'a')), modifiers, letterKeyCode(lower),
            static_cast<quint32>(upper ? c : lower), text};
}

inline const X11Key kReturn{"Return", Qt::Key_Return, Qt::NoModifier, 36, 0xff0d, "\r"};
inline const X11Key kBackspace{"Backspace", Qt::Key_Backspace, Qt::NoModifier, 22, 0xff08, "\b"};
inline const X11Key kTab{"Tab", Qt::Key_Tab, Qt::NoModifier, 23, 0xff09, "\t"};
inline const X11Key kShiftTab{"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, 23, 0xfe20, "\t"};
inline const X11Key kDelete{"Delete", Qt::Key_Delete, Qt::NoModifier, 119, 0xffff, QString(QChar(0x7f))};
inline const X11Key kInsert{"Insert", Qt::Key_Insert, Qt::NoModifier, 118, 0xff63, ""};
inline const X11Key kEscape{"Escape", Qt::Key_Escape, Qt::NoModifier, 9, 0xff1b, QString(QChar(0x1b))};
inline const X11Key kEnd{"End", Qt::Key_End, Qt::NoModifier, 115, 0xff57, ""};
inline const X11Key kLeft{"Left", Qt::Key_Left, Qt::NoModifier, 113, 0xff51, ""};
inline const X11Key kRight{"Right", Qt::Key_Right, Qt::NoModifier, 114, 0xff53, ""};
inline const X11Key kDown{"Down", Qt::Key_Down, Qt::NoModifier, 116, 0xff54, ""};
inline const X11Key kCtrlComma{"Ctrl+,", Qt::Key_Comma, Qt::ControlModifier, 59, 0x2c, ","};
inline const X11Key kCtrlPeriod{"Ctrl+.", Qt::Key_Period, Qt::ControlModifier, 60, 0x2e, "."};
inline const X11Key kCtrlSemicolon{"Ctrl+;", Qt::Key_Semicolon, Qt::ControlModifier, 47, 0x3b, ";"};

// Shift+Ctrl with a digit key: the key and text are the shifted symbol's ("!" for 1).
inline X11Key shiftCtrlDigit(int digit) {
    static const Qt::Key keys[] = {Qt::Key_ParenRight, Qt::Key_Exclam,    Qt::Key_At,       Qt::Key_NumberSign,
                                   Qt::Key_Dollar,     Qt::Key_Percent,   Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                   Qt::Key_Asterisk,   Qt::Key_ParenLeft};
    static const char symbols[] = ")!@#$%^&*(";
    const quint32 keyCode = digit == 0 ? 19 : 9 + static_cast<quint32>(digit);
    return {"Shift+Ctrl+digit", keys[digit], Qt::ShiftModifier | Qt::ControlModifier, keyCode,
            static_cast<quint32>(symbols[digit]), QString(QChar(symbols[digit]))};
}

}  // namespace x11

// Presses and releases the key at the widget that has the keyboard focus, by the route a real
// key takes: the shortcut check first, then the key event itself.
inline void pressKey(const X11Key& key) {
    QWidget* target = QApplication::focusWidget();
    if (!target) {
        QTest::qFail("no widget has the keyboard focus", __FILE__, __LINE__);
        return;
    }
    const quint32 modifiers = x11::nativeModifiers(key.modifiers);
    QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, key.keyCode, key.keysym, modifiers, key.text);
    QSpontaneKeyEvent::setSpontaneous(&press);
    if (!qt_sendShortcutOverrideEvent(target, press.timestamp(), key.key, key.modifiers, key.text))
        QApplication::instance()->notify(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key.key, key.modifiers, key.keyCode, key.keysym, modifiers, key.text);
    QSpontaneKeyEvent::setSpontaneous(&release);
    QApplication::instance()->notify(target, &release);
}

inline void typeText(const QString& text) {
    for (const QChar c : text) {
        if (c == '\r')
            pressKey(x11::kReturn);
        else if (c.isLetter())
            pressKey(x11::letter(c.toLatin1()));
        else
            QTest::qFail("typeText takes letters and \\r", __FILE__, __LINE__);
    }
}

}  // namespace vx::test
