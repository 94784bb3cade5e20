#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/SystemPaths.h"
#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "config/SettingsStore.h"
#include "directory/BBSEditor.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "screen/Framebuffer.h"
#include "screen/ScreenHistory.h"
#include "screen/ScreenInterpreter.h"
#include "session/Startup.h"
#include "session/TerminalSession.h"
#include "tools/BrowserLauncher.h"
#include "tools/TitleHints.h"
#include "ui/frame/KeyFocus.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/ToolWindows.h"
#include "ui/platform/QtDesktop.h"
#include "ui/platform/QtPrompter.h"
#include "ui/platform/QtSocketPort.h"
#include "ui/platform/QtTimers.h"

namespace vx {

class BBSEditorWindow;
class BoxEditor;
class CfgForm;
class DesktopTools;
class DesktopWiring;
class DumpPicker;
class LogWindow;
class MojiEditorWindow;
class ScreenDump;
class ScreenWindow;
class ScrollbackDebugWindow;
class StatusWindow;
class TerminalWindow;
class TransferWindow;
class UrlListWindow;
class WebsiteWindow;
class WelcomeWindow;

// The desktop program: the core objects, the Qt adapters and the windows put together; the
// start-up in its order and the shutdown. What the tool windows do lives in DesktopTools, the
// hooks of the session and the frame's keys in DesktopWiring, where the keys go in KeyFocus.
class DesktopApp : public QObject, private ScreenListener {
    Q_OBJECT
public:
    struct Options {
        std::string systemFolder;         // the folder the program keeps its files in
        std::string programFolder;        // where the help page is looked for
        std::optional<std::string> host;  // dial at once, as a record not in the list
        int port = 23;
        std::string protocol = "Raw";  // "Telnet" for a telnet:// link
        bool showWelcome = true;
        Prompter* prompter = nullptr;  // dialogs; the Qt ones when not given
        std::function<void()> quit{};  // ends the program; QCoreApplication::quit when not given
    };

    explicit DesktopApp(Options options);
    ~DesktopApp() override;

    // Shows the welcome window (or goes straight on) and runs the start-up.
    void start();
    // The end of the run: totals, log lines, socket closed, then quit. Runs once.
    void shutdown();
    bool started() const { return m_started; }
    bool shutDown() const { return m_shutDown; }
    // A board handed over by a second start of the program (a link clicked meanwhile): the frame
    // comes to the front and calls it, asking first when a call is up. Without a board the frame
    // only comes to the front.
    void callFromElsewhere(std::optional<std::string> host, int port, const std::string& protocol);

    MainFrame& frame() { return m_frame; }
    ScreenWindow& screenWindow() { return *m_screenWindow; }
    TerminalWindow& terminalWindow() { return *m_terminalWindow; }
    WelcomeWindow* welcomeWindow() { return m_welcome.get(); }
    ToolWindows& toolWindows() { return m_tools; }
    KeyFocus& keyFocus() { return m_keys; }
    CfgForm* configurationEditor() { return m_cfgForm; }
    BBSEditor& bbsEditor() { return *m_editor; }
    BoxEditor& boxEditor() { return *m_boxEditor; }
    ScreenDump& screenDump() { return *m_dump; }

    // The tool windows, each null until first made.
    BBSEditorWindow* bbsEditorWindow();
    WebsiteWindow* websiteWindow();
    UrlListWindow* urlListWindow();
    MojiEditorWindow* mojiEditorWindow();
    DumpPicker* dumpPicker();
    StatusWindow* statusWindow();
    TransferWindow* transferWindow();
    LogWindow* logWindow();
    ScrollbackDebugWindow* debugWindow();

