#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "screen/Framebuffer.h"
#include "screen/GlyphSet.h"

using vx::CellRect;
using vx::Framebuffer;
using vx::Glyph;
using vx::GlyphSet;
using vx::PixelRect;

namespace {

// A deliberately naive surface: one bool per pixel, copies through a full snapshot. The real
// framebuffer (row map, memmoves, block re-linking) must always show the same picture.
struct ReferenceSurface {
    std::vector<bool> pixels = std::vector<bool>(Framebuffer::kWidth * Framebuffer::kHeight, false);

    bool at(int x, int y) const {
        if (x < 0 || y < 0 || x >= Framebuffer::kWidth || y >= Framebuffer::kHeight) return false;
        return pixels[static_cast<std::size_t>(y * Framebuffer::kWidth + x)];
    }
    void set(int x, int y, bool white) {
        if (x < 0 || y < 0 || x >= Framebuffer::kWidth || y >= Framebuffer::kHeight) return;
        pixels[static_cast<std::size_t>(y * Framebuffer::kWidth + x)] = white;
    }
    static bool glyphPixel(const Glyph& g, int x, int y) {
        return (g.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
    }
    void paintGlyph(const Glyph& g, int col, int row) {
        if (col < 0 || col >= Framebuffer::kColumns || row < 0 || row >= Framebuffer::kRows) return;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) set(col * 16 + x, row * 16 + y, glyphPixel(g, x, y));
    }
    void paintStretched(const Glyph& g, const PixelRect& r) {
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                set(x, y, glyphPixel(g, (x - r.x) * 16 / r.width, (y - r.y) * 16 / r.height));
    }
    void invertCell(int col, int row) {
        if (col < 0 || col >= Framebuffer::kColumns || row < 0 || row >= Framebuffer::kRows) return;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) set(col * 16 + x, row * 16 + y, !at(col * 16 + x, row * 16 + y));
    }
    void paintPicture(const std::vector<std::uint8_t>& bits, int width, int height, int x0, int y0) {
        const int stride = (width + 7) / 8;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x0 + x, y0 + y, (bits[static_cast<std::size_t>(y * stride + x / 8)] >> (7 - x % 8)) & 1);
    }
    void copyCells(const CellRect& s, int toCol, int toRow) {
        const ReferenceSurface snapshot = *this;
        for (int y = 0; y < s.rows * 16; ++y)
            for (int x = 0; x < s.cols * 16; ++x)
                set(toCol * 16 + x, toRow * 16 + y, snapshot.at(s.col * 16 + x, s.row * 16 + y));
    }
};

void expectSamePicture(const Framebuffer& surface, const ReferenceSurface& reference, const std::string& step) {
    for (int y = 0; y < Framebuffer::kHeight; ++y)
        for (int x = 0; x < Framebuffer::kWidth; ++x)
            if (surface.pixel(x, y) != reference.at(x, y)) {
                FAIL() << "after " << step << ": pixel (" << x << "," << y << ") differs";
                return;
            }
}

TEST(Framebuffer, StartsBlackAndFullyDirty) {
    Framebuffer surface;
    EXPECT_EQ(surface.takeDirty(), (CellRect{0, 0, 80, 24}));
    EXPECT_TRUE(surface.takeDirty().isEmpty());
    for (int y = 0; y < Framebuffer::kHeight; y += 7)
        for (int x = 0; x < Framebuffer::kWidth; x += 5) ASSERT_FALSE(surface.pixel(x, y));
}

TEST(Framebuffer, PaintAndDoubleInvertRestoreTheCell) {
    Framebuffer surface;
    const Glyph& a = GlyphSet::atascii()['A'];
    surface.paintGlyph(a, 5, 7);
    EXPECT_EQ(surface.cell(5, 7), a);
    surface.invertCell(5, 7);
    EXPECT_EQ(surface.cell(5, 7), GlyphSet::atascii()['A' + 128]);
    surface.invertCell(5, 7);
    EXPECT_EQ(surface.cell(5, 7), a);
}

TEST(Framebuffer, WritesOutsideTheSurfaceAreIgnored) {
    Framebuffer surface;
    surface.takeDirty();
    const Glyph& solid = GlyphSet::atascii()[160];
    surface.paintGlyph(solid, 80, 0);
    surface.paintGlyph(solid, -1, 0);
    surface.invertCell(0, 24);
    surface.paintStretched(solid, PixelRect{1280, 0, 16, 16});
    EXPECT_TRUE(surface.takeDirty().isEmpty());
}

