#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::demo {

// The flood test's text: numbered lines of printable characters, each ending in an end of line,
// exactly `total` bytes long in all (the last line is cut short but still ends the line). It is
// produced piece by piece so a 20 MB flood never sits in memory at once.
class FloodSource {
public:
    static constexpr std::size_t kLineLength = 40;  // 39 characters and the end of line

    explicit FloodSource(std::uint64_t total) : m_total(total) {}

    std::uint64_t total() const { return m_total; }
    std::uint64_t remaining() const { return m_total - m_produced; }
    bool done() const { return m_produced == m_total; }

    // Appends the next `maxBytes` bytes of the stream (fewer at its end) to `out`.
    void take(std::size_t maxBytes, std::string& out);

private:
    std::string lineAt(std::uint64_t index) const;

    std::uint64_t m_total;
    std::uint64_t m_produced = 0;
};

}  // namespace vx::demo
