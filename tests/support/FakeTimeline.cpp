#include "support/FakeTimeline.h"

#include <algorithm>

namespace vx::test {
namespace {

// Days since 1970-01-01 of a civil date, and back.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, LocalDateTime& t) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

}  // namespace

LocalDateTime addMilliseconds(const LocalDateTime& start, std::int64_t ms) {
    const std::int64_t seconds = daysFromCivil(start.year, start.month, start.day) * 86400 + start.hour * 3600 +
                                 start.minute * 60 + start.second + ms / 1000;
    LocalDateTime t;
    civilFromDays(seconds / 86400, t);
    const std::int64_t inDay = seconds % 86400;
    t.hour = static_cast<int>(inDay / 3600);
    t.minute = static_cast<int>(inDay / 60 % 60);
    t.second = static_cast<int>(inDay % 60);
    return t;
}

class FakeTimeline::FakeTimer : public Timer {
public:
    FakeTimer(FakeTimeline& timeline, std::function<void()> callback)
        : m_timeline(&timeline), m_callback(std::move(callback)) {
        m_timeline->m_timers.push_back(this);
    }
    ~FakeTimer() override {
        if (m_timeline) std::erase(m_timeline->m_timers, this);
    }
    void start(int intervalMs, bool repeat) override {
        m_interval = std::max(intervalMs, 0);
        m_repeat = repeat;
        m_due = m_timeline->m_now + m_interval;
        m_sequence = ++m_timeline->m_sequence;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    FakeTimeline* m_timeline;
    std::function<void()> m_callback;
    std::int64_t m_due = 0;
    int m_interval = 0;
    bool m_repeat = false;
    bool m_active = false;
    std::uint64_t m_sequence = 0;
};

FakeTimeline::FakeTimeline(LocalDateTime start) : m_start(start) {}

FakeTimeline::~FakeTimeline() {
    for (FakeTimer* timer : m_timers) timer->m_timeline = nullptr;
}

LocalDateTime FakeTimeline::now() const { return addMilliseconds(m_start, m_now); }

std::unique_ptr<Timer> FakeTimeline::createTimer(std::function<void()> onTimeout) {
    return std::make_unique<FakeTimer>(*this, std::move(onTimeout));
}

bool FakeTimeline::fireNext(std::int64_t until) {
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : m_timers) {
        if (!timer->m_active || timer->m_due > until) continue;
        if (!next || timer->m_due < next->m_due ||
            (timer->m_due == next->m_due && timer->m_sequence < next->m_sequence))
            next = timer;
    }
    if (!next) return false;
    m_now = std::max(m_now, next->m_due);
    if (next->m_repeat) {
        // A repeating timer of 0 ms would never let time pass: it runs once per millisecond.
        next->m_due = m_now + std::max(next->m_interval, 1);
        next->m_sequence = ++m_sequence;
    } else {
        next->m_active = false;
    }
    const auto callback = next->m_callback;  // the timer may be destroyed by its own callback
    callback();
    return true;
}

void FakeTimeline::advance(std::int64_t ms) {
    const std::int64_t until = m_now + ms;
    while (fireNext(until)) {
    }
    m_now = until;
}

std::int64_t FakeTimeline::runUntilIdle(std::int64_t limitMs) {
    const std::int64_t start = m_now;
    while (activeTimers() > 0 && m_now - start < limitMs) {
        std::int64_t nextDue = start + limitMs;
        for (FakeTimer* timer : m_timers)
            if (timer->m_active) nextDue = std::min(nextDue, timer->m_due);
        advance(std::max<std::int64_t>(nextDue - m_now, 0));
    }
    return m_now - start;
}

int FakeTimeline::activeTimers() const {
    return static_cast<int>(std::count_if(m_timers.begin(), m_timers.end(), [](FakeTimer* t) { return t->m_active; }));
}

}  // namespace vx::test
