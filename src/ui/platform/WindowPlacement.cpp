#include "ui/platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vx {
namespace {

QScreen* screenOf(const QWidget& window) {
    QScreen* screen = window.screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

void keepOnScreen(QWidget& window) {
    const QScreen* screen = screenOf(window);
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame around the window, as far as the window system has told us; none before showing.
    const QRect frame = window.frameGeometry();
    const int extraWidth = frame.width() - window.width();
    const int extraHeight = frame.height() - window.height();
    const int width = std::min(window.width(), area.width() - extraWidth);
    const int height = std::min(window.height(), area.height() - extraHeight);
    if (width != window.width() || height != window.height()) window.resize(width, height);
    const int left = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - width - extraWidth));
    const int top = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - height - extraHeight));
    if (left != frame.left() || top != frame.top()) window.move(left, top);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = screenOf(window);
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    window.move(area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2);
    keepOnScreen(window);
}

}  // namespace vx
