#include "ui/platform/QtTimers.h"

#include <QDateTime>
#include <QTimer>

namespace vx {
namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> onTimeout) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [callback = std::move(onTimeout)] { callback(); });
    }
    void start(int intervalMs, bool repeat) override {
        m_timer.setSingleShot(!repeat);
        m_timer.start(std::max(intervalMs, 0));
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::createTimer(std::function<void()> onTimeout) {
    return std::make_unique<QtTimer>(std::move(onTimeout));
}

LocalDateTime QtClock::now() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

void QtRandom::seedFromClock() {
    m_state = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 0x9E3779B97F4A7C15ULL + 1;
}

double QtRandom::next() {
    // xorshift64*: plenty for choosing scrambling offsets and hints.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const std::uint64_t value = m_state * 0x2545F4914F6CDD1DULL;
    return static_cast<double>(value >> 11) / static_cast<double>(1ULL << 53);
}

}  // namespace vx
