// Any text as a code list, a 'Moji file or an ATASCII screen dump: parsing never gives more
// bytes than allowed and a shorter limit gives a prefix of the same bytes; every text's code
// list, bare or saved as a 'Moji file, reads back as that text with nothing skipped; and a dump
// of 24 rows of 40 drawable codes is drawn back exactly by the codes VXEditor loads from it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "screen/Framebuffer.h"
#include "screen/GlyphSet.h"
#include "screen/ScreenInterpreter.h"
#include "tools/MojiFiles.h"

namespace {

constexpr char kEndOfLine = static_cast<char>(155);
constexpr int kColumns = 40;
constexpr int kRows = 24;

void checkLimits(std::string_view list) {
    const vx::CodeList whole = vx::parseCodeList(list);
    const auto separators = static_cast<std::size_t>(std::count(list.begin(), list.end(), ';'));
    if (whole.bytes.size() + static_cast<std::size_t>(whole.skipped) > separators + 1) std::abort();
    for (const std::int64_t limit :
         {std::int64_t{0}, std::int64_t{1}, static_cast<std::int64_t>(whole.bytes.size() / 2)}) {
        const vx::CodeList part = vx::parseCodeList(list, limit);
        if (static_cast<std::int64_t>(part.bytes.size()) > limit) std::abort();
        if (!std::string_view(whole.bytes).starts_with(part.bytes) || part.skipped > whole.skipped) std::abort();
    }
}

void checkRoundTrips(std::string_view text) {
    const std::string codes = vx::Cvt2ASCII(text);
    const vx::CodeList back = vx::parseCodeList(codes);
    if (back.bytes != text || back.skipped != 0) std::abort();
    if (vx::mojiCodesOfFile("moji", vx::mojiFileBytes(codes)) != codes) std::abort();
}

// The rows of a screen made from the text: its lines cut or padded to 40 cells, codes the
// screen cannot show as themselves made blanks, the screen filled with blank rows.
std::vector<std::string> screenRowsOf(std::string_view text) {
    std::vector<std::string> rows;
    while (rows.size() < kRows) {
        const std::size_t end = text.find(kEndOfLine);
        std::string row(text.substr(0, std::min<std::size_t>(end, kColumns)));
        for (char& c : row)
            if (!vx::ScreenInterpreter::isPlainCharacter(static_cast<std::uint8_t>(c))) c = ' ';
        row.resize(kColumns, ' ');
        rows.push_back(std::move(row));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return rows;
}

void checkScreenDump(std::string_view text) {
    const std::vector<std::string> rows = screenRowsOf(text);
    std::string dump;
    for (const std::string& row : rows) dump += row + kEndOfLine;

    const vx::CodeList codes = vx::parseCodeList(vx::mojiCodesOfFile("screen.ata", dump));
    if (codes.skipped != 0) std::abort();
    vx::Framebuffer surface;
    vx::ScreenInterpreter screen(surface);
    for (const char c : codes.bytes) screen.ScreenHandler(static_cast<std::uint8_t>(c));

    const vx::GlyphSet& glyphs = vx::GlyphSet::atascii();
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            if (screen.state().CursorX == col && screen.state().CursorY == row) continue;
            const auto code =
                static_cast<std::uint8_t>(rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]);
            if (!(surface.cell(col, row) == glyphs[code])) std::abort();
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkLimits(text);
    checkLimits(vx::mojiCodesOfFile("moji", text));
    checkRoundTrips(text);
    checkScreenDump(text);
    return 0;
}
