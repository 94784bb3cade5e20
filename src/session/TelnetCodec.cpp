#include "session/TelnetCodec.h"

#include <libtelnet.h>

#include <array>

namespace vx {
namespace {

// {option, what this side does (WILL/WONT), what it lets the other side do (DO/DONT)}.
const telnet_telopt_t kClientOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},   {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT}, {-1, 0, 0},
};
const telnet_telopt_t kServerOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT}, {TELNET_TELOPT_NAWS, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},  {-1, 0, 0},
};

}  // namespace

TelnetCodec::TelnetCodec(Side side, std::function<void(std::string_view)> answer)
    : m_side(side), m_answer(std::move(answer)) {
    m_telnet = telnet_init(side == Side::Client ? kClientOptions : kServerOptions, &TelnetCodec::onEvent, 0, this);
}

TelnetCodec::~TelnetCodec() {
    if (m_telnet) telnet_free(m_telnet);
}

std::string TelnetCodec::decode(std::string_view received) {
    std::string data;
    m_sink = &data;
    telnet_recv(m_telnet, received.data(), received.size());
    m_sink = nullptr;
    return data;
}

std::string TelnetCodec::encode(std::string_view data) {
    std::string wire;
    m_sink = &wire;
    m_encoding = true;
    telnet_send(m_telnet, data.data(), data.size());
    m_encoding = false;
    m_sink = nullptr;
    return wire;
}

void TelnetCodec::setWindowSize(int columns, int rows) {
    m_columns = columns;
    m_rows = rows;
    if (m_nawsAgreed) sendWindowSize();
}

void TelnetCodec::open() {
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_ECHO);
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_SGA);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_NAWS);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_TTYPE);
}

void TelnetCodec::sendWindowSize() {
    const auto byte = [](int value, int shift) { return static_cast<char>((value >> shift) & 0xFF); };
    const std::array<char, 4> size{byte(m_columns, 8), byte(m_columns, 0), byte(m_rows, 8), byte(m_rows, 0)};
    telnet_subnegotiation(m_telnet, TELNET_TELOPT_NAWS, size.data(), size.size());
}

void TelnetCodec::onEvent(telnet_t*, telnet_event_t* event, void* self) {
    static_cast<TelnetCodec*>(self)->handle(*event);
}

void TelnetCodec::handle(telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_DATA:
            if (m_sink) m_sink->append(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_SEND:
            // Encoded data goes to the caller of encode(); everything else is an answer or an
            // offer of this side and goes out at once.
            if (m_encoding)
                m_sink->append(event.data.buffer, event.data.size);
            else if (m_answer)
                m_answer(std::string_view(event.data.buffer, event.data.size));
            break;
        case TELNET_EV_DO:
            if (m_side == Side::Client && event.neg.telopt == TELNET_TELOPT_NAWS) {
                m_nawsAgreed = true;
                sendWindowSize();
            }
            break;
        case TELNET_EV_DONT:
            if (event.neg.telopt == TELNET_TELOPT_NAWS) m_nawsAgreed = false;
            break;
        case TELNET_EV_WILL:
            if (m_side == Side::Server && event.neg.telopt == TELNET_TELOPT_TTYPE) telnet_ttype_send(m_telnet);
            break;
        case TELNET_EV_TTYPE:
            if (m_side == Side::Client && event.ttype.cmd == TELNET_TTYPE_SEND) telnet_ttype_is(m_telnet, "ATASCII");
            if (m_side == Side::Server && event.ttype.cmd == TELNET_TTYPE_IS && event.ttype.name)
                m_callerType = event.ttype.name;
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (m_side == Side::Server && event.sub.telopt == TELNET_TELOPT_NAWS && event.sub.size == 4)
                m_columns = (static_cast<unsigned char>(event.sub.buffer[0]) << 8) |
                            static_cast<unsigned char>(event.sub.buffer[1]);
            break;
        default:
            // Warnings and errors are a peer's garbled commands: its data goes on regardless.
            break;
    }
}

}  // namespace vx
