#pragma once

#include <QFile>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <vector>

#include "session/TelnetCodec.h"

namespace vx::demo {

class DemoBbsSession;

// The demo board: answers on the loopback address only, one session per caller.
class DemoBbsServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 6502;
    static constexpr int kDefaultMaxCallers = 32;

    explicit DemoBbsServer(QObject* parent = nullptr);
    ~DemoBbsServer() override;

    // Port 0 picks a free port; port() tells which.
    bool listen(quint16 port = kDefaultPort);
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_server.serverAddress(); }
    QString errorString() const { return m_server.errorString(); }

    // Every byte callers send is appended to this file as it arrives; false if it cannot be opened.
    bool recordInto(const QString& path);
    // Callers from now on are spoken to in telnet, agreeing to binary mode or not.
    void setTelnet(bool telnet, TelnetCodec::Binary binary = TelnetCodec::Binary::Accepted) {
        m_telnet = telnet;
        m_binary = binary;
    }

    // Callers beyond this are told the lines are busy and hung up on.
    void setMaxCallers(int count) { m_maxCallers = count; }

    int callerCount() const { return static_cast<int>(m_sessions.size()); }
    // Output of all sessions still waiting in their sockets.
    qint64 queuedOutput() const;

signals:
    void callerCountChanged(int count);

private:
    void acceptCallers();
    void turnAway(QTcpSocket* socket);

    QTcpServer m_server;
    QFile m_record;
    bool m_telnet = false;
    TelnetCodec::Binary m_binary = TelnetCodec::Binary::Accepted;
    std::vector<DemoBbsSession*> m_sessions;
    int m_maxCallers = kDefaultMaxCallers;
};

}  // namespace vx::demo
