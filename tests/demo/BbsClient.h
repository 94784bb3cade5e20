#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <optional>

// A caller on the demo board for tests: keeps everything received and waits for texts while the
// event loop runs, so an in-process server keeps answering.
class BbsClient {
public:
    static constexpr char kEol = static_cast<char>(155);

    explicit BbsClient(quint16 port) {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
            if (!m_paused) m_received += m_socket.readAll();
        });
        QObject::connect(&m_socket, &QTcpSocket::disconnected, [this] { m_closedByPeer = !m_closingOurselves; });
        m_socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    }

    QTcpSocket& socket() { return m_socket; }

    void send(const QByteArray& bytes) { m_socket.write(bytes); }
    void sendLine(const QByteArray& text) { send(text + kEol); }

    // Everything up to and including the first `needle` not yet taken; nothing if it does not
    // arrive in time.
    std::optional<QByteArray> readUntil(const QByteArray& needle, int timeoutMs = 5000) {
        const QDeadlineTimer deadline(timeoutMs);
        qsizetype at = m_received.indexOf(needle, m_searchFrom);
        while (at < 0) {
            // Next time, start where a needle cut in two could begin.
            m_searchFrom = std::max<qsizetype>(0, m_received.size() - needle.size());
            if (deadline.hasExpired()) return std::nullopt;
            // Wakes on the next data rather than polling, so a flood arrives at full speed.
            QSignalSpy arrived(&m_socket, &QTcpSocket::readyRead);
            arrived.wait(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            at = m_received.indexOf(needle, m_searchFrom);
        }
        const qsizetype end = at + needle.size();
        QByteArray taken = m_received.left(end);
        m_received.remove(0, end);
        m_searchFrom = 0;
        return taken;
    }

    // Logs in the way a terminal's macros do: each answer, with its end of line, in one write
    // once its prompt is there. Everything received up to the menu prompt; nothing if a prompt
    // does not come.
    std::optional<QByteArray> logIn(const QByteArray& name = "yourlogin", const QByteArray& password = "yourpassword",
                                    int timeoutMs = 5000) {
        auto welcome = readUntil("NAME? ", timeoutMs);
        if (!welcome) return std::nullopt;
        sendLine(name);
        auto asked = readUntil("PASSWORD? ", timeoutMs);
        if (!asked) return std::nullopt;
        sendLine(password);
        auto menu = readUntil("COMMAND? ", timeoutMs);
        if (!menu) return std::nullopt;
        return *welcome + *asked + *menu;
    }

    // What arrives within `ms`, taken.
    QByteArray readFor(int ms) {
        QTest::qWait(ms);
        return takeAll();
    }

    QByteArray takeAll() {
        QByteArray all;
        all.swap(m_received);
        m_searchFrom = 0;
        return all;
    }

    bool waitClosedByPeer(int timeoutMs = 5000) {
        return QTest::qWaitFor([this] { return m_closedByPeer; }, timeoutMs);
    }

    // Stops taking data off the socket, so the kernel's buffers fill and the board has to wait.
    void pauseReading() {
        m_socket.setReadBufferSize(1024);
        m_paused = true;
    }

    void hangUp() {
        m_closingOurselves = true;
        m_socket.abort();
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    qsizetype m_searchFrom = 0;
    bool m_paused = false;
    bool m_closedByPeer = false;
    bool m_closingOurselves = false;
};
