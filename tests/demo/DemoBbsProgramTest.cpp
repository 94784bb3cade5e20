// vexterm-demo-bbs as people and scripts start it: the port line, signals, exit statuses.
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <csignal>

#include "BbsClient.h"

namespace {

const QString kProgram = QStringLiteral(VX_DEMO_BBS_PROGRAM);

}  // namespace

class DemoBbsProgramTest : public QObject {
    Q_OBJECT

private slots:
    void servesUntilSignalled_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void servesUntilSignalled() {
        QFETCH(int, signal);
        QProcess board;
        board.start(kProgram, {"--port", "0"});
        QVERIFY(board.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return board.canReadLine(); }, 10000));
        const QString first = QString::fromLatin1(board.readLine()).chopped(1);
        const auto match = QRegularExpression("^listening on 127\\.0\\.0\\.1:(\\d+)$").match(first);
        QVERIFY2(match.hasMatch(), qPrintable(first));
        const auto port = match.captured(1).toUShort();
        QVERIFY(port != 0);

        BbsClient client(port);
        const auto welcome = client.logIn("yourlogin", "yourpassword", 10000);
        QVERIFY(welcome);
        QCOMPARE(welcome->at(0), '\x7d');
        QVERIFY(welcome->contains("Welcome, YOURLOGIN!"));

        QCOMPARE(::kill(static_cast<pid_t>(board.processId()), signal), 0);
        QVERIFY(board.waitForFinished(10000));
        QCOMPARE(board.exitStatus(), QProcess::NormalExit);
        QCOMPARE(board.exitCode(), 0);
        QVERIFY(client.waitClosedByPeer());
    }

    void helpGoesToStandardOutput() {
        QProcess board;
        board.start(kProgram, {"--help"});
        QVERIFY(board.waitForFinished(10000));
        QCOMPARE(board.exitCode(), 0);
        QVERIFY(board.readAllStandardOutput().startsWith("Usage: vexterm-demo-bbs [--port N]"));
        QVERIFY(board.readAllStandardError().isEmpty());
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2;
        QTest::newRow("port out of range") << QStringList{"--port", "70000"} << 2;
        QTest::newRow("port missing") << QStringList{"--port"} << 2;
        // A port that is already taken; filled in below.
        QTest::newRow("port taken") << QStringList{"--port"} << 1;
    }
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QTcpServer taken;
        if (status == 1) {
            QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
            args << QString::number(taken.serverPort());
        }
        QProcess board;
        board.start(kProgram, args);
        QVERIFY(board.waitForFinished(10000));
        QCOMPARE(board.exitStatus(), QProcess::NormalExit);
        QCOMPARE(board.exitCode(), status);
        QVERIFY(board.readAllStandardOutput().isEmpty());
        const QByteArray error = board.readAllStandardError();
        QCOMPARE(error.count('\n'), qsizetype(1));
        QVERIFY(error.startsWith("vexterm-demo-bbs: "));
    }
};

QTEST_GUILESS_MAIN(DemoBbsProgramTest)
#include "DemoBbsProgramTest.moc"
