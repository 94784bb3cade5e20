// Vexterm: composition root. Builds the core objects and the windows that show them.
#include <QApplication>

#include "terminal/Framebuffer.h"
#include "terminal/ScreenInterpreter.h"
#include "ui/MainFrame.h"
#include "ui/terminal/ScreenWidget.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vexterm");

    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter(surface);
    interpreter.CursorOn(0, 0, false);

    vx::MainFrame frame(surface);
    frame.show();
    frame.screen()->setFocus();
    return QApplication::exec();
}
