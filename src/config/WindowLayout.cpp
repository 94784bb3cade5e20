#include "config/WindowLayout.h"

#include <algorithm>
#include <array>

namespace vx::layout {
namespace {

struct Column {
    Rect space;
    int nextTop = 0;
};

// The window in `column` just below what stands there already, or nothing if it does not fit.
std::optional<Rect> fitIn(Column& column, const Rect& frame, Side side, const Wanted& wanted) {
    if (wanted.width > column.space.width || wanted.width <= 0 || wanted.height <= 0) return std::nullopt;
    const int least = wanted.minHeight > 0 ? std::min(wanted.minHeight, wanted.height) : wanted.height;
    const int top = column.nextTop;
    const int room = column.space.bottom() - top;
    if (room < least) return std::nullopt;
    const int height = std::min(wanted.height, room);
    const int x = side == Side::Left ? frame.x - wanted.width : frame.right();
    column.nextTop = top + height;
    return Rect{x, top, wanted.width, height};
}

Layout placeAround(const Rect& area, const Rect& frame, const std::vector<Wanted>& windows) {
    Layout layout{frame, {}};
    std::array<Column, 2> columns{
        Column{Rect{area.x, area.y, frame.x - area.x, area.height}, frame.y},
        Column{Rect{frame.right(), area.y, area.right() - frame.right(), area.height}, frame.y},
    };
    for (const Wanted& wanted : windows) {
        const Side other = wanted.side == Side::Left ? Side::Right : Side::Left;
        std::optional<Rect> placed;
        for (Side side : {wanted.side, other}) {
            placed = fitIn(columns[side == Side::Left ? 0 : 1], frame, side, wanted);
            if (placed) break;
        }
        layout.windows.push_back(placed);
    }
    return layout;
}

// Earlier windows weigh more: placing the first beats placing all the others.
unsigned long long weight(const Layout& layout) {
    unsigned long long total = 0;
    for (const auto& window : layout.windows) total = total * 2 + (window ? 1 : 0);
    return total;
}

}  // namespace

Layout besideTheFrame(const Rect& area, int frameWidth, int frameHeight, int top, const std::vector<Wanted>& windows) {
    const int width = std::min(frameWidth, area.width);
    const int height = std::min(frameHeight, area.height);
    const int y = std::clamp(top, area.y, area.bottom() - height);
    const int centred = area.x + (area.width - width) / 2;
    Layout best;
    bool first = true;
    for (const int x : {centred, area.x, area.right() - width}) {
        Layout candidate = placeAround(area, Rect{x, y, width, height}, windows);
        if (first || weight(candidate) > weight(best)) best = std::move(candidate);
        first = false;
    }
    return best;
}

}  // namespace vx::layout
