#include "session/BaudSimulator.h"

#include <algorithm>
#include <utility>

namespace vx {
namespace {
// With no pause per byte, a step draws this many bytes before the event loop gets its turn.
constexpr std::size_t kBytesPerUnpacedStep = 4096;
}  // namespace

BaudSimulator::BaudSimulator(TimerFactory& timers, ScreenInterpreter& screen, ConfigSettings& config,
                             StatusSink& status, bool& abortFlag, std::function<bool()> connected)
    : m_screen(screen),
      m_config(config),
      m_status(status),
      m_abort(abortFlag),
      m_connected(std::move(connected)),
      m_tickTimer(timers.createTimer([this] { tick(); })),
      m_stepTimer(timers.createTimer([this] { drawStep(); })) {}

void BaudSimulator::setActive(bool active) {
    m_active = active;
    refreshPanel();
    offerRoom();
}

void BaudSimulator::offerRoom() {
    if (m_roomForMore && !full()) m_roomForMore();
}

void BaudSimulator::refreshPanel() { m_status.setPanelText("pnlBAUDSIM", m_active ? "Baud" : "", false); }

void BaudSimulator::append(std::string_view chunk) {
    m_winSockBuffer += chunk;
    m_hasData = true;
}

void BaudSimulator::ClrBaudSimBuffer() {
    m_baudSimBuffer.clear();
    m_drawn = 0;
}

void BaudSimulator::enableTicks(bool enable) {
    if (enable)
        m_tickTimer->start(kTickMs, true);
    else
        m_tickTimer->stop();
}

bool BaudSimulator::ticking() const { return m_tickTimer->isActive(); }

void BaudSimulator::tick() {
    if (m_closing && !m_active) drawWaitingNow();
    if (m_closing && !dataWaiting()) {
        endClose();
        return;
    }
    // Data left waiting while the simulator was off is drawn once it is on again.
    if (!m_active || (!m_hasData && m_winSockBuffer.empty())) return;
    // The drain owns the ticks until it ends; then it starts them again.
    m_tickTimer->stop();
    m_baudSimBuffer = std::move(m_winSockBuffer);
    m_winSockBuffer.clear();
    m_drawn = 0;
    if (m_baudSimBuffer.empty()) {
        finishDrain();
        return;
    }
    m_draining = true;
    drawStep();
}

void BaudSimulator::drawStep() {
    const int pauseMs = 2 * std::clamp<int>(m_config.BaudSimVal, 0, 9);
    const std::size_t perStep = pauseMs == 0 ? kBytesPerUnpacedStep : 1;
    for (std::size_t i = 0; i < perStep && m_drawn < m_baudSimBuffer.size(); ++i) {
        if (m_abort || (m_clearOnDisconnect && !m_connected())) {
            // Ctrl-C, or a closed connection with clear-on-disconnect: the rest is thrown away.
            ClrWinSockBuffer();
            ClrBaudSimBuffer();
            m_abort = false;
            finishDrain();
            if (m_screenChanged) m_screenChanged();
            return;
        }
        const auto byte = static_cast<std::uint8_t>(m_baudSimBuffer[m_drawn++]);
        m_screen.ScreenHandler(byte);
        if (m_config.DetectURLs && m_detectUrl) m_detectUrl(byte);
    }
    if (m_screenChanged) m_screenChanged();
    if (m_drawn < m_baudSimBuffer.size()) {
        m_stepTimer->start(pauseMs, false);
    } else {
        ClrBaudSimBuffer();
        finishDrain();
    }
    offerRoom();
}

void BaudSimulator::finishDrain() {
    m_draining = false;
    m_tickTimer->start(kTickMs, true);
}

}  // namespace vx

namespace vx {

void BaudSimulator::finishAfterClose(std::function<void()> done) {
    m_afterClose = std::move(done);
    m_closing = true;
    if (!m_active) drawWaitingNow();
    if (!dataWaiting()) {
        endClose();
        return;
    }
    // A running drain restarts the ticks when it ends; otherwise they must run to start one.
    if (!m_draining) m_tickTimer->start(kTickMs, true);
}

void BaudSimulator::forgetCloseDrain() {
    m_closing = false;
    m_afterClose = {};
}

void BaudSimulator::drawWaitingNow() {
    if (m_draining) return;  // a running drain is never cut short; it finishes at its pace
    const std::string waiting = std::exchange(m_winSockBuffer, {});
    m_hasData = false;
    if (waiting.empty()) return;
    for (char c : waiting) {
        const auto byte = static_cast<std::uint8_t>(c);
        m_screen.ScreenHandler(byte);
        if (m_config.DetectURLs && m_detectUrl) m_detectUrl(byte);
    }
    if (m_screenChanged) m_screenChanged();
}

void BaudSimulator::endClose() {
    m_closing = false;
    m_tickTimer->stop();
    const std::function<void()> done = std::exchange(m_afterClose, {});
    if (done) done();
}

}  // namespace vx
