#include "ui/frame/DesktopApp.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <filesystem>

#include "config/CfgEditor.h"
#include "config/WindowPositions.h"
#include "directory/BBSCsv.h"
#include "screen/ScreenText.h"
#include "tools/MojiFiles.h"
#include "tools/ScreenDump.h"
#include "ui/config/CfgForm.h"
#include "ui/config/MoveWindows.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/WebsiteWindow.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/directory/LoginWindow.h"
#include "ui/directory/PortChooser.h"
#include "ui/directory/RawListEditor.h"
#include "ui/frame/WelcomeWindow.h"
#include "ui/log/LogWindow.h"
#include "ui/platform/WindowPlacement.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/BoxPanel.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/StatusWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/terminal/TransferWindow.h"
#include "ui/tools/DumpPicker.h"
#include "ui/tools/ScreenPrint.h"
#include "ui/tools/ScrollbackDebugWindow.h"
#include "ui/tools/UrlListWindow.h"

namespace vx {
namespace {

constexpr int kFrameTopPx = 1530 / MainFrame::kTwipsPerPixel;

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The places the configuration keeps, for the windows this program has so far: the main frame,
// the BBS editor and the URL list. The other windows answer 0 and are not moved until they exist.
class FrameGeometry : public WindowGeometry {
public:
    FrameGeometry(MainFrame& frame, std::function<QWidget*()> bbsEditor, std::function<QWidget*()> urlList,
                  std::function<QWidget*()> vxEditor, std::function<QWidget*()> status)
        : m_frame(frame),
          m_bbsEditor(std::move(bbsEditor)),
          m_urlList(std::move(urlList)),
          m_vxEditor(std::move(vxEditor)),
          m_status(std::move(status)) {}
    int top(PlacedWindow window) override {
        QWidget* w = widget(window);
        return w ? w->y() * MainFrame::kTwipsPerPixel : 0;
    }
    int left(PlacedWindow window) override {
        QWidget* w = widget(window);
        return w ? w->x() * MainFrame::kTwipsPerPixel : 0;
    }
    void setTop(PlacedWindow window, int twips) override {
        if (QWidget* w = widget(window)) w->move(w->x(), twips / MainFrame::kTwipsPerPixel);
    }
    void setLeft(PlacedWindow window, int twips) override {
        if (QWidget* w = widget(window)) w->move(twips / MainFrame::kTwipsPerPixel, w->y());
    }

private:
    QWidget* widget(PlacedWindow window) {
        switch (window) {
            case PlacedWindow::MainFrame:
                return &m_frame;
            case PlacedWindow::BBSEditor:
                return m_bbsEditor();
            case PlacedWindow::LastURLs:
                return m_urlList();
            case PlacedWindow::VXEditor:
                return m_vxEditor();
            case PlacedWindow::Status:
                return m_status();
            default:
                return nullptr;
        }
    }
    MainFrame& m_frame;
    std::function<QWidget*()> m_bbsEditor;
    std::function<QWidget*()> m_urlList;
    std::function<QWidget*()> m_vxEditor;
    std::function<QWidget*()> m_status;
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

