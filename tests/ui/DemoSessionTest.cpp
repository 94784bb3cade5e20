#include <unistd.h>

#include <QtTest>

#include "DemoBbsServer.h"
#include "base/AtomicFile.h"
#include "support/LiveSession.h"
#include "support/UiTestSupport.h"

using namespace vx;
using namespace vx::test;

namespace {

constexpr int kWaitMs = 10000;

// The demo board on a free port the BBS record can hold (a record's port is below 32768).
bool listenOnFreePort(demo::DemoBbsServer& server) {
    const quint16 first = static_cast<quint16>(20000 + (::getpid() % 4000) * 3);
    for (quint16 port = first; port < first + 60; ++port)
        if (server.listen(port)) return true;
    return false;
}

}  // namespace

class DemoSessionTest : public QObject {
    Q_OBJECT

    demo::DemoBbsServer m_board;
    std::unique_ptr<LiveSession> m_live;

    QString screenText() const { return QString::fromStdString(m_live->screenText()); }
    void type(const std::string& keys) { m_live->type(keys); }
    Connection& connection() { return m_live->connection(); }
    TerminalSession& session() { return *m_live->session; }

private slots:
    void init() { vx::test::failOnUnexpectedWarnings(); }

    void initTestCase() {
        QVERIFY(listenOnFreePort(m_board));
        m_live = std::make_unique<LiveSession>(m_board.port());
    }

    void logsInWithTheRecordsMacros() {
        m_live->dial();
        QTRY_VERIFY_WITH_TIMEOUT(connection().connected(), kWaitMs);
        QVERIFY(!session().baudSim().active());
        QTRY_VERIFY_WITH_TIMEOUT(screenText().contains("NAME? "), kWaitMs);
        QVERIFY(screenText().contains("VEXTERM DEMO BOARD") || screenText().contains("Welcome to the board!"));

        session().macroButton(0);
        QTRY_VERIFY_WITH_TIMEOUT(screenText().contains("PASSWORD? "), kWaitMs);
        session().macroButton(1);
        QTRY_VERIFY_WITH_TIMEOUT(screenText().contains("COMMAND? "), kWaitMs);
        const QString shown = screenText();
        QVERIFY2(shown.contains("Welcome, YOURLOGIN!"), qPrintable(shown));
        QVERIFY2(shown.contains("PASSWORD? ************"), qPrintable(shown));
        QVERIFY(!shown.contains("yourpassword"));
    }

    void capturesThePageOfAddressesAndFindsThem() {
        session().capture().toggleCapture();
        QVERIFY(session().capture().captureOn());
        type("W\r");
        QTRY_VERIFY_WITH_TIMEOUT(!session().urls().url(2).empty(), kWaitMs);
        QCOMPARE(session().urls().url(0), std::string("http://example.com/atari"));
        QCOMPARE(session().urls().url(1), std::string("https://www.example.org/bbs-list"));
        QCOMPARE(session().urls().url(2), std::string("http://www.example.net/files"));
        QTRY_VERIFY_WITH_TIMEOUT(screenText().contains("COMMAND? "), kWaitMs);
        session().capture().toggleCapture();

        std::string file;
        QVERIFY(readWholeFile(session().capture().path(), file));
        QVERIFY(file.starts_with("\""));
        QVERIFY(file.ends_with("\"\r\n"));
        QVERIFY(file.find("https://www.example.org/bbs-list") != std::string::npos);
    }

    void replaysTheCapture() {
        session().urls().clearUrls();
        m_live->screen.SendToScreen(std::string(1, '\x7d'));
        QVERIFY(!screenText().contains("example"));
        QVERIFY(session().capture().ViewCaptureFile(false, 0));
        QTRY_VERIFY_WITH_TIMEOUT(!session().capture().viewerActive(), 30000);
        const QString shown = screenText();
        QVERIFY2(shown.contains("https://www.example.org/bbs-list"), qPrintable(shown));
        QCOMPARE(session().urls().url(1), std::string("https://www.example.org/bbs-list"));
    }

    void replaysTheScrollbackAfterAFlood() {
        type("F\r");
        QTRY_VERIFY_WITH_TIMEOUT(screenText().contains("How many kilobytes?"), kWaitMs);
        type("3\r");
        QTRY_VERIFY_WITH_TIMEOUT(connection().sessionChars() > 3 * 1024 &&
                                     screenText().trimmed().endsWith("COMMAND?"),
                                 kWaitMs);

        // The newest 2047 characters end with the menu line and its prompt.
        QVERIFY(session().scrollback().scrollbackToBox(2048));
        QCOMPARE(m_live->box.contents.size(), std::size_t{2047});
        QVERIFY2(QByteArray::fromStdString(m_live->box.contents).endsWith("COMMAND? "),
                 m_live->box.contents.substr(m_live->box.contents.size() - 60).c_str());
        QVERIFY(m_live->box.contents.find(static_cast<char>(155)) == std::string::npos);

        m_live->screen.SendToScreen(std::string(1, '\x7d'));
        QVERIFY(session().scrollback().viewScrollback(9));
        QTRY_VERIFY_WITH_TIMEOUT(!session().scrollback().replaying(), kWaitMs);
        QVERIFY2(screenText().startsWith("COMMAND? "), qPrintable(screenText()));
    }

    void theBoardSaysGoodbyeAndTheSessionEnds() {
        type("G\r");
        QTRY_VERIFY_WITH_TIMEOUT(!connection().connected(), kWaitMs);
        QVERIFY(connection().connectEnabled());
        const auto& history = m_live->statusSink.history;
        QVERIFY(std::find(history.begin(), history.end(), "pnlSTAT=Closed (REMOTE)") != history.end());
        QVERIFY(QString::fromStdString(m_live->statusSink.panels["pnlSTAT"]).startsWith("Online: "));
        QCOMPARE(m_live->list.record().Connects, 1);
        QVERIFY(m_live->prompter.messages.empty());
    }
};

QTEST_GUILESS_MAIN(DemoSessionTest)
#include "DemoSessionTest.moc"
