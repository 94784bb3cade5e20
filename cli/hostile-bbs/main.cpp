// vexterm-hostile-bbs: a board on the loopback address that misbehaves on purpose.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "HostileOptions.h"
#include "HostileServer.h"

namespace {

int g_stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_stopPipe[1], &byte, 1);
    errno = saved;
}

bool installStopSignals() {
    if (::pipe(g_stopPipe) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A caller that vanishes mid-write is that call's business, not the board's.
    std::signal(SIGPIPE, SIG_IGN);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = vx::hostile::parseHostileOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "vexterm-hostile-bbs: %s (see --help)\n", problem->c_str());
        return 2;
    }
    const auto& options = std::get<vx::hostile::HostileOptions>(parsed);
    if (options.help || options.list) {
        std::fputs((options.help ? vx::hostile::hostileUsage() : vx::hostile::scenarioList()).c_str(), stdout);
        return 0;
    }
    if (!installStopSignals()) {
        std::fprintf(stderr, "vexterm-hostile-bbs: cannot set up signal handling\n");
        return 1;
    }
    const std::int64_t bytes = options.bytes == -2 ? options.scenario->defaultBytes : options.bytes;
    vx::hostile::HostileServer server(*options.scenario, bytes, options.seed);
    if (!server.listen(options.port)) {
        std::fprintf(stderr, "vexterm-hostile-bbs: cannot listen on 127.0.0.1:%u: %s\n", unsigned(options.port),
                     std::strerror(errno));
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    server.serve(g_stopPipe[0]);
    return 0;
}
