#include "session/TelnetSocket.h"

namespace vx {
namespace {

constexpr char kIac = static_cast<char>(255);

}  // namespace

TelnetSocket::Mode TelnetSocket::modeOf(const std::string& protocol) {
    if (protocol == "Telnet") return Mode::Telnet;
    if (protocol == "Auto") return Mode::Auto;
    return Mode::Raw;
}

void TelnetSocket::beginCall(Mode mode) {
    m_codec.reset();
    m_decided = mode != Mode::Auto;
    if (mode == Mode::Telnet) startTelnet();
}

void TelnetSocket::startTelnet() {
    m_codec = std::make_unique<TelnetCodec>(TelnetCodec::Side::Client, [this](std::string_view answer) {
        // An answer the line refuses is lost with the line itself: the call ends anyway.
        SendError ignored;
        m_line.send(answer, ignored);
    });
    m_codec->setWindowSize(m_columns, m_rows);
}

void TelnetSocket::setWindowSize(int columns, int rows) {
    m_columns = columns;
    m_rows = rows;
    if (m_codec) m_codec->setWindowSize(columns, rows);
}

std::string TelnetSocket::readAll() {
    std::string bytes = m_line.readAll();
    if (!m_decided && !bytes.empty()) {
        m_decided = true;
        if (bytes.front() == kIac) startTelnet();
    }
    if (m_codec && !bytes.empty()) bytes = m_codec->decode(bytes);
    if (m_receiver && !bytes.empty()) {
        // The receiver may give the line back; it is called through a copy.
        const auto receiver = m_receiver;
        receiver(bytes);
        return {};
    }
    return bytes;
}

void TelnetSocket::divert(std::function<void(std::string_view)> receiver) { m_receiver = std::move(receiver); }

bool TelnetSocket::send(std::string_view bytes, SendError& error) {
    if (m_receiver) return true;  // dropped: the transfer's blocks must go out unbroken
    return sendEncoded(bytes, error);
}

bool TelnetSocket::sendOwn(std::string_view bytes) {
    SendError ignored;
    return sendEncoded(bytes, ignored);
}

bool TelnetSocket::sendEncoded(std::string_view bytes, SendError& error) {
    if (!m_codec) return m_line.send(bytes, error);
    return m_line.send(m_codec->encode(bytes), error);
}

}  // namespace vx
