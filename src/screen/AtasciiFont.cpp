#include "screen/AtasciiFont.h"

#include <string_view>

namespace vx {
namespace {

constexpr std::string_view kFontRows[] = {
#include "glyphs/atascii-font.inc"
};
static_assert(std::size(kFontRows) == 128 * 8, "the glyph source must hold 8 rows for each of 128 characters");

constexpr std::uint8_t parseRow(std::string_view row) {
    std::uint8_t bits = 0;
    for (char c : row) bits = static_cast<std::uint8_t>((bits << 1) | (c == '#' ? 1 : 0));
    return bits;
}

constexpr bool rowsWellFormed() {
    for (std::string_view row : kFontRows) {
        if (row.size() != 8) return false;
        for (char c : row)
            if (c != '#' && c != '.') return false;
    }
    return true;
}
static_assert(rowsWellFormed(), "every glyph row must be 8 characters of '#' and '.'");

constexpr Font8x8 buildFont() {
    Font8x8 font{};
    for (std::size_t code = 0; code < 128; ++code)
        for (std::size_t y = 0; y < 8; ++y) font[code][y] = parseRow(kFontRows[code * 8 + y]);
    return font;
}

constexpr Font8x8 kFont = buildFont();

}  // namespace

const Font8x8& atasciiFont8x8() { return kFont; }

}  // namespace vx
