#include <gtest/gtest.h>

#include <random>
#include <string>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenHistory.h"
#include "screen/ScreenInterpreter.h"

namespace vx {
namespace {

constexpr char kEol = static_cast<char>(155);

// The codes kept for the screen against what its pixels show: after any stream of bytes, every
// visible cell but the cursor's reads back as the code kept for it.
TEST(CellCodes, FollowEveryDrawingOperation) {
    const GlyphIndex index;
    for (const bool mode80 : {false, true}) {
        std::mt19937 random(mode80 ? 80 : 40);
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        screen.setColumnMode(mode80);
        for (int round = 0; round < 200; ++round) {
            std::string bytes;
            for (int i = 0; i < 97; ++i) {
                // Controls often, so inserts, deletes, tabs and scrolls all happen; clears seldom.
                const char* const controls = "\x9b\x7e\x1c\x1d\x1e\x1f\x7f\xfe\xff\x9c\x9d";
                char byte = random() % 8 < 3 ? controls[random() % 11] : static_cast<char>(random() % 256);
                if (byte == '\x7d' && random() % 4) byte = 'x';
                bytes += byte;
            }
            screen.SendToScreen(bytes);
            const InterpreterState& state = screen.state();
            for (int row = 0; row < Framebuffer::kRows; ++row)
                for (int col = 0; col < state.ColumnCount; ++col) {
                    if (col == state.CursorX && row == state.CursorY) continue;
                    ASSERT_EQ(index.codeAt(surface, col, row), screen.codes().at(col, row))
                        << "round " << round << " cell " << col << "," << row << (mode80 ? " 80" : " 40");
                }
        }
    }
}

std::string numbered(int n, int width) {
    std::string line = "LINE " + std::to_string(n);
    line.resize(static_cast<std::size_t>(width), ' ');
    return line;
}

// Rows scrolled off the top are kept in order, as wide as the screen was, and no more than the
// capacity: the newest stay.
TEST(ScreenHistory, KeepsTheRowsScrolledOffInOrderUpToItsCapacity) {
    for (const int columns : {40, 80}) {
        Framebuffer surface;
        ScreenInterpreter screen(surface);
        screen.setColumnMode(columns == 80);
        ScreenHistory history(100);
        screen.setHistory(&history);
        for (int n = 0; n < 300; ++n) screen.SendToScreen("LINE " + std::to_string(n) + kEol);
        ASSERT_EQ(history.size(), 100u);
        // The screen holds the last lines; what scrolled away before them is in the history.
        const int firstOnScreen = std::stoi(std::string(screen.codes().row(0, columns)).substr(5));
        EXPECT_EQ(history.pushed(), static_cast<std::uint64_t>(firstOnScreen));
        for (std::size_t i = 0; i < history.size(); ++i)
            ASSERT_EQ(history.line(i), numbered(firstOnScreen - 100 + static_cast<int>(i), columns)) << i;

        history.setCapacity(10);
        EXPECT_EQ(history.line(0), numbered(firstOnScreen - 10, columns));
        history.setCapacity(0);
        screen.SendToScreen(std::string(30, kEol));
        EXPECT_EQ(history.size(), 0u);
    }
}

TEST(ScreenHistory, APageShowsTheHistoryFollowedByTheLiveScreen) {
    Framebuffer surface;
    ScreenInterpreter screen(surface);
    ScreenHistory history;
    screen.setHistory(&history);
    for (int n = 0; n < 60; ++n) screen.SendToScreen("LINE " + std::to_string(n) + kEol);
    screen.SendToScreen("\xc9\xce\xd6");  // inverse INV on the live screen
    Framebuffer page;
    const GlyphIndex index;
    const auto rowOf = [&](int row) {
        std::string text;
        for (int col = 0; col < 40; ++col) text += static_cast<char>(index.codeAt(page, col, row).value_or('?'));
        return text;
    };
    paintHistoryPage(history, screen.codes(), 40, history.size() - 2, page);
    EXPECT_EQ(rowOf(0), numbered(static_cast<int>(history.size()) - 2, 40));
    EXPECT_EQ(rowOf(2), std::string(screen.codes().row(0, 40)));
    // The live screen's cursor row, inverse letters and all, without the cursor.
    const int cursorRow = screen.state().CursorY;
    ASSERT_LT(cursorRow + 2, 24);
    EXPECT_EQ(rowOf(cursorRow + 2).substr(0, 3), "\xc9\xce\xd6");
}

}  // namespace
}  // namespace vx
