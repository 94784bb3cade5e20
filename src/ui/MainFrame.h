#pragma once

#include <QMainWindow>

#include "terminal/Framebuffer.h"

namespace vx {

class ScreenWidget;

// The main frame: holds the screen window; toolbar, status bar and the terminal window
// follow.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit MainFrame(Framebuffer& surface, QWidget* parent = nullptr);

    ScreenWidget* screen() const { return m_screen; }

private:
    ScreenWidget* m_screen = nullptr;
};

}  // namespace vx