    makeBBSEditor();
    m_screenWindow = new ScreenWindow(m_surface, m_session->keyboard(), m_session->capture());
    m_screen.setHistory(&m_history);
    m_screenWindow->setHistoryView(&m_historyView, [this] { return m_screen.state().ColumnCount; });
    m_terminalWindow = new TerminalWindow(*m_session, m_list, m_config, m_screen, *m_boxEditor);
    m_frame.setWindows(m_screenWindow, m_terminalWindow);
    m_frame.setOnClose([this] { shutdown(); });
    m_titleTimer.setInterval(TitleHints::kTickMs);
    connect(&m_titleTimer, &QTimer::timeout, this, [this] { titleTick(); });
    wireSession();
    wireBox();
    wireMojiEditor();
    wireToolbar();
}

DesktopApp::~DesktopApp() {
    m_screen.setListener(nullptr);
    m_session->capture().setOnChanged({});
    m_session->capture().setOnViewerFinished({});
    m_session->urls().setOnChanged({});
    m_session->box().setWindowHooks({}, {}, {});
    MojiEditor::Hooks& moji = m_session->moji().hooks();
    moji.changed = moji.showEditor = moji.refocusScreen = moji.screenChanged = moji.filesChanged = {};
    m_session->keyboard().setOnInverseChanged({});
    m_session->scrollback().setOnWritten({});
    m_session->transfers().setOnChange({});
}

void DesktopApp::wireSession() {
    m_session->connection().setHooks(Connection::Hooks{
        [this] { refreshAll(); },
        [this] { m_screenWindow->surfaceChanged(); },
        [this](bool mode80) { switchColumns(mode80); },
        [this](int) { m_terminalWindow->refresh(); },
        [this] {
            m_session->box().boardSelected(m_list.record());
            m_terminalWindow->refresh();
        },
        {},
    });
    m_session->capture().setOnChanged([this] {
        m_screenWindow->refreshCapture();
        m_terminalWindow->refresh();
    });
    m_session->capture().setOnViewerFinished([this] { refocusScreen(); });
    m_screenWindow->setActions(ScreenWindow::Actions{
        [this](DumpFormat format) { m_dump->save(format); }, [this] { openLogViewer(); },
        [this] { m_session->box().pasteToScreen(); }, [this] { m_screenWindow->surfaceChanged(); },
        [this] { setUrlDetection(!m_config.DetectURLs, false); }, [this] { copyScreenText(); },
        [this] {
            m_session->moji().setEcho(!m_session->moji().echo());
            m_screenWindow->setEchoChecked(m_session->moji().echo());
        },
        [this](bool upload) { openTransferWindow(upload); }});
    m_terminalWindow->setActions(TerminalWindow::Actions{
        [this] { shutdown(); }, [this] { refocusScreen(); }, [this] { m_screenWindow->surfaceChanged(); },
        [this] { openBBSEditor(); }, [this] { setUrlDetection(!m_config.DetectURLs, true); },
        [this] { openLogViewer(); }, [this] { showStatusWindow(); }});
    m_session->scrollback().setOnWritten([this] {
        if (m_debugWindow) m_debugWindow->ringWritten();
    });
    m_session->urls().setOnChanged([this] {
        if (m_urlWindow) m_urlWindow->refresh();
    });
}

void DesktopApp::wireBox() {
    m_session->box().setWindowHooks([this] { boxChanged(); }, [this] { focusBox(); }, [this] { refocusScreen(); });
    // Alt+T in The Box gives the keys back to the screen, whatever UseTW says.
    m_boxEditor->setOnAltT([this] { refocusScreen(); });
    m_session->keyboard().setFocusToBox([this] {
        m_session->box().setOpen(true);
        focusBox();
    });
}

void DesktopApp::wireMojiEditor() {
    MojiEditor::Hooks& hooks = m_session->moji().hooks();
    hooks.changed = [this] {
        if (m_mojiWindow) m_mojiWindow->refresh();
    };
    hooks.showEditor = [this] { showMojiEditor(); };
    hooks.refocusScreen = [this] { refocusScreen(); };
    hooks.screenChanged = [this] { m_screenWindow->surfaceChanged(); };
    hooks.filesChanged = [this] {
        if (m_mojiWindow) m_mojiWindow->refreshFiles();
    };
    hooks.toSignature = [this](char c) { m_editor->edit([c](BBSEditorFields& fields) { fields.signature += c; }); };
    m_session->keyboard().setOnInverseChanged([this](bool) {
        if (m_mojiWindow) m_mojiWindow->refresh();
    });
}

MojiEditorWindow& DesktopApp::mojiWindow() {
    if (!m_mojiWindow) {
        m_mojiWindow =
            new MojiEditorWindow(m_session->moji(),
                                 MojiEditorWindow::Actions{[this] { return m_session->connection().connected(); },
                                                           [this] { openMojiFile(); }},
                                 &m_frame);
        // Left of the main frame, level with its bottom (the URL list stands above it), until
        // window places are saved.
        if (!m_config.DATAwritten) {
            m_mojiWindow->adjustSize();
            const QRect frame = m_frame.frameGeometry();
            m_mojiWindow->move(frame.left() - m_mojiWindow->frameGeometry().width() - 1,
                               frame.bottom() - m_mojiWindow->frameGeometry().height());
        }
    }
    return *m_mojiWindow;
}

void DesktopApp::showMojiEditor() {
    MojiEditorWindow& window = mojiWindow();
    window.refreshFiles();
    window.refresh();
    window.show();
    keepOnScreen(window);
    window.raise();
}

void DesktopApp::openMojiFile() {
    auto* dialog = new QFileDialog(&mojiWindow(), "Open 'Moji or ATASCII screen",
                                   QString::fromLocal8Bit(m_config.ScreenDumpPath.c_str()),
                                   "'Mojis and ATASCII screens (*);;ATASCII screens (*.ata)");
    dialog->setObjectName("dlgOpenMoji");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& file) { m_session->moji().loadPath(file.toLocal8Bit().toStdString()); });
    dialog->open();
}

