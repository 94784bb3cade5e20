#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <span>

class QWidget;

namespace vx {

class MainFrame;

// Where the keys go after something happens: the one place that decides it. Each moment is a row
// of rules(); the windows and the composition only say which moment it was.
//
// Handing the keys to another window needs the window manager's consent: a window manager that
// ignores the program's request is asked again the way a pager asks for a user's click, with the
// time of the user's last key or click.
class KeyFocus : public QObject {
    Q_OBJECT
public:
    enum class Moment {
        FrameButton,       // a key of the frame that acts on the call or the screen (Baud, Stay, Clr, ...)
        SentFromWindow,    // a send started in The Box or another window (Send to Main, the BBS editor's Sign)
        ToolWindowDone,    // a tool window's last step (the URL list, the dump picker, the transfer window)
        EditorClosed,      // the BBS editor closed by its buttons
        CallComingUp,      // dialling by any way, and the call connected
        CallEnded,         // the board or the user hung up
        StartedWithBoard,  // a start with a board to call
        Summoned,          // a second start of the program (a link clicked) called the frame to the front
        BoxEntered,        // "2) Edit Box" and the keys that move to The Box
        BoxLeft,           // Alt+T in The Box, or The Box hidden while it had the keys
        WindowAsked,       // a tool window the user opened
        WindowBeside,      // a tool window the program opened beside the frame
    };
    enum class Target { Screen, Box, ThatWindow, Unchanged };
    struct Rule {
        Moment moment;
        Target target;
        const char* because;
    };
    static std::span<const Rule> rules();
    static const Rule& rule(Moment moment);

    struct Places {
        std::function<QWidget*()> screen;  // the board's screen (in the frame)
        std::function<QWidget*()> box;     // The Box's text (in the frame)
    };
    KeyFocus(MainFrame& frame, Places places);
    ~KeyFocus() override;

    // Applies the moment's rule; `window` is the window a ThatWindow rule means.
    void after(Moment moment, QWidget* window = nullptr);
    // The window dialogs are opened on: the one the user is in, else the frame.
    QWidget* dialogParent() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toScreen(bool evenFromOtherPrograms);
    void toBox();
    void toWindow(QWidget& window, QWidget* focus);
    void keepKeysWithFrame(QWidget& shown);
    void activate(QWidget& window, QWidget* focus);
    void checkActivation();
    void handOverDone();
    bool answerPending() const;

    MainFrame& m_frame;
    Places m_places;
    QPointer<QWidget> m_target;       // the window being activated
    QPointer<QWidget> m_targetFocus;  // the widget in it that gets the keys
    QPointer<QWidget> m_holder;       // the window the last rule gave the keys to
    QPointer<QWidget> m_holderFocus;
    QTimer m_check;
    int m_checks = 0;
    QElapsedTimer m_sinceClosed;        // since the window with the keys closed
    unsigned long m_lastInputTime = 0;  // the window system's time of the user's last key or click
};

}  // namespace vx
