// Timed run of the desktop program with its windows on a display (run it under Xvfb): dial the
// demo board (its own process) through a relay that watches the line, log in, ask for a 10 MiB
// flood, and measure until the last byte is on the visible screen. A 1 ms probe timer measures how
// long the event loop was ever kept from serving the window; a key pressed every 25 ms throughout
// the flood is timed from the press to its byte on the wire. Also prints the resident memory after
// connecting and after the flood. Exits 1 when the flood takes 300 ms or more to be drawn, a turn
// of the loop 16 ms or more, or a key 20 ms or more. `--zoom N` draws the screen at N (1 to 4, 0 for
// the largest that fits; 2 by default), `--columns 80` in 80 columns.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <functional>

#include "screen/GlyphIndex.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/frame/DesktopApp.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"

#include "EventLoopWait.h"
#include "TappedLine.h"

namespace {

using vx::bench::LoopTurnProbe;
using vx::bench::waitFor;

constexpr int kFloodKb = 10 * 1024;
constexpr qint64 kTargetMs = 300;
constexpr double kStallLimitMs = 16;
constexpr double kKeyLimitMs = 20;
constexpr int kKeyEveryMs = 25;

long residentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Counts the paints of one widget and notes the first one that shows everything: a paint runs
// after the bytes received so far were drawn on the surface.
class PaintWatch : public QObject {
public:
    PaintWatch(QElapsedTimer& clock, std::function<bool()> allReceived)
        : m_clock(clock), m_allReceived(std::move(allReceived)) {}
    qint64 drawnMs = -1;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (drawnMs < 0 && m_allReceived()) drawnMs = m_clock.elapsed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer& m_clock;
    std::function<bool()> m_allReceived;
};

int fail(const char* what) {
    std::fprintf(stderr, "vx_bench_desktop_flood: %s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int zoom = 2;
    bool eighty = false;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--zoom") zoom = args[i + 1].toInt();
        if (args[i] == "--columns") eighty = args[i + 1] == "80";
    }
    QProcess board;
    board.start(VX_DEMO_BBS_PROGRAM, {"--port", "0"});
    if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000)) return fail("the demo board did not start");
    const QByteArray first = board.readAllStandardOutput();
    const int port = first.mid(first.lastIndexOf(':') + 1).trimmed().toInt();
    if (port <= 0) return fail("the demo board did not say its port");

    vx::bench::TappedLine line(port);
    if (line.port() == 0) return fail("the relay could not listen");

    int status = 0;
    {
        vx::test::TempDir temp;
        vx::test::FakePrompter prompter;
        prompter.yesNoAnswers = {false};
        vx::DesktopApp::Options options;
        options.systemFolder = (temp / "Vexterm").string();
        options.host = "127.0.0.1";
        options.port = line.port();
        options.showWelcome = false;
        options.prompter = &prompter;
        options.quit = [] {};
        vx::DesktopApp desktop(options);
        desktop.start();
        desktop.config().KeyPressDelay = false;
        desktop.setZoom(zoom);
        const vx::GlyphIndex glyphs;
        auto shows = [&](const std::string& text) {
            std::string screen;
            for (int row = 0; row < vx::ScreenInterpreter::kRows; ++row)
                for (int col = 0; col < desktop.screen().state().ColumnCount; ++col) {
                    const auto code = glyphs.codeAt(desktop.surface(), col, row);
                    screen += code && *code >= 32 && *code < 127 ? static_cast<char>(*code) : ' ';
                }
            return screen.find(text) != std::string::npos;
        };
        auto type = [&](const std::string& keys) {
            for (char k : keys) desktop.session().keyboard().characterKey(static_cast<std::uint8_t>(k));
        };

        if (!waitFor([&] { return shows("NAME? "); }, 10000)) return fail("no login prompt");
        const long connectedKb = residentKb();
        type("yourlogin\r");
        if (!waitFor([&] { return shows("PASSWORD? "); }, 10000)) return fail("no password prompt");
        type("yourpassword\r");
        if (!waitFor([&] { return shows("COMMAND? "); }, 10000)) return fail("no menu");
        type("F\r");
        if (!waitFor([&] { return shows("How many kilobytes?"); }, 10000)) return fail("no flood question");
        if (eighty) {
            // The switch lays the frame out again and the window system resizes it: that is
            // done before the flood starts, which is timed alone.
            desktop.session().connection().switchColumns(true);
            waitFor([] { return false; }, 1000);
        }
        vx::ScreenWidget* shown = desktop.screenWindow().screen();
        std::printf("screen at zoom %d, %d columns: %d x %d pixels\n", zoom, desktop.screen().state().ColumnCount,
                    shown->width(), shown->height());

        const std::int64_t before = desktop.session().connection().sessionChars();
        const std::int64_t floodBytes = std::int64_t{kFloodKb} * 1024;
        auto allReceived = [&] { return desktop.session().connection().sessionChars() - before >= floodBytes; };
        QElapsedTimer clock;
        PaintWatch watch(clock, allReceived);
        desktop.screenWindow().screen()->installEventFilter(&watch);
        LoopTurnProbe probe;
        QWidget* keyTarget = &desktop.screenWindow();
        auto pressX = [keyTarget] {
            QCoreApplication::postEvent(keyTarget, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
            QCoreApplication::postEvent(keyTarget, new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x"));
        };

        clock.start();
        probe.start();
        type(std::to_string(kFloodKb) + "\r");
        line.startKeys(kKeyEveryMs, pressX);
        if (!waitFor(allReceived, 60000)) return fail("the flood did not arrive");
        const qint64 receivedMs = clock.elapsed();
        if (!waitFor([&] { return watch.drawnMs >= 0; }, 5000)) return fail("the screen was not repainted");
        const qint64 drawnMs = watch.drawnMs;
        line.stopKeys();
        probe.stop();
        waitFor([&] { return line.keysWaiting() == 0; }, 2000);
        const std::vector<double> keys = line.keyLatenciesMs();
        if (keys.empty() || line.keysWaiting() != 0) return fail("keys pressed during the flood did not reach the line");
        const double keyMax = *std::max_element(keys.begin(), keys.end());
        const double keyMean = std::accumulate(keys.begin(), keys.end(), 0.0) / static_cast<double>(keys.size());

        std::printf("flood of %d KiB received in %lld ms, on the visible screen after %lld ms (%d repaints); "
                    "target < %lld ms\n",
                    kFloodKb, static_cast<long long>(receivedMs), static_cast<long long>(drawnMs), watch.paints,
                    static_cast<long long>(kTargetMs));
        std::printf("longest turn of the event loop (1 ms probe): %.1f ms (limit %.0f ms)\n", probe.longestMs(),
                    kStallLimitMs);
        std::printf("%zu keys pressed during the flood: on the line after %.1f ms at most, %.2f ms on average "
                    "(limit %.0f ms)\n",
                    keys.size(), keyMax, keyMean, kKeyLimitMs);
        std::printf("resident memory: %.1f MiB after connecting, %.1f MiB after the flood (target < 80 MB)\n",
                    connectedKb / 1024.0, residentKb() / 1024.0);
        status =
            drawnMs < kTargetMs && probe.longestMs() < kStallLimitMs && keyMax < kKeyLimitMs && connectedKb < 80 * 1000
                ? 0
                : 1;
        desktop.shutdown();
    }
    board.terminate();
    board.waitForFinished(5000);
    return status;
}
