#pragma once

#include <QElapsedTimer>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Timer.h"

namespace vx {

// Timers on the Qt event loop.
class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;
};

// The local time of the system, and a monotonic clock for durations.
class QtClock : public Clock {
public:
    QtClock() { m_elapsed.start(); }
    LocalDateTime now() const override;
    std::int64_t steadyMs() const override { return m_elapsed.elapsed(); }

private:
    QElapsedTimer m_elapsed;
};

class QtRandom : public Random {
public:
    void seedFromClock() override;
    double next() override;

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ULL;
};

}  // namespace vx
