// The screen widget shows exactly the surface, read back from what the window system shows (at
// device pixels), after changes and after being hidden and shown. The suite runs on the
// offscreen platform, and again on a virtual X display at 125 % and 150 % scale: at every scale
// each surface pixel must be whole device pixels, every one of them right, and the screen never
// smaller than its logical size.
#include <QScreen>
#include <QtTest>

#include "screen/Framebuffer.h"
#include "screen/ScreenInterpreter.h"
#include "support/UiTestSupport.h"
#include "ui/terminal/ScreenWidget.h"

using namespace vx;

namespace {

// What the window system shows of the widget, at device pixels.
QImage shownImage(ScreenWidget& widget) {
    QScreen* screen = widget.screen();
    const QPixmap shot = screen->grabWindow(widget.window()->winId());
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

// The number of surface pixels that the shown image gets wrong; every device pixel of each
// surface pixel is looked at, so a blurred or shifted edge counts too.
int differences(ScreenWidget& widget, const Framebuffer& surface, int columns) {
    const QImage shown = shownImage(widget);
    const double devicePixels = widget.pixelScale() * widget.devicePixelRatioF();
    const int n = static_cast<int>(std::lround(devicePixels));
    if (std::abs(devicePixels - n) > 1e-6 || n < 1) return -1;  // not whole device pixels
    const QPoint origin = widget.mapTo(widget.window(), QPoint(0, 0)) * widget.devicePixelRatioF();
    if (shown.width() < origin.x() + columns * Framebuffer::kCellSize * n ||
        shown.height() < origin.y() + Framebuffer::kHeight * n)
        return -2;  // the shown image does not hold the whole screen
    int wrong = 0;
    for (int y = 0; y < Framebuffer::kHeight; ++y)
        for (int x = 0; x < columns * Framebuffer::kCellSize; ++x) {
            const bool white = surface.pixel(x, y);
            for (int dy = 0; dy < n; ++dy)
                for (int dx = 0; dx < n; ++dx)
                    if ((qGray(shown.pixel(origin.x() + x * n + dx, origin.y() + y * n + dy)) > 127) != white) {
                        ++wrong;
                        dx = dy = n;
                    }
        }
    return wrong;
}

}  // namespace

class ScreenWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::failOnUnexpectedWarnings(); }

    void showsTheSurfaceExactly() {
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        ScreenWidget widget(surface);
        widget.resize(widget.sizeHint());
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QVERIFY2(widget.width() >= 640 && widget.height() >= 384, "smaller than the screen's logical size");

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
        // As the frame does: no wider than the screen (at 125 % a 1920-pixel display is 1536
        // wide, so the 80 columns get one device pixel per surface pixel, still sharp).
        widget.setAvailableWidth(widget.screen()->availableGeometry().width());
        QVERIFY(widget.sizeHint().width() <= widget.screen()->availableGeometry().width());
        QVERIFY(widget.sizeHint().width() * widget.devicePixelRatioF() >= 1280);
        widget.resize(widget.sizeHint());
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        screen.SendToScreen(std::string(79, 'x') + "y");
        QTRY_COMPARE(differences(widget, surface, 80), 0);
    }

    // Where even one device pixel per surface pixel is too wide, the screen fits the width
    // given rather than running off the screen.
    void aNarrowPlaceShrinksItToFit() {
        Framebuffer surface;
        ScreenWidget widget(surface);
        widget.setColumns(80);
        widget.setAvailableWidth(1000);
        QVERIFY(widget.sizeHint().width() <= 1000);
        widget.setAvailableWidth(0);
        QVERIFY(widget.sizeHint().width() >= 1280);
    }
};

QTEST_MAIN(ScreenWidgetTest)
#include "ScreenWidgetTest.moc"
