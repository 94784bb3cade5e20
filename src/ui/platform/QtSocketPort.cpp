#include "ui/platform/QtSocketPort.h"

#include "ui/platform/ByteText.h"

namespace vx {

QtSocketPort::QtSocketPort(QObject* parent) : QObject(parent) {
    connect(&m_socket, &QTcpSocket::connected, this, &QtSocketPort::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &QtSocketPort::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &QtSocketPort::onDisconnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &QtSocketPort::onError);
    // Keys go out as typed: no waiting to fill a packet.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // What the program has not drawn yet stays with the system, whose window then holds the board
    // back: a board sending faster than the screen can draw costs no memory here.
    m_socket.setReadBufferSize(kMaxChunk);
}

QtSocketPort::~QtSocketPort() {
    m_events = nullptr;
    m_closedHere = true;
    m_socket.disconnect(this);
    m_socket.abort();
}

int QtSocketPort::errorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return 10061;
        case QAbstractSocket::RemoteHostClosedError:
            return 10054;
        case QAbstractSocket::HostNotFoundError:
            return 11001;
        case QAbstractSocket::SocketAccessError:
            return 10013;
        case QAbstractSocket::SocketResourceError:
            return 10055;
        case QAbstractSocket::SocketTimeoutError:
            return 10060;
        case QAbstractSocket::NetworkError:
            return 10050;
        case QAbstractSocket::AddressInUseError:
            return 10048;
        case QAbstractSocket::SocketAddressNotAvailableError:
            return 10049;
        case QAbstractSocket::UnsupportedSocketOperationError:
            return 10045;
        default:
            return 10000 + static_cast<int>(error);
    }
}

void QtSocketPort::connectTo(const std::string& host, int port) {
    m_closedHere = true;  // dropping an earlier connection is no close by the other side
    m_socket.abort();
    m_closedHere = false;
    m_socket.connectToHost(qtText(host), static_cast<quint16>(port));
}

void QtSocketPort::close() {
    m_closedHere = true;
    m_socket.abort();
}

std::string QtSocketPort::readAll() {
    // A flood can pile up megabytes between two events; drawing them in one go would keep the
    // window from the event loop. The rest is handed over in the next turn of the loop.
    const QByteArray bytes = m_socket.read(kMaxChunk);
    if (m_socket.bytesAvailable() > 0 && !m_moreQueued) {
        m_moreQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_moreQueued = false;
                if (m_socket.bytesAvailable() > 0) onReadyRead();
            },
            Qt::QueuedConnection);
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QtSocketPort::send(std::string_view bytes, SendError& error) {
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        error = {10057, "Socket is not connected"};
        return false;
    }
    if (m_socket.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        error = {errorNumber(m_socket.error()), m_socket.errorString().toStdString()};
        return false;
    }
    // Out now rather than on the next turn of the event loop: a transfer's answer to each block
    // is waited for by the sender.
    m_socket.flush();
    return true;
}

void QtSocketPort::onConnected() {
    if (m_events) m_events->onConnected();
}

void QtSocketPort::onReadyRead() {
    if (m_events) m_events->onDataArrival(static_cast<std::size_t>(m_socket.bytesAvailable()));
}

void QtSocketPort::onDisconnected() {
    if (m_closedHere) return;
    // Whatever arrived with the close is delivered first, all of it.
    while (m_events && m_socket.bytesAvailable() > 0) {
        const qint64 before = m_socket.bytesAvailable();
        onReadyRead();
        if (m_socket.bytesAvailable() >= before) break;  // nobody read: do not spin
    }
    if (m_events) m_events->onRemoteClose();
}

void QtSocketPort::onError(QAbstractSocket::SocketError error) {
    // The other side closing is reported by onDisconnected; a close made here is no error.
    if (error == QAbstractSocket::RemoteHostClosedError || m_closedHere) return;
    const int number = errorNumber(error);
    if (m_events)
        m_events->onSocketError(number, m_socket.errorString().toStdString(), number,
                                m_socket.state() == QAbstractSocket::ConnectedState ? "Winsock1" : "Winsock1_Connect");
}

}  // namespace vx
