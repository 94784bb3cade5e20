#pragma once

#include <string>

namespace vx {

// The ATASCII character set as a TrueType font, so that a text editor (The Box) can show what a
// board will show. Every glyph is the 8 x 8 character drawn as pixel squares (an em of 8 pixels:
// sharp at 8, 16, 24 ... pixels), all 256 codes, 128-255 in inverse video. The characters map as
// the Box shows its bytes: printable codes (32-126, 160-255) as themselves, every code also at
// U+E000 + code (graphics 0-31 and 127-159 are shown there).
inline constexpr const char* kGlyphFontFamily = "Vexterm ATASCII";

// The font file's bytes.
std::string atasciiTrueTypeFont();

}  // namespace vx
