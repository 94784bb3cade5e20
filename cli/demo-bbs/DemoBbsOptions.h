#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vx::demo {

struct DemoBbsOptions {
    std::uint16_t port = 6502;
    std::string recordFile;  // every byte callers send is appended here (for tests)
    bool telnet = false;     // speak telnet like a modem bridge: negotiate, double 255
    bool binary = true;      // in telnet, agree to binary; else CR goes out as CR NUL
    bool help = false;
};

// The command line without the program name. A problem comes back as one line of text.
std::variant<DemoBbsOptions, std::string> parseDemoBbsOptions(const std::vector<std::string>& args);

std::string demoBbsUsage();

}  // namespace vx::demo
