#include "tools/BoxFormat.h"

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
