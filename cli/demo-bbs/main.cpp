// vexterm-demo-bbs: a small ATASCII board on the loopback address.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "DemoBbsOptions.h"
#include "DemoBbsServer.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    // Only async-signal-safe work here: the event loop picks the byte up and quits.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
    errno = saved;
}

bool installStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = vx::demo::parseDemoBbsOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "vexterm-demo-bbs: %s (see --help)\n", problem->c_str());
        return 2;
    }
    const auto& options = std::get<vx::demo::DemoBbsOptions>(parsed);
    if (options.help) {
        std::fputs(vx::demo::demoBbsUsage().c_str(), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    if (!installStopSignals()) {
        std::fprintf(stderr, "vexterm-demo-bbs: cannot set up signal handling\n");
        return 1;
    }
    QSocketNotifier stopNotifier(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });

    vx::demo::DemoBbsServer server;
    server.setTelnet(options.telnet,
                     options.binary ? vx::TelnetCodec::Binary::Accepted : vx::TelnetCodec::Binary::Refused);
    if (!options.recordFile.empty() && !server.recordInto(QString::fromStdString(options.recordFile))) {
        std::fprintf(stderr, "vexterm-demo-bbs: cannot write %s\n", options.recordFile.c_str());
        return 1;
    }
    if (!server.listen(options.port)) {
        std::fprintf(stderr, "vexterm-demo-bbs: cannot listen on 127.0.0.1:%u: %s\n", unsigned(options.port),
                     server.errorString().toLocal8Bit().constData());
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
