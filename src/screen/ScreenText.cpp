#include "screen/ScreenText.h"

#include <cstdio>

#include "screen/AtasciiText.h"

namespace vx {

ScreenCodes readScreenCodes(const Framebuffer& surface, const GlyphIndex& index, int columns) {
    ScreenCodes codes(Framebuffer::kRows);
    for (int row = 0; row < Framebuffer::kRows; ++row) {
        auto& line = codes[static_cast<std::size_t>(row)];
        line.reserve(static_cast<std::size_t>(columns));
        for (int col = 0; col < columns; ++col) line.push_back(index.codeAt(surface, col, row));
    }
    return codes;
}

std::string formatScreenCodes(const ScreenCodes& codes, const InterpreterState& state, long beeps) {
    std::string out;
    char hex[4];
    for (const auto& line : codes) {
        for (std::size_t col = 0; col < line.size(); ++col) {
            if (col > 0) out += ' ';
            if (line[col]) {
                std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(*line[col]));
                out += hex;
            } else {
                out += "??";
            }
        }
        out += '\n';
    }
    out += "cursor " + std::to_string(state.CursorX) + ' ' + std::to_string(state.CursorY) + " lastchar " +
           std::to_string(state.LastChar) + " beeps " + std::to_string(beeps) + '\n';
    return out;
}

std::string formatScreenText(const ScreenCodes& codes, bool ansi) {
    constexpr std::string_view kReverseOn = "\x1b[7m";
    constexpr std::string_view kReverseOff = "\x1b[27m";
    std::string out;
    for (const auto& line : codes) {
        bool reversed = false;
        for (const auto& cell : line) {
            const bool inverse = ansi && cell && *cell >= 128;
            if (inverse != reversed) {
                out += inverse ? kReverseOn : kReverseOff;
                reversed = inverse;
            }
            out += cell ? atasciiLookAlike(*cell) : std::string_view("?");
        }
        if (reversed) out += kReverseOff;
        out += '\n';
    }
    return out;
}

}  // namespace vx
