// What happened and how fast, through the windows: the status window during a call to a
// loopback board (ONLINE, the counts, a speed, the graph), the log viewer following the log and
// its actions, the time-online report sorted and saved, the scrollback debug window.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/log/LogWindow.h"
#include "ui/terminal/StatusWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/tools/ScrollbackDebugWindow.h"

using namespace vx;
using namespace vx::test;

namespace {

constexpr int kWaitMs = 8000;

}  // namespace

class StatusReportTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void theStatusWindowFollowsACall() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        run.app->config().SpeedCheck = true;
        click(&run.app->terminalWindow(), "cmdStatus");
        StatusWindow* status = run.app->statusWindow();
        QVERIFY(status && status->isVisible());
        QVERIFY(child<QLabel>(status, "Label4")->isVisible());  // OFFLINE
        QVERIFY(!child<QLabel>(status, "Label1")->isVisible());

        run.pointSampleBoardAt(board.port());
        run.app->session().connection().connectButton();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && board.calls() == 1, kWaitMs);
        board.send(QByteArray(1500, 'x'));
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(status, "Label1")->isVisible(), kWaitMs);
        QCOMPARE(child<QLineEdit>(status, "Text2")->text(), QString("Vexterm Demo BBS"));
        QCOMPARE(child<QLineEdit>(status, "Text4")->text(), QString::number(board.port()));
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(status, "txtIncChars")->text(), QString("1,500"), kWaitMs);
        // The first sample comes four seconds after the connect: the 1,500 characters as bits.
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(status, "txtSpeed")->text(), QString("12000 / 1500"), kWaitMs);
        QCOMPARE(child<QLineEdit>(status, "txtAvgBPS")->text(), QString("3000"));
        QCOMPARE(run.app->session().callStatus().history().back(), 12000);
        QVERIFY(run.app->bbsList().record().MaxBaud >= 12000);

        // The manual entry goes into the log, which the viewer shows.
        QTest::keyClicks(child<QLineEdit>(status, "Text5"), "called in");
        click(status, "cmdLogEntry");
        QCOMPARE(child<QLineEdit>(status, "Text5")->text(), QString());
        click(status, "cmdViewSL");
        LogWindow* viewer = run.app->logWindow();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(viewer->text().contains("called in"));
        QVERIFY(viewer->text().contains(" ** Max BPS: 12000 **"));
    }

    // The viewer shows the log in its log layout and follows it while open; Clear starts it
    // again; switching the log off hides the terminal window's View Log button.
    void theLogViewerFollowsAndClearsTheLog() {
        Run run;
        run.app->start();
        click(&run.app->terminalWindow(), "cmdViewSL");
        QPointer<LogWindow> viewer = run.app->logWindow();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QString("Vexterm System Log"));
        QVERIFY(viewer->text().contains("System Started..."));
        QCOMPARE(viewer->countText(), QString::number(fileText(run.folder() / "VX3_log.txt").size()));
        run.app->status().ShowStatus("a new line", true, false);
        QTRY_VERIFY_WITH_TIMEOUT(viewer->text().contains("a new line"), kWaitMs);

        run.prompter.yesNoAnswers = {true};
        click(viewer, "cmdClear");
        QTRY_VERIFY(!viewer);  // the action closes the viewer
        QCOMPARE(fileText(run.folder() / "VX3_log.txt").substr(19), std::string("Log File Re-started!\r\n"));

        run.app->openLogViewer();
        run.prompter.yesNoAnswers = {false, true};  // keep the file, but stop logging
        click(run.app->logWindow(), "cmdDeleteFile");
        QVERIFY(!run.app->status().sysLog());
        QVERIFY(!child<QPushButton>(&run.app->terminalWindow(), "cmdViewSL")->isVisible());
    }

    // The report of the boards called: sorted by a column in the window, saved as text.
    void theReportIsSortedAndSaved() {
        Run run;
        run.app->start();
        BBSList& list = run.app->bbsList();
        for (const auto& [id, seconds, maxBps] : {std::tuple{"1", 7260, 2400}, std::tuple{"2", 60, 19200}}) {
            if (std::string(id) == "2") QCOMPARE(list.addRecord(), 2);
            QVERIFY(list.LoadBBSRecord(id));
            list.record().TotalTime = seconds;
            list.record().MaxBaud = maxBps;
            QVERIFY(list.UpdateBBSStats(id, true, "0:00"));
        }
        run.app->openBBSEditor();
        click(run.app->bbsEditorWindow(), "cmdTPSreports");
        LogWindow* report = run.app->logWindow();
        QVERIFY(report && report->layout() == LogWindow::Layout::Report);
        QCOMPARE(report->windowTitle(), QString("Vexterm - Time Online Report"));
        QVERIFY(!report->findChild<QPushButton*>("cmdRenameLog"));
        auto* table = child<QTableWidget>(report, "tblReport");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(report->countText(), QString("2"));
        table->sortByColumn(4, Qt::DescendingOrder);  // fastest first
        QCOMPARE(table->item(0, 4)->text(), QString("19200"));
        table->sortByColumn(3, Qt::DescendingOrder);  // longest online first
        QCOMPARE(table->item(0, 3)->text(), QString("2:01"));

        run.prompter.textAnswers = {std::string("tps.txt")};
        click(report, "cmdClear");  // "Save As"
        const std::string saved = fileText(run.folder() / "tps.txt");
        QVERIFY(saved.starts_with("Num   Name"));
        QVERIFY(saved.find("\r\n001   Vexterm Demo BBS") != std::string::npos);
        QTRY_VERIFY(!run.app->logWindow());
    }

    void theDebugWindowShowsTheRing() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        run.app->frame().toolButton("tbDEBUG")->trigger();
        ScrollbackDebugWindow* debug = run.app->debugWindow();
        QVERIFY(debug && debug->isVisible());
        QCOMPARE(child<QLineEdit>(debug, "txtRingSize")->text(), QString("2048"));
        run.pointSampleBoardAt(board.port());
        run.app->session().connection().connectButton();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && board.calls() == 1, kWaitMs);
        board.send("RING TEXT");
        QTRY_VERIFY_WITH_TIMEOUT(child<QPlainTextEdit>(debug, "txtSinceWrap")->toPlainText().contains("RING TEXT"),
                                 kWaitMs);
        const int after = child<QLineEdit>(debug, "txtPosAfter")->text().toInt();
        board.send("MORE");  // the next write starts where the last one ended
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(debug, "txtPosAfter")->text().toInt(), after + 4, kWaitMs);
        QCOMPARE(child<QLineEdit>(debug, "txtPosBefore")->text().toInt(), after);
    }
};

QTEST_MAIN(StatusReportTest)
#include "StatusReportTest.moc"
