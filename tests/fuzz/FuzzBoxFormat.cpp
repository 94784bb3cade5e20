// Any text in the Box, any prefix and alarm column: quoting ends with at most a line per
// character, every line starts with the prefix and ends its line, and no character but blanks
// and ends of line is lost; the send preparation keeps every byte; the editor's display of the
// bytes reads back exactly; any Unicode pasted in becomes ATASCII.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/BoxFormat.h"

namespace {

constexpr char kEol = vx::box::kEndOfLine;

std::string withoutBlanksAndEnds(std::string_view text) {
    std::string kept;
    for (const char c : text)
        if (c != ' ' && c != kEol) kept += c;
    return kept;
}

void checkQuote(std::string_view text, const vx::box::QuoteSettings& settings) {
    const vx::box::QuoteResult result = vx::box::formatQuote(text, settings);
    if (result.lines.size() > text.size()) std::abort();
    std::string body;
    for (const std::string& line : result.lines) {
        if (!line.starts_with(settings.prefix) || line.size() <= settings.prefix.size() || line.back() != kEol)
            std::abort();
        body += line.substr(settings.prefix.size());
    }
    if (withoutBlanksAndEnds(body) != withoutBlanksAndEnds(text)) std::abort();
    const int expectedAlarm = !settings.noWrap
                                  ? (settings.alarmColumn < 30 ? settings.width - 10 : settings.alarmColumn)
                                  : settings.width - static_cast<int>(settings.prefix.size()) - 1;
    if (result.alarmColumn != expectedAlarm) std::abort();
}

void checkSend(std::string_view text) {
    const std::string formatted = vx::box::FormatMsg(text);
    if (formatted.size() != text.size() || formatted.find_first_of("\r\n") != std::string::npos) std::abort();
    std::string joined;
    for (const std::string& piece : vx::box::sendPieces(formatted)) {
        if (piece.size() > vx::box::kChunk) std::abort();
        joined += piece;
    }
    if (joined != formatted) std::abort();

    const std::string pasted = vx::box::atasciiLineEnds(text);
    if (pasted.find_first_of("\r\n") != std::string::npos) std::abort();
    std::string others;
    for (const char c : text)
        if (c != '\r' && c != '\n') others += c;
    std::string pastedOthers;
    for (const char c : pasted)
        if (c != kEol) pastedOthers += c;
    std::string othersWithoutEol;
    for (const char c : others)
        if (c != kEol) othersWithoutEol += c;
    if (pastedOthers != othersWithoutEol) std::abort();
}

void checkDisplay(std::string_view bytes) {
    if (vx::box::bytesOfDisplay(vx::box::displayText(bytes)) != bytes) std::abort();
    // The same input as pasted Unicode, four bytes a character.
    std::u32string pasted;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        char32_t c = 0;
        for (std::size_t k = 0; k < 4; ++k) c = (c << 8) | static_cast<unsigned char>(bytes[i + k]);
        pasted += c;
    }
    const std::string atascii = vx::box::bytesOfDisplay(pasted);
    if (atascii.size() < pasted.size() || atascii.size() > 2 * pasted.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Three bytes of settings (mode and width, alarm column, prefix length), the prefix, the text.
    if (size < 3) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    vx::box::QuoteSettings settings;
    settings.noWrap = (data[0] & 1) != 0;
    settings.width = (data[0] & 2) != 0 ? 80 : 40;
    // The list file can hold alarm columns up to 32767; most boards use 0 to 80.
    settings.alarmColumn = (data[0] & 4) != 0 ? data[1] * 128 : data[1];
    const std::size_t prefixLength = std::min<std::size_t>(data[2] % 100, size - 3);
    settings.prefix = std::string(input.substr(3, prefixLength));
    const std::string_view text = input.substr(3 + prefixLength);

    checkQuote(text, settings);
    checkSend(text);
    checkDisplay(input.substr(3));
    return 0;
}
