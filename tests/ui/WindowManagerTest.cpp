// The program where users run it: on an X display managed by openbox (tests/e2e/with_openbox.sh),
// driven with xdotool, so title bars take room, windows are placed and activated by the window
// manager, and keys go where the X server sends them. Every rule of KeyFocus is walked through
// here: the user does what the rule is about, then types, and the keys must arrive where the rule
// says. Also the first run's layout and the places saved with Move.
//
// Started with --another-program, the test is instead a plain window of another program, for the
// rules about keys the program must not take from elsewhere.
#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <set>

#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/frame/KeyFocus.h"
#include "ui/platform/WindowActivation.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/StatusWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/tools/UrlListWindow.h"

using namespace vx;
using namespace vx::test;
using Tool = ToolWindows::Tool;
using Moment = KeyFocus::Moment;

namespace {

constexpr int kWaitMs = 8000;

// xdotool, without blocking the event loop: the program answers the window manager meanwhile.
bool xdo(const QStringList& arguments) {
    QProcess process;
    process.start("xdotool", arguments);
    if (!process.waitForStarted(2000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < kWaitMs) QTest::qWait(5);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A click where the user sees the widget (scrolled to first, as the user would on a low screen):
// the X server decides which window gets it.
bool clickOn(const QWidget* widget) {
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(up)) {
            scroll->ensureWidgetVisible(const_cast<QWidget*>(widget));
            QTest::qWait(50);
        }
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    return xdo({"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"});
}

bool type(const QString& text) { return xdo({"type", "--delay", "40", text}); }
bool key(const QString& name) { return xdo({"key", name}); }

bool framed(const QWidget* window) { return window->isVisible() && window->frameGeometry() != window->geometry(); }

// The window brought up as a user does (a click on its title bar, the task bar).
bool raiseAsUser(QWidget* window) {
    if (!QTest::qWaitFor([window] { return framed(window); }, kWaitMs)) return false;
    if (!xdo({"windowactivate", QString::number(window->winId())})) return false;
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, kWaitMs);
}

QWidget* toolButton(DesktopApp& app, const char* key) {
    return app.frame().findChild<QToolBar*>("Toolbar1")->widgetForAction(app.frame().toolButton(key));
}

QRect globalRect(const QWidget* widget) { return {widget->mapToGlobal(QPoint(0, 0)), widget->size()}; }

// The program run on a folder made by an earlier first run, with its own dialogs (not answered
// by the test), calling a board on 127.0.0.1.
struct Desk {
    std::unique_ptr<Run> first;
    std::unique_ptr<DesktopApp> app;
    LoopbackBoard board;

