#include "screen/GlyphSheet.h"

namespace vx {

GlyphSheet::Origin GlyphSheet::origin(int code) {
    // Row and column by repeated subtraction of 40, as the sheet has always been addressed.
    int row = 0;
    int column = code;
    while (column >= kGlyphsPerRow) {
        column -= kGlyphsPerRow;
        ++row;
    }
    return {3 + 16 * column, 4 + 16 * row};
}

GlyphSheet::GlyphSheet(const Font8x8& font) : m_bits(static_cast<std::size_t>(kStride) * kHeight, 0) {
    for (int code = 0; code < 128; ++code) {
        drawDoubled(code, font[static_cast<std::size_t>(code)], false);
        drawDoubled(code + 128, font[static_cast<std::size_t>(code)], true);
    }
}

void GlyphSheet::drawDoubled(int code, const std::array<std::uint8_t, 8>& rows, bool inverse) {
    const Origin at = origin(code);
    for (int y = 0; y < 16; ++y) {
        const std::uint8_t source = rows[static_cast<std::size_t>(y / 2)];
        for (int x = 0; x < 16; ++x) {
            const bool lit = (source >> (7 - x / 2)) & 1;
            setPixel(at.x + x, at.y + y, lit != inverse);
        }
    }
}

void GlyphSheet::setPixel(int x, int y, bool white) {
    std::uint8_t& byte = m_bits[static_cast<std::size_t>(y * kStride + x / 8)];
    const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
    byte = static_cast<std::uint8_t>(white ? (byte | mask) : (byte & ~mask));
}

bool GlyphSheet::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return false;
    return (m_bits[static_cast<std::size_t>(y * kStride + x / 8)] >> (7 - x % 8)) & 1;
}

Glyph GlyphSheet::cut(int code) const {
    const Origin at = origin(code);
    Glyph glyph;
    for (int y = 0; y < 16; ++y) {
        unsigned row = 0;
        for (int x = 0; x < 16; ++x) row = (row << 1) | (pixel(at.x + x, at.y + y) ? 1u : 0u);
        glyph.rows[static_cast<std::size_t>(y)] = {static_cast<std::uint8_t>(row >> 8),
                                                   static_cast<std::uint8_t>(row & 0xFF)};
    }
    return glyph;
}

}  // namespace vx
