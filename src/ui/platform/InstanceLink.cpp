#include "ui/platform/InstanceLink.h"

#include <QLocalSocket>
#include <QTimer>
#include <memory>

namespace vx {
namespace {

constexpr qint64 kLongestLink = 4096;  // a line longer than any address is no request
constexpr const char* kAnswer = "ok\n";

}  // namespace

QString InstanceLink::nameFor(const QString& folderKey) { return "vexterm-" + folderKey; }

bool InstanceLink::listen(const QString& name, std::function<void(const std::string& link)> onRequest) {
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name)) return false;
    connect(&m_server, &QLocalServer::newConnection, this, [this, onRequest = std::move(onRequest)] {
        while (QLocalSocket* caller = m_server.nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, caller, [caller, onRequest] {
                if (!caller->canReadLine()) {
                    if (caller->bytesAvailable() > kLongestLink) caller->abort();
                    return;
                }
                const QByteArray line = caller->readLine(kLongestLink).trimmed();
                caller->write(kAnswer);
                caller->disconnectFromServer();
                onRequest(line.toStdString());
            });
        }
    });
    return true;
}

void InstanceLink::handOver(const QString& name, const std::string& link, int timeoutMs,
                            std::function<void(bool)> done) {
    auto* socket = new QLocalSocket;
    auto finish = std::make_shared<std::function<void(bool)>>(std::move(done));
    const auto end = [socket, finish](bool answered) {
        if (!*finish) return;
        auto report = std::move(*finish);
        *finish = nullptr;
        socket->abort();
        socket->deleteLater();
        report(answered);
    };
    QObject::connect(socket, &QLocalSocket::connected, socket,
                     [socket, link] { socket->write(QByteArray::fromStdString(link) + "\n"); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, end] {
        if (socket->canReadLine()) end(socket->readLine() == kAnswer);
    });
    // The running copy closes once it has answered; the answer may come with the close.
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket,
                     [socket, end] { end(socket->canReadLine() && socket->readLine() == kAnswer); });
    QTimer::singleShot(timeoutMs, socket, [end] { end(false); });
    socket->connectToServer(name);
}

}  // namespace vx
