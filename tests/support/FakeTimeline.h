#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/Timer.h"

namespace vx::test {

// Virtual time for the clock and every timer: advance(ms) fires the timers that come due, in
// the order of their due time (then of their start), each at its own moment, so paced work is
// tested instantly and exactly.
class FakeTimeline : public Clock, public TimerFactory {
public:
    explicit FakeTimeline(LocalDateTime start = {2026, 12, 6, 10, 51, 21});
    ~FakeTimeline() override;

    LocalDateTime now() const override;
    std::int64_t steadyMs() const override { return m_now; }
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

    void advance(std::int64_t ms);
    // Advances in steps until no timer is active or `limitMs` have passed; returns the time used.
    std::int64_t runUntilIdle(std::int64_t limitMs = 3600000);
    int activeTimers() const;

private:
    class FakeTimer;
    friend class FakeTimer;
    bool fireNext(std::int64_t until);

    LocalDateTime m_start;
    std::int64_t m_now = 0;
    std::uint64_t m_sequence = 0;
    std::vector<FakeTimer*> m_timers;
};

// Adds milliseconds to a calendar time (days, months and years roll over as on a calendar).
LocalDateTime addMilliseconds(const LocalDateTime& start, std::int64_t ms);

}  // namespace vx::test
