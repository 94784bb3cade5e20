#pragma once

#include <functional>
#include <string>
#include <string_view>

struct telnet_t;
union telnet_event_t;

namespace vx {

// Telnet on one side of a line, by libtelnet: what is read loses its commands (the negotiation is
// answered through `answer`), what is written has 255 doubled. A client accepts BINARY, SGA and
// ECHO from the server and offers NAWS (its screen size) and TTYPE ("ATASCII"); a server (the
// demo board) opens like a modem bridge and learns the caller's size and type. Options not
// listed are refused; garbled commands are dropped and the data goes on.
class TelnetCodec {
public:
    enum class Side { Client, Server };

    TelnetCodec(Side side, std::function<void(std::string_view)> answer);
    ~TelnetCodec();
    TelnetCodec(const TelnetCodec&) = delete;
    TelnetCodec& operator=(const TelnetCodec&) = delete;

    std::string decode(std::string_view received);
    std::string encode(std::string_view data);

    // Client: the screen's size, told now if the server asked for it, else when it does.
    void setWindowSize(int columns, int rows);
    // Server: the opening negotiation (WILL ECHO, WILL SGA, DO NAWS, DO TTYPE), and what the
    // caller told.
    void open();
    int callerColumns() const { return m_columns; }
    const std::string& callerType() const { return m_callerType; }

private:
    static void onEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void handle(telnet_event_t& event);
    void sendWindowSize();

    Side m_side;
    std::function<void(std::string_view)> m_answer;
    telnet_t* m_telnet = nullptr;
    std::string* m_sink = nullptr;  // decode or encode output while libtelnet runs
    bool m_encoding = false;
    bool m_nawsAgreed = false;
    int m_columns = 40;
    int m_rows = 24;
    std::string m_callerType;
};

}  // namespace vx
