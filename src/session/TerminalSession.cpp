#include "session/TerminalSession.h"

namespace vx {

TerminalSession::TerminalSession(Ports ports, StatusReporter& status, ConfigSettings& config, BBSList& bbsList,
                                 ScreenInterpreter& screen)
    : m_bbsList(bbsList),
      m_screen(screen),
      m_line(ports.socket, ports.clock),
      m_moji(config, ports.prompter, status, ports.timers, m_send, screen, m_urls, ports.box,
             MojiEditor::Hooks{[this] { return connected(); }}),
      m_scrollback(
          config, ports.timers, status, [this](std::uint8_t b) { replayToScreen(b); }, ports.box),
      m_capture(config, CapturePorts{ports.timers, status, ports.prompter, ports.sound, m_moji, m_urls,
                                     [this](std::uint8_t b) { replayToScreen(b); }}),
      m_send(m_line, ports.timers, ports.prompter, status),
      m_stayAlive(ports.timers, config, m_line, status.sink(), [this] { return connected(); }),
      m_baudSim(ports.timers, screen, config, status.sink(), m_abort, [this] { return connected(); }),
      m_macros(m_send, [this] { return connected(); }),
      m_connection(Connection::Services{m_line, ports.timers, ports.clock, ports.prompter, ports.sound, status, config,
                                        bbsList, screen, m_baudSim, m_stayAlive, m_macros},
                   m_abort),
      m_keyboard(screen, m_line, ports.timers, config, ports.sound, m_stayAlive, m_abort,
                 KeyboardInput::Hooks{[this] { return connected(); },
                                      [this](int digit) {
                                          m_macros.sendFromHotKey(digit, m_bbsList.activeMacros(),
                                                                  m_bbsList.record().OneAtaTime);
                                      },
                                      {},
                                      {},
                                      {},
                                      [this] { return m_line.diverted(); }}),
      m_box(ports.box, m_send, m_scrollback, ports.timers, ports.prompter, ports.sound, ports.clipboard, config,
            TheBox::Hooks{[this] { return connected(); },
                          {},
                          {},
                          {},
                          [this] { return m_bbsList.record().Signature; },
                          [&status](const std::string& text) { status.ShowStatus(text, false, false); }}),
      m_callStatus(m_connection, bbsList, config, status, screen),
      m_transfers(m_line, ports.timers, ports.clock, ports.prompter, status, config, [this] { return connected(); }) {
    m_connection.setLineHooks({[this](const BBSRecord& record) {
                                   m_line.beginCall(TelnetSocket::modeOf(record.Protocol));
                                   m_line.setWindowSize(record.Mode80Col ? 80 : 40, ScreenInterpreter::kRows);
                               },
                               [this](int columns) { m_line.setWindowSize(columns, ScreenInterpreter::kRows); },
                               [this] { m_transfers.callEnded(); },
                               [this](std::string_view fromStart) { return m_transfers.startFromBoard(fromStart); }});
    m_connection.setMeasurementHooks([this] { m_callStatus.tick(); }, [this] { m_callStatus.callStarted(); });
    m_connection.setTaps(Connection::ChunkTaps{
        [this](std::string_view chunk) { m_capture.WriteCaptureRecord(chunk); },
        [this](std::string_view chunk) { m_scrollback.WriteScrollback(chunk); },
        [this](std::string_view chunk) {
            for (char c : chunk) m_urls.DetectURLChar(static_cast<std::uint8_t>(c));
        },
        [this] { return m_capture.captureOn(); }});
    m_send.setLineTaken([this] { return m_line.diverted(); });
    m_transfers.setReceivePath([this](std::string_view chunk) { m_connection.receiveAfterTransfer(chunk); });
    m_baudSim.setUrlCharacter([this](std::uint8_t c) { m_urls.DetectURLChar(c); });
    m_keyboard.setMojiSink(&m_moji);
    m_moji.hooks().inverseTyping = [this] { return m_keyboard.inverseTyping(); };
    m_moji.hooks().setInverseTyping = [this](bool on) { m_keyboard.setInverseTyping(on); };
    m_moji.hooks().boxHoldsUnsentText = [this] { return m_box.holdsUnsentText(); };
}

void TerminalSession::replayToScreen(std::uint8_t b) {
    m_screen.ScreenHandler(b);
    m_connection.screenDrawn();
}

void TerminalSession::start() {
    m_stayAlive.start();
    m_connection.start();
    m_baudSim.refreshPanel();
    m_stayAlive.refreshPanel();
}

void TerminalSession::macroButton(int digit) { m_macros.sendFromButton(digit, m_bbsList.activeMacros()); }

}  // namespace vx
