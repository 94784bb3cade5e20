#include <gtest/gtest.h>

#include "directory/Macros.h"

using vx::ExpandMacro;

namespace {

const std::string kEol(1, static_cast<char>(155));

TEST(ExpandMacro, ReplacesTheTokenInAnyLetterCase) {
    EXPECT_EQ(ExpandMacro("abc<CR>"), "abc" + kEol);
    EXPECT_EQ(ExpandMacro("abc<cr>"), "abc" + kEol);
    EXPECT_EQ(ExpandMacro("<Cr>x<cR>"), kEol + "x" + kEol);
    EXPECT_EQ(ExpandMacro("<CR><CR>"), kEol + kEol);
}

TEST(ExpandMacro, CopiesEverythingElse) {
    EXPECT_EQ(ExpandMacro("<LF>"), "<LF>");
    EXPECT_EQ(ExpandMacro("<C>"), "<C>");
    EXPECT_EQ(ExpandMacro("<<CR>"), "<" + kEol);
    EXPECT_EQ(ExpandMacro("a<CR"), "a<CR");
    EXPECT_EQ(ExpandMacro("<"), "<");
    EXPECT_EQ(ExpandMacro(""), "");
    EXPECT_EQ(ExpandMacro("  hi<CR>  "), "  hi" + kEol + "  ");
    const std::string binary("\x00\xFF<\x9B", 4);
    EXPECT_EQ(ExpandMacro(binary), binary);
}

TEST(ExpandMacro, ExpandingTwiceGivesTheSameBytes) {
    for (const char* text : {"login<CR>", "<<CR>CR>", "pass<cr><cr>", "plain"})
        EXPECT_EQ(ExpandMacro(ExpandMacro(text)), ExpandMacro(text)) << text;
}

}  // namespace
