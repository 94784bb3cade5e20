#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <string_view>
#include <QTimer>
#include <optional>
#include <string>

#include "FloodSource.h"
#include "LineInput.h"
#include "session/TelnetCodec.h"

class QTcpSocket;

namespace vx::demo {

// One caller on the demo board: the login, the menu, the caller's typing, and the pages that take time
// (the flood and the slow page). Everything is paced by the socket's progress and by timers;
// what a caller types while a page is still going out waits in the socket until it is done.
class DemoBbsSession : public QObject {
    Q_OBJECT
public:
    // Characters per second of the slow page: a 1200 baud modem with start and stop bits.
    static constexpr int kSlowPageRate = 120;

    // Takes ownership of a connected socket, sends the welcome screen and asks for a name. With
    // `telnet` the line is spoken to as a modem bridge does (negotiation first, 255 doubled);
    // `binary` says whether it agrees to binary mode or keeps RFC 854's line ends.
    DemoBbsSession(QTcpSocket* socket, bool telnet, QObject* parent = nullptr,
                   TelnetCodec::Binary binary = TelnetCodec::Binary::Accepted);
    explicit DemoBbsSession(QTcpSocket* socket, QObject* parent = nullptr) : DemoBbsSession(socket, false, parent) {}
    ~DemoBbsSession() override;

    // Bytes handed to the socket that have not gone out yet.
    qint64 queuedOutput() const;
    // Everything the caller sends is also handed here, as it is read.
    void setRecorder(std::function<void(std::string_view)> recorder) { m_recorder = std::move(recorder); }

signals:
    // The caller is gone; the session may be deleted (later, not from inside the signal).
    void finished();

private:
    enum class Mode { Name, Password, Menu, FloodQuestion, Flooding, SlowPage, Closing, Gone };
    std::function<void(std::string_view)> m_recorder;

    void readInput();
    void handleLine(const std::string& line);
    void handleName(const std::string& name);
    void handlePassword(const std::string& password);
    void handleCommand(const std::string& line);
    void startFlood(const std::string& answer);
    void pumpFlood();
    void startSlowPage();
    void pumpSlowPage();
    void backToMenu();
    void sayGoodbye();
    void onDisconnected();

    bool acceptsInput() const {
        return m_mode == Mode::Name || m_mode == Mode::Password || m_mode == Mode::Menu ||
               m_mode == Mode::FloodQuestion;
    }
    bool outputBacklogged() const;
    void send(std::string_view bytes);

    void write(std::string_view bytes);
    std::string readSome();

    QTcpSocket* m_socket;
    std::unique_ptr<TelnetCodec> m_telnet;
    Mode m_mode = Mode::Name;
    LineInput m_input;
    std::string m_name;    // as typed, for the greeting
    std::string m_unread;  // read from the socket, not yet looked at
    std::size_t m_unreadAt = 0;

    std::optional<FloodSource> m_flood;

    std::string m_slowText;
    std::size_t m_slowSent = 0;
    QElapsedTimer m_slowClock;
    QTimer m_slowTimer;

    QTimer m_closeTimer;
};

}  // namespace vx::demo
