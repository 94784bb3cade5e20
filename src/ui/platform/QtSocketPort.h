#pragma once

#include <QObject>
#include <QTcpSocket>

#include "platform/SocketPort.h"

namespace vx {

// The board connection over QTcpSocket. A close() made here is never reported as the other side
// closing; errors carry the socket error numbers users of such terminals know (10061 refused...).
class QtSocketPort : public QObject, public SocketPort {
    Q_OBJECT
public:
    explicit QtSocketPort(QObject* parent = nullptr);
    // Going away is a close made here: whoever listened may already be gone, so nobody is told.
    ~QtSocketPort() override;

    void setEvents(SocketEvents* events) override { m_events = events; }
    void connectTo(const std::string& host, int port) override;
    void close() override;
    std::string readAll() override;
    bool send(std::string_view bytes, SendError& error) override;

    // The most one read hands over: about 10 ms of drawing.
    static constexpr qint64 kMaxChunk = 64 * 1024;

    // The socket error number for a Qt socket error.
    static int errorNumber(QAbstractSocket::SocketError error);

private:
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);

    QTcpSocket m_socket;
    SocketEvents* m_events = nullptr;
    bool m_closedHere = false;
    bool m_moreQueued = false;
};

}  // namespace vx
