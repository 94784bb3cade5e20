#include "tools/BoxFormat.h"

#include <cstdint>

#include "screen/AtasciiText.h"

namespace vx::box {
namespace {

constexpr char32_t kParagraph = U'\n';
constexpr char32_t kLineBreak = 0x2028;
constexpr char32_t kGlyphArea = 0xE000;

// T[i] with 1-based i; beyond the text it reads as nothing.
std::string_view at(std::string_view text, std::size_t i) {
    return i >= 1 && i <= text.size() ? text.substr(i - 1, 1) : std::string_view();
}

bool drawnAsItself(unsigned char byte) { return (byte >= 32 && byte < 127) || byte >= 160; }

// Box drawing U+2500-U+257F and blocks U+2580-U+259F as ATASCII, by the arms of each line
// character (light, heavy, double, dashed and round alike): 18 horizontal, 124 vertical, 17 5 26 3
// the corners, 1 4 23 24 the tees, 19 the cross. Blocks take the nearest graphic, its inverse
// (+128) where that is closer (the full block is an inverse blank).
// clang-format off
constexpr std::uint8_t kBoxDrawing[160] = {
    // U+2500: ─ ━ │ ┃ ┄ ┅ ┆ ┇ ┈ ┉ ┊ ┋ ┌ ┍ ┎ ┏
    18, 18, 124, 124, 18, 18, 124, 124, 18, 18, 124, 124, 17, 17, 17, 17,
    // U+2510: ┐ ┑ ┒ ┓ └ ┕ ┖ ┗ ┘ ┙ ┚ ┛ ├ ┝ ┞ ┟
    5, 5, 5, 5, 26, 26, 26, 26, 3, 3, 3, 3, 1, 1, 1, 1,
    // U+2520: ┠ ┡ ┢ ┣ ┤ ┥ ┦ ┧ ┨ ┩ ┪ ┫ ┬ ┭ ┮ ┯
    1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 4, 4, 23, 23, 23, 23,
    // U+2530: ┰ ┱ ┲ ┳ ┴ ┵ ┶ ┷ ┸ ┹ ┺ ┻ ┼ ┽ ┾ ┿
    23, 23, 23, 23, 24, 24, 24, 24, 24, 24, 24, 24, 19, 19, 19, 19,
    // U+2540: ╀ ╁ ╂ ╃ ╄ ╅ ╆ ╇ ╈ ╉ ╊ ╋ ╌ ╍ ╎ ╏
    19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 18, 18, 124, 124,
    // U+2550: ═ ║ ╒ ╓ ╔ ╕ ╖ ╗ ╘ ╙ ╚ ╛ ╜ ╝ ╞ ╟
    18, 124, 17, 17, 17, 5, 5, 5, 26, 26, 26, 3, 3, 3, 1, 1,
    // U+2560: ╠ ╡ ╢ ╣ ╤ ╥ ╦ ╧ ╨ ╩ ╪ ╫ ╬ ╭ ╮ ╯
    1, 4, 4, 4, 23, 23, 23, 24, 24, 24, 19, 19, 19, 17, 5, 3,
    // U+2570: ╰ ╱ ╲ ╳ ╴ ╵ ╶ ╷ ╸ ╹ ╺ ╻ ╼ ╽ ╾ ╿
    26, 6, 7, 'X', 18, 124, 18, 124, 18, 124, 18, 124, 18, 124, 18, 124,
    // U+2580: ▀ ▁ ▂ ▃ ▄ ▅ ▆ ▇ █ ▉ ▊ ▋ ▌ ▍ ▎ ▏
    149, 14, 14, 21, 21, 21, 141, 141, 160, 130, 130, 25, 25, 25, 22, 22,
    // U+2590: ▐ ░ ▒ ▓ ▔ ▕ ▖ ▗ ▘ ▙ ▚ ▛ ▜ ▝ ▞ ▟
    153, 32, 160, 160, 13, 2, 15, 9, 12, 139, 7, 137, 143, 11, 6, 140,
};
// clang-format on

bool isCombiningMark(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// The ATASCII code a pasted character stands for; nothing when it has none.
std::optional<std::uint8_t> atasciiOfPasted(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return static_cast<std::uint8_t>(c);
    if (c == U'\t') return 127;
    if (c == 0xA0) return ' ';
    if (c >= 0x2500 && c <= 0x259F) return kBoxDrawing[c - 0x2500];
    if (c >= kGlyphArea && c < kGlyphArea + 256) return static_cast<std::uint8_t>(c - kGlyphArea);
    return atasciiFromLookAlike(c);
}

}  // namespace

std::string quotePrefix(std::string_view prefixBox, std::string_view configured) {
    if (prefixBox.find_first_not_of(' ') != std::string_view::npos) return std::string(prefixBox) + " ";
    const auto first = configured.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(configured.substr(first));
}

QuoteResult formatQuote(std::string_view text, const QuoteSettings& settings) {
    QuoteResult result;
    const std::string& prefix = settings.prefix;
    const int width = settings.width;
    const int firstColumn = static_cast<int>(prefix.size()) + 1;
    std::size_t i = 1;
    if (!settings.noWrap) {
        int alarm = settings.alarmColumn < 30 ? width - 10 : settings.alarmColumn;
        result.alarmColumn = alarm;
        while (i <= text.size()) {
            const std::size_t lineStart = i;
            std::string line = prefix;
            int column = firstColumn;
            bool ended = false;
            while (column < alarm - 5) {
                const std::string_view c = at(text, i);
                if (c == " " && column == firstColumn) {
                    ++i;  // blanks at the start of a line are dropped
                    continue;
                }
                line += c;
                if (c.size() == 1 && c[0] == kEndOfLine) {
                    ended = true;
                    break;
                }
                ++column;
                ++i;
            }
            while (!ended && at(text, i) != " " && at(text, i) != std::string_view(&kEndOfLine, 1) && column <= width) {
                line += at(text, i);
                ++i;
                ++column;
            }
            // A prefix wider than the Box leaves no room for a word; the text still moves on, a
            // character a line, instead of adding empty lines for ever.
            if (i == lineStart && !ended) line += at(text, i++);
            line += kEndOfLine;
            result.lines.push_back(std::move(line));
            // The blank or end of line that ended the word is dropped; a word cut at the width
            // goes on in the next line, without losing the character where it was cut.
            if (at(text, i) == " " || at(text, i) == std::string_view(&kEndOfLine, 1) || at(text, i).empty()) ++i;
        }
        return result;
    }
    const int alarm = width - static_cast<int>(prefix.size()) - 1;
    result.alarmColumn = alarm;
    while (i <= text.size()) {
        const std::size_t lineStart = i;
        std::string line = prefix;
        int column = firstColumn;
        bool full = false;
        while (column < alarm - 1) {
            const std::string_view c = at(text, i);
            if (!(c == " " && column == firstColumn)) {
                line += c;
                ++column;
            }
            ++i;
        }
        while (!full && column < width) {
            if (column >= alarm) full = true;
            line += at(text, i);
            ++i;
            ++column;
            if (alarm > 0 && i % static_cast<std::size_t>(alarm) == 0) line += kEndOfLine;
        }
        // A prefix as wide as the Box leaves no room; the text still moves on, a character a line.
        if (i == lineStart) line += at(text, i++);
        line += kEndOfLine;
        result.lines.push_back(std::move(line));
    }
    return result;
}

bool prefixLeavesRoom(const QuoteSettings& settings) {
    return static_cast<std::int64_t>(settings.prefix.size()) + kMinTextColumns <= settings.width;
}

PasteBytes boardBytesOfPaste(std::u32string_view characters) {
    PasteBytes paste;
    paste.bytes.reserve(characters.size());
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        if (c == U'\r' || c == U'\n' || c == kLineBreak || c == 0x2029 || c == 0x9B) {
            // As atasciiLineEnds: CR LF is one line end, and a break right after an ATASCII end
            // of line adds none.
            const bool endedAlready = i > 0 && (characters[i - 1] == 0x9B || characters[i - 1] == kLineBreak ||
                                                characters[i - 1] == kGlyphArea + 0x9B);
            if (c == 0x9B || c == kLineBreak || !endedAlready) paste.bytes += kEndOfLine;
            if (c == U'\r' && i + 1 < characters.size() && characters[i + 1] == U'\n') ++i;
        } else if (isCombiningMark(c)) {
            continue;  // the accent of the letter before it, which went as the plain letter
        } else if (const auto code = atasciiOfPasted(c)) {
            paste.bytes += static_cast<char>(*code);
        } else {
            ++paste.dropped;
        }
    }
    return paste;
}

std::string FormatMsg(std::string_view text) {
    std::string out(text);
    char before = 0;
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = before == kEndOfLine ? ' ' : kEndOfLine;
        before = c;
    }
    return out;
}

