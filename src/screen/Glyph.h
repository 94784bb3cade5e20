#pragma once

#include <array>
#include <cstdint>

namespace vx {

// One 16 x 16 cell image at 1 bit per pixel: two bytes per pixel row, top row first,
// most significant bit leftmost, 1 = white. This is the framebuffer's own cell layout,
// so painting a glyph is sixteen 2-byte stores.
struct Glyph {
    std::array<std::array<std::uint8_t, 2>, 16> rows{};

    friend bool operator==(const Glyph&, const Glyph&) = default;
};

}  // namespace vx
