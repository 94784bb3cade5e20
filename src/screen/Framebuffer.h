#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "screen/Glyph.h"

namespace vx {

// A rectangle of whole cells: columns [col, col + cols), rows [row, row + rows).
struct CellRect {
    int col = 0;
    int row = 0;
    int cols = 0;
    int rows = 0;

    bool isEmpty() const { return cols <= 0 || rows <= 0; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// A rectangle in pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The screen surface: 80 x 24 cells of 16 x 16 pixels (1280 x 384) at one bit per pixel,
// rows of 160 bytes, most significant bit leftmost, 1 = white. In 40-column mode only the
// left half is shown; switching modes never reallocates or clears.
//
// The 24 cell rows are blocks of 16 pixel rows (2560 contiguous bytes) reached through a row
// map, so moving whole rows (scrolling, inserting and deleting lines) re-links blocks instead of
// copying the image: a scroll costs three cleared blocks, not a copy of the whole screen.
// Everything a reader needs goes through rowBits()/blockOf(); the buffer behind them is one
// contiguous allocation that a QImage (Format_Mono) can wrap without copying.
//
// The drawing primitives below are the only writers. Every write marks its rows dirty.
class Framebuffer {
public:
    static constexpr int kColumns = 80;
    static constexpr int kRows = 24;
    static constexpr int kCellSize = 16;
    static constexpr int kWidth = kColumns * kCellSize;
    static constexpr int kHeight = kRows * kCellSize;
    static constexpr int kStride = kWidth / 8;
    static constexpr int kBlockBytes = kStride * kCellSize;

    Framebuffer();

    // 1. Replace the pixels of cell (col, row) by the glyph. Cells outside the surface are ignored.
    void paintGlyph(const Glyph& glyph, int col, int row) {
        if (!isCell(col, row)) return;
        if (col == m_pendingCol && row == m_pendingRow) m_pendingCol = -1;  // every pixel is replaced
        std::uint8_t* at = cellBits(col, row);
#pragma GCC unroll 16
        for (int y = 0; y < kCellSize; ++y)
            std::memcpy(at + y * kStride, glyph.rows[static_cast<std::size_t>(y)].data(), 2);
        markDirty(col, row);
    }

    // 2. Paint the glyph stretched (nearest pixel) over a pixel rectangle, clipped to the surface.
    void paintStretched(const Glyph& glyph, const PixelRect& target);

    // 3. Invert every pixel of cell (col, row). Cells outside the surface are ignored.
    //    The inversion is held back while it may still be undone: a byte stream inverts the
    //    cursor cell and the next byte inverts it back or paints over it, so the pair usually
    //    cancels before anyone looks. Readers and the other writers settle it first.
    void invertCell(int col, int row) {
        if (!isCell(col, row)) return;
        if (col == m_pendingCol && row == m_pendingRow) {
            m_pendingCol = -1;
        } else {
            settle();
            m_pendingCol = col;
            m_pendingRow = row;
        }
        markDirty(col, row);
    }

    // 4. Copy a rectangle of cells so that its top-left lands at (toCol, toRow). The result is as if
    //    the source were read from a snapshot taken before the copy, so overlapping moves are safe.
    //    Source cells outside the surface read as black; destination cells outside it are dropped.
    void copyCells(const CellRect& source, int toCol, int toRow);

    // 5. Replace the whole image by the black clear-screen picture.
    void clear();

    // 6. Paint a two-colour picture with its top-left at pixel (x, y): `bits` holds `height` rows
    //    of (width + 7) / 8 bytes, most significant bit leftmost, 1 = white. What falls outside
    //    the surface is dropped. The screen window's start-up picture is painted this way, so
    //    characters typed before the first clear land on it as they would on any picture.
    void paintPicture(const std::vector<std::uint8_t>& bits, int width, int height, int x, int y);

    // Writes out a held-back inversion. Every reader below does this itself; code that keeps a
    // pointer from data() (a QImage wrapping the buffer) calls it before each use.
    void settle() const {
        if (m_pendingCol >= 0) settlePending();
    }

    // Reading.
    int blockOf(int row) const { return m_rowMap[static_cast<std::size_t>(row)]; }
    const std::uint8_t* rowBits(int y) const {
        settle();
        return m_bits.data() + static_cast<std::size_t>(blockOf(y / kCellSize)) * kBlockBytes +
               static_cast<std::size_t>(y % kCellSize) * kStride;
    }
    const std::uint8_t* data() const {
        settle();
        return m_bits.data();
    }
    bool pixel(int x, int y) const;
    Glyph cell(int col, int row) const;

    // The rows written since the last takeDirty(), as a full-width rectangle from the first to
    // the last such row; empty when nothing changed. Tracking rows, not cells, keeps the cost of
    // a write to one OR; repainting whole rows of a 1-bit image costs nothing worth saving.
    CellRect dirty() const;
    CellRect takeDirty();

private:
    static bool isCell(int col, int row) { return col >= 0 && col < kColumns && row >= 0 && row < kRows; }
    std::uint8_t* block(int row) { return m_bits.data() + static_cast<std::size_t>(blockOf(row)) * kBlockBytes; }
    std::uint8_t* cellBits(int col, int row) { return block(row) + col * 2; }
    void markDirty(int, int row) { m_dirtyRows |= 1u << row; }
    void markDirty(const CellRect& rect);
    void paintStretchedPixels(const Glyph& glyph, const PixelRect& target, int left, int top, int right, int bottom);
    void moveRows(int fromRow, int rowCount, int toRow);
    void copyPartialRow(int fromRow, int toRow, int fromCol, int toCol, int cols);

    void settlePending() const;
    void blackenBlock(std::uint8_t* block);

    mutable std::vector<std::uint8_t> m_bits;
    mutable int m_pendingCol = -1;
    int m_pendingRow = -1;
    std::array<std::uint8_t, kRows> m_rowMap{};
    std::uint32_t m_dirtyRows = 0;  // bit r: cell row r was written
};

}  // namespace vx
