#pragma once

#include <optional>
#include <string>
#include <vector>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"

namespace vx {

// The visible screen read back as glyph codes, row by row (24 rows of `columns` cells).
// A cell that matches no glyph is std::nullopt.
using ScreenCodes = std::vector<std::vector<std::optional<std::uint8_t>>>;
ScreenCodes readScreenCodes(const Framebuffer& surface, const GlyphIndex& index, int columns);

// The stable code dump other programs parse: 24 lines of `columns` two-digit upper-case hex
// codes separated by one blank ("??" for an unknown cell), then
// "cursor X Y lastchar N beeps B". Every line ends with '\n'.
std::string formatScreenCodes(const ScreenCodes& codes, const InterpreterState& state, long beeps);

// The screen as UTF-8 look-alike text, 24 lines. With `ansi`, inverse cells are shown in
// reverse video; without it they print as their normal form. Unknown cells print as '?'.
std::string formatScreenText(const ScreenCodes& codes, bool ansi);

}  // namespace vx
