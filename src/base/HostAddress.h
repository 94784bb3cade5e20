#pragma once

#include <optional>
#include <string>
#include <variant>

namespace vx {

// A board's address as users type it: "host", "host:port", "[IPv6 address]" or
// "[IPv6 address]:port". A bare IPv6 address (more than one colon, no brackets) is taken whole
// as a host without a port, so records that hold one keep working.
struct HostAndPort {
    std::string host;
    std::optional<int> port;  // 1..65535 when given

    friend bool operator==(const HostAndPort&, const HostAndPort&) = default;
};

// The address read, or a one-line message saying what is wrong with it.
std::variant<HostAndPort, std::string> parseHostAndPort(const std::string& text);

// A link from a browser or a list, "telnet://host:port/" or "atascii://host:port/": the scheme
// says the line (telnet:// is "Telnet", atascii:// "Raw") and is removed, with a closing "/".
// Text without a scheme comes back whole with no line; any other scheme is refused.
struct LinkParts {
    std::string address;
    std::optional<std::string> protocol;
};
std::variant<LinkParts, std::string> splitLink(const std::string& text);

// Why a host can never be dialled as written, or "" when it can: a blank, a control character or
// a character of a shell or a URL in it is a paste gone wrong, not a host name.
std::string hostProblem(const std::string& host);

// "1".."65535" only: a port typed wrong must not quietly dial some other port.
std::optional<int> parsePortNumber(std::string_view text);

}  // namespace vx
