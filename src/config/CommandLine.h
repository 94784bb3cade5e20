#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vx {

// What `vexterm [HOST[:PORT] | telnet://HOST[:PORT] | atascii://HOST[:PORT]] [--system-folder DIR] [--import-bbs FILE |
// --export-bbs FILE |
// --report | --report-all] [--help] [--version]` asked for.
struct CommandLine {
    std::optional<std::string> host;  // dial this board at once, as a record not in the list
    int port = 23;
    std::string protocol = "Raw";  // "Telnet" for a telnet:// link
    std::string systemFolder;      // empty: Documents/Vexterm
    std::string importBbs;         // add the boards of this CSV file or directory to the BBS list, then end
    std::string exportBbs;         // write the BBS list to this CSV file, then end
    bool report = false;           // print the time-online report, then end
    bool reportAll = false;        // ... listing the boards never called too
    bool help = false;
    bool version = false;
};

// The arguments after the program name. A problem comes back as a one-line message.
std::variant<CommandLine, std::string> parseCommandLine(const std::vector<std::string>& args);

// The board of a command line as the link that names it ("telnet://[::1]:2323"), which
// parseCommandLine reads back as the same board; empty when the line names none.
std::string linkOf(const CommandLine& line);

std::string commandLineUsage();
std::string versionLine();  // "vexterm 3.14 (build 717)"

}  // namespace vx
