#include "screen/AtasciiText.h"

#include <array>
#include <map>

namespace vx {
namespace {

// Graphics characters 0-31. The ATASCII lines are two pixels wide, hence the heavy box drawing.
constexpr std::array<std::string_view, 32> kGraphics = {
    "\u2665",  //  0 heart
    "\u2523",  //  1 tee right
    "\u2595",  //  2 right bar
    "\u251B",  //  3 corner bottom-right
    "\u252B",  //  4 tee left
    "\u2513",  //  5 corner top-right
    "\u2571",  //  6 diagonal /
    "\u2572",  //  7 diagonal backslash
    "\u25E2",  //  8 triangle lower-right
    "\u2597",  //  9 quadrant lower-right
    "\u25E3",  // 10 triangle lower-left
    "\u259D",  // 11 quadrant upper-right
    "\u2598",  // 12 quadrant upper-left
    "\u2594",  // 13 bar top
    "\u2582",  // 14 bar bottom
    "\u2596",  // 15 quadrant lower-left
    "\u2663",  // 16 club
    "\u250F",  // 17 corner top-left
    "\u2501",  // 18 horizontal line
    "\u254B",  // 19 cross
    "\u25CF",  // 20 ball
    "\u2584",  // 21 lower half
    "\u258E",  // 22 left bar
    "\u2533",  // 23 tee down
    "\u253B",  // 24 tee up
    "\u258C",  // 25 left half
    "\u2517",  // 26 corner bottom-left
    "\u241B",  // 27 escape
    "\u2191",  // 28 arrow up
    "\u2193",  // 29 arrow down
    "\u2190",  // 30 arrow left
    "\u2192",  // 31 arrow right
};

constexpr std::string_view kDiamond = "\u2666";    //  96
constexpr std::string_view kSpade = "\u2660";      // 123
constexpr std::string_view kClear = "\u2196";      // 125
constexpr std::string_view kBackspace = "\u25C0";  // 126
constexpr std::string_view kTab = "\u25B6";        // 127

// Printable ASCII 32-126 as one-character views into a single table.
constexpr char kAscii[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

}  // namespace

std::string_view atasciiLookAlike(std::uint8_t code) {
    const std::uint8_t plain = code & 0x7F;
    switch (plain) {
        case 96:
            return kDiamond;
        case 123:
            return kSpade;
        case 125:
            return kClear;
        case 126:
            return kBackspace;
        case 127:
            return kTab;
        default:
            break;
    }
    if (plain < 32) return kGraphics[plain];
    return std::string_view(&kAscii[plain - 32], 1);
}

}  // namespace vx

namespace vx {
namespace {

// The one code point of a look-alike (all of them are single characters).
char32_t codePointOf(std::string_view utf8) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (lead < 0x80) return lead;
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t code = lead & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(utf8[static_cast<std::size_t>(i)]) & 0x3F);
    return code;
}

}  // namespace

std::optional<std::uint8_t> atasciiFromLookAlike(char32_t character) {
    static const std::map<char32_t, std::uint8_t> reverse = [] {
        std::map<char32_t, std::uint8_t> table;
        for (int code = 127; code >= 0; --code)
            table[codePointOf(atasciiLookAlike(static_cast<std::uint8_t>(code)))] = static_cast<std::uint8_t>(code);
        return table;
    }();
    const auto found = reverse.find(character);
    if (found == reverse.end()) return std::nullopt;
    return found->second;
}

}  // namespace vx
