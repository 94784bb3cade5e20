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

// "1".."65535" only: a port typed wrong must not quietly dial some other port.
std::optional<int> parsePortNumber(std::string_view text);

}  // namespace vx
