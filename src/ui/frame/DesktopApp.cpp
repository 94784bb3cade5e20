#include "ui/frame/DesktopApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <filesystem>

#include "config/WindowPositions.h"
#include "screen/ScreenColours.h"
#include "tools/ScreenDump.h"
#include "ui/dialogs/WebsiteWindow.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/frame/DesktopTools.h"
#include "ui/frame/DesktopWiring.h"
#include "ui/frame/WelcomeWindow.h"
#include "ui/log/LogWindow.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/WindowPlacement.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/StatusWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/terminal/TransferWindow.h"
#include "ui/tools/DumpPicker.h"
#include "ui/tools/ScrollbackDebugWindow.h"
#include "ui/tools/UrlListWindow.h"

namespace vx {
namespace {

constexpr int kFrameTopPx = 1530 / MainFrame::kTwipsPerPixel;

using Tool = ToolWindows::Tool;

}  // namespace

DesktopApp::DesktopApp(Options options)
    : m_options(std::move(options)),
      m_paths{m_options.systemFolder},
      m_prompter(m_options.prompter ? *m_options.prompter : m_qtPrompter),
      m_log(m_clock, m_paths.systemFolder),
      m_status(m_frame, m_log),
      m_list(m_store, m_prompter, m_clock, m_paths.bbsListFile()),
      m_keys(m_frame, KeyFocus::Places{.screen = [this]() -> QWidget* {
                                           return m_screenWindow ? m_screenWindow->screen() : nullptr;
                                       },
                                       .box = [this]() -> QWidget* { return m_boxEditor; }}),
      m_tools(m_frame, m_keys) {
    // Messages and questions open on the window the user is in.
    m_qtPrompter.setParent(&m_frame);
    m_qtPrompter.setParentChooser([this] { return m_keys.dialogParent(); });
    // Said once for a run of lost lines (a full disk would lose every one of them); the program
    // goes on without its log until a line can be written again.
    m_log.setOnWriteFailed([this](const std::string& reason) {
        m_prompter.message("The system log could not be written:\r" + m_log.path() + "\r\r" + reason, "",
                           MessageIcon::Exclamation);
    });
    m_screen.setListener(this);
    // The Box's editor comes first: the session writes into it (scrollback, clipboard).
    m_boxEditor = new BoxEditor;
    m_session = std::make_unique<TerminalSession>(
        TerminalSession::Ports{m_socket, m_timers, m_clock, m_prompter, m_sound, *m_boxEditor, m_clipboard}, m_status,
        m_config, m_list, m_screen);
    m_browser = std::make_unique<BrowserLauncher>(m_config, m_shell, m_prompter, m_status);
    m_dump = std::make_unique<ScreenDump>(m_prompter, m_clock, m_config, m_surface,
                                          [this] { return m_screen.state().ColumnCount; });
    m_startup = std::make_unique<Startup>(
        Startup::Services{m_paths, m_store, m_prompter, m_clock, m_scrambler, m_status, m_config, m_list,
                          [this] { m_browser->OpenHelpPage(m_options.programFolder); }});

    m_screenWindow = new ScreenWindow(m_surface, m_session->keyboard(), m_session->capture());
    m_screen.setHistory(&m_history);
    m_screenWindow->setHistoryView(&m_historyView, [this] { return m_screen.state().ColumnCount; });
    m_terminalWindow = new TerminalWindow(*m_session, m_list, m_config, m_screen, *m_boxEditor);
    m_frame.setWindows(m_screenWindow, m_terminalWindow);
    m_frame.setOnClose([this] { shutdown(); });
    m_titleTimer.setInterval(TitleHints::kTickMs);
    connect(&m_titleTimer, &QTimer::timeout, this, [this] { titleTick(); });
    m_toolsWiring = std::make_unique<DesktopTools>(*this);
    m_wiring = std::make_unique<DesktopWiring>(*this);
}

DesktopApp::~DesktopApp() { m_screen.setListener(nullptr); }

BBSEditorWindow* DesktopApp::bbsEditorWindow() { return m_tools.find<BBSEditorWindow>(Tool::BBSEditor); }
WebsiteWindow* DesktopApp::websiteWindow() { return m_tools.find<WebsiteWindow>(Tool::Website); }
UrlListWindow* DesktopApp::urlListWindow() { return m_tools.find<UrlListWindow>(Tool::UrlList); }
MojiEditorWindow* DesktopApp::mojiEditorWindow() { return m_tools.find<MojiEditorWindow>(Tool::VXEditor); }
DumpPicker* DesktopApp::dumpPicker() { return m_tools.find<DumpPicker>(Tool::DumpPicker); }
StatusWindow* DesktopApp::statusWindow() { return m_tools.find<StatusWindow>(Tool::Status); }
TransferWindow* DesktopApp::transferWindow() { return m_tools.find<TransferWindow>(Tool::Transfer); }
LogWindow* DesktopApp::logWindow() { return m_tools.find<LogWindow>(Tool::LogViewer); }
ScrollbackDebugWindow* DesktopApp::debugWindow() { return m_tools.find<ScrollbackDebugWindow>(Tool::Debug); }

void DesktopApp::showUrlList() { m_tools.show(Tool::UrlList); }
void DesktopApp::showMojiEditor() { m_tools.show(Tool::VXEditor); }
void DesktopApp::showStatusWindow() { m_tools.show(Tool::Status); }
void DesktopApp::openTransferWindow(bool upload) { m_toolsWiring->openTransferWindow(upload); }
void DesktopApp::openLogViewer() { m_toolsWiring->openLog(false); }
void DesktopApp::openTimeOnlineReport() { m_toolsWiring->openLog(true); }
bool DesktopApp::viewPicture(const QString& path) { return m_toolsWiring->viewPicture(path); }
void DesktopApp::printScreen() { m_toolsWiring->printScreen(); }

void DesktopApp::openBBSEditor(EditorKeys keys) {
    m_tools.show(Tool::BBSEditor, keys == EditorKeys::TakeThem ? ToolWindows::Keys::Take : ToolWindows::Keys::Leave);
}

void DesktopApp::start() {
    if (m_options.showWelcome && !m_options.host) {
        m_welcome = std::make_unique<WelcomeWindow>([this] { loadFrame(); });
        m_welcome->show();
        return;
    }
    loadFrame();
}

void DesktopApp::loadFrame() {
    m_frame.setPanelText("pnlAPPINFO", Startup::appInfoText(), false);
    m_session->start();
    m_startup->run([this](bool ok) { afterStartup(ok); });
}

void DesktopApp::afterStartup(bool ok) {
    if (!ok) {
        m_shutDown = true;  // nothing was started that needs saving
        if (m_options.quit)
            m_options.quit();
        else
            QCoreApplication::exit(1);
        return;
    }
    m_started = true;
    // The first board is picked, so Connect dials something without a detour through the list.
    if (!m_list.entries().empty()) m_session->connection().selectBBS(0);
    m_terminalWindow->fillBBSList();
    m_terminalWindow->applyScrollbackSetting();
    m_wiring->applyHistorySetting();
    m_terminalWindow->setLogIndicator(m_config.SysLog && std::filesystem::exists(m_paths.logFile()));
    m_session->capture().reloadSettings();
    m_session->box().setOpen(m_config.UseTW);
    applyScreenSettings();
    switchColumns(false);
    m_frame.setBoxOpen(m_session->box().open());
    // The frame's place is given before it is shown, so that the window manager puts the frame
    // the user sees there: the saved place, else centred with its top at 1530 twips.
    if (m_config.DATAwritten)
        restoreWindowPositions();
    else
        m_tools.placeFrameAt(m_frame.centredPlace(kFrameTopPx));
    m_tools.showFrame([this] { frameFramed(); });
    // The first hint comes after one interval, like every later one.
    if (m_config.TitleBarMsg) m_titleTimer.start();
    m_status.ShowStatus("Not Connected...", false, false);
    refreshAll();
    if (m_options.host) m_session->connection().dialAddress(*m_options.host, m_options.port, m_options.protocol);
}

std::vector<ToolWindows::Tool> DesktopApp::windowsAtStart() const {
    // In order of importance: what does not fit beside the frame opens when asked for.
    std::vector<Tool> tools;
    if (m_startup->firstRun() || m_config.UseBBSEditor) tools.push_back(Tool::BBSEditor);
    if (m_config.DetectURLs) tools.push_back(Tool::UrlList);
    if (m_config.AutoLoadStatus) tools.push_back(Tool::Status);
    if (m_config.AutoVXE) tools.push_back(Tool::VXEditor);
    return tools;
}

void DesktopApp::frameFramed() {
    // Now that its title bar is known, the frame's height leaves room for it on a low screen.
    m_frame.setBoxOpen(m_session->box().open());
    keepOnScreen(m_frame);
    const std::vector<Tool> wanted = windowsAtStart();
    // A board named on the command line is being called: its login prompt gets the keys, the
    // list only stands beside. Otherwise a list opened at start is there to be used.
    std::optional<Tool> withKeys;
    if (!m_options.host && !wanted.empty() && wanted.front() == Tool::BBSEditor) withKeys = Tool::BBSEditor;
    if (m_config.DATAwritten) {
        for (Tool tool : wanted)
            m_tools.show(tool, tool == withKeys ? ToolWindows::Keys::Take : ToolWindows::Keys::Leave);
    } else {
        m_tools.openBesideFrame(wanted, withKeys);
    }
    const QWidget* editor = bbsEditorWindow();
    if (!withKeys || !editor || !editor->isVisible()) m_keys.after(KeyFocus::Moment::StartedWithBoard);
}

void DesktopApp::cleared() {
    if (m_screenWindow) m_screenWindow->hideStartupPicture();
}

void DesktopApp::layOutScreen() {
    const int columns = m_columns;
    const QScreen* monitor = m_frame.screen();
    if (m_frame.isFullScreenMode()) {
        m_screenWindow->layOut(columns, monitor ? monitor->geometry().size() : QSize());
        return;
    }
    // 1x and 2x only narrow to the screen's width, as the frame always did; larger zooms also
    // leave the frame's other parts their room below, so the frame never runs off the screen.
    int height = 0;
    if ((m_config.ScreenZoom < 1 || m_config.ScreenZoom > 2) && monitor) {
        const int others = m_frame.minimumSizeHint().height() - m_screenWindow->screen()->height();
        const int frameEdges = m_frame.frameGeometry().height() - m_frame.height();
        height = std::max(1, monitor->availableGeometry().height() - frameEdges - others);
    }
    m_screenWindow->layOut(columns, {m_frame.availableWidth(), height});
    m_frame.setColumns(columns, m_screenWindow->width());
    m_frame.setScreenGrowth(m_screenWindow->screen()->height() - Framebuffer::kHeight);
    if (m_frame.isVisible()) m_frame.setBoxOpen(m_session->box().open());
}

void DesktopApp::applyScreenSettings() {
    const ScreenColours& colours = screenColours(m_config.ScreenColours);
    m_screenWindow->screen()->setColours(0xFF000000 | colours.ink, 0xFF000000 | colours.paper);
    const int zoom = m_config.ScreenZoom >= ScreenWidget::kFit && m_config.ScreenZoom <= ScreenWidget::kMaxZoom
                         ? m_config.ScreenZoom
                         : 2;
    // Full screen keeps the largest zoom that fits; the chosen one comes back when it is left.
    if (!m_frame.isFullScreenMode()) m_screenWindow->screen()->setZoom(zoom);
    m_screenWindow->setZoomChecked(zoom);
}

void DesktopApp::setZoom(int zoom) {
    m_config.ScreenZoom = static_cast<std::int16_t>(zoom);
    const int saved =
        m_started ? m_store.WriteSettingValue(m_paths.configFile(), "Config", "ScreenZoom", "S", std::to_string(zoom))
                  : SettingsStore::kOk;
    applyScreenSettings();
    const int widthBefore = m_frame.width();
    layOutScreen();
    if (m_frame.isVisible() && !m_frame.isFullScreenMode()) {
        if (m_frame.width() != widthBefore) m_frame.centreOnScreen(m_frame.y());
        m_frame.keepOnScreenWhenResized();  // a higher screen may push the frame's foot off the screen
    }
    m_screenWindow->surfaceChanged();
    // The zoom still changes when it cannot be kept; the status line tells it will not be there at
    // the next start.
    if (saved != SettingsStore::kOk)
        m_status.ShowStatus("Zoom not saved: " + SettingsStore::statusText(saved), true, false);
    else if (m_started && !m_frame.isFullScreenMode())
        tellZoomShown(zoom);
}

// The screen may not have room for the zoom asked for (the frame's other parts need theirs):
// the status line says what is shown, so a zoom key never seems to do nothing.
void DesktopApp::tellZoomShown(int asked) {
    const double shown = 2 * m_screenWindow->screen()->pixelScale();  // logical pixels per Atari pixel
    char text[16];
    std::snprintf(text, sizeof text, "%.3gx", shown);
    if (asked == ScreenWidget::kFit)
        m_status.ShowStatus(std::string("Zoom: fit, ") + text, true, false);
    else if (shown + 0.01 < asked)
        m_status.ShowStatus("Zoom " + std::to_string(asked) + "x does not fit here: shown at " + text, true, false);
    else
        m_status.ShowStatus(std::string("Zoom: ") + text, true, false);
}

void DesktopApp::setFullScreen(bool on) {
    if (on == m_frame.isFullScreenMode()) return;
    if (on) {
        m_placeBeforeFullScreen = m_frame.frameGeometry().topLeft();
        m_decoratedBeforeFullScreen = m_frame.frameGeometry().size() != m_frame.geometry().size();
    }
    m_screenWindow->setFullScreen(on);
    m_frame.setFullScreen(on);
    m_frame.toolButton("tbFULL")->setChecked(on);
    // Full screen shows the largest whole zoom that fits; leaving brings the chosen one back.
    if (on)
        m_screenWindow->screen()->setZoom(ScreenWidget::kFit);
    else
        applyScreenSettings();
    layOutScreen();
    if (!on) {
        m_frame.setBoxOpen(m_session->box().open());
        restorePlaceAfterFullScreen(50);
    }
    m_keys.after(KeyFocus::Moment::FrameButton);
}

void DesktopApp::restorePlaceAfterFullScreen(int triesLeft) {
    // The frame goes back to its place once the window manager has put its decorations back
    // (until then Qt takes the frame to be the inside, and a move would land off by the title bar).
    QTimer::singleShot(20, &m_frame, [this, triesLeft] {
        if (m_frame.isFullScreenMode()) return;
        // A frame the window system never decorated is waited for no longer.
        const bool framed = !m_decoratedBeforeFullScreen || m_frame.frameGeometry().size() != m_frame.geometry().size();
        if (!framed && triesLeft > 0) {
            restorePlaceAfterFullScreen(triesLeft - 1);
            return;
        }
        m_frame.setBoxOpen(m_session->box().open());
        m_frame.move(m_placeBeforeFullScreen);
        keepOnScreen(m_frame);
    });
}

void DesktopApp::toggleTerminalOverScreen() {
    if (!m_frame.isFullScreenMode()) return;
    const bool shown = !m_frame.terminalOverScreen();
    m_frame.setTerminalOverScreen(shown);
    if (shown)
        m_terminalWindow->setFocus();
    else
        m_keys.after(KeyFocus::Moment::FrameButton);
}

void DesktopApp::switchColumns(bool mode80) {
    m_columns = mode80 ? 80 : 40;
    const int widthBefore = m_frame.width();
    layOutScreen();
    // Every dial sets the board's columns: only a frame that really grew or shrank is centred
    // again, so the place the user gave it stays.
    if (m_frame.width() == widthBefore) {
        m_screenWindow->surfaceChanged();
        return;
    }
    if (m_frame.isVisible()) m_frame.centreOnScreen(m_frame.y());
    // As long as no places were saved, the list stands beside the frame as it grows and shrinks.
    if (m_config.UseBBSEditor && !m_config.DATAwritten) m_tools.placeAgain(Tool::BBSEditor);
    m_screenWindow->surfaceChanged();
}

void DesktopApp::refreshAll() {
    const Connection& connection = m_session->connection();
    m_frame.setToolEnabled("tbCONNECT", connection.connectEnabled());
    m_frame.setToolEnabled("tbDISCONNECT", connection.disconnectEnabled());
    const LinkState link = connection.connected()    ? LinkState::Connected
                           : connection.connecting() ? LinkState::Connecting
                                                     : LinkState::Idle;
    if (link != m_link) {
        m_link = link;
        m_keys.after(link == LinkState::Idle ? KeyFocus::Moment::CallEnded : KeyFocus::Moment::CallComingUp);
        m_editor->setConnected(link == LinkState::Connected);
    }
    m_terminalWindow->refresh();
    m_toolsWiring->refreshOnlineMarks();
    m_screenWindow->setUrlDetectionChecked(m_config.DetectURLs);
    const std::string& caption = m_session->connection().frameCaption();
    if (!m_config.TitleBarMsg && !caption.empty()) m_frame.setWindowTitle(qtText(caption));
}

void DesktopApp::titleTick() { m_frame.setWindowTitle(qtText(m_hints.tick(m_random))); }

void DesktopApp::saveWindowPositions() {
    const int status =
        WindowPositions(m_store, m_tools).SaveRestorePositions(true, m_paths.configFile(), m_config.DATAwritten);
    if (status != SettingsStore::kOk) {
        m_prompter.message(
            ConfigFile::writeFailureMessage(m_paths.configFile(), status, "The window positions were not saved."), "",
            MessageIcon::Exclamation);
        return;
    }
    m_status.ShowStatus("Window positions saved", true, false);
}

void DesktopApp::restoreWindowPositions() {
    WindowPositions(m_store, m_tools).SaveRestorePositions(false, m_paths.configFile(), m_config.DATAwritten);
}

void DesktopApp::callFromElsewhere(std::optional<std::string> host, int port, const std::string& protocol) {
    if (!m_started) {
        // Still starting (the welcome window, the first run's questions): the board is called
        // once the start-up is done, as if it had been named on the command line.
        if (host) {
            m_options.host = host;
            m_options.port = port;
            m_options.protocol = protocol;
        }
        if (m_welcome && m_welcome->isVisible()) m_welcome->raise();
        return;
    }
    m_frame.showNormal();
    m_frame.raise();
    m_keys.after(KeyFocus::Moment::Summoned);
    if (!host) return;
    Connection& connection = m_session->connection();
    const std::string address = *host + ":" + std::to_string(port);
    const auto dial = [this, host = *host, port, protocol] {
        m_session->connection().dialAddress(host, port, protocol);
    };
    if (!connection.connected() && !connection.connecting()) {
        dial();
        return;
    }
    m_prompter.askYesNo("A call is up.  Hang up and call " + address + "?", "", MessageIcon::Question,
                        [this, dial](bool yes) {
                            if (!yes) return;
                            m_session->connection().disconnectButton();
                            dial();
                        });
}

void DesktopApp::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    // From here the program ends through quit(), after what the shutdown may still have to tell
    // the user: the main window closing must not end it first.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (m_started) {
        m_session->connection().hangUpForShutdown();
        m_startup->shutdown(m_session->connection().sessionChars(), [this] { quit(); });
        return;
    }
    quit();
}

void DesktopApp::quit() {
    m_socket.close();
    m_titleTimer.stop();
    if (m_options.quit)
        m_options.quit();
    else
        QCoreApplication::quit();
}

}  // namespace vx
