#pragma once

#include <string>
#include <string_view>

namespace vx {

// Replaces every "<CR>" (any letter case) by the ATASCII end of line (155). A '<' that does
// not open the token is copied unchanged.
std::string ExpandMacro(std::string_view text);

}  // namespace vx
