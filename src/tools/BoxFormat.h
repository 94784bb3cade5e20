#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::box {

inline constexpr char kEndOfLine = static_cast<char>(155);
// The largest piece of a formatted message sent at once to a board that does not wrap lines.
inline constexpr std::size_t kChunk = 152;

// The quote prefix: the prefix box's text and one blank when the box holds more than blanks,
// otherwise the configured QuotePrefix without its leading blanks.
std::string quotePrefix(std::string_view prefixBox, std::string_view configured);

struct QuoteSettings {
    std::string prefix;   // as quotePrefix() makes it
    bool noWrap = false;  // the board does not wrap lines itself
    int width = 40;       // the Box's width mode: 40 or 80
    int alarmColumn = 0;  // may be changed by the formatting (see QuoteResult)
};

struct QuoteResult {
    // The lines, each ending in one end of line (two when the quoted line ended with one).
    std::vector<std::string> lines;
    // The alarm column after formatting: wrap mode raises one below 30 to width - 10, no-wrap
    // mode sets width - prefix length - 1.
    int alarmColumn = 0;
};

// "3) Format Edited Box": every line of the text re-wrapped with the prefix in front, as a board
// user quotes a message. Wrap mode fills a line to the alarm column less 5 and finishes the word
// (breaking at a blank or end of line, or past the width), dropping blanks at a line's start;
// no-wrap mode cuts lines to the width for boards that do not wrap.
QuoteResult formatQuote(std::string_view text, const QuoteSettings& settings);

// The fewest columns a quoted line must keep for text beside its prefix.
inline constexpr int kMinTextColumns = 10;

// Whether the prefix leaves at least kMinTextColumns of the Box's width for text. A longer one
// turns every character or two of the message into a line of its own: a 5000-character prefix
// made a 5000-character Box 25 MB.
bool prefixLeavesRoom(const QuoteSettings& settings);

// "4) Send Formatted Box" first turns the Box's line breaks into ATASCII ends of line, keeping
// the length: CR or LF becomes 155, or a blank when the character before it already is 155, so
// CR LF becomes 155 and a blank.
std::string FormatMsg(std::string_view text);

// The pieces a formatted message goes out in for a board that does not wrap: 152 characters at a
// time; the last piece is what is left when fewer than 152 remain (empty when the length is a
// multiple of 152). At most length / 38 + 1 pieces.
std::vector<std::string> sendPieces(std::string_view text);

// "Auto C/R": when the Box text ends with CR LF, the text before it, to be sent with an end of
// line; otherwise nothing.
std::optional<std::string> autoCarriageReturnText(std::string_view boxText);

// Text pasted straight to the board: CR LF, a lone CR or a lone LF each become one ATASCII end
// of line, so pasted lines arrive as lines (the board reads 13 and 10 as graphics); a line
// break right after an ATASCII end of line adds none.
std::string atasciiLineEnds(std::string_view text);

// The Box's text as the editor shows it, and back: CR LF is a paragraph break ('\n'), the ATASCII
// end of line a line break inside it (U+2028), every other code a character the Box font draws as
// its ATASCII glyph: printable codes as themselves, the rest (graphics 0-31, 127-159) at
// U+E000 + code. Characters from elsewhere (pasted Unicode) come back as their ATASCII
// look-alike where there is one, else as "?".
std::u32string displayText(std::string_view bytes);

// Text pasted to the board, from the clipboard's characters with accents apart from their
// letters (canonical decomposition): line breaks as one ATASCII end of line each (as
// atasciiLineEnds), printable ASCII as itself, Tab as the ATASCII tab, box drawing (U+2500-U+257F)
// and blocks (U+2580-U+259F) as the nearest ATASCII graphic, other look-alikes and the Box's own
// glyph codes as their codes, accents dropped from their letters. Anything else is left out and
// counted: never sent as an unrelated code.
struct PasteBytes {
    std::string bytes;
    int dropped = 0;  // characters left out
};
PasteBytes boardBytesOfPaste(std::u32string_view characters);
std::string bytesOfDisplay(std::u32string_view shown);

}  // namespace vx::box
