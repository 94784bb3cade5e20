#include "ui/frame/DesktopWiring.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QShortcut>

#include "config/CfgEditor.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenText.h"
#include "tools/MojiFiles.h"
#include "tools/ScreenDump.h"
#include "ui/config/CfgForm.h"
#include "ui/config/MoveWindows.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/frame/DesktopApp.h"
#include "ui/frame/DesktopTools.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/tools/ScrollbackDebugWindow.h"
#include "ui/tools/UrlListWindow.h"

namespace vx {
namespace {

using Tool = ToolWindows::Tool;
using Moment = KeyFocus::Moment;

}  // namespace

DesktopWiring::DesktopWiring(DesktopApp& app) : m_app(app) {
    wireSession();
    wireWindows();
    wireBox();
    wireMojiEditor();
    wireToolbar();
}

DesktopWiring::~DesktopWiring() {
    TerminalSession& session = *m_app.m_session;
    session.connection().setHooks({});
    session.capture().setOnChanged({});
    session.capture().setOnViewerFinished({});
    session.urls().setOnChanged({});
    session.box().setWindowHooks({});
    MojiEditor::Hooks& moji = session.moji().hooks();
    moji.changed = moji.showEditor = moji.refocusScreen = moji.screenChanged = moji.filesChanged = {};
    moji.toSignature = {};
    session.keyboard().setOnInverseChanged({});
    session.keyboard().setFocusToBox({});
    session.scrollback().setOnWritten({});
    session.transfers().setOnChange({});
    session.transfers().setOnBoardStart({});
}

void DesktopWiring::wireSession() {
    DesktopApp& a = m_app;
    a.m_session->connection().setHooks({
        .changed = [&a] { a.refreshAll(); },
        .screenChanged = [&a] { a.m_screenWindow->surfaceChanged(); },
        .columnMode = [&a](bool mode80) { a.switchColumns(mode80); },
        .selectListEntry = [&a](int) { a.m_terminalWindow->refresh(); },
        .recordLoaded =
            [&a] {
                a.m_session->box().boardSelected(a.m_list.record());
                a.m_terminalWindow->refresh();
            },
        .statisticsChanged = [&a] { a.m_editor->callStatisticsChanged(); },
    });
    a.m_session->capture().setOnChanged([&a] {
        a.m_screenWindow->refreshCapture();
        a.m_terminalWindow->refresh();
    });
    a.m_session->capture().setOnViewerFinished([&a] { a.m_keys.after(Moment::ToolWindowDone); });
    a.m_session->transfers().setOnBoardStart([&a] { a.openTransferWindow(false); });
    a.m_session->scrollback().setOnWritten([&a] {
        if (auto* debug = a.debugWindow()) debug->ringWritten();
    });
    a.m_session->urls().setOnChanged([&a] {
        if (auto* urls = a.urlListWindow()) urls->refresh();
    });
}

void DesktopWiring::wireWindows() {
    DesktopApp& a = m_app;
    a.m_screenWindow->setActions({
        .saveScreen = [&a](DumpFormat format) { a.m_dump->save(format); },
        .viewLog = [&a] { a.openLogViewer(); },
        .pasteScreen = [&a] { a.m_session->box().pasteToScreen(); },
        .keyHandled = [&a] { a.m_screenWindow->surfaceChanged(); },
        .toggleUrlDetection = [this, &a] { setUrlDetection(!a.m_config.DetectURLs, false); },
        .copyScreenText = [this] { copyScreenText(); },
        .toggleEcho =
            [&a] {
                a.m_session->moji().setEcho(!a.m_session->moji().echo());
                a.m_screenWindow->setEchoChecked(a.m_session->moji().echo());
            },
        .transfer = [&a](bool upload) { a.openTransferWindow(upload); },
        .zoom = [&a](int zoom) { a.setZoom(zoom); },
        .toggleFullScreen = [&a] { a.m_frame.dispatch("tbFULL"); },
    });
    a.m_terminalWindow->setActions({
        .exit = [&a] { a.shutdown(); },
        .refocusScreen = [&a] { a.m_keys.after(Moment::FrameButton); },
        .screenChanged = [&a] { a.m_screenWindow->surfaceChanged(); },
        .editBBS = [&a] { a.openBBSEditor(); },
        .toggleUrls = [this, &a] { setUrlDetection(!a.m_config.DetectURLs, true); },
        .viewLog = [&a] { a.openLogViewer(); },
        .openStatus = [&a] { a.showStatusWindow(); },
    });
}

void DesktopWiring::wireBox() {
    DesktopApp& a = m_app;
    a.m_session->box().setWindowHooks({.changed = [this] { boxChanged(); },
                                       .focusBox = [&a] { a.m_keys.after(Moment::BoxEntered); },
                                       .refocusScreen = [&a] { a.m_keys.after(Moment::SentFromWindow); }});
    // Alt+T in The Box gives the keys back to the screen, whatever UseTW says.
    a.m_boxEditor->setOnAltT([&a] { a.m_keys.after(Moment::BoxLeft); });
    a.m_session->keyboard().setFocusToBox([&a] {
        a.m_session->box().setOpen(true);
        a.m_keys.after(Moment::BoxEntered);
    });
}

void DesktopWiring::boxChanged() {
    DesktopApp& a = m_app;
    // Hiding The Box would pass its keys on to the next field; they go back to the screen.
    const bool boxHadKeys = a.m_boxEditor->hasFocus();
    a.m_terminalWindow->refresh();
    const bool open = a.m_session->box().open();
    if (open == m_boxShownOpen) return;
    m_boxShownOpen = open;
    a.m_frame.setBoxOpen(open);
    if (a.m_frame.isVisible()) a.m_frame.centreOnScreen(a.m_frame.y());
    if (!open && boxHadKeys) a.m_keys.after(Moment::BoxLeft);
}

void DesktopWiring::wireMojiEditor() {
    DesktopApp& a = m_app;
    MojiEditor::Hooks& hooks = a.m_session->moji().hooks();
    hooks.changed = [&a] {
        if (auto* moji = a.mojiEditorWindow()) moji->refresh();
    };
    hooks.showEditor = [&a] { a.showMojiEditor(); };
    hooks.refocusScreen = [&a] { a.m_keys.after(Moment::SentFromWindow); };
    hooks.screenChanged = [&a] { a.m_screenWindow->surfaceChanged(); };
    hooks.filesChanged = [&a] {
        if (auto* moji = a.mojiEditorWindow()) moji->refreshFiles();
    };
    hooks.toSignature = [&a](char c) { a.m_editor->edit([c](BBSEditorFields& fields) { fields.signature += c; }); };
    a.m_session->keyboard().setOnInverseChanged([&a](bool) {
        if (auto* moji = a.mojiEditorWindow()) moji->refresh();
    });
}

void DesktopWiring::setUrlDetection(bool on, bool hideWhenOff) {
    DesktopApp& a = m_app;
    a.m_config.DetectURLs = on;
    if (on)
        a.showUrlList();
    else if (hideWhenOff)
        a.m_tools.hide(Tool::UrlList);
    a.refreshAll();
}

void DesktopWiring::copyScreenText() {
    DesktopApp& a = m_app;
    const ScreenCodes codes = readScreenCodes(a.m_surface, GlyphIndex(), a.m_screen.state().ColumnCount);
    const std::string text = formatScreenText(codes, false);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    a.m_status.ShowStatus("Screen copied as text", true, false);
}

void DesktopWiring::wireToolbar() {
    DesktopApp& a = m_app;
    MainFrame& frame = a.m_frame;
    const auto keysBack = [&a] { a.m_keys.after(Moment::FrameButton); };
    frame.setToolAction("tbCONNECT", [&a] { a.m_session->connection().connectButton(); });
    frame.setToolAction("tbDISCONNECT", [&a] { a.m_session->connection().disconnectButton(); });
    frame.setToolAction("tbEXIT", [&a] { a.shutdown(); });
    frame.setToolAction("tbBAUDSIM", [&a, keysBack] {
        a.m_session->toggleBaudSim();
        keysBack();
    });
    frame.setToolAction("tbSTAYALIVE", [&a, keysBack] {
        a.m_session->toggleStayAlive();
        keysBack();
    });
    frame.setToolAction("tbCLRSCREEN", [&a, keysBack] {
        a.m_screen.ScreenHandler(ScreenInterpreter::kClearScreen);
        a.m_screenWindow->surfaceChanged();
        keysBack();
    });
    frame.setToolAction("tb80",
                        [&a] { a.m_session->connection().switchColumns(a.m_screen.state().ColumnCount != 80); });
    frame.setToolAction("tbEDITCFG", [this] { openConfiguration(); });
    frame.toolButton("tbFULL")->setCheckable(true);
    frame.setToolAction("tbFULL", [&a] { a.setFullScreen(!a.m_frame.isFullScreenMode()); });
    // Function keys type nothing on the board: F11 is full screen wherever the keys are in the
    // frame, F12 there brings the terminal window over the screen and puts it away again.
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F11), &frame), &QShortcut::activated, &frame,
                     [&frame] { frame.dispatch("tbFULL"); });
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F12), &frame), &QShortcut::activated, &frame,
                     [&a] { a.toggleTerminalOverScreen(); });
    frame.setToolAction("tbHELP", [&a] { a.m_browser->OpenHelpPage(a.m_options.programFolder); });
    frame.setToolAction("tbBROWSE", [&a] {
        a.m_toolsWiring->showWebsite(a.m_session->connection().websiteTitle(), a.m_session->connection().website());
    });
    frame.setToolAction("tbEDITLIST", [&a] { a.openBBSEditor(); });
    frame.setToolAction("tbABOUT", [&a] {
        auto* about = new AboutBox(a.m_keys.dialogParent());
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->open();
    });
    frame.setToolAction("tbMOVE", [&a] {
        auto* move = new MoveWindows([&a] { a.saveWindowPositions(); }, a.m_keys.dialogParent());
        move->setAttribute(Qt::WA_DeleteOnClose);
        move->show();
    });
    frame.setToolAction("tbViewBMP", [&a] { a.m_tools.show(Tool::DumpPicker); });
    frame.setToolAction("tbPRTSCREEN", [&a] { a.printScreen(); });
    frame.setToolAction("tbDEBUG", [&a] { a.m_tools.show(Tool::Debug); });
    frame.setToolAction("tbSND", [&a] { a.openTransferWindow(true); });
    frame.setToolAction("tbREC", [&a] { a.openTransferWindow(false); });
}

