#pragma once

#include <array>
#include <cstdint>

namespace vx {

// The 128 ATASCII characters 0-127 as 8 x 8 bitmaps (8 bytes each, top row first,
// most significant bit leftmost). Built once from the readable glyph source in
// resources/glyphs/atascii-font.inc.
using Font8x8 = std::array<std::array<std::uint8_t, 8>, 128>;
const Font8x8& atasciiFont8x8();

}  // namespace vx
