// The first-run layout: the frame and the windows that open with it, on the screens users have.
// Every row is checked against the rules a user sees (nothing off the screen, nothing covering
// the frame or another window, each window beside the frame) and against the outcome it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/WindowLayout.h"

using vx::layout::Rect;
using vx::layout::Side;
using vx::layout::Wanted;

namespace {

// The program's windows with a window manager's frame (1 px sides, 20 px title, 5 px foot).
const Wanted kBBSEditor{600, 1000, 300, Side::Right};  // scrolls, so it may be lower
const Wanted kUrlList{486, 350, 0, Side::Left};
const Wanted kStatus{304, 416, 0, Side::Right};
const Wanted kVXEditor{568, 538, 0, Side::Left};
constexpr int kFrameWidth = 692;
constexpr int kFrameTop = 102;

struct Row {
    const char* name;
    Rect area;
    int frameHeight;
    std::vector<Wanted> windows;
    std::string placed;  // one letter a window: y placed, n left for later
    int frameX;
};

class FirstLayout : public ::testing::TestWithParam<Row> {};

TEST_P(FirstLayout, FitsBesideTheFrame) {
    const Row& row = GetParam();
    const auto layout = vx::layout::besideTheFrame(row.area, kFrameWidth, row.frameHeight, kFrameTop, row.windows);
    ASSERT_EQ(layout.windows.size(), row.windows.size());
    EXPECT_TRUE(row.area.contains(layout.frame)) << "the frame's title bar or foot is off the screen";
    EXPECT_EQ(layout.frame.x, row.frameX);
    std::string placed;
    for (std::size_t i = 0; i < layout.windows.size(); ++i) {
        placed += layout.windows[i] ? 'y' : 'n';
        if (!layout.windows[i]) continue;
        const Rect& window = *layout.windows[i];
        const Wanted& wanted = row.windows[i];
        EXPECT_TRUE(row.area.contains(window)) << "window " << i << " runs off the screen";
        EXPECT_FALSE(window.intersects(layout.frame)) << "window " << i << " covers the frame";
        EXPECT_TRUE(window.x == layout.frame.right() || window.right() == layout.frame.x)
            << "window " << i << " does not stand beside the frame";
        EXPECT_EQ(window.width, wanted.width);
        EXPECT_LE(window.height, wanted.height);
        EXPECT_GE(window.height, wanted.minHeight > 0 ? wanted.minHeight : wanted.height);
        for (std::size_t j = 0; j < i; ++j)
            if (layout.windows[j]) EXPECT_FALSE(window.intersects(*layout.windows[j])) << i << " covers " << j;
    }
    EXPECT_EQ(placed, row.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FirstLayout,
    ::testing::Values(
        // A laptop: the frame moves to the left edge so the list has the whole right side, made
        // lower to fit; the other windows wait until they are asked for.
        Row{"laptop_1366x768_first_run", {0, 0, 1366, 768}, 768, {kBBSEditor, kUrlList, kStatus, kVXEditor}, "ynnn", 0},
        // Without the list, the status window and the URL list both fit right of a frame at the
        // left edge, where a centred frame would leave room for the status window only.
        Row{"laptop_1366x768_no_list", {0, 0, 1366, 768}, 768, {kStatus, kUrlList}, "yy", 0},
        // Full HD: the list right of the centred frame, the URL list and the status window left.
        Row{"full_hd", {0, 0, 1920, 1080}, 825, {kBBSEditor, kUrlList, kStatus, kVXEditor}, "yyyn", 614},
        Row{"full_hd_no_list", {0, 0, 1920, 1080}, 825, {kUrlList, kStatus, kVXEditor}, "yyy", 614},
        // A panel at the top of the screen: the area starts below it.
        Row{"full_hd_under_a_panel", {0, 32, 1920, 1048}, 825, {kBBSEditor, kUrlList}, "yy", 614},
        Row{"wide_2560x1440", {0, 0, 2560, 1440}, 825, {kBBSEditor, kUrlList, kStatus, kVXEditor}, "yyyy", 934},
        // Too small for the list beside the frame at all: the frame stays centred.
        Row{"small_1024x768", {0, 0, 1024, 768}, 768, {kBBSEditor}, "n", 166},
        // A second monitor right of the first.
        Row{"second_monitor", {1920, 0, 1366, 768}, 768, {kBBSEditor}, "y", 1920}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
