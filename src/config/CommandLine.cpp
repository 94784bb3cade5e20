#include "config/CommandLine.h"

#include <algorithm>
#include <cctype>

#include "base/HostAddress.h"
#include "base/Version.h"

namespace vx {
namespace {

constexpr std::string_view kFolderOption = "--system-folder";

// "host", "host:port", "[v6 address]" or "[v6 address]:port"; on the command line a bare IPv6
// address is refused, since its last group would be taken for a port by anyone reading it.
std::variant<CommandLine, std::string> parseAddress(std::string arg, CommandLine line) {
    // Links from a browser: telnet:// speaks telnet, atascii:// the raw line.
    const auto link = splitLink(arg);
    if (const auto* problem = std::get_if<std::string>(&link)) return *problem;
    const LinkParts& parts = std::get<LinkParts>(link);
    if (parts.protocol == "Telnet") line.protocol = "Telnet";
    arg = parts.address;
    if (!arg.starts_with('[') && std::count(arg.begin(), arg.end(), ':') > 1)
        return "put an IPv6 address in brackets: [" + arg + "]";
    auto parsed = parseHostAndPort(arg);
    if (auto* problem = std::get_if<std::string>(&parsed)) return *problem;
    const HostAndPort& address = std::get<HostAndPort>(parsed);
    line.host = address.host;
    if (address.port) line.port = *address.port;
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
        } else if (arg == "--import-bbs" || arg == "--export-bbs") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return arg + " needs a file";
            (arg == "--import-bbs" ? line.importBbs : line.exportBbs) = args[++i];
        } else if (arg == "--report" || arg == "--report-all") {
            line.report = true;
            line.reportAll = arg == "--report-all";
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
    const int listCommands = !line.importBbs.empty() + !line.exportBbs.empty() + line.report;
    if (listCommands > 1) return "--import-bbs, --export-bbs and --report go one at a time";
    if (listCommands > 0 && line.host)
        return "a board is not dialled while the BBS list is imported, exported or reported";
    return line;
}

std::string linkOf(const CommandLine& line) {
    if (!line.host) return {};
    const bool v6 = line.host->find(':') != std::string::npos;
    return std::string(line.protocol == "Telnet" ? "telnet://" : "atascii://") + (v6 ? "[" : "") + *line.host +
           (v6 ? "]" : "") + ":" + std::to_string(line.port);
}

std::string commandLineUsage() {
    return "Usage: vexterm [HOST[:PORT] | telnet://HOST[:PORT]] [--system-folder DIR] [--help] [--version]\n"
           "       vexterm [--system-folder DIR] --import-bbs FILE | --export-bbs FILE | --report | --report-all\n"
           "\n"
           "  HOST[:PORT]           dial this board at once, without adding it to the BBS list\n"
           "                        (port 23 when omitted; IPv6 addresses in brackets)\n"
           "  telnet://HOST[:PORT]  the same through a telnet server (option negotiation, 255\n"
           "                        doubled); atascii://HOST[:PORT] is the plain line\n"
           "  --system-folder DIR   keep the configuration, BBS list, log, captures, screens and\n"
           "                        'Mojis in DIR instead of Documents/Vexterm\n"
           "  --import-bbs FILE     add the boards of a CSV file (header row; columns Name,\n"
           "                        Address, Port, Sysop, Website, Comment, Protocol), an\n"
           "                        INI-style dialing directory ([Name] sections with Address,\n"
           "                        Port, ConnectionType) or a phone book of [entry] blocks to the\n"
           "                        BBS list and report the boards refused; no window opens\n"
           "  --export-bbs FILE     write the BBS list to a CSV file of those columns\n"
           "  --report              print the time-online report (boards called, times, speeds)\n"
           "  --report-all          the same, listing the boards never called too\n"
           "  --help                show this text\n"
           "  --version             show the version\n"
           "\n"
           "Try it against the demo board: vexterm-demo-bbs, then vexterm 127.0.0.1:6502\n";
}

std::string versionLine() { return "vexterm " + versionNumber() + " (build " + std::to_string(kRevision) + ")"; }

}  // namespace vx
