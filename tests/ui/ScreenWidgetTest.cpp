// The screen widget shows exactly the surface, read back from what the window system shows (at
// device pixels), after changes and after being hidden and shown, at every zoom. The suite runs
// on the offscreen platform, and again on a virtual 3840 x 2160 X display at 125 %, 150 % and
// 200 % scale: at every scale and zoom each Atari pixel must be a square of whole device pixels,
// every one of them right, and the screen never smaller than the zoom asks.
#include <QScreen>
#include <QtTest>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenColours.h"
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

// The screen as the window system shows it, read back one Atari pixel (a 2 x 2 block of the
// surface) at a time: a dot is lit when its device pixels are `ink`, and a dot whose device
// pixels are not all the same colour (a blurred or shifted edge) counts as unsharp.
struct ShownScreen {
    int unsharp = 0;
    std::vector<Glyph> cells;  // row by row
};

std::optional<ShownScreen> readShown(ScreenWidget& widget, int columns, QRgb ink = qRgb(255, 255, 255)) {
    const QImage shown = shownImage(widget);
    const int n = widget.dotPixels();
    if (n < 1) return std::nullopt;  // not whole device pixels
    const QPoint origin = widget.mapTo(widget.window(), QPoint(0, 0)) * widget.devicePixelRatioF();
    if (shown.width() < origin.x() + columns * 8 * n || shown.height() < origin.y() + 192 * n)
        return std::nullopt;  // the shown image does not hold the whole screen
    ShownScreen screen;
    screen.cells.resize(static_cast<std::size_t>(columns * Framebuffer::kRows));
    for (int dotY = 0; dotY < 192; ++dotY)
        for (int dotX = 0; dotX < columns * 8; ++dotX) {
            const QPoint corner = origin + QPoint(dotX * n, dotY * n);
            const QRgb colour = shown.pixel(corner);
            for (int dy = 0; dy < n; ++dy)
                for (int dx = 0; dx < n; ++dx)
                    if (shown.pixel(corner + QPoint(dx, dy)) != colour) {
                        ++screen.unsharp;
                        dx = dy = n;
                    }
            if ((colour & 0xFFFFFF) != (ink & 0xFFFFFF)) continue;
            // Doubled back into the surface's 16 x 16 cell layout.
            Glyph& cell = screen.cells[static_cast<std::size_t>(dotY / 8 * columns + dotX / 8)];
            const int bit = dotX % 8 * 2;
            for (int line : {dotY % 8 * 2, dotY % 8 * 2 + 1})
                cell.rows[static_cast<std::size_t>(line)][static_cast<std::size_t>(bit / 8)] |=
                    static_cast<std::uint8_t>(0xC0u >> (bit % 8));
        }
    return screen;
}

// The number of cells that the shown image gets wrong, or -1 when no sharp screen is shown.
int differences(ScreenWidget& widget, const Framebuffer& surface, int columns) {
    const auto shown = readShown(widget, columns);
    if (!shown || shown->unsharp > 0) return -1;
    int wrong = 0;
    for (std::size_t cell = 0; cell < shown->cells.size(); ++cell)
        wrong += shown->cells[cell] != surface.cell(static_cast<int>(cell) % columns, static_cast<int>(cell) / columns);
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

    // Every zoom, in both column modes and a colour scheme, read back from the screenshot cell
    // by cell as the codes the board sent, each Atari pixel a sharp square. The bounds are the
    // screen's, as the frame gives them.
    void everyZoomReadsBackAsTheBoardsCodes_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("scheme");
        for (int zoom : {1, 2, 3, 4, ScreenWidget::kFit})
            QTest::addRow("%s, 40 columns", zoom == 0 ? "fit" : qPrintable(QString("%1x").arg(zoom)))
                << zoom << 40 << 0;
        QTest::addRow("4x, 80 columns") << 4 << 80 << 0;
        QTest::addRow("fit, 80 columns") << int{ScreenWidget::kFit} << 80 << 0;
        QTest::addRow("3x, Atari blue") << 3 << 40 << 1;
    }
    void everyZoomReadsBackAsTheBoardsCodes() {
        QFETCH(int, zoom);
        QFETCH(int, columns);
        QFETCH(int, scheme);
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        screen.setColumnMode(columns == 80);
        ScreenWidget widget(surface);
        const ScreenColours& colours = screenColours(scheme);
        widget.setColours(0xFF000000 | colours.ink, 0xFF000000 | colours.paper);
        widget.setColumns(columns);
        widget.setZoom(zoom);
        const QSize bounds = widget.screen()->availableGeometry().size();
        widget.setBounds(bounds);
        widget.resize(widget.sizeHint());
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));

        std::string sent;
        for (int code = 0; code < 256; ++code)
            if (ScreenInterpreter::isPlainCharacter(static_cast<std::uint8_t>(code))) sent += static_cast<char>(code);
        screen.SendToScreen("\x7d" + sent);
        const auto codesShown = [&] {
            const auto shown = readShown(widget, columns, 0xFF000000 | colours.ink);
            if (!shown || shown->unsharp > 0) return QString("no sharp screen in the screenshot");
            const GlyphIndex glyphs;
            for (std::size_t cell = 0; cell < shown->cells.size(); ++cell) {
                if (cell == sent.size()) continue;  // the cursor
                const int expected = cell < sent.size() ? static_cast<std::uint8_t>(sent[cell]) : ' ';
                const auto code = glyphs.codeOf(shown->cells[cell]);
                if (code != expected)
                    return QString("cell %1: %2 instead of %3").arg(cell).arg(code ? *code : -1).arg(expected);
            }
            return QString();
        };
        QTRY_COMPARE(codesShown(), QString());

        // The size the zoom asks for, or else the largest whole step that fits the bounds.
        const double ratio = widget.devicePixelRatioF();
        const auto fits = [&](int n) {
            return columns * 8 * n / ratio <= bounds.width() + 0.01 && 192 * n / ratio <= bounds.height() + 0.01;
        };
        const int n = widget.dotPixels();
        if (zoom == ScreenWidget::kFit || !fits(static_cast<int>(std::ceil(zoom * ratio - 0.01))))
            QVERIFY2(fits(n) && !fits(n + 1), "not the largest whole zoom that fits");
        else
            QVERIFY2(n >= zoom * ratio - 0.01 && n < (zoom + 1) * ratio, "not the zoom asked for");
    }
};

QTEST_MAIN(ScreenWidgetTest)
#include "ScreenWidgetTest.moc"
