#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vx {

// The Unicode look-alike of an ATASCII character (box drawing, block elements, card suits,
// arrows), as UTF-8. Codes 128-255 give the look-alike of their normal form (code - 128);
// callers show inverse video themselves.
std::string_view atasciiLookAlike(std::uint8_t code);

// The other way: the ATASCII code (0-127) whose look-alike a Unicode character is, so text copied
// out of the screen or typed elsewhere can be turned back; nothing for other characters.
std::optional<std::uint8_t> atasciiFromLookAlike(char32_t character);

}  // namespace vx
