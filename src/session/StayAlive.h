#pragma once

#include <functional>
#include <memory>

#include "config/ConfigSettings.h"
#include "platform/SocketPort.h"
#include "platform/StatusSink.h"
#include "platform/Timer.h"

namespace vx {

// Keeps an idle connection open: the timer `Alive` ticks every 60 s and is restarted by every
// typed character; a tick arms, the next tick sends the stay-alive text. So the text goes out
// 120 s after the last key and then every 120 s while the user stays idle.
class StayAlive {
public:
    static constexpr int kIntervalMs = 60000;

    StayAlive(TimerFactory& timers, ConfigSettings& config, SocketPort& socket, StatusSink& status,
              std::function<bool()> connected);

    // The timer runs from start-up on.
    void start();

    bool active() const { return m_active; }
    void setActive(bool active);
    void toggle() { setActive(!m_active); }
    bool armed() const { return m_armed; }

    // A typed character: the timer stops while the key is handled, then runs a full interval
    // from now with the flag cleared.
    void pauseForKey();
    void restartAfterKey();

    // pnlSTAYALIVE shows "Stay" while active.
    void refreshPanel();

private:
    void tick();

    ConfigSettings& m_config;
    SocketPort& m_socket;
    StatusSink& m_status;
    std::function<bool()> m_connected;
    std::unique_ptr<Timer> m_timer;
    bool m_active = false;
    bool m_armed = false;
};

}  // namespace vx
