// Any text typed as a board's address, its port list, or (split at NUL bytes) a command line:
// an address read has a host and a port from 1 to 65535, both taken from the text as written and
// read the same when written back; the command line dials only such addresses, by the same
// rules; a port list gives one to ten whole numbers.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/HostAddress.h"
#include "config/CommandLine.h"
#include "directory/BBSList.h"

namespace {

std::string written(const vx::HostAndPort& address) {
    std::string text = address.host.find(':') == std::string::npos ? address.host : "[" + address.host + "]";
    if (address.port) text += ":" + std::to_string(*address.port);
    return text;
}

void checkAddress(const std::string& text) {
    const auto parsed = vx::parseHostAndPort(text);
    const auto* address = std::get_if<vx::HostAndPort>(&parsed);
    if (!address) {
        if (std::get<std::string>(parsed).empty()) std::abort();
        return;
    }
    if (address->host.empty() || text.find(address->host) == std::string::npos) std::abort();
    if (address->port && (*address->port < 1 || *address->port > 65535)) std::abort();
    // Brackets inside a host name cannot be written back unambiguously; no real host has them.
    if (address->host.find_first_of("[]") != std::string::npos) return;
    const auto again = vx::parseHostAndPort(written(*address));
    if (!std::holds_alternative<vx::HostAndPort>(again) || std::get<vx::HostAndPort>(again) != *address) std::abort();
}

std::vector<std::string> argumentsOf(std::string_view text) {
    std::vector<std::string> args;
    while (true) {
        const std::size_t end = text.find('\0');
        args.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) return args;
        text.remove_prefix(end + 1);
    }
}

void checkCommandLine(const std::vector<std::string>& args) {
    const auto parsed = vx::parseCommandLine(args);
    const auto* line = std::get_if<vx::CommandLine>(&parsed);
    if (!line) return;
    if (line->port < 1 || line->port > 65535 || (line->protocol != "Raw" && line->protocol != "Telnet")) std::abort();
    if (line->host && (line->host->empty() || !line->importBbs.empty() || !line->exportBbs.empty() || line->report))
        std::abort();
    if (!line->importBbs.empty() + !line->exportBbs.empty() + line->report > 1) std::abort();
}

// A lone address on the command line, bare or as a link, dials what the address box would.
void checkDialledAddress(const std::string& text) {
    if (text.empty() || text.starts_with('-') || text.find("://") != std::string::npos) return;
    if (!text.starts_with('[') && std::count(text.begin(), text.end(), ':') > 1) return;
    const auto parsed = vx::parseHostAndPort(text);
    const auto* address = std::get_if<vx::HostAndPort>(&parsed);
    for (const std::string& arg : {text, "telnet://" + text + "/"}) {
        const auto line = vx::parseCommandLine({arg});
        if (std::holds_alternative<vx::CommandLine>(line) != (address != nullptr)) std::abort();
        if (!address) continue;
        const vx::CommandLine& dial = std::get<vx::CommandLine>(line);
        if (dial.host != address->host || dial.port != address->port.value_or(23)) std::abort();
    }
}

void checkPortList(const std::string& text) {
    std::array<std::string, 10> ports;
    const int count = vx::BBSList::ParsePortList(text, ports);
    if (count < 1 || count > static_cast<int>(ports.size())) std::abort();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string& port = ports[i];
        if (i >= static_cast<std::size_t>(count) && !port.empty()) std::abort();
        if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkAddress(text);
    checkDialledAddress(text);
    checkCommandLine(argumentsOf(text));
    checkPortList(text);
    return 0;
}
