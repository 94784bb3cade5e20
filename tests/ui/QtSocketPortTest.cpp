// The socket adapter against a real peer on 127.0.0.1.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "ui/platform/QtSocketPort.h"
#include "support/UiTestSupport.h"

namespace {

// Records the events in order, as text.
class EventLog : public vx::SocketEvents {
public:
    explicit EventLog(vx::QtSocketPort& port) : m_port(port) {}
    QStringList events;
    std::string received;
    void onConnected() override { events << "connected"; }
    void onDataArrival(std::size_t) override {
        received += m_port.readAll();
        events << "data";
    }
    void onRemoteClose() override { events << "remote close"; }
    void onSocketError(int number, const std::string& description, int code, const std::string& source) override {
        events << QString("error %1 %2 %3").arg(number).arg(code).arg(QString::fromStdString(source));
        lastDescription = description;
    }
    void onConnectionRequest() override { events << "request"; }
    std::string lastDescription;
    QByteArray bytes() const { return QByteArray(received.data(), static_cast<qsizetype>(received.size())); }

private:
    vx::QtSocketPort& m_port;
};

// The port dialling a server on 127.0.0.1, its events logged.
struct Call {
    QTcpServer server;
    vx::QtSocketPort port;
    EventLog log{port};

    Call() { port.setEvents(&log); }
    // Dials, takes the call at the server and waits for the port to say it is connected; the
    // server's end of the line, or null when any step failed.
    QTcpSocket* answer() {
        if (!server.listen(QHostAddress::LocalHost)) return nullptr;
        port.connectTo("127.0.0.1", server.serverPort());
        if (!server.waitForNewConnection(5000)) return nullptr;
        QTcpSocket* peer = server.nextPendingConnection();
        return QTest::qWaitFor([this] { return log.events.contains("connected"); }) ? peer : nullptr;
    }
};

}  // namespace

class QtSocketPortTest : public QObject {
    Q_OBJECT

private slots:
    void init() { vx::test::failOnUnexpectedWarnings(); }

    void receivesChunksThenTheRemoteClose() {
        Call call;
        QTcpSocket* peer = call.answer();
        QVERIFY2(peer, "the call did not come up");
        vx::QtSocketPort& port = call.port;
        EventLog& log = call.log;

        peer->write("AB");
        peer->flush();
        QTRY_COMPARE(log.bytes(), QByteArray("AB"));
        peer->write("\xFF\xFB\x01", 3);
        peer->flush();
        QTRY_COMPARE(log.bytes(), QByteArray("AB\xFF\xFB\x01", 5));

        vx::SocketPort::SendError error;
        QVERIFY(port.send("hi\x9B", error));
        QByteArray atPeer;
        QTRY_COMPARE(atPeer += peer->readAll(), QByteArray("hi\x9B"));

        peer->write("bye");
        peer->disconnectFromHost();
        QTRY_VERIFY(log.events.contains("remote close"));
        QCOMPARE(log.bytes(), QByteArray("AB\xFF\xFB\x01"
                                         "bye",
                                         8));
        QCOMPARE(log.events.last(), QString("remote close"));
        for (const QString& event : log.events) QVERIFY2(!event.startsWith("error"), qPrintable(event));
    }

    // A flood is handed over in bounded pieces, in order, and nothing is lost when the other side
    // closes right after sending it.
    void aFloodArrivesInBoundedPiecesBeforeTheClose() {
        Call call;
        QTcpSocket* peer = call.answer();
        QVERIFY2(peer, "the call did not come up");
        EventLog& log = call.log;

        QByteArray flood(3 * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < flood.size(); ++i) flood[i] = static_cast<char>(i * 7 + i / 251);
        peer->write(flood);
        peer->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(log.events.contains("remote close"), 20000);
        QCOMPARE(log.bytes().size(), flood.size());
        QVERIFY(log.bytes() == flood);
        QCOMPARE(log.events.last(), QString("remote close"));
        QVERIFY(log.events.count("data") >= flood.size() / vx::QtSocketPort::kMaxChunk);
    }

    void aLocalCloseIsNotReported() {
        Call call;
        QTcpSocket* peer = call.answer();
        QVERIFY2(peer, "the call did not come up");
        vx::QtSocketPort& port = call.port;
        EventLog& log = call.log;
        port.close();
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QTest::qWait(50);
        QCOMPARE(log.events, QStringList{"connected"});

        vx::SocketPort::SendError error;
        QVERIFY(!port.send("x", error));
        QCOMPARE(error.number, 10057);
        QVERIFY(!error.description.empty());
    }

    void aRefusedConnectionIsAnError() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 closedPort = server.serverPort();
        server.close();
        vx::QtSocketPort port;
        EventLog log(port);
        port.setEvents(&log);
        port.connectTo("127.0.0.1", closedPort);
        QTRY_COMPARE(log.events.size(), 1);
        QCOMPARE(log.events[0], QString("error 10061 10061 Winsock1_Connect"));
        QVERIFY(!log.lastDescription.empty());
    }

    void aNewConnectionDropsTheOldOneQuietly() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        vx::QtSocketPort port;
        EventLog log(port);
        port.setEvents(&log);
        port.connectTo("127.0.0.1", server.serverPort());
        QVERIFY(server.waitForNewConnection(5000));
        QTRY_VERIFY(log.events.contains("connected"));
        port.connectTo("127.0.0.1", server.serverPort());
        QVERIFY(server.waitForNewConnection(5000));
        QTRY_COMPARE(log.events, (QStringList{"connected", "connected"}));
    }
};

QTEST_GUILESS_MAIN(QtSocketPortTest)
#include "QtSocketPortTest.moc"
