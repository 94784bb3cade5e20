#include "config/CommandLine.h"

#include <algorithm>

#include "base/Version.h"

namespace vx {
namespace {

constexpr std::string_view kFolderOption = "--system-folder";

// "1".."65535" only: a port typed wrong must not quietly dial some other port.
std::optional<int> parsePort(std::string_view text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(std::string(text));
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// "host", "host:port", "[v6 address]" or "[v6 address]:port".
std::variant<CommandLine, std::string> parseAddress(const std::string& arg, CommandLine line) {
    std::string host = arg;
    std::string_view port;
    if (arg.starts_with('[')) {
        const auto close = arg.find(']');
        if (close == std::string::npos) return "missing ']' in " + arg;
        host = arg.substr(1, close - 1);
        const std::string_view rest = std::string_view(arg).substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return "unexpected text after ']' in " + arg;
            port = rest.substr(1);
            if (port.empty()) return "missing port after ':' in " + arg;
        }
    } else if (const auto colon = arg.rfind(':'); colon != std::string::npos) {
        if (arg.find(':') != colon) return "put an IPv6 address in brackets: [" + arg + "]";
        host = arg.substr(0, colon);
        port = std::string_view(arg).substr(colon + 1);
        if (port.empty()) return "missing port after ':' in " + arg;
    }
    if (host.empty()) return "missing host name in " + arg;
    if (!port.empty()) {
        const auto number = parsePort(port);
        if (!number) return "bad port '" + std::string(port) + "' (1 to 65535)";
        line.port = *number;
    }
    line.host = host;
    return line;
}

}  // namespace

std::variant<CommandLine, std::string> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == kFolderOption) {
            if (i + 1 >= args.size() || args[i + 1].empty()) return "--system-folder needs a folder";
            line.systemFolder = args[++i];
        } else if (arg.starts_with(std::string(kFolderOption) + "=")) {
            line.systemFolder = arg.substr(kFolderOption.size() + 1);
            if (line.systemFolder.empty()) return "--system-folder needs a folder";
        } else if (arg.starts_with('-')) {
            return "unknown option " + arg;
        } else if (line.host) {
            return "only one board can be dialled: " + arg;
        } else {
            auto parsed = parseAddress(arg, line);
            if (auto* problem = std::get_if<std::string>(&parsed)) return *problem;
            line = std::get<CommandLine>(parsed);
        }
    }
    return line;
}

std::string commandLineUsage() {
    return "Usage: vexterm [HOST[:PORT]] [--system-folder DIR] [--help] [--version]\n"
           "\n"
           "  HOST[:PORT]           dial this board at once, without adding it to the BBS list\n"
           "                        (port 23 when omitted; IPv6 addresses in brackets)\n"
           "  --system-folder DIR   keep the configuration, BBS list, log, captures, screens and\n"
           "                        'Mojis in DIR instead of Documents/Vexterm\n"
           "  --help                show this text\n"
           "  --version             show the version\n"
           "\n"
           "Try it against the demo board: vexterm-demo-bbs, then vexterm 127.0.0.1:6502\n";
}

std::string versionLine() { return "vexterm " + versionNumber() + " (build " + std::to_string(kRevision) + ")"; }

}  // namespace vx
