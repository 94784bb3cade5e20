// vx_widget_place --system-folder DIR NAME...: lays out the desktop program's windows exactly as
// the program does (without the welcome window), on the offscreen platform, and prints one line
// "NAME X Y" per named widget: the centre of the widget relative to the main frame's top-left
// corner; a name "WINDOW/NAME" looks in the top-level window of that object name (frmBBS, the
// BBS editor, is open at start when the configuration asks for it) and measures from its corner. The end-to-end tests click there with xdotool, on the real program on a virtual X
// display, without depending on fonts or sizes they would otherwise have to know.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <string>

#include "support/Fakes.h"
#include "ui/frame/DesktopApp.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4 || std::string(argv[1]) != "--system-folder") {
        std::fprintf(stderr, "usage: vx_widget_place --system-folder DIR NAME...\n");
        return 2;
    }
    vx::test::FakePrompter prompter;
    vx::DesktopApp::Options options;
    options.systemFolder = argv[2];
    options.showWelcome = false;
    options.prompter = &prompter;
    options.quit = [] {};
    vx::DesktopApp desktop(options);
    desktop.start();
    int status = 0;
    for (int i = 3; i < argc; ++i) {
        const QString name = argv[i];
        QWidget* window = &desktop.frame();
        QString child = name;
        if (name.contains('/')) {
            window = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == name.section('/', 0, 0)) window = top;
            child = name.section('/', 1);
        }
        const QWidget* widget = window ? window->findChild<QWidget*>(child) : nullptr;
        if (!widget || !widget->isVisible()) {
            std::fprintf(stderr, "vx_widget_place: no visible widget %s\n", argv[i]);
            status = 1;
            continue;
        }
        const QPoint centre = widget->mapTo(window, widget->rect().center());
        std::printf("%s %d %d\n", argv[i], centre.x(), centre.y());
    }
    desktop.shutdown();
    return status;
}
