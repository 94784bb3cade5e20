#include "Atascii.h"

#include <stdexcept>

#include "screen/AtasciiText.h"

namespace vx::demo::atascii {

std::string inverse(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(static_cast<std::uint8_t>(c) | 0x80);
    return out;
}

std::string repeat(char c, std::size_t count) { return std::string(count, c); }

std::string line(std::string_view text) {
    std::string out(text);
    out += kEol;
    return out;
}

namespace {

constexpr std::string_view kSolidLookAlike = "\u2588";

// Codes 0-127 whose look-alike starts `text`. Look-alikes are single characters, so at most one
// of them can match at a given place.
bool matchLookAlike(std::string_view text, char& out, std::size_t& length) {
    if (text.starts_with(kSolidLookAlike)) {
        out = kSolid;
        length = kSolidLookAlike.size();
        return true;
    }
    for (int c = 0; c < 128; ++c) {
        const std::string_view lookAlike = atasciiLookAlike(static_cast<std::uint8_t>(c));
        if (text.starts_with(lookAlike)) {
            out = code(c);
            length = lookAlike.size();
            return true;
        }
    }
    return false;
}

}  // namespace

std::string art(std::string_view utf8) {
    std::string out;
    bool inverseVideo = false;
    std::size_t at = 0;
    while (at < utf8.size()) {
        if (utf8[at] == '{' || utf8[at] == '}') {
            inverseVideo = utf8[at] == '{';
            ++at;
            continue;
        }
        char c = 0;
        std::size_t length = 0;
        if (!matchLookAlike(utf8.substr(at), c, length))
            throw std::invalid_argument("no ATASCII character for \"" + std::string(utf8.substr(at, 4)) + "\"");
        out += inverseVideo ? code(static_cast<std::uint8_t>(c) | 0x80) : c;
        at += length;
    }
    return out;
}

std::string picture(std::initializer_list<std::string_view> rows) {
    std::string out;
    for (std::string_view row : rows) out += line(art(row));
    return out;
}

}  // namespace vx::demo::atascii