void DesktopApp::copyScreenText() {
    const ScreenCodes codes = readScreenCodes(m_surface, GlyphIndex(), m_screen.state().ColumnCount);
    const std::string text = formatScreenText(codes, false);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_status.ShowStatus("Screen copied as text", true, false);
}

bool DesktopApp::viewPicture(const QString& path) {
    QImage picture(path);
    if (picture.isNull()) return false;
    const int width = std::min(picture.width(), Framebuffer::kWidth);
    const int height = std::min(picture.height(), Framebuffer::kHeight);
    const int stride = (width + 7) / 8;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (qGray(picture.pixel(x, y)) >= 128)
                bits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    m_surface.paintPicture(bits, width, height, 0, 0);
    m_screenWindow->surfaceChanged();
    return true;
}

void DesktopApp::showDumpPicker() {
    if (!m_picker) {
        m_picker = new DumpPicker(m_prompter, m_status,
                                  DumpPicker::Actions{[this](const QString& path) { return viewPicture(path); },
                                                      [this] { keysBackToScreen(); }},
                                  &m_frame);
        // Beside the terminal window, to the right of the frame.
        m_picker->move(m_frame.frameGeometry().right() + 1, m_frame.y() + m_screenWindow->height());
    }
    m_picker->showFolder(QString::fromLocal8Bit(m_config.ScreenDumpPath.c_str()));
    m_picker->show();
    keepOnScreen(*m_picker);
    m_picker->raise();
}

void DesktopApp::printScreen() {
    if (m_screen.state().ColumnCount == 80) {
        m_prompter.message("80 column mode printing not supported!", "", MessageIcon::Information);
        return;
    }
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), &m_frame);
    dialog->setObjectName("dlgPrint");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, qOverload<>(&QDialog::accepted), this, [this, printer] {
        if (!vx::printScreen(m_surface, m_screen.state().ColumnCount, *printer))
            m_prompter.message("The printer could not be started.", "Print Screen", MessageIcon::Exclamation);
        refocusScreen();
    });
    dialog->open();
}

StatusWindow& DesktopApp::statusWindowMade() {
    if (!m_statusWindow) {
        m_statusWindow = new StatusWindow(
            m_session->callStatus(), m_session->connection(), m_status,
            StatusWindow::Actions{[this] { openLogViewer(); }, [this] { return m_status.log().exists(); }}, &m_frame);
        // Beside the frame's top, 19605 twips from the left, until window places are saved.
        if (!m_config.DATAwritten) m_statusWindow->move(19605 / MainFrame::kTwipsPerPixel, m_frame.y());
    }
    return *m_statusWindow;
}

void DesktopApp::openTransferWindow(bool upload) {
    if (!m_transferWindow) {
        m_transferWindow = new TransferWindow(m_session->transfers(),
                                              TransferWindow::Actions{[this] { keysBackToScreen(); }}, &m_frame);
        m_session->transfers().setOnChange([this] { m_transferWindow->transferChanged(); });
        centreOverFrame(*m_transferWindow);
    }
    m_transferWindow->openFor(upload);
}

void DesktopApp::showStatusWindow() {
    StatusWindow& window = statusWindowMade();
    window.refresh();
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    keepOnScreen(window);
}

