// Timed run: a 10 MB flood from the demo board (its own process, on 127.0.0.1) through the
// socket adapter and the whole receive path, headless. Prints the time from asking for the
// flood until its last byte was drawn; exits 1 when that is not under one second.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "support/LiveSession.h"

#include "EventLoopWait.h"

namespace {

using vx::bench::waitFor;

constexpr int kFloodKb = 10 * 1024;
constexpr qint64 kTargetMs = 1000;

// The board on a port a BBS record can hold; 0 when none could be had.
int startBoard(QProcess& board) {
    const int first = 21000 + (::getpid() % 3000) * 3;
    for (int port = first; port < first + 30; ++port) {
        board.start(VX_DEMO_BBS_PROGRAM, {"--port", QString::number(port)});
        if (!board.waitForStarted(5000)) return 0;
        if (board.waitForReadyRead(5000) && board.readAllStandardOutput().startsWith("listening")) return port;
        board.waitForFinished(5000);
    }
    return 0;
}

int fail(const char* what) {
    std::fprintf(stderr, "vx_bench_demo_flood: %s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QProcess board;
    const int port = startBoard(board);
    if (port == 0) return fail("the demo board did not start");

    int status = 0;
    {
        vx::test::LiveSession live(port);
        live.config.ScrollBack = true;
        live.config.DetectURLs = true;
        live.session->capture().toggleCapture();
        live.dial();
        if (!waitFor([&] { return live.shows("NAME? "); }, 10000)) return fail("no login prompt");
        live.session->macroButton(0);
        if (!waitFor([&] { return live.shows("PASSWORD? "); }, 10000)) return fail("no password prompt");
        live.session->macroButton(1);
        if (!waitFor([&] { return live.shows("COMMAND? "); }, 10000)) return fail("no menu");
        live.type("F\r");
        if (!waitFor([&] { return live.shows("How many kilobytes?"); }, 10000)) return fail("no flood question");

        const std::int64_t before = live.connection().sessionChars();
        const std::int64_t floodBytes = std::int64_t{kFloodKb} * 1024;
        QElapsedTimer clock;
        clock.start();
        live.type(std::to_string(kFloodKb) + "\r");
        if (!waitFor([&] { return live.connection().sessionChars() - before >= floodBytes; }, 60000))
            return fail("the flood did not arrive");
        const qint64 ms = clock.elapsed();
        const double mbPerS = static_cast<double>(floodBytes) / (1024.0 * 1024.0) / (static_cast<double>(ms) / 1000.0);
        std::printf("flood of %d KiB received, captured, kept and drawn in %lld ms (%.1f MiB/s); target < %lld ms\n",
                    kFloodKb, static_cast<long long>(ms), mbPerS, static_cast<long long>(kTargetMs));
        status = ms < kTargetMs ? 0 : 1;
        live.session->capture().toggleCapture();
    }
    board.terminate();
    board.waitForFinished(5000);
    return status;
}
