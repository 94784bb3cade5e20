// The desktop program under the offscreen platform: first run, a call to a loopback board, the
// toolbar, and the shutdown's totals and log lines.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "config/IniFile.h"
#include "screen/GlyphIndex.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/config/CfgForm.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/frame/DesktopApp.h"
#include "ui/frame/WelcomeWindow.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/TransferWindow.h"

using namespace vx;
using namespace vx::test;

// Replaces the box's text as a user does: select all, then type.
void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

class DesktopAppTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void firstRunCreatesTheSystemAndSaysSoInOrder() {
        Run run;
        run.app->start();
        QVERIFY(run.app->started());
        const auto folder = run.folder();
        for (const char* name : {"VX3_Cfg.ini", "VX3_BBS.INI", "VX3_log.txt"})
            QVERIFY2(std::filesystem::is_regular_file(folder / name), name);
        for (const char* name : {"Captures", "Screens", "Mojis"})
            QVERIFY2(std::filesystem::is_directory(folder / name), name);
        QVERIFY(!std::filesystem::is_empty(folder / "Mojis"));
        QStringList entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            entries << QString::fromStdString(entry.path().filename().string());
        entries.sort();
        QCOMPARE(entries, (QStringList{"Captures", "Mojis", "Screens", "VX3_BBS.INI", "VX3_Cfg.ini", "VX3_log.txt"}));

        QStringList shown;
        for (const auto& m : run.prompter.messages) shown << QString::fromStdString(m.text);
        QCOMPARE(shown, (QStringList{"System Folders Created! ",
                                     "Config File created: \r" + QString::fromStdString((folder / "VX3_Cfg.ini").string()),
                                     "BBS List created: \r" + QString::fromStdString((folder / "VX3_BBS.INI").string())}));
        QCOMPARE(run.prompter.questions.size(), std::size_t{1});
        QCOMPARE(run.prompter.questions[0].text, std::string("Would you like to view the help file?"));

        MainFrame& frame = run.app->frame();
        QVERIFY(frame.isVisible());
        QCOMPARE(frame.objectName(), QString("MDIForm1"));
        QCOMPARE(frame.panelText("pnlSTAT"), QString("Not Connected..."));
        QCOMPARE(frame.panelText("pnlAPPINFO"), QString(" Vexterm v3.14  Build: 717 "));
        QVERIFY(fileText(folder / "VX3_log.txt").find("v3.14.717 - System Started...") != std::string::npos);
        QVERIFY(run.app->screenWindow().startupPictureShown());

