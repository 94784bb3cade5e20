#include "ui/MainFrame.h"

#include "ui/terminal/ScreenWidget.h"

namespace vx {

MainFrame::MainFrame(Framebuffer& surface, QWidget* parent) : QMainWindow(parent) {
    setObjectName("MDIForm1");
    setWindowTitle("Vexterm");
    m_screen = new ScreenWidget(surface, this);
    m_screen->setObjectName("Form1");
    setCentralWidget(m_screen);
}

}  // namespace vx
