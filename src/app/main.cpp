// Vexterm: composition root. Reads the command line, makes sure only one copy runs per system
// folder, and hands over to the desktop program.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>

#include "base/Version.h"
#include "config/CommandLine.h"
#include "ui/frame/DesktopApp.h"
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

// One lock per system folder, outside it: the first run must still find the folder missing.
QString lockPath(const QString& systemFolder) {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(QDir(systemFolder).absolutePath()).toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    return QDir(runtime).filePath("vexterm-" + QString::fromLatin1(key) + ".lock");
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

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vexterm");
    const QString systemFolder = line.systemFolder.empty()
                                     ? defaultSystemFolder()
                                     : QDir(QString::fromLocal8Bit(line.systemFolder.c_str())).absolutePath();

    QLockFile lock(lockPath(systemFolder));
    lock.setStaleLockTime(0);  // a lock left by a crashed run is taken over
    if (!lock.tryLock(0)) {
        vx::QtPrompter prompter;
        prompter.message(std::string(vx::kProgramTitle) + " already running!", vx::kProgramTitle,
                         vx::MessageIcon::Exclamation, [] { QCoreApplication::exit(0); });
        return QApplication::exec();
    }

    vx::DesktopApp::Options options;
    options.systemFolder = QDir::toNativeSeparators(systemFolder).toLocal8Bit().toStdString();
    options.programFolder = QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
    options.host = line.host;
    options.port = line.port;
    vx::DesktopApp desktop(options);

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
