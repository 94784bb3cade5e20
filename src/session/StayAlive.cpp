#include "session/StayAlive.h"

namespace vx {

StayAlive::StayAlive(TimerFactory& timers, ConfigSettings& config, SocketPort& socket, StatusSink& status,
                     std::function<bool()> connected)
    : m_config(config),
      m_socket(socket),
      m_status(status),
      m_connected(std::move(connected)),
      m_timer(timers.createTimer([this] { tick(); })) {}

void StayAlive::start() { m_timer->start(kIntervalMs, true); }

void StayAlive::setActive(bool active) {
    m_active = active;
    refreshPanel();
}

void StayAlive::refreshPanel() { m_status.setPanelText("pnlSTAYALIVE", m_active ? "Stay" : "", false); }

void StayAlive::pauseForKey() {
    if (m_active) m_timer->stop();
}

void StayAlive::restartAfterKey() {
    m_timer->start(kIntervalMs, true);
    m_armed = false;
}

void StayAlive::tick() {
    if (!m_connected() || !m_active) {
        m_armed = false;
        return;
    }
    if (!m_armed) {
        m_armed = true;
        return;
    }
    // The text is stored back trimmed, still in its 20-character field.
    const std::string text = m_config.stayAliveText();
    m_config.setStayAliveChar(text);
    SocketPort::SendError ignored;  // a failed send shows up as the socket's error event
    if (!text.empty()) m_socket.send(text, ignored);
    m_armed = false;
}

}  // namespace vx
