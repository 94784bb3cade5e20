#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace vx::bench {

// Short text lines of 8 to 39 printable characters, each ended by an end of line: the screen
// scrolls every three lines, the worst case for the surface.
inline std::string textLines(std::size_t bytes, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(8, 39), letter(32, 122);
    std::string out;
    out.reserve(bytes + 64);
    while (out.size() < bytes) {
        for (int i = length(random); i > 0; --i) out += static_cast<char>(letter(random));
        out += static_cast<char>(155);
    }
    out.resize(bytes);
    return out;
}

// ATASCII art as boards send it: runs of graphics and inverse characters, cursor moves, tabs,
// insertion and deletion of characters and lines, and now and then a clear screen.
inline std::string artStream(std::size_t bytes, unsigned seed = 2) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> percent(0, 99), graphic(0, 26), run(4, 30);
    static constexpr std::uint8_t moves[] = {28, 29, 30, 31};
    std::string out;
    out.reserve(bytes + 64);
    while (out.size() < bytes) {
        const int kind = percent(random);
        if (kind < 40) {
            for (int i = run(random); i > 0; --i) out += static_cast<char>(graphic(random));
        } else if (kind < 60) {
            for (int i = run(random); i > 0; --i) out += static_cast<char>(0x80 | (32 + graphic(random) * 3));
        } else if (kind < 75) {
            for (int i = run(random) / 4; i > 0; --i) out += static_cast<char>(moves[percent(random) % 4]);
        } else if (kind < 82) {
            out += static_cast<char>(155);
        } else if (kind < 86) {
            out += static_cast<char>(127);
        } else if (kind < 91) {
            out += static_cast<char>(percent(random) % 2 ? 254 : 255);
        } else if (kind < 96) {
            out += static_cast<char>(percent(random) % 2 ? 156 : 157);
        } else if (kind < 99) {
            out += "  WELCOME  ";
        } else {
            out += static_cast<char>(125);
        }
    }
    out.resize(bytes);
    return out;
}

}  // namespace vx::bench
