#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>

namespace vx::bench {

// For timed runs outside the program: runs the event loop until `done` holds or `timeoutMs`
// passes.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// The longest turn of the event loop while it runs: a timer due every millisecond notes the
// widest gap between two of its ticks, which is how long the loop was kept from it.
class LoopTurnProbe {
public:
    LoopTurnProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Steady::now();
            m_longestMs = std::max(m_longestMs, std::chrono::duration<double, std::milli>(now - m_lastTick).count());
            m_lastTick = now;
        });
    }
    void start() {
        m_lastTick = Steady::now();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longestMs; }

private:
    using Steady = std::chrono::steady_clock;
    QTimer m_timer;
    Steady::time_point m_lastTick = Steady::now();
    double m_longestMs = 0;
};

}  // namespace vx::bench
