#pragma once

#include <optional>
#include <vector>

namespace vx::layout {

// A rectangle on the desktop in pixels; right() and bottom() are one past the last pixel.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool intersects(const Rect& other) const {
        return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
    }
    bool contains(const Rect& other) const {
        return other.x >= x && other.y >= y && other.right() <= right() && other.bottom() <= bottom();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Side { Left, Right };

// A window that opens beside the main frame: its size with the window manager's frame, the least
// height it can still be used at (a window that scrolls; 0 when it cannot be made lower), and the
// side of the frame it belongs on.
struct Wanted {
    int width = 0;
    int height = 0;
    int minHeight = 0;
    Side side = Side::Right;
};

struct Layout {
    Rect frame;
    std::vector<std::optional<Rect>> windows;  // in the order asked for; none where no room was left
};

// Where the main frame and the windows that open with it go on a screen of `area` (all sizes with
// the window manager's frames). The frame stands at `top`, or higher where it would run off the
// bottom; it is centred when every window finds room beside it, else it moves to the edge that
// leaves room for the most (earlier windows count for more). The windows stand in the column of
// their side, or of the other side, stacked downwards from the frame's top in the order given,
// each hugging the frame; a window that scrolls is made lower to fit. No window covers the frame,
// another window, or anything off the area; a window with no room is left out, to be opened
// later.
Layout besideTheFrame(const Rect& area, int frameWidth, int frameHeight, int top, const std::vector<Wanted>& windows);

}  // namespace vx::layout
