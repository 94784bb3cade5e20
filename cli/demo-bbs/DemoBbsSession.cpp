#include "DemoBbsSession.h"

#include <QTcpSocket>
#include <algorithm>
#include <cctype>

#include "BoardScreens.h"

namespace vx::demo {
namespace {

// Output is handed to the socket in pieces and only while less than this is still waiting, so
// a caller who stops reading costs a bounded amount of memory.
constexpr qint64 kOutputHighWater = 64 * 1024;
constexpr std::size_t kFloodChunk = 16 * 1024;
// Input is taken from the socket a little at a time; the rest waits in the kernel.
constexpr qint64 kSocketReadBuffer = 4096;
constexpr qint64 kInputChunk = 512;

constexpr int kSlowTickMs = 25;
// A caller who will not take the goodbye text is not waited for beyond this.
constexpr int kCloseGraceMs = 10000;

constexpr std::uint64_t kFloodDefaultKb = 100;
constexpr std::uint64_t kFloodMaxKb = 20000;

}  // namespace

DemoBbsSession::DemoBbsSession(QTcpSocket* socket, bool telnet, QObject* parent, TelnetCodec::Binary binary)
    : QObject(parent), m_socket(socket) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kSocketReadBuffer);
    connect(m_socket, &QTcpSocket::readyRead, this, &DemoBbsSession::readInput);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_mode == Mode::Flooding)
            pumpFlood();
        else if (acceptsInput())
            readInput();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &DemoBbsSession::onDisconnected);

    m_slowTimer.setInterval(kSlowTickMs);
    connect(&m_slowTimer, &QTimer::timeout, this, &DemoBbsSession::pumpSlowPage);
    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, m_socket, &QTcpSocket::abort);

    if (telnet) {
        m_telnet = std::make_unique<TelnetCodec>(
            TelnetCodec::Side::Server,
            [this](std::string_view answer) { m_socket->write(answer.data(), static_cast<qint64>(answer.size())); },
            binary);
        m_telnet->open();
    }
    send(screens::welcome());
    // A caller may have typed ahead before the welcome went out.
    QTimer::singleShot(0, this, &DemoBbsSession::readInput);
}

DemoBbsSession::~DemoBbsSession() {
    // The socket is a child and outlives this body; closing it must not call back into us.
    m_socket->disconnect(this);
}

qint64 DemoBbsSession::queuedOutput() const { return m_socket->bytesToWrite(); }

bool DemoBbsSession::outputBacklogged() const { return m_socket->bytesToWrite() >= kOutputHighWater; }

void DemoBbsSession::send(std::string_view bytes) {
    if (m_mode == Mode::Gone || bytes.empty()) return;
    write(m_telnet ? std::string_view(m_telnet->encode(bytes)) : bytes);
}

void DemoBbsSession::write(std::string_view bytes) { m_socket->write(bytes.data(), static_cast<qint64>(bytes.size())); }

std::string DemoBbsSession::readSome() {
    // A read of only telnet commands holds nothing for the board: read on while the socket has more.
    std::string bytes;
    while (bytes.empty() && m_socket->bytesAvailable() > 0) {
        bytes.resize(kInputChunk);
        const qint64 got = m_socket->read(bytes.data(), kInputChunk);
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        if (bytes.empty()) break;
        if (m_telnet) bytes = m_telnet->decode(bytes);
    }
    return bytes;
}

void DemoBbsSession::readInput() {
    std::string echo;
    while (acceptsInput() && !outputBacklogged()) {
        if (m_unreadAt == m_unread.size()) {
            m_unread = readSome();
            m_unreadAt = 0;
            if (m_unread.empty()) break;
            if (m_recorder) m_recorder(m_unread);
        }
        const auto b = static_cast<std::uint8_t>(m_unread[m_unreadAt++]);
        if (auto finished = m_input.feed(b, echo)) {
            send(echo);
            echo.clear();
            handleLine(*finished);
        }
    }
    send(echo);
}

void DemoBbsSession::handleLine(const std::string& line) {
    switch (m_mode) {
        case Mode::Name:
            handleName(line);
            break;
        case Mode::Password:
            handlePassword(line);
            break;
        case Mode::FloodQuestion:
            startFlood(line);
            break;
        default:
            handleCommand(line);
            break;
    }
}

void DemoBbsSession::handleName(const std::string& name) {
    if (name.empty()) {
        send(screens::kNamePrompt);
        return;
    }
    m_name = name;
    m_mode = Mode::Password;
    m_input.setEchoMask(screens::kPasswordMask);
    send(screens::kPasswordPrompt);
}