LogWindow* DesktopApp::logWindow() { return m_logWindow; }

void DesktopApp::centreOverFrame(QWidget& window) const {
    window.adjustSize();
    window.move(m_frame.frameGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
}

void DesktopApp::openLogViewer() {
    if (!m_status.log().exists()) {
        m_prompter.message("File not found: \r\n" + m_status.log().path(), "", MessageIcon::None);
        return;
    }
    // Made fresh each time, so it always starts from the file as it is.
    if (m_logWindow) m_logWindow->close();
    m_logWindow = new LogWindow(LogWindow::Services{m_status.log(), m_status, m_prompter, m_list, m_paths.systemFolder,
                                                    [this] { m_terminalWindow->setViewLogVisible(false); }},
                                LogWindow::Layout::Log, &m_frame);
    centreOverFrame(*m_logWindow);
    m_logWindow->show();
    keepOnScreen(*m_logWindow);
    m_logWindow->raise();
}

void DesktopApp::openTimeOnlineReport() {
    if (m_logWindow) m_logWindow->close();
    m_logWindow =
        new LogWindow(LogWindow::Services{m_status.log(), m_status, m_prompter, m_list, m_paths.systemFolder, {}},
                      LogWindow::Layout::Report, &m_frame);
    centreOverFrame(*m_logWindow);
    m_logWindow->show();
    keepOnScreen(*m_logWindow);
    m_logWindow->raise();
}

void DesktopApp::showDebugWindow() {
    if (!m_debugWindow) m_debugWindow = new ScrollbackDebugWindow(m_session->scrollback(), &m_frame);
    m_debugWindow->refresh();
    m_debugWindow->show();
    keepOnScreen(*m_debugWindow);
    m_debugWindow->raise();
}

void DesktopApp::boxChanged() {
    // Hiding The Box would pass its keys on to the next field; they go back to the screen.
    const bool boxHadKeys = m_boxEditor->hasFocus();
    m_terminalWindow->refresh();
    const bool open = m_session->box().open();
    if (open == m_boxShownOpen) return;
    m_boxShownOpen = open;
    m_frame.setBoxOpen(open);
    if (m_frame.isVisible()) m_frame.centreOnScreen(m_frame.y());
    if (!open && boxHadKeys) refocusScreen();
}

void DesktopApp::focusBox() {
    m_boxEditor->setFocus();
    m_boxEditor->activateWindow();
}

UrlListWindow& DesktopApp::urlWindow() {
    if (!m_urlWindow) {
        m_urlWindow = new UrlListWindow(
            m_session->urls(), m_clipboard,
            UrlListWindow::Actions{
                [this](int slot) { m_session->urls().openUrl(slot, *m_browser); },
                [this] { m_session->urls().exportUrls(m_prompter, m_status, m_clock, m_paths.systemFolder); },
                [this] { keysBackToScreen(); }},
            &m_frame);
        // Left of the main frame (the BBS editor stands right of it) until window places are saved.
        if (!m_config.DATAwritten) {
            m_urlWindow->adjustSize();
            m_urlWindow->move(m_frame.frameGeometry().left() - m_urlWindow->frameGeometry().width() - 1, m_frame.y());
        }
    }
    return *m_urlWindow;
}

void DesktopApp::showUrlList() {
    UrlListWindow& window = urlWindow();
    window.refresh();
    // Shown beside the frame, the keys stay with the screen.
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    keepOnScreen(window);
}

void DesktopApp::setUrlDetection(bool on, bool hideWhenOff) {
    m_config.DetectURLs = on;
    if (on)
        showUrlList();
    else if (hideWhenOff && m_urlWindow)
        m_urlWindow->hide();
    refreshAll();
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
    m_frame.setToolAction("tb80",
                          [this] { m_session->connection().switchColumns(m_screen.state().ColumnCount != 80); });
    m_frame.setToolAction("tbEDITCFG", [this] { openConfiguration(); });
    m_frame.setToolAction("tbHELP", [this] { m_browser->OpenHelpPage(m_options.programFolder); });
    m_frame.setToolAction(
        "tbBROWSE", [this] { showWebsite(m_session->connection().websiteTitle(), m_session->connection().website()); });
    m_frame.setToolAction("tbEDITLIST", [this] { openBBSEditor(); });
    m_frame.setToolAction("tbABOUT", [this] {
        auto* about = new AboutBox(&m_frame);
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->open();
    });
    m_frame.setToolAction("tbMOVE", [this] {
        auto* move = new MoveWindows([this] { saveWindowPositions(); }, &m_frame);
        move->setAttribute(Qt::WA_DeleteOnClose);
        move->show();
    });
    m_frame.setToolAction("tbViewBMP", [this] { showDumpPicker(); });
    m_frame.setToolAction("tbPRTSCREEN", [this] { printScreen(); });
    m_frame.setToolAction("tbDEBUG", [this] { showDebugWindow(); });
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
    applyHistorySetting();
    m_terminalWindow->setLogIndicator(m_config.SysLog && std::filesystem::exists(m_paths.logFile()));
    m_session->capture().reloadSettings();
    m_session->box().setOpen(m_config.UseTW);
    switchColumns(false);
    m_frame.show();
    m_frame.setBoxOpen(m_session->box().open());
    m_frame.centreOnScreen(kFrameTopPx);
    if (m_config.DATAwritten) {
        FrameGeometry geometry(
            m_frame, [this] { return &editorWindow(); }, [this] { return &urlWindow(); },
            [this] { return &mojiWindow(); }, [this] { return &statusWindowMade(); });
        WindowPositions(m_store, geometry).SaveRestorePositions(false, m_paths.configFile(), m_config.DATAwritten);
    }
    if (m_config.DetectURLs) showUrlList();
    if (m_config.AutoVXE) showMojiEditor();
    if (m_config.AutoLoadStatus) showStatusWindow();
    // The keys belong to the board, not to the list just shown beside it.
    m_frame.activateWindow();
    refocusScreen();
    // The first hint comes after one interval, like every later one.
    if (m_config.TitleBarMsg) m_titleTimer.start();
    m_status.ShowStatus("Not Connected...", false, false);
    refreshAll();
    // A board named on the command line (or by a link) is being called: its login prompt gets
    // the keys, the list only stands beside.
    if (m_startup->firstRun() || m_config.UseBBSEditor)
        openBBSEditor(m_options.host ? EditorKeys::StayWithScreen : EditorKeys::TakeThem);
    if (m_options.host) m_session->connection().dialAddress(*m_options.host, m_options.port, m_options.protocol);
}

void DesktopApp::cleared() {
    if (m_screenWindow) m_screenWindow->hideStartupPicture();
}

void DesktopApp::switchColumns(bool mode80) {
    const int columns = mode80 ? 80 : 40;
    m_screenWindow->setColumns(columns, m_frame.availableWidth());
    m_frame.setColumns(columns, m_screenWindow->width());
    if (m_frame.isVisible()) {
        m_frame.setBoxOpen(m_session->box().open());
        m_frame.centreOnScreen(m_frame.y());
    }
    if (m_config.UseBBSEditor) placeBBSEditor();
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
        m_editor->setConnected(link == LinkState::Connected);
    }
    m_terminalWindow->refresh();
    if (m_mojiWindow) m_mojiWindow->refresh();  // its ONLINE label
    m_screenWindow->setUrlDetectionChecked(m_config.DetectURLs);
    const std::string& caption = m_session->connection().frameCaption();
    if (!m_config.TitleBarMsg && !caption.empty()) m_frame.setWindowTitle(latin1(caption));
}

