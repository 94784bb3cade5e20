#include "session/TelnetSocket.h"

#include <utility>

namespace vx {
namespace {

constexpr char kIac = static_cast<char>(255);
constexpr std::size_t kAutoWatchBytes = 4096;
constexpr std::int64_t kAutoWatchMs = 5000;

bool opensCommand(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    return code == 250 || (code >= 251 && code <= 254);  // SB, WILL, WONT, DO, DONT
}

}  // namespace

TelnetSocket::Mode TelnetSocket::modeOf(const std::string& protocol) {
    if (protocol == "Telnet") return Mode::Telnet;
    if (protocol == "Auto") return Mode::Auto;
    return Mode::Raw;
}

void TelnetSocket::beginCall(Mode mode) {
    m_codec.reset();
    m_decided = mode != Mode::Auto;
    m_firstByteMs = -1;
    m_watched = 0;
    m_heldIac.clear();
    if (mode == Mode::Telnet) startTelnet();
}

void TelnetSocket::startTelnet() {
    m_codec = std::make_unique<TelnetCodec>(TelnetCodec::Side::Client, [this](std::string_view answer) {
        // An answer the line refuses is lost with the line itself: the call ends anyway.
        SendError ignored;
        m_line.send(answer, ignored);
    });
    m_codec->setWindowSize(m_columns, m_rows);
    m_codec->open();
}

void TelnetSocket::setWindowSize(int columns, int rows) {
    m_columns = columns;
    m_rows = rows;
    if (m_codec) m_codec->setWindowSize(columns, rows);
}

std::string TelnetSocket::readAll() {
    std::string bytes = m_line.readAll();
    std::string shown;
    if (!m_decided && !bytes.empty()) shown = watchForTelnet(bytes);
    if (m_codec && !bytes.empty())
        shown += m_codec->decode(bytes);
    else
        shown += bytes;
    if (m_receiver && !shown.empty()) {
        // The receiver may give the line back; it is called through a copy.
        const auto receiver = m_receiver;
        receiver(shown);
        return {};
    }
    return shown;
}

std::string TelnetSocket::watchForTelnet(std::string& bytes) {
    if (m_firstByteMs < 0) m_firstByteMs = m_clock.steadyMs();
    std::string text = std::exchange(m_heldIac, {}) + std::exchange(bytes, {});
    if (m_clock.steadyMs() - m_firstByteMs >= kAutoWatchMs) {
        m_decided = true;
        return text;
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (m_watched + at >= kAutoWatchBytes) {
            m_decided = true;
            return text;
        }
        if (text[at] != kIac) continue;
        if (at + 1 == text.size()) {
            m_heldIac = text.substr(at);
            text.resize(at);
            break;
        }
        if (opensCommand(text[at + 1])) {
            m_decided = true;
            startTelnet();
            bytes = text.substr(at);
            text.resize(at);
            return text;
        }
        ++at;  // 255 255, or a command Auto does not take as telnet: text either way
    }
    m_watched += text.size();
    return text;
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
