#pragma once

#include <cstdint>
#include <string_view>

namespace vx {

// The Unicode look-alike of an ATASCII character (box drawing, block elements, card suits,
// arrows), as UTF-8. Codes 128-255 give the look-alike of their normal form (code - 128);
// callers show inverse video themselves.
std::string_view atasciiLookAlike(std::uint8_t code);

}  // namespace vx