void DemoBbsSession::handlePassword(const std::string& password) {
    if (password.empty()) {
        send(screens::kPasswordPrompt);
        return;
    }
    // Any password will do: the login is there so callers' macros and scripts have real prompts
    // to answer, not to keep anyone out.
    m_input.setEchoMask(std::nullopt);
    m_mode = Mode::Menu;
    send(screens::greeting(m_name));
    send(screens::mainMenu());
}

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void DemoBbsSession::handleCommand(const std::string& line) {
    const std::string command = trimmed(line);
    if (command.empty()) {
        send(screens::kMenuPrompt);
        return;
    }
    // Inverse video is a typing mode on the caller's keyboard, not a different command.
    const char key =
        command.size() == 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(command[0]) & 0x7F)) : '\0';
    switch (key) {
        case '?':
            send(screens::mainMenu());
            break;
        case 'M':
            send(screens::message());
            send(screens::shortMenu());
            break;
        case 'W':
            send(screens::webAddresses());
            send(screens::shortMenu());
            break;
        case 'A':
            send(screens::artGallery());
            send(screens::shortMenu());
            break;
        case 'F':
            m_mode = Mode::FloodQuestion;
            send(screens::floodQuestion());
            break;
        case 'S':
            startSlowPage();
            break;
        case 'B':
            send(screens::bells());
            send(screens::shortMenu());
            break;
        case 'G':
            sayGoodbye();
            break;
        default:
            send(screens::unknownCommand());
            send(screens::mainMenu());
            break;
    }
}

void DemoBbsSession::startFlood(const std::string& answer) {
    const std::string text = trimmed(answer);
    std::uint64_t kilobytes = kFloodDefaultKb;
    if (!text.empty()) {
        if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            send(screens::notANumber());
            backToMenu();
            return;
        }
        // Any number too long to read is more than the maximum anyway.
        kilobytes = text.size() > 9 ? kFloodMaxKb : std::stoull(text);
        kilobytes = std::clamp<std::uint64_t>(kilobytes, 1, kFloodMaxKb);
    }
    m_mode = Mode::Flooding;
    m_flood.emplace(kilobytes * 1024);
    // Start from the event loop: the socket may have nothing left to report progress on.
    QTimer::singleShot(0, this, &DemoBbsSession::pumpFlood);
}

void DemoBbsSession::pumpFlood() {
    if (m_mode != Mode::Flooding || !m_flood) return;
    std::string chunk;
    while (!m_flood->done() && !outputBacklogged()) {
        chunk.clear();
        m_flood->take(kFloodChunk, chunk);
        send(chunk);
    }
    if (!m_flood->done()) return;  // the next bytesWritten continues
    send(screens::floodDone(m_flood->total()));
    m_flood.reset();
    backToMenu();
}

void DemoBbsSession::startSlowPage() {
    m_mode = Mode::SlowPage;
    m_slowText = screens::slowPage();
    m_slowSent = 0;
    m_slowClock.start();
    m_slowTimer.start();
}

void DemoBbsSession::pumpSlowPage() {
    if (m_mode != Mode::SlowPage) return;
    // Paced by the clock rather than by counting ticks, so late timers do not slow the page.
    const auto due = static_cast<std::size_t>(m_slowClock.elapsed() * kSlowPageRate / 1000);
    const std::size_t upTo = std::min(due, m_slowText.size());
    if (upTo > m_slowSent) {
        send(std::string_view(m_slowText).substr(m_slowSent, upTo - m_slowSent));
        m_slowSent = upTo;
    }
    if (m_slowSent < m_slowText.size()) return;
    m_slowTimer.stop();
    m_slowText.clear();
    backToMenu();
}

void DemoBbsSession::backToMenu() {
    m_mode = Mode::Menu;
    send(screens::shortMenu());
    // Typing that arrived meanwhile is still waiting and no new data may come to announce it.
    QTimer::singleShot(0, this, &DemoBbsSession::readInput);
}

void DemoBbsSession::sayGoodbye() {
    send(screens::goodbye());
    m_mode = Mode::Closing;
    // Closes once everything written has gone out.
    m_socket->disconnectFromHost();
    if (m_mode == Mode::Closing) m_closeTimer.start(kCloseGraceMs);
}

void DemoBbsSession::onDisconnected() {
    if (m_mode == Mode::Gone) return;
    m_mode = Mode::Gone;
    m_slowTimer.stop();
    m_closeTimer.stop();
    m_flood.reset();
    emit finished();
}

}  // namespace vx::demo
