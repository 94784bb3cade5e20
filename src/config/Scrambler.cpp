#include "config/Scrambler.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vx {
namespace {

constexpr int kOffsets = 101;

std::string_view trimTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Two positions of upper-case hexadecimal, right-aligned with a blank for values below 16.
void appendPair(std::string& out, int value, char pad) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += value >= 16 ? digits[(value >> 4) & 0xF] : pad;
    out += digits[value & 0xF];
}

// The hexadecimal value of a pair with blanks removed; reading stops at a non-hex character.
int hexValue(std::string_view pair) {
    int value = 0;
    for (char c : pair) {
        if (c == ' ') continue;
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                          : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                                                                      : -1;
        if (digit < 0) break;
        value = value * 16 + digit;
    }
    return value;
}

int keyCode(std::string_view key, std::size_t& position) {
    if (key.empty()) return 0;
    position = position < key.size() ? position + 1 : 1;
    return static_cast<unsigned char>(key[position - 1]);
}

}  // namespace

std::string Scrambler::scrambleWithOffset(std::string_view key, std::string_view text, int offset) {
    std::string out;
    out.reserve(2 + 2 * text.size());
    appendPair(out, offset, '0');
    std::size_t position = 0;
    for (char c : text) {
        int s = (static_cast<unsigned char>(c) + offset) % 255;
        s ^= keyCode(key, position);
        appendPair(out, s, ' ');
        offset = s;
    }
    return out;
}

std::string Scrambler::unscramble(std::string_view key, std::string_view text) {
    int offset = hexValue(text.substr(0, 2));
    std::string out;
    std::size_t position = 0;
    for (std::size_t i = 2; i < text.size(); i += 2) {
        const int s = hexValue(text.substr(i, 2));
        int t = s ^ keyCode(key, position);
        t = t <= offset ? t + 255 - offset : t - offset;
        out += static_cast<char>(static_cast<unsigned char>(t & 0xFF));
        offset = s;
    }
    return out;
}

int Scrambler::randomOffset() {
    m_random.seedFromClock();
    // Round to the nearest whole number, halves to even.
    const int rounded = static_cast<int>(std::nearbyint(m_random.next() * 100));
    return rounded % 255 + 1;
}

std::string Scrambler::ENCRYP(std::string_view mode, std::string_view key, std::string_view text) {
    if (mode == "E") return scrambleWithOffset(key, text, randomOffset());
    if (mode == "D") return unscramble(key, text);
    return {};
}

std::string Scrambler::ScrambleText(std::string_view text) {
    text = trimTrailingBlanks(text);
    const std::string_view key = trimTrailingBlanks(kKey);
    // What unscrambling can give back at best: a code 0 always returns as 255.
    std::string expected(text);
    std::replace(expected.begin(), expected.end(), '\0', '\xFF');
    const auto zeroPadded = [](std::string result) {
        std::replace(result.begin(), result.end(), ' ', '0');
        return result;
    };

    // Only 101 results exist. Start at the random offset and take the first one that holds no
    // blank and reads back exactly (a byte 255 that follows a scrambled 255 would return as 0).
    const int first = randomOffset();
    const auto offsetAt = [&](int i) { return (first - 1 + i) % kOffsets + 1; };
    for (int i = 0; i < kOffsets; ++i) {
        std::string result = scrambleWithOffset(key, text, offsetAt(i));
        if (!HasBlank(result) && unscramble(key, result) == expected) return result;
    }
    // No blank-free form: blanks are written as "0", which reads back the same.
    for (int i = 0; i < kOffsets; ++i) {
        std::string result = zeroPadded(scrambleWithOffset(key, text, offsetAt(i)));
        if (unscramble(key, result) == expected) return result;
    }
    return zeroPadded(scrambleWithOffset(key, text, first));
}

std::string Scrambler::UnscrambleText(std::string_view text) {
    return unscramble(trimTrailingBlanks(kKey), trimTrailingBlanks(text));
}

bool Scrambler::HasBlank(std::string_view text) { return text.find(' ') != std::string_view::npos; }

}  // namespace vx
