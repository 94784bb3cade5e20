#include "screen/GlyphSet.h"

namespace vx {

GlyphSet::GlyphSet(const GlyphSheet& sheet) {
    for (int code = 0; code < 256; ++code) m_glyphs[static_cast<std::size_t>(code)] = sheet.cut(code);
}

const GlyphSet& GlyphSet::atascii() {
    static const GlyphSet set{GlyphSheet{}};
    return set;
}

}  // namespace vx