std::vector<std::string> sendPieces(std::string_view text) {
    std::vector<std::string> pieces;
    const std::size_t passes = text.size() / 38 + 1;
    while (pieces.size() < passes) {
        if (text.size() < kChunk) {
            pieces.emplace_back(text);
            break;
        }
        pieces.emplace_back(text.substr(0, kChunk));
        text.remove_prefix(kChunk);
    }
    return pieces;
}

std::optional<std::string> autoCarriageReturnText(std::string_view boxText) {
    if (!boxText.ends_with("\r\n")) return std::nullopt;
    return std::string(boxText.substr(0, boxText.size() - 2));
}

std::string atasciiLineEnds(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            // Text copied from a board's screen or capture may end its lines with the ATASCII
            // end of line and a line break after it: that is one line end, not two.
            const bool endedAlready = i > 0 && text[i - 1] == kEndOfLine;
            if (!endedAlready) lines += kEndOfLine;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lines += text[i];
        }
    }
    return lines;
}

std::u32string displayText(std::string_view bytes) {
    std::u32string shown;
    shown.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            shown += kParagraph;
            ++i;
        } else if (byte == static_cast<unsigned char>(kEndOfLine)) {
            shown += kLineBreak;
        } else {
            shown += drawnAsItself(byte) ? char32_t{byte} : kGlyphArea + byte;
        }
    }
    return shown;
}

std::string bytesOfDisplay(std::u32string_view shown) {
    std::string bytes;
    bytes.reserve(shown.size());
    for (const char32_t c : shown) {
        if (c == kParagraph || c == 0x2029) {
            bytes += "\r\n";
        } else if (c == kLineBreak) {
            bytes += kEndOfLine;
        } else if (c >= kGlyphArea && c < kGlyphArea + 256) {
            bytes += static_cast<char>(c - kGlyphArea);
        } else if (c < 256) {
            bytes += static_cast<char>(c);
        } else if (const auto code = atasciiFromLookAlike(c)) {
            bytes += static_cast<char>(*code);
        } else {
            bytes += '?';
        }
    }
    return bytes;
}

}  // namespace vx::box
