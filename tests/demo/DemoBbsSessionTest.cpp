// The demo board as callers meet it: real sockets on the loopback address against an in-process
// server.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <memory>
#include <random>

#include "Atascii.h"
#include "BbsClient.h"
#include "BoardScreens.h"
#include "DemoBbsServer.h"
#include "DemoBbsSession.h"
#include "session/TelnetCodec.h"

namespace {

const QByteArray kNamePrompt = "NAME? ";
const QByteArray kPasswordPrompt = "PASSWORD? ";
const QByteArray kPrompt = "COMMAND? ";
const QByteArray kFloodPrompt = "How many kilobytes? ";
constexpr char kEol = static_cast<char>(155);
constexpr char kBell = static_cast<char>(253);
constexpr char kBs = static_cast<char>(126);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

// The text of a line, as the board would print it, for searching received bytes.
QByteArray line(const QByteArray& text) { return text + kEol; }

}  // namespace

class DemoBbsSessionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<vx::demo::DemoBbsServer> m_server;

    // A caller logged in, at the menu prompt.
    std::unique_ptr<BbsClient> caller() {
        auto client = std::make_unique<BbsClient>(m_server->port());
        if (!client->logIn()) return nullptr;
        return client;
    }

    // A caller at the password prompt, having answered the name with "someone".
    std::unique_ptr<BbsClient> callerAtPassword() {
        auto client = std::make_unique<BbsClient>(m_server->port());
        if (!client->readUntil(kNamePrompt)) return nullptr;
        client->sendLine("someone");
        if (!client->readUntil(kPasswordPrompt)) return nullptr;
        return client;
    }

    static QByteArray mainMenu() { return QByteArray::fromStdString(vx::demo::screens::mainMenu()); }

    // The reply to one command line: from the echo to the next menu prompt.
    static QByteArray command(BbsClient& client, const QByteArray& text, int timeoutMs = 5000) {
        client.sendLine(text);
        return client.readUntil(kPrompt, timeoutMs).value_or(QByteArray());
    }

