#include "session/Connection.h"

#include <algorithm>
#include <cctype>

#include "base/Formats.h"
#include "log/StatusReporter.h"
#include "session/BaudSimulator.h"
#include "session/MacroSender.h"
#include "session/StayAlive.h"
#include "tools/Zmodem.h"

namespace vx {
namespace {

// How long the possible beginning of a ZMODEM start at the end of a read waits for the rest.
constexpr int kHeldStartMs = 150;
// What follows the opening of a ZRINIT hex header: the rest of its hex digits (arguments and
// CRC), then CR, LF and XON.
constexpr int kReceiverHeaderDigits = 12;
constexpr int kReceiverHeaderEnd = 3;

constexpr std::uint8_t kClearScreen = 125;
const std::string kEndOfLine(1, static_cast<char>(155));
constexpr int kOnlineTickMs = 1000;

}  // namespace

Connection::Connection(Services services, bool& abortFlag)
    : m_s(services),
      m_abort(abortFlag),
      m_onlineTimer(m_s.timers.createTimer([this] { onlineTick(); })),
      m_heldStartTimer(m_s.timers.createTimer([this] { drawHeldStart(); })) {
    m_s.socket.setEvents(this);
    m_s.baudSim.setRoomForMore([this] { resumeReading(); });
}

Connection::~Connection() {
    m_s.baudSim.setRoomForMore({});
    m_s.socket.setEvents(nullptr);
}

void Connection::start() { m_onlineTimer->start(kOnlineTickMs, true); }

void Connection::notify() const {
    if (m_hooks.changed) m_hooks.changed();
}

void Connection::selectBBS(int listIndex) {
    const auto& entries = m_s.bbsList.entries();
    if (listIndex < 0 || listIndex >= static_cast<int>(entries.size())) return;
    m_selectedIndex = listIndex;
    m_recordId = std::to_string(entries[static_cast<std::size_t>(listIndex)].id);
    if (!m_s.bbsList.LoadBBSRecord(m_recordId)) return;
    const BBSRecord& record = m_s.bbsList.record();
    m_website = record.Website;
    m_websiteTitle = record.BBSname;
    m_noWrapLabel = record.NoWrap;
    if (m_hooks.recordLoaded) m_hooks.recordLoaded();
    notify();
}

void Connection::listChanged() {
    if (m_connected || m_connecting || m_recordId.empty()) return;
    const auto& entries = m_s.bbsList.entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (std::to_string(entries[i].id) == m_recordId) {
            m_selectedIndex = static_cast<int>(i);
            return;
        }
    if (m_s.bbsList.holds(m_recordId)) {
        m_selectedIndex = -1;  // still a board, but hidden from the list
        return;
    }
    if (entries.empty()) {
        m_selectedIndex = -1;
        m_recordId.clear();
        notify();
        return;
    }
    selectBBS(std::clamp(m_selectedIndex, 0, static_cast<int>(entries.size()) - 1));
}

void Connection::switchColumns(bool mode80) {
    m_s.screen.setColumnMode(mode80);
    if (m_hooks.columnMode) m_hooks.columnMode(mode80);
    if (m_line.columns) m_line.columns(mode80 ? 80 : 40);
    m_s.status.ShowStatus(std::string(mode80 ? "80" : "40") + " column mode", false, false);
}

void Connection::connectToRecord(const std::string& recordId) {
    m_requestedRecord = recordId;
    connectButton();
}

void Connection::connectButton() {
    if (m_connected) return;  // the button is disabled while connected
    if (m_connecting) {
        clearForCall();
        abortAttempt();
        return;
    }
    // With no board to call the screen stays as it is: the user may still be reading it.
    const std::optional<std::string> id = boardToCall();
    if (!id) {
        m_s.prompter.message("You must first select a BBS from the list below", "ERROR", MessageIcon::Information);
        return;
    }
    clearForCall();
    startConnection(*id);
}

void Connection::clearForCall() {
    m_s.socket.close();
    m_s.screen.clearSurface();
    if (m_hooks.screenChanged) m_hooks.screenChanged();
}

std::optional<std::string> Connection::boardToCall() {
    if (!m_requestedRecord.empty()) {
        std::string id = std::exchange(m_requestedRecord, {});
        const auto& entries = m_s.bbsList.entries();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (std::to_string(entries[i].id) == id) {
                m_selectedIndex = static_cast<int>(i);
                if (m_hooks.selectListEntry) m_hooks.selectListEntry(m_selectedIndex);
            }
        return id;
    }
    if (m_selectedIndex >= 0 && m_selectedIndex < static_cast<int>(m_s.bbsList.entries().size()))
        return std::to_string(m_s.bbsList.entries()[static_cast<std::size_t>(m_selectedIndex)].id);
    return std::nullopt;
}

void Connection::abortAttempt() {
    m_connectCaption = "Connect";
    m_s.status.ShowStatus("Connection Aborted", true, false);
    m_s.screen.CursorOn(m_s.screen.state().CursorX, m_s.screen.state().CursorY, false);
    m_connecting = false;
    m_requestedRecord.clear();
    notify();
}

void Connection::startConnection(const std::string& recordId) {
    if (!m_s.bbsList.LoadBBSRecord(recordId)) return;
    dialCurrentRecord();
}

void Connection::dialAddress(const std::string& host, int port, const std::string& protocol) {
    if (m_connected) return;
    m_s.socket.close();
    m_s.screen.clearSurface();
    if (m_hooks.screenChanged) m_hooks.screenChanged();
    m_connecting = false;
    m_requestedRecord.clear();
    m_s.bbsList.useUnsavedRecord(host, port);
    m_s.bbsList.record().Protocol = protocolName(protocol);
    m_selectedIndex = -1;
    dialCurrentRecord();
}

void Connection::dialCurrentRecord() {
    m_recordId = m_s.bbsList.recordId();
    const BBSRecord& record = m_s.bbsList.record();
    if (m_hooks.recordLoaded) m_hooks.recordLoaded();
    m_s.macros.refreshButtons(record);
    m_s.baudSim.refreshPanel();
    m_s.stayAlive.refreshPanel();
    switchColumns(record.Mode80Col);
    m_s.screen.flags().lantronix = record.LANtronix;
    if (m_s.status.sysLog()) m_s.status.log().WriteLogLine(" > Connecting...", false);
    m_s.status.ShowStatus("Connecting to " + record.URL + ":" + std::to_string(record.Port), false, false);
    m_s.baudSim.ClrWinSockBuffer();
    m_s.baudSim.forgetCloseDrain();
    if (m_line.dial) m_line.dial(record);
    m_s.socket.connectTo(record.URL, record.Port);
    m_connecting = true;
    m_connectCaption = "Abort";
    notify();
}

void Connection::onConnected() {
    const BBSRecord& record = m_s.bbsList.record();
    m_connectedAtMs = m_s.clock.steadyMs();
    m_connected = true;
    if (m_s.config.BeepOnConnect) m_s.sound.beep();
    m_online = true;
    m_connecting = false;
    m_connectCaption = "Connect";
    m_s.baudSim.enableTicks(true);
    m_s.baudSim.ClrWinSockBuffer();
    m_s.baudSim.ClrBaudSimBuffer();
    if (m_s.status.sysLog()) m_s.status.log().WriteLogLine(" > Connected to " + record.BBSname, false);
    m_s.status.ShowStatus("URL: " + record.URL + ":" + std::to_string(record.Port), true, false);
    m_connectedName = record.BBSname;
    m_connectedHost = record.URL;
    m_connectedPort = record.Port;
    if (!m_s.config.TitleBarMsg) m_frameCaption = std::string(kProgramTitle) + " - [" + record.URL + "]";
    if (m_s.config.ClrAftConnect) m_s.screen.ScreenHandler(kClearScreen);
    m_s.baudSim.setActive(record.BaudSim);
    m_s.stayAlive.setActive(record.StayAlive);
    m_s.bbsList.UpdateBBSStats(m_recordId, false, "");
    if (m_hooks.statisticsChanged) m_hooks.statisticsChanged();
    if (!m_s.config.ConnectMsg.empty()) m_s.screen.SendToScreen(m_s.config.ConnectMsg + kEndOfLine);
    m_intervalChars = 0;
    if (m_callStarted) m_callStarted();
    m_onlineText = formatClockDuration(0);
    if (m_hooks.screenChanged) m_hooks.screenChanged();
    notify();
}

void Connection::onDataArrival(std::size_t) {
    if (m_s.baudSim.full()) {
        // The board waits in the system's window until the simulated modem catches up.
        m_heldBack = true;
        return;
    }
    m_heldBack = false;
    m_s.baudSim.clearHasData();
    if (m_receiving) return;  // the bytes stay in the socket for a later event
    m_receiving = true;
    // A read may hold nothing for the board (only telnet commands, answered below the session).
    if (const std::string chunk = m_s.socket.readAll(); !chunk.empty()) receive(chunk);
    m_receiving = false;
}

void Connection::receive(std::string_view chunk) {
    if (!m_connected || !m_s.config.ZmodemAutoStart || !m_line.zmodemStart) {
        drawHeldStart();
        return draw(chunk);
    }
    m_heldStartTimer->stop();
    const std::string joined = std::exchange(m_heldStart, {}) + std::string(chunk);
    std::string_view bytes = skipReceiverHeader(joined);
    // A board's receiver (rz) waiting for an upload announces itself with ZRINIT headers: they
    // are not drawn, and the user is told how to answer.
    for (std::size_t waiting = bytes.find(kZmodemReceiverStart);
         waiting != std::string_view::npos && waiting < bytes.find(kZmodemStart);
         waiting = bytes.find(kZmodemReceiverStart)) {
        if (waiting > 0) draw(bytes.substr(0, waiting));
        m_s.status.ShowStatus("The board waits for a ZMODEM upload: Snd sends files", false, false);
        m_receiverHeaderDigits = kReceiverHeaderDigits;
        m_receiverHeaderEnd = kReceiverHeaderEnd;
        bytes = skipReceiverHeader(bytes.substr(waiting + kZmodemReceiverStart.size()));
    }
    if (const std::size_t at = bytes.find(kZmodemStart); at != std::string_view::npos) {
        // The "rz\r" a sender puts before the start is not drawn either.
        const std::size_t from =
            bytes.substr(0, at).ends_with(kZmodemShellCommand) ? at - kZmodemShellCommand.size() : at;
        if (from > 0) draw(bytes.substr(0, from));
        if (!m_line.zmodemStart(bytes.substr(at))) draw(bytes.substr(from));
        return;
    }
    // The longest end of the read that begins the start (or "rz\r" and the start; a lone 'r' is
    // drawn at once, being too common to hold back).
    const auto beginsStart = [](std::string_view tail) {
        return kZmodemStart.starts_with(tail) ||
               (tail.size() >= 2 && (std::string(kZmodemShellCommand) + std::string(kZmodemStart)).starts_with(tail));
    };
    std::size_t held = std::min(bytes.size(), kZmodemShellCommand.size() + kZmodemStart.size() - 1);
    while (held > 0 && !beginsStart(bytes.substr(bytes.size() - held))) --held;
    if (held < bytes.size()) draw(bytes.substr(0, bytes.size() - held));
    if (held > 0) {
        m_heldStart = std::string(bytes.substr(bytes.size() - held));
        m_heldStartTimer->start(kHeldStartMs, false);
    }
}

std::string_view Connection::skipReceiverHeader(std::string_view bytes) {
    while (m_receiverHeaderDigits > 0 && !bytes.empty() && std::isxdigit(static_cast<unsigned char>(bytes[0]))) {
        --m_receiverHeaderDigits;
        bytes.remove_prefix(1);
    }
    if (!bytes.empty() && m_receiverHeaderDigits > 0) m_receiverHeaderDigits = m_receiverHeaderEnd = 0;  // not one
    if (m_receiverHeaderDigits > 0) return bytes;
    const auto endsHeader = [](char c) { return (c & 0x7F) == '\r' || (c & 0x7F) == '\n' || c == '\x11'; };
    while (m_receiverHeaderEnd > 0 && !bytes.empty() && endsHeader(bytes[0])) {
        --m_receiverHeaderEnd;
        bytes.remove_prefix(1);
    }
    if (!bytes.empty()) m_receiverHeaderEnd = 0;
    return bytes;
}

void Connection::drawHeldStart() {
    m_heldStartTimer->stop();
    if (!m_heldStart.empty()) draw(std::exchange(m_heldStart, {}));
}

void Connection::draw(std::string_view chunk) {
    m_sessionChars += static_cast<std::int64_t>(chunk.size());
    m_intervalChars += static_cast<std::int64_t>(chunk.size());
    if (m_taps.captureOn && m_taps.captureOn() && m_taps.capture) m_taps.capture(chunk);
    if (m_s.config.ScrollBack && m_taps.scrollback) m_taps.scrollback(chunk);

    if (m_s.baudSim.active()) {
        m_s.baudSim.append(chunk);
        return;
    }
    // Ctrl-C can only be typed between two chunks, so a set flag discards this whole chunk.
    if (m_abort) {
        m_abort = false;
        return;
    }
    m_s.screen.SendToScreen(chunk);
    if (m_s.config.DetectURLs && m_taps.detectUrls) m_taps.detectUrls(chunk);
    if (m_hooks.screenChanged) m_hooks.screenChanged();
}

std::int64_t Connection::secondsOnline() const { return (m_s.clock.steadyMs() - m_connectedAtMs) / 1000; }

void Connection::onRemoteClose() {
    // Whatever the board sent before it closed is taken, also what a full simulator held back.
    if (!m_receiving) {
        m_receiving = true;
        for (std::string chunk = m_s.socket.readAll(); !chunk.empty(); chunk = m_s.socket.readAll()) receive(chunk);
        m_receiving = false;
    }
    closeDown("Closed (REMOTE)", false);
}

void Connection::resumeReading() {
    if (m_heldBack && !m_s.baudSim.full()) onDataArrival(0);
}

void Connection::disconnectButton() {
    m_s.socket.close();
    if (m_connecting && !m_connected) {
        // Hanging up while dialling ends the attempt, as pressing Abort would.
        abortAttempt();
        return;
    }
    if (!m_connected && !m_online) return;
    closeDown("Closed (LOCAL)", true);
}

void Connection::hangUpForShutdown() {
    m_s.socket.close();
    if (!m_connected && !m_online) return;
    m_shuttingDown = true;
    closeDown("Closed (LOCAL)", true);
}

void Connection::closeDown(const std::string& statusText, bool local) {
    drawHeldStart();  // the board's last bytes, not a start after all
    const BBSRecord& record = m_s.bbsList.record();
    m_s.status.ShowStatus(statusText, true, false);
    if (!m_s.config.TitleBarMsg) m_frameCaption = std::string(kProgramTitle) + " - []";
    m_s.baudSim.setClearOnDisconnect(record.ClrBufferOnDisc);
    if (record.ClrBufferOnDisc) {
        m_s.baudSim.ClrWinSockBuffer();
        m_s.baudSim.ClrBaudSimBuffer();
    }
    if (!m_s.config.DisconnectMsg.empty() && m_connected) {
        // The board's last page (usually its goodbye) is drawn before the disconnect message,
        // also when it still waits in the baud-rate simulator.
        m_s.baudSim.finishAfterClose([this] {
            m_s.screen.SendToScreen(m_s.config.DisconnectMsg + kEndOfLine);
            if (m_hooks.screenChanged) m_hooks.screenChanged();
        });
    } else {
        m_s.baudSim.finishAfterClose({});
    }
    const std::int64_t seconds = m_connected ? secondsOnline() : 0;
    m_connected = false;
    if (m_line.ended) m_line.ended();
    if (m_s.config.OnlineTimer) {
        m_s.status.ShowStatus("Online: " + FormatOnlineTime(seconds, false, false), local, false);
        BBSRecord& current = m_s.bbsList.record();
        current.TotalTime = clampToInt32(std::int64_t{current.TotalTime} + seconds);
        m_s.bbsList.UpdateBBSStats(m_recordId, true, FormatOnlineTime(seconds, true, true));
        if (m_hooks.statisticsChanged) m_hooks.statisticsChanged();
    }
    m_connecting = false;
    const bool wasOnline = std::exchange(m_online, false);
    notify();
    if (!m_shuttingDown) afterClose(wasOnline);
}

void Connection::afterClose(bool wasOnline) {
    if (!wasOnline) return;
    if (m_s.config.DiscPopup) {
        m_s.prompter.message(m_s.config.DisconnectMsg, "Disconnected()", MessageIcon::Information, [this] {
            if (m_s.config.AutoNext) autoNext();
        });
        return;
    }
    if (m_s.config.AutoNext) autoNext();
}

void Connection::autoNext() {
    const int count = static_cast<int>(m_s.bbsList.entries().size());
    if (count == 0 || m_connected || m_connecting) return;
    m_selectedIndex = (m_selectedIndex + 1) % count;
    if (m_hooks.selectListEntry) m_hooks.selectListEntry(m_selectedIndex);
    connectButton();
}

void Connection::onSocketError(int number, const std::string& description, int code, const std::string& source) {
    // The message and the log say which board failed: with AutoNext the user may be away.
    const BBSRecord& record = m_s.bbsList.record();
    const std::string board = record.URL + ":" + std::to_string(record.Port);
    m_s.status.ShowStatus("ERROR: " + std::to_string(code), false, false);
    if (m_s.status.sysLog())
        m_s.status.log().WriteLogLine("ERROR: " + std::to_string(code) + " - " + board + " - " + description, false);
    m_s.prompter.message("ERROR #" + std::to_string(number) + "\rCode: " + std::to_string(code) +
                             "\rSource: " + source + "\r\rDesc: " + description + "\r\rBBS: " + record.BBSname +
                             "\rHost: " + board,
                         "WinSock ERROR", MessageIcon::Critical);
    m_s.socket.close();
    m_connectCaption = "Connect";
    m_connecting = false;
    // A connection lost to an error still counts its time online, and the controls return to idle.
    if (m_connected) {
        m_s.baudSim.enableTicks(false);
        const std::int64_t seconds = secondsOnline();
        BBSRecord& current = m_s.bbsList.record();
        current.TotalTime = clampToInt32(std::int64_t{current.TotalTime} + seconds);
        m_s.bbsList.UpdateBBSStats(m_recordId, true, FormatOnlineTime(seconds, true, true));
        if (m_hooks.statisticsChanged) m_hooks.statisticsChanged();
    }
    m_connected = false;
    m_online = false;
    if (m_line.ended) m_line.ended();
    if (m_s.config.OnlineTimer) m_s.status.ShowStatus("WINSOCK Error " + std::to_string(code), true, false);
    notify();
}

void Connection::onConnectionRequest() { m_s.status.ShowStatus("Trying to connect...", false, false); }

void Connection::onlineTick() {
    if (m_connected) {
        m_onlineText = formatClockDuration(secondsOnline());
        notify();
    }
    if (m_tick) m_tick();
}

}  // namespace vx
