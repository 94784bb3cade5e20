#pragma once

#include <array>
#include <cstdint>

#include "screen/Glyph.h"
#include "screen/GlyphSheet.h"

namespace vx {

// The 256 cell images cut out of the glyph sheet once, so painting never touches the sheet.
class GlyphSet {
public:
    explicit GlyphSet(const GlyphSheet& sheet);

    // The set built from the built-in character generator, shared by the whole program.
    static const GlyphSet& atascii();

    const Glyph& operator[](std::uint8_t code) const { return m_glyphs[code]; }

private:
    std::array<Glyph, 256> m_glyphs{};
};

}  // namespace vx
