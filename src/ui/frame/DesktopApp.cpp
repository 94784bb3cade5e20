#include "ui/frame/DesktopApp.h"

#include <QCoreApplication>
#include <filesystem>

#include "config/CfgEditor.h"
#include "config/WindowPositions.h"
#include "tools/MojiFiles.h"
#include "ui/config/CfgForm.h"
#include "ui/frame/WelcomeWindow.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/TerminalWindow.h"

namespace vx {
namespace {

constexpr int kFrameTopPx = 1530 / MainFrame::kTwipsPerPixel;

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The places the configuration keeps, for the windows this program has so far: the main frame.
// The other windows answer 0 and are not moved until they exist.
class FrameGeometry : public WindowGeometry {
public:
    explicit FrameGeometry(MainFrame& frame) : m_frame(frame) {}
    int top(PlacedWindow window) override {
        return window == PlacedWindow::MainFrame ? m_frame.y() * MainFrame::kTwipsPerPixel : 0;
    }
    int left(PlacedWindow window) override {
        return window == PlacedWindow::MainFrame ? m_frame.x() * MainFrame::kTwipsPerPixel : 0;
    }
    void setTop(PlacedWindow window, int twips) override {
        if (window == PlacedWindow::MainFrame) m_frame.move(m_frame.x(), twips / MainFrame::kTwipsPerPixel);
    }
    void setLeft(PlacedWindow window, int twips) override {
        if (window == PlacedWindow::MainFrame) m_frame.move(twips / MainFrame::kTwipsPerPixel, m_frame.y());
    }

private:
    MainFrame& m_frame;
};

}  // namespace

DesktopApp::DesktopApp(Options options)
    : m_options(std::move(options)),
      m_paths{m_options.systemFolder},
      m_prompter(m_options.prompter ? *m_options.prompter : m_qtPrompter),
      m_log(m_clock, m_paths.systemFolder),
      m_status(m_frame, m_log),
      m_list(m_store, m_prompter, m_clock, m_paths.bbsListFile()) {
    m_qtPrompter.setParent(&m_frame);
    m_screen.setListener(this);
    m_session = std::make_unique<TerminalSession>(
        TerminalSession::Ports{m_socket, m_timers, m_clock, m_prompter, m_sound, m_held, m_held}, m_status, m_config,
        m_list, m_screen);
    m_browser = std::make_unique<BrowserLauncher>(m_config, m_shell, m_prompter, m_status);
    m_startup = std::make_unique<Startup>(Startup::Services{m_paths, m_store, m_prompter, m_clock, m_scrambler,
                                                            m_status, m_config, m_list, [this] {
                                                                m_browser->OpenHelpPage(m_options.programFolder);
                                                            }});

    m_screenWindow = new ScreenWindow(m_surface, m_session->keyboard(), m_session->capture());
    m_terminalWindow = new TerminalWindow(*m_session, m_list, m_config, m_screen);
    m_frame.setWindows(m_screenWindow, m_terminalWindow);
    m_frame.setOnClose([this] { shutdown(); });
    m_titleTimer.setInterval(TitleHints::kTickMs);
    connect(&m_titleTimer, &QTimer::timeout, this, [this] { titleTick(); });
    wireSession();
    wireToolbar();
}

DesktopApp::~DesktopApp() {
    m_screen.setListener(nullptr);
    m_session->capture().setOnChanged({});
    m_session->capture().setOnViewerFinished({});
}

void DesktopApp::wireSession() {
    m_session->connection().setHooks(Connection::Hooks{
        [this] { refreshAll(); },
        [this] { m_screenWindow->surfaceChanged(); },
        [this](bool mode80) { switchColumns(mode80); },
        [this](int) { m_terminalWindow->refresh(); },
        [this] { m_terminalWindow->refresh(); },
        {},
    });
    m_session->capture().setOnChanged([this] {
        m_screenWindow->refreshCapture();
        m_terminalWindow->refresh();
    });
    m_session->capture().setOnViewerFinished([this] { refocusScreen(); });
    m_screenWindow->setActions(ScreenWindow::Actions{{}, {}, {}, [this] { m_screenWindow->surfaceChanged(); },
                                                     [this] {
                                                         m_config.DetectURLs = !m_config.DetectURLs;
                                                         refreshAll();
                                                     }});
    m_terminalWindow->setActions(TerminalWindow::Actions{
        [this] { shutdown(); }, [this] { refocusScreen(); }, [this] { m_screenWindow->surfaceChanged(); }});
}

void DesktopApp::wireToolbar() {
    m_frame.setToolAction("tbCONNECT", [this] { m_session->connection().connectButton(); });
    m_frame.setToolAction("tbDISCONNECT", [this] { m_session->connection().disconnectButton(); });
    m_frame.setToolAction("tbEXIT", [this] { shutdown(); });
    m_frame.setToolAction("tbBAUDSIM", [this] {
        m_session->toggleBaudSim();
        refocusScreen();
    });
    m_frame.setToolAction("tbSTAYALIVE", [this] {
        m_session->toggleStayAlive();
        refocusScreen();
    });
    m_frame.setToolAction("tbCLRSCREEN", [this] {
        m_screen.ScreenHandler(ScreenInterpreter::kClearScreen);
        m_screenWindow->surfaceChanged();
        refocusScreen();
    });
    m_frame.setToolAction("tb80", [this] { m_session->connection().switchColumns(m_screen.state().ColumnCount != 80); });
    m_frame.setToolAction("tbEDITCFG", [this] { openConfiguration(); });
    m_frame.setToolAction("tbHELP", [this] { m_browser->OpenHelpPage(m_options.programFolder); });
    m_frame.setToolAction("tbBROWSE", [this] {
        if (m_session->connection().website().empty())
            m_prompter.message("No website for this BBS.", "", MessageIcon::Information);
    });
    // tbSND and tbREC do nothing; the other keys open windows that come with later tools.
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
        if (m_options.quit) m_options.quit();
        else QCoreApplication::exit(1);
        return;
    }
    m_started = true;
    // The first board is picked, so Connect dials something without a detour through the list.
    if (!m_list.entries().empty()) m_session->connection().selectBBS(0);
    m_terminalWindow->fillBBSList();
    m_terminalWindow->applyScrollbackSetting();
    m_terminalWindow->setLogIndicator(m_config.SysLog && std::filesystem::exists(m_paths.logFile()));
    m_session->capture().reloadSettings();
    switchColumns(false);
    m_frame.show();
    m_frame.centreOnScreen(kFrameTopPx);
    if (m_config.DATAwritten) {
        FrameGeometry geometry(m_frame);
        WindowPositions(m_store, geometry).SaveRestorePositions(false, m_paths.configFile(), m_config.DATAwritten);
    }
    refocusScreen();
    // The first hint comes after one interval, like every later one.
    if (m_config.TitleBarMsg) m_titleTimer.start();
    m_status.ShowStatus("Not Connected...", false, false);
    refreshAll();
    if (m_options.host) m_session->connection().dialAddress(*m_options.host, m_options.port);
}