void DesktopApp::titleTick() { m_frame.setWindowTitle(latin1(m_hints.tick(m_random))); }

void DesktopApp::keysBackToScreen() {
    m_frame.activateWindow();
    refocusScreen();
}

void DesktopApp::refocusScreen() {
    // A button in another of the program's windows (VXEditor's sends, the BBS editor's Sign) and
    // a call coming up hand the keys back too: the frame becomes the active window. Never while a
    // dialog or a menu waits for an answer, and never taken from another program.
    const QWidget* active = QApplication::activeWindow();
    if (active && active != &m_frame && !QApplication::activeModalWidget() && !QApplication::activePopupWidget())
        m_frame.activateWindow();
    m_screenWindow->screen()->setFocus();
}

void DesktopApp::makeBBSEditor() {
    BBSEditor::Hooks hooks;
    hooks.login = [this](std::function<void(bool)> done) {
        auto* login = new LoginWindow(m_config.SData, m_prompter, &editorWindow());
        login->setAttribute(Qt::WA_DeleteOnClose);
        login->ask([this, done = std::move(done)](bool ok) {
            m_loggedIn = ok;
            done(ok);
        });
    };
    hooks.sendSignature = [this](const std::string& signature) {
        m_session->sendPath().SendToBBS(signature, 0, true);
        refocusScreen();
    };
    hooks.listChanged = [this] {
        m_list.FillBBSList();
        m_terminalWindow->fillBBSList();
        if (m_editorWindow) m_editorWindow->refreshDirectory();
    };
    hooks.changed = [this] {
        if (m_editorWindow) m_editorWindow->refresh();
    };
    hooks.closed = [this](std::optional<std::string> connectTo) { bbsEditorClosed(std::move(connectTo)); };
    hooks.choosePort = [this](std::vector<std::string> ports, int selected,
                              std::function<void(std::optional<std::string>)> done) {
        auto* chooser = new PortChooser(ports, selected, &editorWindow());
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->ask(std::move(done));
    };
    m_editor =
        std::make_unique<BBSEditor>(m_list, m_prompter, m_clock, m_config, m_scrambler, m_loggedIn, std::move(hooks));
}

