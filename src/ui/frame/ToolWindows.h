#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowGeometry.h"

class QWidget;

namespace vx {

class KeyFocus;
class MainFrame;
class SettingsStore;

// The program's tool windows, a row each: how the window is made, where it first stands, the
// configuration keys that keep its place, and whether it takes the keys when it comes up. show()
// is the one way a tool window comes up: made on first use, placed, shown, kept on the screen and
// raised. Places are the frames the user sees, title bar included: a saved place is given to a
// window before it is first shown, and checked again once the window manager has framed it.
// Saving and restoring the places iterate the rows, the main frame's place with them.
//
// Tool windows are windows of their own, not children of the frame: a window manager keeps a
// child above its parent, and none of these has to cover the board's screen.
class ToolWindows : public QObject, public WindowGeometry {
    Q_OBJECT
public:
    enum class Tool { BBSEditor, VXEditor, UrlList, Status, Website, Transfer, LogViewer, DumpPicker, Debug };
    // Where a window stands the first time, as long as no place was saved for it.
    enum class FirstPlace { RightOfFrame, LeftOfFrame, LeftOfFrameLow, RightOfTerminal, OverFrame };
    enum class Keys { Take, Leave };
    struct Row {
        Tool tool{};
        std::function<QWidget*()> make{};
        FirstPlace firstPlace = FirstPlace::OverFrame;
        std::optional<PlacedWindow> savedAs{};
        Keys keys = Keys::Take;
        bool freshEachTime = false;                  // made anew at every show, to show its file as it is now
        std::function<void(QWidget&)> beforeShow{};  // brings the window's contents up to date
    };

    ToolWindows(MainFrame& frame, KeyFocus& keys);
    ~ToolWindows() override;

    void add(Row row);
    const std::vector<Tool>& tools() const { return m_order; }
    // True for a window whose place the configuration keeps.
    bool keepsItsPlace(Tool tool) const;
    // The window, or nullptr before it was first made.
    QWidget* find(Tool tool) const;
    template <class W>
    W* find(Tool tool) const {
        return static_cast<W*>(find(tool));
    }
    // The window, made (hidden, at its first place) if it was not yet.
    QWidget& made(Tool tool);
    // Brings the window up; the keys go with it as its row says, or as `keys` says.
    QWidget& show(Tool tool);
    QWidget& show(Tool tool, Keys keys);
    void hide(Tool tool);

    // The windows that open with the program, in order of importance, when no places were saved:
    // placed beside the frame where there is room; those left over open later, when asked for.
    // `withKeys` is the one among them that takes the keys, if any: it opens in any case, at its
    // first place where there is no room beside the frame. Returns the tools shown.
    std::vector<Tool> openBesideFrame(const std::vector<Tool>& wanted, std::optional<Tool> withKeys);

    // A window at its first place again (the frame changed its size), if it is open.
    void placeAgain(Tool tool);

    // Runs `then` once the window manager has framed the window (at once where there is none).
    void whenFramed(QWidget& window, std::function<void()> then);
    // The frame's place before it is first shown: the frame the user will see, title bar included.
    void placeFrameAt(QPoint topLeft);
    // Shows the frame; `then` runs once it is framed and stands at its place.
    void showFrame(std::function<void()> then);

    // WindowGeometry: the places in twips, as the configuration keeps them.
    int top(PlacedWindow window) override;
    int left(PlacedWindow window) override;
    void setTop(PlacedWindow window, int twips) override;
    void setLeft(PlacedWindow window, int twips) override;

private:
    static void keepQuestionsAbove();
    struct Entry {
        Row row;
        QPointer<QWidget> window;
        std::optional<QPoint> place;  // the frame's top-left the window is to stand at
        bool framed = false;
        Keys keys = Keys::Take;  // as it was last shown
    };
    Entry& entry(Tool tool);
    Entry* entryFor(PlacedWindow window);
    QPoint placeOf(PlacedWindow window);
    void setPlaceOf(PlacedWindow window, std::optional<int> x, std::optional<int> y);
    QPoint firstPlace(const Entry& entry);
    void standAt(QWidget& window, QPoint topLeft, bool& framed);
    void settle(Entry& entry);

    MainFrame& m_frame;
    KeyFocus& m_keys;
    std::vector<Entry> m_entries;
    std::vector<Tool> m_order;
    std::optional<QPoint> m_framePlace;
    bool m_frameFramed = false;
};

}  // namespace vx
