#include "ui/frame/WelcomeWindow.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "ui/platform/WindowPlacement.h"
#include "ui/terminal/StartupPicture.h"

namespace vx {

WelcomeWindow::WelcomeWindow(std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent), m_onDismiss(std::move(onDismiss)) {
    setObjectName("frmWelcome");
    setWindowTitle(kCaption);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(new StartupPicture(this), 0, Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    // Wide enough for the whole caption in a title bar (bold, with the window buttons beside it).
    QFont titleFont = font();
    titleFont.setBold(true);
    setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(kCaption) + kTitleBarButtons);
}

void WelcomeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreOnScreen(*this);
}

void WelcomeWindow::dismiss() {
    if (!isVisible()) return;
    hide();
    if (m_onDismiss) m_onDismiss();
}

void WelcomeWindow::keyPressEvent(QKeyEvent*) { dismiss(); }

void WelcomeWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dismiss();
}

}  // namespace vx
