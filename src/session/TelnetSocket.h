#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/SocketPort.h"
#include "session/TelnetCodec.h"

namespace vx {

// The line to the board, raw or telnet. Most boards are reached through telnet servers that open
// with option negotiation: in telnet mode that is answered, every command is taken out of what is
// read (so capture, scrollback and URL detection see only the board's bytes), and 255 is doubled
// on the way out. Auto turns telnet on when a telnet command arrives early in a call: bridges
// often print a banner before they negotiate, so the first 4 KiB and 5 seconds are watched.
class TelnetSocket : public SocketPort {
public:
    enum class Mode { Raw, Telnet, Auto };
    static Mode modeOf(const std::string& protocol);

    TelnetSocket(SocketPort& line, const Clock& clock) : m_line(line), m_clock(clock) {}

    // A new call begins in this mode; the telnet state starts afresh.
    void beginCall(Mode mode);
    bool telnetActive() const { return m_codec != nullptr; }
    // The screen's size, told to a server that asks (NAWS).
    void setWindowSize(int columns, int rows);

    // A file transfer owns the line: the board's bytes go to `receiver` instead of the screen,
    // and only sendOwn() reaches the board (a key or a stay-alive byte would break a block).
    // An empty receiver gives the line back.
    void divert(std::function<void(std::string_view)> receiver);
    bool diverted() const { return static_cast<bool>(m_receiver); }
    bool sendOwn(std::string_view bytes);

    // SocketPort
    void setEvents(SocketEvents* events) override { m_line.setEvents(events); }
    void connectTo(const std::string& host, int port) override { m_line.connectTo(host, port); }
    void close() override { m_line.close(); }
    std::string readAll() override;
    bool send(std::string_view bytes, SendError& error) override;

private:
    void startTelnet();
    // Auto: returns what stays on the screen and leaves in `bytes` what the telnet codec reads.
    std::string watchForTelnet(std::string& bytes);

    bool sendEncoded(std::string_view bytes, SendError& error);

    SocketPort& m_line;
    const Clock& m_clock;
    std::function<void(std::string_view)> m_receiver;
    bool m_decided = true;  // Auto has stopped watching
    std::int64_t m_firstByteMs = -1;
    std::size_t m_watched = 0;  // bytes Auto let through to the screen
    std::string m_heldIac;      // a read ended on 255: the next byte tells whether it is a command
    std::unique_ptr<TelnetCodec> m_codec;
    int m_columns = 40;
    int m_rows = 24;
};

}  // namespace vx
