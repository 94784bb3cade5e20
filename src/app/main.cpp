// Vexterm: composition root. Reads the command line, makes sure only one copy runs per system
// folder (a second start hands its board to the running copy), and hands over to the desktop
// program.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <cstdio>

#include "base/SystemPaths.h"
#include "base/Version.h"
#include "config/CommandLine.h"
#include "config/SettingsStore.h"
#include "directory/BBSCsv.h"
#include "directory/BBSList.h"
#include "directory/TimeOnlineReport.h"
#include "session/Startup.h"
#include "ui/frame/DesktopApp.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/InstanceLink.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"

namespace {

int g_stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    // Only async-signal-safe work here; the event loop runs the shutdown.
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_stopPipe[0], &byte, 1);
}

bool installStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_stopPipe) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGHUP, &action, nullptr) == 0;
}

QString defaultSystemFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath("Vexterm");
}

// The help page lies beside the program in the build folder; an installed program keeps it in
// <prefix>/share/vexterm, as /usr/bin is no place for data files.
QString programFolder() {
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(beside + "/help/vx3_help.htm")) return beside;
    const QString shared = QDir::cleanPath(beside + "/../share/vexterm");
    return QFileInfo(shared).isDir() ? shared : beside;
}

// A system folder's key: names its lock and the running copy's socket.
QString folderKey(const QString& systemFolder) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QDir::cleanPath(QDir(systemFolder).absolutePath()).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

// One lock per system folder, outside it: the first run must still find the folder missing.
QString lockPath(const QString& systemFolder) {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    return QDir(runtime).filePath("vexterm-" + folderKey(systemFolder) + ".lock");
}

// A copy already runs on the folder: the board named here (or only the request to come to the
// front) goes to it, and this copy ends. A running copy that does not answer is said to run.
int handToRunningCopy(const vx::CommandLine& line, const QString& systemFolder) {
    constexpr int kAnswerMs = 3000;
    vx::InstanceLink::handOver(
        vx::InstanceLink::nameFor(folderKey(systemFolder)), vx::linkOf(line), kAnswerMs, [](bool answered) {
            if (answered) {
                QCoreApplication::exit(0);
                return;
            }
            static vx::QtPrompter prompter;
            prompter.message(std::string(vx::kProgramTitle) + " already running!", vx::kProgramTitle,
                             vx::MessageIcon::Exclamation, [] { QCoreApplication::exit(0); });
        });
    return QApplication::exec();
}

// Messages of the core on the terminal; no question is asked of someone who may not be there.
class ConsolePrompter : public vx::Prompter {
public:
    void message(const std::string& text, const std::string&, vx::MessageIcon, std::function<void()> done) override {
        std::fprintf(stderr, "vexterm: %s\n", lines(text).c_str());
        if (done) done();
    }
    void askYesNo(const std::string&, const std::string&, vx::MessageIcon, std::function<void(bool)> answer) override {
        answer(false);
    }
    void askYesNoCancel(const std::string&, const std::string&, vx::MessageIcon,
                        std::function<void(Answer)> answer) override {
        answer(Answer::Cancel);
    }
    void askText(const std::string&, const std::string&, const std::string&,
                 std::function<void(std::optional<std::string>)> answer) override {
        answer(std::nullopt);
    }
    static std::string lines(std::string text) {
        std::replace(text.begin(), text.end(), '\r', '\n');
        return text;
    }
    // Texts of the list (Windows-1252 bytes) in the terminal's encoding. Messages that name a
    // path hold it in the system's own encoding and are printed as they are.
    static std::string listText(const std::string& text) { return vx::qtText(lines(text)).toLocal8Bit().toStdString(); }
};

