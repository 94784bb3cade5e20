#include "screen/ScreenInterpreter.h"

namespace vx {
namespace {
constexpr std::uint8_t kCarriageReturn = 13;
constexpr std::uint8_t kBlank = 32;
constexpr std::uint8_t kSolid = 160;
constexpr int kLastRow = ScreenInterpreter::kRows - 1;
constexpr int kScrollRows = 3;
}  // namespace

const std::array<ScreenInterpreter::ByteRule, 256>& ScreenInterpreter::byteRules() {
    using S = ScreenInterpreter;
    static const std::array<ByteRule, 256> rules = [] {
        std::array<ByteRule, 256> table;
        table.fill({&S::character, CursorStyle::Invert});
        const struct {
            std::uint8_t code;
            ByteRule rule;
        } controls[] = {
            {155, {&S::endOfLine, CursorStyle::Block}},
            {126, {&S::backspace, CursorStyle::Block}},
            {125, {&S::clearScreen, CursorStyle::Block}},
            {28, {&S::cursorUp, CursorStyle::Invert}},
            {29, {&S::cursorDown, CursorStyle::Invert}},
            {30, {&S::cursorLeft, CursorStyle::Invert}},
            {31, {&S::cursorRight, CursorStyle::Invert}},
            {127, {&S::tab, CursorStyle::Invert}},
            {254, {&S::deleteCharacter, CursorStyle::Invert}},
            {255, {&S::insertCharacter, CursorStyle::Invert}},
            {157, {&S::insertLine, CursorStyle::Invert}},
            {156, {&S::deleteLine, CursorStyle::Invert}},
            {253, {&S::bell, CursorStyle::Invert}},
        };
        for (const auto& control : controls) table[control.code] = control.rule;
        return table;
    }();
    return rules;
}

ScreenInterpreter::ScreenInterpreter(Framebuffer& surface, const GlyphSet& glyphs)
    : m_surface(surface), m_glyphs(glyphs) {}

void ScreenInterpreter::ScreenHandler(std::uint8_t b) {
    if (m_flags.speedTest) return;
    const ByteRule& rule = byteRules()[b];

    if (m_state.LastChar == kCarriageReturn && m_flags.lantronix) {
        // Serial-to-network adapters follow a carriage return with a filler byte: drop it. The
        // cursor stays drawn where it is, so the next byte erases it like any other.
        m_state.LastChar = 0;
        return;
    }
    eraseCursor(isPlainCharacter(b));
    m_state.LastChar = b;
    (this->*rule.action)(b);
    CursorOn(m_state.CursorX, m_state.CursorY, rule.style == CursorStyle::Invert);
}

void ScreenInterpreter::eraseCursor(bool cellRepainted) {
    // Inverting a cell that shows no cursor would leave a white block behind.
    if (!m_cursorShown) return;
    // A byte that repaints the cursor cell replaces every pixel of it, so erasing first would
    // change nothing that stays visible.
    if (cellRepainted) return;
    // After an end of line the cursor is erased as a block; every other cursor (including the
    // block left by backspace, which this leaves black) is inverted back.
    CursorOff(m_state.CursorX, m_state.CursorY, m_state.LastChar != kEndOfLine);
}

void ScreenInterpreter::SendToScreen(std::string_view text) {
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::size_t next = 0;
    while (next < text.size()) {
        const std::uint8_t first = byteAt(next++);
        ScreenHandler(first);
        if (m_flags.speedTest || !isPlainCharacter(first)) continue;
        // A run of plain characters: each one's cursor erase and the cursor of the byte before it
        // fall on the very cell it paints, so drawing only the glyphs and then one cursor gives the
        // same picture. With the filter on, a run ends after a carriage return: the next byte is
        // the one to drop.
        if (m_flags.lantronix && first == kCarriageReturn) continue;
        std::size_t end = next;
        while (end < text.size() && isPlainCharacter(byteAt(end))) {
            ++end;
            if (m_flags.lantronix && byteAt(end - 1) == kCarriageReturn) break;
        }
        if (end == next) continue;
        paintRun(text.substr(next, end - next));
        next = end;
    }
}

void ScreenInterpreter::paintRun(std::string_view run) {
    Framebuffer& surface = m_surface;
    const GlyphSet& glyphs = m_glyphs;
    int x = m_state.CursorX;
    int y = m_state.CursorY;
    for (char c : run) {
        surface.paintGlyph(glyphs[static_cast<std::uint8_t>(c)], x, y);
        m_codes.set(x, y, static_cast<std::uint8_t>(c));
        if (++x > m_state.MaxCol) {
            m_state.CursorX = x;
            wrapDown();
            x = m_state.CursorX;
            y = m_state.CursorY;
        }
    }
    m_state.CursorX = x;
    m_state.LastChar = static_cast<std::uint8_t>(run.back());
    CursorOn(m_state.CursorX, m_state.CursorY, true);
}

void ScreenInterpreter::CursorOn(int column, int row, bool invert) {
    m_cursorShown = true;
    if (invert) {
        m_surface.invertCell(column, row);
    } else {
        // The block covers the cell: whatever was there is gone once the block is erased.
        m_surface.paintGlyph(m_glyphs[kSolid], column, row);
        m_codes.set(column, row, kBlank);
    }
}

void ScreenInterpreter::CursorOff(int column, int row, bool invert) {
    m_cursorShown = false;
    if (invert)
        m_surface.invertCell(column, row);
    else
        m_surface.paintGlyph(m_glyphs[kBlank], column, row);
}

void ScreenInterpreter::ScrollScreen() {
    // The source reaches three rows past the bottom edge; that part reads black, so rows 21-23
    // are blank until the output that follows overwrites them.
    if (m_history)
        for (int row = 0; row < kScrollRows; ++row) m_history->push(m_codes.row(row, m_state.ColumnCount));
    const CellRect moved{0, kScrollRows, Framebuffer::kColumns, kRows};
    m_surface.copyCells(moved, 0, 0);
    m_codes.copyCells(moved, 0, 0);
    m_listener->scrolled();
}

int ScreenInterpreter::editSpan() const {
    // 40 columns keep the classic 40-cell spans; 80 columns edit the whole row.
    return m_state.ColumnCount == 80 ? 80 : 40;
}

void ScreenInterpreter::ControlDelete(int column, int row) {
    const int span = editSpan();
    const int width = span - 1 - column;
    if (width > 0) {
        m_surface.copyCells(CellRect{column + 1, row, width, 1}, column, row);
        m_codes.copyCells(CellRect{column + 1, row, width, 1}, column, row);
    }
    m_surface.paintGlyph(m_glyphs[kBlank], span - 1, row);
    m_codes.blank(span - 1, row, 1);
}

void ScreenInterpreter::ControlInsert(int column, int row) {
    const int width = editSpan() - column;
    if (width > 0) {
        m_surface.copyCells(CellRect{column, row, width, 1}, column + 1, row);
        m_codes.copyCells(CellRect{column, row, width, 1}, column + 1, row);
    }
    m_surface.paintGlyph(m_glyphs[kBlank], column, row);
    m_codes.blank(column, row, 1);
}

void ScreenInterpreter::ShiftInsert(int, int row) {
    m_surface.copyCells(CellRect{0, row, Framebuffer::kColumns, kRows - row}, 0, row + 1);
    m_codes.copyCells(CellRect{0, row, Framebuffer::kColumns, kRows - row}, 0, row + 1);
    m_surface.paintStretched(m_glyphs[kBlank], PixelRect{0, row * 16, editSpan() * 16, 16});
    m_codes.blank(0, row, editSpan());
}

void ScreenInterpreter::ShiftDelete(int, int row) {
    m_surface.copyCells(CellRect{0, row + 1, Framebuffer::kColumns, kLastRow - row}, 0, row);
    m_codes.copyCells(CellRect{0, row + 1, Framebuffer::kColumns, kLastRow - row}, 0, row);
    m_surface.paintStretched(m_glyphs[kBlank], PixelRect{0, kLastRow * 16, editSpan() * 16, 16});
    m_codes.blank(0, kLastRow, editSpan());
}

void ScreenInterpreter::clearSurface() {
    m_surface.clear();
    m_codes.clear();
    m_cursorShown = false;
    m_listener->cleared();
}

void ScreenInterpreter::setColumnMode(bool mode80) {
    m_state.ColumnCount = mode80 ? 80 : 40;
    m_state.MaxCol = m_state.ColumnCount - 1;
}

void ScreenInterpreter::wrapDown() {
    m_state.CursorX = 0;
    if (++m_state.CursorY > kLastRow) {
        ScrollScreen();
        m_state.CursorY = kLastRow - 2;
    }
}

void ScreenInterpreter::character(std::uint8_t b) {
    m_surface.paintGlyph(m_glyphs[b], m_state.CursorX, m_state.CursorY);
    m_codes.set(m_state.CursorX, m_state.CursorY, b);
    if (++m_state.CursorX > m_state.MaxCol) wrapDown();
}

void ScreenInterpreter::endOfLine(std::uint8_t) { wrapDown(); }

void ScreenInterpreter::backspace(std::uint8_t) {
    if (--m_state.CursorX == -1) m_state.CursorX = m_state.MaxCol;
}

void ScreenInterpreter::clearScreen(std::uint8_t) {
    clearSurface();
    m_state.CursorX = 0;
    m_state.CursorY = 0;
}

void ScreenInterpreter::cursorUp(std::uint8_t) {
    if (--m_state.CursorY < 0) m_state.CursorY = kLastRow;
}

void ScreenInterpreter::cursorDown(std::uint8_t) {
    if (++m_state.CursorY > kLastRow) m_state.CursorY = 0;
}

void ScreenInterpreter::cursorLeft(std::uint8_t) {
    if (--m_state.CursorX < 0) m_state.CursorX = m_state.MaxCol;
}

void ScreenInterpreter::cursorRight(std::uint8_t) {
    if (++m_state.CursorX > m_state.MaxCol) m_state.CursorX = 0;
}

void ScreenInterpreter::tab(std::uint8_t) {
    const auto& stops = m_state.TabStops;
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        if (stops[i] <= m_state.CursorX && m_state.CursorX < stops[i + 1]) {
            m_state.CursorX = stops[i + 1];
            break;
        }
    }
    if (m_state.CursorX > m_state.MaxCol) wrapDown();
}

void ScreenInterpreter::deleteCharacter(std::uint8_t) { ControlDelete(m_state.CursorX, m_state.CursorY); }

void ScreenInterpreter::insertCharacter(std::uint8_t) { ControlInsert(m_state.CursorX, m_state.CursorY); }

void ScreenInterpreter::insertLine(std::uint8_t) {
    ShiftInsert(m_state.CursorX, m_state.CursorY);
    m_state.CursorX = 0;
}

void ScreenInterpreter::deleteLine(std::uint8_t) {
    ShiftDelete(m_state.CursorX, m_state.CursorY);
    m_state.CursorX = 0;
}

void ScreenInterpreter::bell(std::uint8_t b) {
    if (m_flags.buzzer)
        m_listener->bell();
    else
        character(b);
}

}  // namespace vx
