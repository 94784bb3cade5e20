#include "HostileOptions.h"

#include <charconv>
#include <limits>

namespace vx::hostile {
namespace {

template <typename Number>
bool parseNumber(const std::string& text, Number& number, Number most) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0 || value > most) return false;
    number = value;
    return true;
}

}  // namespace

std::variant<HostileOptions, std::string> parseHostileOptions(const std::vector<std::string>& args) {
    HostileOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--list") {
            options.list = true;
            continue;
        }
        if (arg != "--scenario" && arg != "--port" && arg != "--bytes" && arg != "--seed")
            return "unknown argument \"" + arg + "\"";
        if (i + 1 == args.size()) return arg + " needs a value";
        const std::string& value = args[++i];
        if (arg == "--scenario") {
            options.scenario = findScenario(value);
            if (!options.scenario) return "unknown scenario \"" + value + "\" (--list shows them)";
        } else if (arg == "--port") {
            if (!parseNumber<std::uint16_t>(value, options.port, 65535)) return "bad port \"" + value + "\" (0 to 65535)";
        } else if (arg == "--bytes") {
            if (!parseNumber<std::int64_t>(value, options.bytes, std::numeric_limits<std::int64_t>::max()))
                return "bad byte count \"" + value + "\"";
        } else if (!parseNumber<std::uint32_t>(value, options.seed, std::numeric_limits<std::uint32_t>::max())) {
            return "bad seed \"" + value + "\"";
        }
    }
    if (!options.help && !options.list && !options.scenario) return "a scenario is needed (--scenario NAME)";
    return options;
}

std::string scenarioList() {
    std::string text;
    for (const Scenario& scenario : scenarios()) {
        std::string name(scenario.name);
        name.resize(12, ' ');
        text += "  " + name + std::string(scenario.what) + "\n";
    }
    return text;
}

std::string hostileUsage() {
    return "Usage: vexterm-hostile-bbs --scenario NAME [--port N] [--bytes N] [--seed N]\n"
           "       vexterm-hostile-bbs --list\n"
           "\n"
           "A board on 127.0.0.1 that misbehaves on purpose, to prove a terminal survives it.\n"
           "Every caller gets the same scenario.\n"
           "\n"
           "  --scenario NAME  what the board does (below)\n"
           "  --port N         listen on port N (default 6666); 0 picks a free port\n"
           "  --bytes N        how much a call sends before it ends (default: the scenario's)\n"
           "  --seed N         the seed of the random bytes and piece sizes (default 1)\n"
           "  --list           list the scenarios\n"
           "\n"
           "Scenarios:\n" +
           scenarioList() +
           "\n"
           "The first line printed is \"listening on 127.0.0.1:PORT\". Stop the board with\n"
           "Ctrl+C or SIGTERM. Exit status: 0 after a stop, 1 when the port cannot be opened,\n"
           "2 for bad options.\n";
}

}  // namespace vx::hostile
