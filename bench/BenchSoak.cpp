// A long run of the desktop program (offscreen) against the demo board with mixed traffic:
// floods, art, slow pages, messages and addresses, with capture, scrollback, address detection
// and history on and the baud-rate simulator switched every round. The resident memory is
// sampled every minute and written, with the rounds done, to a CSV file.
//
//   vx_bench_soak [--minutes N] [--sample-seconds S] [--csv FILE]   (defaults: 60, 60, soak.csv)
//
// N samples are taken, one every S seconds: the run takes N minutes unless S is shorter (CTest's
// `soak` runs 3 samples 15 s apart, the hour is `soak_hour` under the label long). Exits 1 when
// the memory at the end is 5 % or more above the first sample.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "screen/GlyphIndex.h"
#include "support/Fakes.h"
#include "support/ResidentMemory.h"
#include "support/TempDir.h"
#include "ui/frame/DesktopApp.h"

#include "EventLoopWait.h"

namespace {

using vx::bench::waitFor;

int fail(const char* what) {
    std::fprintf(stderr, "vx_bench_soak: %s\n", what);
    return 2;
}

struct Sample {
    int minute;
    long residentKb;
    long rounds;
    long long receivedBytes;
};

}  // namespace

int main(int argc, char** argv) {
    int minutes = 60;
    qint64 sampleMs = 60000;
    std::string csvPath = "soak.csv";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--minutes") == 0) minutes = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--sample-seconds") == 0) sampleMs = 1000LL * std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--csv") == 0) csvPath = argv[i + 1];
    }
    if (minutes < 2) return fail("--minutes needs 2 or more");
    if (sampleMs < 1000) return fail("--sample-seconds needs 1 or more");

    QApplication app(argc, argv);
    QProcess board;
    board.start(VX_DEMO_BBS_PROGRAM, {"--port", "0"});
    if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000)) return fail("the demo board did not start");
    const QByteArray first = board.readAllStandardOutput();
    const int port = first.mid(first.lastIndexOf(':') + 1).trimmed().toInt();
    if (port <= 0) return fail("the demo board did not say its port");

    vx::test::TempDir temp;
    vx::test::FakePrompter prompter;
    prompter.yesNoAnswers = {false};
    vx::DesktopApp::Options options;
    options.systemFolder = (temp / "Vexterm").string();
    options.host = "127.0.0.1";
    options.port = port;
    options.showWelcome = false;
    options.prompter = &prompter;
    options.quit = [] {};
    vx::DesktopApp desktop(options);
    desktop.start();
    vx::ConfigSettings& config = desktop.config();
    config.KeyPressDelay = false;
    config.ScrollBack = true;
    config.DetectURLs = true;
    config.SysLog = true;
    config.HistoryLines = 5000;
    desktop.session().capture().toggleCapture();

    const vx::GlyphIndex glyphs;
    auto cursorRowShows = [&](const std::string& text) {
        std::string row;
        const int r = desktop.screen().state().CursorY;
        for (int col = 0; col < desktop.screen().state().ColumnCount; ++col) {
            const auto code = glyphs.codeAt(desktop.surface(), col, r);
            row += code && *code >= 32 && *code < 127 ? static_cast<char>(*code) : ' ';
        }
        return row.find(text) != std::string::npos;
    };
    vx::Connection& connection = desktop.session().connection();
    auto type = [&](const std::string& keys) {
        for (char k : keys) desktop.session().keyboard().characterKey(static_cast<std::uint8_t>(k));
    };
    // Sends a line and waits for the board's answer to end at `prompt` on the cursor's row.
    auto ask = [&](const std::string& line, const std::string& prompt) {
        const std::int64_t before = connection.sessionChars();
        type(line);
        const auto echoed = before + static_cast<std::int64_t>(line.size());
        return waitFor([&] { return connection.sessionChars() > echoed && cursorRowShows(prompt); }, 120000);
    };

    if (!waitFor([&] { return cursorRowShows("NAME? "); }, 10000)) return fail("no login prompt");
    if (!ask("soak\r", "PASSWORD? ") || !ask("secret\r", "COMMAND? ")) return fail("no menu");

    std::vector<Sample> samples;
    QElapsedTimer clock;
    clock.start();
    long rounds = 0;
    // One round of what a night online brings; the simulator is on every other round.
    const std::vector<std::pair<std::string, std::string>> round = {
        {"F\r", "How many kilobytes? "}, {"200\r", "COMMAND? "}, {"A\r", "COMMAND? "}, {"M\r", "COMMAND? "},
        {"W\r", "COMMAND? "},          {"S\r", "COMMAND? "},   {"B\r", "COMMAND? "}};
    while (static_cast<int>(samples.size()) < minutes) {
        desktop.session().baudSim().setActive(rounds % 2 == 1);
        for (const auto& [line, prompt] : round)
            if (!ask(line, prompt)) return fail(("no answer to " + line).c_str());
        ++rounds;
        while (clock.elapsed() >= (static_cast<qint64>(samples.size()) + 1) * sampleMs) {
            samples.push_back({static_cast<int>(samples.size()) + 1, vx::test::residentKb(), rounds,
                               static_cast<long long>(connection.sessionChars())});
            const Sample& s = samples.back();
            std::printf("%s %3d: %7.1f MiB resident, %ld rounds, %lld bytes received\n",
                        sampleMs == 60000 ? "minute" : "sample", s.minute,
                        s.residentKb / 1024.0, s.rounds, s.receivedBytes);
            std::fflush(stdout);
        }
    }
    desktop.shutdown();
    board.terminate();
    board.waitForFinished(5000);

    std::ofstream csv(csvPath);
    csv << "minute,resident_kib,rounds,received_bytes\n";
    for (const Sample& s : samples) csv << s.minute << ',' << s.residentKb << ',' << s.rounds << ',' << s.receivedBytes << '\n';
    const double growth = 100.0 * static_cast<double>(samples.back().residentKb - samples.front().residentKb) /
                          static_cast<double>(samples.front().residentKb);
    std::printf("resident memory: %.1f MiB at the first sample, %.1f MiB at sample %d (%lld s apart): %+.2f %% "
                "(limit 5 %%)\n",
                samples.front().residentKb / 1024.0, samples.back().residentKb / 1024.0, minutes,
                static_cast<long long>(sampleMs / 1000), growth);
    return growth < 5.0 ? 0 : 1;
}
