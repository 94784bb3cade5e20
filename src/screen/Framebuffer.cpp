#include "screen/Framebuffer.h"

#include <bit>
#include <numeric>

namespace vx {
namespace {

// 0x00 or 0xFF when every pixel of the glyph is black or white, -1 otherwise.
int uniformFill(const Glyph& glyph) {
    const std::uint8_t first = glyph.rows[0][0];
    if (first != 0x00 && first != 0xFF) return -1;
    for (const auto& row : glyph.rows)
        if (row[0] != first || row[1] != first) return -1;
    return first;
}

}  // namespace

Framebuffer::Framebuffer() : m_bits(static_cast<std::size_t>(kBlockBytes) * kRows, 0) {
    std::iota(m_rowMap.begin(), m_rowMap.end(), std::uint8_t{0});
    markDirty(CellRect{0, 0, kColumns, kRows});
}

void Framebuffer::markDirty(const CellRect& rect) {
    if (rect.isEmpty()) return;
    for (int row = std::max(rect.row, 0); row < std::min(rect.row + rect.rows, kRows); ++row) m_dirtyRows |= 1u << row;
}

CellRect Framebuffer::dirty() const {
    if (m_dirtyRows == 0) return {};
    const int first = std::countr_zero(m_dirtyRows);
    const int last = 31 - std::countl_zero(m_dirtyRows);
    return {0, first, kColumns, last - first + 1};
}

CellRect Framebuffer::takeDirty() {
    const CellRect rect = dirty();
    m_dirtyRows = 0;
    return rect;
}

void Framebuffer::blackenBlock(std::uint8_t* block) {
    // The size is taken at run time on purpose: with a constant size the compiler inlines a
    // string instruction that is markedly slower than the library's vector memset for blocks of
    // this size, and scrolling clears three blocks every three lines.
    std::memset(block, 0, m_bits.size() / kRows);
}

void Framebuffer::settlePending() const {
    std::uint8_t* at = m_bits.data() + static_cast<std::size_t>(blockOf(m_pendingRow)) * kBlockBytes + m_pendingCol * 2;
    for (int y = 0; y < kCellSize; ++y, at += kStride) {
        at[0] = static_cast<std::uint8_t>(~at[0]);
        at[1] = static_cast<std::uint8_t>(~at[1]);
    }
    m_pendingCol = -1;
}

void Framebuffer::clear() {
    m_pendingCol = -1;
    std::fill(m_bits.begin(), m_bits.end(), std::uint8_t{0});
    std::iota(m_rowMap.begin(), m_rowMap.end(), std::uint8_t{0});
    markDirty(CellRect{0, 0, kColumns, kRows});
}

void Framebuffer::paintPicture(const std::vector<std::uint8_t>& bits, int width, int height, int x, int y) {
    const int stride = (width + 7) / 8;
    if (width <= 0 || height <= 0 || bits.size() < static_cast<std::size_t>(stride) * static_cast<std::size_t>(height))
        return;
    settle();
    const int top = std::max(0, y), bottom = std::min(kHeight, y + height);
    const int left = std::max(0, x), right = std::min(kWidth, x + width);
    for (int row = top; row < bottom; ++row) {
        std::uint8_t* line = m_bits.data() + static_cast<std::size_t>(blockOf(row / kCellSize)) * kBlockBytes +
                             static_cast<std::size_t>(row % kCellSize) * kStride;
        const std::uint8_t* from = bits.data() + static_cast<std::size_t>(row - y) * static_cast<std::size_t>(stride);
        for (int px = left; px < right; ++px) {
            const int sx = px - x;
            const bool white = (from[sx / 8] >> (7 - sx % 8)) & 1;
            const auto mask = static_cast<std::uint8_t>(0x80u >> (px % 8));
            line[px / 8] = white ? static_cast<std::uint8_t>(line[px / 8] | mask)
                                 : static_cast<std::uint8_t>(line[px / 8] & ~mask);
        }
    }
    if (top < bottom) markDirty(CellRect{0, top / kCellSize, kColumns, (bottom - 1) / kCellSize - top / kCellSize + 1});
}

bool Framebuffer::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return false;
    settle();
    return (rowBits(y)[x / 8] >> (7 - x % 8)) & 1;
}