    void showUrlList();
    void showMojiEditor();
    void showStatusWindow();
    void openTransferWindow(bool upload);
    void openLogViewer();
    void openTimeOnlineReport();
    // Opens the BBS editor on the record selected in the terminal (or record 1).
    enum class EditorKeys { TakeThem, StayWithScreen };
    void openBBSEditor(EditorKeys keys = EditorKeys::TakeThem);
    // A picture file shown on the screen window; false when it could not be read.
    bool viewPicture(const QString& path);
    // Print Screen: the print dialog, then the page.
    void printScreen();
    // A zoom of the board's screen (ScreenWidget's steps): kept in the configuration at once; the
    // frame follows the screen's width as it does for the columns.
    void setZoom(int zoom);
    // Full screen in or out (F11, tbFULL); F12 there shows the terminal window over the screen.
    void setFullScreen(bool on);
    void toggleTerminalOverScreen();
    // The zoom and colours of the configuration, applied to the screen.
    void applyScreenSettings();

    bool loggedIn() const { return m_loggedIn; }
    TerminalSession& session() { return *m_session; }
    ScreenInterpreter& screen() { return m_screen; }
    ScreenHistory& history() { return m_history; }
    HistoryView& historyView() { return m_historyView; }
    Framebuffer& surface() { return m_surface; }
    ConfigSettings& config() { return m_config; }
    BBSList& bbsList() { return m_list; }
    const SystemPaths& paths() const { return m_paths; }
    StatusReporter& status() { return m_status; }

private:
    void tellZoomShown(int asked);
    friend class DesktopTools;
    friend class DesktopWiring;

    // After the shutdown: the socket closed, then the event loop left.
    void quit();
    // ScreenListener
    void bell() override { m_sound.beep(); }
    void cleared() override;

    void loadFrame();
    void afterStartup(bool ok);
    void frameFramed();
    std::vector<ToolWindows::Tool> windowsAtStart() const;
    void switchColumns(bool mode80);
    // The screen sized for the columns, zoom and room there is, and the frame's width after it.
    void layOutScreen();
    void restorePlaceAfterFullScreen(int triesLeft);
    void refreshAll();
    void titleTick();
    void saveWindowPositions();
    void restoreWindowPositions();

    Options m_options;
    SystemPaths m_paths;
    QtClock m_clock;
    QtTimerFactory m_timers;
    QtRandom m_random;
    QtSound m_sound;
    QtShell m_shell;
    QtClipboard m_clipboard;
    QtSocketPort m_socket;
    QtPrompter m_qtPrompter;
    Prompter& m_prompter;
    MainFrame m_frame;
    SettingsStore m_store;
    Scrambler m_scrambler{m_random};
    ConfigSettings m_config;
    SystemLog m_log;
    StatusReporter m_status;
    BBSList m_list;
    Framebuffer m_surface;
    ScreenInterpreter m_screen{m_surface};
    ScreenHistory m_history;
    HistoryView m_historyView{m_history, m_screen.codes()};
    BoxEditor* m_boxEditor = nullptr;  // owned by the terminal window once it is laid out
    std::unique_ptr<ScreenDump> m_dump;
    std::unique_ptr<TerminalSession> m_session;
    std::unique_ptr<BrowserLauncher> m_browser;
    std::unique_ptr<Startup> m_startup;
    ScreenWindow* m_screenWindow = nullptr;
    TerminalWindow* m_terminalWindow = nullptr;
    KeyFocus m_keys;
    ToolWindows m_tools;
    std::unique_ptr<WelcomeWindow> m_welcome;
    CfgForm* m_cfgForm = nullptr;
    bool m_loggedIn = false;  // the program password was given: hidden macros may be shown
    std::unique_ptr<BBSEditor> m_editor;
    std::unique_ptr<DesktopTools> m_toolsWiring;
    std::unique_ptr<DesktopWiring> m_wiring;
    TitleHints m_hints;
    QTimer m_titleTimer;
    enum class LinkState { Idle, Connecting, Connected };
    LinkState m_link = LinkState::Idle;
    bool m_started = false;
    bool m_shutDown = false;
    int m_columns = 40;  // the column mode the screen is laid out for
    QPoint m_placeBeforeFullScreen;
    bool m_decoratedBeforeFullScreen = false;
};

}  // namespace vx
