#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "screen/Framebuffer.h"
#include "screen/GlyphSet.h"

namespace vx {

// Turns a cell's pixels back into the glyph code that draws them, so tests and tools can read
// the screen as codes. A cell that matches no glyph (which the interpreter never produces) has
// no code.
class GlyphIndex {
public:
    explicit GlyphIndex(const GlyphSet& glyphs = GlyphSet::atascii());

    std::optional<std::uint8_t> codeOf(const Glyph& cell) const;
    std::optional<std::uint8_t> codeAt(const Framebuffer& surface, int col, int row) const {
        return codeOf(surface.cell(col, row));
    }

    // Number of distinct images among the 256 glyphs (256 when every glyph can be told apart).
    std::size_t distinctGlyphs() const { return m_codes.size(); }

private:
    static std::uint64_t key(const Glyph& glyph);

    const GlyphSet& m_glyphs;
    std::unordered_multimap<std::uint64_t, std::uint8_t> m_codes;
};

}  // namespace vx
