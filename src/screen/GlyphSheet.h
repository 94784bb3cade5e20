#pragma once

#include <cstdint>
#include <vector>

#include "screen/AtasciiFont.h"
#include "screen/Glyph.h"

namespace vx {

// The 645 x 153 monochrome glyph sheet: the 256 ATASCII glyphs at double size,
// 40 per sheet row. Codes 0-127 are the character generator with every pixel doubled,
// codes 128-255 their exact inverse images. The sheet is the addressing scheme the
// screen is drawn from: glyph b sits at origin(b).
class GlyphSheet {
public:
    static constexpr int kWidth = 645;
    static constexpr int kHeight = 153;
    static constexpr int kStride = (kWidth + 7) / 8;
    static constexpr int kGlyphsPerRow = 40;

    struct Origin {
        int x;
        int y;
    };

    // Top-left corner of glyph `code` (0-255): (3 + 16 * (code mod 40), 4 + 16 * (code div 40)).
    static Origin origin(int code);

    explicit GlyphSheet(const Font8x8& font = atasciiFont8x8());

    bool pixel(int x, int y) const;
    Glyph cut(int code) const;
    const std::vector<std::uint8_t>& bits() const { return m_bits; }

private:
    void setPixel(int x, int y, bool white);
    void drawDoubled(int code, const std::array<std::uint8_t, 8>& rows, bool inverse);

    std::vector<std::uint8_t> m_bits;
};

}  // namespace vx
