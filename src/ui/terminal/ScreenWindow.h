#pragma once

#include <QLabel>
#include <QMenu>
#include <QWheelEvent>
#include <QWidget>
#include <functional>
#include <vector>

#include "tools/ScreenDump.h"

namespace vx {

class CaptureFile;
class Framebuffer;
class HistoryView;
class KeyboardInput;
class ScreenWidget;

// The screen window (Form1): the board's screen, the start-up picture until the first clear,
// the focus marker, the flashing capture bar and the capture menu on the right button. Keys go
// to the core's key paths; this window never draws characters itself.
class ScreenWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(DumpFormat)> saveScreen{};  // "Save Screen As .BMP" and the other formats
        std::function<void()> viewLog{};               // "View System Log"
        std::function<void()> pasteScreen{};           // "Paste Clipboard to Main Screen"
        std::function<void()> keyHandled{};            // after a key went to the core
        std::function<void()> toggleUrlDetection{};    // the checked "Detect URLs" entry
        std::function<void()> copyScreenText{};        // "Copy Screen as Text"
        std::function<void()> toggleEcho{};            // the checked "Echo Box to VXEditor" entry
        std::function<void(bool upload)> transfer{};   // "Download File..." and "Upload File..."
        std::function<void(int zoom)> zoom{};          // a zoom asked for (ScreenWidget's steps)
        std::function<void()> toggleFullScreen{};      // "Full Screen"
    };

    ScreenWindow(Framebuffer& surface, KeyboardInput& keys, CaptureFile& capture, QWidget* parent = nullptr);

    ScreenWidget* screen() const { return m_screen; }
    void setActions(Actions actions) { m_actions = std::move(actions); }

    // The column switch: the window's width follows (690 or 1380 pixels, wider when the
    // display's scale makes the screen wider, never wider than `availableWidth` when that is set).
    void setColumns(int columns, int availableWidth = 0);
    // The same, with the screen no larger than `bounds` (0: no limit that way). In full screen the
    // window takes whatever room it is given and the screen sits in its middle.
    void layOut(int columns, QSize bounds);
    void setFullScreen(bool on);
    bool fullScreen() const { return m_fullScreen; }
    // The zoom entries' check marks follow the zoom in use.
    void setZoomChecked(int zoom);
    // The surface changed; repaint at the next frame.
    void surfaceChanged();
    // The start-up picture stays until the screen is first cleared (the clear wipes it).
    void hideStartupPicture();
    bool startupPictureShown() const;
    // Capture's captions, bar and menu changed.
    void refreshCapture();
    // The "Detect URLs" and "Echo Box to VXEditor" entries' check marks.
    void setUrlDetectionChecked(bool on);
    void setEchoChecked(bool on);

    QMenu* captureMenu() const { return m_captureMenu; }
    // Looking back through the rows that scrolled away: the mouse wheel and Shift+PgUp/PgDn
    // move the page, any other key returns to the live screen (and goes on to the board).
    void setHistoryView(HistoryView* view, std::function<int()> columns);
    void scrollHistory(int lines);
    void leaveHistory();
    // A key event as the screen window handles it (also used by the frame to forward keys).
    bool handleKey(QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Tab and Shift+Tab are keys for the board, never a move to another control.
    bool focusNextPrevChild(bool) override { return false; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCaptureMenu();
    bool historyKey(QKeyEvent* event);
    // Ctrl+= (or Ctrl++) and Ctrl+- step through the zooms, Ctrl+0 goes back to 2x.
    bool zoomKey(QKeyEvent* event);
    void showHistoryMarker();
    void placeMarkers();
    void wheel(QWheelEvent* event);
    static constexpr int kPageLines = 24;

    Framebuffer& m_surface;
    KeyboardInput& m_keys;
    CaptureFile& m_capture;
    Actions m_actions;
    HistoryView* m_history = nullptr;
    std::function<int()> m_historyColumns;
    int m_wheelRest = 0;
    const std::function<void()> m_noAction;
    ScreenWidget* m_screen = nullptr;
    bool m_pictureShown = true;
    QWidget* m_focusMarker = nullptr;
    QWidget* m_captureBar = nullptr;
    QLabel* m_historyMarker = nullptr;
    QMenu* m_captureMenu = nullptr;
    std::vector<QAction*> m_zoomEntries;
    bool m_fullScreen = false;
    QAction* m_captureOn = nullptr;
    QAction* m_filename = nullptr;
    QAction* m_view = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_mode = nullptr;
    QAction* m_detectUrls = nullptr;
    QAction* m_echo = nullptr;
};

}  // namespace vx
