#include "base/HostAddress.h"

#include <algorithm>
#include <cctype>

namespace vx {

std::optional<int> parsePortNumber(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(std::string(text));
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

std::variant<LinkParts, std::string> splitLink(const std::string& text) {
    const auto scheme = text.find("://");
    if (scheme == std::string::npos) return LinkParts{text, std::nullopt};
    std::string name = text.substr(0, scheme);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name != "telnet" && name != "atascii") return "only telnet:// and atascii:// links can be dialled: " + text;
    LinkParts parts{text.substr(scheme + 3), name == "telnet" ? "Telnet" : "Raw"};
    if (parts.address.ends_with('/')) parts.address.pop_back();
    return parts;
}

std::string hostProblem(const std::string& host) {
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        // Letters of other scripts (0x80 and up) are left to the resolver's own rules.
        if (std::isalnum(byte) || byte >= 0x80 || c == '-' || c == '.' || c == '_' || c == ':' || c == '%') continue;
        if (c == ' ' || c == '\t') return "the host '" + host + "' holds a blank";
        if (byte < 0x20 || byte == 0x7F) return "the host '" + host + "' holds a control character";
        return "the host '" + host + "' holds '" + std::string(1, c) + "'";
    }
    return {};
}

std::variant<HostAndPort, std::string> parseHostAndPort(const std::string& text) {
    HostAndPort address{text, std::nullopt};
    std::string_view port;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string::npos) return "missing ']' in " + text;
        address.host = text.substr(1, close - 1);
        const std::string_view rest = std::string_view(text).substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return "unexpected text after ']' in " + text;
            port = rest.substr(1);
            if (port.empty()) return "missing port after ':' in " + text;
        }
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos && text.find(':') == colon) {
        address.host = text.substr(0, colon);
        port = std::string_view(text).substr(colon + 1);
        if (port.empty()) return "missing port after ':' in " + text;
    }
    if (address.host.empty()) return "missing host name in " + text;
    if (!port.empty()) {
        address.port = parsePortNumber(port);
        if (!address.port) return "bad port '" + std::string(port) + "' (1 to 65535)";
    }
    return address;
}

}  // namespace vx