Glyph Framebuffer::cell(int col, int row) const {
    Glyph glyph;
    if (!isCell(col, row)) return glyph;
    settle();
    for (int y = 0; y < kCellSize; ++y) {
        const std::uint8_t* bits = rowBits(row * kCellSize + y) + col * 2;
        glyph.rows[static_cast<std::size_t>(y)] = {bits[0], bits[1]};
    }
    return glyph;
}

void Framebuffer::paintStretched(const Glyph& glyph, const PixelRect& target) {
    const int left = std::max(target.x, 0);
    const int top = std::max(target.y, 0);
    const int right = std::min(target.x + target.width, kWidth);
    const int bottom = std::min(target.y + target.height, kHeight);
    if (left >= right || top >= bottom) return;
    settle();

    if (const int fill = uniformFill(glyph); fill >= 0 && left % 8 == 0 && right % 8 == 0) {
        for (int y = top; y < bottom; ++y)
            std::memset(block(y / kCellSize) + (y % kCellSize) * kStride + left / 8, fill,
                        static_cast<std::size_t>(right - left) / 8);
    } else {
        paintStretchedPixels(glyph, target, left, top, right, bottom);
    }
    markDirty(CellRect{left / kCellSize, top / kCellSize, (right - 1) / kCellSize - left / kCellSize + 1,
                       (bottom - 1) / kCellSize - top / kCellSize + 1});
}

void Framebuffer::paintStretchedPixels(const Glyph& glyph, const PixelRect& target, int left, int top, int right,
                                       int bottom) {
    for (int y = top; y < bottom; ++y) {
        const auto& source = glyph.rows[static_cast<std::size_t>((y - target.y) * kCellSize / target.height)];
        const unsigned sourceRow = (unsigned{source[0]} << 8) | source[1];
        std::uint8_t* bits = block(y / kCellSize) + (y % kCellSize) * kStride;
        for (int x = left; x < right; ++x) {
            const int sourceX = (x - target.x) * kCellSize / target.width;
            const bool white = (sourceRow >> (15 - sourceX)) & 1;
            const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
            bits[x / 8] = static_cast<std::uint8_t>(white ? (bits[x / 8] | mask) : (bits[x / 8] & ~mask));
        }
    }
}

void Framebuffer::copyCells(const CellRect& source, int toCol, int toRow) {
    if (source.isEmpty()) return;
    settle();
    if (source.col == 0 && toCol == 0 && source.cols >= kColumns) {
        moveRows(source.row, source.rows, toRow);
        return;
    }
    const int firstRow = std::max(toRow, 0);
    const int lastRow = std::min(toRow + source.rows, kRows) - 1;
    const int firstCol = std::max(toCol, 0);
    const int endCol = std::min(toCol + source.cols, kColumns);
    if (firstRow > lastRow || firstCol >= endCol) return;

    const int rowShift = source.row - toRow;
    const int colShift = source.col - toCol;
    // Moving down, rows are written bottom-up so no source row is overwritten before it is read.
    const bool bottomUp = toRow > source.row;
    for (int i = 0; i <= lastRow - firstRow; ++i) {
        const int row = bottomUp ? lastRow - i : firstRow + i;
        copyPartialRow(row + rowShift, row, firstCol + colShift, firstCol, endCol - firstCol);
    }
    markDirty(CellRect{firstCol, firstRow, endCol - firstCol, lastRow - firstRow + 1});
}

