#include "screen/GlyphIndex.h"

namespace vx {

GlyphIndex::GlyphIndex(const GlyphSet& glyphs) : m_glyphs(glyphs) {
    for (int code = 0; code < 256; ++code) {
        const Glyph& glyph = glyphs[static_cast<std::uint8_t>(code)];
        if (!codeOf(glyph)) m_codes.emplace(key(glyph), static_cast<std::uint8_t>(code));
    }
}

std::uint64_t GlyphIndex::key(const Glyph& glyph) {
    // FNV-1a over the 32 bytes; collisions are resolved by comparing whole glyphs.
    std::uint64_t hash = 1469598103934665603ULL;
    for (const auto& row : glyph.rows)
        for (std::uint8_t byte : row) hash = (hash ^ byte) * 1099511628211ULL;
    return hash;
}

std::optional<std::uint8_t> GlyphIndex::codeOf(const Glyph& cell) const {
    const auto [first, last] = m_codes.equal_range(key(cell));
    for (auto it = first; it != last; ++it)
        if (m_glyphs[it->second] == cell) return it->second;
    return std::nullopt;
}

}  // namespace vx
