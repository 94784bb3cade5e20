#include "DemoBbsServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "BoardScreens.h"
#include "DemoBbsSession.h"

namespace vx::demo {
namespace {
constexpr int kTurnAwayGraceMs = 5000;
}

DemoBbsServer::DemoBbsServer(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &DemoBbsServer::acceptCallers);
}

DemoBbsServer::~DemoBbsServer() {
    // Sessions are children; they go with us. Their finished() must not reach a half-destroyed
    // server.
    for (DemoBbsSession* session : m_sessions) session->disconnect(this);
}

bool DemoBbsServer::listen(quint16 port) {
    // Loopback only: this board is for trying the terminal and for tests, never for a network.
    return m_server.listen(QHostAddress(QHostAddress::LocalHost), port);
}

bool DemoBbsServer::recordInto(const QString& path) {
    m_record.setFileName(path);
    return m_record.open(QIODevice::Append | QIODevice::Unbuffered);
}

qint64 DemoBbsServer::queuedOutput() const {
    qint64 total = 0;
    for (const DemoBbsSession* session : m_sessions) total += session->queuedOutput();
    return total;
}

void DemoBbsServer::acceptCallers() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (callerCount() >= m_maxCallers) {
            turnAway(socket);
            continue;
        }
        auto* session = new DemoBbsSession(socket, m_telnet, this, m_binary);
        if (m_record.isOpen())
            session->setRecorder([this](std::string_view bytes) {
                m_record.write(bytes.data(), static_cast<qint64>(bytes.size()));
            });
        m_sessions.push_back(session);
        connect(session, &DemoBbsSession::finished, this, [this, session] {
            m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), session), m_sessions.end());
            session->deleteLater();
            emit callerCountChanged(callerCount());
        });
        emit callerCountChanged(callerCount());
    }
}

void DemoBbsServer::turnAway(QTcpSocket* socket) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    const std::string text = screens::busy();
    socket->write(text.data(), static_cast<qint64>(text.size()));
    socket->disconnectFromHost();
    QTimer::singleShot(kTurnAwayGraceMs, socket, &QTcpSocket::abort);
}

}  // namespace vx::demo