// --import-bbs, --export-bbs and --report: the BBS list of the system folder as CSV or as the
// time-online report, without a window.
// Exit status: 0 done, 1 some rows refused (the rest imported), 2 nothing done.
int runListCommand(const vx::CommandLine& line, const QString& systemFolder, QLockFile& lock) {
    // The report only reads the list, so it may run beside the program.
    if (!line.report && !lock.tryLock(0)) {
        std::fprintf(stderr, "vexterm: Vexterm is running on %s; close it first\n", qPrintable(systemFolder));
        return 2;
    }
    const vx::SystemPaths paths{QDir::toNativeSeparators(systemFolder).toLocal8Bit().toStdString()};
    vx::SettingsStore store;
    ConsolePrompter prompter;
    vx::QtClock clock;
    vx::BBSList list(store, prompter, clock, paths.bbsListFile());
    if (!QFileInfo::exists(QString::fromLocal8Bit(paths.bbsListFile().c_str()))) {
        // A new user may bring their boards before the first start: the list is made as that
        // start would make it. Reading or exporting a list that is not there does nothing.
        if (line.importBbs.empty()) {
            std::fprintf(stderr, "vexterm: there is no BBS list in %s yet; start Vexterm once to make it\n",
                         qPrintable(systemFolder));
            return 2;
        }
        if (!vx::Startup::createBBSList(paths, list)) return 2;
    }
    if (!list.LoadBBSList()) return 2;
    if (line.report) {
        std::fputs((std::string(vx::report::kHeader) + "\n").c_str(), stdout);
        std::string text = vx::report::text(vx::report::build(list, line.reportAll));
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        std::fputs(ConsolePrompter::listText(text).c_str(), stdout);
        return 0;
    }
    if (!line.exportBbs.empty()) {
        const std::string problem = vx::bbscsv::exportFile(list, line.exportBbs);
        if (!problem.empty()) {
            std::fprintf(stderr, "vexterm: %s\n", problem.c_str());
            return 2;
        }
        const auto boards = std::count(list.map().begin(), list.map().end(), '1');
        std::printf("Exported %ld boards to %s\n", static_cast<long>(boards), line.exportBbs.c_str());
        return 0;
    }
    const vx::bbscsv::ImportResult result = vx::bbscsv::importFile(list, line.importBbs);
    // A file that could not be used is named by its path; otherwise the report quotes the rows.
    const std::string report = result.report();
    std::printf("%s\n",
                (result.error.empty() ? ConsolePrompter::listText(report) : ConsolePrompter::lines(report)).c_str());
    if (!result.error.empty() || result.added.empty()) return 2;
    return result.refused.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = vx::parseCommandLine(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "vexterm: %s (see --help)\n", problem->c_str());
        return 2;
    }
    const vx::CommandLine& line = std::get<vx::CommandLine>(parsed);
    if (line.help) {
        std::fputs(vx::commandLineUsage().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("%s\n", vx::versionLine().c_str());
        return 0;
    }

    if (!line.importBbs.empty() || !line.exportBbs.empty() || line.report) {
        QCoreApplication app(argc, argv);
        const QString systemFolder = line.systemFolder.empty()
                                         ? defaultSystemFolder()
                                         : QDir(QString::fromLocal8Bit(line.systemFolder.c_str())).absolutePath();
        QLockFile lock(lockPath(systemFolder));
        lock.setStaleLockTime(0);
        return runListCommand(line, systemFolder, lock);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vexterm");
    const QString systemFolder = line.systemFolder.empty()
                                     ? defaultSystemFolder()
                                     : QDir(QString::fromLocal8Bit(line.systemFolder.c_str())).absolutePath();

    QLockFile lock(lockPath(systemFolder));
    lock.setStaleLockTime(0);  // a lock left by a crashed run is taken over
    if (!lock.tryLock(0)) return handToRunningCopy(line, systemFolder);

    vx::DesktopApp::Options options;
    options.systemFolder = QDir::toNativeSeparators(systemFolder).toLocal8Bit().toStdString();
    options.programFolder = programFolder().toLocal8Bit().toStdString();
    options.host = line.host;
    options.port = line.port;
    options.protocol = line.protocol;
    vx::DesktopApp desktop(options);

    // Links clicked while this copy runs (a second start) come here.
    vx::InstanceLink link;
    link.listen(vx::InstanceLink::nameFor(folderKey(systemFolder)), [&desktop](const std::string& request) {
        const auto parsed =
            vx::parseCommandLine(request.empty() ? std::vector<std::string>{} : std::vector<std::string>{request});
        const auto* board = std::get_if<vx::CommandLine>(&parsed);
        if (board) desktop.callFromElsewhere(board->host, board->port, board->protocol);
    });

    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (installStopSignals()) {
        stopNotifier = std::make_unique<QSocketNotifier>(g_stopPipe[1], QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &app, [&desktop] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(g_stopPipe[1], &byte, 1);
            desktop.shutdown();
        });
    }
    QObject::connect(&app, &QApplication::aboutToQuit, &app, [&desktop] { desktop.shutdown(); });

    // VEXTERM_TIMING=1: when the screen first reached the display, for start-up measurements.
    if (qEnvironmentVariableIsSet("VEXTERM_TIMING"))
        QObject::connect(desktop.screenWindow().screen(), &vx::ScreenWidget::firstPainted, &app, [] {
            std::fprintf(stderr, "vexterm: first frame painted at %lld ms since the epoch\n",
                         static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        });

    desktop.start();
    return QApplication::exec();
}
