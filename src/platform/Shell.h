#pragma once

#include <string>

namespace vx {

// Starting other programs: the web browser for addresses and the help page.
class Shell {
public:
    virtual ~Shell() = default;
    // The program the desktop opens this file with, or "" when there is none.
    virtual std::string associatedProgram(const std::string& file) = 0;
    // Starts `program` with one argument, detached; false when it could not be started.
    virtual bool start(const std::string& program, const std::string& argument) = 0;
};

}  // namespace vx