TEST(Framebuffer, DirtyRowsCoverEveryWrite) {
    Framebuffer surface;
    surface.takeDirty();
    surface.paintGlyph(GlyphSet::atascii()['X'], 3, 4);
    surface.invertCell(10, 2);
    EXPECT_EQ(surface.takeDirty(), (CellRect{0, 2, 80, 3}));
    surface.copyCells(CellRect{0, 5, 80, 19}, 0, 6);
    EXPECT_EQ(surface.takeDirty(), (CellRect{0, 6, 80, 18}));
    surface.copyCells(CellRect{4, 1, 10, 1}, 5, 1);
    EXPECT_EQ(surface.takeDirty(), (CellRect{0, 1, 80, 1}));
    surface.paintStretched(GlyphSet::atascii()[160], PixelRect{0, 23 * 16 + 8, 640, 8});
    EXPECT_EQ(surface.takeDirty(), (CellRect{0, 23, 80, 1}));
}

TEST(Framebuffer, ScrollReadsBlackBelowTheBottomEdge) {
    Framebuffer surface;
    for (int row = 0; row < 24; ++row)
        surface.paintGlyph(GlyphSet::atascii()[static_cast<std::uint8_t>('A' + row)], 0, row);
    surface.copyCells(CellRect{0, 3, 80, 24}, 0, 0);
    EXPECT_EQ(surface.cell(0, 0), GlyphSet::atascii()['D']);
    EXPECT_EQ(surface.cell(0, 20), GlyphSet::atascii()['X']);
    for (int row = 21; row < 24; ++row) EXPECT_EQ(surface.cell(0, row), Glyph{}) << row;
}

TEST(Framebuffer, ClearResetsPictureAndRowOrder) {
    Framebuffer surface;
    surface.paintGlyph(GlyphSet::atascii()['Q'], 1, 1);
    surface.copyCells(CellRect{0, 3, 80, 24}, 0, 0);
    surface.clear();
    for (int row = 0; row < 24; ++row) EXPECT_EQ(surface.blockOf(row), row);
    EXPECT_EQ(surface.cell(1, 1), Glyph{});
}

// Random sequences of every primitive, checked pixel for pixel against the naive reference.
TEST(Framebuffer, MatchesNaiveReferenceOnRandomOperations) {
    std::mt19937 random(20261207);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Framebuffer surface;
    ReferenceSurface reference;
    const GlyphSet& glyphs = GlyphSet::atascii();
    for (int step = 0; step < 2000; ++step) {
        const Glyph& glyph = glyphs[static_cast<std::uint8_t>(pick(0, 255))];
        std::string name;
        switch (pick(0, 10)) {
            case 0:
            case 1:
            case 2: {
                const int col = pick(-1, 80), row = pick(-1, 24);
                surface.paintGlyph(glyph, col, row);
                reference.paintGlyph(glyph, col, row);
                name = "paintGlyph";
                break;
            }
            case 3: {
                const int col = pick(0, 79), row = pick(0, 23);
                surface.invertCell(col, row);
                reference.invertCell(col, row);
                name = "invertCell";
                break;
            }
            case 4: {  // full-width row moves (scroll, insert and delete line)
                const CellRect source{0, pick(-3, 26), 80, pick(1, 27)};
                const int toRow = pick(-3, 26);
                surface.copyCells(source, 0, toRow);
                reference.copyCells(source, 0, toRow);
                name = "row move";
                break;
            }
            case 5:
            case 6: {  // partial copies, overlapping in every direction
                const CellRect source{pick(-2, 80), pick(-2, 24), pick(1, 82), pick(1, 5)};
                const int toCol = pick(-2, 80), toRow = pick(-2, 24);
                surface.copyCells(source, toCol, toRow);
                reference.copyCells(source, toCol, toRow);
                name = "partial copy";
                break;
            }
            case 7: {
                const PixelRect target{pick(-20, 1280), pick(-20, 384), pick(1, 700), pick(1, 40)};
                surface.paintStretched(glyph, target);
                reference.paintStretched(glyph, target);
                name = "stretched paint";
                break;
            }
            case 8: {
                const PixelRect band{0, pick(0, 23) * 16, pick(0, 1) ? 640 : 1280, 16};
                surface.paintStretched(glyph, band);
                reference.paintStretched(glyph, band);
                name = "row band";
                break;
            }
            case 9: {  // pictures at any pixel offset, partly off the surface
                const int width = pick(1, 300), height = pick(1, 60);
                std::vector<std::uint8_t> bits(static_cast<std::size_t>((width + 7) / 8 * height));
                for (auto& byte : bits) byte = static_cast<std::uint8_t>(pick(0, 255));
                const int x = pick(-50, 1300), y = pick(-30, 400);
                surface.paintPicture(bits, width, height, x, y);
                reference.paintPicture(bits, width, height, x, y);
                name = "picture";
                break;
            }
            default:
                if (pick(0, 20) == 0) {
                    surface.clear();
                    reference = ReferenceSurface{};
                    name = "clear";
                } else {
                    continue;
                }
        }
        if (step % 25 == 0) {
            expectSamePicture(surface, reference, name + " at step " + std::to_string(step));
            if (HasFailure()) return;
        }
    }
    expectSamePicture(surface, reference, "the last step");
}

}  // namespace
