// vexterm-render: interpret an ATASCII byte stream and print or save the final screen.
#include <iostream>
#include <string>
#include <vector>

#include "render/RenderCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = vx::cli::parseRenderOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::cerr << "vexterm-render: " << *problem << " (see --help)\n";
        return 2;
    }
    const auto& options = std::get<vx::cli::RenderOptions>(parsed);
    if (options.help) {
        std::cout << vx::cli::renderUsage();
        return 0;
    }
    return vx::cli::runRender(options, std::cin, std::cout, std::cerr);
}
