#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <functional>
#include <map>
#include <string>

#include "platform/StatusSink.h"

namespace vx {

// The main frame (MDIForm1): the toolbar (Toolbar1, dispatched by key), the status bar with
// its five panels, and the screen and terminal windows one above the other. Its width follows
// the column mode; it cannot be maximized.
class MainFrame : public QMainWindow, public StatusSink {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kWidth40 = 10350 / kTwipsPerPixel;
    static constexpr int kWidth80 = 20700 / kTwipsPerPixel;

    static constexpr int kHeightBoxOpen = 11985 / kTwipsPerPixel;
    static constexpr int kHeightBoxClosed = 8350 / kTwipsPerPixel;

    explicit MainFrame(QWidget* parent = nullptr);

    // The two windows it holds.
    void setWindows(QWidget* screenWindow, QWidget* terminalWindow);

    // What each toolbar key does; a key without an action stays disabled.
    void setToolAction(const std::string& key, std::function<void()> action);
    // The keys in toolbar order.
    static const std::vector<std::string>& toolKeys();
    // Presses a toolbar button by key, as a click would.
    void dispatch(const std::string& key);
    QAction* toolButton(const std::string& key) const;
    // Keys whose use depends on the state (tbCONNECT, tbDISCONNECT).
    void setToolEnabled(const std::string& key, bool enabled);

    // The column switch: the frame's width and panel 2's. The frame is as wide as the column mode
    // says, or as `contentWidth` if that is wider, and never wider than the screen allows.
    void setColumns(int columns, int contentWidth = 0);
    // The Box shown or hidden: the frame's height for either, or what its windows need if that is
    // more, and never taller than the screen.
    void setBoxOpen(bool open);
    // How much higher (or lower) than at 2x the board's screen is drawn: the frame's heights for
    // The Box open or closed follow it.
    void setScreenGrowth(int pixels) { m_screenGrowth = pixels; }
    // The next resize (the window system's answer to a new height) moves the frame back onto the
    // screen if its foot went off.
    void keepOnScreenWhenResized() { m_keepOnScreen = true; }
    // Full screen: toolbar, status bar and terminal window put away, the screen window over the
    // whole monitor. Leaving puts everything back where it was.
    void setFullScreen(bool on);
    bool isFullScreenMode() const { return m_fullScreen; }
    // In full screen, the terminal window shown over the foot of the screen, or put away again.
    void setTerminalOverScreen(bool shown);
    bool terminalOverScreen() const;
    // The widest the frame's inside may be on the screen it is on.
    int availableWidth() const;
    // Centred across the screen it is on, its top at `top`.
    void centreOnScreen(int top);
    // Where centreOnScreen would put the frame (its outer top-left).
    QPoint centredPlace(int top) const;
    // How far below the frame's inside the terminal window starts.
    int terminalTop() const;
    // Called when the frame is closed by the user or the window manager.
    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }

    // StatusSink
    void setPanelText(const std::string& panel, const std::string& text, bool refresh) override;
    QString panelText(const std::string& panel) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildToolbar();
    void buildStatusBar();

    QToolBar* m_toolbar = nullptr;
    QMenu* m_popup = nullptr;
    std::map<std::string, QAction*> m_tools;
    std::map<std::string, std::function<void()>> m_toolActions;
    std::map<std::string, QLabel*> m_panels;
    std::function<void()> m_onClose;
    QWidget* m_terminalWindow = nullptr;
    int m_columns = 40;
    bool m_fullScreen = false;
    int m_screenGrowth = 0;
    bool m_keepOnScreen = false;
};

}  // namespace vx
