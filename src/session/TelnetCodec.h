#pragma once

#include <functional>
#include <string>
#include <string_view>

struct telnet_t;
union telnet_event_t;

namespace vx {

// Telnet on one side of a line, by libtelnet: what is read loses its commands (the negotiation is
// answered through `answer`), what is written has 255 doubled. A client asks for BINARY both ways,
// accepts SGA and ECHO from the server and offers NAWS (its screen size) and TTYPE ("ATASCII"); a
// server (the demo board) opens like a modem bridge and learns the caller's size and type. Options
// not listed are refused; garbled commands are dropped and the data goes on.
//
// A direction that is not binary follows RFC 854: a data CR is written as CR NUL, and CR NUL read
// is CR once the other side has refused binary. A peer that never answers the request (busybox
// telnetd ignores every option) passes its program's bytes untouched, so its CR NUL is data.
// A client's write that would end on a NUL ends with IAC NOP, as servers may drop a last NUL.
// Everything one call makes this side say reaches `answer` in one piece: servers that read a
// subnegotiation per segment lose the window size when it is split.
class TelnetCodec {
public:
    enum class Side { Client, Server };
    enum class Binary { Accepted, Refused };

    TelnetCodec(Side side, std::function<void(std::string_view)> answer, Binary binary = Binary::Accepted);
    ~TelnetCodec();
    TelnetCodec(const TelnetCodec&) = delete;
    TelnetCodec& operator=(const TelnetCodec&) = delete;

    std::string decode(std::string_view received);
    std::string encode(std::string_view data);

    // Client: the screen's size, told now if the server asked for it, else when it does.
    void setWindowSize(int columns, int rows);
    // The opening negotiation. Client: DO BINARY, WILL BINARY. Server: WILL ECHO, WILL SGA,
    // DO NAWS, DO TTYPE, and DO/WILL BINARY unless binary is refused.
    void open();
    bool sendsBinary() const { return m_sendBinary; }
    bool receivesBinary() const { return m_receiveBinary; }
    int callerColumns() const { return m_columns; }
    const std::string& callerType() const { return m_callerType; }

private:
    static void onEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void handle(telnet_event_t& event);
    void sendWindowSize();
    void flushAnswers();
    bool watchForBinaryRefusal(unsigned char byte);
    void appendData(const char* data, std::size_t size);

    Side m_side;
    std::function<void(std::string_view)> m_answer;
    telnet_t* m_telnet = nullptr;
    std::string* m_sink = nullptr;  // decode or encode output while libtelnet runs
    bool m_encoding = false;
    bool m_nawsAgreed = false;
    int m_columns = 40;
    int m_rows = 24;
    std::string m_callerType;
    std::string m_answers;  // said while libtelnet runs, written when the call ends
    bool m_binaryAccepted = true;
    bool m_sendBinary = false;
    bool m_receiveBinary = false;
    bool m_peerRefusedBinary = false;  // CR NUL from the peer is then a CR
    bool m_afterCr = false;            // the last data byte read was a CR
    enum class Scan { Data, Command, Wont, Option, InSubnegotiation, SubnegotiationIac };
    Scan m_scan = Scan::Data;
};

}  // namespace vx
