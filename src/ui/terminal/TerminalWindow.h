#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx {

class BBSList;
class BoxEditor;
class BoxPanel;
struct ConfigSettings;
class ScreenInterpreter;
class TerminalSession;

// The terminal window (Form6): board selection, Connect/Abort, Disconnect, Exit, the macro
// buttons, the scrollback and capture-viewer controls, the BaudSim value, the online box and
// The Box below them.
// Every button calls one core operation; what is shown is read back from the core.
class TerminalWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> exit{};           // cmdExit: the program's shutdown
        std::function<void()> refocusScreen{};  // after a button, the keys go back to the screen
        std::function<void()> screenChanged{};  // something was drawn (the clear-screen button)
        std::function<void()> editBBS{};        // cmdEditBBS: the BBS editor
        std::function<void()> toggleUrls{};     // Command7: URL detection and its window
        std::function<void()> viewLog{};        // cmdViewSL: the log viewer
        std::function<void()> openStatus{};     // cmdStatus: the status window
    };

    // `boxEditor` is The Box's text, made before the session that writes into it.
    TerminalWindow(TerminalSession& session, BBSList& list, ConfigSettings& config, ScreenInterpreter& screen,
                   BoxEditor& boxEditor, QWidget* parent = nullptr);
    void setActions(Actions actions) { m_actions = std::move(actions); }

    // Fills Combo1 from the BBS list (after loading or editing it).
    void fillBBSList();
    // Reads every control's state back from the core.
    void refresh();
    // The scrollback controls follow ScrollBack; the count box shows SBbufferSize.
    void applyScrollbackSetting();
    BoxPanel& boxPanel() { return *m_boxPanel; }
    // The log indicator (set when SysLog is on and the log exists).
    void setLogIndicator(bool on);
    // "View System Log" goes away when the log is switched off for the run.
    void setViewLogVisible(bool on);

private:
    void exitProgram();
    void baudSimValueEdited();
    void scrollbackCountEdited();
    int scrollbackCount() const;

    TerminalSession& m_session;
    BBSList& m_list;
    ConfigSettings& m_config;
    ScreenInterpreter& m_screen;
    Actions m_actions;

    QComboBox* m_combo = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_disconnect = nullptr;
    QPushButton* m_editBBS = nullptr;
    std::array<QPushButton*, 10> m_macros{};
    QLineEdit* m_online = nullptr;
    QLabel* m_connectedLight = nullptr;
    QLabel* m_onlineLight = nullptr;
    QLabel* m_logLight = nullptr;
    QPushButton* m_viewLog = nullptr;
    QLineEdit* m_baudSimValue = nullptr;
    QPushButton* m_scrollback = nullptr;
    QPushButton* m_scrollbackToBox = nullptr;
    QLineEdit* m_scrollbackCount = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_scrollbackIndicator = nullptr;
    QPushButton* m_viewAbort = nullptr;
    QPushButton* m_viewPause = nullptr;
    QPushButton* m_boxToggle = nullptr;
    BoxPanel* m_boxPanel = nullptr;
};

}  // namespace vx