BBSEditorWindow& DesktopApp::editorWindow() {
    if (!m_editorWindow) {
        m_editorWindow = new BBSEditorWindow(*m_editor, &m_frame);
        m_editorWindow->setActions(BBSEditorWindow::Actions{
            [this] { showWebsite(m_editor->fields().name, m_editor->fields().website); },
            [this] { openRawListEditor(); }, [this] { importBBSList(); }, [this] { exportBBSList(); },
            [this] { m_session->moji().copyToSignature(); }, [this] { openTimeOnlineReport(); }});
        placeBBSEditor();
    }
    return *m_editorWindow;
}

void DesktopApp::openBBSEditor(EditorKeys keys) {
    BBSEditorWindow& window = editorWindow();
    if (!m_editor->isOpen()) {
        const std::string& id = m_session->connection().recordId();
        m_editor->open(id.empty() ? "1" : id);
    }
    window.setRawEditsAllowed(m_config.EnableRawEdits);
    window.refresh();
    window.refreshDirectory();
    const bool takeKeys = keys == EditorKeys::TakeThem;
    window.setAttribute(Qt::WA_ShowWithoutActivating, !takeKeys);
    window.show();
    keepOnScreen(window);
    window.raise();
    // Some platforms activate every window shown, whatever it asks: the frame asks back.
    if (takeKeys)
        window.activateWindow();
    else
        m_frame.activateWindow();
}

void DesktopApp::placeBBSEditor() {
    if (!m_editorWindow || m_config.DATAwritten) return;
    // Beside the main frame, as long as no window places were saved; a frame grown to 80
    // columns may leave no room there, and a list off the screen cannot be used.
    m_editorWindow->move(m_frame.frameGeometry().right() + 1, m_frame.y());
    if (m_editorWindow->isVisible()) keepOnScreen(*m_editorWindow);
}

void DesktopApp::bbsEditorClosed(std::optional<std::string> connectTo) {
    if (m_editorWindow) m_editorWindow->hide();
    m_terminalWindow->fillBBSList();
    if (connectTo && !m_session->connection().connected()) m_session->connection().connectToRecord(*connectTo);
    refocusScreen();
}

void DesktopApp::showWebsite(const std::string& name, const std::string& website) {
    if (website.empty()) {
        m_prompter.message("No website for this BBS.", "", MessageIcon::Information);
        return;
    }
    if (!m_websiteWindow)
        m_websiteWindow = new WebsiteWindow(
            [this](const std::string& url) {
                if (m_browser->openUrl(url)) m_status.ShowStatus("Website: " + url, true, false);
            },
            &m_frame);
    m_websiteWindow->showBoard(name, website);
    keepOnScreen(*m_websiteWindow);
}

