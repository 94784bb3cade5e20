// What a user meets first, through the real windows: where the keyboard focus is after
// connecting, the bytes that keys (as X11 delivers them) put on the line, the toolbar following
// the connection, and the screen window showing what is typed on it.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>
#include <QtTest>

#include "config/IniFile.h"
#include "screen/GlyphIndex.h"
#include "screen/GlyphSet.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "support/X11Keys.h"
#include "ui/config/CfgForm.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/frame/MainFrame.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/TerminalWindow.h"

using namespace vx;
using namespace vx::test;

Q_DECLARE_METATYPE(std::vector<vx::test::X11Key>)

namespace {

constexpr int kWaitMs = 5000;

QWidget* screenWidget(Run& run) { return run.app->screenWindow().screen(); }

// The frame as the window the user works in: only the active window's widgets have the focus.
bool activate(Run& run) {
    run.app->frame().activateWindow();
    return QTest::qWaitForWindowActive(&run.app->frame());
}

// Two programs in one process see each other's windows: the shared call's hand-over of the keys
// (from the test before) is let finish, so it never takes them back from a new program.
bool settleSharedCall(Run& call) {
    if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &call.app->frame(); }, kWaitMs)) return false;
    QTest::qWait(200);  // longer than a hand-over's check
    return true;
}

// Connects to the board with a click on Connect, as a user does after picking the board.
void clickConnect(Run& run, LoopbackBoard& board) {
    run.pointSampleBoardAt(board.port());
    auto* combo = run.app->frame().findChild<QComboBox*>("Combo1");
    combo->setFocus();  // the board was just picked from the list
    QTest::mouseClick(run.app->frame().findChild<QPushButton*>("Command1"), Qt::LeftButton);
}

}  // namespace

class KeysAndFocusTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackBoard> m_board;
    std::unique_ptr<Run> m_call;  // one call shared by the key table

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void initTestCase() {
        m_board = std::make_unique<LoopbackBoard>();
        m_call = std::make_unique<Run>();
        m_call->app->start();
        QVERIFY(activate(*m_call));
        clickConnect(*m_call, *m_board);
        QTRY_VERIFY_WITH_TIMEOUT(m_call->app->session().connection().connected(), kWaitMs);
    }

    void cleanupTestCase() {
        m_call.reset();
        m_board.reset();
    }

    void keysReachTheBoardAsTheirBytes_data() {
        using namespace x11;
        QTest::addColumn<std::vector<X11Key>>("keys");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("letters") << std::vector<X11Key>{letter('a'), letter('B')} << QByteArray("aB");
        QTest::newRow("Return is the ATASCII end of line") << std::vector<X11Key>{kReturn} << QByteArray("\x9b");
        QTest::newRow("Backspace") << std::vector<X11Key>{kBackspace} << QByteArray("\x7e");
        QTest::newRow("Escape") << std::vector<X11Key>{kEscape} << QByteArray("\x1b");
        QTest::newRow("Ctrl+letters, none taken as a shortcut")
            << std::vector<X11Key>{letter('a', Qt::ControlModifier), letter('w', Qt::ControlModifier),
                                   letter('q', Qt::ControlModifier), letter('s', Qt::ControlModifier),
                                   letter('c', Qt::ControlModifier)}
            << QByteArray("\x01\x17\x11\x13\x03");
        QTest::newRow("Delete and Insert send nothing")
            << std::vector<X11Key>{kDelete, kInsert, letter('x')} << QByteArray("x");
        QTest::newRow("Tab and Shift+Tab are keys for the board")
            << std::vector<X11Key>{kTab, kShiftTab} << QByteArray("\t\t");
        QTest::newRow("Ctrl+, Ctrl+. Ctrl+; are the heart, diamond and spade")
            << std::vector<X11Key>{kCtrlComma, kCtrlPeriod, kCtrlSemicolon} << QByteArray("\x00\x60\x7b", 3);
        QTest::newRow("End switches inverse typing") << std::vector<X11Key>{kEnd, letter('b'), kEnd, letter('c')}
                                                     << QByteArray(
                                                            "\xe2"
                                                            "c");
        QTest::newRow("Shift+Ctrl+1 sends macro 1")
            << std::vector<X11Key>{shiftCtrlDigit(1)} << QByteArray("yourpassword\x9b");
        QTest::newRow("Shift+Ctrl+0 sends macro 0")
            << std::vector<X11Key>{shiftCtrlDigit(0)} << QByteArray("yourlogin\x9b");
        // On a German keyboard Shift+0 is "=": the key, not the symbol, says which macro.
        QTest::newRow("Shift+Ctrl+0 on a German keyboard")
            << std::vector<X11Key>{{"Shift+Ctrl+0 (de)", Qt::Key_Equal, Qt::ShiftModifier | Qt::ControlModifier, 19,
                                    0x3d, "="}}
            << QByteArray("yourlogin\x9b");
    }

    void keysReachTheBoardAsTheirBytes() {
        QFETCH(std::vector<X11Key>, keys);
        QFETCH(QByteArray, sent);
        QVERIFY(activate(*m_call));
        QTest::mouseClick(screenWidget(*m_call), Qt::LeftButton);  // a click on the screen, then keys
        m_board->clear();
        for (const X11Key& key : keys) pressKey(key);
        QTRY_COMPARE_WITH_TIMEOUT(m_board->received().toHex(' '), sent.toHex(' '), kWaitMs);
        QCOMPARE(QApplication::focusWidget(), screenWidget(*m_call));  // Tab did not move it
        QTest::qWait(100);                                             // nothing more comes
        QCOMPARE(m_board->received().toHex(' '), sent.toHex(' '));
        m_call->app->session().keyboard().setInverseTyping(false);
    }

    // Ctrl+Shift+V pastes the clipboard to the board (look-alikes as ATASCII, lines ended with
    // 155); Ctrl+Shift+C copies the screen as text.
    void pasteAndCopyAsInEveryTerminal() {
        QVERIFY(activate(*m_call));
        QTest::mouseClick(screenWidget(*m_call), Qt::LeftButton);
        m_board->clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8("one\ntwo \u2665\n"));
        pressKey(x11::letter('V', Qt::ControlModifier));
        QTRY_COMPARE_WITH_TIMEOUT(m_board->received().toHex(' '), QByteArray("one\x9btwo \x00\x9b", 10).toHex(' '),
                                  kWaitMs);
        m_call->app->session().baudSim().setActive(false);
        // Ctrl+C in the key table drops the board's next chunk: this one may go, the next shows.
        m_board->send("DROPPED?\x9b");
        QTest::qWait(200);
        m_board->send("COPY ME\x9b");
        const CellCodes& codes = m_call->app->screen().codes();
        const auto shown = [&] {
            for (int row = 0; row < CellCodes::kRows; ++row)
                if (codes.row(row, 40).find("COPY ME") != std::string_view::npos) return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(shown(), kWaitMs);
        QGuiApplication::clipboard()->clear();
        pressKey(x11::letter('C', Qt::ControlModifier));
        QVERIFY2(QGuiApplication::clipboard()->text().contains("COPY ME"),
                 qPrintable(QGuiApplication::clipboard()->text()));
        QCOMPARE(m_board->received().toHex(' '), QByteArray("one\x9btwo \x00\x9b", 10).toHex(' '));
    }

    // Ctrl with =, + (Shift), - and 0 zoom the screen, the zoom is kept in the configuration,
    // the frame follows the width and stays on the screen, and the board gets none of them.
    void zoomKeysResizeTheScreenAndReachNoBoard_data() {
        QTest::addColumn<std::vector<X11Key>>("keys");
        QTest::addColumn<int>("zoom");
        const X11Key in{"Ctrl+=", Qt::Key_Equal, Qt::ControlModifier, 21, 0x3d, "="};
        const X11Key plus{"Ctrl++", Qt::Key_Plus, Qt::ShiftModifier | Qt::ControlModifier, 21, 0x2b, "+"};
        const X11Key out{"Ctrl+-", Qt::Key_Minus, Qt::ControlModifier, 20, 0x2d, "-"};
        const X11Key reset{"Ctrl+0", Qt::Key_0, Qt::ControlModifier, 19, 0x30, "0"};
        QTest::newRow("Ctrl+= steps up") << std::vector<X11Key>{in} << 3;
        QTest::newRow("Ctrl++ steps up to 4x, then fit, and no further")
            << std::vector<X11Key>{plus, in, in, in} << int{ScreenWidget::kFit};
        QTest::newRow("Ctrl+- steps down to 1x and no further") << std::vector<X11Key>{out, out} << 1;
        QTest::newRow("Ctrl+0 is 2x again") << std::vector<X11Key>{in, in, reset} << 2;
    }
    void zoomKeysResizeTheScreenAndReachNoBoard() {
        QFETCH(std::vector<X11Key>, keys);
        QFETCH(int, zoom);
        m_call->app->setZoom(2);
        QVERIFY(activate(*m_call));
        QTest::mouseClick(screenWidget(*m_call), Qt::LeftButton);
        m_board->clear();
        for (const X11Key& key : keys) pressKey(key);
        const IniFile stored = IniFile::parse(fileText(m_call->folder() / "VX3_Cfg.ini"));
        QCOMPARE(QString::fromStdString(stored.read("Config", "ScreenZoom", "")), QString::number(zoom));
        const MainFrame& frame = m_call->app->frame();
        QVERIFY(frame.width() >= screenWidget(*m_call)->width());
        QVERIFY(frame.screen()->availableGeometry().contains(frame.frameGeometry()));
        QCOMPARE(QApplication::focusWidget(), screenWidget(*m_call));
        QTest::qWait(100);
        QCOMPARE(m_board->received(), QByteArray());
    }

    // F11: the screen fills the monitor at the largest whole zoom, centred in black; keys, Escape
    // included, go to the board; F12 brings the terminal window over it and puts it away; F11 leaves.
    void fullScreenKeepsTheKeysForTheBoard() {
        const X11Key f11{"F11", Qt::Key_F11, Qt::NoModifier, 95, 0xffc8, ""};
        const X11Key f12{"F12", Qt::Key_F12, Qt::NoModifier, 96, 0xffc9, ""};
        m_call->app->screenWindow().captureMenu()->findChild<QAction*>("mnuZoom3")->trigger();
        QCOMPARE(screenWidget(*m_call)->width(), 960);
        QVERIFY(activate(*m_call));
        QTest::mouseClick(screenWidget(*m_call), Qt::LeftButton);
        m_board->clear();
        pressKey(f11);
        MainFrame& frame = m_call->app->frame();
        const QRect monitor = frame.screen()->geometry();
        QTRY_COMPARE_WITH_TIMEOUT(frame.geometry(), monitor, kWaitMs);
        // 40 columns of 320 Atari pixels, 192 high: 5 whole pixels each on 1920 x 1080.
        QWidget* screen = screenWidget(*m_call);
        QTRY_COMPARE_WITH_TIMEOUT(screen->size(), QSize(1600, 960), kWaitMs);
        const QRect shown(screen->mapTo(&frame, QPoint(0, 0)), screen->size());
        QCOMPARE(shown.center(), QRect(QPoint(0, 0), monitor.size()).center());
        const QImage picture = frame.screen()->grabWindow(frame.winId()).toImage();
        for (const QPoint slack :
             {QPoint(shown.center().x(), shown.top() - 3), QPoint(monitor.width() - 5, monitor.height() - 5),
              QPoint(shown.left() - 3, shown.center().y())})
            QCOMPARE(picture.pixel(slack) & 0xFFFFFF, 0u);

        for (const X11Key& key : {x11::letter('a'), x11::kEscape}) pressKey(key);
        QTRY_COMPARE_WITH_TIMEOUT(m_board->received(), QByteArray("a\x1b"), kWaitMs);
        QVERIFY(frame.windowState() & Qt::WindowFullScreen);

        pressKey(f12);
        QWidget& terminal = m_call->app->terminalWindow();
        QVERIFY(terminal.isVisible() && frame.rect().contains(terminal.geometry()));
        pressKey(f12);
        QVERIFY(!terminal.isVisible());
        QCOMPARE(QApplication::focusWidget(), screen);

        pressKey(f11);
        QTRY_VERIFY_WITH_TIMEOUT(!(frame.windowState() & Qt::WindowFullScreen), kWaitMs);
        QVERIFY(terminal.isVisible());
        QCOMPARE(screen->width(), 960);  // the zoom chosen before
        QCOMPARE(QApplication::focusWidget(), screen);
        m_call->app->setZoom(2);
    }

    // Rows scrolled off the top are there again with the wheel; the first key after that shows
    // the live screen and goes to the board as always.
    void theWheelLooksBackAndAKeyReturns() {
        QVERIFY(activate(*m_call));
        QTest::mouseClick(screenWidget(*m_call), Qt::LeftButton);
        m_call->app->session().baudSim().setActive(false);
        QByteArray lines;
        for (int n = 0; n < 60; ++n) lines += "HISTORY " + QByteArray::number(n) + "\x9b";
        m_board->send(lines);
        const ScreenInterpreter& screen = m_call->app->screen();
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromStdString(std::string(screen.codes().row(screen.state().CursorY - 1, 40)))
                                     .startsWith("HISTORY 59"),
                                 kWaitMs);
        auto* widget = static_cast<ScreenWidget*>(screenWidget(*m_call));
        QWheelEvent notch(QPointF(100, 100), widget->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 120 * 8),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &notch);
        QVERIFY(widget->showingPage());
        HistoryView& view = m_call->app->historyView();
        QCOMPARE(view.linesBack(), 24u);
        auto* marker = m_call->app->screenWindow().findChild<QLabel*>("lblHistory");
        QVERIFY(marker->isVisible());
        QCOMPARE(marker->text(), QString("History: 24 lines back"));
        // The page's rows are the lines that left the live screen, in order.
        const GlyphIndex index;
        std::string top;
        for (int col = 0; col < 12; ++col) top += static_cast<char>(index.codeAt(view.page(), col, 0).value_or('?'));
        const std::string firstLive(screen.codes().row(0, 12));
        const int firstLiveNumber = std::stoi(firstLive.substr(8));
        QCOMPARE(QString::fromStdString(top).trimmed(), QString("HISTORY %1").arg(firstLiveNumber - 24));

        m_board->clear();
        pressKey(x11::letter('x'));
        QVERIFY(!widget->showingPage());
        QVERIFY(!marker->isVisible());
        QVERIFY(!view.active());
        QTRY_COMPARE_WITH_TIMEOUT(m_board->received(), QByteArray("x"), kWaitMs);
    }

    // The board list is disabled while connected; the keys must not end up in the next control.
    void aLoginTypedAfterClickingConnectReachesTheBoard() {
        QVERIFY(settleSharedCall(*m_call));
        LoopbackBoard board;
        Run run;
        run.app->start();
        QVERIFY(run.app->config().KeyPressDelay);  // the first run's setting: 65 ms between keys
        QVERIFY(activate(run));
        clickConnect(run, board);
        QCOMPARE(QApplication::focusWidget(), screenWidget(run));
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected(), kWaitMs);
        QCOMPARE(QApplication::focusWidget(), screenWidget(run));
        typeText("joe\r");  // faster than the key-press delay: nothing may be lost
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("joe\x9b"), kWaitMs);
    }

    // Started with a board's address (the command line, a telnet:// link), the program calls it
    // with the BBS list open beside the screen: the login typed at the board's prompt must reach
    // the board, not the list's search box.
    void aLoginTypedAfterStartingWithAnAddressReachesTheBoard() {
        LoopbackBoard board;
        Run run("127.0.0.1", board.port());
        run.app->start();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && QApplication::activeWindow(), kWaitMs);
        QVERIFY(run.app->bbsEditorWindow() && run.app->bbsEditorWindow()->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), &run.app->frame());
        QCOMPARE(QApplication::focusWidget(), screenWidget(run));
        typeText("joe\r");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("joe\x9b"), kWaitMs);
    }

    // Buttons in the program's other windows that send to the board hand the keys back to the
    // screen: the BBS editor's Sign.
    void theSignatureSentFromTheBBSEditorLeavesTheKeysWithTheScreen() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        QVERIFY(activate(run));
        clickConnect(run, board);
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected(), kWaitMs);
        run.app->openBBSEditor();
        BBSEditorWindow* editor = run.app->bbsEditorWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), editor, kWaitMs);
        board.clear();
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdSendSig"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("<your signature>\x9b"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &run.app->frame(), kWaitMs);
        typeText("ok");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("<your signature>\x9bok"), kWaitMs);
    }

    void theToolbarFollowsTheConnection() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        run.pointSampleBoardAt(board.port());
        MainFrame& frame = run.app->frame();
        QAction* dial = frame.toolButton("tbCONNECT");
        QAction* hangUp = frame.toolButton("tbDISCONNECT");
        auto* connectButton = frame.findChild<QPushButton*>("Command1");
        QVERIFY(dial->isEnabled());
        QVERIFY(!hangUp->isEnabled());

        // Hanging up while dialling ends the attempt.
        dial->trigger();
        QCOMPARE(connectButton->text(), QString("Abort"));
        QVERIFY(hangUp->isEnabled());
        hangUp->trigger();
        QCOMPARE(connectButton->text(), QString("Connect"));
        QVERIFY(dial->isEnabled());
        QVERIFY(!hangUp->isEnabled());
        QTest::qWait(200);
        QVERIFY(!run.app->session().connection().connected());

        dial->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected(), kWaitMs);
        QVERIFY(!dial->isEnabled());
        QVERIFY(hangUp->isEnabled());
        QVERIFY(frame.findChild<QLabel*>("shpOnline")->property("lit").toBool());
        hangUp->trigger();
        QVERIFY(dial->isEnabled());
        QVERIFY(!hangUp->isEnabled());
        QVERIFY(!frame.findChild<QLabel*>("shpOnline")->property("lit").toBool());
    }

    void quittingDuringACallBooksIt() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        clickConnect(run, board);
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected(), kWaitMs);
        run.app->frame().toolButton("tbEXIT")->trigger();
        QVERIFY(run.quit);
        const IniFile list = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        QCOMPARE(QString::fromStdString(list.read("1", "LastTimeOnline", "")), QString("0:00:00"));
        const std::string log = fileText(run.folder() / "VX3_log.txt");
        const auto closed = log.find(" Closed (LOCAL)\r\n");
        QVERIFY(closed != std::string::npos);
        QVERIFY(closed < log.find("System Unloaded"));
    }

    // Typed offline before the first clear, a character lands on the start-up picture and is
    // what the window shows in its cell.
    void offlineTypingShowsOverTheStartupPicture() {
        Run run;
        run.app->start();
        run.app->config().KeyPressDelay = false;
        QVERIFY(activate(run));
        screenWidget(run)->setFocus();
        QVERIFY(run.app->screenWindow().startupPictureShown());
        for (int i = 0; i < 5; ++i) pressKey(x11::kDown);
        for (int i = 0; i < 15; ++i) pressKey(x11::kRight);
        pressKey(x11::letter('X'));
        const Glyph& x = GlyphSet::atascii()['X'];
        ScreenWidget* screen = run.app->screenWindow().screen();
        const QPoint origin = screen->mapTo(screen->window(), QPoint(15 * 16, 5 * 16));
        const auto shownCell = [&] {
            const QImage shown =
                screen->screen()->grabWindow(screen->window()->winId()).toImage().convertToFormat(QImage::Format_RGB32);
            int wrong = 0;
            for (int y = 0; y < 16; ++y)
                for (int px = 0; px < 16; ++px) {
                    const bool white =
                        (x.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(px / 8)] >> (7 - px % 8)) & 1;
                    if ((qGray(shown.pixel(origin.x() + px, origin.y() + y)) > 127) != white) ++wrong;
                }
            return wrong;
        };
        QTRY_COMPARE_WITH_TIMEOUT(shownCell(), 0, kWaitMs);
    }

    void theFirstTitleHintWaitsItsInterval() {
        Run run;
        run.app->start();
        QVERIFY(run.app->config().TitleBarMsg);
        QCOMPARE(run.app->frame().windowTitle(), QString("Vexterm"));
    }

    void theCaptureMenuShowsItsCaptionsAndSwitchesUrlDetection() {
        Run run;
        run.app->start();
        QMenu* menu = run.app->screenWindow().captureMenu();
        QAction* capture = menu->findChild<QAction*>("mnuCaptureOn");
        QCOMPARE(capture->text(), QString("Capture On"));
        capture->trigger();
        QCOMPARE(capture->text(), QString("Capture OFF"));
        QCOMPARE(run.app->frame().panelText("pnlCAPTURE"), QString("Cap"));
        capture->trigger();
        QCOMPARE(capture->text(), QString("Capture ON"));

        QAction* detect = menu->findChild<QAction*>("mnuDetectURLs");
        QVERIFY(detect);
        QVERIFY(detect->isCheckable());
        const bool before = run.app->config().DetectURLs;
        QCOMPARE(detect->isChecked(), before);
        detect->trigger();
        QCOMPARE(run.app->config().DetectURLs, !before);
        QCOMPARE(detect->isChecked(), !before);
    }

    // The configuration editor is modal over the frame (without a nested event loop) and opens
    // wholly on the screen; switching the log off there stops logging for the run.
    void theConfigurationEditorIsModalOnScreenAndRulesTheLog() {
        Run run;
        run.app->start();
        run.app->frame().toolButton("tbEDITCFG")->trigger();
        CfgForm* editor = run.app->configurationEditor();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowModality(), Qt::WindowModal);
        const QRect area = editor->screen()->availableGeometry();
        QVERIFY2(area.contains(editor->frameGeometry()), "the editor opens partly off the screen");

        editor->findChild<QCheckBox*>("chkSystemLog")->setChecked(false);
        QTest::mouseClick(editor->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        const std::string before = fileText(run.folder() / "VX3_log.txt");
        run.app->shutdown();
        QCOMPARE(fileText(run.folder() / "VX3_log.txt"), before);  // not even "System Unloaded"

        Run again;
        again.app->start();
        again.app->frame().toolButton("tbEDITCFG")->trigger();
        CfgForm* second = again.app->configurationEditor();
        auto* logBox = second->findChild<QCheckBox*>("chkSystemLog");
        logBox->setChecked(false);
        QTest::mouseClick(second->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        again.app->frame().toolButton("tbEDITCFG")->trigger();
        logBox->setChecked(true);
        QTest::mouseClick(second->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(fileText(again.folder() / "VX3_log.txt").find(" System Log File Enabled\r\n") != std::string::npos);
    }

    // The frame never runs off the screen, The Box open or not; at 80 columns on a screen wide
    // enough it has its full width. The BBS list beside it stays on the screen too.
    void eightyColumnsFitTheScreen() {
        Run run;
        run.app->start();
        MainFrame& frame = run.app->frame();
        const QRect area = frame.screen()->availableGeometry();
        BBSEditorWindow* editor = run.app->bbsEditorWindow();
        QVERIFY(editor && editor->isVisible());  // opened beside the frame on the first run
        QVERIFY(run.app->session().box().open());
        QVERIFY(area.contains(frame.frameGeometry()));
        frame.toolButton("tb80")->trigger();
        const int available = frame.availableWidth();
        QVERIFY(frame.width() <= available);
        if (available >= MainFrame::kWidth80) QCOMPARE(frame.width(), MainFrame::kWidth80);
        QVERIFY(area.contains(frame.frameGeometry()));
        QVERIFY2(area.contains(editor->frameGeometry()), "the BBS list ran off the screen");
    }
};

QTEST_MAIN(KeysAndFocusTest)
#include "KeysAndFocusTest.moc"
