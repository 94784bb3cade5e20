#include "screen/ScreenHistory.h"

#include <algorithm>
#include <cstring>

namespace vx {

void CellCodes::copyCells(const CellRect& source, int toCol, int toRow) {
    if (source.isEmpty()) return;
    const int firstCol = std::max(toCol, 0);
    const int endCol = std::min(toCol + source.cols, kColumns);
    const int firstRow = std::max(toRow, 0);
    const int endRow = std::min(toRow + source.rows, kRows);
    if (firstCol >= endCol || firstRow >= endRow) return;
    const int rowShift = source.row - toRow;
    const int colShift = source.col - toCol;
    // Target columns whose source lies on the screen; the rest of the span reads blank.
    const int validStart = std::max(firstCol, -colShift);
    const int validEnd = std::min(endCol, kColumns - colShift);
    // Moving down, rows are written bottom-up so no source row is overwritten before it is read.
    const bool bottomUp = rowShift < 0;
    for (int i = 0; i < endRow - firstRow; ++i) {
        const int row = bottomUp ? endRow - 1 - i : firstRow + i;
        const int fromRow = row + rowShift;
        std::uint8_t* target = m_codes.data() + index(0, row);
        if (fromRow < 0 || fromRow >= kRows || validStart >= validEnd) {
            std::fill(target + firstCol, target + endCol, kBlank);
            continue;
        }
        std::memmove(target + validStart, m_codes.data() + index(validStart + colShift, fromRow),
                     static_cast<std::size_t>(validEnd - validStart));
        std::fill(target + firstCol, target + validStart, kBlank);
        std::fill(target + std::max(validEnd, firstCol), target + endCol, kBlank);
    }
}

void CellCodes::blank(int col, int row, int cols) {
    for (int c = std::max(col, 0); c < std::min(col + cols, kColumns); ++c) set(c, row, kBlank);
}

void ScreenHistory::setCapacity(std::size_t lines) {
    std::vector<Row> kept;
    const std::size_t keep = std::min(m_size, lines);
    kept.reserve(keep);
    for (std::size_t i = m_size - keep; i < m_size; ++i) kept.push_back(m_rows[(m_first + i) % m_rows.size()]);
    m_rows = std::move(kept);
    m_capacity = lines;
    m_first = 0;
    m_size = keep;
}

void ScreenHistory::push(std::string_view codes) {
    ++m_pushed;
    if (m_capacity == 0) return;
    Row row;
    row.columns = static_cast<std::uint8_t>(std::min<std::size_t>(codes.size(), CellCodes::kColumns));
    std::copy_n(codes.begin(), row.columns, row.codes.begin());
    if (m_rows.size() < m_capacity) {
        // The ring grows as rows come, so a short session never holds the whole capacity.
        m_rows.push_back(row);
        ++m_size;
        return;
    }
    // Full: the newest row takes the oldest one's slot.
    m_rows[m_first] = row;
    m_first = (m_first + 1) % m_capacity;
}

void ScreenHistory::clear() {
    m_rows.clear();
    m_first = 0;
    m_size = 0;
}

std::string_view ScreenHistory::line(std::size_t i) const {
    const Row& row = m_rows[(m_first + i) % m_rows.size()];
    return {row.codes.data(), row.columns};
}

void paintHistoryPage(const ScreenHistory& history, const CellCodes& live, int columns, std::size_t firstLine,
                      Framebuffer& page, const GlyphSet& glyphs) {
    page.clear();
    for (int row = 0; row < Framebuffer::kRows; ++row) {
        const std::size_t line = firstLine + static_cast<std::size_t>(row);
        std::string_view codes;
        if (line < history.size())
            codes = history.line(line);
        else if (line - history.size() < static_cast<std::size_t>(CellCodes::kRows))
            codes = live.row(static_cast<int>(line - history.size()), columns);
        const int shown = std::min(static_cast<int>(codes.size()), columns);
        for (int col = 0; col < shown; ++col) {
            const auto code = static_cast<std::uint8_t>(codes[static_cast<std::size_t>(col)]);
            if (code != CellCodes::kBlank) page.paintGlyph(glyphs[code], col, row);
        }
    }
}

bool HistoryView::scroll(int lines, int columns) {
    const std::uint64_t live = m_history.pushed();
    if (!m_active) m_top = live;
    // Rows the ring let go of meanwhile cannot be shown: the page starts at the oldest kept.
    const auto top = static_cast<std::int64_t>(std::max(m_top, oldest())) - lines;
    m_top = static_cast<std::uint64_t>(std::clamp<std::int64_t>(top, static_cast<std::int64_t>(oldest()),
                                                                 static_cast<std::int64_t>(live)));
    m_active = m_top < live;
    if (m_active) paintHistoryPage(m_history, m_live, columns, static_cast<std::size_t>(m_top - oldest()), m_page);
    return m_active;
}

std::uint64_t HistoryView::linesBack() const {
    return m_active ? m_history.pushed() - std::max(m_top, oldest()) : 0;
}

}  // namespace vx