void DesktopWiring::openConfiguration() {
    DesktopApp& a = m_app;
    if (!a.m_cfgForm) {
        a.m_cfgForm =
            new CfgForm({a.m_config, a.m_store, a.m_paths.configFile(), a.m_scrambler, a.m_prompter,
                         [&a] {
                             CreateSystemMojis(a.m_config.MojisDumpPath, a.m_status);
                             if (auto* moji = a.mojiEditorWindow()) moji->refreshFiles();
                         },
                         [this](const CfgSaved& saved) { configurationSaved(saved); }, [&a] { a.shutdown(); }},
                        &a.m_frame);
    }
    a.m_cfgForm->open();
}

void DesktopWiring::applyHistorySetting() {
    m_app.m_history.setCapacity(static_cast<std::size_t>(std::max<int>(0, m_app.m_config.HistoryLines)));
}

void DesktopWiring::configurationSaved(const CfgSaved& saved) {
    DesktopApp& a = m_app;
    a.m_terminalWindow->applyScrollbackSetting();
    applyHistorySetting();
    a.m_session->box().setOpen(a.m_config.UseTW);
    a.setZoom(a.m_config.ScreenZoom);
    a.m_session->capture().reloadSettings();
    if (a.m_config.TitleBarMsg && !a.m_titleTimer.isActive()) a.m_titleTimer.start();
    if (!a.m_config.TitleBarMsg) a.m_titleTimer.stop();
    // The log follows the switch for the rest of the run, off as well as on.
    a.m_status.setSysLog(a.m_config.SysLog);
    if (saved.sysLogSwitchedOn) {
        a.m_status.ShowStatus(cfgedit::kSysLogEnabled, true, false);
        a.m_terminalWindow->setLogIndicator(true);
        a.m_terminalWindow->setViewLogVisible(true);
    } else if (!a.m_config.SysLog) {
        a.m_terminalWindow->setLogIndicator(false);
    }
    a.refreshAll();
}

}  // namespace vx
