// Timed run of "Send Capture File to VXEditor" in the desktop program (offscreen): a 1 MiB capture
// file of 80-byte records, from the menu entry to the last record's codes shown in VXEditor's
// number box. A 1 ms probe timer measures the longest turn of the event loop meanwhile. Exits 1
// when the export takes 1 s or more, or a turn 50 ms or more.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "EventLoopWait.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/frame/DesktopApp.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWindow.h"

namespace {

constexpr std::size_t kCaptureBytes = 1024 * 1024;
constexpr std::size_t kRecordBytes = 80;
constexpr qint64 kTargetMs = 1000;
constexpr double kStallLimitMs = 50;

int fail(const char* what) {
    std::fprintf(stderr, "vx_bench_capture_to_editor: %s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vx::test::TempDir temp;
    vx::test::FakePrompter prompter;
    prompter.yesNoAnswers = {false};  // no help page
    vx::DesktopApp::Options options;
    options.systemFolder = (temp / "Vexterm").string();
    options.showWelcome = false;
    options.prompter = &prompter;
    options.quit = [] {};
    vx::DesktopApp desktop(options);
    desktop.start();
    desktop.config().ClrB4Vu = false;

    // Records as a board sends them: printable text and now and then an ATASCII end of line.
    std::string records;
    std::size_t recordCount = 0;
    for (std::size_t at = 0; at < kCaptureBytes; at += kRecordBytes, ++recordCount) {
        std::string record;
        for (std::size_t i = 0; i < kRecordBytes; ++i)
            record += i % 40 == 39 ? '\x9b' : static_cast<char>('A' + (at / kRecordBytes + i) % 26);
        records += "\"" + record + "\"\r\n";
    }
    const vx::ConfigSettings& config = desktop.config();
    std::filesystem::create_directories(config.CaptureFolder);
    std::ofstream(std::filesystem::path(config.CaptureFolder) / config.CaptureFileName, std::ios::binary) << records;

    desktop.showMojiEditor();
    vx::MojiEditorWindow* window = desktop.mojiEditorWindow();
    if (!window) return fail("VXEditor did not open");
    auto* codes = window->findChild<QPlainTextEdit*>("RTB1");
    QAction* entry = desktop.screenWindow().findChild<QAction*>("mnuCaptureToVXE");
    if (!codes || !entry) return fail("no number box or menu entry");
    // The codes of the last record, as they end the number box.
    std::string lastCodes;
    for (char c : records.substr(records.size() - kRecordBytes - 3, kRecordBytes))
        lastCodes += std::to_string(static_cast<unsigned char>(c)) + ";";
    const QString lastLine = QString::fromStdString(lastCodes);
    auto allShown = [&] {
        QTextBlock last = codes->document()->lastBlock();
        while (last.isValid() && last.text().isEmpty()) last = last.previous();
        return codes->document()->blockCount() >= static_cast<int>(recordCount) && last.text() == lastLine;
    };

    vx::bench::LoopTurnProbe probe;

    prompter.textAnswers = {std::to_string(kCaptureBytes * 2)};
    QElapsedTimer clock;
    clock.start();
    probe.start();
    entry->trigger();
    if (!vx::bench::waitFor(allShown, 120000)) return fail("the codes did not all arrive in VXEditor");
    const qint64 shownMs = clock.elapsed();
    probe.stop();

    std::printf("capture of %zu KiB (%zu records) in VXEditor after %lld ms (target < %lld ms)\n", kCaptureBytes / 1024,
                recordCount, static_cast<long long>(shownMs), static_cast<long long>(kTargetMs));
    std::printf("longest turn of the event loop (1 ms probe): %.1f ms (limit %.0f ms)\n", probe.longestMs(),
                kStallLimitMs);
    return shownMs < kTargetMs && probe.longestMs() < kStallLimitMs ? 0 : 1;
}