void Framebuffer::copyPartialRow(int fromRow, int toRow, int fromCol, int toCol, int cols) {
    // Destination columns whose source lies on the surface; the rest of the span reads black.
    const int validStart = std::max(toCol, toCol - fromCol);
    const int validEnd = std::min(toCol + cols, toCol - fromCol + kColumns);
    const bool sourceRowOnSurface = fromRow >= 0 && fromRow < kRows;
    std::uint8_t* target = block(toRow);
    const std::uint8_t* origin = sourceRowOnSurface ? block(fromRow) : nullptr;
    for (int y = 0; y < kCellSize; ++y) {
        std::uint8_t* line = target + y * kStride;
        if (!sourceRowOnSurface || validStart >= validEnd) {
            std::memset(line + toCol * 2, 0, static_cast<std::size_t>(cols) * 2);
            continue;
        }
        std::memmove(line + validStart * 2, origin + y * kStride + (validStart + fromCol - toCol) * 2,
                     static_cast<std::size_t>(validEnd - validStart) * 2);
        if (validStart > toCol) std::memset(line + toCol * 2, 0, static_cast<std::size_t>(validStart - toCol) * 2);
        if (validEnd < toCol + cols)
            std::memset(line + validEnd * 2, 0, static_cast<std::size_t>(toCol + cols - validEnd) * 2);
    }
}

void Framebuffer::moveRows(int fromRow, int rowCount, int toRow) {
    if (toRow == 0 && fromRow > 0 && fromRow < kRows && rowCount >= kRows) {
        // Scrolling up: the row order rotates and the rows coming in at the bottom are black.
        std::rotate(m_rowMap.begin(), m_rowMap.begin() + fromRow, m_rowMap.end());
        for (int row = kRows - fromRow; row < kRows; ++row) blackenBlock(block(row));
        markDirty(CellRect{0, 0, kColumns, kRows});
        return;
    }
    // Re-link blocks: every destination row takes over the block of its source row. A row that
    // was a source but is not a destination keeps its picture, so it gets a copy in a block that
    // was freed; destinations whose source lies below or above the surface get a black block.
    std::array<int, kRows> next;
    next.fill(-1);
    std::array<bool, kRows> taken{};
    const auto inDestination = [&](int row) { return row >= toRow && row < toRow + rowCount; };

    for (int row = std::max(toRow, 0); row < std::min(toRow + rowCount, kRows); ++row) {
        const int from = row - toRow + fromRow;
        if (from < 0 || from >= kRows) continue;
        next[static_cast<std::size_t>(row)] = m_rowMap[static_cast<std::size_t>(from)];
        taken[m_rowMap[static_cast<std::size_t>(from)]] = true;
    }
    for (int row = 0; row < kRows; ++row) {
        const int own = m_rowMap[static_cast<std::size_t>(row)];
        if (!inDestination(row) && !taken[static_cast<std::size_t>(own)]) {
            next[static_cast<std::size_t>(row)] = own;
            taken[static_cast<std::size_t>(own)] = true;
        }
    }
    int freeBlock = 0;
    for (int row = 0; row < kRows; ++row) {
        if (next[static_cast<std::size_t>(row)] >= 0) continue;
        while (taken[static_cast<std::size_t>(freeBlock)]) ++freeBlock;
        taken[static_cast<std::size_t>(freeBlock)] = true;
        next[static_cast<std::size_t>(row)] = freeBlock;
        std::uint8_t* target = m_bits.data() + static_cast<std::size_t>(freeBlock) * kBlockBytes;
        if (inDestination(row))
            blackenBlock(target);
        else
            std::memcpy(target, block(row), kBlockBytes);
    }
    for (int row = 0; row < kRows; ++row)
        m_rowMap[static_cast<std::size_t>(row)] = static_cast<std::uint8_t>(next[static_cast<std::size_t>(row)]);

    const int firstRow = std::max(toRow, 0);
    const int endRow = std::min(toRow + rowCount, kRows);
    markDirty(CellRect{0, firstRow, kColumns, endRow - firstRow});
}

}  // namespace vx