        auto* combo = frame.findChild<QComboBox*>("Combo1");
        QVERIFY(combo);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0), QString("Vexterm Demo BBS"));
        QVERIFY(frame.findChild<QPushButton*>("Command1")->isEnabled());
        QVERIFY(!frame.findChild<QPushButton*>("Command3")->isEnabled());
    }

    // A log that cannot be written (here a folder stands in its place, as a full disk would
    // refuse it) is said once, and the program goes on; once lines can be written, a new
    // failure is said again.
    void aLogThatCannotBeWrittenIsSaidOnceAndTheProgramGoesOn() {
        Run run;
        run.app->start();
        run.app->status().setSysLog(true);
        run.prompter.messages.clear();
        const auto log = run.folder() / "VX3_log.txt";
        std::filesystem::remove(log);
        std::filesystem::create_directory(log);
        run.app->status().ShowStatus("first lost line", true, false);
        run.app->status().ShowStatus("second lost line", true, false);
        QCOMPARE(run.prompter.messages.size(), std::size_t{1});
        QVERIFY(run.prompter.messages[0].text.starts_with("The system log could not be written:\r" + log.string()));
        QCOMPARE(run.prompter.messages[0].icon, MessageIcon::Exclamation);

        std::filesystem::remove(log);
        run.app->status().ShowStatus("written again", true, false);
        QVERIFY(fileText(log).find("written again") != std::string::npos);
        std::filesystem::remove(log);
        std::filesystem::create_directory(log);
        run.app->status().ShowStatus("lost once more", true, false);
        QCOMPARE(run.prompter.messages.size(), std::size_t{2});
        std::filesystem::remove(log);
        run.app->shutdown();
        QVERIFY(run.quit);
    }

    // The run's totals cannot be written (a folder stands where the configuration was): the
    // user is told, and the program ends only when the message has been read.
    void totalsThatCannotBeWrittenAreSaidBeforeTheProgramEnds() {
        Run run;
        run.app->start();
        run.prompter.messages.clear();
        run.prompter.holdMessages = true;
        const auto config = run.folder() / "VX3_Cfg.ini";
        std::filesystem::rename(config, run.folder() / "kept.ini");
        std::filesystem::create_directory(config);
        run.app->frame().close();
        QCOMPARE(run.prompter.messages.size(), std::size_t{1});
        QVERIFY(run.prompter.messages[0].text.starts_with("Unable to write the Config file:\r" + config.string()));
        QVERIFY(run.prompter.messages[0].text.ends_with("The totals of this session were not saved."));
        QCOMPARE(run.prompter.messages[0].icon, MessageIcon::Exclamation);
        QVERIFY(!run.quit);
        run.prompter.dismissHeld();
        QVERIFY(run.quit);
    }

    void aLaterRunLoadsWhatTheFirstWrote() {
        Run run;
        run.app->start();
        run.app->shutdown();
        QVERIFY(run.quit);
        const auto folder = run.folder();
        const std::string config = fileText(folder / "VX3_Cfg.ini");

        FakePrompter prompter;
        DesktopApp::Options options;
        options.systemFolder = folder.string();
        options.showWelcome = false;
        options.prompter = &prompter;
        options.quit = [] {};
        DesktopApp again(options);
        again.start();
        QVERIFY(again.started());
        QVERIFY(prompter.messages.empty());
        QVERIFY(prompter.questions.empty());
        QCOMPARE(again.config().SessionNum, 1);
        again.shutdown();
        QCOMPARE(IniFile::parse(fileText(folder / "VX3_Cfg.ini")).read("Totals", "SessionNum", ""), std::string("2"));
    }

    void savedPlacesPutTheFrameBack() {
        Run run;
        run.app->start();
        run.app->shutdown();
        const std::string config = (run.folder() / "VX3_Cfg.ini").string();
        SettingsStore store;
        QCOMPARE(store.WriteSettingValue(config, "Positions", "MainTop", "S", "1500"), SettingsStore::kOk);
        QCOMPARE(store.WriteSettingValue(config, "Positions", "MainLeft", "S", "3000"), SettingsStore::kOk);
        QCOMPARE(store.WriteSettingValue(config, "Positions", "DATAwritten", "S", "True"), SettingsStore::kOk);

        FakePrompter prompter;
        DesktopApp::Options options;
        options.systemFolder = run.folder().string();
        options.showWelcome = false;
        options.prompter = &prompter;
        options.quit = [] {};
        DesktopApp again(options);
        again.start();
        QVERIFY(again.config().DATAwritten);
        QCOMPARE(again.frame().pos(), QPoint(200, 100));  // 15 twips to the pixel
        again.shutdown();
    }

    void callTypeSeeTheEchoHangUpAndQuit() {
        QTcpServer board;
        QVERIFY(board.listen(QHostAddress::LocalHost));
        QTcpSocket* caller = nullptr;
        connect(&board, &QTcpServer::newConnection, this, [&] {
            caller = board.nextPendingConnection();
            // The board echoes what it gets, as boards do.
            connect(caller, &QTcpSocket::readyRead, caller, [caller] { caller->write(caller->readAll()); });
        });

        Run run("127.0.0.1", board.serverPort());
        run.app->start();
        TerminalSession& session = run.app->session();
        QTRY_VERIFY(session.connection().connected());
        session.baudSim().setActive(false);
        QVERIFY(!run.app->screenWindow().startupPictureShown());  // the connect cleared the screen
        QCOMPARE(QString::fromStdString(run.row(0)).left(10), QString("CONNECT..."));

        ScreenWidget* screen = run.app->screenWindow().screen();
        // Typed at a human pace; the echo comes back from the board.
        QTest::keyClicks(screen, "hi", Qt::NoModifier, 100);
        QTest::keyClick(screen, Qt::Key_Return, Qt::NoModifier, 100);
        QTRY_COMPARE(QString::fromStdString(run.row(1)).left(2), QString("hi"));
        QCOMPARE(session.connection().sessionChars(), 3);
        QVERIFY(!run.app->frame().findChild<QPushButton*>("Command1")->isEnabled());
        QVERIFY(run.app->frame().findChild<QPushButton*>("Command3")->isEnabled());

        run.app->frame().toolButton("tbDISCONNECT")->trigger();
        QVERIFY(!session.connection().connected());
        QCOMPARE(QString::fromStdString(run.row(2)).left(13), QString("NO CARRIER..."));
        run.app->frame().toolButton("tbEXIT")->trigger();
        QVERIFY(run.quit);

        const auto folder = run.folder();
        const IniFile config = IniFile::parse(fileText(folder / "VX3_Cfg.ini"));
        QCOMPARE(config.read("Totals", "TotalIncoming", ""), std::string("3"));
        QCOMPARE(config.read("Totals", "SessionNum", ""), std::string("1"));
        const std::string log = fileText(folder / "VX3_log.txt");
        QVERIFY(log.find("  > Connected to 127.0.0.1") != std::string::npos);
        QVERIFY(log.find("System Unloaded") != std::string::npos);
        QVERIFY(log.find(" : Chars session ..: 3") != std::string::npos);
        QVERIFY(log.find(" : Total Chars ....: 3") != std::string::npos);
        // The record dialled from the command line was not added to the list.
        QVERIFY(fileText(folder / "VX3_BBS.INI").find("127.0.0.1:") == std::string::npos);
    }

    // Keys typed on the screen reach the board as ATASCII: Ctrl+letters as control codes (no
    // shortcut takes them), Enter as 155, Backspace as 126, inverse typing as inverse codes.
    void keysReachTheBoardAsAtascii() {
        QTcpServer board;
        QVERIFY(board.listen(QHostAddress::LocalHost));
        QByteArray received;
        connect(&board, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* caller = board.nextPendingConnection();
            connect(caller, &QTcpSocket::readyRead, caller, [caller, &received] { received += caller->readAll(); });
        });
        Run run("127.0.0.1", board.serverPort());
        run.app->start();
        run.app->config().KeyPressDelay = false;
        QTRY_VERIFY(run.app->session().connection().connected());

        ScreenWidget* screen = run.app->screenWindow().screen();
        QTest::keyClicks(screen, "Ta");
        for (Qt::Key key : {Qt::Key_W, Qt::Key_Q, Qt::Key_S, Qt::Key_C}) QTest::keyClick(screen, key, Qt::ControlModifier);
        QTest::keyClick(screen, Qt::Key_Return);
        QTest::keyClick(screen, Qt::Key_Backspace);
        QTest::keyClick(screen, Qt::Key_End);
        QTest::keyClicks(screen, "b");
        QTest::keyClick(screen, Qt::Key_End);
        QTest::keyClicks(screen, "c");
        const QByteArray expected("Ta\x17\x11\x13\x03\x9b\x7e\xe2" "c", 10);
        QTRY_COMPARE(received.toHex(' '), expected.toHex(' '));
        QVERIFY(run.app->session().abortFlag());  // Ctrl+C asks to drop the rest of the page
    }

    void theToolbarCarriesEveryKey() {
        Run run;
        run.app->start();
        MainFrame& frame = run.app->frame();
        for (const std::string& key : MainFrame::toolKeys()) QVERIFY2(frame.toolButton(key), key.c_str());
        QCOMPARE(frame.toolButton("tbCONNECT")->toolTip(), QString("Connect to the Selected BBS"));
        // Snd and Rec open the transfer window on an upload and on a download.
        for (const auto& [key, upload] : {std::pair{"tbSND", true}, std::pair{"tbREC", false}}) {
            frame.toolButton(key)->trigger();
            QTRY_VERIFY2(run.app->transferWindow() && run.app->transferWindow()->isVisible(), key);
            QCOMPARE(run.app->transferWindow()->uploadMode(), upload);
        }

        // tb80 twice: back to the old width, the cursor where it was.
        run.app->screen().SendToScreen("AB");
        const auto before = run.app->screen().state();
        const int width = frame.width();
        frame.toolButton("tb80")->trigger();
        QCOMPARE(run.app->screen().state().ColumnCount, 80);
        QCOMPARE(frame.width(), MainFrame::kWidth80);
        QCOMPARE(frame.panelText("pnlSTAT"), QString("80 column mode"));
        frame.toolButton("tb80")->trigger();
        QCOMPARE(frame.width(), width);
        QCOMPARE(run.app->screen().state().CursorX, before.CursorX);
        QCOMPARE(run.app->screen().state().CursorY, before.CursorY);
        QCOMPARE(run.app->screen().state().LastChar, before.LastChar);

        // The sample board has both switches off: each key turns its panel on, then off again.
        for (const auto& [key, panel, text] :
             {std::tuple{"tbBAUDSIM", "pnlBAUDSIM", "Baud"}, std::tuple{"tbSTAYALIVE", "pnlSTAYALIVE", "Stay"}}) {
            QCOMPARE(frame.panelText(panel), QString());
            frame.toolButton(key)->trigger();
            QCOMPARE(frame.panelText(panel), QString(text));
            frame.toolButton(key)->trigger();
            QCOMPARE(frame.panelText(panel), QString());
        }

        QAction* captureOn = run.app->screenWindow().captureMenu()->findChild<QAction*>("mnuCaptureOn");
        QVERIFY(captureOn);
        captureOn->trigger();
        QCOMPARE(frame.panelText("pnlCAPTURE"), QString("Cap"));
        QVERIFY(captureOn->isChecked());
        captureOn->trigger();
        QCOMPARE(frame.panelText("pnlCAPTURE"), QString());
    }

    // A user keeps the BBS editor open on the board through three calls, then saves it: the
    // calls stay counted, the editor showed each count as it came, and no dial moved the frame
    // from where the user put it.
    void threeCallsWithTheEditorOpenStayCountedAndTheFrameStays() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        BBSEditorWindow* editor = run.app->bbsEditorWindow();
        QVERIFY(editor && editor->isVisible());
        type(child<QLineEdit>(editor, "txtPORT"), QString::number(board.port()));
        click(editor, "cmdRefresh");
        MainFrame& frame = run.app->frame();
        frame.move(frame.pos() + QPoint(7, 5));
        const QPoint place = frame.pos();
        for (int call = 1; call <= 3; ++call) {
            click(&frame, "Command1");
            QTRY_VERIFY(run.app->session().connection().connected());
            QCOMPARE(frame.pos(), place);
            frame.toolButton("tbDISCONNECT")->trigger();
            QVERIFY(!run.app->session().connection().connected());
            QCOMPARE(child<QLineEdit>(editor, "txtBBSnumconnects")->text(), QString::number(call));
        }
        QCOMPARE(board.calls(), 3);
        QCOMPARE(child<QLineEdit>(editor, "TxtLastTimeOnline")->text(), QString("0:00:00"));
        type(child<QLineEdit>(editor, "txtBBSsysop"), "Sysop typed during the calls");
        click(editor, "cmdExit");
        const IniFile list = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        const auto stored = [&list](const char* key) { return QString::fromStdString(list.read("1", key, "")); };
        QCOMPARE(stored("Sysop"), QString("Sysop typed during the calls"));
        QCOMPARE(stored("Connects").trimmed(), QString("3"));
        QCOMPARE(stored("LastTimeOnline"), QString("0:00:00"));
        QCOMPARE(frame.pos(), place);
    }

    void theConfigurationEditorOpensFromTheToolbarAndItsSaveIsApplied() {
        Run run;
        run.app->start();
        MainFrame& frame = run.app->frame();
        QVERIFY(frame.toolButton("tbEDITCFG")->isEnabled());
        frame.toolButton("tbEDITCFG")->trigger();
        CfgForm* editor = run.app->configurationEditor();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->objectName(), QString("CfgForm"));

        // Scrollback switched off in the editor hides the terminal window's scrollback controls.
        auto* scrollbackBox = editor->findChild<QCheckBox*>("chkScrollBack");
        QVERIFY(scrollbackBox);
        scrollbackBox->setChecked(false);
        editor->findChild<QPushButton*>("Command1")->click();
        QVERIFY(!run.app->config().ScrollBack);
        QVERIFY(!frame.findChild<QPushButton*>("cmdScrollback")->isVisibleTo(&frame));
        const IniFile config = IniFile::parse(fileText(run.folder() / "VX3_Cfg.ini"));
        QCOMPARE(config.read("Config", "ScrollBack", ""), std::string("False"));
    }

    void theWelcomeWindowComesFirstAndAKeyGoesOn() {
        TempDir temp;
        FakePrompter prompter;
        prompter.yesNoAnswers = {false};
        DesktopApp::Options options;
        options.systemFolder = (temp / "Vexterm").string();
        options.prompter = &prompter;
        options.quit = [] {};
        DesktopApp app(options);
        app.start();
        QVERIFY(app.welcomeWindow());
        QVERIFY(app.welcomeWindow()->isVisible());
        QCOMPARE(app.welcomeWindow()->windowTitle(),
                 QString("  Welcome to the ATASCII Terminal client.  Click on the image."));
        QVERIFY(!app.started());
        QVERIFY(!std::filesystem::exists(temp / "Vexterm"));  // nothing happens before the click
        QTest::keyClick(app.welcomeWindow(), Qt::Key_Space);
        QVERIFY(!app.welcomeWindow()->isVisible());
        QVERIFY(app.started());
        QVERIFY(app.frame().isVisible());
        app.shutdown();
    }

    void closingTheFrameShutsDownOnce() {
        Run run;
        run.app->start();
        run.app->frame().close();
        QVERIFY(run.quit);
        run.app->shutdown();
        const IniFile config = IniFile::parse(fileText(run.folder() / "VX3_Cfg.ini"));
        QCOMPARE(config.read("Totals", "SessionNum", ""), std::string("1"));
    }
};

QTEST_MAIN(DesktopAppTest)
#include "DesktopAppTest.moc"
