#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"

using vx::CellRect;
using vx::Framebuffer;
using vx::GlyphIndex;
using vx::ScreenInterpreter;

namespace {

struct Screen {
    explicit Screen(bool mode80 = false) { interpreter.setColumnMode(mode80); }
    Framebuffer surface;
    ScreenInterpreter interpreter{surface};
};

void expectEveryCellReadable(const Screen& screen, const GlyphIndex& index, const std::string& context) {
    for (int row = 0; row < Framebuffer::kRows; ++row)
        for (int col = 0; col < Framebuffer::kColumns; ++col)
            if (!index.codeAt(screen.surface, col, row)) {
                ADD_FAILURE() << context << ": cell (" << col << "," << row << ") is no glyph";
                return;
            }
}

void expectCursorInRange(const ScreenInterpreter& interpreter, const std::string& context) {
    const auto& state = interpreter.state();
    EXPECT_GE(state.CursorX, 0) << context;
    EXPECT_LE(state.CursorX, state.MaxCol) << context;
    EXPECT_GE(state.CursorY, 0) << context;
    EXPECT_LE(state.CursorY, 23) << context;
}

// Every byte value, from every corner of the screen, in both column modes, with and without the
// buzzer and the filter: the cursor stays on the screen and every cell still shows a glyph.
class EveryByteAtTheEdges : public ::testing::TestWithParam<bool> {};

TEST_P(EveryByteAtTheEdges, KeepsTheScreenWellFormed) {
    const bool mode80 = GetParam();
    const GlyphIndex index;
    const int maxCol = mode80 ? 79 : 39;
    const std::pair<int, int> corners[] = {{0, 0}, {maxCol, 0}, {0, 23}, {maxCol, 23}};
    for (const auto& [x, y] : corners) {
        for (int flags = 0; flags < 4; ++flags) {
            for (int b = 0; b < 256; ++b) {
                Screen screen(mode80);
                screen.interpreter.flags().buzzer = flags & 1;
                screen.interpreter.flags().lantronix = flags & 2;
                // Walk to the corner with cursor moves, leaving a character trail behind.
                screen.interpreter.SendToScreen("A");
                for (int i = 0; i < (y == 0 ? 0 : 1); ++i) screen.interpreter.ScreenHandler(28);
                for (int i = 0; i < (x == 0 ? 1 : 2); ++i) screen.interpreter.ScreenHandler(30);
                ASSERT_EQ(screen.interpreter.state().CursorX, x);
                ASSERT_EQ(screen.interpreter.state().CursorY, y);
                screen.interpreter.ScreenHandler(static_cast<std::uint8_t>(b));
                screen.interpreter.ScreenHandler('Z');
                const std::string context = "byte " + std::to_string(b) + " at (" + std::to_string(x) + "," +
                                            std::to_string(y) + ") flags " + std::to_string(flags);
                expectCursorInRange(screen.interpreter, context);
                expectEveryCellReadable(screen, index, context);
                if (HasFailure()) return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ColumnModes, EveryByteAtTheEdges, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Cols80" : "Cols40"; });

// The window repaints only the dirty rectangle, so every cell that changed must lie inside it.
TEST(ScreenInterpreter, DirtyRectangleCoversEveryChangedCell) {
    std::mt19937 random(7);
    const GlyphIndex index;
    Screen screen(true);
    const auto codes = [&] {
        std::vector<int> all;
        for (int row = 0; row < 24; ++row)
            for (int col = 0; col < 80; ++col) all.push_back(*index.codeAt(screen.surface, col, row));
        return all;
    };
    for (int round = 0; round < 300; ++round) {
        const auto before = codes();
        screen.surface.takeDirty();
        const int length = std::uniform_int_distribution<int>(1, 6)(random);
        for (int i = 0; i < length; ++i)
            screen.interpreter.ScreenHandler(
                static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random)));
        const CellRect dirty = screen.surface.takeDirty();
        const auto after = codes();
        for (int cell = 0; cell < 80 * 24; ++cell) {
            if (before[static_cast<std::size_t>(cell)] == after[static_cast<std::size_t>(cell)]) continue;
            const int col = cell % 80, row = cell / 80;
            ASSERT_TRUE(col >= dirty.col && col < dirty.col + dirty.cols && row >= dirty.row &&
                        row < dirty.row + dirty.rows)
                << "round " << round << ": cell (" << col << "," << row << ") changed outside the dirty rectangle";
        }
    }
}

TEST(ScreenInterpreter, RandomStreamsKeepTheScreenWellFormed) {
    std::mt19937 random(1979);
    const GlyphIndex index;
    for (bool mode80 : {false, true}) {
        Screen screen(mode80);
        for (int chunk = 0; chunk < 200; ++chunk) {
            screen.interpreter.flags().lantronix = chunk % 3 == 0;
            screen.interpreter.flags().buzzer = chunk % 2 == 0;
            for (int i = 0; i < 64; ++i)
                screen.interpreter.ScreenHandler(
                    static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random)));
            expectCursorInRange(screen.interpreter, "chunk " + std::to_string(chunk));
        }
        expectEveryCellReadable(screen, index, mode80 ? "80 columns" : "40 columns");
    }
}

class EventLog : public vx::ScreenListener {
public:
    void bell() override { events += 'b'; }
    void scrolled() override { events += 's'; }
    void cleared() override { events += 'c'; }
    std::string events;
};

// SendToScreen draws runs of plain characters in one go; it must leave exactly what feeding the
// same bytes one by one to ScreenHandler leaves: pixels, state and events.
TEST(ScreenInterpreter, SendToScreenMatchesByteByByte) {
    std::mt19937 random(42);
    const std::string alphabet =
        std::string("\r\r\x9b\x7e\x7d\x1c\x1d\x1e\x1f\x7f\xfe\xff\x9d\x9c\xfd\x00\x0a") + "ABCDEFGHIJKLMNOP";
    for (int round = 0; round < 400; ++round) {
        Screen bulk(round % 2 == 1), single(round % 2 == 1);
        EventLog bulkEvents, singleEvents;
        bulk.interpreter.setListener(&bulkEvents);
        single.interpreter.setListener(&singleEvents);
        for (auto* screen : {&bulk, &single}) {
            screen->interpreter.flags().lantronix = round % 3 == 0;
            screen->interpreter.flags().buzzer = round % 4 < 2;
        }
        std::string text;
        const int length = std::uniform_int_distribution<int>(1, 400)(random);
        for (int i = 0; i < length; ++i)
            text += round % 5 == 0
                        ? static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random))
                        : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        bulk.interpreter.SendToScreen(text);
        for (char c : text) single.interpreter.ScreenHandler(static_cast<std::uint8_t>(c));

