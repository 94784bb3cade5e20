#pragma once

namespace vx {

// The windows whose places can be saved.
enum class PlacedWindow { MainFrame, VXEditor, BBSEditor, LastURLs, Website, Status };

// Reads and moves windows, in twips from the top-left of the screen (or of the main frame's
// inner area for windows inside it). A window that is not open is created hidden to answer.
class WindowGeometry {
public:
    virtual ~WindowGeometry() = default;
    virtual int top(PlacedWindow window) = 0;
    virtual int left(PlacedWindow window) = 0;
    virtual void setTop(PlacedWindow window, int twips) = 0;
    virtual void setLeft(PlacedWindow window, int twips) = 0;
};

}  // namespace vx
