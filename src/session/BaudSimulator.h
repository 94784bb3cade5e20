#pragma once

#include <functional>
#include <memory>
#include <string>

#include "config/ConfigSettings.h"
#include "platform/StatusSink.h"
#include "platform/Timer.h"
#include "screen/ScreenInterpreter.h"

namespace vx {

// Draws received data at the pace of a slow modem. Data collects in the WinSockBuffer; every
// 40 ms (timer Timer2, while connected) a drain swaps it into the BaudSimBuffer and draws that
// one byte per step, pausing 2 x BaudSimVal ms after each. Data arriving meanwhile collects for
// a later drain, so the text being drawn is never the text arriving.
class BaudSimulator {
public:
    static constexpr int kTickMs = 40;
    // A board faster than the simulated modem is held back (its bytes left with the system, whose
    // window then stops it) once this much is waiting to be drawn.
    static constexpr std::size_t kMaxBacklog = 256 * 1024;

    BaudSimulator(TimerFactory& timers, ScreenInterpreter& screen, ConfigSettings& config, StatusSink& status,
                  bool& abortFlag, std::function<bool()> connected);

    // Every drawn byte also goes here while DetectURLs is on.
    void setUrlCharacter(std::function<void(std::uint8_t)> detect) { m_detectUrl = std::move(detect); }
    // Called after bytes were drawn, so the window can repaint.
    void setScreenChanged(std::function<void()> changed) { m_screenChanged = std::move(changed); }

    bool active() const { return m_active; }
    void setActive(bool active);
    void toggle() { setActive(!m_active); }
    // pnlBAUDSIM shows "Baud" while active.
    void refreshPanel();

    // The receive path hands over a chunk while the simulator is active.
    void append(std::string_view chunk);
    // Bytes received and not drawn yet.
    std::size_t backlog() const { return m_winSockBuffer.size() + m_baudSimBuffer.size() - m_drawn; }
    // True while the receive path should leave the board's bytes where they are.
    bool full() const { return m_active && backlog() >= kMaxBacklog; }
    // Called when there may be room again after full() held the receive path back.
    void setRoomForMore(std::function<void()> room) { m_roomForMore = std::move(room); }
    // A data arrival that did not append clears the has-data flag.
    void clearHasData() { m_hasData = false; }

    void ClrWinSockBuffer() { m_winSockBuffer.clear(); }
    void ClrBaudSimBuffer();
    const std::string& WinSockBuffer() const { return m_winSockBuffer; }
    std::string_view BaudSimBuffer() const { return std::string_view(m_baudSimBuffer).substr(m_drawn); }
    bool draining() const { return m_draining; }

    // Timer2: enabled when a connection comes up, disabled when it closes.
    void enableTicks(bool enable);
    bool ticking() const;

    // Clear-on-disconnect copy of the record: a drain stops when the connection is gone.
    void setClearOnDisconnect(bool clear) { m_clearOnDisconnect = clear; }

    // The connection closed. What the board sent and is still waiting is drawn first (at the
    // simulated pace; all at once if the simulator was switched off meanwhile, so nothing
    // received is lost), then `done` runs and the ticks stop. With nothing waiting, `done` runs
    // now. A new connection forgets a close that has not finished (its screen is cleared).
    void finishAfterClose(std::function<void()> done);
    void forgetCloseDrain();
    bool closing() const { return m_closing; }

private:
    void tick();
    void drawStep();
    void finishDrain();
    bool dataWaiting() const { return m_draining || !m_winSockBuffer.empty(); }
    void drawWaitingNow();
    void endClose();
    void offerRoom();

    ScreenInterpreter& m_screen;
    ConfigSettings& m_config;
    StatusSink& m_status;
    bool& m_abort;
    std::function<bool()> m_connected;
    std::function<void()> m_screenChanged;
    std::function<void(std::uint8_t)> m_detectUrl;
    std::function<void()> m_roomForMore;
    std::unique_ptr<Timer> m_tickTimer;
    std::unique_ptr<Timer> m_stepTimer;

    bool m_active = false;
    bool m_hasData = false;
    bool m_clearOnDisconnect = false;
    bool m_draining = false;
    bool m_closing = false;
    std::function<void()> m_afterClose;
    std::string m_winSockBuffer;
    std::string m_baudSimBuffer;
    std::size_t m_drawn = 0;
};

}  // namespace vx
