// The screen widget shows exactly the surface: every pixel of the visible cells, the cursor
// included, after changes and after being covered and shown again.
#include <QtTest>

#include "screen/Framebuffer.h"
#include "screen/ScreenInterpreter.h"
#include "ui/terminal/ScreenWidget.h"

using namespace vx;

namespace {

// The number of pixels where the grabbed widget and the surface disagree.
int differences(ScreenWidget& widget, const Framebuffer& surface, int columns) {
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < Framebuffer::kHeight; ++y)
        for (int x = 0; x < columns * Framebuffer::kCellSize; ++x) {
            const bool white = qGray(shown.pixel(x, y)) > 127;
            if (white != surface.pixel(x, y)) ++wrong;
        }
    return wrong;
}

}  // namespace

class ScreenWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheSurfaceExactly() {
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        ScreenWidget widget(surface);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCOMPARE(widget.pixelScale(), 1.0);
        QCOMPARE(widget.sizeHint(), QSize(640, 384));

        std::string art = "\x7dVEXTERM\x9b";
        for (int i = 0; i < 40; ++i) art += static_cast<char>(0x80 | (i % 27));
        for (int i = 0; i < 30; ++i) art += "line\x9b";  // scrolls: the row map moves
        screen.SendToScreen(art);
        QTRY_COMPARE(differences(widget, surface, 40), 0);

        widget.hide();
        screen.SendToScreen("hidden\x1c\x1c");
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QTRY_COMPARE(differences(widget, surface, 40), 0);
    }

    void eightyColumnsWidenIt() {
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        ScreenWidget widget(surface);
        screen.setColumnMode(true);
        widget.setColumns(80);
        QCOMPARE(widget.sizeHint(), QSize(1280, 384));
        widget.resize(widget.sizeHint());
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        screen.SendToScreen(std::string(79, 'x') + "y");
        QTRY_COMPARE(differences(widget, surface, 80), 0);
    }
};

QTEST_MAIN(ScreenWidgetTest)
#include "ScreenWidgetTest.moc"
