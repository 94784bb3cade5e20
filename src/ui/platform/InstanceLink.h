#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace vx {

// One copy of the program runs per system folder. The running copy listens on a local socket
// named for the folder; a later start (a link clicked in a browser) hands its board over as one
// line, the link, and ends once the running copy has answered. An empty line asks the running
// copy only to come to the front.
class InstanceLink : public QObject {
    Q_OBJECT
public:
    // The socket's name for a folder key (a hash of the system folder's path).
    static QString nameFor(const QString& folderKey);

    // The running copy: listens, taking over a socket that a run which crashed left behind (the
    // caller holds the folder's lock, so no other copy can be listening on it).
    bool listen(const QString& name, std::function<void(const std::string& link)> onRequest);

    // A later copy: hands `link` over; `done` says whether the running copy answered in time.
    static void handOver(const QString& name, const std::string& link, int timeoutMs, std::function<void(bool)> done);

private:
    QLocalServer m_server;
};

}  // namespace vx
