#include <gtest/gtest.h>

#include <set>
#include <string>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/GlyphSet.h"
#include "screen/GlyphSheet.h"

using vx::Glyph;
using vx::GlyphIndex;
using vx::GlyphSet;
using vx::GlyphSheet;

namespace {

// The glyph's 8 x 8 shape, read back from the doubled 16 x 16 image ('#' = white).
std::vector<std::string> shapeOf(const Glyph& glyph) {
    std::vector<std::string> rows;
    for (int y = 0; y < 16; y += 2) {
        std::string row;
        for (int x = 0; x < 16; x += 2)
            row += (glyph.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1 ? '#'
                                                                                                                 : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(Glyphs, EveryPixelIsDoubled) {
    for (int code = 0; code < 256; ++code) {
        const Glyph& glyph = GlyphSet::atascii()[static_cast<std::uint8_t>(code)];
        for (int y = 0; y < 16; y += 2) {
            EXPECT_EQ(glyph.rows[static_cast<std::size_t>(y)], glyph.rows[static_cast<std::size_t>(y + 1)]) << code;
            for (int x = 0; x < 16; x += 2) {
                const auto bit = [&](int px) {
                    return (glyph.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(px / 8)] >> (7 - px % 8)) &
                           1;
                };
                ASSERT_EQ(bit(x), bit(x + 1)) << "code " << code << " row " << y << " column " << x;
            }
        }
    }
}

TEST(Glyphs, HighCodesAreExactInverses) {
    for (int code = 0; code < 128; ++code) {
        const Glyph& normal = GlyphSet::atascii()[static_cast<std::uint8_t>(code)];
        const Glyph& inverse = GlyphSet::atascii()[static_cast<std::uint8_t>(code + 128)];
        for (std::size_t y = 0; y < 16; ++y)
            for (std::size_t b = 0; b < 2; ++b)
                ASSERT_EQ(static_cast<std::uint8_t>(~normal.rows[y][b]), inverse.rows[y][b]) << code;
    }
}

TEST(Glyphs, BlankIsBlackAndInverseBlankIsSolid) {
    EXPECT_EQ(GlyphSet::atascii()[32], Glyph{});
    for (const auto& row : GlyphSet::atascii()[160].rows) EXPECT_EQ(row, (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
}

TEST(Glyphs, AllDistinct) {
    std::set<std::array<std::array<std::uint8_t, 2>, 16>> images;
    for (int code = 0; code < 256; ++code) images.insert(GlyphSet::atascii()[static_cast<std::uint8_t>(code)].rows);
    EXPECT_EQ(images.size(), 256u);
    EXPECT_EQ(GlyphIndex().distinctGlyphs(), 256u);
}

TEST(Glyphs, KnownShapes) {
    const GlyphSet& glyphs = GlyphSet::atascii();
    EXPECT_EQ(shapeOf(glyphs[0]), (std::vector<std::string>{"........", "..##.##.", ".#######", ".#######", "..#####.",
                                                            "...###..", "....#...", "........"}));
    EXPECT_EQ(shapeOf(glyphs[28]), (std::vector<std::string>{"........", "...##...", "..####..", ".######.", "...##...",
                                                             "...##...", "...##...", "........"}));
    EXPECT_EQ(shapeOf(glyphs[29]), (std::vector<std::string>{"........", "...##...", "...##...", "...##...", ".######.",
                                                             "..####..", "...##...", "........"}));
    EXPECT_EQ(shapeOf(glyphs[30]), (std::vector<std::string>{"........", "...##...", "..##....", ".######.", "..##....",
                                                             "...##...", "........", "........"}));
    EXPECT_EQ(shapeOf(glyphs[31]), (std::vector<std::string>{"........", "...##...", "....##..", ".######.", "....##..",
                                                             "...##...", "........", "........"}));
    EXPECT_EQ(shapeOf(glyphs[65]), (std::vector<std::string>{"........", "...##...", "..####..", ".##..##.", ".##..##.",
                                                             ".######.", ".##..##.", "........"}));
}

TEST(GlyphSheet, AddressesFortyGlyphsPerRow) {
    EXPECT_EQ(GlyphSheet::origin(0).x, 3);
    EXPECT_EQ(GlyphSheet::origin(0).y, 4);
    EXPECT_EQ(GlyphSheet::origin(39).x, 3 + 16 * 39);
    EXPECT_EQ(GlyphSheet::origin(39).y, 4);
    EXPECT_EQ(GlyphSheet::origin(40).x, 3);
    EXPECT_EQ(GlyphSheet::origin(40).y, 20);
    EXPECT_EQ(GlyphSheet::origin(255).x, 3 + 16 * 15);
    EXPECT_EQ(GlyphSheet::origin(255).y, 4 + 16 * 6);
    const GlyphSheet::Origin last = GlyphSheet::origin(255);
    EXPECT_LE(last.y + 16, GlyphSheet::kHeight);
    EXPECT_LE(GlyphSheet::origin(39).x + 16, GlyphSheet::kWidth);
}

TEST(GlyphSheet, MarginsAreBlackAndCellsMatchTheSet) {
    const GlyphSheet sheet;
    for (int y = 0; y < GlyphSheet::kHeight; ++y) {
        EXPECT_FALSE(sheet.pixel(0, y));
        EXPECT_FALSE(sheet.pixel(2, y));
    }
    for (int x = 0; x < GlyphSheet::kWidth; ++x) EXPECT_FALSE(sheet.pixel(x, 3));
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(sheet.cut(code), GlyphSet::atascii()[static_cast<std::uint8_t>(code)]);
}

TEST(GlyphIndex, ReadsEveryCodeBackAndRejectsOtherImages) {
    const GlyphIndex index;
    vx::Framebuffer surface;
    for (int code = 0; code < 256; ++code) {
        surface.paintGlyph(GlyphSet::atascii()[static_cast<std::uint8_t>(code)], code % 80, code / 80);
        EXPECT_EQ(index.codeAt(surface, code % 80, code / 80), code);
    }
    Glyph odd = GlyphSet::atascii()['A'];
    odd.rows[3][0] ^= 0x01;
    EXPECT_FALSE(index.codeOf(odd).has_value());
}

}  // namespace
