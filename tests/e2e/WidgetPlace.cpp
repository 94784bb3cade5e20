// vx_widget_place --system-folder DIR NAME...: lays out the desktop program's windows exactly as
// the program does (without the welcome window), on the offscreen platform, and prints one line
// "NAME X Y" per named widget: the centre of the widget relative to the main frame's top-left
// corner. The end-to-end tests click there with xdotool, on the real program on a virtual X
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
    QWidget& frame = desktop.frame();
    int status = 0;
    for (int i = 3; i < argc; ++i) {
        const QWidget* widget = frame.findChild<QWidget*>(argv[i]);
        if (!widget || !widget->isVisible()) {
            std::fprintf(stderr, "vx_widget_place: no visible widget %s\n", argv[i]);
            status = 1;
            continue;
        }
        const QPoint centre = widget->mapTo(&frame, widget->rect().center());
        std::printf("%s %d %d\n", argv[i], centre.x(), centre.y());
    }
    desktop.shutdown();
    return status;
}
