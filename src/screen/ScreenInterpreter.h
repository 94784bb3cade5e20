#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "screen/Framebuffer.h"
#include "screen/GlyphSet.h"
#include "screen/ScreenHistory.h"
#include "screen/ScreenListener.h"

namespace vx {

// The interpreter's state. It carries over from one connection to the next and is shared by
// received data, offline typing and replays.
struct InterpreterState {
    int CursorX = 0;
    int CursorY = 0;
    std::uint8_t LastChar = 0;
    std::array<int, 5> TabStops{0, 8, 16, 24, 32};
    int MaxCol = 39;
    int ColumnCount = 40;
};

// Flags the interpreter reads but does not own.
struct InterpreterFlags {
    bool lantronix = false;  // per connection: drop the byte that follows a carriage return (13)
    bool buzzer = false;     // 253 rings the bell instead of drawing its glyph
    bool speedTest = false;  // draw nothing, change nothing
};

// The ATASCII interpreter: every byte is one character or one screen-control code, drawn on
// the surface with a 24-row cursor. There are no escape sequences; every byte value has a
// defined effect.
class ScreenInterpreter {
public:
    static constexpr int kRows = 24;
    static constexpr std::uint8_t kEndOfLine = 155;
    static constexpr std::uint8_t kClearScreen = 125;
    // Bytes drawn as their glyph with no other effect: every code but the controls and the bell.
    static bool isPlainCharacter(std::uint8_t b) { return !kControlBytes[b]; }
    static constexpr std::array<bool, 256> kControlBytes = [] {
        std::array<bool, 256> table{};
        for (int b : {28, 29, 30, 31, 125, 126, 127, 155, 156, 157, 253, 254, 255})
            table[static_cast<std::size_t>(b)] = true;
        return table;
    }();

    ScreenInterpreter(Framebuffer& surface, const GlyphSet& glyphs = GlyphSet::atascii());

    void setListener(ScreenListener* listener) { m_listener = listener ? listener : &m_silent; }
    // Rows scrolled off the top go here (none kept without one).
    void setHistory(ScreenHistory* history) { m_history = history; }

    void ScreenHandler(std::uint8_t b);
    void SendToScreen(std::string_view text);

    void CursorOn(int column, int row, bool invert);
    void CursorOff(int column, int row, bool invert);
    void ScrollScreen();
    void ControlDelete(int column, int row);
    void ControlInsert(int column, int row);
    void ShiftInsert(int column, int row);
    void ShiftDelete(int column, int row);

    // Blacken the surface without touching the cursor position or LastChar (a connection being
    // started). The cursor is not drawn again until the next byte.
    void clearSurface();

    // Whether the cursor image is on the surface. It is not at start-up and after clearSurface():
    // the next byte then has no cursor to erase.
    bool cursorShown() const { return m_cursorShown; }

    // Sets ColumnCount and MaxCol. Neither clears nor redraws; the cursor keeps its place.
    void setColumnMode(bool mode80);

    const InterpreterState& state() const { return m_state; }
    InterpreterFlags& flags() { return m_flags; }
    const InterpreterFlags& flags() const { return m_flags; }
    Framebuffer& surface() { return m_surface; }
    const Framebuffer& surface() const { return m_surface; }
    // The screen as the codes drawn on it.
    const CellCodes& codes() const { return m_codes; }

private:
    enum class CursorStyle : std::uint8_t { Block, Invert };
    using Action = void (ScreenInterpreter::*)(std::uint8_t);
    struct ByteRule {
        Action action;
        CursorStyle style;
    };
    static const std::array<ByteRule, 256>& byteRules();

    void paintRun(std::string_view run);
    void eraseCursor(bool cellRepainted);
    void wrapDown();
    int editSpan() const;

    void character(std::uint8_t b);
    void endOfLine(std::uint8_t);
    void backspace(std::uint8_t);
    void clearScreen(std::uint8_t);
    void cursorUp(std::uint8_t);
    void cursorDown(std::uint8_t);
    void cursorLeft(std::uint8_t);
    void cursorRight(std::uint8_t);
    void tab(std::uint8_t);
    void deleteCharacter(std::uint8_t);
    void insertCharacter(std::uint8_t);
    void insertLine(std::uint8_t);
    void deleteLine(std::uint8_t);
    void bell(std::uint8_t b);

    Framebuffer& m_surface;
    const GlyphSet& m_glyphs;
    ScreenListener m_silent;
    ScreenListener* m_listener = &m_silent;
    CellCodes m_codes;
    ScreenHistory* m_history = nullptr;
    InterpreterState m_state;
    InterpreterFlags m_flags;
    bool m_cursorShown = false;
};

}  // namespace vx