    explicit Desk(std::vector<std::string> settings = {}) {
        first = std::make_unique<Run>();
        first->app->start();
        first->pointSampleBoardAt(board.port());
        first->app->shutdown();
        const std::string config = (first->folder() / "VX3_Cfg.ini").string();
        for (const std::string& setting : settings) {
            const auto eq = setting.find('=');
            SettingsStore().WriteSettingValue(config, "Config", setting.substr(0, eq), "S", setting.substr(eq + 1));
        }
        first->app.reset();
        start();
    }
    void start() {
        DesktopApp::Options options;
        options.systemFolder = first->folder().string();
        options.showWelcome = false;
        options.quit = [] {};
        app = std::make_unique<DesktopApp>(options);
        app->start();
    }
    void restart() {
        app->shutdown();
        app.reset();
        start();
    }
    ~Desk() {
        app->shutdown();
        app.reset();
    }
    bool call() {
        clickOn(toolButton(*app, "tbCONNECT"));
        return QTest::qWaitFor([this] { return app->session().connection().connected() && board.calls() > 0; },
                               kWaitMs);
    }
    // The keys typed reached the board, and nothing else came.
    bool boardGot(const QByteArray& bytes) {
        return QTest::qWaitFor([&] { return board.received().endsWith(bytes); }, kWaitMs);
    }
};

// A rule walked through: what the user does, and where the keys typed then must arrive.
struct Walk {
    const char* name;
    Moment moment;
    std::function<bool(Desk&)> act;                  // false when the step itself failed
    std::function<bool(Desk&, const QString&)> got;  // the typed text arrived where the rule says
};

bool atTheBoard(Desk& desk, const QString& typed) { return desk.boardGot(typed.toLatin1() + "\x9b"); }

bool inTheEditor(Desk& desk, const QString& typed) {
    BBSEditorWindow* editor = desk.app->bbsEditorWindow();
    return QTest::qWaitFor(
        [&] {
            auto* field = qobject_cast<QLineEdit*>(editor->focusWidget());
            return QApplication::activeWindow() == editor && field && field->text().contains(typed);
        },
        kWaitMs);
}

bool inTheBox(Desk& desk, const QString& typed) {
    return QTest::qWaitFor([&] { return desk.app->boxEditor().toPlainText().contains(typed); }, kWaitMs);
}

QPushButton* button(QWidget* window, const char* name) { return child<QPushButton>(window, name); }

QString whereKeysGo() {
    const QWidget* active = QApplication::activeWindow();
    const QWidget* focus = QApplication::focusWidget();
    return QString("%1/%2").arg(active ? active->objectName() : "no window of ours",
                                focus ? focus->objectName() : "no widget");
}

std::vector<Walk> walks() {
    return {
        {"a toolbar key after a click into the board list", Moment::FrameButton,
         [](Desk& d) {
             return clickOn(child<QWidget>(&d.app->terminalWindow(), "Combo1")) && key("Escape") &&
                    clickOn(toolButton(*d.app, "tbCLRSCREEN"));
         },
         atTheBoard},
        {"the BBS editor's Sign", Moment::SentFromWindow,
         [](Desk& d) {
             d.app->openBBSEditor();
             return raiseAsUser(d.app->bbsEditorWindow()) && clickOn(button(d.app->bbsEditorWindow(), "cmdSendSig")) &&
                    d.boardGot("<your signature>\x9b");
         },
         atTheBoard},
        // Typed the moment the button is up, before the window manager has moved the focus.
        {"Sign, the answer typed at once", Moment::SentFromWindow,
         [](Desk& d) {
             d.app->openBBSEditor();
             QWidget* sign = button(d.app->bbsEditorWindow(), "cmdSendSig");
             if (!raiseAsUser(d.app->bbsEditorWindow())) return false;
             const QPoint at = sign->mapToGlobal(sign->rect().center());
             return xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1", "type", "now"}) &&
                    key("Return") && d.boardGot("<your signature>\x9bnow\x9b");
         },
         atTheBoard},
        {"VXEditor's Send to Main", Moment::SentFromWindow,
         [](Desk& d) {
             d.app->showMojiEditor();
             d.app->session().moji().setCodes("65;66;");
             MojiEditorWindow* moji = d.app->mojiEditorWindow();
             // The first press shows the warning about the board's graphics; the second sends.
             return raiseAsUser(moji) && clickOn(button(moji, "cmdSendMain")) && clickOn(button(moji, "cmdSendMain")) &&
                    d.boardGot("AB");
         },
         atTheBoard},
        {"the URL list's Clear", Moment::ToolWindowDone,
         [](Desk& d) {
             d.app->showUrlList();
             UrlListWindow* urls = d.app->urlListWindow();
             return raiseAsUser(urls) && clickOn(button(urls, "cmdClearURLs"));
         },
         atTheBoard},
        // The window manager would give the keys to the window used before the list.
        {"the BBS editor's Save+Close", Moment::EditorClosed,
         [](Desk& d) {
             d.app->showUrlList();
             d.app->openBBSEditor();
             return raiseAsUser(d.app->urlListWindow()) && raiseAsUser(d.app->bbsEditorWindow()) &&
                    clickOn(button(d.app->bbsEditorWindow(), "cmdExit"));
         },
         atTheBoard},
        {"Connect after a click into the board list", Moment::CallComingUp,
         [](Desk& d) {
             d.app->session().connection().disconnectButton();
             return raiseAsUser(&d.app->frame()) && clickOn(child<QWidget>(&d.app->terminalWindow(), "Combo1")) &&
                    key("Escape") && clickOn(button(&d.app->terminalWindow(), "Command1")) &&
                    QTest::qWaitFor([&] { return d.app->session().connection().connected(); }, kWaitMs);
         },
         atTheBoard},
        {"the board hangs up while the user writes in the list", Moment::CallEnded,
         [](Desk& d) {
             d.app->openBBSEditor();
             BBSEditorWindow* editor = d.app->bbsEditorWindow();
             if (!raiseAsUser(editor) || !clickOn(child<QLineEdit>(editor, "txtSearch"))) return false;
             d.board.dropCaller();
             return QTest::qWaitFor([&] { return !d.app->session().connection().connected(); }, kWaitMs);
         },
         inTheEditor},
        {"2) Edit Box", Moment::BoxEntered,
         [](Desk& d) { return clickOn(button(&d.app->terminalWindow(), "cmdEditBox")); }, inTheBox},
        {"Alt+T in The Box", Moment::BoxLeft,
         [](Desk& d) {
             return clickOn(button(&d.app->terminalWindow(), "cmdEditBox")) && inTheBox(d, "") && key("alt+t");
         },
         atTheBoard},
        {"Edit BBS", Moment::WindowAsked,
         [](Desk& d) {
             d.app->toolWindows().hide(Tool::BBSEditor);
             return clickOn(button(&d.app->terminalWindow(), "cmdEditBBS"));
         },
         inTheEditor},
        {"URLs opens the list beside", Moment::WindowBeside,
         [](Desk& d) {
             d.app->toolWindows().hide(Tool::UrlList);
             d.app->config().DetectURLs = false;
             return raiseAsUser(&d.app->frame()) && clickOn(button(&d.app->terminalWindow(), "Command7")) &&
                    QTest::qWaitFor([&] { return framed(d.app->urlListWindow()); }, kWaitMs);
         },
         atTheBoard},
    };
}

}  // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run through tests/e2e/with_openbox.sh");
        QProcess wm;
        wm.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        QVERIFY(wm.waitForFinished(5000));
        QVERIFY2(wm.readAll().contains("window id"), "no window manager on the display");
    }

    // The first run: every title bar on the screen, and no tool window over the board's screen or
    // the toolbar; the list opened at start has the keys.
    void theFirstRunLeavesTheScreenUncovered() {
        Run run;
        run.app->start();
        MainFrame& frame = run.app->frame();
        QTRY_VERIFY_WITH_TIMEOUT(framed(&frame) && run.app->bbsEditorWindow() && framed(run.app->bbsEditorWindow()),
                                 kWaitMs);
        QTest::qWait(300);  // the window manager's last moves
        const QRect area = frame.screen()->availableGeometry();
        const QRect screen = globalRect(run.app->screenWindow().screen());
        const QRect toolbar = globalRect(frame.findChild<QToolBar*>("Toolbar1"));
        QVERIFY2(area.contains(frame.frameGeometry()), "the frame runs off the screen");
        int shown = 0;
        for (Tool tool : run.app->toolWindows().tools()) {
            const QWidget* window = run.app->toolWindows().find(tool);
            if (!window || !window->isVisible()) continue;
            ++shown;
            const QByteArray name = window->objectName().toLatin1();
            QVERIFY2(area.contains(window->frameGeometry()), name + " runs off the screen");
            QVERIFY2(!window->frameGeometry().intersects(screen), name + " covers the board's screen");
            QVERIFY2(!window->frameGeometry().intersects(toolbar), name + " covers the toolbar");
        }
        QVERIFY(shown >= 1);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), run.app->bbsEditorWindow(), kWaitMs);
        QTest::qWait(200);
        run.app->shutdown();
    }

    // Moved by the user, saved with Move and OK, and put back on the same pixel at the next start.
    void placesComeBackOnTheSamePixel() {
        std::map<std::string, QRect> before;
        Desk desk({"AutoLoadStatus=True", "DetectURLs=True", "UseBBSEditor=True", "AutoVXE=False"});
        {
            DesktopApp& app = *desk.app;
            QTRY_VERIFY_WITH_TIMEOUT(framed(&app.frame()) && app.bbsEditorWindow() && framed(app.bbsEditorWindow()),
                                     kWaitMs);
            // The windows left for later on a small screen are opened as a user would.
            app.showUrlList();
            app.showStatusWindow();
            QTRY_VERIFY_WITH_TIMEOUT(framed(app.urlListWindow()) && framed(app.statusWindow()), kWaitMs);
            const QRect area = app.frame().screen()->availableGeometry();
            int step = 0;
            for (QWidget* window : {static_cast<QWidget*>(&app.frame()), app.toolWindows().find(Tool::BBSEditor),
                                    app.toolWindows().find(Tool::UrlList), app.toolWindows().find(Tool::Status)}) {
                // Dragged sideways by its title bar, as a user moves it (the frame and the list
                // may fill the screen's height), and left on the screen.
                QVERIFY(raiseAsUser(window));
                const QRect outer = window->frameGeometry();
                const QPoint grip = outer.topLeft() + QPoint(60, (window->geometry().y() - outer.y()) / 2);
                int by = 17 * ++step;
                if (outer.right() + by > area.right()) by = -by;
                const QString y = QString::number(grip.y());
                QVERIFY(xdo({"mousemove", QString::number(grip.x()), y, "mousedown", "1", "sleep", "0.1", "mousemove",
                             QString::number(grip.x() + by / 2), y, "sleep", "0.1", "mousemove",
                             QString::number(grip.x() + by), y, "sleep", "0.1", "mouseup", "1"}));
                QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft().x(), grip.x() - 60 + by, kWaitMs);
            }
            QTest::qWait(300);
            QVERIFY(raiseAsUser(&app.frame()));
            QVERIFY(clickOn(toolButton(app, "tbMOVE")));
            QPushButton* ok = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT(
                (ok = QApplication::activeWindow() ? QApplication::activeWindow()->findChild<QPushButton*>("cmdOK")
                                                   : nullptr),
                kWaitMs);
            QVERIFY(clickOn(ok));
            QTRY_COMPARE_WITH_TIMEOUT(app.frame().panelText("pnlSTAT"), QString("Window positions saved"), kWaitMs);
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible() && !window->objectName().isEmpty() && window->objectName() != "frmMoveWindows")
                    before[window->objectName().toStdString()] = window->frameGeometry();
            QCOMPARE(before.size(), std::size_t{4});
        }
        desk.restart();
        QTRY_VERIFY_WITH_TIMEOUT(
            desk.app->bbsEditorWindow() && framed(desk.app->bbsEditorWindow()) && framed(&desk.app->frame()), kWaitMs);
        QTest::qWait(500);
        for (const auto& [name, place] : before) {
            QWidget* window = openWindow<QWidget>(name.c_str());
            QVERIFY2(window && window->isVisible(), name.c_str());
            QCOMPARE(window->frameGeometry().topLeft(), place.topLeft());
        }
    }

    // Each rule of KeyFocus: the user does what it is about, then types.
    void everyFocusRuleUnderTheWindowManager() {
        std::set<Moment> walked;
        Desk desk({"UseBBSEditor=False", "AutoLoadStatus=False", "DetectURLs=False", "AutoVXE=False"});
        QTRY_VERIFY_WITH_TIMEOUT(framed(&desk.app->frame()), kWaitMs);
        QVERIFY(desk.call());
        for (const Walk& walk : walks()) {
            QVERIFY2(walk.act(desk), walk.name);
            QTest::qWait(50);
            const QString typed = QString("x%1y").arg(static_cast<int>(walk.moment));
            QVERIFY2(type(typed) && key("Return"), walk.name);
            QVERIFY2(walk.got(desk, typed),
                     qPrintable(QString("%1: the keys went to %2 (the board has: %3)")
                                    .arg(walk.name, whereKeysGo(), desk.board.received().right(24).toHex(' '))));
            walked.insert(walk.moment);
            if (!desk.app->session().connection().connected()) QVERIFY2(desk.call(), walk.name);
        }
        // The two rules about starting are walked below; every other one above.
        for (const KeyFocus::Rule& rule : KeyFocus::rules())
            if (rule.moment != Moment::StartedWithBoard && rule.moment != Moment::Summoned)
                QVERIFY2(walked.count(rule.moment), rule.because);
    }

    // Started with a board: the list opens beside, the login typed at once reaches the board.
    void aLoginTypedAtStartReachesTheBoard() {
        LoopbackBoard board;
        Run run("127.0.0.1", board.port());
        run.app->start();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && run.app->bbsEditorWindow() &&
                                     framed(run.app->bbsEditorWindow()),
                                 kWaitMs);
        QVERIFY(type("joe") && key("Return"));
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("joe\x9b"), kWaitMs);
        run.app->shutdown();
    }

    // A link clicked elsewhere while the program runs: the frame comes to the front with the keys.
    void aLinkFromElsewhereBringsTheFrameWithTheKeys() {
        Desk desk({"UseBBSEditor=False"});
        QTRY_VERIFY_WITH_TIMEOUT(framed(&desk.app->frame()), kWaitMs);
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {"--another-program"});
        QVERIFY(other.waitForStarted());
        // The user clicks into the other program: it has the keys, none of ours has.
        QTRY_VERIFY_WITH_TIMEOUT(
            xdo({"search", "--sync", "--onlyvisible", "--name", "^Another program$", "windowactivate", "--sync"}),
            kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == nullptr, kWaitMs);
        desk.app->callFromElsewhere("127.0.0.1", desk.board.port(), "Raw");
        QTRY_VERIFY_WITH_TIMEOUT(desk.app->session().connection().connected(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &desk.app->frame(), kWaitMs);
        QVERIFY(type("joe") && key("Return"));
        QVERIFY2(desk.boardGot("joe\x9b"), desk.board.received().toHex(' ').constData());
        other.kill();
        other.waitForFinished();
    }

    // Dialogs open on the window the user is in, take the keys, and give them back to it.
    void dialogsOpenOnTheWindowTheUserIsIn() {
        Desk desk({"UseBBSEditor=True"});
        DesktopApp& app = *desk.app;
        QTRY_VERIFY_WITH_TIMEOUT(app.bbsEditorWindow() && framed(app.bbsEditorWindow()), kWaitMs);
        app.showMojiEditor();
        MojiEditorWindow* moji = app.mojiEditorWindow();
        app.session().moji().setCodes("72;73;");
        QVERIFY(raiseAsUser(moji));
        QVERIFY(clickOn(button(moji, "cmdSave")));
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QInputDialog*>(QApplication::activeModalWidget()), kWaitMs);
        QCOMPARE(QApplication::activeModalWidget()->parentWidget(), moji);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), QApplication::activeModalWidget(), kWaitMs);
        QVERIFY(key("ctrl+a") && type("mine") && key("Return"));
        const std::filesystem::path saved = std::filesystem::path(app.config().MojisDumpPath) / "mine";
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(saved), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), moji, kWaitMs);

        // "BBS added": the message stands over the list, and OK leaves the list in front.
        BBSEditorWindow* editor = app.bbsEditorWindow();
        QVERIFY(raiseAsUser(editor));
        QVERIFY(clickOn(button(editor, "cmdAddBBS")));
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()), kWaitMs);
        QCOMPARE(QApplication::activeModalWidget()->parentWidget(), editor);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), QApplication::activeModalWidget(), kWaitMs);
        QVERIFY(key("Return"));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), editor, kWaitMs);
    }

    // Where the window manager ignores a program's request, the program asks as a pager does for
    // a user's click; the window manager grants that.
    void anActivationAskedAsForAUsersClickIsGranted() {
        Desk desk({"UseBBSEditor=True"});
        QTRY_VERIFY_WITH_TIMEOUT(desk.app->bbsEditorWindow() && framed(desk.app->bbsEditorWindow()), kWaitMs);
        QVERIFY(raiseAsUser(desk.app->bbsEditorWindow()));
        QVERIFY(askActivationAsUser(desk.app->frame(), 0));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &desk.app->frame(), kWaitMs);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--another-program") {
        QApplication app(argc, argv);
        QWidget window;
        window.setWindowTitle("Another program");
        window.resize(300, 200);
        window.show();
        return QApplication::exec();
    }
    QApplication app(argc, argv);
    WindowManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowManagerTest.moc"
