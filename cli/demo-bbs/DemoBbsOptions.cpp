#include "DemoBbsOptions.h"

#include <charconv>

namespace vx::demo {
namespace {

bool parsePort(const std::string& text, std::uint16_t& port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::variant<DemoBbsOptions, std::string> parseDemoBbsOptions(const std::vector<std::string>& args) {
    DemoBbsOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--port" || arg.starts_with("--port=")) {
            std::string value;
            if (arg == "--port") {
                if (i + 1 == args.size()) return std::string("--port needs a number");
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            if (!parsePort(value, options.port)) return "bad port \"" + value + "\" (0 to 65535)";
        } else if (arg == "--telnet") {
            options.telnet = true;
        } else if (arg == "--telnet-text") {
            options.telnet = true;
            options.binary = false;
        } else if (arg == "--record") {
            if (i + 1 == args.size() || args[i + 1].empty()) return std::string("--record needs a file name");
            options.recordFile = args[++i];
        } else {
            return "unknown argument \"" + arg + "\"";
        }
    }
    return options;
}

std::string demoBbsUsage() {
    return "Usage: vexterm-demo-bbs [--port N] [--telnet | --telnet-text] [--record FILE]\n"
           "\n"
           "A small ATASCII bulletin board on 127.0.0.1 to try Vexterm with, offline.\n"
           "\n"
           "  --port N   listen on port N (default 6502); 0 picks a free port\n"
           "  --telnet   speak telnet as modem bridges do: negotiate options (binary both\n"
           "             ways), double 255\n"
           "  --telnet-text  the same, but refuse binary: CR goes out as CR NUL and CR NUL\n"
           "             from the caller is read as CR (RFC 854)\n"
           "  --record FILE  append every byte callers send to FILE, as it arrives (in telnet\n"
           "             mode the bytes the caller meant, without the telnet commands)\n"
           "  --help     show this text\n"
           "\n"
           "The first line printed is \"listening on 127.0.0.1:PORT\". Stop the board with\n"
           "Ctrl+C or SIGTERM. Exit status: 0 after a stop, 1 when the port cannot be\n"
           "opened, 2 for bad options.\n";
}

}  // namespace vx::demo