void DesktopApp::cleared() {
    if (m_screenWindow) m_screenWindow->hideStartupPicture();
}

void DesktopApp::switchColumns(bool mode80) {
    const int columns = mode80 ? 80 : 40;
    m_screenWindow->setColumns(columns, m_frame.availableWidth());
    m_frame.setColumns(columns, m_screenWindow->width());
    if (m_frame.isVisible()) m_frame.centreOnScreen(m_frame.y());
    m_screenWindow->surfaceChanged();
}

void DesktopApp::refreshAll() {
    const Connection& connection = m_session->connection();
    m_frame.setToolEnabled("tbCONNECT", connection.connectEnabled());
    m_frame.setToolEnabled("tbDISCONNECT", connection.disconnectEnabled());
    // Dialling (by any way: button, toolbar, AutoNext, command line) and the connection coming
    // up (which disables the board list) give the keys to the screen, so a login typed at the
    // board's first prompt reaches the board.
    const LinkState link = connection.connected()    ? LinkState::Connected
                           : connection.connecting() ? LinkState::Connecting
                                                     : LinkState::Idle;
    if (link != m_link) {
        m_link = link;
        if (link != LinkState::Idle) refocusScreen();
    }
    m_terminalWindow->refresh();
    m_screenWindow->setUrlDetectionChecked(m_config.DetectURLs);
    const std::string& caption = m_session->connection().frameCaption();
    if (!m_config.TitleBarMsg && !caption.empty()) m_frame.setWindowTitle(latin1(caption));
}

void DesktopApp::titleTick() { m_frame.setWindowTitle(latin1(m_hints.tick(m_random))); }

void DesktopApp::refocusScreen() { m_screenWindow->screen()->setFocus(); }

void DesktopApp::openConfiguration() {
    if (!m_cfgForm) {
        m_cfgForm = new CfgForm(
            CfgForm::Services{m_config, m_store, m_paths.configFile(), m_scrambler, m_prompter,
                              [this] { CreateSystemMojis(m_config.MojisDumpPath, m_status); },
                              [this](const CfgSaved& saved) { configurationSaved(saved); },
                              [this] { shutdown(); }},
            &m_frame);
    }
    m_cfgForm->open();
}

void DesktopApp::configurationSaved(const CfgSaved& saved) {
    m_terminalWindow->applyScrollbackSetting();
    m_session->capture().reloadSettings();
    if (m_config.TitleBarMsg && !m_titleTimer.isActive()) m_titleTimer.start();
    if (!m_config.TitleBarMsg) m_titleTimer.stop();
    // The log follows the switch for the rest of the run, off as well as on.
    m_status.setSysLog(m_config.SysLog);
    if (saved.sysLogSwitchedOn) {
        m_status.ShowStatus(cfgedit::kSysLogEnabled, true, false);
        m_terminalWindow->setLogIndicator(true);
    } else if (!m_config.SysLog) {
        m_terminalWindow->setLogIndicator(false);
    }
    refreshAll();
}

void DesktopApp::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    if (m_started) {
        m_session->connection().hangUpForShutdown();
        m_startup->shutdown(m_session->connection().sessionChars());
    }
    m_socket.close();
    m_titleTimer.stop();
    if (m_options.quit) m_options.quit();
    else QCoreApplication::quit();
}

}  // namespace vx