        const auto& a = bulk.interpreter.state();
        const auto& b = single.interpreter.state();
        ASSERT_EQ(a.CursorX, b.CursorX) << "round " << round;
        ASSERT_EQ(a.CursorY, b.CursorY) << "round " << round;
        ASSERT_EQ(a.LastChar, b.LastChar) << "round " << round;
        ASSERT_EQ(bulk.interpreter.cursorShown(), single.interpreter.cursorShown()) << "round " << round;
        ASSERT_EQ(bulkEvents.events, singleEvents.events) << "round " << round;
        for (int y = 0; y < Framebuffer::kHeight; ++y)
            ASSERT_EQ(std::memcmp(bulk.surface.rowBits(y), single.surface.rowBits(y), Framebuffer::kStride), 0)
                << "round " << round << " pixel row " << y;
    }
}

TEST(ScreenInterpreter, StartsHomeWithDefaultTabStops) {
    Screen screen;
    const auto& state = screen.interpreter.state();
    EXPECT_EQ(state.CursorX, 0);
    EXPECT_EQ(state.CursorY, 0);
    EXPECT_EQ(state.LastChar, 0);
    EXPECT_EQ(state.ColumnCount, 40);
    EXPECT_EQ(state.MaxCol, 39);
    EXPECT_EQ(state.TabStops, (std::array<int, 5>{0, 8, 16, 24, 32}));
}

TEST(ScreenInterpreter, ClearingTheSurfaceKeepsCursorAndLastChar) {
    Screen screen;
    screen.interpreter.SendToScreen("HELLO");
    screen.interpreter.clearSurface();
    EXPECT_EQ(screen.interpreter.state().CursorX, 5);
    EXPECT_EQ(screen.interpreter.state().LastChar, 'O');
    const GlyphIndex index;
    for (int col = 0; col < 80; ++col) EXPECT_EQ(index.codeAt(screen.surface, col, 0), 32);
}

TEST(ScreenInterpreter, WorksWithoutAListener) {
    Screen screen;
    screen.interpreter.flags().buzzer = true;
    screen.interpreter.setListener(nullptr);
    screen.interpreter.SendToScreen(std::string("\xFD\x7D", 2) + std::string(23, '\x9B'));
    EXPECT_EQ(screen.interpreter.state().CursorY, 23);
}

}  // namespace
