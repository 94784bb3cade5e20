#include "directory/Macros.h"

#include <cctype>

namespace vx {

std::string ExpandMacro(std::string_view text) {
    constexpr char kEndOfLine = static_cast<char>(155);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' && i + 3 < text.size() && text[i + 3] == '>' &&
            std::toupper(static_cast<unsigned char>(text[i + 1])) == 'C' &&
            std::toupper(static_cast<unsigned char>(text[i + 2])) == 'R') {
            out += kEndOfLine;
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace vx
