#pragma once

#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace vx::cli {

// vexterm-render [--cols 40|80] [--lantronix] [--buzzer] [--codes | --text [--ansi]] [--image OUT] [FILE|-]
struct RenderOptions {
    enum class Output { Text, Codes, None };

    bool mode80 = false;
    bool lantronix = false;
    bool buzzer = false;
    Output output = Output::Text;
    bool ansi = false;
    std::string imagePath;
    std::string input = "-";
    bool help = false;
};

// The options, or a one-line reason they are wrong.
std::variant<RenderOptions, std::string> parseRenderOptions(const std::vector<std::string>& args);

std::string renderUsage();

// Feeds the input to a fresh interpreter and prints or writes the final screen. Returns the exit
// status: 0 on success, 2 for an unreadable input or an unwritable image (with one line on err).
int runRender(const RenderOptions& options, std::istream& standardInput, std::ostream& out, std::ostream& err);

}  // namespace vx::cli