private slots:
    void init() {
        m_server = std::make_unique<vx::demo::DemoBbsServer>();
        QVERIFY(m_server->listen(0));
        QVERIFY(m_server->port() != 0);
    }
    void cleanup() { m_server.reset(); }

    // With --telnet the board opens like a modem bridge; a caller that answers gets the welcome,
    // and a 255 typed (doubled on the wire) is recorded as one 255.
    void telnetCallerIsGreetedLikeABridge() {
        const QString record = QDir::temp().filePath("vx-demo-telnet-%1.bin").arg(QCoreApplication::applicationPid());
        QVERIFY(m_server->recordInto(record));
        m_server->setTelnet(true);
        BbsClient client(m_server->port());
        const auto opening = client.readUntil(bytes({255, 253, 24}));
        QVERIFY(opening);
        QCOMPARE(*opening, bytes({255, 251, 1, 255, 251, 3, 255, 253, 31, 255, 253, 24}));
        vx::TelnetCodec telnet(vx::TelnetCodec::Side::Client, [&](std::string_view answer) {
            client.send(QByteArray(answer.data(), static_cast<qsizetype>(answer.size())));
        });
        telnet.setWindowSize(80, 24);
        QVERIFY(telnet.decode(opening->toStdString()).empty());
        const auto welcome = client.readUntil(kNamePrompt);
        QVERIFY(welcome);
        QCOMPARE(QByteArray::fromStdString(telnet.decode(welcome->toStdString())),
                 QByteArray::fromStdString(vx::demo::screens::welcome()));
        const std::string name = telnet.encode(std::string("A\xff" "B") + kEol);
        QCOMPARE(QByteArray::fromStdString(name), QByteArray("A\xff\xff" "B") + kEol);
        client.send(QByteArray::fromStdString(name));
        QVERIFY(client.readUntil(kPasswordPrompt));
        m_server.reset();
        QFile recorded(record);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QCOMPARE(recorded.readAll(), QByteArray("A\xff" "B") + kEol);
        recorded.remove();
    }

    // --telnet agrees to binary both ways; --telnet-text refuses it and reads the caller's CR NUL
    // as CR, as RFC 854 asks of a line in plain text.
    void telnetModesAgreeOrRefuseBinary_data() {
        QTest::addColumn<bool>("binary");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("recorded");
        const QByteArray typed = QByteArray("A\r\0B\r\nC", 7) + kEol;
        QTest::newRow("binary") << true << QByteArray() << typed;
        QTest::newRow("text") << false << bytes({255, 252, 0, 255, 254, 0}) << QByteArray("A\rB\r\nC") + kEol;
    }
    void telnetModesAgreeOrRefuseBinary() {
        QFETCH(bool, binary);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, recorded);
        const QString record = QDir::temp().filePath("vx-demo-binary-%1.bin").arg(QCoreApplication::applicationPid());
        QVERIFY(m_server->recordInto(record));
        m_server->setTelnet(true, binary ? vx::TelnetCodec::Binary::Accepted : vx::TelnetCodec::Binary::Refused);
        BbsClient client(m_server->port());
        const auto welcome = client.readUntil(kNamePrompt);
        QVERIFY(welcome);
        QCOMPARE(welcome->contains(bytes({255, 253, 0, 255, 251, 0})), binary);
        client.send(bytes({255, 253, 0, 255, 251, 0}));
        QCOMPARE(client.readFor(300), answer);
        client.send(QByteArray("A\r\0B\r\nC", 7) + kEol);
        QVERIFY(client.readUntil(kPrompt));
        m_server.reset();
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), recorded);
        file.remove();
    }

    void welcomeClearsDrawsAndAsksForAName() {
        QCOMPARE(m_server->address(), QHostAddress(QHostAddress::LocalHost));
        BbsClient client(m_server->port());
        const auto welcome = client.readUntil(kNamePrompt);
        QVERIFY(welcome);
        QCOMPARE(welcome->at(0), '\x7d');
        QVERIFY(welcome->contains(vx::demo::atascii::inverse("VEXTERM DEMO BOARD").c_str()));
        for (int graphic : {17, 18, 5, 26, 3, 124})
            QVERIFY2(welcome->contains(static_cast<char>(graphic)), qPrintable(QString::number(graphic)));
        QVERIFY(welcome->endsWith(QByteArray(2, kEol) + kNamePrompt));
        // The menu waits for the login.
        QVERIFY(!welcome->contains("Read a message"));
        QVERIFY(client.readFor(100).isEmpty());
    }

    void loginAsksForNameThenPasswordThenShowsTheMenu() {
        BbsClient client(m_server->port());
        QVERIFY(client.readUntil(kNamePrompt));
        client.send("your");
        QVERIFY(client.readUntil("your"));
        client.send(QByteArray("login") + kEol);
        QCOMPARE(client.readUntil(kPasswordPrompt).value_or(""), QByteArray("login") + kEol + kPasswordPrompt);
        client.send(QByteArray("yourpassword") + kEol);
        const auto reply = client.readUntil(kPrompt);
        QVERIFY(reply);
        QCOMPARE(*reply, QByteArray(12, '*') + kEol + kEol + line("Welcome, YOURLOGIN!") + mainMenu());
        QVERIFY(client.readFor(100).isEmpty());
    }

    void passwordBackspaceTakesBackOneCharacter() {
        auto client = callerAtPassword();
        QVERIFY(client);
        // What is typed and taken back leaves nothing: the board asks again.
        client->send("x" + bytes({126}) + kEol);
        QCOMPARE(client->readUntil(kPasswordPrompt).value_or(""), "*" + bytes({126}) + kEol + kPasswordPrompt);
        // One backspace more than there is: that one is not echoed, and a character is left.
        client->send("ab" + bytes({126, 126, 126}) + "c" + kEol);
        const auto reply = client->readUntil(kPrompt);
        QVERIFY(reply);
        QVERIFY2(reply->startsWith("**" + bytes({126, 126}) + "*" + kEol + kEol + line("Welcome, SOMEONE!")),
                 reply->left(40).toHex(' ').constData());
    }

    void emptyAnswersAskAgain() {
        BbsClient client(m_server->port());
        QVERIFY(client.readUntil(kNamePrompt));
        client.send(QByteArray(1, kEol));
        QCOMPARE(client.readUntil(kNamePrompt).value_or(""), QByteArray(1, kEol) + kNamePrompt);
        client.send("\r\n");
        QCOMPARE(client.readUntil(kNamePrompt).value_or(""), QByteArray(1, kEol) + kNamePrompt);
        client.sendLine("Dale");
        QVERIFY(client.readUntil(kPasswordPrompt));
        client.send(QByteArray(1, kEol));
        QCOMPARE(client.readUntil(kPasswordPrompt).value_or(""), QByteArray(1, kEol) + kPasswordPrompt);
        // A carriage return alone is an empty answer too; the NULs after them are filler.
        client.send(QByteArray("\r\0secret\r\0", 10));
        const auto reply = client.readUntil(kPrompt);
        QVERIFY(reply);
        QCOMPARE(*reply,
                 QByteArray(1, kEol) + kPasswordPrompt + "******" + kEol + kEol + line("Welcome, DALE!") + mainMenu());
    }

    void macrosLogInAndReachTheMenu() {
        BbsClient client(m_server->port());
        const auto transcript = client.logIn("yourlogin", "yourpassword");
        QVERIFY(transcript);
        QVERIFY(transcript->contains("yourlogin" + QByteArray(1, kEol) + kPasswordPrompt));
        QVERIFY(!transcript->contains("yourpassword"));
        QVERIFY(transcript->endsWith(line("Welcome, YOURLOGIN!") + mainMenu()));
        QVERIFY(command(client, "B").contains(kBell));
    }

    void loginTypedAheadIsAnsweredInOrder() {
        BbsClient client(m_server->port());
        client.send(QByteArray("yourlogin") + kEol);
        client.send(QByteArray("yourpassword") + kEol);
        const auto all = client.readUntil(kPrompt);
        QVERIFY(all);
        const qsizetype name = all->indexOf(kNamePrompt + "yourlogin" + kEol + kPasswordPrompt);
        QVERIFY2(name > 0, all->right(80).toHex(' ').constData());
        QVERIFY(all->indexOf(QByteArray(12, '*') + kEol) > name);
    }

    void commandsBeforeLoginAreJustAnswers() {
        BbsClient client(m_server->port());
        QVERIFY(client.readUntil(kNamePrompt));
        client.sendLine("G");
        QCOMPARE(client.readUntil(kPasswordPrompt).value_or(""), QByteArray("G") + kEol + kPasswordPrompt);
        client.sendLine("B");
        const auto reply = client.readUntil(kPrompt);
        QVERIFY(reply);
        QCOMPARE(*reply, QByteArray("*") + kEol + kEol + line("Welcome, G!") + mainMenu());
        QVERIFY(!reply->contains(kBell));
        QCOMPARE(m_server->callerCount(), 1);
        QVERIFY(client.socket().state() == QAbstractSocket::ConnectedState);
        // Once logged in, the same letters are commands.
        QVERIFY(command(client, "B").contains(kBell));
    }

    void loginAnswersAreCapped() {
        BbsClient client(m_server->port());
        QVERIFY(client.readUntil(kNamePrompt));
        client.sendLine(QByteArray(1000, 'z'));
        QCOMPARE(client.readUntil(kPasswordPrompt).value_or(""), QByteArray(200, 'z') + kEol + kPasswordPrompt);
        client.sendLine(QByteArray(1000, 'p'));
        const auto reply = client.readUntil(kPrompt);
        QVERIFY(reply);
        QVERIFY(reply->startsWith(QByteArray(200, '*') + kEol + kEol + line("Welcome, " + QByteArray(200, 'Z') + "!")));
    }

    void typingIsEchoed() {
        auto client = caller();
        QVERIFY(client);
        client->send("hello");
        QVERIFY(client->readUntil("hello"));
        QVERIFY(client->takeAll().isEmpty());
    }

    void backspaceEditsTheLineButNotThePrompt() {
        auto client = caller();
        QVERIFY(client);
        // One backspace more than there is to take back: that one is not echoed.
        client->send("xy" + bytes({126, 126, 126}) + "b" + kEol);
        const auto reply = client->readUntil(kPrompt);
        QVERIFY(reply);
        QVERIFY2(reply->startsWith("xy" + bytes({126, 126}) + "b" + kEol), reply->toHex(' ').constData());
        // What is left of the line is "b": the bell command, not an unknown one.
        QVERIFY(reply->contains(kBell));
        QVERIFY(!reply->contains("Unknown command"));
    }

    void editingKeysAreNeitherEchoedNorTyped() {
        auto client = caller();
        QVERIFY(client);
        client->send(bytes({28, 29, 30, 31, 127, 125, 254, 255, 156, 157, 253, 27}) + "m" + kEol);
        const auto reply = client->readUntil(kPrompt);
        QVERIFY(reply);
        QVERIFY2(reply->startsWith(QByteArray("m") + kEol), reply->left(20).toHex(' ').constData());
        QVERIFY(reply->contains("Subject:"));
    }

    void carriageReturnEndsLinesAndItsFillerIsDropped_data() {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("CR") << QByteArray("\r");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("CR NUL") << QByteArray("\r\0", 2);
        QTest::newRow("EOL") << QByteArray(1, kEol);
    }
    void carriageReturnEndsLinesAndItsFillerIsDropped() {
        QFETCH(QByteArray, lineEnd);
        auto client = caller();
        QVERIFY(client);
        // Sent in separate pieces, so the filler may arrive after the board acted on the line.
        client->send("b" + lineEnd.left(1));
        QVERIFY(client->readUntil(kPrompt));
        client->send(lineEnd.mid(1) + "b" + lineEnd);
        const auto reply = client->readUntil(kPrompt);
        QVERIFY(reply);
        QVERIFY2(reply->startsWith(QByteArray("b") + kEol), reply->toHex(' ').constData());
        QVERIFY(!reply->contains("Unknown command"));
    }

    void commandsIgnoreCaseAndInverseVideo_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::newRow("upper") << QByteArray("M");
        QTest::newRow("lower") << QByteArray("m");
        QTest::newRow("inverse") << bytes({'M' | 0x80});
        QTest::newRow("blanks around") << QByteArray("  m ");
    }
    void commandsIgnoreCaseAndInverseVideo() {
        QFETCH(QByteArray, typed);
        auto client = caller();
        QVERIFY(client);
        QVERIFY(command(*client, typed).contains("Subject: Swap meet this Saturday"));
    }

    void messageIsQuotableText() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray reply = command(*client, "M");
        QVERIFY(reply.contains(line("From: Dale Ostrander")));
        QVERIFY(reply.contains(line("Subject: Swap meet this Saturday")));
        QVERIFY(reply.contains(line("[End of message]")));
        const qsizetype from = reply.indexOf("From:");
        const qsizetype end = reply.indexOf("[End of message]");
        const QList<QByteArray> lines = reply.mid(from, end - from).split(kEol);
        QVERIFY(lines.size() >= 12);
        for (const QByteArray& l : lines) QVERIFY2(l.size() <= 38, l.constData());
    }

    void webPageCarriesAddresses() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray reply = command(*client, "W");
        for (const char* url :
             {"http://example.com/atari", "https://www.example.org/bbs-list", "www.example.net/files"}) {
            const qsizetype at = reply.indexOf(url);
            QVERIFY2(at >= 0, url);
            // Something a detector can stop at must follow.
            const char after = reply.at(at + qsizetype(qstrlen(url)));
            QVERIFY2(after == ' ' || after == kEol, url);
        }
    }

    void artGalleryUsesGraphicsAndInverseVideo() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray reply = command(*client, "A");
        QVERIFY(reply.contains(vx::demo::atascii::inverse("ART GALLERY").c_str()));
        const auto count = [&](auto predicate) { return std::count_if(reply.begin(), reply.end(), predicate); };
        QVERIFY(count([](char c) { return static_cast<unsigned char>(c) < 27; }) > 50);
        QVERIFY(count([](char c) { return static_cast<unsigned char>(c) == 160; }) > 20);
    }

    void floodSendsExactlyTheBytesAsked_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("bytes");
        QTest::newRow("3 KB") << QByteArray("3") << 3 * 1024;
        QTest::newRow("RETURN means 100") << QByteArray("") << 100 * 1024;
        QTest::newRow("0 is raised to 1") << QByteArray("0") << 1024;
    }
    void floodSendsExactlyTheBytesAsked() {
        QFETCH(QByteArray, answer);
        QFETCH(int, bytes);
        auto client = caller();
        QVERIFY(client);
        client->sendLine("F");
        QVERIFY(client->readUntil(kFloodPrompt));
        client->sendLine(answer);
        QVERIFY(client->readUntil(answer + kEol));
        const auto rest = client->readUntil(kPrompt, 30000);
        QVERIFY(rest);
        const QByteArray done = "FLOOD DONE " + QByteArray::number(bytes) + " BYTES" + kEol;
        const qsizetype at = rest->indexOf(done);
        QVERIFY2(at >= 0, rest->right(80).constData());
        QCOMPARE(at, qsizetype(bytes));
        const QByteArray data = rest->left(at);
        QVERIFY(data.endsWith(kEol));
        for (const QByteArray& l : data.chopped(1).split(kEol)) {
            QVERIFY(!l.isEmpty() && l.size() <= 39);
            QVERIFY(std::all_of(l.begin(), l.end(), [](char c) { return c >= 32 && c < 127; }));
        }
    }

    void floodIsClampedToTwentyMegabytes() {
        auto client = caller();
        QVERIFY(client);
        client->sendLine("F");
        QVERIFY(client->readUntil(kFloodPrompt));
        client->sendLine("99999999999999999999");
        QVERIFY(client->readUntil("FLOOD DONE " + QByteArray::number(20000 * 1024) + " BYTES", 60000));
    }

    void floodAnswerThatIsNotANumberGoesBackToTheMenu() {
        auto client = caller();
        QVERIFY(client);
        client->sendLine("F");
        QVERIFY(client->readUntil(kFloodPrompt));
        const QByteArray reply = command(*client, "12k");
        QVERIFY(reply.contains(line("Not a number.")));
        QVERIFY(!reply.contains("FLOOD DONE"));
        QVERIFY(command(*client, "B").contains(kBell));
    }

    void floodWaitsForACallerWhoDoesNotRead() {
        auto client = caller();
        QVERIFY(client);
        client->sendLine("F");
        QVERIFY(client->readUntil(kFloodPrompt));
        client->pauseReading();
        client->sendLine("20000");
        // The kernel's buffers fill and the rest has to wait in the board, a piece at a time.
        qint64 most = 0;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1500) {
            QTest::qWait(20);
            most = std::max(most, m_server->queuedOutput());
        }
        QVERIFY2(most > 0, "the flood never backed up; the test proves nothing");
        QVERIFY2(most <= 128 * 1024, qPrintable(QString::number(most)));
    }

    void slowPageIsPacedAt1200Baud() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray page = QByteArray::fromStdString(vx::demo::screens::slowPage());
        const QByteArray lastLine = page.right(20);
        QElapsedTimer clock;
        clock.start();
        client->sendLine("S");
        int pieces = 0;
        QObject::connect(&client->socket(), &QTcpSocket::readyRead, [&] { ++pieces; });
        const auto reply = client->readUntil(lastLine, 15000);
        QVERIFY(reply);
        const double expectedMs = page.size() * 1000.0 / vx::demo::DemoBbsSession::kSlowPageRate;
        QVERIFY2(clock.elapsed() >= expectedMs * 0.5, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(clock.elapsed() <= expectedMs * 3 + 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(pieces >= 10, qPrintable(QString::number(pieces)));
        QVERIFY(reply->endsWith(page));
        QVERIFY(client->readUntil(kPrompt));
    }

    void typingDuringASlowPageWaitsForItsEnd() {
        auto client = caller();
        QVERIFY(client);
        client->sendLine("S");
        QVERIFY(client->readUntil("This page", 3000));
        client->sendLine("B");
        const auto reply = client->readUntil(QByteArray(1, kBell), 15000);
        QVERIFY(reply);
        QVERIFY2(reply->contains("menus short."), "the bell rang in the middle of the page");
    }

    void bellRingsSeveralTimes() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray reply = command(*client, "B");
        QVERIFY(reply.count(kBell) >= 3);
    }

    void goodbyeHangsUpFromTheBoard() {
        auto client = caller();
        QVERIFY(client);
        QCOMPARE(m_server->callerCount(), 1);
        client->sendLine("G");
        QVERIFY(client->readUntil(line("Goodbye! Call again.")));
        QVERIFY(client->waitClosedByPeer());
        QTRY_COMPARE(m_server->callerCount(), 0);
    }

    void unknownCommandsAndEmptyLines() {
        auto client = caller();
        QVERIFY(client);
        const QByteArray unknown = command(*client, "Q");
        QVERIFY(unknown.contains(line("Unknown command.")));
        QVERIFY(unknown.contains("Read a message"));
        // A bare RETURN just asks again.
        QCOMPARE(command(*client, ""), QByteArray(1, kEol) + kPrompt);
        QVERIFY(command(*client, "mw").contains("Unknown command."));
    }

    void callersAreIndependent() {
        auto first = caller();
        auto second = caller();
        QVERIFY(first && second);
        first->send("hel");
        QVERIFY(first->readUntil("hel"));
        // The second caller's line must not pick up the first one's typing.
        QVERIFY(command(*second, "m").contains("From: Dale Ostrander"));
        QVERIFY(first->readFor(100).isEmpty());
        const QByteArray reply = command(*first, "p");
        QVERIFY(reply.startsWith(QByteArray("p") + kEol));
        QVERIFY(reply.contains("Unknown command."));
        // One caller's flood does not hold up the other.
        first->sendLine("F");
        QVERIFY(first->readUntil(kFloodPrompt));
        first->pauseReading();
        first->sendLine("20000");
        QVERIFY(command(*second, "B").contains(kBell));
    }

    void anyBytesLeaveTheBoardAnswering() {
        auto client = caller();
        QVERIFY(client);
        QByteArray noise;
        for (int round = 0; round < 8; ++round)
            for (int b = 0; b < 256; ++b) noise += static_cast<char>(b);
        std::mt19937 random(6502);
        std::shuffle(noise.begin(), noise.end(), random);
        // Keep the caller online and the board at the menu: no goodbye, flood, slow page or
        // bell among the random lines, in either video.
        for (char& c : noise)
            if (QByteArray("GFSB").contains(static_cast<char>(std::toupper(c & 0x7F)))) c = 'x';
        client->send(noise);
        // A line far longer than anyone types, with no end.
        client->send(QByteArray(100000, 'A'));
        client->send(QByteArray(1, kEol) + "B" + kEol);
        QVERIFY(client->readUntil(QByteArray(1, kBell), 20000));

        // Noise without a line end is a name like any other, and the board still logs the caller in.
        BbsClient early(m_server->port());
        QVERIFY(early.readUntil(kNamePrompt));
        for (char& c : noise)
            if (c == kEol || c == '\r') c = 'x';
        early.send(noise.left(600) + kEol);
        QVERIFY(early.readUntil(kPasswordPrompt, 10000));
        early.sendLine("pw");
        const auto greeted = early.readUntil(kPrompt);
        QVERIFY(greeted);
        QVERIFY(greeted->startsWith("**" + QByteArray(2, kEol) + "Welcome, "));
        QVERIFY(greeted->endsWith(mainMenu()));

        // Typing past the length limit is dropped, echo included.
        auto another = caller();
        QVERIFY(another);
        const QByteArray reply = command(*another, QByteArray(1000, 'Z'));
        QVERIFY(reply.startsWith(QByteArray(200, 'Z') + kEol));
        QCOMPARE(reply.count('Z'), qsizetype(200));
    }

    void hangingUpMidFloodOrSlowPageLeavesTheBoardWorking_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("running");
        QTest::newRow("flood") << QByteArray("F") + kEol + "20000" + kEol << QByteArray("0000100 ");
        QTest::newRow("slow page") << QByteArray("S") + kEol << QByteArray("This page");
    }
    void hangingUpMidFloodOrSlowPageLeavesTheBoardWorking() {
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, running);
        for (int round = 0; round < 3; ++round) {
            auto client = caller();
            QVERIFY(client);
            client->send(start);
            QVERIFY(client->readUntil(running));
            client->hangUp();
            QTRY_COMPARE(m_server->callerCount(), 0);
        }
        auto later = caller();
        QVERIFY(later);
        QVERIFY(command(*later, "B").contains(kBell));
    }

    void linesBeyondTheLimitAreTurnedAway() {
        m_server->setMaxCallers(1);
        auto first = caller();
        QVERIFY(first);
        BbsClient second(m_server->port());
        QVERIFY(second.readUntil(line("All lines are busy.")));
        QVERIFY(second.waitClosedByPeer());
        QVERIFY(command(*first, "B").contains(kBell));
        first->hangUp();
        QTRY_COMPARE(m_server->callerCount(), 0);
        QVERIFY(caller());
    }
};

QTEST_GUILESS_MAIN(DemoBbsSessionTest)
#include "DemoBbsSessionTest.moc"
