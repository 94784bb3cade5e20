#include "base/CodePage1252.h"

#include <array>
#include <cstdio>

namespace vx::cp1252 {
namespace {

// 0x80-0x9F, from the code page's published mapping table (bestfit1252 / CP1252.TXT). The five
// undefined bytes stand for their C1 controls (see the header).
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

char32_t characterOf(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte; }

std::optional<unsigned char> byteOf(char32_t character) {
    // Latin-1 but the C1 range reads as itself; of the C1 controls only the five above are held.
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<unsigned char>(character);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == character) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::optional<char32_t> firstUnheld(std::u32string_view text) {
    for (const char32_t c : text)
        if (!byteOf(c)) return c;
    return std::nullopt;
}

std::optional<std::string> bytesOf(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text) {
        const auto byte = byteOf(c);
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::u32string textOf(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (const char b : bytes) text += characterOf(static_cast<unsigned char>(b));
    return text;
}

std::optional<std::u32string> fromUtf8(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80           ? 1
                           : (lead >> 5) == 0x6  ? 2
                           : (lead >> 4) == 0xE  ? 3
                           : (lead >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > utf8.size()) return std::nullopt;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are no UTF-8.
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return std::nullopt;
        text += code;
        i += static_cast<std::size_t>(length);
    }
    return text;
}

std::string utf8Of(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const char32_t c = characterOf(static_cast<unsigned char>(b));
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string codePointName(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    return name;
}

}  // namespace vx::cp1252
