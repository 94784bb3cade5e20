#pragma once

#include <QObject>
#include <QPointer>
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
#include "screen/ScreenInterpreter.h"
#include "session/Startup.h"
#include "session/TerminalSession.h"
#include "tools/BrowserLauncher.h"
#include "tools/TextSinks.h"
#include "tools/TitleHints.h"
#include "ui/frame/MainFrame.h"
#include "ui/platform/QtDesktop.h"
#include "ui/platform/QtPrompter.h"
#include "ui/platform/QtSocketPort.h"
#include "ui/platform/QtTimers.h"

namespace vx {

class BBSEditorWindow;
class BoxEditor;
class DumpPicker;
class LogWindow;
class ScrollbackDebugWindow;
class StatusWindow;
class TransferWindow;
class MojiEditorWindow;
class ScreenDump;
class UrlListWindow;
class CfgForm;
struct CfgSaved;
class WebsiteWindow;
class ScreenWindow;
class TerminalWindow;
class WelcomeWindow;

// The desktop program: the core objects, the Qt adapters and the windows, wired together; the
// start-up in its order and the shutdown.
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

    MainFrame& frame() { return m_frame; }
    ScreenWindow& screenWindow() { return *m_screenWindow; }
    TerminalWindow& terminalWindow() { return *m_terminalWindow; }
    WelcomeWindow* welcomeWindow() { return m_welcome.get(); }
    // The configuration editor, made on first use.
    CfgForm* configurationEditor() { return m_cfgForm; }
    // The BBS editor: its core and its window (made on first use).
    BBSEditor& bbsEditor() { return *m_editor; }
    BBSEditorWindow* bbsEditorWindow() { return m_editorWindow; }
    WebsiteWindow* websiteWindow() { return m_websiteWindow; }
    BoxEditor& boxEditor() { return *m_boxEditor; }
    // "Last 10 URLs", made on first use.
    UrlListWindow* urlListWindow() { return m_urlWindow; }
    void showUrlList();
    // VXEditor, made on first use.
    MojiEditorWindow* mojiEditorWindow() { return m_mojiWindow; }
    void showMojiEditor();
    // "Pick BMP to view", made on first use.
    DumpPicker* dumpPicker() { return m_picker; }
    ScreenDump& screenDump() { return *m_dump; }
    // A picture file shown on the screen window; false when it could not be read.
    bool viewPicture(const QString& path);
    // Print Screen: the print dialog, then the page.
    void printScreen();
    // The status window, made on first use.
    StatusWindow* statusWindow() { return m_statusWindow; }
    void showStatusWindow();
    // The file-transfer window, opened for a download or an upload.
    void openTransferWindow(bool upload);
    TransferWindow* transferWindow() { return m_transferWindow; }
    // The log viewer (made fresh each time): the log, or the time-online report.
    LogWindow* logWindow();
    void openLogViewer();
    void openTimeOnlineReport();
    ScrollbackDebugWindow* debugWindow() { return m_debugWindow; }
    // Opens the BBS editor on the record selected in the terminal (or record 1).
    enum class EditorKeys { TakeThem, StayWithScreen };
    void openBBSEditor(EditorKeys keys = EditorKeys::TakeThem);
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
    // After the shutdown: the socket closed, then the event loop left.
    void quit();
    // ScreenListener
    void bell() override { m_sound.beep(); }
    void cleared() override;

    void loadFrame();
    void afterStartup(bool ok);
    void wireSession();
    void wireToolbar();
    void switchColumns(bool mode80);
    void refreshAll();
    void titleTick();
    void refocusScreen();
    // After a button in the dump picker, the transfer window or the URL list, which may be
    // closing and no longer the active window: the frame is asked for in any case.
    void keysBackToScreen();
    void openConfiguration();
    void applyHistorySetting();
    void configurationSaved(const CfgSaved& saved);
    void makeBBSEditor();
    BBSEditorWindow& editorWindow();
    void placeBBSEditor();
    void bbsEditorClosed(std::optional<std::string> connectTo);
    void showWebsite(const std::string& name, const std::string& website);
    void importBBSList();
    void exportBBSList();
    void openRawListEditor();
    void saveWindowPositions();
    void wireBox();
    void boxChanged();
    void focusBox();
    UrlListWindow& urlWindow();
    void setUrlDetection(bool on, bool hideWhenOff);
    void wireMojiEditor();
    MojiEditorWindow& mojiWindow();
    void openMojiFile();
    void showDumpPicker();
    void copyScreenText();
    StatusWindow& statusWindowMade();
    void centreOverFrame(QWidget& window) const;
    void showDebugWindow();

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
    bool m_boxShownOpen = false;
    UrlListWindow* m_urlWindow = nullptr;
    MojiEditorWindow* m_mojiWindow = nullptr;
    DumpPicker* m_picker = nullptr;
    std::unique_ptr<ScreenDump> m_dump;
    StatusWindow* m_statusWindow = nullptr;
    TransferWindow* m_transferWindow = nullptr;
    QPointer<LogWindow> m_logWindow;
    ScrollbackDebugWindow* m_debugWindow = nullptr;
    std::unique_ptr<TerminalSession> m_session;
    std::unique_ptr<BrowserLauncher> m_browser;
    std::unique_ptr<Startup> m_startup;
    ScreenWindow* m_screenWindow = nullptr;
    TerminalWindow* m_terminalWindow = nullptr;
    std::unique_ptr<WelcomeWindow> m_welcome;
    CfgForm* m_cfgForm = nullptr;
    bool m_loggedIn = false;  // the program password was given: hidden macros may be shown
    std::unique_ptr<BBSEditor> m_editor;
    BBSEditorWindow* m_editorWindow = nullptr;
    WebsiteWindow* m_websiteWindow = nullptr;
    TitleHints m_hints;
    QTimer m_titleTimer;
    enum class LinkState { Idle, Connecting, Connected };
    LinkState m_link = LinkState::Idle;
    bool m_started = false;
    bool m_shutDown = false;
};

}  // namespace vx