void DesktopApp::importBBSList() {
    auto* dialog = new QFileDialog(&editorWindow(), "Import BBS List", {}, "CSV files (*.csv);;All files (*)");
    dialog->setObjectName("dlgImport");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        const bbscsv::ImportResult result = bbscsv::importFile(m_list, file.toLocal8Bit().toStdString());
        m_list.FillBBSList();
        m_terminalWindow->fillBBSList();
        if (m_editorWindow) m_editorWindow->refreshDirectory();
        m_prompter.message(
            result.report(), "Import",
            result.refused.empty() && result.error.empty() ? MessageIcon::Information : MessageIcon::Exclamation);
    });
    dialog->open();
}

void DesktopApp::exportBBSList() {
    auto* dialog = new QFileDialog(&editorWindow(), "Export BBS List", {}, "CSV files (*.csv)");
    dialog->setObjectName("dlgExport");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix("csv");
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        const std::string problem = bbscsv::exportFile(m_list, file.toLocal8Bit().toStdString());
        m_prompter.message(problem.empty() ? "BBS list exported to:\r" + file.toLocal8Bit().toStdString() : problem,
                           "Export", problem.empty() ? MessageIcon::Information : MessageIcon::Exclamation);
    });
    dialog->open();
}

void DesktopApp::openRawListEditor() {
    auto* raw = new RawListEditor(
        m_list, m_prompter,
        [this] {
            m_terminalWindow->fillBBSList();
            if (m_editor->isOpen()) m_editor->open(m_editor->recId() == "0" ? "1" : m_editor->recId());
            if (m_editorWindow) m_editorWindow->refreshDirectory();
        },
        &editorWindow());
    raw->open();
}

void DesktopApp::saveWindowPositions() {
    FrameGeometry geometry(
        m_frame, [this] { return &editorWindow(); }, [this] { return &urlWindow(); }, [this] { return &mojiWindow(); },
        [this] { return &statusWindowMade(); });
    const int status =
        WindowPositions(m_store, geometry).SaveRestorePositions(true, m_paths.configFile(), m_config.DATAwritten);
    if (status != SettingsStore::kOk) {
        m_prompter.message(
            ConfigFile::writeFailureMessage(m_paths.configFile(), status, "The window positions were not saved."), "",
            MessageIcon::Exclamation);
        return;
    }
    m_status.ShowStatus("Window positions saved", true, false);
}

void DesktopApp::openConfiguration() {
    if (!m_cfgForm) {
        m_cfgForm = new CfgForm(
            CfgForm::Services{m_config, m_store, m_paths.configFile(), m_scrambler, m_prompter,
                              [this] {
                                  CreateSystemMojis(m_config.MojisDumpPath, m_status);
                                  if (m_mojiWindow) m_mojiWindow->refreshFiles();
                              },
                              [this](const CfgSaved& saved) { configurationSaved(saved); }, [this] { shutdown(); }},
            &m_frame);
    }
    m_cfgForm->open();
}

void DesktopApp::applyHistorySetting() {
    m_history.setCapacity(static_cast<std::size_t>(std::max<int>(0, m_config.HistoryLines)));
}

void DesktopApp::configurationSaved(const CfgSaved& saved) {
    m_terminalWindow->applyScrollbackSetting();
    applyHistorySetting();
    m_session->box().setOpen(m_config.UseTW);
    m_session->capture().reloadSettings();
    if (m_config.TitleBarMsg && !m_titleTimer.isActive()) m_titleTimer.start();
    if (!m_config.TitleBarMsg) m_titleTimer.stop();
    // The log follows the switch for the rest of the run, off as well as on.
    m_status.setSysLog(m_config.SysLog);
    if (saved.sysLogSwitchedOn) {
        m_status.ShowStatus(cfgedit::kSysLogEnabled, true, false);
        m_terminalWindow->setLogIndicator(true);
        m_terminalWindow->setViewLogVisible(true);
    } else if (!m_config.SysLog) {
        m_terminalWindow->setLogIndicator(false);
    }
    refreshAll();
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
