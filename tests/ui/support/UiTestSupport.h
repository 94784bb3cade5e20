#pragma once

// What every window test shares: Qt warnings are failures (a window that reads out of range or
// paints where it should not says so only through a warning), except the offscreen platform's
// notes about what it cannot do.
#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

namespace vx::test {

// Call from each test class's init().
inline void failOnUnexpectedWarnings() {
    QTest::failOnWarning(
        QRegularExpression("^(?!This plugin does not support |QStandardPaths: XDG_RUNTIME_DIR not set).*"));
}

// A control of a window by its object name; a missing one ends the test run with its name.
template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(name);
    if (!found) qFatal("no control %s", name);
    return found;
}

// A window of the program by its object name, wherever it was opened (dialogs open on the window
// the user is in); null when there is none.
template <typename T>
T* openWindow(const char* name) {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == name && widget->isWindow())
            if (T* window = qobject_cast<T*>(widget)) return window;
    return nullptr;
}

// Characters as a keyboard layout that has them delivers them: the key is the character's upper
// case, the text the character (QTest::keyClicks would pass them through Latin-1 first).
inline void typeCharacters(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        for (const auto type : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(type, widget, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// A click on a button, as the mouse gives it.
inline void click(QWidget* window, const char* name) {
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

}  // namespace vx::test
