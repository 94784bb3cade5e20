#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "HostileScenarios.h"

namespace vx::hostile {

struct HostileOptions {
    const Scenario* scenario = nullptr;
    std::uint16_t port = 6666;
    std::int64_t bytes = -2;  // -2: the scenario's own amount
    std::uint32_t seed = 1;
    bool list = false;
    bool help = false;
};

// The command line without the program name. A problem comes back as one line of text.
std::variant<HostileOptions, std::string> parseHostileOptions(const std::vector<std::string>& args);

std::string hostileUsage();
// One line per scenario: its name and what it does.
std::string scenarioList();

}  // namespace vx::hostile
