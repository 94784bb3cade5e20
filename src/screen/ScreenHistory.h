#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "screen/Framebuffer.h"
#include "screen/GlyphSet.h"

namespace vx {

// What the interpreter drew, as codes: one per cell of the 24 x 80 screen, kept in step with
// every drawing operation, so rows can be read as text or kept after they scroll away without
// reading pixels back. The cursor is not part of it.
class CellCodes {
public:
    static constexpr int kColumns = Framebuffer::kColumns;
    static constexpr int kRows = Framebuffer::kRows;
    static constexpr std::uint8_t kBlank = 32;

    CellCodes() { clear(); }
    void clear() { m_codes.fill(kBlank); }
    void set(int col, int row, std::uint8_t code) { m_codes[index(col, row)] = code; }
    std::uint8_t at(int col, int row) const { return m_codes[index(col, row)]; }
    // The first `columns` codes of a row.
    std::string_view row(int row, int columns) const {
        return {reinterpret_cast<const char*>(m_codes.data()) + index(0, row), static_cast<std::size_t>(columns)};
    }
    // As the surface copies cells: cells of the source off the screen read blank, cells of the
    // target off the screen are dropped, overlapping rectangles copy as if through a buffer.
    void copyCells(const CellRect& source, int toCol, int toRow);
    void blank(int col, int row, int cols);

private:
    static std::size_t index(int col, int row) { return static_cast<std::size_t>(row * kColumns + col); }
    std::array<std::uint8_t, kColumns * kRows> m_codes{};
};

// The rows that scrolled off the top of the screen, oldest first, as codes: a ring of at most
// capacity() rows, each as wide as the screen was when it left (40 or 80 cells).
class ScreenHistory {
public:
    static constexpr std::size_t kDefaultLines = 5000;

    explicit ScreenHistory(std::size_t capacity = kDefaultLines) { setCapacity(capacity); }

    // Keeps the newest rows when shrinking.
    void setCapacity(std::size_t lines);
    std::size_t capacity() const { return m_capacity; }
    void push(std::string_view codes);
    void clear();

    std::size_t size() const { return m_size; }
    // Row `i` of those kept, 0 the oldest.
    std::string_view line(std::size_t i) const;
    // Every row ever pushed, counted: a position in the history that stays put while rows come.
    std::uint64_t pushed() const { return m_pushed; }

private:
    struct Row {
        std::uint8_t columns = 0;
        std::array<char, CellCodes::kColumns> codes{};
    };
    std::vector<Row> m_rows;
    std::size_t m_capacity = 0;
    std::size_t m_first = 0;  // slot of the oldest row
    std::size_t m_size = 0;
    std::uint64_t m_pushed = 0;
};

// Draws a page of the history into a surface of its own: rows from `firstLine` on, where the
// kept history is followed by the live screen's rows, so a page can show both.
void paintHistoryPage(const ScreenHistory& history, const CellCodes& live, int columns, std::size_t firstLine,
                      Framebuffer& page, const GlyphSet& glyphs = GlyphSet::atascii());

// Looking back through the history: a page of 24 rows that stays where the user put it while
// new rows arrive, moved by whole lines, left when it reaches the live screen again.
class HistoryView {
public:
    HistoryView(const ScreenHistory& history, const CellCodes& live) : m_history(history), m_live(live) {}

    bool active() const { return m_active; }
    // Moves the page `lines` back (positive) or towards the live screen (negative). Returns
    // whether it is still looking back; the page is drawn again.
    bool scroll(int lines, int columns);
    void leave() { m_active = false; }
    // Rows between the top of the page and the top of the live screen.
    std::uint64_t linesBack() const;
    const Framebuffer& page() const { return m_page; }
    Framebuffer& page() { return m_page; }

private:
    std::uint64_t oldest() const { return m_history.pushed() - m_history.size(); }

    const ScreenHistory& m_history;
    const CellCodes& m_live;
    Framebuffer m_page;
    bool m_active = false;
    std::uint64_t m_top = 0;  // the page's first row, counted like ScreenHistory::pushed()
};

}  // namespace vx
