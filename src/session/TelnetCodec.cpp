#include "session/TelnetCodec.h"

#include <libtelnet.h>

#include <array>
#include <utility>

namespace vx {
namespace {

// {option, what this side does (WILL/WONT), what it lets the other side do (DO/DONT)}.
const telnet_telopt_t kClientOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},   {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT}, {-1, 0, 0},
};
const telnet_telopt_t kTextServerOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WONT, TELNET_DONT}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},   {TELNET_TELOPT_NAWS, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},    {-1, 0, 0},
};
const telnet_telopt_t kTextClientOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WONT, TELNET_DONT}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},     {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},  {-1, 0, 0},
};
const telnet_telopt_t kServerOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO}, {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT}, {TELNET_TELOPT_NAWS, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},  {-1, 0, 0},
};

}  // namespace

TelnetCodec::TelnetCodec(Side side, std::function<void(std::string_view)> answer, Binary binary)
    : m_side(side), m_answer(std::move(answer)), m_binaryAccepted(binary == Binary::Accepted) {
    const telnet_telopt_t* options = side == Side::Client ? (m_binaryAccepted ? kClientOptions : kTextClientOptions)
                                                          : (m_binaryAccepted ? kServerOptions : kTextServerOptions);
    // A side that refuses binary reads the other's CR NUL as CR from the start.
    m_peerRefusedBinary = !m_binaryAccepted;
    m_telnet = telnet_init(options, &TelnetCodec::onEvent, 0, this);
}

TelnetCodec::~TelnetCodec() {
    if (m_telnet) telnet_free(m_telnet);
}

std::string TelnetCodec::decode(std::string_view received) {
    std::string data;
    m_sink = &data;
    // libtelnet reports no event when a peer refuses an option we asked for, so a refusal of
    // BINARY is watched for here; the bytes up to it go through first, as they were sent.
    std::size_t from = 0;
    for (std::size_t at = 0; at < received.size(); ++at) {
        if (!watchForBinaryRefusal(static_cast<unsigned char>(received[at]))) continue;
        telnet_recv(m_telnet, received.data() + from, at + 1 - from);
        from = at + 1;
        m_peerRefusedBinary = true;
    }
    telnet_recv(m_telnet, received.data() + from, received.size() - from);
    m_sink = nullptr;
    flushAnswers();
    return data;
}

std::string TelnetCodec::encode(std::string_view data) {
    std::string wire;
    m_sink = &wire;
    m_encoding = true;
    if (m_sendBinary) {
        telnet_send(m_telnet, data.data(), data.size());
    } else {
        std::string text;
        text.reserve(data.size() + data.size() / 16);
        for (const char byte : data) {
            text += byte;
            if (byte == '\r') text += '\0';
        }
        telnet_send(m_telnet, text.data(), text.size());
    }
    // Some servers drop a NUL that ends what they read, taking it for the rest of a CR NUL split
    // across segments (busybox telnetd does, in every mode): a write never ends on one. The no-op
    // command is read as nothing by every server.
    if (m_side == Side::Client && !wire.empty() && wire.back() == '\0') telnet_iac(m_telnet, TELNET_NOP);
    m_encoding = false;
    m_sink = nullptr;
    return wire;
}

void TelnetCodec::setWindowSize(int columns, int rows) {
    m_columns = columns;
    m_rows = rows;
    if (m_nawsAgreed) sendWindowSize();
    flushAnswers();
}

void TelnetCodec::open() {
    if (m_side == Side::Server) {
        telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_ECHO);
        telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_SGA);
        telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_NAWS);
        telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_TTYPE);
    }
    if (m_binaryAccepted) {
        telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_BINARY);
        telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_BINARY);
    }
    flushAnswers();
}

bool TelnetCodec::watchForBinaryRefusal(unsigned char byte) {
    switch (m_scan) {
        case Scan::Data:
            if (byte == TELNET_IAC) m_scan = Scan::Command;
            return false;
        case Scan::InSubnegotiation:
            if (byte == TELNET_IAC) m_scan = Scan::SubnegotiationIac;
            return false;
        case Scan::SubnegotiationIac:
            if (byte == TELNET_IAC) {
                m_scan = Scan::InSubnegotiation;
                return false;
            }
            if (byte == TELNET_SE) {
                m_scan = Scan::Data;
                return false;
            }
            // Anything else ends the subnegotiation and is read as a command, as libtelnet does.
            [[fallthrough]];
        case Scan::Command:
            m_scan = byte == TELNET_WONT                                               ? Scan::Wont
                     : byte == TELNET_WILL || byte == TELNET_DO || byte == TELNET_DONT ? Scan::Option
                     : byte == TELNET_SB                                               ? Scan::InSubnegotiation
                                                                                       : Scan::Data;
            return false;
        case Scan::Wont:
            m_scan = Scan::Data;
            return byte == TELNET_TELOPT_BINARY;
        case Scan::Option:
            m_scan = Scan::Data;
            return false;
    }
    return false;
}

void TelnetCodec::flushAnswers() {
    if (m_answers.empty()) return;
    const std::string answers = std::exchange(m_answers, {});
    if (m_answer) m_answer(answers);
}

void TelnetCodec::appendData(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char byte = data[i];
        const bool stuffing = byte == '\0' && m_afterCr && !m_receiveBinary && m_peerRefusedBinary;
        m_afterCr = byte == '\r';
        if (!stuffing) m_sink->push_back(byte);
    }
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
            if (m_sink) appendData(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_SEND:
            // Encoded data goes to the caller of encode(); everything else is an answer or an
            // offer of this side and waits for the end of the call.
            if (m_encoding)
                m_sink->append(event.data.buffer, event.data.size);
            else
                m_answers.append(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_DO:
            if (event.neg.telopt == TELNET_TELOPT_BINARY) m_sendBinary = true;
            if (m_side == Side::Client && event.neg.telopt == TELNET_TELOPT_NAWS) {
                m_nawsAgreed = true;
                sendWindowSize();
            }
            break;
        case TELNET_EV_DONT:
            if (event.neg.telopt == TELNET_TELOPT_BINARY) m_sendBinary = false;
            if (event.neg.telopt == TELNET_TELOPT_NAWS) m_nawsAgreed = false;
            break;
        case TELNET_EV_WONT:
            if (event.neg.telopt == TELNET_TELOPT_BINARY) {
                m_receiveBinary = false;
                m_peerRefusedBinary = true;
            }
            break;
        case TELNET_EV_WILL:
            if (event.neg.telopt == TELNET_TELOPT_BINARY) m_receiveBinary = true;
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
