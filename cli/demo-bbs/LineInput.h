#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vx::demo {

// The caller's typing, one byte at a time: what the board echoes back and, at the end of a
// line, the line. Callers' terminals do not draw typed keys while online, so the echo is all
// they see of their own typing.
class LineInput {
public:
    // A line longer than this is not a command anyone means; more typing is dropped.
    static constexpr std::size_t kMaxLength = 200;

    // Appends the echo for `b` to `echo`; returns the finished line at an end of line.
    std::optional<std::string> feed(std::uint8_t b, std::string& echo);

    // While set, typed characters are echoed as `mask` instead of themselves, so a password
    // does not show on the caller's screen; line ends and backspaces are echoed as ever.
    void setEchoMask(std::optional<char> mask) { m_echoMask = mask; }

    const std::string& pending() const { return m_line; }

private:
    std::string m_line;
    std::optional<char> m_echoMask;
    bool m_afterCarriageReturn = false;
};

}  // namespace vx::demo
