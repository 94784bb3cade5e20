#pragma once

#include <fstream>
#include <string>

namespace vx::test {

// The process's resident memory in KiB (VmRSS), or -1 where the system does not tell.
inline long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace vx::test
